// How the fuzzer judges one run of the program from its wait status, whether
// the driver killed it, and its two output streams; nothing here starts
// processes. SMT-LIB 1 default: a result, a parse error, a fatal report, an
// "Error:" line, a read error. --extended: exit 10 "Result: SAT", 20 "Result:
// UNSAT", or 1 with exactly one "ERROR: ... at FILE:LINE" line. SMT-LIB 2:
// exit 0/10/20 with well-formed responses and no error (10/20 only after a
// last answer sat/unsat), or 1 with one final (error "LINE:COL: message").
// A session goes on after an error, but a failed command that would have
// changed the assertions must not be followed by sat until a pop or a reset.
// A script over the CPU or memory limit is OverLimit: the driver decides
// whether the search or the front end used the resources.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace torva_fuzz {

enum class Outcome { Result, ParseError, FatalReport, ErrorLine, ReadError, Resource, OverLimit, Fault };

const char* outcomeName(Outcome o);

struct Verdict {
    Outcome outcome;
    std::string why;  // resources and faults: what happened, used to group faults
};

struct RunEnd {
    int status = 0;           // as from waitpid
    bool wallKilled = false;  // killed by the driver for sleeping far past the CPU limit
    std::string out, err;
};

// One response of an SMT-LIB 2 run: a word (sat, success, ...), a string
// (echo), a parenthesised list (models, values, info, errors), or text that
// is none of these (an unterminated list or string).
struct Response {
    enum Kind { Word, String, List, Broken } kind;
    std::string text;
};

std::vector<Response> parseResponses(const std::string& out);
// The check-sat answers among the responses (sat, unsat, unknown), in order.
std::vector<std::string> answersOf(const std::vector<Response>& responses);
// A number of 1000 or more in SMT-LIB 1 text (widths and extension counts are
// not bounded there).
bool hasHugeNumber(const std::string& text);

Verdict classifyBenchmark(const RunEnd& run, bool huge);
Verdict classifyExtended(const RunEnd& run, bool huge);

// LINE:COL as the reader counts them: 1-based, in bytes.
using Place = std::pair<uint32_t, uint32_t>;

// A top-level command of a script, as far as its text goes (an unclosed one
// runs to the end of the script).
struct ScriptCommand {
    Place begin;  // its '('
    Place end;    // just past its ')', or the end of the script
    bool closed = false;
    bool changes = false;    // assert, declare-fun/-const, define-fun/-sort, push, pop or an unknown name
    bool check = false;      // check-sat, check-sat-assuming
    bool withdraws = false;  // pop, reset, reset-assertions
};

struct ScriptFacts {
    bool redirected = false;    // the script moves its responses off standard output
    bool mayEndAnswer = false;  // exit or reset may end the run's answer (status 0 after sat)
    std::vector<ScriptCommand> commands;
};
ScriptFacts scriptFacts(const std::string& script);
Verdict classifyScript(const RunEnd& run, const ScriptFacts& facts);

}  // namespace torva_fuzz
