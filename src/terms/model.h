// A model of a set of assertions: one value per variable of the term graph
// that the solver decided (Boolean values 0 and 1), and the answer of one
// satisfiability check together with it. This is what the graph paths hand
// from the engine back to the front ends.
#pragma once

#include <gmpxx.h>

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "terms/table_value.h"
#include "terms/term_store.h"

namespace torva::terms {

struct Model {
    std::vector<std::pair<TermId, mpz_class>> values;  // by variable id, ascending
    // The arrays and functions, by variable id, ascending.
    std::vector<std::pair<TermId, TableValue>> tables;
};

enum class Answer { Sat, Unsat, Unknown };

struct CheckOutcome {
    Answer answer = Answer::Unknown;
    Model model;              // Sat only; checked against every assertion
    std::string reason;       // Unknown only: why
    // Unsat only: the positions of assertions and of assumptions that are
    // unsatisfiable together with the permanent assertions (all of them
    // when the check cannot tell which).
    std::vector<size_t> coreAssertions;
    std::vector<size_t> coreAssumptions;
    // The effort of the search (CaDiCaL counts only its conflicts).
    uint64_t conflicts = 0, decisions = 0, propagations = 0;
    // What the SAT engine of an incremental session holds after the check
    // (zero for a check solved alone).
    uint64_t satVariables = 0, satClauses = 0;
};

class Evaluator;
// Gives the evaluator the model's values and tables.
void loadModel(Evaluator& evaluator, const Model& model);

// Decides the conjunction of the assertions (all Boolean terms of the store).
using CheckFunction = std::function<CheckOutcome(TermStore&, const std::vector<TermId>&)>;

// One check of a session that goes on after it: the live assertions, oldest
// first, of which the first `permanent` stay asserted until `generation`
// changes (the session withdraws assertions below that line, or replaces
// the store, only by changing it), and the assumptions of this check alone.
struct CheckQuery {
    const std::vector<TermId>& assertions;
    size_t permanent;
    uint64_t generation;
    const std::vector<TermId>& assumptions;
};

// Decides the assertions and assumptions of a query together.
using QueryFunction = std::function<CheckOutcome(TermStore&, const CheckQuery&)>;

// A query function that hands every query, assertions and assumptions as
// one list, to a check function.
QueryFunction everyQueryAfresh(CheckFunction check);

}  // namespace torva::terms
