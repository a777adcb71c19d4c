// Every construct of the language, judged by brute force: each formula's
// answer is known by construction, and most come in pairs that differ in one
// constant or operand so that a wrong reading of either flips one of them.
#include "extended_harness.h"

using extended_test::expectAnswer;
using extended_test::formula;
using extended_test::kSat;
using extended_test::kUnsat;

namespace {
struct Case {
    const char* formula;
    extended_test::Expected expected;
};

void expectAll(const std::vector<Case>& cases) {
    for (const Case& c : cases) expectAnswer(formula(c.formula), c.expected);
}
}  // namespace

TEST(ExtendedConstructs, ConstantSpellings) {
    expectAll({
        {"true", kSat},
        {"false", kUnsat},
        {"(and (= x bv5[4]) (= x bv6[4]))", kUnsat},
        {"(and (= x bvbin0101) (= x bv5[4]))", kSat},
        {"(and (= x bvbin0101) (not (= x bv5[4])))", kUnsat},
        {"(and (= x bvhexA) (= x bv10[4]))", kSat},
        {"(and (= x bvhexa) (= x bv11[4]))", kUnsat},
        {"(= (concat bvhexF bvbin01) (concat x u))", kSat},
        {"(and (= b bit1) (= b bv1[1]))", kSat},
        {"(and (= b bit1) (= b bit0))", kUnsat},
        // A numeral with a width but without "bv", and the width's sign ignored.
        {"(not (= 5[4] bv5[4]))", kUnsat},
        {"(not (= bv5[-4] bv5[4]))", kUnsat},
        // Values are taken modulo 2^width; bitN is the digit's low bit.
        {"(not (= bv21[4] bv5[4]))", kUnsat},
        {"(not (= bit3 bit1))", kUnsat},
        {"(not (= bit2 bit0))", kUnsat},
        // A numeral without a width is a 32-bit constant.
        {"(and (= x bv5[4]) (not (= (zero_extend[28] x) 5)))", kUnsat},
        {"(and (= x bv5[4]) (= (zero_extend[28] x) bv5))", kSat},
        {"(not (= 4294967297 bv1[32]))", kUnsat},
    });
}

TEST(ExtendedConstructs, Connectives) {
    expectAll({
        {"(and p q)", kSat},
        {"(and p q (not p))", kUnsat},
        {"(and (and p) (not p))", kUnsat},
        {"(or (or p) q)", kSat},
        {"(not (or p q (not p)))", kUnsat},
        {"(and (not p) (not q) (or p q))", kUnsat},
        // n-ary xor folds: p xor q xor p is q.
        {"(not (iff (xor p q p) q))", kUnsat},
        {"(iff (xor p q p) (not q))", kUnsat},
        {"(and p (not q) (implies p q))", kUnsat},
        {"(and (not p) (implies p q))", kSat},
        // implies associates to the right: p => (q => p) is valid.
        {"(not (implies p q p))", kUnsat},
        {"(iff p q (not p))", kUnsat},
        {"(and (iff p q) p (not q))", kUnsat},
        {"(not (iff (if_then_else p q (not q)) (iff p q)))", kUnsat},
        {"(not (iff (ite p q (not q)) (iff p q)))", kUnsat},
        // = and distinct between formulas.
        {"(and (= p q) p (not q))", kUnsat},
        {"(and (= p q) p q)", kSat},
        {"(= p q (not p))", kUnsat},
        {"(distinct p q (not p))", kUnsat},
        {"(and (distinct p q) p)", kSat},
        {"(and (distinct p q) (iff p q))", kUnsat},
        {"(= p (bvult x y) (bvugt y x))", kSat},
        {"(and (= p (bvult x y)) p (bvuge x y))", kUnsat},
    });
}

TEST(ExtendedConstructs, TermEqualitiesChainAndDistinctIsPairwise) {
    expectAll({
        {"(and (= x y bv3[4]) (not (= x bv3[4])))", kUnsat},
        {"(and (= x y bv3[4]) (= y bv3[4]))", kSat},
        {"(and (distinct x y bv3[4]) (= x bv3[4]))", kUnsat},
        {"(and (distinct x y bv3[4]) (= x y))", kUnsat},
        {"(distinct x y bv3[4])", kSat},
        {"(and (= (ite p x y) bv7[4]) p (= x bv7[4]))", kSat},
        {"(and (= (ite p x y) bv7[4]) p (= y bv7[4]) (not (= x bv7[4])))", kUnsat},
        {"(and (= (if_then_else (not p) x y) y) (not p) (distinct x y))", kUnsat},
    });
}
