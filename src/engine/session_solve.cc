// Choosing, check by check, between solving alone and solving incrementally.
#include "engine/session_solve.h"

#include <utility>

namespace torva {

SessionSolve::SessionSolve(GraphSolveOptions options, bool incremental)
    : options_(options),
      incremental_(incremental),
      solver_(options),
      clausal_(options),
      afresh_(terms::everyQueryAfresh([this](terms::TermStore& store, const std::vector<terms::TermId>& all) {
          return solveGraph(store, all, options_);
      })) {}

terms::CheckOutcome SessionSolve::check(terms::TermStore& store, const terms::CheckQuery& query) {
    bool alone = !incremental_ ||
                 (!pastFirst_ && query.permanent == query.assertions.size() && query.assumptions.empty());
    pastFirst_ = true;
    if (store.hasCompoundSorts())
        return theory_.check(store, query, [this, alone](terms::TermStore& s, const terms::CheckQuery& q) {
            if (alone) return afresh_(s, q);
            return options_.engine == Engine::Cadical ? clausal_.check(s, q) : solver_.check(s, q);
        });
    if (alone) return afresh_(store, query);
    return options_.engine == Engine::Cadical ? clausal_.check(store, query) : solver_.check(store, query);
}

void SessionSolve::reset() {
    solver_.reset();
    clausal_.reset();
    theory_.reset();
}

void SessionSolve::setLimits(uint64_t conflictLimit, std::function<bool()> interrupt) {
    options_.conflictLimit = conflictLimit;
    options_.interrupt = interrupt;
    solver_.setLimits(conflictLimit, interrupt);
    clausal_.setLimits(conflictLimit, std::move(interrupt));
}

}  // namespace torva
