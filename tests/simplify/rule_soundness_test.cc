// Soundness of every rule on its instances: each raw instance and its
// rewritten form agree under every assignment of their variables, with all
// rules on and with the linear sums off, and the rewritten form rewrites to
// itself. Coverage: every rule of rules.def fires on its own instances.
#include <gtest/gtest.h>

#include <algorithm>
#include <exception>
#include <string>
#include <vector>

#include "rewrite_check.h"
#include "rule_instances.h"
#include "simplify/rewriter.h"

namespace {

using namespace rwtest;
using torva::simplify::kNumRules;
using torva::simplify::Rewriter;
using torva::simplify::RewriteSettings;
using torva::simplify::RuleCounts;
using torva::simplify::RuleId;
using torva::simplify::ruleName;

constexpr uint32_t kMaxExhaustiveBits = 12;
constexpr int kShownFailuresPerRule = 3;

constexpr uint32_t kMaxWidth = 4;
constexpr uint32_t kMaxWidthOfThreeVariables = 3;

RuleId ruleAt(size_t i) { return static_cast<RuleId>(i); }

uint32_t variableBits(const TermStore& s, TermId t) {
    uint32_t bits = 0;
    for (TermId v : variablesOf(s, {t})) bits += bitsOf(s.sort(v));
    return bits;
}

bool dependsOn(const TermStore& s, TermId t, TermId variable) {
    std::vector<TermId> vars = variablesOf(s, {t});
    return std::find(vars.begin(), vars.end(), variable) != vars.end();
}

// Rewrites the rule's instances at the width (at widths above 3 those
// without z), adding the rewriter's firings to `counts`; with `check`,
// compares every instance with its rewritten form.
void runInstances(RuleId rule, uint32_t width, const RewriteSettings& settings, bool check, RuleCounts& counts) {
    TermStore s;
    InstanceBuilder b(s, width);
    buildInstances(rule, b);
    Rewriter rw(s, settings);
    int failures = 0;
    auto fail = [&](const std::string& what) {
        if (++failures <= kShownFailuresPerRule)
            ADD_FAILURE() << ruleName(rule) << " instances, width " << width << ", linear " << settings.linear << ":\n"
                          << what;
    };
    for (TermId t : b.terms) {
        if (width > kMaxWidthOfThreeVariables && dependsOn(s, t, b.z)) continue;
        TermId r, again;
        try {
            r = rw.rewrite(t);
            again = rw.rewrite(r);
        } catch (const std::exception& e) {
            fail("rewriting " + smt2(s, t) + " throws: " + e.what());
            continue;
        }
        if (!check) continue;
        ASSERT_LE(variableBits(s, t), kMaxExhaustiveBits) << "instance too wide to enumerate: " << smt2(s, t);
        std::string wrong = differences(s, t, r, kMaxExhaustiveBits);
        if (!wrong.empty()) fail(wrong);
        if (wrong.empty() && again != r) fail("rewriting again changes " + smt2(s, r) + "\n  into " + smt2(s, again));
    }
    if (failures > kShownFailuresPerRule)
        ADD_FAILURE() << ruleName(rule) << " instances, width " << width << ": " << failures << " failing";
    for (size_t i = 0; i < kNumRules; i++) counts[i] += rw.counts()[i];
}

TEST(RuleSoundness, EveryInstanceKeepsItsValueUnderEveryAssignment) {
    for (RewriteSettings settings : {RewriteSettings{}, RewriteSettings{true, false}})
        for (size_t rule = 0; rule < kNumRules; rule++)
            for (uint32_t w = 1; w <= kMaxWidth; w++) {
                RuleCounts ignored{};
                runInstances(ruleAt(rule), w, settings, true, ignored);
            }
}

TEST(RuleCoverage, EveryRuleFiresOnItsOwnInstances) {
    std::string silent;
    for (size_t rule = 0; rule < kNumRules; rule++) {
        RuleCounts counts{};
        for (uint32_t w = 1; w <= kMaxWidth; w++) runInstances(ruleAt(rule), w, RewriteSettings{}, false, counts);
        if (counts[rule] == 0) silent += std::string(" ") + ruleName(ruleAt(rule));
    }
    EXPECT_EQ(silent, "") << "rules that did not fire on their instances";
}

}  // namespace
