// Buffered raw files over POSIX descriptors, one byte at a time.
//
// Each open file has one fixed 1024-byte buffer.  A read-mode file is refilled
// with one read() per buffer; a write-mode file is written out lazily, when a
// byte arrives at a full buffer or when the file is closed.  Misuse (reading a
// file opened for writing, writing a file opened for reading, using a record
// whose descriptor is not open) prints a short French message and does
// nothing: no operation fails or returns an error code.  A write-mode file
// remembers, in `echec`, that some of its bytes could not be written.
#pragma once

#include <memory>
#include <string>

constexpr int TAILLE_TAMPON = 1024;

// One open file (record `fichier`).
struct fic {
    std::string nomFic;         // the name given to openFile; cleared by closeFile
    int fd = -1;                // descriptor; -1 when no file is open
    char tabCar[TAILLE_TAMPON]; // the buffer
    int nbCar = 0;              // read mode: bytes brought by the last refill (0 at end of file, -1 on failure)
    int pos = 0;                // read mode: next byte to hand out; write mode: bytes waiting
    int mode = 0;               // 0 = reading, 1 = writing
    bool fin = false;           // read mode: lireCar had no byte left to hand out
    bool echec = false;         // write mode: a write or the close failed, so bytes were lost
};

// Opens `nomFic` for reading (mode 0, the buffer is filled at once) or for
// writing (mode 1: created with permissions 0600 or emptied).  A failed open
// is not reported here: the record comes back with fd = -1.
std::unique_ptr<fic> openFile(const std::string& nomFic, int mode);

// Refills the buffer of a read-mode file.
void readFile(fic* strFic);

// Writes out the waiting bytes of a write-mode file.
void writeFile(fic* strFic);

// The next byte of a read-mode file, as a signed char.  At the end of the
// input, after a failed read, or on a record that cannot be read, it returns
// 0 and sets `fin`.
signed char lireCar(fic* strFic);

// Appends one byte to a write-mode file.
void ecrireCar(fic* strFic, char c);

// Appends every byte of `chaine`.
void ecrire(fic* strFic, const std::string& chaine);

// Ends a write-mode file that received bytes with one more line feed, writes
// it out, and closes the descriptor.  The record stays valid with fd = -1.
void closeFile(fic* strFic);
