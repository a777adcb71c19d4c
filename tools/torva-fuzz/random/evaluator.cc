// Reference semantics of the QF_BV operators the readers accept, and the
// exhaustive model count used to confirm unsatisfiable answers.
#include "random/evaluator.h"

#include <algorithm>
#include <cstdlib>

namespace torva_random {


Evaluator::Evaluator(const Benchmark& b) : bench(b), memo(b.nodes.size()), stamp(b.nodes.size(), 0) {}

void Evaluator::begin(const Assignment& a) {
    current = &a;
    if (++generation == 0) {
        std::fill(stamp.begin(), stamp.end(), 0);
        generation = 1;
    }
}

uint64_t Evaluator::value(int node, const Assignment& a) {
    begin(a);
    return eval(node);
}

bool Evaluator::satisfies(const Assignment& a) {
    begin(a);
    for (const Assertion& as : bench.assertions)
        if (!eval(as.node)) return false;
    return true;
}

uint64_t Evaluator::eval(int node) {
    if (stamp[node] == generation) return memo[node];
    const Node& n = bench.nodes[node];
    uint64_t v = n.width == 0 ? evalFormula(n) : evalTerm(n) & bv::mask(n.width);
    memo[node] = v;
    stamp[node] = generation;
    return v;
}

uint64_t Evaluator::evalFormula(const Node& n) {
    auto kid = [&](size_t k) { return eval(n.kids[k]); };
    auto width = [&](size_t k) { return bench.nodes[n.kids[k]].width; };
    switch (n.op) {
        case Op::True: return 1;
        case Op::False: return 0;
        case Op::Pred: return (*current)[n.decl] & 1;
        case Op::FormulaRef: return kid(0);
        case Op::Not: return !kid(0);
        case Op::And: return kid(0) && kid(1);
        case Op::Or: return kid(0) || kid(1);
        case Op::Xor: return kid(0) != kid(1);
        case Op::Implies: return !kid(0) || kid(1);
        case Op::Iff:
            for (size_t k = 1; k < n.kids.size(); k++)
                if (kid(k) != kid(0)) return 0;
            return 1;
        case Op::IteFormula: return kid(0) ? kid(1) : kid(2);
        case Op::Equal: return kid(0) == kid(1);
        case Op::Distinct:
            for (size_t i = 0; i < n.kids.size(); i++)
                for (size_t j = i + 1; j < n.kids.size(); j++)
                    if (kid(i) == kid(j)) return 0;
            return 1;
        case Op::Ult: return kid(0) < kid(1);
        case Op::Ule: return kid(0) <= kid(1);
        case Op::Ugt: return kid(0) > kid(1);
        case Op::Uge: return kid(0) >= kid(1);
        case Op::Slt: return bv::toSigned(kid(0), width(0)) < bv::toSigned(kid(1), width(1));
        case Op::Sle: return bv::toSigned(kid(0), width(0)) <= bv::toSigned(kid(1), width(1));
        case Op::Sgt: return bv::toSigned(kid(0), width(0)) > bv::toSigned(kid(1), width(1));
        case Op::Sge: return bv::toSigned(kid(0), width(0)) >= bv::toSigned(kid(1), width(1));
        case Op::Let:
        case Op::Flet: return kid(1);
        default: std::abort();
    }
}

uint64_t Evaluator::evalTerm(const Node& n) {
    unsigned w = n.width;
    auto kid = [&](size_t k) { return eval(n.kids[k]); };
    switch (n.op) {
        case Op::Var: return (*current)[n.decl];
        case Op::Const: return n.value;
        case Op::TermRef: return kid(0);
        case Op::Neg: return bv::neg(kid(0), w);
        case Op::BvNot: return ~kid(0);
        case Op::Add: return kid(0) + kid(1);
        case Op::Sub: return kid(0) - kid(1);
        case Op::Mul: return kid(0) * kid(1);
        case Op::Udiv: return bv::udiv(kid(0), kid(1), w);
        case Op::Urem: return bv::urem(kid(0), kid(1), w);
        case Op::Sdiv: return bv::sdiv(kid(0), kid(1), w);
        case Op::Srem: return bv::srem(kid(0), kid(1), w);
        case Op::Shl: return bv::shl(kid(0), kid(1), w);
        case Op::Lshr: return bv::lshr(kid(0), kid(1), w);
        case Op::BvAnd: return kid(0) & kid(1);
        case Op::BvOr: return kid(0) | kid(1);
        case Op::BvXor: return kid(0) ^ kid(1);
        case Op::Xnor: return ~(kid(0) ^ kid(1));
        case Op::Nand: return ~(kid(0) & kid(1));
        case Op::Nor: return ~(kid(0) | kid(1));
        case Op::Extract: return kid(0) >> n.lo;
        case Op::Concat: return (kid(0) << bench.nodes[n.kids[1]].width) | kid(1);
        case Op::ZeroExtend: return kid(0);
        case Op::SignExtend: return bv::signExtend(kid(0), bench.nodes[n.kids[0]].width, w);
        case Op::IteTerm: return kid(0) ? kid(1) : kid(2);
        case Op::Comp: return kid(0) == kid(1);
        case Op::Ashr: return bv::ashr(kid(0), kid(1), w);
        case Op::Smod: return bv::smod(kid(0), kid(1), w);
        case Op::RotateLeft: return bv::rotateLeft(kid(0), n.hi, w);
        case Op::RotateRight: return bv::rotateLeft(kid(0), w - n.hi % w, w);
        case Op::Repeat: return bv::repeat(kid(0), n.hi, bench.nodes[n.kids[0]].width);
        default: std::abort();
    }
}

uint64_t countModels(const Benchmark& b, uint64_t limit, Assignment* model) {
    std::vector<bool> used = b.usedDeclarations();
    unsigned bits = 0;
    for (size_t d = 0; d < b.decls.size(); d++)
        if (used[d]) bits += b.decls[d].width;
    if (bits > 40) std::abort();
    Evaluator ev(b);
    Assignment a(b.decls.size(), 0);
    uint64_t count = 0;
    for (uint64_t code = 0; code < (1ULL << bits); code++) {
        uint64_t rest = code;
        for (size_t d = 0; d < b.decls.size(); d++) {
            if (!used[d]) continue;
            a[d] = rest & bv::mask(b.decls[d].width);
            rest >>= b.decls[d].width;
        }
        if (!ev.satisfies(a)) continue;
        if (count == 0 && model) *model = a;
        if (++count >= limit) break;
    }
    return count;
}

}  // namespace torva_random
