// The program entry: reads one benchmark into a fresh solver, simplifies and
// solves it, and prints the run report (statistics on standard error; result,
// CPU time and memory on standard output). The exit status carries the
// answer: 10 satisfiable, 20 unsatisfiable, 1 when the benchmark cannot be
// read or needs more memory than the machine has, 255 without an argument.
//
// Invariants: standard output is flushed before anything is written to
// standard error, so the two streams interleave in program order; the driver
// owns the modules and deletes them before the solver goes away.
#include <sys/resource.h>
#include <sys/times.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <new>

#include "config.h"
#include "frontend/smt2xml.h"
#include "solver/solver.h"
#include "solver/statistics.h"

namespace {
const char kBanner[] = "\nThis is TORVA v0.2 (with a CDCL core as underlying SAT-solver)\n";
const size_t kBannerLength = sizeof(kBanner) - 1;
static_assert(kBannerLength == 64, "the banner is written as one 64-byte block");

clock_t userTime() {
    struct tms now;
    times(&now);
    return now.tms_utime;
}

// Total program size in mebibytes, from the first field of /proc/<pid>/statm.
double memoryUsedMB() {
    char path[64];
    std::snprintf(path, sizeof path, "/proc/%d/statm", static_cast<int>(getpid()));
    FILE* statm = std::fopen(path, "rb");
    if (statm == nullptr) return 0;
    int pages = 0;
    if (std::fscanf(statm, "%d", &pages) != 1) pages = 0;
    std::fclose(statm);
    int64_t bytes = static_cast<int64_t>(pages) * getpagesize();
    return static_cast<double>(bytes) * 9.5367431640625e-07f;
}
// Caps the address space at three quarters of the machine's physical
// memory, so that a benchmark too large for the machine fails an allocation
// (reported by main) instead of driving it into swap. A lower limit set by
// the caller stays. Sanitizer builds reserve huge shadow mappings and keep
// the default limit.
void limitMemoryToPhysical() {
#if !defined(__SANITIZE_ADDRESS__)
    long pages = sysconf(_SC_PHYS_PAGES);
    long pageSize = sysconf(_SC_PAGESIZE);
    if (pages <= 0 || pageSize <= 0) return;
    rlim_t physical = static_cast<rlim_t>(pages) / 4 * 3 * static_cast<rlim_t>(pageSize);
    struct rlimit limit;
    if (getrlimit(RLIMIT_AS, &limit) != 0) return;
    if (limit.rlim_cur != RLIM_INFINITY && limit.rlim_cur <= physical) return;
    limit.rlim_cur = physical;
    setrlimit(RLIMIT_AS, &limit);
#endif
}

int run(char* path) {
    std::fflush(stdout);
    std::fwrite(kBanner, 1, kBannerLength, stderr);
    std::fflush(stderr);

    Solver S(prioParams[0]);
    S.verbosity = 1;

    std::puts("Read SMTLIB-Input\n");
    bool parsed = parseSMT(S, path);
    if (!parsed) std::puts("Error: Parsing SM_T failed!");
    clearVariables();
    if (!parsed) {
        std::puts("Error: Parsing SM_T failed!");
        return 1;
    }

    if (!S.simplify()) {
        std::puts("Result: UNSAT");
        std::exit(20);
    }

    clock_t solveStart = userTime();
    vec<Lit> noAssumptions;
    bool satisfiable = S.solve(noAssumptions);
    printStats(S);
    std::printf(satisfiable ? "Result: SAT\t" : "Result: UNSAT\t");
    clock_t solveEnd = userTime();
    std::printf("\nTime:\t\t%.2f CPU sec.\n",
                static_cast<double>(solveEnd - solveStart) / static_cast<double>(sysconf(_SC_CLK_TCK)));
    std::printf("Memory Used:\t%.2f MB\n", memoryUsedMB());

    for (Module* module : S.modules) delete module;
    return satisfiable ? 10 : 20;
}
}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::puts("### Error: Not enough arguments! File needed...");
        return -1;
    }
    limitMemoryToPhysical();
    try {
        return run(argv[1]);
    } catch (const std::bad_alloc&) {
        std::fflush(stdout);
        std::fputs("Error: out of memory: the benchmark needs more memory than this machine has\n", stderr);
        return 1;
    }
}
