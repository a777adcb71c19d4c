// Operation dispatch: each configuration flag chooses between a module and
// clauses counted in nModulesAsClauses (and the default configuration's
// choice), one value per operation showing the operands reach it in order
// (both paths are checked on every value by the module and encoder tests);
// operations without a module kind are counted clauses, their values checked
// here where the operator translation does not reach them (its tests check
// the others on every 4-bit pair); rejected names and shift distances are
// fatal.
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
}  // namespace

TEST(Dispatch, EachFlagChoosesBetweenModuleAndCountedClauses) {
    ConfigGuard guard;
    struct FlaggedCase {
        const char* op;
        bool ToClauses::*flag;
        bool moduleByDefault;
        unsigned int outWidth;
        std::vector<Input> inputs;
        uint64_t expected;
    };
    const FlaggedCase cases[] = {
        {"NOT", &ToClauses::invCls, false, 1, {{1, 1}}, 0},
        {"BUF", &ToClauses::idCls, false, 1, {{1, 1}}, 1},
        {"EQUAL", &ToClauses::eqCls, false, 1, {{4, 9}, {4, 9}}, 1},
        {"AND", &ToClauses::andCls, false, 1, {{1, 1}, {1, 0}}, 0},
        {"OR", &ToClauses::orCls, false, 1, {{1, 0}, {1, 1}}, 1},
        {"XOR", &ToClauses::xorCls, false, 1, {{1, 1}, {1, 1}}, 0},
        {"ADD", &ToClauses::addCls, false, 5, {{4, 9}, {4, 12}}, 21},
        {"MUL", &ToClauses::mulCls, false, 8, {{4, 13}, {4, 11}}, 143},
        {"SHL", &ToClauses::shiftCls, true, 4, {{4, 11}, {4, 2}}, 12},
        {"SHR", &ToClauses::shiftCls, true, 4, {{4, 11}, {4, 2}}, 2},
        {"ITE", &ToClauses::iteCls, true, 4, {{1, 1}, {4, 5}, {4, 10}}, 5},
    };
    enum class Choice { Clauses, Module, Default };
    for (const FlaggedCase& c : cases) {
        for (Choice choice : {Choice::Clauses, Choice::Module, Choice::Default}) {
            toClses = ToClauses();
            if (choice != Choice::Default) toClses.*c.flag = choice == Choice::Clauses;
            addCounter = mulCounter = 0;
            Outcome outcome = dispatch(c.op, c.outWidth, c.inputs);
            bool module = choice == Choice::Default ? c.moduleByDefault : choice == Choice::Module;
            SCOPED_TRACE(std::string(c.op) + " choice " + std::to_string(static_cast<int>(choice)));
            EXPECT_EQ(outcome.value, c.expected);
            EXPECT_EQ(outcome.modules, module ? 1 : 0);
            EXPECT_EQ(outcome.asClauses, module ? 0 : 1);
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
    const Case cases[] = {
        {"NEG", 4, {{4, 3}}, 13, 0},
        {"SignExtend", 8, {{4, 9}}, 0xF9, 0},
        {"ZeroExtend", 8, {{4, 9}}, 0x09, 0},
        {"SHRCONST", 4, {{4, 11}, {4, 0}}, 5, 1},
        {"SHLCONST", 4, {{4, 11}, {4, 0}}, 8, 3},
        {"SMOD", 4, {{4, 9}, {4, 2}}, 1, 0},
        {"SMOD", 4, {{4, 4}, {4, 14}}, 0, 0},   // 4 smod -2
        {"SMOD", 4, {{4, 7}, {4, 14}}, 15, 0},  // 7 smod -2 = -1
    };
    for (const Case& c : cases) {
        Outcome outcome = dispatch(c.op, c.outWidth, c.inputs, c.k);
        EXPECT_EQ(outcome.value, c.expected) << c.op;
        EXPECT_EQ(outcome.asClauses, 1) << c.op;
    }
    // Their values are checked through the translation.
    for (const char* op : {"NAND", "NOR", "NXOR", "SUB", "DIV", "REM", "SDIV", "SREM"})
        EXPECT_EQ(dispatch(op, 4, {{4, 12}, {4, 10}}).asClauses, 1) << op;
    for (const char* op : {"LESS", "LESSEQUAL", "GREATER", "GREATEREQUAL", "SLESS", "SLESSEQUAL", "SGREATER",
                           "SGREATEREQUAL"})
        EXPECT_EQ(dispatch(op, 1, {{4, 8}, {4, 7}}).asClauses, 1) << op;
}

TEST(DispatchDeathTest, UnknownNamesAndOversizedShiftsAreFatal) {
    Session run;
    Bits one = run.freshWord(1)->cnfVars;
    Bits a = run.freshWord(4)->cnfVars;
    Bits b = run.freshWord(4)->cnfVars;
    Bits out = run.freshWord(4)->cnfVars;
    for (const char* op : {"ORreduce", "ANDreduce", "not"})
        EXPECT_DEATH(run.generator.addOp1(op, one, a, ""),
                     report("GeneratorTORVA", 120, std::string("operator not supported: ") + op));
    EXPECT_DEATH(run.generator.addOp2("add", out, a, b, 0),
                 report("GeneratorTORVA", 215, "operator not supported: add"));
    EXPECT_DEATH(run.generator.addOp3("ite", out, one, a, b),
                 report("GeneratorTORVA", 233, "operator not supported: ite"));

    mpz_class tooFar("4294967296");
    EXPECT_DEATH(run.generator.addOp2("SHRCONST", out, a, b, tooFar),
                 report("GeneratorTORVA", 160, "constvalue to big for uint"));
    EXPECT_DEATH(run.generator.addOp2("SHLCONST", out, a, b, tooFar),
                 report("GeneratorTORVA", 168, "constvalue to big for uint"));
    // The largest 32-bit distance passes the dispatch; the encoder rejects it.
    EXPECT_DEATH(run.generator.addOp2("SHLCONST", out, a, b, mpz_class("4294967295")), "File: VerificationModelCNF");

    // A clause of the encoder against fixed bits ends the run as unsatisfiable.
    Bits in = run.word(2, 1)->cnfVars;
    Bits full = run.word(4, 15)->cnfVars;
    EXPECT_EXIT(
        {
            dup2(STDERR_FILENO, STDOUT_FILENO);
            run.generator.addOp1("ZeroExtend", full, in, "");
        },
        ::testing::ExitedWithCode(20), exactly("Result: UNSATISFIABLE\n"));
}
