// Whole runs of the solver (solve, with its weight files) on random small
// instances, against an independent brute-force decision.
#include <gtest/gtest.h>

#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "csp_gen.h"
#include "harness.h"
#include "mac.h"

namespace {

std::string repeter(const std::string& motif, size_t n) {
    std::string s;
    for (size_t k = 0; k < n; ++k) s += motif;
    return s;
}

size_t nombres(const std::string& texte) {
    std::istringstream in(texte);
    size_t n = 0;
    long v;
    while (in >> v) ++n;
    return n;
}

// Runs in a fresh working directory.
class DifferentialTest : public ::testing::Test {
protected:
    TempDir dir;
    ScopedChdir here{dir.path};

    // One run on `texte` with the weight file as it stands; checks the files
    // it leaves and the state of an exhausted search.
    int run(const std::string& texte, const std::string& quoi) {
        Network net;
        parseCSP(texte, "current.txt", net);
        SearchState s;
        const int status = solve(net, s, "current.txt", 0, nullptr);
        size_t attendus = 0;
        for (const auto& v : s.voisins_lus) attendus += v.size();
        EXPECT_EQ(nombres(readFile("weight")), attendus) << quoi;
        const std::string act = readFile("activity"), wc = readFile("weightCons");
        size_t listees = 0;  // every constraint of a flagged pair is listed
        for (const CONSTRAINTS& c : net.ctr) listees += s.active[c.paire] != 0;
        EXPECT_EQ(nombres(act), listees + 1) << quoi;
        EXPECT_EQ(act.substr(0, act.find('\n')), std::to_string(s.nbActive)) << quoi;
        EXPECT_EQ(nombres(wc), nombres(act)) << quoi;
        EXPECT_LE(s.level, net.nb_var) << quoi;
        if (status == 0) {
            // Every level was undone: complete lists, empty trail.
            for (int i = 0; i < net.nb_var; ++i) {
                EXPECT_EQ(net.graphe[i].degre, s.voisins_lus[i].size()) << quoi << " variable " << i;
                EXPECT_EQ(s.niveau_trail[i], -1) << quoi << " variable " << i;
            }
            EXPECT_EQ(s.trail_sommet, 0) << quoi;
            for (const PILE_VAR& f : s.future_fc) EXPECT_EQ(f.sommet, 0) << quoi;
        }
        return status;
    }
};

GenParams parametres(int k) {
    GenParams p;
    const double densites[] = {0.15, 0.35, 0.6, 0.9};
    const double durete[] = {0.3, 0.5, 0.7};
    p.density = densites[k % 4];
    p.tightness = durete[(k / 4) % 3];
    p.repeatPair = (k / 12) % 2 ? 0.4 : 0.1;
    return p;
}

constexpr int NB_INSTANCES = 2400;

}  // namespace

TEST_F(DifferentialTest, VerdictMatchesBruteForceOverTwoRunsSharingWeights) {
    std::mt19937 rng(20240601);
    int sat = 0, unsat = 0;
    for (int k = 0; k < NB_INSTANCES; ++k) {
        const Instance inst = randomInstance(rng, parametres(k));
        const std::string texte = inst.toText();
        const int attendu = bruteForceSat(inst) ? STATUS_SOLUTION : 0;
        (attendu ? sat : unsat)++;
        writeFile("weight", repeter("1 ", 2 * inst.constraints.size()));
        ASSERT_EQ(run(texte, "first run"), attendu) << "instance " << k << "\n" << texte;
        const std::string poids = readFile("weight");
        ASSERT_EQ(run(texte, "second run"), attendu)
            << "instance " << k << " with weights " << poids << "\n" << texte;
    }
    // The generator gives both kinds in numbers.
    EXPECT_GT(sat, NB_INSTANCES / 5);
    EXPECT_GT(unsat, NB_INSTANCES / 5);
}

TEST_F(DifferentialTest, VerdictMatchesBruteForceWithZeroWeights) {
    // Every quotient is infinite: each choice goes through the fallback.
    std::mt19937 rng(20240601);
    for (int k = 0; k < NB_INSTANCES; ++k) {
        const Instance inst = randomInstance(rng, parametres(k));
        const std::string texte = inst.toText();
        const int attendu = bruteForceSat(inst) ? STATUS_SOLUTION : 0;
        writeFile("weight", repeter("0 ", 2 * inst.constraints.size()));
        ASSERT_EQ(run(texte, "zero weights"), attendu) << "instance " << k << "\n" << texte;
    }
}
