// End-to-end runs of the torva binary over small benchmarks: the whole
// standard output and standard error are compared byte for byte with the
// golden files under tests/e2e/golden (CPU time and memory figures masked),
// together with the exit status. Runs start in the source directory with
// relative paths, so the paths quoted in the output are stable.
//
// TORVA_UPDATE_GOLDEN=1 rewrites the golden files from the current binary.
#include <string>
#include <vector>

#include "e2e/torva_process.h"

namespace {

struct GoldenCase {
    const char* name;
    std::vector<std::string> args;
    int status;
};

std::ostream& operator<<(std::ostream& os, const GoldenCase& c) { return os << c.name; }

class GoldenRun : public ::testing::TestWithParam<GoldenCase> {};

TEST_P(GoldenRun, MatchesGoldenOutputAndStatus) {
    const GoldenCase& c = GetParam();
    ASSERT_FALSE(environment("TORVA_BINARY").empty()) << "TORVA_BINARY must name the torva executable";
    RunResult run = runTorva(c.args);
    std::string out = masked(run.out), err = masked(run.err);
    if (environment("TORVA_UPDATE_GOLDEN") == "1") {
        writeFile(goldenPath(c.name, "stdout"), out);
        writeFile(goldenPath(c.name, "stderr"), err);
    }
    EXPECT_EQ(run.status, c.status);
    EXPECT_EQ(out, readFile(goldenPath(c.name, "stdout")));
    EXPECT_EQ(err, readFile(goldenPath(c.name, "stderr")));
}

const int kSignalAbort = 128 + 6;

INSTANTIATE_TEST_SUITE_P(
    Runs, GoldenRun,
    ::testing::Values(GoldenCase{"bitwise", {"examples/bitwise.smt"}, 10},
                      GoldenCase{"arithmetic", {"examples/arithmetic.smt"}, 10},
                      GoldenCase{"division", {"examples/division.smt"}, 20},
                      GoldenCase{"comparison", {"examples/comparison.smt"}, 10},
                      GoldenCase{"shifts", {"examples/shifts.smt"}, 20},
                      GoldenCase{"extract_concat", {"examples/extract_concat.smt"}, 10},
                      GoldenCase{"ite_let", {"examples/ite_let.smt"}, 10},
                      GoldenCase{"comments", {"tests/e2e/inputs/comments.smt"}, 10},
                      GoldenCase{"unsat_while_parsing", {"tests/e2e/inputs/unsat_while_parsing.smt"}, 20},
                      GoldenCase{"unsat_by_simplify", {"tests/e2e/inputs/unsat_by_simplify.smt"}, 20},
                      GoldenCase{"no_argument", {}, 255},
                      GoldenCase{"missing_file", {"tests/e2e/inputs/no_such_file.smt"}, 1},
                      GoldenCase{"parse_error", {"tests/e2e/inputs/parse_error.smt"}, 1},
                      GoldenCase{"bad_operands", {"tests/e2e/inputs/bad_operands.smt"}, kSignalAbort}),
    [](const ::testing::TestParamInfo<GoldenCase>& info) { return std::string(info.param.name); });

}  // namespace
