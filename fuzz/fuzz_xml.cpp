// The XML converter on arbitrary bytes, then the reader on what it wrote.
// The reader may run out of memory on the counts it reads; the converter may not.
#include <cstdint>
#include <new>
#include <string>

#include "Convertisseur/transfo.h"
#include "EntreesSorties/entrees_sorties.h"
#include "scratch.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static Network net;
    writeBytes("in.xml", data, size);
    // The converter builds no model: running out of memory is a fault there.
    transfoXML("in.xml", "out.txt");
    try {
        parseCSP(readBytes("out.txt"), "out.txt", net);
    } catch (const FormatError&) {
    } catch (const NaryRelation&) {
    } catch (const std::bad_alloc&) {
    }
    return 0;
}
