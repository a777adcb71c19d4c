// Solving a problem that is entirely clauses with CaDiCaL instead of the
// built-in search: the level-0 assignment and every clause of the solver are
// handed over, and a model comes back into the solver's model. Only for a
// solver without modules, at decision level 0.
#pragma once

#include "solver/solver.h"

// True when satisfiable (the solver's model then holds a value for every
// variable); false when unsatisfiable (ok is then cleared).
bool solveWithCadical(Solver& S);
