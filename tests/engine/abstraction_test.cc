// The abstraction of multiplications, quotients and remainders: every lemma
// of the catalogue holds of the real operation at every small width, and
// single checks with every such operation abstracted agree with brute-force
// enumeration (their models are checked against the input by the solve);
// an encoding beyond the memory budget is not built, up front or in a
// refinement.
#include <gtest/gtest.h>

#include <random>

#include "engine/abstraction.h"
#include "engine/graph_solve.h"
#include "simplify/simplify.h"
#include "terms/evaluator.h"

namespace {

using torva::terms::Answer;
using torva::terms::Evaluator;
using torva::terms::Kind;
using torva::terms::TermId;
using torva::terms::TermStore;

constexpr Kind kAbstracted[] = {Kind::BvMul, Kind::BvUdiv, Kind::BvUrem};

TEST(Abstraction, EveryCatalogueLemmaHoldsOfTheRealOperation) {
    for (uint32_t width = 1; width <= 4; ++width) {
        for (Kind kind : kAbstracted) {
            TermStore store;
            TermId x = store.mkVar(width, "x"), s = store.mkVar(width, "s");
            TermId t = store.mk(kind, {x, s});
            std::vector<TermId> lemmas = torva::abstractionLemmas(store, kind, x, s, t);
            ASSERT_FALSE(lemmas.empty());
            Evaluator evaluator(store);
            for (unsigned vx = 0; vx < (1u << width); ++vx)
                for (unsigned vs = 0; vs < (1u << width); ++vs) {
                    evaluator.assign(x, vx);
                    evaluator.assign(s, vs);
                    for (size_t i = 0; i < lemmas.size(); ++i)
                        ASSERT_EQ(evaluator.value(lemmas[i]), 1)
                            << "lemma " << i << " of kind " << static_cast<int>(kind) << " at width " << width
                            << " with x = " << vx << ", s = " << vs;
                }
        }
    }
}

// Random nests of the abstracted operations, sums and shifts over three
// variables, compared by equality, disequality or an unsigned order.
class Instance {
public:
    Instance(TermStore& store, uint64_t seed) : store_(store), rng_(seed) {
        width_ = 1 + pick(4);
        for (const char* name : {"x", "y", "z"}) vars_.push_back(store.mkVar(width_, name));
    }

    TermId assertion() {
        TermId a = term(3), b = term(3);
        switch (pick(3)) {
            case 0: return store_.mk(Kind::Equal, {a, b});
            case 1: return store_.mk(Kind::Distinct, {a, b});
            default: return store_.mk(Kind::BvUlt, {a, b});
        }
    }
    const std::vector<TermId>& vars() const { return vars_; }
    uint32_t width() const { return width_; }

private:
    uint32_t pick(uint32_t n) { return static_cast<uint32_t>(rng_() % n); }

    TermId term(int depth) {
        if (depth == 0 || pick(4) == 0)
            return pick(5) == 0 ? store_.mkConst(width_, pick(1u << width_)) : vars_[pick(3)];
        static constexpr Kind kOps[] = {Kind::BvMul, Kind::BvMul, Kind::BvUdiv, Kind::BvUrem,
                                        Kind::BvAdd, Kind::BvShl, Kind::BvLshr};
        Kind kind = kOps[pick(sizeof kOps / sizeof kOps[0])];
        return store_.mk(kind, {term(depth - 1), term(depth - 1)});
    }

    TermStore& store_;
    std::mt19937_64 rng_;
    uint32_t width_;
    std::vector<TermId> vars_;
};

bool satisfiableByEnumeration(TermStore& store, const Instance& instance, TermId assertion) {
    Evaluator evaluator(store);
    const unsigned values = 1u << instance.width();
    for (unsigned a = 0; a < values; ++a)
        for (unsigned b = 0; b < values; ++b)
            for (unsigned c = 0; c < values; ++c) {
                evaluator.assign(instance.vars()[0], a);
                evaluator.assign(instance.vars()[1], b);
                evaluator.assign(instance.vars()[2], c);
                if (evaluator.value(assertion) == 1) return true;
            }
    return false;
}

TEST(Abstraction, ChecksWithEveryOperationAbstractedAgreeWithEnumeration) {
    const torva::simplify::SimplifySettings simplification;
    for (uint64_t seed = 0; seed < 400; ++seed) {
        TermStore store;
        Instance instance(store, seed);
        TermId assertion = instance.assertion();
        const bool expected = satisfiableByEnumeration(store, instance, assertion);
        torva::GraphSolveOptions options;
        options.engine = torva::Engine::Cadical;
        options.abstractWidth = 1;
        options.simplify = seed % 2 == 0 ? nullptr : &simplification;
        torva::terms::CheckOutcome outcome = torva::solveGraph(store, {assertion}, options);
        ASSERT_EQ(outcome.answer, expected ? Answer::Sat : Answer::Unsat) << "seed " << seed;
    }
}

// At 128 bits with a budget of 1 MB: a multiplier does not fit, its
// abstraction does, and a refinement that needs the whole circuit stops.
TEST(Abstraction, AnEncodingBeyondTheMemoryBudgetIsNotBuilt) {
    struct Case {
        const char* name;
        uint32_t abstractWidth;
        bool commuted;  // x * y and y * x differ: only the circuits refute it
        Answer expected;
    };
    const Case cases[] = {
        {"the multiplier up front", 0, false, Answer::Unknown},
        {"the abstraction", 33, false, Answer::Sat},
        {"the circuits in a refinement", 33, true, Answer::Unknown},
    };
    for (const Case& c : cases) {
        TermStore store;
        TermId x = store.mkVar(128, "x"), y = store.mkVar(128, "y"), z = store.mkVar(128, "z");
        TermId product = store.mk(Kind::BvMul, {x, y});
        TermId assertion = c.commuted ? store.mk(Kind::Distinct, {product, store.mk(Kind::BvMul, {y, x})})
                                      : store.mk(Kind::Equal, {product, z});
        torva::GraphSolveOptions options;
        options.engine = torva::Engine::Cadical;
        options.abstractWidth = c.abstractWidth;
        options.memoryLimitMB = 1;
        torva::terms::CheckOutcome outcome = torva::solveGraph(store, {assertion}, options);
        EXPECT_EQ(outcome.answer, c.expected) << c.name;
        if (c.expected == Answer::Unknown) {
            EXPECT_EQ(outcome.reason, "memout") << c.name;
        }
    }
}

}  // namespace
