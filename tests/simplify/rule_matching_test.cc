// The normal forms the rule families reach: applications built with rw.mk
// (operands already normal) against the form each must become, where the
// shape is the point (equal sums are one node, an equality solved for a
// variable, a slice of a concatenation is the part it covers, flattened
// operands sorted by id). Whether a rule keeps the value and refuses its
// near misses is the business of the instance oracle (rule_instances.cc);
// here a rule that fires less than it should is caught (one row per shape a
// rule looks for). Terms are 8 bits
// wide unless a case needs otherwise; expected forms are built with rw.mk,
// or with store.mk where the exact node is the point.
#include <gtest/gtest.h>

#include <initializer_list>
#include <utility>
#include <vector>

#include "rewrite_check.h"
#include "simplify/rewriter.h"

namespace {

using namespace rwtest;
using torva::simplify::Rewriter;
using torva::simplify::RewriteSettings;
using Cases = std::vector<std::pair<TermId, TermId>>;

class RuleMatching : public ::testing::Test {
protected:
    TermId c(uint64_t v, uint32_t width = 8) { return rw.bvConst(width, static_cast<unsigned long>(v)); }
    TermId mk(Kind k, std::initializer_list<TermId> args, std::initializer_list<uint32_t> indices = {}) {
        return rw.mk(k, args, indices);
    }
    TermId slice(TermId t, uint32_t hi, uint32_t lo) { return mk(K::Extract, {t}, {hi, lo}); }
    TermId no(TermId t) { return mk(K::Not, {t}); }
    TermId eq(TermId a, TermId b) { return mk(K::Equal, {a, b}); }
    TermId raw(Kind k, std::initializer_list<TermId> args) { return s.mk(k, args); }
    void expectEqual(const Cases& cases) {
        for (size_t i = 0; i < cases.size(); i++)
            EXPECT_EQ(cases[i].first, cases[i].second)
                << "case " << i << ": " << smt2(s, cases[i].first) << "\nexpected " << smt2(s, cases[i].second);
    }

    TermStore s;
    Rewriter rw{s, RewriteSettings{}};
    TermId x = s.mkVar(8, "x"), y = s.mkVar(8, "y"), z = s.mkVar(8, "z");
    TermId p = s.mkVar(kBool, "p"), q = s.mkVar(kBool, "q"), r = s.mkVar(kBool, "r");
    TermId a = s.mkVar(1, "a"), b = s.mkVar(1, "b");
    TermId T = s.mkBool(true), F = s.mkBool(false);
};

TEST_F(RuleMatching, BooleanConnectivesAreFlatSortedAndDecided) {
    expectEqual({
        {no(no(p)), p},
        {mk(K::And, {p, mk(K::And, {q, r})}), raw(K::And, {p, q, r})},
        {mk(K::And, {mk(K::And, {r, q}), p}), raw(K::And, {p, q, r})},
        {mk(K::And, {p, T}), p}, {mk(K::Or, {F, p}), p}, {mk(K::And, {p, F}), F}, {mk(K::Or, {p, T}), T},
        {mk(K::And, {p, q, p}), mk(K::And, {p, q})},
        {mk(K::And, {p, no(p)}), F}, {mk(K::Or, {q, no(q), r}), T},
        {mk(K::Xor, {p, p}), F}, {mk(K::Xor, {p, no(p)}), T}, {mk(K::Xor, {p, T}), no(p)}, {mk(K::Xor, {F, p}), p},
        {mk(K::Xor, {no(p), q}), no(mk(K::Xor, {p, q}))},
        {mk(K::Xor, {p, q, r}), mk(K::Xor, {mk(K::Xor, {p, q}), r})},
        {eq(p, T), p}, {eq(F, p), no(p)}, {eq(no(p), no(q)), eq(p, q)}, {eq(p, no(p)), F},
        {mk(K::Implies, {p, q}), mk(K::Or, {no(p), q})},
        {mk(K::Ite, {p, T, q}), mk(K::Or, {p, q})}, {mk(K::Ite, {p, q, F}), mk(K::And, {p, q})},
    });
}

TEST_F(RuleMatching, EqualitiesCompareLinearSumsAndIteBranches) {
    TermId xy = mk(K::Concat, {x, y}), choice = mk(K::Ite, {p, c(1), c(2)});
    Cases cases = {
        {eq(x, x), T},
        {eq(mk(K::BvAdd, {x, c(1)}), c(5)), raw(K::Equal, {x, c(4)})},
        {eq(mk(K::BvMul, {c(3), x}), c(1)), eq(x, c(171))},  // 3 * 171 = 513
        {eq(mk(K::BvAdd, {x, y}), mk(K::BvAdd, {z, x})), eq(y, z)},
        {eq(mk(K::BvAdd, {x, c(1)}), mk(K::BvAdd, {x, c(2)})), F},
        {mk(K::Equal, {x, y, z}), mk(K::And, {eq(x, y), eq(y, z)})}, {mk(K::Distinct, {x, y}), no(eq(x, y))},
        {eq(mk(K::BvNot, {x}), mk(K::BvNot, {y})), eq(x, y)},
        {eq(mk(K::BvNot, {x}), c(5)), eq(x, c(250))},
        {eq(xy, c(0x1234, 16)), mk(K::And, {eq(x, c(0x12)), eq(y, c(0x34))})},
        {eq(choice, c(1)), p}, {eq(choice, c(2)), no(p)}, {eq(choice, c(3)), F},
        {mk(K::Ite, {T, x, y}), x}, {mk(K::Ite, {p, x, x}), x},
        {mk(K::Ite, {no(p), x, y}), mk(K::Ite, {p, y, x})},
        {mk(K::Ite, {p, mk(K::Ite, {p, x, y}), z}), mk(K::Ite, {p, x, z})},
        {mk(K::BvComp, {x, x}), c(1, 1)}, {mk(K::BvComp, {mk(K::BvAdd, {x, c(1)}), x}), c(0, 1)},
        {mk(K::BvComp, {y, x}), mk(K::BvComp, {x, y})},
    };
    for (uint64_t k : {0, 1, 0x80, 77})
        cases.push_back({eq(mk(K::BvMul, {c(k), mk(K::BvAdd, {y, z})}),
                            mk(K::BvAdd, {mk(K::BvMul, {c(k), y}), mk(K::BvMul, {c(k), z})})),
                         T});
    expectEqual(cases);
}

TEST_F(RuleMatching, BitwiseOperatorsCancelAbsorbAndPullComplementsOut) {
    expectEqual({
        {mk(K::BvXor, {x, x}), c(0)}, {mk(K::BvAnd, {x, x}), x}, {mk(K::BvOr, {x, x}), x},
        {mk(K::BvAnd, {x, mk(K::BvAnd, {y, z})}), raw(K::BvAnd, {x, y, z})},
        {mk(K::BvAnd, {mk(K::BvAnd, {z, y}), x}), raw(K::BvAnd, {x, y, z})},
        {mk(K::BvAnd, {x, c(0xFF)}), x}, {mk(K::BvOr, {c(0), x}), x}, {mk(K::BvXor, {x, c(0)}), x},
        {mk(K::BvAnd, {x, c(0)}), c(0)}, {mk(K::BvOr, {x, c(0xFF)}), c(0xFF)}, {mk(K::BvNot, {mk(K::BvNot, {x})}), x},
        {mk(K::BvAnd, {x, mk(K::BvNot, {x})}), c(0)}, {mk(K::BvOr, {mk(K::BvNot, {x}), y, x}), c(0xFF)},
        {mk(K::BvXor, {x, c(0xFF)}), mk(K::BvNot, {x})},
        {mk(K::BvXor, {mk(K::BvNot, {x}), y}), mk(K::BvNot, {mk(K::BvXor, {x, y})})},
        {mk(K::BvXnor, {x, y}), mk(K::BvNot, {mk(K::BvXor, {x, y})})},
        {mk(K::BvAnd, {c(0xF0), x, c(0x3C)}), raw(K::BvAnd, {x, c(0x30)})},  // the one constant comes last
        {mk(K::BvAnd, {mk(K::Concat, {x, y}), c(0xFF00, 16)}), mk(K::Concat, {x, c(0)})},
    });
}

TEST_F(RuleMatching, EqualSumsAreOneNode) {
    TermId low = s.mkVar(4, "low");
    TermId padded = mk(K::Concat, {low, c(0, 4)});
    expectEqual({
        {mk(K::BvAdd, {x, y}), mk(K::BvAdd, {y, x})},
        {mk(K::BvAdd, {x, x}), mk(K::BvMul, {c(2), x})},
        {mk(K::BvSub, {mk(K::BvAdd, {x, y}), y}), x}, {mk(K::BvAdd, {x, mk(K::BvNeg, {x})}), c(0)},
        {mk(K::BvAdd, {mk(K::BvAdd, {x, c(1)}), c(2)}), mk(K::BvAdd, {x, c(3)})},
        {mk(K::BvMul, {c(3), mk(K::BvAdd, {x, y})}), mk(K::BvAdd, {mk(K::BvMul, {c(3), x}), mk(K::BvMul, {y, c(3)})})},
        {mk(K::BvSub, {x, y}), mk(K::BvAdd, {x, mk(K::BvMul, {c(0xFF), y})})},
        {mk(K::BvMul, {x, c(0)}), c(0)}, {mk(K::BvMul, {c(16), x, c(16)}), c(0)},
        {mk(K::BvMul, {x, mk(K::BvMul, {y, z})}), mk(K::BvMul, {mk(K::BvMul, {z, x}), y})},
        // A shifted copy whose bits all come from constants folds into the constant.
        {mk(K::BvAdd, {mk(K::BvShl, {padded, c(4)}), y}), y},
        {mk(K::BvAdd, {mk(K::BvShl, {mk(K::Concat, {low, c(3, 4)}), c(4)}), mk(K::BvShl, {padded, c(4)})}), c(0x30)},
    });
}

TEST_F(RuleMatching, DivisionsAndShiftsByConstantsRewireBits) {
    expectEqual({
        {mk(K::BvSdiv, {x, c(1)}), x}, {mk(K::BvUrem, {x, c(1)}), c(0)},
        {mk(K::BvUdiv, {x, c(0)}), c(0xFF)}, {mk(K::BvUrem, {x, c(0)}), x},
        {mk(K::BvUdiv, {x, c(4)}), mk(K::BvLshr, {x, c(2)})},
        {mk(K::BvUrem, {x, c(4)}), mk(K::Concat, {c(0, 6), slice(x, 1, 0)})},
        {mk(K::BvUdiv, {x, x}), mk(K::Ite, {eq(x, c(0)), c(0xFF), c(1)})}, {mk(K::BvUrem, {x, x}), c(0)},
        {mk(K::BvAshr, {x, c(0)}), x}, {mk(K::BvShl, {x, c(8)}), c(0)}, {mk(K::BvLshr, {x, c(200)}), c(0)},
        {mk(K::BvShl, {x, c(3)}), mk(K::Concat, {slice(x, 4, 0), c(0, 3)})},
        {mk(K::BvShl, {x, c(3)}), mk(K::BvMul, {c(8), x})},
        {mk(K::BvLshr, {x, c(3)}), mk(K::Concat, {c(0, 3), slice(x, 7, 3)})},
        {mk(K::BvAshr, {x, c(3)}), mk(K::SignExtend, {slice(x, 7, 3)}, {3})},
        {mk(K::BvAshr, {x, c(9)}), mk(K::SignExtend, {slice(x, 7, 7)}, {7})},
        {mk(K::BvAshr, {c(0), y}), c(0)},
    });
}

TEST_F(RuleMatching, SlicesAndConcatenationsMeetInTheMiddle) {
    TermId xy = mk(K::Concat, {x, y}), wide = mk(K::SignExtend, {x}, {4});
    expectEqual({
        {slice(xy, 7, 0), y}, {slice(xy, 11, 4), mk(K::Concat, {slice(x, 3, 0), slice(y, 7, 4)})}, {slice(x, 7, 0), x},
        {slice(slice(x, 6, 1), 3, 2), slice(x, 4, 3)},
        {slice(wide, 7, 0), x}, {slice(wide, 5, 2), slice(x, 5, 2)},
        {slice(mk(K::BvNot, {x}), 2, 0), mk(K::BvNot, {slice(x, 2, 0)})},
        {slice(mk(K::BvAnd, {x, c(0x0F)}), 7, 4), c(0, 4)},
        {slice(mk(K::Ite, {p, c(0x12), c(0x34)}), 3, 0), mk(K::Ite, {p, c(2, 4), c(4, 4)})},
        {mk(K::ZeroExtend, {x}, {4}), mk(K::Concat, {c(0, 4), x})},
        {mk(K::RotateLeft, {x}, {1}), mk(K::Concat, {slice(x, 6, 0), slice(x, 7, 7)})},
        {mk(K::RotateRight, {x}, {1}), mk(K::Concat, {slice(x, 0, 0), slice(x, 7, 1)})},
        {mk(K::RotateLeft, {x}, {8}), x}, {mk(K::Repeat, {x}, {1}), x}, {mk(K::SignExtend, {x}, {0}), x},
        {mk(K::Concat, {slice(x, 7, 5), slice(x, 4, 2)}), slice(x, 7, 2)},
        {mk(K::Concat, {c(1, 4), c(2, 4), x}), mk(K::Concat, {c(0x12), x})},
        {mk(K::Concat, {x, mk(K::Concat, {y, z})}), raw(K::Concat, {x, y, z})},
        {mk(K::Concat, {xy, z}), raw(K::Concat, {x, y, z})},
    });
}

TEST_F(RuleMatching, ComparisonsBecomeStrictAndMeetTheirBounds) {
    TermId x4 = slice(x, 3, 0), y4 = slice(y, 3, 0);
    expectEqual({
        {mk(K::BvUgt, {x, y}), mk(K::BvUlt, {y, x})}, {mk(K::BvSgt, {x, y}), mk(K::BvSlt, {y, x})},
        {mk(K::BvUle, {x, y}), no(mk(K::BvUlt, {y, x}))}, {mk(K::BvSge, {x, y}), no(mk(K::BvSlt, {x, y}))},
        {mk(K::BvUlt, {x, x}), F}, {mk(K::BvSle, {x, x}), T},
        {mk(K::BvUlt, {x, c(0)}), F}, {mk(K::BvUlt, {c(0xFF), x}), F},
        {mk(K::BvUlt, {c(0), x}), no(eq(x, c(0)))}, {mk(K::BvUlt, {x, c(0xFF)}), no(eq(x, c(0xFF)))},
        {mk(K::BvSlt, {x, c(0x80)}), F}, {mk(K::BvSlt, {c(0x7F), x}), F},
        {mk(K::BvSlt, {c(0x80), x}), no(eq(x, c(0x80)))}, {mk(K::BvSlt, {x, c(0x7F)}), no(eq(x, c(0x7F)))},
        {mk(K::BvUlt, {a, b}), mk(K::And, {eq(a, c(0, 1)), eq(b, c(1, 1))})},
        {mk(K::BvSlt, {a, b}), mk(K::And, {eq(a, c(1, 1)), eq(b, c(0, 1))})},
        {mk(K::BvUlt, {mk(K::ZeroExtend, {x4}, {4}), mk(K::ZeroExtend, {y4}, {4})}), mk(K::BvUlt, {x4, y4})},
        {mk(K::BvUlt, {mk(K::ZeroExtend, {x4}, {4}), c(9)}), mk(K::BvUlt, {x4, c(9, 4)})},
    });
}

// Normal forms that rules build for other rules' operands (a multiple of a
// term that slices away, a complement pulled out of an exclusive or, a
// coefficient in front of a product) are fixed points of rewriting.
TEST_F(RuleMatching, NormalFormsBuiltForOtherRulesAreFixedPoints) {
    TermId halves = raw(K::Concat, {s.mk(K::Extract, {x}, {3, 0}), s.mk(K::Extract, {y}, {3, 0})});
    for (TermId t : {raw(K::BvShl, {raw(K::BvNot, {x}), c(1)}), raw(K::BvAdd, {halves, halves}),
                     raw(K::BvXor, {raw(K::BvNot, {raw(K::BvXor, {x, y})}), z}),
                     raw(K::BvMul, {raw(K::BvMul, {x, y, c(3)}), z})}) {
        TermId once = rw.rewrite(t), twice = rw.rewrite(once);
        EXPECT_EQ(twice, once) << smt2(s, t) << "\ngives " << smt2(s, once) << "\nand again " << smt2(s, twice);
    }
}

}  // namespace
