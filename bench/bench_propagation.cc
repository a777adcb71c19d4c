// Propagation throughput: repeated solves of one random 3-CNF, reported as
// propagations (dequeued trail literals) per second.
#include <benchmark/benchmark.h>

#include <cstdio>

#include "config.h"
#include "dimacs.h"

static void BM_SolveRandom3Cnf(benchmark::State& state) {
    std::string text = randomKCnf(250, 1065, 3, 7);
    uint64_t props = 0;
    for (auto _ : state) {
        std::FILE* in = fmemopen(const_cast<char*>(text.data()), text.size(), "r");
        Solver S(prioParams[0]);
        std::string error;
        loadDimacs(in, S, error);
        std::fclose(in);
        bool sat = S.simplify() && S.solve(vec<Lit>());
        benchmark::DoNotOptimize(sat);
        props += S.propagations;
    }
    state.counters["props/s"] = benchmark::Counter(static_cast<double>(props), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_SolveRandom3Cnf)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
