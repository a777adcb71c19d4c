// Writing straight to a file descriptor, past stdio: usable from a signal
// handler, from the progress thread and from the streams that stand in for
// stdout. Stops quietly when the descriptor takes nothing more.
#pragma once

#include <unistd.h>

#include <cstddef>

namespace torva::driver {

inline void writeAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        ssize_t n = ::write(fd, data, size);
        if (n <= 0) return;
        data += n;
        size -= static_cast<size_t>(n);
    }
}

}  // namespace torva::driver
