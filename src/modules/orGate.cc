// OrGate: a false output forces every input false; a true output with all
// inputs but one false forces that one true; the output follows the inputs
// as soon as one is true or all are false. The decision cursor walks
// localVars and is reset by a backtrack.
#include "modules/orGate.h"

OrGate::OrGate(unsigned int moduleId, int prio, const std::vector<unsigned int>& outAndInputs)
    : Module(static_cast<int>(outAndInputs.size()), moduleId, prio),
      nBits(static_cast<int>(outAndInputs.size())),
      localVars(outAndInputs),
      cursor(0) {}

Clause* OrGate::propagate(std::vector<int>* implied, unsigned int level) {
    if (takeBacktrackFlag()) cursor = 0;
    const unsigned int o = localVars[0];
    if (isFalse(o)) return propagateOutputFalse(implied, level);
    if (isTrue(o)) return propagateOutputTrue(implied, level);
    propagateOutputOpen(implied, level);
    return nullptr;
}

Clause* OrGate::propagateOutputFalse(std::vector<int>* implied, unsigned int level) {
    const unsigned int o = localVars[0];
    for (int k = 1; k < nBits; k++) {
        const unsigned int in = localVars[k];
        if (isFalse(in)) continue;
        lits.clear();
        if (isTrue(in)) {
            lits.push(posLit(o));
            lits.push(negLit(in));
            return conflictFromLits();
        }
        lits.push(negLit(in));
        lits.push(posLit(o));
        imply(in, false, implied, level);
    }
    finished = true;
    return nullptr;
}

// The reason of an implied input lists the output first among the other
// bits: (input, not o, the other inputs).
Clause* OrGate::propagateOutputTrue(std::vector<int>* implied, unsigned int level) {
    const unsigned int o = localVars[0];
    if (nBits > 1 && isTrue(localVars[1])) return nullptr;
    int nOpen = 0;
    int lastOpen = -1;
    for (int k = 1; k < nBits; k++) {
        if (isTrue(localVars[k])) return nullptr;
        if (isUndef(localVars[k])) {
            nOpen++;
            lastOpen = k;
        }
    }
    if (nOpen > 1) return nullptr;
    lits.clear();
    if (nOpen == 0) {
        lits.push(negLit(o));
        for (int k = 1; k < nBits; k++) lits.push(posLit(localVars[k]));
        return conflictFromLits();
    }
    lits.push(posLit(localVars[lastOpen]));
    lits.push(negLit(o));
    for (int k = 1; k < nBits; k++)
        if (k != lastOpen) lits.push(posLit(localVars[k]));
    imply(localVars[lastOpen], true, implied, level);
    finished = true;
    return nullptr;
}

void OrGate::propagateOutputOpen(std::vector<int>* implied, unsigned int level) {
    const unsigned int o = localVars[0];
    bool anyOpen = false;
    for (int k = 1; k < nBits; k++) {
        if (isTrue(localVars[k])) {
            lits.clear();
            lits.push(posLit(o));
            lits.push(negLit(localVars[k]));
            imply(o, true, implied, level);
            return;
        }
        if (isUndef(localVars[k])) anyOpen = true;
    }
    if (anyOpen) return;
    lits.clear();
    lits.push(negLit(o));
    for (int k = 1; k < nBits; k++) lits.push(posLit(localVars[k]));
    imply(o, false, implied, level);
}

int OrGate::decide(unsigned int) {
    if (takeBacktrackFlag()) cursor = 0;
    while (cursor < nBits && !isUndef(localVars[cursor])) cursor++;
    if (cursor == nBits) {
        finished = true;
        return -1;
    }
    const unsigned int o = localVars[0];
    const unsigned int x = localVars[cursor];
    assigns[static_cast<int>(x)] = isUndef(o) ? l_False : value(o);
    if (cursor == nBits - 1) finished = true;
    return static_cast<int>(x);
}

bool OrGate::getFinished() { return finished && backtrackFlags[id] < 0; }
