// Forked runs of generated benchmarks through the solver library, and the
// checks of their answers against the reference evaluator.
#include "random/oracle.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#include "frontend/smt2xml.h"
#include "random/prng.h"
#include "solver/solver.h"

namespace torva_random {

namespace {

template <class E>
struct Named {
    E value;
    const char* name;
};
const Named<Profile> kProfiles[] = {{Profile::Default, "default"}, {Profile::Modules, "modules"},
                                    {Profile::Clauses, "clauses"}, {Profile::Mixed, "mixed"},
                                    {Profile::Search, "search"}};
const Named<Shape> kShapes[] = {{Shape::Small, "small"}, {Shape::Planted, "planted"}, {Shape::Law, "law"}};

template <class E, size_t N>
const char* nameIn(const Named<E> (&table)[N], E value) {
    for (const Named<E>& n : table)
        if (n.value == value) return n.name;
    return "?";
}

template <class E, size_t N>
bool valueIn(const Named<E> (&table)[N], const std::string& name, E* value) {
    for (const Named<E>& n : table)
        if (name == n.name) return *value = n.value, true;
    return false;
}

const size_t kLogTail = 4000;

void writeAll(int fd, const std::string& data) {
    size_t done = 0;
    while (done < data.size()) {
        ssize_t n = write(fd, data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;
        done += static_cast<size_t>(n);
    }
}

std::string readAll(int fd) {
    std::string data;
    char buf[4096];
    for (;;) {
        ssize_t n = read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return data;
        data.append(buf, static_cast<size_t>(n));
    }
}

std::string fileTail(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    std::string s = ss.str();
    return s.size() > kLogTail ? "..." + s.substr(s.size() - kLogTail) : s;
}

// The model of one declaration's CNF variables, most significant bit first.
std::string modelBitsOf(const Solver& s, const std::vector<unsigned>& vars) {
    std::string bits;
    for (size_t i = vars.size(); i-- > 0;) {
        unsigned v = vars[i];
        if (static_cast<int>(v) >= s.model.size() || s.model[v] == l_Undef)
            bits += '?';
        else
            bits += s.model[v] == l_True ? '1' : '0';
    }
    return bits;
}

}  // namespace

void enterChild(const std::string& logPath, const ToClauses& config, int timeoutSeconds) {
    int logFd = open(logPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (logFd >= 0) {
        dup2(logFd, STDOUT_FILENO);
        dup2(logFd, STDERR_FILENO);
        close(logFd);
    }
    alarm(static_cast<unsigned>(timeoutSeconds));
    srand(1);  // module decisions draw from the platform generator as in a fresh process
    toClses = config;
}

namespace {
// The child: parse, simplify and solve as the driver does, then report the
// answer and the model of every declaration through the pipe. Paths that
// end the process while parsing (exit status 20) report nothing.
[[noreturn]] void childMain(const Benchmark& bench, const ToClauses& config, const std::string& path,
                            const std::string& logPath, int reportFd, int timeoutSeconds) {
    enterChild(logPath, config, timeoutSeconds);
    std::string report;
    {
        Solver s(prioParams[0]);
        s.verbosity = 1;
        std::vector<char> file(path.begin(), path.end());
        file.push_back('\0');
        if (!parseSMT(s, file.data())) _exit(3);
        std::vector<std::vector<unsigned>> vars;
        std::string missing;
        for (const Declaration& d : bench.decls) {
            auto it = variables.find(d.name);
            if (it == variables.end()) missing += d.name + " ";
            vars.push_back(it == variables.end() ? std::vector<unsigned>() : it->second->cnfVars);
        }
        clearVariables();
        bool sat = s.simplify() && s.solve(vec<Lit>());
        report = sat ? "S\n" : "U\n";
        if (!missing.empty()) report += "!missing from the variable table: " + missing + "\n";
        for (size_t d = 0; sat && d < vars.size(); d++) {
            if (!vars[d].empty() && vars[d].size() != bench.decls[d].width)
                report += "!" + bench.decls[d].name + " has " + std::to_string(vars[d].size()) + " CNF variables\n";
            report += "=" + modelBitsOf(s, vars[d]) + "\n";
        }
        for (Module* m : s.modules) delete m;
    }
    std::fflush(stdout);
    std::fflush(stderr);
    writeAll(reportFd, report);
    _exit(0);
}

std::string describeStatus(int status) {
    if (WIFEXITED(status)) return "exit status " + std::to_string(WEXITSTATUS(status));
    if (WIFSIGNALED(status)) return std::string("signal ") + strsignal(WTERMSIG(status));
    return "status " + std::to_string(status);
}

void parseReport(const std::string& report, RunResult& r) {
    std::istringstream in(report);
    std::string line;
    std::getline(in, line);
    r.verdict = line == "S" ? Verdict::Sat : Verdict::Unsat;
    while (std::getline(in, line)) {
        if (line[0] == '!') r.failure += line.substr(1) + "; ";
        else r.modelBits.push_back(line.substr(1));
    }
}

uint64_t declarationValue(const std::string& bits, unsigned width, Prng& rng) {
    if (bits.empty()) return rng.next() & bv::mask(width);
    uint64_t v = 0;
    for (char c : bits) v = (v << 1) | (c == '1' || (c == '?' && rng.coin()) ? 1 : 0);
    return v;
}

}  // namespace

const char* profileName(Profile p) { return nameIn(kProfiles, p); }

bool profileByName(const std::string& name, Profile* p) { return valueIn(kProfiles, name, p); }

const char* shapeName(Shape s) { return nameIn(kShapes, s); }

bool shapeByName(const std::string& name, Shape* s) { return valueIn(kShapes, name, s); }

ToClauses profileConfig(Profile p, uint64_t seed) {
    ToClauses c;
    Prng rng(seed ^ 0x5bd1e995u);
    switch (p) {
        case Profile::Default: break;
        case Profile::Modules:
            c.andCls = c.eqCls = c.invCls = c.xorCls = c.orCls = c.idCls = false;
            c.addCls = rng.coin();
            c.mulCls = rng.coin();
            c.addSubModule = true;
            c.mulSubModule = true;
            c.mulHeur = 0;
            c.shiftCls = false;
            c.iteCls = false;
            break;
        case Profile::Clauses:
            c.shiftCls = true;
            c.iteCls = true;
            c.mulSubModule = false;
            c.addHeur = 0xffffffffu;
            break;
        case Profile::Mixed:
            c.andCls = rng.coin();
            c.eqCls = rng.coin();
            c.invCls = rng.coin();
            c.xorCls = rng.coin();
            c.orCls = rng.coin();
            c.idCls = rng.coin();
            c.addCls = rng.coin();
            c.mulCls = rng.coin();
            c.shiftCls = rng.coin();
            c.iteCls = rng.coin();
            c.addSubModule = rng.coin();
            c.mulSubModule = rng.coin();
            c.divHeur = rng.coin();
            c.addHeur = static_cast<uint32_t>(rng.below(3) == 0 ? 400 : rng.below(4));
            c.mulHeur = static_cast<uint32_t>(rng.below(5));
            break;
        case Profile::Search:
            c.noRestarts = false;
            c.noClsDel = rng.coin();
            c.pureStaticDec = rng.below(4) != 0;
            c.clsesSubstByMods = rng.coin();
            c.origDecs = rng.coin() ? 0.0 : 0.3;
            c.origDecsInc = rng.coin() ? 1.0 : 0.9;
            c.clseLength = rng.coin() ? -1.0 : 0.05;
            c.randLearnt = rng.coin() ? -1.0 : 0.7;
            break;
    }
    return c;
}

GenSettings settingsFor(Shape shape, const ToClauses& config, uint64_t seed) {
    GenSettings s;
    s.shape = shape;
    s.gates = {config.andCls, config.orCls, config.xorCls, config.invCls};
    s.decorate = seed % 5 == 0;
    if (!config.eqCls) s.eqWidth = 8;
    bool wordModules = !config.eqCls || !config.addCls || config.addSubModule || config.addHeur < 400 ||
                       !config.mulCls || config.mulHeur < 4;
    if (wordModules) {
        s.lawWidth = 5;
        s.maxWidth = 24;
    }
    return s;
}

RunResult runInChild(const Benchmark& bench, const ToClauses& config, const std::string& workDir, int timeoutSeconds) {
    RunResult r;
    std::string path = workDir + "/" + bench.name + ".smt";
    std::string logPath = workDir + "/" + bench.name + ".log";
    {
        std::ofstream out(path, std::ios::binary);
        out << bench.text();
    }
    int fds[2];
    if (pipe(fds) != 0) {
        r.failure = "pipe failed";
        return r;
    }
    std::fflush(stdout);
    std::fflush(stderr);
    pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        childMain(bench, config, path, logPath, fds[1], timeoutSeconds);
    }
    close(fds[1]);
    std::string report = pid > 0 ? readAll(fds[0]) : "";
    close(fds[0]);
    int status = 0;
    if (pid < 0 || waitpid(pid, &status, 0) != pid) {
        r.failure = "fork or wait failed";
        return r;
    }
    r.log = fileTail(logPath);
    if (WIFSIGNALED(status) && WTERMSIG(status) == SIGALRM) {
        r.verdict = Verdict::Timeout;
        r.failure = "no answer within " + std::to_string(timeoutSeconds) + " s";
    } else if (WIFEXITED(status) && WEXITSTATUS(status) == 20 && report.empty()) {
        r.verdict = Verdict::Unsat;
        r.decidedWhileParsing = true;
    } else if (WIFEXITED(status) && WEXITSTATUS(status) == 0 && !report.empty()) {
        parseReport(report, r);
    } else {
        r.verdict = Verdict::Crash;
        r.failure = describeStatus(status);
    }
    std::remove(path.c_str());
    std::remove(logPath.c_str());
    return r;
}

CheckResult checkAnswer(const Generated& g, const RunResult& r, uint64_t seed) {
    CheckResult c;
    const Benchmark& b = g.bench;
    auto fail = [&](const std::string& m) {
        c.ok = false;
        c.message = m;
        return c;
    };
    if (r.verdict == Verdict::Crash) return fail("the run ended abnormally: " + r.failure);
    if (r.verdict == Verdict::Timeout) return fail("timeout: " + r.failure);
    if (!r.failure.empty()) return fail(r.failure);
    if (r.verdict == Verdict::Sat) {
        c.sat = true;
        if (r.modelBits.size() != b.decls.size()) return fail("model report incomplete");
        Prng rng(seed ^ 0x9e3779b9u);
        Assignment a(b.decls.size());
        for (size_t d = 0; d < b.decls.size(); d++) a[d] = declarationValue(r.modelBits[d], b.decls[d].width, rng);
        Evaluator ev(b);
        for (size_t k = 0; k < b.assertions.size(); k++)
            if (!ev.holds(b.assertions[k].node, a))
                return fail("SAT, but assertion " + std::to_string(k + 1) + " is false under the model");
        if (b.expect == Expect::Unsat) return fail("SAT on an unsatisfiable instance, yet the model checks");
        return c;
    }
    const char* where = r.decidedWhileParsing ? " (decided while parsing)" : "";
    if (b.expect == Expect::Sat) {
        bool witness = !g.planted.empty() && Evaluator(g.bench).satisfies(g.planted);
        return fail(std::string("UNSAT") + where + " on a satisfiable instance" + (witness ? " (planted values satisfy it)" : ""));
    }
    if (b.usedBits() <= 16 && countModels(b, 1) != 0) return fail(std::string("UNSAT") + where + ", but enumeration finds a model");
    return c;
}

CaseOutcome runCase(const Case& c, const std::string& workDir, int timeoutSeconds) {
    CaseOutcome o;
    o.config = profileConfig(c.profile, c.seed);
    GenSettings settings = settingsFor(c.shape, o.config, c.seed);
    settings.depth = c.depth;
    o.generated = generate(c.seed, settings);
    o.run = runInChild(o.generated.bench, o.config, workDir, timeoutSeconds);
    o.check = checkAnswer(o.generated, o.run, c.seed);
    return o;
}

std::string describeFailure(const Case& c, const CaseOutcome& o) {
    const ToClauses& k = o.config;
    std::ostringstream os;
    os << "seed " << c.seed << ", profile " << profileName(c.profile) << ", shape " << shapeName(c.shape) << "\n"
       << "problem: " << o.check.message << "\n"
       << "configuration: andCls=" << k.andCls << " eqCls=" << k.eqCls << " invCls=" << k.invCls
       << " addCls=" << k.addCls << " mulCls=" << k.mulCls << " shiftCls=" << k.shiftCls
       << " addSubModule=" << k.addSubModule << " mulSubModule=" << k.mulSubModule << " divHeur=" << k.divHeur
       << " xorCls=" << k.xorCls << " orCls=" << k.orCls << " idCls=" << k.idCls << " iteCls=" << k.iteCls
       << " clsesSubstByMods=" << k.clsesSubstByMods << " noRestarts=" << k.noRestarts << " noClsDel=" << k.noClsDel
       << " pureStaticDec=" << k.pureStaticDec << " clseLength=" << k.clseLength << " randLearnt=" << k.randLearnt
       << " origDecs=" << k.origDecs << " origDecsInc=" << k.origDecsInc << " addHeur=" << k.addHeur
       << " mulHeur=" << k.mulHeur << "\n"
       << "reproduce: torva-fuzz random --profile " << profileName(c.profile) << " --shape " << shapeName(c.shape)
       << " --first " << c.seed << " --count 1 --depth " << c.depth << "\n";
    if (!o.run.modelBits.empty()) {
        os << "model:";
        for (size_t d = 0; d < o.run.modelBits.size(); d++)
            os << " " << o.generated.bench.decls[d].name << "=#b" << (o.run.modelBits[d].empty() ? "-" : o.run.modelBits[d]);
        os << "\n";
    }
    os << "benchmark:\n" << o.generated.bench.text() << "output of the run:\n" << o.run.log << "\n";
    return os.str();
}

std::string makeWorkDir(const std::string& tag) {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/torva-" + tag + "-XXXXXX";
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back('\0');
    const char* dir = mkdtemp(buf.data());
    return dir ? dir : "/tmp";
}

}  // namespace torva_random
