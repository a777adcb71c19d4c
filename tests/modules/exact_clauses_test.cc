// Reasons and conflicts of every module kind, literal order included, for the
// cases that pin down each rule. Variables follow Operation's layout: inputs
// from x0 in operand order, then the outputs.
#include "modules/module_test_support.h"

namespace {

typedef std::vector<Lit> Lits;

TEST(ExactClauses, BitGates) {
    const Operation andGate{Kind::And, 1, 0}, orGate{Kind::Or, 1, 0}, xorGate{Kind::Xor, 1, 0};
    const Operation inverter{Kind::Inv, 1, 0}, identity{Kind::Id, 1, 0};
    EXPECT_EQ((Lits{pos(2), neg(0), neg(1)}), conflictAfter(andGate, {neg(2), pos(0), pos(1)}));
    EXPECT_EQ((Lits{neg(1), neg(0), pos(2)}), reasonAfter(andGate, {neg(2), pos(0)}, 1));
    EXPECT_EQ((Lits{neg(2), pos(1)}), reasonAfter(andGate, {neg(1)}, 2));
    EXPECT_EQ((Lits{pos(1), neg(2)}), reasonAfter(andGate, {pos(2)}, 1));
    EXPECT_EQ((Lits{neg(2), pos(0), pos(1)}), conflictAfter(orGate, {pos(2), neg(0), neg(1)}));
    EXPECT_EQ((Lits{pos(1), neg(2), pos(0)}), reasonAfter(orGate, {pos(2), neg(0)}, 1));
    EXPECT_EQ((Lits{pos(2), neg(1)}), conflictAfter(orGate, {neg(2), pos(1)}));
    EXPECT_EQ((Lits{neg(2), neg(0), neg(1)}), conflictAfter(xorGate, {pos(2), pos(0), pos(1)}));
    EXPECT_EQ((Lits{pos(1), neg(2), pos(0)}), reasonAfter(xorGate, {pos(2), neg(0)}, 1));
    EXPECT_EQ((Lits{neg(0), neg(1)}), reasonAfter(inverter, {pos(1)}, 0));
    EXPECT_EQ((Lits{neg(0), pos(1)}), reasonAfter(identity, {neg(1)}, 0));
    EXPECT_EQ((Lits{neg(1), pos(0)}), conflictAfter(identity, {pos(1), neg(0)}));
}

// w = 2: input_1 = x0 x1, input_2 = x2 x3, output x4.
TEST(ExactClauses, EqGate) {
    const Operation eq{Kind::Eq, 2, 0};
    EXPECT_EQ((Lits{pos(1), pos(4), neg(2), neg(0), pos(3)}), reasonAfter(eq, {neg(4), pos(0), pos(2), neg(3)}, 1));
    EXPECT_EQ((Lits{pos(4), neg(0), neg(2), pos(1), pos(3)}), reasonAfter(eq, {pos(0), pos(2), neg(1), neg(3)}, 4));
    EXPECT_EQ((Lits{neg(4), neg(1), pos(3)}), reasonAfter(eq, {pos(1), neg(3)}, 4));
    EXPECT_EQ((Lits{pos(4), neg(0), neg(2), pos(1), pos(3)}),
              conflictAfter(eq, {neg(4), pos(0), pos(2), neg(1), neg(3)}));
    EXPECT_EQ(0, impliedAfter(eq, {neg(4), pos(0), neg(3)})) << "two half-open pairs";
}

// w = 1: cond x0, then x1, else x2, out x3.
TEST(ExactClauses, IteGate) {
    const Operation ite{Kind::Ite, 1, 0};
    EXPECT_EQ((Lits{pos(3), neg(2), neg(1)}), conflictAfter(ite, {pos(1), pos(2), neg(3)}));
    EXPECT_EQ((Lits{neg(0), pos(1), neg(3)}), reasonAfter(ite, {pos(3), neg(1)}, 0));
    EXPECT_EQ((Lits{pos(2), pos(0), neg(3)}), reasonAfter(ite, {pos(3), neg(1)}, 2));
    EXPECT_EQ((Lits{neg(1), neg(0), pos(3)}), reasonAfter(ite, {pos(0), neg(3)}, 1));
    EXPECT_EQ(1, impliedAfter(ite, {pos(0), neg(3)})) << "the else bit is not selected";
    EXPECT_EQ((Lits{neg(1), neg(0), pos(3)}), conflictAfter(ite, {pos(0), pos(1), neg(3)}));
}

// Adder w = 1: x0 + x1 = x2 x3; w = 2: x0 x1 + x2 x3 = x4 x5 x6.
// Multiplier w = 2: x0 x1 * x2 x3 = x4 .. x7.
TEST(ExactClauses, AdderAndMultiplier) {
    const Operation add1{Kind::Add, 1, 0}, add2{Kind::Add, 2, 0}, mul2{Kind::Mul, 2, 0};
    EXPECT_EQ((Lits{neg(2), neg(0), neg(1)}), reasonAfter(add1, {pos(0), pos(1)}, 2));
    EXPECT_EQ((Lits{pos(3), neg(0), neg(1)}), reasonAfter(add1, {pos(0), pos(1)}, 3));
    EXPECT_EQ((Lits{pos(0), pos(1), neg(2)}), reasonAfter(add1, {neg(1), pos(2)}, 0));
    EXPECT_EQ((Lits{neg(0), neg(2), pos(1), pos(3), pos(5)}), conflictAfter(add2, {pos(0), pos(2), neg(1), neg(3), neg(5)}));
    EXPECT_EQ((Lits{pos(0), neg(2), neg(4)}), reasonAfter(mul2, {pos(2), pos(4)}, 0));
    EXPECT_EQ((Lits{neg(4), pos(2)}), conflictAfter(mul2, {neg(2), pos(4)}));
    EXPECT_EQ(0, impliedAfter(mul2, {neg(2), neg(4)})) << "input_1[0] stays open";
    EXPECT_EQ((Lits{pos(5), neg(0), neg(2), pos(1), neg(3)}), reasonAfter(mul2, {pos(0), pos(2), neg(1), pos(3)}, 5));
}

// Shift w = 4, three amount bits: data x0-x3, amount x4-x6, result x7-x10.
TEST(ExactClauses, ShiftByAKnownAmount) {
    const Operation shl{Kind::Shl, 4, 3}, shr{Kind::Shr, 4, 3};
    EXPECT_EQ((Lits{neg(7), neg(4), pos(5), pos(6)}), reasonAfter(shl, {pos(4), neg(5), neg(6)}, 7));
    EXPECT_EQ((Lits{pos(8), neg(0), neg(4), pos(5), pos(6)}), reasonAfter(shl, {pos(4), neg(5), neg(6), pos(0)}, 8));
    EXPECT_EQ((Lits{neg(1), pos(9), neg(4), pos(5), pos(6)}), reasonAfter(shl, {pos(4), neg(5), neg(6), neg(9)}, 1));
    EXPECT_EQ((Lits{neg(7), neg(4), pos(5), pos(6)}), conflictAfter(shl, {pos(4), neg(5), neg(6), pos(7)}));
    EXPECT_EQ(3, impliedAfter(shr, {pos(4), pos(5), neg(6)})) << "right by 3: result bits 1 to 3 are zero";
    EXPECT_EQ((Lits{pos(7), neg(3), neg(4), neg(5), pos(6)}), reasonAfter(shr, {pos(4), pos(5), neg(6), pos(3)}, 7));
    EXPECT_EQ(4, impliedAfter(shl, {neg(4), neg(5), pos(6), pos(0)})) << "by 4: all zero, nothing copied";
    EXPECT_EQ(0, impliedAfter(shl, {neg(0), neg(1), neg(2), neg(3), neg(5), neg(6)})) << "amount open";
}

// Shift w = 8 with an 8-bit amount: data x0-x7, amount x8-x15, result
// x16-x23; x12-x15 are the amount bits at or above the four that give the
// distances below 8. The amount is its full unsigned value.
TEST(ExactClauses, ShiftHighAmountBits) {
    const Operation shl{Kind::Shl, 8, 8}, shr{Kind::Shr, 8, 8};
    for (int out = 16; out <= 23; out++) EXPECT_EQ((Lits{neg(out), neg(12)}), reasonAfter(shl, {pos(12)}, out));
    EXPECT_EQ((Lits{neg(17), neg(14)}), conflictAfter(shr, {neg(8), pos(14), pos(17)}));
    EXPECT_EQ((Lits{neg(23), neg(8), pos(9), pos(10), pos(11), pos(12), pos(13), pos(14), pos(15)}),
              reasonAfter(shr, {pos(8), neg(9), neg(10), neg(11), neg(12), neg(13), neg(14), neg(15)}, 23));
    EXPECT_EQ(0, impliedAfter(shl, {neg(8), neg(9), neg(10), neg(11), neg(12), neg(13), neg(15)}))
        << "an open high bit leaves the amount open";
    EXPECT_EQ(3, impliedAfter({Kind::Shl, 8, 2}, {pos(8), pos(9)})) << "a narrow amount is read whole";
}

}  // namespace
