// The SMT-LIB 1 run report: a 64-byte banner written as one block, the six
// statistics lines, "Result: SAT\t"/"Result: UNSAT\t", the CPU time of the
// search and the program size in mebibytes from /proc/<pid>/statm.
#include "driver/report.h"

#include <sys/resource.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>

#include "solver/statistics.h"
#include "terms/evaluator.h"

namespace torva::driver {
namespace {
const char kBanner[] = "\nThis is TORVA v0.2 (with a CDCL core as underlying SAT-solver)\n";
const size_t kBannerLength = sizeof(kBanner) - 1;
static_assert(kBannerLength == 64, "the banner is written as one 64-byte block");

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

void printBanner() {
    std::fflush(stdout);
    std::fwrite(kBanner, 1, kBannerLength, stderr);
    std::fflush(stderr);
}

clock_t userTime() {
    struct tms now;
    times(&now);
    return now.tms_utime;
}

void printRunReport(Solver& S, bool satisfiable, clock_t solveStart, bool statistics) {
    if (statistics) printStats(S);
    std::printf(satisfiable ? "Result: SAT\t" : "Result: UNSAT\t");
    clock_t solveEnd = userTime();
    std::printf("\nTime:\t\t%.2f CPU sec.\n",
                static_cast<double>(solveEnd - solveStart) / static_cast<double>(sysconf(_SC_CLK_TCK)));
    std::printf("Memory Used:\t%.2f MB\n", memoryUsedMB());
}

void printModelLine(const std::string& name, terms::Sort sort, const mpz_class& value) {
    std::string sortText = sort == terms::kBool ? "Bool" : "(_ BitVec " + std::to_string(sort) + ")";
    std::printf("(define-fun %s () %s %s)\n", name.c_str(), sortText.c_str(), terms::formatValue(sort, value).c_str());
}

// A benchmark too large for the machine then fails an allocation (reported
// by main) instead of driving it into swap. A lower limit set by the caller
// stays. Sanitizer builds reserve huge shadow mappings and keep the default.
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

}  // namespace torva::driver
