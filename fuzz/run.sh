#!/bin/sh
# Builds the fuzz targets with clang and libFuzzer (in build-fuzz/), then runs
# each for SECONDS seconds (default 60) in a fresh temporary directory, on
# seeds made from the bundled example, generated instances and fuzz/corpus/.
# Ends with status 1 when a target fails; its directory, with the input that
# made it fail, is then kept and named.
set -eu
seconds=${1:-60}
top=$(cd "$(dirname "$0")/.." && pwd)
build=${FUZZ_BUILD:-$top/build-fuzz}
jobs=${FUZZ_JOBS:-2}
targets="reader xml weight muc_file"

cmake -S "$top/fuzz" -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j "$jobs"

scratch=$(mktemp -d "${TMPDIR:-/tmp}/csp-fuzz.XXXXXX")
keep=no
trap '[ "$keep" = yes ] || rm -rf "$scratch"' EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

for t in $targets; do mkdir -p "$scratch/$t/corpus" "$scratch/$t/work"; done
mkdir -p "$scratch/seeds"
for t in $targets; do mkdir -p "$scratch/seeds/$t"; done
"$build/bin/fuzz_seeds" "$scratch/seeds" "$top"/examples/*.txt
for t in $targets; do
    cp "$scratch/seeds/$t"/* "$scratch/$t/corpus/" 2>/dev/null || true
    if [ -d "$top/fuzz/corpus/$t" ]; then cp "$top/fuzz/corpus/$t"/* "$scratch/$t/corpus/" 2>/dev/null || true; fi
done

failed=""
printf '%-10s %8s %10s %8s  %s\n' target seconds runs corpus result
for t in $targets; do
    log=$scratch/$t/log
    start=$(date +%s)
    status=0
    (cd "$scratch/$t/work" &&
        ASAN_OPTIONS=detect_leaks=0:abort_on_error=0 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
            "$build/bin/fuzz_$t" -max_total_time="$seconds" -max_len=4096 -rss_limit_mb=2048 \
            -timeout=10 -close_fd_mask=1 -print_final_stats=1 \
            -artifact_prefix="$scratch/$t/" "$scratch/$t/corpus") >"$log" 2>&1 || status=$?
    elapsed=$(($(date +%s) - start))
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
    size=$(ls "$scratch/$t/corpus" | wc -l)
    if [ "$status" -eq 0 ]; then
        result=clean
    else
        result="FAILED (status $status), see $log"
        failed="$failed $t"
    fi
    printf '%-10s %8s %10s %8s  %s\n' "$t" "$elapsed" "${runs:-?}" "$size" "$result"
done

if [ -n "$failed" ]; then
    keep=yes
    echo "fuzz: failures in$failed; inputs and logs kept in $scratch" >&2
    for t in $failed; do
        ls "$scratch/$t/" | grep -E '^(crash|leak|timeout|oom|slow-unit)-' | sed "s|^|  $scratch/$t/|" >&2 || true
    done
    exit 1
fi
