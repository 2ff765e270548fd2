// The instance text reader on arbitrary bytes.  An instance it accepts must
// be accepted again, with the same counts, once the writer has written it.
#include <cstdint>
#include <new>
#include <string>

#include "EntreesSorties/entrees_sorties.h"
#include "scratch.h"

namespace {

// Reads `text`; false when the reader refuses it (as the programs would).
bool readInstance(const std::string& text, Network& net) {
    try {
        parseCSP(text, "fuzz.txt", net);
        return true;
    } catch (const FormatError&) {
    } catch (const NaryRelation&) {
    } catch (const std::bad_alloc&) {
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static Network net, again;
    if (!readInstance(std::string(reinterpret_cast<const char*>(data), size), net)) return 0;
    writeCSP("written.txt", net);
    if (!readInstance(readBytes("written.txt"), again)) __builtin_trap();
    if (again.nb_var != net.nb_var || again.nb_dom != net.nb_dom || again.nb_rel != net.nb_rel) __builtin_trap();
    return 0;
}
