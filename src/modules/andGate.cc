// AndGate: a true output forces every input true; a false output with all
// inputs but one true forces that one false; the output follows the inputs
// as soon as one is false or all are true. The decision cursor walks
// localVars and is reset by a backtrack.
#include "modules/andGate.h"

AndGate::AndGate(unsigned int moduleId, int prio, const std::vector<unsigned int>& outAndInputs)
    : Module(static_cast<int>(outAndInputs.size()), moduleId, prio),
      nBits(static_cast<int>(outAndInputs.size())),
      localVars(outAndInputs),
      cursor(0) {}

Clause* AndGate::propagate(std::vector<int>* implied, unsigned int level) {
    if (takeBacktrackFlag()) cursor = 0;
    const unsigned int o = localVars[0];
    if (isTrue(o)) return propagateOutputTrue(implied, level);
    if (isFalse(o)) return propagateOutputFalse(implied, level);
    propagateOutputOpen(implied, level);
    return nullptr;
}

Clause* AndGate::propagateOutputTrue(std::vector<int>* implied, unsigned int level) {
    const unsigned int o = localVars[0];
    for (int k = 1; k < nBits; k++) {
        const unsigned int in = localVars[k];
        if (isTrue(in)) continue;
        lits.clear();
        lits.push(posLit(in));
        lits.push(negLit(o));
        if (isFalse(in)) return conflictFromLits();
        imply(in, true, implied, level);
    }
    finished = true;
    return nullptr;
}

Clause* AndGate::propagateOutputFalse(std::vector<int>* implied, unsigned int level) {
    const unsigned int o = localVars[0];
    if (nBits > 1 && isFalse(localVars[1])) return nullptr;
    int nOpen = 0;
    int lastOpen = -1;
    for (int k = 1; k < nBits; k++) {
        if (isFalse(localVars[k])) return nullptr;
        if (isUndef(localVars[k])) {
            nOpen++;
            lastOpen = k;
        }
    }
    if (nOpen > 1) return nullptr;
    lits.clear();
    if (nOpen == 0) {
        lits.push(posLit(o));
        for (int k = 1; k < nBits; k++) lits.push(negLit(localVars[k]));
        return conflictFromLits();
    }
    lits.push(negLit(localVars[lastOpen]));
    for (int k = 1; k < nBits; k++)
        if (k != lastOpen) lits.push(negLit(localVars[k]));
    lits.push(posLit(o));
    imply(localVars[lastOpen], false, implied, level);
    finished = true;
    return nullptr;
}

void AndGate::propagateOutputOpen(std::vector<int>* implied, unsigned int level) {
    const unsigned int o = localVars[0];
    bool anyOpen = false;
    for (int k = 1; k < nBits; k++) {
        if (isFalse(localVars[k])) {
            lits.clear();
            lits.push(negLit(o));
            lits.push(posLit(localVars[k]));
            imply(o, false, implied, level);
            return;
        }
        if (isUndef(localVars[k])) anyOpen = true;
    }
    if (anyOpen) return;
    lits.clear();
    lits.push(posLit(o));
    for (int k = 1; k < nBits; k++) lits.push(negLit(localVars[k]));
    imply(o, true, implied, level);
}

int AndGate::decide(unsigned int) {
    if (takeBacktrackFlag()) cursor = 0;
    while (cursor < nBits && !isUndef(localVars[cursor])) cursor++;
    if (cursor == nBits) {
        finished = true;
        return -1;
    }
    const unsigned int o = localVars[0];
    const unsigned int x = localVars[cursor];
    assigns[static_cast<int>(x)] = isUndef(o) ? l_True : value(o);
    if (cursor == nBits - 1) finished = true;
    return static_cast<int>(x);
}

bool AndGate::getFinished() { return finished && backtrackFlags[id] < 0; }
