// OrGate: output = disjunction of the inputs; the junction gate whose
// controlling value is true. localVars holds the output bit first, then the
// input bits in operand order.
#pragma once

#include <vector>

#include "modules/junctionGate.h"

class OrGate : public JunctionGate<true> {
public:
    OrGate(unsigned int id, int priority, const std::vector<unsigned int>& outAndInputs)
        : JunctionGate(id, priority, outAndInputs) {}
};
