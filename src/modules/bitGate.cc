// BitGate: construction, the cursor walk over localVars and the backtrack
// check shared by the multi-input bit gates. The cursor only moves forward
// between backtracks.
#include "modules/bitGate.h"

BitGate::BitGate(unsigned int moduleId, int prio, const std::vector<unsigned int>& outAndInputs)
    : Module(static_cast<int>(outAndInputs.size()), moduleId, prio),
      nBits(static_cast<int>(outAndInputs.size())),
      localVars(outAndInputs),
      cursor(0) {}

void BitGate::restartAfterBacktrack() {
    if (takeBacktrackFlag()) cursor = 0;
}

void BitGate::advanceCursor() {
    while (cursor < nBits && !isUndef(localVars[cursor])) cursor++;
}

bool BitGate::findOpenBit() {
    restartAfterBacktrack();
    advanceCursor();
    if (cursor < nBits) return true;
    finished = true;
    return false;
}

bool BitGate::getFinished() { return finished && backtrackFlags[id] < 0; }
