// The simplification passes over a list of top-level assertions. Each pass
// takes the list in normal form, leaves it in normal form and says whether
// it changed anything. A pass never weakens the conjunction: what it drops
// is implied by what stays, and what it eliminates is recorded in the
// reconstruction so that a model of the result extends to the input.
#pragma once

#include <vector>

#include "simplify/simplify.h"

namespace torva::simplify {

struct PassContext {
    Rewriter& rw;
    std::vector<terms::TermId>& assertions;
    Reconstruction& reconstruction;
    SimplifyStats& stats;
};

// and(a, b) => a, b; not(or(a, b)) => not a, not b; true is dropped; false
// makes the list [false].
bool splitConjunctions(PassContext& pass);
// x = t with x a variable not occurring in t (also through other
// eliminations) eliminates x; p and not p eliminate the Boolean variable p.
bool eliminateVariables(PassContext& pass);
// An asserted atom (or a constant equality t = c) is replaced by its value
// inside every other assertion.
bool propagateAtoms(PassContext& pass);
// op(x, t) where x is a variable occurring once, and op can take every
// value by the choice of x, becomes a fresh variable.
bool replaceUnconstrained(PassContext& pass);

}  // namespace torva::simplify
