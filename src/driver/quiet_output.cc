// The quiet stream: a stream in place of stdout that collects each line and
// forwards it to file descriptor 1 unless it is a report line. A last line
// without its newline is never forwarded.
#include "driver/quiet_output.h"

#include "driver/raw_write.h"

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace torva::driver {
namespace {

bool isReportLine(const std::string& line) {
    static const char* const kExact[] = {"", "Read SMTLIB-Input", "parsing", "solving"};
    static const char* const kPrefixes[] = {"comment: '", "Time:", "Memory Used:"};
    for (const char* exact : kExact)
        if (line == exact) return true;
    for (const char* prefix : kPrefixes)
        if (line.compare(0, std::strlen(prefix), prefix) == 0) return true;
    return false;
}

// The line being collected; never destroyed, because the exit-time flush of
// stdio can still write through the stream after static destructors ran.
std::string& pending = *new std::string;

ssize_t filterWrite(void*, const char* data, size_t size) {
    for (size_t i = 0; i < size; i++) {
        if (data[i] != '\n') {
            pending += data[i];
            continue;
        }
        if (!isReportLine(pending)) {
            pending += '\n';
            writeAll(STDOUT_FILENO, pending.data(), pending.size());
        }
        pending.clear();
    }
    return static_cast<ssize_t>(size);
}

}  // namespace

void keepOnlyAnswerLines() { replaceStdout(filterWrite); }

}  // namespace torva::driver
