// CaDiCaL, two ways: solving a problem of the built-in solver that is
// entirely clauses instead of the built-in search (the level-0 assignment
// and every clause are handed over, and a model comes back into the
// solver's model; only for a solver without modules, at decision level 0),
// and as a plain incremental SAT solver that clauses go into directly.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "solver/solver.h"

namespace CaDiCaL {
class Solver;
}

// l_True when satisfiable (the solver's model then holds a value for every
// variable); l_False when unsatisfiable (ok is then cleared); l_Undef when
// the solver's conflict budget or interrupt stopped CaDiCaL.
lbool solveWithCadical(Solver& S);

// CaDiCaL as a plain incremental SAT solver over DIMACS literals, for an
// encoding that never passes through the built-in solver: clauses go
// straight in, checks run under assumptions, and only the literals a caller
// asks for are read back. Counts its variables (numbered 1, 2, ... in the
// order newVar hands them out) and the conflicts of its searches.
class CadicalBackend {
public:
    CadicalBackend();
    ~CadicalBackend();
    CadicalBackend(const CadicalBackend&) = delete;
    CadicalBackend& operator=(const CadicalBackend&) = delete;

    int newVar() { return ++vars_; }
    int vars() const { return vars_; }
    void addClause(const int* literals, size_t size);
    void addClause(const std::vector<int>& literals) { addClause(literals.data(), literals.size()); }

    struct Limits {
        uint64_t conflicts = 0;  // 0: no limit
        std::function<bool()> interrupt;
    };
    // l_True, l_False, or l_Undef when the limits stopped the search
    // (interrupted then says whether the interrupt did).
    lbool solve(const std::vector<int>& assumptions, const Limits& limits, bool& interrupted);
    // After l_True: the value of a literal.
    bool value(int literal);
    // After l_False: whether the refutation used the assumption.
    bool failed(int literal);

    uint64_t conflicts() const;
    int64_t clauses() const;

private:
    class Counter;
    std::unique_ptr<CaDiCaL::Solver> engine_;
    std::unique_ptr<Counter> counter_;
    int vars_ = 0;
};
