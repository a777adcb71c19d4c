// The differential campaign of incremental solving (torva-fuzz sessions) on a
// fixed range of seeds: every answer of an incremental solver agrees with
// enumeration, and every unsatisfiable check's core is unsatisfiable on its
// own. TORVA_INCREMENTAL_SCRIPTS sets the number of scripts.
#include <gtest/gtest.h>

#include <cstdlib>

#include "sessions/session_check.h"

namespace {

int scriptCount() {
    const char* n = std::getenv("TORVA_INCREMENTAL_SCRIPTS");
    return n != nullptr ? std::atoi(n) : 160;
}

TEST(IncrementalCampaign, AnswersAgreeWithEnumerationAndCoresAreUnsat) {
    int failures = 0;
    for (int seed = 1; seed <= scriptCount() && failures < 5; seed++) {
        torva_sessions::SessionVerdict v = torva_sessions::checkSession(static_cast<uint64_t>(seed));
        EXPECT_TRUE(v.agree) << "seed " << seed << " (" << v.variant << "): answers " << v.answers << ", expected "
                             << v.expected << ", cores that are not unsat: " << v.badCores << "\n"
                             << v.script << v.reference;
        failures += v.agree ? 0 : 1;
    }
}

}  // namespace
