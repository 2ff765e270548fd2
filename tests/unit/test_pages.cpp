// Memory mapped with its pages: zero-filled, writable to its last byte,
// within the mapping given back, whether mapped at once or a part at a time.
// A file mapped as its text and a '\0', and the end of a run when the file
// is cut short under its mapping.
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstddef>
#include <string>

#include "Utilitaires/pages.h"
#include "harness.h"

namespace {

void verifier(const Pages& p, std::size_t n, const char* cas) {
    ASSERT_NE(p.debut, nullptr) << cas << " " << n;
    EXPECT_GE(p.taille, n) << cas;
    std::size_t nonNuls = 0;
    for (std::size_t k = 0; k < n; k += 4093) nonNuls += p.debut[k] != 0;
    nonNuls += p.debut[n - 1] != 0;
    EXPECT_EQ(nonNuls, 0u) << cas << " " << n;
    p.debut[0] = 1;
    p.debut[n - 1] = 2;
    EXPECT_EQ(p.debut[n - 1], 2) << cas << " " << n;
}

}  // namespace

TEST(Pages, ZeroFilledAndWritableWhetherMappedAtOnceOrByParts) {
    const std::size_t mo = std::size_t{1} << 20;
    for (const std::size_t n : {std::size_t{1}, std::size_t{4097}, 9 * mo + 3}) {
        const Pages p = prendrePages(n);
        verifier(p, n, "at once");
        rendrePages(p);
    }
    // Reserved, then mapped a part at a time from an unaligned place.
    for (const std::size_t n : {4 * mo, 9 * mo + 3}) {
        const Pages p = reserverPages(n);
        ASSERT_NE(p.debut, nullptr);
        peuplerPages(p.debut + 100, mo);
        peuplerPages(p.debut + mo + 100, n - mo - 100);
        verifier(p, n, "by parts");
        rendrePages(p);
    }
}

// The text of the file and a '\0' after it, for sizes that leave room for
// it in the last page; nothing for those that don't.
TEST(Pages, FileMappedAsItsTextAndANul) {
    TempDir dir;
    const std::string nom = dir / "f";
    for (const std::size_t n : {std::size_t{0}, std::size_t{1}, std::size_t{4095}, std::size_t{4096},
                                std::size_t{4097}, std::size_t{8192}, std::size_t{3 * 4096 + 5}}) {
        std::string texte(n, ' ');
        for (std::size_t k = 0; k < n; ++k) texte[k] = static_cast<char>('0' + k % 10);
        writeFile(nom, texte);
        const int fd = open(nom.c_str(), O_RDONLY);
        ASSERT_GE(fd, 0);
        const Pages p = projeterFichier(fd, n);
        close(fd);
        if (n == 0 || n % 4096 == 0) {
            EXPECT_EQ(p.debut, nullptr) << n;
            continue;
        }
        ASSERT_NE(p.debut, nullptr) << n;
        EXPECT_EQ(std::string(p.debut, n), texte) << n;
        EXPECT_EQ(p.debut[n], '\0') << n;
        rendrePages(p);
    }
}

// A mapped file cut short: the pages past its new end can't be read.  Under
// the guard that is one line and status 255, not a crash; the guard gives
// the previous action back when it ends.
TEST(Pages, FileCutShortUnderItsMappingEndsWithAMessage) {
    TempDir dir;
    const std::string nom = dir / "current.txt";
    writeFile(nom, std::string(3 * 4096 + 10, '7'));
    const auto lireApresCoupe = [&] {
        const int fd = open(nom.c_str(), O_RDWR);
        const Pages p = projeterFichier(fd, 3 * 4096 + 10);
        if (!p.debut) std::_Exit(3);
        GardeProjection garde("current.txt");
        if (ftruncate(fd, 0) != 0) std::_Exit(4);
        volatile char c = p.debut[4096];
        (void)c;
        std::_Exit(0);
    };
    EXPECT_EXIT(lireApresCoupe(), testing::ExitedWithCode(255),
                "^current.txt: the file was cut short or could not be read while it was being read\n$");

    struct sigaction avant {}, apres {};
    sigaction(SIGBUS, nullptr, &avant);
    { GardeProjection garde("x"); }
    sigaction(SIGBUS, nullptr, &apres);
    EXPECT_EQ(apres.sa_handler, avant.sa_handler);
}
