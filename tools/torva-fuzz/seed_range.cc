// Reading a range of seeds from the command line.
#include "seed_range.h"

#include <cstdlib>

bool parseSeedRange(int argc, char** argv, SeedRange& range) {
    for (int i = 1; i + 1 < argc; i += 2) {
        std::string arg = argv[i], value = argv[i + 1];
        if (arg == "--first") range.first = std::strtoull(value.c_str(), nullptr, 10);
        else if (arg == "--count") range.count = std::strtoull(value.c_str(), nullptr, 10);
        else if (arg == "--out") range.out = value;
        else return false;
    }
    return argc % 2 == 1;
}
