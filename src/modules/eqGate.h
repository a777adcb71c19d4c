// EqGate: a one-bit output that is true exactly when the two operands of
// equal width are equal. Pair j is (input_1[j], input_2[j]). The gate keeps
// no state besides `finished`.
#pragma once

#include <vector>

#include "modules/module.h"

class EqGate : public Module {
public:
    int nIn;
    std::vector<unsigned int> input_1;
    std::vector<unsigned int> input_2;
    unsigned int output;

    EqGate(unsigned int id, int priority, const std::vector<unsigned int>& a, const std::vector<unsigned int>& b,
           unsigned int out);

    int decide(unsigned int level) override;
    Clause* propagate(std::vector<int>* implied, unsigned int level) override;
    bool getFinished() override;

private:
    int width() const { return static_cast<int>(input_1.size()); }
    Clause* propagateEqual(std::vector<int>* implied, unsigned int level);
    Clause* propagateDifferent(std::vector<int>* implied, unsigned int level);
    void propagateOutputOpen(std::vector<int>* implied, unsigned int level);
    void pushPairFalseLits();
};
