// The program itself (TORVA_BINARY; skipped without it) on generated
// instances: the responses of each SMT-LIB 2 script pass the graph oracle's
// check; on the SMT-LIB 1 text, with the extended reader and (when it reads
// the instance) the basic one, the exit status and result line agree with
// the known answer and the extended run's model satisfies every assertion.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "random/graph_oracle.h"

namespace torva_random {
namespace {

struct ProgramRun {
    int status;
    std::string out;  // standard output and error
};

// Runs the program for at most a minute with its output in outPath.
ProgramRun runProgram(const std::vector<std::string>& args, const std::string& outPath) {
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
    std::stringstream out;
    out << std::ifstream(outPath).rdbuf();
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status), out.str()};
}

// The model lines that `torva --extended -m` prints after its report.
std::string modelLines(const std::string& out) {
    std::istringstream in(out);
    std::string line, lines;
    while (std::getline(in, line))
        if (line.rfind("(define-fun ", 0) == 0) lines += line + "\n";
    return lines;
}

TEST(Program, ScriptsAndBenchmarksEndToEnd) {
    const char* binary = std::getenv("TORVA_BINARY");
    struct stat st;
    if (!binary || stat(binary, &st) != 0) GTEST_SKIP() << "no program binary (TORVA_BINARY)";
    std::string dir = makeWorkDir("program");
    std::string script = dir + "/script.smt2", bench = dir + "/bench.smt", out = dir + "/out.txt";
    int basicRuns = 0;
    for (uint64_t seed = 0; seed < 90; seed++) {
        Generated g = generate(800000 + seed, graphSettingsFor(static_cast<Shape>(seed % 3), ToClauses(), seed));
        Smt2Script s = writeSmt2(g, seed);
        std::ofstream(script) << s.text;
        ProgramRun r = runProgram({binary, script}, out);
        ScriptRun run;
        run.finished = true, run.status = r.status, run.responses = r.out;
        CheckResult check = checkScriptRun(g, s, run);
        EXPECT_TRUE(check.ok) << check.message << "\n" << s.text << "responses:\n" << r.out;

        std::ofstream(bench) << g.bench.text();
        bool sat = g.bench.expect == Expect::Sat;
        for (bool extended : {false, true}) {  // the extended run last, for its model
            if (!extended && needsGraphReader(g.bench)) continue;
            basicRuns += !extended;
            r = extended ? runProgram({binary, "--extended", "-m", bench}, out) : runProgram({binary, bench}, out);
            EXPECT_EQ(r.status, sat ? 10 : 20) << g.bench.text() << r.out;
            EXPECT_NE(r.out.find(sat ? "Result: SAT" : "Result: UNSAT"), std::string::npos) << r.out;
        }
        if (!sat || r.status != 10) continue;
        Assignment a;
        std::string problem;
        ASSERT_TRUE(readDefinedValues(modelLines(r.out), g.bench, a, problem)) << problem << "\n" << r.out;
        EXPECT_TRUE(Evaluator(g.bench).satisfies(a)) << g.bench.text() << r.out;
    }
    EXPECT_GT(basicRuns, 30);
    for (const std::string& f : {script, bench, out}) std::remove(f.c_str());
    rmdir(dir.c_str());
}

}  // namespace
}  // namespace torva_random
