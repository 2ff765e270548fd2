// xml2txt: turns an instance in the XML instance format into the instance
// text format that mac and muc read, and checks the result by reading it
// back.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "Convertisseur/transfo.h"
#include "EntreesSorties/entrees_sorties.h"

static const char* const USAGE =
    "usage: xml2txt [--merge] IN.xml OUT.txt\n"
    "       xml2txt --help\n";

static const char* const HELP =
    "Converts the XML instance IN.xml into the instance text format read by\n"
    "mac and muc, writes it to OUT.txt, then reads OUT.txt back with the\n"
    "instance reader to check it.\n"
    "\n"
    "  --merge   write the network as read back instead: one relation of\n"
    "            allowed pairs and one constraint per constrained pair\n"
    "  --help    print this help\n"
    "\n"
    "The converter reads the tags in a fixed order, one empty-element tag\n"
    "(ending in />) per element, and nothing between them:\n"
    "\n"
    "  <?xml version=\"1.0\"?>\n"
    "  <instance>\n"
    "  <presentation name=\"NAME\"/>\n"
    "  <domains nbDomains=\"1\">\n"
    "  <domain name=\"D0\" nbValues=\"4\" values=\"0..2 5\"/>\n"
    "  </domains>\n"
    "  <variables nbVariables=\"2\">\n"
    "  <variable name=\"V0\" domain=\"D0\"/>  <variable name=\"V1\" domain=\"D0\"/>\n"
    "  </variables>\n"
    "  <relations nbRelations=\"1\">\n"
    "  <relation name=\"R0\" domain=\"D0 D0\" nbConflicts=\"2\" conflicts=\"(0,0)(1,1)\"/>\n"
    "  </relations>\n"
    "  <constraints nbConstraints=\"1\">\n"
    "  <constraint name=\"C0\" scope=\"V0 V1\" relation=\"R0\"/>\n"
    "  </constraints>\n"
    "\n"
    "The count of a block is the first attribute of its opening tag.  A\n"
    "relation gives nbSupports and supports (allowed pairs) or nbConflicts and\n"
    "conflicts (forbidden pairs).  Elements are numbered by their place in\n"
    "their block; a reference such as domain=\"D3\" or relation=\"R12\" names\n"
    "the element whose place is the part of the name from its first digit on.\n"
    "Values are non-negative integers; blanks in NAME become '_'.\n"
    "\n"
    "Problems of the XML file are reported in French on the standard output;\n"
    "the conversion then goes on or stops early.\n"
    "\n"
    "Exit status: 0 when OUT.txt reads as an instance, 1 when IN.xml cannot be\n"
    "opened or OUT.txt cannot be written (OUT.txt must be a regular file), 2 on\n"
    "a wrong command line, 255 when OUT.txt breaks the instance text format\n"
    "(the reader's message on the standard error).  A value or tuple list\n"
    "whose length differs from its count stops the conversion there.\n";

static bool lisible(const char* nom) {
    std::FILE* f = std::fopen(nom, "r");
    if (f) std::fclose(f);
    return f != nullptr;
}

static bool estRepertoire(const char* nom) {
    struct stat st;
    return stat(nom, &st) == 0 && S_ISDIR(st.st_mode);
}

// The output is read back once written: it must be a file, not a pipe or a
// device, which would block the reading or never end it.
static bool fichierOrdinaire(const char* nom) {
    struct stat st;
    return stat(nom, &st) != 0 || S_ISREG(st.st_mode);
}

static bool creable(const char* nom) {
    int fd = open(nom, O_WRONLY | O_CREAT, 0600);
    if (fd >= 0) close(fd);
    return fd >= 0;
}

static bool memeFichier(const char* a, const char* b) {
    struct stat sa, sb;
    return stat(a, &sa) == 0 && stat(b, &sb) == 0 && sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

int main(int argc, char** argv) {
    bool fusion = false;
    const char* noms[2] = {nullptr, nullptr};
    int nbNoms = 0;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0) {
            std::fputs(USAGE, stdout);
            std::fputs("\n", stdout);
            std::fputs(HELP, stdout);
            return 0;
        }
        if (std::strcmp(argv[i], "--merge") == 0) {
            fusion = true;
        } else if (argv[i][0] == '-' && argv[i][1] != '\0') {
            std::fprintf(stderr, "xml2txt: unknown option %s\n%s", argv[i], USAGE);
            return 2;
        } else if (nbNoms < 2) {
            noms[nbNoms++] = argv[i];
        } else {
            std::fputs(USAGE, stderr);
            return 2;
        }
    }
    if (nbNoms != 2) {
        std::fputs(USAGE, stderr);
        return 2;
    }
    const char *entree = noms[0], *sortie = noms[1];
    if (!lisible(entree)) {
        std::printf("File *%s* does not exist\n", entree);
        return 1;
    }
    if (estRepertoire(entree)) {
        std::fprintf(stderr, "xml2txt: %s is a directory\n", entree);
        return 1;
    }
    if (memeFichier(entree, sortie)) {
        std::fprintf(stderr, "xml2txt: %s and %s are the same file\n", entree, sortie);
        return 2;
    }
    if (!fichierOrdinaire(sortie)) {
        std::fprintf(stderr, "xml2txt: cannot write %s: not a regular file\n", sortie);
        return 1;
    }
    if (!creable(sortie)) {
        std::fprintf(stderr, "xml2txt: cannot write %s\n", sortie);
        return 1;
    }

    installMemError();
    const bool ecrit = transfoXML(entree, sortie);
    std::fflush(stdout);
    if (!ecrit) {
        std::fprintf(stderr, "xml2txt: cannot write %s\n", sortie);
        return 1;
    }

    std::string texte;
    if (!lireFichier(sortie, texte)) {
        std::printf("File *%s* does not exist\n", sortie);
        return 1;
    }
    Network net;
    try {
        parseCSP(texte, sortie, net);
    } catch (const NaryRelation& e) {
        std::fputs(e.what(), stderr);
        return 255;
    } catch (const FormatError& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 255;
    }
    if (fusion && !writeCSP(sortie, net)) {
        std::fprintf(stderr, "xml2txt: cannot write %s\n", sortie);
        return 1;
    }
    return 0;
}
