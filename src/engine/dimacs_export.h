// The bit-blasted form of a set of term-graph assertions as DIMACS CNF, for
// any SAT solver: every operation as clauses (the caller puts the run
// configuration in that state), the level-0 simplification, and a comment
// header that names the DIMACS variables of every variable the assertions
// mention, least significant bit first. A model of the CNF read through the
// header is a model of the assertions.
#pragma once

#include <cstdio>
#include <vector>

#include "terms/term_store.h"

namespace torva {

// False (nothing written) when a lowering limit is hit.
bool writeGraphDimacs(const terms::TermStore& store, const std::vector<terms::TermId>& assertions, std::FILE* out);

}  // namespace torva
