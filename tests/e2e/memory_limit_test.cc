// A benchmark too large for the memory the program may use ends with a clear
// message and status 1, not with a crash or an endless swap.
#include "e2e/torva_process.h"

TEST(MemoryLimit, ABenchmarkTooLargeForMemoryEndsWithAClearMessage) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the sanitizer runtime needs an unlimited address space";
#endif
    std::string path = ::testing::TempDir() + "torva_huge_width.smt";
    writeFile(path,
              "(benchmark huge :logic QF_BV :extrafuns ((x BitVec[40000000]) (y BitVec[40000000]))\n"
              " :formula (= x y))\n");
    RunResult run = runTorva({path}, rlim_t(512) << 20);
    std::remove(path.c_str());
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("Error: out of memory: the benchmark needs more memory than this machine has\n"),
              std::string::npos)
        << run.err;
    EXPECT_EQ(run.out.find("Result:"), std::string::npos);
}
