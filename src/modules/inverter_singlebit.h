// Inverter_SingleBit: a one-bit negation, output = not input. localVars holds
// the output bit then the input bit; once both are assigned with opposite
// values the gate is finished.
#pragma once

#include "modules/module.h"

class Inverter_SingleBit : public Module {
public:
    unsigned int localVars[2];

    Inverter_SingleBit(unsigned int id, int priority, unsigned int out, unsigned int in);

    int decide(unsigned int level) override;
    Clause* propagate(std::vector<int>* implied, unsigned int level) override;
    bool getFinished() override;
};
