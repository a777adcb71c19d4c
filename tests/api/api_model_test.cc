// The model-based tester of the C++ interface (torva-fuzz api) on a fixed
// range of seeds; every failing sequence is written out, shrunk, as a
// GoogleTest case that replays it.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <string>

#include "interface/api_model.h"
#include "sanitized.h"

namespace {

uint64_t envNumber(const char* name, uint64_t otherwise) {
    const char* text = std::getenv(name);
    return text && *text ? std::strtoull(text, nullptr, 10) : otherwise;
}

#if defined(TORVA_SANITIZED)
constexpr uint64_t kDefaultSequences = 200;
#else
constexpr uint64_t kDefaultSequences = 2000;
#endif
constexpr int kMaxReportedFailures = 3;

std::string writeFailure(uint64_t seed, const std::string& text) {
    const char* dir = std::getenv("TORVA_API_FAILURES");
    std::string path = std::string(dir && *dir ? dir : ".") + "/api-failure-" + std::to_string(seed) + ".cc";
    std::ofstream(path) << text;
    return path;
}

TEST(ApiModel, RandomCallSequencesAgreeWithTheModel) {
    const uint64_t count = envNumber("TORVA_API_SEQUENCES", kDefaultSequences);
    const uint64_t first = envNumber("TORVA_API_SEED", 1);
    torva_api_model::Tally total;
    int failures = 0;
    uint64_t run = 0;
    auto start = std::chrono::steady_clock::now();
    for (uint64_t seed = first; seed < first + count && failures < kMaxReportedFailures; ++seed) {
        ++run;
        torva_api_model::SequenceOutcome o = torva_api_model::runSequence(seed, total);
        if (o.failure.empty()) continue;
        ++failures;
        const std::string path = writeFailure(seed, o.printedCase);
        ADD_FAILURE() << "seed " << seed << ", " << o.calls << " calls: " << o.failure << "\nshrunk to "
                      << o.shrunkCalls << " calls (" << o.shrunkFailure << "), written to " << path;
    }
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::cout << run << " sequences from seed " << first << ": " << total.calls << " calls, " << total.checks
              << " checks (" << total.sat << " sat, " << total.unsat << " unsat), " << total.values << " values, "
              << total.cores << " cores, " << total.misuses << " refused misuses, " << total.fresh
              << " fresh solvers, " << seconds << " s\n";
}

}  // namespace
