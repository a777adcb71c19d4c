// XorGate: the parity gate. localVars holds the output bit first, then the
// input bits; the gate holds when the number of true bits over all of
// localVars is even. The cursor rules are those of every BitGate.
#pragma once

#include <vector>

#include "modules/bitGate.h"

class XorGate : public BitGate {
public:
    XorGate(unsigned int id, int priority, const std::vector<unsigned int>& outAndInputs);

    int decide(unsigned int level) override;
    Clause* propagate(std::vector<int>* implied, unsigned int level) override;
};
