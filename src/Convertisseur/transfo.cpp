#include "Convertisseur/transfo.h"

#include <charconv>
#include <cstdio>
#include <cstdlib>

#include "Convertisseur/io.h"
#include "Convertisseur/tools.h"

namespace {

// The files of the conversion that runs: one at a time.
fic* f_in = nullptr;
fic* f_out = nullptr;
bool finSignalee = false;  // the end of the input has been reported
bool arretee = false;      // an element was found that would be misread: the conversion stops
int posContrainte = 0;     // place of the constraint being converted, for the messages

void message(const std::string& texte) { std::printf("%s\n", texte.c_str()); }

// A required attribute is absent: the element gets no line.
void champAbsent(const char* champ, const char* element, int pos) {
    message(std::string("erreur de format de fichier. Le champs ") + champ + " n'existe pas (" + element + " " +
            std::to_string(pos) + ").");
}

// Reads the next tag into its attribute list.  A tag that the end of the
// input cuts off is dropped, the end is reported once, and the answer is
// false: the conversion stops there with the lines written so far.
bool lireElement(ListeAttributs& att) {
    std::string balise = lireBalise(f_in);
    if (f_in->fin) {
        if (!finSignalee) message("erreur dans le fichier. Fin du fichier avant la fin du bloc constraints");
        finSignalee = true;
        return false;
    }
    att = chercheAtt(balise);
    return true;
}

// The words of a converted list, separated by blanks as the instance reader
// separates its tokens.
int nbMots(const std::string& texte) {
    int n = 0;
    bool dansMot = false;
    for (const char c : texte) {
        const bool blanc = c == ' ' || static_cast<unsigned char>(c - '\t') <= 4;
        n += !blanc && !dansMot;
        dansMot = !blanc;
    }
    return n;
}

// A list whose number of values is not the count written before it would
// have the reader take the next record's numbers as values, or values as the
// next record: the instance read would silently differ from the XML file's
// (a value list broken over two lines keeps only its first line).  The
// element gets no line and the conversion stops, so that the reader fails.
// `compte` is the count as written (times `facteur`, the arity of a tuple);
// `annonce` says what it promised, e.g. "Domaine 0 : 4 valeurs annoncées".
// A count that the reader would refuse (not a number, negative, too large)
// is left to it; one that is not a single word shifts the record as well.
bool compteJuste(const std::string& liste, const std::string& compte, long facteur, const std::string& annonce) {
    long long attendus = -1;
    if (nbMots(compte) == 1) {
        const size_t debut = compte.find_first_not_of(" \t\n\v\f\r");
        const size_t fin = compte.find_last_not_of(" \t\n\v\f\r") + 1;
        const char* p = compte.data() + debut + (compte[debut] == '+');
        const auto [arret, ec] = std::from_chars(p, compte.data() + fin, attendus);
        if (ec != std::errc() || arret != compte.data() + fin || attendus < 0 || attendus > 65535) return true;
    }
    const int trouves = nbMots(liste);
    if (attendus >= 0 && trouves == attendus * facteur) return true;
    message("erreur dans le fichier. " + annonce + ", " + std::to_string(trouves) + " dans la liste.");
    arretee = true;
    return false;
}

// Prefix test of the element name.
bool nomCommence(const ListeAttributs& att, const char* nom) { return !att.empty() && att[0].starts_with(nom); }

// The quoted value of the first attribute whose name begins with `nom`.
bool valeur(ListeAttributs& att, const char* nom, std::string& v) {
    int i = indexAttribut(att, nom);
    if (i < 0) return false;
    v = extraireChaine(att[i]);
    return true;
}

// The instance name is one word of the text format: every blank becomes '_',
// and an empty name is written as the unnamed "?".
std::string nomInstance(std::string nom) {
    for (char& c : nom)
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v') c = '_';
    return nom.empty() ? "?" : nom;
}

// What distinguishes the four counted blocks.
struct Bloc {
    const char* ouverture;      // expected opening name, e.g. "domains"
    const char* fermeture;      // expected closing name, e.g. "/domains"
    bool continueSansOuverture; // a wrong opening name is reported, and the tag used all the same
    void (*element)(int pos);
};

void contrainte(int pos) {
    posContrainte = pos;
    transfoConstraint();
}

const Bloc DOMAINS{"domains", "/domains", true, transfoDomain};
const Bloc VARIABLES{"variables", "/variables", false, transfoVariable};
const Bloc RELATIONS{"relations", "/relations", false, transfoRelation};
const Bloc CONSTRAINTS{"constraints", "/constraints", false, contrainte};

// Opening tag, count line, the elements, closing tag.  False when the
// conversion stops in this block, so that the later blocks are not run.
bool convertirBloc(const Bloc& b) {
    ListeAttributs att;
    if (!lireElement(att)) return false;
    if (!nomCommence(att, b.ouverture)) {
        message(std::string("erreur dans le fichier. Absence du bloc ") + b.ouverture);
        if (!b.continueSansOuverture) return false;
    }
    int compte = 0;
    if (att.size() < 2) {
        message(std::string("erreur de format de fichier. Le nombre d'\xC3\xA9l\xC3\xA9ments du bloc ") + b.ouverture +
                " n'existe pas.");
    } else {
        std::string texte = extraireChaine(att[1]);
        ecrire(f_out, texte + "\n");
        compte = charToInt(texte);
    }
    for (int pos = 0; pos < compte; ++pos) {
        b.element(pos);
        if (f_in->fin || arretee) return false;
    }
    if (!lireElement(att)) return false;
    if (!nomCommence(att, b.fermeture))
        message(std::string("erreur dans le fichier. Absence de fin du bloc ") + b.ouverture);
    return true;
}

}  // namespace

bool transfoXML(const std::string& nameFileIn, const std::string& nameFileOut) {
    std::unique_ptr<fic> in = openFile(nameFileIn, 0);
    std::unique_ptr<fic> out = openFile(nameFileOut, 1);
    const bool ouverte = out->fd != -1;
    f_in = in.get();
    f_out = out.get();
    finSignalee = false;
    arretee = false;
    lireBalise(f_in);  // the XML declaration
    std::string balise = lireBalise(f_in);
    if (f_in->fin || balise != "instance") {
        message("erreur pb dans fichier");
        // Nothing was written; the descriptors are released without a word.
        if (f_in->fd != -1) closeFile(f_in);
        if (f_out->fd != -1) closeFile(f_out);
    } else {
        transfoPresentation();
        closeFile(f_in);
        closeFile(f_out);
    }
    f_in = f_out = nullptr;
    return ouverte && !out->echec;
}

void convertirXML(const char* nom) {
    transfoXML(nom, FICHIER_CONVERTI);
    std::FILE* f = std::fopen(FICHIER_CONVERTI, "r");
    if (!f) {
        std::printf("File *%s* does not exist\n", nom);
        std::exit(1);
    }
    std::fclose(f);
}

void transfoPresentation() {
    ListeAttributs att;
    if (!lireElement(att)) return;
    if (!nomCommence(att, "presentation")) message("erreur dans le fichier. Absence du bloc presentation");
    std::string nom;
    ecrire(f_out, (valeur(att, "name", nom) ? nomInstance(nom) : "?") + "\n");
    transfoDomains();
}

void transfoDomains() {
    if (convertirBloc(DOMAINS)) transfoVariables();
}

void transfoVariables() {
    if (convertirBloc(VARIABLES)) transfoRelations();
}

void transfoRelations() {
    if (convertirBloc(RELATIONS)) transfoConstraints();
}

void transfoConstraints() { convertirBloc(CONSTRAINTS); }

void transfoDomain(int pos) {
    ListeAttributs att;
    if (!lireElement(att)) return;
    if (!nomCommence(att, "domain"))
        message("erreur dans le fichier. Absence d'un bloc domain. Nombre de domaine d\xC3\xA9" "clare incorrect");
    if (indexAttribut(att, "nbValues") < 0)
        return message("erreur de format de fichier. Le champs nbValues n'existe pas.");
    if (indexAttribut(att, "values") < 0)
        return message("erreur de format de fichier. Le champs values n'existe pas.");
    std::string nbValues, values;
    valeur(att, "nbValues", nbValues);
    valeur(att, "values", values);
    const std::string liste = intervalToList(values);
    if (!compteJuste(liste, nbValues, 1,
                     "Domaine " + std::to_string(pos) + " : " + nbValues + " valeurs annonc\xC3\xA9" "es"))
        return;
    ecrire(f_out, intToChar(pos) + " " + nbValues + " " + liste + "\n");
}

void transfoVariable(int pos) {
    ListeAttributs att;
    if (!lireElement(att)) return;
    if (!nomCommence(att, "variable")) return message("erreur dans le fichier. Absence du bloc variable");
    std::string domaine;
    if (!valeur(att, "domain", domaine)) return champAbsent("domain", "variable", pos);
    ecrire(f_out, intToChar(pos) + " " + extractNumber(domaine) + "\n");
}

void transfoRelation(int pos) {
    ListeAttributs att;
    if (!lireElement(att)) return;
    if (!nomCommence(att, "relation")) return message("erreur dans le fichier. Absence du bloc relation");
    std::string domaines, nombre, tuples;
    if (!valeur(att, "domain", domaines)) return champAbsent("domain", "relation", pos);
    const bool supports = indexAttribut(att, "nbSupports") >= 0;
    if (!valeur(att, supports ? "nbSupports" : "nbConflicts", nombre))
        return champAbsent("nbConflicts", "relation", pos);
    if (!valeur(att, "supports", tuples) && !valeur(att, "conflicts", tuples))
        return champAbsent("conflicts", "relation", pos);
    int arite = 0;
    std::string numeros = extraireNumElt(domaines, &arite);
    const std::string liste = extractTuples(tuples);
    if (!compteJuste(liste, nombre, arite,
                     "Relation " + std::to_string(pos) + " : " + nombre + " tuples de " + std::to_string(arite) +
                         " valeurs annonc\xC3\xA9" "s"))
        return;
    ecrire(f_out, intToChar(pos) + " " + (supports ? "1" : "0") + " " + intToChar(arite) + " " + numeros + " " + nombre +
                      " " + liste + "\n");
}

void transfoConstraint() {
    ListeAttributs att;
    if (!lireElement(att)) return;
    std::string portee, relation;
    if (!valeur(att, "scope", portee)) return champAbsent("scope", "constraint", posContrainte);
    if (!valeur(att, "relation", relation)) return champAbsent("relation", "constraint", posContrainte);
    int arite = 0, un = 0;
    std::string variables = extraireNumElt(portee, &arite);
    ecrire(f_out, intToChar(arite) + " " + variables + " " + extraireNumElt(relation, &un) + "\n");
}

std::string extraireNumElt(const std::string& chaine, int* arite) {
    ListeAttributs mots = chercheAtt(chaine);
    std::string numeros;
    for (const std::string& mot : mots) concat(numeros, extractNumber(mot) + " ");
    *arite = static_cast<int>(mots.size());
    return numeros;
}

std::string extractTuples(const std::string& chaine) {
    std::string pieces;
    size_t debut = chaine.find_first_not_of("(,)");
    while (debut != std::string::npos) {
        size_t fin = chaine.find_first_of("(,)", debut);
        concat(pieces, chaine.substr(debut, fin == std::string::npos ? std::string::npos : fin - debut) + " ");
        debut = fin == std::string::npos ? fin : chaine.find_first_not_of("(,)", fin);
    }
    return pieces;
}
