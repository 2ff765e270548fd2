#include "Utilitaires/pages.h"

#include <sys/mman.h>

#include <cstdint>

namespace {

constexpr std::size_t GRANDE_PAGE = std::size_t{2} << 20;

Pages petitesPages(std::size_t n) {
    void* p = mmap(nullptr, n, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_POPULATE, -1, 0);
    if (p == MAP_FAILED) return {};
    return {static_cast<char*>(p), p, n};
}

}  // namespace

Pages prendrePages(std::size_t n) {
    if (n < 2 * GRANDE_PAGE) return petitesPages(n);
    // Huge pages must start on a 2 MB boundary: one more huge page of
    // address space, never touched, leaves room to align.
    const std::size_t taille = n + GRANDE_PAGE;
    void* brut = mmap(nullptr, taille, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (brut == MAP_FAILED) return {};
    char* debut =
        reinterpret_cast<char*>((reinterpret_cast<std::uintptr_t>(brut) + GRANDE_PAGE - 1) & ~(GRANDE_PAGE - 1));
    madvise(debut, n, MADV_HUGEPAGE);  // a hint: without it, small pages
    if (madvise(debut, n, MADV_POPULATE_WRITE) == 0) return {debut, brut, taille};
    // A kernel without MADV_POPULATE_WRITE (before 5.14), or memory short:
    // small pages mapped the older way, whose failure shows on first use.
    munmap(brut, taille);
    return petitesPages(n);
}

void rendrePages(const Pages& p) {
    if (p.brut) munmap(p.brut, p.taille);
}
