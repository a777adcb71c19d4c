// Inverter_SingleBit: a one-bit negation, output = not input; the bit link
// that ties the two bits to opposite values. localVars holds the output bit
// then the input bit.
#pragma once

#include "modules/bitLink.h"

class Inverter_SingleBit : public BitLink<false> {
public:
    Inverter_SingleBit(unsigned int id, int priority, unsigned int out, unsigned int in)
        : BitLink(id, priority, out, in) {}
};
