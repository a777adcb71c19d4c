// Rules of addition, subtraction, negation and multiplication. With linear
// normalisation on, every sum of constant multiples becomes the one
// canonical term of its LinearSum, so that reordered, regrouped or
// distributed forms of the same sum are the same node. Products keep their
// non-constant operands sorted by id behind one constant coefficient.
#include <algorithm>

#include "simplify/linear.h"
#include "simplify/rewriter.h"
#include "simplify/modular.h"
#include "simplify/operands.h"

namespace torva::simplify {

using terms::Kind;
using terms::TermId;

namespace {

// The sum the node denotes, operands read one by one.
bool readNode(const terms::TermStore& s, const Node& node, LinearSum& sum) {
    sum = LinearSum();
    sum.width = s.width(node.args[0]);
    for (size_t i = 0; i < node.args.size(); i++) {
        LinearSum operand;
        if (!readLinear(s, node.args[i], operand)) return false;
        bool minus = node.kind == Kind::BvNeg || (node.kind == Kind::BvSub && i > 0);
        sum = combine(sum, operand, minus ? -1 : 1);
    }
    return true;
}

TermId normaliseSum(Rewriter& rw, Node& node) {
    LinearSum sum;
    if (!rw.settings().linear || !readNode(rw.store(), node, sum)) return kKeep;
    // sums of constant multiples => the canonical sum
    rw.fired(RuleId::LinearNormalise);
    return buildLinear(rw, sum);
}

// (a /u b) * b => a - (a %u b): the product is the dividend less the
// remainder, and the division that yields the quotient yields the
// remainder too, so no multiplier is left.
TermId quotientTimesDivisor(Rewriter& rw, const std::vector<TermId>& factors, const mpz_class& coefficient,
                            uint32_t w) {
    const terms::TermStore& s = rw.store();
    if (factors.size() != 2) return kKeep;
    for (size_t i = 0; i < 2; i++) {
        TermId quotient = factors[i], divisor = factors[1 - i];
        if (s.kind(quotient) != Kind::BvUdiv || s.arg(quotient, 1) != divisor) continue;
        rw.fired(RuleId::MulQuotientByDivisor);
        TermId dividend = s.arg(quotient, 0);
        TermId difference = rw.mk(Kind::BvSub, {dividend, rw.mk(Kind::BvUrem, {dividend, divisor})});
        return coefficient == 1 ? difference : rw.mk(Kind::BvMul, {rw.bvConst(w, coefficient), difference});
    }
    return kKeep;
}

TermId rewriteMul(Rewriter& rw, Node& node) {
    const terms::TermStore& s = rw.store();
    uint32_t w = s.width(node.args[0]);
    // a * (b * c) => a * b * c
    if (flattenSameKind(s, node)) rw.fired(RuleId::MulFlatten);
    mpz_class coefficient = 1;
    std::vector<TermId> factors;
    for (TermId a : node.args) {
        if (rw.isConst(a)) {
            coefficient *= s.value(a);
            reduceToWidth(coefficient, w);
        } else {
            factors.push_back(a);
        }
    }
    // a * 0 => 0
    if (coefficient == 0) {
        rw.fired(RuleId::MulZero);
        return rw.zero(w);
    }
    std::sort(factors.begin(), factors.end());
    TermId remainderForm = quotientTimesDivisor(rw, factors, coefficient, w);
    if (remainderForm != kKeep) return remainderForm;
    TermId product = factors.size() == 1 ? factors[0] : rw.store().mk(Kind::BvMul, factors);
    if (rw.settings().linear) {
        LinearSum sum;
        if (readLinear(s, product, sum)) {
            rw.fired(RuleId::LinearNormalise);
            return buildLinear(rw, scaled(sum, coefficient));
        }
    }
    if (coefficient == 1) {
        if (factors.size() == 1) {
            rw.fired(RuleId::MulFlatten);
            return product;
        }
        node.args = factors;
        return kKeep;
    }
    node.args = {rw.bvConst(w, coefficient)};
    node.args.insert(node.args.end(), factors.begin(), factors.end());
    return kKeep;
}

}  // namespace

TermId rewriteArith(Rewriter& rw, Node& node) {
    if (node.kind == Kind::BvMul) return rewriteMul(rw, node);
    TermId result = normaliseSum(rw, node);
    if (result != kKeep || node.kind != Kind::BvAdd) return result;
    std::sort(node.args.begin(), node.args.end());
    return kKeep;
}

}  // namespace torva::simplify
