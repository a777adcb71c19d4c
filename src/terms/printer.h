// SMT-LIB 2 text of a term. An operator node used more than once within the
// term is written once, bound by a let to the name _let_N (N counting from
// 1 in id order), so the text stays as small as the graph. Variables
// without a name print as _v<id>; names that are not simple symbols are
// quoted with |...|. The walk uses explicit stacks and touches only the
// nodes below the term.
#pragma once

#include <string>

#include "terms/term_store.h"

namespace torva::terms {

std::string toSmt2(const TermStore& store, TermId term);

// "Bool" or "(_ BitVec w)".
std::string sortText(Sort sort);

}  // namespace torva::terms
