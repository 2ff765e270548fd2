#include "Filtrages/acs.h"

namespace {

void enqueue(SearchState& s, Ushort x) {
    s.queue = (s.queue + 1) % s.tailleFile;
    s.Liste_ac8_var[s.queue] = x;
    s.presente[x] = 1;
}

Ushort dequeue(SearchState& s) {
    s.tete = (s.tete + 1) % s.tailleFile;
    const Ushort x = s.Liste_ac8_var[s.tete];
    s.presente[x] = 0;
    return x;
}

// Root revision of x against its neighbour y: removes the values of x without
// support in y, queueing x at its first loss.  False when x is emptied.
bool reviser(Network& net, SearchState& s, Ushort x, Ushort y) {
    DOMAINE& d = net.realDom[x];
    int p = 0;
    while (p < d.nbvalC) {
        if (supp_suivant_ac8(net, x, y, static_cast<Ushort>(d.ind_val_rest[p]))) {
            ++p;
            continue;
        }
        --d.nbvalC;
        if (d.nbvalC == 0) return false;
        switchDom(net, x, p, d.nbvalC);
        if (!s.presente[x]) enqueue(s, x);
    }
    return true;
}

// First cut of i at the current level: save its size and stack it.
void trailer(Network& net, SearchState& s, Ushort i) {
    s.reductions_vals[i][++s.reductions_sommet[i]] = static_cast<Ushort>(net.realDom[i].nbvalC);
    PILE_VAR& f = s.future_fc[s.level];
    f.var[++f.sommet] = i;
    s.present_future[s.level][i] = 1;
}

}  // namespace

bool supp_suivant_ac8(const Network& net, Ushort i, Ushort j, Ushort a) {
    const REL& m = net.relDef[net.ref(i, j)];
    const DOMAINE& dj = net.realDom[j];
    const int n = dj.nbvalC;
    if (n <= 0) return false;
    const int* vals = dj.ind_val_rest.data();
    const std::uint8_t* cells = m.rel.data();
    if (i < j) {
        const std::uint8_t* row = cells + static_cast<size_t>(a) * m.nbCols;
        for (int p = 0; p < n; ++p)
            if (row[vals[p]]) return true;
    } else {
        for (int p = 0; p < n; ++p)
            if (cells[static_cast<size_t>(vals[p]) * m.nbCols + a]) return true;
    }
    return false;
}

void switchDom(Network& net, int v, int pos1, int pos2) {
    std::vector<int>& t = net.realDom[v].ind_val_rest;
    const int tmp = t[pos1];
    t[pos1] = t[pos2];
    t[pos2] = tmp;
}

bool InitAc8File(Network& net, SearchState& s) {
    s.tete = 0;
    s.queue = 0;
    s.tailleFile = net.nb_var + 1;
    for (int i = 0; i < net.nb_var; ++i) {
        const VOISIN& g = net.graphe[i];
        for (int k = 0; k < g.degre; ++k)
            if (!reviser(net, s, static_cast<Ushort>(i), g.tab_voisins[k])) return false;
    }
    return true;
}

bool PropagerAc8File(Network& net, SearchState& s, Ushort j) {
    const VOISIN& g = net.graphe[j];
    for (int k = 0; k < g.degre; ++k)
        if (!reviser(net, s, g.tab_voisins[k], j)) return false;
    return true;
}

bool ac8File(Network& net, SearchState& s) {
    while (s.tete != s.queue)
        if (!PropagerAc8File(net, s, dequeue(s))) return false;
    return true;
}

bool PropagerAc8MacFile(Network& net, SearchState& s, Ushort j) {
    VOISIN& g = net.graphe[j];
    for (int k = 0; k < g.degre; ++k) {
        const Ushort i = g.tab_voisins[k];
        DOMAINE& d = net.realDom[i];
        int p = 0;
        while (p < d.nbvalC) {
            if (supp_suivant_ac8(net, i, j, static_cast<Ushort>(d.ind_val_rest[p]))) {
                ++p;
                continue;
            }
            std::uint8_t& flag = s.active[pairKey(i, j)];
            if (!flag) {
                flag = 1;
                ++s.nbActive;
            }
            switchDom(net, i, p, d.nbvalC - 1);
            // A variable waiting in the queue has already been trailed at this level.
            if (!s.presente[i]) {
                enqueue(s, i);
                if (!s.present_future[s.level][i]) trailer(net, s, i);
            }
            --d.nbvalC;
            if (d.nbvalC == 0) {
                int& w = g.weight[i];
                w = static_cast<int>(static_cast<unsigned>(w) + 1u);
                return false;
            }
        }
    }
    return true;
}

bool ac8MacFile(Network& net, SearchState& s, Ushort /*ind*/) {
    const Ushort x = s.var_instancie[s.level];
    s.tete = 0;
    s.queue = 1;
    s.Liste_ac8_var[1] = x;
    DOMAINE& dx = net.realDom[x];
    const int taille = dx.nbvalC;
    dx.nbvalC = 1;
    while (s.tete != s.queue) {
        if (!PropagerAc8MacFile(net, s, dequeue(s))) {
            dx.nbvalC = taille;
            while (s.tete != s.queue) dequeue(s);
            return false;
        }
    }
    dx.nbvalC = taille;
    return true;
}
