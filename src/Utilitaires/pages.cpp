#include "Utilitaires/pages.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstring>

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

Pages projeterFichier(int fd, std::size_t n) {
    if (n == 0 || n % PAGE == 0) return {};
    void* p = mmap(nullptr, n, PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd, 0);
    if (p == MAP_FAILED) return {};
    char* debut = static_cast<char*>(p);
    char* derniere = debut + (n & ~(PAGE - 1));
    if (mprotect(derniere, PAGE, PROT_READ | PROT_WRITE) != 0) {
        munmap(p, n);
        return {};
    }
    debut[n] = '\0';  // the byte after the file's end, in its last page
    return {debut, n};
}

namespace {

char messageBus[512];       // what the SIGBUS handler writes
std::size_t longueurBus = 0;

extern "C" void finSurBus(int) {
    const ssize_t ecrit = write(STDERR_FILENO, messageBus, longueurBus);
    (void)ecrit;
    _exit(255);
}

}  // namespace

GardeProjection::GardeProjection(const std::string& nom) {
    static const char suite[] = ": the file was cut short or could not be read while it was being read\n";
    const std::size_t n = std::min(nom.size(), sizeof messageBus - sizeof suite);
    std::memcpy(messageBus, nom.data(), n);
    std::memcpy(messageBus + n, suite, sizeof suite - 1);
    longueurBus = n + sizeof suite - 1;
    struct sigaction action {};
    action.sa_handler = finSurBus;
    sigemptyset(&action.sa_mask);
    sigaction(SIGBUS, &action, &avant_);
}

GardeProjection::~GardeProjection() { sigaction(SIGBUS, &avant_, nullptr); }
