// Solving a problem that is entirely clauses with CaDiCaL instead of the
// built-in search: the level-0 assignment and every clause of the solver are
// handed over, and a model comes back into the solver's model. Only for a
// solver without modules, at decision level 0.
#pragma once

#include <memory>

#include "solver/solver.h"

namespace CaDiCaL {
class Solver;
}

// l_True when satisfiable (the solver's model then holds a value for every
// variable); l_False when unsatisfiable (ok is then cleared); l_Undef when
// the solver's conflict budget or interrupt stopped CaDiCaL.
lbool solveWithCadical(Solver& S);

// CaDiCaL across many checks of one growing problem: every call hands over
// what the solver gained since the last one (level-0 units, problem
// clauses; the solver itself never searches) and solves under assumptions.
// What CaDiCaL learnt stays for the next call. The problem clauses handed
// over are freed in the solver, so they are held once, by CaDiCaL: from
// then on only CaDiCaL can decide the problem.
class CadicalSession {
public:
    CadicalSession();
    ~CadicalSession();
    CadicalSession(const CadicalSession&) = delete;
    CadicalSession& operator=(const CadicalSession&) = delete;

    // l_True when satisfiable under the assumptions (the solver's model
    // then holds every variable). l_False otherwise, with S.conflict holding
    // the negations of the assumptions the refutation used, as the built-in
    // solver leaves it; when none was used the clauses alone are
    // unsatisfiable and S.ok is cleared. l_Undef when the solver's limits
    // stopped the search.
    lbool solve(Solver& S, const vec<Lit>& assumptions);

private:
    std::unique_ptr<CaDiCaL::Solver> engine_;
    int trailSent_ = 0;
};
