// What the parse actions build, judged by the solver: each benchmark is
// parsed and solved in a child process, and pairs that differ in one
// constant must come out satisfiable and unsatisfiable. Also the parse
// entry's own output and the state a successful parse leaves behind.
#include <set>

#include "frontend/parser.h"
#include "generator/generator_torva.h"
#include "parse_helpers.h"

using parse_test::benchmark;

TEST(ParseSemanticsDeathTest, AnswersOfTheSolver) {
    const bool sat = true, unsat = false;
    const std::string x165 = ":assumption (= x bv165[8])\n";  // 1010 0101
    const std::string slices = ":assumption (= (extract[7:4] x) bv10[4])\n:assumption (= (extract[3:0] x) bv5[4])\n";
    const std::string u9 = ":assumption (= u bv9[4])\n";  // 1001
    const std::string linked = ":assumption (= (sign_extend[4] u) x)\n";
    const std::string x1 = ":assumption (= x bv1[8])\n", y2 = ":formula (= y bv2[8])\n", same = ":assumption (= x y)\n";
    const std::string pNotQ = ":assumption p\n:assumption (not q)\n";
    const std::string xy = ":assumption (= x bv1[8])\n:assumption (= y bv2[8])\n";
    const std::string x255 = ":assumption (= x bv255[8])\n";
    const std::string annotated =
        ":notes \"free text\nover two lines\"\n:source { a \\} b }\n:status sat\n:category { industrial }\n"
        ":assumption (= (bvadd (x :a) y :b {v}) bv3[8] :c)\n"
        ":formula ((p :named {n}))\n"
        ":formula (and (flet ($e (= x bv1[8])) $e :e) (let (?a y) (= ?a bv2[8]) :f) :g {w})\n";
    const std::pair<std::string, bool> cases[] = {
        // extract shares the operand's bits; slices pin down the variable.
        {x165 + ":formula (= (extract[7:4] x) bv10[4])", sat},
        {x165 + ":formula (= (extract[7:4] x) bv5[4])", unsat},
        {x165 + ":formula (= (extract[6:2] x) bv9[5])", sat},
        {x165 + ":formula (= (extract[6:2] x) bv18[5])", unsat},
        {x165 + ":formula (= (extract[7:0] x) bv165[8])", sat},
        {slices + ":formula (= x bv165[8])", sat},
        {slices + ":formula (not (= x bv165[8]))", unsat},
        // A minus sign on an index or width is ignored.
        {x165 + ":formula (= (extract[-7:-4] x) bv10[-4])", sat},
        // concat and the extensions.
        {x165 + ":formula (= (concat (extract[3:0] x) (extract[7:4] x)) bv90[8])", sat},
        {x165 + ":formula (= (concat (extract[3:0] x) (extract[7:4] x)) bv165[8])", unsat},
        {u9 + ":formula (= (zero_extend[4] u) bv9[8])", sat},
        {u9 + ":formula (= (zero_extend[4] u) bv249[8])", unsat},
        {u9 + ":formula (= (sign_extend[4] u) bv249[8])", sat},
        {u9 + ":formula (= (sign_extend[4] u) bv9[8])", unsat},
        {":assumption (= u bv5[4])\n:formula (= (sign_extend[4] u) bv5[8])", sat},
        {u9 + ":formula (= (zero_extend[0] u) bv3[4])", unsat},
        // The extension of u determines x, and through x back u's sign bit.
        {linked + ":formula (= x bv249[8])", sat},
        {linked + ":formula (= x bv121[8])", unsat},
        // Every assertion is asserted.
        {x1 + y2 + same, unsat},
        {same + y2 + x1, unsat},
        {x1 + y2, sat},
        {x1 + same, sat},
        {y2 + same, sat},
        // Operands keep their order.
        {pNotQ + ":formula (implies q p)", sat},
        {pNotQ + ":formula (implies p q)", unsat},
        {xy + ":formula (bvult x y)", sat},
        {xy + ":formula (bvult y x)", unsat},
        {xy + ":assumption p\n:formula (= (ite p x y) bv1[8])", sat},
        {xy + ":assumption p\n:formula (= (if_then_else p x y) bv2[8])", unsat},
        {xy + ":formula (= (shift_left0 x bv1[8]) y)", sat},
        {xy + ":formula (= (bvlshr x bv1[8]) y)", unsat},
        {xy + ":formula (= (shift_right0 y bv1[8]) x)", sat},
        // let and flet; a name is free again after its scope.
        {x255 + ":formula (let (?a (bvadd x bv1[8])) (= ?a bv0[8]))", sat},
        {x255 + ":formula (let (?a (bvadd x bv1[8])) (not (= ?a bv0[8])))", unsat},
        {x255 + ":formula (let (?a x) (let (?b (bvadd ?a bv2[8])) (= ?b bv1[8])))", sat},
        {xy + ":formula (and (let (?a x) (= ?a bv1[8])) (let (?a y) (= ?a bv2[8])))", sat},
        {xy + ":formula (and (let (?a x) (= ?a bv1[8])) (let (?a y) (= ?a bv1[8])))", unsat},
        {":formula (flet ($e (= x bv3[8])) (and $e (= x bv3[8])))", sat},
        {":formula (flet ($e (= x bv3[8])) (and $e (= x bv4[8])))", unsat},
        {":formula (flet ($e p) (flet ($f (not $e)) (iff $e $f)))", unsat},
        {":formula (and (flet ($e p) $e) (flet ($e (not q)) $e))", sat},
        // Annotations and attributes are ignored.
        {annotated, sat},
        {annotated + ":formula (not p)", unsat},
    };
    for (const auto& [attributes, expected] : cases) parse_test::expectAnswer(benchmark(attributes), expected);
    parse_test::expectAnswer("", sat);
    parse_test::expectAnswer("(benchmark empty :logic QF_BV)", sat);
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

TEST(ParseEntry, PrintsCommentsInInputOrderKeepsDeclarationsAndDropsBindings) {
    parse_test::BenchmarkFile file(
        "(benchmark c\n; first\n:logic QF_BV\n:extrafuns ((x BitVec[8]) (y BitVec[8]) (u BitVec[4]))\n"
        ";  second ; with 'quotes'\n:extrapreds ((p) (q))\n"
        ":formula (let (?a x) (flet ($b (= ?a y)) (and $b (let (?c u) (= ?c u)))))\n;\n)");
    Solver s(prioParams[0]);
    testing::internal::CaptureStdout();
    EXPECT_TRUE(parseHere(s, file.path));
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "parsing\ncomment: ' first'\ncomment: '  second ; with 'quotes''\ncomment: ''\nsolving\n");
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
