// The command line: which reader takes the input, where it comes from, and
// the model switches. The first argument that is not an option is the input
// (further ones are ignored); "-" is standard input. A plain `torva FILE`
// run is the benchmark run whose report is fixed, whatever options exist.
#pragma once

#include <cstdint>
#include <string>

#include "engine/run_settings.h"

namespace torva::driver {

enum class Reader {
    Benchmark,  // the SMT-LIB 1 benchmark reader that translates while parsing
    Extended,   // the whole SMT-LIB 1.2 language, through the term graph
    Script,     // SMT-LIB 2 scripts, through the term graph
};

struct Options {
    std::string input;        // a path, or "-" for standard input
    Reader reader = Reader::Benchmark;
    bool printModel = false;  // -m: the value of every declared symbol after a sat answer
    bool checkModel = false;  // the benchmark reader checks its model on a term graph too
    // Word-level simplification on the term-graph paths (on by default for
    // SMT-LIB 2 scripts; --simplify moves a benchmark onto the term graph).
    bool simplify = false;
    simplify::SimplifySettings simplifySettings;
    bool printStats = false;  // --stats: the simplification's statistics
    bool verbose = false;     // -v: progress table and statistics on standard error
    bool quiet = false;       // -q: the answer only
    bool incremental = true;  // --no-incremental: every check of a script from scratch
    bool exitOnError = false; // --exit-on-error: a script ends at its first error
    // --preset; classic for an SMT-LIB 1 benchmark, fast on the term-graph
    // paths. A preset other than classic moves a benchmark onto the term graph.
    Preset preset = Preset::Classic;
    SearchSettings search;         // the preset's search
    Engine engine = Engine::Core;  // the preset's SAT engine
    uint32_t abstractWidth = 0;    // multiplications, quotients and remainders this wide are abstracted
    // --dimacs: write the bit-blasted input here instead of solving it.
    std::string dimacs;
    double timeLimit = 0;         // -t: CPU seconds, 0 for none
    uint64_t memoryLimitMB = 0;   // --memory-limit: MB of address space, 0 for none
};

// Reads argv. Bad options print one line "torva: ..." with the usage hint on
// standard error and end the process with status 1; --help, --version and
// --list-settings print and end it with 0. Returns false when no input was
// named. The preset and the --set settings are committed into the run
// configuration.
bool parseOptions(int argc, char** argv, Options& options);

}  // namespace torva::driver
