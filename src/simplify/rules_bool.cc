// Rules of the Boolean connectives: not, and, or, xor and implication.
// Conjunctions and disjunctions are kept flat with their operands sorted by
// id and without duplicates; exclusive or is binary with sorted operands.
#include <algorithm>

#include "simplify/rewriter.h"
#include "simplify/operands.h"

namespace torva::simplify {

using terms::Kind;
using terms::TermId;

namespace {


TermId rewriteJunction(Rewriter& rw, Node& node) {
    const terms::TermStore& s = rw.store();
    bool isAnd = node.kind == Kind::And;
    TermId neutral = rw.boolConst(isAnd), absorbing = rw.boolConst(!isAnd);
    // and(a, and(b, c)) => and(a, b, c)
    if (flattenSameKind(s, node)) rw.fired(RuleId::JunctionFlatten);
    std::vector<TermId> kept;
    for (TermId a : node.args) {
        // and(a, false) => false
        if (a == absorbing) {
            rw.fired(RuleId::JunctionAbsorb);
            return absorbing;
        }
        // and(a, true) => a
        if (a == neutral) {
            rw.fired(RuleId::JunctionNeutral);
            continue;
        }
        kept.push_back(a);
    }
    // and(a, a) => a
    if (sortUnique(kept)) rw.fired(RuleId::JunctionDuplicate);
    // and(a, not a) => false
    if (hasComplementPair(s, kept)) {
        rw.fired(RuleId::JunctionComplement);
        return absorbing;
    }
    if (kept.empty()) {
        rw.fired(RuleId::JunctionNeutral);
        return neutral;
    }
    // and(a) => a
    if (kept.size() == 1) {
        rw.fired(RuleId::JunctionSingle);
        return kept[0];
    }
    node.args = std::move(kept);
    return kKeep;
}

TermId rewriteImplies(Rewriter& rw, Node& node) {
    // a => b  =>  (not a) or b; a => b => c  =>  (not a) or (not b) or c
    rw.fired(RuleId::ElimImplies);
    std::vector<TermId> disjuncts;
    for (size_t i = 0; i + 1 < node.args.size(); i++) disjuncts.push_back(rw.mk(Kind::Not, {node.args[i]}));
    disjuncts.push_back(node.args.back());
    return rw.mk(Kind::Or, std::move(disjuncts));
}

TermId rewriteXor(Rewriter& rw, Node& node) {
    const terms::TermStore& s = rw.store();
    // xor(a, b, c) => xor(xor(a, b), c)
    if (node.args.size() > 2) {
        rw.fired(RuleId::ElimBoolXorChain);
        TermId acc = node.args[0];
        for (size_t i = 1; i < node.args.size(); i++) acc = rw.mk(Kind::Xor, {acc, node.args[i]});
        return acc;
    }
    TermId a = node.args[0], b = node.args[1];
    if (rw.isConst(b)) std::swap(a, b);
    // xor(false, b) => b; xor(true, b) => not b
    if (rw.isConst(a)) {
        rw.fired(RuleId::BoolXorConst);
        return s.value(a) == 0 ? b : rw.mk(Kind::Not, {b});
    }
    // xor(a, a) => false; xor(a, not a) => true
    if (a == b || rw.isComplement(a, b)) {
        rw.fired(RuleId::BoolXorSame);
        return rw.boolConst(a != b);
    }
    // xor(not a, b) => not xor(a, b)
    if (s.kind(a) == Kind::Not || s.kind(b) == Kind::Not) {
        rw.fired(RuleId::BoolXorNot);
        bool flip = false;
        auto strip = [&](TermId t) {
            if (s.kind(t) != Kind::Not) return t;
            flip = !flip;
            return s.arg(t, 0);
        };
        TermId x = strip(a), y = strip(b);
        TermId inner = rw.mk(Kind::Xor, {x, y});
        return flip ? rw.mk(Kind::Not, {inner}) : inner;
    }
    node.args = {std::min(a, b), std::max(a, b)};
    return kKeep;
}

}  // namespace

TermId rewriteBool(Rewriter& rw, Node& node) {
    switch (node.kind) {
        case Kind::Not: return doubleNegation(rw, node, RuleId::NotNot);
        case Kind::And:
        case Kind::Or: return rewriteJunction(rw, node);
        case Kind::Implies: return rewriteImplies(rw, node);
        case Kind::Xor: return rewriteXor(rw, node);
        default: return kKeep;
    }
}

}  // namespace torva::simplify
