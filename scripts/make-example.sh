#!/bin/sh
# Writes the bundled example on the standard output: 16 variables on the
# values 1..3 and 40 constraints satisfied by one hidden assignment, among
# which the six differences of a clique of four variables (four variables,
# three values: unsatisfiable) are scattered.  Deterministic.
set -eu

case ${1-} in
-h | --help)
    echo "Usage: scripts/make-example.sh > examples/hidden-core.txt"
    exit 0
    ;;
esac

awk '
function rnd(n) { seed = (seed * 1103515245 + 12345) % 2147483648; return int(seed / 65536) % n }
BEGIN {
    seed = 2024
    nvars = 16; nfill = 40
    # Relations on domain 0 = {1, 2, 3}: 0 differ, 1 less than, 2 equal or next to.
    rel[0] = "0 0 2 0 0 3 1 1 2 2 3 3"
    rel[1] = "1 1 2 0 0 3 1 2 1 3 2 3"
    rel[2] = "2 1 2 0 0 7 1 1 2 2 3 3 1 2 2 1 2 3 3 2"
    for (v = 0; v < nvars; v++) value[v] = 1 + rnd(3)
    clique[0] = 2; clique[1] = 7; clique[2] = 11; clique[3] = 13
    ncore = 0
    for (a = 0; a < 4; a++)
        for (b = a + 1; b < 4; b++) core[ncore++] = "2 " clique[a] " " clique[b] " 0"
    n = 0
    while (n < nfill) {
        x = rnd(nvars); y = rnd(nvars)
        if (x == y) continue
        r = rnd(3); dx = value[x]; dy = value[y]
        if (r == 0 && dx == dy) continue
        if (r == 1 && dx >= dy) continue
        if (r == 2 && (dx - dy > 1 || dy - dx > 1)) continue
        line[n++] = "2 " x " " y " " r
    }
    # Scatter the clique among the others.
    for (c = 0; c < ncore; c++) {
        at = rnd(n + 1)
        for (k = n; k > at; k--) line[k] = line[k - 1]
        line[at] = core[c]
        n++
    }
    print "hidden-core"
    print 1
    print "0 3 1 2 3"
    print nvars
    for (v = 0; v < nvars; v++) print v " 0"
    print 3
    for (r = 0; r < 3; r++) print rel[r]
    print n
    for (k = 0; k < n; k++) print line[k]
}'
