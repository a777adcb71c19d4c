// Arithmetic modulo 2^w on GMP integers, shared by the rules and passes that
// compute with coefficients and constants of a width.
#pragma once

#include <gmpxx.h>

#include <cstdint>

namespace torva::simplify {

// v reduced into [0, 2^width).
inline void reduceToWidth(mpz_class& v, uint32_t width) { mpz_fdiv_r_2exp(v.get_mpz_t(), v.get_mpz_t(), width); }

// The inverse of an odd k modulo 2^width.
inline mpz_class inverseModPowerOfTwo(const mpz_class& odd, uint32_t width) {
    mpz_class modulus, inverse;
    mpz_setbit(modulus.get_mpz_t(), width);
    mpz_invert(inverse.get_mpz_t(), odd.get_mpz_t(), modulus.get_mpz_t());
    return inverse;
}

}  // namespace torva::simplify
