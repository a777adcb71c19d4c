// A few guessed assignments tried on the assertions before any search: all
// zeros, all ones and seeded random values (the same on every run). A guess
// that satisfies every assertion is a model; a problem whose answer hinges
// on a narrow choice is left to the search. The walk is bounded by the size
// of the assertions' DAG.
#pragma once

#include <vector>

#include "terms/model.h"
#include "terms/term_store.h"

namespace torva::simplify {

// A model of the assertions found by guessing, or false.
bool probeModel(const terms::TermStore& store, const std::vector<terms::TermId>& assertions, terms::Model& model);

}  // namespace torva::simplify
