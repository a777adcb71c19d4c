// The run limits: a hard instance stops promptly after the time limit (the
// CPU-time timer's delivery on a loaded virtual machine takes up to a few
// tenths of a second; a limit that missed the search would run for far
// longer), in both languages, with the unknown answer, the reason and
// status 0; a check that needs more memory than --memory-limit is answered
// unknown the same way; a benchmark too large for the address space ends
// with a clear message; bad limit values are refused.
#include <sys/resource.h>

#include <cstdio>
#include <string>

#include "e2e/torva_process.h"
#include "sanitized.h"

namespace {

// Factoring a 64-bit odd number into two factors below 2^32: far beyond a
// second of search for any bit-blasting solver.
const char kHardScript[] =
    "(set-logic QF_BV)(declare-const x (_ BitVec 64))(declare-const y (_ BitVec 64))"
    "(assert (= (bvmul x y) #x9e3779b97f4a7c15))(assert (bvugt x #x0000000000000001))"
    "(assert (bvugt y #x0000000000000001))(assert (bvult x #x00000000ffffffff))"
    "(assert (bvult y #x00000000ffffffff))(check-sat)";
const char kHardBenchmark[] =
    "(benchmark hard :logic QF_BV :extrafuns ((x BitVec[64]) (y BitVec[64]))\n"
    " :assumption (= (bvmul x y) bv11400714819323198485[64])\n"
    " :assumption (bvugt x bv1[64]) :assumption (bvugt y bv1[64])\n"
    " :assumption (bvult x bv4294967295[64]) :assumption (bvult y bv4294967295[64])\n"
    " :formula true)\n";

// The CPU time of a child beyond its limit: the timer's delivery, and the
// start and exit, which the sanitizer runtime makes slower.
#ifdef TORVA_SANITIZED
constexpr double kOvershoot = 0.4;
#else
constexpr double kOvershoot = 0.25;
#endif

double childrenCpuSeconds() {
    struct rusage usage;
    getrusage(RUSAGE_CHILDREN, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

}  // namespace

TEST(RunLimits, TheTimeLimitStopsAHardInstancePromptly) {
    double before = childrenCpuSeconds();
    RunResult script = runTorva({"-t", "1", "-"}, kHardScript);
    double used = childrenCpuSeconds() - before;
    EXPECT_EQ(script.status, 0);
    EXPECT_EQ(script.out, "unknown\n");
    EXPECT_EQ(script.err, "torva: time limit of 1 s reached\n");
    EXPECT_GE(used, 0.95);
    EXPECT_LE(used, 1.0 + kOvershoot);

    std::string path = ::testing::TempDir() + "torva_hard.smt";
    writeFile(path, kHardBenchmark);
    for (const char* preset : {"classic", "fast"}) {
        before = childrenCpuSeconds();
        RunResult benchmark = runTorva({"--time-limit", "0.5", "--preset", preset, path});
        used = childrenCpuSeconds() - before;
        EXPECT_EQ(benchmark.status, 0) << preset;
        EXPECT_GE(benchmark.out.size(), 16u);
        EXPECT_EQ(benchmark.out.substr(benchmark.out.size() - 16), "Result: UNKNOWN\n") << preset << benchmark.out;
        EXPECT_NE(benchmark.err.find("torva: time limit of 0.5 s reached\n"), std::string::npos) << preset;
        EXPECT_LE(used, 0.5 + kOvershoot) << preset;
    }
    std::remove(path.c_str());

    RunResult easy = runTorva({"-t", "100", "examples/arithmetic.smt2"});
    EXPECT_EQ(easy.out.rfind("sat\n", 0), 0u);
    for (const char* bad : {"0", "-1", "abc", "1e12", "2s"}) {
        RunResult run = runTorva({"-t", bad, "examples/arithmetic.smt2"});
        EXPECT_EQ(run.status, 1) << bad;
        EXPECT_EQ(run.err, std::string("torva: --time-limit expects a positive number of seconds up to 1e9, got '") +
                               bad + "' (try 'torva --help')\n");
    }
    EXPECT_EQ(runTorva({"examples/arithmetic.smt2", "-t"}).err,
              "torva: --time-limit needs a number of seconds (try 'torva --help')\n");
}

TEST(RunLimits, MemoryBeyondTheLimitEndsWithAClearMessage) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the sanitizer runtime needs an unlimited address space";
#endif
    std::string script = "(set-logic QF_BV)";
    const int steps = 300;
    for (int i = 0; i <= steps; i++) script += "(declare-const x" + std::to_string(i) + " (_ BitVec 64))";
    for (int i = 0; i < steps; i++)
        script += "(assert (= x" + std::to_string(i + 1) + " (bvmul x" + std::to_string(i) + " (bvadd x" +
                  std::to_string(i) + " #x0000000000000003))))";
    script += "(assert (= x" + std::to_string(steps) + " #x0000000000000005))(check-sat)";
    RunResult run = runTorva({"--memory-limit", "100", "-"}, script);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "unknown\n");
    EXPECT_EQ(run.err, "torva: memory limit of 100 MB reached\n");

    // Without --memory-limit, a benchmark too large for the address space
    // ends with status 1, not with a crash or an endless swap.
    std::string path = ::testing::TempDir() + "torva_huge_width.smt";
    writeFile(path,
              "(benchmark huge :logic QF_BV :extrafuns ((x BitVec[40000000]) (y BitVec[40000000]))\n"
              " :formula (= x y))\n");
    RunResult huge = runTorva({path}, "", rlim_t(512) << 20);
    std::remove(path.c_str());
    EXPECT_EQ(huge.status, 1);
    EXPECT_NE(huge.err.find("Error: out of memory: the benchmark needs more memory than this machine has\n"),
              std::string::npos)
        << huge.err;
    EXPECT_EQ(huge.out.find("Result:"), std::string::npos);
}
