// PositionalArithmetic: the state shared by the Adder and the Multiplier,
// which settle their result from the least significant position up.
// Invariant: every position below `step` is settled; carry[k] is the carry
// into position k for k <= step (as far as carry reaches); levels[k] is the
// decision level at which position k-1 was settled (levels[0] = 0,
// levels.size() == step + 1). A backtrack pops exactly the positions settled
// above the level it returns to.
#pragma once

#include <vector>

#include "modules/module.h"

class PositionalArithmetic : public Module {
public:
    std::vector<unsigned int> input_1;
    std::vector<unsigned int> input_2;
    std::vector<unsigned int> output;
    std::vector<int> carry;
    int step;
    std::vector<int> levels;

    // Finished, and no pending backtrack reaches below the latest settled
    // position.
    bool getFinished() override;

protected:
    PositionalArithmetic(int size, unsigned int id, int priority, const std::vector<unsigned int>& a,
                         const std::vector<unsigned int>& b, const std::vector<unsigned int>& out, int nCarries);

    // The backtrack check: pops the positions settled above the pending
    // level, then consumes the flag.
    void restoreAfterBacktrack();
    void completePosition(unsigned int level);
    // Pushes the false literals of input_1[j] and input_2[j] for j < upTo.
    void pushOperandFalseLits(int upTo);
    // Where a conflict over a result bit names that bit: the Adder after the
    // operand bits, the Multiplier before them.
    enum class ResultBitPlace { AfterOperands, BeforeOperands };
    // Result bit o must have the value `bit`, as the operand bits of the
    // positions below upTo say: implied when open (reason: its true literal,
    // then the operand bits), a conflict when it has the other value.
    Clause* requireResultBit(unsigned int o, bool bit, int upTo, ResultBitPlace place, std::vector<int>* implied,
                             unsigned int level);
    // Implies the open operand bit x of position k to `val` from its partner
    // y, the result bit o and the operand bits of the lower positions.
    void implyOperandBit(unsigned int x, bool val, unsigned int y, unsigned int o, int k, std::vector<int>* implied,
                         unsigned int level);
    // The backtrack check, then a random value for the first open operand
    // bit of position `step`; -2, with `finished` set, once `step` reaches
    // nPositions. `source` names the module in a failed invariant check.
    int decideLowestOpenOperand(int nPositions, const char* source);
};
