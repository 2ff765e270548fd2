// Slow: mac on the small instances of the shared benchmark, against their
// known statuses.  Suites named Slow* carry the ctest label "slow".
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "harness.h"

namespace {

const std::string BENCH = SOURCE_DIR "/../shared/bench";

std::string repeter(const std::string& motif, size_t n) {
    std::string s;
    for (size_t k = 0; k < n; ++k) s += motif;
    return s;
}

}  // namespace

TEST(SlowMacBenchTest, SmallInstancesGetTheirKnownStatus) {
    if (!std::filesystem::is_directory(BENCH)) GTEST_SKIP() << "no benchmark at " << BENCH;
    // Instances of known status whose reference check takes a few seconds
    // at most; 10 for a satisfiable one, 0 for an unsatisfiable one.
    struct Cas {
        const char* fichier;
        int status;
    };
    const Cas cas[] = {
        {"composed/composed-25-1-2-0", 0},  {"domino/domino-100-100", 10},
        {"driver/driverlogw-01c", 10},      {"frb/frb30-15-1", 10},
        {"hanoi/hanoi-4", 10},              {"haystacks/haystacks-4", 0},
        {"knights/knights-8-5", 0},         {"knights/knighttour-4-ext02", 0},
        {"langford/langford-2-4", 10},      {"langford/langford-2-5", 0},
        {"queens/queens-8", 10},            {"queens/queens-12", 10},
        {"queens/queens-20", 10},           {"queens/queenattacking-4-x2", 0},
        {"queens/superqueens-1", 0},        {"qwh/qwh-10-57-0", 10},
        {"qwh/qwh-o005-h10", 10},           {"rlfap/course-2-f24", 10},
        {"rlfap/course-6-w2", 0},           {"rlfap/course-7-w1-f4", 10},
        {"rlfap/course-7-w1-f5", 0},
    };
    for (const Cas& c : cas) {
        const std::string chemin = BENCH + "/" + c.fichier + ".txt";
        if (!std::filesystem::exists(chemin)) {
            ADD_FAILURE() << "missing " << chemin;
            continue;
        }
        TempDir dir;
        std::filesystem::copy_file(chemin, dir / "current.txt");
        // Two numbers per constraint are always enough (at most 50000).
        writeFile(dir / "weight", repeter("1 ", 2 * 50000));
        RunResult r = runProgram(dir.path, MAC_PATH, {}, 300);
        EXPECT_EQ(r.status, c.status) << c.fichier << "\n" << r.out << r.err;
        // A second run on the weights the first one learnt.
        RunResult r2 = runProgram(dir.path, MAC_PATH, {}, 300);
        EXPECT_EQ(r2.status, c.status) << c.fichier << " (second run)\n" << r2.out << r2.err;
    }
}
