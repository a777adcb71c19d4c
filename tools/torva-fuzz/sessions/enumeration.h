// Deciding SMT-LIB 2 sessions independently of every engine: a check
// function that enumerates all assignments of a query's free variables, and
// a runner of a script text with continued execution against any query
// function.
#pragma once

#include <string>
#include <vector>

#include "frontend/smt2/script.h"
#include "terms/model.h"
#include "terms/term_store.h"

namespace torva_sessions {

// Decides the assertions by enumerating every assignment of their variables
// in ascending id order, the lowest variable in the lowest bits; Sat comes
// with the first satisfying assignment. More than 16 free bits: Unknown with
// the reason "too-many-bits".
torva::terms::CheckOutcome enumerate(torva::terms::TermStore& store,
                                     const std::vector<torva::terms::TermId>& assertions);

struct ScriptRun {
    std::string output;
    int status;
};

// The output of a file, from its start.
std::string readAll(std::FILE* f);

// The script run with continued execution (errors answered, the session
// going on) against a query function.
ScriptRun runContinued(const std::string& script, const torva::terms::QueryFunction& check);

}  // namespace torva_sessions
