// The core extractor's instance file routines on arbitrary files.  The
// first four bytes choose the line to take, the lines to exchange and the
// lines to keep; the rest is the file.
#include <cstdint>
#include <new>
#include <string>

#include "muc.h"
#include "scratch.h"

namespace {

// Runs one routine; MucStop is its answer to a file it cannot walk.
template <class F>
void attempt(F routine) {
    try {
        routine();
    } catch (const MucStop&) {
    } catch (const std::bad_alloc&) {
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 4) return 0;
    writeBytes("in.txt", data + 4, size - 4);
    int count = 0;
    attempt([&] { count = searchNbCtr("in.txt"); });
    attempt([&] { chopeMoiLaLigne("in.txt", data[0] % 8); });
    KeepFlags flags(static_cast<size_t>(count < 64 ? count : 64), 0);
    for (size_t k = 0; k < flags.size(); ++k) flags[k] = (data[1] >> (k % 8)) & 1;
    attempt([&] { generate("in.txt", "cut.txt", flags, data[2]); });
    attempt([&] { inverser("in.txt", data[3] % 8, (data[3] >> 4) % 8); });
    return 0;
}
