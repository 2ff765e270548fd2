// Core extractor.
//
// `muc` reduces the unsatisfiable instance held in "current.txt" to a minimal
// unsatisfiable core.  It never solves anything itself: it rewrites the
// constraint block of the file line by line and runs the solver through the
// shell on prefixes of it, reading only the exit status.  Each pass finds the
// transition constraint (the one whose addition makes the prefix
// unsatisfiable) by dichotomy, drops the constraints behind it and moves it
// to the front, until the transitions found so far are unsatisfiable alone.
#pragma once

#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

// One byte per constraint line of a file, in file order: nonzero keeps it.
using KeepFlags = std::vector<unsigned char>;

// Ends a run: `message` goes to the standard error, `status` is the exit
// status (-1 on every error, 0 on the time-out).
struct MucStop {
    int status = -1;
    std::string message;
};

//--------------------------------------------------------------------------
// Instance file cutting.  The routines walk the instance text format as its
// writers lay it out: a name line, three blocks (domains, variables,
// relations) each made of a count line and that many lines, then the
// constraint count line and one line per constraint.  Lines after the
// counted constraint lines are ignored.  Every failure throws MucStop.

// The number on the constraint count line of `fileName`.
int searchNbCtr(const std::string& fileName);

// Constraint line `k` of `fileName`: its characters with their newline,
// followed by one more newline.  A last line without a newline gets one.
std::string chopeMoiLaLigne(const std::string& fileName, int k);

// Writes into `target` the head of `source` with `n` as its constraint
// count, and the constraint lines whose flag is set.
void generate(const std::string& source, const std::string& target, const KeepFlags& flags, int n);

// Writes into "curTemp" the file `fileName` with constraint lines `p1` and
// `p2` exchanged.  Returns 0 without writing anything when p1 = p2, else 1.
int inverser(const std::string& fileName, int p1, int p2);

//--------------------------------------------------------------------------
// Solver probes.

// What one run of the solver through the shell said.
enum class Verdict { Unsat, Sat, Failure };
struct ProbeResult {
    Verdict verdict;
    int status;  // exit status, 128 + signal when killed, -1 when `system` failed
};

// Reads the result of `system`: 0 is unsatisfiable, exit statuses 2 to 125
// are satisfiable, anything else is a failure of the solver or the shell.
ProbeResult classifyShellResult(int systemResult);

// Makes sure the weight file holds at least `needed` numbers: the numbers
// already there are kept in order, ones are appended for the missing ones.
void topUpWeights(const std::string& weightFile, int needed);

//--------------------------------------------------------------------------
// Extraction driver.

constexpr clock_t DEFAULT_TIME_LIMIT = 360000;  // clock ticks of processor time

// State of one extraction run.
struct Muc {
    int appelSolveur = 0;   // satisfiable probes
    int appelSolveurU = 0;  // unsatisfiable probes
    clock_t timeLimit = DEFAULT_TIME_LIMIT;  // own and children's processor time
    std::FILE* report = stdout;
    bool probeStands = false;  // "current.txt" holds a probe, "backCur" the instance

};

// Index of the transition constraint among the `nbCtr` constraints of
// "current.txt"; the file has the same contents on return.
int chercheTransitionPhase(Muc& muc, int nbCtr);

// Reduces "current.txt" to a core and prints the report.  Returns 0;
// throws MucStop on an error and on the time-out (std::bad_alloc when
// memory runs out), with "current.txt" put back first when it held a probe.
int extractCore(Muc& muc);

// The program: runs the extraction in the working directory and returns
// the exit status, after printing the message of an error or time-out.
// SIGINT, SIGTERM, SIGHUP and SIGQUIT end it with status 128 + the signal
// once the solver run in progress has stopped.  Whatever ends it,
// "current.txt" is restored when it held a probe.
int mucMain(clock_t timeLimit = DEFAULT_TIME_LIMIT);
