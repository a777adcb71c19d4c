// The parser's error reports end to end: each benchmark is parsed in a child
// process and its report compared in full. A parse error names its input
// line; a fatal report names its raising source (up to the number of the
// raising source line), and a refused construct adds the line that points
// to the reader of the whole language.
#include "parse_helpers.h"

using parse_test::benchmark;

namespace {
struct ErrorCase {
    std::string text;
    std::string source;  // of a fatal report; empty for a parse error
    std::string message;
    int line = 0;  // of a parse error
};

// A refusal: the message and the line naming the reader of the whole language.
std::string refused(const std::string& message) {
    return message + "\n(torva --extended reads the whole SMT-LIB 1.2 QF_BV language)";
}
}  // namespace

TEST(ParseErrorDeathTest, EachReportIsExact) {
    const std::string notYet = refused("not supported yet");
    const ErrorCase cases[] = {
        // Syntax errors name the line of the offending token.
        {"(benchmark b\n)", "", "Syntax error", 2},
        {"(benchmark b\n:logic QF_UFBV)", "", "Syntax error", 2},
        {"(benchmark b :logic QF_BV)\n(benchmark c :logic QF_BV)", "", "Syntax error", 2},
        {"; header comment\n(benchmark b :logic QF_BV)", "", "Syntax error", 2},
        // A comment token ends with its newline.
        {benchmark(":formula (and p\n; inside\n q)"), "", "Syntax error", 7},
        // Formulas are not compared with "="; let binds terms, flet formulas.
        {benchmark(":formula (= (bvult x y) p)"), "", "Syntax error", 5},
        {benchmark(":formula (let (?a true) true)"), "", "Syntax error", 5},
        {benchmark(":formula (flet ($a bv1[8]) true)"), "", "Syntax error", 5},
        {benchmark(":formula (extract[7:0] x)"), "", "Syntax error", 5},
        {benchmark(":formula (= (bvnand x) x)"), "", "Syntax error", 5},
        {benchmark(":status sat sat"), "", "Syntax error", 5},
        // Carriage returns are refused outside texts.
        {"(benchmark b\r\n:logic QF_BV\r\n)\r\n", "", "Syntax error", 1},
        {"(benchmark b\n:logic QF_BV\n:notes \"one\r\ntwo\"\n; note\r\n:source {a\r\nb}\r\n)", "", "Syntax error", 7},
        {"(benchmark b\n:extrasorts\n)", "", "extrasorts attribute not supported", 2},
        {"(benchmark b\n:extrafuns ((f BitVec[8] BitVec[8])))", "", "uninterpreted functions not supported", 2},
        {"(benchmark b :extrapreds (\n(r BitVec[8])))", "", "uninterpreted functions not supported", 2},
        {"(benchmark b :formula (= bv1[+8] x))", "", "invalid numeral", 1},
        // The parse actions.
        {benchmark(":formula x"), "parse", "signal is not a boolean"},
        {benchmark(":assumption (ite p x y)"), "parse", "signal is not a boolean"},
        {"(benchmark b :extrafuns ((w BitVec[4294967295])))", "parse", "bitsize of operand is to big"},
        {"(benchmark b :extrafuns ((w BitVec[-4294967296])))", "parse", "bitsize of operand is to big"},
        {benchmark(":formula (= x y x)"), "parse", "statement has more then two operands: 3"},
        {benchmark(":formula (= x)"), "parse", "statement has more then two operands: 1"},
        {benchmark(":formula (= x bv1[4294967295])"), "parse", "bitsize > uint max"},
        {benchmark(":formula (bvlt x y)"), "parse", notYet},
        {benchmark(":formula (= (f x) y)"), "parse", notYet},
        {benchmark(":formula (= (repeat[2] u) x)"), "parse", notYet},
        {benchmark(":formula (= (rotate_left[2] x) x)"), "parse", notYet},
        {benchmark(":formula (= (rotate_right[2] x) x)"), "parse", notYet},
        {benchmark(":formula (= (bvashr x y) x)"), "parse", notYet},
        {benchmark(":formula (= (BVLSHR x y) x)"), "parse", notYet},
        {benchmark(":formula (= (Zero_Extend[4] u) x)"), "parse", notYet},
        {benchmark(":formula (= (ite x x y) y)"), "parse", "cond is not a bool"},
        {benchmark(":formula (= (ite p x y x) y)"), "parse", "ite has more then 'then' and 'else'3"},
        {benchmark(":formula (= (ite p x) y)"), "parse", "ite has more then 'then' and 'else'1"},
        {benchmark(":formula (= (extract[4294967296:0] x) x)"), "parse", "bitsize to big"},
        {benchmark(":formula (= (extract[0:4294967296] x) x)"), "parse", "bitsize to big"},
        {benchmark(":formula (= (extract[4294967295:0] x) x)"), "parse", "index out of bound: 4294967295"},
        {benchmark(":formula (= (extract[2:3] x) u)"), "parse", "bitsize is zero"},
        {benchmark(":formula (= (extract[8:0] x) x)"), "parse", "index out of bound: 8"},
        {benchmark(":formula (= (extract[3:9] x) x)"), "parse", "index out of bound: 9"},
        {benchmark(":formula (= (extract[2:5] x) x)"), "parse", "b > a: 5 2"},
        {benchmark(":formula (= (zero_extend[4294967295] u) x)"), "parse", "index value to big"},
        {benchmark(":formula (= (sign_extend[2000000000] x) x)"), "parse", "bitsize of result is to big: 2000000008"},
        // The translation: the case of operator keywords, widths beyond the
        // signed range, and the scopes of let and flet.
        {benchmark(":formula (= (BVADD x y) x)"), "smt2xml", refused("operator not supported: BVADD")},
        {benchmark(":formula (AND p q)"), "smt2xml", refused("operator not supported: AND")},
        {"(benchmark b :extrafuns ((w BitVec[2147483648])))", "smt2xml", "negative bitsize not supported: -2147483648"},
        {"(benchmark b :extrafuns ((w BitVec[4294967294])))", "smt2xml", "negative bitsize not supported: -2"},
        {"(benchmark b :extrafuns ((w BitVec[0])))", "smt2xml", "negative bitsize not supported: 0"},
        {"(benchmark b :formula (= bv0[3000000000] bv0[3000000000]))", "smt2xml", "negative bitsize not supported"},
        {benchmark(":formula (let (?a x) (let (?a y) (= ?a x)))"), "smt2xml", "variable already defined: ?a"},
        {benchmark(":formula (flet ($a p) (flet ($a q) $a))"), "smt2xml", "variable already defined: $a"},
        {benchmark(":formula (and (let (?a x) (= ?a y)) (= ?a y))"), "smt2xml", "variable not found: ?a"},
        {benchmark(":formula (and (flet ($a p) $a) $a)"), "smt2xml", "variable not found: $a"},
        // The bound term is complete before its own name is bound.
        {benchmark(":formula (let (?a (bvadd ?a x)) (= ?a y))"), "smt2xml", "variable not found: ?a"},
    };
    for (const ErrorCase& c : cases) {
        if (c.source.empty())
            parse_test::expectParseError(c.text, c.message, c.line);
        else
            parse_test::expectFatal(c.text, c.source, c.message);
    }
}
