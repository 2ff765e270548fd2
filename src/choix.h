// A tournament tree over the variables: one 64-bit key per variable, the
// smallest key at the root.  Changing one key costs O(log n) and stops as
// soon as an ancestor keeps its value.  Variables whose key may have changed
// are marked and their keys computed once, when the minimum is next needed.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

struct ArbreChoix {
    static constexpr std::uint64_t AUCUNE = ~std::uint64_t{0};  // key that never wins

    int n = 0;                          // number of leaves
    std::vector<std::uint64_t> noeuds;  // node p over 2p and 2p + 1; leaf i at n + i
    std::vector<int> marques;           // the variables marked, each once
    std::vector<std::uint8_t> marque;   // per variable: in marques

    // n leaves, all with key AUCUNE, none marked.
    void reinitialiser(int taille) {
        n = taille;
        noeuds.assign(2 * static_cast<size_t>(taille), AUCUNE);
        marques.clear();
        marque.assign(static_cast<size_t>(taille), 0);
    }

    // i's key is to be computed again.
    void marquer(int i) {
        if (marque[i]) return;
        marque[i] = 1;
        marques.push_back(i);
    }

    // Each marked variable i takes the key cle(i); none stays marked.
    template <class Cle>
    void actualiserMarques(Cle cle) {
        for (const int i : marques) {
            fixer(i, cle(i));
            marque[i] = 0;
        }
        marques.clear();
    }

    // Leaf i takes `cle` without updating the nodes above (see reconstruire).
    void poser(int i, std::uint64_t cle) { noeuds[static_cast<size_t>(n) + i] = cle; }

    // Every inner node from the leaves (marks left alone).
    void reconstruire() {
        for (int p = n - 1; p >= 1; --p) noeuds[p] = std::min(noeuds[2 * p], noeuds[2 * p + 1]);
    }

    // Leaf i takes `cle`, and its ancestors follow.
    void fixer(int i, std::uint64_t cle) {
        size_t p = static_cast<size_t>(n) + i;
        noeuds[p] = cle;
        for (; p > 1; p >>= 1) {
            const std::uint64_t m = std::min(noeuds[p], noeuds[p ^ 1]);
            if (noeuds[p >> 1] == m) break;
            noeuds[p >> 1] = m;
        }
    }

    // The smallest key, AUCUNE without leaves.
    std::uint64_t minimum() const { return n == 0 ? AUCUNE : noeuds[1]; }
};
