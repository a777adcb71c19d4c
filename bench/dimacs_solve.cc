// dimacs_solve [--preset NAME] [--set KEY=VALUE]... FILE: loads a DIMACS CNF into the solver,
// solves it with the preset's search and engine (classic, the default: the
// compiled-in configuration) and prints the result, the statistics lines and
// the solve time. Exit status 10 (satisfiable), 20 (unsatisfiable), 1 (error).
#include <sys/times.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "config.h"
#include "dimacs.h"
#include "engine/run_settings.h"
#include "solver/cadical_engine.h"
#include "solver/statistics.h"

int main(int argc, char** argv) {
    torva::Preset preset = torva::Preset::Classic;
    std::vector<std::string> assignments;
    bool usage = false;
    while (argc > 3 && !usage) {
        std::string option = argv[1], value = argv[2];
        if (option == "--preset" && torva::presetByName(value, preset))
            ;
        else if (option == "--set")
            assignments.push_back(value);
        else
            usage = true;
        argv += 2;
        argc -= 2;
    }
    if (usage || argc != 2) {
        std::fprintf(stderr, "usage: dimacs_solve [--preset %s] [--set KEY=VALUE]... FILE\n", torva::presetNames());
        return 1;
    }
    std::FILE* in = std::fopen(argv[1], "rb");
    if (in == nullptr) {
        std::fprintf(stderr, "cannot open %s\n", argv[1]);
        return 1;
    }
    torva::RunConfig config = torva::presetConfig(preset);
    std::string error;
    for (const std::string& assignment : assignments)
        if (!torva::applySetting(config, assignment, error)) {
            std::fprintf(stderr, "%s\n", error.c_str());
            return 1;
        }
    torva::commitConfig(config);
    const torva::PresetChoice& choice = config.choice;
    Solver S(prioParams[0]);
    S.verbosity = choice.search.restarts == SearchSettings::Restarts::Classic ? 1 : 0;
    S.settings = choice.search;
    bool loaded = loadDimacs(in, S, error);
    std::fclose(in);
    if (!loaded) {
        std::fprintf(stderr, "%s: %s\n", argv[1], error.c_str());
        return 1;
    }
    struct tms before, after;
    times(&before);
    bool sat = S.simplify() &&
               (choice.engine == torva::Engine::Cadical ? solveWithCadical(S) == l_True : S.solve(vec<Lit>()));
    times(&after);
    printStats(S);
    std::printf("Result: %s\n", sat ? "SAT" : "UNSAT");
    std::printf("Time:\t\t%.2f CPU sec.\n",
                static_cast<double>(after.tms_utime - before.tms_utime) / sysconf(_SC_CLK_TCK));
    return sat ? 10 : 20;
}
