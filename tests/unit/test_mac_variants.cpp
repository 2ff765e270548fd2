// The fast support test against the plain scan over whole runs: the same
// status and the same bytes in "weight", "activity" and "weightCons", since
// only the existence of a support decides the removals and their order.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "csp_gen.h"
#include "harness.h"
#include "mac.h"

namespace {

struct Sortie {
    int status = -1;
    std::string weight, activity, weightCons;
    bool operator==(const Sortie&) const = default;
};

class VariantsTest : public ::testing::Test {
protected:
    TempDir dir;
    ScopedChdir here{dir.path};

    // One run from the weight file `poids`.
    static Sortie run(const std::string& texte, const std::string& poids, bool reference) {
        writeFile("weight", poids);
        Network net;
        parseCSP(texte, "current.txt", net);
        SearchState s;
        s.reference = reference;
        Sortie o;
        o.status = solve(net, s, "current.txt", 0, nullptr);
        o.weight = readFile("weight");
        o.activity = readFile("activity");
        o.weightCons = readFile("weightCons");
        return o;
    }
};

// Small networks of every shape, then larger ones near the hard region with
// domains of one to three words of bits.
GenParams parametres(int k) {
    GenParams p;
    if (k % 3 != 2) {
        const double densites[] = {0.2, 0.5, 0.9};
        p.density = densites[k % 3];
        p.tightness = (k / 3) % 2 ? 0.35 : 0.6;
        p.maxDomainSize = 6;
        return p;
    }
    const int tailles[] = {12, 40, 70, 140};
    p.minVars = 8;
    p.maxVars = 14;
    p.maxDomainSize = tailles[(k / 3) % 4];
    p.maxValue = p.maxDomainSize + 20;
    p.density = 0.45;
    p.tightness = p.maxDomainSize > 20 ? 0.82 : 0.5;
    p.repeatPair = 0.1;
    return p;
}

constexpr int NB_INSTANCES = 540;

}  // namespace

TEST_F(VariantsTest, FastAndPlainSupportTestsGiveTheSameRunsAndFiles) {
    std::mt19937 rng(7031);
    int sat = 0, unsat = 0, mots = 0;
    for (int k = 0; k < NB_INSTANCES; ++k) {
        const Instance inst = randomInstance(rng, parametres(k));
        const std::string texte = inst.toText();
        std::string uns;
        for (size_t c = 0; c < 2 * inst.constraints.size(); ++c) uns += "1 ";
        const Sortie vite = run(texte, uns, false), simple = run(texte, uns, true);
        ASSERT_EQ(vite, simple) << "instance " << k << "\n" << texte;
        // A second run from the weights the first one left.
        const Sortie vite2 = run(texte, vite.weight, false), simple2 = run(texte, vite.weight, true);
        ASSERT_EQ(vite2, simple2) << "instance " << k << " second run\n" << texte;
        (vite.status ? sat : unsat)++;
        for (const auto& d : inst.domains) mots += d.size() > 64;
    }
    EXPECT_GT(sat, NB_INSTANCES / 10);
    EXPECT_GT(unsat, NB_INSTANCES / 10);
    EXPECT_GT(mots, 40) << "domains of more than one word";
}
