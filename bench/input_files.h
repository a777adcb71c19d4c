// Helpers shared by the benchmarks that parse a generated input file.
#pragma once

#include <cstdio>
#include <string>

// Size in bytes of the file at `path`.
inline size_t fileSize(const std::string& path) {
    FILE* f = std::fopen(path.c_str(), "r");
    std::fseek(f, 0, SEEK_END);
    size_t size = static_cast<size_t>(std::ftell(f));
    std::fclose(f);
    return size;
}
