// Anonymous memory taken from the system with its pages mapped in bulk.
//
// On a virtual machine a page touched for the first time costs a fault of
// a few microseconds; mapped in bulk, the pages cost a small part of that.
#pragma once

#include <cstddef>

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
