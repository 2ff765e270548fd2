// Line-level reading and rewriting of instance files by the core extractor.
#include <gtest/gtest.h>

#include <functional>
#include <sys/stat.h>

#include "core_check.h"
#include "harness.h"
#include "muc.h"

namespace {

const std::string HEAD =
    "?\n"
    "2\n0 3 1 2 3\n1 2 5 9\n"
    "3\n0 0\n1 0\n2 1\n"
    "2\n0 1 2 0 0 3 1 1 2 2 3 3\n1 0 2 0 1 1 3 9\n";

// An instance with the constraint lines "c0" .. "c<n-1>".
std::string withLines(int n, const std::string& trailer = "") {
    std::string text = HEAD + std::to_string(n) + "\n";
    for (int k = 0; k < n; ++k) text += "c" + std::to_string(k) + "\n";
    return text + trailer;
}

// The message of the failure `run` ends with.
std::string failureOf(const std::function<void()>& run) {
    try {
        run();
    } catch (const MucStop& stop) {
        EXPECT_EQ(stop.status, -1) << stop.message;
        return stop.message;
    }
    return "<no failure>";
}

class MucFile : public ::testing::Test {
protected:
    TempDir dir;
    ScopedChdir here{dir.path};  // inverser writes "curTemp" in the working directory
};

TEST_F(MucFile, SearchNbCtrReadsTheConstraintCount) {
    writeFile("f", withLines(7));
    EXPECT_EQ(searchNbCtr("f"), 7);
    writeFile("f", "a name of any length at all\n0\n0\n0\n  12\n");
    EXPECT_EQ(searchNbCtr("f"), 12) << "constraint lines are not checked";
}

TEST_F(MucFile, InverserExchangesTwoLines) {
    writeFile("f", withLines(7));
    const std::string expected = HEAD + "7\nc0\nc1\nc5\nc3\nc4\nc2\nc6\n";
    for (auto [p1, p2] : {std::pair{2, 5}, std::pair{5, 2}}) {
        std::remove("curTemp");
        EXPECT_EQ(inverser("f", p1, p2), 1);
        EXPECT_EQ(readFile("curTemp"), expected) << p1 << "," << p2;
    }
    EXPECT_EQ(readFile("f"), withLines(7)) << "the source is left alone";
}

TEST_F(MucFile, InverserOfOneLineWithItselfWritesNothing) {
    writeFile("f", withLines(3));
    writeFile("curTemp", "untouched");
    EXPECT_EQ(inverser("f", 1, 1), 0);
    EXPECT_EQ(readFile("curTemp"), "untouched");
}

TEST_F(MucFile, InverserDropsWhatFollowsTheCountedLines) {
    writeFile("f", withLines(3, "\n"));  // the converter's empty last line
    inverser("f", 0, 2);
    EXPECT_EQ(readFile("curTemp"), HEAD + "3\nc2\nc1\nc0\n");
    writeFile("f", withLines(3, "c3\nc4\n"));
    inverser("f", 0, 1);
    EXPECT_EQ(readFile("curTemp"), HEAD + "3\nc1\nc0\nc2\n");
}

TEST_F(MucFile, InverserTakesALastLineWithoutNewline) {
    writeFile("f", HEAD + "3\nc0\nc1\nc2");
    inverser("f", 0, 2);
    EXPECT_EQ(readFile("curTemp"), HEAD + "3\nc2\nc1\nc0\n");
    inverser("f", 0, 1);
    EXPECT_EQ(readFile("curTemp"), HEAD + "3\nc1\nc0\nc2");
}

TEST_F(MucFile, LongLinesAreCopiedWhole) {
    const std::string longName(300, 'n');
    const std::string longLine = "2 0 1 0" + std::string(500, ' ');
    writeFile("f", longName + "\n0\n0\n0\n3\n" + longLine + "\nc1\nc2\n");
    EXPECT_EQ(chopeMoiLaLigne("f", 0), longLine + "\n\n");
    inverser("f", 0, 2);
    EXPECT_EQ(readFile("curTemp"), longName + "\n0\n0\n0\n3\nc2\nc1\n" + longLine + "\n");
    generate("f", "g", {1, 0, 1}, 2);
    EXPECT_EQ(readFile("g"), longName + "\n0\n0\n0\n2\n" + longLine + "\nc2\n");
}

TEST_F(MucFile, ChopeMoiLaLigneAddsANewline) {
    struct Case {
        std::string text;
        int k;
        std::string line;
    };
    const std::vector<Case> cases = {
        {withLines(3), 0, "c0\n\n"},
        {withLines(3), 2, "c2\n\n"},
        {HEAD + "3\nc0\nc1\nc2", 2, "c2\n"},  // last line without its newline
        {withLines(3, "\n"), 2, "c2\n\n"},
    };
    for (const Case& c : cases) {
        writeFile("f", c.text);
        EXPECT_EQ(chopeMoiLaLigne("f", c.k), c.line) << c.text;
    }
}

TEST_F(MucFile, GenerateKeepsFlaggedLinesUnderANewCount) {
    struct Case {
        std::string source;
        KeepFlags flags;
        int n;
        std::string target;
    };
    const std::vector<Case> cases = {
        {withLines(4), {0, 0, 0, 0}, 0, HEAD + "0\n"},
        {withLines(4), {1, 0, 1, 1}, 3, HEAD + "3\nc0\nc2\nc3\n"},
        {withLines(4), {1, 1}, 2, HEAD + "2\nc0\nc1\n"},               // no flag: dropped
        {withLines(2, "\n"), {1, 1}, 2, HEAD + "2\nc0\nc1\n"},          // empty last line dropped
        {withLines(2, "c2\nc3\n"), {1, 1}, 2, HEAD + "2\nc0\nc1\n"},    // uncounted lines dropped
        {HEAD + "3\nc0\nc1\nc2", {1, 0, 1}, 2, HEAD + "2\nc0\nc2"},     // cut short: as far as it goes
        {HEAD + "4 \nc0\nc1\n", {1, 1}, 2, HEAD + "2\nc0\nc1\n"},       // rest of the count line dropped
        {HEAD + "4\r\nc0\r\nc1\r\n", {0, 1}, 1, HEAD + "1\nc1\r\n"},
        // Head count lines are written back from the number read.
        {"?\n  +1\n0 1 7\n0\n0 \n1\nc0\n", {1}, 1, "?\n1\n0 1 7\n0\n0 \n1\nc0\n"},
    };
    for (const Case& c : cases) {
        writeFile("src", c.source);
        generate("src", "dst", c.flags, c.n);
        EXPECT_EQ(readFile("dst"), c.target) << c.source;
    }
}

TEST_F(MucFile, FailuresEndWithTheirMessage) {
    struct Case {
        std::string text;
        std::string search, generate, chope, inverser;
    };
    const std::string e4 = "Internal error #4\n";
    const std::vector<Case> cases = {
        {"", "Internal error #4 (a)\n", "Internal error #4 (d)\n", e4, e4},
        {"?", "Internal error #4 (a)\n", "Internal error #4 (d)\n", e4, e4},
        {"?\nx\n", "Internal error #4 (b)\n", "Internal error #4 (e)\n", e4, e4},
        {"?\n-1\n0\n0\n1\nc0\n", "Internal error #4 (b)\n", "Internal error #4 (e)\n", e4, e4},
        {"?\n99999999999\n", "Internal error #4 (b)\n", "Internal error #4 (e)\n", e4, e4},
        // The file ends inside the domains block, then inside the relations block.
        {"?\n3\n0 1 5\n", "Internal error #4 (b)\n", "Internal error #4 (e)\n", e4, e4},
        {"?\n0\n0\n2\n0 1 2 0 0 0\n", "Internal error #4 (b)\n", "Internal error #4 (e)\n", e4, e4},
        // The constraint block is missing.
        {"?\n0\n0\n0\n", "Internal error #4 (c)\n", "Internal error #4 (f)\n", e4, e4},
        {"?\n0\n0\n0\n7", "Internal error #4 (c)\n", "Internal error #4 (f)\n", e4, e4},
    };
    for (const Case& c : cases) {
        writeFile("f", c.text);
        EXPECT_EQ(failureOf([] { searchNbCtr("f"); }), c.search) << c.text;
        EXPECT_EQ(failureOf([] { generate("f", "g", {1}, 1); }), c.generate) << c.text;
        EXPECT_EQ(failureOf([] { chopeMoiLaLigne("f", 0); }), c.chope) << c.text;
        EXPECT_EQ(failureOf([] { inverser("f", 0, 1); }), c.inverser) << c.text;
    }
}

TEST_F(MucFile, MissingConstraintLinesFail) {
    writeFile("f", withLines(3));
    EXPECT_EQ(failureOf([] { chopeMoiLaLigne("f", 3); }), "Internal error #10 (nb_ctr 3 et je veux chopper 3)\n");
    EXPECT_EQ(failureOf([] { chopeMoiLaLigne("f", -1); }), "Internal error #10 (nb_ctr 3 et je veux chopper -1)\n");
    EXPECT_EQ(failureOf([] { inverser("f", 1, 3); }), "Internal error #10 (nb_ctr 3 et je veux chopper 3)\n");

    writeFile("f", HEAD + "4\nc0\nc1\n");  // two lines short
    EXPECT_EQ(failureOf([] { chopeMoiLaLigne("f", 3); }), "Internal error #11\n");
    EXPECT_EQ(failureOf([] { chopeMoiLaLigne("f", 2); }), "Internal error #11\n");
    EXPECT_EQ(failureOf([] { inverser("f", 0, 1); }), "Internal error #11\n");
    writeFile("f", HEAD + "3\nc0\nc1\nc2");  // only the last line may lack its newline
    EXPECT_EQ(failureOf([] { inverser("f", 0, 1); }), "<no failure>");
    EXPECT_EQ(failureOf([] { chopeMoiLaLigne("f", 2); }), "<no failure>");
}

TEST_F(MucFile, FilesThatCannotBeOpenedOrCreated) {
    EXPECT_EQ(failureOf([] { searchNbCtr("nosuch"); }), "Can't open 'nosuch' file.\n");
    EXPECT_EQ(failureOf([] { chopeMoiLaLigne("nosuch", 0); }), "Can't open 'nosuch' file.\n");
    EXPECT_EQ(failureOf([] { inverser("nosuch", 0, 1); }), "Can't open 'nosuch' file.\n");
    EXPECT_EQ(failureOf([] { generate("nosuch", "g", {}, 0); }), "Can't open 'nosuch' file.\n");
    const std::string longName(300, 'x');
    EXPECT_EQ(failureOf([&] { searchNbCtr(longName); }), "Can't open '" + longName + "' file.\n");
    writeFile("f", withLines(2));
    EXPECT_EQ(failureOf([] { generate("f", "no/dir", {1, 1}, 2); }), "Can't create 'no/dir' file.\n");
    ASSERT_EQ(mkdir("curTemp", 0755), 0);
    EXPECT_EQ(failureOf([] { inverser("f", 0, 1); }), "Can't create 'curTemp' file.\n");
}

}  // namespace
