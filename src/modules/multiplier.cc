// Multiplier: long multiplication, one column per step. In the lower half a
// column settles as soon as its two newest operand bits are known, or one of
// them and the product bit when the partner of the open bit in that column
// (bit 0 of the other operand) is true; the upper half settles once all
// operand bits are known. Reasons name every operand bit up to the column;
// conflicts name the product bit first.
#include "modules/multiplier.h"

Multiplier::Multiplier(unsigned int moduleId, int prio, const std::vector<unsigned int>& a,
                       const std::vector<unsigned int>& b, const std::vector<unsigned int>& out)
    : PositionalArithmetic(static_cast<int>(out.size()), moduleId, prio, a, b, out, static_cast<int>(2 * a.size())),
      nOut(static_cast<int>(out.size())),
      width(static_cast<int>(a.size())),
      nColumns(static_cast<int>(2 * a.size())) {}

// Number of true partial products input_1[i] * input_2[k-i], firstI <= i <= lastI.
int Multiplier::countProducts(int k, int firstI, int lastI) const {
    int n = 0;
    for (int i = firstI; i <= lastI; i++)
        if (isTrue(input_1[i]) && isTrue(input_2[k - i])) n++;
    return n;
}

void Multiplier::settleColumn(int k, int sum, unsigned int level) {
    if (k + 1 < nColumns) carry[k + 1] = sum / 2;
    completePosition(level);
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

// Column k with all the operand bits it depends on known: its product bit is
// the column sum mod 2; the reason names the operand bits below upTo.
bool Multiplier::settleProductBit(int k, int sum, int upTo, std::vector<int>* implied, unsigned int level,
                                  Clause*& result) {
    result = requireResultBit(output[k], sum % 2 == 1, upTo, ResultBitPlace::BeforeOperands, implied, level);
    if (result != nullptr) return false;
    settleColumn(k, sum, level);
    return true;
}

bool Multiplier::propagateLowColumn(int k, std::vector<int>* implied, unsigned int level, Clause*& result) {
    const unsigned int a = input_1[k];
    const unsigned int b = input_2[k];
    const unsigned int o = output[k];
    if (isUndef(a) || isUndef(b)) {
        if (isUndef(o) || (isUndef(a) && isUndef(b))) return false;
        return inferOperand(k, isUndef(a), implied, level, result);
    }
    return settleProductBit(k, countProducts(k, 0, k) + carry[k], k + 1, implied, level, result);
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
    if (isFalse(partner)) {
        if (isTrue(o) == (t % 2 == 1)) return false;
        lits.clear();
        lits.push(falseLit(o));
        lits.push(falseLit(y));
        pushOperandFalseLits(k);
        result = conflictFromLits();
        return false;
    }
    const int xv = (t + isTrue(o)) % 2;
    implyOperandBit(x, xv, y, o, k, implied, level);
    settleColumn(k, t + xv, level);
    return true;
}

bool Multiplier::propagateHighColumn(int k, std::vector<int>* implied, unsigned int level, Clause*& result) {
    return settleProductBit(k, countProducts(k, k - width + 1, width - 1) + carry[k], width, implied, level, result);
}

int Multiplier::decide(unsigned int) { return decideLowestOpenOperand(width, "modules/multiplier"); }
