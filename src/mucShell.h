// Shell commands of the core extractor, and what an interruption does to them.
//
// Each command runs as "/bin/sh -c COMMAND" in a child process of its own
// process group.  SIGINT, SIGTERM, SIGHUP and SIGQUIT, once caught, are
// passed on to that group; the extractor notices them when the command is
// over and stops.
#pragma once

#include <signal.h>

// Installs the handlers of SIGINT, SIGTERM, SIGHUP and SIGQUIT.
void catchInterruptions();

// Those four signals, as a set (to hold them off).
sigset_t stoppingSignals();

// The signal caught so far, 0 when none.
int interruption();

// Runs `command` through the shell and waits for it.  Returns its wait
// status, as `system` does (exit status 127 when the shell cannot start),
// or -1 when no child could be made.  After an interruption a command that
// goes on running gets SIGKILL after `graceMs` milliseconds.
int runShell(const char* command, int graceMs = 2000);

// Copies file `from` over file `to` without the shell; false on failure.
bool copyFile(const char* from, const char* to);

// Puts file `from` back in place of `to`: a copy, or, when the copy fails
// (a full disk leaves `to` cut short), `from` itself renamed to `to`, which
// needs no room.  False when neither worked.
bool putBack(const char* from, const char* to);
