// The XML converter on arbitrary bytes, then the reader on what it wrote.
#include <cstdint>
#include <new>
#include <string>

#include "Convertisseur/transfo.h"
#include "EntreesSorties/entrees_sorties.h"
#include "scratch.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static Network net;
    writeBytes("in.xml", data, size);
    try {
        transfoXML("in.xml", "out.txt");
        parseCSP(readBytes("out.txt"), "out.txt", net);
    } catch (const FormatError&) {
    } catch (const NaryRelation&) {
    } catch (const std::bad_alloc&) {
    }
    return 0;
}
