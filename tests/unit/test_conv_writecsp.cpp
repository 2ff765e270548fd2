// The instance text writer: exact lines, and read -> write -> read.
#include <gtest/gtest.h>

#include <random>

#include "EntreesSorties/entrees_sorties.h"
#include "csp_gen.h"
#include "harness.h"
#include "net_compare.h"

static std::string written(const std::string& text) {
    Network net;
    parseCSP(text, "in", net);
    TempDir dir;
    writeCSP((dir / "out.txt").c_str(), net);
    return readFile(dir / "out.txt");
}

TEST(ConvWriteCSP, ExactLines) {
    struct Case {
        const char* what;
        const char* in;
        const char* out;
    } cases[] = {
        {"no constraint", "name\n1\n7 2 5 9\n2\n4 0\n9 0\n0\n0\n", "?\n1\n0 2 5 9\n2\n0 0\n1 0\n0\n0\n"},
        {"pair allowing nothing, two constraints merged",
         "?\n1\n0 2 0 1\n2\n0 0\n1 0\n2\n0 1 2 0 0 2 0 0 1 1\n1 1 2 0 0 2 0 1 1 0\n2\n2 0 1 0\n2 1 0 1\n",
         "?\n1\n0 2 0 1\n2\n0 0\n1 0\n1\n0 1 2 0 0 0\n1\n2 0 1 0\n"},
        {"rows from the smaller variable",
         "?\n2\n0 2 1 2\n1 3 7 8 9\n2\n0 1\n1 0\n1\n0 1 2 0 1 2 1 7 2 9\n1\n2 1 0 0\n",
         "?\n2\n0 2 1 2\n1 3 7 8 9\n2\n0 1\n1 0\n1\n0 1 2 1 0 2 7 1 9 2\n1\n2 0 1 0\n"},
        {"forbidden list written as allowed pairs, pairs in order of first constraint",
         "?\n1\n0 2 3 4\n3\n0 0\n1 0\n2 0\n1\n0 0 2 0 0 1 3 4\n2\n2 1 2 0\n2 2 0 0\n",
         "?\n1\n0 2 3 4\n3\n0 0\n1 0\n2 0\n2\n0 1 2 0 0 3 3 3 4 3 4 4\n1 1 2 0 0 3 3 3 3 4 4 4\n2\n2 1 2 0\n2 0 2 1\n"},
    };
    for (const Case& c : cases) EXPECT_EQ(written(c.in), c.out) << c.what;
}

TEST(ConvWriteCSP, UncreatableFileHasNoEffect) {
    Network net;
    parseCSP("?\n1\n0 1 0\n1\n0 0\n0\n0\n", "in", net);
    TempDir dir;
    testing::internal::CaptureStderr();
    testing::internal::CaptureStdout();
    writeCSP((dir / "no/such/out.txt").c_str(), net);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "le fichier n'existe pas, le CSP n'a pas pu \xC3\xAAtre sauvegard\xC3\xA9.\n");
    EXPECT_FALSE(fileExists(dir / "no"));
}

TEST(ConvWriteCSP, RoundTripKeepsTheNetwork) {
    std::mt19937 rng(4242);
    for (int n = 0; n < 300; ++n) {
        Instance inst = randomInstance(rng);
        Network first, again;
        parseCSP(inst.toText(), "gen", first);
        TempDir dir;
        writeCSP((dir / "a.txt").c_str(), first);
        const std::string merged = readFile(dir / "a.txt");
        parseCSP(merged, "merged", again);
        ASSERT_EQ(networkDifference(first, again), "") << inst.toText();
        EXPECT_EQ(again.nb_ctr, first.nb_rel);
        writeCSP((dir / "b.txt").c_str(), again);
        EXPECT_EQ(readFile(dir / "b.txt"), merged);
    }
}
