// Checks of the fuzzer's own parts: the tokeniser covers every byte in order
// and finds commands the way the script reader does, the judges accept
// exactly the endings each language's contract names, the built-in scripts
// and their answer-keeping variants agree with their expected answers in
// count, and the mutator is deterministic and reaches its deep, huge and
// broken shapes.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "fuzz/smt2_mutator.h"
#include "fuzz/smt2_seeds.h"
#include "fuzz/smt2_tokens.h"
#include "fuzz/verdicts.h"

namespace torva_fuzz {
namespace {

std::string concatenated(const std::string& text, const std::vector<Token>& tokens) {
    std::string s;
    for (const Token& t : tokens) s += tokenText(text, t);
    return s;
}

size_t maxDepth(const std::vector<Token>& tokens) {
    size_t depth = 0, deepest = 0;
    for (const Token& t : tokens) {
        if (t.kind == Tok::Open) deepest = std::max(deepest, ++depth);
        if (t.kind == Tok::Close && depth > 0) depth--;
    }
    return deepest;
}

TEST(FuzzTokens, KindsSpansCheckSatsAndHugeConstants) {
    struct Case {
        std::string text;
        Tok kind;
    } cases[] = {
        {"(", Tok::Open}, {")", Tok::Close}, {"x!1", Tok::Symbol}, {"~!@$%^&*_-+=<>.?/", Tok::Symbol},
        {"|a b ( ;|", Tok::Quoted}, {"|unterminated (", Tok::Quoted}, {"\"a\"\"b\"", Tok::String},
        {"\"open \"\" string", Tok::String}, {"#b0101", Tok::Binary}, {"#b", Tok::Binary}, {"#x1fA", Tok::Hex},
        {"1234", Tok::Numeral}, {"1.50", Tok::Decimal}, {":named", Tok::Keyword}, {"; c ) (", Tok::Comment},
        {" \t\r\n", Tok::Space}, {"\x80", Tok::Other}, {"#", Tok::Other}, {":", Tok::Other},
    };
    for (const Case& c : cases) {
        std::vector<Token> t = tokenize(c.text);
        ASSERT_EQ(t.size(), 1u) << c.text;
        EXPECT_EQ(t[0].kind, c.kind) << c.text;
    }
    std::string mixed = "(assert(= |x y|#b01))\"s\"\"\"; c\n:k 1.5 #xg";
    EXPECT_EQ(concatenated(mixed, tokenize(mixed)), mixed);

    std::string text = "(check-sat)(assert (check-sat)) ( ; c\n check-sat-assuming ()) \"(check-sat)\" |(check-sat)|";
    std::vector<Token> t = tokenize(text);
    EXPECT_EQ(checkSatOffsets(text, t), (std::vector<size_t>{0, 32}));
    std::vector<Span> g = groups(t);
    ASSERT_EQ(g.size(), 5u);
    EXPECT_EQ(text.substr(g[0].begin, g[0].end - g[0].begin), "(check-sat)");
    EXPECT_EQ(text.substr(g[2].begin, g[2].end - g[2].begin), "(assert (check-sat))");

    struct HugeCase {
        std::string text;
        bool huge;
    } hugeCases[] = {
        {"(_ BitVec 999)", false}, {"(_ BitVec 1000)", true}, {"(_ bv0 0001)", false},
        {"#b" + std::string(1001, '1'), true}, {"#x" + std::string(250, 'f'), false}, {"#x" + std::string(251, 'f'), true},
        {"x1000", false}, {"|1000|", false}, {"\"1000\"", false}, {"1000.5", true},
    };
    for (const HugeCase& c : hugeCases) EXPECT_EQ(hasHugeConstant(c.text, tokenize(c.text)), c.huge) << c.text;
}

// A run that ended by the signal, or (exited) with the exit code.
RunEnd signalled(int sig, const std::string& out = "", const std::string& err = "") {
    RunEnd r;
    r.status = sig;
    r.out = out;
    r.err = err;
    return r;
}
RunEnd exited(int code, const std::string& out, const std::string& err = "") {
    return signalled(W_EXITCODE(code, 0), out, err);
}

TEST(FuzzVerdicts, Scripts) {
    ScriptFacts plain, ending, redirected;
    ending.mayEndAnswer = true;
    redirected.redirected = true;
    // A failed assert (2:9), a failed check (3:22), then a check: its sat is a
    // fault, unless a pop came between; a failed get-model marks nothing.
    const ScriptFacts failedAssert = scriptFacts("(declare-const x Bool)\n(assert y)\n(check-sat-assuming (z))(check-sat)");
    const ScriptFacts popBetween = scriptFacts("(push 1)\n(assert y)\n(pop 1)\n(check-sat)");
    const ScriptFacts failedGetModel = scriptFacts("(get-model)\n(check-sat)");
    const ScriptFacts misspelt = scriptFacts("(check-sat) ; (\n(|asert| y)\n(check-sat)\n(assert");
    const std::string assertError = "(error \"2:9: unknown symbol y\")\n";
    const std::string checkError = "(error \"3:22: unknown symbol z\")\n";
    struct Case {
        RunEnd run;
        ScriptFacts facts;
        Outcome expected;
    } cases[] = {
        {exited(10, "sat\n"), plain, Outcome::Result}, {exited(10, "unsat\n"), plain, Outcome::Fault},
        {exited(20, "sat\nunsat\n"), plain, Outcome::Result}, {exited(20, ""), plain, Outcome::Fault},
        {exited(0, "sat\n"), plain, Outcome::Fault}, {exited(0, "sat\n"), ending, Outcome::Result},
        {exited(0, "unknown\n"), plain, Outcome::Result},
        {exited(0, "success\n(:name \"torva\")\n\"echo \"\"x\"\"\"\nunsupported\n\"two\nlines\"\n"), plain, Outcome::Result},
        {exited(10, "sat\n(\n  (define-fun x () (_ BitVec 4) #b0001)\n  (define-fun |a b| () Bool true)\n)\n((x #b0001))\n"),
         plain, Outcome::Result},
        {exited(0, "(unterminated\n"), plain, Outcome::Fault}, {exited(0, "\"unterminated\n"), plain, Outcome::Fault},
        {exited(0, "garbage\n"), plain, Outcome::Fault},
        {exited(1, "sat\n(error \"3:7: unknown symbol x\")\n"), plain, Outcome::ErrorLine},
        {exited(1, "(error \"1:2: unknown symbol |a\"\"b|\")"), plain, Outcome::ErrorLine},
        {exited(1, "(error \"3:7: a\")\nsat\n"), plain, Outcome::ErrorLine},
        {exited(1, "(error \"3:7: a\")\n(error \"3:9: b\")\n"), plain, Outcome::ErrorLine},
        {exited(1, "(error \"3:7: a\")\n(error \"b\")\n"), plain, Outcome::Fault},
        {exited(1, "(error \"unknown symbol\")\n"), plain, Outcome::Fault},
        {exited(1, "(error \"0:1: a\")\n"), plain, Outcome::Fault},
        {exited(1, "(error \"1:1: a\") \n"), plain, Outcome::ErrorLine}, {exited(1, ""), plain, Outcome::Fault},
        {exited(0, "sat\n(error \"2:1: a\")\n"), ending, Outcome::Fault}, {exited(3, "sat\n"), plain, Outcome::Fault},
        {exited(2, ""), plain, Outcome::Fault},
        {exited(1, "", "Error: out of memory: the benchmark needs more memory than this machine has\n"), plain, Outcome::OverLimit},
        {exited(1, ""), redirected, Outcome::ErrorLine}, {exited(10, ""), redirected, Outcome::Result},
        {signalled(SIGSEGV), plain, Outcome::Fault}, {signalled(SIGXCPU, "sat\n"), plain, Outcome::OverLimit},
        {signalled(SIGABRT, "", "==1==ERROR: AddressSanitizer: heap-buffer-overflow on address"), plain, Outcome::Fault},
        {signalled(SIGABRT, "", "==1==ERROR: AddressSanitizer: hard rss limit exhausted (2048Mb vs 2050Mb)"), plain, Outcome::OverLimit},
        {exited(1, "", "x.cc:3:4: runtime error: signed integer overflow"), plain, Outcome::Fault},
        {exited(1, assertError + checkError + "sat\n"), failedAssert, Outcome::Fault},
        {exited(1, assertError + checkError + "unsat\n"), failedAssert, Outcome::ErrorLine},
        {exited(1, assertError + "sat\n"), popBetween, Outcome::ErrorLine},
        {exited(1, "(error \"1:1: get-model is only allowed after sat\")\nsat\n"), failedGetModel, Outcome::ErrorLine},
        {exited(1, "sat\n(error \"2:2: unknown command asert\")\nsat\n(error \"4:8: unexpected end of input\")\n"),
         misspelt, Outcome::Fault},
        {exited(1, "unsat\n(error \"2:2: unknown command asert\")\nunsat\n(error \"4:8: a\")\nsat\n"), misspelt,
         Outcome::ErrorLine},  // more answers than checks: not judged
        {exited(1, "(error \"9:1: a\")\nsat\n"), failedAssert, Outcome::ErrorLine},  // in no command: not judged
    };
    for (size_t i = 0; i < std::size(cases); i++)
        EXPECT_EQ(classifyScript(cases[i].run, cases[i].facts).outcome, cases[i].expected) << "case " << i;

    EXPECT_TRUE(scriptFacts("(set-option :regular-output-channel \"stderr\")").redirected);
    EXPECT_FALSE(scriptFacts("(echo \":regular-output-channel\")").redirected);
    EXPECT_TRUE(scriptFacts("(check-sat)(exit)").mayEndAnswer);
    EXPECT_FALSE(scriptFacts("(check-sat)(reset-assertions) |exit|").mayEndAnswer);
    EXPECT_EQ(answersOf(parseResponses("sat\n\"unsat\"\n(unknown)\nunknown\nsuccess\nunsat")),
              (std::vector<std::string>{"sat", "unknown", "unsat"}));
}

TEST(FuzzVerdicts, SmtLib1Readers) {
    const std::string banner = "\nThis is TORVA v0.2 (with a CDCL core as underlying SAT-solver)\n";
    struct Case {
        RunEnd run;
        bool huge;
        Outcome extended;
        Outcome benchmark;
    } cases[] = {
        {exited(10, "parsing\nsolving\nResult: SAT\t\n"), false, Outcome::Result, Outcome::Result},
        {exited(20, "solving\nResult: UNSAT\t\n"), false, Outcome::Result, Outcome::Result},
        {exited(20, "solving\nResult: SAT\t\n"), false, Outcome::Fault, Outcome::Result},
        {exited(1, "parsing\n", banner + "ERROR: Syntax error at /tmp/j.smt:3\n"), false, Outcome::ParseError,
         Outcome::ParseError},
        {exited(1, "", banner + "ERROR: a at f:3\nERROR: b at f:4\n"), false, Outcome::Fault, Outcome::ParseError},
        {exited(1, "", banner + "ERROR: Syntax error\n"), false, Outcome::Fault, Outcome::ParseError},
        {exited(0, "", banner + "ERROR: Syntax error at f:1\n"), false, Outcome::Fault, Outcome::ParseError},
        {exited(3, "solving\n"), false, Outcome::Fault, Outcome::Fault},
        {signalled(SIGXCPU, "parsing\nsolving\n"), false, Outcome::Resource, Outcome::Resource},
        {signalled(SIGXCPU, "parsing\n"), false, Outcome::Fault, Outcome::Fault},
        {signalled(SIGXCPU, "parsing\n"), true, Outcome::Resource, Outcome::Resource},
        {signalled(SIGABRT, "", "File: parse.yy\nLine: 3\n\nnot supported yet\n"), false, Outcome::Fault,
         Outcome::FatalReport},
        {signalled(SIGSEGV, "solving\n"), false, Outcome::Fault, Outcome::Fault},
    };
    for (size_t i = 0; i < std::size(cases); i++) {
        EXPECT_EQ(classifyExtended(cases[i].run, cases[i].huge).outcome, cases[i].extended) << "case " << i;
        EXPECT_EQ(classifyBenchmark(cases[i].run, cases[i].huge).outcome, cases[i].benchmark) << "case " << i;
    }
    EXPECT_TRUE(hasHugeNumber("bv1000[8]"));
    EXPECT_FALSE(hasHugeNumber("bv0999[8] x1"));
}

// The seeds and (three rounds of) their answer-keeping variants: balanced,
// every byte a token, one check-sat per expected answer; the seeds use
// every command and operator of the reader.
TEST(FuzzSeeds, WellFormedWithOneAnswerPerCheckSatAlsoInTheirVariants) {
    std::set<std::string> commands, operators;
    Smt2Mutator variants(3);
    for (const Script& s : builtinScripts()) {
        std::vector<std::string> texts = {s.text};
        for (int round = 0; s.checked && round < 3; round++) texts.push_back(variants.equivalent(s.text));
        for (const std::string& text : texts) {
            std::vector<Token> t = tokenize(text);
            ASSERT_EQ(concatenated(text, t), text);
            int depth = 0;
            for (size_t i = 0; i < t.size(); i++) {
                ASSERT_NE(t[i].kind, Tok::Other) << text.substr(0, 200);
                if (t[i].kind == Tok::Open) depth++;
                if (t[i].kind == Tok::Close) {
                    ASSERT_GT(depth, 0) << text.substr(0, 200);
                    depth--;
                }
                if (t[i].kind == Tok::Symbol && i > 0 && t[i - 1].kind == Tok::Open && text == s.text)
                    (depth == 1 ? commands : operators).insert(tokenText(text, t[i]));
            }
            EXPECT_EQ(depth, 0) << text.substr(0, 200);
            if (!s.checked) continue;
            size_t expected = s.answers.empty() ? 0 : std::count(s.answers.begin(), s.answers.end(), ' ') + 1;
            EXPECT_EQ(checkSatOffsets(text, t).size(), expected) << text.substr(0, 200);
        }
    }
    for (const char* c : {"set-logic", "set-option", "set-info", "get-info", "declare-fun", "declare-const",
                          "define-fun", "define-sort", "assert", "check-sat", "check-sat-assuming", "push", "pop",
                          "get-model", "get-value", "get-assignment", "echo", "reset", "reset-assertions", "exit"})
        EXPECT_TRUE(commands.count(c)) << c;
    for (const char* op : {"not", "and", "or", "xor", "=>", "=", "distinct", "ite", "concat", "bvnot", "bvand",
                           "bvor", "bvxor", "bvnand", "bvnor", "bvxnor", "bvcomp", "bvneg", "bvadd", "bvsub",
                           "bvmul", "bvudiv", "bvurem", "bvsdiv", "bvsrem", "bvsmod", "bvshl", "bvlshr", "bvashr",
                           "bvult", "bvule", "bvugt", "bvuge", "bvslt", "bvsle", "bvsgt", "bvsge", "let", "!", "_"})
        EXPECT_TRUE(operators.count(op)) << op;
}

TEST(FuzzMutator, DeterministicAndReachesEveryShape) {
    std::vector<std::string> pool;
    for (const Script& s : builtinScripts())
        if (s.text.size() < 4000) pool.push_back(s.text);
    Smt2Mutator a(7), b(7);
    std::set<std::string> reached;
    for (size_t i = 0; i < 200; i++) {
        const std::string& parent = pool[i % pool.size()];
        std::string x = a.mutate(parent, pool);
        ASSERT_EQ(x, b.mutate(parent, pool)) << "mutation " << i;
        ASSERT_LE(x.size(), Smt2Mutator::kMaxScript);
        std::vector<Token> t = tokenize(x);
        const std::pair<const char*, bool> shapes[] = {
            {"deep", maxDepth(t) >= 100000},
            {"huge", hasHugeConstant(x, t)},
            {"let", x.find("(let ((fz") != std::string::npos},
            {"unbalanced", std::count(x.begin(), x.end(), '(') != std::count(x.begin(), x.end(), ')')},
            {"truncated", x.size() < parent.size() && parent.compare(0, x.size(), x) == 0},
            {"command", checkSatOffsets(x, t).size() > checkSatOffsets(parent, tokenize(parent)).size()}};
        for (const auto& [shape, seen] : shapes)
            if (seen) reached.insert(shape);
    }
    EXPECT_EQ(reached, (std::set<std::string>{"command", "deep", "huge", "let", "truncated", "unbalanced"}));
}

}  // namespace
}  // namespace torva_fuzz
