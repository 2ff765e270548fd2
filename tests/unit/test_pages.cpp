// Memory mapped with its pages: zero-filled, writable to its last byte,
// within the mapping given back, whether mapped at once or a part at a time.
#include <gtest/gtest.h>

#include <cstddef>

#include "Utilitaires/pages.h"

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
