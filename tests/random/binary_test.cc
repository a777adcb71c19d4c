// The program itself on generated benchmarks: its exit status and result
// line agree with each instance's known answer (enumerated, planted or a
// refuted law). Uses the binary named by TORVA_BINARY; skipped without it.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "random/oracle.h"

namespace torva_random {
namespace {

struct ProgramRun {
    int status = -1;
    std::string out;
};

ProgramRun runProgram(const std::string& binary, const std::string& file, const std::string& outPath) {
    ProgramRun r;
    std::fflush(stdout);
    pid_t pid = fork();
    if (pid == 0) {
        if (!freopen(outPath.c_str(), "w", stdout) || !freopen("/dev/null", "w", stderr)) _exit(127);
        execl(binary.c_str(), binary.c_str(), file.c_str(), static_cast<char*>(nullptr));
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

TEST(Program, ExitStatusMatchesTheKnownAnswer) {
    const char* binary = std::getenv("TORVA_BINARY");
    struct stat st;
    if (!binary || stat(binary, &st) != 0) GTEST_SKIP() << "no program binary (TORVA_BINARY)";
    std::string dir = makeWorkDir("program");
    std::string file = dir + "/bench.smt", out = dir + "/out.txt";
    for (uint64_t seed = 0; seed < 90; seed++) {
        Shape shape = static_cast<Shape>(seed % 3);
        Generated g = generate(500000 + seed, settingsFor(shape, ToClauses(), seed));
        std::ofstream(file) << g.bench.text();
        ProgramRun r = runProgram(binary, file, out);
        bool sat = g.bench.expect == Expect::Sat;
        EXPECT_EQ(r.status, sat ? 10 : 20) << g.bench.text() << r.out;
        EXPECT_NE(r.out.find(sat ? "Result: SAT" : "Result: UNSAT"), std::string::npos) << r.out;
    }
    std::remove(file.c_str());
    std::remove(out.c_str());
    rmdir(dir.c_str());
}

}  // namespace
}  // namespace torva_random
