// Malformed inputs: each gives exactly one error line naming the offending
// token's line, never a crash or a benchmark that looks complete. Covers the
// error classes (syntax, unknown names and scopes of let and flet, sorts,
// widths and indices, refused declarations and logics), every truncation of
// a sample and byte noise.
#include <cstring>
#include <tuple>

#include "extended_harness.h"

using extended_test::benchmark;
using extended_test::expectError;
using extended_test::formula;
using extended_test::parse;

TEST(ExtendedErrors, EachNamesTheOffendingTokensLine) {
    const std::tuple<std::string, const char*, int> cases[] = {
        {"(benchmark b\n:logic QF_BV\n(x)\n)", "Syntax error, unexpected '('", 3},
        {"(benchmark b :logic QF_BV)\n(benchmark c :logic QF_BV)", "unexpected '(' after the benchmark", 2},
        {"(benchmark b :logic QF_BV) x", "unexpected 'x' after the benchmark", 1},
        {"benchmark b", "Syntax error, unexpected 'benchmark'", 1},
        {"(bench b)", "Syntax error, unexpected 'bench'", 1},
        {"(benchmark b :logic QF_BV", "unexpected end of input", 1},
        {"(benchmark b\n:formula\n", "unexpected end of input", 3},
        {formula("(and p\n# q)"), "unexpected character '#'", 6},
        {formula("(and p \x01)"), "unexpected character \\x01", 5},
        {formula("(and p :a q)"), "operand after an annotation", 5},
        {formula("(bvadd x y :a {v}\n x)"), "operand after an annotation", 6},
        {formula("()"), "Syntax error, unexpected ')'", 5},
        {formula("(x y)"), "'x' is not an operator", 5},
        {formula("((p) q)"), "a parenthesised term takes one operand", 5},
        {formula(")"), "Syntax error, unexpected ')'", 5},
        {formula(":a"), "Syntax error, unexpected ':a'", 5},
        {formula("(extract 1 0 x)"), "Syntax error, unexpected numeral '1'", 5},
        {formula("(= (extract[1] x) u)"), "Syntax error, unexpected ']'", 5},
        {formula("(= (repeat[1:1] x) x)"), "Syntax error, unexpected ':'", 5},
        {benchmark(":notes \"open\n\n"), "unterminated string", 5},
        {benchmark(":source {open"), "unterminated user value", 5},
        {benchmark(":status"), "Syntax error, unexpected ')'", 6},
        {benchmark(":extrafuns ((?x BitVec[4]))"), "Syntax error, unexpected '?x'", 5},
        {formula("(= x z)"), "unknown name 'z'", 5},
        {formula("(foo x)"), "unknown operator 'foo'", 5},
        {formula("(and p\n bvadd)"), "'bvadd' needs operands", 6},
        {formula("let"), "'let' needs operands", 5},
        {formula("(= x bvbin)"), "unknown name 'bvbin'", 5},
        {formula("(= x bvhexG)"), "unknown name 'bvhexG'", 5},
        {benchmark(":extrafuns ((x BitVec[4]))"), "'x' is declared twice", 5},
        {benchmark(":extrapreds ((p))"), "'p' is declared twice", 5},
        {benchmark(":extrapreds ((true))"), "'true' is a constant and cannot be declared", 5},
        {benchmark(":extrafuns ((bit1 BitVec[1]))"), "'bit1' is a constant", 5},
        {benchmark(":extrafuns ((f BitVec[4] BitVec[4]))"), "uninterpreted functions not supported", 5},
        {benchmark(":extrapreds ((r BitVec[4]))"), "uninterpreted functions not supported", 5},
        {benchmark(":extrafuns ((f))"), "function 'f' has no sort", 5},
        {benchmark(":extrafuns ((f Int))"), "unknown sort 'Int'", 5},
        {benchmark(":extrafuns ((f BitVec[4] :a BitVec[4]))"), "Syntax error, unexpected 'BitVec'", 5},
        {"(benchmark b\n:extrasorts (S))", "extrasorts attribute not supported", 2},
        {"(benchmark b\n:logic QF_UFBV)", "logic 'QF_UFBV' is not supported", 2},
        {"(benchmark b\n:logic qf_bv)", "logic 'qf_bv' is not supported", 2},
        {formula("(= (bvadd x\n u) x)"), "bvadd expects operands of equal width", 5},
        {formula("(and p\n (bvadd x x))"), "and expects formulas, got BitVec[4]", 5},
        {formula("(and p\n (bvadd x\n p))"), "bvadd expects bit-vector operands, got Bool", 6},
        {formula("(not x)"), "not expects formulas, got BitVec[4]", 5},
        {formula("(iff x y)"), "iff expects formulas", 5},
        {formula("(= x u)"), "= expects", 5},
        {formula("(= x p)"), "= expects", 5},
        {formula("(= (ite x y y) y)"), "ite expects a Boolean condition", 5},
        {formula("(= (ite p x u) x)"), "ite expects", 5},
        {formula("(bvult x p)"), "bvult expects", 5},
        {formula("(= x)"), "= expects at least 2 operands", 5},
        {formula("(and)"), "and expects at least 1 operand", 5},
        {formula("(= (bvneg x x) x)"), "bvneg expects 1 operand", 5},
        {formula("(= (bvredor x x) b)"), "bvredor expects 1 operand", 5},
        {benchmark(":assumption\n(bvadd x y)"), "the assumption is a BitVec[4] term, not a formula", 6},
        {benchmark(":formula u"), "the formula is a BitVec[2] term, not a formula", 5},
        {benchmark(":extrafuns ((w BitVec[0]))"), "bit-vector width 0 is not between 1 and 1073741823", 5},
        {benchmark(":extrafuns ((w BitVec[1073741824]))"), "width 1073741824 is not between", 5},
        {benchmark(":extrafuns ((w BitVec[4294967296]))"), "width 4294967296 is too large", 5},
        {formula("(= x bv1[0])"), "bit-vector width 0 is not between", 5},
        {formula("(= x bv1[99999999999999999999])"), "width 99999999999999999999 is too large", 5},
        {formula("(= x -1[4])"), "the constant -1 is negative", 5},
        {formula("(= x bv1[4)"), "Syntax error, unexpected ')'", 5},
        {formula("(= x (extract[4:0] x))"), "extract index 4 is out of range", 5},
        {formula("(= u (extract[1:2] x))"), "extract expects its first index at least its second", 5},
        {formula("(= u (extract[4294967296:0] x))"), "index 4294967296 is too large", 5},
        {formula("(= x (repeat[0] x))"), "repeat expects a count of at least 1", 5},
        {formula("(= x (repeat[1073741824] x))"), "exceeds the maximum width", 5},
        {formula("(= x (zero_extend[1073741823] x))"), "exceeds the maximum width", 5},
        {formula("(= x (concat (repeat[536870912] x) x))"), "exceeds the maximum width", 5},
        {formula("(and (let (?a x) (= ?a y)) (= ?a y))"), "unknown name '?a'", 5},
        {formula("(and (flet ($a p) $a) $a)"), "unknown name '$a'", 5},
        {formula("(let (?a (bvadd ?a x)) (= ?a y))"), "unknown name '?a'", 5},
        {formula("(let ($a x) (= $a x))"), "let binds a name starting with '?'", 5},
        {formula("(flet (?a p) ?a)"), "flet binds a name starting with '$'", 5},
        {formula("(let (?a x) (= ?a x) (= ?a y))"), "has its body already", 5},
        {formula("(let (?a x))"), "Syntax error, unexpected ')'", 5},
        {formula("(let (?a x y) p)"), "Syntax error, unexpected 'y'", 5},
        // Names stay case-sensitive where keywords and operators are not.
        {"(benchmark b :extrafuns ((x BitVec[4])) :formula (= X x))", "unknown name 'X'", 1},
    };
    for (const auto& [text, fragment, line] : cases) expectError(text, fragment, line);
    // The widest vector is read.
    auto widest = parse(benchmark(":extrafuns ((w BitVec[1073741823]))\n:formula (= w (bvnot (bvnot w)))"));
    EXPECT_TRUE(widest->ok) << widest->error;
}

namespace {
const char* const kSample =
    "(benchmark t\n"
    ":logic QF_BV\n"
    ":extrafuns ((a BitVec[8]) (b BitVec[8]))\n"
    ":extrapreds ((p))\n"
    ":notes \"two\n lines\"\n"
    ":source {a \\} b\n c}\n"
    "; a comment\n"
    ":assumption (let (?s (bvadd a b)) (= ?s bv10[8]))\n"
    ":formula (flet ($e (bvult a b)) (and $e p (= (extract[3:0] a) bv1[4]) :n {v}))\n"
    ")\n";

// The line on which text that opened before `end` and is still open there
// began, or 0 when none is open.
int openTextLine(const std::string& text, size_t end) {
    int line = 1, openedAt = 0;
    char closer = 0;
    for (size_t i = 0; i < end; ++i) {
        char c = text[i];
        if (closer) {
            if (c == '\\' && closer == '}') {
                while (i + 1 < end && text[i + 1] == '\\') ++i;
                if (i + 1 < end && text[i + 1] == '}') ++i;
            } else if (c == closer) {
                closer = 0;
            }
        } else if (c == '"' || c == '{') {
            closer = c == '"' ? '"' : '}';
            openedAt = line;
        }
        if (text[i] == '\n') ++line;
    }
    return closer ? openedAt : 0;
}
}  // namespace

TEST(ExtendedErrors, EveryTruncationOfASampleIsOneErrorLine) {
    const std::string text = kSample;
    ASSERT_TRUE(parse(text)->ok);
    int line = 1;
    for (size_t cut = 0; cut < text.size(); ++cut) {
        if (cut > 0 && text[cut - 1] == '\n') ++line;
        std::string prefix = text.substr(0, cut);
        auto parsed = parse(prefix);
        // Only the empty input and whole benchmarks are complete.
        if (cut == 0 || cut >= text.size() - 1) {
            EXPECT_TRUE(parsed->ok) << parsed->error;
            continue;
        }
        ASSERT_FALSE(parsed->ok) << "cut at " << cut;
        // A word cut short may be another name; it is still reported on the
        // cut's line, as every token there is.
        int opened = openTextLine(text, cut);
        extended_test::expectErrorLine(parsed->error, opened ? opened : line, prefix);
    }
}

TEST(ExtendedErrors, ByteNoiseEndsWithAnErrorLine) {
    uint32_t seed = 7;
    auto next = [&seed] { return seed = seed * 1103515245u + 12345u; };
    auto noise = [&next](size_t length) {
        std::string out;
        for (size_t i = 0; i < length; ++i) out += static_cast<char>(next() >> 23);
        return out;
    };
    for (int round = 0; round < 200; ++round) {
        for (const std::string& text : {"(" + noise(round), formula("(= x " + noise(round % 50)),
                                        benchmark(":formula (and " + noise(round % 30) + ")")}) {
            auto parsed = parse(text);
            EXPECT_TRUE(parsed->ok || parsed->error.rfind("ERROR: ", 0) == 0) << parsed->error;
            EXPECT_EQ(parsed->error.find('\n'), std::string::npos) << parsed->error;
        }
    }
    // Noise made of the language's own tokens.
    const char* pieces[] = {"(", ")", "(", ")", "x ", "p ", "bv1[4] ", "and ", "let ", "(?a ", "?a ", ":n ",
                            "{v} ", "extract[1:0] ", "ite ", "= ", "bvadd ", "[", "]", "flet ", "$f "};
    for (int round = 0; round < 1000; ++round) {
        std::string body;
        for (int i = 0; i < 12; ++i) body += pieces[(next() >> 16) % (sizeof pieces / sizeof pieces[0])];
        auto parsed = parse(formula(body));
        EXPECT_TRUE(parsed->ok ? parsed->benchmark.assertions.size() == 1 : parsed->error.rfind("ERROR: ", 0) == 0)
            << parsed->error << " for " << body;
    }
}
