// What a torva::Solver holds: its term graph, its assertion stack, its
// configuration and per-thread engine state, the session engine, and the
// outcome of the last check. Every public entry point checks its arguments
// before it changes anything, so an Error leaves the state as it was.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/engine_context.h"
#include "engine/run_settings.h"
#include "engine/session_solve.h"
#include "terms/evaluator.h"
#include "terms/term_store.h"
#include "torva/torva.hpp"

namespace torva::detail {

struct SolverState {
    SolverState();
    ~SolverState();

    terms::TermStore store;

    // Configuration.
    RunConfig config;
    std::string preset = "fast";
    bool simplify;
    bool incremental = true;
    bool produceCores = false;
    double timeLimit = 0;
    uint64_t conflictLimit = 0;
    std::function<bool()> terminate;

    // Assertions: scopes[i] is how many assertions were live when scope
    // i + 1 was opened; generation changes when the assertions are reset
    // or when core production changes which of them are permanent.
    std::vector<terms::TermId> assertions;
    std::vector<size_t> scopes;
    uint64_t generation = 0;

    // The engine, made at the first check after a change of options.
    EngineContext context;
    std::unique_ptr<SessionSolve> session;

    // The last check.
    Result last = Result::Unknown;
    bool checked = false;     // a check has answered and nothing changed since
    std::string reasonUnknown;
    std::unique_ptr<terms::Evaluator> model;
    std::vector<terms::TermId> coreAssertions;
    std::vector<terms::TermId> unsatAssumptions;
    std::string stopReason;  // why the interrupt stopped the check

    // Counters.
    uint64_t checks = 0, sats = 0, unsats = 0, unknowns = 0;
    uint64_t conflicts = 0, decisions = 0, propagations = 0;
    double lastSeconds = 0, totalSeconds = 0;

    terms::TermId id(const Term& t, const char* role = "operand") const;
    Term term(terms::TermId t) { return Term(this, t); }
    // The store's number of a sort; throws for the null sort and for an
    // array or function sort of another solver.
    terms::Sort sortCode(const Sort& sort, const char* role = "sort") const;
    Sort sort(terms::Sort code) const { return Sort(code, terms::isCompoundSort(code) ? this : nullptr); }
    std::vector<Term> terms(const std::vector<terms::TermId>& ids);
    // Forgets the last answer: the assertions changed.
    void invalidate();
    // The session engine for the current options, made when missing.
    SessionSolve& engine();
    // Drops the session engine (its thread state with it).
    void dropEngine();
    Result check(const std::vector<terms::TermId>& assumptions);

private:
    GraphSolveOptions solveOptions() const;
    std::function<bool()> interrupt(std::chrono::steady_clock::time_point deadline);
    void noteOutcome(terms::CheckOutcome& outcome, const std::vector<terms::TermId>& assumptions, size_t permanent);
};

}  // namespace torva::detail
