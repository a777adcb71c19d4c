// The six statistics lines of a run report, written to standard error.
#pragma once

#include "solver/solver.h"

void printStats(Solver& S);
