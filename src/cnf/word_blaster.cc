// Lowering of every term kind onto gates, and the word circuits it uses:
// ripple-carry addition on full adders, comparison by the carry chain of a
// subtraction, multiplication by shifted rows of the low half only, restoring
// division, and barrel shifters. Invariants: every circuit reads its operands
// only through Gates, so constant bits fold away and repeated subcircuits are
// shared; SMT-LIB semantics throughout (a zero divisor gives the all-ones
// quotient and the dividend as remainder, a shift by the width or more gives
// the fill bit everywhere).
#include "cnf/word_blaster.h"

#include <algorithm>
#include <string>
#include <utility>

#include "containers/check.h"
#include "terms/reachable.h"

namespace torva::cnf {

using terms::Kind;
using terms::TermId;

namespace {

using Bits = WordBlaster::Bits;

Bits invert(const Bits& a) {
    Bits r(a.size());
    for (size_t i = 0; i < a.size(); ++i) r[i] = -a[i];
    return r;
}

template <typename Gate>
Bits perBit(const Bits& a, const Bits& b, Gate gate) {
    Bits r(a.size());
    for (size_t i = 0; i < a.size(); ++i) r[i] = gate(a[i], b[i]);
    return r;
}

Bits select(Gates& g, int cond, const Bits& thenBits, const Bits& elseBits) {
    return perBit(thenBits, elseBits, [&](int t, int e) { return g.mkIte(cond, t, e); });
}

// a + b + carry, truncated to the width; *carryOut receives the carry out of
// the top bit when asked for.
Bits add(Gates& g, const Bits& a, const Bits& b, int carry, int* carryOut = nullptr) {
    const size_t w = a.size();
    Bits sum(w);
    for (size_t i = 0; i < w; ++i) {
        sum[i] = g.mkXor3(a[i], b[i], carry);
        if (i + 1 < w || carryOut) carry = g.mkMaj(a[i], b[i], carry);
    }
    if (carryOut) *carryOut = carry;
    return sum;
}

Bits subtract(Gates& g, const Bits& a, const Bits& b) { return add(g, a, invert(b), g.trueLit()); }

Bits negate(Gates& g, const Bits& a) { return add(g, invert(a), Bits(a.size(), g.falseLit()), g.trueLit()); }

// Unsigned a < b: the carry out of a + ~b + 1 is set exactly when a >= b.
int lessThan(Gates& g, const Bits& a, const Bits& b) {
    int carry = g.trueLit();
    for (size_t i = 0; i < a.size(); ++i) carry = g.mkMaj(a[i], -b[i], carry);
    return -carry;
}

// Flipping both sign bits turns the signed order into the unsigned one.
Bits flipSign(const Bits& a) {
    Bits r(a);
    r.back() = -r.back();
    return r;
}

int equal(Gates& g, const Bits& a, const Bits& b) {
    std::vector<int> same(a.size());
    for (size_t i = 0; i < a.size(); ++i) same[i] = -g.mkXor(a[i], b[i]);
    return g.mkAndN(std::move(same));
}

// The cost of an operand as the multiplier whose bits select the rows: its
// undetermined bits first, then its set bits.
std::pair<size_t, size_t> rowCost(const Gates& g, const Bits& a) {
    size_t open = 0, set = 0;
    for (int l : a) {
        if (!g.isConst(l)) ++open;
        if (g.isTrue(l)) ++set;
    }
    return {open, set};
}

// a times the constant whose bits are c: one addition or subtraction of a
// shifted copy of a per nonzero digit of the constant's non-adjacent form
// (digits -1, 0, 1, no two neighbours nonzero), so a run of ones costs two
// rows and -1 one.
Bits multiplyByConstant(Gates& g, const Bits& a, const Bits& c) {
    const size_t w = a.size();
    mpz_class rest;
    for (size_t j = 0; j < w; ++j)
        if (g.isTrue(c[j])) mpz_setbit(rest.get_mpz_t(), j);
    Bits acc(w, g.falseLit());
    for (size_t j = 0; j < w && rest != 0; ++j, rest >>= 1) {
        if (mpz_odd_p(rest.get_mpz_t()) == 0) continue;
        bool minus = mpz_tstbit(rest.get_mpz_t(), 1) != 0;  // rest = 3 mod 4: digit -1
        rest += minus ? 1 : -1;
        Bits high(acc.begin() + static_cast<std::ptrdiff_t>(j), acc.end());
        Bits row(a.begin(), a.begin() + static_cast<std::ptrdiff_t>(w - j));
        high = minus ? subtract(g, high, row) : add(g, high, row, g.falseLit());
        std::copy(high.begin(), high.end(), acc.begin() + static_cast<std::ptrdiff_t>(j));
    }
    return acc;
}

// The low w bits of a * b: row j is a & b_j shifted by j; rows of a zero bit
// are skipped, and a constant bit makes its row a plain copy of a. A
// constant operand goes by its non-adjacent form instead.
Bits multiply(Gates& g, Bits a, Bits b) {
    if (rowCost(g, a) < rowCost(g, b)) std::swap(a, b);
    if (rowCost(g, b).first == 0) return multiplyByConstant(g, a, b);
    const size_t w = a.size();
    Bits acc(w, g.falseLit());
    for (size_t j = 0; j < w; ++j) {
        if (g.isFalse(b[j])) continue;
        Bits row(w - j), high(acc.begin() + j, acc.end());
        for (size_t i = 0; i < w - j; ++i) row[i] = g.mkAnd(a[i], b[j]);
        high = add(g, high, row, g.falseLit());
        std::copy(high.begin(), high.end(), acc.begin() + j);
    }
    return acc;
}

// Restoring division, one quotient bit per step from the top. Before the step
// for a's bit i the partial remainder has at most w-1-i significant bits, so
// the step compares and subtracts on m = w-i bits only; the divisor's bits
// from m up must then be zero for the quotient bit to be set. A zero divisor
// sets every quotient bit and leaves the remainder equal to a.
void divide(Gates& g, const Bits& a, const Bits& b, Bits& quotient, Bits& remainder) {
    const size_t w = a.size();
    std::vector<int> highZero(w + 1);
    highZero[w] = g.trueLit();
    for (size_t m = w; m-- > 1;) highZero[m] = g.mkAnd(-b[m], highZero[m + 1]);
    quotient.assign(w, 0);
    remainder.clear();
    for (size_t m = 1; m <= w; ++m) {
        const size_t i = w - m;
        Bits shifted{a[i]};
        shifted.insert(shifted.end(), remainder.begin(), remainder.end());
        int noBorrow;
        Bits difference = add(g, shifted, invert(Bits(b.begin(), b.begin() + m)), g.trueLit(), &noBorrow);
        quotient[i] = g.mkAnd(noBorrow, highZero[m]);
        remainder = select(g, quotient[i], difference, shifted);
    }
}

Bits absolute(Gates& g, const Bits& a) { return select(g, a.back(), negate(g, a), a); }

Bits unsignedQuotient(Gates& g, const Bits& a, const Bits& b) {
    Bits q, r;
    divide(g, a, b, q, r);
    return q;
}

Bits unsignedRemainder(Gates& g, const Bits& a, const Bits& b) {
    Bits q, r;
    divide(g, a, b, q, r);
    return r;
}

// The magnitudes' quotient, negated when exactly one operand is negative.
Bits signedQuotient(Gates& g, const Bits& a, const Bits& b) {
    Bits q = unsignedQuotient(g, absolute(g, a), absolute(g, b));
    return select(g, g.mkXor(a.back(), b.back()), negate(g, q), q);
}

// The magnitudes' remainder with the dividend's sign.
Bits signedRemainder(Gates& g, const Bits& a, const Bits& b) {
    Bits r = unsignedRemainder(g, absolute(g, a), absolute(g, b));
    return select(g, a.back(), negate(g, r), r);
}

// The signed remainder, moved by b into b's sign when it is not zero and the
// signs differ.
Bits signedModulus(Gates& g, const Bits& a, const Bits& b) {
    Bits u = unsignedRemainder(g, absolute(g, a), absolute(g, b));
    Bits withSign = select(g, a.back(), negate(g, u), u);
    int adjust = g.mkAnd(g.mkOrN(u), g.mkXor(a.back(), b.back()));
    return select(g, adjust, add(g, withSign, b, g.falseLit()), withSign);
}

enum class Shift { Left, LogicalRight, ArithmeticRight };

// A barrel shifter: stage s moves by 2^s when amount bit s is set, for the
// stages below the width; any higher amount bit means every bit is the fill.
Bits shift(Gates& g, const Bits& a, const Bits& amount, Shift direction) {
    const size_t w = a.size();
    const int fill = direction == Shift::ArithmeticRight ? a.back() : g.falseLit();
    Bits current(a);
    size_t s = 0;
    for (; (size_t{1} << s) < w; ++s) {
        const size_t d = size_t{1} << s;
        Bits next(w);
        for (size_t i = 0; i < w; ++i) {
            int moved;
            if (direction == Shift::Left)
                moved = i >= d ? current[i - d] : g.falseLit();
            else
                moved = i + d < w ? current[i + d] : fill;
            next[i] = g.mkIte(amount[s], moved, current[i]);
        }
        current.swap(next);
    }
    const int tooFar = g.mkOrN(std::vector<int>(amount.begin() + s, amount.end()));
    for (int& bit : current) bit = g.mkIte(tooFar, fill, bit);
    return current;
}

}  // namespace

WordBlaster::WordBlaster(const terms::TermStore& store, Gates& gates) : store_(store), gates_(gates) {}

const WordBlaster::Bits& WordBlaster::bits(TermId t) {
    if (bits_.size() < store_.size()) bits_.resize(store_.size());
    terms::forEachPostOrder(
        store_, t, [this](TermId u) { return lowered(u); }, [this](TermId u) { lowerNode(u); });
    return bits_[t];
}

std::vector<TermId> WordBlaster::variables() const {
    std::vector<TermId> sorted(variables_);
    std::sort(sorted.begin(), sorted.end());
    return sorted;
}

void WordBlaster::lowerNode(TermId t) {
    if (abstracts_ && abstracts_(t)) {
        bits_[t] = lowerVariable(t);
        abstracted_.push_back(t);
        return;
    }
    bits_[t] = lowerApplication(t);
    if (store_.kind(t) == Kind::Variable) variables_.push_back(t);
}

WordBlaster::Bits WordBlaster::lowerApplication(TermId t) {
    switch (store_.kind(t)) {
        case Kind::Const: return lowerConstant(t);
        case Kind::Variable: return lowerVariable(t);
        case Kind::Not:
        case Kind::BvNot: return invert(operand(t, 0));
        case Kind::BvNeg: return negate(gates_, operand(t, 0));
        case Kind::Ite: return select(gates_, operand(t, 0)[0], operand(t, 1), operand(t, 2));
        case Kind::Concat: return lowerConcat(t);
        case Kind::Extract:
        case Kind::Repeat:
        case Kind::ZeroExtend:
        case Kind::SignExtend:
        case Kind::RotateLeft:
        case Kind::RotateRight: return lowerStructural(t);
        case Kind::And:
        case Kind::Or:
        case Kind::BvAnd:
        case Kind::BvOr: return lowerBitwiseN(t);
        default: return lowerChain(t);
    }
}

WordBlaster::Bits WordBlaster::lowerConstant(TermId t) {
    const mpz_class& value = store_.value(t);
    Bits r(store_.isBool(t) ? 1 : store_.width(t));
    for (size_t i = 0; i < r.size(); ++i) r[i] = gates_.constant(mpz_tstbit(value.get_mpz_t(), i) != 0);
    return r;
}

WordBlaster::Bits WordBlaster::lowerVariable(TermId t) {
    Bits r(store_.isBool(t) ? 1 : store_.width(t));
    for (int& bit : r) bit = gates_.newVar();
    return r;
}

// Structural kinds: the result's bits are operand bits (or the constant
// false literal), rearranged.
WordBlaster::Bits WordBlaster::lowerStructural(TermId t) {
    const Bits& a = operand(t, 0);
    const size_t w = a.size();
    const uint32_t k = store_.index(t, 0);
    switch (store_.kind(t)) {
        case Kind::Extract: return Bits(a.begin() + store_.index(t, 1), a.begin() + k + 1);
        case Kind::Repeat: {
            Bits r;
            r.reserve(w * k);
            for (uint32_t i = 0; i < k; ++i) r.insert(r.end(), a.begin(), a.end());
            return r;
        }
        case Kind::ZeroExtend: {
            Bits r(a);
            if (k > 0) r.resize(w + k, gates_.falseLit());
            return r;
        }
        case Kind::SignExtend: {
            Bits r(a);
            r.resize(w + k, a.back());
            return r;
        }
        case Kind::RotateLeft:
        case Kind::RotateRight: {
            size_t shift = k % w;
            if (store_.kind(t) == Kind::RotateLeft) shift = (w - shift) % w;
            Bits r(w);
            for (size_t i = 0; i < w; ++i) r[i] = a[(i + shift) % w];
            return r;
        }
        default: fatalReport("WordBlaster", __LINE__, std::string("not a structural kind: ") + terms::kindName(store_.kind(t)));
    }
}

// The first operand is the most significant part.
WordBlaster::Bits WordBlaster::lowerConcat(TermId t) {
    Bits r;
    for (uint32_t i = store_.numArgs(t); i-- > 0;) {
        const Bits& part = operand(t, i);
        r.insert(r.end(), part.begin(), part.end());
    }
    return r;
}

// And and or of any number of operands: one gate per bit over all of them.
WordBlaster::Bits WordBlaster::lowerBitwiseN(TermId t) {
    const Kind kind = store_.kind(t);
    const bool isAnd = kind == Kind::And || kind == Kind::BvAnd;
    Bits r(operand(t, 0).size());
    std::vector<int> column(store_.numArgs(t));
    for (size_t i = 0; i < r.size(); ++i) {
        for (uint32_t j = 0; j < column.size(); ++j) column[j] = operand(t, j)[i];
        r[i] = isAnd ? gates_.mkAndN(column) : gates_.mkOrN(column);
    }
    return r;
}

// Binary kinds and the n-ary forms of the kind table, combined as the kind's
// chain rule says.
WordBlaster::Bits WordBlaster::lowerChain(TermId t) {
    const Kind kind = store_.kind(t);
    const uint32_t n = store_.numArgs(t);
    switch (terms::kindInfo(kind).chain) {
        case terms::Chain::None:
        case terms::Chain::LeftAssoc: {
            Bits acc = combine(kind, operand(t, 0), operand(t, 1));
            for (uint32_t i = 2; i < n; ++i) acc = combine(kind, acc, operand(t, i));
            return acc;
        }
        case terms::Chain::RightAssoc: {
            Bits acc = combine(kind, operand(t, n - 2), operand(t, n - 1));
            for (uint32_t i = n - 2; i-- > 0;) acc = combine(kind, operand(t, i), acc);
            return acc;
        }
        case terms::Chain::Chainable: {
            std::vector<int> parts;
            for (uint32_t i = 0; i + 1 < n; ++i) parts.push_back(combine(kind, operand(t, i), operand(t, i + 1))[0]);
            return {gates_.mkAndN(std::move(parts))};
        }
        case terms::Chain::Pairwise: {
            std::vector<int> parts;
            for (uint32_t i = 0; i < n; ++i)
                for (uint32_t j = i + 1; j < n; ++j) parts.push_back(combine(kind, operand(t, i), operand(t, j))[0]);
            return {gates_.mkAndN(std::move(parts))};
        }
    }
    fatalReport("WordBlaster", __LINE__, "unknown chain rule");
}

WordBlaster::Bits WordBlaster::combine(Kind kind, const Bits& a, const Bits& b) {
    Gates& g = gates_;
    switch (kind) {
        case Kind::Xor:
        case Kind::BvXor: return perBit(a, b, [&](int x, int y) { return g.mkXor(x, y); });
        case Kind::BvNand: return perBit(a, b, [&](int x, int y) { return -g.mkAnd(x, y); });
        case Kind::BvNor: return perBit(a, b, [&](int x, int y) { return -g.mkOr(x, y); });
        case Kind::BvXnor: return perBit(a, b, [&](int x, int y) { return -g.mkXor(x, y); });
        case Kind::Implies: return {g.mkOr(-a[0], b[0])};
        case Kind::Equal:
        case Kind::BvComp: return {equal(g, a, b)};
        case Kind::Distinct: return {-equal(g, a, b)};
        case Kind::BvAdd: return add(g, a, b, g.falseLit());
        case Kind::BvSub: return subtract(g, a, b);
        case Kind::BvMul: return multiply(g, a, b);
        case Kind::BvUdiv: return unsignedQuotient(g, a, b);
        case Kind::BvUrem: return unsignedRemainder(g, a, b);
        case Kind::BvSdiv: return signedQuotient(g, a, b);
        case Kind::BvSrem: return signedRemainder(g, a, b);
        case Kind::BvSmod: return signedModulus(g, a, b);
        case Kind::BvShl: return shift(g, a, b, Shift::Left);
        case Kind::BvLshr: return shift(g, a, b, Shift::LogicalRight);
        case Kind::BvAshr: return shift(g, a, b, Shift::ArithmeticRight);
        case Kind::BvUlt: return {lessThan(g, a, b)};
        case Kind::BvUle: return {-lessThan(g, b, a)};
        case Kind::BvUgt: return {lessThan(g, b, a)};
        case Kind::BvUge: return {-lessThan(g, a, b)};
        case Kind::BvSlt: return {lessThan(g, flipSign(a), flipSign(b))};
        case Kind::BvSle: return {-lessThan(g, flipSign(b), flipSign(a))};
        case Kind::BvSgt: return {lessThan(g, flipSign(b), flipSign(a))};
        case Kind::BvSge: return {-lessThan(g, flipSign(a), flipSign(b))};
        default: fatalReport("WordBlaster", __LINE__, std::string("no lowering for ") + terms::kindName(kind));
    }
}

}  // namespace torva::cnf
