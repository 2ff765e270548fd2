#include "Filtrages/acs.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <type_traits>

#ifdef __SSE2__
#include <emmintrin.h>
#endif
#ifdef __x86_64__
#include <immintrin.h>
// The fast propagation is compiled a second time for processors with
// AVX2, BMI1, BMI2 and POPCNT, and the search state says which one runs.
#define CIBLE_AVX2 gnu::target("avx2,bmi,bmi2,popcnt")
#else
#define CIBLE_AVX2
#endif

namespace {

// The slots are used in a circle: the next slot after the last is 0.
inline int suivante(const SearchState& s, int slot) { return slot + 1 == s.tailleFile ? 0 : slot + 1; }

// x enters the queue when `entre` is 1 (x not waiting there yet), with no
// branch on it: the slot after the tail is written whatever (it is free,
// or the one dequeued last when every variable waits), and the tail moves
// on only when x enters.
[[gnu::always_inline]] inline void enqueue(SearchState& s, Ushort x, int entre) {
    const int slot = suivante(s, s.queue);
    s.Liste_ac8_var[slot] = x;
    s.queue = entre ? slot : s.queue;
    s.presente[x] = 1;
}

inline void enqueue(SearchState& s, Ushort x) { enqueue(s, x, 1); }

inline Ushort dequeue(SearchState& s) {
    s.tete = suivante(s, s.tete);
    const Ushort x = s.Liste_ac8_var[s.tete];
    s.presente[x] = 0;
    return x;
}

// Support of value a of end e of pair m in the current domain dj of the
// other end: its residue if still present, else the first common bit of
// a's row and dj's bit set, which becomes the residue.
inline bool soutenuVite(Network& net, const REL& m, int e, const DOMAINE& dj, int a) {
    Ushort& r = net.residu(m, e, a);
    if (dj.pos_val[r] < dj.nbvalC) return true;
    const int mots = m.mots[e];
    const std::uint64_t* ligne = net.ligne(m, e, a);
    const std::uint64_t* dom = dj.bits.data();
    for (int w = 0; w < mots; ++w)
        if (const std::uint64_t x = ligne[w] & dom[w]) {
            r = static_cast<Ushort>(w * 64 + std::countr_zero(x));
            return true;
        }
    return false;
}

// The plain support test: j's current domain scanned from position 0, one
// cell of m per value (m read by rows when i is its first end, by columns
// otherwise).
bool supportParBalayage(const REL& m, bool premier, const DOMAINE& dj, int a) {
    const int n = dj.nbvalC;
    if (n <= 0) return false;
    const int* vals = dj.ind_val_rest.data();
    const std::uint8_t* cells = m.rel->data();
    if (premier) {
        const std::uint8_t* row = cells + static_cast<size_t>(a) * m.nbCols;
        for (int p = 0; p < n; ++p)
            if (row[vals[p]]) return true;
    } else {
        for (int p = 0; p < n; ++p)
            if (cells[static_cast<size_t>(vals[p]) * m.nbCols + a]) return true;
    }
    return false;
}

// The support test of the variant in use, on the pair m of i and j.
template <bool Reference>
inline bool soutenu(Network& net, const REL& m, Ushort i, Ushort j, int a) {
    if constexpr (Reference) return supportParBalayage(m, i < j, net.realDom[j], a);
    else return soutenuVite(net, m, i < j ? 0 : 1, net.realDom[j], a);
}

// The removal of the value at position p of x's domain, in two steps (the
// trail, between them, saves the size before it): the last value of the
// current domain takes position p, then the domain shrinks by one.  The
// plain variant, whose support test reads neither the positions nor the
// bit set, only swaps and counts.
template <bool Reference>
inline void echangerAvecDernier(Network& net, int x, int p) {
    DOMAINE& d = net.realDom[x];
    if constexpr (Reference) std::swap(d.ind_val_rest[p], d.ind_val_rest[d.nbvalC - 1]);
    else switchDom(net, x, p, d.nbvalC - 1);
}

template <bool Reference>
inline void raccourcir(DOMAINE& d) {
    if constexpr (Reference) --d.nbvalC;
    else retirerDernier(d);
}

// Root revision of x against its neighbour y: removes the values of x without
// support in y, queueing x at its first loss.  False when x is emptied.
template <bool Reference>
bool reviser(Network& net, SearchState& s, Ushort x, Ushort y, int paire) {
    DOMAINE& d = net.realDom[x];
    REL& m = net.relDef[paire];
    int p = 0;
    while (p < d.nbvalC) {
        if (soutenu<Reference>(net, m, x, y, d.ind_val_rest[p])) {
            ++p;
            continue;
        }
        echangerAvecDernier<Reference>(net, x, p);
        raccourcir<Reference>(d);
        if (d.nbvalC == 0) return false;
        if (!s.presente[x]) enqueue(s, x);
    }
    return true;
}

// The trail entry of i at the current level: i and its size (and, for the
// fast variant, its bit set, when it lies in the domain's own words) in
// the slot after the top of the trail, which moves on only when `trace` is
// 1, at i's first cut at this level.  With 0 the slot written is free, so
// that a caller may write it without a branch: the trail has room for
// every entry that can be in use at once, and one more (initialisation).
// The level's stack starts at the top of the trail (ac8MacFile).
// `mots`: the words of i's bit set saved with it (none when 0); the
// removals after a decision know them at compile time.
[[gnu::always_inline]] inline void trailerMots(Network& net, SearchState& s, Ushort i, int trace, size_t mots) {
    const DOMAINE& d = net.realDom[i];
    const int slot = s.trail_sommet + 1;
    s.trail[slot] = ENTREE_TRAIL{i, static_cast<Ushort>(d.nbvalC)};
    if (mots > 0) {
        const size_t debut = static_cast<size_t>(slot) * s.motsTrail;
        if (debut + mots > s.trail_bits.size()) s.trail_bits.resize(2 * (debut + mots));
        copierBits(s.trail_bits.data() + debut, d.bits.locaux(), mots);
    }
    s.trail_sommet += trace;
    s.future_fc[s.level].sommet += trace;
    s.niveau_trail[i] = s.level;
}

// The first entry of i at the current level, with the words of its bit
// set read from it (none for the plain variant).
[[gnu::always_inline]] inline void trailer(Network& net, SearchState& s, Ushort i) {
    const size_t mots = net.realDom[i].bits.size();
    trailerMots(net, s, i, 1, !s.reference && mots <= BitsDomaine::LOCAUX ? mots : 0);
}

// Revision of i, the neighbour at position k of j's list, against j after
// a decision: each value of i's current domain without support (soutenu(a)
// false) leaves it, in order.  False when i is emptied: j's weight towards
// i goes up.
template <bool Reference, class Soutien>
inline bool reviserContre(Network& net, SearchState& s, Ushort j, int k, Soutien soutenu) {
    VOISIN& g = net.graphe[j];
    const Ushort i = g.tab_voisins[k];
    DOMAINE& d = net.realDom[i];
    int p = 0;
    while (p < d.nbvalC) {
        if (soutenu(d.ind_val_rest[p])) {
            ++p;
            continue;
        }
        std::uint8_t& flag = s.active[g.arcs[k].paire];
        if (!flag) {
            flag = 1;
            ++s.nbActive;
        }
        echangerAvecDernier<Reference>(net, i, p);
        // A variable waiting in the queue has already been trailed at this level.
        if (!s.presente[i]) {
            enqueue(s, i);
            if (s.niveau_trail[i] != s.level) trailer(net, s, i);
        }
        raccourcir<Reference>(d);
        if (d.nbvalC == 0) {
            int& w = g.weight[g.arcs[k].lu];
            w = static_cast<int>(static_cast<unsigned>(w) + 1u);
            ++s.sommePoids[j];  // i is a future neighbour of j
            actualiserChoix(s, j);
            return false;
        }
    }
    return true;
}

// Two or four words of a bit set, worked on together.  Four words are a
// unit only in the copy for AVX2, where the helpers that pass them by value
// are inlined: no call passes them under the ABI of another processor.
using Paire = std::uint64_t __attribute__((vector_size(16)));
using Quatre = std::uint64_t __attribute__((vector_size(32)));
#pragma GCC diagnostic ignored "-Wpsabi"

// The units a bit set of W words is worked on by: pairs when W is even,
// else single words; four words at once with AVX2 (A).
template <int W, bool A>
struct Unites {
    static constexpr int L = A && W == 4 ? 4 : W % 2 == 0 ? 2 : 1;  // words per unit
    static constexpr int N = W / L;                                  // units per set
    using U = std::conditional_t<L == 4, Quatre, std::conditional_t<L == 2, Paire, std::uint64_t>>;
};

// Words p[0 .. 3] (U four words), p[0 .. 1] (U a pair) or p[0] (U a word),
// loaded at once.
template <class U>
[[gnu::always_inline]] inline U charger(const std::uint64_t* p) {
    U x;
    std::memcpy(&x, p, sizeof x);
    return x;
}

// bits &= ~sans over W words, by the units sansSupport loads them by.
template <int W, bool A>
[[gnu::always_inline]] inline void oterBits(std::uint64_t* bits, const std::uint64_t* sans) {
    constexpr int L = Unites<W, A>::L;
    using U = typename Unites<W, A>::U;
    for (int u = 0; u < Unites<W, A>::N; ++u) {
        const U x = charger<U>(bits + u * L) & ~charger<U>(sans + u * L);
        std::memcpy(bits + u * L, &x, sizeof x);
    }
}

// True when no bit of x (a word, a pair or four words) is set.
template <class U>
[[gnu::always_inline]] inline bool vide(U x) {
    if constexpr (std::is_same_v<U, Quatre>) return (x[0] | x[1] | x[2] | x[3]) == 0;
    else if constexpr (std::is_same_v<U, Paire>) return (x[0] | x[1]) == 0;
    else return x == 0;
}

// A bit set of W words, by units.
template <int W, bool A>
using EnUnites = typename Unites<W, A>::U[Unites<W, A>::N];

// r &= ~(the rows l[0] | .. | l[3]); true when something is left.
template <int W, bool A>
[[gnu::always_inline]] inline bool oterQuatre(EnUnites<W, A>& r, const std::uint64_t* l0, const std::uint64_t* l1,
                                              const std::uint64_t* l2, const std::uint64_t* l3) {
    constexpr int L = Unites<W, A>::L;
    using U = typename Unites<W, A>::U;
    U encore{};
    for (int u = 0; u < Unites<W, A>::N; ++u)
        encore |= r[u] &= ~(charger<U>(l0 + u * L) | charger<U>(l1 + u * L) | charger<U>(l2 + u * L) |
                            charger<U>(l3 + u * L));
    return !vide(encore);
}

// The values at positions p and der of val change places, and pos
// follows; returns the value now at p.
[[gnu::always_inline]] inline int echanger(int* val, Ushort* pos, int p, int der) {
    const int a = val[p], b = val[der];
    val[p] = b;
    val[der] = a;
    pos[b] = static_cast<Ushort>(p);
    pos[a] = static_cast<Ushort>(der);
    return b;
}

// The scan's removal of the m values at the positions of `places` (P
// words) from the first n entries of val, with the positions it swaps
// worked out ahead.  With n' = n - m values left, the scan swaps the
// positions n-1, n-2, .. n' in turn (the last one of the domain each time)
// with a position p to go, from the smallest up: it moves on to the next
// one just after the last one of the domain is a kept value, which then
// fills p.  Those kept values are as many as the positions to go below n',
// and the position it stays on once those are filled is n', to go then.
// So the positions to go below n' are listed first, in increasing order,
// then n', and each swap reads the next entry or the same: no swap waits
// for a bit search of the one before.
template <int P>
[[gnu::always_inline]] inline void oterParListe(int* val, Ushort* pos, int& n, const std::uint64_t* places, int m) {
    const int reste = n - m;
    Ushort trous[P * 64 + 1];  // the positions to go below n', in increasing order, then n'
    int r = 0;
    for (int w = 0; w < P && w * 64 < reste; ++w) {
        std::uint64_t x = places[w];
        if (reste - w * 64 < 64) x &= (std::uint64_t{1} << (reste - w * 64)) - 1;
        for (; x; x &= x - 1) trous[r++] = static_cast<Ushort>(w * 64 + std::countr_zero(x));
    }
    trous[r] = static_cast<Ushort>(reste);
    int k = 0;
    for (int der = n - 1; der >= reste; --der) {
        echanger(val, pos, trous[k], der);
        k += static_cast<int>((((P == 1 ? places[0] : places[der >> 6]) >> (der & 63)) & 1) ^ 1);
    }
    n = reste;
}

// The positions of the values of `sans` (W words) among val[0 .. n-1], as
// bits into `places` (P words, clear), by a pass over the domain, eight
// values at a time: each value's word of `sans` picked by its index, then
// its bit.  With AVX2 only.
template <int P, int W>
[[CIBLE_AVX2]] inline void placesParBalayage(const int* val, int n, const std::uint64_t* sans, std::uint64_t* places) {
#ifdef __x86_64__
    __m256i mots = _mm256_setzero_si256();  // sans, as eight 32-bit words
    std::memcpy(&mots, sans, W * sizeof(std::uint64_t));
    const __m256i rang = _mm256_set_epi32(7, 6, 5, 4, 3, 2, 1, 0), bas = _mm256_set1_epi32(31);
    for (int b = 0; b < n; b += 8) {
        const __m256i dedans = _mm256_cmpgt_epi32(_mm256_set1_epi32(n - b), rang);
        const __m256i v = _mm256_maskload_epi32(val + b, dedans);
        const __m256i mot = _mm256_permutevar8x32_epi32(mots, _mm256_srli_epi32(v, 5));
        const __m256i bit = _mm256_slli_epi32(_mm256_srlv_epi32(mot, _mm256_and_si256(v, bas)), 31);
        const unsigned huit = static_cast<unsigned>(_mm256_movemask_ps(_mm256_castsi256_ps(_mm256_and_si256(bit, dedans))));
        places[P == 1 ? 0 : b >> 6] |= std::uint64_t{huit} << (b & 63);
    }
#else
    (void)val, (void)n, (void)sans, (void)places;
#endif
}

// Takes the values of `sans` (W words over the value indexes) out of the
// first n entries of val as the value-by-value scan does: the value at the
// smallest position changes places with the last one, the domain shrinks by
// one, and so on.  `places` (P words) holds the positions of the values to
// go; one word does when the domain has at most 64 values left.  Then,
// with that one word, the smallest is one bit search, and whether the last
// value is to go too is read in the word.  With a single word of values,
// its position is cleared and the loop runs until the word is empty;
// otherwise it is left in `places` (past the end of the domain by then, it
// is never the smallest while values remain to go) and the loop counts
// the values still to go.  Each step of that loop waits for the bit
// search of the one before, so that many values to go (LISTE or more), or
// positions of several words, go through oterParListe instead.  With AVX2
// (A) and values of several words, the positions of a sixth of the domain
// or more, out of more than 16 values, are found by a pass over the domain
// rather than one by one (with a single word of values, that pass is
// slower: 1.03-1.05 on the 60-value instance of the bench).
template <int P, int W, bool A>
[[gnu::always_inline]] inline void oterParPlaces(int* val, Ushort* pos, int& n, const std::uint64_t* sans) {
    constexpr int LISTE = 16;
    std::uint64_t places[P] = {};
    int restant = 0;  // values still to go, counted with more than one word
    bool balaye = false;
    if constexpr (A && W > 1) {
        int m = 0;
        for (int w = 0; w < W; ++w) m += std::popcount(sans[w]);
        if (n > 16 && 6 * m >= n) {
            placesParBalayage<P, W>(val, n, sans, places);
            restant = m;
            balaye = true;
        }
    }
    if (!balaye)
        for (int w = 0; w < W; ++w)
            for (std::uint64_t x = sans[w]; x; x &= x - 1) {
                const int p = pos[w * 64 + std::countr_zero(x)];
                places[P == 1 ? 0 : p >> 6] |= std::uint64_t{1} << (p & 63);
                if constexpr (W != 1) ++restant;
            }
    if constexpr (W == 1) {
        for (std::uint64_t x = places[0]; x;) {
            const int p = std::countr_zero(x), der = --n;
            echanger(val, pos, p, der);
            // The last value, if it is to go too, now stands at p and goes next.
            const std::uint64_t aussi = (x >> der) & 1;
            x &= ~(std::uint64_t{1} << der);
            x &= ~((aussi ^ 1) << p);
        }
    } else if (P == 1 && restant < LISTE) {
        for (std::uint64_t x = places[0]; restant > 0; --restant) {
            const int p = std::countr_zero(x);
            const int der = --n;
            echanger(val, pos, p, der);
            const std::uint64_t aussi = (x >> der) & 1;
            x &= ~((aussi ^ 1) << p);
        }
    } else {
        oterParListe<P>(val, pos, n, places, restant);
    }
}

// Takes the values of `sans`, a bit set over d's value indexes within its
// current domain, out of d in the scan's order (oterParPlaces), with a
// shortcut for the common case of a single value.  A: with AVX2.
template <int W, bool A>
[[gnu::always_inline]] inline void oterDansLOrdre(DOMAINE& d, const std::uint64_t* sans) {
    int* val = d.ind_val_rest.data();
    Ushort* pos = d.pos_val.data();
    int n = d.nbvalC;
    // One value to go: one word holds a single bit, the others none.
    int mots = 0;
    bool seul = true;
    for (int w = 0; w < W; ++w) {
        mots += sans[w] != 0;
        seul &= (sans[w] & (sans[w] - 1)) == 0;
    }
    seul &= mots == 1;
    if (seul) {
        // The common case: one value goes, and the last takes its place.
        int w = 0;
        while (!sans[w]) ++w;
        echanger(val, pos, pos[w * 64 + std::countr_zero(sans[w])], --n);
    } else if (W == 1 || n <= 64) {
        oterParPlaces<1, W, A>(val, pos, n, sans);
    } else {
        oterParPlaces<W, W, A>(val, pos, n, sans);
    }
    d.nbvalC = n;
    oterBits<W, A>(d.bits.locaux(), sans);
}

// The same for a bit set of `mots` words (1 to 4).
[[gnu::always_inline]] inline void oterDansLOrdre(DOMAINE& d, int mots, const std::uint64_t* sans) {
    switch (mots) {
    case 1: oterDansLOrdre<1, false>(d, sans); break;
    case 2: oterDansLOrdre<2, false>(d, sans); break;
    case 3: oterDansLOrdre<3, false>(d, sans); break;
    default: oterDansLOrdre<4, false>(d, sans); break;
    }
}

// Words of the bit sets over i's values that cross `arc` (from j to i).
inline int motsArc(const ARC& arc) { return arc.bloc != PAS_DE_BLOC ? 1 : arc.mots; }

// Takes out of i (the neighbour of j across `arc`) the values of `sans` (W
// words) after a decision, with what reviserContre does at its first
// removal (activity flag, queue, trail) and at a wipe-out (j's weight
// towards i).  A: with AVX2 (see retirerSelon).
template <int W, bool A>
[[gnu::always_inline]] inline bool retirerCorps(Network& net, SearchState& s, Ushort j, const ARC& arc, Ushort i,
                                                const std::uint64_t* sans) {
    DOMAINE& d = net.realDom[i];
    std::uint8_t& flag = s.active[arc.paire];
    if (!flag) {
        flag = 1;
        ++s.nbActive;
    }
    // As in reviserContre, without a branch: whether i waits in the queue,
    // and whether it is trailed at this level, change from one neighbour
    // to the next.  A variable waiting in the queue is trailed already.
    const int entre = s.presente[i] ^ 1;
    enqueue(s, i, entre);
    // i's bit set has W words: the arc's rows are over i's values.
    trailerMots(net, s, i, entre & static_cast<int>(s.niveau_trail[i] != s.level), W);
    oterDansLOrdre<W, A>(d, sans);
    if (d.nbvalC == 0) {
        int& w = net.graphe[j].weight[arc.lu];
        w = static_cast<int>(static_cast<unsigned>(w) + 1u);
        ++s.sommePoids[j];  // i is a future neighbour of j
        actualiserChoix(s, j);
        return false;
    }
    return true;
}

// retirerCorps out of line, for any processor and for AVX2 (the lot calls
// it for the third of its neighbours that lose values).
template <int W>
bool retirer(Network& net, SearchState& s, Ushort j, const ARC& arc, Ushort i, const std::uint64_t* sans) {
    return retirerCorps<W, false>(net, s, j, arc, i, sans);
}

template <int W>
[[CIBLE_AVX2]] bool retirerAvx2(Network& net, SearchState& s, Ushort j, const ARC& arc, Ushort i,
                                const std::uint64_t* sans) {
    return retirerCorps<W, true>(net, s, j, arc, i, sans);
}

template <int W, bool A>
[[gnu::always_inline]] inline bool retirerSelon(Network& net, SearchState& s, Ushort j, const ARC& arc, Ushort i,
                                                const std::uint64_t* sans) {
    if constexpr (A) return retirerAvx2<W>(net, s, j, arc, i, sans);
    else return retirer<W>(net, s, j, arc, i, sans);
}

// The values of i's current domain `di` (W words) without support in j's,
// whose values are val[0 .. n-1] and whose rows over i's values start at
// `lignes`: the rows are taken out of di, in the order of j's domain and four
// at a time, until nothing is left, which is the common case; the last rows
// (fewer than four) are taken without a test.  False when nothing is left.
// An even number of words is loaded and stored two at a time: a word stored
// alone and read back within a wider load would stall that load.
template <int W, bool A>
[[gnu::always_inline]] inline bool sansSupport(const std::uint64_t* di, const std::uint64_t* lignes, const int* val,
                                               int n, std::uint64_t* reste) {
    constexpr int L = Unites<W, A>::L, N = Unites<W, A>::N;
    using U = typename Unites<W, A>::U;
    const int* const fin = val + n;
    U r[N];
    for (int u = 0; u < N; ++u) r[u] = charger<U>(di + u * L);
    for (; fin - val >= 4; val += 4)
        if (!oterQuatre<W, A>(r, lignes + static_cast<size_t>(val[0]) * W, lignes + static_cast<size_t>(val[1]) * W,
                              lignes + static_cast<size_t>(val[2]) * W, lignes + static_cast<size_t>(val[3]) * W))
            return false;
    for (; val != fin; ++val) {
        const std::uint64_t* ligne = lignes + static_cast<size_t>(*val) * W;
        for (int u = 0; u < N; ++u) r[u] &= ~charger<U>(ligne + u * L);
    }
    U encore{};
    for (int u = 0; u < N; ++u) {
        std::memcpy(reste + u * L, &r[u], sizeof r[u]);
        encore |= r[u];
    }
    return !vide(encore);
}

// The lanes of a block (BLOC lanes of BLOC bits) that have no bit in
// common with `dom`, as a bit set of lane numbers.
inline std::uint64_t lanesSansSupport(const std::uint16_t* bloc, std::uint16_t dom) {
    static_assert(BLOC == 16, "two vectors of eight 16-bit lanes");
#ifdef __SSE2__
    const __m128i d = _mm_set1_epi16(static_cast<short>(dom)), zero = _mm_setzero_si128();
    const __m128i bas = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bloc));
    const __m128i haut = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bloc + 8));
    const __m128i vides = _mm_packs_epi16(_mm_cmpeq_epi16(_mm_and_si128(bas, d), zero),
                                          _mm_cmpeq_epi16(_mm_and_si128(haut, d), zero));
    return static_cast<std::uint32_t>(_mm_movemask_epi8(vides));
#else
    std::uint64_t vides = 0;
    for (int a = 0; a < BLOC; ++a) vides |= static_cast<std::uint64_t>((bloc[a] & dom) == 0) << a;
    return vides;
#endif
}

// What the revisions against a variable j read of j and of the network,
// taken once for all of j's neighbours.
struct ContreJ {
    const DOMAINE& dj;
    std::uint16_t domBloc;        // j's bit set, when j has at most BLOC values
    const std::uint16_t* blocs;   // Network::blocs
    const std::uint64_t* lignes;  // Network::lignes

    ContreJ(const Network& net, Ushort j)
        : dj(net.realDom[j]),
          domBloc(dj.nbval <= BLOC ? static_cast<std::uint16_t>(dj.bits.locaux()[0]) : std::uint16_t{0}),
          blocs(net.blocs.data()),
          lignes(net.lignes.data()) {}
};

// Arcs of any kind, for couper and propagerLots.
constexpr int MELES = -1;

// The values of a neighbour i of j (current domain `di`, across `arc` from
// j) without support in j's current domain, into `sans`, found at once when
// the arc has a block (both domains of at most BLOC values) or rows of at
// most four words: 1 when there are some, 0 when none, -1 for an arc of
// wider rows, revised value by value.  K: the kind of every arc of j
// (TOUS_BLOCS, or rows of K words), or MELES.  A: with AVX2.
template <int K, bool A>
[[gnu::always_inline]] inline int couper(ContreJ c, const ARC& arc, const std::uint64_t* di, std::uint64_t* sans) {
    if (K == TOUS_BLOCS || (K == MELES && arc.bloc != PAS_DE_BLOC)) {
        sans[0] = di[0] & lanesSansSupport(c.blocs + arc.bloc, c.domBloc);
        return sans[0] != 0;
    }
    const std::uint64_t* lignes = c.lignes + arc.lignes;
    const int* val = c.dj.ind_val_rest.data();
    const int n = c.dj.nbvalC;
    switch (K == MELES ? arc.mots : K) {
    case 1: return sansSupport<1, A>(di, lignes, val, n, sans);
    case 2: return sansSupport<2, A>(di, lignes, val, n, sans);
    case 3: return sansSupport<3, A>(di, lignes, val, n, sans);
    case 4: return sansSupport<4, A>(di, lignes, val, n, sans);
    default: return -1;
    }
}

// couper for the nb neighbours of a lot (arcs, voisins) whose arcs all
// have rows of W words, by groups of four of j's values taken out of every
// neighbour still to test, with no branch per neighbour: the first group
// out of all of them, the second out of those with values left (the last
// value of j repeated past its end: a row taken twice takes nothing more);
// then each neighbour left goes on alone with the rest (sansSupport),
// which it needs all of when it is to be cut.  Returns the neighbours to
// cut, as bits; their values without support are in sans.
template <int W, bool A>
[[gnu::always_inline]] inline std::uint32_t couperLot(const Network& net, ContreJ c, const ARC* arcs,
                                                      const Ushort* voisins, int nb,
                                                      std::uint64_t (*sans)[BitsDomaine::LOCAUX]) {
    constexpr int L = Unites<W, A>::L, N = Unites<W, A>::N;
    using U = typename Unites<W, A>::U;
    const int* val = c.dj.ind_val_rest.data();
    const int n = c.dj.nbvalC;
    size_t o[4];  // where the rows of the group's values start within a pair's rows
    auto groupe = [&](int v) {
        for (int t = 0; t < 4; ++t) o[t] = static_cast<size_t>(val[std::min(v + t, n - 1)]) * W;
    };
    // sans[q] = di & ~(the group's rows across arcs[q]); true when something is left.
    auto oter = [&](int q, const std::uint64_t* di) {
        const std::uint64_t* lignes = c.lignes + arcs[q].lignes;
        U r[N];
        for (int u = 0; u < N; ++u) r[u] = charger<U>(di + u * L);
        const bool reste = oterQuatre<W, A>(r, lignes + o[0], lignes + o[1], lignes + o[2], lignes + o[3]);
        std::memcpy(sans[q], r, sizeof r);
        return reste;
    };
    groupe(0);
    std::uint32_t reste = 0;
    for (int q = 0; q < nb; ++q) reste |= static_cast<std::uint32_t>(oter(q, net.realDom[voisins[q]].bits.locaux())) << q;
    if (n > 4) {
        groupe(4);
        for (std::uint32_t x = reste; x; x &= x - 1) {
            const int q = std::countr_zero(x);
            reste &= ~(static_cast<std::uint32_t>(!oter(q, sans[q])) << q);
        }
    }
    if (n > 8)
        for (std::uint32_t x = reste; x; x &= x - 1) {
            const int q = std::countr_zero(x);
            if (!sansSupport<W, A>(sans[q], c.lignes + arcs[q].lignes, val + 8, n - 8, sans[q]))
                reste &= ~(std::uint32_t{1} << q);
        }
    return reste;
}

// Revision of each future neighbour of j against j after a decision.  j's
// domain and list do not change meanwhile, and a revision reads only j and
// its own neighbour: the values without support of up to LOT neighbours are
// found first, then taken out in the order of j's list as reviserContre's
// scan takes them out (an arc of wider rows is revised value by value in
// its turn).  The tests then run back to back, and whether a neighbour
// loses values, a third of the time, is no longer a branch of their loop.
// Each test writes in its own slot of the lot and sets its own bit of the
// set of neighbours to cut, so that no test waits for the one before; with
// rows of K words, couperLot runs the lot's tests by groups of j's values.
// K: the kind of every arc of j, or MELES (couper).  A: with AVX2.
template <int K, bool A>
[[gnu::always_inline]] inline bool propagerLotsCorps(Network& net, SearchState& s, Ushort j) {
    constexpr int LOT = 32;  // at most the bits of aCouper
    const VOISIN& g = net.graphe[j];
    const ContreJ c(net, j);
    const Ushort* voisins = g.tab_voisins.data();
    const ARC* arcs = g.arcs.data();
    const int degre = g.degre;
    std::uint64_t sans[LOT][BitsDomaine::LOCAUX];  // per neighbour of the lot: its values without support
    for (int k = 0; k < degre;) {
        const int debut = k, fin = std::min(degre, k + LOT);
        std::uint32_t aCouper = 0;  // bit q: neighbour debut + q loses values
        int trouve = 0;
        if constexpr (K >= 1 && K <= 4) {
            // j is never empty here (a propagation stops at the emptied
            // domain); the test keeps the groups within j's values.
            if (c.dj.nbvalC > 0) {
                aCouper = couperLot<K, A>(net, c, arcs + debut, voisins + debut, fin - debut, sans);
                k = fin;
            }
        }
        for (; k < fin; ++k) {
            trouve = couper<K, A>(c, arcs[k], net.realDom[voisins[k]].bits.locaux(), sans[k - debut]);
            if (K == MELES && trouve < 0) break;
            aCouper |= static_cast<std::uint32_t>(trouve) << (k - debut);
        }
        for (; aCouper; aCouper &= aCouper - 1) {
            const int q = std::countr_zero(aCouper), kq = debut + q;
            const ARC& arc = arcs[kq];
            bool ok;
            switch (K == TOUS_BLOCS ? 1 : K == MELES ? motsArc(arc) : K) {
            case 1: ok = retirerSelon<1, A>(net, s, j, arc, voisins[kq], sans[q]); break;
            case 2: ok = retirerSelon<2, A>(net, s, j, arc, voisins[kq], sans[q]); break;
            case 3: ok = retirerSelon<3, A>(net, s, j, arc, voisins[kq], sans[q]); break;
            default: ok = retirerSelon<4, A>(net, s, j, arc, voisins[kq], sans[q]); break;
            }
            if (!ok) return false;
        }
        if (K == MELES && trouve < 0) {
            const REL& m = net.relDef[arcs[k].paire];
            const int e = voisins[k] < j ? 0 : 1;
            if (!reviserContre<false>(net, s, j, k, [&](int a) { return soutenuVite(net, m, e, c.dj, a); })) return false;
            ++k;
        }
    }
    return true;
}

// propagerLotsCorps for any processor and for AVX2.
template <int K>
bool propagerLots(Network& net, SearchState& s, Ushort j) {
    return propagerLotsCorps<K, false>(net, s, j);
}

template <int K>
[[CIBLE_AVX2]] bool propagerLotsAvx2(Network& net, SearchState& s, Ushort j) {
    return propagerLotsCorps<K, true>(net, s, j);
}

template <int K>
inline bool propagerLotsSelon(Network& net, SearchState& s, Ushort j) {
    return s.avx2 ? propagerLotsAvx2<K>(net, s, j) : propagerLots<K>(net, s, j);
}

bool propagerMacVite(Network& net, SearchState& s, Ushort j) {
    switch (net.graphe[j].memesArcs) {
    case TOUS_BLOCS: return propagerLotsSelon<TOUS_BLOCS>(net, s, j);
    case 1: return propagerLotsSelon<1>(net, s, j);
    case 2: return propagerLotsSelon<2>(net, s, j);
    case 3: return propagerLotsSelon<3>(net, s, j);
    case 4: return propagerLotsSelon<4>(net, s, j);
    default: return propagerLotsSelon<MELES>(net, s, j);
    }
}

// The same with the plain support test.
bool propagerMacReference(Network& net, SearchState& s, Ushort j) {
    const VOISIN& g = net.graphe[j];
    const DOMAINE& dj = net.realDom[j];
    for (int k = 0; k < g.degre; ++k) {
        const REL& m = net.relDef[g.arcs[k].paire];
        const bool premier = g.tab_voisins[k] < j;
        if (!reviserContre<true>(net, s, j, k, [&](int a) { return supportParBalayage(m, premier, dj, a); })) return false;
    }
    return true;
}

// Root revision of i, the neighbour at position k of j's list, against j:
// the values of i without support found as after a decision, taken out in
// the scan's order; i is queued unless emptied.
bool reviserRacineVite(Network& net, SearchState& s, Ushort j, int k) {
    const Ushort i = net.graphe[j].tab_voisins[k];
    DOMAINE& d = net.realDom[i];
    if (d.nbvalC <= 0) return true;
    const ARC& arc = net.graphe[j].arcs[k];
    std::uint64_t sans[BitsDomaine::LOCAUX];
    switch (couper<MELES, false>(ContreJ(net, j), arc, d.bits.locaux(), sans)) {
    case 0: return true;
    case 1:
        oterDansLOrdre(d, motsArc(arc), sans);
        if (d.nbvalC == 0) return false;
        if (!s.presente[i]) enqueue(s, i);
        return true;
    default: return reviser<false>(net, s, i, j, arc.paire);
    }
}

// Propagation of each variable taken from the queue until it is empty
// (true) or a domain is emptied (false: the queue is drained).
template <bool Reference>
bool viderFile(Network& net, SearchState& s) {
    while (s.tete != s.queue) {
        const Ushort j = dequeue(s);
        if constexpr (!Reference) {
            // The lists and values of the variable taken next, fetched
            // while j is propagated.
            if (s.tete != s.queue) {
                const Ushort suivant = s.Liste_ac8_var[suivante(s, s.tete)];
                const VOISIN& g = net.graphe[suivant];
                const DOMAINE& d = net.realDom[suivant];
                __builtin_prefetch(g.arcs.data());
                __builtin_prefetch(g.tab_voisins.data());
                __builtin_prefetch(d.ind_val_rest.data());
            }
        }
        if (!(Reference ? propagerMacReference(net, s, j) : propagerMacVite(net, s, j))) {
            while (s.tete != s.queue) dequeue(s);
            return false;
        }
    }
    return true;
}

}  // namespace

bool processeurAvx2() {
#ifdef __x86_64__
    // Asked once per process: every search state's default reads it.
    static const bool oui = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("bmi") && __builtin_cpu_supports("bmi2") &&
               __builtin_cpu_supports("popcnt");
    }();
    return oui;
#else
    return false;
#endif
}

bool supp_reference(const Network& net, Ushort i, Ushort j, Ushort a) {
    return supportParBalayage(net.relDef[net.ref(i, j)], i < j, net.realDom[j], a);
}

bool supp_suivant_ac8(Network& net, Ushort i, Ushort j, Ushort a) {
    const REL& m = net.relDef[net.ref(i, j)];
    const int e = i < j ? 0 : 1;
    if (m.bloc[e] != PAS_DE_BLOC) return (net.blocs[m.bloc[e] + a] & net.realDom[j].bits[0]) != 0;
    return soutenuVite(net, m, e, net.realDom[j], a);
}

void switchDom(Network& net, int v, int pos1, int pos2) {
    DOMAINE& d = net.realDom[v];
    echanger(d.ind_val_rest.data(), d.pos_val.data(), pos1, pos2);
}

bool InitAc8File(Network& net, SearchState& s) {
    s.tete = 0;
    s.queue = 0;
    s.tailleFile = net.nb_var + 1;
    for (int i = 0; i < net.nb_var; ++i) {
        const VOISIN& g = net.graphe[i];
        for (int k = 0; k < g.degre; ++k) {
            const Ushort j = g.tab_voisins[k];
            // i against j: i stands at arcs[k].place in j's list.
            if (!(s.reference ? reviser<true>(net, s, static_cast<Ushort>(i), j, g.arcs[k].paire)
                              : reviserRacineVite(net, s, j, g.arcs[k].place)))
                return false;
        }
    }
    return true;
}

bool PropagerAc8File(Network& net, SearchState& s, Ushort j) {
    const VOISIN& g = net.graphe[j];
    for (int k = 0; k < g.degre; ++k)
        if (!(s.reference ? reviser<true>(net, s, g.tab_voisins[k], j, g.arcs[k].paire) : reviserRacineVite(net, s, j, k)))
            return false;
    return true;
}

bool ac8File(Network& net, SearchState& s) {
    while (s.tete != s.queue)
        if (!PropagerAc8File(net, s, dequeue(s))) return false;
    return true;
}

bool PropagerAc8MacFile(Network& net, SearchState& s, Ushort j) {
    return s.reference ? propagerMacReference(net, s, j) : propagerMacVite(net, s, j);
}

bool ac8MacFile(Network& net, SearchState& s, Ushort /*ind*/) {
    const Ushort x = s.var_instancie[s.level];
    // The level's stack, empty unless this level propagated before and
    // was not undone, starts at the top of the trail.
    PILE_VAR& f = s.future_fc[s.level];
    if (f.sommet == 0) f.debut = s.trail_sommet;
    s.tete = 0;
    s.queue = 1;
    s.Liste_ac8_var[1] = x;
    // Meanwhile x's domain is its value at position 0, and x is never
    // revised: the fast variant narrows its bit set too, and puts it back
    // as it was.
    DOMAINE& dx = net.realDom[x];
    const int taille = dx.nbvalC;
    const bool locaux = dx.bits.size() <= BitsDomaine::LOCAUX;
    std::uint64_t bits[BitsDomaine::LOCAUX];
    if (s.reference) {
        dx.nbvalC = 1;
    } else if (locaux) {
        std::copy_n(dx.bits.locaux(), BitsDomaine::LOCAUX, bits);
        std::fill_n(dx.bits.locaux(), BitsDomaine::LOCAUX, 0);
        const int v = dx.ind_val_rest[0];
        dx.bits.locaux()[v >> 6] = std::uint64_t{1} << (v & 63);
        dx.nbvalC = 1;
    } else {
        changerTaille(dx, 1);
    }
    const bool ok = s.reference ? viderFile<true>(net, s) : viderFile<false>(net, s);
    if (s.reference) {
        dx.nbvalC = taille;
    } else if (locaux) {
        std::copy_n(bits, BitsDomaine::LOCAUX, dx.bits.locaux());
        dx.nbvalC = taille;
    } else {
        changerTaille(dx, taille);
    }
    return ok;
}
