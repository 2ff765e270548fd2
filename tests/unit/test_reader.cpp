// The instance reader: the network it builds, and the files it refuses.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "EntreesSorties/entrees_sorties.h"
#include "csp_gen.h"
#include "harness.h"
#include "net_compare.h"

namespace {

Network lire(const std::string& text) {
    Network net;
    parseCSP(text, "t.txt", net);
    return net;
}

// Cells of a pair's matrix, row by row.
std::vector<int> cellules(const Network& net, int u, int v) {
    const REL& m = net.relDef[net.ref(u, v)];
    return {m.cellules().begin(), m.cellules().end()};
}

std::vector<int> tuples(const Network& net, int r) {
    const TUPLES& t = net.tabTuples[r];
    return {t.tuples.begin(), t.tuples.begin() + t.nb_tuples * t.arity};
}

// Two domains {1,2,3} and {5,9}; variables 0, 1 on the first, 2 on the second.
const std::string EXEMPLE =
    "?\n2\n0 3 1 2 3\n1 2 5 9\n3\n0 0\n1 0\n2 1\n2\n"
    "0 1 2 0 0 3 1 1 2 2 3 3\n"
    "1 0 2 0 1 1 3 9\n"
    "2\n2 0 1 0\n2 1 2 1\n";

// n variables on one domain {0,1}, the given relations, then the constraints.
std::string surDeuxValeurs(int n, const std::vector<std::string>& relations,
                           const std::vector<std::string>& contraintes) {
    std::string s = "?\n1\n0 2 0 1\n" + std::to_string(n) + "\n";
    for (int i = 0; i < n; ++i) s += std::to_string(i) + " 0\n";
    s += std::to_string(relations.size()) + "\n";
    for (size_t r = 0; r < relations.size(); ++r) s += std::to_string(r) + " " + relations[r] + "\n";
    s += std::to_string(contraintes.size()) + "\n";
    for (const auto& c : contraintes) s += c + "\n";
    return s;
}

const std::string EGAL = "1 2 0 0 2 0 0 1 1";
const std::string DIFFERENT = "1 2 0 0 2 0 1 1 0";
const std::string INFERIEUR = "1 2 0 0 1 0 1";  // (0,1) only
const std::string SUPERIEUR = "1 2 0 0 1 1 0";  // its transpose

}  // namespace

TEST(Reader, BuildsTheExampleNetwork) {
    Network net = lire(EXEMPLE);
    ASSERT_EQ(net.nb_var, 3);
    EXPECT_EQ(net.nb_rel, 2);
    EXPECT_EQ(net.relDef.size(), 3u) << "a spare entry follows the kept ones";
    EXPECT_EQ(cellules(net, 0, 1), (std::vector<int>{1, 0, 0, 0, 1, 0, 0, 0, 1}));
    // {1,2,3} x {5,9} without (3,9).
    EXPECT_EQ(cellules(net, 1, 2), (std::vector<int>{1, 1, 1, 1, 1, 0}));
    EXPECT_EQ(net.realDom[2].tab_val, (std::vector<int>{5, 9}));
    EXPECT_EQ(net.realDom[1].ind_val_rest, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(net.graphe[1].tab_voisins, (std::vector<Ushort>{0, 2}));
    EXPECT_EQ(net.weight(1, 0), 1);
    EXPECT_EQ(net.weight(1, 2), 1);
    EXPECT_EQ(net.ctr[1].watch, 1);
    for (const TUPLES& t : net.tabTuples) EXPECT_FALSE(t.typeRel);
}

TEST(Reader, NeighbourListsAndPositionsFollowFirstAppearance) {
    Network net = lire(surDeuxValeurs(6, {EGAL}, {"2 0 5 0", "2 5 0 0", "2 2 5 0"}));
    EXPECT_EQ(net.nb_rel, 2);
    EXPECT_EQ(net.graphe[5].tab_voisins, (std::vector<Ushort>{0, 2}));
    EXPECT_EQ(net.graphe[0].tab_voisins, (std::vector<Ushort>{5}));
    EXPECT_EQ(net.mat(5, 0), 0);
    EXPECT_EQ(net.mat(0, 5), 0);
    EXPECT_EQ(net.mat(2, 5), 1);
    EXPECT_EQ(net.mat(5, 2), 0);
    EXPECT_EQ(net.mat(1, 5), NO_POSITION);
    for (int u = 0; u < 6; ++u) EXPECT_EQ(net.ref(u, u), -1);
    // A variable on no constraint is nobody's neighbour.
    EXPECT_EQ(net.graphe[1].degre, 0);
    for (int v = 0; v < 6; ++v) {
        EXPECT_EQ(net.ref(1, v), -1);
        EXPECT_EQ(net.mat(1, v), NO_POSITION);
        EXPECT_EQ(net.mat(v, 1), NO_POSITION);
    }
}

TEST(Reader, ConstraintsOnOnePairAreFolded) {
    struct Cas {
        const char* nom;
        std::vector<std::string> contraintes;
        std::vector<int> attendu;
    };
    const std::vector<Cas> cas = {
        {"same relation twice", {"2 0 1 0", "2 0 1 0"}, {1, 0, 0, 1}},
        {"complementary relations", {"2 0 1 0", "2 0 1 1"}, {0, 0, 0, 0}},
        {"a relation and its transpose, reversed scope", {"2 0 1 2", "2 1 0 3"}, {0, 1, 0, 0}},
        {"the same relation on the reversed scope", {"2 0 1 2", "2 1 0 2"}, {0, 0, 0, 0}},
    };
    for (const Cas& c : cas) {
        Network net = lire(surDeuxValeurs(2, {EGAL, DIFFERENT, INFERIEUR, SUPERIEUR}, c.contraintes));
        EXPECT_EQ(net.nb_rel, 1) << c.nom;
        EXPECT_EQ(net.graphe[0].degre, 1) << c.nom;
        EXPECT_EQ(net.graphe[1].degre, 1) << c.nom;
        EXPECT_EQ(cellules(net, 0, 1), c.attendu) << c.nom;
    }
}

TEST(Reader, RowsBelongToTheSmallerVariable) {
    // Variable 3 on {1,2}, variable 7 on {4,5,6}; the relation is declared (7, 3).
    std::string text = "?\n2\n0 2 1 2\n1 3 4 5 6\n8\n";
    for (int i = 0; i < 8; ++i) text += std::to_string(i) + (i == 3 ? " 0\n" : " 1\n");
    text += "1\n0 1 2 1 0 2 4 1 6 2\n1\n2 7 3 0\n";
    Network net = lire(text);
    const REL& m = net.relDef[net.ref(3, 7)];
    EXPECT_EQ(net.ref(7, 3), net.ref(3, 7));
    EXPECT_EQ(m.var1, 3);
    EXPECT_EQ(m.var2, 7);
    EXPECT_EQ(m.dom1, 0);
    EXPECT_EQ(m.dom2, 1);
    // Rows: values 1, 2 of variable 3; columns: 4, 5, 6 of variable 7.
    EXPECT_EQ(cellules(net, 3, 7), (std::vector<int>{1, 0, 0, 0, 0, 1}));
    EXPECT_EQ(net.graphe[7].tab_voisins, (std::vector<Ushort>{3}));
}

TEST(Reader, ForbiddenListsBecomeAllowedTuplesInEnumerationOrder) {
    struct Cas {
        const char* nom;
        std::string relation;  // after "0 0 2 0 1 "
        std::vector<int> attendu;
    };
    const std::vector<Cas> cas = {
        {"one forbidden pair", "1 1 8", {1, 7, 1, 9, 2, 7, 2, 8, 2, 9}},
        {"no forbidden pair", "0", {1, 7, 1, 8, 1, 9, 2, 7, 2, 8, 2, 9}},
        {"every pair forbidden", "6 1 7 1 8 1 9 2 7 2 8 2 9", {}},
        {"a repeated forbidden pair", "3 2 9 1 8 2 9", {1, 7, 1, 9, 2, 7, 2, 8}},
    };
    for (const Cas& c : cas) {
        Network net = lire("?\n2\n0 2 1 2\n1 3 7 8 9\n2\n0 0\n1 1\n1\n0 0 2 0 1 " + c.relation + "\n1\n2 0 1 0\n");
        EXPECT_EQ(tuples(net, 0), c.attendu) << c.nom;
        EXPECT_EQ(net.tabTuples[0].nb_tuples, c.attendu.size() / 2) << c.nom;
        EXPECT_EQ(net.nb_rel, 1) << c.nom;
        int permis = 0;
        for (int cell : cellules(net, 0, 1)) permis += cell;
        EXPECT_EQ(permis, static_cast<int>(c.attendu.size() / 2)) << c.nom;
    }
}

TEST(Reader, AllowedListsAreCopiedAsListed) {
    Network net = lire(surDeuxValeurs(2, {"1 2 0 0 3 1 1 0 0 1 1"}, {"2 0 1 0"}));
    EXPECT_EQ(tuples(net, 0), (std::vector<int>{1, 1, 0, 0, 1, 1}));
    EXPECT_EQ(cellules(net, 0, 1), (std::vector<int>{1, 0, 0, 1}));
}

TEST(Reader, RecordNumbersAndLayoutCarryNoMeaning) {
    Network ref = lire(EXEMPLE);
    const std::vector<std::string> variantes = {
        // Everything on one line.
        "? 2 0 3 1 2 3 1 2 5 9 3 0 0 1 0 2 1 2 0 1 2 0 0 3 1 1 2 2 3 3 1 0 2 0 1 1 3 9 2 2 0 1 0 2 1 2 1",
        // Blank lines, tabs, CRLF and record numbers that are not places.
        "?\r\n\n2\n\n7 3 1 2 3\n\t-4 2 5 9\n3\n40 0\n41 0\n42 1\n2\n9 1 2 0 0 3 1 1 2 2 3 3\n"
        "8 0 2 0 1 1 3 9\n2\n2 0 1 0\n2 1 2 1\n trailing words are never read",
        // Tuple values with a sign or more than ten digits, between plain ones.
        "?\n2\n0 3 1 2 3\n1 2 5 9\n3\n0 0\n1 0\n2 1\n2\n0 1 2 0 0 3 1 +1 2 000000000002 3 3\n"
        "1 0 2 0 1 1 +3 0000000000009\n2\n2 0 1 0\n2 1 2 1",
        // One-digit tuple values apart by tabs, two blanks or a line break.
        "?\n2\n0 3 1 2 3\n1 2 5 9\n3\n0 0\n1 0\n2 1\n2\n0 1 2 0 0 3 1\t1 2  2\n3 3\n"
        "1 0 2 0 1 1 3\t9\n2\n2 0 1 0\n2 1 2 1",
    };
    for (const auto& v : variantes) {
        Network net = lire(v);
        EXPECT_EQ(net.nb_rel, ref.nb_rel);
        EXPECT_EQ(cellules(net, 0, 1), cellules(ref, 0, 1));
        EXPECT_EQ(cellules(net, 1, 2), cellules(ref, 1, 2));
        EXPECT_EQ(net.graphe[1].tab_voisins, ref.graphe[1].tab_voisins);
    }
}

TEST(Reader, SmallAndDegenerateNetworks) {
    // No constraint at all.
    Network net = lire("?\n1\n0 2 0 1\n3\n0 0\n1 0\n2 0\n0\n0\n");
    EXPECT_EQ(net.nb_rel, 0);
    for (const VOISIN& g : net.graphe) EXPECT_EQ(g.degre, 0);
    // An unused relation is kept and gives no matrix.
    net = lire(surDeuxValeurs(2, {EGAL, DIFFERENT}, {"2 0 1 1"}));
    EXPECT_EQ(net.tabTuples.size(), 2u);
    EXPECT_EQ(net.nb_rel, 1);
    EXPECT_EQ(cellules(net, 0, 1), (std::vector<int>{0, 1, 1, 0}));
    // An empty declared domain is legal and keeps its variable with no value.
    net = lire("?\n1\n0 0\n1\n0 0\n0\n0\n");
    EXPECT_EQ(net.realDom[0].nbval, 0);
    // A chain of pairs over an empty domain, longer than the reader looks
    // ahead while it builds the rows: every pair, no cells.
    std::string chaine = "?\n1\n0 0\n12\n";
    for (int v = 0; v < 12; ++v) chaine += std::to_string(v) + " 0\n";
    chaine += "1\n0 1 2 0 0 0\n11\n";
    for (int v = 0; v < 11; ++v) chaine += "2 " + std::to_string(v) + " " + std::to_string(v + 1) + " 0\n";
    net = lire(chaine);
    EXPECT_EQ(net.nb_rel, 11);
    for (int r = 0; r < net.nb_rel; ++r) EXPECT_TRUE(net.relDef[r].cellules().empty()) << r;
    // No variable, no domain.
    net = lire("x\n0\n0\n0\n0\n");
    EXPECT_EQ(net.nb_var, 0);
    // A name of any length.
    net = lire(std::string(100000, 'n') + "\n0\n0\n0\n0\n");
    EXPECT_EQ(net.nb_ctr, 0);
}

TEST(Reader, RepeatedDomainValuesUseTheirFirstIndex) {
    // Domain {4, 6, 4}: a tuple marks the first index of each of its values
    // only; a forbidden list leaves every other tuple of the product, in
    // the order of the value indexes, repeated values included.  The same
    // with 4 written 4000000, a domain too sparse for a direct table.
    struct Cas {
        const char* nom;
        std::string relation;  // after "0 "
        std::vector<int> tuples, cellules;
    };
    const std::vector<Cas> cas = {
        {"allowed", "1 2 0 0 2 4 4 6 6", {4, 4, 6, 6}, {1, 0, 0, 0, 1, 0, 0, 0, 0}},
        {"forbidden", "0 2 0 0 1 4 6", {4, 4, 4, 4, 6, 4, 6, 6, 6, 4, 4, 4, 4, 4}, {1, 0, 0, 1, 1, 0, 0, 0, 0}},
        {"forbidden twice", "0 2 0 0 2 4 4 4 4", {4, 6, 6, 4, 6, 6, 6, 4, 4, 6}, {0, 1, 0, 1, 1, 0, 0, 0, 0}},
    };
    for (const bool creux : {false, true}) {
        const auto ecrire = [&](std::string t) {
            for (size_t p = 0; creux && (p = t.find('4', p)) != std::string::npos; p += 7) t.replace(p, 1, "4000000");
            return t;
        };
        for (const Cas& c : cas) {
            std::vector<int> attendus = c.tuples;
            for (int& v : attendus) v = creux && v == 4 ? 4000000 : v;
            Network net = lire(ecrire("?\n1\n0 3 4 6 4\n2\n0 0\n1 0\n1\n0 ") + ecrire(c.relation) + "\n1\n2 0 1 0\n");
            EXPECT_EQ(tuples(net, 0), attendus) << c.nom << (creux ? " (sparse)" : "");
            EXPECT_EQ(cellules(net, 0, 1), c.cellules) << c.nom << (creux ? " (sparse)" : "");
        }
    }
}

TEST(Reader, RefusesNonBinaryRelationsEvenUnused) {
    std::string text = "?\n1\n0 2 0 1\n2\n0 0\n1 0\n3\n0 1 2 0 0 0\n1 1 2 0 0 0\n2 1 3 0 0 0 0\n0\n";
    try {
        lire(text);
        FAIL() << "a relation of arity 3 was accepted";
    } catch (const NaryRelation& e) {
        EXPECT_STREQ(e.what(), "This experimental version doesn't accept n-ary constraints\n");
    }
}

TEST(Reader, IntersectionIsACellWiseConjunction) {
    Network net = lire(surDeuxValeurs(2, {EGAL}, {"2 0 1 0"}));
    const std::vector<std::uint8_t> avant = net.relDef[0].cellules();
    REL tous = net.relDef[0], aucun = net.relDef[0];
    tous.rel = std::make_shared<std::vector<std::uint8_t>>(avant.size(), 1);
    aucun.rel = std::make_shared<std::vector<std::uint8_t>>(avant.size(), 0);
    REL m = net.relDef[0];
    intersection(&m, &tous, net);
    EXPECT_EQ(m.cellules(), avant);
    intersection(&m, &aucun, net);
    EXPECT_EQ(m.cellules(), aucun.cellules());
    EXPECT_EQ(net.relDef[0].cellules(), avant) << "the cells m shared with the pair stay as they were";
}

TEST(Reader, IndexesTheTuplesOfWiderConstraints) {
    // The solution check of wider constraints needs, per value of the first
    // variable, where its run of tuples starts.
    Network net = lire("?\n1\n0 3 5 6 7\n3\n0 0\n1 0\n2 0\n0\n0\n");
    TUPLES rel;
    rel.arity = 3;
    rel.domaines = {0, 0, 0};
    rel.tuples = {5, 5, 5, 5, 6, 7, 7, 7, 7, 5, 6, 6};
    rel.nb_tuples = 4;
    net.tabTuples.push_back(rel);
    CONSTRAINTS c;
    c.variables = {2, 0, 1};
    c.nbRel = 0;
    net.ctr.push_back(c);
    net.nb_ctr = 1;
    indexerContrainteNaire(net, 0);
    EXPECT_EQ(net.ctr[0].tabInd, (std::vector<int>{3, -1, 2}));
    for (int v : {0, 1, 2}) {
        EXPECT_EQ(net.vars[v].nbCtr, 1);
        EXPECT_EQ(net.vars[v].tabCtr, (std::vector<Ushort>{0}));
    }
}

// Every malformed file is refused with one line that names the block, the
// record and what is wrong.
TEST(Reader, RefusesMalformedFiles) {
    const std::string domaines = "?\n2\n0 2 0 1\n1 2 1 0\n";  // same values, other order
    const std::string variables = domaines + "3\n0 0\n1 0\n2 1\n";
    const std::string relations = variables + "1\n0 1 2 0 0 1 0 1\n";
    struct Cas {
        std::string texte;
        std::string attendu;  // expected part of the message
    };
    const std::vector<Cas> cas = {
        {"", "header block, count: file ends early, expected the instance name"},
        {"?\n", "domains block, count: file ends early"},
        {"?\nx\n", "domains block, count: 'x' is not a number"},
        {"?\n1\n0 2 0 1e\n", "domains block, record 0: '1e' is not a number"},
        {"?\n1\n0 2 0 +-1\n", "'+-1' is not a number"},
        {"?\n1\n0 2 0 99999999999\n", "'99999999999' does not fit in 32 bits"},
        // Digits beyond what 64 bits hold, and one that is -2^63 exactly.
        {"?\n1\n0 2 0 -9223372036854775808\n", "'-9223372036854775808' does not fit in 32 bits"},
        {"?\n1\n0 2 0 -" + std::string(30, '9') + "\n", "does not fit in 32 bits"},
        {"?\n-1\n", "domains block, count: domain count -1 is negative"},
        {"?\n65536\n", "domain count 65536 is above 65535"},
        {"?\n1\n0 70000\n", "domains block, record 0: value count 70000 is above 65535"},
        {"?\n2\n0 2 0 1\n1 3 0 1\n", "domains block, record 1: file ends early"},
        {domaines + "2\n0 0\n1 2\n", "variables block, record 1: domain 2 is not a place of the domains block (0..1)"},
        {domaines + "1\n0 -1\n", "domain -1 is not a place"},
        {domaines + "70000\n", "variables block, count: variable count 70000 is above 65535"},
        {variables + "1\n0 1 2 0 2 0\n", "relations block, record 0: domain 2 is not a place of the domains block"},
        {"?\n0\n1\n0 0\n", "variables block, record 0: domain 0 is not a place of the domains block (empty)"},
        {variables + "1\n0 1 2 0 0 1 0 5\n", "relations block, record 0: tuple 0: value 5 is not in domain 0"},
        // One-digit domains: a tuple value of more digits, or with a sign.
        {variables + "1\n0 1 2 0 0 2 0 1 0 10\n", "relations block, record 0: tuple 1: value 10 is not in domain 0"},
        {variables + "1\n0 1 2 0 0 1 1 -1\n", "relations block, record 0: tuple 0: value -1 is not in domain 0"},
        {variables + "1\n0 1 2 0 0 2 0 1 1 0x\n", "relations block, record 0: '0x' is not a number (expected a tuple value)"},
        {variables + "1\n0 1 2 0 0 -2\n", "relations block, record 0: tuple count -2 is negative"},
        {variables + "1\n0 1 2 0 0 2 0 1 x 0\n", "relations block, record 0: 'x' is not a number (expected a tuple value)"},
        // Control bytes are shown escaped, and a long token by its start.
        {variables + std::string("1\n0 1 2 0 0 2 0 1\0 1 0\n", 23),
         "relations block, record 0: '1\\x00' is not a number (expected a tuple value)"},
        {variables + "1\n0 1 2 0 0 2 0 1 1\x7f\x01 0\n", "'1\\x7f\\x01' is not a number"},
        {"?\n1\n0 2 0 " + std::string(100, '9') + "\n", "domains block, record 0: '" + std::string(40, '9') + "...' does not fit in 32 bits"},
        {variables + "1\n0 1 2 0 0 2 0 0\n", "relations block, record 0: file ends early"},
        {"?\n1\n0 300 " + [] {
             std::string v;
             for (int i = 0; i < 300; ++i) v += std::to_string(i) + " ";
             return v;
         }() + "\n1\n0 0\n1\n0 0 2 0 0 0\n",  // forbidden: 90000 pairs would be allowed
         "relations block, record 0: product of the domain sizes 90000 is above 65535"},
        {relations + "1\n2 0 3 0\n", "constraints block, record 0: variable 3 is not a place of the variables block (0..2)"},
        {relations + "1\n2 0 1 1\n", "constraints block, record 0: relation 1 is not a place of the relations block (0..0)"},
        {relations + "1\n3 0 1 2 0\n", "constraints block, record 0: arity 3 differs from the arity 2 of relation 0"},
        {relations + "1\n1 0 0\n", "arity 1 differs from the arity 2 of relation 0"},
        {relations + "1\n2 1 1 0\n", "constraints block, record 0: the scope names variable 1 twice"},
        {relations + "2\n2 0 1 0\n2 0 2 0\n",
         "constraints block, record 1: variable 2 is on domain 1, whose values differ from domain 0 of relation 0 at "
         "position 1"},
        {relations + "2\n2 0 1 0\n", "constraints block, record 1: file ends early"},
        {relations + "-3\n", "constraints block, count: constraint count -3 is negative"},
    };
    for (const Cas& c : cas) {
        try {
            lire(c.texte);
            ADD_FAILURE() << "accepted: " << c.texte;
        } catch (const FormatError& e) {
            std::string msg = e.what();
            EXPECT_NE(msg.find(c.attendu), std::string::npos) << "message: " << msg << "\nexpected: " << c.attendu;
            EXPECT_EQ(msg.find('\n'), std::string::npos) << msg;
            EXPECT_EQ(msg.rfind("t.txt: ", 0), 0u) << msg;
        }
    }
}

TEST(Reader, AcceptsDistinctDomainRecordsWithTheSameValues) {
    // Variable 2 is on domain 1, which holds the same values as domain 0.
    Network net = lire("?\n2\n0 2 0 1\n1 2 0 1\n3\n0 0\n1 0\n2 1\n1\n0 1 2 0 0 1 0 1\n1\n2 0 2 0\n");
    EXPECT_EQ(cellules(net, 0, 2), (std::vector<int>{0, 1, 0, 0}));
}

// The bit rows, blocks and residues of every pair against its cells, on
// networks where relations are shared (either way round) and pairs repeated.
TEST(Reader, BitRowsBlocksAndResiduesMatchTheCellsOfEveryPair) {
    std::mt19937 rng(4242);
    for (int k = 0; k < 150; ++k) {
        GenParams p;
        p.maxVars = 10;
        p.maxDomainSize = k % 3 == 0 ? 70 : k % 3 == 1 ? 20 : 6;
        p.maxValue = p.maxDomainSize + 10;
        p.repeatPair = 0.4;
        const Network net = lire(randomInstance(rng, p).toText());
        for (int r = 0; r < net.nb_rel; ++r) {
            const REL& m = net.relDef[r];
            const int n[2] = {net.domD[m.dom1].size, m.nbCols};
            for (int e = 0; e < 2; ++e) {
                if (n[0] <= BLOC && n[1] <= BLOC) {
                    // Both ends small: a block and no rows.  Lane a holds a's
                    // row, the lanes beyond the values are empty.
                    EXPECT_EQ(m.mots[e], 0);
                    ASSERT_NE(m.bloc[e], PAS_DE_BLOC);
                    for (int a = 0; a < BLOC; ++a) {
                        const std::uint16_t lane = net.blocs[m.bloc[e] + a];
                        for (int b = 0; b < BLOC; ++b) {
                            const bool cellule = a < n[e] && b < n[1 - e] && (e == 0 ? m.at(a, b) : m.at(b, a));
                            ASSERT_EQ((lane >> b) & 1, cellule)
                                << "instance " << k << " pair " << r << " end " << e << " lane " << a;
                        }
                    }
                    continue;
                }
                EXPECT_EQ(m.bloc[e], PAS_DE_BLOC);
                ASSERT_EQ(m.mots[e], (n[1 - e] + 63) / 64);
                for (int a = 0; a < n[e]; ++a) {
                    bool vide = true;
                    for (int b = 0; b < n[1 - e]; ++b) {
                        const bool bit = (net.ligne(m, e, a)[b / 64] >> (b % 64)) & 1;
                        const bool cellule = e == 0 ? m.at(a, b) : m.at(b, a);
                        ASSERT_EQ(bit, cellule) << "instance " << k << " pair " << r << " end " << e << " " << a << "," << b;
                        vide = vide && !cellule;
                    }
                    const int res = net.residu(m, e, a);
                    if (vide) EXPECT_EQ(res, n[1 - e]);
                    else EXPECT_TRUE(e == 0 ? m.at(a, res) : m.at(res, a)) << "the residue is a support";
                }
            }
        }
        // The arc from u to v leads to v's block in their pair.
        for (int u = 0; u < net.nb_var; ++u)
            for (size_t k2 = 0; k2 < net.graphe[u].arcs.size(); ++k2) {
                const ARC& arc = net.graphe[u].arcs[k2];
                const REL& m = net.relDef[arc.paire];
                EXPECT_EQ(arc.bloc, m.bloc[net.graphe[u].tab_voisins[k2] == m.var1 ? 0 : 1]);
            }
    }
}

// readCSP on a file against parseCSP on its text: around page-size
// multiples, without a final newline, and with the last number at the very
// end of the file.
TEST(ReaderFile, ReadsTheFileAsItsText) {
    TempDir dir;
    ScopedChdir here(dir.path);
    std::mt19937 rng(77);
    std::string base = randomInstance(rng).toText();
    while (!base.empty() && base.back() == '\n') base.pop_back();
    for (const size_t cible : {size_t{4095}, size_t{4096}, size_t{4097}, size_t{8192}}) {
        // Blanks after the name line bring the file to the size wanted.
        std::string texte = base;
        const size_t eol = texte.find('\n');
        if (texte.size() < cible) texte.insert(eol, cible - texte.size(), ' ');
        for (const bool finLigne : {false, true}) {
            const std::string fichier = finLigne ? texte + "\n" : texte;
            writeFile("inst.txt", fichier);
            Network lu, attendu;
            readCSP("inst.txt", lu);
            parseCSP(fichier, "inst.txt", attendu);
            EXPECT_EQ(networkDifference(lu, attendu), "") << "size " << fichier.size();
        }
    }
}
