// Test support: comparison of two constraint networks built by the reader.
#pragma once

#include <string>

#include "EntreesSorties/entrees_sorties.h"

// Empty when `a` and `b` have the same declared domains, the same variables
// on the same domains, the same constrained pairs with the same compatibility
// matrices, and the same neighbour lists; otherwise the first difference.
std::string networkDifference(const Network& a, const Network& b);
