// Rules of the shifts. A shift by a constant becomes the concatenation of a
// slice of the operand with zeros (or, for the arithmetic shift, a sign
// extension of a slice), so that the shifted bits are only rewired; a shift
// to the left by a constant is a multiplication by 2^k and is written in the
// normal form of the linear sums.
#include "simplify/linear.h"
#include "simplify/rewriter.h"

namespace torva::simplify {

using terms::Kind;
using terms::TermId;

namespace {

TermId shiftLeftBy(Rewriter& rw, TermId a, uint32_t k) {
    uint32_t w = rw.store().width(a);
    LinearSum sum;
    if (rw.settings().linear && readLinear(rw.store(), a, sum)) {
        mpz_class factor;
        mpz_setbit(factor.get_mpz_t(), k);
        return buildLinear(rw, scaled(sum, factor));
    }
    return rw.mk(Kind::Concat, {rw.mk(Kind::Extract, {a}, {w - 1 - k, 0}), rw.zero(k)});
}

TermId shiftByConstant(Rewriter& rw, Kind kind, TermId a, const mpz_class& amount) {
    uint32_t w = rw.store().width(a);
    // a << 0 => a; a >> 0 => a; a >>s 0 => a
    if (amount == 0) {
        rw.fired(RuleId::ShiftByZero);
        return a;
    }
    bool out = amount >= w;
    uint32_t k = out ? w : static_cast<uint32_t>(amount.get_ui());
    if (kind == Kind::BvAshr) {
        // a >>s k => sign_extend k a[w-1:k]; a >>s k => sign_extend (w-1) a[w-1] when k >= w
        rw.fired(RuleId::ArithShiftConst);
        uint32_t low = out ? w - 1 : k;
        return rw.mk(Kind::SignExtend, {rw.mk(Kind::Extract, {a}, {w - 1, low})}, {low});
    }
    // a << k => 0; a >> k => 0 when k >= w
    if (out) {
        rw.fired(RuleId::ShiftOut);
        return rw.zero(w);
    }
    if (kind == Kind::BvShl) {
        // a << k => concat(a[w-1-k:0], 0_k)
        rw.fired(RuleId::ShiftLeftConst);
        return shiftLeftBy(rw, a, k);
    }
    // a >> k => concat(0_k, a[w-1:k])
    rw.fired(RuleId::ShiftRightConst);
    return rw.mk(Kind::Concat, {rw.zero(k), rw.mk(Kind::Extract, {a}, {w - 1, k})});
}

}  // namespace

TermId rewriteShift(Rewriter& rw, Node& node) {
    TermId a = node.args[0], b = node.args[1];
    if (rw.isConst(b)) return shiftByConstant(rw, node.kind, a, rw.store().value(b));
    // 0 << b => 0; 0 >> b => 0; 0 >>s b => 0
    if (rw.isConst(a, 0)) {
        rw.fired(RuleId::ShiftZero);
        return a;
    }
    return kKeep;
}

}  // namespace torva::simplify
