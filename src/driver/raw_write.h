// Writing straight to a file descriptor, past stdio: usable from a signal
// handler, from the progress thread and from the streams that stand in for
// stdout. Stops quietly when the descriptor takes nothing more.
#pragma once

#include <unistd.h>

#include <cstddef>
#include <cstdio>

namespace torva::driver {

inline void writeAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        ssize_t n = ::write(fd, data, size);
        if (n <= 0) return;
        data += n;
        size -= static_cast<size_t>(n);
    }
}

// Puts a line-buffered stream in place of stdout whose bytes go to write
// (which forwards them with writeAll). The stream stays open to the end.
inline void replaceStdout(cookie_write_function_t* write) {
    std::fflush(stdout);
    cookie_io_functions_t functions{nullptr, write, nullptr, nullptr};
    FILE* stream = fopencookie(nullptr, "w", functions);
    if (stream == nullptr) return;
    setvbuf(stream, nullptr, _IOLBF, 0);
    stdout = stream;
}

}  // namespace torva::driver
