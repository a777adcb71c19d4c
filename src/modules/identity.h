// Identity: a one-bit buffer, output = input; the bit link that ties both
// bits to the same value. localVars holds the output bit then the input bit.
#pragma once

#include "modules/bitLink.h"

class Identity : public BitLink<true> {
public:
    Identity(unsigned int id, int priority, unsigned int out, unsigned int in) : BitLink(id, priority, out, in) {}
};
