// End-to-end runs of the term-graph paths and the options around them:
// SMT-LIB 2 scripts from files and standard input, the extended SMT-LIB 1
// reader, models after Result: SAT, the model check of the benchmark run,
// and bad options. Outputs are compared exactly where their form is fixed.
#include <gtest/gtest.h>

#include <string>

#include "e2e/torva_process.h"

namespace {

std::string tail(const std::string& text, const std::string& from) {
    size_t at = text.find(from);
    return at == std::string::npos ? "" : text.substr(at);
}

TEST(Smt2Run, ExampleScriptAnswersValuesAndModel) {
    RunResult run = runTorva({"examples/arithmetic.smt2"});
    EXPECT_EQ(run.status, 10) << run.out << run.err;
    // a + b = 100 and a - b = 20 have two solutions: a = 60 or a = 188.
    std::string answers = run.out.substr(0, run.out.find("(\n"));
    EXPECT_TRUE(answers == "sat\n((a #b00111100) (b #b00101000) ((bvmul a b) #b01100000))\nunsat\nsat\n" ||
                answers == "sat\n((a #b10111100) (b #b10101000) ((bvmul a b) #b01100000))\nunsat\nsat\n")
        << answers;
    const std::string models[] = {"(\n"
                                  "  (define-fun a () (_ BitVec 8) #b00111100)\n"
                                  "  (define-fun b () (_ BitVec 8) #b00101000)\n"
                                  ")\n",
                                  "(\n"
                                  "  (define-fun a () (_ BitVec 8) #b10111100)\n"
                                  "  (define-fun b () (_ BitVec 8) #b10101000)\n"
                                  ")\n"};
    std::string model = tail(run.out, "(\n");
    EXPECT_TRUE(model == models[0] || model == models[1]) << model;
    EXPECT_EQ(run.err, "");
}

TEST(Smt2Run, StandardInputAndStatuses) {
    RunResult unsat = runTorva({"-"}, 0, "(declare-const x (_ BitVec 4))(assert (bvult x x))(check-sat)");
    EXPECT_EQ(unsat.status, 20);
    EXPECT_EQ(unsat.out, "unsat\n");
    RunResult none = runTorva({"--smt2", "-"}, 0, "(set-info :status sat)(exit)");
    EXPECT_EQ(none.status, 0);
    EXPECT_EQ(none.out, "");
    RunResult error = runTorva({"-"}, 0, "(check-sat)\n(assert (bvadd))");
    EXPECT_EQ(error.status, 1);
    EXPECT_EQ(error.out.rfind("sat\n(error \"2:", 0), 0u) << error.out;
    RunResult missing = runTorva({"no_such_script.smt2"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.out.rfind("(error \"cannot open no_such_script.smt2", 0), 0u) << missing.out;
}

TEST(ExtendedRun, ReadsWhatTheBenchmarkReaderRejectsAndPrintsTheModel) {
    RunResult run = runTorva({"--extended", "-m", "examples/extended.smt"});
    ASSERT_EQ(run.status, 10) << run.out << run.err;
    EXPECT_EQ(run.out.rfind("Read SMTLIB-Input\n\nparsing\nsolving\n", 0), 0u) << run.out;
    EXPECT_NE(run.out.find("Result: SAT\t\nTime:"), std::string::npos);
    // The arithmetic shift leaves x = 0xF8 or 0xF9, the rotation and the
    // repeated high half of y keep 0xF8, whose signed remainder by 3 is 1.
    EXPECT_EQ(tail(run.out, "(define-fun"),
              "(define-fun x () (_ BitVec 8) #b11111000)\n"
              "(define-fun y () (_ BitVec 8) #b10001111)\n"
              "(define-fun p () Bool false)\n");

    RunResult rejected = runTorva({"examples/extended.smt"});
    EXPECT_NE(rejected.status, 10);
    EXPECT_NE(rejected.err.find("torva --extended"), std::string::npos) << rejected.err;
}

TEST(BenchmarkRun, ModelAndCheckKeepTheReport) {
    RunResult plain = runTorva({"examples/arithmetic.smt"});
    RunResult checked = runTorva({"--check-model", "examples/arithmetic.smt"});
    RunResult model = runTorva({"-m", "examples/arithmetic.smt"});
    ASSERT_EQ(plain.status, 10);
    EXPECT_EQ(checked.status, 10);
    EXPECT_EQ(model.status, 10);
    auto report = [](const std::string& out) { return out.substr(0, out.find("Time:")); };
    EXPECT_EQ(report(checked.out), report(plain.out));
    EXPECT_EQ(report(model.out), report(plain.out));
    EXPECT_EQ(tail(model.out, "(define-fun"),
              "(define-fun a () (_ BitVec 8) #b00111100)\n"
              "(define-fun b () (_ BitVec 8) #b00101000)\n");
    for (const char* example : {"examples/bitwise.smt", "examples/comparison.smt", "examples/extract_concat.smt",
                                "examples/ite_let.smt", "examples/division.smt", "examples/shifts.smt"}) {
        RunResult run = runTorva({"--check-model", example});
        EXPECT_TRUE(run.status == 10 || run.status == 20) << example << "\n" << run.err;
    }
}

TEST(Options, HelpAndBadOptions) {
    RunResult help = runTorva({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind("usage: torva", 0), 0u);
    RunResult version = runTorva({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out.rfind("torva ", 0), 0u) << version.out;
    EXPECT_NE(version.out.find(" (git "), std::string::npos) << version.out;
    EXPECT_NE(version.out.find(" build)\n"), std::string::npos) << version.out;
    RunResult bad = runTorva({"--bogus", "examples/arithmetic.smt"});
    EXPECT_EQ(bad.status, 1);
    EXPECT_EQ(bad.out, "");
    EXPECT_EQ(bad.err, "torva: unknown option --bogus (try 'torva --help')\n");
    RunResult both = runTorva({"--smt2", "--extended", "examples/arithmetic.smt"});
    EXPECT_EQ(both.status, 1);
    RunResult none = runTorva({"-m"});
    EXPECT_EQ(none.status, 255);
    EXPECT_EQ(none.out, "### Error: Not enough arguments! File needed...\n");
}

TEST(Options, SimplificationSwitchesAndStatistics) {
    const char* script =
        "(declare-const a (_ BitVec 16))(declare-const b (_ BitVec 16))(declare-const c (_ BitVec 16))"
        "(assert (= c (bvadd a b)))"
        "(assert (not (= (bvmul #x0003 c) (bvadd b (bvadd b (bvadd b (bvmul a #x0003)))))))(check-sat)";
    RunResult simplified = runTorva({"--stats", "-"}, 0, script);
    EXPECT_EQ(simplified.status, 20);
    EXPECT_EQ(simplified.out, "unsat\n");
    EXPECT_NE(simplified.err.find("simplify.nodes.after: 1\n"), std::string::npos) << simplified.err;
    EXPECT_NE(simplified.err.find("simplify.subst.eliminated: 1\n"), std::string::npos) << simplified.err;
    EXPECT_NE(simplified.err.find("simplify.rule.LinearNormalise: "), std::string::npos) << simplified.err;
    for (const char* off : {"simplify.rewrite=false", "simplify.linear=0", "simplify.subst=false"}) {
        RunResult run = runTorva({"--set", off, "--stats", "-"}, 0, script);
        EXPECT_EQ(run.out, "unsat\n") << off;
        EXPECT_EQ(run.err.find("simplify.nodes.after: 1\n"), std::string::npos) << off << "\n" << run.err;
    }
    RunResult plain = runTorva({"--no-simplify", "--stats", "-"}, 0, script);
    EXPECT_EQ(plain.out, "unsat\n");
    EXPECT_EQ(plain.err, "");

    RunResult unknownKey = runTorva({"--set", "simplify.bogus=true", "-"}, 0, script);
    EXPECT_EQ(unknownKey.status, 1);
    EXPECT_EQ(unknownKey.err, "torva: unknown setting 'simplify.bogus' (try 'torva --help')\n");
    RunResult badValue = runTorva({"--set", "simplify.subst=maybe", "-"}, 0, script);
    EXPECT_EQ(badValue.err,
              "torva: bad value 'maybe' for simplify.subst (expected true or false) (try 'torva --help')\n");
    RunResult noValue = runTorva({"--set", "simplify.subst", "-"}, 0, script);
    EXPECT_EQ(noValue.status, 1);
    RunResult missing = runTorva({"-", "--set"}, 0, script);
    EXPECT_EQ(missing.err, "torva: --set needs KEY=VALUE (try 'torva --help')\n");

    // A benchmark with --simplify is read onto the term graph and keeps the report.
    RunResult benchmark = runTorva({"--simplify", "-m", "examples/arithmetic.smt"});
    EXPECT_EQ(benchmark.status, 10) << benchmark.out << benchmark.err;
    EXPECT_NE(benchmark.out.find("Result: SAT\t\nTime:"), std::string::npos) << benchmark.out;
    EXPECT_EQ(tail(benchmark.out, "(define-fun"),
              "(define-fun a () (_ BitVec 8) #b00111100)\n"
              "(define-fun b () (_ BitVec 8) #b00101000)\n");
}

// Every preset gives the answers of the benchmark run; classic on a benchmark
// is the benchmark run itself, the others move it onto the term graph and
// keep its report and model lines.
TEST(Options, PresetsAgreeAndClassicIsTheBenchmarkRun) {
    const char* examples[] = {"examples/arithmetic.smt", "examples/bitwise.smt",       "examples/comparison.smt",
                              "examples/extract_concat.smt", "examples/ite_let.smt", "examples/division.smt",
                              "examples/shifts.smt"};
    auto report = [](const std::string& out) { return out.substr(0, out.find("Time:")); };
    for (const char* example : examples) {
        RunResult plain = runTorva({example});
        ASSERT_TRUE(plain.status == 10 || plain.status == 20) << example;
        RunResult classic = runTorva({"--preset", "classic", example});
        EXPECT_EQ(classic.status, plain.status) << example;
        EXPECT_EQ(report(classic.out), report(plain.out)) << example;
        EXPECT_EQ(classic.err, plain.err) << example;
        for (const char* preset : {"clauses", "modules", "fast"}) {
            RunResult run = runTorva({"--preset", preset, "-m", example});
            EXPECT_EQ(run.status, plain.status) << example << " " << preset << "\n" << run.err;
            EXPECT_NE(run.out.find(plain.status == 10 ? "Result: SAT" : "Result: UNSAT"), std::string::npos)
                << example << " " << preset << "\n" << run.out;
        }
    }
    RunResult fast = runTorva({"--preset", "fast", "-m", "examples/arithmetic.smt"});
    EXPECT_EQ(tail(fast.out, "(define-fun"),
              "(define-fun a () (_ BitVec 8) #b00111100)\n"
              "(define-fun b () (_ BitVec 8) #b00101000)\n");
    for (const char* preset : {"classic", "clauses", "modules", "fast"}) {
        RunResult script = runTorva({"--preset", preset, "examples/arithmetic.smt2"});
        RunResult byDefault = runTorva({"examples/arithmetic.smt2"});
        EXPECT_EQ(script.status, byDefault.status) << preset;
        EXPECT_EQ(script.out.substr(0, 4), byDefault.out.substr(0, 4)) << preset;
    }
    RunResult unknown = runTorva({"--preset", "quick", "examples/arithmetic.smt"});
    EXPECT_EQ(unknown.status, 1);
    EXPECT_EQ(unknown.err,
              "torva: unknown preset 'quick' (the presets: classic, clauses, modules, fast) (try 'torva --help')\n");
    for (const char* setting : {"engine=core", "search.restarts=luby", "search.phase=target",
                                "search.learnts=classic", "search.decisions=modules"}) {
        RunResult run = runTorva({"--preset", "modules", "--set", setting, "examples/arithmetic.smt"});
        EXPECT_EQ(run.status, 10) << setting << "\n" << run.err;
    }
    RunResult badChoice = runTorva({"--set", "engine=fastest", "examples/arithmetic.smt2"});
    EXPECT_EQ(badChoice.err,
              "torva: bad value 'fastest' for engine (expected one of core, cadical) (try 'torva --help')\n");
    RunResult benchmark = runTorva({"--set", "engine=cadical", "examples/arithmetic.smt"});
    EXPECT_EQ(benchmark.status, 1);
    EXPECT_EQ(benchmark.err,
              "torva: --set engine=cadical is for the term-graph paths (add --extended or a --preset other than classic) "
              "(try 'torva --help')\n");
    RunResult missing = runTorva({"examples/arithmetic.smt", "--preset"});
    EXPECT_EQ(missing.err,
              "torva: --preset needs a name (classic, clauses, modules, fast) (try 'torva --help')\n");
}

}  // namespace

namespace {

// The statistics of an incremental session name what the SAT back end
// holds and the process's memory, not zeros.
TEST(Smt2Run, StatisticsShowTheBackEndAndMemory) {
    RunResult run = runTorva({"-"}, 0,
                             "(declare-const x (_ BitVec 16))(declare-const y (_ BitVec 16))"
                             "(assert (= (bvmul x y) #x0f0f))(check-sat)(push 1)(assert (bvult x y))(check-sat)"
                             "(get-info :all-statistics)");
    auto number = [&](const std::string& key) {
        size_t at = run.out.find(":" + key + " ");
        return at == std::string::npos ? -1.0 : std::stod(run.out.substr(at + key.size() + 2));
    };
    EXPECT_GT(number("sat-variables"), 32) << run.out;
    EXPECT_GT(number("sat-clauses"), 0) << run.out;
    EXPECT_GE(number("conflicts"), 0) << run.out;
    EXPECT_GT(number("terms"), 0) << run.out;
    EXPECT_GT(number("memory"), 0.5) << run.out;
}

}  // namespace
