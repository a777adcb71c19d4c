// The instances of every rule, one case per rule in the order of rules.def
// (the switch has no default, so a rule without instances does not compile
// cleanly). Each case builds the rule's left-hand side in the shapes the
// rule looks for and, next to them, near misses its side conditions must
// refuse; constants run over all values of small widths so that the width-1
// and sign-bit cases are always among them.
#include "rule_instances.h"

namespace rwtest {

using torva::simplify::RuleId;
using torva::terms::Kind;
using torva::terms::TermId;
using K = Kind;

namespace {

uint64_t mask(uint32_t width) { return width >= 64 ? ~uint64_t(0) : (uint64_t(1) << width) - 1; }

// Every (hi, lo) extraction from a term of the width.
template <class F>
void forEachSlice(uint32_t width, F f) {
    for (uint32_t hi = 0; hi < width; hi++)
        for (uint32_t lo = 0; lo <= hi; lo++) f(hi, lo);
}

void compareAgainstConstants(InstanceBuilder& b, std::initializer_list<Kind> kinds) {
    for (Kind k : kinds) {
        b.add(k, {b.x, b.y});
        b.add(k, {b.x, b.x});
        for (uint64_t v : b.values()) {
            b.add(k, {b.x, b.c(v)});
            b.add(k, {b.c(v), b.x});
        }
    }
}

void strictAgainstConstants(InstanceBuilder& b) { compareAgainstConstants(b, {K::BvUlt, K::BvSlt}); }

void byConstants(InstanceBuilder& b, std::initializer_list<Kind> kinds) {
    for (Kind k : kinds)
        for (uint64_t v : b.values()) b.add(k, {b.x, b.c(v)});
}

// Shifts by every constant up to twice the width, and of a sum.
void shiftsByConstants(InstanceBuilder& b, std::initializer_list<Kind> kinds) {
    for (Kind k : kinds)
        for (uint64_t v = 0; v <= 2 * b.w && v <= mask(b.w); v++) {
            b.add(k, {b.x, b.c(v)});
            b.add(k, {b.mk(K::BvAdd, {b.x, b.y}), b.c(v)});
        }
}

}  // namespace

void buildInstances(RuleId rule, InstanceBuilder& b) {
    switch (rule) {
        case RuleId::FoldConstants:
            for (uint64_t u : b.values())
                for (uint64_t v : b.values()) {
                    b.add(K::BvSdiv, {b.c(u), b.c(v)});
                    b.add(K::BvAdd, {b.x, b.mk(K::BvSmod, {b.c(u), b.c(v)})});
                }
            b.add(K::And, {b.p, b.no(b.F)});
            return;
        case RuleId::ElimImplies:
            b.add(K::Implies, {b.p, b.q});
            b.add(K::Implies, {b.p, b.q, b.r});
            b.add(K::Implies, {b.p, b.no(b.p)});
            return;
        case RuleId::ElimDistinct:
            b.add(K::Distinct, {b.x, b.y});
            b.add(K::Distinct, {b.x, b.y, b.z});
            b.add(K::Distinct, {b.p, b.q});
            b.add(K::Distinct, {b.x, b.c(1), b.y});
            return;
        case RuleId::ElimChainedEqual:
            b.add(K::Equal, {b.x, b.y, b.z});
            b.add(K::Equal, {b.p, b.q, b.r});
            b.add(K::Equal, {b.x, b.c(0), b.y});
            return;
        case RuleId::ElimBoolXorChain:
            b.add(K::Xor, {b.p, b.q, b.r});
            b.add(K::Xor, {b.p, b.q, b.p});
            return;
        case RuleId::ElimNegatedBitwise:
            for (Kind k : {K::BvNand, K::BvNor, K::BvXnor}) {
                b.add(k, {b.x, b.y});
                b.add(k, {b.x, b.x});
                for (uint64_t v : b.values()) b.add(k, {b.x, b.c(v)});
            }
            return;
        case RuleId::ElimSwappedCompare: compareAgainstConstants(b, {K::BvUgt, K::BvSgt}); return;
        case RuleId::ElimNonStrictCompare: compareAgainstConstants(b, {K::BvUle, K::BvUge, K::BvSle, K::BvSge}); return;
        case RuleId::ElimZeroExtend:
            for (uint32_t k = 0; k <= 2; k++) b.add(K::ZeroExtend, {b.x}, {k});
            return;
        case RuleId::ElimRotate:
            for (uint32_t k = 0; k <= 2 * b.w + 1; k++) {
                b.add(K::RotateLeft, {b.x}, {k});
                b.add(K::RotateRight, {b.x}, {k});
            }
            return;
        case RuleId::ElimRepeat:
            b.add(K::Repeat, {b.x}, {1});
            b.add(K::Repeat, {b.x}, {2});
            return;
        case RuleId::ElimSignExtendZero:
            for (uint32_t k = 0; k <= 2; k++) b.add(K::SignExtend, {b.x}, {k});
            return;
        case RuleId::NotNot:
            b.add(K::Not, {b.no(b.p)});
            b.add(K::Not, {b.no(b.mk(K::Equal, {b.x, b.y}))});
            return;
        case RuleId::JunctionFlatten:
            b.add(K::And, {b.p, b.mk(K::And, {b.q, b.r})});
            b.add(K::Or, {b.mk(K::Or, {b.p, b.q}), b.r, b.mk(K::Or, {b.q, b.no(b.p)})});
            b.add(K::And, {b.p, b.mk(K::Or, {b.q, b.r})});
            return;
        case RuleId::JunctionNeutral:
            b.add(K::And, {b.p, b.T});
            b.add(K::Or, {b.F, b.p, b.F});
            b.add(K::And, {b.mk(K::Or, {b.p, b.q}), b.T, b.no(b.F)});
            return;
        case RuleId::JunctionAbsorb:
            b.add(K::And, {b.p, b.F});
            b.add(K::Or, {b.q, b.T, b.p});
            return;
        case RuleId::JunctionDuplicate:
            b.add(K::And, {b.p, b.q, b.p});
            b.add(K::Or, {b.p, b.p});
            b.add(K::Or, {b.p, b.mk(K::Or, {b.q, b.p})});
            return;
        case RuleId::JunctionComplement:
            b.add(K::And, {b.p, b.no(b.p)});
            b.add(K::Or, {b.q, b.r, b.no(b.q)});
            b.add(K::And, {b.p, b.no(b.q)});
            return;
        case RuleId::JunctionSingle:
            b.add(K::And, {b.p, b.p});
            b.add(K::Or, {b.F, b.q});
            return;
        case RuleId::BoolXorConst:
            for (bool v : {false, true}) {
                b.add(K::Xor, {b.p, b.s.mkBool(v)});
                b.add(K::Xor, {b.s.mkBool(v), b.q});
            }
            return;
        case RuleId::BoolXorSame:
            b.add(K::Xor, {b.p, b.p});
            b.add(K::Xor, {b.p, b.no(b.p)});
            b.add(K::Xor, {b.no(b.q), b.q});
            return;
        case RuleId::BoolXorNot:
            b.add(K::Xor, {b.no(b.p), b.q});
            b.add(K::Xor, {b.no(b.p), b.no(b.q)});
            b.add(K::Xor, {b.p, b.no(b.q)});
            return;
        case RuleId::BoolEqConst:
            for (bool v : {false, true}) {
                b.add(K::Equal, {b.p, b.s.mkBool(v)});
                b.add(K::Equal, {b.s.mkBool(v), b.mk(K::And, {b.p, b.q})});
            }
            return;
        case RuleId::BoolEqNot:
            b.add(K::Equal, {b.p, b.no(b.p)});
            b.add(K::Equal, {b.no(b.p), b.no(b.q)});
            b.add(K::Equal, {b.no(b.p), b.q});
            return;
        case RuleId::BoolIteConst:
            for (bool v : {false, true}) {
                b.add(K::Ite, {b.p, b.s.mkBool(v), b.q});
                b.add(K::Ite, {b.p, b.q, b.s.mkBool(v)});
            }
            return;
        case RuleId::EqSame:
            b.add(K::Equal, {b.x, b.x});
            b.add(K::Equal, {b.mk(K::BvAnd, {b.x, b.y}), b.mk(K::BvAnd, {b.y, b.x})});
            b.add(K::Equal, {b.p, b.p});
            return;
        case RuleId::EqLinearConst:
            for (uint64_t u : b.values())
                for (uint64_t v : b.values())
                    b.add(K::Equal, {b.mk(K::BvAdd, {b.x, b.c(u)}), b.mk(K::BvSub, {b.x, b.c(v)})});
            b.add(K::Equal, {b.mk(K::BvSub, {b.x, b.y}), b.mk(K::BvNeg, {b.mk(K::BvSub, {b.y, b.x})})});
            return;
        case RuleId::EqPolynomial:
            // x * (y + z) = x*y + x*z; ~(-y) * x = x*y - x; (x*y) << z = x * (y << z); and near misses
            b.add(K::Equal, {b.mk(K::BvMul, {b.x, b.mk(K::BvAdd, {b.y, b.z})}),
                             b.mk(K::BvAdd, {b.mk(K::BvMul, {b.x, b.y}), b.mk(K::BvMul, {b.z, b.x})})});
            b.add(K::Equal, {b.mk(K::BvMul, {b.bvnot(b.mk(K::BvNeg, {b.y})), b.x}),
                             b.mk(K::BvSub, {b.mk(K::BvMul, {b.y, b.x}), b.x})});
            b.add(K::Equal, {b.mk(K::BvShl, {b.mk(K::BvMul, {b.x, b.y}), b.z}),
                             b.mk(K::BvMul, {b.x, b.mk(K::BvShl, {b.y, b.z})})});
            for (uint64_t u : b.values()) {
                b.add(K::Equal, {b.mk(K::BvMul, {b.x, b.mk(K::BvAdd, {b.y, b.y})}),
                                 b.mk(K::BvAdd, {b.mk(K::BvMul, {b.y, b.x}), b.mk(K::BvMul, {b.x, b.mk(K::BvAdd, {b.y, b.c(u)})})})});
                b.add(K::Equal, {b.mk(K::BvMul, {b.x, b.y}), b.mk(K::BvAdd, {b.mk(K::BvMul, {b.y, b.x}), b.c(u)})});
            }
            return;
        case RuleId::EqLinearSolve:
            for (uint64_t u : b.values())
                for (uint64_t v : b.values()) {
                    b.add(K::Equal, {b.mk(K::BvAdd, {b.x, b.c(u)}), b.c(v)});
                    b.add(K::Equal, {b.mk(K::BvMul, {b.c(u), b.x}), b.c(v)});
                }
            b.add(K::Equal, {b.mk(K::BvAdd, {b.x, b.y}), b.y});
            b.add(K::Equal, {b.mk(K::BvShl, {b.x, b.c(1)}), b.mk(K::BvAdd, {b.x, b.c(1)})});
            return;
        case RuleId::EqLinearCancel:
            b.add(K::Equal, {b.mk(K::BvAdd, {b.x, b.y}), b.mk(K::BvAdd, {b.x, b.z})});
            for (uint64_t v : b.values())
                b.add(K::Equal, {b.mk(K::BvAdd, {b.mk(K::BvMul, {b.c(v), b.x}), b.y}), b.mk(K::BvSub, {b.z, b.x})});
            b.add(K::Equal, {b.mk(K::BvAdd, {b.x, b.y}), b.mk(K::BvAdd, {b.z, b.c(1)})});
            return;
        case RuleId::EqBvNot:
            b.add(K::Equal, {b.bvnot(b.x), b.bvnot(b.y)});
            for (uint64_t v : b.values()) b.add(K::Equal, {b.c(v), b.bvnot(b.x)});
            return;
        case RuleId::EqConcat:
            for (uint64_t v : b.values(2 * b.w)) b.add(K::Equal, {b.mk(K::Concat, {b.x, b.y}), b.c(v, 2 * b.w)});
            b.add(K::Equal, {b.mk(K::Concat, {b.x, b.y}), b.mk(K::Concat, {b.y, b.z})});
            b.add(K::Equal, {b.mk(K::Concat, {b.x, b.y, b.z}), b.mk(K::Concat, {b.z, b.y, b.x})});
            b.add(K::Equal, {b.mk(K::Concat, {b.x, b.c(0, 1)}), b.mk(K::Concat, {b.c(1, 1), b.y})});
            return;
        case RuleId::EqIteConst:
            for (uint64_t u : b.values())
                for (uint64_t v : {uint64_t(0), uint64_t(1), mask(b.w)})
                    for (uint64_t k : {uint64_t(0), uint64_t(1), mask(b.w)})
                        b.add(K::Equal, {b.mk(K::Ite, {b.p, b.c(u), b.c(v)}), b.c(k)});
            b.add(K::Equal, {b.mk(K::Ite, {b.p, b.x, b.c(1)}), b.c(1)});
            return;
        case RuleId::IteConstCond:
            for (bool v : {false, true}) b.add(K::Ite, {b.s.mkBool(v), b.x, b.y});
            b.add(K::Ite, {b.mk(K::Equal, {b.c(0), b.c(0)}), b.p, b.q});
            return;
        case RuleId::IteSame:
            b.add(K::Ite, {b.p, b.x, b.x});
            b.add(K::Ite, {b.p, b.mk(K::BvAdd, {b.x, b.y}), b.mk(K::BvAdd, {b.y, b.x})});
            return;
        case RuleId::IteNotCond:
            b.add(K::Ite, {b.no(b.p), b.x, b.y});
            b.add(K::Ite, {b.no(b.p), b.q, b.r});
            return;
        case RuleId::IteNested:
            b.add(K::Ite, {b.p, b.mk(K::Ite, {b.p, b.x, b.y}), b.z});
            b.add(K::Ite, {b.p, b.x, b.mk(K::Ite, {b.p, b.y, b.z})});
            b.add(K::Ite, {b.p, b.mk(K::Ite, {b.q, b.x, b.y}), b.z});
            return;
        case RuleId::BvCompFold:
            b.add(K::BvComp, {b.x, b.x});
            b.add(K::BvComp, {b.mk(K::BvAdd, {b.x, b.c(1)}), b.x});
            b.add(K::BvComp, {b.x, b.y});
            for (uint64_t v : b.values()) b.add(K::BvComp, {b.c(v), b.x});
            return;
        case RuleId::BvNotNot: b.add(K::BvNot, {b.bvnot(b.x)}); return;
        case RuleId::BitwiseFlatten:
            for (Kind k : {K::BvAnd, K::BvOr, K::BvXor}) {
                b.add(k, {b.x, b.mk(k, {b.y, b.z})});
                b.add(k, {b.mk(k, {b.x, b.y}), b.mk(k, {b.y, b.c(1)})});
            }
            return;
        case RuleId::BitwiseConstMerge:
            for (Kind k : {K::BvAnd, K::BvOr, K::BvXor})
                for (uint64_t v : b.values()) {
                    b.add(k, {b.c(v), b.x, b.c(v + 1)});
                    b.add(k, {b.c(v), b.mk(k, {b.x, b.c(3)})});
                }
            return;
        case RuleId::BitwiseNeutral: byConstants(b, {K::BvAnd, K::BvOr, K::BvXor}); return;
        case RuleId::BitwiseAbsorb:
            b.add(K::BvAnd, {b.x, b.c(0), b.y});
            b.add(K::BvOr, {b.ones(), b.x});
            return;
        case RuleId::BitwiseDuplicate:
            for (Kind k : {K::BvAnd, K::BvOr, K::BvXor}) {
                b.add(k, {b.x, b.x});
                b.add(k, {b.x, b.y, b.x});
                b.add(k, {b.x, b.mk(k, {b.x, b.x}), b.x});
            }
            return;
        case RuleId::BitwiseComplement:
            for (Kind k : {K::BvAnd, K::BvOr, K::BvXor}) {
                b.add(k, {b.x, b.bvnot(b.x)});
                b.add(k, {b.bvnot(b.x), b.y, b.x});
                b.add(k, {b.x, b.bvnot(b.y)});
            }
            return;
        case RuleId::BvXorNot:
            b.add(K::BvXor, {b.bvnot(b.x), b.y});
            b.add(K::BvXor, {b.bvnot(b.x), b.bvnot(b.y)});
            b.add(K::BvXor, {b.bvnot(b.x), b.x, b.y});
            for (uint64_t v : b.values()) b.add(K::BvXor, {b.bvnot(b.x), b.c(v)});
            return;
        case RuleId::BitwiseSingle:
            b.add(K::BvAnd, {b.x, b.x});
            b.add(K::BvOr, {b.c(0), b.x});
            b.add(K::BvXor, {b.x, b.y, b.y});
            return;
        case RuleId::BitwiseOverConcat:
            for (Kind k : {K::BvAnd, K::BvOr, K::BvXor})
                for (uint64_t v : b.values(2 * b.w)) {
                    b.add(k, {b.mk(K::Concat, {b.x, b.y}), b.c(v, 2 * b.w)});
                    b.add(k, {b.c(v, 2 * b.w), b.mk(K::ZeroExtend, {b.x}, {b.w})});
                }
            return;
        case RuleId::LinearNormalise:
            b.add(K::BvAdd, {b.y, b.x});
            b.add(K::BvSub, {b.x, b.x});
            b.add(K::BvAdd, {b.x, b.mk(K::BvNeg, {b.x})});
            b.add(K::BvNeg, {b.mk(K::BvSub, {b.x, b.y, b.z})});
            for (uint64_t v : b.values()) {
                b.add(K::BvMul, {b.c(v), b.mk(K::BvAdd, {b.x, b.y})});
                b.add(K::BvAdd, {b.mk(K::BvMul, {b.x, b.c(v)}), b.x, b.c(v)});
                b.add(K::BvSub, {b.mk(K::BvShl, {b.x, b.c(v)}), b.mk(K::BvMul, {b.y, b.c(v)}), b.z});
            }
            return;
        case RuleId::MulZero:
            b.add(K::BvMul, {b.x, b.c(0)});
            for (uint64_t v : b.values()) b.add(K::BvMul, {b.c(v), b.x, b.c(uint64_t(1) << (b.w - 1)), b.y});
            return;
        case RuleId::MulFlatten:
            b.add(K::BvMul, {b.x, b.mk(K::BvMul, {b.y, b.z})});
            b.add(K::BvMul, {b.mk(K::BvMul, {b.c(3), b.x}), b.mk(K::BvMul, {b.y, b.x})});
            b.add(K::BvMul, {b.x, b.y});
            return;
        case RuleId::MulQuotientByDivisor: {
            TermId quotient = b.mk(K::BvUdiv, {b.x, b.y});
            b.add(K::BvMul, {quotient, b.y});
            b.add(K::BvMul, {b.y, quotient});
            b.add(K::BvMul, {b.c(3), quotient, b.y});
            b.add(K::BvMul, {quotient, b.x});  // a near miss: not the divisor
            b.add(K::BvMul, {b.mk(K::BvUdiv, {b.x, b.c(0)}), b.c(0)});
            return;
        }
        case RuleId::DivByOne: byConstants(b, {K::BvUdiv, K::BvUrem, K::BvSdiv, K::BvSrem, K::BvSmod}); return;
        case RuleId::DivByZero:
            for (Kind k : {K::BvUdiv, K::BvUrem, K::BvSdiv, K::BvSrem, K::BvSmod})
                b.add(k, {b.mk(K::BvAdd, {b.x, b.y}), b.c(0)});
            return;
        case RuleId::DivByPowerOfTwo: byConstants(b, {K::BvUdiv, K::BvUrem}); return;
        case RuleId::DivSame:
            for (Kind k : {K::BvUdiv, K::BvUrem, K::BvSdiv, K::BvSrem, K::BvSmod}) {
                b.add(k, {b.x, b.x});
                b.add(k, {b.x, b.y});
            }
            return;
        case RuleId::ShiftByZero:
            for (Kind k : {K::BvShl, K::BvLshr, K::BvAshr}) b.add(k, {b.x, b.c(0)});
            return;
        case RuleId::ShiftOut: shiftsByConstants(b, {K::BvShl, K::BvLshr}); return;
        case RuleId::ShiftLeftConst: shiftsByConstants(b, {K::BvShl}); return;
        case RuleId::ShiftRightConst: shiftsByConstants(b, {K::BvLshr}); return;
        case RuleId::ArithShiftConst: shiftsByConstants(b, {K::BvAshr}); return;
        case RuleId::ShiftZero:
            for (Kind k : {K::BvShl, K::BvLshr, K::BvAshr}) {
                b.add(k, {b.c(0), b.x});
                b.add(k, {b.c(1), b.x});
                b.add(k, {b.ones(), b.x});
            }
            return;
        case RuleId::ExtractWhole:
            b.add(K::Extract, {b.x}, {b.w - 1, 0});
            b.add(K::Extract, {b.mk(K::Concat, {b.x, b.y})}, {b.w - 1, 0});
            return;
        case RuleId::ExtractExtract:
            for (TermId a : {b.x, b.mk(K::BvAdd, {b.x, b.y})})
                forEachSlice(b.w, [&](uint32_t hi, uint32_t lo) {
                    forEachSlice(hi - lo + 1, [&](uint32_t i, uint32_t j) {
                        b.add(K::Extract, {b.mk(K::Extract, {a}, {hi, lo})}, {i, j});
                    });
                });
            return;
        case RuleId::ExtractConcat: {
            TermId xyz = b.mk(K::Concat, {b.x, b.y, b.z}),
                   nested = b.mk(K::Concat, {b.x, b.mk(K::Concat, {b.c(2), b.y})});
            forEachSlice(3 * b.w, [&](uint32_t hi, uint32_t lo) {
                b.add(K::Extract, {xyz}, {hi, lo});
                b.add(K::Extract, {nested}, {hi, lo});
            });
            return;
        }
        case RuleId::ExtractSignExtend:
            for (uint32_t k = 1; k <= 2; k++)
                forEachSlice(b.w + k, [&](uint32_t hi, uint32_t lo) {
                    b.add(K::Extract, {b.mk(K::SignExtend, {b.x}, {k})}, {hi, lo});
                });
            return;
        case RuleId::ExtractBvNot:
            forEachSlice(b.w, [&](uint32_t hi, uint32_t lo) {
                b.add(K::Extract, {b.bvnot(b.x)}, {hi, lo});
                b.add(K::Extract, {b.bvnot(b.mk(K::BvAdd, {b.x, b.y}))}, {hi, lo});
            });
            return;
        case RuleId::ExtractBitwise:
            for (Kind k : {K::BvAnd, K::BvOr, K::BvXor}) {
                TermId withConst = b.mk(k, {b.x, b.c(0b0110)}), withoutConst = b.mk(k, {b.x, b.y});
                forEachSlice(b.w, [&](uint32_t hi, uint32_t lo) {
                    b.add(K::Extract, {withConst}, {hi, lo});
                    b.add(K::Extract, {withoutConst}, {hi, lo});
                });
                TermId withConcats = b.mk(k, {b.mk(K::Concat, {b.x, b.y}), b.mk(K::Concat, {b.y, b.x})});
                forEachSlice(2 * b.w, [&](uint32_t hi, uint32_t lo) { b.add(K::Extract, {withConcats}, {hi, lo}); });
            }
            return;
        case RuleId::ExtractIte:
            forEachSlice(b.w, [&](uint32_t hi, uint32_t lo) {
                b.add(K::Extract, {b.mk(K::Ite, {b.p, b.c(0b1010), b.c(0b0110)})}, {hi, lo});
                b.add(K::Extract, {b.mk(K::Ite, {b.p, b.mk(K::Concat, {b.x, b.c(1, 1)}), b.c(3, b.w + 1)})}, {hi, lo});
                b.add(K::Extract, {b.mk(K::Ite, {b.p, b.x, b.c(1)})}, {hi, lo});
            });
            return;
        case RuleId::ConcatFlatten:
            b.add(K::Concat, {b.x, b.mk(K::Concat, {b.y, b.z})});
            b.add(K::Concat, {b.mk(K::Concat, {b.x, b.c(1)}), b.mk(K::Concat, {b.c(2), b.z})});
            return;
        case RuleId::ConcatConsts:
            for (uint64_t v : b.values()) {
                b.add(K::Concat, {b.c(v), b.c(v + 1), b.x});
                b.add(K::Concat, {b.x, b.c(v, 1), b.c(v)});
            }
            return;
        case RuleId::ConcatExtracts:
            forEachSlice(b.w, [&](uint32_t hi, uint32_t lo) {
                for (uint32_t m = lo; m < hi; m++) {
                    b.add(K::Concat, {b.mk(K::Extract, {b.x}, {hi, m + 1}), b.mk(K::Extract, {b.x}, {m, lo})});
                    b.add(K::Concat, {b.mk(K::Extract, {b.x}, {m, lo}), b.mk(K::Extract, {b.x}, {hi, m + 1})});
                }
            });
            return;
        case RuleId::ConcatSingle:
            b.add(K::Extract, {b.mk(K::Concat, {b.x, b.y})}, {0, 0});
            if (b.w >= 2) b.add(K::Concat, {b.mk(K::Extract, {b.x}, {b.w - 1, 1}), b.mk(K::Extract, {b.x}, {0, 0})});
            return;
        case RuleId::CompareSame:
            for (Kind k : {K::BvUlt, K::BvSlt, K::BvUle, K::BvSge}) b.add(k, {b.x, b.x});
            return;
        case RuleId::CompareBottom: return strictAgainstConstants(b);
        case RuleId::CompareTop: return strictAgainstConstants(b);
        case RuleId::CompareAboveBottom: return strictAgainstConstants(b);
        case RuleId::CompareBelowTop: return strictAgainstConstants(b);
        case RuleId::CompareZeroExtended:
            for (uint32_t k = 1; k <= 2; k++) {
                TermId zx = b.mk(K::ZeroExtend, {b.x}, {k}), zy = b.mk(K::ZeroExtend, {b.y}, {k});
                b.add(K::BvUlt, {zx, zy});
                b.add(K::BvUle, {b.mk(K::ZeroExtend, {b.x}, {k + 1}), b.mk(K::Concat, {b.c(0, 1), zy})});
                b.add(K::BvUlt, {b.mk(K::Concat, {b.c(1, k), b.x}), zy});
                for (uint64_t v : b.values(b.w + k)) {
                    b.add(K::BvUlt, {zx, b.c(v, b.w + k)});
                    b.add(K::BvSlt, {b.c(v, b.w + k), zx});
                }
            }
            return;
        case RuleId::CompareOneBit:
            for (Kind k : {K::BvUlt, K::BvSlt}) {
                b.add(k, {b.x, b.y});
                b.add(k, {b.mk(K::Extract, {b.x}, {0, 0}), b.mk(K::Extract, {b.y}, {b.w - 1, b.w - 1})});
            }
            return;
    }
}

InstanceBuilder::InstanceBuilder(torva::terms::TermStore& store, uint32_t width)
    : s(store),
      w(width),
      x(store.mkVar(width, "x")),
      y(store.mkVar(width, "y")),
      z(store.mkVar(width, "z")),
      p(store.mkVar(torva::terms::kBool, "p")),
      q(store.mkVar(torva::terms::kBool, "q")),
      r(store.mkVar(torva::terms::kBool, "r")),
      T(store.mkBool(true)),
      F(store.mkBool(false)) {}

TermId InstanceBuilder::c(uint64_t v, uint32_t width) {
    uint32_t bits = width == 0 ? w : width;
    return s.mkConst(bits, static_cast<unsigned long>(v & mask(bits)));
}

TermId InstanceBuilder::mk(Kind kind, std::initializer_list<TermId> args, std::initializer_list<uint32_t> indices) {
    return s.mk(kind, args, indices);
}

void InstanceBuilder::add(Kind kind, std::initializer_list<TermId> args, std::initializer_list<uint32_t> indices) {
    terms.push_back(mk(kind, args, indices));
}

std::vector<uint64_t> InstanceBuilder::values(uint32_t width) const {
    uint32_t bits = width == 0 ? w : width;
    std::vector<uint64_t> all;
    if (bits <= 4) {
        for (uint64_t v = 0; v <= mask(bits); v++) all.push_back(v);
        return all;
    }
    uint64_t min = uint64_t(1) << (bits - 1);
    for (uint64_t v : {uint64_t(0), uint64_t(1), uint64_t(2), uint64_t(3), min - 1, min, min + 1, mask(bits) - 1,
                       mask(bits), 0x5555555555555555 & mask(bits), 0xAAAAAAAAAAAAAAAA & mask(bits)})
        all.push_back(v);
    return all;
}

}  // namespace rwtest
