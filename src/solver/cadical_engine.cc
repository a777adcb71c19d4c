// The CaDiCaL back end. Variable v of the solver is CaDiCaL variable v + 1;
// the level-0 trail goes over as unit clauses, then the problem and learnt
// clauses. The built-in solver's own state is not touched except for its
// model and ok.
#include "solver/cadical_engine.h"

#include <cadical.hpp>

namespace {
void addClauses(CaDiCaL::Solver& engine, const vec<Clause*>& clauses) {
    for (const Clause* c : clauses) {
        for (int i = 0; i < c->size(); i++) engine.add(dimacsLit((*c)[i]));
        engine.add(0);
    }
}
}  // namespace

bool solveWithCadical(Solver& S) {
    TORVA_CHECK(S.modules.empty() && S.decisionLevel() == 0, "Solver");
    S.model.clear();
    if (!S.okay()) return false;
    CaDiCaL::Solver engine;
    if (S.nVars() > 0) engine.reserve(S.nVars());
    for (int i = 0; i < S.trail.size(); i++) {
        engine.add(dimacsLit(S.trail[i]));
        engine.add(0);
    }
    addClauses(engine, S.clauses);
    addClauses(engine, S.learnts);
    int result = engine.solve();
    TORVA_CHECK(result == 10 || result == 20, "Solver");
    if (result == 20) {
        S.ok = false;
        return false;
    }
    S.model.growTo(S.nVars());
    for (int v = 0; v < S.nVars(); v++) S.model[v] = engine.val(v + 1) > 0 ? l_True : l_False;
    return true;
}
