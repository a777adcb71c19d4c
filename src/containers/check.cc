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
void fatalReport(const char* source, int line, const std::string& message) {
    std::string block = std::string("File: ") + source + "\nLine: " + std::to_string(line) + "\n\n" + message + "\n";
    std::fflush(stdout);
    std::fwrite(block.data(), 1, block.size(), stderr);
    std::fflush(stderr);
    std::abort();
}
}  // namespace torva
