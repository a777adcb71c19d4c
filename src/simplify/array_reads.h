// Reads of arrays through the stores they provably pass: a select whose
// index is provably the store's index reads the stored element, one whose
// index provably differs reads the array below, and a read of a constant
// array is its element. Indices are compared by their words alone: equal
// terms, different constants, and the same term plus different constants.
#pragma once

#include "terms/term_store.h"

namespace torva::simplify {

// The term a select reads, with the provable stores and constant arrays
// passed (the select itself when none is).
terms::TermId readThroughStores(terms::TermStore& store, terms::TermId select);

}  // namespace torva::simplify
