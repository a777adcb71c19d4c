// Inputs at the edges: deep nesting (the parse stack grows on the heap and
// nothing is released recursively), the stack limit, CR-LF line ends,
// binary garbage, truncated files and widths near the integer limits.
#include <cstdint>
#include <cstring>

#include <sys/wait.h>

#include "parse_helpers.h"

using parse_test::benchmark;
using parse_test::expectFatal;
using parse_test::expectParseError;
using parse_test::expectSat;
using parse_test::expectUnsat;

namespace {
const int deep = 100000;

std::string repeated(const std::string& s, int n) {
    std::string out;
    out.reserve(s.size() * n);
    for (int i = 0; i < n; ++i) out += s;
    return out;
}

// ?v0 = x, ?vi = ?v(i-1), each binding in the scope of the previous one;
// `innermost` is the body of the last let.
std::string letChain(const std::string& innermost) {
    std::string text = ":formula (let (?v0 x)\n";
    for (int i = 1; i < deep; ++i) text += "(let (?v" + std::to_string(i) + " ?v" + std::to_string(i - 1) + ")\n";
    return benchmark(text + innermost + repeated(")", deep));
}

// $f0 = (x = 1), $fi = $f(i-1).
std::string fletChain(const std::string& innermost) {
    std::string text = ":formula (flet ($f0 (= x bv1[8]))\n";
    for (int i = 1; i < deep; ++i) text += "(flet ($f" + std::to_string(i) + " $f" + std::to_string(i - 1) + ")\n";
    return benchmark(text + innermost + repeated(")", deep));
}

// Deterministic byte noise.
std::string noise(uint32_t seed, size_t length) {
    std::string out;
    for (size_t i = 0; i < length; ++i) {
        seed = seed * 1103515245u + 12345u;
        out += static_cast<char>(seed >> 23);
    }
    return out;
}

bool endedByAnErrorReport(int status) {
    return (WIFEXITED(status) && WEXITSTATUS(status) == 1) || (WIFSIGNALED(status) && WTERMSIG(status) == SIGABRT);
}

}  // namespace

TEST(RobustnessDeathTest, LetAndFletChainsAHundredThousandDeep) {
    std::string last = "?v" + std::to_string(deep - 1);
    expectSat(letChain("(= " + last + " x)"));
    expectUnsat(letChain("(not (= " + last + " x))"));
    std::string lastF = "$f" + std::to_string(deep - 1);
    expectSat(fletChain("(and " + lastF + " (= x bv1[8]))"));
    expectUnsat(fletChain("(and " + lastF + " (= x bv2[8]))"));
}

TEST(RobustnessDeathTest, DeeplyNestedFormulasAndTerms) {
    expectUnsat(benchmark(":assumption (not p)\n:formula " + repeated("(", deep) + "p" + repeated(")", deep)));
    // An even number of negations is the identity, an odd one is not.
    std::string nots = repeated("(bvnot ", deep), bit = "(extract[0:0] x)";
    expectSat(benchmark(":formula (= " + nots + bit + repeated(")", deep) + " " + bit + ")"));
    expectUnsat(benchmark(":formula (= (bvnot " + nots + bit + repeated(")", deep + 1) + " " + bit + ")"));
}

TEST(RobustnessDeathTest, ParseStackIsLimitedToTenMillionEntries) {
    expectParseError("(benchmark b :formula " + std::string(10000000, '('), "memory exhausted", 1);
}

TEST(RobustnessDeathTest, CarriageReturnsOutsideTextAreRejected) {
    expectParseError("(benchmark b\r\n:logic QF_BV\r\n)\r\n", "Syntax error", 1);
    expectParseError("(benchmark b\n:logic QF_BV\n:notes \"one\r\ntwo\"\n; note\r\n:source {a\r\nb}\r\n)", "Syntax error", 7);
}

TEST(RobustnessDeathTest, GarbageEndsWithAnErrorReport) {
    for (uint32_t seed = 1; seed <= 20; ++seed) {
        parse_test::BenchmarkFile noiseOnly("(" + noise(seed, seed * 7));
        EXPECT_EXIT(parse_test::parseAndExit(noiseOnly.path), testing::ExitedWithCode(1),
                    "^ERROR: (Syntax error|invalid numeral) at " + parse_test::quoted(noiseOnly.path) + ":[0-9]+\n$")
            << "seed " << seed;
        // Within a formula, noise may also name an unknown variable.
        parse_test::BenchmarkFile noiseInFormula(benchmark(":formula (= x " + noise(seed, 64)));
        EXPECT_EXIT(parse_test::parseAndExit(noiseInFormula.path), endedByAnErrorReport,
                    "^(ERROR: (Syntax error|invalid numeral) at " + parse_test::quoted(noiseInFormula.path) +
                        ":[0-9]+|File: smt2xml\nLine: [0-9]+\n\nvariable not found: [^\n]*)\n$")
            << "seed " << seed;
    }
}

TEST(RobustnessDeathTest, TruncationsEndWithASyntaxErrorAtTheirLastLine) {
    const std::string text =
        "(benchmark t\n"
        ":logic QF_BV\n"
        ":extrafuns ((a BitVec[8]) (b BitVec[8]))\n"
        ":extrapreds ((p))\n"
        ":notes \"two\n lines\"\n"
        ":source {a \\} b}\n"
        "; a comment\n"
        ":assumption (let (?s (bvadd a b)) (= ?s bv10[8]))\n"
        ":formula (flet ($e (bvult a b)) (and $e (= (extract[3:0] a) bv1[4])))\n"
        ")\n";
    parse_test::BenchmarkFile whole(text);
    EXPECT_EXIT(parse_test::parseAndExit(whole.path), testing::ExitedWithCode(0), "");
    int line = 1;
    for (size_t cut = 1; cut + 1 < text.size(); ++cut) {
        if (text[cut - 1] == '\n') ++line;
        // Cuts between tokens (and inside texts); a word cut short would be
        // another name, which the variable table may not know.
        if (!std::strchr(" \n()", text[cut])) continue;
        expectParseError(text.substr(0, cut), "Syntax error", line);
    }
}

TEST(RobustnessDeathTest, WidthsBeyondTheSignedRange) {
    expectFatal("(benchmark b :extrafuns ((w BitVec[2147483648])))", "smt2xml",
                "negative bitsize not supported: -2147483648");
    expectFatal("(benchmark b :extrafuns ((w BitVec[4294967294])))", "smt2xml", "negative bitsize not supported: -2");
    expectFatal("(benchmark b :extrafuns ((w BitVec[0])))", "smt2xml", "negative bitsize not supported: 0");
    expectFatal("(benchmark b :formula (= bv0[3000000000] bv0[3000000000]))", "smt2xml",
                "negative bitsize not supported");
    // Too wide to number: ends with a report of its own rather than exhausting memory.
    parse_test::BenchmarkFile tooWide("(benchmark b :extrafuns ((w BitVec[2147483647])) :formula (= w w))");
    EXPECT_EXIT(parse_test::parseAndExit(tooWide.path), testing::KilledBySignal(SIGABRT), "^File: ");
}
