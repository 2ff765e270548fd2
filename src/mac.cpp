#include "mac.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>

#include "Filtrages/acs.h"

// ---------------------------------------------------------------------------
// Search state and trail
// ---------------------------------------------------------------------------

void initialisation(Network& net, SearchState& s) {
    const int n = net.nb_var;
    const size_t niveaux = static_cast<size_t>(n) + 1;
    s.level = 0;
    s.level0 = 0;
    s.var_elu = 0;
    s.var_instancie.assign(niveaux, 0);
    s.coupe.assign(niveaux, 0);
    s.future_fc.assign(niveaux, PILE_VAR{});
    // A variable's entries on the levels in use save strictly decreasing
    // sizes: at most nbval of them.  Slot 0 is unused, and the slot past
    // the last entry is written without a branch (trailerMots).
    size_t places = 2;
    s.motsTrail = 1;
    for (int i = 0; i < n; ++i) {
        places += net.realDom[i].nbval;
        const int mots = motsDomaine(net.realDom[i].nbval);
        if (mots <= BitsDomaine::LOCAUX) s.motsTrail = std::max(s.motsTrail, mots);
    }
    s.trail.assign(places, ENTREE_TRAIL{});
    s.trail_sommet = 0;
    // Grown by the trailing as the search goes deeper.
    s.trail_bits.assign(std::min<size_t>(places, 4096) * static_cast<size_t>(s.motsTrail), 0);
    s.niveau_trail.assign(n, -1);
    s.instancie.assign(n, 0);
    s.racine.assign(n, 0);
    s.sol.assign(n, -1);
    s.nbvalSuppr.assign(n, 0);
    s.presente.assign(n, 0);
    s.voisins_lus.assign(n, {});
    s.Liste_ac8_var.assign(niveaux, 0);
    for (int i = 0; i < n; ++i) {
        DOMAINE& d = net.realDom[i];
        remplirDomaine(d);
        VOISIN& g = net.graphe[i];
        s.voisins_lus[i].assign(g.tab_voisins.begin(), g.tab_voisins.begin() + g.degre);
        // Weight slots in the order of the list: the order of the weight file.
        std::vector<int> poids(g.tab_voisins.size());
        for (size_t k = 0; k < poids.size(); ++k) {
            poids[k] = g.weight[g.arcs[k].lu];
            g.arcs[k].lu = static_cast<Ushort>(k);
        }
        g.weight = std::move(poids);
    }
}

void undo_reduction(Network& net, SearchState& s) {
    PILE_VAR& f = s.future_fc[s.level];
    if (f.sommet == 0) return;
    while (f.sommet != 0) {
        const int slot = f.debut + f.sommet--;
        const Ushort i = s.trail[slot].var;
        s.niveau_trail[i] = -1;
        DOMAINE& d = net.realDom[i];
        const int taille = s.trail[slot].taille;
        if (s.reference) {
            d.nbvalC = taille;  // the plain variant keeps no bit set
        } else if (const size_t mots = d.bits.size(); mots <= BitsDomaine::LOCAUX) {
            copierBits(d.bits.locaux(), s.trail_bits.data() + static_cast<size_t>(slot) * s.motsTrail, mots);
            d.nbvalC = taille;
        } else {
            agrandir(d, taille);
        }
    }
    s.trail_sommet = f.debut;
}

void update_current_domain(Network& net, SearchState& s) {
    const Ushort x = s.var_instancie[s.level];
    if (s.reference) net.realDom[x].nbvalC = s.nbvalSuppr[x];
    else changerTaille(net.realDom[x], s.nbvalSuppr[x]);
}

// ---------------------------------------------------------------------------
// Variable ordering by weighted degree
// ---------------------------------------------------------------------------

// Quotient of an uninstantiated variable of nonzero degree: declared sizes of
// the variable and its future neighbours over the weights towards them.
// A zero weight sum gives +infinity.  The plain variant sums over the list;
// the other reads the sums kept up to date.
static float quotientParSomme(const Network& net, int i) {
    const VOISIN& g = net.graphe[i];
    std::uint32_t valDom = 0, valW = 0;
    for (int k = 0; k < g.degre; ++k) {
        const Ushort voisin = g.tab_voisins[k];
        valDom += net.realDom[voisin].nbval;
        valW += static_cast<std::uint32_t>(g.weight[g.arcs[k].lu]);
    }
    if (valW == 0) return std::numeric_limits<float>::infinity();
    return static_cast<float>(net.realDom[i].nbval + valDom) / static_cast<float>(valW);
}

static inline float quotient(const Network& net, const SearchState& s, int i) {
    if (s.reference) return quotientParSomme(net, i);
    const std::uint32_t valW = s.sommePoids[i];
    if (valW == 0) return std::numeric_limits<float>::infinity();
    return static_cast<float>(net.realDom[i].nbval + s.sommeDom[i]) / static_cast<float>(valW);
}

// Key of variable i in the choice tree, the smallest chosen: an instantiated
// variable never; before all others, one without future neighbour, by
// number; then by quotient (+infinity included), ties to the lower number.
// A quotient is never negative, so its bits order as it does.
static std::uint64_t cleChoix(const Network& net, const SearchState& s, int i) {
    if (s.instancie[i]) return ArbreChoix::AUCUNE;
    const auto numero = static_cast<std::uint64_t>(i);
    if (net.graphe[i].degre == 0) return numero;
    const std::uint64_t bits = std::bit_cast<std::uint32_t>(quotient(net, s, i));
    return (bits + 1) << 32 | numero;
}

void recalculerSommes(const Network& net, SearchState& s) {
    s.sommeDom.assign(net.nb_var, 0);
    s.sommePoids.assign(net.nb_var, 0);
    for (int i = 0; i < net.nb_var; ++i) {
        const VOISIN& g = net.graphe[i];
        for (int k = 0; k < g.degre; ++k) {
            s.sommeDom[i] += net.realDom[g.tab_voisins[k]].nbval;
            s.sommePoids[i] += static_cast<std::uint32_t>(g.weight[g.arcs[k].lu]);
        }
    }
    s.choix.reinitialiser(net.nb_var);
    for (int i = 0; i < net.nb_var; ++i) s.choix.poser(i, cleChoix(net, s, i));
    s.choix.reconstruire();
}

// The plain choice, by a scan of the variables.  First pass: the smallest
// quotient below MAX, ties to the lower number; a variable without future
// neighbour is taken when met.  Alongside, the same rule without the bound,
// for when no quotient is below MAX.  Together: the tree's smallest key.
static int choixParBalayage(const Network& net, const SearchState& s) {
    float max = s.MAX;
    int elu = -1;
    float meilleur = std::numeric_limits<float>::infinity();
    int repli = -1;
    for (int i = 0; i < net.nb_var; ++i) {
        if (s.instancie[i]) continue;
        if (net.graphe[i].degre == 0) {
            elu = i;
            break;
        }
        const float val = quotient(net, s, i);
        if (val < max) {
            max = val;
            elu = i;
        }
        if (repli == -1 || val < meilleur) {
            meilleur = val;
            repli = i;
        }
    }
    return elu != -1 ? elu : repli;
}

// The fast choice: the number in the tree's smallest key, once the keys of
// the variables changed since the last choice are computed.
static int choixParArbre(const Network& net, SearchState& s) {
    s.choix.actualiserMarques([&](int i) { return cleChoix(net, s, i); });
    return static_cast<int>(s.choix.minimum() & 0xFFFFFFFFu);
}

void choix_de_variable(Network& net, SearchState& s) {
    s.var_elu = s.reference ? choixParBalayage(net, s) : choixParArbre(net, s);
    s.var_instancie[s.level] = static_cast<Ushort>(s.var_elu);
    s.nbvalSuppr[s.var_elu] = net.realDom[s.var_elu].nbvalC;
}

// var leaves the future part of each neighbour's list: it changes places
// with the neighbour's last future neighbour, arcs included, and both
// back links (arcs[].place) follow.
void mettre_a_jour_degre(Network& net, SearchState& s) {
    const Ushort var = s.var;
    VOISIN& g = net.graphe[var];
    for (int k = 0; k < g.degre; ++k) {
        const Ushort j1 = g.tab_voisins[k];
        VOISIN& gj = net.graphe[j1];
        const Ushort posvar = g.arcs[k].place;
        s.sommeDom[j1] -= net.realDom[var].nbval;
        s.sommePoids[j1] -= static_cast<std::uint32_t>(gj.weight[gj.arcs[posvar].lu]);
        const Ushort posfin = --gj.degre;
        const Ushort varfin = gj.tab_voisins[posfin];
        gj.tab_voisins[posvar] = varfin;
        gj.tab_voisins[posfin] = var;
        std::swap(gj.arcs[posvar], gj.arcs[posfin]);
        net.graphe[varfin].arcs[gj.arcs[posvar].place].place = posvar;
        g.arcs[k].place = posfin;
        actualiserChoix(s, j1);
    }
}

// var comes back at the end of the future part of each neighbour's list,
// where its take-out left it.
void remettre_a_jour_degre(Network& net, SearchState& s) {
    const VOISIN& g = net.graphe[s.var];
    const Ushort taille = net.realDom[s.var].nbval;
    for (int k = 0; k < g.degre; ++k) {
        const Ushort j1 = g.tab_voisins[k];
        VOISIN& gj = net.graphe[j1];
        s.sommeDom[j1] += taille;
        s.sommePoids[j1] += static_cast<std::uint32_t>(gj.weight[gj.arcs[gj.degre++].lu]);
        actualiserChoix(s, j1);
    }
}

void propager_singleton_degre(Network& net, SearchState& s) {
    for (int i = 0; i < net.nb_var; ++i) {
        const Ushort degre = net.graphe[i].degre;
        if (degre > 1) continue;
        fixerInstancie(s, i, true);
        s.racine[i] = 1;
        if (degre == 0) s.sol[i] = 0;
        s.var_instancie[s.level] = static_cast<Ushort>(i);
        ++s.level;
    }
}

// ---------------------------------------------------------------------------
// Labelling and backtracking
// ---------------------------------------------------------------------------

bool verifierSolution(Network& net, SearchState& s, Ushort indVar) {
    const VARCTR& vc = net.vars[indVar];
    for (int k = 0; k < vc.nbCtr; ++k) {
        CONSTRAINTS& c = net.ctr[vc.tabCtr[k]];
        if (c.watch != indVar) continue;
        const TUPLES& rel = net.tabTuples[c.nbRel];
        bool deplace = false;
        for (int j = 0; j < rel.arity; ++j)
            if (s.sol[c.variables[j]] == -1) {
                c.watch = c.variables[j];
                deplace = true;
                break;
            }
        if (deplace) continue;
        // Every variable of the scope has a value: look for its tuple in the
        // run of tuples that starts with the first variable's value.
        const Ushort x0 = c.variables[0];
        const int w = net.realDom[x0].tab_val[s.sol[x0]];
        bool res = false;
        for (int t = c.tabInd[s.sol[x0]]; t != -1 && t < rel.nb_tuples; ++t) {
            const int* tuple = rel.tuple(t);
            if (tuple[0] != w) break;
            int k2 = 1;
            while (k2 < rel.arity &&
                   tuple[k2] == net.realDom[c.variables[k2]].tab_val[s.sol[c.variables[k2]]])
                ++k2;
            if (k2 == rel.arity) {
                res = true;
                break;
            }
        }
        if (!res) return false;
    }
    return true;
}

// The variables that the propagation of the decision at `niveau` fixed to one
// value are exactly the stacked ones with nbvalC 1.  Root variables among them
// are skipped everywhere: they already stand on a root level and get their
// value in the completion pass.
void label(Network& net, SearchState& s) {
    s.niveau = s.level;
    s.var = s.var_instancie[s.level];
    const Ushort var = s.var;
    DOMAINE& d = net.realDom[var];
    const PILE_VAR& coupes = s.future_fc[s.niveau];
    mettre_a_jour_degre(net, s);
    s.consistent = false;
    while (d.nbvalC > 0) {
        ++s.decisions;
        s.consistent = ac8MacFile(net, s, static_cast<Ushort>(d.ind_val_rest[0]));
        if (!s.consistent) undo_reduction(net, s);
        const int v = d.ind_val_rest[0];
        switchDom(net, var, 0, d.nbvalC - 1);
        retirerDernier(d);
        if (s.consistent) {
            s.sol[var] = v;
            if (verifierSolution(net, s, var)) {
                for (int k = coupes.sommet; k >= 1; --k) {
                    const Ushort u = entreeTrail(s, s.niveau, k);
                    if (s.racine[u] || net.realDom[u].nbvalC != 1) continue;
                    s.sol[u] = net.realDom[u].ind_val_rest[0];
                    fixerInstancie(s, u, true);
                    if (!verifierSolution(net, s, u)) {
                        s.consistent = false;
                        break;
                    }
                }
            } else {
                s.consistent = false;
            }
            if (!s.consistent) {
                for (int k = coupes.sommet; k >= 1; --k) {
                    const Ushort u = entreeTrail(s, s.niveau, k);
                    if (s.racine[u] || net.realDom[u].nbvalC != 1) continue;
                    fixerInstancie(s, u, false);
                    s.sol[u] = -1;
                }
                s.sol[var] = -1;
                undo_reduction(net, s);
            }
        }
        if (s.consistent) break;
    }
    if (s.consistent) {
        fixerInstancie(s, var, true);
        ++s.level;
        propager_singleton_valeur(net, s);
    }
}

void propager_singleton_valeur(Network& net, SearchState& s) {
    const PILE_VAR& coupes = s.future_fc[s.niveau];
    for (int k = coupes.sommet; k >= 1; --k) {
        const Ushort u = entreeTrail(s, s.niveau, k);
        if (s.racine[u] || net.realDom[u].nbvalC != 1) continue;
        s.var = u;
        mettre_a_jour_degre(net, s);
        fixerInstancie(s, u, true);
        s.var_instancie[s.level] = u;
        s.coupe[s.level] = 1;
        ++s.level;
    }
}

void unlabel(Network& net, SearchState& s) {
    s.var = s.var_instancie[s.level];
    s.consistent = net.realDom[s.var].nbvalC > 0;
    undo_reduction(net, s);
    remettre_a_jour_degre(net, s);
    fixerInstancie(s, s.var, false);
    s.sol[s.var] = -1;
    if (s.consistent) {
        label(net, s);
        return;
    }
    update_current_domain(net, s);
    --s.level;
    connecter_variables(net, s);
}

void connecter_variables(Network& net, SearchState& s) {
    while (s.level > s.level0 && s.coupe[s.level]) {
        s.var = s.var_instancie[s.level];
        remettre_a_jour_degre(net, s);
        fixerInstancie(s, s.var, false);
        s.sol[s.var] = -1;
        s.coupe[s.level] = 0;
        --s.level;
    }
}

// Gives a value to each variable still without one.  False (and one level
// less) when some variable has no value that its watched constraints accept.
static bool completer(Network& net, SearchState& s) {
    for (int i = 0; i < net.nb_var; ++i) {
        if (s.sol[i] != -1) continue;
        const DOMAINE& d = net.realDom[i];
        bool res = false;
        for (int p = 0; p == 0 || p < d.nbvalC; ++p) {
            s.sol[i] = d.ind_val_rest[p];
            if (verifierSolution(net, s, static_cast<Ushort>(i))) {
                res = true;
                break;
            }
        }
        if (!res) {
            s.sol[i] = -1;
            s.consistent = false;
            --s.level;
            return false;
        }
    }
    return true;
}

Outcome searchPhase(Network& net, SearchState& s) {
    // A variable with an empty declared domain can take no value.  Root
    // filtering does not see it when it has no neighbour (or only neighbours
    // with empty domains too).
    for (int i = 0; i < net.nb_var; ++i)
        if (net.realDom[i].nbval == 0) return Outcome::NoSolution;
    if (!InitAc8File(net, s) || !ac8File(net, s)) return Outcome::NoSolution;

    s.consistent = true;
    const int limite = net.nb_var - 2;
    propager_singleton_degre(net, s);
    s.level0 = s.level;
    // Every variable but at most one is set aside: the constraint graph is a
    // forest (isolated variables, isolated edges, one star), and a non-empty
    // arc-consistent forest always has a solution.
    if (s.level > limite) return Outcome::NoSearch;

    for (;;) {
        if (s.consistent) {
            choix_de_variable(net, s);
            label(net, s);
        } else {
            unlabel(net, s);
        }
        if (s.level > limite) {
            if (completer(net, s)) return Outcome::Solution;
        } else if (s.level < s.level0) {
            return Outcome::NoSolution;
        }
    }
}

// ---------------------------------------------------------------------------
// Run driver and weight files
// ---------------------------------------------------------------------------

[[noreturn]] static void echec(const char* message) {
    std::fputs(message, stderr);
    std::exit(255);
}

// Reads one number and the one character after it, as "%d%c" does: white
// space skipped, an optional sign, digits, then any single character.  Out of
// range numbers keep their low 32 bits.  The file is read by this thread
// alone, so without stdio's lock per character.
static bool lireNombre(std::FILE* f, int& valeur) {
    int c;
    do c = getc_unlocked(f);
    while (c != EOF && std::isspace(c));
    bool negatif = false;
    if (c == '-' || c == '+') {
        negatif = c == '-';
        c = getc_unlocked(f);
    }
    if (c == EOF || !std::isdigit(c)) return false;
    std::uint32_t v = 0;
    while (c != EOF && std::isdigit(c)) {
        v = v * 10u + static_cast<std::uint32_t>(c - '0');
        c = getc_unlocked(f);
    }
    if (c == EOF) return false;  // no character after the number
    valeur = static_cast<int>(negatif ? 0u - v : v);
    return true;
}

// The weight of each variable i towards each of its neighbours, in the
// order of voisins_lus: the order of the weight slots.
bool importerPoids(Network& net, const SearchState& s, std::FILE* f) {
    for (int i = 0; i < net.nb_var; ++i)
        for (size_t k = 0; k < s.voisins_lus[i].size(); ++k)
            if (!lireNombre(f, net.graphe[i].weight[k])) return false;
    return true;
}

namespace {

// A file being written number by number, handed to stdio in blocks rather
// than by one fprintf per number.  fermer writes the rest and closes it,
// checking that every write went through.
struct Texte {
    std::FILE* f;
    const char* nom;  // the file's name, for the message of a failed write
    std::string tampon;
    bool ok = true;   // every write so far went through

    Texte(std::FILE* fichier, const char* n) : f(fichier), nom(n) { tampon.reserve(1 << 16); }
    ~Texte() {
        if (f) std::fclose(f);
    }
    void vider() {
        ok &= std::fwrite(tampon.data(), 1, tampon.size(), f) == tampon.size();
        tampon.clear();
    }
    // n, then c.
    void nombre(int n, char c) {
        char chiffres[16];
        const auto fin = std::to_chars(chiffres, chiffres + sizeof chiffres, n).ptr;
        tampon.append(chiffres, fin);
        tampon.push_back(c);
        if (tampon.size() >= (1 << 16) - 16) vider();
    }
    // Writes what is left and closes the file; a write that did not go
    // through (a full disk) ends the run as a failure, never as a verdict.
    void fermer() {
        vider();
        ok &= std::fclose(f) == 0;
        f = nullptr;
        if (!ok) echec(("Can't write '" + std::string(nom) + "' file.\n").c_str());
    }
};

}  // namespace

// Rewrites "weight" and returns each variable's mean weight (0 without
// neighbours).
static std::vector<int> sauverPoids(const Network& net, const SearchState& s) {
    std::FILE* f = std::fopen("weight", "w+");
    if (!f) echec("Can't create 'weight' file.\n");
    Texte texte(f, "weight");
    std::vector<int> inc(net.nb_var, 0);
    for (int i = 0; i < net.nb_var; ++i) {
        std::int64_t somme = 0;
        for (size_t k = 0; k < s.voisins_lus[i].size(); ++k) {
            const int poids = net.graphe[i].weight[k];
            texte.nombre(poids, ' ');
            somme += poids;
        }
        if (!s.voisins_lus[i].empty()) inc[i] = static_cast<int>(somme / static_cast<std::int64_t>(s.voisins_lus[i].size()));
    }
    texte.fermer();
    return inc;
}

// Writes "activity" (the constraints whose pair is active) and "weightCons"
// (for each of them, the product of its variables' mean weights, low 32 bits).
static void sauverActivite(const Network& net, const SearchState& s, const std::vector<int>& inc) {
    std::FILE* fa = std::fopen("activity", "w+");
    if (!fa) echec("Can't create 'activity' file.\n");
    Texte act(fa, "activity");
    std::FILE* fp = std::fopen("weightCons", "w+");
    if (!fp) echec("Can't create 'weightCons' file.\n");
    Texte poids(fp, "weightCons");
    act.nombre(s.nbActive, '\n');
    poids.nombre(s.nbActive, '\n');
    for (int c = 0; c < net.nb_ctr; ++c) {
        const Ushort x = net.ctr[c].variables[0], y = net.ctr[c].variables[1];
        if (!s.active[net.ctr[c].paire]) continue;
        const std::int64_t produit = static_cast<std::int64_t>(inc[y]) * inc[x];
        act.nombre(c, ' ');
        poids.nombre(static_cast<std::int32_t>(static_cast<std::uint32_t>(produit)), ' ');
    }
    act.fermer();
    poids.fermer();
}

void preparerRun(Network& net, SearchState& s) {
    initialisation(net, s);
    const double n = net.nb_var;
    s.MAX = static_cast<float>(n * n * n);
    s.active.assign(net.nb_rel, 0);
    recalculerSommes(net, s);
    s.nbActive = 0;
    s.decisions = 0;
}

int solve(Network& net, SearchState& s, const char* /*pb*/, clock_t /*temps*/, const char* fileOut) {
    std::FILE* out = stderr;
    if (fileOut) {
        out = std::fopen(fileOut, "a");
        if (!out) {
            std::printf("File %s does not exist\n", fileOut);
            out = stdout;
        }
    }
    preparerRun(net, s);

    std::FILE* f = std::fopen("weight", "r");
    if (!f) echec("Can't open 'weight' file.\n");
    if (!importerPoids(net, s, f)) echec("Read error in weight importation\n");
    recalculerSommes(net, s);
    std::fclose(f);
    if (net.nb_ctr > 50000) echec("Too much constraint for this experimental version\n");

    const std::clock_t debut = std::clock();
    const Outcome issue = searchPhase(net, s);
    s.searchClock = std::clock() - debut;

    const std::vector<int> inc = sauverPoids(net, s);
    sauverActivite(net, s, inc);
    if (out != stderr && out != stdout) std::fclose(out);
    return issue == Outcome::NoSolution ? 0 : STATUS_SOLUTION;
}
