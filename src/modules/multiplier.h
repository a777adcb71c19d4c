// Multiplier: output (2w bits) = input_1 * input_2 (w bits each), settled
// column by column from the least significant one. Invariant (besides those
// of PositionalArithmetic): every column below `step` has its operand bits
// 0..min(k, w-1) assigned and its product bit equal to the column sum mod 2;
// carry[k] is the carry count into column k, stored for k < nColumns.
#pragma once

#include <vector>

#include "modules/positionalArithmetic.h"

class Multiplier : public PositionalArithmetic {
public:
    int nOut;
    int width;
    int nColumns;

    Multiplier(unsigned int id, int priority, const std::vector<unsigned int>& a, const std::vector<unsigned int>& b,
               const std::vector<unsigned int>& out);

    int decide(unsigned int level) override;
    Clause* propagate(std::vector<int>* implied, unsigned int level) override;

private:
    void settleColumn(int k, int sum, unsigned int level);
    int countProducts(int k, int firstI, int lastI) const;
    // Outcome of one column: settled (go on), or stop with `result`.
    bool settleProductBit(int k, int sum, int upTo, std::vector<int>* implied, unsigned int level, Clause*& result);
    bool propagateLowColumn(int k, std::vector<int>* implied, unsigned int level, Clause*& result);
    bool inferOperand(int k, bool firstOpen, std::vector<int>* implied, unsigned int level, Clause*& result);
    bool propagateHighColumn(int k, std::vector<int>* implied, unsigned int level, Clause*& result);
};
