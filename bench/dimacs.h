// Loading DIMACS CNF text into a solver, and a generator of random k-CNF
// instances for the benchmarks (deterministic per seed).
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "solver/solver.h"

// Reads "p cnf" problems: comment lines, the header, clauses ended by 0.
// Returns false on malformed input (the message is left in `error`).
bool loadDimacs(std::FILE* in, Solver& s, std::string& error);

// Writes a random k-CNF with `vars` variables and `clauses` clauses.
std::string randomKCnf(int vars, int clauses, int k, uint64_t seed);
