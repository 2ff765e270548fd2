#include "muc.h"

#include <cctype>
#include <climits>
#include <cstdarg>
#include <cstdint>
#include <csignal>
#include <cstdlib>
#include <new>
#include <sys/times.h>
#include <sys/wait.h>

#include "mucShell.h"

namespace {

//==========================================================================
// Failures

[[noreturn]] void fail(const std::string& message) { throw MucStop{-1, message}; }

std::string format(const char* fmt, ...) {
    va_list ap, again;
    va_start(ap, fmt);
    va_copy(again, ap);
    std::string text(static_cast<size_t>(std::vsnprintf(nullptr, 0, fmt, ap)), '\0');
    std::vsnprintf(text.data(), text.size() + 1, fmt, again);
    va_end(again);
    va_end(ap);
    return text;
}

//==========================================================================
// Streams

// A stream closed when it goes out of scope.
class Stream {
public:
    explicit Stream(std::FILE* f) : f_(f) {}
    ~Stream() {
        if (f_) std::fclose(f_);
    }
    Stream(const Stream&) = delete;
    Stream& operator=(const Stream&) = delete;
    std::FILE* get() const { return f_; }
    // Closes now; false when buffered output could not be written.
    bool close() {
        std::FILE* f = f_;
        f_ = nullptr;
        return std::fclose(f) == 0;
    }

private:
    std::FILE* f_;
};

std::FILE* openForReading(const std::string& name) {
    std::FILE* f = std::fopen(name.c_str(), "r");
    if (!f) fail(format("Can't open '%s' file.\n", name.c_str()));
    return f;
}

std::FILE* createFile(const std::string& name) {
    std::FILE* f = std::fopen(name.c_str(), "w+");
    if (!f) fail(format("Can't create '%s' file.\n", name.c_str()));
    return f;
}

void closeOutput(Stream& out, const std::string& name) {
    if (!out.close()) fail(format("Can't write '%s' file.\n", name.c_str()));
}

//==========================================================================
// Lines

// How a pass over one line ended.
struct LineEnd {
    long chars = 0;        // characters read, the newline included
    bool newline = false;  // false: the file ended first
};

// Reads one line, copying it to `out` unless it is null.
LineEnd passLine(std::FILE* in, std::FILE* out) {
    LineEnd end;
    int c;
    while ((c = std::getc(in)) != EOF) {
        ++end.chars;
        if (out) std::putc(c, out);
        if (c == '\n') {
            end.newline = true;
            break;
        }
    }
    return end;
}

// Passes over `count` complete lines; false when the file ends first.
bool passLines(std::FILE* in, std::FILE* out, int count) {
    for (int k = 0; k < count; ++k)
        if (!passLine(in, out).newline) return false;
    return true;
}

// A count line: white space, a decimal number, one character and, when
// that was not the newline, the rest of the line.  False when there is no
// number in range followed by a character.  With `out` the line is written
// back from the number read.
bool readCountLine(std::FILE* in, std::FILE* out, int& count) {
    int c;
    do c = std::getc(in);
    while (c != EOF && std::isspace(c));
    bool negative = false;
    if (c == '+' || c == '-') {
        negative = c == '-';
        c = std::getc(in);
    }
    if (c == EOF || !std::isdigit(c)) return false;
    long long value = 0;
    for (; c != EOF && std::isdigit(c); c = std::getc(in)) {
        value = value * 10 + (c - '0');
        if (value > INT_MAX) return false;
    }
    if (c == EOF || negative) return false;  // a negative count is no count
    count = static_cast<int>(value);
    if (out) std::fprintf(out, "%d%c", count, c);
    if (c != '\n') passLine(in, out);
    return true;
}

//==========================================================================
// The head of an instance file: the name line and the first three blocks.

// The messages of one routine for a head it cannot walk.
struct HeadErrors {
    const char* nameLine;
    const char* block;       // count line unreadable, or block cut short
    const char* ctrCount;
};

const HeadErrors searchErrors = {"Internal error #4 (a)\n", "Internal error #4 (b)\n", "Internal error #4 (c)\n"};
const HeadErrors generateErrors = {"Internal error #4 (d)\n", "Internal error #4 (e)\n", "Internal error #4 (f)\n"};
const HeadErrors plainErrors = {"Internal error #4\n", "Internal error #4\n", "Internal error #4\n"};

// Walks the name line and the domains, variables and relations blocks,
// copying them to `out` unless it is null.
void walkHead(std::FILE* in, std::FILE* out, const HeadErrors& errors) {
    if (!passLine(in, out).newline) fail(errors.nameLine);
    for (int block = 0; block < 3; ++block) {
        int count = 0;
        if (!readCountLine(in, out, count)) fail(errors.block);
        if (!passLines(in, out, count)) fail(errors.block);
    }
}

// The format's counts are at most this: a larger constraint count is no
// instance, and would have the extractor write a weight file of billions
// of numbers before the solver refuses the first probe.
constexpr int MAX_CTR_COUNT = 65535;

// Reads the constraint count line, copying it to `out` unless it is null.
int readCtrCount(std::FILE* in, std::FILE* out, const HeadErrors& errors) {
    int count = 0;
    if (!readCountLine(in, out, count) || count > MAX_CTR_COUNT) fail(errors.ctrCount);
    return count;
}

bool kept(const KeepFlags& flags, int k) { return static_cast<size_t>(k) < flags.size() && flags[k] != 0; }

// Passes over constraint line k of `count`: only the last one may end with
// the file instead of a newline.
void passCtrLine(std::FILE* in, std::FILE* out, int k, int count) {
    LineEnd end = passLine(in, out);
    if (!end.newline && !(k == count - 1 && end.chars > 0)) fail("Internal error #11\n");
}

}  // namespace

//==========================================================================
// Instance file cutting

int searchNbCtr(const std::string& fileName) {
    Stream in(openForReading(fileName));
    walkHead(in.get(), nullptr, searchErrors);
    return readCtrCount(in.get(), nullptr, searchErrors);
}

std::string chopeMoiLaLigne(const std::string& fileName, int k) {
    Stream in(openForReading(fileName));
    walkHead(in.get(), nullptr, plainErrors);
    int count = readCtrCount(in.get(), nullptr, plainErrors);
    if (k < 0 || count <= k) fail(format("Internal error #10 (nb_ctr %d et je veux chopper %d)\n", count, k));
    if (!passLines(in.get(), nullptr, k)) fail("Internal error #11\n");
    std::string line;
    int c;
    while ((c = std::getc(in.get())) != EOF) {
        line += static_cast<char>(c);
        if (c == '\n') break;
    }
    if (line.empty()) fail("Internal error #11\n");
    line += '\n';
    return line;
}

void generate(const std::string& source, const std::string& target, const KeepFlags& flags, int n) {
    Stream in(openForReading(source));
    Stream out(createFile(target));
    walkHead(in.get(), out.get(), generateErrors);
    int count = readCtrCount(in.get(), nullptr, generateErrors);
    std::fprintf(out.get(), "%d\n", n);
    for (int k = 0; k < count; ++k) {
        // A last line cut short by the end of the file is copied as far as it goes.
        if (!passLine(in.get(), kept(flags, k) ? out.get() : nullptr).newline) break;
    }
    if (std::ferror(in.get())) fail("Internal error #7\n");
    closeOutput(out, target);
}

int inverser(const std::string& fileName, int p1, int p2) {
    if (p1 == p2) return 0;
    Stream in(openForReading(fileName));
    Stream out(createFile("curTemp"));
    walkHead(in.get(), out.get(), plainErrors);
    int count = readCtrCount(in.get(), out.get(), plainErrors);
    for (int k = 0; k < count; ++k) {
        if (k == p1 || k == p2) {
            std::string line = chopeMoiLaLigne(fileName, k == p2 ? p1 : p2);
            std::fwrite(line.data(), 1, line.find('\n'), out.get());
            std::putc('\n', out.get());
            passCtrLine(in.get(), nullptr, k, count);
        } else {
            passCtrLine(in.get(), out.get(), k, count);
        }
    }
    closeOutput(out, "curTemp");
    return 1;
}

//==========================================================================
// Solver probes

ProbeResult classifyShellResult(int r) {
    if (r == -1) return {Verdict::Failure, -1};
    if (WIFSIGNALED(r)) return {Verdict::Failure, 128 + WTERMSIG(r)};
    if (!WIFEXITED(r)) return {Verdict::Failure, r};
    int status = WEXITSTATUS(r);
    if (status == 0) return {Verdict::Unsat, 0};
    if (status >= 2 && status <= 125) return {Verdict::Sat, status};
    return {Verdict::Failure, status};
}

namespace {

// One weight as the solver reads it: white space, an optional sign, digits
// (out of range numbers keep their low 32 bits), then one character, which
// is missing when `separated` comes back false.  False without a number.
bool readWeight(std::FILE* f, int& weight, bool& separated) {
    int c;
    do c = std::getc(f);
    while (c != EOF && std::isspace(c));
    bool negative = false;
    if (c == '-' || c == '+') {
        negative = c == '-';
        c = std::getc(f);
    }
    if (c == EOF || !std::isdigit(c)) return false;
    std::uint32_t v = 0;
    for (; c != EOF && std::isdigit(c); c = std::getc(f)) v = v * 10u + static_cast<std::uint32_t>(c - '0');
    weight = static_cast<int>(negative ? 0u - v : v);
    separated = c != EOF;
    return true;
}

}  // namespace

void topUpWeights(const std::string& weightFile, int needed) {
    std::vector<int> weights;
    int usable = 0;  // numbers followed by a separator, as the solver reads them
    if (std::FILE* f = std::fopen(weightFile.c_str(), "r")) {
        int w;
        bool separated = false;
        while (readWeight(f, w, separated)) {
            weights.push_back(w);
            if (!separated) break;
            ++usable;
        }
        std::fclose(f);
    }
    if (usable >= needed) return;
    weights.resize(static_cast<size_t>(needed), 1);
    Stream out(createFile(weightFile));
    for (int w : weights) std::fprintf(out.get(), "%d ", w);
    closeOutput(out, weightFile);
}

namespace {

const char* const SOLVER = "../Tivar/bin/mac current.txt";

// Ends the run on a caught SIGINT or SIGTERM: status 128 + the signal.
void stopIfInterrupted() {
    if (int signo = interruption()) throw MucStop{128 + signo, format("Interrupted by signal %d\n", signo)};
}

// The wait status of `command`; an interruption ends the run once it is over.
int runCommand(const char* command) {
    stopIfInterrupted();
    int result = runShell(command);
    stopIfInterrupted();
    return result;
}

bool shell(const char* command) { return runCommand(command) == 0; }

// The probe written in "current.txt" is the instance saved in "backCur".
void restoreInstance(Muc& muc) {
    if (!shell("cp -f backCur current.txt")) fail("Internal error #1\n");
    muc.probeStands = false;
}

bool timeIsUp(const Muc& muc) {
    struct tms tcpu;
    times(&tcpu);
    clock_t total = tcpu.tms_utime + tcpu.tms_stime + tcpu.tms_cutime + tcpu.tms_cstime;
    return total > muc.timeLimit;
}

// Keeps the first `n` lines.
void keepPrefix(KeepFlags& flags, int n) {
    for (size_t k = 0; k < flags.size(); ++k) flags[k] = static_cast<int>(k) < n ? 1 : 0;
}

// Runs the solver on the probe of `size` constraints in "current.txt".
Verdict probe(Muc& muc, int size) {
    if (timeIsUp(muc)) throw MucStop{0, "TIME OUT rok\n"};
    topUpWeights("weight", 2 * size);
    ProbeResult result = classifyShellResult(runCommand(SOLVER));
    if (result.verdict == Verdict::Failure) fail(format("Solver failed on a probe (status %d)\n", result.status));
    ++(result.verdict == Verdict::Sat ? muc.appelSolveur : muc.appelSolveurU);
    return result.verdict;
}

void printReport(const Muc& muc, int coreSize) {
    std::fprintf(muc.report, "#SAT calls: %d\n", muc.appelSolveur);
    std::fprintf(muc.report, "#UNSAT calls: %d\n", muc.appelSolveurU);
    std::fprintf(muc.report, "Number of constraints of delivered MUC : %d\n", coreSize);
    std::fflush(muc.report);
}

}  // namespace

//==========================================================================
// Extraction driver

int chercheTransitionPhase(Muc& muc, int nbCtr) {
    KeepFlags flags(static_cast<size_t>(nbCtr > 0 ? nbCtr : 0), 0);
    int low = 0, high = nbCtr - 1;
    int middle = high >> 1;
    if (!shell("cp -f current.txt backCur")) fail("Internal error #1\n");
    while (low < high) {
        keepPrefix(flags, middle + 1);
        muc.probeStands = true;
        generate("backCur", "current.txt", flags, middle + 1);
        if (probe(muc, middle + 1) == Verdict::Sat)
            low = middle + 1;
        else
            high = middle;
        middle = (low + high) >> 1;
    }
    restoreInstance(muc);
    return middle;
}

namespace {

// After an error or an interruption: the instance of the dichotomy back in
// "current.txt" when a probe stands there, so that the file the user gave
// is never left holding a probe (which a second run would take for the
// instance, and "backCur" with it).  On a full disk the copy fails and
// "backCur" itself becomes "current.txt".  Signals are held off meanwhile.
void restoreIfProbeStands(Muc& muc) {
    if (!muc.probeStands) return;
    const sigset_t held = stoppingSignals();
    sigset_t previous;
    sigprocmask(SIG_BLOCK, &held, &previous);
    if (putBack("backCur", "current.txt")) muc.probeStands = false;
    sigprocmask(SIG_SETMASK, &previous, nullptr);
    if (muc.probeStands) std::fputs("Can't restore 'current.txt' from 'backCur'.\n", stderr);
}

// The passes of the extraction, until the transitions found are a core.
int extraire(Muc& muc) {
    int n = searchNbCtr("current.txt");
    KeepFlags keep(static_cast<size_t>(n), 0);
    for (int i = 0;; ++i) {
        // Lines 0 .. i-1 hold the transitions found so far.
        stopIfInterrupted();
        int t = chercheTransitionPhase(muc, n);
        if (t != n - 1) {
            keepPrefix(keep, t + 1);
            generate("current.txt", "curTemp", keep, t + 1);
            if (!shell("mv -f curTemp current.txt")) fail("Internal error #1 (o)\n");
        }
        n = t + 1;
        if (i == n) {
            printReport(muc, searchNbCtr("current.txt"));
            return 0;
        }
        if (inverser("current.txt", i, t) && !shell("mv -f curTemp current.txt")) fail("Internal error #1 (p)\n");
    }
}

}  // namespace

int extractCore(Muc& muc) {
    try {
        return extraire(muc);
    } catch (...) {
        restoreIfProbeStands(muc);
        throw;
    }
}

int mucMain(clock_t timeLimit) {
    Muc muc;
    muc.timeLimit = timeLimit;
    catchInterruptions();
    try {
        return extractCore(muc);
    } catch (const MucStop& stop) {
        std::fputs(stop.message.c_str(), stderr);
        return stop.status;
    } catch (const std::bad_alloc&) {
        std::puts("Out of memory");
        return 1;
    }
}
