// The judges of a run. Sanitizer reports are faults unless they only say
// that memory ran out; memory and time limits are legitimate only where the
// input may need them (huge numbers, or a search under way), every other end
// that the language's contract does not name is a fault.
#include "fuzz/verdicts.h"

#include <signal.h>
#include <sys/wait.h>

#include <algorithm>
#include <cctype>
#include <cstring>

#include "fuzz/smt2_tokens.h"

namespace torva_fuzz {
namespace {

bool contains(const std::string& s, const char* what) { return s.find(what) != std::string::npos; }

bool startsLine(const std::string& s, const char* what) {
    return s.compare(0, std::strlen(what), what) == 0 || contains(s, (std::string("\n") + what).c_str());
}

Verdict fault(const std::string& why) { return {Outcome::Fault, why}; }

bool memoryExhausted(const std::string& err) {
    return contains(err, "bad_alloc") || contains(err, "length_error") || contains(err, "out of memory") ||
           contains(err, "rss limit") || contains(err, "allocation-size-too-big") ||
           contains(err, "requested allocation size");
}

bool sanitizerReport(const std::string& err) { return contains(err, "Sanitizer") || contains(err, "runtime error:"); }

std::string firstSanitizerLine(const std::string& err) {
    std::string first = err.substr(err.find(contains(err, "runtime error:") ? "runtime error:" : "Sanitizer"));
    return first.substr(0, first.find('\n')).substr(0, 120);
}

bool killedForTime(const RunEnd& r) {
    return r.wallKilled || (WIFSIGNALED(r.status) && (WTERMSIG(r.status) == SIGXCPU || WTERMSIG(r.status) == SIGKILL));
}

std::string signalText(int status) { return std::string("signal ") + (WIFSIGNALED(status) ? strsignal(WTERMSIG(status)) : "?"); }

std::vector<std::string> lines(const std::string& s) {
    std::vector<std::string> v;
    size_t at = 0;
    while (at < s.size()) {
        size_t end = s.find('\n', at);
        if (end == std::string::npos) end = s.size();
        v.push_back(s.substr(at, end - at));
        at = end + 1;
    }
    return v;
}

bool endsWithPlace(const std::string& line) {
    size_t colon = line.rfind(':');
    if (colon == std::string::npos || colon + 1 == line.size() || line.find(" at ") == std::string::npos) return false;
    for (size_t i = colon + 1; i < line.size(); i++)
        if (!std::isdigit(static_cast<unsigned char>(line[i]))) return false;
    return true;
}

// The end of the string literal that opens at s[i] == '"', or npos.
size_t stringEnd(const std::string& s, size_t i) {
    for (size_t j = i + 1; j < s.size(); j++) {
        if (s[j] != '"') continue;
        if (j + 1 < s.size() && s[j + 1] == '"') {
            j++;
            continue;
        }
        return j + 1;
    }
    return std::string::npos;
}

// The end of the list that opens at s[i] == '(', or npos. Strings, |symbols|
// and comments inside are skipped.
size_t listEnd(const std::string& s, size_t i) {
    size_t depth = 0;
    for (size_t j = i; j < s.size(); j++) {
        char c = s[j];
        if (c == '(') {
            depth++;
        } else if (c == ')') {
            if (--depth == 0) return j + 1;
        } else if (c == '"') {
            size_t end = stringEnd(s, j);
            if (end == std::string::npos) return end;
            j = end - 1;
        } else if (c == '|') {
            size_t end = s.find('|', j + 1);
            if (end == std::string::npos) return end;
            j = end;
        } else if (c == ';') {
            j = s.find('\n', j);
            if (j == std::string::npos) return j;
        }
    }
    return std::string::npos;
}

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// (error "LINE:COL: message") with positive LINE and COL and a non-empty message.
bool wellFormedError(const std::string& list) {
    const std::string head = "(error \"";
    if (list.compare(0, head.size(), head) != 0) return false;
    size_t end = stringEnd(list, head.size() - 1);
    if (end == std::string::npos || list.substr(end) != ")") return false;
    std::string message = list.substr(head.size(), end - 1 - head.size());
    size_t i = 0;
    for (int field = 0; field < 2; field++) {
        size_t start = i;
        while (i < message.size() && std::isdigit(static_cast<unsigned char>(message[i]))) i++;
        if (i == start || message[start] == '0' || i >= message.size() || message[i] != ':') return false;
        i++;
    }
    return i + 1 < message.size() && message[i] == ' ';
}

bool isErrorList(const Response& r) { return r.kind == Response::List && r.text.compare(0, 6, "(error") == 0; }

bool isAnswer(const Response& r) {
    return r.kind == Response::Word && (r.text == "sat" || r.text == "unsat" || r.text == "unknown");
}

// The place of a well-formed error response (numbers past 32 bits saturate).
Place errorPlace(const std::string& list) {
    uint64_t field[2] = {0, 0};
    size_t i = std::strlen("(error \"");
    for (uint64_t& value : field) {
        for (; std::isdigit(static_cast<unsigned char>(list[i])); i++)
            value = std::min<uint64_t>(value * 10 + static_cast<uint64_t>(list[i] - '0'), UINT32_MAX);
        i++;  // the ':'
    }
    return {static_cast<uint32_t>(field[0]), static_cast<uint32_t>(field[1])};
}

// The command whose text holds the place (an unclosed one also holds the
// end of the script, where "unexpected end of input" is reported), or npos.
size_t commandAt(const std::vector<ScriptCommand>& commands, Place place) {
    auto after = std::upper_bound(commands.begin(), commands.end(), place,
                                  [](Place p, const ScriptCommand& c) { return p < c.begin; });
    if (after == commands.begin()) return std::string::npos;
    const ScriptCommand& c = *(after - 1);
    bool inside = place < c.end || (!c.closed && place == c.end);
    return inside ? static_cast<size_t>(after - 1 - commands.begin()) : std::string::npos;
}

// The names the reader knows as commands (including those it answers
// unsupported); any other name is an unknown command, maybe a misspelt assert.
bool isCommandName(const std::string& name) {
    static const char* const known[] = {
        "set-logic", "set-option", "set-info", "get-info", "declare-fun", "declare-const", "define-fun",
        "define-sort", "assert", "check-sat", "check-sat-assuming", "push", "pop", "get-model", "get-value",
        "get-assignment", "echo", "reset", "reset-assertions", "exit", "declare-sort", "declare-datatype",
        "declare-datatypes", "define-fun-rec", "define-funs-rec", "get-assertions", "get-option", "get-proof",
        "get-unsat-assumptions", "get-unsat-core",
    };
    return std::find(std::begin(known), std::end(known), name) != std::end(known);
}

// What the command named by the token (a symbol, or a quoted one without
// its bars) is; a command without a name is none of it.
void classifyCommand(const std::string& script, const Token& name, ScriptCommand& c) {
    if (name.kind != Tok::Symbol && name.kind != Tok::Quoted) return;
    std::string word = tokenText(script, name);
    if (name.kind == Tok::Quoted) {
        if (word.size() < 2 || word.back() != '|') return;
        word = word.substr(1, word.size() - 2);
    }
    static const char* const changing[] = {"assert", "declare-fun", "declare-const", "define-fun", "define-sort",
                                           "push", "pop"};
    c.changes = !isCommandName(word) || std::find(std::begin(changing), std::end(changing), word) != std::end(changing);
    c.check = word == "check-sat" || word == "check-sat-assuming";
    c.withdraws = word == "pop" || word == "reset" || word == "reset-assertions";
}

Place past(Place at, char c) { return c == '\n' ? Place{at.first + 1, 1} : Place{at.first, at.second + 1}; }

// The top-level commands of the script with their places. Tokens outside
// every command (a stray ')', say) belong to none.
std::vector<ScriptCommand> commandsOf(const std::string& script, const std::vector<Token>& tokens) {
    std::vector<ScriptCommand> commands;
    Place at{1, 1};
    size_t depth = 0;
    bool awaitingName = false;
    for (const Token& t : tokens) {
        Place start = at;
        for (size_t i = t.begin; i < t.end; i++) at = past(at, script[i]);
        if (t.kind == Tok::Space || t.kind == Tok::Comment || (depth == 0 && t.kind != Tok::Open)) continue;
        if (depth == 0) {
            commands.push_back({start, start});
            depth = 1;
            awaitingName = true;
            continue;
        }
        if (awaitingName) classifyCommand(script, t, commands.back());
        awaitingName = false;
        if (t.kind == Tok::Open) depth++;
        if (t.kind == Tok::Close && --depth == 0) {
            commands.back().end = at;
            commands.back().closed = true;
        }
    }
    if (depth > 0) commands.back().end = at;
    return commands;
}

// Whether a check answered sat after a failed command that would have
// changed the assertions, with no pop, reset or reset-assertions between
// them. Each error response belongs to the command that holds its place,
// each answer to the next check command after the last command that
// responded; when the responses do not line up with the commands that way,
// nothing is judged.
bool satAfterFailedChange(const std::vector<Response>& responses, const std::vector<ScriptCommand>& commands) {
    std::vector<size_t> failed, satisfied;  // commands, in order
    size_t next = 0;                        // the first command that may still respond
    for (const Response& r : responses) {
        if (isErrorList(r)) {
            size_t c = commandAt(commands, errorPlace(r.text));
            if (c == std::string::npos || c + 1 < next) return false;
            failed.push_back(c);
            next = c + 1;
        } else if (isAnswer(r)) {
            while (next < commands.size() && !commands[next].check) next++;
            if (next == commands.size()) return false;
            if (r.text == "sat") satisfied.push_back(next);
            next++;
        }
    }
    bool marked = false;
    size_t f = 0, s = 0;
    for (size_t i = 0; i < commands.size(); i++) {
        if (commands[i].withdraws) marked = false;
        if (s < satisfied.size() && satisfied[s] == i) {
            if (marked) return true;
            s++;
        }
        for (; f < failed.size() && failed[f] == i; f++) marked = marked || commands[i].changes;
    }
    return false;
}

}  // namespace

const char* outcomeName(Outcome o) {
    switch (o) {
        case Outcome::Result: return "result";
        case Outcome::ParseError: return "parse error";
        case Outcome::FatalReport: return "fatal report";
        case Outcome::ErrorLine: return "error line";
        case Outcome::ReadError: return "read error";
        case Outcome::Resource: return "resource limit (huge numbers or a long search)";
        case Outcome::OverLimit: return "over a limit (not yet judged)";
        case Outcome::Fault: return "FAULT";
    }
    return "?";
}

std::vector<Response> parseResponses(const std::string& out) {
    std::vector<Response> v;
    size_t i = 0;
    while (i < out.size()) {
        if (isSpace(out[i])) {
            i++;
            continue;
        }
        size_t end;
        Response::Kind kind;
        if (out[i] == '(') {
            kind = Response::List;
            end = listEnd(out, i);
        } else if (out[i] == '"') {
            kind = Response::String;
            end = stringEnd(out, i);
        } else {
            kind = Response::Word;
            end = i;
            while (end < out.size() && !isSpace(out[end]) && out[end] != '(' && out[end] != ')' && out[end] != '"') end++;
            if (end == i) end = i + 1;
        }
        if (end == std::string::npos) {
            v.push_back({Response::Broken, out.substr(i)});
            break;
        }
        v.push_back({kind, out.substr(i, end - i)});
        i = end;
    }
    return v;
}

std::vector<std::string> answersOf(const std::vector<Response>& responses) {
    std::vector<std::string> answers;
    for (const Response& r : responses)
        if (isAnswer(r)) answers.push_back(r.text);
    return answers;
}

bool hasHugeNumber(const std::string& s) {
    size_t run = 0;
    for (size_t i = 0; i <= s.size(); i++) {
        if (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) {
            run++;
            continue;
        }
        if (run >= 4) {
            size_t start = i - run;
            while (start < i - 1 && s[start] == '0') start++;
            if (i - start >= 4) return true;
        }
        run = 0;
    }
    return false;
}

Verdict classifyBenchmark(const RunEnd& r, bool huge) {
    auto resource = [&](const std::string& why) { return huge ? Verdict{Outcome::Resource, why} : fault(why + " on a small input"); };
    bool memory = memoryExhausted(r.err);
    if (sanitizerReport(r.err)) {
        if (memory) return resource("memory exhausted");
        return fault("sanitizer: " + firstSanitizerLine(r.err));
    }
    if (killedForTime(r)) {
        // The front end is done once "solving" is printed; a search that runs
        // out of time is a hard instance, not a hang of the lexer or parser.
        if (startsLine(r.out, "solving")) return {Outcome::Resource, "search time limit"};
        return resource("time limit exhausted");
    }
    if (WIFEXITED(r.status)) {
        int code = WEXITSTATUS(r.status);
        if ((code == 10 || code == 20) && contains(r.out, "Result: ")) return {Outcome::Result, ""};
        if ((code == 0 || code == 1) && startsLine(r.err, "ERROR: ")) return {Outcome::ParseError, ""};
        if (code == 1 && (startsLine(r.out, "Error: ") || startsLine(r.err, "Error: "))) return {Outcome::ErrorLine, ""};
        if (code == 2 && contains(r.err, "input in flex scanner failed")) return {Outcome::ReadError, ""};
        return fault("exit status " + std::to_string(code));
    }
    if (WIFSIGNALED(r.status) && WTERMSIG(r.status) == SIGABRT) {
        if (startsLine(r.err, "File: ") && contains(r.err, "\nLine: ")) return {Outcome::FatalReport, ""};
        if (memory) return resource("memory exhausted");
        if (contains(r.err, "Assertion")) {
            std::string first = r.err.substr(r.err.find("Assertion"));
            return fault("assertion: " + first.substr(0, first.find('\n')).substr(0, 160));
        }
        return fault("abort without a fatal report");
    }
    return fault(signalText(r.status));
}

Verdict classifyExtended(const RunEnd& r, bool huge) {
    // After "solving" the reader is done: running out of time or memory there
    // is the search's business.
    bool solving = startsLine(r.out, "solving");
    auto resource = [&](const std::string& why) {
        return solving || huge ? Verdict{Outcome::Resource, why} : fault(why + " on a small input");
    };
    bool memory = memoryExhausted(r.err);
    if (sanitizerReport(r.err)) {
        if (memory) return resource("memory exhausted");
        return fault("sanitizer: " + firstSanitizerLine(r.err));
    }
    if (killedForTime(r)) return resource("time limit exhausted");
    if (WIFEXITED(r.status)) {
        int code = WEXITSTATUS(r.status);
        bool sat = contains(r.out, "Result: SAT"), unsat = contains(r.out, "Result: UNSAT");
        if (code == 10 && sat && !unsat) return {Outcome::Result, ""};
        if (code == 20 && unsat && !sat) return {Outcome::Result, ""};
        if (code == 10 || code == 20) return fault("exit status " + std::to_string(code) + " without its result line");
        if (code == 1 && startsLine(r.err, "Error: out of memory")) return resource("memory exhausted");
        if (code == 1) {
            int errors = 0;
            bool placed = true;
            for (const std::string& line : lines(r.err)) {
                if (line.compare(0, 7, "ERROR: ") != 0) continue;
                errors++;
                placed = placed && endsWithPlace(line);
            }
            if (errors == 1 && placed && !contains(r.out, "Result: ")) return {Outcome::ParseError, ""};
            if (errors == 0) return fault("exit status 1 without an ERROR line");
            if (errors > 1) return fault("more than one ERROR line");
            if (!placed) return fault("ERROR line without 'at FILE:LINE'");
            return fault("ERROR line after a result");
        }
        return fault("exit status " + std::to_string(code));
    }
    if (memory) return resource("memory exhausted");
    if (WIFSIGNALED(r.status) && WTERMSIG(r.status) == SIGABRT) {
        if (contains(r.err, "Assertion")) {
            std::string first = r.err.substr(r.err.find("Assertion"));
            return fault("assertion: " + first.substr(0, first.find('\n')).substr(0, 160));
        }
        return fault("abort");
    }
    return fault(signalText(r.status));
}

ScriptFacts scriptFacts(const std::string& script) {
    ScriptFacts facts;
    std::vector<Token> tokens = tokenize(script);
    facts.commands = commandsOf(script, tokens);
    for (const Token& t : tokens) {
        if (t.kind == Tok::Keyword && tokenText(script, t) == ":regular-output-channel") facts.redirected = true;
        if (t.kind == Tok::Symbol) {
            std::string word = tokenText(script, t);
            if (word == "exit" || word == "reset") facts.mayEndAnswer = true;
        }
    }
    return facts;
}

Verdict classifyScript(const RunEnd& r, const ScriptFacts& facts) {
    bool memory = memoryExhausted(r.err);
    if (sanitizerReport(r.err)) {
        if (memory) return {Outcome::OverLimit, "memory exhausted"};
        return fault("sanitizer: " + firstSanitizerLine(r.err));
    }
    if (killedForTime(r)) return {Outcome::OverLimit, "time limit exhausted"};
    if (!WIFEXITED(r.status)) {
        if (memory) return {Outcome::OverLimit, "memory exhausted"};
        if (WIFSIGNALED(r.status) && WTERMSIG(r.status) == SIGABRT && contains(r.err, "Assertion")) {
            std::string first = r.err.substr(r.err.find("Assertion"));
            return fault("assertion: " + first.substr(0, first.find('\n')).substr(0, 160));
        }
        return fault(signalText(r.status));
    }
    int code = WEXITSTATUS(r.status);
    if (code == 1 && startsLine(r.err, "Error: out of memory")) return {Outcome::OverLimit, "memory exhausted"};
    if (code == 3) return fault("exit status 3 (a model failed its check)");
    if (code != 0 && code != 1 && code != 10 && code != 20) return fault("exit status " + std::to_string(code));
    // Responses sent to standard error or a file cannot be followed here.
    if (facts.redirected) return {code == 1 ? Outcome::ErrorLine : Outcome::Result, ""};

    std::vector<Response> responses = parseResponses(r.out);
    size_t errors = 0;
    for (const Response& x : responses) {
        if (x.kind == Response::Broken) return fault("malformed response");
        if (x.kind == Response::Word && x.text != "sat" && x.text != "unsat" && x.text != "unknown" &&
            x.text != "success" && x.text != "unsupported")
            return fault("unexpected response word");
        if (isErrorList(x)) errors++;
    }
    // A session goes on after an error, so a script may answer several,
    // each of the form (error "L:C: message"), and ends with status 1.
    if (code == 1) {
        if (errors == 0) return fault("exit status 1 without an error response");
        for (const Response& x : responses)
            if (isErrorList(x) && !wellFormedError(x.text))
                return fault("error response not of the form (error \"L:C: message\")");
        if (satAfterFailedChange(responses, facts.commands))
            return fault("sat after a failed command that would have changed the assertions");
        return {Outcome::ErrorLine, ""};
    }
    if (errors > 0) return fault("error response with exit status " + std::to_string(code));
    std::vector<std::string> answers = answersOf(responses);
    std::string last = answers.empty() ? "" : answers.back();
    if (code == 10 && last != "sat") return fault("exit status 10 after a last answer other than sat");
    if (code == 20 && last != "unsat") return fault("exit status 20 after a last answer other than unsat");
    if (code == 0 && (last == "sat" || last == "unsat") && !facts.mayEndAnswer)
        return fault("exit status 0 after a last answer " + last);
    return {Outcome::Result, ""};
}

}  // namespace torva_fuzz
