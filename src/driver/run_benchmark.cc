// The SMT-LIB 1 benchmark run. With -m it keeps the bits of every declared
// variable and predicate before the front end's table is emptied and prints
// their values after a satisfiable answer; with --check-model it also reads
// the benchmark into a term graph and checks that model against every
// assertion before the answer is printed.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "config.h"
#include "driver/progress_line.h"
#include "driver/report.h"
#include "driver/runs.h"
#include "frontend/extended/benchmark.h"
#include "frontend/smt2xml.h"
#include "engine/graph_solve.h"
#include "terms/evaluator.h"

namespace torva::driver {
namespace {

struct DeclaredSymbol {
    std::string name;
    terms::Sort sort;
    std::vector<unsigned int> cnfVars;  // empty when the benchmark never used it
};

// Declared variables and predicates, by name; let and flet names are not
// declarations.
std::vector<DeclaredSymbol> declaredSymbols() {
    std::vector<DeclaredSymbol> symbols;
    for (const auto& entry : variables) {
        char first = entry.first.empty() ? '\0' : entry.first[0];
        if (first == '?' || first == '$') continue;
        const Signal* sig = entry.second;
        terms::Sort sort = sig->kind == SIGNAL_BOOL ? terms::kBool : sig->bitsize;
        symbols.push_back({entry.first, sort, sig->cnfVars});
    }
    return symbols;
}

mpz_class symbolValue(const Solver& S, const DeclaredSymbol& symbol) {
    return symbol.cnfVars.empty() ? mpz_class(0) : readBits(S, symbol.cnfVars);
}

// The benchmark as a term graph, for the model check.
struct GraphCopy {
    terms::TermStore store;
    extended::Benchmark benchmark;
};

void readGraphCopy(const std::string& path, GraphCopy& copy) {
    std::string text, error;
    if (!readInput(path, text, error) ||
        !extended::parseBenchmark(text.data(), text.size(), path, copy.store, copy.benchmark, error)) {
        std::fflush(stdout);
        std::fprintf(stderr, "torva: --check-model: the benchmark cannot be read as a term graph: %s\n",
                     error.c_str());
        std::exit(1);
    }
}

void checkModel(const Solver& S, const std::vector<DeclaredSymbol>& symbols, GraphCopy& copy) {
    terms::Evaluator evaluator(copy.store);
    for (const extended::Declaration& declaration : copy.benchmark.declarations) {
        for (const DeclaredSymbol& symbol : symbols)
            if (symbol.name == declaration.name) evaluator.assign(declaration.term, symbolValue(S, symbol));
    }
    torva::checkModel(evaluator, copy.benchmark.assertions);
}
}  // namespace

int runBenchmark(const Options& options) {
    if (!options.quiet) printBanner();

    Solver S(prioParams[0]);
    S.verbosity = options.quiet ? 0 : 1;

    std::puts("Read SMTLIB-Input\n");
    std::string path = options.input;
    bool parsed = parseSMT(S, &path[0]);
    stopProgressLine();
    if (!parsed) std::puts("Error: Parsing SM_T failed!");
    std::vector<DeclaredSymbol> symbols;
    if (parsed && (options.printModel || options.checkModel)) symbols = declaredSymbols();
    clearVariables();
    if (!parsed) {
        std::puts("Error: Parsing SM_T failed!");
        return 1;
    }
    GraphCopy copy;
    if (options.checkModel) readGraphCopy(options.input, copy);

    if (!S.simplify()) {
        std::puts("Result: UNSAT");
        std::exit(20);
    }

    clock_t solveStart = userTime();
    vec<Lit> noAssumptions;
    bool satisfiable = S.solve(noAssumptions);
    if (satisfiable && options.checkModel) checkModel(S, symbols, copy);
    printRunReport(S, satisfiable, solveStart, !options.quiet);
    if (satisfiable && options.printModel)
        for (const DeclaredSymbol& symbol : symbols) printModelLine(symbol.name, symbol.sort, symbolValue(S, symbol));

    for (Module* module : S.modules) delete module;
    return satisfiable ? 10 : 20;
}

}  // namespace torva::driver
