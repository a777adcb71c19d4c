// A test-only module: exactly one of its bits is true. It exercises the whole
// module protocol: implications with reasons, conflicts returned after
// implications of the same call, decisions suggested through the shared
// assignment, and state (a decision cursor) restored after backtracks.
#pragma once

#include <vector>

#include "modules/module.h"
#include "solver/solver.h"

class ExactlyOne : public Module {
public:
    explicit ExactlyOne(std::vector<unsigned int> bits) : bits(std::move(bits)) {}

    // With bit t true every other open bit is implied false (reason: not it,
    // not t); a second true bit met after those is a conflict. With no bit
    // true, the last open bit is implied true (reason: it or any other).
    Clause* propagate(std::vector<int>* implied, unsigned int level) override {
        if (takeBacktrackFlag()) cursor = 0;
        for (unsigned int t : bits) {
            if (!isTrue(t)) continue;
            for (unsigned int b : bits) {
                if (b == t || isFalse(b)) continue;
                lits.clear();
                lits.push(negLit(isTrue(b) ? t : b));
                lits.push(negLit(isTrue(b) ? b : t));
                if (isTrue(b)) return conflictFromLits();
                imply(b, false, implied, level);
            }
            finished = true;
            return nullptr;
        }
        int open = -1;
        for (size_t i = 0; i < bits.size(); i++) {
            if (!isUndef(bits[i])) continue;
            if (open >= 0) return nullptr;
            open = static_cast<int>(i);
        }
        lits.clear();
        if (open >= 0) lits.push(posLit(bits[open]));
        for (size_t i = 0; i < bits.size(); i++)
            if (static_cast<int>(i) != open) lits.push(posLit(bits[i]));
        if (open < 0) return conflictFromLits();
        imply(bits[open], true, implied, level);
        return nullptr;
    }

    int decide(unsigned int) override {
        if (takeBacktrackFlag()) cursor = 0;
        while (cursor < bits.size() && !isUndef(bits[cursor])) cursor++;
        if (cursor == bits.size()) {
            finished = true;
            return -1;
        }
        assigns[static_cast<int>(bits[cursor])] = l_True;
        return static_cast<int>(bits[cursor]);
    }

    bool getFinished() override { return finished && backtrackFlags[id] < 0; }

    static ExactlyOne* attach(Solver& s, std::vector<unsigned int> bits, int prio);

private:
    std::vector<unsigned int> bits;
    size_t cursor = 0;
};

// Registers a module over the given bits the way the factory does.
template <class M>
M* registerModule(Solver& s, M* m, const std::vector<unsigned int>& bits, int prio) {
    m->id = static_cast<unsigned int>(s.nModules++);
    m->priority = prio;
    for (unsigned int b : bits) {
        while (b >= static_cast<unsigned>(s.nVars())) s.newVar(true, true);
        s.moduleWatches[b].push_back(m);
    }
    s.modules.push_back(m);
    Module::backtrackFlags.push(-1);
    s.prioModules[prio].push_back(static_cast<int>(m->id));
    return m;
}

inline ExactlyOne* ExactlyOne::attach(Solver& s, std::vector<unsigned int> bits, int prio) {
    return registerModule(s, new ExactlyOne(bits), bits, prio);
}
