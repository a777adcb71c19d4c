// Adder: resumes at the lowest open position `step`. A position with both
// operand bits known fixes its result bit; one operand bit and the result
// bit known fix the other operand bit. Reasons name the operand bits of all
// lower positions, which stand for the incoming carry. Conflicts name the
// result bit after the operand bits.
#include "modules/adder.h"

Adder::Adder(unsigned int moduleId, int prio, const std::vector<unsigned int>& a, const std::vector<unsigned int>& b,
             const std::vector<unsigned int>& out)
    : PositionalArithmetic(static_cast<int>(2 * a.size()), moduleId, prio, a, b, out,
                           static_cast<int>(a.size() + 1)),
      nIn(static_cast<int>(2 * a.size())),
      nOut(static_cast<int>(out.size())) {}

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
            implyOperandBit(x, xv, y, o, k, implied, level);
            completePosition(level);
            continue;
        }
        const int s = isTrue(a) + isTrue(b) + c;
        carry[k + 1] = s / 2;
        Clause* confl = requireResultBit(o, s % 2 == 1, k + 1, ResultBitPlace::AfterOperands, implied, level);
        if (confl != nullptr) return confl;
        completePosition(level);
    }
    return propagateCarryOut(implied, level);
}

Clause* Adder::propagateCarryOut(std::vector<int>* implied, unsigned int level) {
    const int w = width();
    Clause* confl = requireResultBit(output[w], carry[w] == 1, w, ResultBitPlace::AfterOperands, implied, level);
    if (confl == nullptr) finished = true;
    return confl;
}

int Adder::decide(unsigned int) { return decideLowestOpenOperand(width(), "modules/adder"); }
