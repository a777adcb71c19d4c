// XorGate: the parity gate. localVars holds the output bit first, then the
// input bits; the gate holds when the number of true bits over all of
// localVars is even. Every entry before `cursor` was assigned when the gate
// last looked and no backtrack has reached it since.
#pragma once

#include <vector>

#include "modules/module.h"

class XorGate : public Module {
public:
    int nBits;
    std::vector<unsigned int> localVars;
    int cursor;

    XorGate(unsigned int id, int priority, const std::vector<unsigned int>& outAndInputs);

    int decide(unsigned int level) override;
    Clause* propagate(std::vector<int>* implied, unsigned int level) override;
    bool getFinished() override;

private:
    void advanceCursor();
};
