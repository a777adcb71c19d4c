// Malformed scripts: each ends with exactly one (error "LINE:COL: message")
// line at the right position and exit status 1, after the responses of the
// commands before it; a script cut at any byte never crashes and fails
// exactly when the cut falls inside a command. Under continued execution
// every error is answered and the session goes on, and after a failed
// command that would have changed the assertions sat is answered unknown.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "script_harness.h"

namespace torva::smt2::testing {
namespace {

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
        {"(assert `z)", "unknown symbol z"},
        {"(declare-const x (_ BitVec 2))\n(assert\n  (= x\n     `y))", "unknown symbol y"},
        {"(declare-const |multi\nline| Bool)(assert\r\n\t(and true ; (\n |multi\nline| `z))", "unknown symbol z"},
        {"(assert `|a\"b|)", "unknown symbol |a\"b|"},
        {"(declare-const x (_ BitVec `0))", "bit-vector width 0 is out of range (1 to 1073741823)"},
        {"(declare-const x (_ BitVec `4294967296))", "bit-vector width 4294967296 is out of range (1 to 1073741823)"},
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
        {"(assert (not true))`)", "expected '(' starting a command"},
        {"(`(check-sat)", "expected a command name"},
        {"(check-sat `extra)", "expected ')'"},
        {"(`foo)", "unknown command foo"},
        {"(declare-fun f (`(_ BitVec 4)) Bool)", "functions with arguments are not supported"},
        {"(declare-const x Bool)(declare-const `x Bool)", "x is already declared"},
        {"(define-fun x () Bool true)(declare-fun `x () Bool)", "x is already declared"},
        {"(declare-const `bvadd Bool)", "bvadd is a built-in operator"},
        {"(declare-const `let Bool)", "let is a reserved word"},
        {"(declare-const x `Int)", "unknown sort Int"},
        {"(declare-const x `BitVec)", "BitVec needs a width, as in (_ BitVec 8)"},
        {"(declare-const x (`Array Int Int))", "expected '_' in a sort"},
        {"(declare-const x (_ `Int 3))", "unknown sort Int"},
        {"(declare-const x `)", "expected a sort"},
        {"(set-logic `QF_LIA)", "logic QF_LIA is not supported (only QF_BV and ALL are)"},
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
    const std::string incomplete2 = "(:reason-unknown \"incomplete: the command at 2:1 failed\")\n";
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
        {"assert of a bit-vector", kDeclareX + "(assert x)\n" + kProbe,
         afterFailure("9: assert expects a Boolean term, got one of sort (_ BitVec 2)")},
        {"declare-fun of an array",
         kDeclareX + "(declare-fun a () (Array (_ BitVec 2) (_ BitVec 2)))\n" + kProbe,
         afterFailure("20: expected '_' in a sort")},
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
         "(error \"2:14: unknown symbol y\")\n(error \"4:14: unknown symbol z\")\nunknown\n" + incomplete2},
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
         "(error \"4:12: logic QF_LIA is not supported (only QF_BV and ALL are)\")\n"
         "(error \"5:22: an assumption must be Boolean, got a term of sort (_ BitVec 2)\")\nsat\n"},
    };
    for (const auto& [name, script, output] : cases) {
        ScriptRun run = runContinued(script, terms::everyQueryAfresh(enumerate));
        EXPECT_EQ(withoutEngineStatistics(run.output), output) << name;
        EXPECT_EQ(run.status, 1) << name;
    }
}

}  // namespace
}  // namespace torva::smt2::testing
