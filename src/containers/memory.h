// The process's peak resident memory, for the statistics of sessions.
#pragma once

#include <sys/resource.h>

#include <cstdint>

inline uint64_t peakMemoryBytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<uint64_t>(usage.ru_maxrss) * 1024;  // ru_maxrss is in kilobytes
}
