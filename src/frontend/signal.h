// Signal: a parsed term (kind 1) or formula (kind 3) with its width and the
// CNF variable of each bit, least significant first. Constants carry their
// decimal value text. A record is owned by whoever created it, except the
// records stored in the variable table (isVariable set).
#pragma once

#include <string>
#include <vector>

struct Signal {
    int kind = 1;
    unsigned int id = 0;
    std::string value;
    unsigned int bitsize = 0;
    unsigned int reserved = 0;
    bool isVariable = false;
    std::vector<unsigned int> cnfVars;
};

const int SIGNAL_BITVECTOR = 1;
const int SIGNAL_BOOL = 3;
