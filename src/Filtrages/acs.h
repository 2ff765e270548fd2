// Arc consistency by AC-8: a queue of variables whose domains shrank; taking
// a variable from the queue revises each of its future neighbours against it.
// At the root (InitAc8File, ac8File) removals are final; after a decision
// (ac8MacFile) they are trailed on the current level, mark the constraint
// active, and a wiped-out domain raises the weight of the propagated
// variable towards the emptied one.
#pragma once

#include "Filtrages/domaine.h"
#include "mac.h"

// Some value of j's current domain is compatible with value index a of i:
// a's lane of the pair's block against j's bit set when both domains are
// small, else the last support found, then the bit row of a against j's
// bit set.
bool supp_suivant_ac8(Network& net, Ushort i, Ushort j, Ushort a);
// The same by a scan of j's current domain from position 0, one matrix cell
// per value: the plain variant, for the bench and the tests.
bool supp_reference(const Network& net, Ushort i, Ushort j, Ushort a);

// Root filtering: revise every variable against each neighbour, then run the
// queue.  Both return false when a domain became empty.
bool InitAc8File(Network& net, SearchState& s);
bool PropagerAc8File(Network& net, SearchState& s, Ushort j);
bool ac8File(Network& net, SearchState& s);

// Exchanges entries pos1 and pos2 of v's ind_val_rest.
void switchDom(Network& net, int v, int pos1, int pos2);

// Propagation of the decision var_instancie[level] = the value at position 0
// of its domain.  `ind` is not used.  Returns false when a domain became
// empty; the cuts made are on the trail of `level` either way.
bool PropagerAc8MacFile(Network& net, SearchState& s, Ushort j);
bool ac8MacFile(Network& net, SearchState& s, Ushort ind);
