// Reading terms as sums of constant multiples and building the canonical
// term of a sum. Invariant of every LinearSum handed out: coefficients and
// the constant are reduced modulo 2^width, no coefficient is 0, and the
// atoms are strictly increasing by id.
#include "simplify/linear.h"

#include <algorithm>

#include "simplify/modular.h"

namespace torva::simplify {

using terms::Kind;
using terms::TermId;

namespace {

constexpr size_t kMaxAtoms = 256;
constexpr size_t kMaxVisits = 4096;
// A coefficient with more signed digits than this stays a multiplication.
constexpr size_t kMaxDigits = 2;

mpz_class powerOfTwo(uint32_t k) {
    mpz_class v;
    mpz_setbit(v.get_mpz_t(), k);
    return v;
}

// Sorts the summands by atom, merges equal atoms and drops zero coefficients.
void canonicalise(LinearSum& sum) {
    std::sort(sum.terms.begin(), sum.terms.end(),
              [](const auto& x, const auto& y) { return x.first < y.first; });
    std::vector<std::pair<TermId, mpz_class>> merged;
    for (auto& [atom, k] : sum.terms) {
        if (!merged.empty() && merged.back().first == atom)
            merged.back().second += k;
        else
            merged.emplace_back(atom, k);
        reduceToWidth(merged.back().second, sum.width);
        if (merged.back().second == 0) merged.pop_back();
    }
    sum.terms = std::move(merged);
    reduceToWidth(sum.constant, sum.width);
}

// The constant operand of a product with exactly two operands, one of them
// constant: the other operand goes to `other`.
bool constantFactor(const terms::TermStore& s, TermId t, mpz_class& factor, TermId& other) {
    if (s.kind(t) != Kind::BvMul || s.numArgs(t) != 2) return false;
    TermId a = s.arg(t, 0), b = s.arg(t, 1);
    if (s.kind(b) == Kind::Const) std::swap(a, b);
    if (s.kind(a) != Kind::Const || s.kind(b) == Kind::Const) return false;
    factor = s.value(a);
    other = b;
    return true;
}

}  // namespace

bool isShiftLeftForm(const terms::TermStore& s, TermId t, TermId& a, uint32_t& k) {
    if (s.kind(t) != Kind::Concat || s.numArgs(t) != 2) return false;
    TermId high = s.arg(t, 0), low = s.arg(t, 1);
    if (s.kind(low) != Kind::Const || s.value(low) != 0 || s.kind(high) != Kind::Extract) return false;
    TermId inner = s.arg(high, 0);
    if (s.width(inner) != s.width(t) || s.index(high, 1) != 0) return false;
    a = inner;
    k = s.width(low);
    return true;
}

bool readLinear(const terms::TermStore& s, TermId t, LinearSum& sum) {
    sum = LinearSum();
    sum.width = s.width(t);
    std::vector<std::pair<TermId, mpz_class>> stack{{t, mpz_class(1)}};
    size_t visits = 0;
    while (!stack.empty()) {
        if (++visits > kMaxVisits) return false;
        auto [u, k] = std::move(stack.back());
        stack.pop_back();
        mpz_class factor;
        TermId other;
        uint32_t shift;
        switch (s.kind(u)) {
            case Kind::Const: sum.constant += k * s.value(u); continue;
            case Kind::BvAdd:
                for (uint32_t i = 0; i < s.numArgs(u); i++) stack.emplace_back(s.arg(u, i), k);
                continue;
            case Kind::BvSub:
                stack.emplace_back(s.arg(u, 0), k);
                for (uint32_t i = 1; i < s.numArgs(u); i++) stack.emplace_back(s.arg(u, i), -k);
                continue;
            case Kind::BvNeg: stack.emplace_back(s.arg(u, 0), -k); continue;
            default: break;
        }
        if (constantFactor(s, u, factor, other)) {
            stack.emplace_back(other, k * factor);
        } else if (isShiftLeftForm(s, u, other, shift)) {
            stack.emplace_back(other, k * powerOfTwo(shift));
        } else {
            sum.terms.emplace_back(u, std::move(k));
            if (sum.terms.size() > kMaxAtoms) return false;
        }
    }
    canonicalise(sum);
    return true;
}

LinearSum combine(const LinearSum& a, const LinearSum& b, const mpz_class& factor) {
    LinearSum r = a;
    r.constant += factor * b.constant;
    for (const auto& [atom, k] : b.terms) r.terms.emplace_back(atom, factor * k);
    canonicalise(r);
    return r;
}

LinearSum scaled(const LinearSum& a, const mpz_class& factor) {
    LinearSum none;
    none.width = a.width;
    return combine(none, a, factor);
}

namespace {

// The non-adjacent form of k modulo 2^width: k = sum of sign * 2^position
// with no two adjacent positions, the fewest non-zero digits there are.
std::vector<std::pair<uint32_t, bool>> signedDigits(mpz_class k, uint32_t width) {
    std::vector<std::pair<uint32_t, bool>> digits;  // position, negative
    for (uint32_t position = 0; k != 0 && position < width; position++, k >>= 1) {
        if (mpz_even_p(k.get_mpz_t())) continue;
        // k mod 4 = 3 takes -1 here and carries into the next position
        bool negative = mpz_tstbit(k.get_mpz_t(), 1) && position + 1 < width;
        digits.emplace_back(position, negative);
        k += negative ? 1 : -1;
    }
    return digits;
}

// atom * 2^k as concat(atom[w-1-k:0], 0_k), rewritten (a slice of a
// concatenation or a complement is pushed down, and the result is then read
// back as an atom of its own).
TermId shifted(Rewriter& rw, TermId atom, uint32_t k) {
    if (k == 0) return atom;
    uint32_t width = rw.store().width(atom);
    return rw.mk(Kind::Concat, {rw.mk(Kind::Extract, {atom}, {width - 1 - k, 0}), rw.zero(k)});
}

// The summands in the order of their ids and the constant (kKeep: none)
// last, so that reading the sum back and building it again gives the same
// node.
TermId sumOf(Rewriter& rw, std::vector<TermId> summands, TermId constant) {
    std::sort(summands.begin(), summands.end());
    if (constant != kKeep) summands.push_back(constant);
    if (summands.size() == 1) return summands[0];
    return rw.store().mk(Kind::BvAdd, summands);
}

}  // namespace

TermId buildLinear(Rewriter& rw, const LinearSum& sum) {
    uint32_t w = sum.width;
    if (sum.isConstant()) return rw.bvConst(w, sum.constant);
    terms::TermStore& s = rw.store();
    std::vector<TermId> added, subtracted;
    // shifted copies of a slice that lies in constant bits fold into the constant
    mpz_class folded = sum.constant;
    for (const auto& [atom, k] : sum.terms) {
        std::vector<std::pair<uint32_t, bool>> digits = signedDigits(k, w);
        if (digits.size() > kMaxDigits) {
            added.push_back(s.mk(Kind::BvMul, {rw.bvConst(w, k), atom}));
            continue;
        }
        for (const auto& [position, negative] : digits) {
            TermId summand = shifted(rw, atom, position);
            if (rw.isConst(summand))
                folded += negative ? mpz_class(-s.value(summand)) : s.value(summand);
            else
                (negative ? subtracted : added).push_back(summand);
        }
    }
    reduceToWidth(folded, w);
    TermId constant = folded != 0 ? rw.bvConst(w, folded) : kKeep;
    if (added.empty() && subtracted.empty()) return rw.bvConst(w, folded);
    if (subtracted.empty()) return sumOf(rw, std::move(added), constant);
    TermId minus = sumOf(rw, std::move(subtracted), kKeep);
    if (added.empty() && constant == kKeep) return s.mk(Kind::BvNeg, {minus});
    return s.mk(Kind::BvSub, {sumOf(rw, std::move(added), constant), minus});
}

}  // namespace torva::simplify
