// Adder: output (w+1 bits, the top one the carry out) = input_1 + input_2
// (w bits each), propagated in ripple order. Invariant (besides those of
// PositionalArithmetic): every position below `step` has its operand and
// result bits assigned and consistent, and carry[k] (0 or 1) is the carry
// into position k.
#pragma once

#include <vector>

#include "modules/positionalArithmetic.h"

class Adder : public PositionalArithmetic {
public:
    int nIn;
    int nOut;

    Adder(unsigned int id, int priority, const std::vector<unsigned int>& a, const std::vector<unsigned int>& b,
          const std::vector<unsigned int>& out);

    int decide(unsigned int level) override;
    Clause* propagate(std::vector<int>* implied, unsigned int level) override;

private:
    int width() const { return static_cast<int>(input_1.size()); }
    Clause* propagateCarryOut(std::vector<int>* implied, unsigned int level);
};
