// Identity: a one-bit buffer, output = input. localVars holds the output bit
// then the input bit; once both are assigned and equal the gate is finished.
#pragma once

#include "modules/module.h"

class Identity : public Module {
public:
    unsigned int localVars[2];

    Identity(unsigned int id, int priority, unsigned int out, unsigned int in);

    int decide(unsigned int level) override;
    Clause* propagate(std::vector<int>* implied, unsigned int level) override;
    bool getFinished() override;
};
