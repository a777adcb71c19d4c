// Differential oracle of the term-graph paths: one generated instance is
// decided by the SMT-LIB 2 reader (its script, simplified at the word level
// and solved by the graph solver), by the extended SMT-LIB 1 reader (its
// benchmark text, solved as read) and, when the instance stays inside the
// basic reader's language, by the benchmark path; each in a forked child
// under a configuration
// profile. Every answer must agree with the instance's construction
// (planted: sat, law: unsat, small: enumeration), so all agree with each
// other; every model reported must satisfy every assertion in the
// reference evaluator, and every value asked by get-value must be the
// evaluator's value under the reported model.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "random/oracle.h"
#include "random/smt2_writer.h"

namespace torva_random {

struct PathSelection {
    bool smt2 = true;
    bool extended = true;
    bool benchmark = true;  // only instances the basic reader accepts
};

struct GraphCase {
    Profile profile;
    Shape shape;
    uint64_t seed;
    int depth = 3;
    PathSelection paths;
};

// The run of a script in a forked child: the responses and the exit status.
struct ScriptRun {
    bool finished = false;         // the reader returned; `status` is its exit status
    bool timedOut = false;
    int status = -1;
    std::string responses;
    std::string failure;           // how the child ended, when not normally
    std::string log;               // the child's standard output and error (tail)
};

struct PathReport {
    std::string path;              // "smt2", "extended" or "benchmark"
    Verdict verdict = Verdict::Crash;
    CheckResult check;
    std::string output;            // responses or report of the run
};

struct GraphOutcome {
    Generated generated;
    ToClauses config;
    Smt2Script script;
    std::vector<PathReport> reports;
    bool ok = true;
    bool sat = false;
    bool timedOut = false;         // some path ran out of time (and no path was wrong)
    std::string message;           // the first problem
};

// Generator settings of the graph oracle: those of the profile, with the
// graph-only operators in half of the seeds.
GenSettings graphSettingsFor(Shape shape, const ToClauses& config, uint64_t seed);

// Runs the script text with `config` in force through the SMT-LIB 2 reader
// and the graph solver.
ScriptRun runScriptInChild(const std::string& name, const std::string& text, const ToClauses& config,
                           const std::string& workDir, int timeoutSeconds);
// Checks the responses of a script run: no error, every check-sat answered
// as the script expects, the exit status of the last answer, and the model
// or values asked after it.
CheckResult checkScriptRun(const Generated& g, const Smt2Script& script, const ScriptRun& run);

// Runs the benchmark's SMT-LIB 1 text through the extended reader and the
// graph solver; the model is reported like the benchmark path's.
RunResult runExtendedInChild(const Benchmark& bench, const ToClauses& config, const std::string& workDir,
                             int timeoutSeconds);

// The values that printed define-fun entries give the declarations (the
// model lines of an SMT-LIB 1 run); false with the problem when one is
// missing, unreadable or of the wrong sort.
bool readDefinedValues(const std::string& text, const Benchmark& bench, Assignment& a, std::string& problem);

GraphOutcome runGraphCase(const GraphCase& c, const std::string& workDir, int timeoutSeconds);

// Seed, profile, shape, paths, problem, answers and the command that
// reproduces the case, followed by both texts of the instance.
std::string describeGraphFailure(const GraphCase& c, const GraphOutcome& o);

}  // namespace torva_random
