// torva-fuzz sessions: random incremental sessions over a range of seeds,
// each decided by an incremental solver and by enumeration; a session that
// disagrees is kept as NAME.smt2 with NAME.txt (the variant, both answer
// sequences, the enumerating run's output).
#include <cstdio>
#include <fstream>
#include <string>

#include "commands.h"
#include "seed_range.h"
#include "sessions/session_check.h"

namespace {

void keep(const SeedRange& o, uint64_t seed, const torva_sessions::SessionVerdict& v) {
    std::string base = o.out + "/session-" + std::to_string(seed);
    std::ofstream(base + ".smt2") << v.script;
    std::ofstream(base + ".txt") << "seed " << seed << ", " << v.variant << "\nanswers  " << v.answers
                                 << "\nexpected " << v.expected << "\ncores that are not unsat: " << v.badCores
                                 << "\n\nthe enumerating run:\n"
                                 << v.reference;
}

}  // namespace

int runSessionCampaign(int argc, char** argv) {
    SeedRange o{1, 1000, "session-failures"};
    if (!parseSeedRange(argc, argv, o)) {
        std::fputs("usage: torva-fuzz sessions [--first SEED] [--count N] [--out DIR]\n"
                   "Runs the sessions of seeds FIRST .. FIRST+N-1; a failing one is kept in DIR\n"
                   "(which must exist) as session-SEED.smt2 and session-SEED.txt.\n",
                   stderr);
        return 2;
    }
    uint64_t failed = 0;
    for (uint64_t seed = o.first; seed < o.first + o.count; ++seed) {
        torva_sessions::SessionVerdict v = torva_sessions::checkSession(seed);
        if (v.agree) continue;
        ++failed;
        keep(o, seed, v);
        std::printf("seed %llu (%s): answers %s, expected %s, cores that are not unsat: %d\n",
                    static_cast<unsigned long long>(seed), v.variant.c_str(), v.answers.c_str(), v.expected.c_str(),
                    v.badCores);
    }
    std::printf("%llu sessions, %llu failed\n", static_cast<unsigned long long>(o.count),
                static_cast<unsigned long long>(failed));
    return failed ? 1 : 0;
}
