// The options that shape a run without changing its answer: --set over the
// whole run configuration, --list-settings, --quiet and --verbose.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "e2e/torva_process.h"

namespace {

const char* const kExamples[] = {"examples/arithmetic.smt",     "examples/bitwise.smt", "examples/comparison.smt",
                                 "examples/extract_concat.smt", "examples/ite_let.smt", "examples/division.smt",
                                 "examples/shifts.smt"};

// Every switch of the split and of the classic search, both ways, and the
// solver's parameters at the ends of their ranges give the benchmark run's
// answer on the benchmark reader and on the term graph.
TEST(Options, RunConfigurationSettingsKeepTheAnswers) {
    std::vector<std::string> assignments;
    for (const char* flag : {"addCls", "addSubModule", "clsesSubstByMods", "divHeur", "eqCls", "idCls", "iteCls",
                             "mulCls", "mulSubModule", "noClsDel", "noRestarts", "pureStaticDec", "shiftCls"})
        for (const char* value : {"=true", "=false"}) assignments.push_back(std::string("toClses.") + flag + value);
    for (const char* other :
         {"toClses.addHeur=0", "toClses.mulHeur=0", "toClses.origDecs=1", "toClses.randLearnt=0.5",
          "toClses.clseLength=0", "prioParams.0=1", "prioParams.3=1000", "prioParams.11=0", "solver.polarity_mode=0",
          "solver.polarity_mode=3", "solver.random_var_freq=1", "solver.random_seed=1", "solver.var_decay=1",
          "solver.clause_decay=10", "solver.expensive_ccmin=false", "solver.learntsize_factor=0"})
        assignments.push_back(other);
    for (const char* example : kExamples) {
        RunResult plain = runTorva({example});
        ASSERT_TRUE(plain.status == 10 || plain.status == 20) << example;
        for (const std::string& assignment : assignments) {
            RunResult run = runTorva({"--set", assignment, "--check-model", example});
            EXPECT_EQ(run.status, plain.status) << example << " " << assignment << "\n" << run.err;
            RunResult graph = runTorva({"--preset", "modules", "--set", assignment, example});
            EXPECT_EQ(graph.status, plain.status) << example << " modules " << assignment << "\n" << graph.err;
        }
    }
    RunResult restarted = runTorva({"--set", "toClses.noRestarts=false", "--set", "solver.restart_first=1", "--set",
                                    "solver.restart_inc=1", "examples/division.smt"});
    EXPECT_EQ(restarted.status, runTorva({"examples/division.smt"}).status);
    EXPECT_NE(restarted.err.find("restarts"), std::string::npos) << restarted.err;

    RunResult bitModules = runTorva({"--set", "toClses.andCls=false", "examples/bitwise.smt"});
    EXPECT_EQ(bitModules.status, 1);
    EXPECT_EQ(bitModules.err,
              "torva: --set toClses.andCls=false is for the term-graph paths (add --extended or a --preset other "
              "than classic) (try 'torva --help')\n");
    RunResult onGraph = runTorva({"--extended", "--set", "toClses.andCls=false", "examples/bitwise.smt"});
    EXPECT_EQ(onGraph.status, 10) << onGraph.err;
    RunResult range = runTorva({"--set", "solver.polarity_mode=4", "examples/bitwise.smt"});
    EXPECT_EQ(range.status, 1);
    EXPECT_EQ(range.err,
              "torva: bad value '4' for solver.polarity_mode (expected an integer in [0, 3]) (try 'torva --help')\n");
}

std::string column(const std::string& listing, const std::string& key, int index) {
    size_t at = listing.find("\n" + key + " ");
    if (at == std::string::npos) return "";
    std::string line = listing.substr(at + 1, listing.find('\n', at + 1) - at - 1);
    std::vector<std::string> fields;
    size_t pos = 0;
    while (fields.size() <= static_cast<size_t>(index)) {
        pos = line.find_first_not_of(' ', pos);
        if (pos == std::string::npos) return "";
        size_t end = line.find(' ', pos);
        fields.push_back(line.substr(pos, end - pos));
        pos = end;
    }
    return fields[index];
}

TEST(Options, ListSettingsShowsDefaultsAndTheRunsValues) {
    RunResult listed = runTorva({"--list-settings", "examples/arithmetic.smt"});
    ASSERT_EQ(listed.status, 0);
    EXPECT_EQ(listed.out.rfind("key ", 0), 0u);
    size_t lines = 0;
    for (char c : listed.out) lines += c == '\n';
    EXPECT_GT(lines, 75u);
    for (const char* key : {"toClses.iteCls", "prioParams.0", "solver.var_decay", "search.restarts", "engine"})
        EXPECT_EQ(column(listed.out, key, 2), column(listed.out, key, 3)) << key;
    EXPECT_EQ(column(listed.out, "solver.var_decay", 1), "double");
    EXPECT_EQ(column(listed.out, "solver.var_decay", 2), "1.0526315789473684");
    EXPECT_EQ(column(listed.out, "prioParams.0", 2), "10");
    EXPECT_NE(listed.out.find("\ntoClses.addHeur "), std::string::npos);
    EXPECT_NE(listed.out.find(" [0, 4294967295] "), std::string::npos);

    RunResult changed = runTorva({"--preset", "clauses", "--set", "solver.var_decay=1.25", "--set",
                                  "search.restarts=luby", "--list-settings"});
    ASSERT_EQ(changed.status, 0);
    EXPECT_EQ(column(changed.out, "solver.var_decay", 3), "1.25");
    EXPECT_EQ(column(changed.out, "search.restarts", 2), "classic");
    EXPECT_EQ(column(changed.out, "search.restarts", 3), "luby");
    EXPECT_EQ(column(changed.out, "toClses.iteCls", 3), "true");
    EXPECT_EQ(column(changed.out, "engine", 3), "core");
    RunResult script = runTorva({"--list-settings"});
    EXPECT_EQ(column(script.out, "engine", 3), "cadical") << "without input the listing is that of a script";
}

TEST(Options, QuietKeepsTheAnswerAndVerboseShowsTheSearch) {
    RunResult sat = runTorva({"-q", "examples/arithmetic.smt"});
    EXPECT_EQ(sat.status, 10);
    EXPECT_EQ(sat.out, "Result: SAT\t\n");
    EXPECT_EQ(sat.err, "");
    RunResult model = runTorva({"--quiet", "-m", "--preset", "fast", "examples/arithmetic.smt"});
    EXPECT_EQ(model.out,
              "Result: SAT\t\n"
              "(define-fun a () (_ BitVec 8) #b00111100)\n"
              "(define-fun b () (_ BitVec 8) #b00101000)\n");
    EXPECT_EQ(model.err, "");
    for (const char* example : kExamples) {
        RunResult plain = runTorva({example});
        RunResult quiet = runTorva({"-q", example});
        EXPECT_EQ(quiet.status, plain.status) << example;
        EXPECT_EQ(quiet.out, plain.status == 10 ? "Result: SAT\t\n" : "Result: UNSAT\t\n") << example;
        RunResult extended = runTorva({"-q", "--extended", example});
        EXPECT_EQ(extended.out.substr(0, 11), quiet.out.substr(0, 11)) << example;
        EXPECT_EQ(extended.out.find('\n'), extended.out.size() - 1) << example << ": one line";
        EXPECT_EQ(extended.err, "") << example;
    }
    RunResult script = runTorva({"-q", "examples/arithmetic.smt2"});
    EXPECT_EQ(script.out, runTorva({"examples/arithmetic.smt2"}).out);
    RunResult broken = runTorva({"-q", "-"}, 0, "(assert (bvadd))");
    EXPECT_EQ(broken.status, 1);
    EXPECT_EQ(broken.out.rfind("(error ", 0), 0u) << broken.out;
    RunResult missing = runTorva({"-q", "no_such_benchmark.smt"});
    EXPECT_NE(missing.status, 10);
    EXPECT_NE(missing.out + missing.err, "");

    RunResult verbose = runTorva({"-v", "--preset", "clauses", "examples/arithmetic.smt2"});
    EXPECT_EQ(verbose.out.substr(0, 4), "sat\n");
    EXPECT_NE(verbose.err.find("simplify.nodes.after: "), std::string::npos) << verbose.err;
    RunResult both = runTorva({"-q", "-v", "examples/arithmetic.smt"});
    EXPECT_EQ(both.status, 1);
    EXPECT_EQ(both.err, "torva: --verbose and --quiet ask for opposite things (try 'torva --help')\n");
}

}  // namespace
