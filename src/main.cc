// The program entry: reads one benchmark into a fresh solver, simplifies and
// solves it, and prints the run report (statistics on standard error; result,
// CPU time and memory on standard output). The exit status carries the
// answer: 10 satisfiable, 20 unsatisfiable, 1 when the benchmark cannot be
// read, 255 without an argument.
//
// Invariants: standard output is flushed before anything is written to
// standard error, so the two streams interleave in program order; the driver
// owns the modules and deletes them before the solver goes away.
#include <sys/times.h>
#include <unistd.h>

#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "config.h"
#include "frontend/smt2xml.h"
#include "solver/solver.h"

namespace {
const char kBanner[] = "\nThis is TORVA v0.2 (with a CDCL core as underlying SAT-solver)\n";
const size_t kBannerLength = sizeof(kBanner) - 1;
static_assert(kBannerLength == 64, "the banner is written as one 64-byte block");

void printStatLine(const char* format, ...) {
    std::fflush(stdout);
    va_list args;
    va_start(args, format);
    std::vfprintf(stderr, format, args);
    va_end(args);
    std::fflush(stderr);
}

// Percentage in single precision, as the decision and skip shares are shown.
float percentage(uint64_t part, uint64_t whole) {
    return static_cast<float>(part) * 100 / static_cast<float>(whole);
}

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
}  // namespace

void printStats(Solver& S) {
    printStatLine("restarts                  : %lld\n", static_cast<long long>(S.starts));
    printStatLine("conflicts                 : %-12lld   \n", static_cast<long long>(S.conflicts));
    printStatLine("decisions                 : %-12lld   (%4.2f %% orig, %4.2f %% random) \n",
                  static_cast<long long>(S.decisions), percentage(S.orig_decisions, S.decisions),
                  percentage(S.rnd_decisions, S.decisions));
    printStatLine("propagations              : %-12lld   \n", static_cast<long long>(S.propagations));
    printStatLine("skiped learnts (length, rand) : %-12lld, %-12lld   (%4.2f , %4.2f ) \n",
                  static_cast<long long>(S.skipped_length), static_cast<long long>(S.skipped_rand),
                  percentage(S.skipped_length, S.conflicts), percentage(S.skipped_rand, S.conflicts));
    printStatLine("conflict literals         : %-12lld   (%4.2f %% deleted)\n", static_cast<long long>(S.tot_literals),
                  static_cast<double>((S.max_literals - S.tot_literals) * 100) / static_cast<double>(S.max_literals));
}

int main(int argc, char** argv) {
    if (argc < 2) {
        std::puts("### Error: Not enough arguments! File needed...");
        return -1;
    }
    std::fflush(stdout);
    std::fwrite(kBanner, 1, kBannerLength, stderr);
    std::fflush(stderr);

    Solver S(prioParams[0]);
    S.verbosity = 1;

    std::puts("Read SMTLIB-Input\n");
    bool parsed = parseSMT(S, argv[1]);
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
