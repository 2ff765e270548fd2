// Arc-consistency filtering: the support test, root revisions and the
// propagation after a decision with its trail, activity flags and weights.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "Filtrages/acs.h"
#include "mac.h"

namespace {

Network lire(const std::string& texte) {
    Network net;
    parseCSP(texte, "t", net);
    return net;
}

std::vector<int> presents(const Network& net, int x) {
    const DOMAINE& d = net.realDom[x];
    std::vector<int> v(d.ind_val_rest.begin(), d.ind_val_rest.begin() + d.nbvalC);
    std::sort(v.begin(), v.end());
    return v;
}

// Variable 0 and 1 on {0, 1}; the only allowed pair is 0 = 0, 1 = 1.
const char* ASYMETRIQUE = R"(?
1
0 2 0 1
2
0 0
1 0
1
0 1 2 0 0 1 0 1
1
2 0 1 0
)";

// Variables 0 and 1 on {0, 1, 2, 3} with 0 <= 1; 2 to 5 are free (so that
// there are levels up to 6).
const char* INFERIEUR = R"(?
1
0 4 0 1 2 3
6
0 0
1 0
2 0
3 0
4 0
5 0
1
0 1 2 0 0 10 0 0 0 1 0 2 0 3 1 1 1 2 1 3 2 2 2 3 3 3
1
2 0 1 0
)";

// Decision on `x` at `level` with the value at position 0 of x's domain.
bool decider(Network& net, SearchState& s, int level, Ushort x) {
    s.level = level;
    s.var_instancie[level] = x;
    return ac8MacFile(net, s, 0);
}

void placerEnTete(Network& net, int x, int valeur) {
    const std::vector<int>& t = net.realDom[x].ind_val_rest;
    switchDom(net, x, 0, static_cast<int>(std::find(t.begin(), t.end(), valeur) - t.begin()));
}

// Both support tests: the fast one and the plain scan.
bool lesDeux(Network& net, Ushort i, Ushort j, Ushort a) {
    const bool vite = supp_suivant_ac8(net, i, j, a), simple = supp_reference(net, i, j, a);
    EXPECT_EQ(vite, simple) << i << " " << j << " " << a;
    return vite;
}

}  // namespace

TEST(SupportTest, ReadsTheMatrixTransposedFromTheLargerVariable) {
    Network net = lire(ASYMETRIQUE);
    SearchState s;
    preparerRun(net, s);
    struct Cas { Ushort i, j, a; bool attendu; };
    const Cas cas[] = {
        {0, 1, 0, true},   // M[0][1]
        {0, 1, 1, false},
        {1, 0, 1, true},   // i > j: M[b][a] = M[0][1]
        {1, 0, 0, false},
    };
    for (const Cas& c : cas)
        EXPECT_EQ(lesDeux(net, c.i, c.j, c.a), c.attendu) << c.i << " " << c.j << " " << c.a;
}

TEST(SupportTest, SeesOnlyTheCurrentDomainOfTheNeighbour) {
    Network net = lire(ASYMETRIQUE);
    SearchState s;
    preparerRun(net, s);
    changerTaille(net.realDom[1], 1);  // variable 1 holds value 0 only
    EXPECT_FALSE(lesDeux(net, 0, 1, 0));
    EXPECT_TRUE(lesDeux(net, 1, 0, 1));  // a value outside the domain still has its supports
    changerTaille(net.realDom[1], 0);
    EXPECT_FALSE(lesDeux(net, 0, 1, 0));
    changerTaille(net.realDom[1], 2);  // given back
    EXPECT_TRUE(lesDeux(net, 0, 1, 0));
}

TEST(SupportTest, FindsAnotherSupportOnceTheLastOneFoundHasGone) {
    // Variable 0 on {0, 1}, variable 1 on 0..129 (three words of bits);
    // value 0 of variable 0 is compatible with 5, 64 and 129 only.
    std::string texte = "?\n2\n0 2 0 1\n1 130";
    for (int v = 0; v < 130; ++v) texte += " " + std::to_string(v);
    texte += "\n2\n0 0\n1 1\n1\n0 1 2 0 1 3 0 5 0 64 0 129\n1\n2 0 1 0\n";
    Network net = lire(texte);
    SearchState s;
    preparerRun(net, s);
    DOMAINE& d = net.realDom[1];
    // Values leave from the front, each swapped to the end and cut: the
    // residue goes 5 -> 64 -> 129 -> none, and back when they return.
    struct Cas { int retire; bool attendu; };
    const Cas cas[] = {{5, true}, {64, true}, {129, false}};
    for (const Cas& c : cas) {
        EXPECT_TRUE(lesDeux(net, 0, 1, 0));
        const int p = d.pos_val[c.retire];
        switchDom(net, 1, p, d.nbvalC - 1);
        retirerDernier(d);
        EXPECT_EQ(lesDeux(net, 0, 1, 0), c.attendu) << c.retire;
        EXPECT_FALSE(lesDeux(net, 0, 1, 1));
    }
    changerTaille(d, 130);
    EXPECT_TRUE(lesDeux(net, 0, 1, 0));
    for (int v = 0; v < 130; ++v) EXPECT_EQ(lesDeux(net, 1, 0, static_cast<Ushort>(v)), v == 5 || v == 64 || v == 129) << v;
}

TEST(RootFilteringTest, RemovesUnsupportedValuesWithoutSkippingTheSwappedOne) {
    // 0 <= 1 and 1 <= 2 with variable 2 fixed to value 1: variable 1 keeps
    // {0, 1} and variable 0 keeps {0, 1}; removing position 2 of variable 1
    // brings value 3 to it, which must be tested in turn.
    Network net = lire(R"(?
2
0 4 0 1 2 3
1 1 1
3
0 0
1 0
2 1
2
0 1 2 0 0 10 0 0 0 1 0 2 0 3 1 1 1 2 1 3 2 2 2 3 3 3
1 1 2 0 1 2 0 1 1 1
2
2 0 1 0
2 1 2 1
)");
    SearchState s;
    preparerRun(net, s);
    ASSERT_TRUE(InitAc8File(net, s));
    EXPECT_EQ(s.tailleFile, 4);
    // Variable 0 is revised first (no loss), then variable 1 against 0, then
    // against 2 (losses): the queue holds 1 alone.
    EXPECT_EQ(s.queue, 1);
    EXPECT_EQ(s.Liste_ac8_var[1], 1);
    ASSERT_TRUE(ac8File(net, s));
    EXPECT_EQ(presents(net, 1), (std::vector<int>{0, 1}));
    EXPECT_EQ(presents(net, 0), (std::vector<int>{0, 1}));
    EXPECT_EQ(s.tete, s.queue);
    for (auto p : s.presente) EXPECT_EQ(p, 0);
}

TEST(RootFilteringTest, WipeOutStopsAtOnceWithTheLastValueInPlace) {
    Network net = lire(R"(?
1
0 2 0 1
2
0 0
1 0
1
0 1 2 0 0 0
1
2 0 1 0
)");
    SearchState s;
    preparerRun(net, s);
    EXPECT_FALSE(InitAc8File(net, s));
    EXPECT_EQ(net.realDom[0].nbvalC, 0);
    EXPECT_EQ(net.realDom[0].ind_val_rest[0], 1);  // removed last, never swapped
    EXPECT_EQ(net.realDom[1].nbvalC, 2);           // not reached
}

TEST(RootFilteringTest, ANeighbourWithAnEmptyDomainSupportsNothing) {
    // Variable 0 on 2 or 20 values (a block, or bit rows), variable 1 on
    // none; the relation forbids no pair (type 0) or allows none (type 1):
    // either way variable 0 loses every value.
    for (const bool reference : {false, true}) {
        for (const int n : {2, 20}) {
            std::string valeurs;
            for (int v = 0; v < n; ++v) valeurs += " " + std::to_string(v);
            for (const char* type : {"0", "1"}) {
                Network net = lire("?\n2\n0 " + std::to_string(n) + valeurs + "\n1 0\n2\n0 0\n1 1\n1\n0 " + type +
                                   " 2 0 1 0\n1\n2 0 1 0\n");
                SearchState s;
                preparerRun(net, s);
                s.reference = reference;
                EXPECT_FALSE(InitAc8File(net, s)) << reference << n << type;
                EXPECT_EQ(net.realDom[0].nbvalC, 0) << reference << n << type;
            }
        }
    }
}

TEST(TrailTest, CutsAtTwoLevelsAreUndoneInTurn) {
    Network net = lire(INFERIEUR);
    SearchState s;
    preparerRun(net, s);
    ASSERT_TRUE(InitAc8File(net, s) && ac8File(net, s));
    s.var = 1;
    mettre_a_jour_degre(net, s);

    placerEnTete(net, 1, 2);  // level 3: variable 1 = 2 leaves 0 in {0, 1, 2}
    ASSERT_TRUE(decider(net, s, 3, 1));
    EXPECT_EQ(net.realDom[0].nbvalC, 3);
    placerEnTete(net, 1, 1);  // level 5: variable 1 = 1 leaves 0 in {0, 1}
    ASSERT_TRUE(decider(net, s, 5, 1));
    EXPECT_EQ(net.realDom[0].nbvalC, 2);
    // 0 stands on both levels' stacks, each entry with its size before that level's cut.
    ASSERT_EQ(s.future_fc[3].sommet, 1);
    ASSERT_EQ(s.future_fc[5].sommet, 1);
    EXPECT_EQ(entreeTrail(s, 3, 1), 0);
    EXPECT_EQ(entreeTrail(s, 5, 1), 0);
    EXPECT_EQ(tailleTrail(s, 3, 1), 4);
    EXPECT_EQ(tailleTrail(s, 5, 1), 3);
    EXPECT_EQ(net.realDom[1].nbvalC, 4);  // the decision variable keeps its own size

    s.level = 5;
    undo_reduction(net, s);
    EXPECT_EQ(net.realDom[0].nbvalC, 3);
    EXPECT_EQ(s.future_fc[5].sommet, 0);
    EXPECT_FALSE(present_future(s, 5, 0));
    EXPECT_EQ(entreeTrail(s, 3, 1), 0) << "level 3's entry outlives the undo of level 5";
    EXPECT_EQ(s.trail_sommet, s.future_fc[3].debut + 1);
    s.level = 3;
    undo_reduction(net, s);
    EXPECT_EQ(net.realDom[0].nbvalC, 4);
    EXPECT_EQ(presents(net, 0), (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(s.future_fc[3].sommet, 0);
    EXPECT_EQ(s.trail_sommet, 0);
    EXPECT_EQ(s.niveau_trail[0], -1);
    undo_reduction(net, s);  // empty stack: nothing changes
    EXPECT_EQ(net.realDom[0].nbvalC, 4);
}

TEST(TrailTest, SecondCutAtOneLevelIsNotTrailed) {
    Network net = lire(INFERIEUR);
    SearchState s;
    preparerRun(net, s);
    ASSERT_TRUE(InitAc8File(net, s) && ac8File(net, s));
    s.var = 1;
    mettre_a_jour_degre(net, s);
    placerEnTete(net, 1, 2);
    ASSERT_TRUE(decider(net, s, 3, 1));
    placerEnTete(net, 1, 0);
    ASSERT_TRUE(decider(net, s, 3, 1));
    EXPECT_EQ(net.realDom[0].nbvalC, 1);
    EXPECT_EQ(s.future_fc[3].sommet, 1);
    EXPECT_EQ(entreeTrail(s, 3, 1), 0);
    EXPECT_EQ(tailleTrail(s, 3, 1), 4) << "the size before the first cut";
    undo_reduction(net, s);
    EXPECT_EQ(net.realDom[0].nbvalC, 4);
}

TEST(DecisionPropagationTest, WipeOutRaisesOnlyThePropagatedVariablesWeight) {
    // 0 != 1, 1 on {0}: deciding 0 = 0 empties 1.
    Network net = lire(R"(?
2
0 2 0 1
1 1 0
2
0 0
1 1
1
0 0 2 0 1 1 0 0
1
2 0 1 0
)");
    SearchState s;
    preparerRun(net, s);
    s.tailleFile = net.nb_var + 1;  // no root filtering: it would remove 0 = 0 at once
    s.var = 0;
    mettre_a_jour_degre(net, s);
    EXPECT_FALSE(decider(net, s, 0, 0));
    EXPECT_EQ(net.weight(0, 1), 2);
    EXPECT_EQ(net.weight(1, 0), 1);
    EXPECT_EQ(net.realDom[1].nbvalC, 0);
    EXPECT_EQ(net.realDom[0].nbvalC, 2);  // given back
    EXPECT_EQ(s.tete, s.queue);
    for (auto p : s.presente) EXPECT_EQ(p, 0);
    undo_reduction(net, s);  // the emptied variable was trailed first
    EXPECT_EQ(net.realDom[1].nbvalC, 1);
    EXPECT_EQ(s.nbActive, 1);
}

TEST(DecisionPropagationTest, PairFlagIsSharedByBothDirections) {
    // Variables 0..5 on {0, 1}; the constraints (5, 3) and (0, 1) are !=.
    Network net = lire(R"(?
1
0 2 0 1
6
0 0
1 0
2 0
3 0
4 0
5 0
1
0 0 2 0 0 2 0 0 1 1
2
2 5 3 0
2 0 1 0
)");
    SearchState s;
    preparerRun(net, s);
    const int cle = pairKey(net, 3, 5);
    EXPECT_EQ(pairKey(net, 5, 3), cle);
    EXPECT_NE(pairKey(net, 0, 1), cle);
    EXPECT_EQ(pairKey(net, 3, 4), -1);
    ASSERT_EQ(s.active.size(), 2u) << "one flag per constrained pair";
    ASSERT_TRUE(InitAc8File(net, s) && ac8File(net, s));
    ASSERT_TRUE(decider(net, s, 0, 5));  // 3 loses a value through (3, 5)
    EXPECT_EQ(s.active[cle], 1);
    EXPECT_EQ(s.nbActive, 1);
    undo_reduction(net, s);
    ASSERT_TRUE(decider(net, s, 1, 3));  // 5 loses a value through (5, 3)
    EXPECT_EQ(s.nbActive, 1);
    for (size_t k = 0; k < s.active.size(); ++k) EXPECT_EQ(s.active[k], static_cast<int>(k) == cle ? 1 : 0) << k;
}

TEST(DecisionPropagationTest, NoFutureNeighbourChangesNothing) {
    Network net = lire(INFERIEUR);
    SearchState s;
    preparerRun(net, s);
    ASSERT_TRUE(InitAc8File(net, s) && ac8File(net, s));
    s.var = 0;
    mettre_a_jour_degre(net, s);  // 1 has no future neighbour left
    EXPECT_TRUE(decider(net, s, 0, 1));
    EXPECT_EQ(net.realDom[0].nbvalC, 4);
    EXPECT_EQ(net.realDom[1].nbvalC, 4);
    EXPECT_EQ(s.future_fc[0].sommet, 0);
    EXPECT_EQ(s.nbActive, 0);
}
