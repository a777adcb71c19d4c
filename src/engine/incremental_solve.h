// The checks of one session on the built-in solver with its modules, which
// lives from check to check. Every node of the term graph is lowered once: its clauses and
// modules define it and hold in every scope, so they stay when assertions
// are popped. Permanent assertions become unit clauses; every other live
// assertion and every assumption is an assumption literal of the check, so
// a pop only stops assuming. Learnt clauses, activities, phases and the
// lowering memo all carry over. An unsatisfiable check names the assertions
// and assumptions its refutation used.
//
// The words are not simplified (substitutions learnt from one scope would
// be wrong in another); the model of every satisfiable check is checked
// against the live assertions and assumptions with the evaluator.
#pragma once

#include <memory>
#include <vector>

#include "engine/graph_solve.h"
#include "terms/model.h"

class GeneratorTORVA;

namespace torva {

class Lowering;

class IncrementalSolve {
public:
    explicit IncrementalSolve(GraphSolveOptions options);
    ~IncrementalSolve();
    IncrementalSolve(const IncrementalSolve&) = delete;
    IncrementalSolve& operator=(const IncrementalSolve&) = delete;

    terms::CheckOutcome check(terms::TermStore& store, const terms::CheckQuery& query);
    // Drops everything; the next check starts from nothing.
    void reset();
    // The limits of the checks to come.
    void setLimits(uint64_t conflictLimit, std::function<bool()> interrupt);

private:
    void start(const terms::TermStore& store, uint64_t generation);
    bool lower(const terms::CheckQuery& query, vec<Lit>& assumptions);
    void nameCore(const terms::CheckQuery& query, terms::CheckOutcome& outcome) const;

    GraphSolveOptions options_;
    std::unique_ptr<Solver> solver_;
    std::unique_ptr<GeneratorTORVA> generator_;
    std::unique_ptr<Lowering> lowering_;
    const terms::TermStore* store_ = nullptr;
    uint64_t generation_ = 0;
    size_t permanentDone_ = 0;  // the permanent assertions that are unit clauses already
    size_t modulesWatched_ = 0;  // modules whose watch lists are de-duplicated
};

}  // namespace torva
