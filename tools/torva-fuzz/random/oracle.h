// Differential oracle: runs one generated benchmark through the solver
// library the way the program does (parse, simplify, solve) in a forked child
// under a chosen configuration, and checks the answer against the reference
// evaluator: models must satisfy every assertion, unsatisfiable answers are
// confirmed by enumeration or by the instance's construction.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "config.h"
#include "random/generator.h"

namespace torva_random {

// Configuration profiles: the compiled-in mix; every operation kind as a
// module; everything as clauses; a random mix of the operation switches per
// seed; and the compiled-in mix with varied search switches.
enum class Profile { Default, Modules, Clauses, Mixed, Search };

const char* profileName(Profile p);
bool profileByName(const std::string& name, Profile* p);
const char* shapeName(Shape s);
bool shapeByName(const std::string& name, Shape* s);

ToClauses profileConfig(Profile p, uint64_t seed);
// Generator settings that match a configuration (bit gates built as modules
// take one-bit operands only).
GenSettings settingsFor(Shape shape, const ToClauses& config, uint64_t seed);

enum class Verdict { Sat, Unsat, Crash, Timeout };

struct RunResult {
    Verdict verdict = Verdict::Crash;
    bool decidedWhileParsing = false;   // exit status 20 before the search
    std::string failure;                // how the child ended, for crashes
    std::string log;                    // the child's output (tail)
    // Per declaration: its bits, most significant first, as '1', '0' or '?'
    // (no model value); empty when the declaration has no CNF variables.
    std::vector<std::string> modelBits;
};

// In a forked child: sends standard output and error to the log, arms the
// time limit and puts the configuration in force as a fresh process has it.
void enterChild(const std::string& logPath, const ToClauses& config, int timeoutSeconds);

// Runs the benchmark text in a forked child with `config` in force; the
// benchmark file and the child's output go to `workDir`.
RunResult runInChild(const Benchmark& bench, const ToClauses& config, const std::string& workDir, int timeoutSeconds);

struct CheckResult {
    bool ok = true;
    bool sat = false;
    std::string message;
};

// Checks an answer: a model must satisfy every assertion (declarations
// without CNF variables and bits without model values are drawn from `seed`);
// an unsatisfiable answer must agree with the construction and, for at most
// 16 bits read, with enumeration.
CheckResult checkAnswer(const Generated& g, const RunResult& r, uint64_t seed);

struct Case {
    Profile profile;
    Shape shape;
    uint64_t seed;
    int depth = 3;   // nesting depth of the generated formulas and terms
};

struct CaseOutcome {
    CheckResult check;
    Generated generated;
    ToClauses config;
    RunResult run;
};

CaseOutcome runCase(const Case& c, const std::string& workDir, int timeoutSeconds);

// Text describing a failing case: seed, profile, shape, configuration,
// message and the child's output.
std::string describeFailure(const Case& c, const CaseOutcome& o);

// Process-unique fresh directory under TMPDIR (or /tmp).
std::string makeWorkDir(const std::string& tag);

}  // namespace torva_random
