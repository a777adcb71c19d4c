// The SMT-LIB 2 reader: executes a script in the logic QF_BV command by
// command into a term graph, asking the given check function for every
// check-sat. Each command runs as soon as its closing parenthesis has been
// read, and every response is flushed, so a script can be driven over a
// pipe. The first error ends the script with (error "LINE:COL: message").
#pragma once

#include <cstddef>
#include <cstdio>
#include <memory>

#include "terms/model.h"
#include "terms/term_store.h"

namespace torva::smt2 {

class Session;

// What a script does after an error in a command: end (the default), or
// answer the error and go on with the next command.
enum class ErrorBehavior { ImmediateExit, ContinuedExecution };

class Script {
public:
    // Responses go to `out` (which also stands for "stdout" as an output
    // channel) until the script names another channel.
    Script(terms::CheckFunction check, std::FILE* out);
    // The same with a check function that is told which assertions stay.
    Script(terms::QueryFunction check, std::FILE* out);
    ~Script();
    Script(const Script&) = delete;
    Script& operator=(const Script&) = delete;

    void setErrorBehavior(ErrorBehavior behavior);

    // Reads the script from fd up to its end, (exit) or the first error
    // that ends it. Returns 1 when there was an error, else 10/20 when the
    // last check-sat answered sat/unsat, else 0.
    int run(int fd);

    // The term graph built so far.
    const terms::TermStore& store() const;
    // Bytes held by the reader's own tables (symbols, definitions, scopes,
    // assertions, stacks) and its read buffer, not counting the term graph.
    size_t tableBytes() const;

private:
    std::unique_ptr<Session> session_;
};

// Script(check, out).run(fd).
int runScript(int fd, const terms::CheckFunction& check, std::FILE* out);
int runScript(int fd, const terms::QueryFunction& check, std::FILE* out);

}  // namespace torva::smt2
