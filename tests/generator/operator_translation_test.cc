// Operator translation: the value of every SMT-LIB operator on every pair of
// 4-bit constants, the connectives and the rewrites of iff, distinct and
// implies with the operations they make, result widths and shared bits, and
// the operand checks.
#include <functional>
#include <tuple>

#include "generator/generator_session.h"

namespace {
struct Operand {
    bool isBool;
    unsigned int width;
    uint64_t value;
};

Operand bv(unsigned int width, uint64_t value) { return {false, width, value}; }
Operand flag(bool value) { return {true, 1, value ? 1u : 0u}; }

const unsigned int kWidth = 4;
// A result the operator leaves open (division by zero).
const uint64_t kOpen = ~uint64_t(0);

uint64_t truncate(uint64_t v) { return v & 15; }
// The two's-complement reading of a 4-bit pattern, and back.
int64_t sig(uint64_t v) { return v & 8 ? static_cast<int64_t>(v) - 16 : static_cast<int64_t>(v); }
uint64_t pattern(int64_t v) { return static_cast<uint64_t>(v) & 15; }
uint64_t truth(bool b) { return b ? 1 : 0; }

// Applies `name` to constants on a fresh solver and reads the result back.
void expectTranslation(const std::string& name, const std::vector<Operand>& operands, uint64_t expected) {
    Session run;
    std::vector<Signal*> ops;
    std::string call = "(" + name;
    for (const Operand& op : operands) {
        ops.push_back(op.isBool ? run.boolean(op.value != 0) : run.word(op.width, op.value));
        call += " " + std::to_string(op.value);
    }
    Signal* result = run.apply(name, ops);
    ASSERT_TRUE(run.solve()) << call << ")";
    EXPECT_EQ(run.modelValue(result->cnfVars), expected) << call << ")";
}
}  // namespace

// Every binary word operator and predicate on every pair of 4-bit values,
// and the unary ones on every value.
TEST(OperatorTranslation, ArithmeticAndBitwiseOperatorsComputeModuloTheWidth) {
    ConfigGuard guard;
    const std::pair<const char*, std::function<uint64_t(uint64_t, uint64_t)>> operators[] = {
        {"bvadd", [](uint64_t a, uint64_t b) { return truncate(a + b); }},
        {"bvsub", [](uint64_t a, uint64_t b) { return truncate(a - b); }},
        {"bvmul", [](uint64_t a, uint64_t b) { return truncate(a * b); }},
        {"bvand", [](uint64_t a, uint64_t b) { return a & b; }},
        {"bvor", [](uint64_t a, uint64_t b) { return a | b; }},
        {"bvxor", [](uint64_t a, uint64_t b) { return a ^ b; }},
        {"bvxnor", [](uint64_t a, uint64_t b) { return truncate(~(a ^ b)); }},
        {"bvnand", [](uint64_t a, uint64_t b) { return truncate(~(a & b)); }},
        {"bvnor", [](uint64_t a, uint64_t b) { return truncate(~(a | b)); }},
        {"bvshl", [](uint64_t a, uint64_t b) { return b >= kWidth ? 0 : truncate(a << b); }},
        {"bvlshr", [](uint64_t a, uint64_t b) { return b >= kWidth ? 0 : a >> b; }},
        {"bvudiv", [](uint64_t a, uint64_t b) { return b == 0 ? kOpen : a / b; }},
        {"bvurem", [](uint64_t a, uint64_t b) { return b == 0 ? a : a % b; }},
        {"bvsdiv", [](uint64_t a, uint64_t b) { return b == 0 ? kOpen : pattern(sig(a) / sig(b)); }},
        {"bvsrem", [](uint64_t a, uint64_t b) { return b == 0 ? kOpen : pattern(sig(a) % sig(b)); }},
        {"bvcomp", [](uint64_t a, uint64_t b) { return truth(a == b); }},
        {"bvult", [](uint64_t a, uint64_t b) { return truth(a < b); }},
        {"bvule", [](uint64_t a, uint64_t b) { return truth(a <= b); }},
        {"bvugt", [](uint64_t a, uint64_t b) { return truth(a > b); }},
        {"bvuge", [](uint64_t a, uint64_t b) { return truth(a >= b); }},
        {"bvslt", [](uint64_t a, uint64_t b) { return truth(sig(a) < sig(b)); }},
        {"bvsle", [](uint64_t a, uint64_t b) { return truth(sig(a) <= sig(b)); }},
        {"bvsgt", [](uint64_t a, uint64_t b) { return truth(sig(a) > sig(b)); }},
        {"bvsge", [](uint64_t a, uint64_t b) { return truth(sig(a) >= sig(b)); }},
    };
    for (const auto& [name, reference] : operators) {
        for (uint64_t a = 0; a < 16; ++a) {
            for (uint64_t b = 0; b < 16; ++b) {
                if (reference(a, b) == kOpen) continue;
                expectTranslation(name, {bv(kWidth, a), bv(kWidth, b)}, reference(a, b));
            }
        }
    }
    for (uint64_t a = 0; a < 16; ++a) {
        expectTranslation("bvneg", {bv(kWidth, a)}, truncate(-a));
        expectTranslation("bvnot", {bv(kWidth, a)}, truncate(~a));
    }
}

// The connectives on every truth assignment, and the generator operations
// the rewrites of iff, distinct and implies make (with the default
// configuration EQUAL, NOT, OR and AND are all clauses).
TEST(OperatorTranslation, ConnectivesAndRewrites) {
    ConfigGuard guard;
    for (bool p : {false, true}) {
        expectTranslation("not", {flag(p)}, truth(!p));
        for (bool q : {false, true}) {
            expectTranslation("and", {flag(p), flag(q)}, truth(p && q));
            expectTranslation("or", {flag(p), flag(q)}, truth(p || q));
            expectTranslation("xor", {flag(p), flag(q)}, truth(p != q));
            expectTranslation("implies", {flag(p), flag(q)}, truth(!p || q));
            for (bool r : {false, true}) {
                expectTranslation("iff", {flag(p), flag(q), flag(r)}, truth(p == q && p == r));
                expectTranslation("ite", {flag(p), flag(q), flag(r)}, truth(p ? q : r));
                expectTranslation("if_then_else", {flag(p), bv(3, q ? 5 : 6), bv(3, r ? 1 : 2)},
                                  p ? (q ? 5u : 6u) : (r ? 1u : 2u));
            }
        }
    }
    expectTranslation("distinct", {bv(4, 1), bv(4, 2), bv(4, 3)}, 1);
    expectTranslation("distinct", {bv(4, 1), bv(4, 2), bv(4, 1)}, 0);
    expectTranslation("distinct", {bv(4, 2), bv(4, 1), bv(4, 1)}, 0);
    expectTranslation("distinct", {bv(4, 7), bv(4, 8)}, 1);
    expectTranslation("iff", {bv(4, 7), bv(4, 7)}, 1);  // iff does not insist on booleans

    const std::tuple<const char*, size_t, int> rewrites[] = {
        {"iff", 2, 1}, {"iff", 3, 3}, {"iff", 4, 5}, {"distinct", 2, 2}, {"distinct", 3, 8}, {"distinct", 4, 17},
        {"implies", 2, 2}};
    for (const auto& [name, operands, asClauses] : rewrites) {
        Session run;
        std::vector<Signal*> ops;
        for (size_t i = 0; i < operands; ++i) ops.push_back(run.freshWord(1));
        run.apply(name, ops);
        EXPECT_EQ(run.solver.nModulesAsClauses, asClauses) << name << " over " << operands;
        EXPECT_EQ(run.solver.nModules, 0);
    }
}

// ADD and MUL results keep the low bits of the generator's wider output;
// concat shares its operands' bits, making neither variables nor clauses;
// every result has the kind and width of its operator.
TEST(OperatorTranslation, ResultsShareOrKeepTheLowBits) {
    auto shape = [](const Signal* s) {
        return (s->kind == SIGNAL_BOOL ? "bool " : "bv ") + std::to_string(s->bitsize);
    };
    Session run;
    Signal* x = run.freshWord(8);
    Signal* y = run.freshWord(8);
    Signal* sum = run.apply("bvadd", {x, y});
    EXPECT_EQ(sum->cnfVars, (Bits{17, 18, 19, 20, 21, 22, 23, 24})) << "the low bits of the 9-bit ADD output";
    Signal* a = run.freshWord(2);
    Signal* b = run.freshWord(2);
    Signal* product = run.apply("bvmul", {a, b});
    const unsigned int first = a->cnfVars[0];
    EXPECT_EQ(product->cnfVars, (Bits{first + 4, first + 5})) << "the low bits of the 4-bit MUL output";

    Signal* high = run.freshWord(4);
    Signal* low = run.freshWord(8);
    const unsigned int variables = run.generator.lastCnfVar;
    const int clauses = run.solver.nClauses();
    Signal* joined = run.apply("concat", {high, low});
    Bits expected = low->cnfVars;
    expected.insert(expected.end(), high->cnfVars.begin(), high->cnfVars.end());
    EXPECT_EQ(joined->cnfVars, expected);
    EXPECT_EQ(run.generator.lastCnfVar, variables) << "concat makes no variables";
    EXPECT_EQ(run.solver.nClauses(), clauses) << "concat makes no clauses";

    Signal* cond = run.own(newSignalBool(true));
    std::string shapes;
    for (Signal* r : {sum, product, joined, run.apply("ite", {cond, x, y}), run.apply("ite", {cond, cond, cond}),
                      run.apply("bvult", {x, y})})
        shapes += shape(r) + ", ";
    EXPECT_EQ(shapes, "bv 8, bv 2, bv 12, bv 8, bool 1, bool 1, ");
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
    // The reductions are translated, and the dispatch refuses them.
    EXPECT_DEATH(translate("bvredor", {x}), report("GeneratorTORVA", 120, "operator not supported: ORreduce"));
    EXPECT_DEATH(translate("bvredand", {x}), report("GeneratorTORVA", 120, "operator not supported: ANDreduce"));
}
