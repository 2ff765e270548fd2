#include "Utilitaires/pages.h"

#include <sys/mman.h>

#include <cstdint>

namespace {

constexpr std::size_t PAGE = 4096;

Pages projeter(std::size_t n, int options) {
    void* p = mmap(nullptr, n, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | options, -1, 0);
    if (p == MAP_FAILED) return {};
    return {static_cast<char*>(p), n};
}

}  // namespace

Pages prendrePages(std::size_t n) { return projeter(n, MAP_POPULATE); }

Pages reserverPages(std::size_t n) { return projeter(n, 0); }

bool peuplerPages(char* debut, std::size_t n) {
    const std::uintptr_t a = reinterpret_cast<std::uintptr_t>(debut) & ~(PAGE - 1);
    const std::uintptr_t b = (reinterpret_cast<std::uintptr_t>(debut) + n + PAGE - 1) & ~(PAGE - 1);
    return madvise(reinterpret_cast<void*>(a), b - a, MADV_POPULATE_WRITE) == 0;
}

void rendrePages(const Pages& p) {
    if (p.debut) munmap(p.debut, p.taille);
}
