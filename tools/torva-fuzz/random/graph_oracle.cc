// Forked runs of generated instances through the term-graph paths (the
// SMT-LIB 2 reader and the extended SMT-LIB 1 reader, both solved by the
// graph solver), the reading of their responses, and the checks of every
// answer, model and value against the instance's construction and the
// reference evaluator. A child reports through files in the work
// directory; a child that ends otherwise than by returning is a crash.
#include "random/graph_oracle.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>

#include "frontend/extended/benchmark.h"
#include "frontend/smt2/script.h"
#include "engine/graph_solve.h"
#include "random/prng.h"
#include "terms/evaluator.h"

namespace torva_random {

namespace {

const size_t kTail = 4000;

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

std::string tail(const std::string& s) { return s.size() > kTail ? "..." + s.substr(s.size() - kTail) : s; }

std::string describeStatus(int status) {
    if (WIFEXITED(status)) return "exit status " + std::to_string(WEXITSTATUS(status));
    if (WIFSIGNALED(status)) return std::string("signal ") + strsignal(WTERMSIG(status));
    return "status " + std::to_string(status);
}

[[noreturn]] void leaveChild(int status) {
    std::fflush(stdout);
    std::fflush(stderr);
    _exit(status);
}

// The search and SAT engine of the graph paths rotate with the seed, so that
// every profile meets each of them; the children inherit the choice.
struct EngineChoice {
    const char* name;
    SearchSettings search;
    torva::Engine engine;
    uint32_t abstractWidth;
};

SearchSettings presentDaySearch(SearchSettings::ModuleDecisions decisions, SearchSettings::Phase phase,
                                SearchSettings::Restarts restarts) {
    SearchSettings s;
    s.restarts = restarts;
    s.phase = phase;
    s.learnts = SearchSettings::Learnts::Tiered;
    s.moduleDecisions = decisions;
    s.lubyUnit = 8;
    s.reduceInterval = 30;
    return s;
}

const EngineChoice kEngineChoices[] = {
    {"classic search", SearchSettings(), torva::Engine::Core, 0},
    {"glucose restarts, saved phases, activity decisions",
     presentDaySearch(SearchSettings::ModuleDecisions::Activity, SearchSettings::Phase::Saved,
                      SearchSettings::Restarts::Glucose),
     torva::Engine::Core, 0},
    {"luby restarts, target phases, module decisions",
     presentDaySearch(SearchSettings::ModuleDecisions::First, SearchSettings::Phase::Target,
                      SearchSettings::Restarts::Luby),
     torva::Engine::Core, 0},
    {"CaDiCaL on the compact blaster", SearchSettings(), torva::Engine::Cadical, 0},
    {"CaDiCaL, every multiplication, quotient and remainder abstracted", SearchSettings(), torva::Engine::Cadical, 1},
};

EngineChoice chosenEngine = kEngineChoices[0];

const EngineChoice& engineFor(uint64_t seed) {
    return kEngineChoices[seed % (sizeof kEngineChoices / sizeof kEngineChoices[0])];
}

torva::GraphSolveOptions engineOptions() {
    torva::GraphSolveOptions options;
    options.search = chosenEngine.search;
    options.engine = chosenEngine.engine;
    options.abstractWidth = chosenEngine.abstractWidth;
    return options;
}

// The extended path solves the graph as it was read, the script path after
// word-level simplification (as the program does), so every instance is
// decided with and without it.
torva::terms::CheckOutcome solve(torva::terms::TermStore& store, const std::vector<torva::terms::TermId>& assertions) {
    return torva::solveGraph(store, assertions, engineOptions());
}

torva::terms::CheckOutcome solveSimplified(torva::terms::TermStore& store,
                                           const std::vector<torva::terms::TermId>& assertions) {
    static const torva::simplify::SimplifySettings settings;
    torva::GraphSolveOptions options = engineOptions();
    options.simplify = &settings;
    return torva::solveGraph(store, assertions, options);
}

// Runs `child` in a forked process and waits for it; returns its status, or
// -1 when the fork failed.
template <class F>
int forkAndWait(F child) {
    std::fflush(stdout);
    std::fflush(stderr);
    pid_t pid = fork();
    if (pid == 0) child();
    int status = 0;
    if (pid < 0 || waitpid(pid, &status, 0) != pid) return -1;
    return status;
}

bool timedOut(int status) { return WIFSIGNALED(status) && WTERMSIG(status) == SIGALRM; }

// --- Responses ---------------------------------------------------------

// The responses as tokens: "(", ")" and atoms (symbols with or without
// bars, strings, literals, keywords).
bool tokenize(const std::string& text, std::vector<std::string>& tokens, std::string& error) {
    size_t i = 0;
    while (i < text.size()) {
        char c = text[i];
        if (std::isspace(static_cast<unsigned char>(c))) {
            i++;
        } else if (c == '(' || c == ')') {
            tokens.push_back(std::string(1, c));
            i++;
        } else if (c == '|' || c == '"') {
            size_t end = i + 1;
            for (;;) {
                end = text.find(c, end);
                if (end == std::string::npos) return error = "unterminated " + std::string(1, c) + " in the responses", false;
                if (c == '"' && end + 1 < text.size() && text[end + 1] == '"') {
                    end += 2;
                    continue;
                }
                break;
            }
            tokens.push_back(text.substr(i, end + 1 - i));
            i = end + 1;
        } else {
            size_t end = i;
            while (end < text.size() && !std::isspace(static_cast<unsigned char>(text[end])) && text[end] != '(' &&
                   text[end] != ')')
                end++;
            tokens.push_back(text.substr(i, end - i));
            i = end;
        }
    }
    return true;
}

struct Item {
    size_t begin, end;  // token range; a list when tokens[begin] is "("
};

// The items of a token range that holds a sequence of items.
bool items(const std::vector<std::string>& tokens, size_t begin, size_t end, std::vector<Item>& out) {
    size_t i = begin;
    while (i < end) {
        if (tokens[i] == ")") return false;
        size_t j = i + 1;
        if (tokens[i] == "(") {
            int depth = 1;
            while (j < end && depth > 0) depth += tokens[j] == "(" ? 1 : tokens[j] == ")" ? -1 : 0, j++;
            if (depth != 0) return false;
        }
        out.push_back({i, j});
        i = j;
    }
    return true;
}

bool isList(const std::vector<std::string>& tokens, const Item& it) { return tokens[it.begin] == "("; }

// The elements of a list item.
std::vector<Item> elements(const std::vector<std::string>& tokens, const Item& list) {
    std::vector<Item> out;
    if (!items(tokens, list.begin + 1, list.end - 1, out)) out.clear();
    return out;
}

std::string itemText(const std::vector<std::string>& tokens, const Item& it) {
    std::string s;
    for (size_t i = it.begin; i < it.end; i++) {
        bool tight = i == it.begin || tokens[i] == ")" || tokens[i - 1] == "(";
        s += (tight ? "" : " ") + tokens[i];
    }
    return s;
}

std::string unquoted(const std::string& symbol) {
    return symbol.size() >= 2 && symbol.front() == '|' && symbol.back() == '|' ? symbol.substr(1, symbol.size() - 2) : symbol;
}

// A value as printed: true, false, #b..., #x... or (_ bvN w); the width is
// 0 for a Boolean. Values wider than 64 bits are refused.
bool parseValue(const std::vector<std::string>& tokens, const Item& it, unsigned& width, uint64_t& value) {
    auto digits = [&](const std::string& s, unsigned base, unsigned bitsPerDigit) {
        if (s.empty() || s.size() * bitsPerDigit > 64) return false;
        value = 0;
        for (char c : s) {
            int d = std::isdigit(static_cast<unsigned char>(c)) ? c - '0' : std::tolower(c) - 'a' + 10;
            if (d < 0 || d >= static_cast<int>(base)) return false;
            value = (value << bitsPerDigit) | static_cast<uint64_t>(d);
        }
        width = static_cast<unsigned>(s.size() * bitsPerDigit);
        return true;
    };
    if (!isList(tokens, it)) {
        const std::string& t = tokens[it.begin];
        if (t == "true" || t == "false") return width = 0, value = t == "true", true;
        if (t.rfind("#b", 0) == 0) return digits(t.substr(2), 2, 1);
        if (t.rfind("#x", 0) == 0) return digits(t.substr(2), 16, 4);
        return false;
    }
    std::vector<Item> e = elements(tokens, it);
    if (e.size() != 3 || tokens[e[0].begin] != "_" || tokens[e[1].begin].rfind("bv", 0) != 0) return false;
    const std::string number = tokens[e[1].begin].substr(2), w = tokens[e[2].begin];
    width = static_cast<unsigned>(std::strtoul(w.c_str(), nullptr, 10));
    if (width == 0 || width > 64 || number.empty() || number.size() > 20) return false;
    unsigned __int128 v = 0;
    for (char c : number) {
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
        v = v * 10 + static_cast<unsigned>(c - '0');
    }
    if (v > bv::mask(width)) return false;
    value = static_cast<uint64_t>(v);
    return true;
}

unsigned declaredWidth(const Declaration& d) { return d.predicate ? 0 : d.width; }

std::string answerName(Expect e) { return e == Expect::Sat ? "sat" : e == Expect::Unsat ? "unsat" : "unknown"; }

class ResponseCheck {
public:
    ResponseCheck(const Benchmark& b, const Smt2Script& s, const ScriptRun& r) : bench(b), script(s), run(r) {}

    CheckResult check();

private:
    const Benchmark& bench;
    const Smt2Script& script;
    const ScriptRun& run;
    std::vector<std::string> tokens;
    CheckResult result;

    CheckResult fail(const std::string& m) {
        result.ok = false;
        result.message = m;
        return result;
    }
    bool readModel(const Item& model, Assignment& a, std::string& problem);
    bool readValues(const Item& values, Assignment& a, std::vector<std::pair<unsigned, uint64_t>>& asked,
                    std::string& problem);
    std::string checkModel(const Assignment& a, const std::vector<std::pair<unsigned, uint64_t>>& asked);
};

// The values that define-fun entries give the declarations; every
// declaration must have one of its sort.
bool definedValues(const std::vector<std::string>& tokens, const std::vector<Item>& entries, const Benchmark& bench,
                   Assignment& a, std::string& problem) {
    std::map<std::string, std::pair<unsigned, uint64_t>> values;
    for (const Item& entry : entries) {
        std::vector<Item> e = isList(tokens, entry) ? elements(tokens, entry) : std::vector<Item>();
        unsigned w;
        uint64_t v;
        if (e.size() != 5 || tokens[e[0].begin] != "define-fun" || !parseValue(tokens, e[4], w, v))
            return problem = "unreadable model entry " + itemText(tokens, entry), false;
        values[unquoted(tokens[e[1].begin])] = {w, v};
    }
    for (size_t d = 0; d < bench.decls.size(); d++) {
        auto it = values.find(bench.decls[d].name);
        if (it == values.end()) return problem = "the model lacks " + bench.decls[d].name, false;
        if (it->second.first != declaredWidth(bench.decls[d]))
            return problem = "the model gives " + bench.decls[d].name + " a value of the wrong sort", false;
        a[d] = it->second.second;
    }
    return true;
}

bool ResponseCheck::readModel(const Item& model, Assignment& a, std::string& problem) {
    return definedValues(tokens, elements(tokens, model), bench, a, problem);
}

bool ResponseCheck::readValues(const Item& values, Assignment& a, std::vector<std::pair<unsigned, uint64_t>>& asked,
                               std::string& problem) {
    std::vector<Item> pairs = elements(tokens, values);
    if (pairs.size() != script.values.size())
        return problem = "get-value answered " + std::to_string(pairs.size()) + " of " +
                         std::to_string(script.values.size()) + " terms", false;
    for (size_t k = 0; k < pairs.size(); k++) {
        std::vector<Item> e = isList(tokens, pairs[k]) ? elements(tokens, pairs[k]) : std::vector<Item>();
        unsigned w;
        uint64_t v;
        if (e.size() != 2 || !parseValue(tokens, e[1], w, v))
            return problem = "unreadable get-value entry " + itemText(tokens, pairs[k]), false;
        const ValueTerm& t = script.values[k];
        unsigned expected = t.decl >= 0 ? declaredWidth(bench.decls[t.decl]) : bench.nodes[t.node].width;
        if (w != expected) return problem = "get-value entry " + itemText(tokens, pairs[k]) + " has the wrong sort", false;
        if (t.decl >= 0)
            a[t.decl] = v;
        else
            asked.push_back({static_cast<unsigned>(t.node), v});
    }
    return true;
}

std::string ResponseCheck::checkModel(const Assignment& a, const std::vector<std::pair<unsigned, uint64_t>>& asked) {
    Evaluator ev(bench);
    for (size_t k = 0; k < bench.assertions.size(); k++)
        if (!ev.holds(bench.assertions[k].node, a))
            return "sat, but assertion " + std::to_string(k + 1) + " is false under the model";
    for (const auto& [node, value] : asked)
        if (ev.value(static_cast<int>(node), a) != value)
            return "get-value gives node " + std::to_string(node) + " the value " + std::to_string(value) +
                   ", the evaluator " + std::to_string(ev.value(static_cast<int>(node), a));
    return "";
}

CheckResult ResponseCheck::check() {
    if (run.timedOut) return fail("timeout: " + run.failure);
    if (!run.finished) return fail("the run ended abnormally: " + run.failure);
    std::string problem;
    std::vector<Item> top;
    if (!tokenize(run.responses, tokens, problem)) return fail(problem);
    if (!items(tokens, 0, tokens.size(), top)) return fail("unbalanced responses");
    for (const Item& it : top)
        if (isList(tokens, it) && it.end - it.begin > 1 && tokens[it.begin + 1] == "error")
            return fail("error response " + itemText(tokens, it));
    size_t next = 0;
    std::string last;
    for (size_t k = 0; k < script.checks.size(); k++, next++) {
        if (next >= top.size()) return fail("no answer to check-sat " + std::to_string(k + 1));
        std::string answer = isList(tokens, top[next]) ? itemText(tokens, top[next]) : tokens[top[next].begin];
        if (answer != answerName(script.checks[k].expect))
            return fail("check-sat " + std::to_string(k + 1) + " of " + std::to_string(script.checks.size()) +
                        " answered " + answer + ", expected " + answerName(script.checks[k].expect));
        last = answer;
    }
    result.sat = last == "sat";
    int expectedStatus = result.sat ? 10 : 20;
    if (run.status != expectedStatus)
        return fail("exit status " + std::to_string(run.status) + " after " + last + ", expected " +
                    std::to_string(expectedStatus));
    if (script.query != Smt2Query::None) {
        if (next >= top.size() || !isList(tokens, top[next])) return fail("no answer to the model query");
        Assignment a(bench.decls.size(), 0);
        std::vector<std::pair<unsigned, uint64_t>> asked;
        bool read = script.query == Smt2Query::Model ? readModel(top[next], a, problem)
                                                     : readValues(top[next], a, asked, problem);
        if (!read) return fail(problem);
        problem = checkModel(a, asked);
        if (!problem.empty()) return fail(problem);
        next++;
    }
    if (next < top.size()) return fail("unexpected response " + itemText(tokens, top[next]));
    return result;
}

// --- The extended reader -----------------------------------------------

std::string bitsOf(const mpz_class& value, unsigned width) {
    std::string bits = value.get_str(2);
    return bits.size() < width ? std::string(width - bits.size(), '0') + bits : bits;
}

// The child: read the benchmark, solve it, and write "S" with one "=BITS"
// line per declaration, "U", or "!" and a problem to the report file.
[[noreturn]] void extendedChild(const Benchmark& bench, const std::string& text, const std::string& reportPath) {
    torva::terms::TermStore store;
    torva::extended::Benchmark read;
    std::string error, report;
    if (!torva::extended::parseBenchmark(text.data(), text.size(), bench.name + ".smt", store, read, error)) {
        report = "!the extended reader refused the benchmark: " + error + "\n";
    } else {
        torva::terms::CheckOutcome outcome = solve(store, read.assertions);
        if (outcome.answer == torva::terms::Answer::Unknown) {
            report = "!the graph solver answered unknown: " + outcome.reason + "\n";
        } else if (outcome.answer == torva::terms::Answer::Unsat) {
            report = "U\n";
        } else {
            report = "S\n";
            torva::terms::Evaluator values(store);
            for (const auto& [variable, value] : outcome.model.values) values.assign(variable, value);
            for (const Declaration& d : bench.decls) {
                const torva::extended::Declaration* found = nullptr;
                for (const torva::extended::Declaration& r : read.declarations)
                    if (r.name == d.name) found = &r;
                if (!found) {
                    report += "!" + d.name + " is not declared\n";
                    continue;
                }
                unsigned w = store.width(found->term);
                if (w != declaredWidth(d)) report += "!" + d.name + " has the wrong sort\n";
                report += "=" + bitsOf(values.value(found->term), w == 0 ? 1 : w) + "\n";
            }
        }
    }
    std::ofstream(reportPath, std::ios::binary) << report;
    leaveChild(0);
}

void parseExtendedReport(const std::string& report, RunResult& r) {
    std::istringstream in(report);
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty()) continue;
        if (line[0] == '!') r.failure += line.substr(1) + "; ";
        else if (line[0] == '=') r.modelBits.push_back(line.substr(1));
        else r.verdict = line == "S" ? Verdict::Sat : Verdict::Unsat;
    }
}

std::string configText(const ToClauses& k) {
    std::ostringstream os;
    os << "andCls=" << k.andCls << " eqCls=" << k.eqCls << " invCls=" << k.invCls << " addCls=" << k.addCls
       << " mulCls=" << k.mulCls << " shiftCls=" << k.shiftCls << " addSubModule=" << k.addSubModule
       << " mulSubModule=" << k.mulSubModule << " divHeur=" << k.divHeur << " xorCls=" << k.xorCls
       << " orCls=" << k.orCls << " idCls=" << k.idCls << " iteCls=" << k.iteCls
       << " clsesSubstByMods=" << k.clsesSubstByMods << " noRestarts=" << k.noRestarts << " noClsDel=" << k.noClsDel
       << " pureStaticDec=" << k.pureStaticDec << " clseLength=" << k.clseLength << " randLearnt=" << k.randLearnt
       << " origDecs=" << k.origDecs << " origDecsInc=" << k.origDecsInc << " addHeur=" << k.addHeur
       << " mulHeur=" << k.mulHeur;
    return os.str();
}

const char* verdictName(Verdict v) {
    switch (v) {
        case Verdict::Sat: return "sat";
        case Verdict::Unsat: return "unsat";
        case Verdict::Timeout: return "timeout";
        case Verdict::Crash: break;
    }
    return "crash";
}

}  // namespace

bool readDefinedValues(const std::string& text, const Benchmark& bench, Assignment& a, std::string& problem) {
    std::vector<std::string> tokens;
    std::vector<Item> entries;
    if (!tokenize(text, tokens, problem)) return false;
    if (!items(tokens, 0, tokens.size(), entries)) return problem = "unbalanced model lines", false;
    a.assign(bench.decls.size(), 0);
    return definedValues(tokens, entries, bench, a, problem);
}

GenSettings graphSettingsFor(Shape shape, const ToClauses& config, uint64_t seed) {
    GenSettings s = settingsFor(shape, config, seed);
    s.graphOps = Prng(seed ^ 0x85ebca6bu).coin();
    return s;
}

ScriptRun runScriptInChild(const std::string& name, const std::string& text, const ToClauses& config,
                           const std::string& workDir, int timeoutSeconds) {
    ScriptRun r;
    std::string path = workDir + "/" + name + ".smt2", responsePath = workDir + "/" + name + ".out",
                logPath = workDir + "/" + name + ".log";
    std::ofstream(path, std::ios::binary) << text;
    std::remove(responsePath.c_str());
    int status = forkAndWait([&] {
        enterChild(logPath, config, timeoutSeconds);
        int fd = open(path.c_str(), O_RDONLY);
        std::FILE* out = std::fopen(responsePath.c_str(), "w");
        if (fd < 0 || !out) leaveChild(4);
        int code = torva::smt2::runScript(fd, solveSimplified, out);
        std::fclose(out);
        close(fd);
        leaveChild(code);
    });
    r.responses = readFile(responsePath);
    r.log = tail(readFile(logPath));
    if (status == -1) {
        r.failure = "fork or wait failed";
    } else if (timedOut(status)) {
        r.timedOut = true;
        r.failure = "no answer within " + std::to_string(timeoutSeconds) + " s";
    } else if (WIFEXITED(status) && (WEXITSTATUS(status) == 0 || WEXITSTATUS(status) == 1 ||
                                     WEXITSTATUS(status) == 10 || WEXITSTATUS(status) == 20)) {
        r.finished = true;
        r.status = WEXITSTATUS(status);
    } else {
        r.failure = describeStatus(status);
    }
    for (const std::string& p : {path, responsePath, logPath}) std::remove(p.c_str());
    return r;
}

CheckResult checkScriptRun(const Generated& g, const Smt2Script& script, const ScriptRun& run) {
    return ResponseCheck(g.bench, script, run).check();
}

RunResult runExtendedInChild(const Benchmark& bench, const ToClauses& config, const std::string& workDir,
                             int timeoutSeconds) {
    RunResult r;
    std::string reportPath = workDir + "/" + bench.name + ".report", logPath = workDir + "/" + bench.name + ".xlog";
    std::string text = bench.text();
    std::remove(reportPath.c_str());
    int status = forkAndWait([&] {
        enterChild(logPath, config, timeoutSeconds);
        extendedChild(bench, text, reportPath);
    });
    std::string report = readFile(reportPath);
    r.log = tail(readFile(logPath));
    if (status == -1) {
        r.failure = "fork or wait failed";
    } else if (timedOut(status)) {
        r.verdict = Verdict::Timeout;
        r.failure = "no answer within " + std::to_string(timeoutSeconds) + " s";
    } else if (WIFEXITED(status) && WEXITSTATUS(status) == 0 && !report.empty()) {
        parseExtendedReport(report, r);
    } else {
        r.failure = describeStatus(status);
    }
    std::remove(reportPath.c_str());
    std::remove(logPath.c_str());
    return r;
}

GraphOutcome runGraphCase(const GraphCase& c, const std::string& workDir, int timeoutSeconds) {
    GraphOutcome o;
    o.config = profileConfig(c.profile, c.seed);
    chosenEngine = engineFor(c.seed);
    GenSettings settings = graphSettingsFor(c.shape, o.config, c.seed);
    settings.depth = c.depth;
    o.generated = generate(c.seed, settings);
    o.script = writeSmt2(o.generated, c.seed);
    const Benchmark& b = o.generated.bench;
    if (c.paths.smt2) {
        ScriptRun run = runScriptInChild(b.name, o.script.text, o.config, workDir, timeoutSeconds);
        Verdict v = run.timedOut ? Verdict::Timeout
                    : !run.finished  ? Verdict::Crash
                    : run.status == 10 ? Verdict::Sat
                    : run.status == 20 ? Verdict::Unsat
                                       : Verdict::Crash;
        o.reports.push_back({"smt2", v, checkScriptRun(o.generated, o.script, run), run.responses + run.log});
    }
    if (c.paths.extended) {
        RunResult run = runExtendedInChild(b, o.config, workDir, timeoutSeconds);
        o.reports.push_back({"extended", run.verdict, checkAnswer(o.generated, run, c.seed), run.log});
    }
    if (c.paths.benchmark && !needsGraphReader(b)) {
        RunResult run = runInChild(b, o.config, workDir, timeoutSeconds);
        o.reports.push_back({"benchmark", run.verdict, checkAnswer(o.generated, run, c.seed), run.log});
    }
    bool onlyTimeouts = true;
    for (const PathReport& p : o.reports) {
        if (p.check.ok) continue;
        bool timeout = p.verdict == Verdict::Timeout;
        if (o.ok || (onlyTimeouts && !timeout)) o.message = p.path + ": " + p.check.message;
        o.ok = false;
        onlyTimeouts = onlyTimeouts && timeout;
    }
    o.timedOut = !o.ok && onlyTimeouts;
    o.sat = b.expect == Expect::Sat;
    return o;
}

std::string describeGraphFailure(const GraphCase& c, const GraphOutcome& o) {
    std::ostringstream os;
    os << "seed " << c.seed << ", profile " << profileName(c.profile) << ", shape " << shapeName(c.shape)
       << ", depth " << c.depth << "\n"
       << "problem: " << o.message << "\n"
       << "expected: " << answerName(o.generated.bench.expect) << "\n";
    for (const PathReport& p : o.reports)
        os << "  " << p.path << ": " << verdictName(p.verdict) << (p.check.ok ? ", ok" : ", " + p.check.message) << "\n";
    os << "configuration: " << configText(o.config) << "\n"
       << "graph engine: " << engineFor(c.seed).name << "\n"
       << "reproduce: torva-fuzz random --path both --profile " << profileName(c.profile) << " --shape "
       << shapeName(c.shape) << " --first " << c.seed << " --count 1 --depth " << c.depth << "\n"
       << "SMT-LIB 2 script:\n" << o.script.text << "SMT-LIB 1 benchmark:\n" << o.generated.bench.text();
    for (const PathReport& p : o.reports)
        if (!p.check.ok && !p.output.empty()) os << "output of the " << p.path << " run:\n" << p.output << "\n";
    return os.str();
}

}  // namespace torva_random
