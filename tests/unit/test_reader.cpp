#include <gtest/gtest.h>

#include "EntreesSorties/entrees_sorties.h"

TEST(Reader, ReadsTheFormatExample) {
    const char* text =
        "?\n2\n0 3 1 2 3\n1 2 5 9\n3\n0 0\n1 0\n2 1\n2\n0 1 2 0 0 3 1 1 2 2 3 3\n1 0 2 0 1 1 3 9\n2\n2 0 1 0\n2 1 2 1\n";
    Network net;
    parseCSP(text, "t", net);
    EXPECT_EQ(net.nb_rel, 2);
    EXPECT_EQ(net.tabTuples[1].nb_tuples, 5);
}
