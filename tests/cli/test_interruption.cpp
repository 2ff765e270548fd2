// SIGINT and SIGTERM during a solver run: muc puts the instance back and
// stops the solver, the wrappers leave no scratch directory and no process.
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <thread>

#include "harness.h"
#include "process.h"

#if defined(MUC_PATH) && defined(WRAPPER_DIR)

namespace fs = std::filesystem;

namespace {

// A triangle of differences over two values.
const std::string TRIANGLE = "?\n1\n0 2 0 1\n3\n0 0\n1 0\n2 0\n1\n0 0 2 0 0 2 0 0 1 1\n3\n2 0 1 0\n2 1 2 0\n2 2 0 0\n";

// A fake solver that writes the pids of its processes to `pidFile`, then
// sleeps; with `stubborn` it ignores SIGINT and SIGTERM.
std::string sleepingSolver(const std::string& pidFile, bool stubborn) {
    if (stubborn) return "trap '' INT TERM\nsleep 30 &\necho $$ $! > " + pidFile + "\nwait\n";
    return "echo $$ > " + pidFile + "\nexec sleep 30\n";
}

void writeScript(const std::string& path, const std::string& body) {
    writeFile(path, "#!/bin/sh\n" + body);
    fs::permissions(path, fs::perms::owner_all);
}

std::vector<pid_t> readPids(const std::string& path) {
    std::ifstream f(path);
    std::vector<pid_t> pids;
    for (pid_t p; f >> p;) pids.push_back(p);
    return pids;
}

// Fails for each process of `pids` still running a second from now.
void expectGone(const std::vector<pid_t>& pids, const std::string& what) {
    ASSERT_FALSE(pids.empty()) << what;
    for (int waited = 0; waited < 1000; waited += 10) {
        bool any = false;
        for (pid_t p : pids) any = any || processRunning(p);
        if (!any) return;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    for (pid_t p : pids) EXPECT_FALSE(processRunning(p)) << what << ": process " << p << " left running";
}

struct Signal {
    int signo;
    int status;
};

TEST(MucInterruption, RestoresTheInstanceAndStopsTheSolver) {
    struct Case {
        Signal sig;
        bool stubborn;
    };
    const std::vector<Case> cases = {
        {{SIGINT, 130}, false},
        {{SIGTERM, 143}, false},
        {{SIGTERM, 143}, true},  // the solver ignores it: killed after a grace delay
        {{SIGHUP, 129}, false},  // the terminal or the ssh session closed
        {{SIGQUIT, 131}, false},
    };
    for (const Case& c : cases) {
        const std::string what = "signal " + std::to_string(c.sig.signo) + (c.stubborn ? ", stubborn solver" : "");
        TempDir root;
        const std::string root_ = fs::canonical(root.path).string();
        const std::string work = root_ + "/work", pidFile = root_ + "/solver.pid";
        fs::create_directories(root_ + "/Tivar/bin");
        fs::create_directories(work);
        writeScript(root_ + "/Tivar/bin/mac", sleepingSolver(pidFile, c.stubborn));
        writeFile(work + "/current.txt", TRIANGLE);
        pid_t muc = startProgram(work, MUC_PATH, {}, root_ + "/out", root_ + "/err");
        ASSERT_TRUE(waitForFile(pidFile, 10000)) << what;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));  // the fake solver reaches its sleep
        ASSERT_NE(readFile(work + "/current.txt"), TRIANGLE) << what << ": a probe stands";
        kill(muc, c.sig.signo);
        EXPECT_EQ(waitProgram(muc, 10000), c.sig.status) << what;
        EXPECT_EQ(readFile(work + "/current.txt"), TRIANGLE) << what;
        EXPECT_EQ(readFile(root_ + "/err"), "Interrupted by signal " + std::to_string(c.sig.signo) + "\n") << what;
        EXPECT_EQ(readFile(root_ + "/out"), "") << what;
        expectGone(readPids(pidFile), what);
        EXPECT_TRUE(processesUnder(root_).empty()) << what;
    }
}

// A directory of programs for the wrappers: the real muc, the wrapper under
// test, and a fake mac that sleeps in muc's working directory and elsewhere
// answers at once: "satisfiable" without constraints (the last line of the
// file is the count 0), "unsatisfiable" with.
struct WrapperBin {
    TempDir root;
    std::string dir = fs::canonical(root.path).string();
    std::string bin = dir + "/bin", tmp = dir + "/tmp", pidFile = dir + "/solver.pid";
    explicit WrapperBin(bool sleepEverywhere) {
        fs::create_directories(bin);
        fs::create_directories(tmp);
        fs::create_symlink(MUC_PATH, bin + "/muc");
        for (const char* w : {"muc-extract", "mac-solve"}) fs::copy_file(WRAPPER_DIR "/" + std::string(w), bin + "/" + w);
        const std::string sleeper = sleepingSolver(pidFile, false);
        writeScript(bin + "/mac", sleepEverywhere ? sleeper
                                        : "case $PWD in */work)\n" + sleeper +
                                              ";;\nesac\n[ \"$(tail -n 1 current.txt)\" = 0 ] && exit 10\nexit 0\n");
        writeFile(dir + "/triangle.txt", TRIANGLE);
    }
};

TEST(WrapperInterruption, LeavesNoScratchDirectoryAndNoProcess) {
    struct Case {
        const char* wrapper;
        Signal sig;
    };
    const std::vector<Case> cases = {
        {"muc-extract", {SIGINT, 130}},
        {"muc-extract", {SIGTERM, 143}},
        {"mac-solve", {SIGINT, 130}},
        {"mac-solve", {SIGTERM, 143}},
        {"muc-extract", {SIGHUP, 129}},
        {"muc-extract", {SIGQUIT, 131}},
        {"mac-solve", {SIGHUP, 129}},
    };
    for (const Case& c : cases) {
        const std::string what = std::string(c.wrapper) + ", signal " + std::to_string(c.sig.signo);
        WrapperBin b(std::string(c.wrapper) == "mac-solve");
        pid_t pid = startProgram(b.dir, b.bin + "/" + c.wrapper, {"triangle.txt"}, b.dir + "/out", b.dir + "/err",
                                 {{"TMPDIR", b.tmp}});
        ASSERT_TRUE(waitForFile(b.pidFile, 10000)) << what << ": " << readFile(b.dir + "/err");
        ASSERT_FALSE(fs::is_empty(b.tmp)) << what;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        kill(pid, c.sig.signo);
        EXPECT_EQ(waitProgram(pid, 10000), c.sig.status) << what << ": " << readFile(b.dir + "/err");
        EXPECT_TRUE(fs::is_empty(b.tmp)) << what << ": scratch directory left";
        expectGone(readPids(b.pidFile), what);
        EXPECT_TRUE(processesUnder(b.dir).empty()) << what;
        EXPECT_EQ(readFile(b.dir + "/triangle.txt"), TRIANGLE) << what;
        EXPECT_FALSE(fileExists(b.dir + "/triangle.core.txt")) << what;
    }
}

}  // namespace

#endif  // MUC_PATH && WRAPPER_DIR
