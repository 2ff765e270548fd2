#include "net_compare.h"

std::string networkDifference(const Network& a, const Network& b) {
    if (a.nb_dom != b.nb_dom) return "domain counts differ";
    for (int d = 0; d < a.nb_dom; ++d)
        if (a.domD[d].val != b.domD[d].val) return "domain " + std::to_string(d) + " differs";
    if (a.nb_var != b.nb_var) return "variable counts differ";
    for (int i = 0; i < a.nb_var; ++i) {
        if (a.realDom[i].dom != b.realDom[i].dom || a.realDom[i].tab_val != b.realDom[i].tab_val)
            return "variable " + std::to_string(i) + " has another domain";
        if (a.graphe[i].tab_voisins != b.graphe[i].tab_voisins)
            return "neighbours of variable " + std::to_string(i) + " differ";
    }
    if (a.nb_rel != b.nb_rel) return "numbers of constrained pairs differ";
    for (int u = 0; u < a.nb_var; ++u)
        for (int v = u + 1; v < a.nb_var; ++v) {
            const int ra = a.ref(u, v), rb = b.ref(u, v);
            const std::string pair = "pair (" + std::to_string(u) + "," + std::to_string(v) + ")";
            if ((ra == -1) != (rb == -1)) return pair + " is constrained in one network only";
            if (ra == -1) continue;
            const REL &ma = a.relDef[ra], &mb = b.relDef[rb];
            const int rows = a.realDom[u].nbval, cols = a.realDom[v].nbval;
            for (int x = 0; x < rows; ++x)
                for (int y = 0; y < cols; ++y)
                    if (ma.at(x, y) != mb.at(x, y))
                        return pair + ": cell (" + std::to_string(x) + "," + std::to_string(y) + ") differs";
        }
    return {};
}
