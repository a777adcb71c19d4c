// Replacement of variables by terms throughout a term, building the new
// nodes in the same store (define-fun expansion, and later elimination of
// variables). Walks use an explicit stack.
#pragma once

#include <unordered_map>

#include "terms/term_store.h"

namespace torva::terms {

// t with every variable v that is a key of the map replaced by map[v]
// (replacements must have the variable's sort; they are not rewritten again).
TermId substitute(TermStore& store, TermId t, const std::unordered_map<TermId, TermId>& map);

}  // namespace torva::terms
