// torva-fuzz: random and mutational testing of torva, for anyone who wants
// to test it (or the readers of another build) in their own setting.
#include <cstdio>
#include <cstring>

#include "commands.h"

namespace {
void usage(FILE* out) {
    std::fputs(
        "usage: torva-fuzz COMMAND [options]\n"
        "\n"
        "  random    random benchmarks and scripts in every configuration profile and\n"
        "            shape, decided by the solver library through the benchmark path or\n"
        "            the term-graph paths, every answer and model checked against a\n"
        "            reference evaluator and enumeration (--profile arrays: sessions\n"
        "            with arrays and uninterpreted functions); failing cases are kept\n"
        "  sessions  random SMT-LIB 2 sessions (push/pop, facts, assumptions, values,\n"
        "            cores, reset-assertions) through an incremental solver of every\n"
        "            kind, each answer against enumeration, each core re-checked\n"
        "  api       random call sequences of the C++ interface (terms, scopes, checks,\n"
        "            assumptions, values, cores, options, misuse) against a model of the\n"
        "            solver with brute force; failing sequences are kept, shrunk, as\n"
        "            GoogleTest cases\n"
        "  readers   mutated SMT-LIB 1 benchmarks, --extended inputs or SMT-LIB 2\n"
        "            scripts run through a torva binary, each run judged by what its\n"
        "            language allows (exit status, responses, answers of known\n"
        "            scripts); faults are kept and can be shrunk (--minimize)\n"
        "\n"
        "'torva-fuzz COMMAND --help' lists a command's options.\n",
        out);
}
}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || !std::strcmp(argv[1], "--help") || !std::strcmp(argv[1], "-h")) {
        usage(argc < 2 ? stderr : stdout);
        return argc < 2 ? 2 : 0;
    }
    if (!std::strcmp(argv[1], "random")) return runRandomCampaign(argc - 1, argv + 1);
    if (!std::strcmp(argv[1], "sessions")) return runSessionCampaign(argc - 1, argv + 1);
    if (!std::strcmp(argv[1], "api")) return runApiCampaign(argc - 1, argv + 1);
    if (!std::strcmp(argv[1], "readers")) return runReaderFuzzing(argc - 1, argv + 1);
    std::fprintf(stderr, "torva-fuzz: unknown command '%s'\n", argv[1]);
    usage(stderr);
    return 2;
}
