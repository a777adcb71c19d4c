// Adder: output (w+1 bits, the top one the carry out) = input_1 + input_2
// (w bits each), propagated in ripple order. Invariant: every position below
// `step` is fully assigned and consistent, carry[k] is the carry into
// position k for k <= step, and levels[k] is the decision level at which
// position k-1 was completed (levels[0] = 0, levels.size() == step + 1).
#pragma once

#include <vector>

#include "modules/module.h"

class Adder : public Module {
public:
    int nIn;
    int nOut;
    std::vector<unsigned int> input_1;
    std::vector<unsigned int> input_2;
    std::vector<unsigned int> output;
    std::vector<int> carry;
    int step;
    std::vector<int> levels;

    Adder(unsigned int id, int priority, const std::vector<unsigned int>& a, const std::vector<unsigned int>& b,
          const std::vector<unsigned int>& out);

    int decide(unsigned int level) override;
    Clause* propagate(std::vector<int>* implied, unsigned int level) override;
    bool getFinished() override;

private:
    int width() const { return static_cast<int>(input_1.size()); }
    void restoreAfterBacktrack();
    void completePosition(unsigned int level);
    void pushOperandFalseLits(int upTo);
    Clause* propagateCarryOut(std::vector<int>* implied, unsigned int level);
};
