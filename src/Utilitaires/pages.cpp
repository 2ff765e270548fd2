#include "Utilitaires/pages.h"

#include <sys/mman.h>

#include <cstdint>

namespace {

constexpr std::size_t GRANDE_PAGE = std::size_t{2} << 20;
constexpr std::size_t PAGE = 4096;

Pages petitesPages(std::size_t n) {
    void* p = mmap(nullptr, n, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_POPULATE, -1, 0);
    if (p == MAP_FAILED) return {};
    return {static_cast<char*>(p), p, n};
}

}  // namespace

Pages reserverPages(std::size_t n) {
    // Huge pages must start on a 2 MB boundary: one more huge page of
    // address space, never touched, leaves room to align.
    const std::size_t taille = n + GRANDE_PAGE;
    void* brut = mmap(nullptr, taille, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (brut == MAP_FAILED) return {};
    char* debut =
        reinterpret_cast<char*>((reinterpret_cast<std::uintptr_t>(brut) + GRANDE_PAGE - 1) & ~(GRANDE_PAGE - 1));
    madvise(debut, n, MADV_HUGEPAGE);  // a hint: without it, small pages
    return {debut, brut, taille};
}

bool peuplerPages(char* debut, std::size_t n) {
    const std::uintptr_t a = reinterpret_cast<std::uintptr_t>(debut) & ~(PAGE - 1);
    const std::uintptr_t b = (reinterpret_cast<std::uintptr_t>(debut) + n + PAGE - 1) & ~(PAGE - 1);
    return madvise(reinterpret_cast<void*>(a), b - a, MADV_POPULATE_WRITE) == 0;
}

Pages prendrePages(std::size_t n) {
    if (n < 2 * GRANDE_PAGE) return petitesPages(n);
    const Pages p = reserverPages(n);
    if (!p.debut || peuplerPages(p.debut, n)) return p;
    // A kernel without MADV_POPULATE_WRITE (before 5.14), or memory short:
    // small pages mapped the older way, whose failure shows on first use.
    rendrePages(p);
    return petitesPages(n);
}

void rendrePages(const Pages& p) {
    if (p.brut) munmap(p.brut, p.taille);
}
