// What the parse actions build, judged by the solver: each benchmark is
// parsed and solved in a child process, and pairs that differ in one
// constant must come out satisfiable and unsatisfiable. Also the parse
// entry's own output and the state a successful parse leaves behind.
#include <set>

#include "frontend/parser.h"
#include "generator/generator_torva.h"
#include "parse_helpers.h"

using parse_test::benchmark;
using parse_test::expectSat;
using parse_test::expectUnsat;

TEST(ParseSemanticsDeathTest, ExtractSharesTheOperandsBits) {
    const std::string x165 = ":assumption (= x bv165[8])\n";  // 1010 0101
    expectSat(benchmark(x165 + ":formula (= (extract[7:4] x) bv10[4])"));
    expectUnsat(benchmark(x165 + ":formula (= (extract[7:4] x) bv5[4])"));
    expectSat(benchmark(x165 + ":formula (= (extract[6:2] x) bv9[5])"));
    expectUnsat(benchmark(x165 + ":formula (= (extract[6:2] x) bv18[5])"));
    expectSat(benchmark(x165 + ":formula (= (extract[7:0] x) bv165[8])"));
    // Constraints on the slices pin down the variable itself.
    const std::string slices = ":assumption (= (extract[7:4] x) bv10[4])\n:assumption (= (extract[3:0] x) bv5[4])\n";
    expectSat(benchmark(slices + ":formula (= x bv165[8])"));
    expectUnsat(benchmark(slices + ":formula (not (= x bv165[8]))"));
    // A minus sign on an index or width is ignored.
    expectSat(benchmark(x165 + ":formula (= (extract[-7:-4] x) bv10[-4])"));
}

TEST(ParseSemanticsDeathTest, ConcatAndExtensionsShareBits) {
    const std::string x165 = ":assumption (= x bv165[8])\n";
    expectSat(benchmark(x165 + ":formula (= (concat (extract[3:0] x) (extract[7:4] x)) bv90[8])"));
    expectUnsat(benchmark(x165 + ":formula (= (concat (extract[3:0] x) (extract[7:4] x)) bv165[8])"));

    const std::string u9 = ":assumption (= u bv9[4])\n";  // 1001
    expectSat(benchmark(u9 + ":formula (= (zero_extend[4] u) bv9[8])"));
    expectUnsat(benchmark(u9 + ":formula (= (zero_extend[4] u) bv249[8])"));
    expectSat(benchmark(u9 + ":formula (= (sign_extend[4] u) bv249[8])"));
    expectUnsat(benchmark(u9 + ":formula (= (sign_extend[4] u) bv9[8])"));
    expectSat(benchmark(":assumption (= u bv5[4])\n:formula (= (sign_extend[4] u) bv5[8])"));
    expectUnsat(benchmark(u9 + ":formula (= (zero_extend[0] u) bv3[4])"));
    // The extension of u determines x, and through x back u's sign bit.
    const std::string linked = ":assumption (= (sign_extend[4] u) x)\n";
    expectSat(benchmark(linked + ":formula (= x bv249[8])"));
    expectUnsat(benchmark(linked + ":formula (= x bv121[8])"));
}

TEST(ParseSemanticsDeathTest, EveryAssertionIsAsserted) {
    const std::string x1 = ":assumption (= x bv1[8])\n", y2 = ":formula (= y bv2[8])\n", same = ":assumption (= x y)\n";
    expectUnsat(benchmark(x1 + y2 + same));
    expectUnsat(benchmark(same + y2 + x1));
    expectSat(benchmark(x1 + y2));
    expectSat(benchmark(x1 + same));
    expectSat(benchmark(y2 + same));
    expectSat("");
    expectSat("(benchmark empty :logic QF_BV)");
}

TEST(ParseSemanticsDeathTest, OperandsKeepTheirOrder) {
    const std::string pNotQ = ":assumption p\n:assumption (not q)\n";
    expectSat(benchmark(pNotQ + ":formula (implies q p)"));
    expectUnsat(benchmark(pNotQ + ":formula (implies p q)"));
    const std::string xy = ":assumption (= x bv1[8])\n:assumption (= y bv2[8])\n";
    expectSat(benchmark(xy + ":formula (bvult x y)"));
    expectUnsat(benchmark(xy + ":formula (bvult y x)"));
    expectSat(benchmark(xy + ":assumption p\n:formula (= (ite p x y) bv1[8])"));
    expectUnsat(benchmark(xy + ":assumption p\n:formula (= (if_then_else p x y) bv2[8])"));
    expectSat(benchmark(xy + ":formula (= (shift_left0 x bv1[8]) y)"));
    expectUnsat(benchmark(xy + ":formula (= (bvlshr x bv1[8]) y)"));
    expectSat(benchmark(xy + ":formula (= (shift_right0 y bv1[8]) x)"));
}

TEST(ParseSemanticsDeathTest, LetAndFletScopes) {
    const std::string x255 = ":assumption (= x bv255[8])\n";
    expectSat(benchmark(x255 + ":formula (let (?a (bvadd x bv1[8])) (= ?a bv0[8]))"));
    expectUnsat(benchmark(x255 + ":formula (let (?a (bvadd x bv1[8])) (not (= ?a bv0[8])))"));
    expectSat(benchmark(x255 + ":formula (let (?a x) (let (?b (bvadd ?a bv2[8])) (= ?b bv1[8])))"));

    // A name is free again after its scope and binds the new term.
    const std::string xy = ":assumption (= x bv1[8])\n:assumption (= y bv2[8])\n";
    expectSat(benchmark(xy + ":formula (and (let (?a x) (= ?a bv1[8])) (let (?a y) (= ?a bv2[8])))"));
    expectUnsat(benchmark(xy + ":formula (and (let (?a x) (= ?a bv1[8])) (let (?a y) (= ?a bv1[8])))"));

    expectSat(benchmark(":formula (flet ($e (= x bv3[8])) (and $e (= x bv3[8])))"));
    expectUnsat(benchmark(":formula (flet ($e (= x bv3[8])) (and $e (= x bv4[8])))"));
    expectUnsat(benchmark(":formula (flet ($e p) (flet ($f (not $e)) (iff $e $f)))"));
    expectSat(benchmark(":formula (and (flet ($e p) $e) (flet ($e (not q)) $e))"));
}

TEST(ParseSemanticsDeathTest, AnnotationsAndAttributesAreIgnored) {
    const std::string text =
        ":notes \"free text\nover two lines\"\n:source { a \\} b }\n:status sat\n:category { industrial }\n"
        ":assumption (= (bvadd (x :a) y :b {v}) bv3[8] :c)\n"
        ":formula ((p :named {n}))\n"
        ":formula (and (flet ($e (= x bv1[8])) $e :e) (let (?a y) (= ?a bv2[8]) :f) :g {w})\n";
    expectSat(benchmark(text));
    expectUnsat(benchmark(text + ":formula (not p)"));
}

TEST(ParseSemanticsDeathTest, CaseOfKeywordsIsCheckedByTranslation) {
    parse_test::expectRefusal(benchmark(":formula (= (BVADD x y) x)"), "smt2xml", "operator not supported: BVADD");
    parse_test::expectRefusal(benchmark(":formula (AND p q)"), "smt2xml", "operator not supported: AND");
}

namespace {
// Parses in this process, as the driver does, and releases what the run
// built.
bool parseHere(Solver& s, const std::string& path) {
    bool ok = parseSMT(s, const_cast<char*>(path.c_str()));
    for (Module* m : s.modules) delete m;
    return ok;
}
}  // namespace

TEST(ParseEntry, PrintsProgressAndCommentsInInputOrder) {
    parse_test::BenchmarkFile file(
        "(benchmark c\n; first\n:logic QF_BV\n;  second ; with 'quotes'\n:formula true\n;\n)");
    Solver s(prioParams[0]);
    testing::internal::CaptureStdout();
    EXPECT_TRUE(parseHere(s, file.path));
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "parsing\ncomment: ' first'\ncomment: '  second ; with 'quotes''\ncomment: ''\nsolving\n");
    clearVariables();
}

TEST(ParseEntry, KeepsDeclarationsAndDropsBindings) {
    parse_test::BenchmarkFile file(
        benchmark(":formula (let (?a x) (flet ($b (= ?a y)) (and $b (let (?c u) (= ?c u)))))"));
    Solver s(prioParams[0]);
    testing::internal::CaptureStdout();
    EXPECT_TRUE(parseHere(s, file.path));
    testing::internal::GetCapturedStdout();
    std::set<std::string> names;
    for (const auto& entry : variables) names.insert(entry.first);
    EXPECT_EQ(names, (std::set<std::string>{"p", "q", "u", "x", "y"}));
    EXPECT_TRUE(OpStack.empty());
    clearVariables();
}

TEST(ParseEntry, MissingFileIsReportedAndNotParsed) {
    Solver s(prioParams[0]);
    char path[] = "/nonexistent/benchmark.smt";
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    EXPECT_FALSE(parseSMT(s, path));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Error: Could not open smt file: /nonexistent/benchmark.smt\n");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "parsing\n");
    EXPECT_EQ(s.nClauses(), 0);
    delete output;
    output = nullptr;
}
