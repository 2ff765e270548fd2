#!/usr/bin/env bash
# make bench: a Release build of the solver and its bench tools, then the
# bench driver on the generated instances and, when present, the shared
# benchmark set.  Extra arguments go to the driver (see bench/bench.py -h).
#   BENCH_BUILD   build directory (default build-bench)
#   BENCH_SHARED  shared benchmark directory (default ../shared/bench)
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=${BENCH_BUILD:-build-bench}
SHARED=${BENCH_SHARED:-../shared/bench}
JOBS=${JOBS:-2}
GEN=()
command -v ninja >/dev/null && [ ! -f "$BUILD/Makefile" ] && GEN=(-G Ninja)
cmake -S . -B "$BUILD" "${GEN[@]}" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$BUILD" -j "$JOBS" --target mac mac_bench gen_rb >/dev/null
mkdir -p bench/results
exec python3 bench/bench.py --bin "$BUILD/bin" --work "$BUILD/bench" \
  --csv bench/results/bench.csv --shared "$SHARED" "$@"
