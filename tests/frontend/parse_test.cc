// The basic reader end to end, each benchmark parsed (and solved) in a child
// process: what the parse actions build on the edges the random end-to-end
// campaign (Program.ScriptsAndBenchmarksEndToEnd, every operator, spelling
// and constant style against known answers) does not produce; the exact
// error reports (parse errors name their input line, fatal reports their
// raising source); nesting a hundred thousand deep, the stack limit and
// every truncation of a sample. Progress and comment lines and the report of
// a missing file are pinned by the golden runs.
#include <gtest/gtest.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include "config.h"
#include "frontend/smt2xml.h"
#include "solver/solver.h"

namespace {
// A benchmark file in the test's temporary directory, removed with the
// object.
struct BenchmarkFile {
    std::string path;

    explicit BenchmarkFile(const std::string& text) {
        static int counter = 0;
        path = testing::TempDir() + "torva_frontend_" + std::to_string(getpid()) + "_" + std::to_string(counter++) +
               ".smt";
        std::ofstream(path, std::ios::binary) << text;
    }
    ~BenchmarkFile() { std::remove(path.c_str()); }
    BenchmarkFile(const BenchmarkFile&) = delete;
    BenchmarkFile& operator=(const BenchmarkFile&) = delete;
};

// Declarations of 8-bit x and y, 4-bit u, predicates p and q, then the
// attributes (from line 5 on).
std::string benchmark(const std::string& attributes) {
    return "(benchmark test\n:logic QF_BV\n:extrafuns ((x BitVec[8]) (y BitVec[8]) (u BitVec[4]))\n"
           ":extrapreds ((p) (q))\n" + attributes + "\n)\n";
}

// Parses the file (and, if `decide`, solves it) with the progress lines
// silenced; ends with 0 after a parse, 10 when satisfiable, 20 when not.
[[noreturn]] void runAndExit(const std::string& path, bool decide = false) {
    (void)std::freopen("/dev/null", "w", stdout);
    Solver s(prioParams[0]);
    parseSMT(s, const_cast<char*>(path.c_str()));
    int status = 0;
    if (decide) {
        clearVariables();
        status = s.simplify() && s.solve(vec<Lit>()) ? 10 : 20;
    }
    std::fflush(stdout);
    std::_Exit(status);
}

// The text as a POSIX extended regular expression that matches it literally.
std::string literally(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (std::strchr(".[]()*+?{}|^$\\", c)) out += '\\';
        out += c;
    }
    return out;
}

void expectAnswer(const std::string& text, bool sat) {
    BenchmarkFile file(text);
    EXPECT_EXIT(runAndExit(file.path, true), testing::ExitedWithCode(sat ? 10 : 20), "") << text;
}

// The parse ends with the parse error `message` on input line `line`.
void expectParseError(const std::string& text, const std::string& message, int line) {
    BenchmarkFile file(text);
    std::string report = "ERROR: " + message + " at " + file.path + ":" + std::to_string(line) + "\n";
    EXPECT_EXIT(runAndExit(file.path), testing::ExitedWithCode(1), testing::Eq(report)) << text;
}

// The parse aborts with a fatal report of `source` and `message`; its line
// names the raising statement, not the input, and is left open.
void expectFatal(const std::string& text, const std::string& source, const std::string& message) {
    BenchmarkFile file(text);
    EXPECT_EXIT(runAndExit(file.path), testing::KilledBySignal(SIGABRT),
                "^File: " + literally(source) + "\nLine: [0-9]+\n\n" + literally(message) + "\n$")
        << text;
}

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

TEST(ParseSemanticsDeathTest, AnswersOfTheSolver) {
    const bool sat = true, unsat = false;
    const std::string x165 = ":assumption (= x bv165[8])\n";  // 1010 0101
    const std::string xy = ":assumption (= x bv1[8])\n:assumption (= y bv2[8])\n";
    const std::string annotated =
        ":notes \"free text\nover two lines\"\n:source { a \\} b }\n:status sat\n:category { industrial }\n"
        ":assumption (= (bvadd (x :a) y :b {v}) bv3[8] :c)\n"
        ":formula ((p :named {n}))\n"
        ":formula (and (flet ($e (= x bv1[8])) $e :e) (let (?a y) (= ?a bv2[8]) :f) :g {w})\n";
    const std::pair<std::string, bool> cases[] = {
        // A minus sign on an index or width is ignored.
        {x165 + ":formula (= (extract[-7:-4] x) bv10[-4])", sat},
        {x165 + ":formula (= (extract[-7:-4] x) bv5[-4])", unsat},
        {":assumption (= u bv9[4])\n:formula (= (zero_extend[0] u) bv3[4])", unsat},
        // Every assertion is asserted, in any order.
        {":assumption (= x y)\n:formula (= y bv2[8])\n:assumption (= x bv1[8])", unsat},
        // A name is free again after its scope; a binding sees the outer one.
        {xy + ":formula (and (let (?a x) (= ?a bv1[8])) (let (?a y) (= ?a bv2[8])))", sat},
        {xy + ":formula (and (let (?a x) (= ?a bv1[8])) (let (?a y) (= ?a bv1[8])))", unsat},
        {":formula (flet ($e p) (flet ($f (not $e)) (iff $e $f)))", unsat},
        {":formula (and (flet ($e p) $e) (flet ($e (not q)) $e))", sat},
        // Annotations and attributes are ignored.
        {annotated, sat},
        {annotated + ":formula (not p)", unsat},
    };
    for (const auto& [attributes, expected] : cases) expectAnswer(benchmark(attributes), expected);
    expectAnswer("", sat);
    expectAnswer("(benchmark empty :logic QF_BV)", sat);
}

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
        // A carriage return is refused outside a text.
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
            expectParseError(c.text, c.message, c.line);
        else
            expectFatal(c.text, c.source, c.message);
    }
}

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

TEST(RobustnessDeathTest, TruncationsEndWithASyntaxErrorAtTheirLastLine) {
    const std::string text =
        "(benchmark t\n:logic QF_BV\n:extrafuns ((a BitVec[8]) (b BitVec[8]))\n:extrapreds ((p))\n"
        ":notes \"two\n lines\"\n:source {a \\} b}\n; a comment\n"
        ":assumption (let (?s (bvadd a b)) (= ?s bv10[8]))\n"
        ":formula (flet ($e (bvult a b)) (and $e (= (extract[3:0] a) bv1[4])))\n)\n";
    BenchmarkFile whole(text);
    EXPECT_EXIT(runAndExit(whole.path), testing::ExitedWithCode(0), "");
    int line = 1;
    for (size_t cut = 1; cut + 1 < text.size(); ++cut) {
        if (text[cut - 1] == '\n') ++line;
        // Cuts between tokens (and inside texts); a word cut short would be
        // another name, which the variable table may not know.
        if (std::strchr(" \n()", text[cut])) expectParseError(text.substr(0, cut), "Syntax error", line);
    }
}

// The parse stack is limited to ten million entries, and a width too large
// to number ends with a report of its own rather than exhausting memory.
TEST(RobustnessDeathTest, LimitsEndWithAReport) {
    expectParseError("(benchmark b :formula " + std::string(10000000, '('), "memory exhausted", 1);
    BenchmarkFile tooWide("(benchmark b :extrafuns ((w BitVec[2147483647])) :formula (= w w))");
    EXPECT_EXIT(runAndExit(tooWide.path), testing::KilledBySignal(SIGABRT), "^File: ");
}
