// Default values of the run configuration.
#include "config.h"

thread_local ToClauses toClses;

thread_local SolverParams solverParams;

thread_local int prioParams[nPrioParams] = {10, 9, 9, 9, 9, 9, 7, 7, 5, 3, 1, 6, 1, 3, 3, 3, 3, 3, 1, 1, 3, 1, 1, 1, 1};
