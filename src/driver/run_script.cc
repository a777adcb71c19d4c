// The SMT-LIB 2 run: the script reader executes command by command and asks
// the session engine the library also uses for every check (incrementally
// from the second check on);
// responses go to standard output. Under --memory-limit a check that runs
// out of memory is answered unknown.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <new>

#include "containers/progress.h"
#include "driver/limits.h"
#include "driver/progress_line.h"
#include "driver/runs.h"
#include "frontend/smt2/script.h"
#include "engine/session_solve.h"

namespace torva::driver {

namespace {

// A check that runs out of memory under --memory-limit is answered unknown.
template <class Check>
terms::CheckOutcome withinMemory(const Options& options, Check check, const std::function<void()>& onFailure) {
    if (options.memoryLimitMB == 0) return check();
    try {
        return check();
    } catch (const std::bad_alloc&) {
        onFailure();
        terms::CheckOutcome outcome;
        outcome.answer = terms::Answer::Unknown;
        outcome.reason = "memout";
        printMemoryLimitReason(options);
        return outcome;
    }
}

}  // namespace

int runScript(const Options& options) {
    int fd = options.input == "-" ? STDIN_FILENO : open(options.input.c_str(), O_RDONLY);
    if (fd < 0) {
        std::printf("(error \"cannot open %s: %s\")\n", options.input.c_str(), std::strerror(errno));
        return 1;
    }
    GraphSolveOptions solveOptions;
    solveOptions.search = options.search;
    solveOptions.engine = options.engine;
    solveOptions.abstractWidth = options.abstractWidth;
    solveOptions.memoryLimitMB = options.memoryLimitMB;
    solveOptions.simplify = options.simplify ? &options.simplifySettings : nullptr;
    solveOptions.printStats = options.printStats || options.verbose;
    solveOptions.verbosity = options.verbose ? 1 : 0;
    solveOptions.beforeSolve = stopProgressLine;
    SessionSolve session(solveOptions, options.incremental);
    terms::QueryFunction check = [&](terms::TermStore& store, const terms::CheckQuery& query) {
        try {
            return withinMemory(options, [&] { return session.check(store, query); }, [&] { session.reset(); });
        } catch (const WrongModel& wrong) {
            endOnWrongModel(wrong);
        }
    };
    smt2::Script script(check, stdout);
    script.setErrorBehavior(options.exitOnError ? smt2::ErrorBehavior::ImmediateExit
                                                : smt2::ErrorBehavior::ContinuedExecution);
    int status = script.run(fd);
    if (fd != STDIN_FILENO) close(fd);
    return status;
}

void endOnWrongModel(const WrongModel& wrong) {
    std::fflush(stdout);
    std::fprintf(stderr, "torva: internal error: %s\n", wrong.what());
    std::exit(3);
}

bool readInput(const std::string& path, std::string& text, std::string& error) {
    int fd = path == "-" ? STDIN_FILENO : open(path.c_str(), O_RDONLY);
    if (fd < 0) {
        error = "cannot open " + path + ": " + std::strerror(errno);
        return false;
    }
    char buffer[1 << 16];
    ssize_t n;
    while ((n = read(fd, buffer, sizeof buffer)) > 0) {
        progress::noteBytesRead(n);
        text.append(buffer, static_cast<size_t>(n));
    }
    int readErrno = errno;
    if (fd != STDIN_FILENO) close(fd);
    if (n < 0) {
        error = "cannot read " + path + ": " + std::strerror(readErrno);
        return false;
    }
    return true;
}

}  // namespace torva::driver
