// The CNF export run (--dimacs FILE): the input is read into the term graph
// (a benchmark by the extended reader; a script up to its first check-sat,
// whose assertions are exported) and written as DIMACS CNF with every
// operation as clauses. Nothing is solved, and a script's responses are
// not printed (its later commands cannot run on an unsolved check).
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "driver/runs.h"
#include "frontend/extended/benchmark.h"
#include "frontend/smt2/script.h"
#include "engine/dimacs_export.h"

namespace torva::driver {
namespace {

const char kTooLarge[] = "torva: the problem is too large to bit-blast\n";

int exportScript(const Options& options, std::FILE* out) {
    int fd = options.input == "-" ? STDIN_FILENO : open(options.input.c_str(), O_RDONLY);
    if (fd < 0) {
        std::fprintf(stderr, "torva: cannot open %s: %s\n", options.input.c_str(), std::strerror(errno));
        return 1;
    }
    bool exported = false, refused = false;
    terms::CheckFunction check = [&](terms::TermStore& store, const std::vector<terms::TermId>& assertions) {
        terms::CheckOutcome outcome;
        outcome.answer = terms::Answer::Unknown;
        outcome.reason = "exported as CNF";
        if (exported || refused) return outcome;
        exported = writeGraphDimacs(store, assertions, out);
        refused = !exported;
        return outcome;
    };
    std::FILE* responses = std::fopen("/dev/null", "w");
    int status = smt2::runScript(fd, check, responses ? responses : stderr);
    if (responses) std::fclose(responses);
    if (fd != STDIN_FILENO) close(fd);
    if (exported) return 0;
    if (refused)
        std::fputs(kTooLarge, stderr);
    else if (status == 1)
        std::fputs("torva: the script has an error before its first check-sat (run it without --dimacs to see it)\n",
                   stderr);
    else
        std::fputs("torva: the script has no check-sat to export\n", stderr);
    return 1;
}

int exportBenchmark(const Options& options, std::FILE* out) {
    std::string text, error;
    if (!readInput(options.input, text, error)) {
        std::fprintf(stderr, "torva: %s\n", error.c_str());
        return 1;
    }
    terms::TermStore store;
    extended::Benchmark benchmark;
    if (!extended::parseBenchmark(text.data(), text.size(), options.input, store, benchmark, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    if (writeGraphDimacs(store, benchmark.assertions, out)) return 0;
    std::fputs(kTooLarge, stderr);
    return 1;
}

}  // namespace

int runDimacs(const Options& options) {
    std::FILE* out = std::fopen(options.dimacs.c_str(), "w");
    if (out == nullptr) {
        std::fprintf(stderr, "torva: cannot write %s: %s\n", options.dimacs.c_str(), std::strerror(errno));
        return 1;
    }
    int status = options.reader == Reader::Script ? exportScript(options, out) : exportBenchmark(options, out);
    if (std::fclose(out) != 0 && status == 0) {
        std::fprintf(stderr, "torva: cannot write %s: %s\n", options.dimacs.c_str(), std::strerror(errno));
        status = 1;
    }
    return status;
}

}  // namespace torva::driver
