// The run limits of the command line. A CPU-time limit is a profiling timer:
// when it fires, wherever the run is (parsing, encoding, a module pass, the
// search), the answer "unknown" of the input's language and the reason are
// written and the process ends with status 0. Standard output is line
// buffered while a limit is set, so no complete line already printed is
// lost. A memory limit caps the address space; the failed allocation it
// causes is answered the same way by main.
#pragma once

#include <cstdint>

#include "driver/options.h"

namespace torva::driver {

void installTimeLimit(const Options& options);
void installMemoryLimit(const Options& options);
// The reason line of an answer cut short by --memory-limit.
void printMemoryLimitReason(const Options& options);
// The unknown answer and the memory reason, for main's handler of a failed
// allocation under --memory-limit.
void reportMemoryLimit(const Options& options);

}  // namespace torva::driver
