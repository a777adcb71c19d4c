// Gate construction: constant folding, normalisation of operands, the
// structural hash table and the Tseitin clauses of each gate kind.
// Invariants: a gate reaches the table only after folding, so no entry has a
// constant operand or two operands on one variable; the table stays at most
// three quarters full; AndN operands live in andOperands_, sorted by variable,
// and a lookup that finds an existing gate takes its tentative copy back out.
#include "cnf/gates.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

namespace torva::cnf {
namespace {

uint64_t mix(uint64_t x) {
    x += 0x9e3779b97f4a7c15ULL;
    x = (x ^ (x >> 30)) * 0xbf58476d1ce4e5b9ULL;
    x = (x ^ (x >> 27)) * 0x94d049bb133111ebULL;
    return x ^ (x >> 31);
}

uint64_t mixIn(uint64_t h, int lit) { return mix(h ^ static_cast<uint32_t>(lit)); }

// Orders literals by variable, the negative one first.
bool byVariable(int x, int y) {
    int ax = std::abs(x), ay = std::abs(y);
    return ax != ay ? ax < ay : x < y;
}

void sortThree(int (&v)[3]) {
    if (v[0] > v[1]) std::swap(v[0], v[1]);
    if (v[1] > v[2]) std::swap(v[1], v[2]);
    if (v[0] > v[1]) std::swap(v[0], v[1]);
}

}  // namespace

Gates::Gates(ClauseSink& sink) : sink_(sink) {}

int Gates::newVar() {
    ++stats_.variables;
    return sink_.newVar();
}

int Gates::trueLit() {
    if (trueVar_ == 0) {
        trueVar_ = newVar();
        clause({trueVar_});
    }
    return trueVar_;
}

int Gates::mkAnd(int a, int b) {
    if (isFalse(a) || isFalse(b) || a == -b) return falseLit();
    if (isTrue(a) || a == b) return b;
    if (isTrue(b)) return a;
    if (a > b) std::swap(a, b);
    return gate(Op::And, a, b, 0);
}

// xor(-a, b) = -xor(a, b): the entry holds two positive operands.
int Gates::mkXor(int a, int b) {
    if (isFalse(a)) return b;
    if (isTrue(a)) return -b;
    if (isFalse(b)) return a;
    if (isTrue(b)) return -a;
    if (a == b) return falseLit();
    if (a == -b) return trueLit();
    const bool negated = (a < 0) != (b < 0);
    a = std::abs(a);
    b = std::abs(b);
    if (a > b) std::swap(a, b);
    const int out = gate(Op::Xor, a, b, 0);
    return negated ? -out : out;
}

// The entry holds a positive condition and a positive then-branch.
int Gates::mkIte(int cond, int thenLit, int elseLit) {
    if (isTrue(cond) || thenLit == elseLit) return thenLit;
    if (isFalse(cond)) return elseLit;
    if (cond < 0) {
        cond = -cond;
        std::swap(thenLit, elseLit);
    }
    if (thenLit == -elseLit) return -mkXor(cond, thenLit);
    if (isTrue(thenLit) || thenLit == cond) return mkOr(cond, elseLit);
    if (isFalse(thenLit) || thenLit == -cond) return mkAnd(-cond, elseLit);
    if (isTrue(elseLit) || elseLit == -cond) return mkOr(-cond, thenLit);
    if (isFalse(elseLit) || elseLit == cond) return mkAnd(cond, thenLit);
    if (thenLit < 0) return -gate(Op::Ite, cond, -thenLit, -elseLit);
    return gate(Op::Ite, cond, thenLit, elseLit);
}

int Gates::mkAndN(std::vector<int> lits) {
    if (std::any_of(lits.begin(), lits.end(), [this](int l) { return isFalse(l); })) return falseLit();
    lits.erase(std::remove_if(lits.begin(), lits.end(), [this](int l) { return isTrue(l); }), lits.end());
    std::sort(lits.begin(), lits.end(), byVariable);
    lits.erase(std::unique(lits.begin(), lits.end()), lits.end());
    for (size_t i = 1; i < lits.size(); ++i)
        if (lits[i] == -lits[i - 1]) return falseLit();
    switch (lits.size()) {
        case 0: return trueLit();
        case 1: return lits[0];
        case 2: return mkAnd(lits[0], lits[1]);
        default: break;
    }
    const int offset = static_cast<int>(andOperands_.size());
    andOperands_.insert(andOperands_.end(), lits.begin(), lits.end());
    return gate(Op::AndN, offset, static_cast<int>(lits.size()), 0);
}

int Gates::mkOrN(std::vector<int> lits) {
    for (int& l : lits) l = -l;
    return -mkAndN(std::move(lits));
}

// Constants and signs move into the output's sign, pairs on one variable
// cancel; what is left is a constant, a literal, a two-input xor or a gate.
int Gates::mkXor3(int a, int b, int c) {
    bool negated = false;
    int vars[3] = {a, b, c};
    for (int& l : vars) {
        negated ^= isConst(l) ? isTrue(l) : l < 0;
        l = isConst(l) ? 0 : std::abs(l);
    }
    sortThree(vars);
    int kept[3];
    int m = 0;
    for (int v : vars) {
        if (v == 0) continue;
        if (m > 0 && kept[m - 1] == v)
            --m;
        else
            kept[m++] = v;
    }
    int out;
    switch (m) {
        case 0: out = falseLit(); break;
        case 1: out = kept[0]; break;
        case 2: out = mkXor(kept[0], kept[1]); break;
        default: out = gate(Op::Xor3, kept[0], kept[1], kept[2]);
    }
    return negated ? -out : out;
}

// maj(-a, -b, -c) = -maj(a, b, c): the entry has at most one negative operand.
int Gates::mkMaj(int a, int b, int c) {
    if (isConst(a)) return isTrue(a) ? mkOr(b, c) : mkAnd(b, c);
    if (isConst(b)) return isTrue(b) ? mkOr(a, c) : mkAnd(a, c);
    if (isConst(c)) return isTrue(c) ? mkOr(a, b) : mkAnd(a, b);
    if (a == b || a == c) return a;
    if (b == c) return b;
    if (a == -b) return c;
    if (a == -c) return b;
    if (b == -c) return a;
    const bool negated = (a < 0) + (b < 0) + (c < 0) >= 2;
    int ops[3] = {negated ? -a : a, negated ? -b : b, negated ? -c : c};
    sortThree(ops);
    const int out = gate(Op::Maj, ops[0], ops[1], ops[2]);
    return negated ? -out : out;
}

int Gates::gate(Op op, int a, int b, int c) {
    if ((used_ + 1) * 4 > table_.size() * 3) growTable();
    const Entry key{0, op, a, b, c};
    Entry& slot = table_[findSlot(key)];
    if (slot.out != 0) {
        ++stats_.hashHits;
        if (op == Op::AndN) andOperands_.resize(static_cast<size_t>(a));
        return slot.out;
    }
    slot = key;
    slot.out = newVar();
    ++used_;
    ++stats_.gates;
    defineGate(slot);
    return slot.out;
}

size_t Gates::hashOf(const Entry& e) const {
    uint64_t h = mix(static_cast<uint64_t>(e.op));
    if (e.op == Op::AndN) {
        for (int i = 0; i < e.b; ++i) h = mixIn(h, andOperands_[e.a + i]);
        return h;
    }
    return mixIn(mixIn(mixIn(h, e.a), e.b), e.c);
}

bool Gates::sameGate(const Entry& x, const Entry& y) const {
    if (x.op != y.op) return false;
    if (x.op != Op::AndN) return x.a == y.a && x.b == y.b && x.c == y.c;
    return x.b == y.b &&
           std::equal(andOperands_.begin() + x.a, andOperands_.begin() + x.a + x.b, andOperands_.begin() + y.a);
}

size_t Gates::findSlot(const Entry& key) const {
    const size_t mask = table_.size() - 1;
    size_t i = hashOf(key) & mask;
    while (table_[i].out != 0 && !sameGate(table_[i], key)) i = (i + 1) & mask;
    return i;
}

void Gates::growTable() {
    std::vector<Entry> old(std::max<size_t>(64, 2 * table_.size()), Entry{0, Op::And, 0, 0, 0});
    old.swap(table_);
    for (const Entry& e : old)
        if (e.out != 0) table_[findSlot(e)] = e;
}

void Gates::defineGate(const Entry& e) {
    const int o = e.out;
    switch (e.op) {
        case Op::And:
            clause({-o, e.a});
            clause({-o, e.b});
            clause({o, -e.a, -e.b});
            break;
        case Op::Xor: parityClauses({e.a, e.b}, o); break;
        case Op::Xor3: parityClauses({e.a, e.b, e.c}, o); break;
        case Op::Ite:
            clause({-e.a, -e.b, o});
            clause({-e.a, e.b, -o});
            clause({e.a, -e.c, o});
            clause({e.a, e.c, -o});
            clause({-e.b, -e.c, o});
            clause({e.b, e.c, -o});
            break;
        case Op::Maj:
            clause({-e.a, -e.b, o});
            clause({-e.a, -e.c, o});
            clause({-e.b, -e.c, o});
            clause({e.a, e.b, -o});
            clause({e.a, e.c, -o});
            clause({e.b, e.c, -o});
            break;
        case Op::AndN: {
            std::vector<int> all{o};
            for (int i = 0; i < e.b; ++i) {
                const int l = andOperands_[e.a + i];
                clause({-o, l});
                all.push_back(-l);
            }
            clause(all);
            break;
        }
    }
}

void Gates::clause(std::initializer_list<int> lits) {
    ++stats_.clauses;
    sink_.addClause(lits.begin(), lits.size());
}

void Gates::clause(const std::vector<int>& lits) {
    ++stats_.clauses;
    sink_.addClause(lits.data(), lits.size());
}

// One clause per input assignment: under it, the output equals the parity.
void Gates::parityClauses(const std::vector<int>& inputs, int out) {
    std::vector<int> lits(inputs.size() + 1);
    for (unsigned mask = 0; mask < (1u << inputs.size()); ++mask) {
        bool parity = false;
        for (size_t i = 0; i < inputs.size(); ++i) {
            const bool set = (mask >> i) & 1u;
            lits[i] = set ? -inputs[i] : inputs[i];
            parity ^= set;
        }
        lits.back() = parity ? out : -out;
        clause(lits);
    }
}

}  // namespace torva::cnf
