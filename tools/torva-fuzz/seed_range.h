// The options of the commands that run a range of seeds: --first SEED,
// --count N and --out DIR, each followed by its value.
#pragma once

#include <cstdint>
#include <string>

struct SeedRange {
    uint64_t first = 1;
    uint64_t count = 1000;
    std::string out;  // where failing cases are kept
};

// False on an unknown option or a missing value.
bool parseSeedRange(int argc, char** argv, SeedRange& range);
