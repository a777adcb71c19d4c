// BitLink: gives the open bit of the pair the value the tie asks for when
// the other bit is assigned, and reports a conflict when both are assigned
// against the tie.
#include "modules/bitLink.h"

template <bool SameValue>
BitLink<SameValue>::BitLink(unsigned int moduleId, int prio, unsigned int out, unsigned int in)
    : Module(2, moduleId, prio), localVars{out, in} {}

template <bool SameValue>
Clause* BitLink<SameValue>::propagate(std::vector<int>* implied, unsigned int level) {
    takeBacktrackFlag();
    const unsigned int o = localVars[0];
    const unsigned int i = localVars[1];
    if (isUndef(o) && isUndef(i)) return nullptr;
    if (isUndef(o) || isUndef(i)) {
        const unsigned int known = isUndef(o) ? i : o;
        const unsigned int open = isUndef(o) ? o : i;
        const bool val = isTrue(known) == SameValue;
        lits.clear();
        lits.push(val ? posLit(open) : negLit(open));
        lits.push(falseLit(known));
        imply(open, val, implied, level);
        // The identity is finished by the copy; the inverter only by the call
        // that finds both bits assigned.
        if constexpr (SameValue) finished = true;
        return nullptr;
    }
    if ((value(o) == value(i)) == SameValue) {
        finished = true;
        return nullptr;
    }
    lits.clear();
    lits.push(falseLit(o));
    lits.push(falseLit(i));
    return conflictFromLits();
}

template <bool SameValue>
int BitLink<SameValue>::decide(unsigned int) {
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

template <bool SameValue>
bool BitLink<SameValue>::getFinished() {
    return finished && backtrackFlags[id] < 0;
}

template class BitLink<true>;
template class BitLink<false>;
