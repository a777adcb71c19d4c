// The lemma catalogue of the abstracted operations and the refinement loop
// over a circuit's abstracted terms.
#include "engine/abstraction.h"

#include <algorithm>
#include <unordered_map>

#include "engine/circuit.h"
#include "engine/encoding_size.h"
#include "terms/reachable.h"
#include "terms/substitute.h"

namespace torva {

using terms::Kind;
using terms::TermId;

namespace {

// Terms of one width, built in the store.
class Build {
public:
    Build(terms::TermStore& store, uint32_t width) : store_(store), width_(width) {}

    TermId constant(const mpz_class& value) { return store_.mkConst(width_, value); }
    TermId zero() { return constant(0); }
    TermId one() { return constant(1); }
    TermId ones() {
        mpz_class v;
        mpz_setbit(v.get_mpz_t(), width_);
        return constant(v - 1);
    }
    TermId app(Kind kind, TermId a, TermId b) { return store_.mk(kind, {a, b}); }
    TermId eq(TermId a, TermId b) { return app(Kind::Equal, a, b); }
    TermId ne(TermId a, TermId b) { return app(Kind::Distinct, a, b); }
    TermId ult(TermId a, TermId b) { return app(Kind::BvUlt, a, b); }
    TermId ule(TermId a, TermId b) { return app(Kind::BvUle, a, b); }
    TermId implies(TermId a, TermId b) { return app(Kind::Implies, a, b); }
    TermId both(TermId a, TermId b) { return app(Kind::And, a, b); }
    TermId either(TermId a, TermId b) { return app(Kind::Or, a, b); }
    TermId neg(TermId a) { return store_.mk(Kind::BvNeg, {a}); }
    TermId bvnot(TermId a) { return store_.mk(Kind::BvNot, {a}); }
    TermId lowBit(TermId a) { return store_.mk(Kind::Extract, {a}, {0, 0}); }

private:
    terms::TermStore& store_;
    uint32_t width_;
};

// Valid facts of t = x * s, x / s and x % s (unsigned, SMT-LIB semantics).
std::vector<TermId> catalogue(Kind kind, Build& b, TermId x, TermId s, TermId t) {
    switch (kind) {
        case Kind::BvMul:
            return {
                b.implies(b.eq(x, b.zero()), b.eq(t, b.zero())),  // x = 0 -> x*s = 0
                b.implies(b.eq(x, b.one()), b.eq(t, s)),          // x = 1 -> x*s = s
                b.implies(b.eq(x, b.ones()), b.eq(t, b.neg(s))),  // x = -1 -> x*s = -s
                // no bit of x*s is set below the lowest set bit of x
                b.eq(b.app(Kind::BvAnd, t, b.bvnot(b.app(Kind::BvOr, x, b.neg(x)))), b.zero()),
                // the lowest bit of x*s is that of x and that of s
                b.eq(b.lowBit(t), b.app(Kind::BvAnd, b.lowBit(x), b.lowBit(s))),
            };
        case Kind::BvUdiv:
            return {
                b.implies(b.eq(s, b.zero()), b.eq(t, b.ones())),                      // x/0 = -1
                b.implies(b.eq(s, b.one()), b.eq(t, x)),                              // x/1 = x
                b.implies(b.ne(s, b.zero()), b.ule(t, x)),                            // s != 0 -> x/s <= x
                b.implies(b.ult(x, s), b.eq(t, b.zero())),                            // x < s -> x/s = 0
                b.implies(b.both(b.eq(s, x), b.ne(x, b.zero())), b.eq(t, b.one())),  // x/x = 1 for x != 0
                b.implies(b.both(b.ule(s, x), b.ne(s, b.zero())), b.ne(t, b.zero())),  // 0 < s <= x -> x/s != 0
                b.implies(b.ult(b.one(), s), b.either(b.eq(x, b.zero()), b.ult(t, x))),  // s > 1 -> x/s < x or x = 0
            };
        case Kind::BvUrem:
            return {
                b.implies(b.ne(s, b.zero()), b.ult(t, s)),  // s != 0 -> x%s < s
                b.implies(b.eq(s, b.zero()), b.eq(t, x)),   // x%0 = x
                b.implies(b.ult(x, s), b.eq(t, x)),         // x < s -> x%s = x
                b.ule(t, x),                                // x%s <= x
                b.implies(b.eq(s, x), b.eq(t, b.zero())),   // x%x = 0
                b.implies(b.eq(s, b.one()), b.eq(t, b.zero())),  // x%1 = 0
            };
        default: return {};
    }
}

bool isPowerOfTwo(const mpz_class& v) { return v != 0 && mpz_popcount(v.get_mpz_t()) == 1; }

uint32_t lowestDifference(const mpz_class& a, const mpz_class& b) {
    mpz_class d = a ^ b;
    return static_cast<uint32_t>(mpz_scan1(d.get_mpz_t(), 0));
}

}  // namespace

std::vector<TermId> abstractionLemmas(terms::TermStore& store, Kind kind, TermId x, TermId s, TermId t) {
    Build build(store, store.width(t));
    return catalogue(kind, build, x, s, t);
}

bool abstractable(const terms::TermStore& store, TermId t, uint32_t minWidth) {
    Kind kind = store.kind(t);
    if (minWidth == 0 || (kind != Kind::BvMul && kind != Kind::BvUdiv && kind != Kind::BvUrem)) return false;
    if (kind == Kind::BvMul)
        for (uint32_t i = 0; i < store.numArgs(t); ++i)
            if (store.kind(store.arg(t, i)) == Kind::Const) return false;  // a few shifted additions
    return store.width(t) >= minWidth;
}

Abstraction::Abstraction(terms::TermStore& store, Circuit& circuit, uint32_t minWidth, uint64_t budgetBytes)
    : store_(store), circuit_(circuit), minWidth_(minWidth), budgetBytes_(budgetBytes), evaluator_(store) {}

bool Abstraction::abstracts(TermId t) const { return abstractable(store_, t, minWidth_) && concrete_.count(t) == 0; }

bool Abstraction::refine(const RefinementGoals& goals) {
    const std::vector<TermId> abstracted = circuit_.blaster.abstracted();
    readValues(abstracted);
    std::vector<TermId> disagreeing;
    for (TermId t : abstracted)
        if (valueOf(t) != realValue(t)) disagreeing.push_back(t);
    if (disagreeing.empty() || rootsHold(goals.roots())) return false;
    std::vector<std::pair<TermId, mpz_class>> wrong;
    bool lemmaAdded = false;
    for (TermId t : live(disagreeing, goals.blasted())) {
        const mpz_class& value = valueOf(t);
        if (addCatalogueLemma(t, value) || addPowerOfTwoLemma(t))
            lemmaAdded = true;
        else
            wrong.emplace_back(t, value);
    }
    if (!lemmaAdded)
        for (const auto& [t, value] : wrong) addLastResort(t, value);
    if (!lemmaAdded && wrong.empty()) return false;
    ++stats_.rounds;
    return true;
}

const Abstraction::Shape& Abstraction::shapeOf(Kind kind, uint32_t width) {
    auto found = shapes_.find({kind, width});
    if (found != shapes_.end()) return found->second;
    Shape shape;
    shape.x = store_.mkVar(width, "x");
    shape.s = store_.mkVar(width, "s");
    shape.t = store_.mkVar(width, "t");
    shape.operation = store_.mk(kind, {shape.x, shape.s});
    shape.lemmas = abstractionLemmas(store_, kind, shape.x, shape.s, shape.t);
    return shapes_.emplace(std::make_pair(kind, width), std::move(shape)).first->second;
}

// The search's values of the abstracted terms and their operands, read
// before any lemma is added (a new clause ends the satisfied state).
void Abstraction::readValues(const std::vector<TermId>& abstracted) {
    values_.clear();
    auto read = [this](TermId t) {
        if (!values_.count(t)) values_.emplace(t, circuit_.valueOf(t));
    };
    for (TermId t : abstracted) {
        read(t);
        for (uint32_t i = 0; i < store_.numArgs(t); ++i) read(store_.arg(t, i));
    }
}

const mpz_class& Abstraction::valueOf(TermId t) const { return values_.at(t); }

// The disagreeing terms below the blasted ones; all of them if none is (the
// roots' falsity then lies elsewhere, and refining every term still ends).
std::vector<TermId> Abstraction::live(const std::vector<TermId>& disagreeing, const std::vector<TermId>& blasted) const {
    std::set<TermId> wanted(disagreeing.begin(), disagreeing.end()), reached;
    terms::forEachReachable(store_, blasted, [&](TermId t) {
        if (wanted.count(t)) reached.insert(t);
    });
    if (reached.empty()) return disagreeing;
    return std::vector<TermId>(reached.begin(), reached.end());
}

// The variables' values of the search, evaluated on the real operations.
bool Abstraction::rootsHold(const std::vector<TermId>& roots) {
    for (auto& [variable, value] : circuit_.readModel().values) evaluator_.assign(variable, value);
    for (TermId root : roots)
        if (evaluator_.value(root) != 1) return false;
    return true;
}

// The operation on the operands' present values, by the evaluator on the
// placeholders (an n-ary product operand by operand, as it associates).
mpz_class Abstraction::realValue(TermId t) {
    const Shape& shape = shapeOf(store_.kind(t), store_.width(t));
    mpz_class x = valueOf(store_.arg(t, 0));
    for (uint32_t i = 1; i < store_.numArgs(t); ++i) {
        evaluator_.assign(shape.x, x);
        evaluator_.assign(shape.s, valueOf(store_.arg(t, i)));
        x = evaluator_.value(shape.operation);
    }
    return x;
}

// The first lemma of the catalogue the present values violate, with the
// operands of a product also taken the other way round.
bool Abstraction::addCatalogueLemma(TermId t, const mpz_class& value) {
    if (store_.numArgs(t) != 2) return false;
    const Kind kind = store_.kind(t);
    const Shape& shape = shapeOf(kind, store_.width(t));
    mpz_class x = valueOf(store_.arg(t, 0)), s = valueOf(store_.arg(t, 1));
    for (TermId lemma : shape.lemmas) {
        if (!holds(shape, lemma, x, s, value)) {
            addInstance(shape, lemma, t, false);
            return true;
        }
        if (kind == Kind::BvMul && !holds(shape, lemma, s, x, value)) {
            addInstance(shape, lemma, t, true);
            return true;
        }
    }
    return false;
}

// x = 2^i makes x * s a shift of s; s = 2^i makes x / s a shift and x % s a
// mask of x. Such a lemma pins a wrong value exactly, so it is violated
// whenever the operand is a power of two.
bool Abstraction::addPowerOfTwoLemma(TermId t) {
    if (store_.numArgs(t) != 2) return false;
    const Kind kind = store_.kind(t);
    const uint32_t width = store_.width(t);
    Build b(store_, width);
    TermId x = store_.arg(t, 0), s = store_.arg(t, 1);
    mpz_class vx = valueOf(x), vs = valueOf(s);
    if (kind == Kind::BvMul && !isPowerOfTwo(vs) && isPowerOfTwo(vx)) {
        std::swap(x, s);
        std::swap(vx, vs);
    }
    if (!isPowerOfTwo(vs)) return false;
    const mpz_class shift = mpz_sizeinbase(vs.get_mpz_t(), 2) - 1;
    TermId conclusion;
    switch (kind) {
        case Kind::BvMul: conclusion = b.eq(t, b.app(Kind::BvShl, x, b.constant(shift))); break;
        case Kind::BvUdiv: conclusion = b.eq(t, b.app(Kind::BvLshr, x, b.constant(shift))); break;
        default: conclusion = b.eq(t, b.app(Kind::BvAnd, x, b.constant(vs - 1))); break;
    }
    assertLemma(b.implies(b.eq(s, b.constant(vs)), conclusion));
    ++stats_.lemmas;
    return true;
}

bool Abstraction::holds(const Shape& shape, TermId lemma, const mpz_class& x, const mpz_class& s,
                        const mpz_class& t) {
    evaluator_.assign(shape.x, x);
    evaluator_.assign(shape.s, s);
    evaluator_.assign(shape.t, t);
    return evaluator_.value(lemma) != 0;
}

void Abstraction::addInstance(const Shape& shape, TermId lemma, TermId t, bool swapped) {
    TermId x = store_.arg(t, 0), s = store_.arg(t, 1);
    if (swapped) std::swap(x, s);
    std::unordered_map<TermId, TermId> map{{shape.x, x}, {shape.s, s}, {shape.t, t}};
    assertLemma(terms::substitute(store_, lemma, map));
    ++stats_.lemmas;
}

// Pinned values first, then (products) exact low bits, then the circuit.
void Abstraction::addLastResort(TermId t, const mpz_class& value) {
    TermState& state = states_[t];
    const uint32_t width = store_.width(t);
    if (state.values < valueLimit(width)) {
        ++state.values;
        pinValue(t);
        return;
    }
    if (store_.kind(t) == Kind::BvMul) {
        uint32_t needed = (lowestDifference(value, realValue(t)) / 32 + 1) * 32;
        uint32_t bits = std::max(2 * state.lowBits, needed);
        if (bits < width) {
            state.lowBits = bits;
            encodeLowBits(t, bits);
            return;
        }
    }
    encodeCircuit(t);
}

// The operands at their present values give the operation's value.
void Abstraction::pinValue(TermId t) {
    Build b(store_, store_.width(t));
    std::vector<TermId> premises;
    for (uint32_t i = 0; i < store_.numArgs(t); ++i) {
        TermId operand = store_.arg(t, i);
        premises.push_back(b.eq(operand, b.constant(valueOf(operand))));
    }
    TermId premise = premises.size() == 1 ? premises[0] : store_.mk(Kind::And, premises);
    assertLemma(b.implies(premise, b.eq(t, b.constant(realValue(t)))));
    ++stats_.values;
}

// The low bits of a product are the product of the operands' low bits.
void Abstraction::encodeLowBits(TermId t, uint32_t bits) {
    std::vector<TermId> low;
    for (uint32_t i = 0; i < store_.numArgs(t); ++i) low.push_back(store_.mk(Kind::Extract, {store_.arg(t, i)}, {bits - 1, 0}));
    TermId product = store_.mk(Kind::BvMul, low);
    spend(product);
    concrete_.insert(product);
    const std::vector<TermId>& abstracted = circuit_.blaster.abstracted();
    if (std::find(abstracted.begin(), abstracted.end(), product) != abstracted.end()) encodeCircuit(product);
    assertLemma(Build(store_, bits).eq(store_.mk(Kind::Extract, {t}, {bits - 1, 0}), product));
    ++stats_.lowParts;
}

// The term's bits equal its circuit's.
void Abstraction::encodeCircuit(TermId t) {
    spend(t);
    const std::vector<int> abstract = circuit_.blaster.bits(t);
    const std::vector<int> real = circuit_.blaster.circuitOf(t);
    for (size_t i = 0; i < abstract.size(); ++i) {
        circuit_.backend.addClause({-abstract[i], real[i]});
        circuit_.backend.addClause({abstract[i], -real[i]});
    }
    ++stats_.circuits;
}

void Abstraction::printStats(std::FILE* out) const {
    const uint64_t terms = circuit_.blaster.abstracted().size();
    if (terms == 0) return;
    const std::pair<const char*, uint64_t> lines[] = {
        {"terms", terms},           {"refinements", stats_.rounds},  {"lemmas", stats_.lemmas},
        {"values.pinned", stats_.values}, {"low.parts", stats_.lowParts}, {"circuits", stats_.circuits},
    };
    for (const auto& [name, count] : lines)
        std::fprintf(out, "abstraction.%s: %llu\n", name, static_cast<unsigned long long>(count));
}

void Abstraction::assertLemma(TermId lemma) { circuit_.assertTrue(lemma); }

// A circuit is built only while the budget holds it.
void Abstraction::spend(TermId circuitRoot) {
    const uint64_t bytes = encodingBytes(store_, circuitRoot);
    if (bytes > budgetBytes_) throw EncodingTooLarge();
    budgetBytes_ -= bytes;
}

}  // namespace torva
