// What the basic reader accepts reads the same here (keywords in any letter
// case, annotations, comments, parenthesised formulas, Booleans used as
// 1-bit vectors and back), and what it refuses is read with its SMT-LIB
// meaning. Also the benchmark's attributes: declarations, status, comments.
#include "extended_harness.h"

using extended_test::benchmark;
using extended_test::expectAnswer;
using extended_test::formula;
using extended_test::kSat;
using extended_test::kUnsat;
using extended_test::parse;

TEST(ExtendedCompatibility, ConstructsTheBasicReaderRefuses) {
    const std::pair<const char*, extended_test::Expected> cases[] = {
        {"(and p q (not q))", kUnsat},
        {"(or p)", kSat},
        {"(and (= x bv12[4]) (= (bvashr x bv1[4]) bv14[4]))", kSat},
        {"(and (= x bv12[4]) (= (bvashr x bv1[4]) bv6[4]))", kUnsat},
        {"(and (= x bv9[4]) (= (rotate_left[1] x) bv3[4]))", kSat},
        {"(and (= x bv9[4]) (= (rotate_right[1] x) bv12[4]))", kSat},
        {"(and (= x bv9[4]) (= (rotate_right[1] x) bv3[4]))", kUnsat},
        {"(and (= u bv2[2]) (= (repeat[2] u) bv10[4]))", kSat},
        {"(and (= u bv2[2]) (= (repeat[2] u) bv8[4]))", kUnsat},
        {"(and (= x bv14[4]) (= (bvsmod x bv3[4]) bv1[4]))", kSat},  // -2 mod 3 = 1
        {"(and (= x bv14[4]) (= (bvsrem x bv3[4]) bv14[4]))", kSat},  // -2 rem 3 = -2
        {"(and (= (bvult x y) p) p (bvuge x y))", kUnsat},
        {"(and (bvlt x y) (bvge x y))", kUnsat},
        {"(and (bvle x y) (bvgt y x) (= x y))", kUnsat},
        {"(and (bvle x y) (bvge x y) (= x y))", kSat},
        {"(= x y (bvadd x bv0[4]))", kSat},
        {"(and (= (bvadd x y bv1[4]) bv0[4]) (= x bv7[4]) (= y bv8[4]))", kSat},
        {"(and (xor p q) (iff p q))", kUnsat},
        // A shift amount of another width counts with its full unsigned value.
        {"(and (= x bv12[4]) (= u bv1[2]) (= (bvlshr x u) bv6[4]))", kSat},
        {"(and (= x bv12[4]) (= u bv1[2]) (= (bvlshr x u) bv12[4]))", kUnsat},
        {"(and (= u bv1[2]) (= x bv4[4]) (= (bvshl u x) bv0[2]))", kSat},
        {"(and (= u bv1[2]) (= x bv1[4]) (= (bvshl u x) bv0[2]))", kUnsat},
        {"(and (= u bv2[2]) (= x bv5[4]) (= (bvashr u x) bv3[2]))", kSat},
        {"(and (= u bv2[2]) (= x bv5[4]) (= (bvashr u x) bv0[2]))", kUnsat},
    };
    for (const auto& [f, expected] : cases) expectAnswer(formula(f), expected);
}

TEST(ExtendedCompatibility, KeywordsAndOperatorsInAnyLetterCase) {
    expectAnswer("(BENCHMARK b :LOGIC QF_BV :EXTRAFUNS ((x BITVEC[4])) :EXTRAPREDS ((p))\n"
                 ":FORMULA (AND (LET (?a (BVADD x bv1[4])) (= ?a bv0[4])) (IF_THEN_ELSE p TRUE FALSE)))",
                 kSat);
    expectAnswer("(benchmark b :extrafuns ((x bitvec[4])) :formula (and (= x bv15[4]) (Not (= (BvAdd x bv1[4]) "
                 "bv0[4]))))",
                 kUnsat);
    // Names stay case-sensitive.
    auto parsed = parse("(benchmark b :extrafuns ((x BitVec[4])) :formula (= X x))");
    EXPECT_FALSE(parsed->ok);
    EXPECT_NE(parsed->error.find("unknown name 'X'"), std::string::npos) << parsed->error;
}

TEST(ExtendedCompatibility, AnnotationsAttributesAndParentheses) {
    const std::string annotated =
        ":notes \"free text\nover two lines\"\n:source { a \\} b }\n:status sat\n:category { industrial }\n"
        ":difficulty { 2 }\n:name value\n:assumption (= (bvadd (x :a) y :b {v}) bv3[4] :c)\n"
        ":formula ((p :named {n}))\n"
        ":formula (and (flet ($e (= x bv1[4])) $e :e) (let (?a y) (= ?a bv2[4]) :f) :g {w})\n";
    expectAnswer(benchmark(annotated), kSat);
    expectAnswer(benchmark(annotated + ":formula (not p)"), kUnsat);
    expectAnswer(formula("((((p))))"), kSat);
    expectAnswer(formula("(and ((p)) (not p))"), kUnsat);
    expectAnswer(formula("(= (x) (bv3[4] :a))"), kSat);
}

TEST(ExtendedCompatibility, BooleansAndOneBitVectorsStandForEachOther) {
    const std::pair<const char*, extended_test::Expected> cases[] = {
        // Connectives spelled as the bitwise operators they share a token with.
        {"(and (bvand p q) (not p))", kUnsat},
        {"(bvand p q)", kSat},
        {"(and (bvor p q) (not p) (not q))", kUnsat},
        {"(and (bvnot p) p)", kUnsat},
        {"(and (bvxor p q) (= p q))", kUnsat},
        // Predicates compared with bits, 1-bit vectors used as formulas.
        {"(and (= p bit1) (not p))", kUnsat},
        {"(and (= p bit0) (not p))", kSat},
        {"(and b (= b bit0))", kUnsat},
        {"(and (not b) (= b bit0))", kSat},
        {"(and (ite (bvcomp x y) p q) (= x y) (not p))", kUnsat},
        {"(and (= (concat p u) bv6[3]) p)", kSat},
        {"(and (= (concat p u) bv6[3]) (not p))", kUnsat},
        {"(and (= (ite q p b) bit1) q (not p))", kUnsat},
        {"(and (implies b p) b (not p))", kUnsat},
    };
    for (const auto& [f, expected] : cases) expectAnswer(formula(f), expected);
    // A 1-bit vector as a whole assertion.
    expectAnswer(benchmark(":assumption b\n:formula (= b bit0)"), kUnsat);
}

TEST(ExtendedCompatibility, DeclarationsStatusAndComments) {
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
}

TEST(ExtendedCompatibility, EmptyInputsAndTextRunningToTheEnd) {
    for (const char* text : {"", "  \n\t", "; only a comment", "(benchmark e)", "(benchmark e :logic QF_BV)",
                             "(benchmark e :logic QF_BV) \"unterminated", "(benchmark e) {unterminated \\}",
                             "(benchmark e :logic QF_BV)\r\n"}) {
        auto parsed = parse(text);
        EXPECT_TRUE(parsed->ok) << parsed->error << " for " << text;
        EXPECT_TRUE(parsed->benchmark.assertions.empty());
    }
}
