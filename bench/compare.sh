#!/usr/bin/env bash
# Two builds of mac_bench timed side by side on one instance of the bench:
#   bench/compare.sh INSTANCE RUNS BIN_A BIN_B [mac_bench options]
# INSTANCE is a directory of build-bench/bench/runs (after a make bench).
# Each run starts A and B at once, one on each of the first two cores, and
# swaps the cores at the next run, so that both meet the same machine
# state; it prints the medians of search_s and the median of the per-run
# ratios B/A, and whether the last runs wrote the same three files.
# Identical binaries gave ratios of 0.97-1.05 over 9-21 runs on the 2-core
# bench machine; four runs can stray by 10 %.  With SEQUENTIEL=1 each run
# starts A and B one after the other on the first core, the first of them
# in turn, so that neither meets the other on the second core.
set -euo pipefail
[ $# -ge 4 ] || { echo "usage: $0 INSTANCE RUNS BIN_A BIN_B [options]" >&2; exit 2; }
inst=$1 runs=$2
A=$(realpath "$3") B=$(realpath "$4")
shift 4
src="$(dirname "$0")/../${BENCH_BUILD:-build-bench}/bench/runs/$inst"
[ -f "$src/current.txt" ] && [ -f "$src/weight.init" ] || { echo "$0: no instance $src" >&2; exit 2; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for c in a b; do
  mkdir "$work/$c"
  cp "$src/current.txt" "$src/weight.init" "$work/$c/"
done
un() {  # core binary directory [options]: search_s of one run (mac_bench exits
        # with the run's status, 10 for a solution: not a failure here)
  local core=$1 bin=$2 dir=$3
  shift 3
  cd "$dir" && cp weight.init weight &&
    { taskset -c "$core" "$bin" "$@" current.txt 2>&1 || true; } | sed -n 's/.*search_s=\([0-9.]*\).*/\1/p'
}
ta=() tb=() rapports=()
for ((r = 0; r < runs; ++r)); do
  if [ "${SEQUENTIEL:-0}" = 1 ]; then
    ordre="a b"
    ((r % 2)) && ordre="b a"
    for c in $ordre; do
      bin=$A
      [ "$c" = b ] && bin=$B
      un 0 "$bin" "$work/$c" "$@" >"$work/t$c"
    done
  else
    un $((r % 2)) "$A" "$work/a" "$@" >"$work/ta" &
    un $((1 - r % 2)) "$B" "$work/b" "$@" >"$work/tb" &
    wait
  fi
  a=$(cat "$work/ta") b=$(cat "$work/tb")
  ta+=("$a") tb+=("$b")
  rapports+=("$(awk -v a="$a" -v b="$b" 'BEGIN { printf "%.3f", b / a }')")
done
mediane() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
fichiers() { (cd "$1" && cat weight activity weightCons | md5sum); }
memes=no
[ "$(fichiers "$work/a")" = "$(fichiers "$work/b")" ] && memes=yes
echo "$inst A=$(mediane "${ta[@]}") B=$(mediane "${tb[@]}") B/A=$(mediane "${rapports[@]}") same_files=$memes"
