// Invariant checks that stay active in every build. A failed check names the
// violated condition, the function and the owning source, then aborts: these
// checks are the system's failure reporting, not debugging aids.
#pragma once

namespace torva {
[[noreturn]] void checkFailed(const char* condition, const char* function, const char* source);
}

#define TORVA_CHECK(cond, source)                                   \
    do {                                                            \
        if (__builtin_expect(!(cond), 0))                           \
            ::torva::checkFailed(#cond, __PRETTY_FUNCTION__, source); \
    } while (0)

#include <string>

namespace torva {
// Fatal report of an input or precondition error: "File: <source>",
// "Line: <line>", an empty line and the message, written to standard error as
// one block; then the process aborts.
[[noreturn]] void fatalReport(const char* source, int line, const std::string& message);
// The same report with one more line after the message: a hint for the user.
[[noreturn]] void fatalReport(const char* source, int line, const std::string& message, const std::string& hint);
}  // namespace torva
