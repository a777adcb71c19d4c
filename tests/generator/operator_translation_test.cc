// Operator translation: the value of every SMT-LIB operator on constants,
// result widths and shared bits, the rewrites of iff, distinct and implies,
// and the operand checks.
#include <functional>

#include "generator/generator_session.h"

namespace {
struct Operand {
    bool isBool;
    unsigned int width;
    uint64_t value;
};

Operand bv(unsigned int width, uint64_t value) { return {false, width, value}; }
Operand flag(bool value) { return {true, 1, value ? 1u : 0u}; }

// Applies `name` to constants on a fresh solver and reads the result back.
uint64_t evaluate(const std::string& name, const std::vector<Operand>& operands) {
    Session run;
    std::vector<Signal*> ops;
    for (const Operand& op : operands) ops.push_back(op.isBool ? run.boolean(op.value != 0) : run.word(op.width, op.value));
    Signal* result = run.apply(name, ops);
    EXPECT_TRUE(run.solve()) << name;
    return run.modelValue(result->cnfVars);
}

const unsigned int kWidth = 4;
const uint64_t kSamples[] = {0, 1, 6, 8, 9, 15};

typedef std::function<uint64_t(uint64_t, uint64_t)> Reference;

uint64_t truncate(uint64_t v) { return v & lowMask(kWidth); }
int64_t sig(uint64_t v) { return asSigned(v, kWidth); }
uint64_t pattern(int64_t v) { return asPattern(v, kWidth); }
uint64_t truth(bool b) { return b ? 1 : 0; }

void expectBinary(const std::string& name, const Reference& reference, bool nonZeroDivisor = false) {
    for (uint64_t a : kSamples) {
        for (uint64_t b : kSamples) {
            if (nonZeroDivisor && b == 0) continue;
            EXPECT_EQ(evaluate(name, {bv(kWidth, a), bv(kWidth, b)}), reference(a, b))
                << "(" << name << " " << a << " " << b << ")";
        }
    }
}
}  // namespace

TEST(OperatorTranslation, ArithmeticAndBitwiseOperatorsComputeModuloTheWidth) {
    ConfigGuard guard;
    expectBinary("bvadd", [](uint64_t a, uint64_t b) { return truncate(a + b); });
    expectBinary("bvsub", [](uint64_t a, uint64_t b) { return truncate(a - b); });
    expectBinary("bvmul", [](uint64_t a, uint64_t b) { return truncate(a * b); });
    expectBinary("bvand", [](uint64_t a, uint64_t b) { return a & b; });
    expectBinary("bvor", [](uint64_t a, uint64_t b) { return a | b; });
    expectBinary("bvxor", [](uint64_t a, uint64_t b) { return a ^ b; });
    expectBinary("bvxnor", [](uint64_t a, uint64_t b) { return truncate(~(a ^ b)); });
    expectBinary("bvnand", [](uint64_t a, uint64_t b) { return truncate(~(a & b)); });
    expectBinary("bvnor", [](uint64_t a, uint64_t b) { return truncate(~(a | b)); });
    expectBinary("bvshl", [](uint64_t a, uint64_t b) { return b >= kWidth ? 0 : truncate(a << b); });
    expectBinary("bvlshr", [](uint64_t a, uint64_t b) { return b >= kWidth ? 0 : a >> b; });
    for (uint64_t a : kSamples) {
        EXPECT_EQ(evaluate("bvneg", {bv(kWidth, a)}), truncate(-a)) << a;
        EXPECT_EQ(evaluate("bvnot", {bv(kWidth, a)}), truncate(~a)) << a;
    }
}

TEST(OperatorTranslation, DivisionOperatorsFollowTheirSignedness) {
    ConfigGuard guard;
    expectBinary("bvudiv", [](uint64_t a, uint64_t b) { return a / b; }, true);
    expectBinary("bvurem", [](uint64_t a, uint64_t b) { return b == 0 ? a : a % b; });
    expectBinary("bvsdiv", [](uint64_t a, uint64_t b) { return pattern(sig(a) / sig(b)); }, true);
    expectBinary("bvsrem", [](uint64_t a, uint64_t b) { return pattern(sig(a) % sig(b)); }, true);
}

TEST(OperatorTranslation, PredicatesCompareUnsignedOrSigned) {
    ConfigGuard guard;
    expectBinary("bvcomp", [](uint64_t a, uint64_t b) { return truth(a == b); });
    expectBinary("bvult", [](uint64_t a, uint64_t b) { return truth(a < b); });
    expectBinary("bvule", [](uint64_t a, uint64_t b) { return truth(a <= b); });
    expectBinary("bvugt", [](uint64_t a, uint64_t b) { return truth(a > b); });
    expectBinary("bvuge", [](uint64_t a, uint64_t b) { return truth(a >= b); });
    expectBinary("bvslt", [](uint64_t a, uint64_t b) { return truth(sig(a) < sig(b)); });
    expectBinary("bvsle", [](uint64_t a, uint64_t b) { return truth(sig(a) <= sig(b)); });
    expectBinary("bvsgt", [](uint64_t a, uint64_t b) { return truth(sig(a) > sig(b)); });
    expectBinary("bvsge", [](uint64_t a, uint64_t b) { return truth(sig(a) >= sig(b)); });
}

TEST(OperatorTranslation, ConnectivesAndRewrites) {
    ConfigGuard guard;
    for (bool p : {false, true}) {
        EXPECT_EQ(evaluate("not", {flag(p)}), truth(!p));
        for (bool q : {false, true}) {
            EXPECT_EQ(evaluate("and", {flag(p), flag(q)}), truth(p && q));
            EXPECT_EQ(evaluate("or", {flag(p), flag(q)}), truth(p || q));
            EXPECT_EQ(evaluate("xor", {flag(p), flag(q)}), truth(p != q));
            EXPECT_EQ(evaluate("implies", {flag(p), flag(q)}), truth(!p || q)) << p << " => " << q;
            for (bool r : {false, true}) {
                EXPECT_EQ(evaluate("iff", {flag(p), flag(q), flag(r)}), truth(p == q && p == r));
                EXPECT_EQ(evaluate("ite", {flag(p), flag(q), flag(r)}), truth(p ? q : r));
                EXPECT_EQ(evaluate("if_then_else", {flag(p), bv(3, q ? 5 : 6), bv(3, r ? 1 : 2)}),
                          p ? (q ? 5u : 6u) : (r ? 1u : 2u));
            }
        }
    }
    EXPECT_EQ(evaluate("distinct", {bv(4, 1), bv(4, 2), bv(4, 3)}), 1u);
    EXPECT_EQ(evaluate("distinct", {bv(4, 1), bv(4, 2), bv(4, 1)}), 0u);
    EXPECT_EQ(evaluate("distinct", {bv(4, 2), bv(4, 1), bv(4, 1)}), 0u);
    EXPECT_EQ(evaluate("distinct", {bv(4, 7), bv(4, 8)}), 1u);
    EXPECT_EQ(evaluate("iff", {bv(4, 7), bv(4, 7)}), 1u) << "iff does not insist on booleans";
}

TEST(OperatorTranslation, RewritesMakeTheListedOperations) {
    struct Case {
        const char* name;
        size_t operands;
        int asClauses;
    };
    // With the default configuration EQUAL, NOT, OR and AND are all clauses.
    const Case cases[] = {{"iff", 2, 1}, {"iff", 3, 3}, {"iff", 4, 5}, {"distinct", 2, 2},
                          {"distinct", 3, 8}, {"distinct", 4, 17}, {"implies", 2, 2}};
    for (const Case& c : cases) {
        Session run;
        std::vector<Signal*> ops;
        for (size_t i = 0; i < c.operands; ++i) ops.push_back(run.freshWord(1));
        run.apply(c.name, ops);
        EXPECT_EQ(run.solver.nModulesAsClauses, c.asClauses) << c.name << " over " << c.operands;
        EXPECT_EQ(run.solver.nModules, 0);
    }
}

TEST(OperatorTranslation, ResultsShareOrKeepTheLowBits) {
    Session run;
    Signal* x = run.freshWord(8);
    Signal* y = run.freshWord(8);
    Signal* sum = run.apply("bvadd", {x, y});
    EXPECT_EQ(sum->bitsize, 8u);
    EXPECT_EQ(sum->cnfVars, (Bits{17, 18, 19, 20, 21, 22, 23, 24})) << "the low bits of the 9-bit ADD output";
    EXPECT_EQ(sum->kind, SIGNAL_BITVECTOR);

    Signal* a = run.freshWord(2);
    Signal* b = run.freshWord(2);
    unsigned int first = a->cnfVars[0];
    Signal* product = run.apply("bvmul", {a, b});
    EXPECT_EQ(product->bitsize, 2u);
    EXPECT_EQ(product->cnfVars, (Bits{first + 4, first + 5})) << "the low bits of the 4-bit MUL output";

    Signal* high = run.freshWord(4);
    Signal* low = run.freshWord(8);
    unsigned int before = run.generator.lastCnfVar;
    int clauses = run.solver.nClauses();
    Signal* joined = run.apply("concat", {high, low});
    Bits expected = low->cnfVars;
    expected.insert(expected.end(), high->cnfVars.begin(), high->cnfVars.end());
    EXPECT_EQ(joined->cnfVars, expected);
    EXPECT_EQ(joined->bitsize, 12u);
    EXPECT_EQ(run.generator.lastCnfVar, before) << "concat makes no variables";
    EXPECT_EQ(run.solver.nClauses(), clauses) << "concat makes no clauses";

    Signal* cond = run.own(newSignalBool(true));
    Signal* choice = run.apply("ite", {cond, x, y});
    EXPECT_EQ(choice->kind, SIGNAL_BITVECTOR);
    EXPECT_EQ(choice->bitsize, 8u);
    Signal* pick = run.apply("ite", {cond, cond, cond});
    EXPECT_EQ(pick->kind, SIGNAL_BOOL);
    Signal* test = run.apply("bvult", {x, y});
    EXPECT_EQ(test->kind, SIGNAL_BOOL);
    EXPECT_EQ(test->bitsize, 1u);
}

TEST(OperatorTranslationDeathTest, OperandChecksAreFatal) {
    Session run;
    Signal* p = run.freshWord(1);
    p->kind = SIGNAL_BOOL;
    Signal* x = run.freshWord(8);
    Signal* y = run.freshWord(16);
    auto translate = [](const std::string& name, std::vector<Signal*> ops) { generateOp(name, &ops); };
    // Refusals of an operator or its operands name the reader that takes them.
    const std::string hint = "\n(torva --extended reads the whole SMT-LIB 1.2 QF_BV language)";

    EXPECT_DEATH(translate("not", {p, p}), report("smt2xml", 212, "ops != 12" + hint));
    EXPECT_DEATH(translate("bvneg", {x, x}), report("smt2xml", 223, "ops != 12" + hint));
    EXPECT_DEATH(translate("bvult", {x}), report("smt2xml", 234, "ops != 21" + hint));
    EXPECT_DEATH(translate("and", {p, p, p}), report("smt2xml", 245, "ops != 23" + hint));
    EXPECT_DEATH(translate("and", {x, p}), report("smt2xml", 248, "op0 is not a bool: and" + hint));
    EXPECT_DEATH(translate("or", {p, x}), report("smt2xml", 250, "op1 is not a bool: or" + hint));
    EXPECT_DEATH(translate("bvadd", {x, x, x}), report("smt2xml", 261, "ops != 23" + hint));
    EXPECT_DEATH(translate("concat", {x}), report("smt2xml", 289, "ops != 21" + hint));
    EXPECT_DEATH(translate("iff", {p}), report("smt2xml", 301, "ops < 21"));
    EXPECT_DEATH(translate("distinct", {x}), report("smt2xml", 315, "ops < 21"));
    EXPECT_DEATH(translate("implies", {p, p, p}), report("smt2xml", 337, "ops != 23" + hint));
    EXPECT_DEATH(translate("ite", {p, x}), report("smt2xml", 352, "ops != 32" + hint));
    EXPECT_DEATH(translate("if_then_else", {x, x, x}),
                 report("smt2xml", 354, "op0 is not a bool: if_then_else" + hint));
    EXPECT_DEATH(translate("ite", {p, x, y}), report("smt2xml", 356, "then and else have differen bitsize"));
    EXPECT_DEATH(translate("BVADD", {x, x}), report("smt2xml", 371, "operator not supported: BVADD" + hint));
    EXPECT_DEATH(translate("bvlt ", {x, x}), report("smt2xml", 371, "operator not supported: bvlt " + hint));
}

TEST(OperatorTranslationDeathTest, ReductionsReachTheDispatchAndStopThere) {
    Session run;
    Signal* x = run.freshWord(8);
    auto translate = [](const std::string& name, std::vector<Signal*> ops) { generateOp(name, &ops); };
    EXPECT_DEATH(translate("bvredor", {x}), report("GeneratorTORVA", 120, "operator not supported: ORreduce"));
    EXPECT_DEATH(translate("bvredand", {x}), report("GeneratorTORVA", 120, "operator not supported: ANDreduce"));
}
