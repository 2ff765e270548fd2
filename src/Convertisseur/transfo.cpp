#include "Convertisseur/transfo.h"

#include <cstdio>
#include <cstdlib>

// Placeholder until the XML converter lands: refuse XML instances plainly.
void convertirXML(const char* nom) {
    std::fprintf(stderr, "%s: XML instances are not supported by this build\n", nom);
    std::exit(255);
}
