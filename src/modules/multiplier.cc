// Multiplier: long multiplication, one column per step. In the lower half a
// column settles as soon as its two newest operand bits are known, or one of
// them and the product bit when the partner of the open bit in that column
// (bit 0 of the other operand) is true; the upper half settles once all
// operand bits are known. Reasons name every operand bit up to the column.
#include "modules/multiplier.h"

#include <cstdlib>

#include "containers/check.h"

Multiplier::Multiplier(unsigned int moduleId, int prio, const std::vector<unsigned int>& a,
                       const std::vector<unsigned int>& b, const std::vector<unsigned int>& out)
    : Module(static_cast<int>(out.size()), moduleId, prio),
      nOut(static_cast<int>(out.size())),
      width(static_cast<int>(a.size())),
      nColumns(static_cast<int>(2 * a.size())),
      input_1(a),
      input_2(b),
      output(out),
      carry(2 * a.size(), 0),
      step(0),
      levels{0} {}

void Multiplier::restoreAfterBacktrack() {
    const int flag = backtrackFlags[id];
    if (flag < 0) return;
    while (levels[step] > flag) {
        step--;
        levels.pop_back();
    }
    takeBacktrackFlag();
}

// Number of true partial products input_1[i] * input_2[k-i], firstI <= i <= lastI.
int Multiplier::countProducts(int k, int firstI, int lastI) const {
    int n = 0;
    for (int i = firstI; i <= lastI; i++)
        if (isTrue(input_1[i]) && isTrue(input_2[k - i])) n++;
    return n;
}

void Multiplier::settleColumn(int k, int sum, unsigned int level) {
    if (k + 1 < nColumns) carry[k + 1] = sum / 2;
    step = k + 1;
    levels.push_back(static_cast<int>(level));
}

void Multiplier::pushOperandFalseLits(int upTo) {
    for (int i = 0; i < upTo; i++) {
        lits.push(falseLit(input_1[i]));
        lits.push(falseLit(input_2[i]));
    }
}

Clause* Multiplier::propagate(std::vector<int>* implied, unsigned int level) {
    restoreAfterBacktrack();
    Clause* result = nullptr;
    while (step < nColumns) {
        const int k = step;
        const bool settled = k < width ? propagateLowColumn(k, implied, level, result)
                                       : propagateHighColumn(k, implied, level, result);
        if (!settled) return result;
    }
    finished = true;
    return nullptr;
}

bool Multiplier::propagateLowColumn(int k, std::vector<int>* implied, unsigned int level, Clause*& result) {
    const unsigned int a = input_1[k];
    const unsigned int b = input_2[k];
    const unsigned int o = output[k];
    if (isUndef(a) || isUndef(b)) {
        if (isUndef(o) || (isUndef(a) && isUndef(b))) return false;
        return inferOperand(k, isUndef(a), implied, level, result);
    }
    const int sum = countProducts(k, 0, k) + carry[k];
    const bool bit = sum % 2 == 1;
    if (isUndef(o)) {
        lits.clear();
        lits.push(bit ? posLit(o) : negLit(o));
        pushOperandFalseLits(k + 1);
        imply(o, bit, implied, level);
    } else if (isTrue(o) != bit) {
        lits.clear();
        lits.push(falseLit(o));
        pushOperandFalseLits(k + 1);
        result = conflictFromLits();
        return false;
    }
    settleColumn(k, sum, level);
    return true;
}

// Column k < w with exactly one of its newest operand bits open (input_1[k]
// when firstOpen, else input_2[k]) and the product bit known. The open bit
// meets bit 0 of the other operand in this column: when that bit is false the
// column's value is already fixed, when it is true the open bit is forced.
bool Multiplier::inferOperand(int k, bool firstOpen, std::vector<int>* implied, unsigned int level,
                              Clause*& result) {
    const unsigned int x = firstOpen ? input_1[k] : input_2[k];
    const unsigned int y = firstOpen ? input_2[k] : input_1[k];
    const unsigned int partner = firstOpen ? input_2[0] : input_1[0];
    const unsigned int o = output[k];
    const int known = firstOpen ? countProducts(k, 0, k - 1) : countProducts(k, 1, k);
    const int t = known + carry[k];
    lits.clear();
    if (isFalse(partner)) {
        if (isTrue(o) == (t % 2 == 1)) return false;
        lits.push(falseLit(o));
        lits.push(falseLit(y));
        pushOperandFalseLits(k);
        result = conflictFromLits();
        return false;
    }
    const int xv = (t + isTrue(o)) % 2;
    lits.push(xv ? posLit(x) : negLit(x));
    lits.push(falseLit(y));
    lits.push(falseLit(o));
    pushOperandFalseLits(k);
    imply(x, xv, implied, level);
    settleColumn(k, t + xv, level);
    return true;
}

bool Multiplier::propagateHighColumn(int k, std::vector<int>* implied, unsigned int level, Clause*& result) {
    const unsigned int o = output[k];
    const int sum = countProducts(k, k - width + 1, width - 1) + carry[k];
    const bool bit = sum % 2 == 1;
    if (isUndef(o)) {
        lits.clear();
        lits.push(bit ? posLit(o) : negLit(o));
        pushOperandFalseLits(width);
        imply(o, bit, implied, level);
    } else if (isTrue(o) != bit) {
        lits.clear();
        lits.push(falseLit(o));
        pushOperandFalseLits(width);
        result = conflictFromLits();
        return false;
    }
    settleColumn(k, sum, level);
    return true;
}

int Multiplier::decide(unsigned int) {
    restoreAfterBacktrack();
    if (step >= width) {
        finished = true;
        return -2;
    }
    const unsigned int x = isUndef(input_1[step]) ? input_1[step] : input_2[step];
    TORVA_CHECK(isUndef(x), "modules/multiplier");
    assigns[static_cast<int>(x)] = toLbool(std::rand() % 2 == 1);
    return static_cast<int>(x);
}

bool Multiplier::getFinished() {
    if (!finished) return false;
    const int flag = backtrackFlags[id];
    return flag < 0 || flag >= levels[step];
}
