#include "mucShell.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

namespace {

volatile sig_atomic_t caught = 0;     // the signal caught, 0 when none
volatile sig_atomic_t childGroup = 0; // process group of the running command, 0 when none

// The signals that stop the extractor: ^C, kill, ^\ and the end of the
// terminal or of the ssh session.
constexpr int ARRETS[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

void onInterruption(int signo) {
    const int saved = errno;
    if (caught == 0) caught = signo;
    if (childGroup > 0) kill(-childGroup, signo);
    errno = saved;
}

void pause(long ms) {
    struct timespec t = {ms / 1000, (ms % 1000) * 1000000L};
    while (nanosleep(&t, &t) != 0 && errno == EINTR) {
    }
}

// In the child: a group of its own, default dispositions, then the shell.
[[noreturn]] void execShell(const char* command) {
    setpgid(0, 0);
    struct sigaction dfl = {};
    dfl.sa_handler = SIG_DFL;
    for (const int signo : ARRETS) sigaction(signo, &dfl, nullptr);
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    execl("/bin/sh", "sh", "-c", command, static_cast<char*>(nullptr));
    _exit(127);
}

// Waits for `pid` after an interruption, SIGKILL to its group when the grace
// delay runs out; then SIGKILL to whatever is left of the group, which has
// had the signal already.
int waitStopped(pid_t pid, int graceMs) {
    int status = 0;
    pid_t w = 0;
    for (int waited = 0; w != pid && waited < graceMs; waited += 10) {
        w = waitpid(pid, &status, WNOHANG);
        if (w < 0 && errno != EINTR) return -1;
        if (w != pid) pause(10);
    }
    kill(-pid, SIGKILL);
    while (w != pid)
        if ((w = waitpid(pid, &status, 0)) < 0 && errno != EINTR) return -1;
    return status;
}

}  // namespace

void catchInterruptions() {
    struct sigaction sa = {};
    sa.sa_handler = onInterruption;
    sa.sa_mask = stoppingSignals();
    sa.sa_flags = 0;  // no restart: a wait in progress returns at once
    for (const int signo : ARRETS) sigaction(signo, &sa, nullptr);
}

sigset_t stoppingSignals() {
    sigset_t set;
    sigemptyset(&set);
    for (const int signo : ARRETS) sigaddset(&set, signo);
    return set;
}

int interruption() { return caught; }

int runShell(const char* command, int graceMs) {
    std::fflush(nullptr);
    pid_t pid = fork();
    if (pid < 0) return -1;
    if (pid == 0) execShell(command);
    setpgid(pid, pid);  // also here, so that the group exists before any signal is passed on
    childGroup = pid;
    if (caught) kill(-pid, caught);  // caught before the group was known
    int status = 0;
    for (;;) {
        if (waitpid(pid, &status, 0) == pid) break;
        if (errno != EINTR) {
            status = -1;
            break;
        }
        if (caught) {
            status = waitStopped(pid, graceMs);
            break;
        }
    }
    childGroup = 0;
    return status;
}

bool copyFile(const char* from, const char* to) {
    int in = open(from, O_RDONLY);
    if (in < 0) return false;
    int out = open(to, O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (out < 0) {
        close(in);
        return false;
    }
    bool ok = true;
    char buf[65536];
    for (;;) {
        ssize_t n = read(in, buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            ok = n == 0;
            break;
        }
        for (ssize_t done = 0; done < n;) {
            ssize_t w = write(out, buf + done, static_cast<size_t>(n - done));
            if (w < 0 && errno == EINTR) continue;
            if (w <= 0) {
                ok = false;
                break;
            }
            done += w;
        }
        if (!ok) break;
    }
    close(in);
    return close(out) == 0 && ok;
}

bool putBack(const char* from, const char* to) { return copyFile(from, to) || std::rename(from, to) == 0; }
