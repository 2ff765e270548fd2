#include "harness.h"

#include "process.h"

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <sys/resource.h>
#include <unistd.h>

namespace fs = std::filesystem;

TempDir::TempDir() {
    std::string tmpl = (fs::temp_directory_path() / "csp-test-XXXXXX").string();
    if (!mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp failed");
    path = tmpl;
}

TempDir::~TempDir() {
    std::error_code ec;
    fs::remove_all(path, ec);
}

void writeFile(const std::string& path, const std::string& content) {
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    if (!f) throw std::runtime_error("cannot write " + path);
    f << content;
}

std::string readFile(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    if (!f) return "<missing " + path + ">";
    std::ostringstream s;
    s << f.rdbuf();
    return s.str();
}

bool fileExists(const std::string& path) { return fs::exists(path); }

ScopedChdir::ScopedChdir(const std::string& dir) {
    char buf[4096];
    if (!getcwd(buf, sizeof buf)) throw std::runtime_error("getcwd failed");
    previous = buf;
    if (chdir(dir.c_str()) != 0) throw std::runtime_error("cannot enter " + dir);
}

ScopedChdir::~ScopedChdir() {
    if (chdir(previous.c_str()) != 0) std::abort();
}

ScopedFileSizeLimit::ScopedFileSizeLimit(unsigned long bytes) {
    struct rlimit limite;
    if (getrlimit(RLIMIT_FSIZE, &limite) != 0) throw std::runtime_error("getrlimit failed");
    previousLimit = limite.rlim_cur;
    previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    limite.rlim_cur = std::min<rlim_t>(bytes, limite.rlim_max);
    if (setrlimit(RLIMIT_FSIZE, &limite) != 0) throw std::runtime_error("setrlimit failed");
}

ScopedFileSizeLimit::~ScopedFileSizeLimit() {
    struct rlimit limite;
    getrlimit(RLIMIT_FSIZE, &limite);
    limite.rlim_cur = previousLimit;
    setrlimit(RLIMIT_FSIZE, &limite);
    std::signal(SIGXFSZ, previousHandler);
}

RunResult runProgram(const std::string& dir, const std::string& program, const std::vector<std::string>& args,
                     int timeoutSeconds) {
    TempDir io;
    const std::string outPath = io / "stdout", errPath = io / "stderr";
    RunResult r;
    r.status = waitProgram(startProgram(dir, program, args, outPath, errPath), timeoutSeconds * 1000);
    if (r.status == -1) r.status = 128 + SIGKILL;
    r.out = readFile(outPath);
    r.err = readFile(errPath);
    return r;
}
