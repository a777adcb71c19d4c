// Choice of the next decision: the modules of the highest non-empty priority
// list are asked first (list 0 never, and none when the settings leave the
// decisions to the activity heap); only when they have nothing to decide
// does the activity heap (with occasional random picks) choose, with the
// sign the settings name.
#include <vector>

#include "config.h"
#include "solver/solver.h"

namespace {
// The decision literal of a variable a module chose: true under the value the
// module left in the assignment (positive when it left none).
Lit moduleDecision(int v) { return Lit(v, Module::assigns[v] == l_False); }
}  // namespace

int Solver::decideInListInOrder(const std::vector<int>& list) {
    for (int id : list) {
        Module* m = modules[id];
        if (m->getFinished()) continue;
        int v = m->decide(static_cast<unsigned int>(decisionLevel()));
        if (v >= 0) return v;
    }
    return -1;
}

// Random picks among the list; a module that had nothing to decide is not
// asked again, so the draw ends when the whole list is exhausted.
int Solver::decideInListAtRandom(const std::vector<int>& list) {
    bool anyOpen = false;
    for (int id : list)
        if (!modules[id]->getFinished()) anyOpen = true;
    if (!anyOpen) return -1;
    std::vector<char> exhausted(list.size(), 0);
    size_t left = list.size();
    while (left > 0) {
        size_t index = static_cast<size_t>(drand(random_seed) * list.size());
        int v = modules[list[index]]->decide(static_cast<unsigned int>(decisionLevel()));
        if (v >= 0) return v;
        if (!exhausted[index]) {
            exhausted[index] = 1;
            left--;
        }
    }
    return -1;
}

// True for the negative literal of next (var_Undef when nothing is left to
// decide; the random mode still draws then).
bool Solver::decisionSign(Var next, int polarity_mode) {
    switch (settings.phase) {
        case SearchSettings::Phase::Classic: break;
        case SearchSettings::Phase::Target:
            if (next != var_Undef && next < targetPhase.size() && targetPhase[next] != 2) return targetPhase[next] == 1;
            [[fallthrough]];
        case SearchSettings::Phase::Saved: return next != var_Undef && polarity[next] == 1;
    }
    switch (polarity_mode) {
        case 0: return false;
        case 1: return true;
        case 2: return next != var_Undef && polarity[next] == 1;
        case 3: return static_cast<int>(2 * drand(random_seed)) != 0;
        default: TORVA_CHECK(false, "Solver");
    }
    return false;
}

Lit Solver::pickBranchLit(int polarity_mode, double random_var_freq) {
    if (settings.moduleDecisions == SearchSettings::ModuleDecisions::First && drand(random_seed) >= toClses.origDecs &&
        currPrio != 0) {
        while (currPrio != 0) {
            const std::vector<int>& list = prioModules[currPrio];
            int v = toClses.pureStaticDec ? decideInListInOrder(list) : decideInListAtRandom(list);
            if (v >= 0) return moduleDecision(v);
            currPrio--;
        }
    }

    orig_decisions++;
    Var next = var_Undef;
    if (drand(random_seed) < random_var_freq && !order_heap.empty()) {
        next = order_heap[irand(random_seed, order_heap.size())];
        if (value(next) == l_Undef && decision_var[next]) rnd_decisions++;
    }
    while (next == var_Undef || value(next) != l_Undef || !decision_var[next]) {
        if (order_heap.empty()) {
            next = var_Undef;
            break;
        }
        next = order_heap.removeMin();
    }

    bool negative = decisionSign(next, polarity_mode);
    return next == var_Undef ? lit_Undef : Lit(next, negative);
}
