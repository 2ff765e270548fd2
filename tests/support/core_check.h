// Test support for the core extractor: instances with a planted small core,
// the instance text read back into an Instance, and the check of a core.
#pragma once

#include <random>
#include <string>
#include <vector>

#include "csp_gen.h"

// An instance text in the line layout, cut at its constraint count line.
struct InstanceLines {
    std::string head;                      // name line and the first three blocks
    std::string countLine;                 // the constraint count line, newline included
    std::vector<std::string> constraints;  // the counted lines that follow, newline included
    std::string trailer;                   // whatever follows them
};
InstanceLines splitInstanceLines(const std::string& text);

// Reads an instance text token by token (line layout not needed).
Instance parseInstance(const std::string& text);

// A random instance with an empty domain nowhere, and a small unsatisfiable
// set of constraints (one to five of them) hidden among its constraints.
Instance plantedCoreInstance(std::mt19937& rng, const GenParams& filler = {});

// Empty when `core` is a minimal unsatisfiable core of `input`: the same head,
// a count line equal to its number of constraint lines, constraint lines
// taken from the input's, unsatisfiable, and satisfiable without any one of
// them, and nothing but blanks after them.  Otherwise what is wrong.
std::string checkCore(const std::string& input, const std::string& core);

