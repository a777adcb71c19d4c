// Running array and function sessions through torva and checking every
// response: answers against the session's expectations, models and values
// read back into cell tables and evaluated by the reference evaluator,
// cores and unsatisfiable assumptions decided again. A child that ends
// otherwise than by returning from the script is a crash.
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>

#include "engine/session_solve.h"
#include "frontend/smt2/script.h"
#include "random/array_session.h"
#include "random/oracle.h"
#include "words.h"

namespace torva_random {

namespace {

namespace bv = torva_words;

// --- Responses as s-expressions -------------------------------------------

struct SExp {
    std::string atom;  // empty for a list
    std::vector<SExp> list;
    bool isList() const { return atom.empty(); }
};

std::string show(const SExp& e) {
    if (!e.isList()) return e.atom;
    std::string s = "(";
    for (size_t i = 0; i < e.list.size(); i++) s += (i ? " " : "") + show(e.list[i]);
    return s + ")";
}

class Reader {
public:
    explicit Reader(const std::string& t) : text(t) {}

    // All top-level items; false on unbalanced text.
    bool items(std::vector<SExp>& out) {
        for (;;) {
            skipSpace();
            if (at >= text.size()) return true;
            SExp e;
            if (!item(e)) return false;
            out.push_back(std::move(e));
        }
    }

private:
    const std::string& text;
    size_t at = 0;

    void skipSpace() {
        while (at < text.size() && std::isspace(static_cast<unsigned char>(text[at]))) at++;
    }

    bool item(SExp& e) {
        skipSpace();
        if (at >= text.size() || text[at] == ')') return false;
        if (text[at] == '(') {
            at++;
            for (;;) {
                skipSpace();
                if (at >= text.size()) return false;
                if (text[at] == ')') return at++, true;
                e.list.emplace_back();
                if (!item(e.list.back())) return false;
            }
        }
        size_t start = at;
        if (text[at] == '|' || text[at] == '"') {
            char quote = text[at];
            size_t end = text.find(quote, at + 1);
            while (quote == '"' && end != std::string::npos && end + 1 < text.size() && text[end + 1] == '"')
                end = text.find(quote, end + 2);
            if (end == std::string::npos) return false;
            at = end + 1;
        } else {
            while (at < text.size() && !std::isspace(static_cast<unsigned char>(text[at])) && text[at] != '(' &&
                   text[at] != ')')
                at++;
        }
        e.atom = text.substr(start, at - start);
        return true;
    }
};

std::string unquoted(const std::string& s) {
    return s.size() >= 2 && s.front() == '|' && s.back() == '|' ? s.substr(1, s.size() - 2) : s;
}

// --- Values as printed -----------------------------------------------------

using Env = std::map<std::string, uint64_t>;

// Reads the value terms torva prints (literals, constant arrays, stores,
// and in function bodies ite, =, and, or, not over the parameters) into
// cell tables of the expected sort; sort -1 stands for any scalar.
class ValueReader {
public:
    explicit ValueReader(const ArrayInstance& i) : inst(i) {}

    bool read(const SExp& e, int sort, const Env& env, Value& v) {
        if (!e.isList()) return atom(e.atom, sort, env, v);
        const std::vector<SExp>& l = e.list;
        if (l.size() == 3 && l[0].atom == "_" && l[1].atom.rfind("bv", 0) == 0) return numeral(l, sort, v);
        if (l.size() == 2 && l[0].isList() && l[0].list.size() == 3 && l[0].list[0].atom == "as" &&
            l[0].list[1].atom == "const")
            return constArray(l[1], sort, env, v);
        std::string head = l.empty() ? "" : l[0].atom;
        if (head == "store" && l.size() == 4) return store(l, sort, env, v);
        if (head == "ite" && l.size() == 4) {
            Value c;
            return read(l[1], 0, env, c) && read(l[c[0] ? 2 : 3], sort, env, v);
        }
        if ((head == "and" || head == "or" || head == "not" || head == "=") && l.size() >= 2 && sort <= 0)
            return connective(head, l, env, v);
        return fail(e);
    }

    std::string problem;

private:
    const ArrayInstance& inst;

    bool fail(const SExp& e) {
        problem = "unreadable value " + show(e);
        return false;
    }

    bool scalar(uint64_t value, unsigned width, int sort, Value& v) {
        if (sort >= 0 && (!inst.isScalar(sort) || inst.width(sort) != width)) {
            problem = "a value of the wrong sort";
            return false;
        }
        v = {value};
        return true;
    }

    bool atom(const std::string& a, int sort, const Env& env, Value& v) {
        if (a == "true" || a == "false") return scalar(a == "true", 0, sort, v);
        auto param = env.find(a);
        if (param != env.end()) return v = {param->second}, true;
        unsigned perDigit = a.rfind("#b", 0) == 0 ? 1 : a.rfind("#x", 0) == 0 ? 4 : 0;
        if (!perDigit || a.size() < 3 || (a.size() - 2) * perDigit > 64) return fail(SExp{a, {}});
        uint64_t value = 0;
        for (size_t i = 2; i < a.size(); i++) {
            int d = std::isdigit(static_cast<unsigned char>(a[i])) ? a[i] - '0' : std::tolower(a[i]) - 'a' + 10;
            if (d < 0 || d >= (1 << perDigit)) return fail(SExp{a, {}});
            value = (value << perDigit) | static_cast<uint64_t>(d);
        }
        return scalar(value, static_cast<unsigned>((a.size() - 2) * perDigit), sort, v);
    }

    bool numeral(const std::vector<SExp>& l, int sort, Value& v) {
        unsigned width = static_cast<unsigned>(std::atoi(l[2].atom.c_str()));
        std::string digits = l[1].atom.substr(2);
        if (width == 0 || width > 64 || digits.empty() || digits.size() > 19) return fail(SExp{"", l});
        uint64_t value = std::strtoull(digits.c_str(), nullptr, 10);
        if (value > bv::mask(width)) return fail(SExp{"", l});
        return scalar(value, width, sort, v);
    }

    bool constArray(const SExp& element, int sort, const Env& env, Value& v) {
        if (sort < 0 || !inst.isArray(sort)) return problem = "a constant array where none belongs", false;
        Value e;
        if (!read(element, inst.sorts[sort].range, env, e)) return false;
        v.clear();
        for (uint64_t c = 0; c < inst.cells(sort); c += e.size()) v.insert(v.end(), e.begin(), e.end());
        return true;
    }

    bool store(const std::vector<SExp>& l, int sort, const Env& env, Value& v) {
        if (sort < 0 || !inst.isArray(sort)) return problem = "a store where none belongs", false;
        Value index, element;
        if (!read(l[1], sort, env, v) || !read(l[2], inst.sorts[sort].domain[0], env, index) ||
            !read(l[3], inst.sorts[sort].range, env, element))
            return false;
        uint64_t at = cellOffset(inst, sort, index[0]);
        for (size_t c = 0; c < element.size(); c++) v[at + c] = element[c];
        return true;
    }

    bool connective(const std::string& head, const std::vector<SExp>& l, const Env& env, Value& v) {
        std::vector<uint64_t> args;
        for (size_t k = 1; k < l.size(); k++) {
            Value a;
            if (!read(l[k], -1, env, a)) return false;
            args.push_back(a[0]);
        }
        bool result = head == "and";
        for (uint64_t a : args) result = head == "and" ? result && a : result || a;
        if (head == "not") result = !args[0];
        if (head == "=") result = args.size() == 2 && args[0] == args[1];
        v = {result};
        return true;
    }
};

// The table of a function from its printed parameters and body.
bool functionValue(ValueReader& reader, const ArrayInstance& inst, int sort, const SExp& params, const SExp& body,
                   Value& table) {
    const ArraySort& s = inst.sorts[sort];
    if (!params.isList() || params.list.size() != s.domain.size()) return reader.problem = "wrong parameters", false;
    table.assign(inst.cells(sort), 0);
    for (uint64_t position = 0; position < table.size(); position++) {
        Env env;
        uint64_t rest = position;
        for (size_t k = s.domain.size(); k-- > 0;) {
            unsigned w = s.domain[k] == 0 ? 1 : inst.width(s.domain[k]);
            const SExp& p = params.list[k];
            if (!p.isList() || p.list.empty()) return reader.problem = "wrong parameters", false;
            env[p.list[0].atom] = rest & bv::mask(w);
            rest >>= w;
        }
        Value v;
        if (!reader.read(body, s.range, env, v)) return false;
        table[position] = v[0];
    }
    return true;
}

std::string answerName(Expect e) { return e == Expect::Sat ? "sat" : e == Expect::Unsat ? "unsat" : "unknown"; }

class ResponseCheck {
public:
    ResponseCheck(const ArraySession& s, ArrayVerdict& v) : session(s), inst(s.inst), verdict(v), reader(s.inst) {}

    void check(const std::string& responses);

private:
    const ArraySession& session;
    const ArrayInstance& inst;
    ArrayVerdict& verdict;
    ValueReader reader;
    AAssignment model;
    bool haveModel = false;

    bool fail(const std::string& m) {
        verdict.ok = false;
        verdict.message = m;
        return false;
    }
    bool step(size_t k, const ArrayStep& s, const SExp& response);
    bool answer(size_t k, const ArrayStep& s, const SExp& response);
    bool readModel(const SExp& response);
    bool readValues(const ArrayStep& s, const SExp& response);
    bool holdsInForce(const ArrayStep& s, const AAssignment& a, const std::string& what);
    bool refuted(const std::string& what, uint64_t required);
    bool core(const ArrayStep& s, const SExp& response, bool assumptions);
};

bool ResponseCheck::answer(size_t k, const ArrayStep& s, const SExp& response) {
    haveModel = false;
    std::string a = show(response);
    if (a != "sat" && a != "unsat") return fail("response " + std::to_string(k + 1) + " is " + a + ", not an answer");
    if (s.expect != Expect::Unknown && a != answerName(s.expect))
        return fail("response " + std::to_string(k + 1) + " answered " + a + ", expected " + answerName(s.expect));
    (a == "sat" ? verdict.sat : verdict.unsat)++;
    return true;
}

bool ResponseCheck::holdsInForce(const ArrayStep& s, const AAssignment& a, const std::string& what) {
    ArrayEvaluator ev(inst);
    uint64_t holding = ev.holding(session.pool, a);
    for (size_t k = 0; k < session.pool.size(); k++)
        if ((s.inForce >> k & 1) && !(holding >> k & 1))
            return fail(what + " breaks the formula in force " + inst.text(session.pool[k]));
    return true;
}

bool ResponseCheck::readModel(const SExp& response) {
    std::map<std::string, const SExp*> entries;
    for (const SExp& e : response.list)
        if (e.isList() && e.list.size() == 5 && e.list[0].atom == "define-fun")
            entries[unquoted(e.list[1].atom)] = &e;
        else
            return fail("unreadable model entry " + show(e));
    model.clear();
    for (const ADecl& d : inst.decls) {
        auto it = entries.find(d.name);
        if (it == entries.end()) return fail("the model lacks " + d.name);
        const std::vector<SExp>& e = it->second->list;
        Value v;
        bool read = inst.isFunction(d.sort) ? functionValue(reader, inst, d.sort, e[2], e[4], v)
                                            : e[2].isList() && e[2].list.empty() && reader.read(e[4], d.sort, Env(), v);
        if (!read || v.size() != inst.cells(d.sort)) return fail("model entry of " + d.name + ": " + reader.problem);
        model.push_back(v);
    }
    haveModel = true;
    return true;
}

bool ResponseCheck::readValues(const ArrayStep& s, const SExp& response) {
    std::vector<int> sorts;
    for (const ADecl& d : inst.decls)
        if (!inst.isFunction(d.sort)) sorts.push_back(d.sort);
    size_t declared = sorts.size();
    for (int n : s.valueNodes) sorts.push_back(inst.nodes[n].sort);
    if (!response.isList() || response.list.size() != sorts.size())
        return fail("get-value answered " + show(response) + " for " + std::to_string(sorts.size()) + " terms");
    std::vector<Value> values;
    for (size_t k = 0; k < sorts.size(); k++) {
        const SExp& pair = response.list[k];
        Value v;
        if (!pair.isList() || pair.list.size() != 2 || !reader.read(pair.list[1], sorts[k], Env(), v) ||
            v.size() != inst.cells(sorts[k]))
            return fail("get-value entry " + show(pair) + ": " + reader.problem);
        values.push_back(v);
    }
    AAssignment a = model;
    if (!haveModel) {
        a.assign(inst.decls.size(), Value());
        for (size_t d = 0, k = 0; d < inst.decls.size(); d++)
            if (!inst.isFunction(inst.decls[d].sort)) a[d] = values[k++];
        if (!holdsInForce(s, a, "the values of get-value")) return false;
    }
    ArrayEvaluator ev(inst);
    for (size_t d = 0, k = 0; d < inst.decls.size(); d++)
        if (!inst.isFunction(inst.decls[d].sort) && values[k++] != a[d])
            return fail("get-value gives " + inst.decls[d].name + " another value than get-model");
    for (size_t k = 0; k < s.valueNodes.size(); k++)
        if (ev.value(s.valueNodes[k], a) != values[declared + k])
            return fail("get-value gives " + inst.text(s.valueNodes[k]) + " the value " +
                        show(response.list[declared + k].list[1]) + ", which the evaluator does not");
    return true;
}

bool ResponseCheck::refuted(const std::string& what, uint64_t required) {
    if (session.decide(required) == Expect::Unsat) return true;
    return fail(what + " is satisfiable");
}

// A core names asserted formulas (n<k>, law<k>), the unsatisfiable
// assumptions are guards (guard<k>); with the formulas in force that are
// neither named nor assumed, they must be unsatisfiable.
bool ResponseCheck::core(const ArrayStep& s, const SExp& response, bool assumptions) {
    if (!response.isList()) return fail("unreadable core " + show(response));
    uint64_t chosen = assumptions ? s.assumed : s.named;
    uint64_t required = s.inForce & ~chosen;
    for (const SExp& e : response.list) {
        std::string name = unquoted(e.atom);
        size_t digits = name.find_first_of("0123456789");
        std::string prefix = digits == std::string::npos ? name : name.substr(0, digits);
        bool known = digits != std::string::npos && (assumptions ? prefix == "guard" : prefix == "n" || prefix == "law");
        size_t k = known ? std::strtoull(name.c_str() + digits, nullptr, 10) : 64;
        if (k >= 64 || !(chosen >> k & 1)) return fail("the core names " + show(e) + ", which is not in it");
        required |= 1ULL << k;
    }
    return refuted(std::string(assumptions ? "the unsatisfiable assumptions " : "the core ") + show(response), required);
}

bool ResponseCheck::step(size_t k, const ArrayStep& s, const SExp& response) {
    switch (s.ask) {
        case ArrayAsk::Check: return answer(k, s, response);
        case ArrayAsk::Model: return readModel(response) && holdsInForce(s, model, "the model");
        case ArrayAsk::Values: return readValues(s, response);
        case ArrayAsk::Core: return core(s, response, false);
        case ArrayAsk::Assumptions: return core(s, response, true);
    }
    return false;
}

void ResponseCheck::check(const std::string& responses) {
    std::vector<SExp> items;
    if (!Reader(responses).items(items)) return void(fail("unbalanced responses"));
    for (size_t k = 0; k < session.steps.size(); k++) {
        if (k >= items.size()) return void(fail("no response " + std::to_string(k + 1)));
        const SExp& e = items[k];
        if (e.isList() && !e.list.empty() && e.list[0].atom == "error") return void(fail("error response " + show(e)));
        if (!step(k, session.steps[k], e)) return;
    }
    if (items.size() > session.steps.size()) fail("unexpected response " + show(items[session.steps.size()]));
}

// --- Running torva ------------------------------------------------------------

struct Variant {
    const char* name;
    torva::Engine engine;
    bool incremental;
    bool simplify;
};

const Variant kVariants[] = {
    {"built-in solver, incremental", torva::Engine::Core, true, false},
    {"CaDiCaL, incremental, first check simplified", torva::Engine::Cadical, true, true},
    {"built-in solver, every check afresh and simplified", torva::Engine::Core, false, true},
    {"CaDiCaL, incremental", torva::Engine::Cadical, true, false},
    {"CaDiCaL, every check afresh", torva::Engine::Cadical, false, false},
};

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

[[noreturn]] void childRun(const Variant& variant, const std::string& scriptPath, const std::string& responsePath) {
    static const torva::simplify::SimplifySettings rewriting;
    torva::GraphSolveOptions options;
    options.engine = variant.engine;
    options.simplify = variant.simplify ? &rewriting : nullptr;
    torva::SessionSolve session(options, variant.incremental);
    torva::terms::QueryFunction check = [&](torva::terms::TermStore& store, const torva::terms::CheckQuery& query) {
        try {
            torva::terms::CheckOutcome outcome = session.check(store, query);
            if (outcome.answer == torva::terms::Answer::Unknown)
                std::fprintf(stderr, "unknown: %s\n", outcome.reason.c_str());
            return outcome;
        } catch (const torva::WrongModel& wrong) {
            std::fprintf(stderr, "wrong model: %s\n", wrong.what());
            std::fflush(stderr);
            _exit(3);
        }
    };
    int fd = open(scriptPath.c_str(), O_RDONLY);
    std::FILE* out = std::fopen(responsePath.c_str(), "w");
    if (fd < 0 || !out) _exit(4);
    torva::smt2::Script script(check, out);
    script.setErrorBehavior(torva::smt2::ErrorBehavior::ContinuedExecution);
    script.run(fd);
    std::fclose(out);
    std::fflush(stdout);
    std::fflush(stderr);
    _exit(0);
}

}  // namespace

ArrayVerdict checkArrayResponses(const ArraySession& s, const std::string& responses) {
    ArrayVerdict v;
    v.responses = responses;
    ResponseCheck(s, v).check(responses);
    return v;
}

ArrayVerdict runArraySession(const ArraySession& s, uint64_t seed, const std::string& workDir, int timeoutSeconds) {
    const Variant& variant = kVariants[seed % (sizeof kVariants / sizeof kVariants[0])];
    std::string base = workDir + "/arrays_" + std::to_string(seed);
    std::string scriptPath = base + ".smt2", responsePath = base + ".out", logPath = base + ".log";
    std::ofstream(scriptPath, std::ios::binary) << s.text;
    std::fflush(stdout);
    std::fflush(stderr);
    pid_t pid = fork();
    if (pid == 0) {
        enterChild(logPath, profileConfig(Profile::Default, seed), timeoutSeconds);
        childRun(variant, scriptPath, responsePath);
    }
    int status = 0;
    bool waited = pid > 0 && waitpid(pid, &status, 0) == pid;
    std::string responses = readFile(responsePath), log = readFile(logPath);
    for (const std::string& p : {scriptPath, responsePath, logPath}) std::remove(p.c_str());
    ArrayVerdict v;
    if (!waited) {
        v.ok = false;
        v.message = "fork or wait failed";
    } else if (WIFSIGNALED(status) && WTERMSIG(status) == SIGALRM) {
        v.ok = false;
        v.timedOut = true;
        v.message = "no answer within " + std::to_string(timeoutSeconds) + " s";
    } else if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        v.ok = false;
        v.message = WIFSIGNALED(status) ? std::string("signal ") + strsignal(WTERMSIG(status))
                                        : "exit status " + std::to_string(WEXITSTATUS(status)) + ": " + log;
    } else {
        v = checkArrayResponses(s, responses);
        if (!v.ok && !log.empty()) v.message += "; the run's log: " + log.substr(0, 2000);
    }
    v.variant = variant.name;
    v.responses = responses;
    return v;
}

}  // namespace torva_random
