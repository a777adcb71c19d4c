// End-to-end runs of the options: every configuration of a run (reader,
// preset, --set over the whole run configuration, -q, -m, --check-model)
// keeps the golden answer and report of every example benchmark; the
// statistics of a script; the simplification switches and statistics;
// --list-settings; and the exact status and text of short runs: scripts,
// the extended reader's model, missing inputs and refused arguments.
#include <algorithm>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "e2e/torva_process.h"

namespace {

typedef std::vector<std::string> Args;

const char kArithmeticModel[] =
    "(define-fun a () (_ BitVec 8) #b00111100)\n"
    "(define-fun b () (_ BitVec 8) #b00101000)\n";

std::string from(const std::string& text, const std::string& marker) {
    size_t at = text.find(marker);
    return at == std::string::npos ? "" : text.substr(at);
}

std::string upTo(const std::string& text, const std::string& marker) { return text.substr(0, text.find(marker)); }

bool has(const Args& args, const char* flag) { return std::find(args.begin(), args.end(), flag) != args.end(); }

// Runs that end with a fixed status and text.
struct Ending {
    Args args;
    std::string input;
    int status;
    std::string out, err;
};

void expectEndings(const std::vector<Ending>& endings) {
    for (const Ending& e : endings) {
        RunResult run = runTorva(e.args, e.input);
        std::string where = e.args[0] + " " + e.args.back();
        EXPECT_EQ(run.status, e.status) << where;
        EXPECT_EQ(run.out, e.out) << where;
        EXPECT_EQ(run.err, e.err) << where;
    }
}

const std::string kHelp = " (try 'torva --help')\n";

// The runs of the benchmark reader itself (whose whole output is golden),
// of the term-graph paths with and without models (on the extended reader
// also with AND as modules, which only the graph can build), and of -q;
// then every switch of the split and of the classic search both ways and
// the solver's parameters at the ends of their ranges, on the benchmark
// reader (model checked) and on the term graph, and the graph's own search
// choices.
std::vector<Args> configurations() {
    std::vector<Args> runs = {{"--preset", "classic"},
                              {"--check-model"},
                              {"-m", "--check-model"},
                              {"--preset", "clauses", "-m"},
                              {"--preset", "modules", "-m"},
                              {"--preset", "fast", "-m"},
                              {"--extended"},
                              {"--extended", "--set", "toClses.andCls=false"},
                              {"--simplify", "-m"},
                              {"-q"},
                              {"-q", "--extended"},
                              {"-q", "-m", "--preset", "fast"}};
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
    for (const std::string& assignment : assignments) {
        runs.push_back({"--set", assignment, "--check-model"});
        runs.push_back({"--preset", "modules", "--set", assignment});
    }
    for (const char* choice : {"engine=core", "search.restarts=luby", "search.phase=target", "search.learnts=classic",
                               "search.decisions=modules"})
        runs.push_back({"--preset", "modules", "--set", choice});
    return runs;
}

TEST(Options, RunConfigurationSettingsKeepTheAnswers) {
    const std::vector<Args> runs = configurations();
    for (const std::string example :
         {"arithmetic", "bitwise", "comparison", "extract_concat", "ite_let", "division", "shifts"}) {
        const std::string goldenOut = readFile(goldenPath(example, "stdout"));
        const std::string goldenErr = readFile(goldenPath(example, "stderr"));
        const bool sat = goldenOut.find("Result: SAT") != std::string::npos;
        for (Args args : runs) {
            std::string where = example;
            for (const std::string& arg : args) where += " " + arg;
            const bool benchmarkRun = args == Args{"--preset", "classic"} || args == Args{"--check-model"};
            args.push_back("examples/" + example + ".smt");
            RunResult run = runTorva(args);
            EXPECT_EQ(run.status, sat ? 10 : 20) << where << "\n" << run.err;
            const bool quiet = has(args, "-q");
            const std::string reading = quiet ? "" : "Read SMTLIB-Input\n\nparsing\n";
            const std::string solving = quiet ? "" : "solving\n";
            std::vector<std::string> reports = {reading + solving + (sat ? "Result: SAT\t\n" : "Result: UNSAT\t\n")};
            if (!sat)  // an unsatisfiable problem found while building ends the report early, without the tab
                reports.insert(reports.end(), {reading + "Result: UNSAT\n", reading + solving + "Result: UNSAT\n"});
            std::string report = upTo(run.out, quiet ? "(define-fun" : "Time:");
            EXPECT_NE(std::find(reports.begin(), reports.end(), report), reports.end()) << where << "\n" << run.out;
            EXPECT_TRUE(!quiet || run.err.empty()) << where << "\n" << run.err;
            std::string model = from(run.out, "(define-fun");
            if (benchmarkRun) {
                EXPECT_EQ(masked(run.out), goldenOut) << where;
                EXPECT_EQ(masked(run.err), goldenErr) << where;
            }
            EXPECT_EQ(model.empty(), !sat || !has(args, "-m")) << where << "\n" << run.out;
            if (example == "arithmetic" && has(args, "-m")) {
                EXPECT_EQ(model, kArithmeticModel) << where;
            }
        }
    }
    RunResult restarted = runTorva({"--set", "toClses.noRestarts=false", "--set", "solver.restart_first=1", "--set",
                                    "solver.restart_inc=1", "examples/division.smt"});
    EXPECT_EQ(restarted.status, 20);
    EXPECT_NE(restarted.err.find("restarts"), std::string::npos) << restarted.err;

    expectEndings({{{"--set", "toClses.andCls=false", "examples/bitwise.smt"}, "", 1, "",
                    "torva: --set toClses.andCls=false is for the term-graph paths (add --extended or a --preset "
                    "other than classic)" + kHelp},
                   {{"--set", "solver.polarity_mode=4", "examples/bitwise.smt"}, "", 1, "",
                    "torva: bad value '4' for solver.polarity_mode (expected an integer in [0, 3])" + kHelp}});
}

// Scripts on standard input, a model of the extended reader, missing inputs
// and refused arguments, which name the problem.
TEST(Options, RunsEndWithTheirStatusAndText) {
    const std::string bench = "examples/arithmetic.smt", help = kHelp;
    const std::string script = "(declare-const x (_ BitVec 4))(assert (bvult x x))(check-sat)";
    expectEndings({
        {{"-"}, script, 20, "unsat\n", ""},
        {{"--smt2", "-"}, "(set-info :status sat)(exit)", 0, "", ""},
        {{"-"}, "(check-sat)\n(assert (bvadd))", 1,
         "sat\n(error \"2:9: bvadd expects at least 2 operands, got 0\")\n", ""},
        {{"-q", "-"}, "(assert (bvadd))", 1, "(error \"1:9: bvadd expects at least 2 operands, got 0\")\n", ""},
        {{"no_such_script.smt2"}, "", 1,
         "(error \"cannot open no_such_script.smt2: No such file or directory\")\n", ""},
        {{"-q", "no_such_benchmark.smt"}, "", 1, "Error: Parsing SM_T failed!\nError: Parsing SM_T failed!\n",
         "Error: Could not open smt file: no_such_benchmark.smt\n"},
        {{"-m"}, "", 255, "### Error: Not enough arguments! File needed...\n", ""},
        // The extended reader takes what the benchmark reader refuses. The
        // arithmetic shift leaves x = 0xF8 or 0xF9, the rotation and the
        // repeated high half of y keep 0xF8, whose signed remainder by 3 is 1.
        {{"-q", "--extended", "-m", "examples/extended.smt"}, "", 10,
         "Result: SAT\t\n(define-fun x () (_ BitVec 8) #b11111000)\n(define-fun y () (_ BitVec 8) #b10001111)\n"
         "(define-fun p () Bool false)\n",
         ""},
        {{"examples/extended.smt"}, "", 128 + 6, "Read SMTLIB-Input\n\nparsing\n",
         "\nThis is TORVA v0.2 (with a CDCL core as underlying SAT-solver)\nFile: parse\nLine: 168\n\nnot supported yet\n"
         "(torva --extended reads the whole SMT-LIB 1.2 QF_BV language)\n"},
        {{"--bogus", bench}, "", 1, "", "torva: unknown option --bogus" + help},
        {{"--smt2", "--extended", bench}, "", 1, "", "torva: --smt2 and --extended name different languages" + help},
        {{"-q", "-v", bench}, "", 1, "", "torva: --verbose and --quiet ask for opposite things" + help},
        {{"--preset", "quick", bench}, "", 1, "",
         "torva: unknown preset 'quick' (the presets: classic, clauses, modules, fast)" + help},
        {{bench, "--preset"}, "", 1, "", "torva: --preset needs a name (classic, clauses, modules, fast)" + help},
        {{"--set", "engine=fastest", "examples/arithmetic.smt2"}, "", 1, "",
         "torva: bad value 'fastest' for engine (expected one of core, cadical)" + help},
        {{"--set", "engine=cadical", bench}, "", 1, "",
         "torva: --set engine=cadical is for the term-graph paths (add --extended or a --preset other than classic)" +
             help},
        {{"--set", "simplify.bogus=true", "-"}, script, 1, "", "torva: unknown setting 'simplify.bogus'" + help},
        {{"--set", "simplify.subst=maybe", "-"}, script, 1, "",
         "torva: bad value 'maybe' for simplify.subst (expected true or false)" + help},
        {{"--set", "simplify.subst", "-"}, script, 1, "",
         "torva: --set expects KEY=VALUE, got 'simplify.subst'" + help},
        {{"-", "--set"}, script, 1, "", "torva: --set needs KEY=VALUE" + help},
        {{"--memory-limit", "lots", "-"}, script, 1, "",
         "torva: --memory-limit expects a positive number of megabytes up to 1e9, got 'lots'" + help},
        {{bench, "--dimacs"}, "", 1, "", "torva: --dimacs needs an output file" + help},
        {{"--dimacs", ::testing::TempDir() + "torva_no_check.cnf", "-"}, "(declare-const a Bool)(assert a)", 1, "",
         "torva: the script has no check-sat to export\n"},
    });
    RunResult usage = runTorva({"--help"});
    EXPECT_EQ(usage.status, 0);
    EXPECT_EQ(usage.out.rfind("usage: torva", 0), 0u);
    RunResult version = runTorva({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out.rfind("torva ", 0), 0u) << version.out;
    EXPECT_NE(version.out.find(" (git "), std::string::npos) << version.out;
    EXPECT_NE(version.out.find(" build)\n"), std::string::npos) << version.out;
}

// The statistics of an incremental session name what the SAT back end
// holds and the process's memory, not zeros; -v adds the simplifier's.
TEST(Smt2Run, StatisticsShowTheBackEndAndMemory) {
    RunResult run = runTorva({"-v", "-"},
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
    EXPECT_NE(run.err.find("simplify.nodes.after: "), std::string::npos) << run.err;
}

TEST(Options, SimplificationSwitchesAndStatistics) {
    const char* script =
        "(declare-const a (_ BitVec 16))(declare-const b (_ BitVec 16))(declare-const c (_ BitVec 16))"
        "(assert (= c (bvadd a b)))"
        "(assert (not (= (bvmul #x0003 c) (bvadd b (bvadd b (bvadd b (bvmul a #x0003)))))))(check-sat)";
    RunResult simplified = runTorva({"--stats", "-"}, script);
    EXPECT_EQ(simplified.status, 20);
    EXPECT_EQ(simplified.out, "unsat\n");
    for (const char* line : {"simplify.nodes.after: 1\n", "simplify.subst.eliminated: 1\n",
                             "simplify.rule.LinearNormalise: "})
        EXPECT_NE(simplified.err.find(line), std::string::npos) << simplified.err;
    for (const char* off : {"simplify.rewrite=false", "simplify.linear=0", "simplify.subst=false"}) {
        RunResult run = runTorva({"--set", off, "--stats", "-"}, script);
        EXPECT_EQ(run.out, "unsat\n") << off;
        EXPECT_EQ(run.err.find("simplify.nodes.after: 1\n"), std::string::npos) << off << "\n" << run.err;
    }
    RunResult plain = runTorva({"--no-simplify", "--stats", "-"}, script);
    EXPECT_EQ(plain.out, "unsat\n");
    EXPECT_EQ(plain.err, "");
}

// The type, default and current value of `key` in a --list-settings listing.
std::string row(const std::string& listing, const std::string& key) {
    size_t at = listing.find("\n" + key + " ");
    if (at == std::string::npos) return "";
    std::istringstream line(listing.substr(at + 1, listing.find('\n', at + 1) - at - 1));
    std::string name, type, byDefault, current;
    line >> name >> type >> byDefault >> current;
    return type + " " + byDefault + " " + current;
}

// The listings of a benchmark run, of a changed script run and of a script
// run (the listing without input).
TEST(Options, ListSettingsShowsDefaultsAndTheRunsValues) {
    const RunResult listings[] = {runTorva({"--list-settings", "examples/arithmetic.smt"}),
                                  runTorva({"--preset", "clauses", "--set", "solver.var_decay=1.25", "--set",
                                            "search.restarts=luby", "--list-settings"}),
                                  runTorva({"--list-settings"})};
    const std::tuple<int, const char*, const char*> rows[] = {
        {0, "engine", "choice core core"},
        {0, "search.restarts", "choice classic classic"},
        {0, "solver.var_decay", "double 1.0526315789473684 1.0526315789473684"},
        {0, "toClses.iteCls", "bool false false"},
        {0, "toClses.addHeur", "int 400 400"},
        {0, "prioParams.0", "int 10 10"},
        {1, "engine", "choice core core"},
        {1, "search.restarts", "choice classic luby"},
        {1, "solver.var_decay", "double 1.0526315789473684 1.25"},
        {1, "toClses.iteCls", "bool false true"},
        {2, "engine", "choice core cadical"},
    };
    for (const auto& [listing, key, expected] : rows) EXPECT_EQ(row(listings[listing].out, key), expected) << listing;
    for (const RunResult& listed : listings) {
        EXPECT_EQ(listed.status, 0);
        EXPECT_EQ(listed.out.rfind("key ", 0), 0u);
        EXPECT_GT(std::count(listed.out.begin(), listed.out.end(), '\n'), 75);
        EXPECT_NE(listed.out.find(" [0, 4294967295] "), std::string::npos);
    }
}

}  // namespace
