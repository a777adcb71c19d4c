// The solver's clause set as DIMACS CNF: the level-0 assignment as unit
// clauses, then every problem clause. Variable v of the solver is DIMACS
// variable v + 1. Only for a solver at level 0; learnt clauses and modules
// are not written.
#pragma once

#include <cstdio>

#include "solver/solver.h"

void writeDimacs(const Solver& S, std::FILE* out);
