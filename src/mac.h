// The solver: search state, labelling and backtracking, variable ordering by
// weighted degree, and the run driver with its weight files.
//
// A run (see solve): set up the state, load "weight", filter at the root,
// search depth-first with arc consistency maintained after each decision,
// then rewrite "weight" and write "activity" and "weightCons".
#pragma once

#include <cstdint>
#include <cstdio>
#include <ctime>
#include <vector>

#include "EntreesSorties/entrees_sorties.h"
#include "choix.h"

// One entry of a level's stack: a variable that level's propagation cut,
// and the size of its current domain before that level's first cut.  An
// undo pops the entries and gives each variable its saved size back.
struct ENTREE_TRAIL {
    Ushort var = 0;
    Ushort taille = 0;
};

// One level's stack of variables: its entries are trail[debut + 1 ..
// debut + sommet] of the search state.  Only the level in work grows, so
// the levels' stacks lie one after the other in the trail.
struct PILE_VAR {
    int debut = 0;   // slot before the level's first entry
    int sommet = 0;  // number of entries, 0 when empty
};

// The processor has AVX2, BMI1, BMI2 and POPCNT: the fast propagation has
// a copy compiled for it.
bool processeurAvx2();

// The whole state of one search.  Levels are entries of var_instancie: root
// levels 0..level0-1 (variables of degree 0 or 1 set aside), then decision
// levels, each followed by the singleton levels of the variables its
// propagation fixed (coupe true).  Tables indexed by level have nb_var + 1
// entries: each variable is recorded on at most one level.  Nothing has
// nb_var entries per level: the state is linear in the instance.
struct SearchState {
    // Levels and the variable in work.
    int level = 0;       // number of completed levels; var_instancie[level] is in work
    int level0 = 0;      // first decision level; below it the search is exhausted
    int niveau = 0;      // the decision level label is working on
    Ushort var = 0;      // variable of label, unlabel and the degree upkeep
    int var_elu = 0;     // last choice of choix_de_variable
    bool consistent = false;  // verdict of the last search step

    std::vector<Ushort> var_instancie;      // per level: the variable recorded there
    std::vector<std::uint8_t> coupe;        // per level: it is a singleton level
    std::vector<std::uint8_t> instancie;    // per variable: recorded on some level
    std::vector<std::uint8_t> racine;       // per variable: recorded on a root level
    std::vector<int> sol;                   // per variable: value index given, -1 if none
    std::vector<int> nbvalSuppr;            // per variable: nbvalC when it was chosen

    // Trail: per level, the variables whose domains that level's propagation
    // cut, each with its size before the first such cut (a variable's
    // entries on the levels in use save strictly decreasing sizes).
    std::vector<PILE_VAR> future_fc;                      // per level
    std::vector<ENTREE_TRAIL> trail;                      // the levels' stacks; slot 0 unused
    int trail_sommet = 0;                                 // last slot in use
    std::vector<int> niveau_trail;                        // per variable: level of its last entry, -1 once undone
    // Beside each slot of trail, the bit set its variable had then, when it
    // fits in the domain's own words: the undo puts it back at once instead
    // of setting the bits of the values one by one.
    std::vector<std::uint64_t> trail_bits;                // motsTrail words per slot of trail
    int motsTrail = 1;                                    // the widest such bit set, in words

    // Propagation queue: a circular buffer of tailleFile = nb_var + 1 slots.
    std::vector<Ushort> Liste_ac8_var;    // the slots
    std::vector<std::uint8_t> presente;   // per variable: waiting in the queue
    int tete = 0;        // slot dequeued last
    int queue = 0;       // slot filled last
    int tailleFile = 0;  // number of slots

    // Variable ordering.
    float MAX = 0;  // bound of the first pass of the choice: nb_var^3
    std::vector<std::uint32_t> sommeDom;    // per variable: declared sizes of its future neighbours
    std::vector<std::uint32_t> sommePoids;  // per variable: its weights towards them (mod 2^32)
    ArbreChoix choix;  // per variable: its key of the choice, smallest first; not kept by the plain variant

    // Activity: one flag per constrained pair, at its index in relDef.
    std::vector<std::uint8_t> active;
    int nbActive = 0;  // number of flags set

    // Each variable's neighbours in the order the reader gave them: the order
    // and count of the weight file, whatever the search does to the lists.
    std::vector<std::vector<Ushort>> voisins_lus;

    // Variant and measures.
    bool reference = false;       // plain variant (bench and tests): support by a scan of the neighbour's domain,
                                  // choice by sums, removals that keep no positions or bit sets
    bool avx2 = processeurAvx2(); // the fast variant's propagation compiled for AVX2 runs (the tests clear it
                                  // to run the code for any processor)
    std::uint64_t decisions = 0;  // values tried by label
    std::clock_t searchClock = 0; // CPU time of the search phase of the last run
};

// Index of the unordered pair {u, v} of neighbours in SearchState::active
// (the same for both orders), by a scan of u's list.
inline int pairKey(const Network& net, int u, int v) { return net.ref(u, v); }

// Entry k (1-based) of the stack of `level`.
inline Ushort entreeTrail(const SearchState& s, int level, int k) { return s.trail[s.future_fc[level].debut + k].var; }

// The size that entry k (1-based) of the stack of `level` saved.
inline Ushort tailleTrail(const SearchState& s, int level, int k) { return s.trail[s.future_fc[level].debut + k].taille; }

// v is on the stack of the level in work.
inline bool present_future(const SearchState& s, int level, Ushort v) { return s.niveau_trail[v] == level; }

// Exit status of a run that found (or proved the existence of) a solution.
constexpr int STATUS_SOLUTION = 10;

// Outcome of the search phase.
enum class Outcome { NoSolution, Solution, NoSearch };

// Search state and trail.
void initialisation(Network& net, SearchState& s);
void undo_reduction(Network& net, SearchState& s);
void update_current_domain(Network& net, SearchState& s);

// Search loop, labelling and backtracking.
Outcome searchPhase(Network& net, SearchState& s);
void label(Network& net, SearchState& s);
void unlabel(Network& net, SearchState& s);
void propager_singleton_valeur(Network& net, SearchState& s);
void connecter_variables(Network& net, SearchState& s);
bool verifierSolution(Network& net, SearchState& s, Ushort indVar);

// Variable ordering by weighted degree.
void choix_de_variable(Network& net, SearchState& s);
void mettre_a_jour_degre(Network& net, SearchState& s);
void remettre_a_jour_degre(Network& net, SearchState& s);
void propager_singleton_degre(Network& net, SearchState& s);
// Sets sommeDom and sommePoids from the lists and weights as they stand,
// and every key of the choice tree (the degree upkeep and the propagation
// keep them up to date after).
void recalculerSommes(const Network& net, SearchState& s);
// Marks variable i's key in the choice tree after a change of its degree,
// sums or instancie flag; the next choice computes it again (nothing in the
// plain variant, which scans at each choice).
inline void actualiserChoix(SearchState& s, int i) {
    if (!s.reference) s.choix.marquer(i);
}
// Sets i's instancie flag, and marks its key.
inline void fixerInstancie(SearchState& s, int i, bool valeur) {
    s.instancie[i] = valeur;
    actualiserChoix(s, i);
}

// Run driver.  preparerRun sets up the state of a run: the search state,
// MAX = nb_var^3 and the activity flags, all clear.
void preparerRun(Network& net, SearchState& s);

// One whole run on a network already read.  `pb` and `temps`
// are not used; `fileOut` names an output stream (none: standard error) that
// nothing is written to.  Returns 0 when the instance has no solution,
// STATUS_SOLUTION when it has one; ends the process with status 255 on a
// weight-file or limit error.
int solve(Network& net, SearchState& s, const char* pb, clock_t temps, const char* fileOut);

// Loads the weights of a run set up by preparerRun from the weight file
// open in `f`: one number per neighbour of each variable, in the reader's
// order.  False when the file holds too few.
bool importerPoids(Network& net, const SearchState& s, std::FILE* f);
