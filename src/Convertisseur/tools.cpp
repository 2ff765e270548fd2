#include "Convertisseur/tools.h"

#include <cstdint>
#include <cstdio>

std::string lireBalise(fic* f_in) {
    std::string balise;
    char c;
    do {
        c = static_cast<char>(lireCar(f_in));
        if (f_in->fin) return balise;
    } while (c != '<');
    bool dansGuill = false;
    for (;;) {
        c = static_cast<char>(lireCar(f_in));
        if (f_in->fin) return balise;
        if (c == '>' && !dansGuill) break;
        if (c == '"') dansGuill = !dansGuill;
        balise += c;
    }
    if (!balise.empty() && balise.back() == '/') balise.pop_back();
    return balise;
}

ListeAttributs chercheAtt(const std::string& chaine) {
    ListeAttributs liste;
    std::string entree;
    bool guill = false;
    auto terminer = [&] {
        if (!entree.empty()) liste.push_back(entree);
        entree.clear();
    };
    for (char c : chaine) {
        if (c == '\n' || (c == ' ' && !guill)) {
            terminer();
            continue;
        }
        if (c == '"') guill = !guill;
        entree += c;
    }
    terminer();
    return liste;
}

int indexAttribut(ListeAttributs& tabAtt, const std::string& attribut) {
    for (size_t i = 0; i < tabAtt.size(); ++i) {
        std::string& entree = tabAtt[i];
        entree.erase(0, entree.find_first_not_of(' '));
        if (entree.starts_with(attribut)) return static_cast<int>(i);
    }
    return -1;
}

std::string extraireChaine(const std::string& chaine) {
    size_t debut = chaine.find('"');
    if (debut == std::string::npos) {
        std::printf("erreur manque chaine de caractere");
        return {};
    }
    ++debut;
    size_t fin = chaine.find('"', debut);
    return chaine.substr(debut, fin == std::string::npos ? std::string::npos : fin - debut);
}

// One more decimal digit of value (code - 48), wrapping like 32-bit int.
static std::uint32_t ajouterChiffre(std::uint32_t valeur, char c) {
    return valeur * 10u + static_cast<std::uint32_t>(static_cast<int>(c) - 48);
}

int charToInt(const std::string& chaine) {
    std::uint32_t valeur = 0;
    for (char c : chaine) valeur = ajouterChiffre(valeur, c);
    return static_cast<int>(valeur);
}

std::string intToChar(int entier) {
    if (entier <= 9) return std::string(1, static_cast<char>(48 + entier));
    std::string chiffres;
    for (; entier > 0; entier /= 10) chiffres += static_cast<char>('0' + entier % 10);
    return {chiffres.rbegin(), chiffres.rend()};
}

std::string& concat(std::string& dest, const std::string& src) { return dest += src; }

std::string extractNumber(const std::string& chaine) {
    size_t chiffre = chaine.find_first_of("0123456789");
    return chiffre == std::string::npos ? std::string() : chaine.substr(chiffre);
}

namespace {

// State of intervalToList: the number being read and the range it ends.
struct Intervalle {
    std::uint32_t valC = 0;
    std::uint32_t valDep = 0;
    bool intervalle = false;
    int nbPt = 0;
    long emis = 0;  // values written so far
};

// No domain the reader accepts has more than 65535 values, so a list stops
// at 65536: a range of billions makes a domain the reader refuses, not a
// conversion that never ends.
constexpr long MAX_VALEURS = 65536;

void emettre(Intervalle& e, std::string& liste) {
    const int valC = static_cast<int>(e.valC);
    if (!e.intervalle) {
        if (e.emis++ < MAX_VALEURS) concat(liste, intToChar(valC) + " ");
        return;
    }
    for (long long v = static_cast<int>(e.valDep); v <= valC && e.emis < MAX_VALEURS; ++v, ++e.emis)
        concat(liste, intToChar(static_cast<int>(v)) + " ");
}

}  // namespace

std::string intervalToList(const std::string& valeurs) {
    Intervalle e;
    std::string liste;
    for (char c : valeurs) {
        if (e.nbPt == 2) {
            e.valDep = e.valC;
            e.valC = 0;
            e.intervalle = true;
            e.nbPt = 0;
        }
        if (c == '.') {
            ++e.nbPt;
        } else if (c == ' ') {
            emettre(e, liste);
            e.valC = 0;
            e.valDep = 0;
            e.intervalle = false;
        } else {
            e.valC = ajouterChiffre(e.valC, c);
        }
    }
    emettre(e, liste);
    return liste;
}
