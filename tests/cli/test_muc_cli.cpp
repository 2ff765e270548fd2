// The core extractor end to end: the program in a working directory with a
// solver at "../Tivar/bin/mac".
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "core_check.h"
#include "harness.h"

#ifdef MUC_PATH

namespace fs = std::filesystem;

namespace {

// A scratch tree: root/work is muc's working directory, root/Tivar/bin/mac
// its solver.
struct MucLayout {
    TempDir root;
    std::string work = root / "work";
    std::string solver = root / "Tivar/bin/mac";
    MucLayout() {
        fs::create_directories(root / "Tivar/bin");
        fs::create_directories(work);
    }
    void linkSolver(const std::string& path) { fs::create_symlink(path, solver); }
    void scriptSolver(const std::string& body, bool executable = true) {
        writeFile(solver, "#!/bin/sh\n" + body + "\n");
        if (executable) fs::permissions(solver, fs::perms::owner_all);
    }
    std::string current() const { return readFile(work + "/current.txt"); }
    RunResult run(const std::string& instance) {
        writeFile(work + "/current.txt", instance);
        return runProgram(work, MUC_PATH);
    }
};

std::string report(int sat, int unsat, int core) {
    return "#SAT calls: " + std::to_string(sat) + "\n#UNSAT calls: " + std::to_string(unsat) +
           "\nNumber of constraints of delivered MUC : " + std::to_string(core) + "\n";
}

// An odd cycle of differences over two values: unsatisfiable, and
// satisfiable without any one of its constraints.
Instance oddCycle(int len) {
    Instance inst;
    inst.domains = {{0, 1}};
    inst.varDom.assign(len, 0);
    inst.relations = {{false, 0, 0, {{0, 0}, {1, 1}}}};
    for (int k = 0; k < len; ++k) inst.constraints.push_back({k, (k + 1) % len, 0});
    return inst;
}

const std::string TRIANGLE = oddCycle(3).toText();

TEST(MucCli, NoConstraintOrOneMakesNoSolverRun) {
    struct Case {
        std::string instance;
        std::string out;
    };
    const std::vector<Case> cases = {
        {"?\n1\n0 2 0 1\n2\n0 0\n1 0\n0\n0\n", report(0, 0, 0)},
        {"?\n1\n0 2 0 1\n2\n0 0\n1 0\n1\n0 1 2 0 0 0\n1\n2 0 1 0\n", report(0, 0, 1)},
    };
    for (const Case& c : cases) {
        MucLayout layout;  // no solver at all
        RunResult r = layout.run(c.instance);
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.out, c.out);
        EXPECT_EQ(r.err, "");
        EXPECT_EQ(layout.current(), c.instance);
    }
}

TEST(MucCli, SolverFailuresStopTheRunAndKeepTheInstance) {
    struct Case {
        const char* what;
        std::string script;  // empty: no solver
        bool executable;
        int status;
    };
    const std::vector<Case> cases = {
        {"missing solver", "", true, 127},
        {"solver not executable", "exit 0", false, 126},
        {"solver error", "exit 1", true, 1},
        {"missing weight file", "echo \"Can't open 'weight' file.\" >&2; exit 255", true, 255},
        {"killed solver", "kill -KILL $$", true, 137},
    };
    for (const Case& c : cases) {
        MucLayout layout;
        if (!c.script.empty()) layout.scriptSolver(c.script, c.executable);
        RunResult r = layout.run(TRIANGLE);
        EXPECT_EQ(r.status, 255) << c.what;
        const std::string message = "Solver failed on a probe (status " + std::to_string(c.status) + ")\n";
        EXPECT_TRUE(r.err.ends_with(message)) << c.what << ": " << r.err;
        EXPECT_EQ(r.out, "") << c.what;
        EXPECT_EQ(layout.current(), TRIANGLE) << c.what;
    }
}

// An error while a probe stands in "current.txt" (here the weight file
// can't be written, before the first probe or between two) puts the
// instance back: a second run must not take the probe for it.
TEST(MucCli, ErrorsDuringADichotomyKeepTheInstance) {
    struct Case {
        const char* what;
        bool weightDirectory;  // "weight" a directory from the start
        std::string script;    // the solver
    };
    const std::vector<Case> cases = {
        {"weight file a directory", true, "exit 10"},
        {"weight file made a directory by the first probe", false, "rm -f weight; mkdir weight; exit 10"},
    };
    for (const Case& c : cases) {
        MucLayout layout;
        layout.scriptSolver(c.script);
        if (c.weightDirectory) fs::create_directories(layout.work + "/weight");
        const std::string instance = oddCycle(5).toText();
        RunResult r = layout.run(instance);
        EXPECT_EQ(r.status, 255) << c.what;
        EXPECT_EQ(r.err, "Can't create 'weight' file.\n") << c.what;
        EXPECT_EQ(layout.current(), instance) << c.what;
    }
}

TEST(MucCli, FormatErrorsEndWith255) {
    MucLayout layout;
    RunResult r = layout.run("?\n2\n0 1 0\n");
    EXPECT_EQ(r.status, 255);
    EXPECT_EQ(r.err, "Internal error #4 (b)\n");
    // A constraint count beyond the format's 65535, before any weight is written.
    r = layout.run("?\n1\n0 2 0 1\n2\n0 0\n1 0\n1\n0 0 2 0 0 0\n100000000\n2 0 1 0\n2 0 1 0\n");
    EXPECT_EQ(r.status, 255);
    EXPECT_EQ(r.err, "Internal error #4 (c)\n");
    EXPECT_FALSE(fileExists(layout.work + "/weight"));
    fs::remove(layout.work + "/current.txt");
    r = runProgram(layout.work, MUC_PATH);
    EXPECT_EQ(r.status, 255);
    EXPECT_EQ(r.err, "Can't open 'current.txt' file.\n");
}

#ifdef MAC_PATH

TEST(MucCli, AnInstanceThatIsACoreTakesNPlusOneDichotomies) {
    // Every probe is a proper prefix, so satisfiable: floor(log2 n) probes
    // per dichotomy, n + 1 dichotomies, no cut.
    struct Case {
        int len, sat;
    };
    for (Case c : {Case{3, 4 * 1}, Case{5, 6 * 2}, Case{9, 10 * 3}}) {
        MucLayout layout;
        layout.linkSolver(MAC_PATH);
        const std::string input = oddCycle(c.len).toText();
        RunResult r = layout.run(input);
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.out, report(c.sat, 0, c.len));
        EXPECT_EQ(checkCore(input, layout.current()), "");
    }
}

TEST(MucCli, CutsLeaveTheCoreUnderItsOwnCount) {
    // The triangle among satisfiable constraints on other variables.
    Instance inst = oddCycle(3);
    inst.varDom.resize(6, 0);
    for (auto [x, y] : {std::pair{3, 4}, {4, 5}, {0, 3}})
        inst.constraints.insert(inst.constraints.begin() + 1, {x, y, 0});
    const std::string input = inst.toText() + "\n";  // with the converter's empty last line
    MucLayout layout;
    layout.linkSolver(MAC_PATH);
    RunResult r = layout.run(input);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(r.out.ends_with("Number of constraints of delivered MUC : 3\n")) << r.out;
    EXPECT_EQ(checkCore(input, layout.current()), "");
    EXPECT_EQ(splitInstanceLines(layout.current()).countLine, "3\n");
    EXPECT_FALSE(fileExists(layout.work + "/curTemp"));
}

TEST(MucCli, StartsWithoutAWeightFile) {
    MucLayout layout;
    layout.linkSolver(MAC_PATH);
    ASSERT_FALSE(fileExists(layout.work + "/weight"));
    RunResult r = layout.run(oddCycle(5).toText());
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_TRUE(fileExists(layout.work + "/weight"));
}

// Random unsatisfiable instances, plain and with a planted core, some with
// an empty last line or constraint lines padded past a hundred characters.
class MucCores : public ::testing::TestWithParam<int> {};

constexpr int BATCHES = 10, PER_BATCH = 21;

TEST_P(MucCores, DeliverMinimalUnsatisfiableSubsets) {
    std::mt19937 rng(1000 + GetParam());
    GenParams dense;
    dense.maxVars = 7;
    dense.density = 0.6;
    dense.tightness = 0.45;
    GenParams loose = dense;
    loose.tightness = 0.2;
    for (int done = 0; done < PER_BATCH;) {
        const bool planted = done % 3 == 0;
        Instance inst = planted ? plantedCoreInstance(rng, loose) : randomInstance(rng, dense);
        if (inst.constraints.empty() || bruteForceSat(inst)) continue;
        if (std::any_of(inst.domains.begin(), inst.domains.end(), [](const auto& d) { return d.empty(); })) continue;
        std::string input = inst.toText();
        if (done % 4 == 1) input += "\n";
        if (done % 5 == 2) {
            std::string padded;
            InstanceLines lines = splitInstanceLines(input);
            padded = lines.head + lines.countLine;
            for (auto l : lines.constraints) padded += l.substr(0, l.size() - 1) + std::string(120, ' ') + "\n";
            input = padded;
        }
        ++done;
        MucLayout layout;
        layout.linkSolver(MAC_PATH);
        RunResult r = layout.run(input);
        ASSERT_EQ(r.status, 0) << r.err << input;
        ASSERT_EQ(checkCore(input, layout.current()), "") << input;
        const int size = static_cast<int>(splitInstanceLines(layout.current()).constraints.size());
        EXPECT_TRUE(r.out.ends_with("Number of constraints of delivered MUC : " + std::to_string(size) + "\n"));
    }
}

INSTANTIATE_TEST_SUITE_P(Seeds, MucCores, ::testing::Range(0, BATCHES));

#endif  // MAC_PATH

}  // namespace

#endif  // MUC_PATH
