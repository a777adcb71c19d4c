// Rules of concatenation, extraction, extension, repetition and rotation.
// Zero extensions and rotations by constants become concatenations of
// slices; concatenations are kept flat with adjacent constants and adjacent
// slices of one term merged; an extraction is pushed down through
// concatenations, extractions, sign extensions, complements and through
// bitwise operators and if-then-else whose operands it simplifies.
#include "simplify/rewriter.h"
#include "simplify/operands.h"

namespace torva::simplify {

using terms::Kind;
using terms::TermId;

namespace {

TermId slice(Rewriter& rw, TermId a, uint32_t hi, uint32_t lo) { return rw.mk(Kind::Extract, {a}, {hi, lo}); }

// Whether extracting from t is known to simplify it.
bool slicesAway(const terms::TermStore& s, TermId t) {
    Kind k = s.kind(t);
    return k == Kind::Const || k == Kind::Concat;
}

TermId extractFromConcat(Rewriter& rw, TermId a, uint32_t hi, uint32_t lo) {
    const terms::TermStore& s = rw.store();
    std::vector<TermId> parts;
    uint32_t top = s.width(a);
    for (uint32_t i = 0; i < s.numArgs(a); i++) {
        TermId part = s.arg(a, i);
        uint32_t pw = s.width(part), bottom = top - pw;
        if (bottom <= hi && top > lo) {
            uint32_t from = std::min(hi, top - 1) - bottom, to = std::max(lo, bottom) - bottom;
            parts.push_back(slice(rw, part, from, to));
        }
        top = bottom;
    }
    return rw.mk(Kind::Concat, std::move(parts));
}

TermId rewriteExtract(Rewriter& rw, Node& node) {
    const terms::TermStore& s = rw.store();
    TermId a = node.args[0];
    uint32_t hi = node.indices[0], lo = node.indices[1];
    // a[w-1:0] => a
    if (lo == 0 && hi + 1 == s.width(a)) {
        rw.fired(RuleId::ExtractWhole);
        return a;
    }
    switch (s.kind(a)) {
        case Kind::Extract: {
            // a[h:l][i:j] => a[l+i:l+j]
            rw.fired(RuleId::ExtractExtract);
            uint32_t base = s.index(a, 1);
            return slice(rw, s.arg(a, 0), base + hi, base + lo);
        }
        case Kind::Concat:
            // concat(a, b)[i:j] => the slices of the parts it covers
            rw.fired(RuleId::ExtractConcat);
            return extractFromConcat(rw, a, hi, lo);
        case Kind::SignExtend:
            // (sign_extend k a)[i:j] => a[i:j] when i < width a
            if (hi < s.width(s.arg(a, 0))) {
                rw.fired(RuleId::ExtractSignExtend);
                return slice(rw, s.arg(a, 0), hi, lo);
            }
            return kKeep;
        case Kind::BvNot:
            // (~a)[i:j] => ~(a[i:j])
            rw.fired(RuleId::ExtractBvNot);
            return rw.mk(Kind::BvNot, {slice(rw, s.arg(a, 0), hi, lo)});
        case Kind::BvAnd:
        case Kind::BvOr:
        case Kind::BvXor: {
            // (a op b)[i:j] => a[i:j] op b[i:j] when an operand slices away
            bool worth = false;
            for (uint32_t i = 0; i < s.numArgs(a); i++) worth |= slicesAway(s, s.arg(a, i));
            if (!worth) return kKeep;
            rw.fired(RuleId::ExtractBitwise);
            std::vector<TermId> parts;
            for (uint32_t i = 0; i < s.numArgs(a); i++) parts.push_back(slice(rw, s.arg(a, i), hi, lo));
            return rw.mk(s.kind(a), std::move(parts));
        }
        case Kind::Ite:
            // ite(c, a, b)[i:j] => ite(c, a[i:j], b[i:j]) when both branches slice away
            if (!slicesAway(s, s.arg(a, 1)) || !slicesAway(s, s.arg(a, 2))) return kKeep;
            rw.fired(RuleId::ExtractIte);
            return rw.mk(Kind::Ite, {s.arg(a, 0), slice(rw, s.arg(a, 1), hi, lo), slice(rw, s.arg(a, 2), hi, lo)});
        default: return kKeep;
    }
}

// Appends b to the flat operand list, merging it with the last operand when
// both are constants or adjacent slices of one term.
bool appendMerged(Rewriter& rw, std::vector<TermId>& parts, TermId b) {
    const terms::TermStore& s = rw.store();
    if (parts.empty()) {
        parts.push_back(b);
        return false;
    }
    TermId a = parts.back();
    if (rw.isConst(a) && rw.isConst(b)) {
        // concat(c1, c2) => the constant
        rw.fired(RuleId::ConcatConsts);
        mpz_class v;
        mpz_mul_2exp(v.get_mpz_t(), s.value(a).get_mpz_t(), s.width(b));
        parts.back() = rw.bvConst(s.width(a) + s.width(b), v + s.value(b));
        return true;
    }
    if (s.kind(a) == Kind::Extract && s.kind(b) == Kind::Extract && s.arg(a, 0) == s.arg(b, 0) &&
        s.index(a, 1) == s.index(b, 0) + 1) {
        // concat(a[h:m+1], a[m:l]) => a[h:l]
        rw.fired(RuleId::ConcatExtracts);
        parts.back() = slice(rw, s.arg(a, 0), s.index(a, 0), s.index(b, 1));
        return true;
    }
    parts.push_back(b);
    return false;
}

TermId rewriteConcat(Rewriter& rw, Node& node) {
    // concat(a, concat(b, c)) => concat(a, b, c)
    if (flattenSameKind(rw.store(), node)) rw.fired(RuleId::ConcatFlatten);
    std::vector<TermId> parts;
    bool merged = false;
    for (TermId b : node.args) merged |= appendMerged(rw, parts, b);
    // concat(a) => a
    if (parts.size() == 1) {
        rw.fired(RuleId::ConcatSingle);
        return parts[0];
    }
    if (merged) return rw.mk(Kind::Concat, std::move(parts));
    node.args = std::move(parts);
    return kKeep;
}

TermId rewriteRotate(Rewriter& rw, Node& node) {
    TermId a = node.args[0];
    uint32_t w = rw.store().width(a), k = node.indices[0] % w;
    if (node.kind == Kind::RotateRight) k = (w - k) % w;
    // rotate by k => a when k mod w = 0; else concat(a[w-1-k:0], a[w-1:w-k]) (to the left)
    rw.fired(RuleId::ElimRotate);
    if (k == 0) return a;
    return rw.mk(Kind::Concat, {slice(rw, a, w - 1 - k, 0), slice(rw, a, w - 1, w - k)});
}

}  // namespace

TermId rewriteStruct(Rewriter& rw, Node& node) {
    TermId a = node.args[0];
    switch (node.kind) {
        case Kind::Extract: return rewriteExtract(rw, node);
        case Kind::Concat: return rewriteConcat(rw, node);
        case Kind::ZeroExtend:
            // zero_extend k a => concat(0_k, a)
            rw.fired(RuleId::ElimZeroExtend);
            if (node.indices[0] == 0) return a;
            return rw.mk(Kind::Concat, {rw.zero(node.indices[0]), a});
        case Kind::SignExtend:
            // sign_extend 0 a => a
            if (node.indices[0] != 0) return kKeep;
            rw.fired(RuleId::ElimSignExtendZero);
            return a;
        case Kind::Repeat:
            // repeat 1 a => a
            if (node.indices[0] != 1) return kKeep;
            rw.fired(RuleId::ElimRepeat);
            return a;
        case Kind::RotateLeft:
        case Kind::RotateRight: return rewriteRotate(rw, node);
        default: return kKeep;
    }
}

}  // namespace torva::simplify
