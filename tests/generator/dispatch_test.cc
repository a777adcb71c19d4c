// Operation dispatch: routing to modules or clauses per configuration flag,
// the count of operations written as clauses, operand order and signedness
// of every operation (checked on values), and the rejected names.
#include <unistd.h>

#include "generator/generator_session.h"

namespace {
struct Input {
    unsigned int width;
    uint64_t value;
};

struct Outcome {
    uint64_t value;
    int modules;
    int asClauses;
};

// Runs one operation over constant inputs on a fresh solver and reads its
// output back from a model.
Outcome dispatch(const std::string& op, unsigned int outWidth, const std::vector<Input>& inputs, mpz_class k = 0) {
    Session run;
    std::vector<Bits> in;
    for (const Input& input : inputs) in.push_back(run.word(input.width, input.value)->cnfVars);
    Bits out = run.freshWord(outWidth)->cnfVars;
    if (in.size() == 1) run.generator.addOp1(op, out, in[0], "");
    if (in.size() == 2) run.generator.addOp2(op, out, in[0], in[1], k);
    if (in.size() == 3) run.generator.addOp3(op, out, in[0], in[1], in[2]);
    EXPECT_TRUE(run.solve()) << op;
    return {run.modelValue(out), run.solver.nModules, run.solver.nModulesAsClauses};
}

struct FlaggedCase {
    const char* op;
    bool ToClauses::*flag;
    unsigned int outWidth;
    std::vector<Input> inputs;
    uint64_t expected;
};
}  // namespace

TEST(Dispatch, EachFlagChoosesBetweenModuleAndCountedClauses) {
    ConfigGuard guard;
    const std::vector<FlaggedCase> cases = {
        {"NOT", &ToClauses::invCls, 1, {{1, 1}}, 0},
        {"NOT", &ToClauses::invCls, 1, {{1, 0}}, 1},
        {"BUF", &ToClauses::idCls, 1, {{1, 1}}, 1},
        {"BUF", &ToClauses::idCls, 1, {{1, 0}}, 0},
        {"EQUAL", &ToClauses::eqCls, 1, {{4, 9}, {4, 9}}, 1},
        {"EQUAL", &ToClauses::eqCls, 1, {{4, 9}, {4, 8}}, 0},
        {"AND", &ToClauses::andCls, 1, {{1, 1}, {1, 0}}, 0},
        {"OR", &ToClauses::orCls, 1, {{1, 0}, {1, 1}}, 1},
        {"XOR", &ToClauses::xorCls, 1, {{1, 1}, {1, 1}}, 0},
        {"XOR", &ToClauses::xorCls, 1, {{1, 0}, {1, 1}}, 1},
        {"ADD", &ToClauses::addCls, 5, {{4, 9}, {4, 12}}, 21},
        {"MUL", &ToClauses::mulCls, 8, {{4, 13}, {4, 11}}, 143},
        {"SHL", &ToClauses::shiftCls, 4, {{4, 11}, {4, 2}}, 12},
        {"SHR", &ToClauses::shiftCls, 4, {{4, 11}, {4, 2}}, 2},
        {"ITE", &ToClauses::iteCls, 4, {{1, 1}, {4, 5}, {4, 10}}, 5},
        {"ITE", &ToClauses::iteCls, 4, {{1, 0}, {4, 5}, {4, 10}}, 10},
    };
    for (const FlaggedCase& c : cases) {
        for (bool asClauses : {true, false}) {
            toClses.*c.flag = asClauses;
            addCounter = 0;
            mulCounter = 0;
            Outcome outcome = dispatch(c.op, c.outWidth, c.inputs);
            SCOPED_TRACE(std::string(c.op) + (asClauses ? " as clauses" : " as module"));
            EXPECT_EQ(outcome.value, c.expected);
            EXPECT_EQ(outcome.modules, asClauses ? 0 : 1);
            EXPECT_EQ(outcome.asClauses, asClauses ? 1 : 0);
        }
    }
}

TEST(Dispatch, DefaultConfigurationBuildsModulesOnlyForShiftsAndIte) {
    ConfigGuard guard;
    toClses = ToClauses();
    addCounter = 0;
    mulCounter = 0;
    EXPECT_EQ(dispatch("AND", 1, {{1, 1}, {1, 1}}).modules, 0);
    EXPECT_EQ(dispatch("NOT", 1, {{1, 1}}).modules, 0);
    EXPECT_EQ(dispatch("ADD", 5, {{4, 1}, {4, 1}}).modules, 0);
    EXPECT_EQ(dispatch("MUL", 8, {{4, 1}, {4, 1}}).modules, 0);
    EXPECT_EQ(dispatch("SHL", 4, {{4, 1}, {4, 1}}).modules, 1);
    EXPECT_EQ(dispatch("SHR", 4, {{4, 1}, {4, 1}}).modules, 1);
    EXPECT_EQ(dispatch("ITE", 4, {{1, 1}, {4, 1}, {4, 2}}).modules, 1);
}

TEST(Dispatch, ComparisonsKeepOperandOrderAndSignedness) {
    const unsigned int n = 4;
    const std::pair<uint64_t, uint64_t> pairs[] = {{3, 9}, {9, 3}, {9, 9}, {8, 7}, {0, 15}, {15, 0}};
    for (auto [a, b] : pairs) {
        int64_t sa = asSigned(a, n), sb = asSigned(b, n);
        const std::pair<const char*, bool> expected[] = {
            {"LESS", a < b},           {"LESSEQUAL", a <= b},      {"GREATER", a > b},
            {"GREATEREQUAL", a >= b},  {"SLESS", sa < sb},         {"SLESSEQUAL", sa <= sb},
            {"SGREATER", sa > sb},     {"SGREATEREQUAL", sa >= sb},
        };
        for (auto [op, holds] : expected) {
            Outcome outcome = dispatch(op, 1, {{n, a}, {n, b}});
            EXPECT_EQ(outcome.value, holds ? 1u : 0u) << op << "(" << a << ", " << b << ")";
            EXPECT_EQ(outcome.asClauses, 1) << op;
        }
    }
}

TEST(Dispatch, OperationsWithoutModuleKindAreCountedClauses) {
    struct Case {
        const char* op;
        unsigned int outWidth;
        std::vector<Input> inputs;
        uint64_t expected;
        unsigned long k;
    };
    const std::vector<Case> cases = {
        {"NEG", 4, {{4, 3}}, 13, 0},
        {"SignExtend", 8, {{4, 9}}, 0xF9, 0},
        {"ZeroExtend", 8, {{4, 9}}, 0x09, 0},
        {"SHRCONST", 4, {{4, 11}, {4, 0}}, 5, 1},
        {"SHLCONST", 4, {{4, 11}, {4, 0}}, 8, 3},
        {"NAND", 4, {{4, 12}, {4, 10}}, 7, 0},
        {"NOR", 4, {{4, 12}, {4, 10}}, 1, 0},
        {"NXOR", 4, {{4, 12}, {4, 10}}, 9, 0},
        {"SUB", 4, {{4, 3}, {4, 9}}, 10, 0},
        {"DIV", 4, {{4, 13}, {4, 4}}, 3, 0},
        {"REM", 4, {{4, 13}, {4, 4}}, 1, 0},
        {"SDIV", 4, {{4, 9}, {4, 2}}, asPattern(-3, 4), 0},
        {"SREM", 4, {{4, 9}, {4, 2}}, asPattern(-1, 4), 0},
        {"SMOD", 4, {{4, 9}, {4, 2}}, 1, 0},
        {"SMOD", 4, {{4, 4}, {4, asPattern(-2, 4)}}, 0, 0},
        {"SMOD", 4, {{4, 7}, {4, asPattern(-2, 4)}}, asPattern(-1, 4), 0},
    };
    for (const Case& c : cases) {
        Outcome outcome = dispatch(c.op, c.outWidth, c.inputs, c.k);
        EXPECT_EQ(outcome.value, c.expected) << c.op;
        EXPECT_EQ(outcome.asClauses, 1) << c.op;
    }
}

TEST(DispatchDeathTest, UnknownNamesAndOversizedShiftsAreFatal) {
    Session run;
    Bits one = run.freshWord(1)->cnfVars;
    Bits a = run.freshWord(4)->cnfVars;
    Bits b = run.freshWord(4)->cnfVars;
    Bits out = run.freshWord(4)->cnfVars;
    EXPECT_DEATH(run.generator.addOp1("ORreduce", one, a, ""),
                 report("GeneratorTORVA", 120, "operator not supported: ORreduce"));
    EXPECT_DEATH(run.generator.addOp1("ANDreduce", one, a, ""),
                 report("GeneratorTORVA", 120, "operator not supported: ANDreduce"));
    EXPECT_DEATH(run.generator.addOp1("not", one, one, ""), report("GeneratorTORVA", 120, "operator not supported: not"));
    EXPECT_DEATH(run.generator.addOp2("add", out, a, b, 0), report("GeneratorTORVA", 215, "operator not supported: add"));
    EXPECT_DEATH(run.generator.addOp3("ite", out, one, a, b), report("GeneratorTORVA", 233, "operator not supported: ite"));

    mpz_class tooFar("4294967296");
    EXPECT_DEATH(run.generator.addOp2("SHRCONST", out, a, b, tooFar),
                 report("GeneratorTORVA", 160, "constvalue to big for uint"));
    EXPECT_DEATH(run.generator.addOp2("SHLCONST", out, a, b, tooFar),
                 report("GeneratorTORVA", 168, "constvalue to big for uint"));
    // The largest 32-bit distance passes the dispatch; the encoder rejects it.
    EXPECT_DEATH(run.generator.addOp2("SHLCONST", out, a, b, mpz_class("4294967295")), "File: VerificationModelCNF");
}

TEST(DispatchDeathTest, EncoderClauseAgainstFixedBitsEndsTheRunAsUnsatisfiable) {
    Session run;
    Bits in = run.word(2, 1)->cnfVars;
    Bits out = run.word(4, 15)->cnfVars;
    EXPECT_EXIT(
        {
            dup2(STDERR_FILENO, STDOUT_FILENO);
            run.generator.addOp1("ZeroExtend", out, in, "");
        },
        ::testing::ExitedWithCode(20), exactly("Result: UNSATISFIABLE\n"));
}
