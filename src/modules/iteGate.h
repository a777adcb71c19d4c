// IteGate: a word-level multiplexer, output = condition ? then : else.
// localVars: entry 0 the condition, entries 1..w the else operand, entries
// w+1..2w the then operand, entries 2w+1..3w the output; `select` repeats the
// condition bit. `cursor` is the decision cursor, rebuilt by every decide.
#pragma once

#include <vector>

#include "modules/module.h"

class IteGate : public Module {
public:
    int nEntries;
    int width;
    int nData;
    std::vector<unsigned int> localVars;
    int cursor;
    unsigned int select;

    IteGate(unsigned int id, int priority, unsigned int cond, const std::vector<unsigned int>& thenBits,
            const std::vector<unsigned int>& elseBits, const std::vector<unsigned int>& out);

    int decide(unsigned int level) override;
    Clause* propagate(std::vector<int>* implied, unsigned int level) override;
    bool getFinished() override;

private:
    unsigned int elseBit(int j) const { return localVars[j]; }
    unsigned int thenBit(int j) const { return localVars[width + j]; }
    unsigned int outBit(int j) const { return localVars[2 * width + j]; }
    Clause* propagateOpenCondition(std::vector<int>* implied, unsigned int level);
    Clause* propagateSelected(std::vector<int>* implied, unsigned int level);
    bool inferCondition(int j, std::vector<int>* implied, unsigned int level);
    int countAssigned(int first) const;
};
