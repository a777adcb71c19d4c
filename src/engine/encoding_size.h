// What an encoding will cost before it is built, and what it may cost. The
// estimate sums, over the distinct nodes to be blasted, the memory CaDiCaL
// and the gates take for each node's word circuit at its width (measured on
// this blaster: a product about 1.4 KB per square bit of width, a quotient
// or remainder 1.8 KB, a shift a multiplexer per bit and stage, an addition
// or comparison a full adder per bit, other kinds a gate per bit); it is
// meant to be within a small factor, not exact. The budget is the memory
// limit of the run, else what the machine (or its control group) has.
#pragma once

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <vector>

#include "terms/term_store.h"

namespace torva {

// The estimated bytes of one node's circuit (its operands not included).
uint64_t encodingBytes(const terms::TermStore& store, terms::TermId t);
// The estimated bytes of blasting everything below roots; an abstracted
// node costs only its fresh bits.
uint64_t encodingBytes(const terms::TermStore& store, const std::vector<terms::TermId>& roots,
                       const std::function<bool(terms::TermId)>& abstracted);

// The budget in bytes: limitMB when it is not 0, else the machine's memory.
uint64_t memoryBudgetBytes(uint64_t limitMB);

// An encoding that would not fit the budget; the check answers unknown.
struct EncodingTooLarge : std::runtime_error {
    EncodingTooLarge() : std::runtime_error("memout") {}
};

}  // namespace torva
