// Running SMT-LIB 2 scripts in the tests against torva-fuzz's check function
// that decides every query by enumerating all assignments of its free
// variables (so every answer the reader prints is independently right): a
// script text read from a file or written into a pipe, and the collected
// responses.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "frontend/smt2/script.h"
#include "sessions/enumeration.h"
#include "terms/model.h"
#include "terms/term_store.h"

namespace torva::smt2::testing {

using torva_sessions::enumerate;
using torva_sessions::runContinued;
using torva_sessions::ScriptRun;

inline ScriptRun runFromFd(int fd, const terms::CheckFunction& check) {
    std::FILE* out = std::tmpfile();
    int status = runScript(fd, check, out);
    ScriptRun run{torva_sessions::readAll(out), status};
    std::fclose(out);
    return run;
}

// The script read from a file; `checks` counts the calls of the check
// function.
inline ScriptRun runScriptText(const std::string& script, int& checks) {
    std::FILE* in = std::tmpfile();
    std::fwrite(script.data(), 1, script.size(), in);
    std::fflush(in);
    std::rewind(in);
    ScriptRun run = runFromFd(fileno(in), [&checks](terms::TermStore& store, const std::vector<terms::TermId>& a) {
        ++checks;
        return enumerate(store, a);
    });
    std::fclose(in);
    return run;
}

inline ScriptRun runScriptText(const std::string& script) {
    int checks = 0;
    return runScriptText(script, checks);
}

// The script written into a pipe in pieces of at most `piece` bytes by
// another thread, which stops when the reader closes its end.
inline ScriptRun runScriptThroughPipe(const std::string& script, size_t piece) {
    std::signal(SIGPIPE, SIG_IGN);
    int fds[2];
    if (pipe(fds) != 0) throw std::runtime_error("pipe failed");
    std::thread writer([&] {
        for (size_t at = 0; at < script.size();) {
            ssize_t n = write(fds[1], script.data() + at, std::min(piece, script.size() - at));
            if (n <= 0) break;
            at += static_cast<size_t>(n);
        }
        close(fds[1]);
    });
    ScriptRun run = runFromFd(fds[0], enumerate);
    close(fds[0]);
    writer.join();
    return run;
}

// The output with the engine's part of :all-statistics (from :conflicts
// on: search counters, SAT sizes, terms, memory) cut out.
inline std::string withoutEngineStatistics(std::string output) {
    for (size_t at = output.find(" :conflicts "); at != std::string::npos; at = output.find(" :conflicts ", at))
        output.erase(at, output.find("))", at) - at);
    return output;
}

// Runs each script and expects its exact output (engine statistics cut out)
// and exit status.
struct Case {
    const char* name;
    std::string script;
    std::string output;
    int status;
};

inline void expectRuns(const std::vector<Case>& cases) {
    for (const Case& c : cases) {
        ScriptRun run = runScriptText(c.script);
        EXPECT_EQ(withoutEngineStatistics(run.output), c.output) << c.name;
        EXPECT_EQ(run.status, c.status) << c.name;
    }
}

}  // namespace torva::smt2::testing
