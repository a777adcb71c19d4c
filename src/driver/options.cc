// Command-line parsing with getopt_long. The input's reader is chosen by an
// explicit switch, else by the name: ".smt2" and standard input are
// SMT-LIB 2 scripts, everything else is an SMT-LIB 1 benchmark.
#include "driver/options.h"

#include <getopt.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace torva::driver {
namespace {

const char kUsage[] =
    "usage: torva [options] FILE\n"
    "\n"
    "FILE is an SMT-LIB 1 benchmark (.smt) or an SMT-LIB 2 script (.smt2);\n"
    "'-' reads an SMT-LIB 2 script from standard input.\n"
    "\n"
    "  -h, --help         print this text and exit\n"
    "      --version      print the version, git revision and build type and exit\n"
    "  -t, --time-limit SECONDS  stop after this much CPU time with the answer\n"
    "                     unknown (Result: UNKNOWN) and the reason on standard\n"
    "                     error, exit status 0\n"
    "      --memory-limit MB  the same when an allocation fails beyond MB\n"
    "                     megabytes of address space\n"
    "  -m, --model        print the value of every declared variable and\n"
    "                     predicate after Result: SAT (SMT-LIB 1)\n"
    "      --check-model  check the model of an SMT-LIB 1 benchmark on its\n"
    "                     term graph before the answer is printed (always on\n"
    "                     for SMT-LIB 2 and --extended)\n"
    "      --smt2         read FILE as an SMT-LIB 2 script\n"
    "      --extended     read FILE in the whole SMT-LIB 1.2 QF_BV language\n"
    "                     through the term graph\n"
    "      --simplify     simplify at the word level before bit-blasting (the\n"
    "                     default for SMT-LIB 2; an SMT-LIB 1 benchmark is then\n"
    "                     read as with --extended)\n"
    "      --no-simplify  no word-level simplification\n"
    "      --preset NAME  the configuration: classic (the default for an SMT-LIB 1\n"
    "                     benchmark), clauses, modules, fast (the default for\n"
    "                     SMT-LIB 2 and --extended); any but classic reads an\n"
    "                     SMT-LIB 1 benchmark as with --extended\n"
    "      --set KEY=VALUE  change one setting of the run: the preset's search\n"
    "                     and engine, the simplification switches, the split\n"
    "                     between modules and clauses (toClses.*), the module\n"
    "                     priorities (prioParams.*) and the built-in solver's\n"
    "                     parameters (solver.*); applied after the preset, in\n"
    "                     the order given\n"
    "      --list-settings  print every key of --set with its type, default,\n"
    "                     current value and accepted values, and exit\n"
    "  -v, --verbose      the solver's progress table and the simplification's\n"
    "                     statistics on standard error\n"
    "  -q, --quiet        only the answer (the Result line of an SMT-LIB 1\n"
    "                     benchmark, with -m its model lines); errors still go\n"
    "                     to standard error\n"
    "      --stats        the simplification's statistics on standard error, and the\n"
    "                     abstraction's when wide operations were abstracted\n"
    "      --no-incremental  solve every check of a script from scratch (by\n"
    "                     default the second and later checks reuse one solver:\n"
    "                     what it encoded and learnt stays across push and pop)\n"
    "      --exit-on-error  end a script at its first error (by default the\n"
    "                     error is answered and the next command read)\n"
    "      --dimacs OUT   write the bit-blasted problem (every operation as\n"
    "                     clauses; of a script, its first check-sat) to OUT as\n"
    "                     DIMACS CNF, with 'c NAME v1 v2 ...' lines naming the\n"
    "                     variables of each declared symbol's bits (least\n"
    "                     significant first), and exit\n";

enum LongOnly {
    kCheckModel = 256,
    kSmt2,
    kExtended,
    kSimplify,
    kNoSimplify,
    kSet,
    kStats,
    kPreset,
    kDimacs,
    kVersion,
    kMemoryLimit,
    kListSettings,
    kNoIncremental,
    kExitOnError,
};

void printUsage() { std::fputs(kUsage, stdout); }

[[noreturn]] void badOption(const char* problem) {
    std::fprintf(stderr, "torva: %s (try 'torva --help')\n", problem);
    std::exit(1);
}

// A setting is checked at once, against a scratch configuration, and
// applied once the preset is known.
void checkSetting(const char* assignment) {
    RunConfig scratch;
    std::string error;
    if (!applySetting(scratch, assignment, error)) badOption(error.c_str());
}

// The first setting the benchmark reader cannot run, or null.
const std::string* graphOnlySetting(const std::vector<std::string>& assignments) {
    for (const std::string& assignment : assignments)
        if (!benchmarkReaderAccepts(assignment)) return &assignment;
    return nullptr;
}

// A positive decimal number (at most 10^9), else the option is refused.
double positiveNumber(const char* option, const char* text, const char* unit) {
    char* end = nullptr;
    double value = std::strtod(text, &end);
    if (end == text || *end != '\0' || !(value > 0) || value > 1e9)
        badOption((std::string(option) + " expects a positive number of " + unit + " up to 1e9, got '" + text + "'")
                      .c_str());
    return value;
}

bool endsWith(const std::string& text, const char* suffix) {
    size_t n = std::strlen(suffix);
    return text.size() >= n && text.compare(text.size() - n, n, suffix) == 0;
}
}  // namespace

bool parseOptions(int argc, char** argv, Options& options) {
    static const struct option kLong[] = {
        {"help", no_argument, nullptr, 'h'},
        {"model", no_argument, nullptr, 'm'},
        {"check-model", no_argument, nullptr, kCheckModel},
        {"smt2", no_argument, nullptr, kSmt2},
        {"extended", no_argument, nullptr, kExtended},
        {"simplify", no_argument, nullptr, kSimplify},
        {"no-simplify", no_argument, nullptr, kNoSimplify},
        {"set", required_argument, nullptr, kSet},
        {"stats", no_argument, nullptr, kStats},
        {"preset", required_argument, nullptr, kPreset},
        {"dimacs", required_argument, nullptr, kDimacs},
        {"version", no_argument, nullptr, kVersion},
        {"time-limit", required_argument, nullptr, 't'},
        {"memory-limit", required_argument, nullptr, kMemoryLimit},
        {"list-settings", no_argument, nullptr, kListSettings},
        {"no-incremental", no_argument, nullptr, kNoIncremental},
        {"exit-on-error", no_argument, nullptr, kExitOnError},
        {"verbose", no_argument, nullptr, 'v'},
        {"quiet", no_argument, nullptr, 'q'},
        {nullptr, 0, nullptr, 0},
    };
    bool smt2 = false, extended = false;
    int simplifyChoice = -1;  // -1: the preset's default
    bool presetGiven = false, listSettings = false;
    std::vector<std::string> assignments;
    opterr = 0;
    optind = 1;
    int c;
    while ((c = getopt_long(argc, argv, "hmt:vq", kLong, nullptr)) != -1) {
        switch (c) {
            case 'h':
                printUsage();
                std::exit(0);
            case 'm': options.printModel = true; break;
            case kCheckModel: options.checkModel = true; break;
            case kSmt2: smt2 = true; break;
            case kExtended: extended = true; break;
            case kSimplify: simplifyChoice = 1; break;
            case kNoSimplify: simplifyChoice = 0; break;
            case kSet:
                checkSetting(optarg);
                assignments.push_back(optarg);
                break;
            case kListSettings: listSettings = true; break;
            case kNoIncremental: options.incremental = false; break;
            case kExitOnError: options.exitOnError = true; break;
            case 'v': options.verbose = true; break;
            case 'q': options.quiet = true; break;
            case kStats: options.printStats = true; break;
            case kDimacs: options.dimacs = optarg; break;
            case 't': options.timeLimit = positiveNumber("--time-limit", optarg, "seconds"); break;
            case kMemoryLimit:
                options.memoryLimitMB = static_cast<uint64_t>(positiveNumber("--memory-limit", optarg, "megabytes"));
                break;
            case kVersion:
                std::printf("torva %s (git %s, %s build)\n", TORVA_VERSION, TORVA_GIT_REVISION, TORVA_BUILD_TYPE);
                std::exit(0);
            case kPreset:
                if (!presetByName(optarg, options.preset))
                    badOption((std::string("unknown preset '") + optarg + "' (the presets: " + presetNames() + ")")
                                  .c_str());
                presetGiven = true;
                break;
            default: {
                std::string problem = optopt != 0 && optopt < 256
                                          ? std::string("unknown option -") + static_cast<char>(optopt)
                                          : std::string("unknown option ") + argv[optind - 1];
                if (optopt == kSet) problem = "--set needs KEY=VALUE";
                if (optopt == kDimacs) problem = "--dimacs needs an output file";
                if (optopt == 't') problem = "--time-limit needs a number of seconds";
                if (optopt == kMemoryLimit) problem = "--memory-limit needs a number of megabytes";
                if (optopt == kPreset) problem = std::string("--preset needs a name (") + presetNames() + ")";
                badOption(problem.c_str());
            }
        }
    }
    if (smt2 && extended) badOption("--smt2 and --extended name different languages");
    if (options.verbose && options.quiet) badOption("--verbose and --quiet ask for opposite things");
    if (optind >= argc && !listSettings) return false;
    options.input = optind < argc ? argv[optind] : "-";  // a listing without input is that of a script
    bool graphBenchmark = simplifyChoice == 1 || (presetGiven && options.preset != Preset::Classic);
    if (extended || (graphBenchmark && !smt2 && options.input != "-" && !endsWith(options.input, ".smt2")))
        options.reader = Reader::Extended;
    else if (smt2 || options.input == "-" || endsWith(options.input, ".smt2"))
        options.reader = Reader::Script;
    if (options.reader == Reader::Script && options.printModel)
        badOption("--model is for SMT-LIB 1 input; SMT-LIB 2 scripts ask with (get-model)");
    if (!options.dimacs.empty()) {
        // The export writes every operation as clauses, on the term graph.
        if (options.reader == Reader::Benchmark) options.reader = Reader::Extended;
        options.preset = Preset::Clauses;
    } else if (!presetGiven) {
        options.preset = options.reader == Reader::Benchmark ? Preset::Classic : Preset::Fast;
    }
    if (const std::string* setting = graphOnlySetting(assignments); setting && options.reader == Reader::Benchmark)
        badOption(("--set " + *setting + " is for the term-graph paths (add --extended or a --preset other than classic)")
                      .c_str());
    RunConfig config = presetConfig(options.preset);
    std::string error;
    for (const std::string& assignment : assignments) applySetting(config, assignment, error);
    commitConfig(config);
    if (listSettings) {
        printSettings(stdout, config);
        std::exit(0);
    }
    options.search = config.choice.search;
    options.engine = config.choice.engine;
    options.abstractWidth = config.choice.abstractWidth;
    options.simplifySettings = config.simplify;
    options.simplify = simplifyChoice == -1 ? config.choice.simplify : simplifyChoice == 1;
    if (options.reader != Reader::Benchmark && options.checkModel)
        options.checkModel = false;  // always checked on the term-graph paths
    return true;
}

}  // namespace torva::driver
