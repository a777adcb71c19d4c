// The module factory: the report of every width check (with the order of the
// checks), the UNSAT exit of getDataSET, the registration of modules (ids,
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

typedef void (*TwoOperands)(Solver&, BitVector&, BitVector&, BitVector&);
typedef void (*OneOperand)(Solver&, BitVector&, BitVector&);

// Factory calls over bit vectors of the given widths (all on x0 ..).
std::function<void(Solver&)> call(TwoOperands f, int out, int a, int b) {
    return [=](Solver& s) {
        BitVector o = bitRange(0, out), x = bitRange(0, a), y = bitRange(0, b);
        f(s, o, x, y);
    };
}
std::function<void(Solver&)> call(OneOperand f, int out, int in) {
    return [=](Solver& s) {
        BitVector o = bitRange(0, out), i = bitRange(0, in);
        f(s, o, i);
    };
}
void iteWithCondition2(Solver& s) {
    BitVector o{0}, c{0, 1}, t{0}, e{0};
    getDataITE(s, o, c, t, e);
}
void shiftOfNothing(Solver& s) {
    BitVector d, a, o{0};
    getDataShift(s, d, a, o, true);
}
void setTwoVarsOneValue(Solver& s) {
    BitVector vars{0, 1};
    std::vector<bool> values{true};
    getDataSET(s, vars, values);
}

TEST(ModuleFactoryDeathTest, WidthChecksReportInLineOrder) {
    const auto ite = [](int out, int thenW, int elseW) {
        return [=](Solver& s) {
            BitVector o = bitRange(0, out), c{0}, t = bitRange(0, thenW), e = bitRange(0, elseW);
            getDataITE(s, o, c, t, e);
        };
    };
    const auto shift = [](int data, int out) {
        return [=](Solver& s) {
            BitVector d = bitRange(0, data), a{0}, o = bitRange(0, out);
            getDataShift(s, d, a, o, false);
        };
    };
    const std::vector<std::tuple<std::function<void(Solver&)>, int, std::string>> checks = {
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
        {iteWithCondition2, 336, "condition signal is not bool: 2"},
        {ite(4, 2, 3), 337, "if end else inputs have different bitsize: 2 3"},
        {ite(3, 2, 2), 338, "output has different bitsize to inputs: 3 2"},
        {call(getDataADD, 8, 8, 7), 393, "bitsize of inputs is different: 8 7"},
        {call(getDataADD, 8, 8, 8), 394, "output bitsize is not equal inputbs+1: 8 8"},
        {call(getDataMUL, 8, 4, 5), 443, "bitsize of inputs is different: 4 5"},
        {call(getDataMUL, 7, 4, 4), 444, "output bitsize is not equal inputbs*2: 7 4"},
        {shiftOfNothing, 547, "Bitgroesse eines Eingangs ist 0"},
        {shift(4, 3), 548, "Ausgang hat die falsche Bitgroesse"},
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

// Standard output goes to standard error, where the death test reads it.
void setContradictingUnits() {
    dup2(STDERR_FILENO, STDOUT_FILENO);
    ModuleSolver ms;
    BitVector vars{3, 3};
    std::vector<bool> values{true, false};
    getDataSET(ms.s, vars, values);
}

TEST(ModuleFactoryDeathTest, ContradictingUnitsEndTheRunUnsatisfiable) {
    EXPECT_EXIT(setContradictingUnits(), ::testing::ExitedWithCode(20), "^Result: UNSAT\n$");
}

TEST(ModuleFactory, SetCreatesVariablesAndFixesThem) {
    ModuleSolver ms;
    BitVector vars{5, 2};
    std::vector<bool> values{true, false};
    getDataSET(ms.s, vars, values);
    EXPECT_EQ(6, ms.s.nVars());
    EXPECT_EQ(l_True, ms.value(5));
    EXPECT_EQ(l_False, ms.value(2));
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
    EXPECT_EQ((std::vector<int>{-1, -1}), std::vector<int>(Module::backtrackFlags.begin(), Module::backtrackFlags.end()));
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

// Restores a priority table entry when the test ends.
class PriorityOverride {
public:
    PriorityOverride(int index, int value) : index(index), saved(prioParams[index]) { prioParams[index] = value; }
    ~PriorityOverride() { prioParams[index] = saved; }

private:
    int index;
    int saved;
};

TEST(ModuleFactory, PrioritiesAboveTheTopListLandInIt) {
    PriorityOverride adder(PRIO_ADDER, 12);
    PriorityOverride multiplier(PRIO_MULTIPLIER, 0);
    ModuleSolver ms;
    Operation{Kind::Add, 2, 0}.registerWith(ms.s);
    Operation{Kind::Mul, 2, 0}.registerWith(ms.s);
    EXPECT_EQ((std::vector<int>{0}), ms.s.prioModules[9]);
    EXPECT_EQ(12, ms.module(0)->priority);
    EXPECT_EQ((std::vector<int>{1}), ms.s.prioModules[0]);
}

}  // namespace
