// How far the reading and building of the problem has come: the bytes the
// readers have taken from the input, the nodes of the newest term graph and
// the problem clauses of the newest solver. The progress line of the
// command line reads them from its own thread; each is a relaxed atomic
// that its owner overwrites or bumps, so a reading may lag but never tears.
#pragma once

#include <atomic>
#include <cstdint>

namespace progress {

inline std::atomic<uint64_t> bytesRead{0};
inline std::atomic<uint64_t> nodes{0};
inline std::atomic<uint64_t> clauses{0};

inline void noteBytesRead(int64_t n) {
    if (n > 0) bytesRead.fetch_add(static_cast<uint64_t>(n), std::memory_order_relaxed);
}
inline void noteNodes(uint64_t n) { nodes.store(n, std::memory_order_relaxed); }
inline void noteClauses(uint64_t n) { clauses.store(n, std::memory_order_relaxed); }

}  // namespace progress
