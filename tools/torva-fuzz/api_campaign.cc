// torva-fuzz api: the model-based tester of the C++ interface over a range
// of seeds; every failing sequence is kept, shrunk, as a GoogleTest case.
#include <cstdio>
#include <fstream>
#include <string>

#include "commands.h"
#include "interface/api_model.h"
#include "seed_range.h"

int runApiCampaign(int argc, char** argv) {
    SeedRange o{1, 1000, "api-failures"};
    if (!parseSeedRange(argc, argv, o)) {
        std::fputs("usage: torva-fuzz api [--first SEED] [--count N] [--out DIR]\n"
                   "Runs the call sequences of seeds FIRST .. FIRST+N-1; a failing one is written to\n"
                   "DIR/api-failure-SEED.cc as a GoogleTest case (the directory must exist).\n",
                   stderr);
        return 2;
    }
    torva_api_model::Tally total;
    uint64_t failed = 0;
    for (uint64_t seed = o.first; seed < o.first + o.count; ++seed) {
        torva_api_model::SequenceOutcome outcome = torva_api_model::runSequence(seed, total);
        if (outcome.failure.empty()) continue;
        ++failed;
        std::string path = o.out + "/api-failure-" + std::to_string(seed) + ".cc";
        std::ofstream(path) << outcome.printedCase;
        std::printf("seed %llu: %s\n  shrunk to %zu calls (%s): %s\n", static_cast<unsigned long long>(seed),
                    outcome.failure.c_str(), outcome.shrunkCalls, outcome.shrunkFailure.c_str(), path.c_str());
    }
    std::printf("%llu sequences: %llu calls, %llu checks (%llu sat, %llu unsat), %llu values, %llu cores, %llu failed\n",
                static_cast<unsigned long long>(o.count), static_cast<unsigned long long>(total.calls),
                static_cast<unsigned long long>(total.checks), static_cast<unsigned long long>(total.sat),
                static_cast<unsigned long long>(total.unsat), static_cast<unsigned long long>(total.values),
                static_cast<unsigned long long>(total.cores), static_cast<unsigned long long>(failed));
    return failed ? 1 : 0;
}
