// Solver construction, variable creation and the problem-clause database:
// every clause of two or more literals is watched by its first two literals;
// the literal counters track the sizes of attached clauses.
#include "config.h"
#include "containers/progress.h"
#include "solver/solver.h"

Solver::Solver(int nPrio)
    : nModules(0),
      nModulesAsClauses(0),
      nSubstClauses(0),
      var_decay(solverParams.var_decay),
      clause_decay(solverParams.clause_decay),
      random_var_freq(solverParams.random_var_freq),
      restart_first(solverParams.restart_first),
      restart_inc(solverParams.restart_inc),
      learntsize_factor(solverParams.learntsize_factor),
      learntsize_inc(solverParams.learntsize_inc),
      expensive_ccmin(solverParams.expensive_ccmin),
      polarity_mode(solverParams.polarity_mode),
      verbosity(0),
      starts(0),
      decisions(0),
      rnd_decisions(0),
      orig_decisions(0),
      propagations(0),
      conflicts(0),
      clauses_literals(0),
      learnts_literals(0),
      max_literals(0),
      tot_literals(0),
      skipped_length(0),
      skipped_rand(0),
      ok(true),
      cla_inc(1),
      var_inc(1),
      prioModules(static_cast<size_t>(nPrio) + 1),
      currPrio(nPrio),
      moduleConflCls(nullptr),
      qhead(0),
      mqhead(0),
      simpDB_assigns(-1),
      simpDB_props(0),
      order_heap(VarOrderLt(activity)),
      random_seed(solverParams.random_seed),
      progress_estimate(0),
      remove_satisfied(true) {
    // The shared tables describe the variables of exactly one solver.
    Module::assigns.clear();
    Module::conflictGraph.clear();
    Module::backtrackFlags.clear();
}

Solver::~Solver() {
    for (int i = 0; i < learnts.size(); i++) std::free(learnts[i]);
    for (int i = 0; i < clauses.size(); i++) std::free(clauses[i]);
    for (ModuleImplication& rec : Module::conflictGraph) {
        std::free(rec.reason);
        rec.clear();
    }
    std::free(moduleConflCls);
    // Watch lists are stored bitwise inside the outer vec, so each one is
    // released here explicitly.
    for (int i = 0; i < watches.size(); i++) watches[i].~vec();
}

Var Solver::newVar(bool sign, bool dvar) {
    Var v = nVars();
    watches.push();
    watches.push();
    reason.push(nullptr);
    Module::assigns.push(l_Undef);
    level.push(-1);
    activity.push(0);
    seen.push(0);
    polarity.push(static_cast<char>(sign));
    decision_var.push(static_cast<char>(dvar));
    if (dvar && !order_heap.inHeap(v)) order_heap.insert(v);
    moduleWatches.emplace_back();
    Module::conflictGraph.push(ModuleImplication());
    return v;
}

bool Solver::addClause(vec<Lit>& ps) {
    TORVA_CHECK(decisionLevel() == 0, "Solver");
    if (!ok) return false;

    sort(ps);
    Lit p = lit_Undef;
    int i, j;
    for (i = j = 0; i < ps.size(); i++) {
        if (value(ps[i]) == l_True || ps[i] == ~p) return true;
        if (value(ps[i]) != l_False && ps[i] != p) ps[j++] = p = ps[i];
    }
    ps.shrink(i - j);

    if (ps.size() == 0) return ok = false;
    if (ps.size() == 1) {
        TORVA_CHECK(value(ps[0]) == l_Undef, "Solver");
        uncheckedEnqueue(ps[0]);
        ok = propagate() == nullptr;
        if (!ok) releaseModuleConflict();
        return ok;
    }
    Clause* c = Clause_new(ps, false);
    clauses.push(c);
    attachClause(*c);
    progress::noteClauses(static_cast<uint64_t>(clauses.size()));
    return true;
}

void Solver::attachClause(Clause& c) {
    TORVA_CHECK(c.size() > 1, "Solver");
    watches[toInt(~c[0])].push(Watcher{&c, c[1]});
    watches[toInt(~c[1])].push(Watcher{&c, c[0]});
    if (c.learnt())
        learnts_literals += c.size();
    else
        clauses_literals += c.size();
}

void Solver::detachClause(Clause& c) {
    TORVA_CHECK(c.size() > 1, "Solver");
    TORVA_CHECK(find(watches[toInt(~c[0])], &c), "Solver");
    TORVA_CHECK(find(watches[toInt(~c[1])], &c), "Solver");
    remove(watches[toInt(~c[0])], &c);
    remove(watches[toInt(~c[1])], &c);
    if (c.learnt())
        learnts_literals -= c.size();
    else
        clauses_literals -= c.size();
}

void Solver::removeClause(Clause& c) {
    detachClause(c);
    std::free(&c);
}

bool Solver::satisfied(const Clause& c) const {
    for (int i = 0; i < c.size(); i++)
        if (value(c[i]) == l_True) return true;
    return false;
}

bool Solver::locked(const Clause& c) const {
    return reason[var(c[0])] == &c && value(c[0]) == l_True;
}

void Solver::releaseModuleConflict() {
    std::free(moduleConflCls);
    moduleConflCls = nullptr;
}
