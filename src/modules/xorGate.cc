// XorGate: treats output and inputs alike; with one bit open it gets the
// value that makes the count of true bits even, with none open an odd count
// is a conflict over every bit.
#include "modules/xorGate.h"

XorGate::XorGate(unsigned int moduleId, int prio, const std::vector<unsigned int>& outAndInputs)
    : BitGate(moduleId, prio, outAndInputs) {}

Clause* XorGate::propagate(std::vector<int>* implied, unsigned int level) {
    restartAfterBacktrack();
    advanceCursor();
    int nTrue = 0;
    int nOpen = 0;
    for (unsigned int x : localVars) {
        if (isTrue(x)) nTrue++;
        if (isUndef(x)) nOpen++;
    }
    if (nOpen > 1) return nullptr;
    lits.clear();
    if (nOpen == 0) {
        if (nTrue % 2 == 0) return nullptr;
        for (unsigned int x : localVars) lits.push(falseLit(x));
        return conflictFromLits();
    }
    const unsigned int open = localVars[cursor];
    const bool val = nTrue % 2 == 1;
    lits.push(val ? posLit(open) : negLit(open));
    for (int k = 0; k < nBits; k++)
        if (k != cursor) lits.push(falseLit(localVars[k]));
    imply(open, val, implied, level);
    finished = true;
    return nullptr;
}

int XorGate::decide(unsigned int) {
    if (!findOpenBit()) return -1;
    int nTrue = 0;
    int nOpen = 0;
    for (int k = 1; k < nBits; k++) {
        if (isTrue(localVars[k])) nTrue++;
        if (isUndef(localVars[k])) nOpen++;
    }
    const unsigned int o = localVars[0];
    const unsigned int x = localVars[cursor];
    if (isUndef(o)) {
        if (nOpen > 0) assigns[static_cast<int>(o)] = (nOpen < 2 || nTrue % 2 == 0) ? l_True : l_False;
    } else if (nOpen >= 2) {
        assigns[static_cast<int>(x)] = toLbool((nTrue + (isTrue(o) ? 1 : 0)) % 2 == 1);
    }
    return static_cast<int>(x);
}
