// Constraint network of a binary CSP, its reader and its writer.
//
// The network is built once by readCSP from the instance text format (or
// from an XML instance, converted first) and then only read by the solver,
// except for the current domains, the neighbour lists with their arcs, the
// constraint weights, the residues and the watches, which the search
// updates in place.  Everything is stored by variable, by neighbour or by
// constrained pair: the size is linear in the instance.
#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

using Ushort = std::uint16_t;
using Ulong = unsigned long;

constexpr Ushort NO_POSITION = 0xFFFF;  // position of a variable in the list of a non-neighbour

// A declared domain: one record of the domains block.
struct DOMAIN {
    int size = 0;          // number of values
    std::vector<int> val;  // the values, in file order (their order gives the value indexes)
};

// A bit set over a domain's value indexes.  Up to LOCAUX words (256 values)
// it lies in the struct itself, which spares a revision the pointer to
// follow; beyond, on the heap.
class BitsDomaine {
public:
    static constexpr int LOCAUX = 4;

    void assign(size_t mots, std::uint64_t v) {
        n_ = static_cast<std::uint32_t>(mots);
        if (mots > LOCAUX) tas_.assign(mots, v);
        else {
            tas_.clear();
            for (size_t w = 0; w < LOCAUX; ++w) locaux_[w] = w < mots ? v : 0;
        }
    }
    size_t size() const { return n_; }
    std::uint64_t* data() { return n_ <= LOCAUX ? locaux_ : tas_.data(); }
    const std::uint64_t* data() const { return n_ <= LOCAUX ? locaux_ : tas_.data(); }
    std::uint64_t& operator[](size_t w) { return data()[w]; }
    std::uint64_t operator[](size_t w) const { return data()[w]; }
    // The words when size() <= LOCAUX, without the test.
    std::uint64_t* locaux() { return locaux_; }
    const std::uint64_t* locaux() const { return locaux_; }

private:
    std::uint64_t locaux_[LOCAUX] = {};
    std::vector<std::uint64_t> tas_;
    std::uint32_t n_ = 0;
};

// One variable's domain.  The first nbvalC entries of ind_val_rest are the
// value indexes still present (a sparse set).
struct DOMAINE {
    Ushort nbval = 0;               // size of the declared domain
    int nbvalC = 0;                 // size of the current domain (set by the search)
    BitsDomaine bits;               // bit v set when value index v is in the current domain
    std::vector<int> ind_val_rest;  // permutation of 0..nbval-1, present values first
    std::vector<Ushort> pos_val;    // nbval + 1 entries: place of each value index in ind_val_rest
    int dom = 0;                    // number of the declared domain
    std::vector<int> tab_val;       // the values: tab_val[j] = domD[dom].val[j]
};
using DOMAINES = std::vector<DOMAINE>;

// No block: a domain of the pair has more than BLOC values.
constexpr std::uint32_t PAS_DE_BLOC = 0xFFFFFFFF;
// Pairs whose two domains have at most this many values have blocks.
constexpr int BLOC = 16;

// The link from a variable to the neighbour at one position of its list.
struct ARC {
    int paire = 0;     // the pair's matrix in relDef
    Ushort place = 0;  // position of the variable in the neighbour's list
    Ushort lu = 0;     // slot of the weight towards the neighbour in `weight`
    std::uint32_t lignes = 0;  // in Network::lignes: the bit rows of the variable's values over the neighbour's,
    Ushort mots = 0;           // of this many words each (none when the pair has blocks)
    std::uint32_t bloc = PAS_DE_BLOC;  // in Network::blocs: the neighbour's block, when there is one
};

// VOISIN::memesArcs when every arc of the variable has a block.
constexpr Ushort TOUS_BLOCS = 0xFFFF;

// One variable's place in the constraint graph.  tab_voisins and arcs are
// permuted together by the degree upkeep; weight is not.
struct VOISIN {
    Ushort degre = 0;                // number of future neighbours (front of tab_voisins)
    std::vector<Ushort> tab_voisins; // neighbour numbers; future ones first
    std::vector<ARC> arcs;           // arcs[k]: the link to tab_voisins[k]
    std::vector<int> weight;         // per slot: weight of the constraint towards that neighbour
    Ushort memesArcs = 0;            // TOUS_BLOCS, or the words (1 to 4) of every arc's rows when all
                                     // arcs have rows of that many words; else 0
};

// Compatibility matrix of one constrained pair var1 < var2: rows are value
// indexes of var1, columns value indexes of var2, one byte per cell.
struct REL {
    int dom1 = 0;           // declared domain of the rows
    int dom2 = 0;           // declared domain of the columns
    int var1 = 0;           // smaller variable of the pair
    int var2 = 0;           // larger variable of the pair
    bool typeRel = false;   // always false: the cells mark allowed pairs
    int nbCols = 0;         // row length (size of dom2)
    // Row-major cells, 1 = allowed.  Pairs whose cells are those of the same
    // relation in the same orientation share them; an intersection gives a
    // pair cells of its own.
    std::shared_ptr<const std::vector<std::uint8_t>> rel;

    // The same cells for the support test, seen from each end e of the pair
    // (0: var1, 1: var2): one bit row per value of that end over the values
    // of the other end, and the last support found for each value.
    int mots[2] = {0, 0};              // words of a bit row of end e (0 for a pair with blocks)
    std::uint32_t lignes[2] = {0, 0};  // end e's rows: Network::lignes[lignes[e] + a * mots[e] + w]
    std::uint32_t residus[2] = {0, 0};  // end e's residues: Network::residus[residus[e] + a]
    // When both ends have at most BLOC values, end e's rows as BLOC bits each,
    // packed: Network::blocs[bloc[e] + a], BLOC lanes; such a pair has no
    // rows in Network::lignes and no residues.
    std::uint32_t bloc[2] = {PAS_DE_BLOC, PAS_DE_BLOC};

    const std::vector<std::uint8_t>& cellules() const {
        static const std::vector<std::uint8_t> aucune;
        return rel ? *rel : aucune;
    }
    std::uint8_t at(int a, int b) const { return (*rel)[static_cast<size_t>(a) * nbCols + b]; }
};

// A relation as a list of tuples of values: one record of the relations block.
struct TUPLES {
    Ushort arity = 0;
    bool typeRel = false;          // while reading: true when the file lists forbidden tuples
    std::vector<Ushort> domaines;  // declared domain of each position
    Ushort nb_tuples = 0;
    std::vector<int> tuples;       // nb_tuples * arity values, tuple after tuple

    const int* tuple(size_t k) const { return tuples.data() + k * arity; }
};

// A constraint as read: one record of the constraints block.
struct CONSTRAINTS {
    std::vector<Ushort> variables;  // the scope, in file order
    int nbRel = 0;                  // number of the relation used
    Ushort watch = 0;               // watched variable of the solution check
    int paire = -1;                 // arity 2: the pair's matrix in relDef
    std::vector<int> tabInd;        // arity > 2 only: start of each first value's run of tuples
};

// Per variable, its constraints of arity greater than 2.
struct VARCTR {
    int nbCtr = 0;
    std::vector<Ushort> tabCtr;
};

// The constraint network.
struct Network {
    Ushort nb_dom = 0;                // number of declared domains
    std::vector<DOMAIN> domD;         // declared domains
    Ushort nb_var = 0;                // number of variables
    DOMAINES realDom;                 // each variable's domain
    std::vector<VOISIN> graphe;       // the constraint graph
    Ushort nb_rel = 0;                // number of constrained pairs
    std::vector<REL> relDef;          // one matrix per pair, plus a spare entry at nb_rel
    std::vector<std::uint64_t> lignes;  // the bit rows of every pair without blocks, one run per end; pairs with the same cells share theirs
    std::vector<Ushort> residus;        // per end and value of a pair without blocks: a support, or the other end's nbval if none
    std::vector<std::uint16_t> blocs;   // the blocks of the pairs of small domains; pairs with the same cells share theirs
    std::vector<TUPLES> tabTuples;    // the allowed tuples of each relation of the file
    Ushort nb_ctr = 0;                // number of constraints
    std::vector<CONSTRAINTS> ctr;     // the constraints in file order
    std::vector<VARCTR> vars;         // per variable, its constraints of arity > 2

    // Lookups by a scan of u's list, for the tests and the writer: the
    // search follows the arcs instead.
    int position(int u, int v) const;  // position of v in u's list, -1 if not a neighbour
    // Position of u in v's list, NO_POSITION for two non-neighbours.
    Ushort mat(int u, int v) const;
    // Index in relDef of the pair {u, v}, -1 if none.
    int ref(int u, int v) const;
    // Weight of u's constraint towards its neighbour v.
    int& weight(int u, int v);
    // Bit row of value index a of end e of pair m.
    const std::uint64_t* ligne(const REL& m, int e, int a) const {
        return lignes.data() + m.lignes[e] + static_cast<size_t>(a) * m.mots[e];
    }
    // Residue of value index a of end e of pair m.
    Ushort& residu(const REL& m, int e, int a) { return residus[m.residus[e] + static_cast<size_t>(a)]; }
    Ushort residu(const REL& m, int e, int a) const { return residus[m.residus[e] + static_cast<size_t>(a)]; }
};

// A file that breaks the instance text format.  The message names the block,
// the record and the offending token or value.
struct FormatError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Reads the instance file `nom` into `net`.  Ends the process on failure:
// status 1 for a missing file, 255 for a format error (one line on stderr).
void readCSP(const char* nom, Network& net);

// The reader proper, on the text of an instance: throws FormatError, and
// NaryRelation for a relation whose arity is not 2.
struct NaryRelation : std::runtime_error {
    using std::runtime_error::runtime_error;
};
void parseCSP(const std::string& texte, const std::string& nom, Network& net);

// The whole content of file `nom`; false when it can't be opened.
bool lireFichier(const char* nom, std::string& texte);

// Writes `net` in the instance text format, one relation and one constraint
// per constrained pair.  False when the file could not be opened (reported
// on the standard error) or some of it could not be written.
bool writeCSP(const char* nomFic, const Network& net);

// The reader's operations on tuple tables and matrices.  `tt` holds the
// listed tuples of each relation as read.
bool verifier(const int* t, Ushort numT, const std::vector<TUPLES>& tt, const Network& net);
void ajouter(Ushort numT, int* t, int pos, const std::vector<TUPLES>& tt, Network& net);
void copier(const TUPLES* t, int num, Network& net);
void intersection(REL* rel1, const REL* rel2, const Network& net);

// Builds tabInd and the per-variable lists of a constraint of arity > 2.
void indexerContrainteNaire(Network& net, int i);

// Prints "Out of memory" and ends the process with status 1.
[[noreturn]] void memError();

// Makes a failed allocation (std::bad_alloc) end the process through memError.
void installMemError();
