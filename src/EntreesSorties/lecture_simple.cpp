#include "EntreesSorties/lecture_simple.h"

#include <cstdio>
#include <memory>
#include <stdexcept>
#include <string>

namespace {

// The file, closed at the end of the scope.
struct Fichier {
    std::FILE* f;
    explicit Fichier(const char* nom) : f(std::fopen(nom, "r")) {}
    ~Fichier() {
        if (f) std::fclose(f);
    }
    Fichier(const Fichier&) = delete;
    Fichier& operator=(const Fichier&) = delete;
};

// The next number, and the white space after it.
int entier(std::FILE* f, const char* quoi) {
    int v;
    if (std::fscanf(f, "%d ", &v) != 1) throw FormatError(std::string("can't read ") + quoi);
    return v;
}

// The next number, a count of at most 65535.
int compte(std::FILE* f, const char* quoi) {
    const int n = entier(f, quoi);
    if (n < 0 || n > 65535) throw FormatError(std::string(quoi) + " " + std::to_string(n) + " is out of range");
    return n;
}

// First index of value v in domain d, by a scan.
int indice(const DOMAIN& d, int v) {
    for (int k = 0; k < d.size; ++k)
        if (d.val[k] == v) return k;
    throw FormatError("value " + std::to_string(v) + " is not in its domain");
}

void lireDomaines(std::FILE* f, Network& net) {
    net.nb_dom = static_cast<Ushort>(compte(f, "the domain count"));
    net.domD.resize(net.nb_dom);
    for (DOMAIN& d : net.domD) {
        entier(f, "a domain number");
        d.size = compte(f, "a value count");
        d.val.resize(static_cast<size_t>(d.size));
        for (int& v : d.val) v = entier(f, "a value");
    }
}

void lireVariables(std::FILE* f, Network& net) {
    net.nb_var = static_cast<Ushort>(compte(f, "the variable count"));
    net.realDom.resize(net.nb_var);
    net.graphe.resize(net.nb_var);
    net.vars.resize(net.nb_var);
    for (DOMAINE& x : net.realDom) {
        entier(f, "a variable number");
        x.dom = entier(f, "a domain");
        x.nbval = static_cast<Ushort>(net.domD.at(static_cast<size_t>(x.dom)).size);
        x.tab_val = net.domD[x.dom].val;
        x.ind_val_rest.resize(x.nbval);
        for (int j = 0; j < x.nbval; ++j) x.ind_val_rest[j] = j;
    }
}

// Both passes over the relations: tt gets the tuples as listed, tabTuples
// the allowed ones.
void lireRelations(std::FILE* f, Network& net) {
    const int R = compte(f, "the relation count");
    net.tabTuples.resize(static_cast<size_t>(R));
    std::vector<TUPLES> tt(static_cast<size_t>(R));
    for (int i = 0; i < R; ++i) {
        TUPLES& rel = net.tabTuples[i];
        entier(f, "a relation number");
        rel.typeRel = entier(f, "a relation type") == 0;
        if (entier(f, "an arity") != 2) throw NaryRelation("This experimental version doesn't accept n-ary constraints\n");
        rel.arity = 2;
        rel.domaines.resize(2);
        for (Ushort& d : rel.domaines) d = static_cast<Ushort>(entier(f, "a relation domain"));
        const int n = compte(f, "a tuple count");
        tt[i].nb_tuples = static_cast<Ushort>(n);
        tt[i].tuples.resize(2 * static_cast<size_t>(n));
        for (int& v : tt[i].tuples) v = entier(f, "a tuple value");
    }
    for (int i = 0; i < R; ++i) {
        TUPLES& rel = net.tabTuples[i];
        if (rel.typeRel) {
            const size_t produit = static_cast<size_t>(net.domD.at(rel.domaines[0]).size) *
                                   static_cast<size_t>(net.domD.at(rel.domaines[1]).size);
            rel.tuples.reserve(2 * produit);
            rel.nb_tuples = 0;
            int t[2];
            ajouter(static_cast<Ushort>(i), t, 0, tt, net);
        } else {
            rel.nb_tuples = tt[i].nb_tuples;
            rel.tuples.resize(tt[i].tuples.size());
            copier(&tt[i], i, net);
        }
        rel.typeRel = false;
    }
}

void lireContraintes(std::FILE* f, Network& net) {
    net.nb_ctr = static_cast<Ushort>(compte(f, "the constraint count"));
    net.ctr.resize(net.nb_ctr);
    for (CONSTRAINTS& c : net.ctr) {
        if (entier(f, "an arity") != 2) throw FormatError("a constraint is not binary");
        c.variables.resize(2);
        for (Ushort& v : c.variables) {
            v = static_cast<Ushort>(entier(f, "a scope variable"));
            if (v >= net.nb_var) throw std::out_of_range("scope variable " + std::to_string(v));
        }
        c.nbRel = entier(f, "a relation");
        if (c.nbRel < 0 || static_cast<size_t>(c.nbRel) >= net.tabTuples.size())
            throw std::out_of_range("relation " + std::to_string(c.nbRel));
        c.watch = c.variables[0];
    }
}

// One matrix per constraint, in the spare entry; a pair's first one is
// kept, a later one folded into it.
void plierEnPaires(Network& net) {
    net.relDef.assign(1, REL{});
    int compteur = 0;
    for (CONSTRAINTS& c : net.ctr) {
        const TUPLES& rel = net.tabTuples[c.nbRel];
        const int p = c.variables[0] > c.variables[1] ? 1 : 0, q = 1 - p;
        const int u = c.variables[p], v = c.variables[q];
        const int y = net.ref(u, v);
        const DOMAIN &dp = net.domD.at(rel.domaines[p]), &dq = net.domD.at(rel.domaines[q]);
        REL& m = net.relDef[compteur];
        auto cellules = std::make_shared<std::vector<std::uint8_t>>(static_cast<size_t>(dp.size) * dq.size, 0);
        for (int t = 0; t < rel.nb_tuples; ++t)
            (*cellules)[static_cast<size_t>(indice(dp, rel.tuple(t)[p])) * dq.size + indice(dq, rel.tuple(t)[q])] = 1;
        m.rel = std::move(cellules);
        m.nbCols = dq.size;
        m.typeRel = false;
        m.dom1 = rel.domaines[p];
        m.dom2 = rel.domaines[q];
        m.var1 = u;
        m.var2 = v;
        if (y != -1) {
            intersection(&net.relDef[y], &m, net);
            c.paire = y;
            continue;
        }
        c.paire = compteur;
        VOISIN &gu = net.graphe[u], &gv = net.graphe[v];
        gu.arcs.push_back(ARC{compteur, gv.degre, gu.degre});
        gv.arcs.push_back(ARC{compteur, gu.degre, gv.degre});
        gu.tab_voisins.push_back(static_cast<Ushort>(v));
        gu.weight.push_back(1);
        ++gu.degre;
        gv.tab_voisins.push_back(static_cast<Ushort>(u));
        gv.weight.push_back(1);
        ++gv.degre;
        ++compteur;
        net.relDef.emplace_back();
    }
    net.nb_rel = static_cast<Ushort>(compteur);
}

}  // namespace

void lireCSPSimple(const char* nom, Network& net) {
    net = Network{};
    Fichier fichier(nom);
    if (!fichier.f) throw FormatError(std::string("can't open ") + nom);
    char nomInstance[4096];
    if (std::fscanf(fichier.f, "%4095s ", nomInstance) != 1) throw FormatError("can't read the instance name");
    lireDomaines(fichier.f, net);
    lireVariables(fichier.f, net);
    lireRelations(fichier.f, net);
    lireContraintes(fichier.f, net);
    plierEnPaires(net);
}
