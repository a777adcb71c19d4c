// Terms as the reader builds them: let scoping, definitions with parameters,
// names, every literal form, every operator of the kind table against the
// evaluator at small widths, and nesting a million levels deep.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "script_harness.h"
#include "terms/evaluator.h"

namespace torva::smt2::testing {
namespace {

TEST(Terms, LetBindsInParallelAndShadows) {
    expectRuns({
        {"bindings are read in the outer scope",
         "(declare-const x Bool)(declare-const y Bool)(assert (let ((x y) (y x)) (and x (not y))))(check-sat)"
         "(get-model)",
         "sat\n(\n  (define-fun x () Bool false)\n  (define-fun y () Bool true)\n)\n", 10},
        {"an inner let shadows and its end restores the outer meaning",
         "(declare-const x (_ BitVec 2))(assert (= x (let ((x #b01)) (let ((x (bvadd x x))) x))))"
         "(assert (= (bvadd (let ((x #b11)) x) x) #b01))(check-sat)(get-model)",
         "sat\n(\n  (define-fun x () (_ BitVec 2) #b10)\n)\n", 10},
        {"let shadows a definition",
         "(define-fun f () Bool true)(assert (let ((f false)) (not f)))(assert f)(check-sat)", "sat\n", 10},
        {"a binding's term may contain lets",
         "(declare-const x (_ BitVec 2))(assert (let ((a (let ((a #b01)) (bvadd a a))) (b x)) (= a b)))(check-sat)"
         "(get-value (x))",
         "sat\n((x #b10))\n", 10},
        {"names inside lets",
         "(declare-const x (_ BitVec 1))(assert (let ((t (= x #b1))) (! t :named n)))(check-sat)(get-assignment)",
         "sat\n((n true))\n", 10},
    });
}

TEST(Terms, DefinitionsExpandWithTheirArguments) {
    expectRuns({
        {"parameters, argument order, a parameter shadowing a global and nested definitions",
         "(declare-const x (_ BitVec 4))(declare-const p Bool)"
         "(define-fun f ((a (_ BitVec 4)) (b (_ BitVec 4))) (_ BitVec 4) (bvsub a b))"
         "(define-fun g ((x (_ BitVec 4))) (_ BitVec 4) (f x #x1))"
         "(define-fun h () (_ BitVec 4) (g (g x)))"
         "(define-fun k ((c Bool) (x (_ BitVec 4))) Bool (ite c (= x h) p))"
         "(assert (= (g x) #x3))(assert (k true #x2))(check-sat)"
         "(get-value (x (g #x0) (f #x1 #x3) h (k false x) (k true #x2)))",
         "sat\n((x #b0100) ((g #x0) #b1111) ((f #x1 #x3) #b1110) (h #b0010) ((k false x) false) ((k true #x2) "
         "true))\n",
         10},
        {"a parameter unused by the body", "(define-fun c ((u Bool)) Bool true)(assert (c false))(check-sat)", "sat\n",
         10},
        {"definitions applied a hundred thousand levels deep",
         "(declare-const x (_ BitVec 2))(define-fun inc ((v (_ BitVec 2))) (_ BitVec 2) (bvadd v #b01))(assert (= " +
             [] {
                 std::string s;
                 for (int i = 0; i < 100001; i++) s += "(inc ";
                 return s + "x" + std::string(100001, ')');
             }() +
             " #b00))(check-sat)(get-model)",
         "sat\n(\n  (define-fun x () (_ BitVec 2) #b11)\n)\n", 10},
    });
}

TEST(Terms, LiteralForms) {
    expectRuns({
        {"binary, hexadecimal and decimal constants agree",
         "(assert (= #b0101 #x5 (_ bv5 4)))(assert (= #xAbC #xaBc (_ bv2748 12)))(assert (= (_ bv255 8) #xff))"
         "(assert (= #x0123456789abcdef0123 (_ bv5373003642731685151011 80)))(assert (distinct #b0 #b1))"
         "(assert (= (_ bv0 1) #b0))(check-sat)(get-value ((_ bv255 8) #x0000000000000000000f #b1 true false))",
         "sat\n(((_ bv255 8) #b11111111) (#x0000000000000000000f #b" + std::string(76, '0') +
             "1111) (#b1 #b1) (true true) (false false))\n",
         10},
        {"a long constant differs in its lowest digit",
         "(assert (= #x0123456789abcdef0123 (_ bv5373003642731685151012 80)))(check-sat)", "unsat\n", 20},
        {"a literal longer than a read",
         "(assert (= #b" + std::string(3000000, '1') + " (bvnot #b" + std::string(3000000, '0') + ")))(check-sat)",
         "sat\n", 10},
    });
}

std::string literal(const terms::TermStore& store, terms::TermId t) {
    return terms::formatValue(store.sort(t), store.value(t));
}

// The operand sorts an operator takes: all bit-vectors, all Booleans, or a
// Boolean then bit-vectors (ite); every pattern the store accepts is used.
std::vector<std::vector<bool>> operandPatterns(terms::TermStore& store, terms::Kind kind, size_t arity,
                                               const std::vector<uint32_t>& indices) {
    std::vector<std::vector<bool>> patterns = {std::vector<bool>(arity, false), std::vector<bool>(arity, true)};
    if (arity > 1) {
        patterns.push_back(std::vector<bool>(arity, false));
        patterns.back()[0] = true;
    }
    std::vector<std::vector<bool>> accepted;
    for (const auto& pattern : patterns) {
        std::vector<terms::TermId> args;
        for (bool isBool : pattern) args.push_back(isBool ? store.mkBool(true) : store.mkConst(3, 1));
        try {
            store.mk(kind, args, indices);
            accepted.push_back(pattern);
        } catch (const terms::SortError&) {
        }
    }
    return accepted;
}

// Every operator of the kind table applied to every combination of constant
// operands (width 3, and width 1 with three operands for the n-ary ones)
// through get-value, against the evaluator on the same application built
// directly in a store.
TEST(Terms, EveryOperatorAgreesWithTheEvaluator) {
    for (int k = 0; k < terms::kNumKinds; k++) {
        const terms::KindInfo& info = terms::kindInfo(static_cast<terms::Kind>(k));
        if (info.name[0] == '\0') continue;
        std::vector<uint32_t> indices;
        if (info.numIndices == 2) indices = {2, 1};
        if (info.numIndices == 1) indices = {2};
        std::string head = indices.empty()       ? info.name
                           : indices.size() == 2 ? "(_ " + std::string(info.name) + " 2 1)"
                                                 : "(_ " + std::string(info.name) + " 2)";
        std::vector<size_t> arities = {info.minArgs};
        if (info.chain != terms::Chain::None) arities.push_back(info.minArgs + 1u);
        terms::TermStore store;
        terms::Evaluator evaluator(store);
        std::string script = "(check-sat)(get-value (", expected = "sat\n(";
        size_t forms = 0;
        for (size_t arity : arities) {
            const uint32_t width = arity > 2 ? 1 : 3;
            for (const auto& pattern : operandPatterns(store, info.kind, arity, indices)) {
                uint32_t combos = 1;
                for (bool isBool : pattern) combos *= isBool ? 2 : 1u << width;
                for (uint32_t c = 0; c < combos; c++) {
                    std::vector<terms::TermId> args;
                    std::string text = "(" + head;
                    uint32_t rest = c;
                    for (bool isBool : pattern) {
                        uint32_t values = isBool ? 2 : 1u << width;
                        terms::TermId a = isBool ? store.mkBool(rest % values) : store.mkConst(width, rest % values);
                        rest /= values;
                        args.push_back(a);
                        text += " " + literal(store, a);
                    }
                    text += ")";
                    terms::TermId t = store.mk(info.kind, args, indices);
                    if (forms++ > 0) {
                        script += " ";
                        expected += " ";
                    }
                    script += text;
                    expected += "(" + text + " " + terms::formatValue(store.sort(t), evaluator.value(t)) + ")";
                }
            }
        }
        ASSERT_GT(forms, 0u) << info.name;
        ScriptRun run = runScriptText(script + "))");
        EXPECT_EQ(run.output, expected + ")\n") << info.name;
    }
}

TEST(Terms, NestingAMillionLevelsDeep) {
    const int depth = 1000001;
    std::string lets;
    for (int i = 0; i < depth; i++) lets += "(let ((p (not p))) ";
    std::string nots;
    for (int i = 0; i < depth; i++) nots += "(not ";
    expectRuns({
        {"lets, each shadowing the last",
         "(declare-const p Bool)(assert " + lets + "p" + std::string(depth, ')') + ")(check-sat)(get-model)",
         "sat\n(\n  (define-fun p () Bool false)\n)\n", 10},
        {"applications",
         "(declare-const p Bool)(assert " + nots + "p" + std::string(depth, ')') + ")(check-sat)(get-model)",
         "sat\n(\n  (define-fun p () Bool false)\n)\n", 10},
        {"an application left open a million times", "(assert " + nots + "true",
         "(error \"1:" + std::to_string(8 + 5 * depth + 4 + 1) + ": unexpected end of input\")\n", 1},
    });
}

}  // namespace
}  // namespace torva::smt2::testing
