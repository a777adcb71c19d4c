// Shift: logical shift of the w-bit `input` by the unsigned value of the
// `amount` bits, left (towards more significant bits) or right, zero fill.
// Only the low `nAmount` amount bits can give a distance below w; a true
// amount bit at or above nAmount makes the whole result zero. `shiftValue`
// is the distance once the amount is known (w for such a high bit), -1 while
// open; `zeroDone` says the vacated result bits have been filled; `step` is
// the first pair (in propagate) or position (in decide) that may need work.
#pragma once

#include <vector>

#include "modules/module.h"

class Shift : public Module {
public:
    int width;
    int nAmount;
    std::vector<unsigned int> input;
    std::vector<unsigned int> amount;
    std::vector<unsigned int> output;
    int shiftValue;
    bool zeroDone;
    int step;
    bool left;

    Shift(unsigned int id, int priority, const std::vector<unsigned int>& data, const std::vector<unsigned int>& amountBits,
          const std::vector<unsigned int>& out, int nAmount, bool left);

    int decide(unsigned int level) override;
    Clause* propagate(std::vector<int>* implied, unsigned int level) override;
    bool getFinished() override;

private:
    // Index of the first true amount bit at or above nAmount, -1 if none.
    int highBit;

    int readAmount();
    void pushAmountTail();
    Clause* fillZeros(std::vector<int>* implied, unsigned int level);
    Clause* copyPairs(std::vector<int>* implied, unsigned int level);
    Clause* tieBits(unsigned int x, unsigned int y, std::vector<int>* implied, unsigned int level);
    int suggestRandom(unsigned int x);
};
