// Solver probes of the core extractor: reading the shell's result, the
// weight file before each probe, and the time limit.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <sys/times.h>

#include "core_check.h"
#include "harness.h"
#include "muc.h"
#include "mucShell.h"

namespace {

TEST(MucProbe, ShellResultsAreUnsatSatOrFailure) {
    struct Case {
        const char* command;
        Verdict verdict;
        int status;
    };
    const std::vector<Case> cases = {
        {"exit 0", Verdict::Unsat, 0},       {"exit 10", Verdict::Sat, 10},
        {"exit 2", Verdict::Sat, 2},         {"exit 125", Verdict::Sat, 125},
        {"exit 1", Verdict::Failure, 1},     {"exit 255", Verdict::Failure, 255},
        {"exit 126", Verdict::Failure, 126}, {"exit 127", Verdict::Failure, 127},
        {"./no/such/solver", Verdict::Failure, 127},
        {"kill -KILL $$", Verdict::Failure, 128 + 9},
        {"sh -c 'kill -SEGV $$'", Verdict::Failure, 128 + 11},
    };
    for (const Case& c : cases) {
        ProbeResult r = classifyShellResult(std::system((std::string(c.command) + " 2>/dev/null").c_str()));
        EXPECT_EQ(r.verdict, c.verdict) << c.command;
        EXPECT_EQ(r.status, c.status) << c.command;
    }
    EXPECT_EQ(classifyShellResult(-1).verdict, Verdict::Failure) << "system itself failed";
}

TEST(MucProbe, WeightFileIsToppedUpWithOnes) {
    struct Case {
        const char* before;  // nullptr: no file
        int needed;
        const char* after;   // nullptr: no file
    };
    const std::vector<Case> cases = {
        {nullptr, 4, "1 1 1 1 "},
        {nullptr, 0, nullptr},
        {"", 2, "1 1 "},
        {"5 6 ", 4, "5 6 1 1 "},
        {"5 6 7 8 9 ", 4, "5 6 7 8 9 "},  // enough: left as it is
        {"5\n6,7 ", 3, "5\n6,7 "},          // any separator
        {"5 6", 2, "5 6 "},                 // the last number needs its separator
        {"5 x 7 ", 3, "5 1 1 "},            // numbers after a bad token are lost to the solver too
        // Out of range numbers keep their low 32 bits, as the solver reads them.
        {"99999999999 18446744073709551617 ", 3, "1215752191 1 1 "},
        {"-2147483649 +4294967295 ", 3, "2147483647 -1 1 "},
    };
    for (const Case& c : cases) {
        TempDir dir;
        const std::string w = dir / "weight";
        if (c.before) writeFile(w, c.before);
        topUpWeights(w, c.needed);
        if (c.after)
            EXPECT_EQ(readFile(w), c.after) << (c.before ? c.before : "<none>");
        else
            EXPECT_FALSE(fileExists(w));
    }
}

// A working directory laid out as muc expects, with a solver script at
// "../Tivar/bin/mac".
struct SolverLayout {
    TempDir root;
    std::string work = root / "work";
    explicit SolverLayout(const std::string& script) {
        std::filesystem::create_directories(root / "Tivar/bin");
        std::filesystem::create_directories(work);
        writeFile(root / "Tivar/bin/mac", "#!/bin/sh\n" + script + "\n");
        std::filesystem::permissions(root / "Tivar/bin/mac", std::filesystem::perms::owner_all);
    }
};

clock_t processorTime() {
    struct tms t;
    times(&t);
    return t.tms_utime + t.tms_stime + t.tms_cutime + t.tms_cstime;
}

// Runs the extraction in `dir`; the stop it ends with, or status 0 and no message.
MucStop extractIn(const std::string& dir, clock_t limit, std::FILE* report) {
    ScopedChdir here(dir);
    Muc muc;
    muc.timeLimit = limit;
    muc.report = report;
    try {
        extractCore(muc);
    } catch (const MucStop& stop) {
        return stop;
    }
    return {0, ""};
}

std::string unsatInstance(std::mt19937& rng) {
    for (;;) {
        Instance inst = plantedCoreInstance(rng);
        if (inst.constraints.size() >= 6 && !bruteForceSat(inst)) return inst.toText();
    }
}

TEST(MucProbe, TimeOutBeforeTheFirstProbeLeavesTheInstance) {
    SolverLayout layout("exit 10");
    std::mt19937 rng(11);
    const std::string input = unsatInstance(rng);
    writeFile(layout.work + "/current.txt", input);
    while (processorTime() < 1) {
    }
    std::FILE* report = std::tmpfile();
    MucStop stop = extractIn(layout.work, 0, report);
    EXPECT_EQ(stop.status, 0);
    EXPECT_EQ(stop.message, "TIME OUT rok\n");
    EXPECT_EQ(std::ftell(report), 0) << "no report";
    std::fclose(report);
    EXPECT_EQ(readFile(layout.work + "/current.txt"), input);
}

TEST(MucProbe, TimeOutInTheMiddleLeavesAnUnsatisfiableInstance) {
    // A solver that finds everything satisfiable, slowly: no cut is ever
    // made, and every probe is a prefix that misses constraints.
    SolverLayout layout("i=0; while [ $i -lt 20000 ]; do i=$((i+1)); done; exit 10");
    std::mt19937 rng(12);
    const std::string input = unsatInstance(rng);
    writeFile(layout.work + "/current.txt", input);
    MucStop stop = extractIn(layout.work, processorTime() + 3, stdout);
    EXPECT_EQ(stop.status, 0);
    ASSERT_EQ(stop.message, "TIME OUT rok\n");
    const std::string left = readFile(layout.work + "/current.txt");
    InstanceLines in = splitInstanceLines(input), out = splitInstanceLines(left);
    EXPECT_EQ(out.head, in.head);
    EXPECT_EQ(out.countLine, in.countLine);
    std::sort(in.constraints.begin(), in.constraints.end());
    std::sort(out.constraints.begin(), out.constraints.end());
    EXPECT_EQ(out.constraints, in.constraints) << "the lines of the instance, perhaps in another order";
    EXPECT_FALSE(bruteForceSat(parseInstance(left)));
}

TEST(MucProbe, EveryProbeFindsEnoughWeights) {
    // The solver fails as the real one does when the weight file is short.
    SolverLayout layout(
        "n=$(awk 'NR==1{next} !c{c=$1+0; b++; if(b==4){print c; exit}; next} {c--}' current.txt)\n"
        "[ \"$(wc -w < weight)\" -ge $((2*n)) ] || exit 255\n"
        "echo 1 > weight\n"  // as if a smaller network had been solved
        "exit 10");
    std::mt19937 rng(13);
    const std::string input = unsatInstance(rng);
    writeFile(layout.work + "/current.txt", input);
    std::FILE* report = std::tmpfile();
    MucStop stop = extractIn(layout.work, DEFAULT_TIME_LIMIT, report);
    std::fclose(report);
    EXPECT_EQ(stop.message, "");
    EXPECT_EQ(stop.status, 0);
}

}  // namespace

// On a full disk the copy of the instance over the probe is cut short, and
// the saved instance itself takes the probe's place.
TEST(MucProbe, PutBackRenamesWhenTheCopyCannotBeWritten) {
    const std::string instance(3000, 'i');
    for (const bool diskFull : {false, true}) {
        TempDir dir;
        writeFile(dir / "backCur", instance);
        writeFile(dir / "current.txt", "probe\n");
        bool ok = false;
        {
            ScopedFileSizeLimit limite(diskFull ? 1500 : 1ul << 30);
            ok = putBack((dir / "backCur").c_str(), (dir / "current.txt").c_str());
        }
        EXPECT_TRUE(ok) << diskFull;
        EXPECT_EQ(readFile(dir / "current.txt"), instance) << diskFull;
        EXPECT_EQ(fileExists(dir / "backCur"), !diskFull) << diskFull << ": copied, or renamed";
    }
}
