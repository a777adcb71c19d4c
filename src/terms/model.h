// A model of a set of assertions: one value per variable of the term graph
// that the solver decided (Boolean values 0 and 1), and the answer of one
// satisfiability check together with it. This is what the graph paths hand
// from the engine back to the front ends.
#pragma once

#include <gmpxx.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "terms/term_store.h"

namespace torva::terms {

struct Model {
    std::vector<std::pair<TermId, mpz_class>> values;  // by variable id, ascending
};

enum class Answer { Sat, Unsat, Unknown };

struct CheckOutcome {
    Answer answer = Answer::Unknown;
    Model model;              // Sat only; checked against every assertion
    std::string reason;       // Unknown only: why
};

// Decides the conjunction of the assertions (all Boolean terms of the store).
using CheckFunction = std::function<CheckOutcome(TermStore&, const std::vector<TermId>&)>;

}  // namespace torva::terms
