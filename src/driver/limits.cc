// The time limit's signal handler uses write() and _exit() only: it may run
// in the middle of any library call.
#include "driver/limits.h"

#include "driver/progress_line.h"
#include "driver/raw_write.h"

#include <signal.h>
#include <sys/resource.h>
#include <sys/time.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstring>

namespace torva::driver {
namespace {

char answerText[32];
char reasonText[96];

const char* unknownAnswer(const Options& options) {
    return options.reader == Reader::Script ? "unknown\n" : "Result: UNKNOWN\n";
}

void onTimeLimit(int) {
    eraseProgressLineNow();
    writeAll(STDOUT_FILENO, answerText, std::strlen(answerText));
    writeAll(STDERR_FILENO, reasonText, std::strlen(reasonText));
    _exit(0);
}

}  // namespace

void installTimeLimit(const Options& options) {
    if (options.timeLimit <= 0) return;
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    std::snprintf(answerText, sizeof answerText, "%s", unknownAnswer(options));
    std::snprintf(reasonText, sizeof reasonText, "torva: time limit of %g s reached\n", options.timeLimit);
    struct sigaction action;
    std::memset(&action, 0, sizeof action);
    action.sa_handler = onTimeLimit;
    sigaction(SIGPROF, &action, nullptr);
    struct itimerval timer;
    std::memset(&timer, 0, sizeof timer);
    double whole = std::floor(options.timeLimit);
    timer.it_value.tv_sec = static_cast<time_t>(whole);
    timer.it_value.tv_usec = static_cast<suseconds_t>((options.timeLimit - whole) * 1e6);
    setitimer(ITIMER_PROF, &timer, nullptr);
}

void installMemoryLimit(const Options& options) {
    if (options.memoryLimitMB == 0) return;
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    struct rlimit limit;
    if (getrlimit(RLIMIT_AS, &limit) != 0) return;
    rlim_t bytes = static_cast<rlim_t>(options.memoryLimitMB) << 20;
    if (limit.rlim_max != RLIM_INFINITY && bytes > limit.rlim_max) bytes = limit.rlim_max;
    limit.rlim_cur = bytes;
    setrlimit(RLIMIT_AS, &limit);
}

void printMemoryLimitReason(const Options& options) {
    std::fprintf(stderr, "torva: memory limit of %llu MB reached\n",
                 static_cast<unsigned long long>(options.memoryLimitMB));
}

void reportMemoryLimit(const Options& options) {
    std::fputs(unknownAnswer(options), stdout);
    std::fflush(stdout);
    printMemoryLimitReason(options);
}

}  // namespace torva::driver
