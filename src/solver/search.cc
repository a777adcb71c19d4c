// The search loop and its surroundings: solve() with its progress table,
// search() with learnt-clause storing or skipping, and level-0
// simplification. Restart and reduction policies have files of their own.
#include <cmath>
#include <cstdio>

#include "config.h"
#include "solver/solver.h"

double Solver::drand(double& seed) {
    seed *= 1389796;
    int q = static_cast<int>(seed / 2147483647);
    seed -= static_cast<double>(q) * 2147483647;
    return seed / 2147483647;
}

namespace {
const char* const ruleLine = "===============================================================================\n";

void writeTableLine(const char* text) {
    std::fflush(stdout);
    std::fputs(text, stderr);
    std::fflush(stderr);
}

struct VarFilter {
    const Solver& s;
    explicit VarFilter(const Solver& solver) : s(solver) {}
    bool operator()(Var v) const { return s.value(v) == l_Undef && s.decision_var[v]; }
};

}  // namespace

void Solver::printSearchHeader() const {
    char line[128];
    writeTableLine("============================[ Search Statistics ]==============================\n");
    std::snprintf(line, sizeof line, "|  Modules: %4d  (substituting %8d clauses)       Clauses: %8d     |\n", nModules,
                  nSubstClauses, nClauses());
    writeTableLine(line);
    std::snprintf(line, sizeof line, "|           %4d modules are represented by clauses                           |\n",
                  nModulesAsClauses);
    writeTableLine(line);
    writeTableLine("| Conflicts |          ORIGINAL         |          LEARNT          | Progress |\n");
    writeTableLine("|           |    Vars  Clauses Literals |    Limit  Clauses Lit/Cl |          |\n");
    writeTableLine(ruleLine);
}

void Solver::printProgressLine(const char* open, const char* close, int nof_learnts) const {
    char line[256];
    std::snprintf(line, sizeof line, "%s %9d | %7d %8d %8d | %8d %8d %6.0f | %6.3f %% %s\n", open,
                  static_cast<int>(conflicts), order_heap.size(), nClauses(), static_cast<int>(clauses_literals),
                  nof_learnts, nLearnts(), static_cast<double>(learnts_literals) / nLearnts(),
                  progress_estimate * 100, close);
    writeTableLine(line);
}

bool Solver::solve(const vec<Lit>& assumps) {
    lbool status = solveLimited(assumps);
    TORVA_CHECK(status != l_Undef, "Solver");
    return status == l_True;
}

lbool Solver::solveLimited(const vec<Lit>& assumps) {
    model.clear();
    conflict.clear();
    stopped = false;
    interrupted = false;
    conflictsAtStart = conflicts;
    if (!ok) return l_False;
    assumps.copyTo(assumptions);
    if (!toClses.clsesSubstByMods) nSubstClauses = 0;

    double nof_conflicts = restart_first;
    double nof_learnts = (nClauses() + nSubstClauses) * learntsize_factor;
    lbool status = l_Undef;

    if (verbosity >= 1) printSearchHeader();
    while (status == l_Undef && !stopped) {
        if (verbosity >= 1) printProgressLine("|", "|", static_cast<int>(nof_learnts));
        status = search(static_cast<int>(nof_conflicts), static_cast<int>(nof_learnts));
        nof_learnts *= learntsize_inc;
        toClses.origDecs *= toClses.origDecsInc;
        if (status == l_Undef) nof_conflicts *= restart_inc;
    }
    if (verbosity >= 1) {
        printProgressLine(">", "<", static_cast<int>(nof_learnts));
        writeTableLine(ruleLine);
    }

    if (status == l_True) {
        model.growTo(nVars());
        for (int i = 0; i < nVars(); i++) model[i] = value(i);
    } else if (status == l_False) {
        if (conflict.size() == 0) ok = false;
    }
    cancelUntil(0);
    for (ModuleImplication& rec : Module::conflictGraph) {
        if (rec.empty()) continue;
        std::free(rec.reason);
        rec.clear();
    }
    return status;
}

// Whether a limit stops the search; the callback is polled when the count
// passes a multiple of pollMask + 1.
bool Solver::limitReached(uint64_t count, uint64_t pollMask) {
    if (conflictBudget != 0 && conflicts - conflictsAtStart >= conflictBudget) stopped = true;
    if (!stopped && interrupt && (count & pollMask) == 0 && interrupt()) stopped = interrupted = true;
    return stopped;
}

// A module may report a conflict whose literals all lie below the current
// decision level; analysis needs one at the conflict's own level, so the
// search first returns to the highest level the conflict mentions.
void Solver::liftConflictLevel(const Clause& confl) {
    int highest = 0;
    for (int i = 0; i < confl.size(); i++)
        if (level[var(confl[i])] > highest) highest = level[var(confl[i])];
    if (highest < decisionLevel()) cancelUntil(highest);
}

// A long learnt clause, or one that loses a random draw, is skipped: it only
// serves as the reason of its asserting literal and is freed on backtracking.
bool Solver::decideSkipLearnt(const vec<Lit>& learnt_clause) {
    bool skip = false;
    if (toClses.clseLength != -1.0 && learnt_clause.size() > toClses.clseLength * nVars()) {
        skip = true;
        skipped_length++;
    }
    if (toClses.randLearnt != -1.0 && drand(random_seed) > toClses.randLearnt) {
        skip = true;
        skipped_rand++;
    }
    return skip;
}

void Solver::assertSkippedLearnt(const vec<Lit>& learnt_clause) {
    Lit asserting = learnt_clause[0];
    ModuleImplication& rec = Module::conflictGraph[var(asserting)];
    TORVA_CHECK(rec.empty(), "Solver");
    rec.negLevel = -decisionLevel();
    rec.moduleId = nModules;
    rec.reason = Clause_new(learnt_clause, false);
    uncheckedEnqueue(asserting, rec.reason);
}

void Solver::storeLearnt(const vec<Lit>& learnt_clause, uint32_t glue) {
    Clause* c = Clause_new(learnt_clause, true);
    c->setGlue(glue);
    learnts.push(c);
    attachClause(*c);
    claBumpActivity(*c);
    uncheckedEnqueue(learnt_clause[0], c);
}

lbool Solver::search(int nof_conflicts, int nof_learnts) {
    TORVA_CHECK(ok, "Solver");
    int backtrack_level;
    int conflictC = 0;
    vec<Lit> learnt_clause;
    starts++;

    for (;;) {
        Clause* confl = propagate();
        if (confl != nullptr) {
            conflicts++;
            if (confl == moduleConflCls) liftConflictLevel(*confl);
            if (decisionLevel() == 0) {
                releaseModuleConflict();
                return l_False;
            }
            learnt_clause.clear();
            conflictC++;
            analyze(confl, learnt_clause, backtrack_level);
            uint32_t glue = 0;
            if (tracksGlue()) {
                glue = glueOf(learnt_clause.begin(), learnt_clause.size());
                noteGlue(glue);
            }
            if (learnt_clause.size() == 1) {
                cancelUntil(0);
                TORVA_CHECK(value(learnt_clause[0]) == l_Undef, "Solver");
                uncheckedEnqueue(learnt_clause[0]);
            } else {
                bool skip = decideSkipLearnt(learnt_clause);
                cancelUntil(backtrack_level);
                TORVA_CHECK(value(learnt_clause[0]) == l_Undef, "Solver");
                if (skip) {
                    assertSkippedLearnt(learnt_clause);
                    conflictC--;  // a skipped clause does not use up the conflict budget
                } else {
                    storeLearnt(learnt_clause, glue);
                }
            }
            releaseModuleConflict();
            varDecayActivity();
            claDecayActivity();
            if (limitReached(conflicts, 31)) {
                cancelUntil(0);
                return l_Undef;
            }
            continue;
        }

        if (restartDue(conflictC, nof_conflicts)) {
            progress_estimate = progressEstimate();
            bestTrail = 0;
            cancelUntil(0);
            return l_Undef;
        }
        if (decisionLevel() == 0 && !simplify()) return l_False;
        if (reductionDue(nof_learnts)) {
            if (settings.learnts == SearchSettings::Learnts::Tiered)
                reduceTiered();
            else
                reduceDB();
        }

        Lit next = lit_Undef;
        while (decisionLevel() < assumptions.size()) {
            Lit p = assumptions[decisionLevel()];
            if (value(p) == l_True) {
                newDecisionLevel();
            } else if (value(p) == l_False) {
                analyzeFinal(~p, conflict);
                return l_False;
            } else {
                next = p;
                break;
            }
        }
        if (next == lit_Undef) {
            decisions++;
            if (limitReached(decisions, 1023)) {
                cancelUntil(0);
                return l_Undef;
            }
            next = pickBranchLit(polarity_mode, random_var_freq);
            if (next == lit_Undef) return l_True;
        }
        newDecisionLevel();
        uncheckedEnqueue(next);
    }
}

double Solver::progressEstimate() const {
    double progress = 0;
    double F = 1.0 / nVars();
    for (int i = 0; i <= decisionLevel(); i++) {
        int beg = i == 0 ? 0 : trail_lim[i - 1];
        int end = i == decisionLevel() ? trail.size() : trail_lim[i];
        progress += std::pow(F, i) * (end - beg);
    }
    return progress / nVars();
}

void Solver::removeSatisfied(vec<Clause*>& cs) {
    int i, j;
    for (i = j = 0; i < cs.size(); i++) {
        if (satisfied(*cs[i]))
            removeClause(*cs[i]);
        else
            cs[j++] = cs[i];
    }
    cs.shrink(i - j);
}

bool Solver::simplify() {
    TORVA_CHECK(decisionLevel() == 0, "Solver");
    mqhead = 0;
    if (!ok || propagate() != nullptr) {
        releaseModuleConflict();
        return ok = false;
    }
    if (nAssigns() == simpDB_assigns || simpDB_props > 0) return true;
    removeSatisfied(learnts);
    if (remove_satisfied) removeSatisfied(clauses);
    order_heap.filter(VarFilter(*this));
    simpDB_assigns = nAssigns();
    simpDB_props = static_cast<int64_t>(clauses_literals + learnts_literals);
    return true;
}
