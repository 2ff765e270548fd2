// Reader and writer of the instance text format.
//
// The file is a sequence of white-space separated decimal tokens: the name,
// then the domains, variables, relations and constraints blocks, each a count
// followed by its records.  Everything the format requires is checked, so a
// bad file ends with one line naming the block, the record and the offending
// token, and never reads or writes outside the tables.
#include "EntreesSorties/entrees_sorties.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <optional>
#include <string_view>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "Convertisseur/transfo.h"
#include "Utilitaires/pages.h"

int Network::position(int u, int v) const {
    const std::vector<Ushort>& l = graphe[u].tab_voisins;
    for (size_t k = 0; k < l.size(); ++k)
        if (l[k] == v) return static_cast<int>(k);
    return -1;
}

Ushort Network::mat(int u, int v) const {
    const int k = position(u, v);
    return k < 0 ? NO_POSITION : graphe[u].arcs[k].place;
}

int Network::ref(int u, int v) const {
    const int k = position(u, v);
    return k < 0 ? -1 : graphe[u].arcs[k].paire;
}

int& Network::weight(int u, int v) {
    const int k = position(u, v);
    if (k < 0) throw std::out_of_range("weight of two non-neighbours");
    return graphe[u].weight[graphe[u].arcs[k].lu];
}

void memError() {
    std::printf("Out of memory\n");
    std::exit(1);
}

static void onAllocationFailure() { memError(); }

void installMemError() { std::set_new_handler(onAllocationFailure); }

namespace {

constexpr int MAX_COUNT = 65535;

// Token reader that knows where it stands in the file, for the messages.
struct Lecteur {
    std::string_view texte;
    size_t pos = 0;
    std::string nom;          // file name, for the messages
    const char* bloc = "";    // block being read
    long record = -1;         // place of the record being read, -1 for the block's count

    [[noreturn]] void fail(const std::string& what) const {
        std::string where = nom + ": " + bloc + " block, ";
        where += record < 0 ? std::string("count") : "record " + std::to_string(record);
        throw FormatError(where + ": " + what);
    }

    // ' ', or one of '\t' '\n' '\v' '\f' '\r' (codes 9 to 13).
    static bool blanc(char c) { return c == ' ' || static_cast<unsigned char>(c - '\t') <= 4; }
    // '0' to '9'.
    static bool chiffre(char c) { return static_cast<unsigned char>(c - '0') < 10; }

    std::string_view word(const char* what) {
        while (pos < texte.size() && blanc(texte[pos])) ++pos;
        if (pos == texte.size()) fail(std::string("file ends early, expected ") + what);
        size_t debut = pos;
        while (pos < texte.size() && !blanc(texte[pos])) ++pos;
        return texte.substr(debut, pos - debut);
    }

    // A signed 32-bit decimal number.  Plain tokens (an optional '-' and up
    // to ten digits) are read on the spot; the others go through
    // nombreComplet, which knows every rule and message.  The text ends with
    // a '\0' (neither blank nor digit), which stops both scans.
    int number(const char* what) {
        const char* p = texte.data() + pos;
        const int n = numberAt(p, what);
        pos = static_cast<size_t>(p - texte.data());
        return n;
    }

    // The same from p, which moves past the number: a loop that keeps p in
    // a register reads its numbers through this.
    int numberAt(const char*& p, const char* what) {
        const char* q = p;
        while (blanc(*q)) ++q;
        const bool negatif = *q == '-';
        const char* const chiffres = q + negatif;
        std::uint64_t v = 0;
        for (q = chiffres; chiffre(*q); ++q) v = v * 10 + static_cast<unsigned>(*q - '0');
        const long chiffresLus = q - chiffres;
        // A '\0' ends the number only at the end of the text.  Up to ten
        // digits, v is exact and its negation fits.
        if (chiffresLus > 0 && chiffresLus <= 10 && (blanc(*q) || (*q == '\0' && q == texte.data() + texte.size()))) {
            const long long n = negatif ? -static_cast<long long>(v) : static_cast<long long>(v);
            if (n >= INT32_MIN && n <= INT32_MAX) {
                p = q;
                return static_cast<int>(n);
            }
        }
        pos = static_cast<size_t>(p - texte.data());
        const int r = nombreComplet(what);
        p = texte.data() + pos;
        return r;
    }

    // A token as the messages quote it: control bytes written \xHH, and
    // only its start when it is long.
    static std::string citer(std::string_view tok) {
        constexpr size_t MONTRES = 40;
        std::string c = "'";
        for (const char ch : tok.substr(0, MONTRES)) {
            const auto u = static_cast<unsigned char>(ch);
            if (u >= 0x20 && u != 0x7F) {
                c += ch;
                continue;
            }
            const char hex[] = "0123456789abcdef";
            c += "\\x";
            c += hex[u >> 4];
            c += hex[u & 15];
        }
        if (tok.size() > MONTRES) c += "...";
        return c + "'";
    }

    int nombreComplet(const char* what) {
        std::string_view tok = word(what);
        std::string_view digits = tok;
        if (digits[0] == '+') digits.remove_prefix(1);
        long long v = 0;
        auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), v);
        if (digits.empty() || (tok[0] == '+' && digits[0] == '-') || ec == std::errc::invalid_argument ||
            end != digits.data() + digits.size())
            fail(citer(tok) + " is not a number (expected " + what + ")");
        if (ec == std::errc::result_out_of_range || v < INT32_MIN || v > INT32_MAX)
            fail(citer(tok) + " does not fit in 32 bits (" + what + ")");
        return static_cast<int>(v);
    }

    // A count: 0 to 65535.
    int count(const char* what) {
        int n = number(what);
        if (n < 0) fail(std::string(what) + " " + std::to_string(n) + " is negative");
        if (n > MAX_COUNT) fail(std::string(what) + " " + std::to_string(n) + " is above 65535");
        return n;
    }

    // A reference to a place 0 .. n-1 of a block.
    int reference(const char* what, int n, const char* block) {
        int r = number(what);
        if (r < 0 || r >= n)
            fail(std::string(what) + " " + std::to_string(r) + " is not a place of the " + block + " block (" +
                 (n > 0 ? "0.." + std::to_string(n - 1) : std::string("empty")) + ")");
        return r;
    }
};

// Value -> first value index of a declared domain: a direct table over the
// values' range when it is not much wider than the domain, else the pairs
// sorted by value.
struct IndexValeurs {
    long long base = 0;                       // smallest value (direct table)
    std::vector<int> table;                   // table[v - base]: first index of v, -1 if none
    std::vector<std::pair<int, int>> paires;  // (value, first index) sorted, when no table
    bool distinctes = true;                   // no value repeated: each index is the first of its value
    bool chiffres = false;                    // every value has one digit (0 to 9)
};

IndexValeurs indexer(const DOMAIN& d) {
    IndexValeurs idx;
    if (d.size == 0) return idx;
    const auto [mini, maxi] = std::minmax_element(d.val.begin(), d.val.end());
    idx.chiffres = *mini >= 0 && *maxi <= 9;
    const long long largeur = static_cast<long long>(*maxi) - *mini + 1;
    if (largeur <= 4LL * d.size + 1024) {
        idx.base = *mini;
        idx.table.assign(static_cast<size_t>(largeur), -1);
        for (int j = d.size - 1; j >= 0; --j) {
            int& premier = idx.table[static_cast<size_t>(d.val[j] - idx.base)];
            idx.distinctes &= premier < 0;
            premier = j;
        }
        return idx;
    }
    idx.paires.reserve(d.val.size());
    for (int j = 0; j < d.size; ++j) idx.paires.emplace_back(d.val[j], j);
    std::stable_sort(idx.paires.begin(), idx.paires.end(), [](auto& a, auto& b) { return a.first < b.first; });
    idx.paires.erase(std::unique(idx.paires.begin(), idx.paires.end(), [](auto& a, auto& b) { return a.first == b.first; }),
                     idx.paires.end());
    idx.distinctes = static_cast<int>(idx.paires.size()) == d.size;
    return idx;
}

// The first value index of a value in a declared domain, -1 if none.  The
// direct table's bounds are held by value, so that a loop storing bytes
// (which may alias anything) does not reload them.
struct Recherche {
    const IndexValeurs& idx;
    const int* table;
    long long base;
    std::uint64_t largeur;

    explicit Recherche(const IndexValeurs& i)
        : idx(i), table(i.table.data()), base(i.base), largeur(i.table.size()) {}
    int operator()(int valeur) const {
        if (largeur == 0) return parPaires(valeur);
        const std::uint64_t k = static_cast<std::uint64_t>(valeur - base);
        return k < largeur ? table[k] : -1;
    }

private:
    int parPaires(int valeur) const {
        auto it = std::lower_bound(idx.paires.begin(), idx.paires.end(), valeur,
                                   [](auto& e, int v) { return e.first < v; });
        return (it != idx.paires.end() && it->first == valeur) ? it->second : -1;
    }
};

inline int premierIndice(const IndexValeurs& idx, int valeur) { return Recherche(idx)(valeur); }

void lireDomaines(Lecteur& in, Network& net) {
    in.bloc = "domains";
    in.record = -1;
    net.nb_dom = static_cast<Ushort>(in.count("domain count"));
    net.domD.resize(net.nb_dom);
    for (int i = 0; i < net.nb_dom; ++i) {
        in.record = i;
        in.number("domain number");
        DOMAIN& d = net.domD[i];
        d.size = in.count("value count");
        d.val.resize(d.size);
        for (int j = 0; j < d.size; ++j) d.val[j] = in.number("a value");
    }
}

void lireVariables(Lecteur& in, Network& net) {
    in.bloc = "variables";
    in.record = -1;
    const Ushort V = net.nb_var = static_cast<Ushort>(in.count("variable count"));
    net.realDom.resize(V);
    net.vars.resize(V);
    net.graphe.resize(V);
    for (int i = 0; i < V; ++i) {
        in.record = i;
        VOISIN& g = net.graphe[i];
        g.degre = 0;
        in.number("variable number");
        int d = in.reference("domain", net.nb_dom, "domains");
        DOMAINE& x = net.realDom[i];
        x.nbval = static_cast<Ushort>(net.domD[d].size);
        x.dom = d;
        x.tab_val = net.domD[d].val;
        x.ind_val_rest.resize(x.nbval);
        for (int j = 0; j < x.nbval; ++j) x.ind_val_rest[j] = j;
        x.pos_val.resize(static_cast<size_t>(x.nbval) + 1);
        for (int j = 0; j <= x.nbval; ++j) x.pos_val[j] = static_cast<Ushort>(j < x.nbval ? j : 0xFFFF);
        x.bits.assign((static_cast<size_t>(x.nbval) + 63) / 64, 0);  // empty, as nbvalC
        net.vars[i].nbCtr = 0;
        net.vars[i].tabCtr.reserve(1);
    }
}

// Past this many bytes of matrices, the matrix of a list of allowed tuples
// is built only when a constraint uses its relation (matriceDesTuples, from
// its tuples): a file of many large relations that no constraint uses then
// costs no more than its tuples.  Below, the matrix is marked as the tuples
// are read, in the same pass.
constexpr size_t BUDGET_MATRICES = size_t{256} << 20;

// The matrix of a relation of allowed tuples, rows the values of its first
// position: a cell is allowed when its two value indexes are each the first
// of their value and the pair of values is listed.
std::shared_ptr<std::vector<std::uint8_t>> matriceDesTuples(const Network& net, const TUPLES& rel,
                                                            const std::vector<IndexValeurs>& index) {
    const DOMAIN &d0 = net.domD[rel.domaines[0]], &d1 = net.domD[rel.domaines[1]];
    auto matrice = std::make_shared<std::vector<std::uint8_t>>(static_cast<size_t>(d0.size) * d1.size, 0);
    const Recherche cherche[2] = {Recherche(index[rel.domaines[0]]), Recherche(index[rel.domaines[1]])};
    for (size_t t = 0; t < rel.nb_tuples; ++t)
        (*matrice)[static_cast<size_t>(cherche[0](rel.tuple(t)[0])) * d1.size + cherche[1](rel.tuple(t)[1])] = 1;
    return matrice;
}

// A tuple of two one-digit values written " d d" with a blank after, as
// most files write every tuple over two domains of such values: its values
// into v, p past them.  False, p unchanged, for any other text, which
// numberAt reads.
inline bool deuxChiffres(const char*& p, int* v) {
    if (!(p[0] == ' ' && Lecteur::chiffre(p[1]) && p[2] == ' ' && Lecteur::chiffre(p[3]) && Lecteur::blanc(p[4])))
        return false;
    v[0] = p[1] - '0';
    v[1] = p[3] - '0';
    p += 4;
    return true;
}

// The n tuples of relation `rel` from p, over the domains indexed by i0 and
// i1: each one's cell set in `marques` (rows of `colonnes` cells), its
// values copied to `sortie` unless null.  Returns the place after them.
// Chiffres: both domains hold one-digit values only, so that most tuples
// read as " d d" (deuxChiffres).  The text position, the cells and the
// lookups are locals: the byte stores would otherwise reload them at each
// tuple.
template <bool Chiffres>
const char* lireTuples(Lecteur& in, const char* p, const TUPLES& rel, int n, const IndexValeurs& i0,
                       const IndexValeurs& i1, std::uint8_t* marques, size_t colonnes, int* sortie) {
    const Recherche cherche[2] = {Recherche(i0), Recherche(i1)};
    for (int t = 0; t < n; ++t) {
        int ab[2], lus[2];
        const bool deux = Chiffres && deuxChiffres(p, lus);
        for (int k = 0; k < 2; ++k) {
            const int v = deux ? lus[k] : in.numberAt(p, "a tuple value");
            ab[k] = cherche[k](v);
            if (ab[k] < 0)
                in.fail("tuple " + std::to_string(t) + ": value " + std::to_string(v) + " is not in domain " +
                        std::to_string(rel.domaines[k]));
            if (sortie) *sortie++ = v;
        }
        marques[static_cast<size_t>(ab[0]) * colonnes + static_cast<size_t>(ab[1])] = 1;
    }
    return p;
}

// The blocks of a finished matrix of `nbLignes` rows of n1 cells, both at
// most BLOC, appended to `blocs`: the first block (end 0) holds in lane a
// row a as bits over the columns, the second (end 1) in lane b column b as
// bits over the rows.  Returns the place of the first; the second follows.
std::uint32_t ajouterBlocs(const std::uint8_t* cellules, int nbLignes, int n1, std::vector<std::uint16_t>& blocs) {
    static_assert(BLOC == 16, "a row of cells and a lane of bits in one 16-byte vector");
    if (blocs.size() + 2 * BLOC > UINT32_MAX) memError();
    const auto debutBlocs = static_cast<std::uint32_t>(blocs.size());
    blocs.resize(blocs.size() + 2 * BLOC, 0);
    alignas(16) std::uint16_t lignes[BLOC] = {};
    std::uint16_t colonnes[BLOC] = {};
#ifdef __SSE2__
    // Row a: bit 0 of each of its cells (bytes) moved to the top of the
    // byte and gathered; the last rows, whose 16 bytes would run past the
    // cells, through a copy.  Rows of no cells (an empty domain) stay 0.
    const size_t total = static_cast<size_t>(nbLignes) * n1;
    const unsigned largeur = (1u << n1) - 1;
    for (int a = 0; n1 > 0 && a < nbLignes; ++a) {
        const size_t debut = static_cast<size_t>(a) * n1;
        __m128i ligne;
        if (debut + 16 <= total) {
            ligne = _mm_loadu_si128(reinterpret_cast<const __m128i*>(cellules + debut));
        } else {
            alignas(16) std::uint8_t copie[16] = {};
            std::memcpy(copie, cellules + debut, static_cast<size_t>(n1));
            ligne = _mm_load_si128(reinterpret_cast<const __m128i*>(copie));
        }
        lignes[a] = static_cast<std::uint16_t>(static_cast<unsigned>(_mm_movemask_epi8(_mm_slli_epi16(ligne, 7))) & largeur);
    }
    // Column c: bit c of every row.  The rows' low bytes side by side, and
    // their high bytes; bit c of each byte moved to its top and gathered.
    const __m128i r0 = _mm_load_si128(reinterpret_cast<const __m128i*>(lignes));
    const __m128i r1 = _mm_load_si128(reinterpret_cast<const __m128i*>(lignes + 8));
    const __m128i octet = _mm_set1_epi16(0xFF);
    const __m128i bas = _mm_packus_epi16(_mm_and_si128(r0, octet), _mm_and_si128(r1, octet));
    const __m128i haut = _mm_packus_epi16(_mm_srli_epi16(r0, 8), _mm_srli_epi16(r1, 8));
    for (int c = 0; c < n1; ++c) {
        const __m128i decale = _mm_sll_epi16(c < 8 ? bas : haut, _mm_cvtsi32_si128(7 - (c & 7)));
        colonnes[c] = static_cast<std::uint16_t>(_mm_movemask_epi8(decale));
    }
#else
    for (int a = 0; a < nbLignes; ++a) {
        const std::uint8_t* ligne = cellules + static_cast<size_t>(a) * n1;
        unsigned bits = 0;
        for (int b = 0; b < n1; ++b) bits |= (ligne[b] & 1u) << b;
        lignes[a] = static_cast<std::uint16_t>(bits);
        for (int c = 0; c < n1; ++c) colonnes[c] |= static_cast<std::uint16_t>(((bits >> c) & 1u) << a);
    }
#endif
    std::copy_n(lignes, nbLignes, blocs.data() + debutBlocs);
    std::copy_n(colonnes, n1, blocs.data() + debutBlocs + BLOC);
    return debutBlocs;
}

// A list of forbidden tuples, whose cells are marked in `listee`, turned
// into the allowed ones: rel's tuples become the pairs of the product of
// d0 and d1 in order less the listed ones (as ajouter does), and the cells
// mark the pairs not listed, at first indexes.  premier1 and paires are
// scratch tables.
void developperInterdits(TUPLES& rel, const DOMAIN& d0, const DOMAIN& d1, const IndexValeurs& i0,
                         const IndexValeurs& i1, std::uint8_t* listee, std::vector<int>& premier1,
                         std::vector<int>& paires) {
    const long produit = static_cast<long>(d0.size) * d1.size;
    // The cell of a value index is that of the first index of its value:
    // the index itself when no value repeats.
    const bool distinctes = i0.distinctes && i1.distinctes;
    premier1.resize(d1.size);
    for (int b = 0; b < d1.size; ++b) premier1[b] = distinctes ? b : premierIndice(i1, d1.val[b]);
    // Each pair written in the scratch table, kept when not listed, then
    // the pairs kept copied: the table is written once, at its size.
    if (paires.size() < 2 * static_cast<size_t>(produit)) paires.resize(2 * static_cast<size_t>(produit));
    int* sortie = paires.data();
    size_t k = 0;
    for (int a = 0; a < d0.size; ++a) {
        const int pa = distinctes ? a : premierIndice(i0, d0.val[a]);
        const std::uint8_t* ligne = listee + static_cast<size_t>(pa) * d1.size;
        const int va = d0.val[a];
        if (distinctes)  // the same without the lookup of the first index
            for (int b = 0; b < d1.size; ++b) {
                sortie[k] = va;
                sortie[k + 1] = d1.val[b];
                k += 2 * static_cast<size_t>(!ligne[b]);
            }
        else
            for (int b = 0; b < d1.size; ++b) {
                sortie[k] = va;
                sortie[k + 1] = d1.val[b];
                k += 2 * static_cast<size_t>(!ligne[premier1[b]]);
            }
    }
    rel.tuples.assign(sortie, sortie + k);
    rel.nb_tuples = static_cast<Ushort>(k / 2);
    // The listed cells become the allowed ones: the others at first indexes.
    if (distinctes) {
        long c = 0;
        for (; c + 8 <= produit; c += 8) {  // eight cells at a time
            std::uint64_t huit;
            std::memcpy(&huit, listee + c, 8);
            huit ^= 0x0101010101010101ull;
            std::memcpy(listee + c, &huit, 8);
        }
        for (; c < produit; ++c) listee[c] ^= 1;
        return;
    }
    for (int a = 0; a < d0.size; ++a) {
        std::uint8_t* ligne = listee + static_cast<size_t>(a) * d1.size;
        const bool premiere = premierIndice(i0, d0.val[a]) == a;
        for (int b = 0; b < d1.size; ++b) ligne[b] = premiere && premier1[b] == b && !ligne[b];
    }
}

// The relations block.  tabTuples gets each relation's arity, domains and
// allowed tuples: those listed, or for a list of forbidden tuples the product
// of the two domains in order less the listed ones (as ajouter does).
// cellules[2 * i] gets relation i's matrix (matriceDesTuples), except for a
// list of allowed tuples read past BUDGET_MATRICES: that one is left to
// construireMatrices.  blocsRelation[i] gets the place in net.blocs of the
// blocks of relation i's matrix when it has one and both its domains have
// at most BLOC values, PAS_DE_BLOC otherwise.
void lireRelations(Lecteur& in, Network& net, std::vector<std::shared_ptr<std::vector<std::uint8_t>>>& cellules,
                   std::vector<std::uint32_t>& blocsRelation, const std::vector<IndexValeurs>& index) {
    in.bloc = "relations";
    in.record = -1;
    int R = in.count("relation count");
    net.tabTuples.resize(R);
    cellules.assign(2 * static_cast<size_t>(R), nullptr);
    blocsRelation.assign(static_cast<size_t>(R), PAS_DE_BLOC);
    // Room for the blocks of every relation (64 bytes each), so that they
    // are written once, never moved by the vector's growth.
    net.blocs.reserve(2 * BLOC * static_cast<size_t>(R));
    std::vector<int> premier1;  // per value index of the second domain: the first index of its value
    size_t octets = 0;                  // bytes of the matrices built so far
    std::vector<std::uint8_t> brouillon;  // the cells marked for a matrix left for later, thrown away
    std::vector<int> paires;              // the pairs of a product, kept or not, before the copy of those kept
    for (int i = 0; i < R; ++i) {
        in.record = i;
        in.number("relation number");
        int type = in.number("relation type");
        int arity = in.number("arity");
        if (arity != 2) throw NaryRelation("This experimental version doesn't accept n-ary constraints\n");
        TUPLES& rel = net.tabTuples[i];
        const bool interdits = type == 0;
        rel.arity = 2;
        rel.domaines.resize(2);
        for (int k = 0; k < 2; ++k)
            rel.domaines[k] = static_cast<Ushort>(in.reference("domain", net.nb_dom, "domains"));
        const DOMAIN &d0 = net.domD[rel.domaines[0]], &d1 = net.domD[rel.domaines[1]];
        const IndexValeurs &i0 = index[rel.domaines[0]], &i1 = index[rel.domaines[1]];
        // A forbidden list becomes the list of the other pairs, whose count
        // is held on 16 bits like every tuple count; an allowed list has its
        // own count, whatever the size of the matrix.
        long produit = static_cast<long>(d0.size) * d1.size;
        if (interdits && produit > MAX_COUNT)
            in.fail("product of the domain sizes " + std::to_string(produit) + " is above 65535");
        const int n = in.count("tuple count");
        std::uint8_t* listee;  // the cells, marked as the tuples are read
        if (!interdits && octets + static_cast<size_t>(produit) > BUDGET_MATRICES) {
            if (brouillon.size() < static_cast<size_t>(produit)) brouillon.resize(static_cast<size_t>(produit));
            listee = brouillon.data();
        } else {
            auto& matrice = cellules[2 * static_cast<size_t>(i)];
            matrice = std::make_shared<std::vector<std::uint8_t>>(static_cast<size_t>(produit), 0);
            listee = matrice->data();
            octets += static_cast<size_t>(produit);
        }
        rel.tuples.clear();
        {
            int* valeurs = nullptr;  // a list of allowed tuples is kept as listed
            if (!interdits) {
                rel.tuples.resize(static_cast<size_t>(n) * 2);
                valeurs = rel.tuples.data();
            }
            const char* p = in.texte.data() + in.pos;
            const size_t colonnes = static_cast<size_t>(d1.size);
            p = i0.chiffres && i1.chiffres ? lireTuples<true>(in, p, rel, n, i0, i1, listee, colonnes, valeurs)
                                           : lireTuples<false>(in, p, rel, n, i0, i1, listee, colonnes, valeurs);
            in.pos = static_cast<size_t>(p - in.texte.data());
        }
        rel.typeRel = false;
        if (interdits) developperInterdits(rel, d0, d1, i0, i1, listee, premier1, paires);
        else rel.nb_tuples = static_cast<Ushort>(n);
        // The blocks of a matrix of two small domains, built while its cells
        // are at hand (construireMatrices gives them to the pairs that use
        // the matrix as it is).
        if (cellules[2 * static_cast<size_t>(i)] && d0.size <= BLOC && d1.size <= BLOC)
            blocsRelation[i] = ajouterBlocs(listee, d0.size, d1.size, net.blocs);
    }
}

void lireContraintes(Lecteur& in, Network& net) {
    in.bloc = "constraints";
    in.record = -1;
    net.nb_ctr = static_cast<Ushort>(in.count("constraint count"));
    net.ctr.resize(net.nb_ctr);
    const int R = static_cast<int>(net.tabTuples.size());
    // Each variable's domain, read in one pass: the scopes below look it up
    // in no order, and a variable's whole record is a cache miss on large
    // instances.
    std::vector<int> domaineDe(net.nb_var);
    for (int v = 0; v < net.nb_var; ++v) domaineDe[v] = net.realDom[v].dom;
    for (int i = 0; i < net.nb_ctr; ++i) {
        in.record = i;
        CONSTRAINTS& c = net.ctr[i];
        int a = in.count("arity");
        c.variables.resize(a);
        for (int k = 0; k < a; ++k)
            c.variables[k] = static_cast<Ushort>(in.reference("variable", net.nb_var, "variables"));
        c.nbRel = in.reference("relation", R, "relations");
        const TUPLES& rel = net.tabTuples[c.nbRel];
        if (a != rel.arity)
            in.fail("arity " + std::to_string(a) + " differs from the arity " + std::to_string(rel.arity) +
                    " of relation " + std::to_string(c.nbRel));
        for (int k = 0; k < a; ++k)
            for (int l = k + 1; l < a; ++l)
                if (c.variables[k] == c.variables[l])
                    in.fail("the scope names variable " + std::to_string(c.variables[k]) + " twice");
        for (int k = 0; k < a; ++k) {
            int dv = domaineDe[c.variables[k]], dr = rel.domaines[k];
            if (dv != dr && net.domD[dv].val != net.domD[dr].val)
                in.fail("variable " + std::to_string(c.variables[k]) + " is on domain " + std::to_string(dv) +
                        ", whose values differ from domain " + std::to_string(dr) + " of relation " +
                        std::to_string(c.nbRel) + " at position " + std::to_string(k));
        }
        c.watch = c.variables.empty() ? 0 : c.variables[0];
        if (a > 2) indexerContrainteNaire(net, i);
    }
}

// The bit rows of both ends of a finished matrix with `nbLignes` rows, in
// one pass over its cells, appended to `arene`, and each value's first
// support as its residue, appended to `residus`.
void preparerSupports(REL& m, int nbLignes, std::vector<std::uint64_t>& arene, std::vector<Ushort>& residus) {
    const int n[2] = {nbLignes, m.nbCols};
    for (int e = 0; e < 2; ++e) {
        m.mots[e] = (n[1 - e] + 63) / 64;
        const size_t debut = arene.size(), taille = static_cast<size_t>(n[e]) * m.mots[e];
        if (debut + taille > UINT32_MAX) memError();  // rows addressed by 32-bit offsets
        m.lignes[e] = static_cast<std::uint32_t>(debut);
        arene.resize(debut + taille, 0);
    }
    std::uint64_t* l0 = arene.data() + m.lignes[0];
    std::uint64_t* l1 = arene.data() + m.lignes[1];
    // End 0's rows from the rows of cells, eight cells (bytes 0 or 1) to a
    // multiplication; end 1's from the bits set in them.
    const std::uint8_t* cellules = m.rel->data();
    const size_t pas = static_cast<size_t>(n[1]);
    for (int a = 0; a < n[0]; ++a) {
        const std::uint8_t* ligne = cellules + static_cast<size_t>(a) * pas;
        std::uint64_t* bits = l0 + static_cast<size_t>(a) * m.mots[0];
        int b = 0;
        for (; b + 8 <= n[1]; b += 8) {
            std::uint64_t huit;
            std::memcpy(&huit, ligne + b, 8);
            bits[b >> 6] |= (((huit & 0x0101010101010101ull) * 0x0102040810204080ull) >> 56) << (b & 63);
        }
        for (; b < n[1]; ++b) bits[b >> 6] |= static_cast<std::uint64_t>(ligne[b] & 1) << (b & 63);
        for (int w = 0; w < m.mots[0]; ++w)
            for (std::uint64_t x = bits[w]; x; x &= x - 1) {
                const size_t c = static_cast<size_t>(w) * 64 + static_cast<size_t>(std::countr_zero(x));
                l1[c * m.mots[1] + static_cast<size_t>(a >> 6)] |= std::uint64_t{1} << (a & 63);
            }
    }
    for (int e = 0; e < 2; ++e) {
        m.residus[e] = static_cast<std::uint32_t>(residus.size());
        residus.resize(residus.size() + n[e], static_cast<Ushort>(n[1 - e]));
        Ushort* residu = residus.data() + m.residus[e];
        for (int a = 0; a < n[e]; ++a) {
            const std::uint64_t* ligne = arene.data() + m.lignes[e] + static_cast<size_t>(a) * m.mots[e];
            for (int w = 0; w < m.mots[e]; ++w)
                if (ligne[w]) {
                    residu[a] = static_cast<Ushort>(w * 64 + std::countr_zero(ligne[w]));
                    break;
                }
        }
    }
}

// The blocks of both ends of a pair's finished matrix with `nbLignes` rows,
// both of its domains of at most BLOC values, from its cells.  Such a pair
// has no bit rows and no residues: every test of its supports reads its
// blocks.
void preparerBlocs(REL& m, int nbLignes, std::vector<std::uint16_t>& blocs) {
    const std::uint32_t debut = ajouterBlocs(m.rel->data(), nbLignes, m.nbCols, blocs);
    m.bloc[0] = debut;
    m.bloc[1] = debut + BLOC;
}

// The pairs of variables met so far, by open addressing: key u << 16 | v
// (u < v), value the pair's index in relDef.  Sized once for `n` pairs.
class TablePaires {
public:
    explicit TablePaires(size_t n) {
        size_t taille = 16;
        while (taille < 2 * n) taille *= 2;
        masque_ = taille - 1;
        cases_.assign(taille, VIDE);
    }
    // The index of pair `cle`, or -1 after recording `indice` for it.
    int trouverOuAjouter(std::uint32_t cle, int indice) {
        for (size_t h = (cle * 0x9E3779B97F4A7C15ull) >> 32 & masque_;; h = (h + 1) & masque_) {
            std::uint64_t& c = cases_[h];
            if (c == VIDE) {
                c = static_cast<std::uint64_t>(cle) << 32 | static_cast<std::uint32_t>(indice);
                return -1;
            }
            if (c >> 32 == cle) return static_cast<int>(c & 0xFFFFFFFFu);
        }
    }

private:
    static constexpr std::uint64_t VIDE = ~std::uint64_t{0};  // no key is 0xFFFFFFFF: v < 65535
    std::vector<std::uint64_t> cases_;
    size_t masque_ = 0;
};

// Folds the constraints into one matrix per pair of variables.
void construireMatrices(Network& net, std::vector<std::shared_ptr<std::vector<std::uint8_t>>>& cellules,
                        const std::vector<std::uint32_t>& blocsRelation, const std::vector<IndexValeurs>& index) {
    net.relDef.assign(1, REL{});
    net.relDef.reserve(static_cast<size_t>(net.nb_ctr) + 1);  // one pair per binary constraint at most
    int compteur = 0;
    TablePaires paires(net.nb_ctr);
    // Room for each variable's list: one slot per constraint on it at most.
    std::vector<int> occurrences(net.nb_var, 0);
    for (const CONSTRAINTS& c : net.ctr)
        if (c.variables.size() == 2)
            for (const Ushort x : c.variables) ++occurrences[x];
    for (int x = 0; x < net.nb_var; ++x) {
        VOISIN& g = net.graphe[x];
        g.arcs.reserve(occurrences[x]);
        g.tab_voisins.reserve(occurrences[x]);
        g.weight.reserve(occurrences[x]);
    }
    // Each relation's matrix in each orientation (rows: its position o), at
    // g = 2 * relation + o, shared by the pairs that use it; per pair, the g
    // it comes from, -1 once an intersection changed it.
    const size_t R = net.tabTuples.size();
    std::vector<long> origine;
    origine.reserve(net.nb_ctr);
    for (int i = 0; i < net.nb_ctr; ++i) {
        CONSTRAINTS& c = net.ctr[i];
        const TUPLES& rel = net.tabTuples[c.nbRel];
        for (int j = 0; j < rel.arity; ++j)
            for (int k = j + 1; k < rel.arity; ++k) {
                int p = j, q = k;
                if (c.variables[j] > c.variables[k]) std::swap(p, q);
                const int u = c.variables[p], v = c.variables[q];
                const std::uint32_t cle = static_cast<std::uint32_t>(u) << 16 | static_cast<std::uint32_t>(v);
                const int s = compteur;
                const int y = paires.trouverOuAjouter(cle, s);
                if (rel.arity == 2) c.paire = y != -1 ? y : s;
                REL& m = net.relDef[s];
                const DOMAIN &dp = net.domD[rel.domaines[p]], &dq = net.domD[rel.domaines[q]];
                m.nbCols = dq.size;
                const size_t g = 2 * static_cast<size_t>(c.nbRel) + static_cast<size_t>(p);
                // The relation's matrix, when the relations block left it for its first use.
                if (!cellules[g - p]) cellules[g - p] = matriceDesTuples(net, rel, index);
                if (!cellules[g]) {
                    // The transposed matrix of the relation, built at its first use.
                    const std::vector<std::uint8_t>& droit = *cellules[g - 1];
                    auto gabarit = std::make_shared<std::vector<std::uint8_t>>(droit.size());
                    for (int a = 0; a < dp.size; ++a)
                        for (int b = 0; b < dq.size; ++b)
                            (*gabarit)[static_cast<size_t>(a) * dq.size + b] = droit[static_cast<size_t>(b) * dp.size + a];
                    cellules[g] = std::move(gabarit);
                }
                m.rel = cellules[g];
                m.typeRel = rel.typeRel;
                m.dom1 = rel.domaines[p];
                m.dom2 = rel.domaines[q];
                m.var1 = u;
                m.var2 = v;
                if (y != -1) {
                    intersection(&net.relDef[y], &net.relDef[s], net);
                    origine[y] = -1;
                    continue;
                }
                origine.push_back(static_cast<long>(g));
                VOISIN &gu = net.graphe[u], &gv = net.graphe[v];
                gu.arcs.push_back(ARC{s, gv.degre, gu.degre, 0, 0});
                gv.arcs.push_back(ARC{s, gu.degre, gv.degre, 0, 0});
                gu.tab_voisins.push_back(static_cast<Ushort>(v));
                ++gu.degre;
                gu.weight.push_back(1);
                gv.tab_voisins.push_back(static_cast<Ushort>(u));
                ++gv.degre;
                gv.weight.push_back(1);
                ++compteur;
                net.relDef.emplace_back();
            }
    }
    net.nb_rel = static_cast<Ushort>(compteur);
    // A pair of two domains of at most BLOC values has blocks only: those
    // of its relation's matrix when it uses it as it is (the relation's
    // ends swapped when its rows are the relation's second position).
    // Otherwise pairs with the same untouched origin have the same rows or
    // blocks: built once, by the first of them (its source is itself), the
    // arenas sized first.  Each pair with rows has residues of its own, at
    // first those of its source.
    std::vector<int> modele(2 * R, -1), source(compteur);
    std::vector<std::uint32_t> deRelation(compteur, PAS_DE_BLOC);  // per pair: its relation's blocks, if it takes them
    size_t mots = 0, valeurs = 0, blocsNeufs = 0;
    auto aDesBlocs = [&](const REL& m) { return net.domD[m.dom1].size <= BLOC && m.nbCols <= BLOC; };
    for (int r = 0; r < compteur; ++r) {
        const long o = origine[r];
        const size_t n0 = net.domD[net.relDef[r].dom1].size, n1 = static_cast<size_t>(net.relDef[r].nbCols);
        const bool blocs = aDesBlocs(net.relDef[r]);
        if (blocs && o >= 0 && blocsRelation[o >> 1] != PAS_DE_BLOC) {
            deRelation[r] = blocsRelation[o >> 1];
            continue;
        }
        source[r] = o >= 0 && modele[o] >= 0 ? modele[o] : r;
        if (source[r] == r && o >= 0) modele[o] = r;
        if (blocs) {
            blocsNeufs += source[r] == r;
            continue;
        }
        valeurs += n0 + n1;
        if (source[r] == r) mots += n0 * ((n1 + 63) / 64) + n1 * ((n0 + 63) / 64);
    }
    if (valeurs > UINT32_MAX) memError();  // residues addressed by 32-bit offsets
    net.lignes.reserve(net.lignes.size() + mots);
    net.residus.reserve(net.residus.size() + valeurs);
    net.blocs.reserve(net.blocs.size() + 2 * BLOC * blocsNeufs);
    // The cells were written by the relations block, long out of the
    // caches: those of the pairs a few places ahead are fetched meanwhile
    // (their vector's header first, then the start of the cells).
    constexpr int AVANCE = 8;
    for (int r = 0; r < compteur; ++r) {
        REL& m = net.relDef[r];
        if (deRelation[r] != PAS_DE_BLOC) {
            // The pair's end p is the relation's first position.
            const long p = origine[r] & 1;
            m.bloc[p] = deRelation[r];
            m.bloc[1 - p] = deRelation[r] + BLOC;
            continue;
        }
        if (r + 2 * AVANCE < compteur && deRelation[r + 2 * AVANCE] == PAS_DE_BLOC)
            __builtin_prefetch(net.relDef[r + 2 * AVANCE].rel.get());
        if (r + AVANCE < compteur && deRelation[r + AVANCE] == PAS_DE_BLOC) {
            const std::vector<std::uint8_t>& c = *net.relDef[r + AVANCE].rel;
            for (size_t o = 0; o < c.size() && o < 128; o += 64) __builtin_prefetch(c.data() + o);
        }
        const bool blocs = aDesBlocs(m);
        if (source[r] == r) {
            if (blocs) preparerBlocs(m, net.domD[m.dom1].size, net.blocs);
            else preparerSupports(m, net.domD[m.dom1].size, net.lignes, net.residus);
            continue;
        }
        const REL& t = net.relDef[source[r]];
        const int n[2] = {net.domD[m.dom1].size, m.nbCols};
        for (int e = 0; e < 2; ++e) {
            m.bloc[e] = t.bloc[e];
            if (blocs) continue;
            m.mots[e] = t.mots[e];
            m.lignes[e] = t.lignes[e];
            m.residus[e] = static_cast<std::uint32_t>(net.residus.size());
            net.residus.resize(net.residus.size() + n[e]);
            std::copy_n(net.residus.begin() + t.residus[e], n[e], net.residus.begin() + m.residus[e]);
        }
    }
    // Each arc leads to its variable's rows in its pair, and to the
    // neighbour's block; each variable notes whether its arcs are all of
    // one kind (the degree upkeep permutes them, never changes them).
    for (int u = 0; u < net.nb_var; ++u) {
        VOISIN& g = net.graphe[u];
        for (ARC& a : g.arcs) {
            const REL& m = net.relDef[a.paire];
            const int e = u == m.var1 ? 0 : 1;
            a.lignes = m.lignes[e];
            a.mots = static_cast<Ushort>(m.mots[e]);
            a.bloc = m.bloc[1 - e];
        }
        auto genre = [](const ARC& a) -> Ushort {
            if (a.bloc != PAS_DE_BLOC) return TOUS_BLOCS;
            return a.mots <= BitsDomaine::LOCAUX ? a.mots : 0;
        };
        g.memesArcs = g.arcs.empty() ? 0 : genre(g.arcs[0]);
        for (const ARC& a : g.arcs)
            if (genre(a) != g.memesArcs) g.memesArcs = 0;
    }
}

}  // namespace

bool verifier(const int* t, Ushort numT, const std::vector<TUPLES>& tt, const Network& net) {
    const int a = net.tabTuples[numT].arity;
    const TUPLES& liste = tt[numT];
    for (int k = 0; k < liste.nb_tuples; ++k) {
        const int* u = liste.tuples.data() + static_cast<size_t>(k) * a;
        int j = 0;
        while (j < a && u[j] == t[j]) ++j;
        if (j == a) return true;
    }
    return false;
}

void ajouter(Ushort numT, int* t, int pos, const std::vector<TUPLES>& tt, Network& net) {
    TUPLES& rel = net.tabTuples[numT];
    if (pos < rel.arity) {
        for (int v : net.domD[rel.domaines[pos]].val) {
            t[pos] = v;
            ajouter(numT, t, pos + 1, tt, net);
        }
        return;
    }
    if (!verifier(t, numT, tt, net)) {
        rel.tuples.insert(rel.tuples.end(), t, t + rel.arity);
        ++rel.nb_tuples;
    }
}

void copier(const TUPLES* t, int num, Network& net) {
    TUPLES& cible = net.tabTuples[num];
    for (size_t k = 0; k < cible.nb_tuples; ++k)
        for (size_t j = 0; j < cible.arity; ++j) cible.tuples[k * cible.arity + j] = t->tuples[k * cible.arity + j];
}

void intersection(REL* rel1, const REL* rel2, const Network& net) {
    const int lignes = net.domD[rel1->dom1].size, colonnes = net.domD[rel1->dom2].size;
    // rel1's cells may be shared: the result is a copy of its own.
    auto cellules = std::make_shared<std::vector<std::uint8_t>>(rel1->cellules());
    for (int a = 0; a < lignes; ++a)
        for (int b = 0; b < colonnes; ++b) {
            std::uint8_t& c = (*cellules)[static_cast<size_t>(a) * rel1->nbCols + b];
            if (c != rel2->at(a, b)) c = 0;
        }
    rel1->rel = std::move(cellules);
}

void indexerContrainteNaire(Network& net, int i) {
    CONSTRAINTS& c = net.ctr[i];
    for (Ushort v : c.variables) {
        VARCTR& vc = net.vars[v];
        vc.tabCtr.push_back(static_cast<Ushort>(i));
        ++vc.nbCtr;
    }
    const DOMAINE& f = net.realDom[c.variables[0]];
    c.tabInd.assign(f.nbval, -1);
    const TUPLES& rel = net.tabTuples[c.nbRel];
    for (int t = 0; t < rel.nb_tuples; ++t) {
        int premier = rel.tuple(t)[0];
        if (t > 0 && rel.tuple(t - 1)[0] == premier) continue;
        auto it = std::find(f.tab_val.begin(), f.tab_val.end(), premier);
        if (it != f.tab_val.end()) c.tabInd[it - f.tab_val.begin()] = t;
    }
}

// The reader on a text followed by a '\0'.
static void analyser(std::string_view texte, const std::string& nom, Network& net) {
    net = Network{};
    Lecteur in{texte, 0, nom};
    in.bloc = "header";
    in.word("the instance name");
    lireDomaines(in, net);
    std::vector<IndexValeurs> index;
    index.reserve(net.nb_dom);
    for (const DOMAIN& d : net.domD) index.push_back(indexer(d));
    lireVariables(in, net);
    // Per relation r, its matrix at cellules[2 * r] (or nothing yet, for a
    // list of allowed tuples left to its first use), and room for the
    // transposed one at 2 * r + 1.
    std::vector<std::shared_ptr<std::vector<std::uint8_t>>> cellules;
    std::vector<std::uint32_t> blocsRelation;  // per relation: its matrix's blocks, if any
    lireRelations(in, net, cellules, blocsRelation, index);
    lireContraintes(in, net);
    construireMatrices(net, cellules, blocsRelation, index);
}

void parseCSP(const std::string& texte, const std::string& nom, Network& net) { analyser(texte, nom, net); }

namespace {

// A whole file in memory, with a '\0' after it: mapped with its pages when
// its size leaves room for the '\0' in its last page (most sizes), else
// read by read(2) into pages taken from the system in one call.  Either way
// nothing is cleared or copied twice.
class Contenu {
public:
    ~Contenu() { rendrePages(pages_); }
    // False when the file can't be read this way (the caller falls back to
    // lireFichier).
    bool charger(const char* nom) {
        const int fd = open(nom, O_RDONLY | O_CLOEXEC);
        if (fd < 0) return false;
        struct stat st {};
        bool ok = fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0;
        if (ok) {
            taille_ = static_cast<size_t>(st.st_size) + 1;
            garde_.emplace(nom);
            pages_ = projeterFichier(fd, taille_ - 1);
            if (pages_.debut) {
                close(fd);
                return true;
            }
            garde_.reset();
            pages_ = prendrePages(taille_);
            ok = pages_.debut != nullptr;
        }
        size_t lus = 0;
        while (ok && lus < taille_ - 1) {
            const ssize_t n = read(fd, pages_.debut + lus, taille_ - 1 - lus);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            lus += static_cast<size_t>(n);
        }
        // A file that changed size meanwhile goes the other way.
        char reste;
        ok = ok && lus == taille_ - 1 && read(fd, &reste, 1) == 0;
        close(fd);
        return ok;
    }
    std::string_view texte() const { return {pages_.debut, taille_ - 1}; }

private:
    std::optional<GardeProjection> garde_;  // while the file is mapped: it may be cut short under us
    Pages pages_;
    size_t taille_ = 0;
};

}  // namespace

// A name whose part from its last "." is exactly ".xml".
static bool nomXML(const std::string& nom) {
    size_t point = nom.rfind('.');
    return point != std::string::npos && nom.compare(point, std::string::npos, ".xml") == 0;
}

bool lireFichier(const char* nom, std::string& texte) {
    std::FILE* f = std::fopen(nom, "rb");
    if (!f) return false;
    // One read of the size a regular file has now, then whatever follows (a
    // file that grows meanwhile, or one whose size can't be told).  What
    // fseek and ftell say of anything else (a directory: LONG_MAX) is no size.
    struct stat st {};
    const bool reguliere = fstat(fileno(f), &st) == 0 && S_ISREG(st.st_mode);
    if (reguliere && std::fseek(f, 0, SEEK_END) == 0) {
        const long taille = std::ftell(f);
        std::rewind(f);
        if (taille > 0) {
            const size_t debut = texte.size();
            texte.resize(debut + static_cast<size_t>(taille));
            texte.resize(debut + std::fread(texte.data() + debut, 1, static_cast<size_t>(taille), f));
        }
    } else {
        std::clearerr(f);
    }
    char buf[1 << 16];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) texte.append(buf, n);
    const bool lu = !std::ferror(f);  // a directory fails here (EISDIR)
    std::fclose(f);
    return lu;
}

bool writeCSP(const char* nomFic, const Network& net) {
    std::FILE* f = std::fopen(nomFic, "w");
    if (!f) {
        std::fputs("le fichier n'existe pas, le CSP n'a pas pu \xC3\xAAtre sauvegard\xC3\xA9.\n", stderr);
        return false;
    }
    std::fputs("?\n", f);
    std::fprintf(f, "%d\n", net.nb_dom);
    for (int d = 0; d < net.nb_dom; ++d) {
        std::fprintf(f, "%d %d", d, net.domD[d].size);
        for (int v : net.domD[d].val) std::fprintf(f, " %d", v);
        std::fputc('\n', f);
    }
    std::fprintf(f, "%d\n", net.nb_var);
    for (int i = 0; i < net.nb_var; ++i) std::fprintf(f, "%d %d\n", i, net.realDom[i].dom);
    std::fprintf(f, "%d\n", net.nb_rel);
    for (int r = 0; r < net.nb_rel; ++r) {
        const REL& m = net.relDef[r];
        const DOMAIN &d1 = net.domD[m.dom1], &d2 = net.domD[m.dom2];
        long c = std::count(m.cellules().begin(), m.cellules().end(), 1);
        std::fprintf(f, "%d %d 2 %d %d %ld", r, 1, m.dom1, m.dom2, c);
        for (int a = 0; a < d1.size; ++a)
            for (int b = 0; b < d2.size; ++b)
                if (m.at(a, b)) std::fprintf(f, " %d %d", d1.val[a], d2.val[b]);
        std::fputc('\n', f);
    }
    const int paires = net.nb_rel;
    std::fprintf(f, "%d\n", paires);
    for (int k = 0; k < paires; ++k) std::fprintf(f, "2 %d %d %d\n", net.relDef[k].var1, net.relDef[k].var2, k);
    const bool ecrit = !std::ferror(f);
    return (std::fclose(f) == 0) && ecrit;
}

void readCSP(const char* nom, Network& net) {
    std::FILE* f = std::fopen(nom, "r");
    if (!f) {
        std::printf("File *%s* does not exist\n", nom);
        std::exit(1);
    }
    std::fclose(f);
    std::string lu = nom;
    if (nomXML(lu)) {
        convertirXML(nom);
        lu = FICHIER_CONVERTI;
    }
    Contenu contenu;
    std::string texte;
    const bool charge = contenu.charger(lu.c_str());
    if (!charge && !lireFichier(lu.c_str(), texte)) {
        std::printf("File *%s* does not exist\n", lu.c_str());
        std::exit(1);
    }
    try {
        analyser(charge ? contenu.texte() : std::string_view(texte), lu, net);
    } catch (const NaryRelation& e) {
        std::fputs(e.what(), stderr);
        std::exit(255);
    } catch (const FormatError& e) {
        std::fprintf(stderr, "%s\n", e.what());
        std::exit(255);
    }
}
