// PositionalArithmetic: the per-level bookkeeping of settled positions, the
// operand-bit reasons and the random operand decisions shared by the Adder
// and the Multiplier. `step` grows only in propagation and shrinks only in
// the backtrack check.
#include "modules/positionalArithmetic.h"

#include <cstdlib>

#include "containers/check.h"

PositionalArithmetic::PositionalArithmetic(int size, unsigned int moduleId, int prio,
                                           const std::vector<unsigned int>& a, const std::vector<unsigned int>& b,
                                           const std::vector<unsigned int>& out, int nCarries)
    : Module(size, moduleId, prio),
      input_1(a),
      input_2(b),
      output(out),
      carry(static_cast<size_t>(nCarries), 0),
      step(0),
      levels{0} {}

void PositionalArithmetic::restoreAfterBacktrack() {
    const int flag = backtrackFlags[id];
    if (flag < 0) return;
    while (levels[step] > flag) {
        step--;
        levels.pop_back();
    }
    takeBacktrackFlag();
}

void PositionalArithmetic::completePosition(unsigned int level) {
    step++;
    levels.push_back(static_cast<int>(level));
}

void PositionalArithmetic::pushOperandFalseLits(int upTo) {
    for (int j = 0; j < upTo; j++) {
        lits.push(falseLit(input_1[j]));
        lits.push(falseLit(input_2[j]));
    }
}

Clause* PositionalArithmetic::requireResultBit(unsigned int o, bool bit, int upTo, ResultBitPlace place,
                                               std::vector<int>* implied, unsigned int level) {
    lits.clear();
    if (isUndef(o)) {
        lits.push(bit ? posLit(o) : negLit(o));
        pushOperandFalseLits(upTo);
        imply(o, bit, implied, level);
        return nullptr;
    }
    if (isTrue(o) == bit) return nullptr;
    if (place == ResultBitPlace::BeforeOperands) lits.push(falseLit(o));
    pushOperandFalseLits(upTo);
    if (place == ResultBitPlace::AfterOperands) lits.push(falseLit(o));
    return conflictFromLits();
}

void PositionalArithmetic::implyOperandBit(unsigned int x, bool val, unsigned int y, unsigned int o, int k,
                                           std::vector<int>* implied, unsigned int level) {
    lits.clear();
    lits.push(val ? posLit(x) : negLit(x));
    lits.push(falseLit(y));
    lits.push(falseLit(o));
    pushOperandFalseLits(k);
    imply(x, val, implied, level);
}

int PositionalArithmetic::decideLowestOpenOperand(int nPositions, const char* source) {
    restoreAfterBacktrack();
    if (step >= nPositions) {
        finished = true;
        return -2;
    }
    const unsigned int x = isUndef(input_1[step]) ? input_1[step] : input_2[step];
    TORVA_CHECK(isUndef(x), source);
    assigns[static_cast<int>(x)] = toLbool(std::rand() % 2 == 1);
    return static_cast<int>(x);
}

bool PositionalArithmetic::getFinished() {
    if (!finished) return false;
    const int flag = backtrackFlags[id];
    return flag < 0 || flag >= levels[step];
}
