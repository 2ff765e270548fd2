#!/bin/sh
# Soak test of the core extractor (make soak): builds the driver in
# $BUILD/soak, then has it run bin/muc-extract on COUNT (default 100) random
# unsatisfiable instances, two at a time, and check every core and every
# leftover.  Usage: tests/soak/run.sh [COUNT [SEED]]
set -eu
top=$(cd "$(dirname "$0")/../.." && pwd)
build=$top/${BUILD:-build}/soak
cmake -S "$top/tests/soak" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j "${JOBS:-2}" >/dev/null
[ -x "$top/bin/muc-extract" ] || { echo "soak: no bin/muc-extract (run make first)" >&2; exit 2; }
before=$(ls -d "${TMPDIR:-/tmp}"/muc-extract.* 2>/dev/null | wc -l)
status=0
"$build/soak" "$top/bin/muc-extract" "${1:-100}" "${2:-7}" || status=$?
after=$(ls -d "${TMPDIR:-/tmp}"/muc-extract.* 2>/dev/null | wc -l)
echo "soak: muc-extract.* entries in ${TMPDIR:-/tmp}: $before before, $after after"
exit "$status"
