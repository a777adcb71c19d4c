// Random differential campaigns against torva on fixed seeds, one suite per
// configuration profile and instance shape:
//  - Library: each instance parsed and solved in a forked child the way the
//    program does, the answer checked by the reference evaluator
//    (TORVA_RANDOM_INSTANCES over all suites, TORVA_RANDOM_TIMEOUT seconds);
//  - Graph: each instance decided through its SMT-LIB 2 script, the extended
//    SMT-LIB 1 reader and, when the basic reader accepts it, the benchmark
//    path, every answer, model and value checked by the graph oracle
//    (TORVA_GRAPH_INSTANCES, fewer in a sanitizer build; TORVA_GRAPH_TIMEOUT
//    seconds per path);
//  - Arrays: sessions with arrays and uninterpreted functions through the
//    SMT-LIB 2 reader and the session engine, small ones decided by
//    enumeration, the others planted (TORVA_ARRAY_SESSIONS).
// Failing cases go to TORVA_RANDOM_FAILURES when it is set. A wrong answer or
// an abnormal end always fails; time limits only beyond one percent of a
// suite (or one instance in a small suite). Also the oracles' own checks:
// they refuse wrong answers, wrong models and crashes.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iostream>
#include <string>

#include "random/array_session.h"
#include "random/graph_oracle.h"

#include "sanitized.h"

namespace torva_random {
namespace {

#ifdef TORVA_SANITIZED
const int kGraphInstances = 120;
#else
const int kGraphInstances = 360;
#endif

enum class Campaign { Library, Graph, Arrays };

struct SuiteParam {
    Campaign campaign;
    Profile profile;
    Shape shape;
};

int envInt(const char* name, int fallback) {
    const char* v = std::getenv(name);
    return v && *v ? std::atoi(v) : fallback;
}

// Writes the files of a failing case (extension, text) under TORVA_RANDOM_FAILURES.
void keepFailure(const std::string& base, const std::vector<std::pair<std::string, std::string>>& files) {
    const char* dir = std::getenv("TORVA_RANDOM_FAILURES");
    if (!dir || !*dir) return;
    for (const auto& [extension, text] : files) std::ofstream(std::string(dir) + "/" + base + extension) << text;
}

struct InstanceResult {
    bool ok = true, sat = false, timedOut = false;
    std::string report;
};

InstanceResult runInstance(const SuiteParam& p, uint64_t seed, const std::string& dir, int timeout) {
    std::string base = std::string(profileName(p.profile)) + "_" + shapeName(p.shape) + "_" + std::to_string(seed);
    if (p.campaign == Campaign::Library) {
        Case c{p.profile, p.shape, seed};
        CaseOutcome o = runCase(c, dir, timeout);
        InstanceResult v{o.check.ok, o.check.sat, o.run.verdict == Verdict::Timeout, ""};
        if (!v.ok) keepFailure(base, {{".smt", o.generated.bench.text()}, {".txt", v.report = describeFailure(c, o)}});
        return v;
    }
    if (p.campaign == Campaign::Arrays) {
        ArraySession s = generateArraySession(seed, p.shape == Shape::Small ? ArrayShape::Enumerated : ArrayShape::Planted);
        ArrayVerdict a = runArraySession(s, seed, dir, timeout);
        InstanceResult v{a.ok, a.unsat == 0, a.timedOut, ""};
        if (!v.ok)
            keepFailure("arrays_" + base, {{".smt2", s.text}, {".txt", v.report = a.variant + ": " + a.message + "\n" + s.text}});
        return v;
    }
    GraphCase c{p.profile, p.shape, seed, 3, PathSelection()};
    GraphOutcome o = runGraphCase(c, dir, timeout);
    InstanceResult v{o.ok, o.sat, o.timedOut, ""};
    if (!v.ok)
        keepFailure("graph_" + base, {{".smt2", o.script.text}, {".smt", o.generated.bench.text()},
                                      {".txt", v.report = describeGraphFailure(c, o)}});
    return v;
}

std::vector<SuiteParam> allSuites() {
    std::vector<SuiteParam> v;
    for (Profile p : {Profile::Default, Profile::Modules, Profile::Clauses, Profile::Mixed, Profile::Search})
        for (Shape s : {Shape::Small, Shape::Planted, Shape::Law}) {
            v.push_back({Campaign::Library, p, s});
            if (p == Profile::Default || p == Profile::Modules) v.push_back({Campaign::Graph, p, s});
        }
    for (Shape s : {Shape::Small, Shape::Planted}) v.push_back({Campaign::Arrays, Profile::Default, s});
    return v;
}

class Campaigns : public ::testing::TestWithParam<SuiteParam> {};

TEST_P(Campaigns, AnswersAgreeWithTheReferenceEvaluator) {
    SuiteParam p = GetParam();
    bool library = p.campaign == Campaign::Library;
    int suites = 0;  // of this campaign, which share its instances
    for (const SuiteParam& s : allSuites()) suites += s.campaign == p.campaign;
    bool arrays = p.campaign == Campaign::Arrays;
    int count = std::max(1, library  ? envInt("TORVA_RANDOM_INSTANCES", 9000) / suites
                            : arrays ? envInt("TORVA_ARRAY_SESSIONS", 120) / suites
                                     : envInt("TORVA_GRAPH_INSTANCES", kGraphInstances) / suites);
    int timeout = library ? envInt("TORVA_RANDOM_TIMEOUT", 20) : envInt("TORVA_GRAPH_TIMEOUT", 10);
    uint64_t first = library  ? static_cast<uint64_t>(p.profile) * 1000000 + static_cast<uint64_t>(p.shape) * 100000
                     : arrays ? 9000000 + static_cast<uint64_t>(p.shape) * 10000
                              : 7000000 + static_cast<uint64_t>(p.profile) * 100000 + static_cast<uint64_t>(p.shape) * 10000;
    std::string dir = makeWorkDir(library ? "oracle" : arrays ? "arrays" : "graph");
    int sat = 0, unsat = 0, failures = 0, timeouts = 0;
    for (uint64_t seed = first; seed < first + static_cast<uint64_t>(count); seed++) {
        InstanceResult v = runInstance(p, seed, dir, timeout);
        if (v.ok) {
            (v.sat ? sat : unsat)++;
        } else if (v.timedOut) {
            timeouts++;
            std::cout << "timeout: seed " << seed << "\n";
        } else if (++failures <= 3) {
            ADD_FAILURE() << v.report;
        }
    }
    rmdir(dir.c_str());
    std::cout << count << " instances, " << sat << " sat, " << unsat << " unsat, " << failures << " wrong or crashed, "
              << timeouts << " timed out\n";
    EXPECT_EQ(failures, 0);
    EXPECT_LE(timeouts, library ? count / 100 : std::max(1, count / 100)) << "too many instances ran out of time";
}

std::string suiteName(const ::testing::TestParamInfo<SuiteParam>& info) {
    const SuiteParam& p = info.param;
    if (p.campaign == Campaign::Arrays) return std::string("arrays_") + shapeName(p.shape);
    return std::string(p.campaign == Campaign::Library ? "library_" : "graph_") + profileName(p.profile) + "_" +
           shapeName(p.shape);
}

INSTANTIATE_TEST_SUITE_P(Seeds, Campaigns, ::testing::ValuesIn(allSuites()), suiteName);

// A wrong unsat answer, a model that breaks an assertion and a crash are refused.
TEST(OracleSelfCheck, RejectsWrongAnswers) {
    Generated planted = generate(7, settingsFor(Shape::Planted, ToClauses(), 7));
    RunResult unsat, crash;
    unsat.verdict = Verdict::Unsat;
    EXPECT_FALSE(checkAnswer(planted, unsat, 7).ok);
    EXPECT_FALSE(checkAnswer(planted, crash, 7).ok);

    Generated small;
    for (uint64_t seed = 0; small.bench.expect != Expect::Unsat; seed++)
        small = generate(seed, settingsFor(Shape::Small, ToClauses(), seed));
    RunResult sat;
    sat.verdict = Verdict::Sat;
    for (const Declaration& d : small.bench.decls) sat.modelBits.push_back(std::string(d.width, '0'));
    EXPECT_FALSE(checkAnswer(small, sat, 1).ok);
}

// The response check of scripts refuses wrong answers, models that break an
// assertion, values of the wrong sort, missing declarations, error
// responses, a wrong exit status and a crash.
TEST(OracleSelfCheck, ResponseCheckRejectsWrongResponses) {
    Generated g;
    g.bench.decls = {{"x", 4, false}, {"p", 1, true}};
    Node x, p, c, eq, conj;
    x.op = Op::Var, x.width = 4, x.decl = 0;
    p.op = Op::Pred, p.decl = 1;
    c.op = Op::Const, c.width = 4, c.value = 5;
    int xi = g.bench.add(x), pi = g.bench.add(p), ci = g.bench.add(c);
    eq.op = Op::Equal, eq.kids = {xi, ci};
    int ei = g.bench.add(eq);
    conj.op = Op::And, conj.kids = {ei, pi};
    g.bench.assertions.push_back({g.bench.add(conj), false});
    g.bench.expect = Expect::Sat;
    Smt2Script script;
    Smt2Check check;
    check.expect = Expect::Sat;
    check.asserted = {0};
    script.checks = {check};
    script.query = Smt2Query::Model;

    auto accepted = [&](const std::string& responses, int status, bool finished = true) {
        ScriptRun run;
        run.finished = finished;
        run.status = status;
        run.responses = responses;
        if (!finished) run.failure = "signal Segmentation fault";
        return checkScriptRun(g, script, run).ok;
    };
    const std::string good = "sat\n(\n  (define-fun x () (_ BitVec 4) #b0101)\n  (define-fun |p| () Bool true)\n)\n";
    EXPECT_TRUE(accepted(good, 10));
    EXPECT_TRUE(accepted("sat\n((define-fun x () (_ BitVec 4) (_ bv5 4)) (define-fun p () Bool true))", 10));
    EXPECT_FALSE(accepted(good, 10, false)) << "crash";
    EXPECT_FALSE(accepted(good, 20)) << "exit status";
    EXPECT_FALSE(accepted("unsat\n", 20)) << "answer";
    EXPECT_FALSE(accepted("sat\n((define-fun x () (_ BitVec 4) #b0100) (define-fun p () Bool true))", 10)) << "model";
    EXPECT_FALSE(accepted("sat\n((define-fun x () (_ BitVec 5) #b00101) (define-fun p () Bool true))", 10)) << "sort";
    EXPECT_FALSE(accepted("sat\n((define-fun x () (_ BitVec 4) #b0101))", 10)) << "missing p";
    EXPECT_FALSE(accepted(good + "(error \"1:1: oops\")\n", 10)) << "error";
    EXPECT_FALSE(accepted(good + "sat\n", 10)) << "unexpected response";

    script.query = Smt2Query::Values;
    script.values = {{1, -1}, {-1, ei}, {0, -1}};
    EXPECT_TRUE(accepted("sat\n((p true) ((= x #b0101) true) (x #x5))", 10));
    EXPECT_FALSE(accepted("sat\n((p true) ((= x #b0101) false) (x #x5))", 10)) << "value of a term";
    EXPECT_FALSE(accepted("sat\n((p true) (x #x5))", 10)) << "too few values";
}

// The array sessions' own oracle: every refuted law is unsatisfiable by
// enumeration, so the laws that decide planted sessions are valid; and a
// flipped answer is refused.
TEST(OracleSelfCheck, ArrayLawsAreValidAndWrongAnswersRefused) {
    for (uint64_t seed = 0; seed < 40; seed++) {
        ArraySession s = generateArraySession(seed, ArrayShape::Enumerated);
        for (size_t k = 0; k < s.pool.size(); k++)
            if (s.laws >> k & 1) {
                EXPECT_EQ(s.decide(1ULL << k), Expect::Unsat) << s.inst.text(s.pool[k]);
            }
        std::string flipped;
        for (const ArrayStep& step : s.steps)
            if (step.ask == ArrayAsk::Check) flipped += step.expect == Expect::Sat ? "unsat\n" : "sat\n";
        EXPECT_FALSE(checkArrayResponses(s, flipped).ok);
    }
}

}  // namespace
}  // namespace torva_random
