// Restores the run configuration (toClses, prioParams) and the encoder's
// process-wide adder and multiplier counters when it goes out of scope.
#pragma once

#include <algorithm>

#include "cnf/verification_model_cnf.h"
#include "config.h"

class ConfigGuard {
public:
    ConfigGuard() : config(toClses), adds(addCounter), muls(mulCounter) {
        std::copy(prioParams, prioParams + nPrioParams, priorities);
    }
    ~ConfigGuard() {
        toClses = config;
        addCounter = adds;
        mulCounter = muls;
        std::copy(priorities, priorities + nPrioParams, prioParams);
    }
    ConfigGuard(const ConfigGuard&) = delete;
    ConfigGuard& operator=(const ConfigGuard&) = delete;

private:
    ToClauses config;
    unsigned int adds, muls;
    int priorities[nPrioParams];
};
