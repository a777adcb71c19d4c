// Guessed models: found only when they satisfy every assertion, the same on
// every run, and never for an unsatisfiable or narrow problem.
#include <gtest/gtest.h>

#include "simplify/probe.h"
#include "terms/evaluator.h"

namespace {

using torva::simplify::probeModel;
using torva::terms::Kind;
using torva::terms::Model;
using torva::terms::TermId;
using torva::terms::TermStore;

TEST(Probe, GuessesAreCheckedAndRepeatable) {
    TermStore s;
    TermId x = s.mkVar(64, "x"), y = s.mkVar(64, "y"), p = s.mkVar(0, "p");
    TermId one = s.mkConst(64, 1);
    // x * y differs from y * x + 1 everywhere: the first guess satisfies it.
    TermId differ = s.mk(Kind::Not, {s.mk(Kind::Equal, {s.mk(Kind::BvMul, {x, y}),
                                                         s.mk(Kind::BvAdd, {s.mk(Kind::BvMul, {y, x}), one})})});
    TermId nonzero = s.mk(Kind::Not, {s.mk(Kind::Equal, {x, s.mkConst(64, 0)})});
    std::vector<TermId> assertions{differ, nonzero, s.mk(Kind::Or, {p, s.mk(Kind::Not, {p})})};
    Model first, second;
    ASSERT_TRUE(probeModel(s, assertions, first));
    ASSERT_TRUE(probeModel(s, assertions, second));
    EXPECT_EQ(first.values, second.values);
    torva::terms::Evaluator values(s);
    for (const auto& [v, value] : first.values) values.assign(v, value);
    for (TermId a : assertions) EXPECT_EQ(values.value(a), 1);

    // A single value out of 2^64, and a contradiction: no guess.
    Model none;
    EXPECT_FALSE(probeModel(s, {s.mk(Kind::Equal, {x, s.mkConst(64, 0x123456789)})}, none));
    EXPECT_FALSE(probeModel(s, {p, s.mk(Kind::Not, {p})}, none));
}

}  // namespace
