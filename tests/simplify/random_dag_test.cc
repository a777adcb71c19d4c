// Random DAGs over every kind at widths 1 to 8, rewritten with all rules,
// with the linear sums off and with the rules off: the rewritten term keeps
// the value of the raw one under every assignment (widths up to 4) or under
// 64 seeded points (wider), rewriting it again leaves it as it is, and
// rewriting never throws. With the linear sums off no linear rule fires;
// with the rules off nothing but folding happens, and the result is exactly
// the raw term with every application of constants folded (built here node
// by node with the evaluator). A failure names the seed and prints the
// terms as SMT-LIB 2.
#include <gtest/gtest.h>

#include <exception>
#include <string>
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
using torva::simplify::RuleCounts;
using torva::simplify::RuleId;
using torva::simplify::ruleName;

constexpr int kDepth = 4;
constexpr uint32_t kMaxExhaustiveWidth = 4;
constexpr uint32_t kMaxExhaustiveBits = 3 * kMaxExhaustiveWidth;
constexpr int kShownFailures = 10;

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
        mpz_class v = Evaluator(s).value(rebuilt);
        rebuilt = s.isBool(rebuilt) ? s.mkBool(v != 0) : s.mkConst(s.sort(rebuilt), v);
    }
    return memo[t] = rebuilt;
}

// Empty when the term of the seed rewrites soundly to a fixed point; adds
// the rewriter's firings to `counts`.
std::string randomTermFailure(uint64_t seed, const RewriteSettings& settings, RuleCounts& counts) {
    TermStore s;
    RandomTerms gen(s, seed);
    TermId t = gen.term(seed % 3 == 0 ? kBool : gen.width(), kDepth);
    Rewriter rw(s, settings);
    TermId r, again;
    try {
        r = rw.rewrite(t);
        again = rw.rewrite(r);
    } catch (const std::exception& e) {
        return "rewriting throws " + std::string(e.what()) + ":\n" + smt2(s, t);
    }
    for (size_t i = 0; i < kNumRules; i++) counts[i] += rw.counts()[i];
    std::string wrong = differences(s, t, r, gen.width() <= kMaxExhaustiveWidth ? kMaxExhaustiveBits : 0);
    if (!wrong.empty()) return wrong;
    if (again != r) return "rewriting " + smt2(s, t) + "\ngives " + smt2(s, r) + "\nand again " + smt2(s, again);
    std::unordered_map<TermId, TermId> memo;
    if (!settings.rules && r != foldedConstants(s, t, memo))
        return "without rules " + smt2(s, t) + "\ngives " + smt2(s, r) + "\nnot " + smt2(s, memo[t]);
    return "";
}

// The rules that fired on `count` random terms, none of them failing.
RuleCounts checkRandomTerms(uint64_t count, const RewriteSettings& settings) {
    RuleCounts counts{};
    int failures = 0;
    for (uint64_t seed = 0; seed < count; seed++) {
        std::string failure = randomTermFailure(seed, settings, counts);
        if (failure.empty()) continue;
        if (++failures <= kShownFailures) ADD_FAILURE() << "seed " << seed << ": " << failure;
    }
    EXPECT_EQ(failures, 0) << "failing seeds among " << count;
    return counts;
}

TEST(RandomDags, AllRulesKeepTheValueAndReachAFixedPoint) { checkRandomTerms(3000, RewriteSettings{}); }

TEST(RandomDags, WithoutLinearSumsTheOtherRulesStillHold) {
    RuleCounts counts = checkRandomTerms(1500, RewriteSettings{true, false});
    for (RuleId linear :
         {RuleId::LinearNormalise, RuleId::EqLinearConst, RuleId::EqLinearSolve, RuleId::EqLinearCancel})
        EXPECT_EQ(counts[static_cast<size_t>(linear)], 0u) << ruleName(linear);
}

TEST(RandomDags, WithoutRulesOnlyConstantsFold) {
    RuleCounts counts = checkRandomTerms(500, RewriteSettings{false, false});
    for (size_t i = 0; i < kNumRules; i++) {
        RuleId rule = static_cast<RuleId>(i);
        EXPECT_TRUE(rule == RuleId::FoldConstants || counts[i] == 0) << ruleName(rule) << " fired " << counts[i];
    }
}

}  // namespace
