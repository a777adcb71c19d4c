// The cost of the interface layers on term construction: ten million
// operator applications (a chain of bvadd/bvxor/bvmul over 64 variables, so
// that every one makes a new node) through the internal term graph, the
// C++ interface's named helpers, its generic mkTerm, and the C interface.
#include <benchmark/benchmark.h>

#include <vector>

#include "terms/term_store.h"
#include "torva/torva.h"
#include "torva/torva.hpp"

namespace {

constexpr int64_t kConstructions = 10'000'000;
constexpr int kVariables = 64;

void BM_InternalGraph(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        auto store = std::make_unique<torva::terms::TermStore>();
        std::vector<torva::terms::TermId> vars;
        for (int i = 0; i < kVariables; i++) vars.push_back(store->mkVar(32, "v"));
        const torva::terms::Kind kinds[3] = {torva::terms::Kind::BvAdd, torva::terms::Kind::BvXor,
                                             torva::terms::Kind::BvMul};
        state.ResumeTiming();
        torva::terms::TermId t = vars[0];
        for (int64_t i = 0; i < kConstructions; i++) t = store->mk(kinds[i % 3], {t, vars[i % kVariables]});
        benchmark::DoNotOptimize(t);
        state.PauseTiming();
        store.reset();
        state.ResumeTiming();
    }
}

template <class Make>
void chainThroughInterface(benchmark::State& state, Make make) {
    for (auto _ : state) {
        state.PauseTiming();
        auto s = std::make_unique<torva::Solver>();
        std::vector<torva::Term> vars;
        for (int i = 0; i < kVariables; i++) vars.push_back(s->mkConst(s->mkBvSort(32), "v"));
        state.ResumeTiming();
        torva::Term t = vars[0];
        for (int64_t i = 0; i < kConstructions; i++) t = make(*s, i % 3, t, vars[i % kVariables]);
        benchmark::DoNotOptimize(t);
        state.PauseTiming();
        s.reset();
        state.ResumeTiming();
    }
}

void BM_CppNamedHelpers(benchmark::State& state) {
    chainThroughInterface(state, [](torva::Solver& s, int64_t k, const torva::Term& a, const torva::Term& b) {
        return k == 0 ? s.mkBvAdd(a, b) : k == 1 ? s.mkBvXor(a, b) : s.mkBvMul(a, b);
    });
}

void BM_CppMkTerm(benchmark::State& state) {
    const torva::Kind kinds[3] = {torva::Kind::BV_ADD, torva::Kind::BV_XOR, torva::Kind::BV_MUL};
    chainThroughInterface(state, [&kinds](torva::Solver& s, int64_t k, const torva::Term& a, const torva::Term& b) {
        return s.mkTerm(kinds[k], {a, b});
    });
}

void BM_CMkTerm(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        torva_solver* s = nullptr;
        torva_new(&s);
        torva_sort sort;
        torva_mk_bv_sort(s, 32, &sort);
        std::vector<torva_term> vars(kVariables);
        for (torva_term& v : vars) torva_mk_const(s, sort, "v", &v);
        const torva_kind kinds[3] = {TORVA_KIND_BV_ADD, TORVA_KIND_BV_XOR, TORVA_KIND_BV_MUL};
        state.ResumeTiming();
        torva_term args[2] = {vars[0], vars[0]};
        for (int64_t i = 0; i < kConstructions; i++) {
            args[1] = vars[i % kVariables];
            torva_mk_term(s, kinds[i % 3], 2, args, 0, nullptr, &args[0]);
        }
        benchmark::DoNotOptimize(args[0]);
        state.PauseTiming();
        torva_delete(s);
        state.ResumeTiming();
    }
}

}  // namespace

BENCHMARK(BM_InternalGraph)->Iterations(1)->Repetitions(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CppNamedHelpers)->Iterations(1)->Repetitions(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CppMkTerm)->Iterations(1)->Repetitions(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CMkTerm)->Iterations(1)->Repetitions(5)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
