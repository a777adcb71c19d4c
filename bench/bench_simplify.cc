// Throughput of the word-level simplification on the flat-definition shape:
// N definitions v = op(earlier v, earlier v or constant) over eight 32-bit
// inputs, asserted as top-level equalities, and a final comparison of the
// last two. With the inputs fixed by further equalities everything folds to
// a constant; with them free the definitions are substituted and rewritten.
// Reports input nodes per second and the nodes left.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "simplify/simplify.h"

namespace {

using torva::terms::Kind;
using torva::terms::TermId;
using torva::terms::TermStore;

struct Choices {
    uint64_t state = 0x2545F4914F6CDD1DULL;
    uint32_t below(uint32_t n) {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        return static_cast<uint32_t>(state % n);
    }
};

std::vector<TermId> flatDefinitions(TermStore& s, size_t count, bool fixedInputs) {
    Choices c;
    std::vector<TermId> words, assertions;
    for (int i = 0; i < 8; i++) {
        words.push_back(s.mkVar(32, "in" + std::to_string(i)));
        if (fixedInputs) assertions.push_back(s.mk(Kind::Equal, {words.back(), s.mkConst(32, c.below(1u << 30))}));
    }
    static const Kind kOps[] = {Kind::BvAdd, Kind::BvXor, Kind::BvAnd, Kind::BvOr, Kind::BvSub, Kind::BvMul};
    for (size_t i = 0; i < count; i++) {
        TermId a = words[words.size() - 1 - c.below(std::min<uint32_t>(16, words.size()))];
        TermId b = c.below(3) == 0 ? s.mkConst(32, c.below(1u << 30))
                                   : words[words.size() - 1 - c.below(std::min<uint32_t>(16, words.size()))];
        Kind op = kOps[c.below(6)];
        if (op == Kind::BvMul) b = s.mkConst(32, 2 * c.below(1u << 20) + 1);
        TermId v = s.mkVar(32, "v" + std::to_string(i));
        assertions.push_back(s.mk(Kind::Equal, {v, s.mk(op, {a, b})}));
        words.push_back(v);
    }
    assertions.push_back(s.mk(Kind::BvUlt, {words[words.size() - 2], words.back()}));
    return assertions;
}

void simplifyFlat(benchmark::State& state, bool fixedInputs) {
    const size_t count = static_cast<size_t>(state.range(0));
    size_t nodes = 0, left = 0;
    for (auto _ : state) {
        state.PauseTiming();
        TermStore store;
        std::vector<TermId> assertions = flatDefinitions(store, count, fixedInputs);
        nodes = torva::simplify::dagSize(store, assertions);
        state.ResumeTiming();
        torva::simplify::SimplifyStats stats;
        torva::simplify::Simplified out =
            torva::simplify::simplify(store, assertions, torva::simplify::SimplifySettings(), stats);
        left = stats.nodesAfter;
        benchmark::DoNotOptimize(out.assertions.data());
    }
    state.counters["nodes_per_s"] =
        benchmark::Counter(static_cast<double>(nodes), benchmark::Counter::kIsIterationInvariantRate);
    state.counters["nodes_left"] = static_cast<double>(left);
}

void fixedInputs(benchmark::State& state) { simplifyFlat(state, true); }
void freeInputs(benchmark::State& state) { simplifyFlat(state, false); }

BENCHMARK(fixedInputs)->Arg(20'000)->Arg(200'000)->Unit(benchmark::kMillisecond);
BENCHMARK(freeInputs)->Arg(20'000)->Arg(200'000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
