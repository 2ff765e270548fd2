// Writes the seed corpora of the fuzz targets into OUTDIR/<target>/: the
// instance files given on the command line and small generated instances,
// as text, as XML, as weight files for the weight target's networks, and
// with the parameter bytes of the core extractor's target in front.
#include <cstdio>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

#include "csp_gen.h"
#include "csp_xml.h"

namespace {

std::string outDir;

void seed(const std::string& target, const std::string& name, const std::string& bytes) {
    std::ofstream f(outDir + "/" + target + "/" + name, std::ios::binary);
    f << bytes;
}

std::string slurp(const char* path) {
    std::ifstream f(path, std::ios::binary);
    std::ostringstream s;
    s << f.rdbuf();
    return s.str();
}

// A weight file of `count` numbers: ones, or a spread of values.
std::string weights(int count, int style) {
    std::string w;
    for (int k = 0; k < count; ++k) {
        const int v = style == 0 ? 1 : style == 1 ? k * 37 - 5 : (k % 2 ? 2147483647 : -2147483647 - 1);
        w += std::to_string(v) + (k % 3 ? " " : "\n");
    }
    return w;
}

void instanceSeeds(const std::string& name, const std::string& text, int k) {
    seed("reader", name, text);
    seed("muc_file", name, std::string{static_cast<char>(k), static_cast<char>(0x5a), static_cast<char>(k + 1),
                                       static_cast<char>(0x21 + k)} + text);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: fuzz_seeds OUTDIR [INSTANCE...]\n");
        return 2;
    }
    outDir = argv[1];
    for (int i = 2; i < argc; ++i) instanceSeeds("given" + std::to_string(i), slurp(argv[i]), i);
    std::mt19937 rng(2024);
    GenParams small;
    small.maxVars = 6;
    small.maxDomainSize = 3;
    for (int k = 0; k < 24; ++k) {
        Instance inst = randomInstance(rng, small);
        const std::string name = "gen" + std::to_string(k);
        instanceSeeds(name, inst.toText(k % 2 ? "?" : "instance" + std::to_string(k)), k);
        if (xmlExpressible(inst)) seed("xml", name + ".xml", toXML(nonNegative(inst), "gen " + std::to_string(k)));
    }
    for (int net = 0; net < 3; ++net)
        for (int style = 0; style < 3; ++style)
            seed("weight", "w" + std::to_string(net) + std::to_string(style),
                 std::string(1, static_cast<char>(net)) + weights(net == 0 ? 0 : net == 1 ? 2 : 12, style));
    return 0;
}
