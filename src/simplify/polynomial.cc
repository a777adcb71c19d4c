// Reading terms as polynomials. The walk goes down the operators it reads
// through with a memo per node, so shared subterms are read once; every
// intermediate polynomial keeps the invariant of the finished one (reduced
// coefficients, no zero terms).
#include "simplify/polynomial.h"

#include <algorithm>
#include <unordered_map>

#include "simplify/linear.h"

#include "simplify/modular.h"

namespace torva::simplify {

using terms::Kind;
using terms::TermId;

namespace {

constexpr size_t kMaxNodes = 128;
constexpr size_t kMaxMonomials = 256;
constexpr size_t kMaxDegree = 8;

void addTerm(Polynomial& p, const Monomial& m, const mpz_class& k) {
    mpz_class& c = p.terms[m];
    c += k;
    reduceToWidth(c, p.width);
    if (c == 0) p.terms.erase(m);
}

Polynomial scaled(const Polynomial& a, const mpz_class& k) {
    Polynomial r{a.width, {}};
    for (const auto& [m, c] : a.terms) addTerm(r, m, c * k);
    return r;
}

Polynomial constant(uint32_t width, const mpz_class& v) {
    Polynomial r{width, {}};
    addTerm(r, {}, v);
    return r;
}

class Reader {
public:
    explicit Reader(Rewriter& rw) : rw_(rw), s_(rw.store()) {}

    bool read(TermId t, Polynomial& out) {
        auto memo = done_.find(t);
        if (memo != done_.end()) {
            out = memo->second;
            return true;
        }
        if (++nodes_ > kMaxNodes || !readNode(t, out) || out.terms.size() > kMaxMonomials) return false;
        done_.emplace(t, out);
        return true;
    }

private:
    bool readNode(TermId t, Polynomial& out) {
        uint32_t w = s_.width(t);
        out = Polynomial{w, {}};
        TermId a;
        uint32_t k;
        switch (s_.kind(t)) {
            case Kind::Const: out = constant(w, s_.value(t)); return true;
            case Kind::BvAdd:
            case Kind::BvSub:
                for (uint32_t i = 0; i < s_.numArgs(t); i++) {
                    Polynomial p;
                    if (!read(s_.arg(t, i), p)) return false;
                    bool minus = s_.kind(t) == Kind::BvSub && i > 0;
                    for (const auto& [m, c] : p.terms) addTerm(out, m, minus ? mpz_class(-c) : c);
                }
                return true;
            case Kind::BvNeg:
            case Kind::BvNot: {
                Polynomial p;
                if (!read(s_.arg(t, 0), p)) return false;
                out = scaled(p, -1);
                if (s_.kind(t) == Kind::BvNot) addTerm(out, {}, -1);
                return true;
            }
            case Kind::BvMul:
                out = constant(w, 1);
                for (uint32_t i = 0; i < s_.numArgs(t); i++) {
                    Polynomial p;
                    if (!read(s_.arg(t, i), p) || !multiply(out, p)) return false;
                }
                return true;
            case Kind::BvShl: {
                // a << b = a * (1 << b)
                Polynomial p;
                if (!read(s_.arg(t, 0), p)) return false;
                out = p;
                Polynomial power{w, {}};
                addTerm(power, {rw_.store().mk(Kind::BvShl, {rw_.bvConst(w, 1), s_.arg(t, 1)})}, 1);
                return multiply(out, power);
            }
            default: break;
        }
        if (isShiftLeftForm(s_, t, a, k)) {
            Polynomial p;
            if (!read(a, p)) return false;
            mpz_class factor;
            mpz_setbit(factor.get_mpz_t(), k);
            out = scaled(p, factor);
            return true;
        }
        addTerm(out, {t}, 1);
        return true;
    }

    bool multiply(Polynomial& acc, const Polynomial& p) {
        Polynomial r{acc.width, {}};
        for (const auto& [m1, c1] : acc.terms)
            for (const auto& [m2, c2] : p.terms) {
                if (m1.size() + m2.size() > kMaxDegree) return false;
                Monomial m;
                std::merge(m1.begin(), m1.end(), m2.begin(), m2.end(), std::back_inserter(m));
                addTerm(r, m, c1 * c2);
                if (r.terms.size() > kMaxMonomials) return false;
            }
        acc = std::move(r);
        return true;
    }

    Rewriter& rw_;
    const terms::TermStore& s_;
    std::unordered_map<TermId, Polynomial> done_;
    size_t nodes_ = 0;
};

}  // namespace

bool readPolynomial(Rewriter& rw, TermId t, Polynomial& p) { return Reader(rw).read(t, p); }

Polynomial difference(const Polynomial& a, const Polynomial& b) {
    Polynomial r = a;
    for (const auto& [m, c] : b.terms) addTerm(r, m, -c);
    return r;
}

}  // namespace torva::simplify
