// The plain reader against the fast one: the same network, field by field,
// on hand-made files and on random instances.  The plain search is checked
// against the fast one on the same networks (test_mac_variants.cpp), so the
// bench's plain runs, which read with the plain reader, give the same files.
#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "EntreesSorties/entrees_sorties.h"
#include "EntreesSorties/lecture_simple.h"
#include "csp_gen.h"
#include "harness.h"
#include "net_compare.h"

namespace {

// What networkDifference leaves out: the tuple tables, the constraints as
// read and the arcs the search follows.
void memesTablesEtArcs(const Network& a, const Network& b) {
    ASSERT_EQ(a.tabTuples.size(), b.tabTuples.size());
    for (size_t r = 0; r < a.tabTuples.size(); ++r) {
        const TUPLES &x = a.tabTuples[r], &y = b.tabTuples[r];
        EXPECT_EQ(x.typeRel, y.typeRel) << "relation " << r;
        EXPECT_EQ(x.domaines, y.domaines) << "relation " << r;
        ASSERT_EQ(x.nb_tuples, y.nb_tuples) << "relation " << r;
        EXPECT_EQ(std::vector<int>(x.tuples.begin(), x.tuples.begin() + 2 * x.nb_tuples),
                  std::vector<int>(y.tuples.begin(), y.tuples.begin() + 2 * y.nb_tuples))
            << "relation " << r;
    }
    ASSERT_EQ(a.nb_ctr, b.nb_ctr);
    for (int i = 0; i < a.nb_ctr; ++i) {
        EXPECT_EQ(a.ctr[i].variables, b.ctr[i].variables) << "constraint " << i;
        EXPECT_EQ(a.ctr[i].nbRel, b.ctr[i].nbRel) << "constraint " << i;
        EXPECT_EQ(a.ctr[i].watch, b.ctr[i].watch) << "constraint " << i;
        EXPECT_EQ(a.ctr[i].paire, b.ctr[i].paire) << "constraint " << i;
    }
    for (int u = 0; u < a.nb_var; ++u) {
        const VOISIN &x = a.graphe[u], &y = b.graphe[u];
        EXPECT_EQ(x.degre, y.degre) << "variable " << u;
        EXPECT_EQ(x.weight, y.weight) << "variable " << u;
        ASSERT_EQ(x.arcs.size(), y.arcs.size()) << "variable " << u;
        for (size_t k = 0; k < x.arcs.size(); ++k) {
            EXPECT_EQ(x.arcs[k].paire, y.arcs[k].paire) << "variable " << u << ", arc " << k;
            EXPECT_EQ(x.arcs[k].place, y.arcs[k].place) << "variable " << u << ", arc " << k;
            EXPECT_EQ(x.arcs[k].lu, y.arcs[k].lu) << "variable " << u << ", arc " << k;
        }
        EXPECT_EQ(a.realDom[u].ind_val_rest, b.realDom[u].ind_val_rest) << "variable " << u;
    }
    for (int r = 0; r < a.nb_rel; ++r) {
        const REL &x = a.relDef[r], &y = b.relDef[r];
        EXPECT_EQ(x.var1, y.var1) << "pair " << r;
        EXPECT_EQ(x.var2, y.var2) << "pair " << r;
        EXPECT_EQ(x.dom1, y.dom1) << "pair " << r;
        EXPECT_EQ(x.dom2, y.dom2) << "pair " << r;
    }
}

class LectureSimpleTest : public ::testing::Test {
protected:
    TempDir dir;
    ScopedChdir here{dir.path};

    static Network simple(const std::string& texte) {
        writeFile("current.txt", texte);
        Network net;
        lireCSPSimple("current.txt", net);
        return net;
    }

    // Both readers on `texte`: the same network.
    static void memeReseau(const std::string& texte) {
        Network vite;
        parseCSP(texte, "current.txt", vite);
        const Network plain = simple(texte);
        EXPECT_EQ(networkDifference(plain, vite), "");
        memesTablesEtArcs(plain, vite);
    }
};

}  // namespace

// Files that exercise each step of the building: forbidden lists empty and
// full, a pair constrained in both orientations and folded, a repeated
// domain value, an unused relation, a variable without constraint.
TEST_F(LectureSimpleTest, BuildsTheNetworkOfTheFastReader) {
    const std::vector<std::pair<const char*, std::string>> fichiers = {
        {"two domains, allowed and forbidden",
         "?\n2\n0 3 1 2 3\n1 2 5 9\n3\n0 0\n1 0\n2 1\n2\n0 1 2 0 0 3 1 1 2 2 3 3\n1 0 2 0 1 1 3 9\n2\n2 0 1 0\n2 1 2 1\n"},
        {"empty and full forbidden lists",
         "?\n1\n0 2 0 1\n3\n0 0\n1 0\n2 0\n2\n0 0 2 0 0 0\n1 0 2 0 0 4 0 0 0 1 1 0 1 1\n2\n2 0 1 0\n2 2 1 1\n"},
        {"one pair, both orientations, folded",
         "?\n1\n0 3 4 5 6\n4\n0 0\n1 0\n2 0\n3 0\n2\n0 1 2 0 0 3 4 5 5 6 4 6\n1 0 2 0 0 1 6 4\n3\n"
         "2 3 1 0\n2 1 3 1\n2 0 2 0\n"},
        {"repeated value, unused relation",
         "name\n2\n0 3 7 8 7\n1 2 1 2\n3\n0 0\n1 1\n2 0\n3\n0 0 2 0 1 1 8 2\n1 1 2 0 0 2 7 7 8 7\n2 1 2 1 1 1 1 2\n1\n"
         "2 0 1 0\n"},
        {"no constraint", "?\n1\n0 1 0\n2\n0 0\n1 0\n0\n0\n"},
    };
    for (const auto& [quoi, texte] : fichiers) {
        SCOPED_TRACE(quoi);
        memeReseau(texte);
    }
}

TEST_F(LectureSimpleTest, BuildsTheNetworkOfTheFastReaderOnRandomInstances) {
    std::mt19937 rng(20261208);
    for (int k = 0; k < 300; ++k) {
        GenParams p;
        p.maxDomainSize = k % 2 ? 5 : 12;
        p.maxValue = p.maxDomainSize + 6;
        p.density = k % 3 == 0 ? 0.9 : 0.4;
        p.repeatPair = 0.3;
        const std::string texte = randomInstance(rng, p).toText();
        SCOPED_TRACE(texte);
        memeReseau(texte);
        if (HasFailure()) return;
    }
}

TEST_F(LectureSimpleTest, RefusesWhatItCannotRead) {
    const std::vector<std::pair<const char*, std::string>> fichiers = {
        {"file ends early", "?\n1\n0 2 0 1\n2\n0 0\n"},
        {"not a number", "?\n1\n0 2 0 x\n"},
        {"value outside its domain", "?\n1\n0 2 0 1\n2\n0 0\n1 0\n1\n0 1 2 0 0 1 0 5\n1\n2 0 1 0\n"},
        {"constraint of arity 3", "?\n1\n0 2 0 1\n3\n0 0\n1 0\n2 0\n1\n0 1 2 0 0 1 0 1\n1\n3 0 1 2 0\n"},
        {"negative tuple count", "?\n1\n0 2 0 1\n2\n0 0\n1 0\n1\n0 1 2 0 0 -1\n"},
        {"negative value count", "?\n1\n0 -2 0 1\n"},
    };
    for (const auto& [quoi, texte] : fichiers) {
        SCOPED_TRACE(quoi);
        EXPECT_THROW(simple(texte), FormatError);
    }
    EXPECT_THROW(simple("?\n1\n0 2 0 1\n1\n0 0\n1\n0 1 3 0 0 0 0\n0\n"), NaryRelation);
    EXPECT_THROW(lireCSPSimple("nosuch.txt", *std::make_unique<Network>()), FormatError);
    // References past their block.
    EXPECT_THROW(simple("?\n1\n0 2 0 1\n2\n0 0\n1 0\n1\n0 1 2 0 0 1 0 1\n1\n2 0 7 0\n"), std::out_of_range);
    EXPECT_THROW(simple("?\n1\n0 2 0 1\n2\n0 0\n1 3\n0\n0\n"), std::out_of_range);
    EXPECT_THROW(simple("?\n1\n0 2 0 1\n2\n0 0\n1 0\n1\n0 1 2 0 4 1 0 1\n1\n2 0 1 0\n"), std::out_of_range);
    EXPECT_THROW(simple("?\n1\n0 2 0 1\n2\n0 0\n1 0\n1\n0 1 2 0 0 1 0 1\n1\n2 0 1 -1\n"), std::out_of_range);
}
