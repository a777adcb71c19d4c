// Running SMT-LIB 2 scripts in the tests: an exhaustive check function that
// decides every query by enumerating all assignments of its free variables
// (so every answer the reader prints is independently right), and helpers
// that run a script text from a file or a pipe and collect the responses.
#pragma once

#include <string>
#include <vector>

#include "frontend/smt2/script.h"
#include "sessions/enumeration.h"
#include "terms/model.h"
#include "terms/term_store.h"

namespace torva::smt2::testing {

// The enumerating check function and the runner with continued execution
// of torva-fuzz sessions, under the names the reader's tests use.
using torva_sessions::enumerate;
using torva_sessions::runContinued;
using torva_sessions::ScriptRun;

// The script read from a file.
ScriptRun runScriptText(const std::string& script);
// The output with the engine's part of :all-statistics (from :conflicts
// on: search counters, SAT sizes, terms, memory) cut out.
std::string withoutEngineStatistics(std::string output);
// Runs each script and expects its exact output (engine statistics cut
// out) and exit status.
struct Case {
    const char* name;
    std::string script;
    std::string output;
    int status;
};
void expectRuns(const std::vector<Case>& cases);

// The same, counting the calls of the check function.
ScriptRun runScriptText(const std::string& script, int& checks);
// The script written into a pipe in pieces of at most `piece` bytes by
// another thread.
ScriptRun runScriptThroughPipe(const std::string& script, size_t piece);

}  // namespace torva::smt2::testing
