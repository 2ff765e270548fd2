// Processor time of the running process.
#pragma once

#include <ctime>
#include <sys/times.h>

// Fills the process-times record and returns the user CPU time, in clock ticks.
clock_t cpu_time();
