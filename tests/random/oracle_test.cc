// Random differential testing of the whole solver: a fixed set of seeds per
// configuration profile and instance shape, each instance solved in a forked
// child and its answer checked by the reference evaluator. The number of
// instances is TORVA_RANDOM_INSTANCES (all profiles and shapes together),
// the time limit per instance TORVA_RANDOM_TIMEOUT seconds; failing cases are
// also written to TORVA_RANDOM_FAILURES when it is set. A wrong answer or an
// abnormal end always fails; instances that run out of time only fail the
// suite when they exceed one percent of it (some module combinations explain
// by whole words and are slow by design on a few instances).
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iostream>
#include <string>

#include "random/oracle.h"

namespace torva_random {
namespace {

const Profile kAllProfiles[] = {Profile::Default, Profile::Modules, Profile::Clauses, Profile::Mixed, Profile::Search};
const Shape kAllShapes[] = {Shape::Small, Shape::Planted, Shape::Law};

int envInt(const char* name, int fallback) {
    const char* v = std::getenv(name);
    return v && *v ? std::atoi(v) : fallback;
}

int instancesPerSuite() {
    int total = envInt("TORVA_RANDOM_INSTANCES", 9000);
    int suites = static_cast<int>(sizeof kAllProfiles / sizeof kAllProfiles[0] * sizeof kAllShapes / sizeof kAllShapes[0]);
    return std::max(1, total / suites);
}

void keepFailure(const Case& c, const CaseOutcome& o, const std::string& text) {
    const char* dir = std::getenv("TORVA_RANDOM_FAILURES");
    if (!dir || !*dir) return;
    std::string base = std::string(dir) + "/" + profileName(c.profile) + "_" + shapeName(c.shape) + "_" + std::to_string(c.seed);
    std::ofstream(base + ".smt") << o.generated.bench.text();
    std::ofstream(base + ".txt") << text;
}

struct SuiteParam {
    Profile profile;
    Shape shape;
};

class RandomOracle : public ::testing::TestWithParam<SuiteParam> {};

TEST_P(RandomOracle, AnswersAgreeWithTheReferenceEvaluator) {
    SuiteParam p = GetParam();
    int count = instancesPerSuite();
    int timeout = envInt("TORVA_RANDOM_TIMEOUT", 20);
    uint64_t first = static_cast<uint64_t>(p.profile) * 1000000 + static_cast<uint64_t>(p.shape) * 100000;
    std::string dir = makeWorkDir("oracle");
    int sat = 0, unsat = 0, failures = 0, timeouts = 0;
    for (int i = 0; i < count; i++) {
        Case c{p.profile, p.shape, first + static_cast<uint64_t>(i)};
        CaseOutcome o = runCase(c, dir, timeout);
        if (o.check.ok) {
            (o.check.sat ? sat : unsat)++;
            continue;
        }
        std::string text = describeFailure(c, o);
        keepFailure(c, o, text);
        if (o.run.verdict == Verdict::Timeout) {
            timeouts++;
            std::cout << "timeout: seed " << c.seed << "\n";
            continue;
        }
        if (++failures <= 3) ADD_FAILURE() << text;
    }
    rmdir(dir.c_str());
    std::cout << profileName(p.profile) << "/" << shapeName(p.shape) << ": " << count << " instances, " << sat
              << " SAT, " << unsat << " UNSAT, " << failures << " wrong or crashed, " << timeouts << " timed out\n";
    EXPECT_EQ(failures, 0);
    EXPECT_LE(timeouts, count / 100) << "too many instances ran out of time";
}

std::vector<SuiteParam> allSuites() {
    std::vector<SuiteParam> v;
    for (Profile p : kAllProfiles)
        for (Shape s : kAllShapes) v.push_back({p, s});
    return v;
}

std::string suiteName(const ::testing::TestParamInfo<SuiteParam>& info) {
    return std::string(profileName(info.param.profile)) + "_" + shapeName(info.param.shape);
}

INSTANTIATE_TEST_SUITE_P(Seeds, RandomOracle, ::testing::ValuesIn(allSuites()), suiteName);

// The oracle itself: a wrong model, a wrong UNSAT and a crash are all caught.
TEST(OracleSelfCheck, RejectsWrongAnswers) {
    Generated g = generate(7, settingsFor(Shape::Planted, ToClauses(), 7));
    RunResult unsat;
    unsat.verdict = Verdict::Unsat;
    EXPECT_FALSE(checkAnswer(g, unsat, 7).ok);

    Generated small;
    for (uint64_t seed = 0; small.bench.expect != Expect::Unsat; seed++) small = generate(seed, settingsFor(Shape::Small, ToClauses(), seed));
    RunResult sat;
    sat.verdict = Verdict::Sat;
    for (const Declaration& d : small.bench.decls) sat.modelBits.push_back(std::string(d.width, '0'));
    EXPECT_FALSE(checkAnswer(small, sat, 1).ok);

    RunResult crash;
    crash.verdict = Verdict::Crash;
    EXPECT_FALSE(checkAnswer(g, crash, 7).ok);
}

// An assertion of false ends the run while parsing with exit status 20; the
// forked run reports it as an unsatisfiable answer.
TEST(OracleSelfCheck, UnsatisfiableWhileParsing) {
    Generated g;
    g.bench.name = "parse_unsat";
    g.bench.decls = {{"x", 4, false}};
    Node f;
    f.op = Op::False;
    g.bench.assertions.push_back({g.bench.add(f), false});
    g.bench.expect = Expect::Unsat;
    std::string dir = makeWorkDir("oracle");
    RunResult r = runInChild(g.bench, ToClauses(), dir, 60);
    rmdir(dir.c_str());
    EXPECT_EQ(r.verdict, Verdict::Unsat) << r.failure << r.log;
    EXPECT_TRUE(r.decidedWhileParsing);
    EXPECT_TRUE(checkAnswer(g, r, 0).ok);
}

}  // namespace
}  // namespace torva_random
