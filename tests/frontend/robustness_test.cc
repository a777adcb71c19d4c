// Inputs at the edges: deep nesting (the parse stack grows on the heap and
// nothing is released recursively), the stack limit, binary garbage,
// truncated files and a width too large to number.
#include <cstdint>
#include <cstring>

#include <sys/wait.h>

#include "parse_helpers.h"

using parse_test::benchmark;
using parse_test::expectAnswer;
using parse_test::expectParseError;

namespace {
const int deep = 100000;

std::string repeated(const std::string& s, int n) {
    std::string out;
    out.reserve(s.size() * n);
    for (int i = 0; i < n; ++i) out += s;
    return out;
}

// A chain of `binder`s: name0 bound to `first`, name_i to name_(i-1), each
// in the scope of the previous one; `innermost` is the body of the last.
std::string chain(const std::string& binder, const std::string& name, const std::string& first,
                  const std::string& innermost) {
    std::string text = ":formula (" + binder + " (" + name + "0 " + first + ")\n";
    for (int i = 1; i < deep; ++i)
        text += "(" + binder + " (" + name + std::to_string(i) + " " + name + std::to_string(i - 1) + ")\n";
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

TEST(RobustnessDeathTest, ChainsAndNestingsAHundredThousandDeep) {
    const std::string last = std::to_string(deep - 1);
    expectAnswer(chain("let", "?v", "x", "(= ?v" + last + " x)"), true);
    expectAnswer(chain("let", "?v", "x", "(not (= ?v" + last + " x))"), false);
    expectAnswer(chain("flet", "$f", "(= x bv1[8])", "(and $f" + last + " (= x bv1[8]))"), true);
    expectAnswer(chain("flet", "$f", "(= x bv1[8])", "(and $f" + last + " (= x bv2[8]))"), false);
    expectAnswer(benchmark(":assumption (not p)\n:formula " + repeated("(", deep) + "p" + repeated(")", deep)), false);
    // An even number of negations is the identity, an odd one is not.
    std::string nots = repeated("(bvnot ", deep), bit = "(extract[0:0] x)";
    expectAnswer(benchmark(":formula (= " + nots + bit + repeated(")", deep) + " " + bit + ")"), true);
    expectAnswer(benchmark(":formula (= (bvnot " + nots + bit + repeated(")", deep + 1) + " " + bit + ")"), false);
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

// The parse stack is limited to ten million entries, and a width too large
// to number ends with a report of its own rather than exhausting memory.
TEST(RobustnessDeathTest, LimitsEndWithAReport) {
    expectParseError("(benchmark b :formula " + std::string(10000000, '('), "memory exhausted", 1);
    parse_test::BenchmarkFile tooWide("(benchmark b :extrafuns ((w BitVec[2147483647])) :formula (= w w))");
    EXPECT_EXIT(parse_test::parseAndExit(tooWide.path), testing::KilledBySignal(SIGABRT), "^File: ");
}
