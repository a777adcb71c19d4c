// The clause-learning SAT solver with word-level module hooks: variables,
// problem and learnt clauses watched by two literals, the trail, propagation
// that interleaves module passes with clause propagation, conflict analysis,
// module-first decisions and the search loop, each steered by the run-time
// search choices in `settings` (the defaults are the classic search). The
// assignment itself lives in Module::assigns, shared with the modules.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "containers/alg.h"
#include "containers/heap.h"
#include "containers/vec.h"
#include "modules/module.h"
#include "solver/search_settings.h"
#include "solver/solver_types.h"

class Solver {
public:
    explicit Solver(int nPrio);
    Solver(const Solver&) = delete;
    Solver& operator=(const Solver&) = delete;
    ~Solver();

    // Problem construction.
    Var newVar(bool polarity = true, bool dvar = true);
    bool addClause(vec<Lit>& ps);

    // Solving.
    bool simplify();
    bool solve(const vec<Lit>& assumps);
    // solve() within the limits below: l_Undef when one of them stopped it.
    lbool solveLimited(const vec<Lit>& assumps);
    bool okay() const { return ok; }

    // Limits of each solve call: at most conflictBudget conflicts (0: no
    // limit), and a stop as soon as interrupt() returns true; it is polled
    // every 32 conflicts and every 1024 decisions.
    uint64_t conflictBudget = 0;
    std::function<bool()> interrupt;
    // Set when interrupt() stopped the last solve call.
    bool interrupted = false;

    lbool value(Var x) const { return Module::assigns[x]; }
    lbool value(Lit p) const { return litValue(Module::assigns[var(p)], p); }
    lbool modelValue(Lit p) const { return litValue(model[var(p)], p); }
    int nAssigns() const { return trail.size(); }
    int nClauses() const { return clauses.size(); }
    int nLearnts() const { return learnts.size(); }
    int nVars() const { return Module::assigns.size(); }
    int decisionLevel() const { return trail_lim.size(); }

    // Module registration state (filled by the module factory).
    int nModules;
    int nModulesAsClauses;
    int nSubstClauses;

    vec<lbool> model;
    vec<Lit> conflict;

    double var_decay;
    double clause_decay;
    double random_var_freq;
    int restart_first;
    double restart_inc;
    double learntsize_factor;
    double learntsize_inc;
    bool expensive_ccmin;
    int polarity_mode;
    int verbosity;
    SearchSettings settings;

    uint64_t starts, decisions, rnd_decisions, orig_decisions, propagations, conflicts;
    uint64_t clauses_literals, learnts_literals, max_literals, tot_literals;
    uint64_t skipped_length, skipped_rand;

    struct VarOrderLt {
        const vec<double>& activity;
        bool operator()(Var x, Var y) const { return activity[x] > activity[y]; }
        explicit VarOrderLt(const vec<double>& act) : activity(act) {}
    };

    bool ok;
    vec<Clause*> clauses;
    vec<Clause*> learnts;
    std::vector<Module*> modules;
    double cla_inc;
    vec<double> activity;
    double var_inc;
    vec<vec<Watcher>> watches;
    std::vector<std::vector<Module*>> moduleWatches;
    std::vector<std::vector<int>> prioModules;
    int currPrio;
    Clause* moduleConflCls;
    vec<char> polarity;
    vec<char> decision_var;
    vec<Lit> trail;
    vec<int> trail_lim;
    vec<Clause*> reason;
    vec<int> level;
    int qhead;
    int mqhead;
    int simpDB_assigns;
    int64_t simpDB_props;
    vec<Lit> assumptions;
    Heap<VarOrderLt> order_heap;
    double random_seed;
    double progress_estimate;
    bool remove_satisfied;

    vec<char> seen;
    vec<Lit> analyze_stack;
    vec<Lit> analyze_toclear;
    vec<Lit> add_tmp;

    // Clause database.
    void attachClause(Clause& c);
    void detachClause(Clause& c);
    void removeClause(Clause& c);
    bool satisfied(const Clause& c) const;
    bool locked(const Clause& c) const;

    // Assignment and propagation.
    void newDecisionLevel() { trail_lim.push(trail.size()); }
    void uncheckedEnqueue(Lit p, Clause* from = nullptr) {
        Var x = var(p);
        Module::assigns[x] = toLbool(!sign(p));
        level[x] = decisionLevel();
        reason[x] = from;
        trail.push(p);
    }
    Clause* propagate();
    void cancelUntil(int level);

    // Conflict analysis.
    void analyze(Clause* confl, vec<Lit>& out_learnt, int& out_btlevel);
    void analyzeFinal(Lit p, vec<Lit>& out_conflict);
    bool litRedundant(Lit p, uint32_t abstract_levels);
    void varBumpActivity(Var v);
    void varDecayActivity() { var_inc *= var_decay; }
    void claBumpActivity(Clause& c);
    void claDecayActivity() { cla_inc *= clause_decay; }

    // Search.
    lbool search(int nof_conflicts, int nof_learnts);
    bool limitReached(uint64_t count, uint64_t pollMask);
    uint64_t conflictsAtStart = 0;
    bool stopped = false;
    Lit pickBranchLit(int polarity_mode, double random_var_freq);
    void reduceDB();
    void reduceTiered();
    void removeSatisfied(vec<Clause*>& cs);
    double progressEstimate() const;

    static double drand(double& seed);
    static int irand(double& seed, int size) { return static_cast<int>(drand(seed) * size); }

private:
    // Module pass bookkeeping: ids of the modules woken in the current pass,
    // called in ascending id order, each once.
    std::vector<int> wokenModules;
    std::vector<char> moduleWoken;
    std::vector<int> implied;

    // Restart, reduction and phase state of the run-time search choices.
    double fastGlue = 0, slowGlue = 0;
    uint64_t gluesSeen = 0;
    uint64_t nextReduce = 0;
    int reductions = 0;
    int bestTrail = 0;
    vec<char> targetPhase;  // 0 positive, 1 negative, 2 none yet
    std::vector<uint64_t> levelStamp;
    uint64_t glueStamp = 0;
    std::vector<Clause*> reduceCandidates;

    uint32_t abstractLevel(Var x) const { return 1u << (level[x] & 31); }
    Clause* runModulePass();
    template <bool Blockers>
    Clause* propagateClauses(int& dequeued);
    // Marks the modules watching x as woken for the current pass or backtrack.
    void wakeModulesOf(Var x) {
        const std::vector<Module*>& watchers = moduleWatches[x];
        if (watchers.empty()) return;
        if (moduleWoken.size() < modules.size()) moduleWoken.resize(modules.size(), 0);
        for (Module* m : watchers) {
            if (moduleWoken[m->id]) continue;
            moduleWoken[m->id] = 1;
            wokenModules.push_back(static_cast<int>(m->id));
        }
    }
    bool tracksGlue() const {
        return settings.restarts == SearchSettings::Restarts::Glucose ||
               settings.learnts == SearchSettings::Learnts::Tiered;
    }
    bool restartDue(int conflictC, int nof_conflicts) const;
    bool reductionDue(int nof_learnts);
    uint32_t glueOf(const Lit* lits, int n);
    void noteGlue(uint32_t glue);
    void refreshGlue(Clause& c);
    void savePhases(int lvl);
    bool decisionSign(Var next, int polarity_mode);
    void printSearchHeader() const;
    void printProgressLine(const char* open, const char* close, int nof_learnts) const;
    bool decideSkipLearnt(const vec<Lit>& learnt_clause);
    void assertSkippedLearnt(const vec<Lit>& learnt_clause);
    void storeLearnt(const vec<Lit>& learnt_clause, uint32_t glue);
    void releaseModuleConflict();
    int decideInListInOrder(const std::vector<int>& list);
    int decideInListAtRandom(const std::vector<int>& list);
    void liftConflictLevel(const Clause& confl);
};
