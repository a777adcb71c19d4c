// The checks of one session, whoever drives it (a script or a program
// through the library): the first check of a session that has neither
// pushed nor assumed is solved alone, with the word-level simplification,
// so a single-query problem keeps its speed; every later check goes to the
// incremental solver (the clausal session on CaDiCaL, or the built-in
// solver with its modules), or is solved afresh when the session asks for
// that. A store with arrays or functions is decided by lemmas on demand
// around the incremental solver, every check.
#pragma once

#include "engine/clausal_session.h"
#include "engine/graph_solve.h"
#include "engine/incremental_solve.h"
#include "engine/theory_solve.h"
#include "terms/model.h"

namespace torva {

class SessionSolve {
public:
    SessionSolve(GraphSolveOptions options, bool incremental);
    SessionSolve(const SessionSolve&) = delete;
    SessionSolve& operator=(const SessionSolve&) = delete;

    terms::CheckOutcome check(terms::TermStore& store, const terms::CheckQuery& query);
    // Drops the incremental solver's state (after a check that failed part
    // way); the next check starts from nothing.
    void reset();
    // The limits of the checks to come.
    void setLimits(uint64_t conflictLimit, std::function<bool()> interrupt);
    // What the incremental solver holds now.
    ClausalSession::Size size() const { return clausal_.size(); }

private:
    GraphSolveOptions options_;
    bool incremental_;
    bool pastFirst_ = false;
    IncrementalSolve solver_;
    ClausalSession clausal_;
    TheorySolve theory_;
    terms::QueryFunction afresh_;
};

}  // namespace torva
