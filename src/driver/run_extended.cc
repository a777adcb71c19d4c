// The extended benchmark run: the whole SMT-LIB 1.2 QF_BV language read into
// the term graph, lowered into the solver and decided there, with the report
// of the benchmark run. The model is checked on the graph before the answer
// is printed (the check ends the process with status 3 when it fails).
#include <cstdio>
#include <string>

#include "driver/progress_line.h"
#include "driver/report.h"
#include "driver/runs.h"
#include "frontend/extended/benchmark.h"
#include "engine/graph_solve.h"
#include "terms/evaluator.h"

namespace torva::driver {

int runExtended(const Options& options) {
    if (!options.quiet) printBanner();
    std::puts("Read SMTLIB-Input\n");
    std::puts("parsing");
    std::string text, error;
    if (!readInput(options.input, text, error)) {
        std::fflush(stdout);
        std::fprintf(stderr, "Error: Could not open smt file: %s\n", options.input.c_str());
        return 1;
    }
    terms::TermStore store;
    extended::Benchmark benchmark;
    if (!extended::parseBenchmark(text.data(), text.size(), options.input, store, benchmark, error)) {
        std::fflush(stdout);
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    for (const std::string& comment : benchmark.comments) std::printf("comment: '%s'\n", comment.c_str());
    std::puts("solving");

    clock_t solveStart = 0;
    bool searched = false;
    GraphSolveOptions solveOptions;
    solveOptions.verbosity = options.quiet ? 0 : 1;
    solveOptions.search = options.search;
    solveOptions.engine = options.engine;
    solveOptions.abstractWidth = options.abstractWidth;
    solveOptions.memoryLimitMB = options.memoryLimitMB;
    solveOptions.simplify = options.simplify ? &options.simplifySettings : nullptr;
    solveOptions.printStats = options.printStats || options.verbose;
    solveOptions.beforeSolve = [&] {
        stopProgressLine();
        solveStart = userTime();
    };
    solveOptions.afterSolve = [&](Solver& S, bool satisfiable) {
        searched = true;
        printRunReport(S, satisfiable, solveStart, !options.quiet);
    };
    terms::CheckOutcome outcome = solveGraph(store, benchmark.assertions, solveOptions);
    stopProgressLine();
    if (!searched) {
        std::puts("Result: UNSAT");
        return 20;
    }
    if (outcome.answer != terms::Answer::Sat) return 20;
    if (options.printModel) {
        terms::Evaluator values(store);
        for (const auto& [variable, value] : outcome.model.values) values.assign(variable, value);
        for (const extended::Declaration& declaration : benchmark.declarations)
            printModelLine(declaration.name, store.sort(declaration.term), values.value(declaration.term));
    }
    return 10;
}

}  // namespace torva::driver
