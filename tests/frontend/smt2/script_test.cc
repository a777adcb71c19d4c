// The SMT-LIB 2 script reader against torva-fuzz's check function, which
// decides every query by enumerating all assignments (so every answer is
// independently right): the exact responses and exit status of every
// command; terms at their edges (operators and the writer's constructs are
// read against a reference evaluator by the campaigns of tests/random);
// reading from a pipe in pieces of any size; one error line at the right
// position for each malformed script and every cut of a sample; continued
// execution, where sat after a failed change is answered unknown; and the
// symbol table under release in stack order.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "frontend/smt2/script.h"
#include "frontend/smt2/symbols.h"
#include "sessions/enumeration.h"
#include "terms/model.h"
#include "terms/term_store.h"

namespace torva::smt2::testing {
namespace {

using torva_sessions::enumerate;
using torva_sessions::runContinued;
using torva_sessions::ScriptRun;

ScriptRun runFromFd(int fd) {
    std::FILE* out = std::tmpfile();
    int status = runScript(fd, enumerate, out);
    ScriptRun run{torva_sessions::readAll(out), status};
    std::fclose(out);
    return run;
}

ScriptRun runScriptText(const std::string& script) {
    std::FILE* in = std::tmpfile();
    std::fwrite(script.data(), 1, script.size(), in);
    std::fflush(in);
    std::rewind(in);
    ScriptRun run = runFromFd(fileno(in));
    std::fclose(in);
    return run;
}

// The script written into a pipe in pieces of at most `piece` bytes by
// another thread, which stops when the reader closes its end.
ScriptRun runScriptThroughPipe(const std::string& script, size_t piece) {
    std::signal(SIGPIPE, SIG_IGN);
    int fds[2];
    if (pipe(fds) != 0) throw std::runtime_error("pipe failed");
    std::thread writer([&] {
        for (size_t at = 0; at < script.size();) {
            ssize_t n = write(fds[1], script.data() + at, std::min(piece, script.size() - at));
            if (n <= 0) break;
            at += static_cast<size_t>(n);
        }
        close(fds[1]);
    });
    ScriptRun run = runFromFd(fds[0]);
    close(fds[0]);
    writer.join();
    return run;
}

// The output with the engine's part of :all-statistics (from :conflicts
// on: search counters, SAT sizes, terms, memory) cut out.
std::string withoutEngineStatistics(std::string output) {
    for (size_t at = output.find(" :conflicts "); at != std::string::npos; at = output.find(" :conflicts ", at))
        output.erase(at, output.find("))", at) - at);
    return output;
}

std::string repeated(const std::string& s, int n) {
    std::string out;
    for (int i = 0; i < n; i++) out += s;
    return out;
}

TEST(Scripts, ResponsesAndExitStatus) {
    const int depth = 1000001;
    // Name, script, output, exit status.
    const std::tuple<const char*, std::string, std::string, int> cases[] = {
        {"print-success answers every command without other output",
         "(set-option :print-success true)(set-logic ALL)(set-info :status sat)(declare-const a (_ BitVec 2))"
         "(define-fun b () (_ BitVec 2) (bvnot a))(define-sort W () (_ BitVec 2))(push 1)(assert (bvult b #b01))"
         "(check-sat)(pop 1)(reset-assertions)(exit)",
         "success\nsuccess\nsuccess\nsuccess\nsuccess\nsuccess\nsuccess\nsuccess\nsat\nsuccess\nsuccess\nsuccess\n",
         10},
        {"print-success off again", "(set-option :print-success true)(set-option :print-success false)(echo \"x\")",
         "success\n\"x\"\n", 0},
        {"the last answer decides the status", "(declare-const a Bool)(check-sat)(assert a)(assert (not a))(check-sat)",
         "sat\nunsat\n", 20},
        {"unknown answer and its reason",
         "(declare-const w (_ BitVec 32))(assert (= w w))(check-sat)(get-info :reason-unknown)",
         "unknown\n(:reason-unknown too-many-bits)\n", 0},
        {"unknown after sat resets the status",
         "(declare-const a Bool)(check-sat)(declare-const w (_ BitVec 17))(assert (= w w))(check-sat)",
         "sat\nunknown\n", 0},
        {"nothing after exit is read", "(declare-const a Bool)(check-sat)(exit)(check-sat) ) garbage (", "sat\n", 10},
        {"get-info",
         "(get-info :name)(get-info :version)(get-info :error-behavior)(get-info :authors)(get-info :all-statistics)",
         "(:name \"torva\")\n(:version \"0.3\")\n(:error-behavior immediate-exit)\n(:authors \"the torva "
         "developers\")\n"
         "(:all-statistics (:checks 0 :sat 0 :unsat 0 :unknown 0 :assertions 0 :scopes 0))\n",
         0},
        {"options",
         "(set-option :produce-models true)(set-option :produce-assignments false)(set-option :random-seed 7)"
         "(set-option :smtlib2_compliant (a (b c)))(set-option :verbosity)",
         "unsupported\nunsupported\nunsupported\n", 0},
        {"set-info with any value",
         "(set-info :source |multi\nline|)(set-info :smt-lib-version 2.6)(set-info :notes (a \"b\" (c)))(set-info "
         ":flag)",
         "", 0},
        {"echo prints the string as written", "(echo \"say \"\"hi\"\" (now)\")(echo \"\")",
         "\"say \"\"hi\"\" (now)\"\n\"\"\n", 0},
        {"get-value echoes the terms",
         "(declare-const x (_ BitVec 4))(declare-const y (_ BitVec 4))(assert (= (bvadd x y) #b0110))"
         "(assert (= x #b0101))(check-sat)(get-value (x (bvadd x   y) (bvadd x ; note\n\t y) (= x y) #x3 |y|))",
         "sat\n((x #b0101) ((bvadd x y) #b0110) ((bvadd x y) #b0110) ((= x y) false) (#x3 #b0011) (|y| #b0001))\n", 10},
        {"get-assignment",
         "(declare-const a (_ BitVec 2))(assert (! (= a #b10) :named isTwo))"
         "(assert (or (! (= a #b00) :named isZero) (! (bvugt a #b01) :named big)))(define-fun s () Bool isTwo)"
         "(assert (! (= (! a :named wide) a) :pattern (a)))(check-sat)(get-assignment)(get-value (isZero s wide))",
         "sat\n((isTwo true) (isZero false) (big true))\n((isZero false) (s true) (wide #b10))\n", 10},
        {"get-assignment without names", "(check-sat)(get-assignment)", "sat\n()\n", 10},
        {"define-sort",
         "(define-sort Word () (_ BitVec 3))(define-sort W2 () Word)(declare-const w W2)(assert (= w #b011))"
         "(check-sat)(get-model)",
         "sat\n(\n  (define-fun w () (_ BitVec 3) #b011)\n)\n", 10},
        {"quoted symbols are the plain ones",
         "(declare-const |a b| (_ BitVec 1))(declare-const |x| Bool)(assert (= |a b| #b1))(assert x)"
         "(declare-const |p\"q| Bool)(assert (not |p\"q|))(check-sat)(get-model)",
         "sat\n(\n  (define-fun |a b| () (_ BitVec 1) #b1)\n  (define-fun x () Bool true)\n"
         "  (define-fun |p\"q| () Bool false)\n)\n",
         10},
        {"symbols are case-sensitive",
         "(declare-const x Bool)(declare-const X Bool)(assert (and x (not X)))(check-sat)(get-value (x X))",
         "sat\n((x true) (X false))\n", 10},
        {"reset forgets declarations and options",
         "(set-option :print-success true)(declare-const x Bool)(assert x)(reset)(declare-const x (_ BitVec 2))"
         "(assert (= x #b11))(set-logic QF_BV)(check-sat)(get-model)",
         "success\nsuccess\nsuccess\nsuccess\nsat\n(\n  (define-fun x () (_ BitVec 2) #b11)\n)\n", 10},
        {"reset-assertions empties the assertion stack",
         "(declare-const x Bool)(push 2)(assert x)(assert (not x))(check-sat)(reset-assertions)"
         "(declare-const x (_ BitVec 1))(check-sat)(get-model)(pop 1)",
         "unsat\nsat\n(\n  (define-fun x () (_ BitVec 1) #b0)\n)\n(error \"1:138: cannot pop 1 levels: only 0 "
         "pushed\")\n",
         1},
        {"unsupported commands are skipped", "(get-option :print-success)(declare-sort U 0)(get-proof)(check-sat)",
         "unsupported\nunsupported\nunsupported\nsat\n", 10},
        {"the core of the enumeration names every named assertion",
         "(set-option :produce-unsat-cores true)(set-option :produce-unsat-assumptions true)(declare-const p Bool)"
         "(assert (! p :named a))(assert (! (not p) :named b))(assert p)(check-sat-assuming ((not p) p))"
         "(get-unsat-core)(get-unsat-assumptions)(push 1)(get-unsat-core)",
         "unsat\n(a b)\n((not p) p)\n(error \"1:246: get-unsat-core is only allowed after unsat\")\n", 1},
        // push and pop scope everything.
        {"definitions, sorts and names are scoped",
         "(push 1)(define-fun f () Bool true)(define-sort S () Bool)(assert (! f :named n))(pop 1)"
         "(define-fun f () Bool false)(define-sort S () (_ BitVec 1))(declare-const n S)(check-sat)(get-model)"
         "(get-assignment)",
         "sat\n(\n  (define-fun n () (_ BitVec 1) #b0)\n)\n()\n", 10},
        {"several levels at once",
         "(declare-const x (_ BitVec 2))(push 3)(assert (= x #b11))(push 0)(push 2)(assert (= x #b00))(check-sat)"
         "(pop 2)(check-sat)(get-model)(pop 3)(check-sat)(get-model)",
         "unsat\nsat\n(\n  (define-fun x () (_ BitVec 2) #b11)\n)\nsat\n(\n  (define-fun x () (_ BitVec 2) #b00)\n)\n",
         10},
        // Terms: lets, definitions, literals and nesting.
        {"bindings are read in the outer scope",
         "(declare-const x Bool)(declare-const y Bool)(assert (let ((x y) (y x)) (and x (not y))))(check-sat)"
         "(get-model)",
         "sat\n(\n  (define-fun x () Bool false)\n  (define-fun y () Bool true)\n)\n", 10},
        {"an inner let shadows and its end restores the outer meaning",
         "(declare-const x (_ BitVec 2))(assert (= x (let ((x #b01)) (let ((x (bvadd x x))) x))))"
         "(assert (= (bvadd (let ((x #b11)) x) x) #b01))(check-sat)(get-model)",
         "sat\n(\n  (define-fun x () (_ BitVec 2) #b10)\n)\n", 10},
        {"let shadows a definition",
         "(define-fun f () Bool true)(assert (let ((f false)) (not f)))(assert f)(check-sat)", "sat\n", 10},
        {"names inside lets",
         "(declare-const x (_ BitVec 1))(assert (let ((t (= x #b1))) (! t :named n)))(check-sat)(get-assignment)",
         "sat\n((n true))\n", 10},
        {"parameters, argument order, a parameter shadowing a global and nested definitions",
         "(declare-const x (_ BitVec 4))(declare-const p Bool)"
         "(define-fun f ((a (_ BitVec 4)) (b (_ BitVec 4))) (_ BitVec 4) (bvsub a b))"
         "(define-fun g ((x (_ BitVec 4))) (_ BitVec 4) (f x #x1))"
         "(define-fun h () (_ BitVec 4) (g (g x)))"
         "(define-fun k ((c Bool) (x (_ BitVec 4))) Bool (ite c (= x h) p))"
         "(assert (= (g x) #x3))(assert (k true #x2))(check-sat)"
         "(get-value (x (g #x0) (f #x1 #x3) h (k false x) (k true #x2)))",
         "sat\n((x #b0100) ((g #x0) #b1111) ((f #x1 #x3) #b1110) (h #b0010) ((k false x) false) ((k true #x2) "
         "true))\n",
         10},
        {"a parameter unused by the body", "(define-fun c ((u Bool)) Bool true)(assert (c false))(check-sat)", "sat\n",
         10},
        {"definitions applied a hundred thousand levels deep",
         "(declare-const x (_ BitVec 2))(define-fun inc ((v (_ BitVec 2))) (_ BitVec 2) (bvadd v #b01))(assert (= " +
             repeated("(inc ", 100001) + "x" + std::string(100001, ')') + " #b00))(check-sat)(get-model)",
         "sat\n(\n  (define-fun x () (_ BitVec 2) #b11)\n)\n", 10},
        {"binary, hexadecimal and decimal constants agree",
         "(assert (= #b0101 #x5 (_ bv5 4)))(assert (= #xAbC #xaBc (_ bv2748 12)))(assert (= (_ bv255 8) #xff))"
         "(assert (= #x0123456789abcdef0123 (_ bv5373003642731685151011 80)))(assert (distinct #b0 #b1))"
         "(assert (= (_ bv0 1) #b0))(check-sat)(get-value ((_ bv255 8) #x0000000000000000000f #b1 true false))",
         "sat\n(((_ bv255 8) #b11111111) (#x0000000000000000000f #b" + std::string(76, '0') +
             "1111) (#b1 #b1) (true true) (false false))\n",
         10},
        {"a long constant differs in its lowest digit",
         "(assert (= #x0123456789abcdef0123 (_ bv5373003642731685151012 80)))(check-sat)", "unsat\n", 20},
        {"a literal longer than a read",
         "(assert (= #b" + std::string(3000000, '1') + " (bvnot #b" + std::string(3000000, '0') + ")))(check-sat)",
         "sat\n", 10},
        {"lets a million deep, each shadowing the last",
         "(declare-const p Bool)(assert " + repeated("(let ((p (not p))) ", depth) + "p" + std::string(depth, ')') +
             ")(check-sat)(get-model)",
         "sat\n(\n  (define-fun p () Bool false)\n)\n", 10},
        {"applications a million deep",
         "(declare-const p Bool)(assert " + repeated("(not ", depth) + "p" + std::string(depth, ')') +
             ")(check-sat)(get-model)",
         "sat\n(\n  (define-fun p () Bool false)\n)\n", 10},
        {"an application left open a million times", "(assert " + repeated("(not ", depth) + "true",
         "(error \"1:" + std::to_string(8 + 5 * depth + 4 + 1) + ": unexpected end of input\")\n", 1},
    };
    for (const auto& [name, script, output, status] : cases) {
        ScriptRun run = runScriptText(script);
        EXPECT_EQ(withoutEngineStatistics(run.output), output) << name;
        EXPECT_EQ(run.status, status) << name;
    }
}

TEST(Commands, OutputChannels) {
    char path[] = "/tmp/torva_smt2_channel_XXXXXX";
    int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    close(fd);
    std::string script = std::string("(echo \"one\")(set-option :regular-output-channel \"") + path +
                         "\")(echo \"two\")(check-sat)(set-option :diagnostic-output-channel \"stderr\")"
                         "(set-option :regular-output-channel \"stdout\")(echo \"three\")"
                         "(set-option :regular-output-channel \"" +
                         path + "\")(assert y)";
    ScriptRun run = runScriptText(script);
    EXPECT_EQ(run.output, "\"one\"\n\"three\"\n");
    EXPECT_EQ(run.status, 1);
    std::ifstream file(path);
    std::stringstream contents;
    contents << file.rdbuf();
    EXPECT_EQ(contents.str(),
              "\"two\"\nsat\n(error \"1:" + std::to_string(script.rfind("y)") + 1) + ": unknown symbol y\")\n");
    std::remove(path);

    run = runScriptText("(set-option :regular-output-channel \"/nonexistent/dir/file\")");
    EXPECT_EQ(run.output.rfind("(error \"1:37: cannot open /nonexistent/dir/file for writing: ", 0), 0u) << run.output;
    EXPECT_EQ(run.status, 1);
}

TEST(Pipe, PiecesOfAnySizeReadLikeAFile) {
    const std::string small =
        "; comment\n(set-option :print-success true)(declare-const |x y| (_ BitVec 3))\n"
        "(assert (let ((v (bvadd |x y| (_ bv1 3)))) (! (bvult v #b011) :named n)))(check-sat)"
        "(get-value ((concat #x1 |x y|)))(get-assignment)(echo \"a \"\"b\"\"\")";
    std::string large, expected;
    for (int i = 0; i < 20000; i++) {
        std::string v = "v" + std::to_string(i), n = std::to_string(i);
        large += "(declare-const " + v + " (_ BitVec 4)) ; comment " + n + "\n(assert (= " + v + " #x" +
                 "0123456789abcdef"[i % 16] + "))\n(echo \"s \"\"" + n + "\"\"\")(push 1)(pop 1)\n";
        expected += "\"s \"\"" + n + "\"\"\"\n";
    }
    large += "(check-sat)(get-info :name)";
    expected += "unknown\n(:name \"torva\")\n";
    const ScriptRun smallFile = runScriptText(small);
    EXPECT_EQ(smallFile.status, 10);
    const ScriptRun largeFile = runScriptText(large);
    EXPECT_EQ(largeFile.output, expected);
    for (size_t piece : {size_t(1), size_t(2), size_t(5)}) {
        ScriptRun run = runScriptThroughPipe(small, piece);
        EXPECT_EQ(run.output, smallFile.output) << piece;
        EXPECT_EQ(run.status, smallFile.status) << piece;
    }
    for (size_t piece : {size_t(4093), size_t(1 << 20) + 3}) {
        ScriptRun run = runScriptThroughPipe(large, piece);
        EXPECT_EQ(run.output, expected) << piece;
        EXPECT_EQ(run.status, 0) << piece;
    }
}

TEST(Pipe, AReaderThatStopsEarlyLeavesTheRestUnread) {
    ScriptRun run = runScriptThroughPipe("(check-sat)(exit)" + std::string(1 << 20, ' ') + "(check-sat)", 4096);
    EXPECT_EQ(run.output, "sat\n");
    EXPECT_EQ(run.status, 10);
}

// A script with one '`' where the error is to be reported.
struct ErrorCase {
    std::string script;
    std::string message;
    std::string before = "";  // responses before the error
};

// "LINE:COLUMN" of byte `at` of the text.
std::string position(const std::string& text, size_t at) {
    uint32_t line = 1, column = 1;
    for (size_t i = 0; i < at; i++) {
        column = text[i] == '\n' ? 1 : column + 1;
        line += text[i] == '\n';
    }
    return std::to_string(line) + ":" + std::to_string(column);
}

// The error response, its message's quotes doubled.
std::string errorLine(const std::string& position, const std::string& message) {
    std::string escaped;
    for (char c : message) escaped += c == '"' ? "\"\"" : std::string(1, c);
    return "(error \"" + position + ": " + escaped + "\")\n";
}

TEST(Errors, EachGivesOneErrorAtItsPosition) {
    const std::string x8 = "(declare-const x (_ BitVec 8))";
    const std::vector<ErrorCase> cases = {
        {"(declare-const x (_ BitVec 2))\n(assert\n  (= x\n     `y))", "unknown symbol y"},
        {"(declare-const |multi\nline| Bool)(assert\r\n\t(and true ; (\n |multi\nline| `z))", "unknown symbol z"},
        {"(assert `|a\"b|)", "unknown symbol |a\"b|"},
        {"(declare-const x (_ BitVec `0))", "bit-vector width 0 is out of range (1 to 1073741823)"},
        {"(declare-const x (_ BitVec `" + std::string(40, '9') + "))",
         "bit-vector width 999999999999999999999999... is out of range (1 to 1073741823)"},
        {"(assert (= (_ bv0 `1073741824) #b0))", "bit-vector width 1073741824 is out of range (1 to 1073741823)"},
        {x8 + "(declare-const y (_ BitVec 16))(assert (= `(bvadd x y) x))",
         "bvadd expects operands of equal width, got 8 and 16"},
        {x8 + "(assert (= `((_ extract 8 0) x) x))", "extract index 8 is out of range for a bit-vector of width 8"},
        {x8 + "(assert (= `((_ zero_extend 4294967295) x) x))",
         "zero_extend result width 4294967303 exceeds the maximum width 1073741823"},
        {x8 + "(assert (= `((_ repeat 0) x) x))", "repeat expects a count of at least 1, got 0"},
        {x8 + "(assert (= (`(_ extract 3) x) x))", "extract expects 2 indices, got 1"},
        {x8 + "(assert (= (`(_ zero_extend 3 4) x) x))", "zero_extend expects 1 index, got 2"},
        {"(assert (= ((_ extract `99999999999 0) x) x))", "index 99999999999 is too large"},
        {"(assert (= ((_ extract 1 `x) y) y))", "expected a numeral index of extract"},
        {"(assert ((_ `foo 1) true))", "unknown indexed operator foo"},
        {"(assert ((_ `bv1 2) true))", "(_ bv1 ...) is a constant, not an operator"},
        {"(assert (_ `extract 1 0))", "extract is an operator: apply it as ((_ extract ...) t)"},
        {"(assert (_ `foo 1))", "unknown indexed identifier foo"},
        {"(assert (= (_ `bv16 4) #x0))", "bv16 does not fit in 4 bits"},
        {x8 + "(assert (= (`extract x) x))", "extract needs indices: write ((_ extract ...) t)"},
        {"(assert `bvadd)", "bvadd must be applied to operands"},
        {"(assert `(bvadd))", "bvadd expects at least 2 operands, got 0"},
        {"(assert `(not true false))", "not expects 1 operand, got 2"},
        {"(assert `(ite true #b1 false))", "ite expects branches of one sort, got (_ BitVec 1) and Bool"},
        {"(declare-const x Bool)(assert (`x true))", "x is not a function"},
        {"(assert (`assert true))", "assert is not a function"},
        {"(assert `let)", "let is a reserved word, not a term"},
        {"(assert (`forall ((x Bool)) x))", "quantifiers are not supported in QF_BV"},
        {"(assert (`as x Bool))", "as is not supported in QF_BV"},
        {"(assert `(let ((x true) (x false)) x))", "x is bound twice"},
        {"(assert (let (`) true))", "let needs at least one binding"},
        {"(assert (let ((`true false)) true))", "let cannot bind the reserved word true"},
        {"(assert (let ((x true) `x) true))", "expected '(' or ')' in the bindings of let"},
        {"(assert (let ((x true)) x `x))", "expected ')'"},
        {"(assert (! true `x))", "expected an attribute keyword or ')'"},
        {"(assert (! true`))", "an annotation needs at least one attribute"},
        {"(assert (! true :named `(x)))", "expected a name after :named"},
        {"(declare-const n Bool)(assert (! true :named `n))", "n is already declared"},
        {"(define-fun f ((a Bool)) Bool (! a :named `n))",
         ":named cannot be used in the body of a function with parameters"},
        {"(assert `#b0101)", "assert expects a Boolean term, got one of sort (_ BitVec 4)"},
        {"(check-sat-assuming (`#b0))", "an assumption must be Boolean, got a term of sort (_ BitVec 1)"},
        {"(assert (= `1.5 x))", "decimals are not terms of QF_BV"},
        {"(assert (= `\"s\" x))", "string literals are not terms of QF_BV"},
        {"(assert (= `5 x))", "a numeral is not a term here; write #b..., #x... or (_ bvN w)"},
        {"(assert `:x)", "expected a term, not a keyword"},
        {"(assert (= `#b x))", "a binary literal needs at least one digit"},
        {"(assert (= `#xg x))", "a hexadecimal literal needs at least one digit"},
        {"(assert (= `#b012 x))", "unexpected '2' in a binary literal"},
        {"(assert (= `#z x))", "'#' must start a #b or #x literal"},
        {"(assert `{)", "unexpected '{'"},
        {"(assert `\x01)", "unexpected byte 0x01"},
        {"(assert `|a\\b|)", "a quoted symbol cannot contain '\\'"},
        {"(set-info `: x)", "':' must be followed by a keyword name"},
        {"(push `01)", "a numeral cannot have a leading zero"},
        {"(push `1.)", "a decimal needs digits after '.'"},
        {"(push `12ab)", "unexpected 'a' after a number"},
        {"(push `4294967296)", "numeral 4294967296 is too large"},
        {"(push `x)", "expected a numeral or ')'"},
        {"(push 1)`(pop 2)", "cannot pop 2 levels: only 1 pushed"},
        // Push counts of any size cost nothing; a pop takes the level's
        // declarations and a change of the assertions the model.
        {"(push 4294967295)(push 4294967295)(pop 4294967295)(pop 4294967295)`(pop)",
         "cannot pop 1 levels: only 0 pushed"},
        {"(push 1)(declare-const y Bool)(pop 1)(assert `y)", "unknown symbol y"},
        {"(declare-const x Bool)(check-sat)(push 1)`(get-value (x))", "get-value is only allowed after sat", "sat\n"},
        {"(assert false)(check-sat)`(get-model)", "get-model is only allowed after sat", "unsat\n"},
        {"`(get-assignment)", "get-assignment is only allowed after sat"},
        {"(check-sat)`(get-info :reason-unknown)", "get-info :reason-unknown is only allowed after unknown", "sat\n"},
        {"(declare-const p Bool)(check-sat-assuming (p))`(get-unsat-assumptions)",
         "get-unsat-assumptions needs (set-option :produce-unsat-assumptions true)", "sat\n"},
        {"(check-sat)`)", "expected '(' starting a command", "sat\n"},
        {"(`(check-sat)", "expected a command name"},
        {"(check-sat `extra)", "expected ')'"},
        {"(`foo)", "unknown command foo"},
        {"(set-logic QF_BV)(declare-fun f (`(_ BitVec 4)) Bool)", "functions with arguments are not part of the logic QF_BV"},
        {"(declare-const x Bool)(declare-const `x Bool)", "x is already declared"},
        {"(define-fun x () Bool true)(declare-fun `x () Bool)", "x is already declared"},
        {"(declare-const `bvadd Bool)", "bvadd is a built-in operator"},
        {"(declare-const `let Bool)", "let is a reserved word"},
        {"(declare-const x `Int)", "unknown sort Int"},
        {"(declare-const x `BitVec)", "BitVec needs a width, as in (_ BitVec 8)"},
        {"(set-logic QF_UFBV)(declare-const x (`Array Bool Bool))", "arrays are not part of the logic QF_UFBV"},
        {"(declare-const x (Array Bool `Int))", "unknown sort Int"},
        {"(declare-const x (`BitVec 4))", "expected '_' in a sort"},
        {"(declare-const x `)", "expected a sort"},
        {"(set-logic `QF_LIA)", "logic QF_LIA is not supported (QF_BV, QF_ABV, QF_UFBV, QF_AUFBV and ALL are)"},
        {"(set-logic QF_BV)`(set-logic QF_BV)", "the logic is already set"},
        {"(set-option :print-success `maybe)", "option :print-success expects true or false"},
        {"(set-option :regular-output-channel `stdout)", "option :regular-output-channel expects a string"},
        {"(set-option `print-success true)", "expected an option keyword"},
        {"(get-info `name)", "expected a keyword after get-info"},
        {"(echo `x)", "expected a string after echo"},
        {"(define-fun f ((a Bool)) (_ BitVec 1) `a)", "the body of f has sort Bool, not (_ BitVec 1)"},
        {"(define-fun f ((a Bool)) Bool a)(assert `(f #b1))", "argument 1 of f must have sort Bool, got (_ BitVec 1)"},
        {"(define-fun f ((a Bool)) Bool a)(assert `(f true true))", "f expects 1 argument, got 2"},
        {"(define-fun f ((a Bool)) Bool a)(assert `f)", "f expects 1 argument, got 0"},
        {"`(define-fun f ((a Bool) (a Bool)) Bool a)", "a is bound twice"},
        {"(define-fun f ((a Bool)) Bool a)(define-fun g ((b Bool)) Bool (f b))(assert (g true))(assert `(g #b0))",
         "argument 1 of g must have sort Bool, got (_ BitVec 1)"},
        {"(define-sort S (`T) T)", "sort parameters are not supported"},
        {"(define-sort S () Bool)(define-sort `S () Bool)", "sort S is already defined"},
        {"(define-sort `Bool () Bool)", "Bool is a reserved word"},
        {"(check-sat)(get-value (`))", "get-value needs at least one term", "sat\n"},
        {"(echo \"abc`", "unexpected end of input inside a string literal"},
        {"(assert |abc`", "unexpected end of input inside a quoted symbol"},
        {"(declare-const x Bool)(assert (= x`", "unexpected end of input"},
        {"(declare-const x Bool)(assert (= x ; a comment to the end`", "unexpected end of input"},
        {"(set-info :source (a (b)`", "unexpected end of input"},
        {"(assert (= #`", "unexpected end of input after '#'"},
    };
    for (const ErrorCase& c : cases) {
        size_t marker = c.script.find('`');
        ASSERT_NE(marker, std::string::npos) << c.script;
        std::string script = c.script.substr(0, marker) + c.script.substr(marker + 1);
        ScriptRun run = runScriptText(script);
        EXPECT_EQ(run.output, c.before + errorLine(position(script, marker), c.message)) << script;
        EXPECT_EQ(run.status, 1) << script;
    }
}

// Byte offsets between commands of the script: outside every parenthesis.
// The sample has no parentheses inside strings, symbols or comments.
std::vector<bool> betweenCommands(const std::string& script) {
    std::vector<bool> between(script.size() + 1, false);
    int depth = 0;
    for (size_t i = 0; i <= script.size(); i++) {
        between[i] = depth == 0;
        if (i < script.size() && script[i] == '(') ++depth;
        if (i < script.size() && script[i] == ')') --depth;
    }
    return between;
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> result;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) result.push_back(line);
    return result;
}

TEST(Errors, ScriptCutAtEveryByte) {
    const std::string script =
        "; sample\n(set-option :print-success true)\n(set-logic QF_BV)\n(declare-const |x y| (_ BitVec 3))\n"
        "(define-fun f ((a (_ BitVec 3))) Bool (bvult a #b011))\n(push 1)\n"
        "(assert (let ((v (bvadd |x y| (_ bv1 3)))) (! (f v) :named n)))\n(check-sat)\n(get-value ((concat #x1 "
        "|x y|)))\n(get-assignment)\n(echo \"a \"\"b\"\"\")\n(pop 1)\n(check-sat-assuming ((= ((_ extract 1 0) "
        "|x y|) #b11)))\n(get-model)\n(exit)\n";
    const ScriptRun full = runScriptText(script);
    ASSERT_EQ(full.status, 10) << full.output;
    const std::vector<std::string> fullLines = lines(full.output);
    const std::vector<bool> between = betweenCommands(script);
    for (size_t cut = 0; cut < script.size(); cut++) {
        const std::string prefix = script.substr(0, cut);
        ScriptRun run = runScriptText(prefix);
        std::vector<std::string> got = lines(run.output);
        if (between[cut]) {
            EXPECT_NE(run.status, 1) << "cut at " << cut << ": " << run.output;
            ASSERT_LE(got.size(), fullLines.size()) << "cut at " << cut;
            for (size_t i = 0; i < got.size(); i++) EXPECT_EQ(got[i], fullLines[i]) << "cut at " << cut;
            continue;
        }
        EXPECT_EQ(run.status, 1) << "cut at " << cut;
        ASSERT_FALSE(got.empty()) << "cut at " << cut;
        for (size_t i = 0; i + 1 < got.size(); i++) EXPECT_EQ(got[i], fullLines.at(i)) << "cut at " << cut;
        const std::string& error = got.back();
        EXPECT_EQ(error.rfind("(error \"", 0), 0u) << "cut at " << cut << ": " << error;
        EXPECT_EQ(error.substr(error.size() - 2), "\")") << "cut at " << cut;
        if (error.find("end of input") != std::string::npos) {
            EXPECT_EQ(error.rfind("(error \"" + position(prefix, cut) + ": ", 0), 0u) << "cut " << cut << ": " << error;
        }
    }
}

const std::string kDeclareX = "(declare-const x (_ BitVec 2))\n";
// After the failing command on line 2: a check of a satisfiable rest, its
// reason, a model, and a check of an unsatisfiable rest.
const std::string kProbe =
    "(check-sat)\n(get-info :reason-unknown)\n(get-model)\n(check-sat-assuming ((bvult x #b00)))\n";

std::string afterFailure(const std::string& error, const std::string& lastAnswer = "unsat") {
    return "(error \"2:" + error + "\")\nunknown\n(:reason-unknown \"incomplete: the command at 2:1 failed\")\n"
           "(error \"5:1: get-model is only allowed after sat\")\n" + lastAnswer + "\n";
}

// Under continued execution each error is answered, the rest of its command
// skipped (let bindings and half-read definitions dropped), and the next
// command read; a lexical error, even one met while skipping, ends it. A
// failed command that would have changed the assertions leaves a problem
// weaker than the one sent: sat of it is answered unknown (unsat stands,
// except after a failed pop) until a pop below the command's scope, a
// reset-assertions or a reset. Errors of other commands change nothing.
TEST(ContinuedExecution, ErrorsAreAnsweredAndSatAfterAFailedChangeIsUnknown) {
    const std::tuple<const char*, std::string, std::string> cases[] = {
        {"errors are answered, the rest of the command skipped and the next one read",
         "(declare-const x (_ BitVec 2))\n(assert (let ((y x)) (bvadd y)))\n(assert (let ((y x)) (= y #b01)))\n"
         "(define-fun f ((a (_ BitVec 2))) Bool (bvult a))\n(define-fun f ((a (_ BitVec 2))) Bool (bvult a #b10))\n"
         "(check-sat)(get-value ((f x) y))\n(check-sat-assuming ((not (f x))))\n",
         "(error \"2:22: bvadd expects at least 2 operands, got 1\")\n"
         "(error \"4:39: bvult expects 2 operands, got 1\")\nunknown\n(error \"6:30: unknown symbol y\")\nunsat\n"},
        {"a lexical error ends the session", "(check-sat)\n(assert (= #b2 #b1))\n(check-sat)\n",
         "sat\n(error \"2:12: a binary literal needs at least one digit\")\n"},
        {"a lexical error met while skipping ends it too", "(assert (= y #b2))\n(check-sat)\n",
         "(error \"1:12: unknown symbol y\")\n(error \"1:14: a binary literal needs at least one digit\")\n"},
        {"assert with an unknown symbol", kDeclareX + "(assert (= x y))\n" + kProbe + "(get-info :all-statistics)\n",
         afterFailure("14: unknown symbol y") +
             "(:all-statistics (:checks 2 :sat 0 :unsat 1 :unknown 1 :assertions 0 :scopes 0))\n"},
        {"declare-fun of an unknown sort", kDeclareX + "(declare-fun a () Int)\n" + kProbe,
         afterFailure("19: unknown sort Int")},
        {"define-fun with a bad body", kDeclareX + "(define-fun f () Bool (bvadd x))\n" + kProbe,
         afterFailure("23: bvadd expects at least 2 operands, got 1")},
        {"define-sort of width 0", kDeclareX + "(define-sort S () (_ BitVec 0))\n" + kProbe,
         afterFailure("29: bit-vector width 0 is out of range (1 to 1073741823)")},
        {"push without a count", kDeclareX + "(push x)\n" + kProbe, afterFailure("7: expected a numeral or ')'")},
        {"pop below the base level: unsat is not trusted either", kDeclareX + "(pop 1)\n" + kProbe,
         afterFailure("1: cannot pop 1 levels: only 0 pushed", "unknown")},
        {"a misspelt assert", kDeclareX + "(asert (bvult x #b00))\n" + kProbe,
         afterFailure("2: unknown command asert")},
        {"a pop below the scope clears the mark",
         kDeclareX + "(push 1)\n(assert (= x y))\n(check-sat)\n(pop 1)\n(check-sat)\n(get-model)\n",
         "(error \"3:14: unknown symbol y\")\nunknown\nsat\n(\n  (define-fun x () (_ BitVec 2) #b00)\n)\n"},
        {"a pop back to the mark's depth keeps it",
         kDeclareX + "(push 1)\n(assert (= x y))\n(push 2)\n(pop 2)\n(check-sat)\n(pop 1)\n(check-sat)\n",
         "(error \"3:14: unknown symbol y\")\nunknown\nsat\n"},
        {"a deeper failure keeps the first mark",
         kDeclareX + "(assert (= x y))\n(push 1)\n(assert (= x z))\n(pop 1)\n(check-sat)\n(get-info :reason-unknown)\n",
         "(error \"2:14: unknown symbol y\")\n(error \"4:14: unknown symbol z\")\nunknown\n"
         "(:reason-unknown \"incomplete: the command at 2:1 failed\")\n"},
        {"a failed push inside a scope marks the whole session",
         kDeclareX + "(push 1)\n(assert (= x y))\n(push x)\n(pop 1)\n(check-sat)\n(get-info :reason-unknown)\n",
         "(error \"3:14: unknown symbol y\")\n(error \"4:7: expected a numeral or ')'\")\nunknown\n"
         "(:reason-unknown \"incomplete: the command at 4:1 failed\")\n"},
        {"reset-assertions clears the mark",
         kDeclareX + "(assert (= x y))\n(reset-assertions)\n" + kDeclareX + "(check-sat)\n",
         "(error \"2:14: unknown symbol y\")\nsat\n"},
        {"reset-assertions clears a failed pop",
         kDeclareX + "(pop 1)\n(reset-assertions)\n(check-sat-assuming (false))\n(check-sat)\n",
         "(error \"2:1: cannot pop 1 levels: only 0 pushed\")\nunsat\nsat\n"},
        {"reset clears the mark", kDeclareX + "(push x)\n(reset)\n(check-sat)\n",
         "(error \"2:7: expected a numeral or ')'\")\nsat\n"},
        {"errors of other commands do not mark",
         kDeclareX + "(get-model)\n(get-info :reason-unknown)\n(set-logic QF_LIA)\n(check-sat-assuming (x))\n"
                     "(check-sat)\n",
         "(error \"2:1: get-model is only allowed after sat\")\n"
         "(error \"3:1: get-info :reason-unknown is only allowed after unknown\")\n"
         "(error \"4:12: logic QF_LIA is not supported (QF_BV, QF_ABV, QF_UFBV, QF_AUFBV and ALL are)\")\n"
         "(error \"5:22: an assumption must be Boolean, got a term of sort (_ BitVec 2)\")\nsat\n"},
    };
    for (const auto& [name, script, output] : cases) {
        ScriptRun run = runContinued(script, terms::everyQueryAfresh(enumerate));
        EXPECT_EQ(withoutEngineStatistics(run.output), output) << name;
        EXPECT_EQ(run.status, 1) << name;
    }
}

// The symbol table under interning and release in stack order: every live
// name keeps resolving to its id while released names vanish, including
// probe runs that wrap around the end of the slot array.
TEST(Symbols, ReleaseInStackOrderKeepsEveryLiveName) {
    SymbolTable table;
    std::vector<std::string> live;
    std::vector<uint32_t> ids;
    const uint32_t first = table.intern("first-user-symbol");
    uint64_t state = 12345;
    auto below = [&state](uint64_t n) {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        return (state >> 33) % n;
    };
    for (int step = 0; step < 4000; step++) {
        if (live.size() < 300 || below(2) == 0) {
            std::string name = "?n" + std::to_string(below(100000)) + "_" + std::to_string(step);
            ids.push_back(table.intern(name));
            live.push_back(name);
            ASSERT_EQ(ids.back(), first + live.size()) << name;
        } else {
            table.releaseIfLastAndUnused(ids.back());
            ids.pop_back();
            live.pop_back();
        }
        for (size_t i = 0; step % 16 == 0 && i < live.size(); i++) ASSERT_EQ(table.intern(live[i]), ids[i]) << live[i];
    }
    EXPECT_EQ(table.intern("first-user-symbol"), first);
    // A symbol with a meaning, or one that is not the last, stays.
    uint32_t bound = table.intern("bound");
    table[bound].let = 0;
    table.releaseIfLastAndUnused(bound);
    EXPECT_EQ(table.intern("bound"), bound);
    uint32_t below_last = table.intern("below");
    uint32_t last = table.intern("last");
    table.releaseIfLastAndUnused(below_last);
    EXPECT_EQ(table.intern("below"), below_last);
    EXPECT_EQ(table.intern("last"), last);
    uint32_t reserved = table.intern("assert");
    table.releaseIfLastAndUnused(reserved);
    EXPECT_EQ(table[table.intern("assert")].word, Word::Assert);
}

}  // namespace
}  // namespace torva::smt2::testing
