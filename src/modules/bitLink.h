// BitLink: a gate over two single bits, the output localVars[0] and the
// input localVars[1], that ties them to the same value (SameValue, the
// Identity) or to opposite values (the Inverter_SingleBit). Once both bits
// are assigned and obey the tie the gate is finished.
#pragma once

#include <vector>

#include "modules/module.h"

template <bool SameValue>
class BitLink : public Module {
public:
    unsigned int localVars[2];

    int decide(unsigned int level) override;
    Clause* propagate(std::vector<int>* implied, unsigned int level) override;
    bool getFinished() override;

protected:
    BitLink(unsigned int id, int priority, unsigned int out, unsigned int in);
};

extern template class BitLink<true>;
extern template class BitLink<false>;
