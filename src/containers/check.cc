// Reporting of failed invariant checks.
#include "containers/check.h"

#include <cstdio>
#include <cstdlib>

namespace torva {
void checkFailed(const char* condition, const char* function, const char* source) {
    std::fflush(stdout);
    std::fprintf(stderr, "torva: %s: %s: Assertion `%s' failed.\n", source, function, condition);
    std::fflush(stderr);
    std::abort();
}
}  // namespace torva

namespace torva {
namespace {
[[noreturn]] void writeReportAndAbort(const std::string& block) {
    std::fflush(stdout);
    std::fwrite(block.data(), 1, block.size(), stderr);
    std::fflush(stderr);
    std::abort();
}

std::string reportHead(const char* source, int line, const std::string& message) {
    return std::string("File: ") + source + "\nLine: " + std::to_string(line) + "\n\n" + message + "\n";
}
}  // namespace

void fatalReport(const char* source, int line, const std::string& message) {
    writeReportAndAbort(reportHead(source, line, message));
}

void fatalReport(const char* source, int line, const std::string& message, const std::string& hint) {
    writeReportAndAbort(reportHead(source, line, message) + hint + "\n");
}
}  // namespace torva
