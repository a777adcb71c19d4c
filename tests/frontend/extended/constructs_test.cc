// The language's constructs judged by brute force, most in pairs that differ
// in one constant or operand so that a wrong reading flips one of them:
// constant spellings, a 1-bit vector as an assertion, let and flet scopes,
// keywords in any letter case, annotations and attributes. Also what a
// benchmark keeps (declarations, status, comments), inputs without
// assertions, nesting a million deep, which the reader must take without
// recursion, and the repository's example benchmarks.
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "extended_harness.h"

using extended_test::benchmark;
using extended_test::formula;
using extended_test::kSat;
using extended_test::kUnsat;
using extended_test::parse;

TEST(ExtendedConstructs, AnswersAreTheBruteForceOnes) {
    const std::string annotated =
        ":notes \"free text\nover two lines\"\n:source { a \\} b }\n:status sat\n:category { industrial }\n"
        ":difficulty { 2 }\n:name value\n:assumption (= (bvadd (x :a) y :b {v}) bv3[4] :c)\n"
        ":formula ((p :named {n}))\n"
        ":formula (and (flet ($e (= x bv1[4])) $e :e) (let (?a y) (= ?a bv2[4]) :f) :g {w})\n";
    const std::pair<std::string, extended_test::Expected> cases[] = {
        // Constant spellings.
        {formula("(and (= x bvbin0101) (= x bv5[4]))"), kSat},
        {formula("(and (= x bvbin0101) (not (= x bv5[4])))"), kUnsat},
        {formula("(and (= x bvhexA) (= x bv10[4]))"), kSat},
        {formula("(and (= x bvhexa) (= x bv11[4]))"), kUnsat},
        {formula("(= (concat bvhexF bvbin01) (concat x u))"), kSat},
        {formula("(and (= b bit1) (= b bv1[1]))"), kSat},
        {formula("(and (= b bit1) (= b bit0))"), kUnsat},
        // A numeral with a width but without "bv", and the width's sign ignored.
        {formula("(not (= 5[4] bv5[4]))"), kUnsat},
        {formula("(not (= bv5[-4] bv5[4]))"), kUnsat},
        // Values are taken modulo 2^width; bitN is the digit's low bit.
        {formula("(not (= bv21[4] bv5[4]))"), kUnsat},
        {formula("(not (= bit3 bit1))"), kUnsat},
        {formula("(not (= bit2 bit0))"), kUnsat},
        // A numeral without a width is a 32-bit constant.
        {formula("(and (= x bv5[4]) (not (= (zero_extend[28] x) 5)))"), kUnsat},
        {formula("(and (= x bv5[4]) (= (zero_extend[28] x) bv5))"), kSat},
        {formula("(not (= 4294967297 bv1[32]))"), kUnsat},
        // A 1-bit vector as a whole assertion.
        {benchmark(":assumption b\n:formula (= b bit0)"), kUnsat},
        // let and flet.
        {formula("(let (?a (bvadd x bv1[4])) (and (= x bv15[4]) (= ?a bv0[4])))"), kSat},
        {formula("(let (?a (bvadd x bv1[4])) (and (= x bv15[4]) (not (= ?a bv0[4]))))"), kUnsat},
        // The bound term is read before its name is bound: the inner ?a is
        // built from the outer one.
        {formula("(let (?a x) (let (?a (bvadd ?a ?a)) (not (= ?a (bvmul x bv2[4])))))"), kUnsat},
        // After the inner scope the outer binding is back.
        {formula("(let (?a x) (and (let (?a y) (= ?a y)) (not (= ?a x))))"), kUnsat},
        {formula("(let (?a x) (and (let (?a y) (= ?a bv1[4])) (= ?a bv2[4]) (= y bv1[4])))"), kSat},
        {formula("(and (let (?a x) (= ?a bv1[4])) (let (?a y) (= ?a bv2[4])) (= x bv1[4]) (= y bv2[4]))"), kSat},
        {formula("(flet ($e p) (flet ($e (not $e)) (not (iff $e (not p)))))"), kUnsat},
        {formula("(flet ($e (= x bv3[4])) (and $e (= x bv4[4])))"), kUnsat},
        {formula("(and (flet ($e p) $e) (flet ($e (not q)) $e) p (not q))"), kSat},
        {formula("(and (flet ($e p) $e) (flet ($e (not q)) $e) q)"), kUnsat},
        // Bindings of either kind may hold either sort, and let may stand for a term.
        {formula("(let (?f (bvult x y)) (and ?f (bvuge x y)))"), kUnsat},
        {formula("(not (= (let (?t x) (bvadd ?t ?t)) (bvmul x bv2[4])))"), kUnsat},
        {formula("(let (?a x) (= ?a x) :done {d})"), kSat},
        // Keywords and operators in any letter case.
        {"(BENCHMARK b :LOGIC QF_BV :EXTRAFUNS ((x BITVEC[4])) :EXTRAPREDS ((p))\n"
         ":FORMULA (AND (LET (?a (BVADD x bv1[4])) (= ?a bv0[4])) (IF_THEN_ELSE p TRUE FALSE)))",
         kSat},
        {"(benchmark b :extrafuns ((x bitvec[4])) :formula (and (= x bv15[4]) (Not (= (BvAdd x bv1[4]) bv0[4]))))",
         kUnsat},
        // Annotations, attributes and parentheses around formulas and terms.
        {benchmark(annotated), kSat},
        {benchmark(annotated + ":formula (not p)"), kUnsat},
        {formula("((((p))))"), kSat},
        {formula("(and ((p)) (not p))"), kUnsat},
        {formula("(= (x) (bv3[4] :a))"), kSat},
    };
    for (const auto& [text, expected] : cases) extended_test::expectAnswer(text, expected);
}

TEST(ExtendedConstructs, DeclarationsStatusAndComments) {
    auto parsed = parse(
        "; before\n(benchmark decls\n  ; first inside\n :logic QF_BV\n"
        " :extrafuns ((v BitVec[8]) (w BitVec[1] :note {n}) (flag Bool))\n :extrapreds ((r) (s :a))\n"
        " :extrafuns ((bvlt BitVec[2]))\n ;;second; with 'quotes'\n;\n :status sat\n"
        " :formula (and flag r (= v bv1[8]) (= bvlt bv2[2]))\n :assumption (bvlt bvlt bv3[2])\n)\n; last");
    ASSERT_TRUE(parsed->ok) << parsed->error;
    const auto& b = parsed->benchmark;
    std::vector<std::string> names;
    for (const auto& d : b.declarations) names.push_back(d.name);
    EXPECT_EQ(names, (std::vector<std::string>{"v", "w", "flag", "r", "s", "bvlt"}));
    const auto& store = parsed->store;
    EXPECT_EQ(store.sort(b.declarations[0].term), 8u);
    EXPECT_EQ(store.sort(b.declarations[1].term), 1u);
    EXPECT_TRUE(store.isBool(b.declarations[2].term));
    EXPECT_TRUE(store.isBool(b.declarations[4].term));
    EXPECT_EQ(store.kind(b.declarations[0].term), torva::terms::Kind::Variable);
    EXPECT_EQ(store.name(b.declarations[5].term), "bvlt");
    EXPECT_EQ(b.assertions.size(), 2u);
    // A comment closed by the end of the input rather than a newline is dropped.
    EXPECT_EQ(b.comments, (std::vector<std::string>{" before", " first inside", ";second; with 'quotes'", ""}));
    EXPECT_EQ(b.status, "sat");
    EXPECT_TRUE(extended_test::bruteForceSat(*parsed));

    for (const char* status : {"sat", "unsat", "unknown"})
        EXPECT_EQ(parse(std::string("(benchmark s :status ") + status + ")")->benchmark.status, status);
    EXPECT_EQ(parse("(benchmark s :status maybe)")->benchmark.status, "");
    EXPECT_EQ(parse("(benchmark s :logic QF_BV)")->benchmark.status, "");
    // Inputs without assertions, texts running to the end of the input included.
    for (const char* text : {"", "  \n\t", "; only a comment", "(benchmark e)", "(benchmark e :logic QF_BV)",
                             "(benchmark e :logic QF_BV) \"unterminated", "(benchmark e) {unterminated \\}",
                             "(benchmark e :logic QF_BV)\r\n"}) {
        auto empty = parse(text);
        EXPECT_TRUE(empty->ok) << empty->error << " for " << text;
        EXPECT_TRUE(empty->benchmark.assertions.empty());
    }
}

namespace {
std::string repeated(const std::string& s, int n) {
    std::string out;
    out.reserve(s.size() * n);
    for (int i = 0; i < n; ++i) out += s;
    return out;
}

// The formula parses and holds with x = 5 and p true, other variables 0.
void expectHolds(const std::string& f) {
    auto parsed = parse(formula(f));
    ASSERT_TRUE(parsed->ok) << parsed->error.substr(0, 200);
    torva::terms::Evaluator evaluator(parsed->store);
    for (const auto& d : parsed->benchmark.declarations) {
        if (d.name == "x") evaluator.assign(d.term, 5);
        if (d.name == "p") evaluator.assign(d.term, 1);
    }
    EXPECT_EQ(evaluator.value(parsed->benchmark.assertions.at(0)), 1);
}
}  // namespace

// Each formula holds only when its nesting is read in full: a lost level
// flips the parity of the negations or leaves a sum that differs from x
// modulo 16.
TEST(ExtendedDepth, AMillionNestedApplicationsParenthesesAndBindings) {
    const int deep = 1000000, wide = 100000;  // both 0 modulo 16
    expectHolds("(iff " + repeated("(not ", deep) + "p" + repeated(")", deep) + " p)");
    expectHolds("(= " + repeated("(bvadd ", wide) + "x" + repeated(" bv1[4])", wide) + " x)");
    expectHolds("(not " + repeated("(", deep) + "(not p)" + repeated(")", deep) + ")");
    // One name shadowed a million times, each binding built from the last.
    expectHolds("(let (?v x)\n" + repeated("(let (?v (bvadd ?v bv1[4]))\n", deep) + "(= ?v x)" +
                repeated(")", deep + 1));
    expectHolds("(flet ($f p)\n" + repeated("(flet ($f (not $f))\n", wide) + "(iff $f p)" + repeated(")", wide + 1));
    // A hundred thousand distinct names: ?v0 = x, ?vi = ?v(i-1) + 1.
    std::string lets = "(let (?v0 x)\n";
    for (int i = 1; i < wide; ++i)
        lets += "(let (?v" + std::to_string(i) + " (bvadd ?v" + std::to_string(i - 1) + " bv1[4]))\n";
    expectHolds(lets + "(= ?v" + std::to_string(wide - 1) + " (bvadd x bv15[4]))" + repeated(")", wide));
    // The benchmark's closing parenthesis closes the innermost one.
    extended_test::expectError(formula(repeated("(", wide) + "p"), "Syntax error, unexpected end of input", 7);
    // Cut short, the deep input is an error at its last line.
    std::string truncated = formula(lets);
    truncated.resize(truncated.size() - 3);
    extended_test::expectError(truncated, "unexpected end of input", 5 + wide);
}

namespace {
std::unique_ptr<extended_test::Parsed> parseFile(const std::string& path) {
    std::stringstream text;
    text << std::ifstream(path, std::ios::binary).rdbuf();
    return parse(text.str(), path);
}

// Every assertion holds under the assignment (by declared name).
bool holds(extended_test::Parsed& parsed, const std::map<std::string, unsigned long>& model) {
    torva::terms::Evaluator evaluator(parsed.store);
    for (const auto& d : parsed.benchmark.declarations) evaluator.assign(d.term, model.at(d.name));
    for (torva::terms::TermId a : parsed.benchmark.assertions)
        if (evaluator.value(a) != 1) return false;
    return true;
}

const std::string kExamples = std::string(__FILE__).substr(0, std::string(__FILE__).rfind("/tests/")) + "/examples/";
}  // namespace

// Each example reads, and its :status is the brute-force answer where the
// declarations are small enough to enumerate.
TEST(ExtendedExamples, StatusIsTheBruteForceAnswer) {
    int examples = 0, enumerated = 0;
    for (const auto& entry : std::filesystem::directory_iterator(kExamples)) {
        if (entry.path().extension() != ".smt") continue;
        ++examples;
        auto parsed = parseFile(entry.path().string());
        ASSERT_TRUE(parsed->ok) << parsed->error;
        const std::string& status = parsed->benchmark.status;
        ASSERT_TRUE(status == "sat" || status == "unsat") << entry.path();
        unsigned bits = 0;
        for (const auto& d : parsed->benchmark.declarations) bits += extended_test::sortBits(parsed->store, d.term);
        if (bits > 17) continue;
        EXPECT_EQ(extended_test::bruteForceSat(*parsed), status == "sat") << entry.path();
        ++enumerated;
    }
    EXPECT_GE(examples, 7) << kExamples;
    EXPECT_GE(enumerated, 6);
}

// The one too large to enumerate holds under a model found by hand, and
// assignments next to it violate one assertion each.
TEST(ExtendedExamples, ComparisonHoldsUnderAModelFoundByHand) {
    auto parsed = parseFile(kExamples + "comparison.smt");
    ASSERT_TRUE(parsed->ok) << parsed->error;
    // x < y unsigned but y < x signed, y > 200, x <= z <= y, x >= 100 signed.
    EXPECT_TRUE(holds(*parsed, {{"x", 100}, {"y", 201}, {"z", 101}}));
    EXPECT_FALSE(holds(*parsed, {{"x", 100}, {"y", 201}, {"z", 100}}));  // x and z not distinct
    EXPECT_FALSE(holds(*parsed, {{"x", 100}, {"y", 200}, {"z", 101}}));  // y not above 200
    EXPECT_FALSE(holds(*parsed, {{"x", 99}, {"y", 201}, {"z", 101}}));   // x below 100
}
