// Seeded pseudo-random source of the random tests: splitmix64, so that every
// generated benchmark is a pure function of its seed.
#pragma once

#include <cstdint>

namespace torva_random {

class Prng {
public:
    explicit Prng(uint64_t seed) : state(seed) {}

    uint64_t next() {
        state += 0x9e3779b97f4a7c15ULL;
        uint64_t z = state;
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
        return z ^ (z >> 31);
    }

    // Uniform in [0, n); n must be positive.
    uint64_t below(uint64_t n) { return next() % n; }

    // Uniform in [lo, hi].
    int range(int lo, int hi) { return lo + static_cast<int>(below(static_cast<uint64_t>(hi - lo) + 1)); }

    // True with probability percent / 100.
    bool chance(int percent) { return static_cast<int>(below(100)) < percent; }

    bool coin() { return (next() & 1) != 0; }

private:
    uint64_t state;
};

}  // namespace torva_random
