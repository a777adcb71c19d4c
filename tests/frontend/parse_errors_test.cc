// The parser's error table end to end: each benchmark is parsed in a child
// process and its report compared in full (fatal reports up to the number of
// the raising source line).
#include "parse_helpers.h"

using parse_test::benchmark;
using parse_test::expectFatal;
using parse_test::expectParseError;
using parse_test::expectRefusal;

TEST(ParseErrorDeathTest, SyntaxErrorsNameTheLineOfTheOffendingToken) {
    expectParseError("(benchmark b\n)", "Syntax error", 2);
    expectParseError("(benchmark b\n:logic QF_UFBV)", "Syntax error", 2);
    expectParseError("(benchmark b :logic QF_BV)\n(benchmark c :logic QF_BV)", "Syntax error", 2);
    expectParseError("; header comment\n(benchmark b :logic QF_BV)", "Syntax error", 2);
    // A comment token ends with its newline.
    expectParseError(benchmark(":formula (and p\n; inside\n q)"), "Syntax error", 7);
    // Formulas are not compared with "="; let binds terms, flet formulas.
    expectParseError(benchmark(":formula (= (bvult x y) p)"), "Syntax error", 5);
    expectParseError(benchmark(":formula (let (?a true) true)"), "Syntax error", 5);
    expectParseError(benchmark(":formula (flet ($a bv1[8]) true)"), "Syntax error", 5);
    expectParseError(benchmark(":formula (extract[7:0] x)"), "Syntax error", 5);
    expectParseError(benchmark(":formula (= (bvnand x) x)"), "Syntax error", 5);
    expectParseError(benchmark(":status sat sat"), "Syntax error", 5);
}

TEST(ParseErrorDeathTest, UnsupportedDeclarations) {
    expectParseError("(benchmark b\n:extrasorts\n)", "extrasorts attribute not supported", 2);
    expectParseError("(benchmark b\n:extrafuns ((f BitVec[8] BitVec[8])))", "uninterpreted functions not supported", 2);
    expectParseError("(benchmark b :extrapreds (\n(r BitVec[8])))", "uninterpreted functions not supported", 2);
    expectParseError("(benchmark b :formula (= bv1[+8] x))", "invalid numeral", 1);
}

TEST(ParseErrorDeathTest, FatalReportsOfTheParseActions) {
    expectFatal(benchmark(":formula x"), "parse", "signal is not a boolean");
    expectFatal(benchmark(":assumption (ite p x y)"), "parse", "signal is not a boolean");
    expectFatal("(benchmark b :extrafuns ((w BitVec[4294967295])))", "parse", "bitsize of operand is to big");
    expectFatal("(benchmark b :extrafuns ((w BitVec[-4294967296])))", "parse", "bitsize of operand is to big");
    expectFatal(benchmark(":formula (= x y x)"), "parse", "statement has more then two operands: 3");
    expectFatal(benchmark(":formula (= x)"), "parse", "statement has more then two operands: 1");
    expectFatal(benchmark(":formula (= x bv1[4294967295])"), "parse", "bitsize > uint max");

    expectRefusal(benchmark(":formula (bvlt x y)"), "parse", "not supported yet");
    expectRefusal(benchmark(":formula (= (f x) y)"), "parse", "not supported yet");
    expectRefusal(benchmark(":formula (= (repeat[2] u) x)"), "parse", "not supported yet");
    expectRefusal(benchmark(":formula (= (rotate_left[2] x) x)"), "parse", "not supported yet");
    expectRefusal(benchmark(":formula (= (rotate_right[2] x) x)"), "parse", "not supported yet");
    expectRefusal(benchmark(":formula (= (bvashr x y) x)"), "parse", "not supported yet");
    expectRefusal(benchmark(":formula (= (BVLSHR x y) x)"), "parse", "not supported yet");
    expectRefusal(benchmark(":formula (= (Zero_Extend[4] u) x)"), "parse", "not supported yet");

    expectFatal(benchmark(":formula (= (ite x x y) y)"), "parse", "cond is not a bool");
    expectFatal(benchmark(":formula (= (ite p x y x) y)"), "parse", "ite has more then 'then' and 'else'3");
    expectFatal(benchmark(":formula (= (ite p x) y)"), "parse", "ite has more then 'then' and 'else'1");
}

TEST(ParseErrorDeathTest, ExtractAndExtendParameters) {
    expectFatal(benchmark(":formula (= (extract[4294967296:0] x) x)"), "parse", "bitsize to big");
    expectFatal(benchmark(":formula (= (extract[0:4294967296] x) x)"), "parse", "bitsize to big");
    expectFatal(benchmark(":formula (= (extract[4294967295:0] x) x)"), "parse", "index out of bound: 4294967295");
    expectFatal(benchmark(":formula (= (extract[2:3] x) u)"), "parse", "bitsize is zero");
    expectFatal(benchmark(":formula (= (extract[8:0] x) x)"), "parse", "index out of bound: 8");
    expectFatal(benchmark(":formula (= (extract[3:9] x) x)"), "parse", "index out of bound: 9");
    expectFatal(benchmark(":formula (= (extract[2:5] x) x)"), "parse", "b > a: 5 2");
    expectFatal(benchmark(":formula (= (zero_extend[4294967295] u) x)"), "parse", "index value to big");
    expectFatal(benchmark(":formula (= (sign_extend[2000000000] x) x)"), "parse",
                "bitsize of result is to big: 2000000008");
}

TEST(ParseErrorDeathTest, ScopesOfLetAndFlet) {
    expectFatal(benchmark(":formula (let (?a x) (let (?a y) (= ?a x)))"), "smt2xml", "variable already defined: ?a");
    expectFatal(benchmark(":formula (flet ($a p) (flet ($a q) $a))"), "smt2xml", "variable already defined: $a");
    expectFatal(benchmark(":formula (and (let (?a x) (= ?a y)) (= ?a y))"), "smt2xml", "variable not found: ?a");
    expectFatal(benchmark(":formula (and (flet ($a p) $a) $a)"), "smt2xml", "variable not found: $a");
    // The bound term is complete before its own name is bound.
    expectFatal(benchmark(":formula (let (?a (bvadd ?a x)) (= ?a y))"), "smt2xml", "variable not found: ?a");
}
