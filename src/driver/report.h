// The pieces of the SMT-LIB 1 run report shared by both benchmark readers:
// the banner, the statistics/result/time/memory block after a search, and
// model lines. Standard output is flushed before anything goes to standard
// error, so the two streams interleave in program order.
#pragma once

#include <gmpxx.h>
#include <sys/times.h>

#include <string>

#include "solver/solver.h"
#include "terms/term_store.h"

namespace torva::driver {

void printBanner();
clock_t userTime();
// Statistics on standard error (unless statistics is false); result, CPU
// time since solveStart and memory on standard output.
void printRunReport(Solver& S, bool satisfiable, clock_t solveStart, bool statistics);
// "(define-fun x () (_ BitVec 8) #b00000101)" or "(define-fun p () Bool true)".
void printModelLine(const std::string& name, terms::Sort sort, const mpz_class& value);
// Caps the address space at three quarters of physical memory.
void limitMemoryToPhysical();

}  // namespace torva::driver
