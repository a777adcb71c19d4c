// AndGate: output = conjunction of the inputs. localVars holds the output bit
// first, then the input bits in operand order; every entry before `cursor`
// was assigned when the gate last looked and no backtrack has reached it since.
#pragma once

#include <vector>

#include "modules/module.h"

class AndGate : public Module {
public:
    int nBits;
    std::vector<unsigned int> localVars;
    int cursor;

    AndGate(unsigned int id, int priority, const std::vector<unsigned int>& outAndInputs);

    int decide(unsigned int level) override;
    Clause* propagate(std::vector<int>* implied, unsigned int level) override;
    bool getFinished() override;

private:
    Clause* propagateOutputTrue(std::vector<int>* implied, unsigned int level);
    Clause* propagateOutputFalse(std::vector<int>* implied, unsigned int level);
    void propagateOutputOpen(std::vector<int>* implied, unsigned int level);
};
