// Shift: nothing is propagated while the amount is open. Once it is known the
// vacated result bits are fixed to zero and every remaining result bit is tied
// to its source bit in both directions. Every reason and conflict ends with
// the amount tail: the false literals of all amount bits in index order, or,
// when a high amount bit is true, that bit's false literal alone. Decisions
// assign the amount first, then walk input and output positions.
#include "modules/shift.h"

#include <algorithm>
#include <cstdlib>

#include "containers/check.h"

Shift::Shift(unsigned int moduleId, int prio, const std::vector<unsigned int>& data,
             const std::vector<unsigned int>& amountBits, const std::vector<unsigned int>& out, int nAmountBits,
             bool shiftLeft)
    : Module(static_cast<int>(data.size()), moduleId, prio),
      width(static_cast<int>(data.size())),
      nAmount(nAmountBits),
      input(data),
      amount(amountBits),
      output(out),
      shiftValue(-1),
      zeroDone(false),
      step(0),
      left(shiftLeft),
      highBit(-1) {}

// The shift distance under the current assignment, or -1 while it is open. A
// true high bit decides it alone; otherwise every amount bit must be known.
int Shift::readAmount() {
    const int nBits = static_cast<int>(amount.size());
    for (highBit = nAmount; highBit < nBits; highBit++)
        if (isTrue(amount[highBit])) return width;
    highBit = -1;
    int distance = 0;
    for (int i = 0; i < nBits; i++) {
        if (isUndef(amount[i])) return -1;
        if (i < nAmount && isTrue(amount[i])) distance += 1 << i;
    }
    return distance;
}

void Shift::pushAmountTail() {
    if (highBit >= 0) {
        lits.push(falseLit(amount[highBit]));
        return;
    }
    for (unsigned int a : amount) lits.push(falseLit(a));
}

Clause* Shift::propagate(std::vector<int>* implied, unsigned int level) {
    if (takeBacktrackFlag()) {
        zeroDone = false;
        step = 0;
    }
    shiftValue = readAmount();
    if (shiftValue < 0) return nullptr;
    if (!zeroDone) {
        Clause* confl = fillZeros(implied, level);
        if (confl != nullptr) return confl;
        zeroDone = true;
    }
    return copyPairs(implied, level);
}

Clause* Shift::fillZeros(std::vector<int>* implied, unsigned int level) {
    const int first = left ? 0 : std::max(0, width - shiftValue);
    const int end = left ? std::min(shiftValue, width) : width;
    for (int i = first; i < end; i++) {
        const unsigned int o = output[i];
        if (isFalse(o)) continue;
        lits.clear();
        lits.push(negLit(o));
        pushAmountTail();
        if (isTrue(o)) return conflictFromLits();
        TORVA_CHECK(Module::conflictGraph[o].empty(), "modules/shift");
        imply(o, false, implied, level);
    }
    return nullptr;
}

Clause* Shift::copyPairs(std::vector<int>* implied, unsigned int level) {
    const int nPairs = width - shiftValue;
    finished = true;
    int firstOpen = -1;
    for (int i = step; i < nPairs; i++) {
        const unsigned int x = left ? input[i] : input[i + shiftValue];
        const unsigned int y = left ? output[i + shiftValue] : output[i];
        if (isUndef(x) && isUndef(y)) {
            finished = false;
            if (firstOpen < 0) firstOpen = i;
            continue;
        }
        Clause* confl = tieBits(x, y, implied, level);
        if (confl != nullptr) {
            finished = false;
            return confl;
        }
    }
    step = firstOpen >= 0 ? firstOpen : std::max(step, nPairs);
    return nullptr;
}

// Source bit x and target bit y, at least one assigned: the open one takes
// the other's value; two different values are a conflict.
Clause* Shift::tieBits(unsigned int x, unsigned int y, std::vector<int>* implied, unsigned int level) {
    if (!isUndef(x) && !isUndef(y)) {
        if (value(x) == value(y)) return nullptr;
        lits.clear();
        lits.push(falseLit(x));
        lits.push(falseLit(y));
        pushAmountTail();
        return conflictFromLits();
    }
    const unsigned int open = isUndef(x) ? x : y;
    const unsigned int known = isUndef(x) ? y : x;
    TORVA_CHECK(Module::conflictGraph[open].empty(), "modules/shift");
    const bool val = isTrue(known);
    lits.clear();
    lits.push(val ? posLit(open) : negLit(open));
    lits.push(falseLit(known));
    pushAmountTail();
    imply(open, val, implied, level);
    return nullptr;
}

int Shift::suggestRandom(unsigned int x) {
    assigns[static_cast<int>(x)] = toLbool(std::rand() % 2 == 1);
    return static_cast<int>(x);
}

int Shift::decide(unsigned int) {
    if (takeBacktrackFlag()) {
        shiftValue = readAmount();
        zeroDone = false;
        step = 0;
    }
    if (shiftValue < 0) {
        TORVA_CHECK(step == 0, "modules/shift");
        for (unsigned int a : amount) {
            if (!isUndef(a)) continue;
            const int chosen = suggestRandom(a);
            shiftValue = readAmount();
            return chosen;
        }
        shiftValue = readAmount();
    }
    while (step < width && !isUndef(input[step]) && !isUndef(output[step])) step++;
    if (step == width) {
        finished = true;
        return -2;
    }
    return suggestRandom(isUndef(input[step]) ? input[step] : output[step]);
}

bool Shift::getFinished() { return finished && backtrackFlags[id] < 0; }
