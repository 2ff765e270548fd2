// The fast variant (support by bit rows or blocks, choice by a tree kept up to date)
// against the plain one (support by a scan, choice by a scan with sums
// recomputed) over whole runs: the same status and the same bytes in
// "weight", "activity" and "weightCons", since only the existence of a
// support decides the removals and their order, and the choices decide the
// rest.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <utility>

#include "Filtrages/acs.h"
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

    // One run from the weight file `poids`; avx2 false runs the fast
    // variant's code for any processor.
    static Sortie run(const std::string& texte, const std::string& poids, bool reference, bool avx2 = processeurAvx2()) {
        writeFile("weight", poids);
        Network net;
        parseCSP(texte, "current.txt", net);
        SearchState s;
        s.reference = reference;
        s.avx2 = avx2;
        Sortie o;
        o.status = solve(net, s, "current.txt", 0, nullptr);
        o.weight = readFile("weight");
        o.activity = readFile("activity");
        o.weightCons = readFile("weightCons");
        return o;
    }

    // A weight file of ones for `inst`.
    static std::string uns(const Instance& inst) {
        std::string p;
        for (size_t c = 0; c < 2 * inst.constraints.size(); ++c) p += "1 ";
        return p;
    }

    // The fast run and the plain run of `texte` from a weight file of ones.
    static std::pair<Sortie, Sortie> deuxRuns(const std::string& texte, const Instance& inst) {
        const std::string poids = uns(inst);
        return {run(texte, poids, false), run(texte, poids, true)};
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

// A weight file of `n` numbers drawn in 0..haut: zeros give infinite
// quotients, small numbers give ties.
std::string poidsAleatoires(std::mt19937& rng, size_t n, int haut) {
    std::string p;
    for (size_t k = 0; k < n; ++k) p += std::to_string(std::uniform_int_distribution<int>(0, haut)(rng)) + " ";
    return p;
}

// t distinct values, the a-th in pas * a .. pas * a + pas - 1, shuffled.
std::vector<int> domaineAleatoire(std::mt19937& rng, int t, int pas) {
    std::vector<int> v(t);
    for (int a = 0; a < t; ++a) v[a] = pas * a + std::uniform_int_distribution<int>(0, pas - 1)(rng);
    std::shuffle(v.begin(), v.end(), rng);
    return v;
}

// Constrains x and y by a new relation on their domains (allowed or
// forbidden tuples listed) that lists each pair of values for which
// listee(u) holds, u drawn in [0, 1) pair after pair.
template <class Listee>
void contraindre(Instance& inst, std::mt19937& rng, int x, int y, bool allowed, Listee listee) {
    Instance::Relation rel;
    rel.allowed = allowed;
    rel.d0 = inst.varDom[x];
    rel.d1 = inst.varDom[y];
    for (int a : inst.domains[rel.d0])
        for (int b : inst.domains[rel.d1])
            if (listee(std::uniform_real_distribution<double>(0, 1)(rng))) rel.tuples.emplace_back(a, b);
    inst.relations.push_back(rel);
    inst.constraints.push_back({x, y, static_cast<int>(inst.relations.size()) - 1});
}

// Sparse or dense small networks: sparse ones leave variables without
// future neighbour during the search.
GenParams parametresChoix(int k) {
    GenParams p;
    const double densites[] = {0.08, 0.15, 0.3, 0.6};
    p.minVars = 15;
    p.maxVars = 40;
    p.density = densites[k % 4];
    p.tightness = (k / 4) % 2 ? 0.4 : 0.55;
    p.maxDomainSize = 8;
    return p;
}

// The variable the weighted degree rule picks, from the lists and weights as
// they stand: the lowest-numbered uninstantiated one without future
// neighbour, else the smallest quotient (+infinity for a zero weight sum),
// ties to the lower number.
int choixAttendu(const Network& net, const SearchState& s) {
    int elu = -1;
    float meilleur = 0;
    for (int i = 0; i < net.nb_var; ++i) {
        if (s.instancie[i]) continue;
        const VOISIN& g = net.graphe[i];
        if (g.degre == 0) return i;
        std::uint32_t dom = net.realDom[i].nbval, poids = 0;
        for (int k = 0; k < g.degre; ++k) {
            dom += net.realDom[g.tab_voisins[k]].nbval;
            poids += static_cast<std::uint32_t>(g.weight[g.arcs[k].lu]);
        }
        const float q = poids == 0 ? std::numeric_limits<float>::infinity()
                                   : static_cast<float>(dom) / static_cast<float>(poids);
        if (elu == -1 || q < meilleur) {
            elu = i;
            meilleur = q;
        }
    }
    return elu;
}

}  // namespace

TEST_F(VariantsTest, FastAndPlainSupportTestsGiveTheSameRunsAndFiles) {
    std::mt19937 rng(7031);
    int sat = 0, unsat = 0, mots = 0, melanges = 0;
    for (int k = 0; k < NB_INSTANCES; ++k) {
        const Instance inst = randomInstance(rng, parametres(k));
        const std::string texte = inst.toText();
        const auto [vite, simple] = deuxRuns(texte, inst);
        ASSERT_EQ(vite, simple) << "instance " << k << "\n" << texte;
        // On a processor with AVX2, the fast code for any processor too.
        if (processeurAvx2()) {
            ASSERT_EQ(run(texte, uns(inst), false, false), simple) << "instance " << k << " without AVX2\n" << texte;
        }
        // A second run from the weights the first one left.
        const Sortie vite2 = run(texte, vite.weight, false), simple2 = run(texte, vite.weight, true);
        ASSERT_EQ(vite2, simple2) << "instance " << k << " second run\n" << texte;
        (vite.status ? sat : unsat)++;
        bool petit = false, grand = false;
        for (const auto& d : inst.domains) {
            mots += d.size() > 64;
            (static_cast<int>(d.size()) <= BLOC ? petit : grand) = true;
        }
        melanges += petit && grand;
    }
    EXPECT_GT(sat, NB_INSTANCES / 10);
    EXPECT_GT(unsat, NB_INSTANCES / 10);
    EXPECT_GT(mots, 40) << "domains of more than one word";
    EXPECT_GT(melanges, 25) << "pairs revised by blocks beside pairs revised by rows";
}

TEST_F(VariantsTest, PlainAndFastRunsAgreeWithZeroAndTiedWeights) {
    std::mt19937 rng(4242);
    for (int k = 0; k < 400; ++k) {
        const Instance inst = randomInstance(rng, parametresChoix(k));
        const std::string texte = inst.toText();
        const std::string poids = poidsAleatoires(rng, 2 * inst.constraints.size(), k % 3 == 0 ? 0 : 2);
        const Sortie vite = run(texte, poids, false), simple = run(texte, poids, true);
        ASSERT_EQ(vite, simple) << "instance " << k << " weights " << poids << "\n" << texte;
    }
}

TEST_F(VariantsTest, EveryChoiceOfTheFastVariantFollowsTheRule) {
    // The search phase step by step, each choice checked against the rule
    // computed from the lists.
    std::mt19937 rng(515);
    int choix = 0, sansVoisin = 0, infinis = 0;
    for (int k = 0; k < 400; ++k) {
        const Instance inst = randomInstance(rng, parametresChoix(k));
        writeFile("weight", poidsAleatoires(rng, 2 * inst.constraints.size(), k % 3 == 0 ? 0 : 2));
        Network net;
        parseCSP(inst.toText(), "current.txt", net);
        SearchState s;
        preparerRun(net, s);
        std::FILE* f = std::fopen("weight", "r");
        ASSERT_TRUE(f && importerPoids(net, s, f));
        std::fclose(f);
        recalculerSommes(net, s);
        bool vide = false;
        for (int i = 0; i < net.nb_var; ++i) vide |= net.realDom[i].nbval == 0;
        if (vide || !InitAc8File(net, s) || !ac8File(net, s)) continue;
        s.consistent = true;
        propager_singleton_degre(net, s);
        s.level0 = s.level;
        const int limite = net.nb_var - 2;
        while (s.level <= limite && s.level >= s.level0) {
            if (s.consistent) {
                const int attendu = choixAttendu(net, s);
                sansVoisin += net.graphe[attendu].degre == 0;
                infinis += net.graphe[attendu].degre != 0 && s.sommePoids[attendu] == 0;
                choix_de_variable(net, s);
                ASSERT_EQ(s.var_elu, attendu) << "instance " << k << " level " << s.level;
                ++choix;
                label(net, s);
            } else {
                unlabel(net, s);
            }
        }
    }
    EXPECT_GT(choix, 300) << "choices";
    EXPECT_GT(sansVoisin, 50) << "choices of a variable without future neighbour";
    EXPECT_GT(infinis, 50) << "choices among infinite quotients";
}

// Domains of 4 and 5 words of bits (and a small one), constrained across
// each other: the widest pairs go value by value through the residues, the
// others by rows; domain products stay within the format's 65535.
TEST_F(VariantsTest, FastAndPlainAgreeOnDomainsOfFourAndFiveWords) {
    std::mt19937 rng(9090);
    auto uni = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    int sat = 0, unsat = 0;
    for (int k = 0; k < 24; ++k) {
        Instance inst;
        const int tailles[] = {uni(257, 300), uni(193, 218), uni(3, 9)};
        for (int t : tailles) inst.domains.push_back(domaineAleatoire(rng, t, 3));
        const int n = uni(6, 10);
        for (int i = 0; i < n; ++i) inst.varDom.push_back(i % 3);
        const double serre = 0.9 + 0.01 * (k % 8);
        for (int x = 0; x < n; ++x)
            for (int y = x + 1; y < n; ++y) {
                const int dx = inst.varDom[x], dy = inst.varDom[y];
                if ((dx == 0 && dy == 0) || uni(0, 99) < 40) continue;
                const bool permis = k % 2 == 0;
                const double listee = permis ? 1 - serre : serre;
                contraindre(inst, rng, x, y, permis, [&](double u) { return u < listee; });
            }
        const std::string texte = inst.toText();
        const auto [vite, simple] = deuxRuns(texte, inst);
        ASSERT_EQ(vite, simple) << "instance " << k;
        ASSERT_NE(vite.status, 255) << "instance " << k << " was refused";
        (vite.status ? sat : unsat)++;
    }
    EXPECT_GT(sat, 2);
    EXPECT_GT(unsat, 2);
}

// Networks where every arc of a variable is of one kind (blocks, or rows of
// one to four words), revised after a decision by the loop made for that
// kind, and networks of two domains, where a variable with neighbours of
// both has arcs of two kinds and the loop for any kind.
TEST_F(VariantsTest, FastAndPlainAgreeWhateverTheKindOfAVariablesArcs) {
    std::mt19937 rng(5150);
    auto uni = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    struct Cas {
        std::vector<int> tailles;  // the domains, given to the variables in turn
        Ushort genre;              // the kind of every arc, with one domain
    };
    const Cas cas[] = {{{12}, TOUS_BLOCS}, {{50}, 1}, {{100}, 2}, {{150}, 3}, {{220}, 4}, {{12, 100}, 0}, {{70, 130}, 0}};
    for (const Cas& c : cas) {
        int sat = 0, unsat = 0, deuxGenres = 0;
        for (int k = 0; k < 12; ++k) {
            Instance inst;
            for (int t : c.tailles) inst.domains.push_back(domaineAleatoire(rng, t, 3));
            const int n = uni(7, 10);
            for (int i = 0; i < n; ++i) inst.varDom.push_back(i % static_cast<int>(c.tailles.size()));
            // From loose to tight: 55 to 99 % of the pairs of values forbidden.
            const double serre = 0.55 + 0.04 * k;
            for (int x = 0; x < n; ++x)
                for (int y = x + 1; y < n; ++y) {
                    if (uni(0, 99) < 35) continue;
                    const bool permis = k % 2 == 0;
                    const double listee = permis ? 1 - serre : serre;
                    contraindre(inst, rng, x, y, permis, [&](double u) { return u < listee; });
                }
            const std::string texte = inst.toText();
            Network net;
            parseCSP(texte, "current.txt", net);
            for (int x = 0; x < n; ++x) {
                std::vector<bool> domaines(c.tailles.size(), false);
                for (const Ushort y : net.graphe[x].tab_voisins) domaines[inst.varDom[y]] = true;
                const bool deux = std::count(domaines.begin(), domaines.end(), true) > 1;
                deuxGenres += deux;
                if (deux || c.tailles.size() == 1) {
                    EXPECT_EQ(net.graphe[x].memesArcs, deux ? 0 : c.genre) << x;
                }
            }
            const auto [vite, simple] = deuxRuns(texte, inst);
            ASSERT_EQ(vite, simple) << "domains of " << c.tailles[0] << " values, instance " << k;
            (vite.status ? sat : unsat)++;
        }
        EXPECT_GT(sat, 1) << c.tailles[0];
        EXPECT_GT(unsat, 1) << c.tailles[0];
        if (c.tailles.size() > 1) {
            EXPECT_GT(deuxGenres, 20) << c.tailles[0];
        }
    }
}

// Variables of more than 32 neighbours (the revisions after a decision are
// found by runs of 32 neighbours before their values are taken out), whose
// lists mix neighbours of small domains with a few of more than four words
// of bits, revised value by value between the others.
TEST_F(VariantsTest, FastAndPlainAgreeOnVariablesOfManyNeighbours) {
    std::mt19937 rng(2718);
    auto uni = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    int sat = 0, unsat = 0, larges = 0;
    for (int k = 0; k < 40; ++k) {
        Instance inst;
        const int tailles[] = {uni(3, 5), uni(6, 9), uni(257, 300)};
        for (int t : tailles) inst.domains.push_back(domaineAleatoire(rng, t, 3));
        const int n = uni(34, 38);
        for (int i = 0; i < n; ++i) inst.varDom.push_back(i % 16 == 5 ? 2 : i % 3 == 0);
        // Around the hard region of so dense a network (a tenth of the pairs
        // of values forbidden), looser or tighter from one instance to the next.
        const double serre = 0.06 + 0.016 * (k % 6);
        std::vector<int> degre(n, 0);
        for (int x = 0; x < n; ++x)
            for (int y = x + 1; y < n; ++y) {
                if ((inst.varDom[x] == 2 && inst.varDom[y] == 2) || uni(0, 99) < 12) continue;
                contraindre(inst, rng, x, y, k % 2 == 0, [&](double u) { return (u < serre) != (k % 2 == 0); });
                ++degre[x];
                ++degre[y];
            }
        for (int x = 0; x < n; ++x) larges += degre[x] > 32 && inst.varDom[x] != 2;
        const std::string texte = inst.toText();
        const auto [vite, simple] = deuxRuns(texte, inst);
        ASSERT_EQ(vite, simple) << "instance " << k;
        ASSERT_NE(vite.status, 255) << "instance " << k << " was refused";
        (vite.status ? sat : unsat)++;
    }
    EXPECT_GT(sat, 4);
    EXPECT_GT(unsat, 4);
    EXPECT_GT(larges, 100) << "variables of more than one run of neighbours";
}

namespace {

// "" when every domain's bit set holds exactly the values of its first
// nbvalC positions, and pos_val is the inverse of ind_val_rest.
std::string incoherence(const Network& net) {
    for (int x = 0; x < net.nb_var; ++x) {
        const DOMAINE& d = net.realDom[x];
        if (static_cast<int>(d.bits.size()) != motsDomaine(d.nbval)) return "words of variable " + std::to_string(x);
        for (int p = 0; p < d.nbval; ++p)
            if (d.pos_val[d.ind_val_rest[p]] != p) return "position of variable " + std::to_string(x);
        for (int v = 0; v < d.nbval; ++v)
            if (((d.bits[v >> 6] >> (v & 63)) & 1) != (d.pos_val[v] < d.nbvalC))
                return "bit " + std::to_string(v) + " of variable " + std::to_string(x);
    }
    return "";
}

}  // namespace

// The search step by step on domains of every width (blocks, rows of one to
// four words, residues beyond), the domains checked after each step: the
// bit sets put back by the undo and around each decision, and cut by the
// revisions, stay those of the positions.
TEST_F(VariantsTest, BitSetsFollowThePositionsThroughTheSearch) {
    std::mt19937 rng(3131);
    auto uni = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    int pas = 0, paliers = 0;
    for (int k = 0; k < 120; ++k) {
        Instance inst;
        const int tailles[] = {uni(2, 16), uni(17, 64), uni(65, 250), uni(257, 300)};
        for (int t : tailles) inst.domains.push_back(domaineAleatoire(rng, t, 2));
        const int n = uni(8, 14);
        for (int i = 0; i < n; ++i) inst.varDom.push_back(uni(0, 3));
        for (int x = 0; x < n; ++x)
            for (int y = x + 1; y < n; ++y) {
                const int dx = inst.varDom[x], dy = inst.varDom[y];
                if (inst.domains[dx].size() * inst.domains[dy].size() > 65535 || uni(0, 99) < 50) continue;
                const bool permisListes = uni(0, 1) == 1;
                // Looser between small domains, tighter between large ones.
                const double permis = 0.28 + 0.03 * (k % 8) - 0.25 * (tailles[dx] + tailles[dy]) / 600.0;
                contraindre(inst, rng, x, y, permisListes, [&](double u) { return (u < permis) == permisListes; });
            }
        Network net;
        parseCSP(inst.toText(), "current.txt", net);
        SearchState s;
        preparerRun(net, s);
        ASSERT_EQ(incoherence(net), "") << "instance " << k;
        if (!InitAc8File(net, s) || !ac8File(net, s)) continue;
        ASSERT_EQ(incoherence(net), "") << "instance " << k << " after the root";
        s.consistent = true;
        propager_singleton_degre(net, s);
        s.level0 = s.level;
        const int limite = net.nb_var - 2;
        while (s.level <= limite && s.level >= s.level0 && pas < 200000) {
            if (s.consistent) {
                choix_de_variable(net, s);
                label(net, s);
            } else {
                unlabel(net, s);
            }
            ++pas;
            ASSERT_EQ(incoherence(net), "") << "instance " << k << " step " << pas;
        }
        paliers += s.level < s.level0;
    }
    EXPECT_GT(pas, 2000) << "steps checked";
    EXPECT_GT(paliers, 10) << "searches exhausted, every level undone";
}

namespace {

// Each variable's current domain in the order of its positions.
std::vector<std::vector<int>> domaines(const Network& net) {
    std::vector<std::vector<int>> d;
    for (const DOMAINE& x : net.realDom) d.emplace_back(x.ind_val_rest.begin(), x.ind_val_rest.begin() + x.nbvalC);
    return d;
}

}  // namespace

// Root filtering by blocks and rows against the value-by-value scan: the same
// verdict, the same queue after the first pass, and the same domains, value
// for value and place for place.
TEST_F(VariantsTest, RootFilteringLeavesTheSameDomainsInTheSameOrder) {
    std::mt19937 rng(6262);
    int vides = 0, coupes = 0;
    for (int k = 0; k < 600; ++k) {
        const std::string texte = randomInstance(rng, parametres(k)).toText();
        Network net[2];
        SearchState s[2];
        bool ok[2];
        std::vector<Ushort> file[2];
        for (int v = 0; v < 2; ++v) {
            parseCSP(texte, "current.txt", net[v]);
            s[v].reference = v == 1;
            preparerRun(net[v], s[v]);
            ok[v] = InitAc8File(net[v], s[v]);
            for (int t = s[v].tete; t != s[v].queue;) {
                t = t + 1 == s[v].tailleFile ? 0 : t + 1;
                file[v].push_back(s[v].Liste_ac8_var[t]);
            }
            ok[v] = ok[v] && ac8File(net[v], s[v]);
        }
        ASSERT_EQ(ok[0], ok[1]) << "instance " << k << "\n" << texte;
        if (!ok[0]) {
            ++vides;
            continue;
        }
        ASSERT_EQ(file[0], file[1]) << "instance " << k << "\n" << texte;
        ASSERT_EQ(domaines(net[0]), domaines(net[1])) << "instance " << k << "\n" << texte;
        coupes += !file[0].empty();
    }
    EXPECT_GT(vides, 30) << "wipe-outs at the root";
    EXPECT_GT(coupes, 100) << "root filterings that cut";
}

namespace {

// Every variable's whole order of values, the removed ones included (a
// restore brings them back in that order), and its current size.
std::vector<std::pair<int, std::vector<int>>> ordres(const Network& net) {
    std::vector<std::pair<int, std::vector<int>>> o;
    for (const DOMAINE& x : net.realDom) o.emplace_back(x.nbvalC, x.ind_val_rest);
    return o;
}

}  // namespace

// Decisions down one branch, propagated by both variants on one domain of
// 20 to 220 values (the fast one with and without AVX2 on a processor that
// has it): after each propagation, succeeded or failed, and after each
// undo, every variable has the same size and the same order of values,
// place for place, the removed ones included.  Tight relations make most
// propagations take many values out at once (from domains of up to 64
// values left and of more), and one value alone as well.
TEST_F(VariantsTest, DecisionsLeaveTheSameOrderOfValuesTheRemovedOnesIncluded) {
    std::mt19937 rng(7171);
    auto uni = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    int seuls = 0, petits = 0, grands = 0, balayes = 0, echecs = 0;
    for (int k = 0; k < 100; ++k) {
        Instance inst;
        const int tailles[] = {20, 60, 100, 150, 220};
        inst.domains.push_back(domaineAleatoire(rng, tailles[k % 5], 3));
        const int n = uni(6, 12);
        inst.varDom.assign(n, 0);
        const double serre = 0.06 + 0.09 * (k % 10);  // pairs of values forbidden
        for (int x = 0; x < n; ++x)
            for (int y = x + 1; y < n; ++y)
                if (uni(0, 99) < 60) contraindre(inst, rng, x, y, false, [&](double u) { return u < serre; });
        const std::string texte = inst.toText();
        constexpr int V = 3;  // fast, plain, fast without AVX2
        Network net[V];
        SearchState s[V];
        bool ok[V];
        for (int v = 0; v < V; ++v) {
            parseCSP(texte, "current.txt", net[v]);
            s[v].reference = v == 1;
            s[v].avx2 = v == 0 && processeurAvx2();
            preparerRun(net[v], s[v]);
            ok[v] = InitAc8File(net[v], s[v]) && ac8File(net[v], s[v]);
        }
        ASSERT_EQ(ok[0], ok[1]) << "instance " << k;
        ASSERT_EQ(ok[2], ok[1]) << "instance " << k;
        if (!ok[1]) continue;
        ASSERT_EQ(ordres(net[0]), ordres(net[1])) << "instance " << k;
        ASSERT_EQ(ordres(net[2]), ordres(net[1])) << "instance " << k;
        int level = 0;
        for (; level < n; ++level) {
            const auto avant = ordres(net[0]);
            bool tenu[V];
            for (int v = 0; v < V; ++v) {
                s[v].var = static_cast<Ushort>(level);
                mettre_a_jour_degre(net[v], s[v]);
                s[v].level = static_cast<short>(level);
                s[v].var_instancie[level] = static_cast<Ushort>(level);
                tenu[v] = ac8MacFile(net[v], s[v], 0);
            }
            for (int v : {0, 2}) {
                ASSERT_EQ(tenu[v], tenu[1]) << "instance " << k << ", level " << level << ", variant " << v;
                ASSERT_EQ(ordres(net[v]), ordres(net[1])) << "instance " << k << ", level " << level << ", variant " << v;
            }
            for (int x = 0; x < n; ++x) {
                const int taille = avant[x].first, m = taille - net[0].realDom[x].nbvalC;
                seuls += m == 1;
                petits += m >= 16 && taille <= 64;
                grands += m >= 2 && taille > 64;
                // Found by a pass over the domain with AVX2: a sixth of it
                // or more, from more than 16 values of more than one word.
                balayes += taille > 16 && 6 * m >= taille && net[0].realDom[x].nbval > 64;
            }
            if (!tenu[0]) break;
        }
        echecs += level < n;
        for (int l = std::min(level, n - 1); l >= 0; --l) {
            for (int v = 0; v < V; ++v) {
                s[v].level = static_cast<short>(l);
                undo_reduction(net[v], s[v]);
            }
            for (int v : {0, 2})
                ASSERT_EQ(ordres(net[v]), ordres(net[1])) << "instance " << k << ", undo of level " << l << ", variant " << v;
        }
    }
    EXPECT_GT(seuls, 70) << "removals of one value";
    EXPECT_GT(petits, 120) << "removals of 16 values or more from at most 64";
    EXPECT_GT(grands, 300) << "removals from more than 64 values";
    EXPECT_GT(balayes, 400) << "removals of a sixth of the domain or more, values of several words";
    EXPECT_GT(echecs, 12) << "propagations that empty a domain";
}
