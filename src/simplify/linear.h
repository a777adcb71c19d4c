// Sums of constant multiples modulo 2^w: a term read as c + k1*a1 + ... +
// kn*an over atoms a1 < ... < an (by id) with non-zero coefficients, and the
// one canonical term built back from such a sum. Addition, subtraction,
// negation, multiplication by a constant and shifts to the left by a
// constant (in their normal form concat(a[w-1-k:0], 0_k)) are read through;
// every other term is an atom. Reading is bounded: a sum with more atoms or
// read through more nodes than the bounds is not read at all.
#pragma once

#include <gmpxx.h>

#include <utility>
#include <vector>

#include "simplify/rewriter.h"

namespace torva::simplify {

struct LinearSum {
    uint32_t width = 0;
    mpz_class constant;                                 // in [0, 2^width)
    std::vector<std::pair<terms::TermId, mpz_class>> terms;  // by atom id, coefficients in (0, 2^width)

    bool isConstant() const { return terms.empty(); }
};

// The sum that t denotes, or false when it is beyond the bounds.
bool readLinear(const terms::TermStore& store, terms::TermId t, LinearSum& sum);
// a + factor * b (same width).
LinearSum combine(const LinearSum& a, const LinearSum& b, const mpz_class& factor);
// factor * a.
LinearSum scaled(const LinearSum& a, const mpz_class& factor);
// The canonical term of the sum: each coefficient written in its signed
// binary digits with the fewest non-zero ones; with at most two digits k * a
// becomes a sum or difference of shifted copies concat(a[w-1-k:0], 0_k) of
// a (shifts are only wiring), with more it stays bvmul(k, a). Summands come
// in the order of their ids, the constant last; the shifted copies are
// rewritten, the sums themselves are built as they stand.
terms::TermId buildLinear(Rewriter& rw, const LinearSum& sum);
// Whether t is the normal form of a shift to the left by a constant:
// concat(a[w-1-k:0], 0_k); then a and k.
bool isShiftLeftForm(const terms::TermStore& store, terms::TermId t, terms::TermId& a, uint32_t& k);

}  // namespace torva::simplify
