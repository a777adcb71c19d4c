// The CaDiCaL back ends, kept quiet (its messages would run into the answers
// on standard output). For a built-in solver's problem, variable v of the
// solver is CaDiCaL variable v + 1; the level-0 trail goes over as unit
// clauses, then the problem and learnt clauses, and the built-in solver's
// own state is not touched except for its model and ok. The plain back end
// numbers its own variables and reads back only the literals asked for.
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

// The limits of one CaDiCaL call: a conflict budget, and the interrupt,
// asked at CaDiCaL's first poll and every 64th after it.
class CallLimits : public CaDiCaL::Terminator {
public:
    CallLimits(CaDiCaL::Solver& engine, const CadicalBackend::Limits& limits) : engine_(engine), limits_(limits) {
        if (limits.conflicts != 0)
            engine.limit("conflicts", static_cast<int>(std::min<uint64_t>(limits.conflicts, INT32_MAX)));
        if (limits.interrupt) engine.connect_terminator(this);
    }
    ~CallLimits() override { engine_.disconnect_terminator(); }
    bool terminate() override {
        if ((polls_++ & 63) == 0 && limits_.interrupt()) interrupted = true;
        return interrupted;
    }
    bool interrupted = false;

private:
    CaDiCaL::Solver& engine_;
    const CadicalBackend::Limits& limits_;
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
        CadicalBackend::Limits limits{S.conflictBudget, S.interrupt};
        CallLimits call(engine, limits);
        result = engine.solve();
        S.interrupted = call.interrupted;
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

// Every learnt clause is one conflict of the search; none is exported.
class CadicalBackend::Counter : public CaDiCaL::Learner {
public:
    bool learning(int) override {
        ++learnt;
        return false;
    }
    void learn(int) override {}
    uint64_t learnt = 0;
};

CadicalBackend::CadicalBackend()
    : engine_(std::make_unique<CaDiCaL::Solver>()), counter_(std::make_unique<Counter>()) {
    engine_->set("quiet", 1);
    engine_->connect_learner(counter_.get());
}

CadicalBackend::~CadicalBackend() { engine_->disconnect_learner(); }

void CadicalBackend::addClause(const int* literals, size_t size) {
    for (size_t i = 0; i < size; i++) engine_->add(literals[i]);
    engine_->add(0);
}

lbool CadicalBackend::solve(const std::vector<int>& assumptions, const Limits& limits, bool& interrupted) {
    for (int l : assumptions) engine_->assume(l);
    int result;
    {
        CallLimits call(*engine_, limits);
        result = engine_->solve();
        interrupted = call.interrupted;
    }
    if (result == 10) return l_True;
    if (result == 20) return l_False;
    return l_Undef;
}

bool CadicalBackend::value(int literal) { return engine_->val(literal) > 0; }

bool CadicalBackend::failed(int literal) { return engine_->failed(literal); }

uint64_t CadicalBackend::conflicts() const { return counter_->learnt; }

int64_t CadicalBackend::clauses() const { return engine_->irredundant(); }
