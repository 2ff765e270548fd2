// The weight file import on arbitrary bytes, for a few fixed networks.  The
// first byte picks the network, the rest is the weight file.
#include <cstdint>
#include <cstdio>
#include <string>

#include "mac.h"

namespace {

// Networks with no neighbour, one pair, and pairs given several times and
// out of order (the order of the weight file is the reader's).
const char* const NETWORKS[] = {
    "?\n1\n0 2 0 1\n2\n0 0\n1 0\n0\n0\n",
    "?\n1\n0 2 0 1\n2\n0 0\n1 0\n1\n0 0 2 0 0 1 1 1\n1\n2 1 0 0\n",
    "?\n2\n0 2 0 1\n1 3 -2147483648 0 2147483647\n5\n0 0\n1 1\n2 0\n3 1\n4 0\n"
    "2\n0 1 2 0 1 1 0 -2147483648\n1 0 2 0 0 1 1 1\n"
    "7\n2 4 1 0\n2 0 1 0\n2 2 4 1\n2 0 2 1\n2 2 3 0\n2 4 0 1\n2 2 0 1\n",
};
constexpr int COUNT = sizeof NETWORKS / sizeof NETWORKS[0];

struct Run {
    Network net;
    SearchState s;
};

Run& networkRun(int k) {
    static Run runs[COUNT];
    static bool read[COUNT] = {};
    if (!read[k]) {
        parseCSP(NETWORKS[k], "fixed.txt", runs[k].net);
        read[k] = true;
    }
    return runs[k];
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    Run& run = networkRun(data[0] % COUNT);
    preparerRun(run.net, run.s);
    std::FILE* f = fmemopen(const_cast<std::uint8_t*>(data + 1), size - 1 ? size - 1 : 1, "rb");
    if (!f) return 0;
    if (size == 1) std::fgetc(f);  // an empty file: fmemopen needs one byte
    importerPoids(run.net, run.s, f);
    std::fclose(f);
    return 0;
}
