// The progress line: when standard error is a terminal and reading and
// building the problem has taken more than a second, a line on standard
// error, redrawn four times a second, says how far it has come (bytes read
// of the input's size, term-graph nodes, clauses). It is erased when the
// search starts or the program ends. Nothing is written when standard error
// is not a terminal, so the output of a run stays what it was.
#pragma once

#include "driver/options.h"

namespace torva::driver {

void startProgressLine(const Options& options);
// Erases the line and ends it for the rest of the run; idempotent.
void stopProgressLine();
// Erases the line without waiting for anything, for a signal handler that
// ends the process.
void eraseProgressLineNow();

}  // namespace torva::driver
