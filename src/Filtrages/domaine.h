// A variable's current domain: the first nbvalC entries of ind_val_rest (a
// sparse set over the value indexes), with pos_val, the place of each value
// in ind_val_rest, and bits, the same set as a bit set.  Every change of
// nbvalC goes through these functions, so that the three stay in step.
#pragma once

#include <cstdint>

#include "EntreesSorties/entrees_sorties.h"

// pos_val of the sentinel value index nbval: never below nbvalC.
constexpr Ushort ABSENT = 0xFFFF;

inline int motsDomaine(int nbval) { return (nbval + 63) / 64; }

// Copies a bit set of `mots` words (at most BitsDomaine::LOCAUX): a few
// moves, where a copy of a run-time length would call memcpy.
inline void copierBits(std::uint64_t* dst, const std::uint64_t* src, size_t mots) {
    static_assert(BitsDomaine::LOCAUX == 4, "one case per word");
    switch (mots) {
    case 4: dst[3] = src[3]; [[fallthrough]];
    case 3: dst[2] = src[2]; [[fallthrough]];
    case 2: dst[1] = src[1]; [[fallthrough]];
    case 1: dst[0] = src[0]; [[fallthrough]];
    default: break;
    }
}

// Whole declared domain, in the order of ind_val_rest.
inline void remplirDomaine(DOMAINE& d) {
    d.nbvalC = d.nbval;
    d.pos_val.assign(static_cast<size_t>(d.nbval) + 1, ABSENT);
    for (int p = 0; p < d.nbval; ++p) d.pos_val[d.ind_val_rest[p]] = static_cast<Ushort>(p);
    d.bits.assign(static_cast<size_t>(motsDomaine(d.nbval)), 0);
    for (int v = 0; v < d.nbval; ++v) d.bits[v >> 6] |= std::uint64_t{1} << (v & 63);
}

// The last value of the current domain leaves it.
inline void retirerDernier(DOMAINE& d) {
    const int v = d.ind_val_rest[--d.nbvalC];
    d.bits[v >> 6] &= ~(std::uint64_t{1} << (v & 63));
}

// The current domain grows back to the first `taille` entries of
// ind_val_rest (taille >= nbvalC).
inline void agrandir(DOMAINE& d, int taille) {
    const int* val = d.ind_val_rest.data();
    std::uint64_t* bits = d.bits.data();
    for (int p = d.nbvalC; p < taille; ++p) bits[val[p] >> 6] |= std::uint64_t{1} << (val[p] & 63);
    d.nbvalC = taille;
}

// The current domain becomes the first `taille` entries of ind_val_rest.
inline void changerTaille(DOMAINE& d, int taille) {
    for (int p = taille; p < d.nbvalC; ++p) {
        const int v = d.ind_val_rest[p];
        d.bits[v >> 6] &= ~(std::uint64_t{1} << (v & 63));
    }
    for (int p = d.nbvalC; p < taille; ++p) {
        const int v = d.ind_val_rest[p];
        d.bits[v >> 6] |= std::uint64_t{1} << (v & 63);
    }
    d.nbvalC = taille;
}
