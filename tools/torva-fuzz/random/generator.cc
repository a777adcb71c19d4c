// Random benchmark generation: declarations, formulas and terms of agreeing
// widths, let/flet scopes, and the three instance shapes with their known
// or enumerated answers.
#include "random/generator.h"

#include <string>
#include <utility>

#include "random/prng.h"

namespace torva_random {

namespace {

const char* const kNames[] = {"x", "y", "z", "a", "b", "w", "v", "u", "q", "r"};
const char* const kOddNames[] = {"x.", "y_", "z'", "Abc.d'", "V_w."};

class Builder {
public:
    Builder(Benchmark& b, Prng& r, const GenSettings& s) : bench(b), rng(r), set(s) {}

    void declareVariables(int count, unsigned bitBudget);
    void declarePredicates(int count);
    int declareUnused();
    Assignment plant();

    int formula(int depth);
    int term(unsigned w, int depth);
    int constant(unsigned w, uint64_t v);
    int make(Op op, unsigned width, std::vector<int> kids);
    int negate(int f) { return make(Op::Not, 0, {f}); }
    void assertFormula(int f) { bench.assertions.push_back({f, rng.chance(30)}); }
    unsigned width(int node) const { return bench.nodes[node].width; }
    unsigned atomWidth();
    int law(int which, unsigned w);
    int shareLawOperands(int valid);
    Prng& random() { return rng; }

private:
    struct Binding {
        int bound;
        std::string name;
    };

    Benchmark& bench;
    Prng& rng;
    const GenSettings& set;
    std::vector<int> bvDecls, predDecls;
    std::vector<Binding> termScope, formulaScope, lawOperands;
    int nextBinding = 0;

    std::string freshName(const char* prefix);
    uint64_t interestingValue(unsigned w);
    int randomConstant(unsigned w);
    int variable(int decl);
    int ref(const Binding& b, Op op);
    int leaf(unsigned w);
    int fit(int t, unsigned w);
    int extract(int t, unsigned hi, unsigned lo);
    int extend(Op op, int t, unsigned extra);
    int shiftAmount(unsigned w, int depth);
    int divisor(unsigned w, int depth);
    int arithmetic(Op op, unsigned w, int depth);
    int bitwise(Op op, unsigned w, int depth);
    int graphTerm(unsigned w, int depth);
    int indexed(Op op, int t, unsigned width, unsigned count);
    int formulaLeaf();
    int atom(int depth);
    int binding(Op op, int depth);
    int lawOperand(unsigned w);
    bool costlyToDuplicate(int node) const;
    bool wideAllowed(Op op) const;
};

std::string Builder::freshName(const char* prefix) {
    std::string base = set.decorate && rng.chance(30) ? kOddNames[rng.below(5)] : prefix;
    return base + std::to_string(bench.decls.size());
}

void Builder::declareVariables(int count, unsigned bitBudget) {
    for (int i = 0; i < count; i++) {
        unsigned w;
        if (bitBudget) {
            unsigned left = bitBudget - static_cast<unsigned>(count - 1 - i);
            w = static_cast<unsigned>(rng.range(1, static_cast<int>(std::min(8u, left))));
            bitBudget -= w;
        } else {
            w = rng.chance(50) ? static_cast<unsigned>(rng.range(1, static_cast<int>(std::min(16u, set.maxWidth))))
                               : static_cast<unsigned>(rng.range(1, static_cast<int>(set.maxWidth)));
        }
        bvDecls.push_back(static_cast<int>(bench.decls.size()));
        bench.decls.push_back({freshName(kNames[rng.below(10)]), w, false});
    }
}

void Builder::declarePredicates(int count) {
    for (int i = 0; i < count; i++) {
        predDecls.push_back(static_cast<int>(bench.decls.size()));
        bench.decls.push_back({freshName(rng.coin() ? "p" : "P"), 1, true});
    }
}

// A declared variable that no assertion reads: it gets no CNF variables.
int Builder::declareUnused() {
    bench.decls.push_back({freshName("unused"), static_cast<unsigned>(rng.range(1, 64)), false});
    return static_cast<int>(bench.decls.size()) - 1;
}

uint64_t Builder::interestingValue(unsigned w) {
    uint64_t m = bv::mask(w);
    switch (rng.below(8)) {
        case 0: return 0;
        case 1: return 1;
        case 2: return m;
        case 3: return (1ULL << (w - 1));
        case 4: return m >> 1;
        case 5: return rng.below(16) & m;
        default: return rng.next() & m;
    }
}

Assignment Builder::plant() {
    Assignment a(bench.decls.size(), 0);
    for (int d : bvDecls) a[d] = interestingValue(bench.decls[d].width);
    for (int d : predDecls) a[d] = rng.coin();
    return a;
}

int Builder::make(Op op, unsigned w, std::vector<int> kids) {
    Node n;
    n.op = op;
    n.width = w;
    n.kids = std::move(kids);
    bool plain = op == Op::TermRef || op == Op::FormulaRef || op == Op::True || op == Op::False;
    if (set.decorate && !plain) n.annotated = rng.chance(4);
    if (set.decorate && w == 0) n.parenthesised = rng.chance(4);
    return bench.add(n);
}

int Builder::constant(unsigned w, uint64_t v) {
    Node n;
    n.op = Op::Const;
    n.width = w;
    n.value = v & bv::mask(w);
    int style = static_cast<int>(rng.below(10));
    if (w == 1 && style < 4)
        n.style = ConstStyle::Bit;
    else if (w == 32 && style < 3)
        n.style = ConstStyle::Bare;
    else if (style < 2)
        n.style = ConstStyle::Plain;
    if (set.decorate && (n.style == ConstStyle::Bv || n.style == ConstStyle::Plain) && rng.chance(15))
        n.wrap = static_cast<unsigned>(rng.range(1, 3));
    if (set.decorate) n.annotated = rng.chance(3);
    return bench.add(n);
}

int Builder::randomConstant(unsigned w) { return constant(w, interestingValue(w)); }

int Builder::variable(int decl) {
    Node n;
    n.op = Op::Var;
    n.width = bench.decls[decl].width;
    n.decl = decl;
    if (set.decorate) n.annotated = rng.chance(3);
    return bench.add(n);
}

int Builder::ref(const Binding& b, Op op) {
    Node n;
    n.op = op;
    n.width = bench.nodes[b.bound].width;
    n.kids = {b.bound};
    n.name = b.name;
    return bench.add(n);
}

int Builder::extract(int t, unsigned hi, unsigned lo) {
    int e = make(Op::Extract, hi - lo + 1, {t});
    bench.nodes[e].hi = hi;
    bench.nodes[e].lo = lo;
    return e;
}

int Builder::extend(Op op, int t, unsigned extra) {
    int e = make(op, width(t) + extra, {t});
    bench.nodes[e].hi = extra;
    return e;
}

// Brings a term to width w by extraction, extension or concatenation.
int Builder::fit(int t, unsigned w) {
    unsigned tw = width(t);
    if (tw == w) return t;
    if (tw > w) {
        unsigned lo = static_cast<unsigned>(rng.below(tw - w + 1));
        return extract(t, lo + w - 1, lo);
    }
    switch (rng.below(3)) {
        case 0: return extend(Op::ZeroExtend, t, w - tw);
        case 1: return extend(Op::SignExtend, t, w - tw);
        default: {
            int other = leaf(w - tw);
            return rng.coin() ? make(Op::Concat, w, {t, other}) : make(Op::Concat, w, {other, t});
        }
    }
}

int Builder::leaf(unsigned w) {
    int pick = static_cast<int>(rng.below(100));
    if (!termScope.empty() && pick < 20) return fit(ref(termScope[rng.below(termScope.size())], Op::TermRef), w);
    if (!bvDecls.empty() && pick < 80) return fit(variable(bvDecls[rng.below(bvDecls.size())]), w);
    return randomConstant(w);
}

// Shift amounts: any term, a constant around the width, or a narrow term
// zero-extended so that in-range distances are common.
int Builder::shiftAmount(unsigned w, int depth) {
    switch (rng.below(10)) {
        case 0: {
            unsigned aw = static_cast<unsigned>(rng.range(1, static_cast<int>(std::min(64u, 2 * w))));
            return term(aw, depth - 1);
        }
        case 1:
        case 2:
        case 3: return constant(w, rng.below(w + 2));
        case 4:
        case 5:
        case 6: {
            unsigned narrow = 1;
            while ((1u << narrow) <= w && narrow < w) narrow++;
            return narrow >= w ? term(w, depth - 1) : extend(Op::ZeroExtend, term(narrow, depth - 1), w - narrow);
        }
        default: return term(w, depth - 1);
    }
}

// A divisor: a constant (zero among them, whose quotient is all ones or,
// for a negative signed dividend, one) or any term, which may be zero too.
int Builder::divisor(unsigned w, int depth) {
    if (rng.chance(15)) return constant(w, 0);
    if (rng.chance(30)) return constant(w, interestingValue(w) | (1ULL << rng.below(w)));
    return term(w, depth - 1);
}

// Multiplications and divisions of two variable terms stay narrow; a wide
// multiplication has a small or power-of-two constant operand, so that the
// instances stay easy for the solver.
int Builder::arithmetic(Op op, unsigned w, int depth) {
    int a = term(w, depth - 1);
    int b;
    if (op == Op::Udiv || op == Op::Sdiv || op == Op::Smod)
        b = divisor(w, depth);
    else if (w <= set.arithWidth)
        b = term(w, depth - 1);
    else
        b = constant(w, rng.coin() ? 1ULL << rng.below(w) : rng.below(16));
    return rng.coin() || op != Op::Mul ? make(op, w, {a, b}) : make(op, w, {b, a});
}

bool Builder::wideAllowed(Op op) const {
    switch (op) {
        case Op::BvAnd: return set.gates.wideAnd;
        case Op::BvOr: return set.gates.wideOr;
        case Op::BvXor: return set.gates.wideXor;
        case Op::BvNot: return set.gates.wideNot;
        default: return true;
    }
}

int Builder::bitwise(Op op, unsigned w, int depth) {
    if (op == Op::BvNot || op == Op::Neg) return make(op, w, {term(w, depth - 1)});
    return make(op, w, {term(w, depth - 1), term(w, depth - 1)});
}

int Builder::indexed(Op op, int t, unsigned w, unsigned count) {
    int n = make(op, w, {t});
    bench.nodes[n].hi = count;
    return n;
}

// The operators only the term-graph readers accept: arithmetic shifts,
// signed modulo (narrow, like the other divisions), rotations by any
// distance (also beyond the width) and repetitions.
int Builder::graphTerm(unsigned w, int depth) {
    switch (rng.below(5)) {
        case 0: return make(Op::Ashr, w, {term(w, depth - 1), shiftAmount(w, depth)});
        case 1:
            if (w <= set.arithWidth) return arithmetic(Op::Smod, w, depth);
            return make(Op::Ashr, w, {term(w, depth - 1), shiftAmount(w, depth)});
        case 2:
        case 3: {
            unsigned distance = static_cast<unsigned>(rng.below(2 * w + 1));
            Op op = rng.coin() ? Op::RotateLeft : Op::RotateRight;
            int rotated = term(w, depth - 1);
            return indexed(op, rotated, w, distance);
        }
        default: {
            std::vector<unsigned> counts;
            for (unsigned c = 1; c <= std::min(w, 8u); c++)
                if (w % c == 0) counts.push_back(c);
            unsigned count = counts[rng.below(counts.size())];
            return indexed(Op::Repeat, term(w / count, depth - 1), w, count);
        }
    }
}

int Builder::term(unsigned w, int depth) {
    if (depth <= 0 || rng.chance(20)) return leaf(w);
    if (set.graphOps && rng.chance(12)) return graphTerm(w, depth);
    static const Op kOps[] = {Op::Add, Op::Sub, Op::Neg, Op::Mul, Op::Udiv, Op::Urem, Op::Sdiv, Op::Srem,
                              Op::Shl, Op::Lshr, Op::BvAnd, Op::BvOr, Op::BvXor, Op::BvNot, Op::Xnor,
                              Op::Nand, Op::Nor, Op::Extract, Op::Concat, Op::ZeroExtend, Op::SignExtend,
                              Op::IteTerm, Op::Comp, Op::Add, Op::Extract, Op::IteTerm};
    for (;;) {
        Op op = kOps[rng.below(sizeof(kOps) / sizeof(kOps[0]))];
        if (w > 1 && !wideAllowed(op)) continue;
        switch (op) {
            case Op::Add:
            case Op::Sub:
            case Op::Xnor:
            case Op::Nand:
            case Op::Nor:
            case Op::BvAnd:
            case Op::BvOr:
            case Op::BvXor:
            case Op::BvNot:
            case Op::Neg: return bitwise(op, w, depth);
            case Op::Udiv:
            case Op::Urem:
            case Op::Sdiv:
            case Op::Srem:
                if (w > set.arithWidth) continue;
                return arithmetic(op, w, depth);
            case Op::Mul:
                if (w > 2 * set.arithWidth) continue;
                return arithmetic(op, w, depth);
            case Op::Shl:
            case Op::Lshr: return make(op, w, {term(w, depth - 1), shiftAmount(w, depth)});
            case Op::Extract: {
                if (w >= set.maxWidth) continue;
                unsigned sw = static_cast<unsigned>(rng.range(static_cast<int>(w) + 1, static_cast<int>(std::min(set.maxWidth, w + 16))));
                unsigned lo = static_cast<unsigned>(rng.below(sw - w + 1));
                return extract(term(sw, depth - 1), lo + w - 1, lo);
            }
            case Op::Concat: {
                if (w < 2) continue;
                unsigned high = static_cast<unsigned>(rng.range(1, static_cast<int>(w) - 1));
                return make(Op::Concat, w, {term(high, depth - 1), term(w - high, depth - 1)});
            }
            case Op::ZeroExtend:
            case Op::SignExtend: {
                unsigned extra = static_cast<unsigned>(rng.below(std::min(w, 12u)));
                return extend(op, term(w - extra, depth - 1), extra);
            }
            case Op::IteTerm: return make(op, w, {formula(depth - 1), term(w, depth - 1), term(w, depth - 1)});
            case Op::Comp: {
                if (w != 1) continue;
                unsigned cw = std::min(atomWidth(), set.eqWidth);
                return make(op, 1, {term(cw, depth - 1), term(cw, depth - 1)});
            }
            default: continue;
        }
    }
}

unsigned Builder::atomWidth() {
    int pick = static_cast<int>(rng.below(100));
    if (!bvDecls.empty() && pick < 60) return bench.decls[bvDecls[rng.below(bvDecls.size())]].width;
    if (pick < 85) return static_cast<unsigned>(rng.range(1, 8));
    return static_cast<unsigned>(rng.range(1, static_cast<int>(set.maxWidth)));
}

int Builder::atom(int depth) {
    unsigned w = atomWidth();
    static const Op kCompare[] = {Op::Ult, Op::Ule, Op::Ugt, Op::Uge, Op::Slt, Op::Sle, Op::Sgt, Op::Sge};
    int pick = static_cast<int>(rng.below(100));
    if (pick >= 85 && w > set.eqWidth) pick = 50;
    if (pick < 30 && w <= set.eqWidth) return make(Op::Equal, 0, {term(w, depth), term(w, depth)});
    if (pick < 85) return make(kCompare[rng.below(8)], 0, {term(w, depth), term(w, depth)});
    std::vector<int> terms;
    int count = rng.range(2, 4);
    for (int i = 0; i < count; i++) terms.push_back(term(w, depth));
    return make(Op::Distinct, 0, terms);
}

int Builder::formulaLeaf() {
    int pick = static_cast<int>(rng.below(100));
    if (!formulaScope.empty() && pick < 20) return ref(formulaScope[rng.below(formulaScope.size())], Op::FormulaRef);
    if (!predDecls.empty() && pick < 60) {
        int p = variable(predDecls[rng.below(predDecls.size())]);
        bench.nodes[p].op = Op::Pred;
        bench.nodes[p].width = 0;
        return p;
    }
    if (pick < 66) return make(rng.coin() ? Op::True : Op::False, 0, {});
    return atom(0);
}

int Builder::binding(Op op, int depth) {
    bool isLet = op == Op::Let;
    int bound = isLet ? term(atomWidth(), depth - 1) : formula(depth - 1);
    Binding b{bound, (isLet ? "?t" : "$f") + std::to_string(nextBinding++)};
    std::vector<Binding>& scope = isLet ? termScope : formulaScope;
    scope.push_back(b);
    int body = formula(depth - 1);
    scope.pop_back();
    int n = make(op, 0, {bound, body});
    bench.nodes[n].name = b.name;
    return n;
}

int Builder::formula(int depth) {
    if (depth <= 0) return formulaLeaf();
    int pick = static_cast<int>(rng.below(100));
    if (pick < 30) return atom(depth - 1);
    if (pick < 35) return formulaLeaf();
    if (pick < 43) return negate(formula(depth - 1));
    if (pick < 71) {
        static const Op kBinary[] = {Op::And, Op::Or, Op::Xor, Op::Implies};
        return make(kBinary[rng.below(4)], 0, {formula(depth - 1), formula(depth - 1)});
    }
    if (pick < 78) {
        std::vector<int> kids;
        int count = rng.chance(70) ? 2 : rng.range(3, 4);
        for (int i = 0; i < count; i++) kids.push_back(formula(depth - 1));
        return make(Op::Iff, 0, kids);
    }
    if (pick < 85) return make(Op::IteFormula, 0, {formula(depth - 1), formula(depth - 1), formula(depth - 1)});
    if (pick < 94) return binding(Op::Let, depth);
    return binding(Op::Flet, depth);
}

// Two copies of a multiplication or division circuit are costly to prove
// equal.
bool Builder::costlyToDuplicate(int node) const {
    const Node& n = bench.nodes[node];
    if (n.op == Op::Udiv || n.op == Op::Urem || n.op == Op::Sdiv || n.op == Op::Srem || n.op == Op::Mul) return true;
    for (int k : n.kids)
        if (costlyToDuplicate(k)) return true;
    return false;
}

// An operand of a law. Wide operands are bound by let, so that both sides
// of the law read the same bits; narrow ones are sometimes written twice,
// so that the solver has to prove two copies of a circuit equal.
int Builder::lawOperand(unsigned w) {
    int t = term(w, rng.range(0, 1));
    if (w <= 8 && !costlyToDuplicate(t) && rng.chance(40)) return t;
    lawOperands.push_back({t, "?t" + std::to_string(nextBinding++)});
    return ref(lawOperands.back(), Op::TermRef);
}

// Wraps a law in the let bindings of its operands, innermost last.
int Builder::shareLawOperands(int valid) {
    for (size_t i = lawOperands.size(); i-- > 0;) {
        valid = make(Op::Let, 0, {lawOperands[i].bound, valid});
        bench.nodes[valid].name = lawOperands[i].name;
    }
    lawOperands.clear();
    return valid;
}

// Identity laws: each returns a formula that holds under every assignment.
// Laws with a multiplication or division of two variable terms keep the
// width small so that proving them stays cheap.
int Builder::law(int which, unsigned w) {
    auto t = [&]() { return lawOperand(w); };
    auto k = [&](uint64_t v) { return constant(w, v); };
    auto eq = [&](int l, int r) { return make(Op::Equal, 0, {l, r}); };
    auto iff = [&](int l, int r) { return make(Op::Iff, 0, {l, r}); };
    auto op2 = [&](Op op, int l, int r) { return make(op, w, {l, r}); };
    auto bitNot = [&](int a) { return op2(Op::Xnor, a, k(0)); };
    unsigned small = std::min(w, 6u);
    switch (which) {
        case 0: { int a = t(), b = t(); return eq(op2(Op::Add, a, b), op2(Op::Add, b, a)); }
        case 1: { w = std::min(w, set.lawWidth < 8 ? 3u : 8u); int a = t(), b = t(), c = t(); return eq(op2(Op::Add, op2(Op::Add, a, b), c), op2(Op::Add, a, op2(Op::Add, b, c))); }
        case 2: { int a = t(), b = t(); return eq(op2(Op::Sub, a, b), op2(Op::Add, a, make(Op::Neg, w, {b}))); }
        case 3: { int a = t(); return eq(make(Op::Neg, w, {a}), op2(Op::Sub, k(0), a)); }
        case 4: { int a = t(); return eq(make(Op::Neg, w, {a}), op2(Op::Add, bitNot(a), k(1))); }
        case 5: {
            int a = t(), b = t();
            int nand = op2(Op::Nand, a, b);
            return eq(op2(Op::Nand, nand, nand), op2(Op::Nor, op2(Op::Nor, a, a), op2(Op::Nor, b, b)));
        }
        case 6: {
            int a = t();
            unsigned s = static_cast<unsigned>(rng.below(w + 1));
            int shifted = op2(Op::Shl, a, k(s));
            if (s == 0) return eq(shifted, a);
            if (s == w) return eq(shifted, k(0));
            return eq(shifted, make(Op::Concat, w, {extract(a, w - 1 - s, 0), constant(s, 0)}));
        }
        case 7: {
            int a = t();
            unsigned s = static_cast<unsigned>(rng.below(w + 1));
            int shifted = op2(Op::Lshr, a, k(s));
            if (s == 0) return eq(shifted, a);
            if (s == w) return eq(shifted, k(0));
            return eq(shifted, extend(Op::ZeroExtend, extract(a, w - 1, s), s));
        }
        case 8: {
            if (w < 2) return law(0, w);
            int a = t();
            unsigned m = static_cast<unsigned>(rng.range(1, static_cast<int>(w) - 1));
            return eq(a, make(Op::Concat, w, {extract(a, w - 1, m), extract(a, m - 1, 0)}));
        }
        case 9: {
            if (w >= 64) return law(0, w);
            unsigned extra = static_cast<unsigned>(rng.range(1, static_cast<int>(std::min(8u, 64 - w))));
            int a = t();
            int sign = make(Op::Slt, 0, {a, k(0)});
            int fill = make(Op::IteTerm, extra, {sign, constant(extra, bv::mask(extra)), constant(extra, 0)});
            return make(Op::Equal, 0, {extend(Op::SignExtend, a, extra), make(Op::Concat, w + extra, {fill, a})});
        }
        case 10: {
            w = std::min(w, 16u);
            int a = t();
            unsigned s = static_cast<unsigned>(rng.below(w));
            return eq(op2(Op::Mul, a, k(1ULL << s)), op2(Op::Shl, a, k(s)));
        }
        case 11: {
            w = std::min(w, 12u);
            int a = t();
            unsigned s = static_cast<unsigned>(rng.below(w));
            return eq(op2(Op::Udiv, a, k(1ULL << s)), op2(Op::Lshr, a, k(s)));
        }
        case 12: {
            w = std::min(w, 12u);
            if (w < 2) return law(17, w);
            int a = t();
            unsigned s = static_cast<unsigned>(rng.range(1, static_cast<int>(w) - 1));
            return eq(op2(Op::Urem, a, k(1ULL << s)), extend(Op::ZeroExtend, extract(a, s - 1, 0), w - s));
        }
        case 13: {
            w = std::min(w, 8u);
            int f = atom(0), a = t(), b = t(), c = t();
            return eq(op2(Op::Add, make(Op::IteTerm, w, {f, a, b}), c),
                      make(Op::IteTerm, w, {f, op2(Op::Add, a, c), op2(Op::Add, b, c)}));
        }
        case 14: { int a = t(); return eq(op2(Op::Sub, a, a), k(0)); }
        case 15: {
            if (w > 1 && !set.gates.wideXor) return law(14, w);
            int a = t();
            return eq(op2(Op::BvXor, a, a), k(0));
        }
        case 16: {
            w = small;
            int a = t(), b = t();
            return eq(op2(Op::Mul, a, b), op2(Op::Mul, b, a));
        }
        case 17: { w = std::min(w, 12u); int a = t(); return eq(op2(Op::Urem, a, k(0)), a); }
        case 18: { w = std::min(w, 12u); int a = t(); return eq(op2(Op::Srem, a, k(0)), a); }
        case 19: {
            w = small;
            int a = t(), b = t();
            return eq(op2(Op::Shl, a, b), op2(Op::Mul, a, op2(Op::Shl, k(1), b)));
        }
        case 20: { int a = t(), b = t(); return iff(make(Op::Ult, 0, {a, b}), make(Op::Ugt, 0, {b, a})); }
        case 21: { int a = t(), b = t(); return iff(make(Op::Ule, 0, {a, b}), negate(make(Op::Ult, 0, {b, a}))); }
        case 22: { int a = t(), b = t(); return iff(make(Op::Sle, 0, {a, b}), negate(make(Op::Slt, 0, {b, a}))); }
        case 23: { int a = t(), b = t(); return iff(make(Op::Sge, 0, {a, b}), make(Op::Sle, 0, {b, a})); }
        case 24: {
            int a = t(), b = t();
            uint64_t min = 1ULL << (w - 1);
            return iff(make(Op::Slt, 0, {a, b}), make(Op::Ult, 0, {op2(Op::Add, a, k(min)), op2(Op::Add, b, k(min))}));
        }
        case 25:
        case 26: {
            if (w >= 64) return law(20, w);
            unsigned extra = static_cast<unsigned>(rng.range(1, static_cast<int>(std::min(8u, 64 - w))));
            Op cmp = which == 25 ? Op::Ult : Op::Slt;
            Op ext = which == 25 ? Op::ZeroExtend : Op::SignExtend;
            int a = t(), b = t();
            return iff(make(cmp, 0, {a, b}), make(cmp, 0, {extend(ext, a, extra), extend(ext, b, extra)}));
        }
        case 27:
        case 28: {
            w = std::min(small, 5u);
            Op div = which == 27 ? Op::Udiv : Op::Sdiv;
            Op rem = which == 27 ? Op::Urem : Op::Srem;
            int a = t(), b = t();
            int recombined = op2(Op::Add, op2(Op::Mul, op2(div, a, b), b), op2(rem, a, b));
            return make(Op::Implies, 0, {negate(eq(b, k(0))), eq(a, recombined)});
        }
        case 29: {
            w = small;
            int a = t(), b = t();
            int inRange = make(Op::Ult, 0, {b, k(w)});
            return make(Op::Implies, 0, {inRange, eq(op2(Op::Lshr, a, b), op2(Op::Udiv, a, op2(Op::Shl, k(1), b)))});
        }
        case 30: {
            w = static_cast<unsigned>(rng.range(1, 2));
            std::vector<int> terms;
            for (unsigned i = 0; i <= (1u << w); i++) terms.push_back(t());
            return negate(make(Op::Distinct, 0, terms));
        }
        case 31: {
            int f = formula(1), g = formula(1);
            return iff(negate(make(Op::And, 0, {f, g})), make(Op::Or, 0, {negate(f), negate(g)}));
        }
        case 32: {
            int f = formula(1), g = formula(1);
            return iff(make(Op::Implies, 0, {f, g}), make(Op::Or, 0, {negate(f), g}));
        }
        case 33: {
            int f = formula(1), g = formula(1);
            return iff(make(Op::Iff, 0, {f, g}), negate(make(Op::Xor, 0, {f, g})));
        }
        case 34: {
            int f = formula(1), g = formula(1), h = formula(1);
            return iff(make(Op::IteFormula, 0, {f, g, h}),
                       make(Op::Or, 0, {make(Op::And, 0, {f, g}), make(Op::And, 0, {negate(f), h})}));
        }
        case 36: {
            w = small;
            int a = t(), b = t();
            int negative = make(Op::Slt, 0, {a, k(0)});
            int complemented = bitNot(op2(Op::Lshr, bitNot(a), b));
            int shifted = op2(Op::Ashr, a, b);
            int expected = make(Op::IteTerm, w, {negative, complemented, op2(Op::Lshr, a, b)});
            return eq(shifted, expected);
        }
        case 37: {
            int a = t();
            unsigned s = static_cast<unsigned>(rng.below(w + 2) & bv::mask(w));
            int shifted = op2(Op::Ashr, a, k(s));
            if (s == 0) return eq(shifted, a);
            if (s >= w) return eq(shifted, extend(Op::SignExtend, extract(a, w - 1, w - 1), w - 1));
            return eq(shifted, extend(Op::SignExtend, extract(a, w - 1, s), s));
        }
        case 38: {
            int a = t();
            unsigned distance = static_cast<unsigned>(rng.below(2 * w + 1)), r = distance % w;
            int rotated = indexed(Op::RotateLeft, a, w, distance);
            if (rng.coin()) return eq(indexed(Op::RotateRight, rotated, w, distance), a);
            if (r == 0) return eq(rotated, a);
            return eq(rotated, make(Op::Concat, w, {extract(a, w - 1 - r, 0), extract(a, w - 1, w - r)}));
        }
        case 39: {
            unsigned count = static_cast<unsigned>(rng.range(1, static_cast<int>(std::max(1u, std::min(4u, 64 / w)))));
            int a = t(), copies = a;
            for (unsigned i = 1; i < count; i++) copies = make(Op::Concat, width(copies) + w, {copies, a});
            return make(Op::Equal, 0, {indexed(Op::Repeat, a, count * w, count), copies});
        }
        case 40: {
            w = std::min(small, 5u);
            int a = t(), b = t();
            lawOperands.push_back({op2(Op::Srem, a, b), "?t" + std::to_string(nextBinding++)});
            int r = ref(lawOperands.back(), Op::TermRef);
            int negativeRemainder = make(Op::Slt, 0, {r, k(0)});
            int negativeDivisor = make(Op::Slt, 0, {b, k(0)});
            int keep = make(Op::Or, 0, {eq(r, k(0)), iff(negativeRemainder, negativeDivisor)});
            int modulo = op2(Op::Smod, a, b);
            return eq(modulo, make(Op::IteTerm, w, {keep, r, op2(Op::Add, r, b)}));
        }
        default: { int a = t(), b = t(); return iff(eq(a, b), eq(b, a)); }
    }
}

const int kLawCount = 36;
const int kGraphLawCount = 5;

// A valid formula is refuted in one of several equivalent ways.
int refute(Builder& b, int valid) {
    Prng& rng = b.random();
    switch (rng.below(3)) {
        case 0: return b.negate(valid);
        case 1: return b.make(Op::Xor, 0, {valid, b.make(Op::True, 0, {})});
        default: return b.make(Op::Iff, 0, {valid, b.make(Op::False, 0, {})});
    }
}

// Adds an assertion that holds under the planted values: a random formula or
// its negation, or a term equal to its planted value.
void assertPlanted(Builder& b, Benchmark& bench, const GenSettings& s, const Assignment& planted, int depth) {
    Prng& rng = b.random();
    int f;
    if (rng.chance(30)) {
        int t = b.term(b.atomWidth(), depth);
        Evaluator ev(bench);
        int value = b.constant(bench.nodes[t].width, ev.value(t, planted));
        f = b.make(bench.nodes[t].width <= s.eqWidth ? Op::Equal : Op::Uge, 0, {t, value});
    } else {
        f = b.formula(depth);
        Evaluator ev(bench);
        if (!ev.holds(f, planted)) f = b.negate(f);
    }
    b.assertFormula(f);
}

Generated generateSmall(uint64_t seed, const GenSettings& s) {
    Generated g;
    Prng rng(seed);
    Builder b(g.bench, rng, s);
    int preds = rng.range(0, 2);
    b.declareVariables(rng.range(1, 4), 16 - static_cast<unsigned>(preds) - 2);
    b.declarePredicates(preds);
    int unused = rng.chance(10) ? b.declareUnused() : -1;
    bool wantSat = rng.coin();

    std::vector<Assignment> alive;
    unsigned bits = 0;
    for (size_t d = 0; d < g.bench.decls.size(); d++)
        if (static_cast<int>(d) != unused) bits += g.bench.decls[d].width;
    for (uint64_t code = 0; code < (1ULL << bits); code++) {
        Assignment a(g.bench.decls.size(), 0);
        uint64_t rest = code;
        for (size_t d = 0; d < g.bench.decls.size(); d++) {
            if (static_cast<int>(d) == unused) continue;
            a[d] = rest & bv::mask(g.bench.decls[d].width);
            rest >>= g.bench.decls[d].width;
        }
        alive.push_back(a);
    }

    size_t stopAt = wantSat ? static_cast<size_t>(rng.range(1, 3)) : 0;
    for (int step = 0; step < 40 && alive.size() > stopAt; step++) {
        int f = b.formula(s.depth);
        Evaluator ev(g.bench);
        std::vector<Assignment> kept;
        for (const Assignment& a : alive)
            if (ev.holds(f, a)) kept.push_back(a);
        if (kept.empty() && wantSat) continue;
        b.assertFormula(f);
        alive.swap(kept);
    }
    if (g.bench.assertions.empty()) b.assertFormula(b.formula(s.depth));
    g.bench.expect = countModels(g.bench, 1) ? Expect::Sat : Expect::Unsat;
    return g;
}

Generated generatePlanted(uint64_t seed, const GenSettings& s) {
    Generated g;
    Prng rng(seed);
    Builder b(g.bench, rng, s);
    b.declareVariables(rng.range(1, 6), 0);
    b.declarePredicates(rng.range(0, 3));
    if (rng.chance(10)) b.declareUnused();
    g.planted = b.plant();
    int count = rng.range(1, 5);
    for (int i = 0; i < count; i++) assertPlanted(b, g.bench, s, g.planted, s.depth);
    g.bench.expect = Expect::Sat;
    return g;
}

}  // namespace

int lawCount() { return kLawCount; }

int graphLawCount() { return kGraphLawCount; }

Generated generateLaw(uint64_t seed, const GenSettings& s, int which) {
    Generated g;
    Prng rng(seed);
    Builder b(g.bench, rng, s);
    b.declareVariables(rng.range(1, 4), 0);
    b.declarePredicates(rng.range(0, 2));
    g.planted = b.plant();
    int context = rng.range(0, 2);
    for (int i = 0; i < context; i++) assertPlanted(b, g.bench, s, g.planted, 2);
    if (which < 0) which = static_cast<int>(rng.below(s.graphOps ? kLawCount + kGraphLawCount : kLawCount));
    unsigned w = std::min(b.atomWidth(), std::min(s.lawWidth, s.eqWidth));
    b.assertFormula(refute(b, b.shareLawOperands(b.law(which, w))));
    g.bench.expect = Expect::Unsat;
    return g;
}

Generated generate(uint64_t seed, const GenSettings& s) {
    Generated g;
    switch (s.shape) {
        case Shape::Small: g = generateSmall(seed, s); break;
        case Shape::Planted: g = generatePlanted(seed, s); break;
        case Shape::Law: g = generateLaw(seed, s, -1); break;
    }
    g.bench.name = "random_" + std::to_string(seed);
    g.bench.decorated = s.decorate;
    return g;
}

}  // namespace torva_random
