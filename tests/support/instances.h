// Instances that several tests share.
#pragma once

// Variables 1 and 2 hang on variable 0 by equality; 3, 4, 5 form a not-equal
// triangle on two values: no solution.  1 and 2 have degree 1 and stand on
// root levels, and a decision on 0 cuts them to one value each: they must
// not be recorded a second time, on singleton levels.
inline const char* const ROOT_COUNTEREXAMPLE = R"(?
1
0 2 0 1
6
0 0
1 0
2 0
3 0
4 0
5 0
2
0 1 2 0 0 2 0 0 1 1
1 1 2 0 0 2 0 1 1 0
5
2 0 1 0
2 0 2 0
2 3 4 1
2 4 5 1
2 3 5 1
)";
