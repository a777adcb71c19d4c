// Word-level simplification of a set of assertions before they are lowered
// into clauses and modules: rewriting into normal form, splitting of
// top-level conjunctions, elimination of variables defined by a top-level
// equality, propagation of asserted atoms, and replacement of terms that an
// unconstrained variable lets take any value. Every part has its own switch.
//
// The simplified assertions are satisfiable exactly when the input ones are;
// a model of the simplified assertions becomes a model of the input through
// completeModel, which gives every eliminated variable a value.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "simplify/rewriter.h"
#include "terms/model.h"
#include "terms/term_store.h"

namespace torva::simplify {

struct SimplifySettings {
    RewriteSettings rewrite;
    bool substitute = true;     // x = t at the top level eliminates x
    bool propagate = true;      // asserted atoms are true inside the other assertions
    bool unconstrained = true;  // op(x, t) with x occurring once becomes a fresh variable
    bool probe = true;          // guessed assignments are tried before the search
};

struct SimplifyStats {
    size_t nodesBefore = 0;  // distinct nodes reachable from the assertions
    size_t nodesAfter = 0;
    uint32_t rounds = 0;
    uint64_t conjunctsSplit = 0;
    uint64_t substituted = 0;  // variables eliminated by their definition
    uint64_t propagated = 0;   // asserted atoms used inside other assertions
    uint64_t unconstrained = 0;  // terms replaced by fresh variables
    RuleCounts rules{};
};

// Values for eliminated variables, each computed from a term over variables
// that are still present when it was eliminated; applied last step first.
struct Reconstruction {
    std::vector<std::pair<terms::TermId, terms::TermId>> steps;  // variable, its value as a term
};

struct Simplified {
    std::vector<terms::TermId> assertions;
    Reconstruction reconstruction;
};

Simplified simplify(terms::TermStore& store, const std::vector<terms::TermId>& assertions,
                    const SimplifySettings& settings, SimplifyStats& stats);

// The model of the input assertions, from a model of the simplified ones.
terms::Model completeModel(const terms::TermStore& store, const Reconstruction& reconstruction,
                           const terms::Model& simplifiedModel);

// Distinct nodes reachable from the terms.
size_t dagSize(const terms::TermStore& store, const std::vector<terms::TermId>& roots);

// The statistics, one "simplify.<name>: value" line each, the rules that
// fired most first.
void printStats(const SimplifyStats& stats, std::FILE* out);

}  // namespace torva::simplify
