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

    int cursor = 0;
    int calls = 0;

    Clause* propagate(std::vector<int>* implied, unsigned int level) override {
        calls++;
        takeBacktrack();
        for (size_t i = 0; i < bits.size(); i++)
            if (isTrue(bits[i])) return forceOthersFalse(static_cast<unsigned>(i), implied, level);
        return forceLastOpenTrue(implied, level);
    }

    int decide(unsigned int) override {
        takeBacktrack();
        while (cursor < static_cast<int>(bits.size()) && !isUndef(bits[cursor])) cursor++;
        if (cursor == static_cast<int>(bits.size())) {
            finished = true;
            return -1;
        }
        assigns[static_cast<int>(bits[cursor])] = l_True;
        return static_cast<int>(bits[cursor]);
    }

    bool getFinished() override { return finished && backtrackFlags[id] < 0; }

    // Registers the module the way the factory does.
    static ExactlyOne* attach(Solver& s, std::vector<unsigned int> bits, int prio) {
        ExactlyOne* m = new ExactlyOne(bits);
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

    std::vector<unsigned int> bits;

private:
    void takeBacktrack() {
        if (takeBacktrackFlag()) cursor = 0;
    }

    // With bit t true every other open bit is implied false; a second true
    // bit met after those implications is reported as a conflict.
    Clause* forceOthersFalse(unsigned int t, std::vector<int>* implied, unsigned int level) {
        for (size_t i = 0; i < bits.size(); i++) {
            if (i == t || isFalse(bits[i])) continue;
            lits.clear();
            if (isTrue(bits[i])) {
                lits.push(negLit(bits[t]));
                lits.push(negLit(bits[i]));
                return conflictFromLits();
            }
            lits.push(negLit(bits[i]));
            lits.push(negLit(bits[t]));
            imply(bits[i], false, implied, level);
        }
        finished = true;
        return nullptr;
    }

    Clause* forceLastOpenTrue(std::vector<int>* implied, unsigned int level) {
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
};
