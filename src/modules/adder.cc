// Adder: resumes at the lowest open position `step`. A position with both
// operand bits known fixes its result bit; one operand bit and the result
// bit known fix the other operand bit. Reasons name the operand bits of all
// lower positions, which stand for the incoming carry. Completed positions
// are undone on a backtrack below the level at which they were completed.
#include "modules/adder.h"

#include <cstdlib>

#include "containers/check.h"

Adder::Adder(unsigned int moduleId, int prio, const std::vector<unsigned int>& a, const std::vector<unsigned int>& b,
             const std::vector<unsigned int>& out)
    : Module(static_cast<int>(2 * a.size()), moduleId, prio),
      nIn(static_cast<int>(2 * a.size())),
      nOut(static_cast<int>(out.size())),
      input_1(a),
      input_2(b),
      output(out),
      carry(a.size() + 1, 0),
      step(0),
      levels{0} {}

void Adder::restoreAfterBacktrack() {
    const int flag = backtrackFlags[id];
    if (flag < 0) return;
    while (levels[step] > flag) {
        step--;
        levels.pop_back();
    }
    takeBacktrackFlag();
}

void Adder::completePosition(unsigned int level) {
    step++;
    levels.push_back(static_cast<int>(level));
}

void Adder::pushOperandFalseLits(int upTo) {
    for (int j = 0; j < upTo; j++) {
        lits.push(falseLit(input_1[j]));
        lits.push(falseLit(input_2[j]));
    }
}

Clause* Adder::propagate(std::vector<int>* implied, unsigned int level) {
    restoreAfterBacktrack();
    while (step < width()) {
        const int k = step;
        const unsigned int a = input_1[k];
        const unsigned int b = input_2[k];
        const unsigned int o = output[k];
        const int c = carry[k];
        if (isUndef(a) || isUndef(b)) {
            if (isUndef(o) || (isUndef(a) && isUndef(b))) return nullptr;
            const unsigned int x = isUndef(a) ? a : b;
            const unsigned int y = isUndef(a) ? b : a;
            const int yv = isTrue(y);
            const int xv = (c + yv + isTrue(o)) % 2;
            carry[k + 1] = (c + xv + yv) / 2;
            lits.clear();
            lits.push(xv ? posLit(x) : negLit(x));
            lits.push(falseLit(y));
            lits.push(falseLit(o));
            pushOperandFalseLits(k);
            imply(x, xv, implied, level);
            completePosition(level);
            continue;
        }
        const int s = isTrue(a) + isTrue(b) + c;
        carry[k + 1] = s / 2;
        const bool bit = s % 2 == 1;
        if (isUndef(o)) {
            lits.clear();
            lits.push(bit ? posLit(o) : negLit(o));
            pushOperandFalseLits(k + 1);
            imply(o, bit, implied, level);
        } else if (isTrue(o) != bit) {
            lits.clear();
            pushOperandFalseLits(k + 1);
            lits.push(falseLit(o));
            return conflictFromLits();
        }
        completePosition(level);
    }
    return propagateCarryOut(implied, level);
}

Clause* Adder::propagateCarryOut(std::vector<int>* implied, unsigned int level) {
    const int w = width();
    const unsigned int o = output[w];
    const bool bit = carry[w] == 1;
    if (isUndef(o)) {
        lits.clear();
        lits.push(bit ? posLit(o) : negLit(o));
        pushOperandFalseLits(w);
        imply(o, bit, implied, level);
    } else if (isTrue(o) != bit) {
        lits.clear();
        pushOperandFalseLits(w);
        lits.push(falseLit(o));
        return conflictFromLits();
    }
    finished = true;
    return nullptr;
}

int Adder::decide(unsigned int) {
    restoreAfterBacktrack();
    if (step >= width()) {
        finished = true;
        return -2;
    }
    const unsigned int x = isUndef(input_1[step]) ? input_1[step] : input_2[step];
    TORVA_CHECK(isUndef(x), "modules/adder");
    assigns[static_cast<int>(x)] = toLbool(std::rand() % 2 == 1);
    return static_cast<int>(x);
}

bool Adder::getFinished() {
    if (!finished) return false;
    const int flag = backtrackFlags[id];
    return flag < 0 || flag >= levels[step];
}
