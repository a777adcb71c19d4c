// AndGate: output = conjunction of the inputs; the junction gate whose
// controlling value is false. localVars holds the output bit first, then the
// input bits in operand order.
#pragma once

#include <vector>

#include "modules/junctionGate.h"

class AndGate : public JunctionGate<false> {
public:
    AndGate(unsigned int id, int priority, const std::vector<unsigned int>& outAndInputs)
        : JunctionGate(id, priority, outAndInputs) {}
};
