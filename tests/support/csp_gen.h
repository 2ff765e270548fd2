// Test support: small random instances and a brute-force decision procedure
// that works on the instance as written, independently of the reader.
#pragma once

#include <random>
#include <string>
#include <utility>
#include <vector>

struct Instance {
    struct Relation {
        bool allowed = true;  // false: the tuples listed are the forbidden ones
        int d0 = 0, d1 = 0;   // declared domains of the two positions
        std::vector<std::pair<int, int>> tuples;  // as values
    };
    struct Constraint {
        int x = 0, y = 0, rel = 0;
    };
    std::vector<std::vector<int>> domains;  // distinct values each
    std::vector<int> varDom;                // declared domain of each variable
    std::vector<Relation> relations;
    std::vector<Constraint> constraints;

    // The instance text format, one record per line.
    std::string toText(const std::string& name = "?") const;
    // The same instance restricted to the constraints whose index is in `keep`.
    Instance subset(const std::vector<int>& keep) const;
};

struct GenParams {
    int minVars = 2, maxVars = 9;
    int maxDomainSize = 4;  // sizes 0..max (0 rarely)
    int maxValue = 12;      // values drawn in -3..maxValue: at least maxDomainSize + 4 - 1
    double density = 0.5;   // chance for each pair of variables to be constrained
    double tightness = 0.5; // chance for each pair of values to be listed
    double repeatPair = 0.15;  // chance for a second constraint on a constrained pair
};

Instance randomInstance(std::mt19937& rng, const GenParams& p = {});

// True when some assignment of values satisfies every constraint.
bool bruteForceSat(const Instance& inst);
