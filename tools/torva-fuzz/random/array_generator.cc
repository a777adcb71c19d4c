// Generation of array and function sessions: declarations within a bit
// budget (Enumerated) or of any of the small sizes (Planted), formulas whose
// atoms read arrays and functions, refuted laws, and the script with the
// expectation of every response. Deterministic per seed.
#include <utility>

#include "random/array_session.h"
#include "random/prng.h"
#include "words.h"

namespace torva_random {

namespace {

namespace bv = torva_words;

class ArrayBuilder {
public:
    ArrayBuilder(ArrayInstance& i, Prng& r) : inst(i), rng(r) {}

    void declare(ArrayShape shape);
    int formula(int depth);
    int law();
    int negate(int f) { return make(AOp::Not, 0, {f}); }
    AAssignment plant();

private:
    ArrayInstance& inst;
    Prng& rng;
    std::vector<int> arraySorts;  // declared, and the elements of declared arrays of arrays

    int make(AOp op, int sort, std::vector<int> kids);
    int constant(int sort, uint64_t v);
    int var(int decl);
    std::vector<int> declsOf(int sort) const;
    std::vector<int> declsWhere(bool (*keep)(const ArrayInstance&, int)) const;
    int drawSort(bool small);
    int scalarSort(unsigned maxWidth);
    int indexSort(int arraySort) const { return inst.sorts[arraySort].domain[0]; }
    int elementSort(int arraySort) const { return inst.sorts[arraySort].range; }

    int term(int sort, int depth);
    int bvTerm(unsigned w, int depth);
    int bvLeaf(unsigned w, int depth);
    int bvRead(int depth);
    int read(int decl, int depth);
    int fit(int t, unsigned w);
    int arrayTerm(int sort, int depth);
    int arrayLeaf(int sort);
    int atom(int depth);
    int randomArraySort() { return arraySorts[rng.below(arraySorts.size())]; }
    Value randomValue(int sort);

    int congruence();
    int finiteExtensionality(int sort);
    int pigeonhole(int sort);
};

int ArrayBuilder::make(AOp op, int sort, std::vector<int> kids) {
    ANode n;
    n.op = op;
    n.sort = sort;
    n.kids = std::move(kids);
    return inst.add(n);
}

int ArrayBuilder::constant(int sort, uint64_t v) {
    ANode n;
    n.op = AOp::Const;
    n.sort = sort;
    n.value = v & bv::mask(sort == 0 ? 1 : inst.width(sort));
    return inst.add(n);
}

int ArrayBuilder::var(int decl) {
    ANode n;
    n.op = AOp::Var;
    n.sort = inst.decls[decl].sort;
    n.decl = decl;
    return inst.add(n);
}

std::vector<int> ArrayBuilder::declsOf(int sort) const {
    std::vector<int> found;
    for (size_t d = 0; d < inst.decls.size(); d++)
        if (inst.decls[d].sort == sort) found.push_back(static_cast<int>(d));
    return found;
}

std::vector<int> ArrayBuilder::declsWhere(bool (*keep)(const ArrayInstance&, int)) const {
    std::vector<int> found;
    for (size_t d = 0; d < inst.decls.size(); d++)
        if (keep(inst, static_cast<int>(d))) found.push_back(static_cast<int>(d));
    return found;
}

int ArrayBuilder::scalarSort(unsigned maxWidth) {
    return rng.chance(25) ? 0 : inst.bitVecSort(static_cast<unsigned>(rng.range(1, static_cast<int>(maxWidth))));
}

// The sort of a new declaration: an array of bit-vectors or Booleans, an
// array of arrays, a function, a bit-vector or a Boolean; often a compound
// sort declared before, so that equalities between variables occur.
int ArrayBuilder::drawSort(bool small) {
    std::vector<int> compound;
    for (const ADecl& d : inst.decls)
        if (!inst.isScalar(d.sort)) compound.push_back(d.sort);
    if (!compound.empty() && rng.chance(35)) return compound[rng.below(compound.size())];
    unsigned most = small ? 2 : 3;
    auto index = [&](unsigned top) { return inst.bitVecSort(static_cast<unsigned>(rng.range(1, static_cast<int>(top)))); };
    switch (rng.below(10)) {
        case 0:
        case 1:
        case 2: return inst.sortOf({ArraySort::Array, 0, {index(3)}, inst.bitVecSort(static_cast<unsigned>(rng.range(1, 3)))});
        case 3: return inst.sortOf({ArraySort::Array, 0, {index(3)}, 0});
        case 4: {
            int inner = inst.sortOf({ArraySort::Array, 0, {index(most)}, scalarSort(most)});
            return inst.sortOf({ArraySort::Array, 0, {index(most)}, inner});
        }
        case 5:
        case 6: {
            std::vector<int> domain;
            for (int k = rng.range(1, 2); k > 0; k--) domain.push_back(scalarSort(2));
            return inst.sortOf({ArraySort::Function, 0, domain, scalarSort(3)});
        }
        case 7:
        case 8: return inst.bitVecSort(static_cast<unsigned>(rng.range(1, 4)));
        default: return 0;
    }
}

// Enumerated: declarations of at most 8 to 14 bits in all, so that every
// assignment can be tried; Planted: three to six declarations of any size.
void ArrayBuilder::declare(ArrayShape shape) {
    bool small = shape == ArrayShape::Enumerated;
    uint64_t budget = small ? static_cast<uint64_t>(rng.range(8, 14)) : ~0ULL;
    int wanted = small ? 8 : rng.range(3, 6);
    for (int tries = 0; tries < 40 && static_cast<int>(inst.decls.size()) < wanted; tries++) {
        int sort = drawSort(small);
        if (inst.decls.empty() && inst.isScalar(sort)) continue;
        if (inst.bits(sort) > budget) continue;
        budget -= small ? inst.bits(sort) : 0;
        const char* prefix = inst.isArray(sort) ? "a" : inst.isFunction(sort) ? "f" : sort == 0 ? "p" : "x";
        inst.decls.push_back({prefix + std::to_string(inst.decls.size()), sort});
    }
    for (const ADecl& d : inst.decls) {
        for (int s = d.sort; inst.isArray(s); s = elementSort(s)) {
            bool known = false;
            for (int a : arraySorts) known = known || a == s;
            if (!known) arraySorts.push_back(s);
        }
    }
}

Value ArrayBuilder::randomValue(int sort) {
    uint64_t m = bv::mask(inst.cellWidth(sort));
    Value v(inst.cells(sort), rng.next() & m);
    if (rng.chance(30)) return v;
    for (uint64_t& c : v)
        if (rng.chance(50)) c = rng.next() & m;
    return v;
}

// Values drawn first; an array sometimes equal to an earlier one of its sort.
AAssignment ArrayBuilder::plant() {
    AAssignment a;
    for (size_t d = 0; d < inst.decls.size(); d++) {
        int first = declsOf(inst.decls[d].sort)[0];
        if (first < static_cast<int>(d) && rng.chance(30))
            a.push_back(a[first]);
        else
            a.push_back(randomValue(inst.decls[d].sort));
    }
    return a;
}

int ArrayBuilder::term(int sort, int depth) {
    if (sort == 0) return formula(depth);
    if (inst.isArray(sort)) return arrayTerm(sort, depth);
    return bvTerm(inst.width(sort), depth);
}

// A read of a declared array or function at random indices or arguments.
int ArrayBuilder::read(int decl, int depth) {
    int sort = inst.decls[decl].sort;
    if (inst.isFunction(sort)) {
        std::vector<int> args;
        for (int d : inst.sorts[sort].domain) args.push_back(term(d, depth - 1));
        int n = make(AOp::Apply, inst.sorts[sort].range, args);
        inst.nodes[n].decl = decl;
        return n;
    }
    int array = arrayTerm(sort, depth - 1);
    int r = make(AOp::Select, elementSort(sort), {array, bvTerm(inst.width(indexSort(sort)), depth - 1)});
    while (inst.isArray(inst.nodes[r].sort)) {
        int s = inst.nodes[r].sort;
        r = make(AOp::Select, elementSort(s), {r, bvTerm(inst.width(indexSort(s)), depth - 1)});
    }
    return r;
}

bool readsBitVectors(const ArrayInstance& inst, int d) {
    int s = inst.decls[d].sort;
    while (inst.isArray(s)) s = inst.sorts[s].range;
    if (inst.isFunction(s)) s = inst.sorts[s].range;
    return inst.width(s) > 0 && s != inst.decls[d].sort;
}

bool readsBooleans(const ArrayInstance& inst, int d) {
    int s = inst.decls[d].sort;
    while (inst.isArray(s)) s = inst.sorts[s].range;
    if (inst.isFunction(s)) s = inst.sorts[s].range;
    return s == 0 && s != inst.decls[d].sort;
}

bool isBitVector(const ArrayInstance& inst, int d) { return inst.width(inst.decls[d].sort) > 0; }

// A bit-vector read from an array or a function, of its own width.
int ArrayBuilder::bvRead(int depth) {
    std::vector<int> sources = declsWhere(readsBitVectors);
    if (sources.empty() || depth < 0) return constant(inst.bitVecSort(static_cast<unsigned>(rng.range(1, 3))), rng.next());
    return read(sources[rng.below(sources.size())], depth);
}

// Brings a bit-vector term to width w.
int ArrayBuilder::fit(int t, unsigned w) {
    unsigned u = inst.width(inst.nodes[t].sort);
    int sort = inst.bitVecSort(w);
    if (u == w) return t;
    if (u > w) {
        int e = make(AOp::Extract, sort, {t});
        inst.nodes[e].lo = static_cast<unsigned>(rng.below(u - w + 1));
        inst.nodes[e].hi = inst.nodes[e].lo + w - 1;
        return e;
    }
    if (rng.coin()) {
        int e = make(AOp::ZeroExtend, sort, {t});
        inst.nodes[e].hi = w - u;
        return e;
    }
    int other = constant(inst.bitVecSort(w - u), rng.next());
    return rng.coin() ? make(AOp::Concat, sort, {t, other}) : make(AOp::Concat, sort, {other, t});
}

int ArrayBuilder::bvLeaf(unsigned w, int depth) {
    std::vector<int> vars = declsOf(inst.bitVecSort(w));
    int pick = static_cast<int>(rng.below(100));
    if (depth >= 0 && pick < 45) return fit(bvRead(depth), w);
    if (!vars.empty() && pick < 80) return var(vars[rng.below(vars.size())]);
    std::vector<int> any = declsWhere(isBitVector);
    if (!any.empty() && pick < 85) return fit(var(any[rng.below(any.size())]), w);
    return constant(inst.bitVecSort(w), rng.next());
}

int ArrayBuilder::bvTerm(unsigned w, int depth) {
    if (depth <= 0 || rng.chance(25)) return bvLeaf(w, depth);
    int sort = inst.bitVecSort(w);
    static const AOp kBinary[] = {AOp::Add, AOp::Sub, AOp::Mul, AOp::BvAnd, AOp::BvOr, AOp::BvXor};
    switch (rng.below(8)) {
        case 0:
        case 1: return make(kBinary[rng.below(6)], sort, {bvTerm(w, depth - 1), bvTerm(w, depth - 1)});
        case 2: return make(rng.coin() ? AOp::BvNot : AOp::Neg, sort, {bvTerm(w, depth - 1)});
        case 3: return make(AOp::Ite, sort, {formula(depth - 1), bvTerm(w, depth - 1), bvTerm(w, depth - 1)});
        default: return fit(bvRead(depth), w);
    }
}

int ArrayBuilder::arrayLeaf(int sort) {
    std::vector<int> vars = declsOf(sort);
    if (!vars.empty() && rng.chance(80)) return var(vars[rng.below(vars.size())]);
    for (size_t d = 0; d < inst.decls.size(); d++) {
        int outer = inst.decls[d].sort;
        if (inst.isArray(outer) && elementSort(outer) == sort && rng.chance(60))
            return make(AOp::Select, sort, {var(static_cast<int>(d)), bvLeaf(inst.width(indexSort(outer)), -1)});
    }
    int element = elementSort(sort);
    int e = inst.isArray(element) ? arrayLeaf(element) : rng.chance(70) ? constant(element, rng.next()) : term(element, 0);
    return make(AOp::ConstArray, sort, {e});
}

int ArrayBuilder::arrayTerm(int sort, int depth) {
    if (depth <= 0 || rng.chance(30)) return arrayLeaf(sort);
    int element = elementSort(sort);
    switch (rng.below(5)) {
        case 0:
        case 1:
        case 2: {
            int base = arrayTerm(sort, depth - 1);
            return make(AOp::Store, sort, {base, bvTerm(inst.width(indexSort(sort)), depth - 1), term(element, depth - 1)});
        }
        case 3: return make(AOp::Ite, sort, {formula(depth - 1), arrayTerm(sort, depth - 1), arrayTerm(sort, depth - 1)});
        default: return make(AOp::ConstArray, sort, {term(element, depth - 1)});
    }
}

// Below depth 0 an atom reads nothing, so that the arguments of reads end.
int ArrayBuilder::atom(int depth) {
    if (depth < 0) {
        std::vector<int> bools = declsOf(0);
        return bools.empty() || rng.chance(20) ? constant(0, rng.next()) : var(bools[rng.below(bools.size())]);
    }
    switch (rng.below(10)) {
        case 0: {
            std::vector<int> bools = declsOf(0);
            if (!bools.empty()) return var(bools[rng.below(bools.size())]);
            break;
        }
        case 1:
        case 2: {
            std::vector<int> sources = declsWhere(readsBooleans);
            if (!sources.empty()) return read(sources[rng.below(sources.size())], depth);
            break;
        }
        case 3:
        case 4: {
            if (arraySorts.empty()) break;
            int sort = randomArraySort();
            std::vector<int> sides;
            for (int k = rng.chance(20) ? 3 : 2; k > 0; k--) sides.push_back(arrayTerm(sort, depth));
            return make(sides.size() > 2 || rng.chance(30) ? AOp::Distinct : AOp::Equal, 0, sides);
        }
        default: break;
    }
    int left = bvRead(depth);
    unsigned w = inst.width(inst.nodes[left].sort);
    static const AOp kCompare[] = {AOp::Equal, AOp::Equal, AOp::Ult, AOp::Ule, AOp::Slt, AOp::Distinct};
    return make(kCompare[rng.below(6)], 0, {left, bvTerm(w, depth - 1)});
}

int ArrayBuilder::formula(int depth) {
    if (depth <= 0 || rng.chance(30)) return atom(depth);
    static const AOp kConnectives[] = {AOp::And, AOp::Or, AOp::Xor, AOp::Implies, AOp::Equal};
    switch (rng.below(6)) {
        case 0: return negate(formula(depth - 1));
        case 1: return make(AOp::Ite, 0, {formula(depth - 1), formula(depth - 1), formula(depth - 1)});
        default: return make(kConnectives[rng.below(5)], 0, {formula(depth - 1), formula(depth - 1)});
    }
}

bool isFunctionDecl(const ArrayInstance& inst, int d) { return inst.isFunction(inst.decls[d].sort); }

// Equal arguments give equal results.
int ArrayBuilder::congruence() {
    std::vector<int> functions = declsWhere(isFunctionDecl);
    int f = functions[rng.below(functions.size())];
    const ArraySort& s = inst.sorts[inst.decls[f].sort];
    std::vector<int> left, right, premises;
    for (int d : s.domain) {
        left.push_back(term(d, 1));
        right.push_back(rng.chance(30) ? left.back() : term(d, 1));
        premises.push_back(make(AOp::Equal, 0, {left.back(), right.back()}));
    }
    int l = make(AOp::Apply, s.range, left), r = make(AOp::Apply, s.range, right);
    inst.nodes[l].decl = inst.nodes[r].decl = f;
    int premise = premises.size() == 1 ? premises[0] : make(AOp::And, 0, premises);
    return make(AOp::Implies, 0, {premise, make(AOp::Equal, 0, {l, r})});
}

// Arrays that agree at every index of a finite index sort are equal.
int ArrayBuilder::finiteExtensionality(int sort) {
    int a = arrayTerm(sort, 1), b = arrayTerm(sort, 1);
    int index = indexSort(sort);
    std::vector<int> agree;
    for (uint64_t i = 0; i < (1ULL << inst.width(index)); i++) {
        int k = constant(index, i);
        agree.push_back(make(AOp::Equal, 0, {make(AOp::Select, elementSort(sort), {a, k}),
                                             make(AOp::Select, elementSort(sort), {b, k})}));
    }
    int all = agree[0];
    for (size_t i = 1; i < agree.size(); i++) all = make(AOp::And, 0, {all, agree[i]});
    return make(AOp::Implies, 0, {all, make(AOp::Equal, 0, {a, b})});
}

// A sort of n values has no n + 1 distinct arrays.
int ArrayBuilder::pigeonhole(int sort) {
    std::vector<int> arrays;
    for (uint64_t k = 0; k <= (1ULL << inst.bits(sort)); k++) arrays.push_back(arrayTerm(sort, 1));
    return negate(make(AOp::Distinct, 0, arrays));
}

// A valid formula about the declared arrays or functions.
int ArrayBuilder::law() {
    if (arraySorts.empty() || (!declsWhere(isFunctionDecl).empty() && rng.chance(20))) return congruence();
    int sort = randomArraySort(), element = elementSort(sort);
    unsigned iw = inst.width(indexSort(sort));
    int a = arrayTerm(sort, 1), b = arrayTerm(sort, 1);
    int i = bvTerm(iw, 1), j = bvTerm(iw, 1), e = term(element, 1), f = term(element, 1);
    auto eq = [&](int l, int r) { return make(AOp::Equal, 0, {l, r}); };
    auto select = [&](int array, int index) { return make(AOp::Select, element, {array, index}); };
    auto store = [&](int array, int index, int value) { return make(AOp::Store, sort, {array, index, value}); };
    auto implies = [&](int l, int r) { return make(AOp::Implies, 0, {l, r}); };
    int distinct = make(AOp::Distinct, 0, {i, j});
    switch (rng.below(11)) {
        case 0: return eq(select(store(a, i, e), i), e);
        case 1: return implies(distinct, eq(select(store(a, i, e), j), select(a, j)));
        case 2: return eq(select(make(AOp::ConstArray, sort, {e}), i), e);
        case 3: return eq(store(store(a, i, e), i, f), store(a, i, f));
        case 4: return eq(store(a, i, select(a, i)), a);
        case 5: {
            int c = formula(1);
            return eq(select(make(AOp::Ite, sort, {c, a, b}), i), make(AOp::Ite, element, {c, select(a, i), select(b, i)}));
        }
        case 6: return implies(eq(a, b), eq(select(a, i), select(b, i)));
        case 7: return implies(distinct, eq(store(store(a, i, e), j, f), store(store(a, j, f), i, e)));
        case 8: return make(AOp::Equal, 0, {eq(store(a, i, e), store(a, i, f)), eq(e, f)});
        case 9:
            if (iw <= 2) return finiteExtensionality(sort);
            return eq(select(store(a, i, e), i), e);
        default:
            if (inst.bits(sort) <= 2) return pigeonhole(sort);
            return implies(eq(a, b), eq(store(a, i, e), store(b, i, e)));
    }
}

// --- The script --------------------------------------------------------

class SessionWriter {
public:
    SessionWriter(ArraySession& s, Prng& r, size_t base, size_t assumable)
        : session(s), inst(s.inst), rng(r), baseCount(base), assumableCount(assumable) {}

    void write();

private:
    struct Scope {
        int levels;
        uint64_t active, named;
    };

    ArraySession& session;
    const ArrayInstance& inst;
    Prng& rng;
    size_t baseCount, assumableCount;  // the pool: base formulas, assumable ones, then laws
    std::string out;
    std::vector<Scope> scopes;
    uint64_t active = 0, named = 0;
    bool cores = false;
    int depth = 0;

    std::string guard(size_t k) const { return "guard" + std::to_string(k); }
    void header();
    void assertFormula(size_t k, bool negatedLaw);
    void push();
    void pop();
    void check(uint64_t assumed);
    void lawScope();
    void ask(ArrayAsk what, const ArrayStep& check);
    std::vector<int> valueNodes(uint64_t inForce);
};

void SessionWriter::header() {
    cores = rng.coin();
    out += "(set-option :produce-models true)\n";
    out += std::string("(set-option :produce-unsat-cores ") + (cores ? "true" : "false") + ")\n";
    out += "(set-option :produce-unsat-assumptions true)\n";
    out += "(set-logic " + inst.logic() + ")\n";
    for (const ADecl& d : inst.decls)
        out += inst.isFunction(d.sort) || rng.coin() ? inst.declaration(d) + "\n"
                                                      : "(declare-const " + d.name + " " + inst.sortText(d.sort) + ")\n";
    for (size_t k = baseCount; k < baseCount + assumableCount; k++)
        out += "(declare-const " + guard(k) + " Bool)\n(assert (=> " + guard(k) + " " + inst.text(session.pool[k]) + "))\n";
}

void SessionWriter::assertFormula(size_t k, bool law) {
    std::string f = inst.text(session.pool[k]);
    active |= 1ULL << k;
    if (cores ? rng.chance(75) : rng.chance(20)) {
        named |= 1ULL << k;
        f = "(! " + f + " :named " + (law ? "law" : "n") + std::to_string(k) + ")";
    }
    out += "(assert " + f + ")\n";
}

void SessionWriter::push() {
    int n = rng.range(1, 2);
    out += "(push " + std::to_string(n) + ")\n";
    scopes.push_back({n, active, named});
    depth += n;
}

void SessionWriter::pop() {
    Scope s = scopes.back();
    scopes.pop_back();
    out += "(pop " + std::to_string(s.levels) + ")\n";
    depth -= s.levels;
    active = s.active;
    named = s.named;
}

std::vector<int> SessionWriter::valueNodes(uint64_t inForce) {
    std::vector<int> candidates;
    for (size_t k = 0; k < session.pool.size(); k++) {
        if (!(inForce >> k & 1)) continue;
        std::vector<int> todo{session.pool[k]};
        while (!todo.empty()) {
            int i = todo.back();
            todo.pop_back();
            if (inst.nodes[i].op != AOp::Const) candidates.push_back(i);
            for (int kid : inst.nodes[i].kids) todo.push_back(kid);
        }
    }
    std::vector<int> picked;
    for (int n = candidates.empty() ? 0 : rng.range(0, 3); n > 0; n--) picked.push_back(candidates[rng.below(candidates.size())]);
    return picked;
}

void SessionWriter::ask(ArrayAsk what, const ArrayStep& check) {
    ArrayStep step = check;
    step.ask = what;
    switch (what) {
        case ArrayAsk::Model: out += "(get-model)\n"; break;
        case ArrayAsk::Core: out += "(get-unsat-core)\n"; break;
        case ArrayAsk::Assumptions: out += "(get-unsat-assumptions)\n"; break;
        case ArrayAsk::Values: {
            std::string terms;
            for (const ADecl& d : inst.decls)
                if (!inst.isFunction(d.sort)) terms += (terms.empty() ? "" : " ") + d.name;
            step.valueNodes = valueNodes(check.inForce);
            for (int n : step.valueNodes) terms += (terms.empty() ? "" : " ") + inst.text(n);
            if (terms.empty()) return;
            out += "(get-value (" + terms + "))\n";
            break;
        }
        case ArrayAsk::Check: break;
    }
    session.steps.push_back(step);
}

// A check of the formulas in force and the assumed guards, and what may be
// asked after its expected answer: get-value needs a model of the functions
// first, which only get-model gives.
void SessionWriter::check(uint64_t assumed) {
    ArrayStep step;
    step.inForce = active | assumed;
    step.named = named;
    step.assumed = assumed;
    step.expect = session.decide(step.inForce);
    if (assumed || rng.chance(15)) {
        std::string literals;
        for (size_t k = 0; k < session.pool.size(); k++)
            if (assumed >> k & 1) literals += (literals.empty() ? "" : " ") + guard(k);
        out += "(check-sat-assuming (" + literals + "))\n";
    } else {
        out += "(check-sat)\n";
    }
    session.steps.push_back(step);
    if (step.expect == Expect::Sat) {
        bool model = inst.hasFunctions() ? rng.chance(50) : rng.chance(35);
        if (model) ask(ArrayAsk::Model, step);
        if ((model || !inst.hasFunctions()) && rng.chance(40)) ask(ArrayAsk::Values, step);
    } else if (step.expect == Expect::Unsat) {
        if (cores && rng.chance(60)) ask(ArrayAsk::Core, step);
        if (assumed && rng.chance(60)) ask(ArrayAsk::Assumptions, step);
    }
}

void SessionWriter::lawScope() {
    size_t first = baseCount + assumableCount;
    size_t k = first + rng.below(session.pool.size() - first);
    push();
    assertFormula(k, true);
    check(0);
    pop();
}

void SessionWriter::write() {
    header();
    for (int steps = rng.range(8, 22); steps > 0; steps--) {
        int r = static_cast<int>(rng.below(100));
        std::vector<size_t> idle;
        for (size_t k = 0; k < baseCount; k++)
            if (!(active >> k & 1)) idle.push_back(k);
        if (r < 30 && !idle.empty()) {
            assertFormula(idle[rng.below(idle.size())], false);
        } else if (r < 42 && depth < 4) {
            push();
        } else if (r < 54 && !scopes.empty()) {
            pop();
        } else if (r < 70) {
            check(0);
        } else if (r < 86) {
            uint64_t assumed = 0;
            for (size_t k = baseCount; k < baseCount + assumableCount; k++)
                if (rng.coin()) assumed |= 1ULL << k;
            check(assumed);
        } else {
            lawScope();
        }
    }
    check(0);
    session.text = out;
}

AAssignment decode(const ArrayInstance& inst, uint64_t code) {
    AAssignment a;
    for (const ADecl& d : inst.decls) {
        unsigned w = inst.cellWidth(d.sort);
        Value v(inst.cells(d.sort));
        for (uint64_t& c : v) {
            c = code & bv::mask(w);
            code >>= w;
        }
        a.push_back(v);
    }
    return a;
}

}  // namespace

Expect ArraySession::decide(uint64_t required) const {
    for (uint64_t h : holding)
        if ((h & required) == required) return Expect::Sat;
    if (shape == ArrayShape::Enumerated || (required & laws)) return Expect::Unsat;
    return Expect::Unknown;
}

ArraySession generateArraySession(uint64_t seed, ArrayShape shape) {
    ArraySession s;
    s.shape = shape;
    Prng rng(seed ^ 0x5851f42d4c957f2dULL);
    ArrayBuilder b(s.inst, rng);
    b.declare(shape);
    if (shape == ArrayShape::Planted) s.planted = b.plant();
    size_t base = static_cast<size_t>(rng.range(2, 6)), assumable = static_cast<size_t>(rng.range(0, 3));
    int depth = rng.range(1, 3);
    ArrayEvaluator ev(s.inst);
    for (size_t k = 0; k < base + assumable; k++) {
        int f = b.formula(depth);
        if (shape == ArrayShape::Planted && !ev.holds(f, s.planted)) f = b.negate(f);
        s.pool.push_back(f);
    }
    for (int k = rng.range(1, 3); k > 0; k--) {
        s.laws |= 1ULL << s.pool.size();
        s.pool.push_back(b.negate(b.law()));
    }
    if (shape == ArrayShape::Planted) {
        s.holding.push_back(ev.holding(s.pool, s.planted));
    } else {
        uint64_t bits = 0;
        for (const ADecl& d : s.inst.decls) bits += s.inst.bits(d.sort);
        for (uint64_t code = 0; code < (1ULL << bits); code++) s.holding.push_back(ev.holding(s.pool, decode(s.inst, code)));
    }
    SessionWriter(s, rng, base, assumable).write();
    return s;
}

}  // namespace torva_random
