// Every rule on instances of its own, at widths 1 to 4, with the linear sums
// on and off: each raw instance (store.mk) and its rewritten form agree under
// every assignment, rewriting again changes nothing, and every rule of
// rules.def fires on its own instances (with the linear sums off, all but
// those reading sums). One case per rule (the switch has no default): the
// shapes the rule looks for and the near misses its side conditions must
// refuse, constants over all values of small widths (width-1 and sign-bit
// cases included).
#include <gtest/gtest.h>

#include <exception>
#include <initializer_list>
#include <string>
#include <vector>

#include "rewrite_check.h"
#include "simplify/rewriter.h"

namespace {

using namespace rwtest;
using torva::simplify::kNumRules;
using torva::simplify::Rewriter;
using torva::simplify::RewriteSettings;
using torva::simplify::RuleCounts;
using torva::simplify::RuleId;
using torva::simplify::ruleName;

uint64_t mask(uint32_t width) { return width >= 64 ? ~uint64_t(0) : (uint64_t(1) << width) - 1; }

// The instances of one width. x, y, z are bit-vector variables of the
// width, p, q, r Boolean ones, T and F the Boolean constants.
struct Builder {
    Builder(TermStore& store, uint32_t width) : s(store), w(width) {}

    // The constant v mod 2^width (the builder's width by default).
    TermId c(uint64_t v, uint32_t width = 0) {
        uint32_t bits = width == 0 ? w : width;
        return s.mkConst(bits, static_cast<unsigned long>(v & mask(bits)));
    }
    TermId ones() { return c(~uint64_t(0)); }
    TermId mk(Kind kind, std::initializer_list<TermId> args, std::initializer_list<uint32_t> indices = {}) {
        return s.mk(kind, args, indices);
    }
    TermId no(TermId t) { return mk(K::Not, {t}); }
    TermId bvnot(TermId t) { return mk(K::BvNot, {t}); }
    void add(Kind kind, std::initializer_list<TermId> args, std::initializer_list<uint32_t> indices = {}) {
        terms.push_back(mk(kind, args, indices));
    }
    void add(std::initializer_list<TermId> instances) { terms.insert(terms.end(), instances); }
    // Every value of the width up to 4 bits, else the edge values and two
    // alternating patterns.
    std::vector<uint64_t> values(uint32_t width = 0) const {
        uint32_t bits = width == 0 ? w : width;
        std::vector<uint64_t> all;
        if (bits <= 4) {
            for (uint64_t v = 0; v <= mask(bits); v++) all.push_back(v);
            return all;
        }
        uint64_t min = uint64_t(1) << (bits - 1);
        return {0, 1, 2, 3, min - 1, min, min + 1, mask(bits) - 1, mask(bits), 0x5555555555555555 & mask(bits),
                0xAAAAAAAAAAAAAAAA & mask(bits)};
    }

    TermStore& s;
    const uint32_t w;
    const TermId x = s.mkVar(w, "x"), y = s.mkVar(w, "y"), z = s.mkVar(w, "z");
    const TermId p = s.mkVar(kBool, "p"), q = s.mkVar(kBool, "q"), r = s.mkVar(kBool, "r");
    const TermId T = s.mkBool(true), F = s.mkBool(false);
    std::vector<TermId> terms;
};

// Every (hi, lo) extraction from a term of the width.
template <class F>
void forEachSlice(uint32_t width, F f) {
    for (uint32_t hi = 0; hi < width; hi++)
        for (uint32_t lo = 0; lo <= hi; lo++) f(hi, lo);
}

void compareAgainstConstants(Builder& b, std::initializer_list<Kind> kinds) {
    for (Kind k : kinds) {
        b.add(k, {b.x, b.y});
        b.add(k, {b.x, b.x});
        for (uint64_t v : b.values()) b.add({b.mk(k, {b.x, b.c(v)}), b.mk(k, {b.c(v), b.x})});
    }
}

void byConstants(Builder& b, std::initializer_list<Kind> kinds) {
    for (Kind k : kinds)
        for (uint64_t v : b.values()) b.add(k, {b.x, b.c(v)});
}

// Shifts by every constant up to twice the width, and of a sum.
void shiftsByConstants(Builder& b, Kind k) {
    for (uint64_t v = 0; v <= 2 * b.w && v <= mask(b.w); v++)
        b.add({b.mk(k, {b.x, b.c(v)}), b.mk(k, {b.mk(K::BvAdd, {b.x, b.y}), b.c(v)})});
}

const std::initializer_list<Kind> kBitwise = {K::BvAnd, K::BvOr, K::BvXor};
const std::initializer_list<Kind> kDivisions = {K::BvUdiv, K::BvUrem, K::BvSdiv, K::BvSrem, K::BvSmod};

// Adds the instances of the rule. Those over x, y and z together are meant
// for widths up to 3.
void buildInstances(RuleId rule, Builder& b) {
    const TermId x = b.x, y = b.y, z = b.z, p = b.p, q = b.q, r = b.r;
    auto mk = [&](Kind k, std::initializer_list<TermId> args, std::initializer_list<uint32_t> indices = {}) {
        return b.mk(k, args, indices);
    };
    auto c = [&](uint64_t v, uint32_t width = 0) { return b.c(v, width); };
    switch (rule) {
        case RuleId::FoldConstants:  // what folding gives is the evaluator's, checked by RandomDags
            b.add({mk(K::BvAdd, {x, mk(K::BvSmod, {c(3), c(2)})}), mk(K::And, {p, b.no(b.F)})});
            return;
        case RuleId::ElimImplies:
            b.add({mk(K::Implies, {p, q}), mk(K::Implies, {p, q, r}), mk(K::Implies, {p, b.no(p)})});
            return;
        case RuleId::ElimDistinct:
            b.add({mk(K::Distinct, {x, y}), mk(K::Distinct, {x, y, z}), mk(K::Distinct, {p, q})});
            b.add(K::Distinct, {x, c(1), y});
            return;
        case RuleId::ElimChainedEqual:
            b.add({mk(K::Equal, {x, y, z}), mk(K::Equal, {p, q, r}), mk(K::Equal, {x, c(0), y})});
            return;
        case RuleId::ElimBoolXorChain: b.add({mk(K::Xor, {p, q, r}), mk(K::Xor, {p, q, p})}); return;
        case RuleId::ElimNegatedBitwise:
            for (Kind k : {K::BvNand, K::BvNor, K::BvXnor}) {
                b.add({mk(k, {x, y}), mk(k, {x, x})});
                for (uint64_t v : b.values()) b.add(k, {x, c(v)});
            }
            return;
        case RuleId::ElimSwappedCompare: return compareAgainstConstants(b, {K::BvUgt, K::BvSgt});
        case RuleId::ElimNonStrictCompare: return compareAgainstConstants(b, {K::BvUle, K::BvUge, K::BvSle, K::BvSge});
        case RuleId::ElimZeroExtend: for (uint32_t k = 0; k <= 2; k++) b.add(K::ZeroExtend, {x}, {k}); return;
        case RuleId::ElimRotate:
            for (uint32_t k = 0; k <= 2 * b.w + 1; k++)
                b.add({mk(K::RotateLeft, {x}, {k}), mk(K::RotateRight, {x}, {k})});
            return;
        case RuleId::ElimRepeat: b.add({mk(K::Repeat, {x}, {1}), mk(K::Repeat, {x}, {2})}); return;
        case RuleId::ElimSignExtendZero: for (uint32_t k = 0; k <= 2; k++) b.add(K::SignExtend, {x}, {k}); return;
        case RuleId::NotNot: b.add({mk(K::Not, {b.no(p)}), mk(K::Not, {b.no(mk(K::Equal, {x, y}))})}); return;
        case RuleId::JunctionFlatten:
            b.add({mk(K::And, {p, mk(K::And, {q, r})}), mk(K::And, {p, mk(K::Or, {q, r})})});
            b.add(K::Or, {mk(K::Or, {p, q}), r, mk(K::Or, {q, b.no(p)})});
            return;
        case RuleId::JunctionNeutral:
            b.add({mk(K::And, {p, b.T}), mk(K::Or, {b.F, p, b.F}), mk(K::And, {mk(K::Or, {p, q}), b.T, b.no(b.F)})});
            return;
        case RuleId::JunctionAbsorb: b.add({mk(K::And, {p, b.F}), mk(K::Or, {q, b.T, p})}); return;
        case RuleId::JunctionDuplicate:
            b.add({mk(K::And, {p, q, p}), mk(K::Or, {p, p}), mk(K::Or, {p, mk(K::Or, {q, p})})});
            return;
        case RuleId::JunctionComplement:
            b.add({mk(K::And, {p, b.no(p)}), mk(K::Or, {q, r, b.no(q)}), mk(K::And, {p, b.no(q)})});
            return;
        case RuleId::JunctionSingle: b.add({mk(K::And, {p, p}), mk(K::Or, {b.F, q})}); return;
        case RuleId::BoolXorConst: for (TermId v : {b.F, b.T}) b.add({mk(K::Xor, {p, v}), mk(K::Xor, {v, q})}); return;
        case RuleId::BoolXorSame:
            b.add({mk(K::Xor, {p, p}), mk(K::Xor, {p, b.no(p)}), mk(K::Xor, {b.no(q), q})});
            return;
        case RuleId::BoolXorNot:
            b.add({mk(K::Xor, {b.no(p), q}), mk(K::Xor, {b.no(p), b.no(q)}), mk(K::Xor, {p, b.no(q)})});
            return;
        case RuleId::BoolEqConst:
            for (TermId v : {b.F, b.T}) b.add({mk(K::Equal, {p, v}), mk(K::Equal, {v, mk(K::And, {p, q})})});
            return;
        case RuleId::BoolEqNot:
            b.add({mk(K::Equal, {p, b.no(p)}), mk(K::Equal, {b.no(p), b.no(q)}), mk(K::Equal, {b.no(p), q})});
            return;
        case RuleId::BoolIteConst:
            for (TermId v : {b.F, b.T}) b.add({mk(K::Ite, {p, v, q}), mk(K::Ite, {p, q, v})});
            return;
        case RuleId::EqSame:
            b.add({mk(K::Equal, {x, x}), mk(K::Equal, {p, p})});
            b.add(K::Equal, {mk(K::BvAnd, {x, y}), mk(K::BvAnd, {y, x})});
            return;
        case RuleId::EqLinearConst:
            for (uint64_t u : b.values())
                for (uint64_t v : b.values()) b.add(K::Equal, {mk(K::BvAdd, {x, c(u)}), mk(K::BvSub, {x, c(v)})});
            b.add(K::Equal, {mk(K::BvSub, {x, y}), mk(K::BvNeg, {mk(K::BvSub, {y, x})})});
            return;
        case RuleId::EqPolynomial:
            // x * (y + z) = x*y + x*z; ~(-y) * x = x*y - x; (x*y) << z = x * (y << z); and near misses
            b.add(K::Equal, {mk(K::BvMul, {x, mk(K::BvAdd, {y, z})}),
                             mk(K::BvAdd, {mk(K::BvMul, {x, y}), mk(K::BvMul, {z, x})})});
            b.add(K::Equal, {mk(K::BvMul, {b.bvnot(mk(K::BvNeg, {y})), x}), mk(K::BvSub, {mk(K::BvMul, {y, x}), x})});
            b.add(K::Equal, {mk(K::BvShl, {mk(K::BvMul, {x, y}), z}), mk(K::BvMul, {x, mk(K::BvShl, {y, z})})});
            for (uint64_t u : b.values()) {
                b.add(K::Equal, {mk(K::BvMul, {x, mk(K::BvAdd, {y, y})}),
                                 mk(K::BvAdd, {mk(K::BvMul, {y, x}), mk(K::BvMul, {x, mk(K::BvAdd, {y, c(u)})})})});
                b.add(K::Equal, {mk(K::BvMul, {x, y}), mk(K::BvAdd, {mk(K::BvMul, {y, x}), c(u)})});
            }
            return;
        case RuleId::EqLinearSolve:
            for (uint64_t u : b.values())
                for (uint64_t v : b.values())
                    b.add({mk(K::Equal, {mk(K::BvAdd, {x, c(u)}), c(v)}),
                           mk(K::Equal, {mk(K::BvMul, {c(u), x}), c(v)})});
            b.add(K::Equal, {mk(K::BvAdd, {x, y}), y});
            b.add(K::Equal, {mk(K::BvShl, {x, c(1)}), mk(K::BvAdd, {x, c(1)})});
            return;
        case RuleId::EqLinearCancel:
            b.add(K::Equal, {mk(K::BvAdd, {x, y}), mk(K::BvAdd, {x, z})});
            for (uint64_t v : b.values())
                b.add(K::Equal, {mk(K::BvAdd, {mk(K::BvMul, {c(v), x}), y}), mk(K::BvSub, {z, x})});
            b.add(K::Equal, {mk(K::BvAdd, {x, y}), mk(K::BvAdd, {z, c(1)})});
            return;
        case RuleId::EqBvNot:
            b.add(K::Equal, {b.bvnot(x), b.bvnot(y)});
            for (uint64_t v : b.values()) b.add(K::Equal, {c(v), b.bvnot(x)});
            return;
        case RuleId::EqConcat:
            for (uint64_t v : b.values(2 * b.w)) b.add(K::Equal, {mk(K::Concat, {x, y}), c(v, 2 * b.w)});
            b.add(K::Equal, {mk(K::Concat, {x, y}), mk(K::Concat, {y, z})});
            b.add(K::Equal, {mk(K::Concat, {x, y, z}), mk(K::Concat, {z, y, x})});
            b.add(K::Equal, {mk(K::Concat, {x, c(0, 1)}), mk(K::Concat, {c(1, 1), y})});
            return;
        case RuleId::EqIteConst:
            for (uint64_t u : b.values())
                for (uint64_t v : {uint64_t(0), uint64_t(1), mask(b.w)})
                    for (uint64_t k : {uint64_t(0), uint64_t(1), mask(b.w)})
                        b.add(K::Equal, {mk(K::Ite, {p, c(u), c(v)}), c(k)});
            b.add(K::Equal, {mk(K::Ite, {p, x, c(1)}), c(1)});
            return;
        case RuleId::IteConstCond:
            b.add({mk(K::Ite, {b.F, x, y}), mk(K::Ite, {b.T, x, y}), mk(K::Ite, {mk(K::Equal, {c(0), c(0)}), p, q})});
            return;
        case RuleId::IteSame:
            b.add({mk(K::Ite, {p, x, x}), mk(K::Ite, {p, mk(K::BvAdd, {x, y}), mk(K::BvAdd, {y, x})})});
            return;
        case RuleId::IteNotCond: b.add({mk(K::Ite, {b.no(p), x, y}), mk(K::Ite, {b.no(p), q, r})}); return;
        case RuleId::IteNested:
            b.add({mk(K::Ite, {p, mk(K::Ite, {p, x, y}), z}), mk(K::Ite, {p, x, mk(K::Ite, {p, y, z})})});
            b.add(K::Ite, {p, mk(K::Ite, {q, x, y}), z});
            return;
        case RuleId::BvCompFold:
            b.add({mk(K::BvComp, {x, x}), mk(K::BvComp, {mk(K::BvAdd, {x, c(1)}), x}), mk(K::BvComp, {x, y})});
            for (uint64_t v : b.values()) b.add(K::BvComp, {c(v), x});
            return;
        case RuleId::BvNotNot: b.add(K::BvNot, {b.bvnot(x)}); return;
        case RuleId::BitwiseFlatten:
            for (Kind k : kBitwise) b.add({mk(k, {x, mk(k, {y, z})}), mk(k, {mk(k, {x, y}), mk(k, {y, c(1)})})});
            return;
        case RuleId::BitwiseConstMerge:
            for (Kind k : kBitwise)
                for (uint64_t v : b.values()) b.add({mk(k, {c(v), x, c(v + 1)}), mk(k, {c(v), mk(k, {x, c(3)})})});
            return;
        case RuleId::BitwiseNeutral: return byConstants(b, kBitwise);
        case RuleId::BitwiseAbsorb: b.add({mk(K::BvAnd, {x, c(0), y}), mk(K::BvOr, {b.ones(), x})}); return;
        case RuleId::BitwiseDuplicate:
            for (Kind k : kBitwise) b.add({mk(k, {x, x}), mk(k, {x, y, x}), mk(k, {x, mk(k, {x, x}), x})});
            return;
        case RuleId::BitwiseComplement:
            for (Kind k : kBitwise) b.add({mk(k, {x, b.bvnot(x)}), mk(k, {b.bvnot(x), y, x}), mk(k, {x, b.bvnot(y)})});
            return;
        case RuleId::BvXorNot:
            b.add({mk(K::BvXor, {b.bvnot(x), y}), mk(K::BvXor, {b.bvnot(x), b.bvnot(y)})});
            b.add(K::BvXor, {b.bvnot(x), x, y});
            for (uint64_t v : b.values()) b.add(K::BvXor, {b.bvnot(x), c(v)});
            return;
        case RuleId::BitwiseSingle:
            b.add({mk(K::BvAnd, {x, x}), mk(K::BvOr, {c(0), x}), mk(K::BvXor, {x, y, y})});
            return;
        case RuleId::BitwiseOverConcat:
            for (Kind k : kBitwise)
                for (uint64_t v : b.values(2 * b.w))
                    b.add({mk(k, {mk(K::Concat, {x, y}), c(v, 2 * b.w)}),
                           mk(k, {c(v, 2 * b.w), mk(K::ZeroExtend, {x}, {b.w})})});
            return;
        case RuleId::LinearNormalise:
            b.add({mk(K::BvAdd, {y, x}), mk(K::BvSub, {x, x}), mk(K::BvAdd, {x, mk(K::BvNeg, {x})})});
            b.add({mk(K::BvNeg, {mk(K::BvSub, {x, y, z})}), mk(K::BvMul, {x, x})});  // a square is no multiple of x
            for (uint64_t v : b.values()) {
                b.add(K::BvMul, {c(v), mk(K::BvAdd, {x, y})});
                b.add(K::BvAdd, {mk(K::BvMul, {x, c(v)}), x, c(v)});
                b.add(K::BvSub, {mk(K::BvShl, {x, c(v)}), mk(K::BvMul, {y, c(v)}), z});
            }
            return;
        case RuleId::MulZero:
            b.add(K::BvMul, {x, c(0)});
            for (uint64_t v : b.values()) b.add(K::BvMul, {c(v), x, c(uint64_t(1) << (b.w - 1)), y});
            return;
        case RuleId::MulFlatten:
            b.add({mk(K::BvMul, {x, mk(K::BvMul, {y, z})}), mk(K::BvMul, {x, y})});
            b.add(K::BvMul, {mk(K::BvMul, {c(3), x}), mk(K::BvMul, {y, x})});
            return;
        case RuleId::MulQuotientByDivisor: {
            TermId quotient = mk(K::BvUdiv, {x, y});
            b.add({mk(K::BvMul, {quotient, y}), mk(K::BvMul, {y, quotient}), mk(K::BvMul, {c(3), quotient, y})});
            b.add(K::BvMul, {quotient, x});  // a near miss: not the divisor
            b.add(K::BvMul, {mk(K::BvUdiv, {x, c(0)}), c(0)});
            return;
        }
        case RuleId::DivByOne: return byConstants(b, kDivisions);
        case RuleId::DivByZero: for (Kind k : kDivisions) b.add(k, {mk(K::BvAdd, {x, y}), c(0)}); return;
        case RuleId::DivByPowerOfTwo: return byConstants(b, {K::BvUdiv, K::BvUrem});
        case RuleId::DivSame: for (Kind k : kDivisions) b.add({mk(k, {x, x}), mk(k, {x, y})}); return;
        case RuleId::ShiftByZero: for (Kind k : {K::BvShl, K::BvLshr, K::BvAshr}) b.add(k, {x, c(0)}); return;
        case RuleId::ShiftOut: shiftsByConstants(b, K::BvShl); shiftsByConstants(b, K::BvLshr); return;
        case RuleId::ShiftLeftConst: return shiftsByConstants(b, K::BvShl);
        case RuleId::ShiftRightConst: return shiftsByConstants(b, K::BvLshr);
        case RuleId::ArithShiftConst: return shiftsByConstants(b, K::BvAshr);
        case RuleId::ShiftZero:
            for (Kind k : {K::BvShl, K::BvLshr, K::BvAshr})
                b.add({mk(k, {c(0), x}), mk(k, {c(1), x}), mk(k, {b.ones(), x})});
            return;
        case RuleId::ExtractWhole:
            b.add({mk(K::Extract, {x}, {b.w - 1, 0}), mk(K::Extract, {mk(K::Concat, {x, y})}, {b.w - 1, 0})});
            return;
        case RuleId::ExtractExtract:
            for (TermId a : {x, mk(K::BvAdd, {x, y})})
                forEachSlice(b.w, [&](uint32_t hi, uint32_t lo) {
                    forEachSlice(hi - lo + 1, [&](uint32_t i, uint32_t j) {
                        b.add(K::Extract, {mk(K::Extract, {a}, {hi, lo})}, {i, j});
                    });
                });
            return;
        case RuleId::ExtractConcat: {
            TermId xyz = mk(K::Concat, {x, y, z}), nested = mk(K::Concat, {x, mk(K::Concat, {c(2), y})});
            forEachSlice(3 * b.w, [&](uint32_t hi, uint32_t lo) {
                b.add({mk(K::Extract, {xyz}, {hi, lo}), mk(K::Extract, {nested}, {hi, lo})});
            });
            return;
        }
        case RuleId::ExtractSignExtend:
            for (uint32_t k = 1; k <= 2; k++)
                forEachSlice(b.w + k, [&](uint32_t hi, uint32_t lo) {
                    b.add(K::Extract, {mk(K::SignExtend, {x}, {k})}, {hi, lo});
                });
            return;
        case RuleId::ExtractBvNot:
            forEachSlice(b.w, [&](uint32_t hi, uint32_t lo) {
                b.add(K::Extract, {b.bvnot(x)}, {hi, lo});
                b.add(K::Extract, {b.bvnot(mk(K::BvAdd, {x, y}))}, {hi, lo});
            });
            return;
        case RuleId::ExtractBitwise:
            for (Kind k : kBitwise) {
                TermId withConst = mk(k, {x, c(0b0110)}), withoutConst = mk(k, {x, y});
                forEachSlice(b.w, [&](uint32_t hi, uint32_t lo) {
                    b.add({mk(K::Extract, {withConst}, {hi, lo}), mk(K::Extract, {withoutConst}, {hi, lo})});
                });
                TermId withConcats = mk(k, {mk(K::Concat, {x, y}), mk(K::Concat, {y, x})});
                forEachSlice(2 * b.w, [&](uint32_t hi, uint32_t lo) { b.add(K::Extract, {withConcats}, {hi, lo}); });
            }
            return;
        case RuleId::ExtractIte:
            forEachSlice(b.w, [&](uint32_t hi, uint32_t lo) {
                b.add(K::Extract, {mk(K::Ite, {p, c(0b1010), c(0b0110)})}, {hi, lo});
                b.add(K::Extract, {mk(K::Ite, {p, mk(K::Concat, {x, c(1, 1)}), c(3, b.w + 1)})}, {hi, lo});
                b.add(K::Extract, {mk(K::Ite, {p, x, c(1)})}, {hi, lo});
            });
            return;
        case RuleId::ConcatFlatten:
            b.add(K::Concat, {x, mk(K::Concat, {y, z})});
            b.add(K::Concat, {mk(K::Concat, {x, c(1)}), mk(K::Concat, {c(2), z})});
            return;
        case RuleId::ConcatConsts:
            for (uint64_t v : b.values())
                b.add({mk(K::Concat, {c(v), c(v + 1), x}), mk(K::Concat, {x, c(v, 1), c(v)})});
            return;
        case RuleId::ConcatExtracts:
            forEachSlice(b.w, [&](uint32_t hi, uint32_t lo) {
                for (uint32_t m = lo; m < hi; m++) {
                    b.add(K::Concat, {mk(K::Extract, {x}, {hi, m + 1}), mk(K::Extract, {x}, {m, lo})});
                    b.add(K::Concat, {mk(K::Extract, {x}, {m, lo}), mk(K::Extract, {x}, {hi, m + 1})});
                }
            });
            return;
        case RuleId::ConcatSingle:
            b.add(K::Extract, {mk(K::Concat, {x, y})}, {0, 0});
            if (b.w >= 2) b.add(K::Concat, {mk(K::Extract, {x}, {b.w - 1, 1}), mk(K::Extract, {x}, {0, 0})});
            return;
        case RuleId::CompareSame: for (Kind k : {K::BvUlt, K::BvSlt, K::BvUle, K::BvSge}) b.add(k, {x, x}); return;
        case RuleId::CompareBottom:
        case RuleId::CompareTop:
        case RuleId::CompareAboveBottom:
        case RuleId::CompareBelowTop: return compareAgainstConstants(b, {K::BvUlt, K::BvSlt});
        case RuleId::CompareZeroExtended:
            for (uint32_t k = 1; k <= 2; k++) {
                TermId zx = mk(K::ZeroExtend, {x}, {k}), zy = mk(K::ZeroExtend, {y}, {k});
                b.add({mk(K::BvUlt, {zx, zy}), mk(K::BvSlt, {zx, zy})});
                b.add(K::BvUle, {mk(K::ZeroExtend, {x}, {k + 1}), mk(K::Concat, {c(0, 1), zy})});
                b.add(K::BvUlt, {mk(K::Concat, {c(1, k), x}), zy});
                for (uint64_t v : b.values(b.w + k))
                    b.add({mk(K::BvUlt, {zx, c(v, b.w + k)}), mk(K::BvSlt, {c(v, b.w + k), zx})});
            }
            return;
        case RuleId::CompareOneBit:
            for (Kind k : {K::BvUlt, K::BvSlt})
                b.add({mk(k, {x, y}), mk(k, {mk(K::Extract, {x}, {0, 0}), mk(K::Extract, {y}, {b.w - 1, b.w - 1})})});
            return;
    }
}

constexpr uint32_t kMaxWidth = 4, kMaxWidthOfThreeVariables = 3, kMaxExhaustiveBits = 12;
constexpr int kShownFailuresPerRule = 3;

// Rewrites the rule's instances at the width (at widths above 3 those
// without z), compares each with its rewritten form and that with its own
// rewriting; adds the rewriter's firings to `counts`.
void checkInstances(RuleId rule, uint32_t width, const RewriteSettings& settings, RuleCounts& counts) {
    TermStore s;
    Builder b(s, width);
    buildInstances(rule, b);
    Rewriter rw(s, settings);
    int failures = 0;
    auto fail = [&](const std::string& what) {
        if (++failures <= kShownFailuresPerRule)
            ADD_FAILURE() << ruleName(rule) << " instances, width " << width << ", linear " << settings.linear << ":\n"
                          << what;
    };
    for (TermId t : b.terms) {
        if (width > kMaxWidthOfThreeVariables && mentions(s, {t}, b.z)) continue;
        ASSERT_LE(bitsOfVariables(s, variablesOf(s, {t})), kMaxExhaustiveBits) << "too wide: " << smt2(s, t);
        TermId r, again;
        try {
            r = rw.rewrite(t);
            again = rw.rewrite(r);
        } catch (const std::exception& e) {
            fail("rewriting " + smt2(s, t) + " throws: " + e.what());
            continue;
        }
        std::string wrong = differences(s, t, r, kMaxExhaustiveBits);
        if (!wrong.empty()) fail(wrong);
        if (wrong.empty() && again != r) fail("rewriting again changes " + smt2(s, r) + "\n  into " + smt2(s, again));
    }
    if (failures > kShownFailuresPerRule)
        ADD_FAILURE() << ruleName(rule) << " instances, width " << width << ": " << failures << " failing";
    for (size_t i = 0; i < kNumRules; i++) counts[i] += rw.counts()[i];
}

TEST(RuleInstances, KeepTheirValueUnderEveryAssignmentAndEveryRuleFiresOnItsOwn) {
    for (RewriteSettings settings : {RewriteSettings{}, RewriteSettings{true, false}}) {
        std::string silent;
        for (size_t i = 0; i < kNumRules; i++) {
            RuleId rule = static_cast<RuleId>(i);
            RuleCounts counts{};
            for (uint32_t w = 1; w <= kMaxWidth; w++) checkInstances(rule, w, settings, counts);
            if (counts[i] == 0) silent += std::string(" ") + ruleName(rule);
        }
        // With the linear sums off, exactly the rules that read sums stay silent.
        const char* readingSums = " EqLinearConst EqLinearSolve EqPolynomial EqLinearCancel LinearNormalise";
        EXPECT_EQ(silent, settings.linear ? "" : readingSums)
            << "rules that did not fire on their instances, linear " << settings.linear;
    }
}

}  // namespace
