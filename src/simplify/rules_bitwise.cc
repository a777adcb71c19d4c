// Rules of the bitwise operators. And, or and xor are kept flat with their
// non-constant operands sorted by id and at most one constant, which comes
// last; complements are pulled out of xor; nand, nor and xnor become the
// complement of and, or and xor.
#include <algorithm>

#include "simplify/rewriter.h"
#include "simplify/operands.h"

namespace torva::simplify {

using terms::Kind;
using terms::TermId;

namespace {


TermId rewriteNegated(Rewriter& rw, Node& node) {
    // bvnand/bvnor/bvxnor(a, b) => bvnot(bvand/bvor/bvxor(a, b))
    rw.fired(RuleId::ElimNegatedBitwise);
    Kind inner = node.kind == Kind::BvNand ? Kind::BvAnd : node.kind == Kind::BvNor ? Kind::BvOr : Kind::BvXor;
    return rw.mk(Kind::BvNot, {rw.mk(inner, node.args)});
}

// op(concat(a, b), k) => concat(op(a, k_hi), op(b, k_lo)) for a constant k:
// the constant's slices then fold part by part.
TermId splitOverConcat(Rewriter& rw, Kind kind, TermId part, TermId constant) {
    const terms::TermStore& s = rw.store();
    if (s.kind(part) != Kind::Concat) return kKeep;
    rw.fired(RuleId::BitwiseOverConcat);
    uint32_t w = s.width(part);
    std::vector<TermId> pieces;
    uint32_t hi = w;
    for (uint32_t i = 0; i < s.numArgs(part); i++) {
        TermId piece = s.arg(part, i);
        uint32_t pw = s.width(piece);
        TermId slice = rw.mk(Kind::Extract, {constant}, {hi - 1, hi - pw});
        pieces.push_back(rw.mk(kind, {piece, slice}));
        hi -= pw;
    }
    return rw.mk(Kind::Concat, std::move(pieces));
}

TermId rewriteAndOrXor(Rewriter& rw, Node& node) {
    const terms::TermStore& s = rw.store();
    uint32_t w = s.width(node.args[0]);
    bool isXor = node.kind == Kind::BvXor;
    bool flip = false;
    // ~a ^ b => ~(a ^ b), before flattening: ~a may hide a nested xor
    if (isXor)
        for (TermId& a : node.args)
            if (s.kind(a) == Kind::BvNot) {
                rw.fired(RuleId::BvXorNot);
                flip = !flip;
                a = s.arg(a, 0);
            }
    // a & (b & c) => a & b & c
    if (flattenSameKind(s, node)) rw.fired(RuleId::BitwiseFlatten);
    mpz_class constant = node.kind == Kind::BvAnd ? mpz_class(s.value(rw.ones(w))) : mpz_class(0);
    size_t constants = 0;
    std::vector<TermId> rest;
    for (TermId a : node.args) {
        if (rw.isConst(a)) {
            ++constants;
            const mpz_class& v = s.value(a);
            if (node.kind == Kind::BvAnd) constant &= v;
            if (node.kind == Kind::BvOr) constant |= v;
            if (isXor) constant ^= v;
            continue;
        }
        rest.push_back(a);
    }
    if (constants > 1) rw.fired(RuleId::BitwiseConstMerge);
    TermId ones = rw.ones(w);
    // a & 0 => 0; a | ones => ones
    if (!isXor && constant == s.value(node.kind == Kind::BvAnd ? rw.zero(w) : ones)) {
        rw.fired(RuleId::BitwiseAbsorb);
        return rw.bvConst(w, constant);
    }
    std::sort(rest.begin(), rest.end());
    if (isXor) {
        // a ^ a => 0
        std::vector<TermId> odd;
        for (size_t i = 0; i < rest.size(); i++) {
            if (i + 1 < rest.size() && rest[i] == rest[i + 1]) {
                rw.fired(RuleId::BitwiseDuplicate);
                ++i;
                continue;
            }
            odd.push_back(rest[i]);
        }
        rest = std::move(odd);
        // a ^ ones => ~a
        if (constant == s.value(ones)) {
            rw.fired(RuleId::BvXorNot);
            flip = !flip;
            constant = 0;
        }
    } else {
        // a & a => a
        if (sortUnique(rest)) rw.fired(RuleId::BitwiseDuplicate);
        // a & ~a => 0; a | ~a => ones
        if (hasComplementPair(s, rest)) {
            rw.fired(RuleId::BitwiseComplement);
            return node.kind == Kind::BvAnd ? rw.zero(w) : ones;
        }
    }
    // a & ones => a; a | 0 => a; a ^ 0 => a
    bool neutral = constant == (node.kind == Kind::BvAnd ? s.value(ones) : mpz_class(0));
    if (neutral && constants > 0) rw.fired(RuleId::BitwiseNeutral);
    if (!neutral) {
        TermId k = rw.bvConst(w, constant);
        if (rest.size() == 1) {
            TermId split = splitOverConcat(rw, node.kind, rest[0], k);
            if (split != kKeep) return flip ? rw.mk(Kind::BvNot, {split}) : split;
        }
        rest.push_back(k);
    }
    TermId result;
    if (rest.empty()) {
        result = rw.bvConst(w, constant);
    } else if (rest.size() == 1) {
        // and/or/xor of one operand => the operand
        rw.fired(RuleId::BitwiseSingle);
        result = rest[0];
    } else if (!flip && rest == node.args) {
        return kKeep;
    } else {
        result = rw.store().mk(node.kind, rest);
    }
    return flip ? rw.mk(Kind::BvNot, {result}) : result;
}

}  // namespace

TermId rewriteBitwise(Rewriter& rw, Node& node) {
    switch (node.kind) {
        case Kind::BvNot: return doubleNegation(rw, node, RuleId::BvNotNot);
        case Kind::BvNand:
        case Kind::BvNor:
        case Kind::BvXnor: return rewriteNegated(rw, node);
        default: return rewriteAndOrXor(rw, node);
    }
}

}  // namespace torva::simplify
