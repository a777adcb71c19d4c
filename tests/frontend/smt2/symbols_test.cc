// The symbol table under interning and release in stack order: every live
// name keeps resolving to its id while released names vanish, including
// probe runs that wrap around the end of the slot array.
#include "frontend/smt2/symbols.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace torva::smt2 {
namespace {

TEST(Symbols, ReleaseInStackOrderKeepsEveryLiveName) {
    SymbolTable table;
    std::vector<std::string> live;
    std::vector<uint32_t> ids;
    const uint32_t first = table.intern("first-user-symbol");
    uint64_t state = 12345;
    auto below = [&state](uint64_t n) {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        return (state >> 33) % n;
    };
    for (int step = 0; step < 4000; step++) {
        if (live.size() < 300 || below(2) == 0) {
            std::string name = "?n" + std::to_string(below(100000)) + "_" + std::to_string(step);
            ids.push_back(table.intern(name));
            live.push_back(name);
            ASSERT_EQ(ids.back(), first + live.size()) << name;
        } else {
            table.releaseIfLastAndUnused(ids.back());
            ids.pop_back();
            live.pop_back();
        }
        if (step % 16 == 0) {
            for (size_t i = 0; i < live.size(); i++) ASSERT_EQ(table.intern(live[i]), ids[i]) << live[i];
        }
    }
    EXPECT_EQ(table.intern("first-user-symbol"), first);
    // A symbol with a meaning, or one that is not the last, stays.
    uint32_t bound = table.intern("bound");
    table[bound].let = 0;
    table.releaseIfLastAndUnused(bound);
    EXPECT_EQ(table.name(table.intern("bound")), "bound");
    uint32_t below_last = table.intern("below");
    uint32_t last = table.intern("last");
    table.releaseIfLastAndUnused(below_last);
    EXPECT_EQ(table.intern("below"), below_last);
    EXPECT_EQ(table.intern("last"), last);
    uint32_t reserved = table.intern("assert");
    table.releaseIfLastAndUnused(reserved);
    EXPECT_EQ(table[table.intern("assert")].word, Word::Assert);
}

}  // namespace
}  // namespace torva::smt2
