// Word operations of the reference evaluators: values of width w (1 to 64)
// kept in the low w bits of a 64-bit word, by plain arithmetic with masks,
// independent of the encoder, the modules and the term graph. Division by
// zero follows the bit-vector semantics (all ones; the dividend).
#pragma once

#include <cstdint>

namespace torva_words {
uint64_t mask(unsigned w);
bool negative(uint64_t a, unsigned w);
int64_t toSigned(uint64_t a, unsigned w);
uint64_t neg(uint64_t a, unsigned w);
uint64_t udiv(uint64_t a, uint64_t b, unsigned w);
uint64_t urem(uint64_t a, uint64_t b, unsigned w);
uint64_t sdiv(uint64_t a, uint64_t b, unsigned w);
uint64_t srem(uint64_t a, uint64_t b, unsigned w);
uint64_t shl(uint64_t a, uint64_t s, unsigned w);
uint64_t lshr(uint64_t a, uint64_t s, unsigned w);
uint64_t ashr(uint64_t a, uint64_t s, unsigned w);
uint64_t smod(uint64_t a, uint64_t b, unsigned w);
uint64_t rotateLeft(uint64_t a, unsigned k, unsigned w);
uint64_t repeat(uint64_t a, unsigned count, unsigned w);
uint64_t signExtend(uint64_t a, unsigned from, unsigned to);
}  // namespace torva_words
