// Substitution checked by evaluation (the substituted term under an
// assignment equals the original under the assignment extended by the
// replacements' values, at every assignment of small widths), sharing kept
// on DAGs that would be exponential as trees, untouched terms kept as they
// are, and graphs a million nodes deep built, evaluated and substituted.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "terms/evaluator.h"
#include "terms/substitute.h"

using namespace torva::terms;

TEST(Substitute, ReplacedTermsEvaluateAsTheOriginalUnderTheReplacementsValues) {
    constexpr unsigned w = 3;
    TermStore s;
    TermId x = s.mkVar(w, "x"), y = s.mkVar(w, "y"), z = s.mkVar(w, "z"), p = s.mkVar(kBool, "p");
    TermId sum = s.mk(Kind::BvAdd, {x, y, s.mkConst(w, 5)});
    TermId body = s.mk(
        Kind::Ite,
        {s.mk(Kind::And, {p, s.mk(Kind::BvUlt, {sum, y})}),
         s.mk(Kind::Extract, {s.mk(Kind::Concat, {sum, s.mk(Kind::RotateLeft, {x}, {2})})}, {4, 2}),
         s.mk(Kind::BvSdiv, {s.mk(Kind::SignExtend, {s.mk(Kind::Extract, {x}, {1, 0})}, {1}), y})});
    // x := y * z, y := bvnot x (simultaneously), p := y = z.
    TermId forX = s.mk(Kind::BvMul, {y, z}), forY = s.mk(Kind::BvNot, {x}), forP = s.mk(Kind::Equal, {y, z});
    TermId replaced = substitute(s, body, {{x, forX}, {y, forY}, {p, forP}});
    EXPECT_NE(replaced, body);
    for (unsigned bits = 0; bits < (1u << (3 * w)); bits++) {
        Evaluator direct(s), shifted(s);
        for (unsigned i = 0; i < 3; i++) direct.assign(std::vector<TermId>{x, y, z}[i], (bits >> (w * i)) & 7);
        for (auto [v, by] : {std::pair{x, forX}, {y, forY}, {p, forP}, {z, z}}) shifted.assign(v, direct.value(by));
        ASSERT_EQ(direct.value(replaced), shifted.value(body)) << "x, y, z: " << bits % 8 << bits / 8 % 8 << bits / 64;
    }
}

TEST(Substitute, KeepsSharingAndLeavesUntouchedTermsAlone) {
    TermStore s;
    TermId x = s.mkVar(16, "x"), y = s.mkVar(16, "y"), other = s.mkVar(16, "o");
    // 200 levels of t + t: a tree of 2^200 leaves, a DAG of 200 nodes.
    TermId t = x;
    for (int i = 0; i < 200; i++) t = s.mk(Kind::BvAdd, {t, t});
    size_t before = s.size();
    EXPECT_EQ(substitute(s, t, {{other, y}}), t);
    EXPECT_EQ(substitute(s, t, {}), t);
    EXPECT_EQ(substitute(s, t, {{x, x}}), t);
    EXPECT_EQ(s.size(), before) << "nothing changed, nothing built";

    TermId replaced = substitute(s, t, {{x, y}});
    EXPECT_EQ(s.size(), before + 200);
    TermId expected = y;
    for (int i = 0; i < 200; i++) expected = s.mk(Kind::BvAdd, {expected, expected});
    EXPECT_EQ(replaced, expected);
    EXPECT_EQ(s.size(), before + 200);

    // A replacement is not rewritten again, and constants stay as they are.
    TermId c = s.mkConst(16, 9);
    TermId swap = s.mk(Kind::BvSub, {x, s.mk(Kind::BvAdd, {y, c})});
    EXPECT_EQ(substitute(s, swap, {{x, y}, {y, x}}), s.mk(Kind::BvSub, {y, s.mk(Kind::BvAdd, {x, c})}));
    EXPECT_THROW(substitute(s, swap, {{x, s.mkVar(8, "narrow")}}), SortError);
    EXPECT_THROW(substitute(s, TermId(s.size()), {}), std::out_of_range);
}

TEST(Depth, MillionDeepChainsBuildEvaluateAndSubstitute) {
    constexpr int kDepth = 1000000;
    TermStore s;
    TermId x = s.mkVar(32, "x"), one = s.mkConst(32, 1), p = s.mkVar(kBool, "p");
    TermId sum = x, neg = p;
    for (int i = 0; i < kDepth; i++) {
        sum = s.mk(Kind::BvAdd, {sum, one});
        neg = s.mk(Kind::Not, {neg});
    }
    Evaluator ev(s);
    ev.assign(x, 5);
    ev.assign(p, 1);
    EXPECT_EQ(ev.value(sum), 5 + kDepth);
    EXPECT_EQ(ev.value(neg), 1);

    // The substituted chains have the same shape over the new leaves.
    TermId y = s.mkVar(32, "y"), q = s.mkVar(kBool, "q");
    TermId sum2 = substitute(s, sum, {{x, y}});
    TermId neg2 = substitute(s, neg, {{p, q}});
    for (int i = 0; i < kDepth; i++) {
        ASSERT_EQ(s.kind(sum2), Kind::BvAdd);
        ASSERT_EQ(s.arg(sum2, 1), one);
        ASSERT_EQ(s.kind(neg2), Kind::Not);
        sum2 = s.arg(sum2, 0);
        neg2 = s.arg(neg2, 0);
    }
    EXPECT_EQ(sum2, y);
    EXPECT_EQ(neg2, q);
}
