// Rules of equality, distinct, if-then-else and bvcomp. Equalities are
// binary with operands sorted by id; bit-vector equalities are compared as
// the difference of their sides' linear sums, so that an equality whose
// sides are the same sum folds and one whose difference has a single odd
// multiple becomes an equality of that atom with a constant.
#include <algorithm>

#include "simplify/linear.h"
#include "simplify/modular.h"
#include "simplify/polynomial.h"
#include "simplify/rewriter.h"

namespace torva::simplify {

using terms::Kind;
using terms::TermId;

namespace {

bool isLinearShape(const terms::TermStore& s, TermId t) {
    Kind k = s.kind(t);
    TermId a;
    uint32_t shift;
    return k == Kind::BvAdd || k == Kind::BvSub || k == Kind::BvNeg || k == Kind::BvMul ||
           isShiftLeftForm(s, t, a, shift);
}

TermId linearEquality(Rewriter& rw, TermId a, TermId b) {
    const terms::TermStore& s = rw.store();
    if (!rw.settings().linear || !(isLinearShape(s, a) || isLinearShape(s, b))) return kKeep;
    LinearSum left, right;
    if (!readLinear(s, a, left) || !readLinear(s, b, right)) return kKeep;
    LinearSum diff = combine(left, right, -1);
    // (s = t) => true/false when s - t is a constant
    if (diff.isConstant()) {
        rw.fired(RuleId::EqLinearConst);
        return rw.boolConst(diff.constant == 0);
    }
    uint32_t w = diff.width;
    // k*x + d = 0 with k odd => x = -d / k
    if (diff.terms.size() == 1 && mpz_odd_p(diff.terms[0].second.get_mpz_t())) {
        TermId atom = diff.terms[0].first;
        TermId value = rw.bvConst(w, -diff.constant * inverseModPowerOfTwo(diff.terms[0].second, w));
        if ((a == atom && b == value) || (b == atom && a == value)) return kKeep;
        rw.fired(RuleId::EqLinearSolve);
        return rw.mk(Kind::Equal, {atom, value});
    }
    if (diff.terms.size() == left.terms.size() + right.terms.size()) return kKeep;
    // common summands cancel: the atoms of s stay left, those of t go right
    rw.fired(RuleId::EqLinearCancel);
    LinearSum keepLeft, moveRight;
    keepLeft.width = moveRight.width = w;
    keepLeft.constant = diff.constant;
    for (const auto& summand : diff.terms) {
        bool fromLeft = std::any_of(left.terms.begin(), left.terms.end(),
                                    [&](const auto& x) { return x.first == summand.first; });
        (fromLeft ? keepLeft : moveRight).terms.push_back(summand);
    }
    return rw.mk(Kind::Equal, {buildLinear(rw, keepLeft), buildLinear(rw, scaled(moveRight, -1))});
}

bool isPolynomialShape(const terms::TermStore& s, TermId t) {
    Kind k = s.kind(t);
    return k == Kind::BvMul || k == Kind::BvNot || k == Kind::BvShl || k == Kind::BvAdd || k == Kind::BvSub ||
           k == Kind::BvNeg;
}

// (s = t) => true/false when s - t is a constant polynomial
TermId polynomialEquality(Rewriter& rw, TermId a, TermId b) {
    const terms::TermStore& s = rw.store();
    if (!rw.settings().linear || !(isPolynomialShape(s, a) || isPolynomialShape(s, b))) return kKeep;
    Polynomial left, right;
    if (!readPolynomial(rw, a, left) || !readPolynomial(rw, b, right)) return kKeep;
    Polynomial diff = difference(left, right);
    if (diff.terms.size() > 1 || (diff.terms.size() == 1 && !diff.terms.begin()->first.empty())) return kKeep;
    rw.fired(RuleId::EqPolynomial);
    return rw.boolConst(diff.terms.empty());
}

TermId boolEquality(Rewriter& rw, TermId a, TermId b) {
    const terms::TermStore& s = rw.store();
    if (rw.isConst(b)) std::swap(a, b);
    // (true = b) => b; (false = b) => not b
    if (rw.isConst(a)) {
        rw.fired(RuleId::BoolEqConst);
        return s.value(a) != 0 ? b : rw.mk(Kind::Not, {b});
    }
    // (a = not a) => false
    if (rw.isComplement(a, b)) {
        rw.fired(RuleId::BoolEqNot);
        return rw.boolConst(false);
    }
    // (not a = not b) => (a = b)
    if (s.kind(a) == Kind::Not && s.kind(b) == Kind::Not) {
        rw.fired(RuleId::BoolEqNot);
        return rw.mk(Kind::Equal, {s.arg(a, 0), s.arg(b, 0)});
    }
    return kKeep;
}

// (concat(a1, ..., an) = t) with t a constant or a concat whose first part
// is as wide as a1: the parts compared one by one.
TermId splitConcat(Rewriter& rw, TermId a, TermId b) {
    const terms::TermStore& s = rw.store();
    if (s.kind(a) != Kind::Concat) std::swap(a, b);
    if (s.kind(a) != Kind::Concat) return kKeep;
    uint32_t w = s.width(a), first = s.width(s.arg(a, 0));
    bool aligned = rw.isConst(b) || (s.kind(b) == Kind::Concat && s.width(s.arg(b, 0)) == first);
    if (!aligned) return kKeep;
    rw.fired(RuleId::EqConcat);
    auto part = [&](TermId t, uint32_t hi, uint32_t lo) { return rw.mk(Kind::Extract, {t}, {hi, lo}); };
    TermId high = rw.mk(Kind::Equal, {part(a, w - 1, w - first), part(b, w - 1, w - first)});
    TermId low = rw.mk(Kind::Equal, {part(a, w - first - 1, 0), part(b, w - first - 1, 0)});
    return rw.mk(Kind::And, {high, low});
}

TermId bvEquality(Rewriter& rw, TermId a, TermId b) {
    const terms::TermStore& s = rw.store();
    // (~a = ~b) => (a = b); (~a = c) => (a = ~c)
    if (rw.isConst(a)) std::swap(a, b);
    if (s.kind(a) == Kind::BvNot && (s.kind(b) == Kind::BvNot || rw.isConst(b))) {
        rw.fired(RuleId::EqBvNot);
        TermId other = s.kind(b) == Kind::BvNot ? s.arg(b, 0) : rw.mk(Kind::BvNot, {b});
        return rw.mk(Kind::Equal, {s.arg(a, 0), other});
    }
    // (ite(c, k1, k2) = k) with constants k1 != k2
    if (s.kind(a) == Kind::Ite && rw.isConst(b) && rw.isConst(s.arg(a, 1)) && rw.isConst(s.arg(a, 2))) {
        rw.fired(RuleId::EqIteConst);
        TermId c = s.arg(a, 0);
        bool thenHolds = s.arg(a, 1) == b, elseHolds = s.arg(a, 2) == b;
        if (thenHolds == elseHolds) return rw.boolConst(thenHolds);
        return thenHolds ? c : rw.mk(Kind::Not, {c});
    }
    TermId split = splitConcat(rw, a, b);
    if (split != kKeep) return split;
    TermId linear = linearEquality(rw, a, b);
    if (linear != kKeep) return linear;
    return polynomialEquality(rw, a, b);
}

TermId rewriteEqual(Rewriter& rw, Node& node) {
    const terms::TermStore& s = rw.store();
    // (= a b c) => (a = b) and (b = c)
    if (node.args.size() > 2) {
        rw.fired(RuleId::ElimChainedEqual);
        std::vector<TermId> pairs;
        for (size_t i = 1; i < node.args.size(); i++)
            pairs.push_back(rw.mk(Kind::Equal, {node.args[i - 1], node.args[i]}));
        return rw.mk(Kind::And, std::move(pairs));
    }
    TermId a = node.args[0], b = node.args[1];
    // (a = a) => true
    if (a == b) {
        rw.fired(RuleId::EqSame);
        return rw.boolConst(true);
    }
    TermId result = s.isBool(a) ? boolEquality(rw, a, b) : bvEquality(rw, a, b);
    if (result != kKeep) return result;
    node.args = {std::min(a, b), std::max(a, b)};
    return kKeep;
}

TermId rewriteDistinct(Rewriter& rw, Node& node) {
    // distinct(a, b) => not (a = b); more operands pairwise
    rw.fired(RuleId::ElimDistinct);
    std::vector<TermId> differ;
    for (size_t i = 0; i < node.args.size(); i++)
        for (size_t j = i + 1; j < node.args.size(); j++)
            differ.push_back(rw.mk(Kind::Not, {rw.mk(Kind::Equal, {node.args[i], node.args[j]})}));
    return rw.mk(Kind::And, std::move(differ));
}

TermId boolIte(Rewriter& rw, TermId c, TermId t, TermId e) {
    const terms::TermStore& s = rw.store();
    TermId notC = rw.mk(Kind::Not, {c});
    // ite(c, true, e) => c or e; ite(c, false, e) => not c and e
    if (rw.isConst(t)) {
        rw.fired(RuleId::BoolIteConst);
        return s.value(t) != 0 ? rw.mk(Kind::Or, {c, e}) : rw.mk(Kind::And, {notC, e});
    }
    // ite(c, t, true) => not c or t; ite(c, t, false) => c and t
    if (rw.isConst(e)) {
        rw.fired(RuleId::BoolIteConst);
        return s.value(e) != 0 ? rw.mk(Kind::Or, {notC, t}) : rw.mk(Kind::And, {c, t});
    }
    return kKeep;
}

TermId rewriteIte(Rewriter& rw, Node& node) {
    const terms::TermStore& s = rw.store();
    TermId c = node.args[0], t = node.args[1], e = node.args[2];
    // ite(true, a, b) => a; ite(false, a, b) => b
    if (rw.isConst(c)) {
        rw.fired(RuleId::IteConstCond);
        return s.value(c) != 0 ? t : e;
    }
    // ite(c, a, a) => a
    if (t == e) {
        rw.fired(RuleId::IteSame);
        return t;
    }
    // ite(not c, a, b) => ite(c, b, a)
    if (s.kind(c) == Kind::Not) {
        rw.fired(RuleId::IteNotCond);
        return rw.mk(Kind::Ite, {s.arg(c, 0), e, t});
    }
    // ite(c, ite(c, a, b), d) => ite(c, a, d); ite(c, a, ite(c, b, d)) => ite(c, a, d)
    if (s.kind(t) == Kind::Ite && s.arg(t, 0) == c) {
        rw.fired(RuleId::IteNested);
        return rw.mk(Kind::Ite, {c, s.arg(t, 1), e});
    }
    if (s.kind(e) == Kind::Ite && s.arg(e, 0) == c) {
        rw.fired(RuleId::IteNested);
        return rw.mk(Kind::Ite, {c, t, s.arg(e, 2)});
    }
    return s.isBool(t) ? boolIte(rw, c, t, e) : kKeep;
}

TermId rewriteBvComp(Rewriter& rw, Node& node) {
    // bvcomp(a, b) => #b1 / #b0 when a = b folds
    TermId equal = rw.mk(Kind::Equal, {node.args[0], node.args[1]});
    if (rw.isConst(equal)) {
        rw.fired(RuleId::BvCompFold);
        return rw.bvConst(1, rw.store().value(equal));
    }
    std::sort(node.args.begin(), node.args.end());
    return kKeep;
}

}  // namespace

TermId rewriteEqIte(Rewriter& rw, Node& node) {
    switch (node.kind) {
        case Kind::Equal: return rewriteEqual(rw, node);
        case Kind::Distinct: return rewriteDistinct(rw, node);
        case Kind::Ite: return rewriteIte(rw, node);
        case Kind::BvComp: return rewriteBvComp(rw, node);
        default: return kKeep;
    }
}

}  // namespace torva::simplify
