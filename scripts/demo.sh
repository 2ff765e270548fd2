#!/bin/sh
# Extracts, checks and prints the core of the bundled example with the
# programs that `make` built into bin/.
set -eu

case ${1-} in
-h | --help)
    echo "Usage: scripts/demo.sh   (after make; or simply: make demo)"
    echo "Runs bin/muc-extract --verify on examples/hidden-core.txt and prints the core."
    exit 0
    ;;
esac

root=$(cd "$(dirname "$0")/.." && pwd)
example=examples/hidden-core.txt
scratch=$(mktemp -d "${TMPDIR:-/tmp}/muc-demo.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

cd "$root"
total=$(awk 'NR == 1 { next }
             blocks < 3 { if (left > 0) { if (--left == 0) blocks++; next }
                          left = $1 + 0; if (left == 0) blocks++; next }
             { print $1 + 0; exit }' "$example")
echo "== $example: $total constraints, unsatisfiable:"
bin/mac-solve "$example"
echo
echo "== bin/muc-extract $example --verify"
bin/muc-extract "$example" -o "$scratch/core.txt" --verify
echo
echo "== the core:"
cat "$scratch/core.txt"
