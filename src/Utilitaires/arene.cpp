// The memory of the mac process: every `new` is served from large pieces
// taken from the system, whose pages are mapped in bulk as the pieces fill
// (64 kB at a time in the small pieces, a few megabytes in the large ones),
// and `delete` gives nothing back.
//
// mac runs once and exits, and the network it builds lives until then, so
// nothing is worth giving back.  Pages mapped one fault at a time cost a few
// microseconds each on a virtual machine, which on a large instance is more
// than reading it; mapped in bulk they cost a small part of that.
// Linked into the programs only (not the tests, nor the sanitized build,
// whose allocator must see every block).
#include <cstddef>
#include <cstdint>
#include <new>

#include "EntreesSorties/entrees_sorties.h"
#include "Utilitaires/pages.h"

namespace {

constexpr std::size_t ALIGNEMENT = alignof(std::max_align_t);
constexpr std::size_t PREMIERE = std::size_t{256} << 10;  // the first piece: enough for a small instance
constexpr std::size_t PLUS_GRANDE = std::size_t{64} << 20; // pieces grow up to this size, then stay there

char* libre = nullptr;      // next free byte of the current piece
char* fin = nullptr;        // end of the current piece
char* peuple = nullptr;     // end of the part of the piece whose pages are mapped
std::size_t etape = 0;      // the current piece's pages are mapped this many bytes at a time
std::size_t pris = 0;       // bytes taken from the system so far

// Pieces are mapped a step at a time, as they fill, so that the unused end
// of the last piece costs neither time nor memory: small steps in the small
// pieces, larger ones from PAR_ETAPES on.
constexpr std::size_t PETITE_ETAPE = std::size_t{64} << 10;
constexpr std::size_t PAR_ETAPES = std::size_t{4} << 20;
constexpr std::size_t ETAPE = std::size_t{4} << 20;

// A new piece able to hold n bytes: as large as everything taken so far,
// within bounds, so that the pieces double while they are small.
void nouveauMorceau(std::size_t n) {
    std::size_t taille = pris < PREMIERE ? PREMIERE : (pris < PLUS_GRANDE ? pris : PLUS_GRANDE);
    if (taille < n) taille = (n + 4095) & ~std::size_t{4095};
    const Pages p = reserverPages(taille);
    if (!p.debut) memError();
    libre = p.debut;
    fin = libre + taille;
    peuple = libre;
    etape = taille < PAR_ETAPES ? PETITE_ETAPE : ETAPE;
    pris += taille;
}

// Maps the pages of the current piece up to libre, and a step beyond.
void peupler() {
    char* jusqua = static_cast<std::size_t>(fin - libre) > etape ? libre + etape : fin;
    peuplerPages(peuple, static_cast<std::size_t>(jusqua - peuple));
    peuple = jusqua;
}

void* prendre(std::size_t n) {
    n = (n + ALIGNEMENT - 1) & ~(ALIGNEMENT - 1);
    if (n == 0) n = ALIGNEMENT;
    if (static_cast<std::size_t>(fin - libre) < n) nouveauMorceau(n);
    void* p = libre;
    libre += n;
    if (libre > peuple) peupler();
    return p;
}

}  // namespace

void* operator new(std::size_t n) { return prendre(n); }
void* operator new[](std::size_t n) { return prendre(n); }
void* operator new(std::size_t n, const std::nothrow_t&) noexcept { return prendre(n); }
void* operator new[](std::size_t n, const std::nothrow_t&) noexcept { return prendre(n); }
void operator delete(void*) noexcept {}
void operator delete[](void*) noexcept {}
void operator delete(void*, std::size_t) noexcept {}
void operator delete[](void*, std::size_t) noexcept {}
void operator delete(void*, const std::nothrow_t&) noexcept {}
void operator delete[](void*, const std::nothrow_t&) noexcept {}
