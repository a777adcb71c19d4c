// Inverter_SingleBit: gives the unassigned bit the opposite value of the
// assigned one and reports a conflict when both carry the same value.
#include "modules/inverter_singlebit.h"

Inverter_SingleBit::Inverter_SingleBit(unsigned int moduleId, int prio, unsigned int out, unsigned int in)
    : Module(2, moduleId, prio), localVars{out, in} {}

Clause* Inverter_SingleBit::propagate(std::vector<int>* implied, unsigned int level) {
    takeBacktrackFlag();
    const unsigned int o = localVars[0];
    const unsigned int i = localVars[1];
    if (isUndef(o) && isUndef(i)) return nullptr;
    if (isUndef(o) || isUndef(i)) {
        const unsigned int known = isUndef(o) ? i : o;
        const unsigned int open = isUndef(o) ? o : i;
        const bool val = !isTrue(known);
        lits.clear();
        lits.push(val ? posLit(open) : negLit(open));
        lits.push(falseLit(known));
        imply(open, val, implied, level);
        return nullptr;
    }
    if (value(o) != value(i)) {
        finished = true;
        return nullptr;
    }
    lits.clear();
    lits.push(falseLit(o));
    lits.push(falseLit(i));
    return conflictFromLits();
}

int Inverter_SingleBit::decide(unsigned int) {
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

bool Inverter_SingleBit::getFinished() { return finished && backtrackFlags[id] < 0; }
