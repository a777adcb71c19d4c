// let and flet: scopes, shadowing and the return of the shadowed binding,
// and inputs nested a million deep (applications, lets, flets, parentheses),
// which the reader must take without recursion.
#include "extended_harness.h"

using extended_test::expectAnswer;
using extended_test::expectError;
using extended_test::formula;
using extended_test::kSat;
using extended_test::kUnsat;

TEST(ExtendedScopes, LetAndFletBindShadowAndRestore) {
    const std::pair<const char*, extended_test::Expected> cases[] = {
        {"(let (?a (bvadd x bv1[4])) (and (= x bv15[4]) (= ?a bv0[4])))", kSat},
        {"(let (?a (bvadd x bv1[4])) (and (= x bv15[4]) (not (= ?a bv0[4]))))", kUnsat},
        // The bound term is read before its name is bound: the inner ?a is
        // built from the outer one.
        {"(let (?a x) (let (?a (bvadd ?a ?a)) (not (= ?a (bvmul x bv2[4])))))", kUnsat},
        // After the inner scope the outer binding is back.
        {"(let (?a x) (and (let (?a y) (= ?a y)) (not (= ?a x))))", kUnsat},
        {"(let (?a x) (and (let (?a y) (= ?a bv1[4])) (= ?a bv2[4]) (= y bv1[4])))", kSat},
        {"(and (let (?a x) (= ?a bv1[4])) (let (?a y) (= ?a bv2[4])) (= x bv1[4]) (= y bv2[4]))", kSat},
        {"(flet ($e p) (flet ($e (not $e)) (not (iff $e (not p)))))", kUnsat},
        {"(flet ($e (= x bv3[4])) (and $e (= x bv4[4])))", kUnsat},
        {"(and (flet ($e p) $e) (flet ($e (not q)) $e) p (not q))", kSat},
        {"(and (flet ($e p) $e) (flet ($e (not q)) $e) q)", kUnsat},
        // Bindings of either kind may hold either sort, and let may stand for a term.
        {"(let (?f (bvult x y)) (and ?f (bvuge x y)))", kUnsat},
        {"(not (= (let (?t x) (bvadd ?t ?t)) (bvmul x bv2[4])))", kUnsat},
        {"(let (?a x) (= ?a x) :done {d})", kSat},
    };
    for (const auto& [f, expected] : cases) expectAnswer(formula(f), expected);

    expectError(formula("(and (let (?a x) (= ?a y)) (= ?a y))"), "unknown name '?a'", 5);
    expectError(formula("(and (flet ($a p) $a) $a)"), "unknown name '$a'", 5);
    expectError(formula("(let (?a (bvadd ?a x)) (= ?a y))"), "unknown name '?a'", 5);
    expectError(formula("(let ($a x) (= $a x))"), "let binds a name starting with '?'", 5);
    expectError(formula("(flet (?a p) ?a)"), "flet binds a name starting with '$'", 5);
    expectError(formula("(let (?a x) (= ?a x) (= ?a y))"), "has its body already", 5);
    expectError(formula("(let (?a x))"), "Syntax error, unexpected ')'", 5);
    expectError(formula("(let (?a x y) p)"), "Syntax error, unexpected 'y'", 5);
}

namespace {
const int kDeep = 1000000;

std::string repeated(const std::string& s, int n) {
    std::string out;
    out.reserve(s.size() * n);
    for (int i = 0; i < n; ++i) out += s;
    return out;
}

// The formula parses and holds with x = 5 and p true, other variables 0.
void expectHolds(const std::string& f) {
    auto parsed = extended_test::parse(formula(f));
    ASSERT_TRUE(parsed->ok) << parsed->error.substr(0, 200);
    torva::terms::Evaluator evaluator(parsed->store);
    for (const auto& d : parsed->benchmark.declarations) {
        if (d.name == "x") evaluator.assign(d.term, 5);
        if (d.name == "p") evaluator.assign(d.term, 1);
    }
    EXPECT_EQ(evaluator.value(parsed->benchmark.assertions.at(0)), 1);
}
}  // namespace

// Each formula below holds only when its nesting is read in full: a lost
// level flips the parity of the negations or leaves a sum that differs from
// x modulo 16.
TEST(ExtendedDepth, AMillionNestedApplicationsAndParentheses) {
    expectHolds("(iff " + repeated("(not ", kDeep) + "p" + repeated(")", kDeep) + " p)");
    const int terms = 100000;  // 100,000 = 0 modulo 16
    expectHolds("(= " + repeated("(bvadd ", terms) + "x" + repeated(" bv1[4])", terms) + " x)");
    expectHolds("(not " + repeated("(", kDeep) + "(not p)" + repeated(")", kDeep) + ")");
    // The benchmark's closing parenthesis closes the innermost one.
    expectError(formula(repeated("(", terms) + "p"), "Syntax error, unexpected end of input", 7);
}

TEST(ExtendedDepth, AMillionNestedLetsAndDeepFletsAndNames) {
    // One name shadowed a million times, each binding built from the last.
    expectHolds("(let (?v x)\n" + repeated("(let (?v (bvadd ?v bv1[4]))\n", kDeep) + "(= ?v x)" +
                repeated(")", kDeep + 1));
    // flet takes the same path; a hundred thousand distinct let names:
    // ?v0 = x, ?vi = ?v(i-1) + 1.
    const int distinct = 100000;
    expectHolds("(flet ($f p)\n" + repeated("(flet ($f (not $f))\n", distinct) + "(iff $f p)" +
                repeated(")", distinct + 1));
    std::string lets = "(let (?v0 x)\n";
    for (int i = 1; i < distinct; ++i)
        lets += "(let (?v" + std::to_string(i) + " (bvadd ?v" + std::to_string(i - 1) + " bv1[4]))\n";
    std::string last = "?v" + std::to_string(distinct - 1);
    std::string offset = "bv" + std::to_string((distinct - 1) % 16) + "[4]";
    expectHolds(lets + "(= " + last + " (bvadd x " + offset + "))" + repeated(")", distinct));
    // Cut short, the deep input is an error at its last line.
    std::string truncated = formula(lets);
    truncated.resize(truncated.size() - 3);
    expectError(truncated, "unexpected end of input", 5 + distinct);
}
