// The incremental checks. Invariants: the solver, the generator and the
// lowering are made and dropped together and always describe the same store
// and generation; the solver is at level 0 between checks; every module the
// solver holds is deleted before the solver goes away.
#include "engine/incremental_solve.h"

#include <algorithm>

#include "config.h"
#include "engine/lowering.h"
#include "generator/module_factory.h"
#include "terms/evaluator.h"

namespace torva {

using terms::Answer;
using terms::CheckOutcome;
using terms::CheckQuery;
using terms::TermId;

IncrementalSolve::IncrementalSolve(GraphSolveOptions options) : options_(std::move(options)) {}

IncrementalSolve::~IncrementalSolve() { reset(); }

void IncrementalSolve::reset() {
    lowering_.reset();
    generator_.reset();
    if (solver_) {
        for (Module* m : solver_->modules) delete m;
        solver_->modules.clear();
    }
    solver_.reset();
    store_ = nullptr;
    permanentDone_ = 0;
    modulesWatched_ = 0;
}

void IncrementalSolve::setLimits(uint64_t conflictLimit, std::function<bool()> interrupt) {
    options_.conflictLimit = conflictLimit;
    options_.interrupt = std::move(interrupt);
}

void IncrementalSolve::start(const terms::TermStore& store, uint64_t generation) {
    reset();
    addCounter = 0;
    mulCounter = 0;
    solver_ = std::make_unique<Solver>(prioParams[0]);
    solver_->verbosity = options_.verbosity;
    solver_->settings = options_.search;
    generator_ = makeGraphGenerator(*solver_);
    lowering_ = std::make_unique<Lowering>(store, *generator_);
    store_ = &store;
    generation_ = generation;
}

// New permanent assertions become unit clauses; the others and the
// assumptions become the literals to assume.
bool IncrementalSolve::lower(const CheckQuery& query, vec<Lit>& assumptions) {
    try {
        for (; permanentDone_ < query.permanent; permanentDone_++)
            lowering_->assertTrue(query.assertions[permanentDone_]);
        auto assume = [&](TermId t) {
            auto v = static_cast<Var>(lowering_->bits(t)[0]);
            while (solver_->nVars() <= v) solver_->newVar();  // a bit no clause mentions yet
            assumptions.push(Lit(v));
        };
        for (size_t i = query.permanent; i < query.assertions.size(); i++) assume(query.assertions[i]);
        for (TermId t : query.assumptions) assume(t);
    } catch (const LoweringLimit&) {
        return false;
    }
    if (solver_->modules.size() != modulesWatched_) {
        generator_->finishModuleWatches();
        modulesWatched_ = solver_->modules.size();
    }
    return true;
}

// The assertions and assumptions whose literals the refutation used (the
// conflict is short: a sorted copy is searched, nothing the size of the
// problem is touched).
void IncrementalSolve::nameCore(const CheckQuery& query, CheckOutcome& outcome) const {
    std::vector<int> used;
    for (int i = 0; i < solver_->conflict.size(); i++) used.push_back(toInt(~solver_->conflict[i]));
    std::sort(used.begin(), used.end());
    auto inCore = [&](TermId t) {
        int lit = toInt(Lit(static_cast<Var>(lowering_->loweredBits(t)[0])));
        return std::binary_search(used.begin(), used.end(), lit);
    };
    for (size_t i = query.permanent; i < query.assertions.size(); i++)
        if (inCore(query.assertions[i])) outcome.coreAssertions.push_back(i);
    for (size_t i = 0; i < query.assumptions.size(); i++)
        if (inCore(query.assumptions[i])) outcome.coreAssumptions.push_back(i);
}

CheckOutcome IncrementalSolve::check(terms::TermStore& store, const CheckQuery& query) {
    CheckOutcome outcome;
    if (!solver_ || store_ != &store || generation_ != query.generation || query.permanent < permanentDone_)
        start(store, query.generation);
    KeepRunningOnUnsat keepRunning;
    vec<Lit> assumptions;
    if (!lower(query, assumptions)) {
        reset();
        outcome.reason = LoweringLimit().what();
        return outcome;
    }
    if (options_.beforeSolve) options_.beforeSolve();
    Solver& S = *solver_;
    applyLimits(S, options_);
    lbool status = S.simplify() ? S.solveLimited(assumptions) : l_False;  // simplify also wakes every module
    noteSearch(S, status, outcome);
    if (status == l_Undef) return outcome;
    if (status == l_False) {
        if (S.okay()) nameCore(query, outcome);
        return outcome;
    }
    outcome.model = readModel(S, *lowering_);
    terms::Evaluator evaluator(store);
    for (const auto& [variable, value] : outcome.model.values) evaluator.assign(variable, value);
    checkModel(evaluator, query.assertions);
    checkModel(evaluator, query.assumptions);
    return outcome;
}

}  // namespace torva
