// Assignment, propagation and backtracking. A propagation call runs passes:
// every module woken by a trail literal since the last pass is called once,
// in ascending id order, and its implications are put on the trail; then
// watched-literal clause propagation runs to completion. Passes repeat until
// neither engine assigns anything. Backtracking frees module reason clauses
// and records in Module::backtrackFlags the lowest level each touched module
// has been taken back to.
#include <algorithm>

#include "solver/solver.h"

Clause* Solver::runModulePass() {
    std::sort(wokenModules.begin(), wokenModules.end());
    Clause* confl = nullptr;
    for (size_t k = 0; k < wokenModules.size() && confl == nullptr; k++) {
        implied.clear();
        Clause* c = modules[wokenModules[k]]->propagate(&implied, static_cast<unsigned int>(decisionLevel()));
        for (int x : implied) {
            lbool val = Module::assigns[x];
            level[x] = decisionLevel();
            reason[x] = Module::conflictGraph[x].reason;
            trail.push(Lit(x, val == l_False));
        }
        if (c != nullptr) {
            TORVA_CHECK(moduleConflCls == nullptr, "Solver");
            moduleConflCls = c;
            confl = c;
        }
    }
    for (int id : wokenModules) moduleWoken[id] = 0;
    wokenModules.clear();
    return confl;
}

// With blockers, a watch whose blocker is true is kept without visiting its
// clause; every visited clause leaves its other watched literal as blocker.
template <bool Blockers>
Clause* Solver::propagateClauses(int& dequeued) {
    Clause* confl = nullptr;
    // The assignment does not move during propagation; reading it through a
    // local pointer spares reloading it after every byte store.
    const lbool* assigns = Module::assigns.begin();
    auto valueOf = [assigns](Lit q) { return litValue(assigns[var(q)], q); };
    while (qhead < trail.size()) {
        Lit p = trail[qhead++];
        vec<Watcher>& ws = watches[toInt(p)];
        dequeued++;
        Watcher* i = ws.begin();
        Watcher* j = i;
        Watcher* end = ws.end();
        Lit false_lit = ~p;
        while (i != end) {
            if constexpr (Blockers) {
                if (valueOf(i->blocker) == l_True) {
                    *j++ = *i++;
                    continue;
                }
            }
            Clause& c = *(i++)->clause;
            if (c[0] == false_lit) {
                c[0] = c[1];
                c[1] = false_lit;
            }
            TORVA_CHECK(c[1] == false_lit, "Solver");
            Lit first = c[0];
            if (valueOf(first) == l_True) {
                *j++ = Watcher{&c, first};
                continue;
            }
            bool moved = false;
            for (int k = 2; k < c.size(); k++) {
                if (valueOf(c[k]) != l_False) {
                    c[1] = c[k];
                    c[k] = false_lit;
                    watches[toInt(~c[1])].push(Watcher{&c, first});
                    moved = true;
                    break;
                }
            }
            if (moved) continue;
            *j++ = Watcher{&c, first};
            if (valueOf(first) == l_False) {
                confl = &c;
                qhead = trail.size();
                mqhead = trail.size();
                while (i < end) *j++ = *i++;
            } else {
                uncheckedEnqueue(first, &c);
            }
        }
        ws.shrink(static_cast<int>(i - j));
    }
    return confl;
}

Clause* Solver::propagate() {
    int dequeued = 0;
    Clause* confl = nullptr;
    for (;;) {
        if (!modules.empty())
            for (int i = mqhead; i < trail.size(); i++) wakeModulesOf(var(trail[i]));
        mqhead = trail.size();
        if (!wokenModules.empty()) {
            Clause* moduleConfl = runModulePass();
            if (moduleConfl != nullptr) return moduleConfl;
        }
        confl = settings.blockers ? propagateClauses<true>(dequeued) : propagateClauses<false>(dequeued);
        if (confl != nullptr || mqhead >= trail.size()) break;
    }
    propagations += static_cast<uint64_t>(dequeued);
    simpDB_props -= dequeued;
    return confl;
}

// Saved phases take the values being undone; target phases copy the whole
// trail whenever it is the longest seen since the last restart.
void Solver::savePhases(int lvl) {
    if (settings.phase == SearchSettings::Phase::Target && trail.size() > bestTrail) {
        if (targetPhase.size() < nVars()) targetPhase.growTo(nVars(), 2);
        for (int c = 0; c < trail.size(); c++) targetPhase[var(trail[c])] = static_cast<char>(sign(trail[c]));
        bestTrail = trail.size();
    }
    for (int c = trail.size() - 1; c >= trail_lim[lvl]; c--) polarity[var(trail[c])] = static_cast<char>(sign(trail[c]));
}

void Solver::cancelUntil(int lvl) {
    if (decisionLevel() <= lvl) return;
    if (settings.phase != SearchSettings::Phase::Classic) savePhases(lvl);
    for (int c = trail.size() - 1; c >= trail_lim[lvl]; c--) {
        Var x = var(trail[c]);
        Module::assigns[x] = l_Undef;
        if (decision_var[x] && !order_heap.inHeap(x)) order_heap.insert(x);
        ModuleImplication& rec = Module::conflictGraph[x];
        if (!rec.empty()) {
            std::free(rec.reason);
            rec.clear();
        }
        if (!modules.empty()) wakeModulesOf(x);
    }
    if (trail.size() > trail_lim[lvl]) currPrio = static_cast<int>(prioModules.size()) - 1;
    qhead = mqhead = trail_lim[lvl];
    trail.shrink(trail.size() - trail_lim[lvl]);
    trail_lim.shrink(trail_lim.size() - lvl);
    for (int id : wokenModules) {
        int& flag = Module::backtrackFlags[id];
        if (flag < 0 || flag > lvl) flag = lvl;
        moduleWoken[id] = 0;
    }
    wokenModules.clear();
}
