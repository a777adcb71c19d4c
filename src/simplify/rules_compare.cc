// Rules of the comparisons. Every comparison becomes a strict one, unsigned
// (<u) or signed (<s), possibly negated; strict comparisons of a term with
// itself, with the extremes of its width, of one-bit terms and of two
// zero-extended terms are decided or reduced.
#include "simplify/rewriter.h"

namespace torva::simplify {

using terms::Kind;
using terms::TermId;

namespace {

mpz_class power(uint32_t k) {
    mpz_class v;
    mpz_setbit(v.get_mpz_t(), k);
    return v;
}

TermId toStrict(Rewriter& rw, Node& node) {
    const TermId a = node.args[0], b = node.args[1];
    bool isSigned = node.kind == Kind::BvSgt || node.kind == Kind::BvSge || node.kind == Kind::BvSle;
    Kind strict = isSigned ? Kind::BvSlt : Kind::BvUlt;
    switch (node.kind) {
        case Kind::BvUgt:
        case Kind::BvSgt:
            // a > b => b < a
            rw.fired(RuleId::ElimSwappedCompare);
            return rw.mk(strict, {b, a});
        case Kind::BvUge:
        case Kind::BvSge:
            // a >= b => not (a < b)
            rw.fired(RuleId::ElimNonStrictCompare);
            return rw.mk(Kind::Not, {rw.mk(strict, {a, b})});
        default:
            // a <= b => not (b < a)
            rw.fired(RuleId::ElimNonStrictCompare);
            return rw.mk(Kind::Not, {rw.mk(strict, {b, a})});
    }
}

// The number of leading zero bits t is known to have: a zero-extended term
// or a constant.
uint32_t leadingZeros(Rewriter& rw, TermId t) {
    const terms::TermStore& s = rw.store();
    uint32_t w = s.width(t);
    if (rw.isConst(t)) {
        const mpz_class& v = s.value(t);
        return v == 0 ? w : w - static_cast<uint32_t>(mpz_sizeinbase(v.get_mpz_t(), 2));
    }
    if (s.kind(t) == Kind::Concat && rw.isConst(s.arg(t, 0), 0)) return s.width(s.arg(t, 0));
    return 0;
}

TermId unsignedLess(Rewriter& rw, TermId a, TermId b) {
    const terms::TermStore& s = rw.store();
    uint32_t w = s.width(a);
    // a <u 0 => false; ones <u a => false
    if (rw.isConst(b, 0) || rw.isOnes(a)) {
        rw.fired(rw.isConst(b, 0) ? RuleId::CompareBottom : RuleId::CompareTop);
        return rw.boolConst(false);
    }
    // 0 <u a => not (a = 0)
    if (rw.isConst(a, 0)) {
        rw.fired(RuleId::CompareAboveBottom);
        return rw.mk(Kind::Not, {rw.mk(Kind::Equal, {b, rw.zero(w)})});
    }
    // a <u ones => not (a = ones)
    if (rw.isOnes(b)) {
        rw.fired(RuleId::CompareBelowTop);
        return rw.mk(Kind::Not, {rw.mk(Kind::Equal, {a, b})});
    }
    // a <u b => not a and b for one bit
    if (w == 1) {
        rw.fired(RuleId::CompareOneBit);
        return rw.mk(Kind::And, {rw.mk(Kind::Equal, {a, rw.zero(1)}), rw.mk(Kind::Equal, {b, rw.ones(1)})});
    }
    // concat(0_k, a) <u concat(0_k, b) => a <u b, compared below the common zeros
    uint32_t zeros = std::min(leadingZeros(rw, a), leadingZeros(rw, b));
    if (zeros > 0 && zeros < w) {
        rw.fired(RuleId::CompareZeroExtended);
        auto low = [&](TermId t) { return rw.mk(Kind::Extract, {t}, {w - 1 - zeros, 0}); };
        return rw.mk(Kind::BvUlt, {low(a), low(b)});
    }
    return kKeep;
}

TermId signedLess(Rewriter& rw, TermId a, TermId b) {
    uint32_t w = rw.store().width(a);
    TermId min = rw.bvConst(w, power(w - 1)), max = rw.bvConst(w, power(w - 1) - 1);
    // a <s min => false; max <s a => false
    if (b == min || a == max) {
        rw.fired(b == min ? RuleId::CompareBottom : RuleId::CompareTop);
        return rw.boolConst(false);
    }
    // min <s a => not (a = min)
    if (a == min) {
        rw.fired(RuleId::CompareAboveBottom);
        return rw.mk(Kind::Not, {rw.mk(Kind::Equal, {b, min})});
    }
    // a <s max => not (a = max)
    if (b == max) {
        rw.fired(RuleId::CompareBelowTop);
        return rw.mk(Kind::Not, {rw.mk(Kind::Equal, {a, max})});
    }
    // a <s b => a and not b for one bit (#b1 is -1)
    if (w == 1) {
        rw.fired(RuleId::CompareOneBit);
        return rw.mk(Kind::And, {rw.mk(Kind::Equal, {a, rw.ones(1)}), rw.mk(Kind::Equal, {b, rw.zero(1)})});
    }
    return kKeep;
}

}  // namespace

TermId rewriteCompare(Rewriter& rw, Node& node) {
    if (node.kind != Kind::BvUlt && node.kind != Kind::BvSlt) return toStrict(rw, node);
    TermId a = node.args[0], b = node.args[1];
    // a < a => false
    if (a == b) {
        rw.fired(RuleId::CompareSame);
        return rw.boolConst(false);
    }
    return node.kind == Kind::BvUlt ? unsignedLess(rw, a, b) : signedLess(rw, a, b);
}

}  // namespace torva::simplify
