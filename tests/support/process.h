// Test support: programs started in the background, signalled and watched.
#pragma once

#include <string>
#include <sys/types.h>
#include <utility>
#include <vector>

// Starts `program` with `args` in directory `dir`, its standard input empty
// and its output in `outPath` and `errPath`; `env` entries are set in its
// environment.  Returns its pid.
pid_t startProgram(const std::string& dir, const std::string& program, const std::vector<std::string>& args,
                   const std::string& outPath, const std::string& errPath,
                   const std::vector<std::pair<std::string, std::string>>& env = {});

// Waits up to `timeoutMs` for `pid` to end: its exit status (128 + signal
// when killed), or -1 when it is still running (it is then killed).
int waitProgram(pid_t pid, int timeoutMs);

// True while process `pid` exists and is not a zombie.
bool processRunning(pid_t pid);

// Waits up to `timeoutMs` for `path` to exist with some content.
bool waitForFile(const std::string& path, int timeoutMs);

// The processes whose working directory lies under `dir` (deleted or not).
std::vector<pid_t> processesUnder(const std::string& dir);
