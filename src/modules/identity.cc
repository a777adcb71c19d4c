// Identity: copies whichever of the two bits is assigned onto the other and
// reports a conflict when both are assigned with different values.
#include "modules/identity.h"

Identity::Identity(unsigned int moduleId, int prio, unsigned int out, unsigned int in)
    : Module(2, moduleId, prio), localVars{out, in} {}

Clause* Identity::propagate(std::vector<int>* implied, unsigned int level) {
    takeBacktrackFlag();
    const unsigned int o = localVars[0];
    const unsigned int i = localVars[1];
    if (isUndef(o)) {
        if (isUndef(i)) return nullptr;
        const bool val = isTrue(i);
        lits.clear();
        lits.push(val ? posLit(o) : negLit(o));
        lits.push(falseLit(i));
        imply(o, val, implied, level);
        finished = true;
        return nullptr;
    }
    if (isUndef(i)) {
        const bool val = isTrue(o);
        lits.clear();
        lits.push(val ? posLit(i) : negLit(i));
        lits.push(falseLit(o));
        imply(i, val, implied, level);
        finished = true;
        return nullptr;
    }
    if (value(o) == value(i)) {
        finished = true;
        return nullptr;
    }
    lits.clear();
    lits.push(falseLit(o));
    lits.push(falseLit(i));
    return conflictFromLits();
}

int Identity::decide(unsigned int) {
    takeBacktrackFlag();
    const unsigned int o = localVars[0];
    const unsigned int i = localVars[1];
    if (!isUndef(o) && !isUndef(i)) {
        finished = true;
        return -1;
    }
    if (isUndef(o) && isUndef(i)) {
        assigns[static_cast<int>(o)] = l_True;
        return static_cast<int>(o);
    }
    return static_cast<int>(isUndef(o) ? o : i);
}

bool Identity::getFinished() { return finished && backtrackFlags[id] < 0; }
