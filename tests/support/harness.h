// Test support: temporary working directories and runs of the programs.
#pragma once

#include <string>
#include <vector>

// A fresh directory under $TMPDIR, removed with its content on destruction.
struct TempDir {
    std::string path;
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    std::string operator/(const std::string& name) const { return path + "/" + name; }
};

void writeFile(const std::string& path, const std::string& content);
std::string readFile(const std::string& path);
bool fileExists(const std::string& path);

// Runs the rest of the scope in another working directory.
struct ScopedChdir {
    std::string previous;
    explicit ScopedChdir(const std::string& dir);
    ~ScopedChdir();
    ScopedChdir(const ScopedChdir&) = delete;
    ScopedChdir& operator=(const ScopedChdir&) = delete;
};

// For the rest of the scope, writes past `bytes` from the start of a file
// fail (EFBIG, SIGXFSZ ignored), as on a full disk.
struct ScopedFileSizeLimit {
    unsigned long previousLimit;
    void (*previousHandler)(int);
    explicit ScopedFileSizeLimit(unsigned long bytes);
    ~ScopedFileSizeLimit();
    ScopedFileSizeLimit(const ScopedFileSizeLimit&) = delete;
    ScopedFileSizeLimit& operator=(const ScopedFileSizeLimit&) = delete;
};

// What a finished program left: its exit status (128 + signal when killed),
// its standard output and standard error.
struct RunResult {
    int status = -1;
    std::string out;
    std::string err;
};

// Runs `program` with `args` in directory `dir`, standard input empty.
// The program is killed after `timeoutSeconds`.
RunResult runProgram(const std::string& dir, const std::string& program, const std::vector<std::string>& args = {},
                     int timeoutSeconds = 120);
