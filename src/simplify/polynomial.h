// Bit-vector terms read as polynomials modulo 2^w over atoms: sums,
// differences, negations, complements (~a = -a - 1), products, shifts to the
// left by a constant and by a term (a << b = a * (1 << b)). Two terms whose
// polynomials are equal are equal under every assignment, so an equality
// whose sides read alike folds even when distributivity or commutativity
// of products is needed to see it. Reading is bounded in the nodes it goes
// through, the degree and the number of monomials.
#pragma once

#include <gmpxx.h>

#include <map>
#include <vector>

#include "simplify/rewriter.h"

namespace torva::simplify {

// The atoms of a monomial, sorted by id, with repetition; empty: the constant.
using Monomial = std::vector<terms::TermId>;

struct Polynomial {
    uint32_t width = 0;
    std::map<Monomial, mpz_class> terms;  // non-zero coefficients in (0, 2^width)
};

// The polynomial of t, or false beyond the bounds. May add the nodes 1 << b
// to the store.
bool readPolynomial(Rewriter& rw, terms::TermId t, Polynomial& p);
// a - b.
Polynomial difference(const Polynomial& a, const Polynomial& b);

}  // namespace torva::simplify
