// Module state across calls: decision suggestions and cursors, the per-level
// positions of the adder and its getFinished, the multiplier's column order
// and carries above one, and the shifter's amount-first decisions.
#include "modules/adder.h"
#include "modules/module_test_support.h"
#include "modules/multiplier.h"

namespace {

TEST(ModuleState, GateDecisionsAndCursorReset) {
    ModuleSolver ms;
    Operation{Kind::And, 1, 0}.registerWith(ms.s);
    Module* gate = ms.module();
    ms.assign({neg(2)});
    EXPECT_EQ(0, gate->decide(1));
    EXPECT_EQ(l_False, ms.value(0)) << "an assigned output is suggested for the inputs";
    ms.assign({neg(0)});
    ms.s.cancelUntil(0);
    EXPECT_FALSE(gate->getFinished());
    EXPECT_EQ(2, gate->decide(0)) << "after a backtrack the output is reconsidered first";
    EXPECT_EQ(l_True, ms.value(2));

    ModuleSolver xorSolver;
    Operation{Kind::Xor3, 1, 0}.registerWith(xorSolver.s);
    xorSolver.assign({pos(0)});
    EXPECT_EQ(3, xorSolver.module()->decide(1));
    EXPECT_EQ(l_False, xorSolver.value(3)) << "two open inputs, one true input: odd count suggests false";
}

// w = 2: cond x0, then x1 x2, else x3 x4, out x5 x6.
TEST(ModuleState, IteDecisionsFollowTheBetterKnownOperand) {
    ModuleSolver ms;
    Operation{Kind::Ite, 2, 0}.registerWith(ms.s);
    EXPECT_EQ(0, ms.module()->decide(0));
    EXPECT_EQ(l_True, ms.value(0)) << "a tie selects the then operand";
    Module::assigns[0] = l_Undef;
    ms.assign({pos(3), pos(4), neg(1)});
    EXPECT_EQ(0, ms.module()->decide(1));
    EXPECT_EQ(l_False, ms.value(0)) << "more else bits known: the else operand is suggested";
    ms.assign({neg(0)});
    EXPECT_EQ(l_True, ms.value(6));
    EXPECT_EQ(2, ms.module()->decide(2)) << "selected operand complete: the first open entry";
}

// w = 4: input_1 = x0-x3, input_2 = x4-x7, output x8-x12. Positions 0 and 1
// complete at level 1, position 2 at level 2, position 3 and the carry out at
// level 3.
TEST(ModuleState, AdderKeepsThePositionsOfTheLevelsThatRemain) {
    ModuleSolver ms;
    Operation{Kind::Add, 4, 0}.registerWith(ms.s);
    Adder* adder = dynamic_cast<Adder*>(ms.module());
    ms.assign({pos(0), pos(4), neg(1), pos(5)});
    ms.assign({pos(2), neg(6)});
    ms.assign({neg(3), neg(7)});
    EXPECT_EQ((std::vector<int>{0, 1, 1, 2, 3}), adder->levels);
    EXPECT_TRUE(adder->getFinished());
    Module::backtrackFlags[adder->id] = 3;
    EXPECT_TRUE(adder->getFinished()) << "a backtrack to level 3 keeps every position";
    Module::backtrackFlags[adder->id] = 2;
    EXPECT_FALSE(adder->getFinished());
    Module::backtrackFlags[adder->id] = -1;

    ms.s.cancelUntil(1);
    EXPECT_EQ(2, adder->decide(1));
    EXPECT_EQ(2, adder->step);
    EXPECT_EQ(1, adder->carry[2]);
}

TEST(ModuleState, MultiplierColumnsAndCarries) {
    {
        ModuleSolver ms;
        Operation{Kind::Mul, 2, 0}.registerWith(ms.s);
        ms.assign({pos(0), pos(1), pos(2), pos(3)});
        const std::vector<Lit> products(ms.s.trail.begin() + 4, ms.s.trail.end());
        EXPECT_EQ((std::vector<Lit>{pos(4), neg(5), neg(6), pos(7)}), products) << "3 * 3 = 9, column by column";
        EXPECT_TRUE(ms.module()->getFinished());
    }
    {
        ModuleSolver ms;
        Operation{Kind::Mul, 3, 0}.registerWith(ms.s);
        ms.assign({pos(0), pos(1), pos(2), pos(3), pos(4), pos(5)});
        EXPECT_EQ(2, dynamic_cast<Multiplier*>(ms.module())->carry[3]);
    }
    {
        ModuleSolver ms;
        Operation{Kind::Mul, 2, 0}.registerWith(ms.s);
        ms.assign({neg(2), neg(4)});
        EXPECT_EQ(0, ms.module()->decide(1)) << "an open column: input_1 first";
    }
}

// w = 8 with an 8-bit amount (x8-x15) and w = 4 with three (x4-x6).
TEST(ModuleState, ShiftDecidesTheAmountFirst) {
    {
        ModuleSolver ms;
        Operation{Kind::Shl, 8, 8}.registerWith(ms.s);
        ms.assign({neg(8), neg(9), neg(10), neg(11), neg(12), neg(13), neg(15)});
        EXPECT_EQ(14, ms.module()->decide(1)) << "an open high bit is open amount";
    }
    {
        ModuleSolver ms;
        Operation{Kind::Shl, 4, 3}.registerWith(ms.s);
        ms.assign({pos(4)});
        EXPECT_EQ(5, ms.module()->decide(1));
        Module::assigns[5] = l_Undef;
        ms.assign({neg(5), neg(6), pos(0)});
        EXPECT_EQ(1, ms.module()->decide(2)) << "position 0 is complete, input 1 is the first open bit";
    }
}

}  // namespace
