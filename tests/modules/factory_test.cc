// The module factory: the report of every width check (with the order of the
// checks), getDataSET and its UNSAT exit, the registration of modules (ids,
// watch lists, variables, backtrack flags, substituted-clause counts) and
// their placement in the priority lists.
#include <unistd.h>

#include <functional>
#include <tuple>

#include "modules/module_test_support.h"

namespace {

std::string reportPattern(int line, const std::string& message) {
    std::string pattern = "^";
    for (char c : "File: parseInput_modulesOnly\nLine: " + std::to_string(line) + "\n\n" + message + "\n") {
        if (std::string(".+*?()[]{}|^$\\").find(c) != std::string::npos) pattern += '\\';
        pattern += c;
    }
    return pattern + "$";
}

typedef std::function<void(Solver&)> Build;
typedef void (*TwoOperands)(Solver&, BitVector&, BitVector&, BitVector&);
typedef void (*OneOperand)(Solver&, BitVector&, BitVector&);

// Factory calls over bit vectors of the given widths (all on x0 ..).
Build call(TwoOperands f, int out, int a, int b) {
    return [=](Solver& s) {
        BitVector o = bitRange(0, out), x = bitRange(0, a), y = bitRange(0, b);
        f(s, o, x, y);
    };
}
Build call(OneOperand f, int out, int in) {
    return [=](Solver& s) {
        BitVector o = bitRange(0, out), i = bitRange(0, in);
        f(s, o, i);
    };
}
Build ite(int out, int cond, int thenW, int elseW) {
    return [=](Solver& s) {
        BitVector o = bitRange(0, out), c = bitRange(0, cond), t = bitRange(0, thenW), e = bitRange(0, elseW);
        getDataITE(s, o, c, t, e);
    };
}
Build shift(int data, int amount, int out, bool left) {
    return [=](Solver& s) {
        BitVector d = bitRange(0, data), a = bitRange(0, amount), o = bitRange(0, out);
        getDataShift(s, d, a, o, left);
    };
}

TEST(ModuleFactoryDeathTest, WidthChecksReportInLineOrder) {
    const Build setTwoVarsOneValue = [](Solver& s) {
        BitVector vars{0, 1};
        std::vector<bool> values{true};
        getDataSET(s, vars, values);
    };
    const std::vector<std::tuple<Build, int, std::string>> checks = {
        {call(getDataAND, 5, 2, 3), 144, "inputs have different bitsizes: 2 3"},
        {call(getDataAND, 2, 1, 1), 145, "output and inputs have different bitsize: 2 1"},
        {call(getDataAND, 2, 2, 2), 147, "bvand not supported. max bitsize is one: 2"},
        {call(getDataOR, 1, 1, 2), 191, "inputs have different bitsizes: 1 2"},
        {call(getDataOR, 3, 1, 1), 192, "output and inputs have different bitsize: 3 1"},
        {call(getDataOR, 2, 2, 2), 194, "bvor not supported. max bitsize is one: 2"},
        {call(getDataXOR, 1, 1, 2), 237, "inputs have different bitsizes: 1 2"},
        {call(getDataXOR, 2, 1, 1), 238, "output and inputs have different bitsize: 2 1"},
        {call(getDataXOR, 3, 3, 3), 240, "bvor not supported. max bitsize is one: 3"},
        {call(getDataID, 3, 2), 67, "id supported for one bit only: is 2"},
        {call(getDataID, 2, 1), 68, "in and out has different bitsize: 1 vs. 2"},
        {call(getDataINV, 1, 0), 105, "inverter supported for one bit only: is 0"},
        {call(getDataINV, 0, 1), 106, "in and out has different bitsize: 1 vs. 0"},
        {call(getDataEQ, 2, 2, 3), 286, "inputs have different bitsizes: 2 3"},
        {call(getDataEQ, 2, 3, 3), 287, "output has not a bitsize of one: 2"},
        {ite(1, 2, 1, 1), 336, "condition signal is not bool: 2"},
        {ite(4, 1, 2, 3), 337, "if end else inputs have different bitsize: 2 3"},
        {ite(3, 1, 2, 2), 338, "output has different bitsize to inputs: 3 2"},
        {call(getDataADD, 8, 8, 7), 393, "bitsize of inputs is different: 8 7"},
        {call(getDataADD, 8, 8, 8), 394, "output bitsize is not equal inputbs+1: 8 8"},
        {call(getDataMUL, 8, 4, 5), 443, "bitsize of inputs is different: 4 5"},
        {call(getDataMUL, 7, 4, 4), 444, "output bitsize is not equal inputbs*2: 7 4"},
        {shift(0, 0, 1, true), 547, "Bitgroesse eines Eingangs ist 0"},
        {shift(4, 1, 3, false), 548, "Ausgang hat die falsche Bitgroesse"},
        {setTwoVarsOneValue, 17, "number of operands and values is different: 2 1"},
    };
    for (const auto& [build, line, message] : checks) {
        SCOPED_TRACE(line);
        EXPECT_DEATH(
            {
                ModuleSolver ms;
                build(ms.s);
            },
            reportPattern(line, message));
    }
}

// getDataSET creates the variables it fixes; contradicting units end the run
// (standard output goes to standard error, where the death test reads it).
TEST(ModuleFactoryDeathTest, SetFixesVariablesAndContradictingUnitsEndTheRun) {
    ModuleSolver ms;
    BitVector vars{5, 2}, same{3, 3};
    std::vector<bool> values{true, false};
    getDataSET(ms.s, vars, values);
    EXPECT_EQ(6, ms.s.nVars());
    EXPECT_EQ(l_True, ms.value(5));
    EXPECT_EQ(l_False, ms.value(2));
    EXPECT_EXIT(
        {
            dup2(STDERR_FILENO, STDOUT_FILENO);
            getDataSET(ms.s, same, values);
        },
        ::testing::ExitedWithCode(20), "^Result: UNSAT\n$");
}

TEST(ModuleFactory, RegistrationOrderAndBookkeeping) {
    ModuleSolver ms;
    Solver& s = ms.s;
    BitVector a = bitRange(0, 8), b = bitRange(8, 8), sum = bitRange(16, 9);
    getDataADD(s, sum, a, b);
    EXPECT_EQ(126, s.nSubstClauses);
    BitVector x = bitRange(30, 4), y = bitRange(25, 4), product = bitRange(40, 8);
    getDataMUL(s, product, x, y);
    EXPECT_EQ(126 + 238, s.nSubstClauses);

    EXPECT_EQ(2, s.nModules);
    ASSERT_EQ(2u, s.modules.size());
    EXPECT_EQ(1u, s.modules[1]->id);
    EXPECT_EQ((std::vector<int>{-1, -1}),
              std::vector<int>(Module::backtrackFlags.begin(), Module::backtrackFlags.end()));
    EXPECT_EQ(48, s.nVars());
    EXPECT_EQ((std::vector<int>{0}), s.prioModules[7]);
    EXPECT_EQ((std::vector<int>{1}), s.prioModules[9]);
    for (int v = 0; v < 48; v++) {
        std::vector<Module*> expected;
        if (v < 25) expected.push_back(s.modules[0]);
        if (v >= 25 && v != 29 && (v < 34 || v >= 40)) expected.push_back(s.modules[1]);
        EXPECT_EQ(expected, s.moduleWatches[v]) << "x" << v;
    }
}

TEST(ModuleFactory, SubstitutedClauseCountsAndLists) {
    const std::vector<std::tuple<Operation, int, int>> kinds = {
        {{Kind::And, 1, 0}, 3, 3},  {{Kind::Or, 1, 0}, 3, 3},   {{Kind::Xor, 1, 0}, 4, 3},
        {{Kind::Inv, 1, 0}, 2, 1},  {{Kind::Id, 1, 0}, 2, 1},   {{Kind::Eq, 3, 0}, 13, 1},
        {{Kind::Ite, 3, 0}, 12, 6}, {{Kind::Add, 1, 0}, 7, 7},  {{Kind::Mul, 1, 0}, 4, 9},
        {{Kind::Shl, 8, 8}, 40 + 192 + 5, 5},
    };
    for (const auto& [op, clauses, list] : kinds) {
        SCOPED_TRACE(op.name());
        ModuleSolver ms;
        op.registerWith(ms.s);
        EXPECT_EQ(clauses, ms.s.nSubstClauses);
        EXPECT_EQ((std::vector<int>{0}), ms.s.prioModules[list]);
    }
}

TEST(ModuleFactory, PrioritiesAboveTheTopListLandInIt) {
    const int adder = prioParams[PRIO_ADDER], multiplier = prioParams[PRIO_MULTIPLIER];
    prioParams[PRIO_ADDER] = 12;
    prioParams[PRIO_MULTIPLIER] = 0;
    ModuleSolver ms;
    Operation{Kind::Add, 2, 0}.registerWith(ms.s);
    Operation{Kind::Mul, 2, 0}.registerWith(ms.s);
    prioParams[PRIO_ADDER] = adder;
    prioParams[PRIO_MULTIPLIER] = multiplier;
    EXPECT_EQ((std::vector<int>{0}), ms.s.prioModules[9]);
    EXPECT_EQ(12, ms.module(0)->priority);
    EXPECT_EQ((std::vector<int>{1}), ms.s.prioModules[0]);
}

}  // namespace
