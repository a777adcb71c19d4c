// Clause emission throughput of the CNF encoder: clauses per second handed
// to a fresh solver by wide clause encodings (many 32-bit adders, one 64-bit
// shift-and-add multiplier). The counters are reset per iteration so that
// every adder and multiplier is made of clauses.
#include <benchmark/benchmark.h>

#include "cnf/verification_model_cnf.h"
#include "config.h"

namespace {

typedef VerificationModelCNF::Bits Bits;

Bits freshWord(unsigned& lastVar, size_t n) {
    Bits bits(n);
    for (unsigned& v : bits) v = ++lastVar;
    return bits;
}

// Every adder of the run is a ripple adder of 17n + 1 clauses.
void BM_AdderClauses(benchmark::State& state) {
    const size_t n = static_cast<size_t>(state.range(0));
    const unsigned adders = 200;
    const unsigned savedAdds = addCounter;
    for (auto _ : state) {
        addCounter = 0;
        Solver solver(prioParams[0]);
        unsigned lastVar = 0;
        VerificationModelCNF cnf(solver, [&lastVar] { return ++lastVar; });
        for (unsigned k = 0; k < adders; k++) {
            Bits a = freshWord(lastVar, n), b = freshWord(lastVar, n), out = freshWord(lastVar, n + 1);
            cnf._insertADD(a, b, out);
        }
        benchmark::DoNotOptimize(solver.nClauses());
    }
    addCounter = savedAdds;
    state.counters["clauses/s"] =
        benchmark::Counter(double(adders) * double(17 * n + 1), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_AdderClauses)->Arg(32)->Unit(benchmark::kMillisecond);

// The n-bit shift-and-add multiplier emits 3n constant units, 8n clauses for
// the first partial product, 42n + 2 clauses for each of the n - 1 further
// rows (shift-in unit, selection, 2n-bit adder) and 4n for the output copy.
void BM_MultiplierClauses(benchmark::State& state) {
    const size_t n = static_cast<size_t>(state.range(0));
    const unsigned savedAdds = addCounter, savedMuls = mulCounter;
    for (auto _ : state) {
        addCounter = 0;
        mulCounter = 0;
        Solver solver(prioParams[0]);
        unsigned lastVar = 0;
        VerificationModelCNF cnf(solver, [&lastVar] { return ++lastVar; });
        Bits a = freshWord(lastVar, n), b = freshWord(lastVar, n), out = freshWord(lastVar, 2 * n);
        cnf._insertMUL(a, b, out, false);
        benchmark::DoNotOptimize(solver.nClauses());
    }
    addCounter = savedAdds;
    mulCounter = savedMuls;
    const double clauses = double(15 * n + (n - 1) * (42 * n + 2));
    state.counters["clauses/s"] = benchmark::Counter(clauses, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_MultiplierClauses)->Arg(64)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
