// Test support: generated instances written in the XML layout that the
// converter accepts.
#pragma once

#include <string>

#include "csp_gen.h"

// The converter reads non-negative values and at least one value per domain.
bool xmlExpressible(const Instance& inst);

// The same instance with every value raised by the same amount so that the
// smallest one is 0 or more; satisfiability does not change.
Instance nonNegative(const Instance& inst);

// The instance as an XML file: declaration, <instance>, <presentation>, then
// the four blocks, each element one empty-element tag named by its position
// (D0, V0, R0, C0).  Runs of three or more consecutive increasing values are
// written as ranges a..b.  Requires xmlExpressible(inst).
std::string toXML(const Instance& inst, const std::string& name = "?");
