// The three runs of the program, one per reader; each returns the exit
// status.
#pragma once

#include <string>

#include "driver/options.h"
#include "engine/graph_solve.h"

namespace torva::driver {

// The SMT-LIB 1 benchmark run: translate while parsing, solve, report.
int runBenchmark(const Options& options);
// An SMT-LIB 1 benchmark read into the term graph and solved through it,
// with the same report.
int runExtended(const Options& options);
// An SMT-LIB 2 script.
int runScript(const Options& options);
// --dimacs: the bit-blasted input written as DIMACS CNF, nothing solved.
int runDimacs(const Options& options);

// A model that failed its check is an internal fault: the message on
// standard error and exit status 3, after what standard output holds.
[[noreturn]] void endOnWrongModel(const WrongModel& wrong);

// The whole input ("-": standard input); false with a reason when it cannot
// be read.
bool readInput(const std::string& path, std::string& text, std::string& error);

}  // namespace torva::driver
