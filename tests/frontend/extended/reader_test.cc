// The extended reader, judged by brute force over every assignment of the
// declared variables: constructs in pairs that differ in one constant so
// that a wrong reading flips one of them, what a benchmark keeps, nesting a
// million deep (read without recursion), and malformed inputs, each giving
// exactly one error line that names the offending token's line (every class
// of error, every truncation of a sample, byte noise). Inputs are read from
// buffers of exactly their size, never NUL-terminated.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "frontend/extended/benchmark.h"
#include "terms/evaluator.h"

namespace {
struct Parsed {
    torva::terms::TermStore store;
    torva::extended::Benchmark benchmark;
    bool ok = false;
    std::string error;
};

std::unique_ptr<Parsed> parse(const std::string& text, const std::string& file = "test.smt") {
    auto parsed = std::make_unique<Parsed>();
    std::unique_ptr<char[]> exact(new char[text.size()]);
    std::copy(text.begin(), text.end(), exact.get());
    parsed->ok = torva::extended::parseBenchmark(exact.get(), text.size(), file, parsed->store, parsed->benchmark,
                                                 parsed->error);
    return parsed;
}

// Declarations of 4-bit x and y, 2-bit u, 1-bit b, predicates p and q
// (13 bits in all), then the attributes from line 5 on.
std::string benchmark(const std::string& attributes) {
    return "(benchmark test\n:logic QF_BV\n:extrafuns ((x BitVec[4]) (y BitVec[4]) (u BitVec[2]) (b BitVec[1]))\n"
           ":extrapreds ((p) (q))\n" + attributes + "\n)\n";
}

std::string formula(const std::string& f) { return benchmark(":formula " + f); }

// The error is one line "ERROR: ... at test.smt:<line>".
void expectErrorLine(const std::string& error, int line, const std::string& input) {
    const std::string suffix = " at test.smt:" + std::to_string(line);
    EXPECT_EQ(error.rfind("ERROR: ", 0), 0u) << error;
    EXPECT_EQ(error.find('\n'), std::string::npos) << error;
    EXPECT_EQ(error.substr(error.size() - std::min(error.size(), suffix.size())), suffix) << input.substr(0, 400);
}

// The text is rejected with one error line naming `line` whose message
// contains `fragment`.
void expectError(const std::string& text, const std::string& fragment, int line) {
    auto parsed = parse(text);
    ASSERT_FALSE(parsed->ok) << text.substr(0, 400);
    expectErrorLine(parsed->error, line, text);
    EXPECT_NE(parsed->error.find(fragment), std::string::npos) << parsed->error << "\n" << text.substr(0, 400);
}

// Whether some assignment of the declared variables (at most 20 bits)
// satisfies every assertion.
bool bruteForceSat(Parsed& parsed) {
    torva::terms::Evaluator evaluator(parsed.store);
    std::vector<std::pair<torva::terms::TermId, unsigned>> variables;  // and their widths
    unsigned bits = 0;
    for (const auto& d : parsed.benchmark.declarations) {
        unsigned width = parsed.store.isBool(d.term) ? 1 : parsed.store.width(d.term);
        variables.push_back({d.term, width});
        bits += width;
    }
    EXPECT_LE(bits, 20u) << "too many bits to enumerate";
    for (uint64_t assignment = 0; bits <= 20 && assignment < (uint64_t(1) << bits); ++assignment) {
        unsigned at = 0;
        for (const auto& [v, width] : variables) {
            evaluator.assign(v, mpz_class(static_cast<unsigned long>((assignment >> at) & ((1u << width) - 1))));
            at += width;
        }
        bool all = true;
        for (torva::terms::TermId a : parsed.benchmark.assertions) all = all && evaluator.value(a) == 1;
        if (all) return true;
    }
    return false;
}

enum Expected { kUnsat, kSat };

void expectAnswer(const std::string& text, Expected expected) {
    auto parsed = parse(text);
    ASSERT_TRUE(parsed->ok) << parsed->error << "\n" << text.substr(0, 400);
    EXPECT_EQ(bruteForceSat(*parsed), expected == kSat) << text.substr(0, 400);
}
}  // namespace

// The random end-to-end campaign (Program.ScriptsAndBenchmarksEndToEnd)
// reads generated benchmarks of every operator, bvN[w], N[w], bit and bare
// constants, keywords in any case, annotations and parenthesised formulas
// with this reader and checks its models; these are the constructs it does
// not generate.
TEST(ExtendedConstructs, AnswersAreTheBruteForceOnes) {
    const std::string annotated =
        ":notes \"free text\nover two lines\"\n:source { a \\} b }\n:status sat\n:category { industrial }\n"
        ":difficulty { 2 }\n:name value\n:assumption (= (bvadd (x :a) y :b {v}) bv3[4] :c)\n"
        ":formula ((p :named {n}))\n"
        ":formula (and (flet ($e (= x bv1[4])) $e :e) (let (?a y) (= ?a bv2[4]) :f) :g {w})\n";
    const std::pair<std::string, Expected> cases[] = {
        {formula("(and (= x bvbin0101) (= x bv5[4]))"), kSat},
        {formula("(and (= x bvbin0101) (not (= x bv5[4])))"), kUnsat},
        {formula("(and (= x bvhexA) (= x bv10[4]))"), kSat},
        {formula("(and (= x bvhexa) (= x bv11[4]))"), kUnsat},
        // bitN is the digit's low bit, and a width's sign is ignored.
        {formula("(not (= bit3 bit1))"), kUnsat},
        {formula("(not (= bit2 bit0))"), kUnsat},
        {formula("(not (= bv5[-4] bv5[4]))"), kUnsat},
        // A 1-bit vector as a whole assertion.
        {benchmark(":assumption b\n:formula (= b bit0)"), kUnsat},
        // The bound term is read before its name is bound: the inner ?a is
        // built from the outer one.
        {formula("(let (?a x) (let (?a (bvadd ?a ?a)) (not (= ?a (bvmul x bv2[4])))))"), kUnsat},
        // After the inner scope the outer binding is back.
        {formula("(let (?a x) (and (let (?a y) (= ?a y)) (not (= ?a x))))"), kUnsat},
        {formula("(let (?a x) (and (let (?a y) (= ?a bv1[4])) (= ?a bv2[4]) (= y bv1[4])))"), kSat},
        {formula("(and (let (?a x) (= ?a bv1[4])) (let (?a y) (= ?a bv2[4])) (= x bv1[4]) (= y bv2[4]))"), kSat},
        {formula("(flet ($e p) (flet ($e (not $e)) (not (iff $e (not p)))))"), kUnsat},
        {formula("(and (flet ($e p) $e) (flet ($e (not q)) $e) p (not q))"), kSat},
        {formula("(and (flet ($e p) $e) (flet ($e (not q)) $e) q)"), kUnsat},
        // Bindings of either kind may hold either sort.
        {formula("(let (?f (bvult x y)) (and ?f (bvuge x y)))"), kUnsat},
        {"(BENCHMARK b :LOGIC QF_BV :EXTRAFUNS ((x BITVEC[4])) :EXTRAPREDS ((p))\n"
         ":FORMULA (AND (LET (?a (BVADD x bv1[4])) (= ?a bv0[4])) (IF_THEN_ELSE p TRUE FALSE)))",
         kSat},
        {benchmark(annotated), kSat},
        {benchmark(annotated + ":formula (not p)"), kUnsat},
        {formula("(= (x) (bv3[4] :a))"), kSat},
        {formula("(and ((p)) (not p))"), kUnsat},
    };
    for (const auto& [text, expected] : cases) expectAnswer(text, expected);
}

TEST(ExtendedConstructs, DeclarationsStatusAndComments) {
    auto parsed = parse(
        "; before\n(benchmark decls\n  ; first inside\n :logic QF_BV\n"
        " :extrafuns ((v BitVec[8]) (w BitVec[1] :note {n}) (flag Bool))\n :extrapreds ((r) (s :a))\n"
        " :extrafuns ((bvlt BitVec[2]))\n ;;second; with 'quotes'\n;\n :status sat\n"
        " :formula (and flag r (= v bv1[8]) (= bvlt bv2[2]))\n :assumption (bvlt bvlt bv3[2])\n)\n; last");
    ASSERT_TRUE(parsed->ok) << parsed->error;
    const auto& b = parsed->benchmark;
    std::string declared;
    for (const auto& d : b.declarations) {
        const bool isBool = parsed->store.isBool(d.term);
        declared += d.name + ":" + (isBool ? "Bool" : std::to_string(parsed->store.width(d.term))) + " ";
    }
    EXPECT_EQ(declared, "v:8 w:1 flag:Bool r:Bool s:Bool bvlt:2 ");
    EXPECT_EQ(b.assertions.size(), 2u);
    // A comment closed by the end of the input rather than a newline is dropped.
    EXPECT_EQ(b.comments, (std::vector<std::string>{" before", " first inside", ";second; with 'quotes'", ""}));
    EXPECT_EQ(b.status, "sat");
    EXPECT_TRUE(bruteForceSat(*parsed));
    EXPECT_EQ(parse("(benchmark s :status maybe)")->benchmark.status, "");
    // Inputs without assertions, texts running to the end of the input included.
    for (const char* text : {"", "; only a comment", "(benchmark e :logic QF_BV)", "(benchmark e) \"unterminated",
                             "(benchmark e) {unterminated \\}", "(benchmark e :notes {a\\b} :source {\\\\}})"}) {
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
    expectError(formula(repeated("(", wide) + "p"), "Syntax error, unexpected end of input", 7);
    // Cut short, the deep input is an error at its last line.
    std::string truncated = formula(lets);
    truncated.resize(truncated.size() - 3);
    expectError(truncated, "unexpected end of input", 5 + wide);
}

TEST(ExtendedErrors, EachNamesTheOffendingTokensLine) {
    const std::tuple<std::string, const char*, int> cases[] = {
        // A carriage return is a space, its newline still counts.
        {"(benchmark b\r\n:logic QF_BV\r\n(x)\r\n)", "Syntax error, unexpected '('", 3},
        {"(benchmark b :logic QF_BV)\n(benchmark c :logic QF_BV)", "unexpected '(' after the benchmark", 2},
        {"(benchmark b :logic QF_BV) x", "unexpected 'x' after the benchmark", 1},
        {"benchmark b", "Syntax error, unexpected 'benchmark'", 1},
        {"(benchmark b\n:formula\n", "unexpected end of input", 3},
        {formula("(and p\n# q)"), "unexpected character '#'", 6},
        {formula("(and p \x01)"), "unexpected character \\x01", 5},
        {formula("(bvadd x y :a {v}\n x)"), "operand after an annotation", 6},
        {formula("()"), "Syntax error, unexpected ')'", 5},
        {formula("(x y)"), "'x' is not an operator", 5},
        {formula("((p) q)"), "a parenthesised term takes one operand", 5},
        {formula(":a"), "Syntax error, unexpected ':a'", 5},
        {formula("(extract 1 0 x)"), "Syntax error, unexpected numeral '1'", 5},
        {formula("(= (extract[1] x) u)"), "Syntax error, unexpected ']'", 5},
        {formula("(= (repeat[1:1] x) x)"), "Syntax error, unexpected ':'", 5},
        {benchmark(":notes \"open\n\n"), "unterminated string", 5},
        {benchmark(":source {open"), "unterminated user value", 5},
        {benchmark(":extrafuns ((?x BitVec[4]))"), "Syntax error, unexpected '?x'", 5},
        {formula("(= x z)"), "unknown name 'z'", 5},
        {formula("(foo x)"), "unknown operator 'foo'", 5},
        {formula("(and p\n bvadd)"), "'bvadd' needs operands", 6},
        {formula("let"), "'let' needs operands", 5},
        {formula("(= x bvhexG)"), "unknown name 'bvhexG'", 5},
        {benchmark(":extrafuns ((x BitVec[4]))"), "'x' is declared twice", 5},
        {benchmark(":extrapreds ((true))"), "'true' is a constant and cannot be declared", 5},
        {benchmark(":extrafuns ((bit1 BitVec[1]))"), "'bit1' is a constant", 5},
        {benchmark(":extrafuns ((f BitVec[4] BitVec[4]))"), "uninterpreted functions not supported", 5},
        {benchmark(":extrapreds ((r BitVec[4]))"), "uninterpreted functions not supported", 5},
        {benchmark(":extrafuns ((f))"), "function 'f' has no sort", 5},
        {benchmark(":extrafuns ((f Int))"), "unknown sort 'Int'", 5},
        {"(benchmark b\n:extrasorts (S))", "extrasorts attribute not supported", 2},
        {"(benchmark b\n:logic QF_UFBV)", "logic 'QF_UFBV' is not supported", 2},
        {"(benchmark b\n:logic qf_bv)", "logic 'qf_bv' is not supported", 2},
        {formula("(= (bvadd x\n u) x)"), "bvadd expects operands of equal width", 5},
        {formula("(and p\n (bvadd x x))"), "and expects formulas, got BitVec[4]", 5},
        {formula("(and p\n (bvadd x\n p))"), "bvadd expects bit-vector operands, got Bool", 6},
        {formula("(not x)"), "not expects formulas, got BitVec[4]", 5},
        {formula("(= x u)"), "= expects", 5},
        {formula("(= x p)"), "= expects", 5},
        {formula("(= (ite x y y) y)"), "ite expects a Boolean condition", 5},
        {formula("(= (ite p x u) x)"), "ite expects", 5},
        {formula("(bvult x p)"), "bvult expects", 5},
        {formula("(= x)"), "= expects at least 2 operands", 5},
        {formula("(and)"), "and expects at least 1 operand", 5},
        {formula("(= (bvneg x x) x)"), "bvneg expects 1 operand", 5},
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
        expectErrorLine(parsed->error, opened ? opened : line, prefix);
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
