#include "process.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <dirent.h>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <stdexcept>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

void sleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

}  // namespace

pid_t startProgram(const std::string& dir, const std::string& program, const std::vector<std::string>& args,
                   const std::string& outPath, const std::string& errPath,
                   const std::vector<std::pair<std::string, std::string>>& env) {
    pid_t pid = fork();
    if (pid < 0) throw std::runtime_error("fork failed");
    if (pid == 0) {
        int in = open("/dev/null", O_RDONLY);
        int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (in < 0 || out < 0 || err < 0 || chdir(dir.c_str()) != 0) _exit(121);
        dup2(in, 0);
        dup2(out, 1);
        dup2(err, 2);
        for (const auto& [name, value] : env) setenv(name.c_str(), value.c_str(), 1);
        std::vector<char*> argv;
        argv.push_back(const_cast<char*>(program.c_str()));
        for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(program.c_str(), argv.data());
        _exit(122);
    }
    return pid;
}

int waitProgram(pid_t pid, int timeoutMs) {
    int wstatus = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    // Short programs are the rule: poll often at first, then every 5 ms.
    for (auto pause = std::chrono::microseconds(100);; pause = std::min(2 * pause, std::chrono::microseconds(5000))) {
        pid_t w = waitpid(pid, &wstatus, WNOHANG);
        if (w == pid) break;
        if (w < 0 && errno != EINTR) throw std::runtime_error("waitpid failed");
        if (std::chrono::steady_clock::now() >= deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, &wstatus, 0);
            return -1;
        }
        std::this_thread::sleep_for(pause);
    }
    return WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : 128 + WTERMSIG(wstatus);
}

bool processRunning(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    if (!stat) return kill(pid, 0) == 0;
    std::string line;
    std::getline(stat, line);
    // pid (comm) state ...: the state follows the last parenthesis.
    size_t close = line.rfind(')');
    return close == std::string::npos || close + 2 >= line.size() || line[close + 2] != 'Z';
}

bool waitForFile(const std::string& path, int timeoutMs) {
    for (int waited = 0; waited <= timeoutMs; waited += 5) {
        struct stat st;
        if (stat(path.c_str(), &st) == 0 && st.st_size > 0) return true;
        sleepMs(5);
    }
    return false;
}

std::vector<pid_t> processesUnder(const std::string& dir) {
    std::vector<pid_t> found;
    DIR* proc = opendir("/proc");
    if (!proc) return found;
    while (dirent* e = readdir(proc)) {
        char* end = nullptr;
        long pid = std::strtol(e->d_name, &end, 10);
        if (*end != '\0' || pid <= 0) continue;
        char target[4096];
        ssize_t n = readlink(("/proc/" + std::string(e->d_name) + "/cwd").c_str(), target, sizeof target - 1);
        if (n <= 0) continue;
        target[n] = '\0';
        std::string cwd = target;
        if ((cwd == dir || cwd.starts_with(dir + "/")) && processRunning(static_cast<pid_t>(pid)))
            found.push_back(static_cast<pid_t>(pid));
    }
    closedir(proc);
    return found;
}
