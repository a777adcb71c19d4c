// Run-time choices of the search. The defaults are the classic search:
// a geometric restart budget switched by toClses.noRestarts, a fixed negative
// decision sign, the halving learnt-clause reduction and module-first
// decisions. The other values give the search of a present-day clause-learning
// solver; every choice keeps module reasons and backtrack flags intact.
#pragma once

struct SearchSettings {
    enum class Restarts {
        Classic,  // the conflict budget of solve(), when toClses.noRestarts is off
        Luby,       // lubyUnit times the Luby sequence
        Glucose,    // when the recent learnt-clause glue exceeds the long-run glue
    };
    enum class Phase {
        Classic,  // the solver's polarity_mode
        Saved,      // the value a variable had when it was last unassigned
        Target,     // the value in the longest conflict-free trail since the last restart, else the saved one
    };
    enum class Learnts {
        Classic,  // halve the database when it exceeds the budget of solve()
        Tiered,     // keep low-glue clauses, reduce the rest on a conflict schedule
    };
    enum class ModuleDecisions {
        First,     // modules decide first, by priority list
        Activity,  // the activity heap decides alone
    };

    Restarts restarts = Restarts::Classic;
    Phase phase = Phase::Classic;
    Learnts learnts = Learnts::Classic;
    ModuleDecisions moduleDecisions = ModuleDecisions::First;
    // Clause propagation skips a clause whose blocker is true and keeps the
    // watch in place (the classic propagation moves it).
    bool blockers = false;

    int lubyUnit = 100;            // conflicts per Luby unit
    int glucoseMinConflicts = 50;  // conflicts between two glue restarts at least
    double glucoseMargin = 1.25;   // restart when fast glue > margin x slow glue
    int reduceInterval = 300;      // reduction k comes reduceInterval x sqrt(k) conflicts after k - 1
    int reduceShare = 75;          // percent of the reducible clauses each reduction deletes
    int coreGlue = 2;              // clauses of at most this glue are kept for good
    int tier2Glue = 6;             // kept while they take part in conflicts
};
