// Memory taken from the system with its pages mapped in bulk: anonymous
// memory, and the text of a file.
//
// On a virtual machine a page touched for the first time costs a fault of
// a few microseconds; mapped in bulk, the pages cost a small part of that.
#pragma once

#include <signal.h>

#include <cstddef>
#include <string>

struct Pages {
    char* debut = nullptr;    // the first byte, nullptr when the mapping failed
    std::size_t taille = 0;   // the length of the mapping
};

// `n` bytes, zero-filled, with their pages mapped.
Pages prendrePages(std::size_t n);

// `n` bytes, zero-filled, whose pages are mapped by peuplerPages, or else
// one fault at a time at first use.
Pages reserverPages(std::size_t n);

// Maps at once the pages of [debut, debut + n), a range of memory from
// reserverPages.  False when the system could not (a kernel before 5.14,
// or memory short): the pages then fault in at first use.
bool peuplerPages(char* debut, std::size_t n);

// Gives back the memory of `p`.
void rendrePages(const Pages& p);

// The n bytes of the regular file open as `fd`, mapped read-only with their
// pages, followed by a '\0': the pages are those the system keeps of the
// file, neither cleared nor copied, except the last one, made a private copy
// so that the '\0' stays whatever happens to the file.  Empty when n is 0 or
// a multiple of the page size (no room for the '\0'), or when the system
// could not.  Given back by rendrePages.
Pages projeterFichier(int fd, std::size_t n);

// While it lives, a page of a mapped file that can no longer be read (the
// file was cut short meanwhile, or the device failed) ends the process with
// status 255 and one line on stderr, `nom` and what happened, instead of the
// crash of SIGBUS.  One at a time.
class GardeProjection {
public:
    explicit GardeProjection(const std::string& nom);
    ~GardeProjection();
    GardeProjection(const GardeProjection&) = delete;
    GardeProjection& operator=(const GardeProjection&) = delete;

private:
    struct sigaction avant_ {};  // the action it replaced
};
