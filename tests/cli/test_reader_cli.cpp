// The reader's messages and statuses, seen from the solver's command line.
#include <gtest/gtest.h>

#include "harness.h"

#ifdef MAC_PATH

namespace {

RunResult macSur(const TempDir& dir, const std::string& instance) {
    writeFile(dir / "current.txt", instance);
    writeFile(dir / "weight", "1 1 1 1 1 1 1 1 ");
    return runProgram(dir.path, MAC_PATH);
}

}  // namespace

TEST(ReaderCli, MissingInstance) {
    TempDir dir;
    writeFile(dir / "weight", "");
    RunResult r = runProgram(dir.path, MAC_PATH);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "File *current.txt* does not exist\n");
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(readFile(dir / "weight"), "") << "nothing is written";
}

TEST(ReaderCli, FormatErrorsEndWithOneLineAndStatus255) {
    struct Cas {
        std::string instance;
        std::string err;
    };
    const std::vector<Cas> cas = {
        {"?\n1\n0 2 0 1\n2\n0 0\n1 3\n", "current.txt: variables block, record 1: domain 3 is not a place of the "
                                         "domains block (0..0)\n"},
        {"?\n1\n0 2 0 1\n2\n0 0\n1 0\n1\n0 1 2 0 0 1 0 7\n0\n",
         "current.txt: relations block, record 0: tuple 0: value 7 is not in domain 0\n"},
        {"?\n1\n0 2 0 1\n2\n0 0\n1 0\n1\n0 1 2 0 0 0\n1\n2 0 0 0\n",
         "current.txt: constraints block, record 0: the scope names variable 0 twice\n"},
        {"?\n1\n0 2 0 1\n2\n0 0\n1 0\n1\n0 1 2 0 0 0\n2\n2 0 1 0\n",
         "current.txt: constraints block, record 1: file ends early, expected arity\n"},
        {"?\n1\n0 2 0 1\n2\n0 0\n1 0\n2\n0 1 2 0 0 0\n1 1 4 0 0 0 0 0\n0\n",
         "This experimental version doesn't accept n-ary constraints\n"},
    };
    for (const Cas& c : cas) {
        TempDir dir;
        RunResult r = macSur(dir, c.instance);
        EXPECT_EQ(r.status, 255) << c.instance;
        EXPECT_EQ(r.err, c.err);
        EXPECT_EQ(r.out, "");
        EXPECT_FALSE(fileExists(dir / "activity"));
    }
}

#if !defined(__SANITIZE_ADDRESS__)
// Address-space limits and the sanitizers' shadow memory do not mix.
TEST(ReaderCli, FailedAllocationIsOutOfMemory) {
    TempDir dir;
    // 65535 variables on 1000 values: each keeps its values, their order and
    // their places, well over the 400 MB allowed.
    std::string instance = "?\n1\n0 1000";
    for (int v = 0; v < 1000; ++v) instance += " " + std::to_string(v);
    instance += "\n65535\n";
    for (int i = 0; i < 65535; ++i) instance += std::to_string(i) + " 0\n";
    instance += "0\n0\n";
    writeFile(dir / "current.txt", instance);
    writeFile(dir / "weight", "");
    RunResult r = runProgram(dir.path, "/bin/sh", {"-c", "ulimit -v 400000; exec \"$0\"", MAC_PATH});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "Out of memory\n");
}
#endif

#endif  // MAC_PATH
