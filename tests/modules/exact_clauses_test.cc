// Reasons and conflicts of every module kind, literal order included, and
// how many bits a module implies, for the cases that pin down each rule.
// Variables follow Operation's layout: inputs from x0 in operand order, then
// the outputs.
#include "modules/module_test_support.h"

namespace {

typedef std::vector<Lit> Lits;
constexpr int kConflict = -1, kCount = -2;

// After `assigned` is set in one decision level: the conflict (x = kConflict),
// the reason recorded for x, or (x = kCount) the number of bits implied.
struct Probe {
    Operation op;
    Lits assigned;
    int x;
    Lits expected;
    int implied = 0;
    const char* why = "";
};

TEST(ExactClauses, ReasonsConflictsAndImplicationCounts) {
    const Operation andGate{Kind::And, 1, 0}, orGate{Kind::Or, 1, 0}, xorGate{Kind::Xor, 1, 0};
    const Operation inverter{Kind::Inv, 1, 0}, identity{Kind::Id, 1, 0};
    // w = 2: input_1 = x0 x1, input_2 = x2 x3, output x4.
    const Operation eq{Kind::Eq, 2, 0};
    // w = 1: cond x0, then x1, else x2, out x3.
    const Operation ite{Kind::Ite, 1, 0};
    // Adder w = 1: x0 + x1 = x2 x3; w = 2: x0 x1 + x2 x3 = x4 x5 x6.
    // Multiplier w = 2: x0 x1 * x2 x3 = x4 .. x7.
    const Operation add1{Kind::Add, 1, 0}, add2{Kind::Add, 2, 0}, mul2{Kind::Mul, 2, 0};
    // Shift w = 4, three amount bits: data x0-x3, amount x4-x6, result x7-x10.
    const Operation shl{Kind::Shl, 4, 3}, shr{Kind::Shr, 4, 3};
    // Shift w = 8 with an 8-bit amount: data x0-x7, amount x8-x15, result
    // x16-x23; x12-x15 are the amount bits at or above the four that give the
    // distances below 8. The amount is its full unsigned value.
    const Operation shl8{Kind::Shl, 8, 8}, shr8{Kind::Shr, 8, 8};
    std::vector<Probe> probes = {
        {andGate, {neg(2), pos(0), pos(1)}, kConflict, {pos(2), neg(0), neg(1)}},
        {andGate, {neg(2), pos(0)}, 1, {neg(1), neg(0), pos(2)}},
        {andGate, {neg(1)}, 2, {neg(2), pos(1)}},
        {andGate, {pos(2)}, 1, {pos(1), neg(2)}},
        {orGate, {pos(2), neg(0), neg(1)}, kConflict, {neg(2), pos(0), pos(1)}},
        {orGate, {pos(2), neg(0)}, 1, {pos(1), neg(2), pos(0)}},
        {orGate, {neg(2), pos(1)}, kConflict, {pos(2), neg(1)}},
        {xorGate, {pos(2), pos(0), pos(1)}, kConflict, {neg(2), neg(0), neg(1)}},
        {xorGate, {pos(2), neg(0)}, 1, {pos(1), neg(2), pos(0)}},
        {inverter, {pos(1)}, 0, {neg(0), neg(1)}},
        {identity, {neg(1)}, 0, {neg(0), pos(1)}},
        {identity, {pos(1), neg(0)}, kConflict, {neg(1), pos(0)}},
        {eq, {neg(4), pos(0), pos(2), neg(3)}, 1, {pos(1), pos(4), neg(2), neg(0), pos(3)}},
        {eq, {pos(0), pos(2), neg(1), neg(3)}, 4, {pos(4), neg(0), neg(2), pos(1), pos(3)}},
        {eq, {pos(1), neg(3)}, 4, {neg(4), neg(1), pos(3)}},
        {eq, {neg(4), pos(0), pos(2), neg(1), neg(3)}, kConflict, {pos(4), neg(0), neg(2), pos(1), pos(3)}},
        {eq, {neg(4), pos(0), neg(3)}, kCount, {}, 0, "two half-open pairs"},
        {ite, {pos(1), pos(2), neg(3)}, kConflict, {pos(3), neg(2), neg(1)}},
        {ite, {pos(3), neg(1)}, 0, {neg(0), pos(1), neg(3)}},
        {ite, {pos(3), neg(1)}, 2, {pos(2), pos(0), neg(3)}},
        {ite, {pos(0), neg(3)}, 1, {neg(1), neg(0), pos(3)}},
        {ite, {pos(0), neg(3)}, kCount, {}, 1, "the else bit is not selected"},
        {ite, {pos(0), pos(1), neg(3)}, kConflict, {neg(1), neg(0), pos(3)}},
        {add1, {pos(0), pos(1)}, 2, {neg(2), neg(0), neg(1)}},
        {add1, {pos(0), pos(1)}, 3, {pos(3), neg(0), neg(1)}},
        {add1, {neg(1), pos(2)}, 0, {pos(0), pos(1), neg(2)}},
        {add2, {pos(0), pos(2), neg(1), neg(3), neg(5)}, kConflict, {neg(0), neg(2), pos(1), pos(3), pos(5)}},
        {mul2, {pos(2), pos(4)}, 0, {pos(0), neg(2), neg(4)}},
        {mul2, {neg(2), pos(4)}, kConflict, {neg(4), pos(2)}},
        {mul2, {neg(2), neg(4)}, kCount, {}, 0, "input_1[0] stays open"},
        {mul2, {pos(0), pos(2), neg(1), pos(3)}, 5, {pos(5), neg(0), neg(2), pos(1), neg(3)}},
        {shl, {pos(4), neg(5), neg(6)}, 7, {neg(7), neg(4), pos(5), pos(6)}},
        {shl, {pos(4), neg(5), neg(6), pos(0)}, 8, {pos(8), neg(0), neg(4), pos(5), pos(6)}},
        {shl, {pos(4), neg(5), neg(6), neg(9)}, 1, {neg(1), pos(9), neg(4), pos(5), pos(6)}},
        {shl, {pos(4), neg(5), neg(6), pos(7)}, kConflict, {neg(7), neg(4), pos(5), pos(6)}},
        {shr, {pos(4), pos(5), neg(6)}, kCount, {}, 3, "right by 3: result bits 1 to 3 are zero"},
        {shr, {pos(4), pos(5), neg(6), pos(3)}, 7, {pos(7), neg(3), neg(4), neg(5), pos(6)}},
        {shl, {neg(4), neg(5), pos(6), pos(0)}, kCount, {}, 4, "by 4: all zero, nothing copied"},
        {shl, {neg(0), neg(1), neg(2), neg(3), neg(5), neg(6)}, kCount, {}, 0, "amount open"},
        {shr8, {neg(8), pos(14), pos(17)}, kConflict, {neg(17), neg(14)}},
        {shr8, {pos(8), neg(9), neg(10), neg(11), neg(12), neg(13), neg(14), neg(15)}, 23,
         {neg(23), neg(8), pos(9), pos(10), pos(11), pos(12), pos(13), pos(14), pos(15)}},
        {shl8, {neg(8), neg(9), neg(10), neg(11), neg(12), neg(13), neg(15)}, kCount, {}, 0,
         "an open high bit leaves the amount open"},
        {{Kind::Shl, 8, 2}, {pos(8), pos(9)}, kCount, {}, 3, "a narrow amount is read whole"},
    };
    for (int out = 16; out <= 23; out++) probes.push_back({shl8, {pos(12)}, out, {neg(out), neg(12)}});
    for (const Probe& p : probes) {
        SCOPED_TRACE(p.op.name() + " " + testing::PrintToString(p.assigned) + " " + p.why);
        ModuleSolver ms;
        p.op.registerWith(ms.s);
        const Lits conflict = litsOf(ms.assign(p.assigned));
        if (p.x == kCount) {
            EXPECT_EQ(p.implied, ms.s.nAssigns() - static_cast<int>(p.assigned.size()));
        } else {
            EXPECT_EQ(p.expected, p.x == kConflict ? conflict : reasonOf(p.x));
        }
    }
}

}  // namespace
