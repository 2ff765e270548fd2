// Soak run of the core extractor: random unsatisfiable instances, two
// muc-extract runs at a time, each in a directory of its own.  Every core
// must be unsatisfiable and minimal (checked by brute force), every run must
// leave nothing behind it: no scratch directory in its TMPDIR, nothing but
// the instance and its core in its directory.
//
// Usage: soak MUC-EXTRACT [COUNT [SEED]]
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "core_check.h"
#include "harness.h"
#include "process.h"

namespace fs = std::filesystem;

namespace {

// An unsatisfiable instance with no empty domain: plain random ones and
// ones with a small planted core, in turn.
Instance unsatisfiable(std::mt19937& rng, int k) {
    GenParams dense;
    dense.maxVars = 8;
    dense.density = 0.6;
    dense.tightness = 0.45;
    GenParams loose = dense;
    loose.maxVars = 9;
    loose.tightness = 0.2;
    for (;;) {
        Instance inst = k % 2 ? plantedCoreInstance(rng, loose) : randomInstance(rng, dense);
        if (inst.constraints.empty() || bruteForceSat(inst)) continue;
        if (std::any_of(inst.domains.begin(), inst.domains.end(), [](const auto& d) { return d.empty(); })) continue;
        return inst;
    }
}

struct Job {
    int index = 0;
    std::string dir, input;
    pid_t pid = 0;
};

Job start(const std::string& extract, const std::string& root, int index, const std::string& input) {
    Job j{index, root + "/run" + std::to_string(index), input};
    fs::create_directories(j.dir);
    writeFile(j.dir + "/instance.txt", input);
    j.pid = startProgram(j.dir, extract, {"instance.txt"}, j.dir + "/out", j.dir + "/err",
                         {{"TMPDIR", root + "/tmp"}});
    return j;
}

// What is wrong with a finished job, empty when nothing.
std::string finish(const Job& j) {
    const int status = waitProgram(j.pid, 600000);
    if (status != 0) return "muc-extract ended with status " + std::to_string(status) + ": " + readFile(j.dir + "/err");
    std::string why = checkCore(j.input, readFile(j.dir + "/instance.core.txt"));
    if (!why.empty()) return "core: " + why;
    if (readFile(j.dir + "/instance.txt") != j.input) return "the instance was modified";
    for (const auto& e : fs::directory_iterator(j.dir)) {
        const std::string name = e.path().filename().string();
        if (name != "instance.txt" && name != "instance.core.txt" && name != "out" && name != "err")
            return "left behind: " + name;
    }
    return "";
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: soak MUC-EXTRACT [COUNT [SEED]]\n");
        return 2;
    }
    const std::string extract = fs::absolute(argv[1]).string();
    const int count = argc > 2 ? std::atoi(argv[2]) : 100;
    std::mt19937 rng(argc > 3 ? static_cast<unsigned>(std::atoi(argv[3])) : 7);
    TempDir root;
    fs::create_directories(root / "tmp");

    int failures = 0;
    for (int k = 0; k < count; k += 2) {
        std::vector<Job> jobs;
        for (int i = k; i < std::min(k + 2, count); ++i)
            jobs.push_back(start(extract, root.path, i, unsatisfiable(rng, i).toText()));
        for (const Job& j : jobs) {
            const std::string why = finish(j);
            if (why.empty()) continue;
            ++failures;
            std::fprintf(stderr, "instance %d: %s\n%s", j.index, why.c_str(), j.input.c_str());
        }
        for (const Job& j : jobs) fs::remove_all(j.dir);
    }
    int leftovers = 0;
    for (const auto& e : fs::directory_iterator(root / "tmp")) {
        std::fprintf(stderr, "scratch left in TMPDIR: %s\n", e.path().c_str());
        ++leftovers;
    }
    std::printf("soak: %d instances, %d failed, %d scratch entries left\n", count, failures, leftovers);
    return failures || leftovers ? 1 : 0;
}
