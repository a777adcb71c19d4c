// Random differential testing of the term-graph paths: a fixed set of seeds
// per configuration profile (the compiled-in mix and everything as modules)
// and instance shape, each instance decided through the SMT-LIB 2 script,
// through the extended SMT-LIB 1 reader and, when the basic reader accepts
// it, through the benchmark path, every answer and model checked by the
// graph oracle. The number of instances is TORVA_GRAPH_INSTANCES (all
// suites together; fewer by default in a sanitizer build), the time limit
// per path TORVA_GRAPH_TIMEOUT seconds; failing cases are written to
// TORVA_RANDOM_FAILURES when it is set. Wrong answers always fail; time
// limits only beyond one percent of a suite (or one instance, in the small
// default suites). The program itself runs a
// few scripts and extended benchmarks end to end (TORVA_BINARY).
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>

#include "random/graph_oracle.h"

#include "sanitized.h"

namespace torva_random {
namespace {

#ifdef TORVA_SANITIZED
const int kDefaultInstances = 120;
#else
const int kDefaultInstances = 360;
#endif

const Profile kProfiles[] = {Profile::Default, Profile::Modules};
const Shape kShapes[] = {Shape::Small, Shape::Planted, Shape::Law};

int envInt(const char* name, int fallback) {
    const char* v = std::getenv(name);
    return v && *v ? std::atoi(v) : fallback;
}

void keepFailure(const GraphCase& c, const GraphOutcome& o, const std::string& text) {
    const char* dir = std::getenv("TORVA_RANDOM_FAILURES");
    if (!dir || !*dir) return;
    std::string base = std::string(dir) + "/graph_" + profileName(c.profile) + "_" + shapeName(c.shape) + "_" +
                       std::to_string(c.seed);
    std::ofstream(base + ".smt2") << o.script.text;
    std::ofstream(base + ".smt") << o.generated.bench.text();
    std::ofstream(base + ".txt") << text;
}

struct SuiteParam {
    Profile profile;
    Shape shape;
};

class GraphOracle : public ::testing::TestWithParam<SuiteParam> {};

TEST_P(GraphOracle, AllPathsAgreeWithTheConstruction) {
    SuiteParam p = GetParam();
    int suites = static_cast<int>(sizeof kProfiles / sizeof kProfiles[0] * sizeof kShapes / sizeof kShapes[0]);
    int count = std::max(1, envInt("TORVA_GRAPH_INSTANCES", kDefaultInstances) / suites);
    int timeout = envInt("TORVA_GRAPH_TIMEOUT", 10);
    uint64_t first = 7000000 + static_cast<uint64_t>(p.profile) * 100000 + static_cast<uint64_t>(p.shape) * 10000;
    std::string dir = makeWorkDir("graph");
    int sat = 0, unsat = 0, failures = 0, timeouts = 0;
    for (int i = 0; i < count; i++) {
        GraphCase c{p.profile, p.shape, first + static_cast<uint64_t>(i), 3, PathSelection()};
        GraphOutcome o = runGraphCase(c, dir, timeout);
        if (o.ok) {
            (o.sat ? sat : unsat)++;
            continue;
        }
        std::string text = describeGraphFailure(c, o);
        keepFailure(c, o, text);
        if (o.timedOut) {
            timeouts++;
            std::cout << "timeout: seed " << c.seed << " (" << o.message << ")\n";
            continue;
        }
        if (++failures <= 3) ADD_FAILURE() << text;
    }
    rmdir(dir.c_str());
    std::cout << profileName(p.profile) << "/" << shapeName(p.shape) << ": " << count << " instances, " << sat
              << " sat, " << unsat << " unsat, " << failures << " wrong or crashed, " << timeouts << " timed out\n";
    EXPECT_EQ(failures, 0);
    EXPECT_LE(timeouts, std::max(1, count / 100)) << "too many instances ran out of time";
}

std::vector<SuiteParam> allSuites() {
    std::vector<SuiteParam> v;
    for (Profile p : kProfiles)
        for (Shape s : kShapes) v.push_back({p, s});
    return v;
}

std::string suiteName(const ::testing::TestParamInfo<SuiteParam>& info) {
    return std::string(profileName(info.param.profile)) + "_" + shapeName(info.param.shape);
}

INSTANTIATE_TEST_SUITE_P(Seeds, GraphOracle, ::testing::ValuesIn(allSuites()), suiteName);

// The oracle refuses a wrong answer and a crash of each graph path.
TEST(GraphOracleSelfCheck, RejectsWrongAnswers) {
    Generated planted = generate(7, graphSettingsFor(Shape::Planted, ToClauses(), 7));
    Smt2Script script = writeSmt2(planted, 7);
    ScriptRun unsat;
    unsat.finished = true;
    unsat.status = 20;
    for (size_t k = 0; k < script.checks.size(); k++) unsat.responses += "unsat\n";
    EXPECT_FALSE(checkScriptRun(planted, script, unsat).ok);
    ScriptRun crash;
    crash.failure = "signal Segmentation fault";
    EXPECT_FALSE(checkScriptRun(planted, script, crash).ok);

    RunResult extendedUnsat;
    extendedUnsat.verdict = Verdict::Unsat;
    EXPECT_FALSE(checkAnswer(planted, extendedUnsat, 7).ok);
}

struct ProgramRun {
    int status = -1;
    std::string out;
};

ProgramRun runProgram(const std::vector<std::string>& args, const std::string& outPath) {
    ProgramRun r;
    std::fflush(stdout);
    pid_t pid = fork();
    if (pid == 0) {
        if (!freopen(outPath.c_str(), "w", stdout) || dup2(STDOUT_FILENO, STDERR_FILENO) < 0) _exit(127);
        alarm(60);
        std::vector<char*> argv;
        for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
    std::ifstream in(outPath);
    std::stringstream ss;
    ss << in.rdbuf();
    r.out = ss.str();
    return r;
}

// The model lines that `torva --extended -m` prints after its report.
std::string modelLines(const std::string& out) {
    std::istringstream in(out);
    std::string line, lines;
    while (std::getline(in, line))
        if (line.rfind("(define-fun ", 0) == 0) lines += line + "\n";
    return lines;
}

TEST(GraphProgram, ScriptsAndExtendedBenchmarksEndToEnd) {
    const char* binary = std::getenv("TORVA_BINARY");
    struct stat st;
    if (!binary || stat(binary, &st) != 0) GTEST_SKIP() << "no program binary (TORVA_BINARY)";
    std::string dir = makeWorkDir("graph-program");
    std::string script = dir + "/script.smt2", bench = dir + "/bench.smt", out = dir + "/out.txt";
    for (uint64_t seed = 0; seed < 45; seed++) {
        Shape shape = static_cast<Shape>(seed % 3);
        Generated g = generate(800000 + seed, graphSettingsFor(shape, ToClauses(), seed));
        Smt2Script s = writeSmt2(g, seed);
        std::ofstream(script) << s.text;
        ProgramRun r = runProgram({binary, script}, out);
        ScriptRun run;
        run.finished = true;
        run.status = r.status;
        run.responses = r.out;
        CheckResult check = checkScriptRun(g, s, run);
        EXPECT_TRUE(check.ok) << check.message << "\n" << s.text << "responses:\n" << r.out;

        std::ofstream(bench) << g.bench.text();
        r = runProgram({binary, "--extended", "-m", bench}, out);
        bool sat = g.bench.expect == Expect::Sat;
        EXPECT_EQ(r.status, sat ? 10 : 20) << g.bench.text() << r.out;
        EXPECT_NE(r.out.find(sat ? "Result: SAT" : "Result: UNSAT"), std::string::npos) << r.out;
        if (!sat || r.status != 10) continue;
        Assignment a;
        std::string problem;
        ASSERT_TRUE(readDefinedValues(modelLines(r.out), g.bench, a, problem)) << problem << "\n" << r.out;
        EXPECT_TRUE(Evaluator(g.bench).satisfies(a)) << g.bench.text() << r.out;
    }
    for (const std::string& f : {script, bench, out}) std::remove(f.c_str());
    rmdir(dir.c_str());
}

}  // namespace
}  // namespace torva_random
