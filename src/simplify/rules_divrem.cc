// Rules of division and remainder by constants and of an operand by itself;
// everything else (including division by zero of constants) is left to
// constant folding, which follows the evaluator's semantics.
#include "simplify/rewriter.h"

namespace torva::simplify {

using terms::Kind;
using terms::TermId;

namespace {

TermId byConstant(Rewriter& rw, Kind kind, TermId a, const mpz_class& d) {
    uint32_t w = rw.store().width(a);
    bool quotient = kind == Kind::BvUdiv || kind == Kind::BvSdiv;
    // a /u 1 => a; a %u 1 => 0 (signed alike, bvsmod too)
    if (d == 1) {
        rw.fired(RuleId::DivByOne);
        return quotient ? a : rw.zero(w);
    }
    bool isUnsigned = kind == Kind::BvUdiv || kind == Kind::BvUrem;
    if (!isUnsigned) return kKeep;
    // a /u 0 => ones; a %u 0 => a
    if (d == 0) {
        rw.fired(RuleId::DivByZero);
        return quotient ? rw.ones(w) : a;
    }
    if (mpz_popcount(d.get_mpz_t()) != 1) return kKeep;
    // a /u 2^k => a >> k; a %u 2^k => concat(0, a[k-1:0])
    rw.fired(RuleId::DivByPowerOfTwo);
    uint32_t k = static_cast<uint32_t>(mpz_scan1(d.get_mpz_t(), 0));
    if (quotient) return rw.mk(Kind::BvLshr, {a, rw.bvConst(w, k)});
    return rw.mk(Kind::Concat, {rw.zero(w - k), rw.mk(Kind::Extract, {a}, {k - 1, 0})});
}

}  // namespace

TermId rewriteDivRem(Rewriter& rw, Node& node) {
    TermId a = node.args[0], b = node.args[1];
    if (rw.isConst(b)) return byConstant(rw, node.kind, a, rw.store().value(b));
    if (a != b || (node.kind != Kind::BvUdiv && node.kind != Kind::BvUrem)) return kKeep;
    // a /u a => ite(a = 0, ones, 1); a %u a => 0
    rw.fired(RuleId::DivSame);
    uint32_t w = rw.store().width(a);
    if (node.kind == Kind::BvUrem) return rw.zero(w);
    return rw.mk(Kind::Ite, {rw.mk(Kind::Equal, {a, rw.zero(w)}), rw.ones(w), rw.bvConst(w, 1)});
}

}  // namespace torva::simplify
