// Every command of the reader and the exact text of its responses, with the
// exit status, on scripts whose answers the exhaustive check function
// decides independently; terms as the reader builds them (let scoping,
// definitions with parameters, names, every literal form, nesting a million
// levels deep) and every operator of the kind table against the evaluator at
// small widths.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "script_harness.h"
#include "terms/evaluator.h"

namespace torva::smt2::testing {
namespace {

std::string repeated(const std::string& s, int n) {
    std::string out;
    for (int i = 0; i < n; i++) out += s;
    return out;
}

TEST(Scripts, ResponsesAndExitStatus) {
    const int depth = 1000001;
    expectRuns({
        {"model of a sat script",
         "(set-logic QF_BV)\n(declare-const x (_ BitVec 4))\n(declare-fun p () Bool)\n"
         "(assert (= x #x5))\n(check-sat)\n(get-model)\n",
         "sat\n(\n  (define-fun x () (_ BitVec 4) #b0101)\n  (define-fun p () Bool false)\n)\n", 10},
        {"unsat", "(set-logic QF_BV)(declare-const a (_ BitVec 2))(assert (bvult a #b00))(check-sat)", "unsat\n", 20},
        {"print-success answers every command without other output",
         "(set-option :print-success true)(set-logic ALL)(set-info :status sat)(declare-const a (_ BitVec 2))"
         "(define-fun b () (_ BitVec 2) (bvnot a))(define-sort W () (_ BitVec 2))(push 1)(assert (bvult b #b01))"
         "(check-sat)(pop 1)(reset-assertions)(exit)",
         "success\nsuccess\nsuccess\nsuccess\nsuccess\nsuccess\nsuccess\nsuccess\nsat\nsuccess\nsuccess\nsuccess\n",
         10},
        {"print-success off again", "(set-option :print-success true)(set-option :print-success false)(echo \"x\")",
         "success\n\"x\"\n", 0},
        {"no check-sat", "(set-logic QF_BV)(declare-const a Bool)(assert a)", "", 0},
        {"the last answer decides the status", "(declare-const a Bool)(check-sat)(assert a)(assert (not a))(check-sat)",
         "sat\nunsat\n", 20},
        {"unknown answer and its reason",
         "(declare-const w (_ BitVec 32))(assert (= w w))(check-sat)(get-info :reason-unknown)",
         "unknown\n(:reason-unknown too-many-bits)\n", 0},
        {"unknown after sat resets the status",
         "(declare-const a Bool)(check-sat)(declare-const w (_ BitVec 17))(assert (= w w))(check-sat)",
         "sat\nunknown\n", 0},
        {"nothing after exit is read", "(declare-const a Bool)(check-sat)(exit)(check-sat) ) garbage (", "sat\n", 10},
        {"get-info",
         "(get-info :name)(get-info :version)(get-info :error-behavior)(get-info :authors)(get-info :all-statistics)",
         "(:name \"torva\")\n(:version \"0.3\")\n(:error-behavior immediate-exit)\n(:authors \"the torva "
         "developers\")\n"
         "(:all-statistics (:checks 0 :sat 0 :unsat 0 :unknown 0 :assertions 0 :scopes 0))\n",
         0},
        {"options",
         "(set-option :produce-models true)(set-option :produce-assignments false)(set-option :random-seed 7)"
         "(set-option :smtlib2_compliant (a (b c)))(set-option :verbosity)",
         "unsupported\nunsupported\nunsupported\n", 0},
        {"set-info with any value",
         "(set-info :source |multi\nline|)(set-info :smt-lib-version 2.6)(set-info :notes (a \"b\" (c)))(set-info "
         ":flag)",
         "", 0},
        {"echo prints the string as written", "(echo \"say \"\"hi\"\" (now)\")(echo \"\")",
         "\"say \"\"hi\"\" (now)\"\n\"\"\n", 0},
        {"get-value echoes the terms",
         "(declare-const x (_ BitVec 4))(declare-const y (_ BitVec 4))(assert (= (bvadd x y) #b0110))"
         "(assert (= x #b0101))(check-sat)(get-value (x (bvadd x   y) (bvadd x ; note\n\t y) (= x y) #x3 |y|))",
         "sat\n((x #b0101) ((bvadd x y) #b0110) ((bvadd x y) #b0110) ((= x y) false) (#x3 #b0011) (|y| #b0001))\n", 10},
        {"get-value of a variable the model leaves open",
         "(declare-const x (_ BitVec 3))(declare-const z (_ BitVec 3))(assert (= x #b001))(check-sat)"
         "(get-value (z (bvsub x z)))",
         "sat\n((z #b000) ((bvsub x z) #b001))\n", 10},
        {"get-assignment",
         "(declare-const a (_ BitVec 2))(assert (! (= a #b10) :named isTwo))"
         "(assert (or (! (= a #b00) :named isZero) (! (bvugt a #b01) :named big)))(define-fun s () Bool isTwo)"
         "(assert (! (= (! a :named wide) a) :pattern (a)))(check-sat)(get-assignment)(get-value (isZero s wide))",
         "sat\n((isTwo true) (isZero false) (big true))\n((isZero false) (s true) (wide #b10))\n", 10},
        {"get-assignment without names", "(check-sat)(get-assignment)", "sat\n()\n", 10},
        {"define-sort",
         "(define-sort Word () (_ BitVec 3))(define-sort W2 () Word)(declare-const w W2)(assert (= w #b011))"
         "(check-sat)(get-model)",
         "sat\n(\n  (define-fun w () (_ BitVec 3) #b011)\n)\n", 10},
        {"quoted symbols are the plain ones",
         "(declare-const |a b| (_ BitVec 1))(declare-const |x| Bool)(assert (= |a b| #b1))(assert x)"
         "(declare-const |p\"q| Bool)(assert (not |p\"q|))(check-sat)(get-model)",
         "sat\n(\n  (define-fun |a b| () (_ BitVec 1) #b1)\n  (define-fun x () Bool true)\n"
         "  (define-fun |p\"q| () Bool false)\n)\n",
         10},
        {"symbols are case-sensitive",
         "(declare-const x Bool)(declare-const X Bool)(assert (and x (not X)))(check-sat)(get-value (x X))",
         "sat\n((x true) (X false))\n", 10},
        {"check-sat-assuming adds assumptions for one check",
         "(declare-const p Bool)(declare-const q Bool)(assert (or p q))(check-sat-assuming ((not p) (not q)))"
         "(check-sat-assuming ((not p) true))(get-model)(check-sat)(get-model)",
         "unsat\nsat\n(\n  (define-fun p () Bool false)\n  (define-fun q () Bool true)\n)\nsat\n"
         "(\n  (define-fun p () Bool true)\n  (define-fun q () Bool false)\n)\n",
         10},
        {"reset forgets declarations and options",
         "(set-option :print-success true)(declare-const x Bool)(assert x)(reset)(declare-const x (_ BitVec 2))"
         "(assert (= x #b11))(set-logic QF_BV)(check-sat)(get-model)",
         "success\nsuccess\nsuccess\nsuccess\nsat\n(\n  (define-fun x () (_ BitVec 2) #b11)\n)\n", 10},
        {"reset-assertions empties the assertion stack",
         "(declare-const x Bool)(push 2)(assert x)(assert (not x))(check-sat)(reset-assertions)"
         "(declare-const x (_ BitVec 1))(check-sat)(get-model)(pop 1)",
         "unsat\nsat\n(\n  (define-fun x () (_ BitVec 1) #b0)\n)\n(error \"1:138: cannot pop 1 levels: only 0 "
         "pushed\")\n",
         1},
        {"unsupported commands are skipped", "(get-option :print-success)(declare-sort U 0)(get-proof)(check-sat)",
         "unsupported\nunsupported\nunsupported\nsat\n", 10},
        {"the core of the enumeration names every named assertion",
         "(set-option :produce-unsat-cores true)(set-option :produce-unsat-assumptions true)(declare-const p Bool)"
         "(assert (! p :named a))(assert (! (not p) :named b))(assert p)(check-sat-assuming ((not p) p))"
         "(get-unsat-core)(get-unsat-assumptions)(push 1)(get-unsat-core)",
         "unsat\n(a b)\n((not p) p)\n(error \"1:246: get-unsat-core is only allowed after unsat\")\n", 1},
        // push and pop scope everything.
        {"assertions of a popped level vanish",
         "(declare-const x (_ BitVec 2))(push 1)(assert (= x #b01))(assert (= x #b10))(check-sat)(pop 1)"
         "(check-sat)(get-model)",
         "unsat\nsat\n(\n  (define-fun x () (_ BitVec 2) #b00)\n)\n", 10},
        {"declarations of a popped level vanish and can be declared again",
         "(declare-const x Bool)(push)(declare-const y Bool)(assert y)(check-sat)(get-model)(pop)"
         "(declare-const y (_ BitVec 1))(assert (= y #b1))(check-sat)(get-model)",
         "sat\n(\n  (define-fun x () Bool false)\n  (define-fun y () Bool true)\n)\nsat\n"
         "(\n  (define-fun x () Bool false)\n  (define-fun y () (_ BitVec 1) #b1)\n)\n",
         10},
        {"definitions, sorts and names are scoped",
         "(push 1)(define-fun f () Bool true)(define-sort S () Bool)(assert (! f :named n))(pop 1)"
         "(define-fun f () Bool false)(define-sort S () (_ BitVec 1))(declare-const n S)(check-sat)(get-model)"
         "(get-assignment)",
         "sat\n(\n  (define-fun n () (_ BitVec 1) #b0)\n)\n()\n", 10},
        {"several levels at once",
         "(declare-const x (_ BitVec 2))(push 3)(assert (= x #b11))(push 0)(push 2)(assert (= x #b00))(check-sat)"
         "(pop 2)(check-sat)(get-model)(pop 3)(check-sat)(get-model)",
         "unsat\nsat\n(\n  (define-fun x () (_ BitVec 2) #b11)\n)\nsat\n(\n  (define-fun x () (_ BitVec 2) #b00)\n)\n",
         10},
        // Terms: lets, definitions, literals and nesting.
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
             repeated("(inc ", 100001) + "x" + std::string(100001, ')') + " #b00))(check-sat)(get-model)",
         "sat\n(\n  (define-fun x () (_ BitVec 2) #b11)\n)\n", 10},
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
        {"lets a million deep, each shadowing the last",
         "(declare-const p Bool)(assert " + repeated("(let ((p (not p))) ", depth) + "p" + std::string(depth, ')') +
             ")(check-sat)(get-model)",
         "sat\n(\n  (define-fun p () Bool false)\n)\n", 10},
        {"applications a million deep",
         "(declare-const p Bool)(assert " + repeated("(not ", depth) + "p" + std::string(depth, ')') +
             ")(check-sat)(get-model)",
         "sat\n(\n  (define-fun p () Bool false)\n)\n", 10},
        {"an application left open a million times", "(assert " + repeated("(not ", depth) + "true",
         "(error \"1:" + std::to_string(8 + 5 * depth + 4 + 1) + ": unexpected end of input\")\n", 1},
    });
}

TEST(Commands, OutputChannels) {
    char path[] = "/tmp/torva_smt2_channel_XXXXXX";
    int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    close(fd);
    std::string script = std::string("(echo \"one\")(set-option :regular-output-channel \"") + path +
                         "\")(echo \"two\")(check-sat)(set-option :diagnostic-output-channel \"stderr\")"
                         "(set-option :regular-output-channel \"stdout\")(echo \"three\")"
                         "(set-option :regular-output-channel \"" +
                         path + "\")(assert y)";
    ScriptRun run = runScriptText(script);
    EXPECT_EQ(run.output, "\"one\"\n\"three\"\n");
    EXPECT_EQ(run.status, 1);
    std::ifstream file(path);
    std::stringstream contents;
    contents << file.rdbuf();
    EXPECT_EQ(contents.str(),
              "\"two\"\nsat\n(error \"1:" + std::to_string(script.rfind("y)") + 1) + ": unknown symbol y\")\n");
    std::remove(path);

    run = runScriptText("(set-option :regular-output-channel \"/nonexistent/dir/file\")");
    EXPECT_EQ(run.output.rfind("(error \"1:37: cannot open /nonexistent/dir/file for writing: ", 0), 0u) << run.output;
    EXPECT_EQ(run.status, 1);
}

TEST(Commands, OneCallOfTheCheckFunctionPerCheck) {
    int checks = 0;
    ScriptRun run = runScriptText("(declare-const a Bool)(assert a)(define-fun b () Bool (not a))", checks);
    EXPECT_EQ(checks, 0);
    run = runScriptText("(check-sat)(check-sat-assuming (true))(push)(check-sat)(pop)", checks);
    EXPECT_EQ(checks, 3);
    EXPECT_EQ(run.output, "sat\nsat\nsat\n");
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

}  // namespace
}  // namespace torva::smt2::testing
