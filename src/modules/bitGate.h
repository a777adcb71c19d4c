// BitGate: the frame shared by the gates over single bits with any number of
// inputs (AndGate, OrGate, XorGate). localVars holds the output bit first,
// then the input bits in operand order; nBits is its length. Every entry
// before `cursor` was assigned when the gate last looked and no backtrack has
// reached the gate since; the backtrack check puts the cursor back on the
// output.
#pragma once

#include <vector>

#include "modules/module.h"

class BitGate : public Module {
public:
    int nBits;
    std::vector<unsigned int> localVars;
    int cursor;

    bool getFinished() override;

protected:
    BitGate(unsigned int id, int priority, const std::vector<unsigned int>& outAndInputs);

    // The backtrack check: consumes a pending flag and restarts the cursor.
    void restartAfterBacktrack();
    // Moves the cursor past the assigned entries of localVars.
    void advanceCursor();
    // The start of every decision: the backtrack check, then the cursor moved
    // to the first open bit; false, with `finished` set, when there is none.
    bool findOpenBit();
};
