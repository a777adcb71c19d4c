// dimacs_solve [--preset NAME] [--set KEY=VALUE]... FILE: loads a DIMACS CNF into the solver,
// solves it with the preset's search and engine (spec, the default: the
// compiled-in configuration) and prints the result, the statistics lines and
// the solve time. Exit status 10 (satisfiable), 20 (unsatisfiable), 1 (error).
#include <sys/times.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "config.h"
#include "dimacs.h"
#include "generator/presets.h"
#include "solver/cadical_engine.h"
#include "solver/statistics.h"

int main(int argc, char** argv) {
    torva::Preset preset = torva::Preset::Spec;
    std::vector<std::pair<const torva::ChoiceKey*, std::string>> settings;
    bool usage = false;
    while (argc > 3 && !usage) {
        std::string option = argv[1], value = argv[2];
        size_t equals = value.find('=');
        const torva::ChoiceKey* key = option == "--set" && equals != std::string::npos
                                          ? torva::findChoiceKey(value.substr(0, equals))
                                          : nullptr;
        if (option == "--preset" && torva::presetByName(value, preset))
            ;
        else if (key != nullptr)
            settings.emplace_back(key, value.substr(equals + 1));
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
    torva::PresetChoice choice = torva::applyPreset(preset);
    std::string error;
    for (const auto& [key, value] : settings)
        if (!torva::setChoice(choice, *key, value, error)) {
            std::fprintf(stderr, "%s\n", error.c_str());
            return 1;
        }
    Solver S(prioParams[0]);
    S.verbosity = choice.search.restarts == SearchSettings::Restarts::Specified ? 1 : 0;
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
               (choice.engine == torva::Engine::Cadical ? solveWithCadical(S) : S.solve(vec<Lit>()));
    times(&after);
    printStats(S);
    std::printf("Result: %s\n", sat ? "SAT" : "UNSAT");
    std::printf("Time:\t\t%.2f CPU sec.\n",
                static_cast<double>(after.tms_utime - before.tms_utime) / sysconf(_SC_CLK_TCK));
    return sat ? 10 : 20;
}
