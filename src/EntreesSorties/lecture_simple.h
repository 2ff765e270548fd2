// The plain reader, kept for the bench and the tests: the loading that the
// fast reader (readCSP) is measured against and checked with.
#pragma once

#include "EntreesSorties/entrees_sorties.h"

// Reads the instance text file `nom` into `net` token by token with fscanf,
// and builds the network the straightforward way: a list of forbidden
// tuples becomes its allowed tuples by ajouter (each pair of the product
// looked up in the list by verifier), each constraint gets a matrix of its
// own, each tuple value found by a linear search of its domain, and a
// second constraint on a pair is folded in by intersection.  A pair is found
// by a scan of its smaller variable's list.
//
// It builds what the plain search variant reads, and no more: the bit rows,
// residues and blocks of the fast support test are left empty.  Throws
// FormatError for a token that can't be read, a tuple value outside its
// domain or a constraint that is not binary, NaryRelation for a relation of
// arity other than 2, std::out_of_range for a reference past its block; it
// checks nothing else.
void lireCSPSimple(const char* nom, Network& net);
