// Multiplier: output (2w bits) = input_1 * input_2 (w bits each), settled
// column by column from the least significant one. Invariant: every column
// below `step` is settled (its operand bits 0..min(k, w-1) assigned and its
// product bit equal to the column sum mod 2), carry[k] is the carry count
// into column k for k <= step (below the last column), and levels[k] is the
// decision level at which column k-1 was settled (levels[0] = 0).
#pragma once

#include <vector>

#include "modules/module.h"

class Multiplier : public Module {
public:
    int nOut;
    int width;
    int nColumns;
    std::vector<unsigned int> input_1;
    std::vector<unsigned int> input_2;
    std::vector<unsigned int> output;
    std::vector<int> carry;
    int step;
    std::vector<int> levels;

    Multiplier(unsigned int id, int priority, const std::vector<unsigned int>& a, const std::vector<unsigned int>& b,
               const std::vector<unsigned int>& out);

    int decide(unsigned int level) override;
    Clause* propagate(std::vector<int>* implied, unsigned int level) override;
    bool getFinished() override;

private:
    void restoreAfterBacktrack();
    void settleColumn(int k, int sum, unsigned int level);
    int countProducts(int k, int firstI, int lastI) const;
    void pushOperandFalseLits(int upTo);
    // Outcome of one column: settled (go on), or stop with `result`.
    bool propagateLowColumn(int k, std::vector<int>* implied, unsigned int level, Clause*& result);
    bool inferOperand(int k, bool firstOpen, std::vector<int>* implied, unsigned int level, Clause*& result);
    bool propagateHighColumn(int k, std::vector<int>* implied, unsigned int level, Clause*& result);
};
