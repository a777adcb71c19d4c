// EqGate: a true output copies each assigned operand bit onto its partner; a
// false output with every pair but one equal forces the last open bit to
// differ from its partner; an open output follows the pairs once one differs
// or all are equal.
#include "modules/eqGate.h"

EqGate::EqGate(unsigned int moduleId, int prio, const std::vector<unsigned int>& a,
               const std::vector<unsigned int>& b, unsigned int out)
    : Module(static_cast<int>(2 * a.size()), moduleId, prio),
      nIn(static_cast<int>(2 * a.size())),
      input_1(a),
      input_2(b),
      output(out) {}

Clause* EqGate::propagate(std::vector<int>* implied, unsigned int level) {
    takeBacktrackFlag();
    if (isTrue(output)) return propagateEqual(implied, level);
    if (isFalse(output)) return propagateDifferent(implied, level);
    propagateOutputOpen(implied, level);
    return nullptr;
}

void EqGate::pushPairFalseLits() {
    for (int j = 0; j < width(); j++) {
        lits.push(falseLit(input_1[j]));
        lits.push(falseLit(input_2[j]));
    }
}

Clause* EqGate::propagateEqual(std::vector<int>* implied, unsigned int level) {
    bool done = true;
    for (int j = 0; j < width(); j++) {
        const unsigned int a = input_1[j];
        const unsigned int b = input_2[j];
        if (isUndef(a) && isUndef(b)) {
            done = false;
        } else if (isUndef(a) || isUndef(b)) {
            const unsigned int open = isUndef(a) ? a : b;
            const unsigned int known = isUndef(a) ? b : a;
            const bool val = isTrue(known);
            lits.clear();
            lits.push(val ? posLit(open) : negLit(open));
            lits.push(falseLit(known));
            lits.push(negLit(output));
            imply(open, val, implied, level);
        } else if (value(a) != value(b)) {
            lits.clear();
            lits.push(falseLit(a));
            lits.push(falseLit(b));
            lits.push(negLit(output));
            return conflictFromLits();
        }
    }
    finished = done;
    return nullptr;
}

Clause* EqGate::propagateDifferent(std::vector<int>* implied, unsigned int level) {
    bool differs = false;
    bool complete = true;
    int open = -1;
    for (int j = 0; j < width(); j++) {
        const unsigned int a = input_1[j];
        const unsigned int b = input_2[j];
        if (isUndef(a) && isUndef(b)) return nullptr;
        if (isUndef(a) || isUndef(b)) {
            complete = false;
            if (!differs) {
                if (open >= 0) return nullptr;
                open = j;
            }
        } else if (value(a) != value(b)) {
            differs = true;
        }
    }
    if (complete) {
        if (differs) {
            finished = true;
            return nullptr;
        }
        lits.clear();
        lits.push(posLit(output));
        pushPairFalseLits();
        return conflictFromLits();
    }
    if (differs || open < 0) return nullptr;
    const bool firstOpen = isUndef(input_1[open]);
    const std::vector<unsigned int>& impliedSide = firstOpen ? input_1 : input_2;
    const std::vector<unsigned int>& partnerSide = firstOpen ? input_2 : input_1;
    const unsigned int x = impliedSide[open];
    const bool val = !isTrue(partnerSide[open]);
    lits.clear();
    lits.push(val ? posLit(x) : negLit(x));
    lits.push(posLit(output));
    for (int j = 0; j < width(); j++) {
        lits.push(falseLit(partnerSide[j]));
        if (j != open) lits.push(falseLit(impliedSide[j]));
    }
    imply(x, val, implied, level);
    return nullptr;
}

void EqGate::propagateOutputOpen(std::vector<int>* implied, unsigned int level) {
    bool allEqual = true;
    for (int j = 0; j < width(); j++) {
        const unsigned int a = input_1[j];
        const unsigned int b = input_2[j];
        if (isUndef(a) || isUndef(b)) {
            allEqual = false;
        } else if (value(a) != value(b)) {
            lits.clear();
            lits.push(negLit(output));
            lits.push(falseLit(a));
            lits.push(falseLit(b));
            imply(output, false, implied, level);
            return;
        }
    }
    if (!allEqual) return;
    lits.clear();
    lits.push(posLit(output));
    pushPairFalseLits();
    imply(output, true, implied, level);
}

int EqGate::decide(unsigned int) {
    takeBacktrackFlag();
    if (isUndef(output)) {
        assigns[static_cast<int>(output)] = l_True;
        return static_cast<int>(output);
    }
    for (int j = 0; j < width(); j++) {
        for (unsigned int x : {input_1[j], input_2[j]}) {
            if (isUndef(x)) {
                assigns[static_cast<int>(x)] = l_True;
                return static_cast<int>(x);
            }
        }
    }
    finished = true;
    return -1;
}

bool EqGate::getFinished() { return finished && backtrackFlags[id] < 0; }
