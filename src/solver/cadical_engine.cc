// The CaDiCaL back end, kept quiet (its messages would run into the answers
// on standard output). Variable v of the solver is CaDiCaL variable v + 1;
// the level-0 trail goes over as unit clauses, then the problem and learnt
// clauses. The built-in solver's own state is not touched except for its
// model and ok.
#include "solver/cadical_engine.h"

#include <cadical.hpp>

#include <algorithm>
#include <cstdint>

namespace {
void addClause(CaDiCaL::Solver& engine, const Clause& c) {
    for (int i = 0; i < c.size(); i++) engine.add(dimacsLit(c[i]));
    engine.add(0);
}

// The level-0 assignment from trail position `from` on, as unit clauses.
void addUnits(CaDiCaL::Solver& engine, const vec<Lit>& trail, int from) {
    for (int i = from; i < trail.size(); i++) {
        engine.add(dimacsLit(trail[i]));
        engine.add(0);
    }
}

void addClauses(CaDiCaL::Solver& engine, const vec<Clause*>& clauses) {
    for (const Clause* c : clauses) addClause(engine, *c);
}

// The solver's limits for one CaDiCaL call: the conflict budget, and its
// interrupt callback, asked every 64th time CaDiCaL polls.
class Limits : public CaDiCaL::Terminator {
public:
    Limits(CaDiCaL::Solver& engine, Solver& S) : engine_(engine), S_(S) {
        S.interrupted = false;
        if (S.conflictBudget != 0) engine.limit("conflicts", static_cast<int>(std::min<uint64_t>(S.conflictBudget, INT32_MAX)));
        if (S.interrupt) engine.connect_terminator(this);
    }
    ~Limits() override { engine_.disconnect_terminator(); }
    bool terminate() override {
        if ((++polls_ & 63) == 0 && S_.interrupt()) S_.interrupted = true;
        return S_.interrupted;
    }

private:
    CaDiCaL::Solver& engine_;
    Solver& S_;
    uint64_t polls_ = 0;
};

void readModel(CaDiCaL::Solver& engine, Solver& S) {
    S.model.growTo(S.nVars());
    for (int v = 0; v < S.nVars(); v++) S.model[v] = engine.val(v + 1) > 0 ? l_True : l_False;
}
}  // namespace

lbool solveWithCadical(Solver& S) {
    TORVA_CHECK(S.modules.empty() && S.decisionLevel() == 0, "Solver");
    S.model.clear();
    if (!S.okay()) return l_False;
    CaDiCaL::Solver engine;
    engine.set("quiet", 1);
    if (S.nVars() > 0) engine.reserve(S.nVars());
    addUnits(engine, S.trail, 0);
    addClauses(engine, S.clauses);
    addClauses(engine, S.learnts);
    int result;
    {
        Limits limits(engine, S);
        result = engine.solve();
    }
    if (result == 0) return l_Undef;
    TORVA_CHECK(result == 10 || result == 20, "Solver");
    if (result == 20) {
        S.ok = false;
        return l_False;
    }
    readModel(engine, S);
    return l_True;
}

CadicalSession::CadicalSession() : engine_(std::make_unique<CaDiCaL::Solver>()) { engine_->set("quiet", 1); }

CadicalSession::~CadicalSession() = default;

lbool CadicalSession::solve(Solver& S, const vec<Lit>& assumptions) {
    TORVA_CHECK(S.modules.empty() && S.decisionLevel() == 0, "Solver");
    S.model.clear();
    S.conflict.clear();
    if (!S.okay()) return l_False;
    addUnits(*engine_, S.trail, trailSent_);
    addClauses(*engine_, S.clauses);
    S.releaseProblemClauses(trailSent_);
    trailSent_ = S.trail.size();
    for (int i = 0; i < assumptions.size(); i++) engine_->assume(dimacsLit(assumptions[i]));
    int result;
    {
        Limits limits(*engine_, S);
        result = engine_->solve();
    }
    if (result == 0) return l_Undef;
    TORVA_CHECK(result == 10 || result == 20, "Solver");
    if (result == 10) {
        readModel(*engine_, S);
        return l_True;
    }
    for (int i = 0; i < assumptions.size(); i++)
        if (engine_->failed(dimacsLit(assumptions[i]))) S.conflict.push(~assumptions[i]);
    if (S.conflict.size() == 0) S.ok = false;
    return l_False;
}
