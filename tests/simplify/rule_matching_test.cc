// Matching of the rule families, one test per family: applications the
// rules must recognise, with the result's shape checked where the shape is
// the point (equal sums are one node, an equality solved for a variable, a
// slice of a concatenation is the part it covers), and near misses whose
// side conditions must keep a rule from firing. Terms are 8 bits wide
// unless a case needs otherwise; every expected form is itself built with
// rw.mk, so a comparison is between node ids.
#include <gtest/gtest.h>

#include <initializer_list>

#include "rewrite_check.h"
#include "simplify/rewriter.h"
#include "terms/term_store.h"

namespace {

using torva::simplify::Rewriter;
using torva::simplify::RewriteSettings;
using torva::terms::kBool;
using torva::terms::Kind;
using torva::terms::TermId;
using torva::terms::TermStore;
using K = Kind;

class RuleMatching : public ::testing::Test {
protected:
    TermId c(uint64_t v, uint32_t width = 8) { return rw.bvConst(width, static_cast<unsigned long>(v)); }
    TermId mk(Kind k, std::initializer_list<TermId> args, std::initializer_list<uint32_t> indices = {}) {
        return rw.mk(k, args, indices);
    }
    TermId slice(TermId t, uint32_t hi, uint32_t lo) { return mk(K::Extract, {t}, {hi, lo}); }
    TermId no(TermId t) { return mk(K::Not, {t}); }
    Kind kindOf(TermId t) const { return s.kind(t); }

    TermStore s;
    Rewriter rw{s, RewriteSettings{}};
    TermId x = s.mkVar(8, "x"), y = s.mkVar(8, "y"), z = s.mkVar(8, "z");
    TermId p = s.mkVar(kBool, "p"), q = s.mkVar(kBool, "q"), r = s.mkVar(kBool, "r");
    TermId a = s.mkVar(1, "a"), b = s.mkVar(1, "b");
    TermId T = s.mkBool(true), F = s.mkBool(false);
};

TEST_F(RuleMatching, FoldingFollowsTheSemanticsOfEveryEdge) {
    EXPECT_EQ(mk(K::BvAdd, {c(200), c(100)}), c(44));
    EXPECT_EQ(mk(K::BvUdiv, {c(7), c(0)}), c(255));
    EXPECT_EQ(mk(K::BvUrem, {c(7), c(0)}), c(7));
    EXPECT_EQ(mk(K::BvSdiv, {c(0x80), c(0xFF)}), c(0x80));
    EXPECT_EQ(mk(K::BvShl, {c(1), c(9)}), c(0));
    EXPECT_EQ(mk(K::BvAshr, {c(0x80), c(200)}), c(0xFF));
    EXPECT_EQ(slice(c(0xA5), 7, 4), c(0xA, 4));
    EXPECT_EQ(mk(K::And, {T, F}), F);
    EXPECT_EQ(mk(K::BvSlt, {c(0xFF), c(0)}), T);
    TermId nested = s.mk(K::BvMul, {s.mk(K::BvAdd, {c(2), c(3)}), s.mk(K::BvSub, {c(1), c(4)})});
    EXPECT_EQ(rw.rewrite(nested), c(5 * 253 % 256));
    EXPECT_NE(kindOf(mk(K::BvAdd, {x, c(1)})), K::Const);
}

TEST_F(RuleMatching, BooleanConnectivesAreFlatSortedAndDecided) {
    EXPECT_EQ(no(no(p)), p);
    TermId pqr = mk(K::And, {p, mk(K::And, {q, r})});
    EXPECT_EQ(pqr, mk(K::And, {mk(K::And, {r, q}), p}));
    EXPECT_EQ(s.numArgs(pqr), 3u);
    EXPECT_EQ(mk(K::Or, {q, p}), mk(K::Or, {p, q}));
    EXPECT_EQ(mk(K::And, {p, T}), p);
    EXPECT_EQ(mk(K::Or, {F, p}), p);
    EXPECT_EQ(mk(K::And, {p, F}), F);
    EXPECT_EQ(mk(K::Or, {p, T}), T);
    EXPECT_EQ(mk(K::And, {p, q, p}), mk(K::And, {p, q}));
    EXPECT_EQ(mk(K::And, {p, no(p)}), F);
    EXPECT_EQ(mk(K::Or, {q, no(q), r}), T);
    EXPECT_EQ(mk(K::Xor, {p, p}), F);
    EXPECT_EQ(mk(K::Xor, {p, no(p)}), T);
    EXPECT_EQ(mk(K::Xor, {p, T}), no(p));
    EXPECT_EQ(mk(K::Xor, {F, p}), p);
    EXPECT_EQ(mk(K::Xor, {no(p), q}), no(mk(K::Xor, {p, q})));
    EXPECT_EQ(mk(K::Xor, {q, p}), mk(K::Xor, {p, q}));
    EXPECT_EQ(mk(K::Xor, {p, q, r}), mk(K::Xor, {mk(K::Xor, {p, q}), r}));
    EXPECT_EQ(mk(K::Equal, {p, T}), p);
    EXPECT_EQ(mk(K::Equal, {F, p}), no(p));
    EXPECT_EQ(mk(K::Equal, {no(p), no(q)}), mk(K::Equal, {p, q}));
    EXPECT_EQ(mk(K::Equal, {p, no(p)}), F);
    EXPECT_EQ(mk(K::Implies, {p, q}), mk(K::Or, {no(p), q}));
    EXPECT_EQ(mk(K::Ite, {p, T, q}), mk(K::Or, {p, q}));
    EXPECT_EQ(mk(K::Ite, {p, q, F}), mk(K::And, {p, q}));
    // Near misses: different atoms are neither duplicates nor complements.
    TermId mixed = mk(K::And, {p, no(q)});
    EXPECT_EQ(kindOf(mixed), K::And);
    EXPECT_EQ(s.numArgs(mixed), 2u);
    EXPECT_EQ(kindOf(mk(K::Xor, {p, q})), K::Xor);
}

TEST_F(RuleMatching, EqualitiesCompareLinearSumsAndIteBranches) {
    EXPECT_EQ(mk(K::Equal, {x, x}), T);
    TermId solved = mk(K::Equal, {mk(K::BvAdd, {x, c(1)}), c(5)});
    EXPECT_EQ(solved, mk(K::Equal, {x, c(4)}));
    EXPECT_EQ(kindOf(solved), K::Equal);
    EXPECT_TRUE((s.arg(solved, 0) == x && s.arg(solved, 1) == c(4)) ||
                (s.arg(solved, 1) == x && s.arg(solved, 0) == c(4)));
    EXPECT_EQ(mk(K::Equal, {mk(K::BvMul, {c(3), x}), c(1)}), mk(K::Equal, {x, c(171)}));  // 3 * 171 = 513
    for (uint64_t k : {0, 1, 2, 3, 0x80, 0xFF, 77}) {
        TermId left = mk(K::BvMul, {c(k), mk(K::BvAdd, {y, z})});
        TermId right = mk(K::BvAdd, {mk(K::BvMul, {c(k), y}), mk(K::BvMul, {c(k), z})});
        EXPECT_EQ(mk(K::Equal, {left, right}), T) << "a = " << k;
    }
    EXPECT_EQ(mk(K::Equal, {mk(K::BvAdd, {x, y}), mk(K::BvAdd, {z, x})}), mk(K::Equal, {y, z}));
    EXPECT_EQ(mk(K::Equal, {mk(K::BvAdd, {x, c(1)}), mk(K::BvAdd, {x, c(2)})}), F);
    // An even multiple has no inverse: 2x = 6 also holds at x = 131.
    TermId even = mk(K::Equal, {mk(K::BvMul, {c(2), x}), c(6)});
    EXPECT_NE(even, mk(K::Equal, {x, c(3)}));
    EXPECT_NE(kindOf(even), K::Const);
    EXPECT_EQ(mk(K::Equal, {x, y, z}), mk(K::And, {mk(K::Equal, {x, y}), mk(K::Equal, {y, z})}));
    EXPECT_EQ(mk(K::Distinct, {x, y}), no(mk(K::Equal, {x, y})));
    EXPECT_EQ(mk(K::Equal, {mk(K::BvNot, {x}), mk(K::BvNot, {y})}), mk(K::Equal, {x, y}));
    EXPECT_EQ(mk(K::Equal, {mk(K::BvNot, {x}), c(5)}), mk(K::Equal, {x, c(250)}));
    TermId xy = mk(K::Concat, {x, y}), v = s.mkVar(16, "v");
    EXPECT_EQ(mk(K::Equal, {xy, c(0x1234, 16)}), mk(K::And, {mk(K::Equal, {x, c(0x12)}), mk(K::Equal, {y, c(0x34)})}));
    EXPECT_EQ(kindOf(mk(K::Equal, {xy, v})), K::Equal);  // a variable side cannot be split
    TermId choice = mk(K::Ite, {p, c(1), c(2)});
    EXPECT_EQ(mk(K::Equal, {choice, c(1)}), p);
    EXPECT_EQ(mk(K::Equal, {choice, c(2)}), no(p));
    EXPECT_EQ(mk(K::Equal, {choice, c(3)}), F);
    EXPECT_EQ(mk(K::Ite, {T, x, y}), x);
    EXPECT_EQ(mk(K::Ite, {p, x, x}), x);
    EXPECT_EQ(mk(K::Ite, {no(p), x, y}), mk(K::Ite, {p, y, x}));
    EXPECT_EQ(mk(K::Ite, {p, mk(K::Ite, {p, x, y}), z}), mk(K::Ite, {p, x, z}));
    EXPECT_EQ(mk(K::Ite, {p, x, mk(K::Ite, {p, y, z})}), mk(K::Ite, {p, x, z}));
    TermId inner = mk(K::Ite, {q, x, y});
    EXPECT_EQ(s.arg(mk(K::Ite, {p, inner, z}), 1), inner);  // another condition stays
    EXPECT_EQ(mk(K::BvComp, {x, x}), c(1, 1));
    EXPECT_EQ(mk(K::BvComp, {mk(K::BvAdd, {x, c(1)}), x}), c(0, 1));
    EXPECT_EQ(mk(K::BvComp, {y, x}), mk(K::BvComp, {x, y}));
    EXPECT_EQ(kindOf(mk(K::BvComp, {x, y})), K::BvComp);
}

TEST_F(RuleMatching, BitwiseOperatorsCancelAbsorbAndPullComplementsOut) {
    EXPECT_EQ(mk(K::BvXor, {x, x}), c(0));
    EXPECT_EQ(mk(K::BvAnd, {x, x}), x);
    EXPECT_EQ(mk(K::BvOr, {x, x}), x);
    TermId xyz = mk(K::BvAnd, {x, mk(K::BvAnd, {y, z})});
    EXPECT_EQ(xyz, mk(K::BvAnd, {mk(K::BvAnd, {z, y}), x}));
    EXPECT_EQ(s.numArgs(xyz), 3u);
    EXPECT_EQ(mk(K::BvAnd, {x, c(0xFF)}), x);
    EXPECT_EQ(mk(K::BvOr, {c(0), x}), x);
    EXPECT_EQ(mk(K::BvXor, {x, c(0)}), x);
    EXPECT_EQ(mk(K::BvAnd, {x, c(0)}), c(0));
    EXPECT_EQ(mk(K::BvOr, {x, c(0xFF)}), c(0xFF));
    EXPECT_EQ(mk(K::BvAnd, {x, mk(K::BvNot, {x})}), c(0));
    EXPECT_EQ(mk(K::BvOr, {mk(K::BvNot, {x}), y, x}), c(0xFF));
    EXPECT_EQ(mk(K::BvXor, {x, c(0xFF)}), mk(K::BvNot, {x}));
    EXPECT_EQ(mk(K::BvXor, {mk(K::BvNot, {x}), y}), mk(K::BvNot, {mk(K::BvXor, {x, y})}));
    EXPECT_EQ(mk(K::BvNot, {mk(K::BvNot, {x})}), x);
    EXPECT_EQ(mk(K::BvNand, {x, y}), mk(K::BvNot, {mk(K::BvAnd, {x, y})}));
    EXPECT_EQ(mk(K::BvXnor, {x, y}), mk(K::BvNot, {mk(K::BvXor, {x, y})}));
    TermId merged = mk(K::BvAnd, {c(0xF0), x, c(0x3C)});
    EXPECT_EQ(merged, mk(K::BvAnd, {x, c(0x30)}));
    EXPECT_EQ(s.arg(merged, 1), c(0x30));  // the one constant comes last
    EXPECT_EQ(mk(K::BvAnd, {mk(K::Concat, {x, y}), c(0xFF00, 16)}), mk(K::Concat, {x, c(0)}));
    // Near misses: a complement of another term, distinct operands.
    EXPECT_EQ(s.numArgs(mk(K::BvAnd, {x, mk(K::BvNot, {y})})), 2u);
    EXPECT_EQ(kindOf(mk(K::BvXor, {x, y})), K::BvXor);
}

TEST_F(RuleMatching, EqualSumsAreOneNode) {
    EXPECT_EQ(mk(K::BvAdd, {x, y}), mk(K::BvAdd, {y, x}));
    EXPECT_EQ(mk(K::BvAdd, {x, x}), mk(K::BvMul, {c(2), x}));
    EXPECT_EQ(mk(K::BvSub, {x, x}), c(0));
    EXPECT_EQ(mk(K::BvSub, {mk(K::BvAdd, {x, y}), y}), x);
    EXPECT_EQ(mk(K::BvAdd, {x, mk(K::BvNeg, {x})}), c(0));
    EXPECT_EQ(mk(K::BvNeg, {mk(K::BvNeg, {x})}), x);
    EXPECT_EQ(mk(K::BvAdd, {mk(K::BvAdd, {x, c(1)}), c(2)}), mk(K::BvAdd, {x, c(3)}));
    EXPECT_EQ(mk(K::BvMul, {c(3), mk(K::BvAdd, {x, y})}),
              mk(K::BvAdd, {mk(K::BvMul, {c(3), x}), mk(K::BvMul, {y, c(3)})}));
    EXPECT_EQ(mk(K::BvSub, {x, y}), mk(K::BvAdd, {x, mk(K::BvMul, {c(0xFF), y})}));
    EXPECT_EQ(mk(K::BvMul, {x, c(0)}), c(0));
    EXPECT_EQ(mk(K::BvMul, {c(16), x, c(16)}), c(0));
    EXPECT_EQ(mk(K::BvMul, {x, mk(K::BvMul, {y, z})}), mk(K::BvMul, {mk(K::BvMul, {z, x}), y}));
    // A shifted copy whose bits all come from constants folds into the constant.
    TermId low = s.mkVar(4, "low");
    TermId padded = mk(K::Concat, {low, c(0, 4)});
    EXPECT_EQ(mk(K::BvAdd, {mk(K::BvShl, {padded, c(4)}), y}), y);
    EXPECT_EQ(mk(K::BvAdd, {mk(K::BvShl, {mk(K::Concat, {low, c(3, 4)}), c(4)}), mk(K::BvShl, {padded, c(4)})}),
              c(0x30));
    // Near misses: products of variables are atoms, not sums.
    TermId square = mk(K::BvMul, {x, x});
    EXPECT_EQ(kindOf(square), K::BvMul);
    EXPECT_NE(square, mk(K::BvMul, {c(2), x}));
    EXPECT_NE(mk(K::BvMul, {x, y}), mk(K::BvAdd, {x, y}));
}

TEST_F(RuleMatching, DivisionByConstantsAndBySelf) {
    EXPECT_EQ(mk(K::BvUdiv, {x, c(1)}), x);
    EXPECT_EQ(mk(K::BvSdiv, {x, c(1)}), x);
    EXPECT_EQ(mk(K::BvUrem, {x, c(1)}), c(0));
    EXPECT_EQ(mk(K::BvSrem, {x, c(1)}), c(0));
    EXPECT_EQ(mk(K::BvUdiv, {x, c(0)}), c(0xFF));
    EXPECT_EQ(mk(K::BvUrem, {x, c(0)}), x);
    EXPECT_EQ(mk(K::BvUdiv, {x, c(4)}), mk(K::BvLshr, {x, c(2)}));
    EXPECT_EQ(mk(K::BvUrem, {x, c(4)}), mk(K::Concat, {c(0, 6), slice(x, 1, 0)}));
    EXPECT_EQ(mk(K::BvUdiv, {x, x}), mk(K::Ite, {mk(K::Equal, {x, c(0)}), c(0xFF), c(1)}));
    EXPECT_EQ(mk(K::BvUrem, {x, x}), c(0));
    // Near misses: no power of two; signed division by zero and by itself
    // depend on the sign.
    EXPECT_EQ(kindOf(mk(K::BvUdiv, {x, c(3)})), K::BvUdiv);
    EXPECT_EQ(kindOf(mk(K::BvSdiv, {x, c(0)})), K::BvSdiv);
    EXPECT_EQ(kindOf(mk(K::BvSdiv, {x, c(4)})), K::BvSdiv);
    EXPECT_EQ(kindOf(mk(K::BvSrem, {x, x})), K::BvSrem);
}

TEST_F(RuleMatching, ShiftsByConstantsRewireBits) {
    EXPECT_EQ(mk(K::BvShl, {x, c(0)}), x);
    EXPECT_EQ(mk(K::BvAshr, {x, c(0)}), x);
    EXPECT_EQ(mk(K::BvShl, {x, c(8)}), c(0));
    EXPECT_EQ(mk(K::BvLshr, {x, c(200)}), c(0));
    EXPECT_EQ(mk(K::BvShl, {x, c(3)}), mk(K::Concat, {slice(x, 4, 0), c(0, 3)}));
    EXPECT_EQ(mk(K::BvShl, {x, c(3)}), mk(K::BvMul, {c(8), x}));
    EXPECT_EQ(mk(K::BvLshr, {x, c(3)}), mk(K::Concat, {c(0, 3), slice(x, 7, 3)}));
    EXPECT_EQ(mk(K::BvAshr, {x, c(3)}), mk(K::SignExtend, {slice(x, 7, 3)}, {3}));
    EXPECT_EQ(mk(K::BvAshr, {x, c(9)}), mk(K::SignExtend, {slice(x, 7, 7)}, {7}));
    EXPECT_EQ(mk(K::BvShl, {c(0), y}), c(0));
    EXPECT_EQ(mk(K::BvAshr, {c(0), y}), c(0));
    // Near misses: a variable amount; a non-zero constant shifted.
    EXPECT_EQ(kindOf(mk(K::BvShl, {x, y})), K::BvShl);
    EXPECT_EQ(kindOf(mk(K::BvLshr, {c(1), y})), K::BvLshr);
}

TEST_F(RuleMatching, SlicesAndConcatenationsMeetInTheMiddle) {
    TermId xy = mk(K::Concat, {x, y});
    EXPECT_EQ(slice(xy, 7, 0), y);
    EXPECT_EQ(slice(xy, 15, 8), x);
    EXPECT_EQ(slice(xy, 11, 4), mk(K::Concat, {slice(x, 3, 0), slice(y, 7, 4)}));
    EXPECT_EQ(slice(x, 7, 0), x);
    EXPECT_EQ(slice(slice(x, 6, 1), 3, 2), slice(x, 4, 3));
    TermId wide = mk(K::SignExtend, {x}, {4});
    EXPECT_EQ(slice(wide, 7, 0), x);
    EXPECT_EQ(slice(wide, 5, 2), slice(x, 5, 2));
    EXPECT_EQ(kindOf(slice(wide, 11, 4)), K::Extract);  // takes copies of the sign bit
    EXPECT_EQ(slice(mk(K::BvNot, {x}), 2, 0), mk(K::BvNot, {slice(x, 2, 0)}));
    EXPECT_EQ(slice(mk(K::BvAnd, {x, c(0x0F)}), 7, 4), c(0, 4));
    EXPECT_EQ(kindOf(slice(mk(K::BvAnd, {x, y}), 3, 0)), K::Extract);
    EXPECT_EQ(slice(mk(K::Ite, {p, c(0x12), c(0x34)}), 3, 0), mk(K::Ite, {p, c(2, 4), c(4, 4)}));
    EXPECT_EQ(kindOf(slice(mk(K::Ite, {p, x, y}), 3, 0)), K::Extract);
    EXPECT_EQ(mk(K::ZeroExtend, {x}, {4}), mk(K::Concat, {c(0, 4), x}));
    EXPECT_EQ(mk(K::RotateLeft, {x}, {1}), mk(K::Concat, {slice(x, 6, 0), slice(x, 7, 7)}));
    EXPECT_EQ(mk(K::RotateRight, {x}, {1}), mk(K::Concat, {slice(x, 0, 0), slice(x, 7, 1)}));
    EXPECT_EQ(mk(K::RotateLeft, {x}, {8}), x);
    EXPECT_EQ(mk(K::Repeat, {x}, {1}), x);
    EXPECT_EQ(kindOf(mk(K::Repeat, {x}, {2})), K::Repeat);
    EXPECT_EQ(mk(K::SignExtend, {x}, {0}), x);
    EXPECT_EQ(kindOf(wide), K::SignExtend);
    EXPECT_EQ(mk(K::Concat, {slice(x, 7, 4), slice(x, 3, 0)}), x);
    EXPECT_EQ(mk(K::Concat, {slice(x, 7, 5), slice(x, 4, 2)}), slice(x, 7, 2));
    EXPECT_EQ(kindOf(mk(K::Concat, {slice(x, 3, 0), slice(x, 7, 4)})), K::Concat);  // not adjacent
    EXPECT_EQ(mk(K::Concat, {c(1, 4), c(2, 4), x}), mk(K::Concat, {c(0x12), x}));
    TermId flat = mk(K::Concat, {x, mk(K::Concat, {y, z})});
    EXPECT_EQ(flat, mk(K::Concat, {xy, z}));
    EXPECT_EQ(s.numArgs(flat), 3u);
}

TEST_F(RuleMatching, ComparisonsBecomeStrictAndMeetTheirBounds) {
    EXPECT_EQ(mk(K::BvUgt, {x, y}), mk(K::BvUlt, {y, x}));
    EXPECT_EQ(mk(K::BvSgt, {x, y}), mk(K::BvSlt, {y, x}));
    EXPECT_EQ(mk(K::BvUle, {x, y}), no(mk(K::BvUlt, {y, x})));
    EXPECT_EQ(mk(K::BvSge, {x, y}), no(mk(K::BvSlt, {x, y})));
    EXPECT_EQ(mk(K::BvUlt, {x, x}), F);
    EXPECT_EQ(mk(K::BvSle, {x, x}), T);
    EXPECT_EQ(mk(K::BvUlt, {x, c(0)}), F);
    EXPECT_EQ(mk(K::BvUlt, {c(0xFF), x}), F);
    EXPECT_EQ(mk(K::BvUlt, {c(0), x}), no(mk(K::Equal, {x, c(0)})));
    EXPECT_EQ(mk(K::BvUlt, {x, c(0xFF)}), no(mk(K::Equal, {x, c(0xFF)})));
    EXPECT_EQ(mk(K::BvSlt, {x, c(0x80)}), F);
    EXPECT_EQ(mk(K::BvSlt, {c(0x7F), x}), F);
    EXPECT_EQ(mk(K::BvSlt, {c(0x80), x}), no(mk(K::Equal, {x, c(0x80)})));
    EXPECT_EQ(mk(K::BvSlt, {x, c(0x7F)}), no(mk(K::Equal, {x, c(0x7F)})));
    EXPECT_EQ(mk(K::BvUlt, {a, b}), mk(K::And, {mk(K::Equal, {a, c(0, 1)}), mk(K::Equal, {b, c(1, 1)})}));
    EXPECT_EQ(mk(K::BvSlt, {a, b}), mk(K::And, {mk(K::Equal, {a, c(1, 1)}), mk(K::Equal, {b, c(0, 1)})}));
    TermId x4 = slice(x, 3, 0), y4 = slice(y, 3, 0);
    EXPECT_EQ(mk(K::BvUlt, {mk(K::ZeroExtend, {x4}, {4}), mk(K::ZeroExtend, {y4}, {4})}), mk(K::BvUlt, {x4, y4}));
    EXPECT_EQ(mk(K::BvUlt, {mk(K::ZeroExtend, {x4}, {4}), c(9)}), mk(K::BvUlt, {x4, c(9, 4)}));
    // Near misses: one above the bottom, one below the top, and the signed
    // reading of a zero-extended pair.
    EXPECT_EQ(kindOf(mk(K::BvUlt, {x, c(1)})), K::BvUlt);
    EXPECT_EQ(kindOf(mk(K::BvSlt, {x, c(0)})), K::BvSlt);
    EXPECT_EQ(kindOf(mk(K::BvUlt, {c(0xFE), x})), K::BvUlt);
    TermId signedPair = mk(K::BvSlt, {mk(K::ZeroExtend, {x4}, {4}), mk(K::ZeroExtend, {y4}, {4})});
    EXPECT_EQ(kindOf(signedPair), K::BvSlt);
}

// Normal forms that rules build for other rules' operands: a multiple of
// a term that slices away, a complement pulled out of an exclusive or, a
// coefficient in front of a product. Rewriting the result again must leave
// it as it is.
TEST_F(RuleMatching, NormalFormsBuiltForOtherRulesAreFixedPoints) {
    TermId notX = s.mk(K::BvNot, {x}), x4 = s.mk(K::Extract, {x}, {3, 0}), y4 = s.mk(K::Extract, {y}, {3, 0});
    TermId halves = s.mk(K::Concat, {x4, y4});
    const TermId raw[] = {
        s.mk(K::BvShl, {notX, c(1)}),
        s.mk(K::BvAdd, {halves, halves}),
        s.mk(K::BvXor, {s.mk(K::BvNot, {s.mk(K::BvXor, {x, y})}), z}),
        s.mk(K::BvMul, {s.mk(K::BvMul, {x, y, c(3)}), z}),
    };
    for (TermId t : raw) {
        TermId once = rw.rewrite(t), twice = rw.rewrite(once);
        EXPECT_EQ(twice, once) << rwtest::smt2(s, t) << "\ngives " << rwtest::smt2(s, once) << "\nand again "
                               << rwtest::smt2(s, twice);
    }
}

}  // namespace
