// Anonymous memory taken from the system with its pages mapped at once.
//
// On a virtual machine a page touched for the first time costs a fault of
// a few microseconds; mapped with the memory, the pages cost a small part
// of that, and in huge pages (2 MB, one fault each) smaller still.
#pragma once

#include <cstddef>

struct Pages {
    char* debut = nullptr;    // the first usable byte, nullptr when the mapping failed
    void* brut = nullptr;     // the mapping as the system gave it
    std::size_t taille = 0;   // its length
};

// At least `n` bytes, zero-filled and mapped; in huge pages from 4 MB up
// where the system gives them.
Pages prendrePages(std::size_t n);

// At least `n` bytes (n of 4 MB or more), zero-filled, in huge pages where
// the system gives them, whose pages are mapped by peuplerPages or else one
// fault at a time.
Pages reserverPages(std::size_t n);

// Maps at once the pages of [debut, debut + n), a range of memory from
// reserverPages.  False when the system could not (the pages then fault
// in at first use).
bool peuplerPages(char* debut, std::size_t n);

// Gives back the memory of `p`.
void rendrePages(const Pages& p);
