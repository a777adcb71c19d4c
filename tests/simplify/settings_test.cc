// The two switches of the rewriter. With the rules off only constant
// folding happens: a random DAG comes back as the term with every
// application of constants folded (built here independently, node by node,
// with the evaluator), an application with a non-constant operand is the
// very node store.mk builds, and no rule but folding fires. With the linear
// sums off, the rules that do not read sums keep their shapes while sums
// stay as they were written.
#include <gtest/gtest.h>

#include <unordered_map>
#include <vector>

#include "random_terms.h"
#include "rewrite_check.h"
#include "simplify/rewriter.h"

namespace {

using namespace rwtest;
using torva::simplify::kNumRules;
using torva::simplify::Rewriter;
using torva::simplify::RewriteSettings;
using torva::simplify::RuleId;
using K = Kind;

// t with every application whose operands fold to constants replaced by
// its value.
TermId foldedConstants(TermStore& s, TermId t, std::unordered_map<TermId, TermId>& memo) {
    if (s.kind(t) == K::Const || s.kind(t) == K::Variable) return t;
    auto known = memo.find(t);
    if (known != memo.end()) return known->second;
    std::vector<TermId> args;
    bool constants = true;
    for (uint32_t i = 0; i < s.numArgs(t); i++) {
        args.push_back(foldedConstants(s, s.arg(t, i), memo));
        constants &= s.kind(args.back()) == K::Const;
    }
    std::vector<uint32_t> indices;
    for (uint32_t i = 0; i < s.numIndices(t); i++) indices.push_back(s.index(t, i));
    TermId rebuilt = s.mk(s.kind(t), args, indices);
    if (constants) {
        Evaluator ev(s);
        mpz_class v = ev.value(rebuilt);
        rebuilt = s.isBool(rebuilt) ? s.mkBool(v != 0) : s.mkConst(s.sort(rebuilt), v);
    }
    return memo[t] = rebuilt;
}

TEST(RewriteSettings, WithoutRulesOnlyConstantsFold) {
    const RewriteSettings foldOnly{false, false};
    for (uint64_t seed = 0; seed < 500; seed++) {
        TermStore s;
        RandomTerms gen(s, seed);
        TermId t = gen.term(seed % 3 == 0 ? torva::terms::kBool : gen.width(), 4);
        Rewriter rw(s, foldOnly);
        TermId r = rw.rewrite(t);
        std::unordered_map<TermId, TermId> memo;
        ASSERT_EQ(r, foldedConstants(s, t, memo)) << "seed " << seed << ": " << smt2(s, t) << "\ngives " << smt2(s, r);
        for (size_t i = 0; i < kNumRules; i++) {
            if (static_cast<RuleId>(i) == RuleId::FoldConstants) continue;
            ASSERT_EQ(rw.counts()[i], 0u) << torva::simplify::ruleName(static_cast<RuleId>(i)) << ", seed " << seed;
        }
    }
    TermStore s;
    Rewriter rw(s, foldOnly);
    TermId x = s.mkVar(8, "x"), y = s.mkVar(8, "y"), p = s.mkVar(torva::terms::kBool, "p");
    TermId one = s.mkConst(8, 1), t = s.mkBool(true);
    for (K k : {K::BvXor, K::BvAdd, K::BvUlt, K::BvUdiv, K::Equal}) EXPECT_EQ(rw.mk(k, {x, x}), s.mk(k, {x, x}));
    EXPECT_EQ(rw.mk(K::BvAdd, {y, x}), s.mk(K::BvAdd, {y, x}));
    EXPECT_EQ(rw.mk(K::BvMul, {x, s.mkConst(8, 0)}), s.mk(K::BvMul, {x, s.mkConst(8, 0)}));
    EXPECT_EQ(rw.mk(K::And, {p, t}), s.mk(K::And, {p, t}));
    EXPECT_EQ(rw.mk(K::Extract, {x}, {7, 0}), s.mk(K::Extract, {x}, {7, 0}));
    EXPECT_EQ(rw.mk(K::BvAdd, {one, one}), s.mkConst(8, 2));
    EXPECT_EQ(rw.mk(K::BvUlt, {one, one}), s.mkBool(false));
}

TEST(RewriteSettings, WithoutLinearSumsTheOtherRulesKeepTheirShapes) {
    TermStore s;
    Rewriter rw(s, RewriteSettings{true, false});
    TermId x = s.mkVar(8, "x"), y = s.mkVar(8, "y");
    auto c = [&](uint64_t v, uint32_t w = 8) { return rw.bvConst(w, static_cast<unsigned long>(v)); };
    auto slice = [&](TermId t, uint32_t hi, uint32_t lo) { return rw.mk(K::Extract, {t}, {hi, lo}); };
    // Sums stay as written, up to the order of their operands.
    EXPECT_EQ(rw.mk(K::BvAdd, {y, x}), rw.mk(K::BvAdd, {x, y}));
    EXPECT_EQ(rw.mk(K::BvAdd, {x, x}), s.mk(K::BvAdd, {x, x}));
    EXPECT_NE(rw.mk(K::BvAdd, {x, x}), rw.mk(K::BvMul, {c(2), x}));
    TermId sum = rw.mk(K::BvAdd, {x, c(1)});
    EXPECT_EQ(s.kind(rw.mk(K::Equal, {sum, c(5)})), K::Equal);
    EXPECT_NE(rw.mk(K::Equal, {sum, c(5)}), rw.mk(K::Equal, {x, c(4)}));
    // Everything else as with all rules.
    EXPECT_EQ(rw.mk(K::BvXor, {x, x}), c(0));
    EXPECT_EQ(rw.mk(K::Equal, {x, x}), s.mkBool(true));
    EXPECT_EQ(rw.mk(K::BvMul, {x, c(0)}), c(0));
    EXPECT_EQ(rw.mk(K::BvShl, {x, c(3)}), rw.mk(K::Concat, {slice(x, 4, 0), c(0, 3)}));
    EXPECT_EQ(slice(rw.mk(K::Concat, {x, y}), 7, 0), y);
    EXPECT_EQ(rw.mk(K::BvUlt, {x, c(0)}), s.mkBool(false));
    EXPECT_EQ(rw.mk(K::BvUdiv, {x, c(4)}), rw.mk(K::BvLshr, {x, c(2)}));
}

}  // namespace
