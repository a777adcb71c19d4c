// Every combination of the run-time search choices, with intervals short
// enough that restarts, reductions and rephasing happen on the small
// instances of the tests.
#pragma once

#include <string>
#include <vector>

#include "solver/search_settings.h"

inline std::vector<SearchSettings> searchVariants() {
    using S = SearchSettings;
    std::vector<S> all;
    for (S::Restarts r : {S::Restarts::Classic, S::Restarts::Luby, S::Restarts::Glucose})
        for (S::Phase p : {S::Phase::Classic, S::Phase::Saved, S::Phase::Target})
            for (S::Learnts l : {S::Learnts::Classic, S::Learnts::Tiered})
                for (S::ModuleDecisions d : {S::ModuleDecisions::First, S::ModuleDecisions::Activity})
                    for (bool blockers : {false, true}) {
                        S s;
                        s.restarts = r, s.phase = p, s.learnts = l, s.moduleDecisions = d, s.blockers = blockers;
                        s.lubyUnit = 3, s.glucoseMinConflicts = 4, s.glucoseMargin = 1.0;
                        s.reduceInterval = 15, s.coreGlue = 1, s.tier2Glue = 3;
                        all.push_back(s);
                    }
    return all;
}

inline std::string describe(const SearchSettings& s) {
    const char* restarts[] = {"classic", "luby", "glucose"};
    const char* phases[] = {"classic", "saved", "target"};
    const char* learnts[] = {"classic", "tiered"};
    const char* decisions[] = {"modules-first", "activity"};
    return std::string("restarts=") + restarts[static_cast<int>(s.restarts)] +
           " phase=" + phases[static_cast<int>(s.phase)] + " learnts=" + learnts[static_cast<int>(s.learnts)] +
           " decisions=" + decisions[static_cast<int>(s.moduleDecisions)] + (s.blockers ? " blockers" : "");
}
