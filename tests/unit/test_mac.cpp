// Search: value order, degree upkeep, variable choice, singleton levels and
// backtracking, and the outcomes of the search phase.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <limits>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "Filtrages/acs.h"
#include "csp_gen.h"
#include "instances.h"
#include "mac.h"

namespace {

Network lire(const std::string& texte) {
    Network net;
    parseCSP(texte, "t", net);
    return net;
}

// A state ready for label without root filtering.
void preparer(Network& net, SearchState& s) {
    preparerRun(net, s);
    s.tailleFile = net.nb_var + 1;
}

// Variables 0..n-1 on {0..d-1}, with the constraints `paires` all of the
// relation given by its listed tuples (allowed when `permis`).
std::string reseau(int n, int d, const std::vector<std::pair<int, int>>& paires, bool permis,
                   const std::vector<std::pair<int, int>>& tuples) {
    std::ostringstream o;
    o << "?\n1\n0 " << d;
    for (int v = 0; v < d; ++v) o << " " << v;
    o << "\n" << n << "\n";
    for (int i = 0; i < n; ++i) o << i << " 0\n";
    o << "1\n0 " << (permis ? 1 : 0) << " 2 0 0 " << tuples.size();
    for (auto [a, b] : tuples) o << " " << a << " " << b;
    o << "\n" << paires.size() << "\n";
    for (auto [x, y] : paires) o << "2 " << x << " " << y << " 0\n";
    return o.str();
}

std::vector<std::pair<int, int>> egalite(int d) {
    std::vector<std::pair<int, int>> t;
    for (int v = 0; v < d; ++v) t.emplace_back(v, v);
    return t;
}

const std::vector<std::pair<int, int>> TRIANGLE = {{0, 1}, {0, 2}, {1, 2}};

}  // namespace

TEST(ValueOrderTest, TriesPositionZeroThenFromTheEnd) {
    // Variable 0 on a, b, c, d (indexes 0..3), variable 1 on {0}; a value of
    // 0 succeeds when the pair (value, 0) is allowed.  The first k values of
    // the order a, d, c, b are made to fail.
    const int ordre[] = {0, 3, 2, 1};
    for (int k = 0; k <= 4; ++k) {
        std::ostringstream o;
        o << "?\n2\n0 4 10 11 12 13\n1 1 0\n2\n0 0\n1 1\n1\n0 1 2 0 1 " << 4 - k;
        for (int r = k; r < 4; ++r) o << " " << 10 + ordre[r] << " 0";
        o << "\n1\n2 0 1 0\n";
        Network net = lire(o.str());
        SearchState s;
        preparer(net, s);
        s.var_instancie[0] = 0;
        label(net, s);
        EXPECT_EQ(net.weight(0, 1), 1 + k) << k;
        if (k < 4) {
            EXPECT_TRUE(s.consistent) << k;
            EXPECT_EQ(s.sol[0], ordre[k]) << k;
            EXPECT_EQ(s.level, 1) << k;
            EXPECT_EQ(net.realDom[0].nbvalC, 3 - k) << k;
        } else {
            EXPECT_FALSE(s.consistent);
            EXPECT_EQ(s.level, 0);
            EXPECT_EQ(net.realDom[0].nbvalC, 0);
            EXPECT_EQ(s.sol[0], -1);
            EXPECT_EQ(net.realDom[1].nbvalC, 1);  // each failed attempt was undone
        }
    }
}

TEST(DegreeUpkeepTest, TakesOutAndPutsBackThroughMatrice) {
    // y = 0 with neighbours x = 1 then z = 2.
    Network net = lire(reseau(3, 2, {{0, 1}, {0, 2}}, true, egalite(2)));
    SearchState s;
    preparer(net, s);
    ASSERT_EQ(net.graphe[0].tab_voisins, (std::vector<Ushort>{1, 2}));
    s.var = 1;
    mettre_a_jour_degre(net, s);
    EXPECT_EQ(net.graphe[0].degre, 1);
    EXPECT_EQ(net.graphe[0].tab_voisins, (std::vector<Ushort>{2, 1}));
    EXPECT_EQ(net.mat(1, 0), 1);
    EXPECT_EQ(net.mat(2, 0), 0);
    EXPECT_EQ(net.graphe[1].degre, 1);  // x's own list is left alone
    remettre_a_jour_degre(net, s);
    EXPECT_EQ(net.graphe[0].degre, 2);
    EXPECT_EQ(net.graphe[0].tab_voisins, (std::vector<Ushort>{2, 1}));
    EXPECT_EQ(net.mat(1, 0), 1);
    EXPECT_EQ(net.mat(2, 0), 0);
}

// Every arc's back link names the variable's own place in the neighbour's
// list, with the same pair; the future neighbours of a variable still in
// play are the front of its list (a variable taken out keeps its list).
std::string liensIncoherents(const Network& net, const SearchState& s) {
    for (int u = 0; u < net.nb_var; ++u) {
        const VOISIN& g = net.graphe[u];
        for (size_t k = 0; k < g.tab_voisins.size(); ++k) {
            const VOISIN& h = net.graphe[g.tab_voisins[k]];
            const ARC& a = g.arcs[k];
            if (a.place >= h.tab_voisins.size() || h.tab_voisins[a.place] != u || h.arcs[a.place].paire != a.paire ||
                h.arcs[a.place].place != k)
                return "variable " + std::to_string(u) + " position " + std::to_string(k);
            if (!s.instancie[u] && (k < g.degre) == (s.instancie[g.tab_voisins[k]] != 0))
                return "future part of variable " + std::to_string(u);
        }
    }
    return {};
}

TEST(DegreeUpkeepTest, BackLinksFollowEveryTakeOutAndPutBack) {
    // A random network; variables are taken out in a random order and put
    // back in the reverse one, as the search does.
    std::mt19937 rng(99);
    for (int essai = 0; essai < 20; ++essai) {
        GenParams p;
        p.minVars = 6;
        p.maxVars = 14;
        p.density = 0.6;
        p.maxDomainSize = 3;
        Network net = lire(randomInstance(rng, p).toText());
        SearchState s;
        preparer(net, s);
        std::vector<Ushort> ordre(net.nb_var);
        for (int i = 0; i < net.nb_var; ++i) ordre[i] = static_cast<Ushort>(i);
        std::shuffle(ordre.begin(), ordre.end(), rng);
        const std::vector<VOISIN> avant = net.graphe;
        for (Ushort x : ordre) {
            s.var = x;
            mettre_a_jour_degre(net, s);
            s.instancie[x] = 1;
            ASSERT_EQ(liensIncoherents(net, s), "") << "after taking out " << x;
        }
        for (auto it = ordre.rbegin(); it != ordre.rend(); ++it) {
            s.var = *it;
            remettre_a_jour_degre(net, s);
            s.instancie[*it] = 0;
            ASSERT_EQ(liensIncoherents(net, s), "") << "after putting back " << *it;
        }
        for (int i = 0; i < net.nb_var; ++i) {
            EXPECT_EQ(net.graphe[i].degre, avant[i].degre);
            for (size_t k = 0; k < avant[i].tab_voisins.size(); ++k)
                EXPECT_EQ(net.weight(i, avant[i].tab_voisins[k]), avant[i].weight[avant[i].arcs[k].lu]) << "weights stay with their neighbour";
        }
    }
}

TEST(ChoiceTest, WeightedDegreeRule) {
    struct Cas {
        const char* nom;
        int d;                          // domain size of the triangle
        std::vector<int> instancies;    // taken out beforehand, in this order
        std::vector<std::array<int, 3>> poids;  // weight(a, b) = w
        float max;                      // 0: nb_var^3
        int attendu;
    };
    const Cas cas[] = {
        {"equal quotients: lowest number", 2, {}, {}, 0, 0},
        {"own weight towards a neighbour counts", 2, {}, {{1, 0, 5}}, 0, 1},
        {"the neighbour's mirror weight does not", 2, {}, {{2, 0, 5}}, 0, 2},
        {"only future neighbours count", 2, {0}, {{1, 0, 50}}, 0, 1},
        {"zero weights: lowest uninstantiated", 2, {0}, {{1, 0, 0}, {1, 2, 0}, {2, 0, 0}, {2, 1, 0}}, 0, 1},
        {"nothing below the bound: smallest quotient", 2, {}, {{2, 0, 2}}, 1, 2},
        {"30 values: 45 against 27, lowest number", 30, {}, {}, 0, 0},
        {"30 values, first taken: never an instantiated one", 30, {0}, {}, 0, 1},
    };
    for (const Cas& c : cas)
      for (const bool reference : {false, true}) {  // sums kept up to date, and summed at each choice
        Network net = lire(reseau(3, c.d, TRIANGLE, true, egalite(c.d)));
        SearchState s;
        preparer(net, s);
        s.reference = reference;
        if (c.max != 0) s.MAX = c.max;
        for (int x : c.instancies) {
            s.var = static_cast<Ushort>(x);
            mettre_a_jour_degre(net, s);
            s.instancie[x] = 1;
            s.var_instancie[s.level++] = static_cast<Ushort>(x);
        }
        for (auto [a, b, w] : c.poids) net.weight(a, b) = w;
        recalculerSommes(net, s);
        changerTaille(net.realDom[c.attendu], 1);
        choix_de_variable(net, s);
        EXPECT_EQ(s.var_elu, c.attendu) << c.nom << " " << reference;
        EXPECT_EQ(s.var_instancie[s.level], c.attendu) << c.nom;
        EXPECT_EQ(s.nbvalSuppr[c.attendu], 1) << c.nom;
      }
}

TEST(ChoiceTest, VariableWithoutFutureNeighbourIsTakenWhenMet) {
    // 0 - 1 with quotient (2 + 2) / 9, then 2 alone.
    Network net = lire(reseau(3, 2, {{0, 1}}, true, egalite(2)));
    SearchState s;
    preparer(net, s);
    net.weight(0, 1) = 9;
    recalculerSommes(net, s);
    choix_de_variable(net, s);
    EXPECT_EQ(s.var_elu, 2);
}

TEST(BacktrackTest, SingletonLevelsArePoppedDownToTheDecision) {
    // 0 = 1 and 0 = 2 on {0, 1}; 3 on {0, 1} must differ from 4 and equal 5,
    // both on {0}, so every value of 3 fails.
    Network net = lire(R"(?
2
0 2 0 1
1 1 0
6
0 0
1 0
2 0
3 0
4 1
5 1
3
0 1 2 0 0 2 0 0 1 1
1 0 2 0 1 1 0 0
2 1 2 0 1 1 0 0
4
2 0 1 0
2 0 2 0
2 3 4 1
2 3 5 2
)");
    SearchState s;
    preparer(net, s);
    s.consistent = true;
    s.var_instancie[0] = 0;
    label(net, s);
    ASSERT_TRUE(s.consistent);
    // 1 was cut before 2: 2 gets the lower singleton level.
    EXPECT_EQ(s.level, 3);
    EXPECT_EQ(s.var_instancie[1], 2);
    EXPECT_EQ(s.var_instancie[2], 1);
    EXPECT_EQ(s.coupe[1] + s.coupe[2], 2);
    EXPECT_EQ(s.sol[1], 0);
    EXPECT_EQ(s.sol[2], 0);

    choix_de_variable(net, s);
    ASSERT_EQ(s.var_elu, 3);
    label(net, s);
    EXPECT_FALSE(s.consistent);
    EXPECT_EQ(s.level, 3);
    EXPECT_EQ(net.realDom[3].nbvalC, 0);
    EXPECT_EQ(net.weight(3, 4), 2);
    EXPECT_EQ(net.weight(3, 5), 2);
    EXPECT_EQ(net.weight(4, 3), 1);

    unlabel(net, s);  // 3 gets its size back, the singleton levels go
    EXPECT_EQ(net.realDom[3].nbvalC, 2);
    EXPECT_EQ(s.level, 0);
    EXPECT_EQ(s.instancie[1] + s.instancie[2] + s.instancie[3], 0);
    EXPECT_EQ(s.sol[1], -1);
    EXPECT_EQ(s.coupe[1] + s.coupe[2], 0);
    EXPECT_EQ(net.graphe[4].degre, 1);
    EXPECT_EQ(net.graphe[1].degre, 0);  // 0 still stands

    unlabel(net, s);  // next value of 0
    ASSERT_TRUE(s.consistent);
    EXPECT_EQ(s.level, 3);
    EXPECT_EQ(s.sol[0], 1);
    EXPECT_EQ(s.sol[1], 1);
    EXPECT_EQ(s.sol[2], 1);
}

TEST(SearchPhaseTest, Outcomes) {
    struct Cas {
        const char* nom;
        std::string texte;
        Outcome attendu;
        int level0;
    };
    const std::string deuxVides = "?\n2\n0 0\n1 1 0\n3\n0 0\n1 0\n2 1\n1\n0 1 2 0 0 0\n1\n2 0 1 0\n";
    const Cas cas[] = {
        {"no variable", "?\n0\n0\n0\n0\n", Outcome::NoSearch, 0},
        {"one variable", "?\n1\n0 1 5\n1\n0 0\n0\n0\n", Outcome::NoSearch, 1},
        {"one variable, empty domain", "?\n1\n0 0\n1\n0 0\n0\n0\n", Outcome::NoSolution, 0},
        {"isolated empty domain", "?\n2\n0 0\n1 2 0 1\n4\n0 0\n1 1\n2 1\n3 1\n0\n0\n", Outcome::NoSolution, 0},
        {"two neighbours with empty domains", deuxVides, Outcome::NoSolution, 0},
        {"path of three: no decision", reseau(3, 2, {{0, 1}, {1, 2}}, true, egalite(2)), Outcome::NoSearch, 2},
        {"triangle, three colours", reseau(3, 3, TRIANGLE, false, egalite(3)), Outcome::Solution, 0},
        {"triangle, two colours", reseau(3, 2, TRIANGLE, false, egalite(2)), Outcome::NoSolution, 0},
        {"root wipe-out", reseau(3, 2, TRIANGLE, true, {}), Outcome::NoSolution, 0},
        {"root variables fixed by a decision", ROOT_COUNTEREXAMPLE,
         Outcome::NoSolution, 2},
    };
    for (const Cas& c : cas) {
        Network net = lire(c.texte);
        SearchState s;
        preparerRun(net, s);
        EXPECT_EQ(searchPhase(net, s), c.attendu) << c.nom;
        if (c.attendu != Outcome::NoSolution || c.level0 > 0) {
            EXPECT_EQ(s.level0, c.level0) << c.nom;
        }
        EXPECT_LE(s.level, net.nb_var) << c.nom;
    }
}

TEST(SearchStateTest, CountersHoldEveryReachableLevel) {
    // 65535 variables: levels up to 65535, a queue of 65536 slots.
    static_assert(std::numeric_limits<decltype(SearchState::level)>::max() >= 65536);
    static_assert(std::numeric_limits<decltype(SearchState::level0)>::max() >= 65536);
    static_assert(std::numeric_limits<decltype(SearchState::var_elu)>::max() >= 65535);
    static_assert(std::numeric_limits<decltype(SearchState::tailleFile)>::max() >= 65536);
}
