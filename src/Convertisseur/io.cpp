#include "Convertisseur/io.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

static void message(const char* texte) { std::printf("%s\n", texte); }

std::unique_ptr<fic> openFile(const std::string& nomFic, int mode) {
    auto f = std::make_unique<fic>();
    if (mode == 0)
        f->fd = open(nomFic.c_str(), O_RDONLY);
    else
        f->fd = open(nomFic.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    f->mode = mode;
    f->nomFic = nomFic;
    f->nbCar = 0;
    f->pos = 0;
    if (mode == 0) readFile(f.get());
    return f;
}

void readFile(fic* strFic) {
    if (strFic->mode != 0) return message("fichier ouvert en ecriture.");
    if (strFic->fd == -1) return message("aucun fichier n'est ouvert.");
    strFic->nbCar = static_cast<int>(read(strFic->fd, strFic->tabCar, TAILLE_TAMPON));
    strFic->pos = 0;
}

void writeFile(fic* strFic) {
    if (strFic->mode != 1) return message("fichier ouvert en lecture.");
    if (strFic->fd == -1) return message("aucun fichier n'est ouvert.");
    // A write cut short goes on with the rest; a failed one loses the bytes,
    // which only `echec` tells.
    const char* octets = strFic->tabCar;
    size_t reste = static_cast<size_t>(strFic->pos);
    while (reste > 0) {
        const ssize_t ecrits = write(strFic->fd, octets, reste);
        if (ecrits < 0 && errno == EINTR) continue;
        if (ecrits <= 0) {
            strFic->echec = true;
            break;
        }
        octets += ecrits;
        reste -= static_cast<size_t>(ecrits);
    }
    strFic->pos = 0;
}

signed char lireCar(fic* strFic) {
    if (strFic->mode != 0) {
        message("fichier ouvert en \xC3\xA9" "criture.");
        strFic->fin = true;
        return 0;
    }
    if (strFic->pos == strFic->nbCar) readFile(strFic);
    if (strFic->nbCar >= 0 && strFic->pos < strFic->nbCar) return static_cast<signed char>(strFic->tabCar[strFic->pos++]);
    // End of file, failed read (nbCar stays -1, so every later call lands
    // here), or no descriptor: nothing beyond the valid bytes is handed out.
    strFic->fin = true;
    return 0;
}

void ecrireCar(fic* strFic, char c) {
    if (strFic->mode != 1) return message("fichier ouvert en lecture.");
    if (strFic->pos == TAILLE_TAMPON) writeFile(strFic);
    if (strFic->pos == TAILLE_TAMPON) return;  // no descriptor to write to: the byte is dropped
    strFic->tabCar[strFic->pos++] = c;
}

void ecrire(fic* strFic, const std::string& chaine) {
    for (char c : chaine) {
        if (c == '\0') break;  // the string ends at its first NUL, as a C string would
        ecrireCar(strFic, c);
    }
}

void closeFile(fic* strFic) {
    if (strFic->fd == -1) return message("aucun fichier ouvert.");
    if (strFic->mode == 1 && strFic->pos > 0) {
        ecrireCar(strFic, '\n');
        writeFile(strFic);
    }
    if (close(strFic->fd) != 0 && strFic->mode == 1) strFic->echec = true;
    strFic->nomFic.clear();
    strFic->fd = -1;
}
