// A cap on single allocations in the fuzz targets.
//
// The reader sizes some tables by the counts it reads, so a few bytes of
// input can ask for gigabytes.  The programs answer a failed allocation with
// "Out of memory" and status 1; here an allocation above the cap throws
// std::bad_alloc instead, and the targets take that for the same answer.
#pragma once

#include <cstddef>

constexpr std::size_t ALLOC_CAP = std::size_t{64} << 20;
