// Lowering of term-graph nodes into generator operations. Invariants: a node
// is lowered only after all its operands (post-order over an explicit
// stack, operands left to right), exactly once; its bit vector is never
// empty once lowered; every operation gets a fresh output vector, so no
// variable is ever the output of two operations. Operations that the
// configuration builds as one-bit modules (AND, OR, XOR, NOT) are issued bit
// by bit on wider words; the generator's adder and multiplier outputs are
// wider than the term, which keeps their low bits.
#include "engine/lowering.h"

#include <algorithm>
#include <string>
#include <utility>

#include "config.h"
#include "containers/check.h"
#include "frontend/signal.h"
#include "terms/reachable.h"

namespace torva {

using terms::Kind;
using terms::TermId;

namespace {
[[noreturn]] void fail(int line, const std::string& message) { fatalReport("Lowering", line, message); }
}  // namespace

LoweringLimit::LoweringLimit()
    : std::runtime_error("the problem needs more than " + std::to_string(kMaxCnfVariable) + " CNF variables") {}

std::vector<unsigned int> freshBits(GeneratorTORVA& generator, unsigned int n) {
    if (n > kMaxCnfVariable - generator.lastCnfVar)
        throw LoweringLimit();
    Signal sig;
    sig.id = generator.lastCnfVar + 1;
    sig.bitsize = n;
    generator.addSignal(&sig);
    return std::move(sig.cnfVars);
}

uint64_t leastBitsNeeded(const terms::TermStore& store, const std::vector<TermId>& roots) {
    uint64_t bits = 0;
    terms::forEachReachable(store, roots, [&](TermId t) {
        if (!terms::rearrangesBits(store.kind(t))) bits += store.isBool(t) ? 1 : store.width(t);
    });
    return bits;
}

std::unique_ptr<GeneratorTORVA> makeGraphGenerator(Solver& solver) {
    // The encoder's source of variables must exist before the generator does,
    // so it reaches the generator through a slot filled in afterwards.
    auto slot = std::make_shared<GeneratorTORVA*>(nullptr);
    auto generator = std::make_unique<GeneratorTORVA>("graph", &solver, [slot] { return freshBits(**slot, 1)[0]; });
    *slot = generator.get();
    return generator;
}

Lowering::Lowering(const terms::TermStore& store, GeneratorTORVA& generator)
    : store_(store), gen_(generator), bits_(store.size()) {}

const Lowering::Bits& Lowering::bits(TermId t) {
    if (bits_.size() < store_.size()) bits_.resize(store_.size());
    terms::forEachPostOrder(
        store_, t, [this](TermId u) { return lowered(u); }, [this](TermId u) { lowerNode(u); });
    return bits_[t];
}

void Lowering::assertTrue(TermId t) {
    if (!store_.isBool(t)) throw std::invalid_argument("an assertion must be a Boolean term");
    Bits bit = bits(t);
    std::vector<bool> value{true};
    gen_.setValue(bit, value);
}

std::vector<TermId> Lowering::variables() const {
    std::vector<TermId> sorted(variables_);
    std::sort(sorted.begin(), sorted.end());
    return sorted;
}

void Lowering::lowerNode(TermId t) {
    bits_[t] = lowerApplication(t);
    if (store_.kind(t) == Kind::Variable) variables_.push_back(t);
}

Lowering::Bits Lowering::lowerApplication(TermId t) {
    Kind kind = store_.kind(t);
    switch (kind) {
        case Kind::Const: return lowerConstant(t);
        case Kind::Variable: return fresh(store_.isBool(t) ? 1 : store_.width(t));
        case Kind::Not:
        case Kind::BvNot: return invert(bits_[store_.arg(t, 0)]);
        case Kind::BvNeg: return op1("NEG", bits_[store_.arg(t, 0)]);
        case Kind::Ite: return ite(bits_[store_.arg(t, 0)], bits_[store_.arg(t, 1)], bits_[store_.arg(t, 2)]);
        case Kind::Concat: return concatAll(t);
        case Kind::Extract:
        case Kind::Repeat:
        case Kind::ZeroExtend:
        case Kind::SignExtend:
        case Kind::RotateLeft:
        case Kind::RotateRight: return lowerStructural(t);
        case Kind::BvShl:
        case Kind::BvLshr:
            return shift(kind == Kind::BvShl, bits_[store_.arg(t, 0)], store_.arg(t, 1), bits_[store_.arg(t, 1)]);
        case Kind::BvAshr:
            return arithmeticShiftRight(bits_[store_.arg(t, 0)], store_.arg(t, 1), bits_[store_.arg(t, 1)]);
        default: return lowerChain(t);
    }
}

Lowering::Bits Lowering::lowerConstant(TermId t) {
    return constantBits(store_.value(t), store_.isBool(t) ? 1 : store_.width(t));
}

// Structural kinds: the result's bits are operand bits (or the shared
// constant-false bit), rearranged.
Lowering::Bits Lowering::lowerStructural(TermId t) {
    const Bits& a = bits_[store_.arg(t, 0)];
    const size_t w = a.size();
    switch (store_.kind(t)) {
        case Kind::Extract: return Bits(a.begin() + store_.index(t, 1), a.begin() + store_.index(t, 0) + 1);
        case Kind::Repeat: {
            Bits r;
            r.reserve(w * store_.index(t, 0));
            for (uint32_t i = 0; i < store_.index(t, 0); ++i) r.insert(r.end(), a.begin(), a.end());
            return r;
        }
        case Kind::ZeroExtend: {
            Bits r(a);
            r.resize(w + store_.index(t, 0), store_.index(t, 0) == 0 ? 0 : falseBit());
            return r;
        }
        case Kind::SignExtend: {
            Bits r(a);
            r.resize(w + store_.index(t, 0), a.back());
            return r;
        }
        case Kind::RotateLeft:
        case Kind::RotateRight: {
            size_t k = store_.index(t, 0) % w;
            if (store_.kind(t) == Kind::RotateLeft) k = (w - k) % w;
            Bits r(w);
            for (size_t i = 0; i < w; ++i) r[i] = a[(i + k) % w];
            return r;
        }
        default: fail(__LINE__, std::string("not a structural kind: ") + terms::kindName(store_.kind(t)));
    }
}

// The first operand is the most significant part.
Lowering::Bits Lowering::concatAll(TermId t) {
    Bits r;
    for (uint32_t i = store_.numArgs(t); i-- > 0;) {
        const Bits& part = bits_[store_.arg(t, i)];
        r.insert(r.end(), part.begin(), part.end());
    }
    return r;
}

// Binary kinds and the n-ary forms of the kind table, combined as the
// kind's chain rule says.
Lowering::Bits Lowering::lowerChain(TermId t) {
    const Kind kind = store_.kind(t);
    const uint32_t n = store_.numArgs(t);
    auto arg = [&](uint32_t i) -> const Bits& { return bits_[store_.arg(t, i)]; };
    switch (terms::kindInfo(kind).chain) {
        case terms::Chain::None:
        case terms::Chain::LeftAssoc: {
            Bits acc = combine(kind, arg(0), arg(1));
            for (uint32_t i = 2; i < n; ++i) acc = combine(kind, acc, arg(i));
            return acc;
        }
        case terms::Chain::RightAssoc: {
            Bits acc = combine(kind, arg(n - 2), arg(n - 1));
            for (uint32_t i = n - 2; i-- > 0;) acc = combine(kind, arg(i), acc);
            return acc;
        }
        case terms::Chain::Chainable: {
            std::vector<Bits> parts;
            for (uint32_t i = 0; i + 1 < n; ++i) parts.push_back(combine(kind, arg(i), arg(i + 1)));
            return conjunction(parts);
        }
        case terms::Chain::Pairwise: {
            std::vector<Bits> parts;
            for (uint32_t i = 0; i < n; ++i)
                for (uint32_t j = i + 1; j < n; ++j) parts.push_back(combine(kind, arg(i), arg(j)));
            return conjunction(parts);
        }
    }
    fail(__LINE__, "unknown chain rule");
}

Lowering::Bits Lowering::combine(Kind kind, const Bits& a, const Bits& b) {
    const size_t w = a.size();
    switch (kind) {
        case Kind::And:
        case Kind::BvAnd: return bitwise("AND", !toClses.andCls, a, b);
        case Kind::Or:
        case Kind::BvOr: return bitwise("OR", !toClses.orCls, a, b);
        case Kind::Xor:
        case Kind::BvXor: return bitwise("XOR", !toClses.xorCls, a, b);
        case Kind::Implies: return bitwise("OR", !toClses.orCls, invert(a), b);
        case Kind::Equal:
        case Kind::BvComp: return op2("EQUAL", a, b, 1);
        case Kind::Distinct: return invert(op2("EQUAL", a, b, 1));
        case Kind::BvNand: return op2("NAND", a, b, w);
        case Kind::BvNor: return op2("NOR", a, b, w);
        case Kind::BvXnor: return op2("NXOR", a, b, w);
        case Kind::BvAdd: return lowBits("ADD", a, b, w + 1);
        case Kind::BvSub: return op2("SUB", a, b, w);
        case Kind::BvMul: return lowBits("MUL", a, b, 2 * w);
        case Kind::BvUdiv: return op2("DIV", a, b, w);
        case Kind::BvUrem: return op2("REM", a, b, w);
        case Kind::BvSdiv: return op2("SDIV", a, b, w);
        case Kind::BvSrem: return op2("SREM", a, b, w);
        case Kind::BvSmod: return op2("SMOD", a, b, w);
        case Kind::BvUlt: return op2("LESS", a, b, 1);
        case Kind::BvUle: return op2("LESSEQUAL", a, b, 1);
        case Kind::BvUgt: return op2("GREATER", a, b, 1);
        case Kind::BvUge: return op2("GREATEREQUAL", a, b, 1);
        case Kind::BvSlt: return op2("SLESS", a, b, 1);
        case Kind::BvSle: return op2("SLESSEQUAL", a, b, 1);
        case Kind::BvSgt: return op2("SGREATER", a, b, 1);
        case Kind::BvSge: return op2("SGREATEREQUAL", a, b, 1);
        default: fail(__LINE__, std::string("no binary lowering for ") + terms::kindName(kind));
    }
}

Lowering::Bits Lowering::fresh(size_t n) { return freshBits(gen_, static_cast<unsigned int>(n)); }

unsigned int Lowering::falseBit() {
    if (falseBit_ == 0) falseBit_ = constantBits(0, 1)[0];
    return falseBit_;
}

Lowering::Bits Lowering::constantBits(const mpz_class& value, size_t n) {
    Bits bits = fresh(n);
    std::vector<bool> values(n);
    for (size_t i = 0; i < n; ++i) values[i] = mpz_tstbit(value.get_mpz_t(), i) != 0;
    gen_.setValue(bits, values);
    return bits;
}

Lowering::Bits Lowering::op1(const char* op, const Bits& in) {
    Bits out = fresh(in.size());
    Bits operand(in);
    gen_.addOp1(op, out, operand, "");
    return out;
}

Lowering::Bits Lowering::op2(const char* op, const Bits& a, const Bits& b, size_t outWidth, const mpz_class& k) {
    Bits out = fresh(outWidth);
    Bits left(a), right(b);
    gen_.addOp2(op, out, left, right, k);
    return out;
}

// One operation on the whole word, or one per bit where the configuration
// makes the operation a module (those modules are one bit wide).
Lowering::Bits Lowering::bitwise(const char* op, bool asModules, const Bits& a, const Bits& b) {
    if (!asModules || a.size() == 1) return op2(op, a, b, a.size());
    Bits out(a.size());
    for (size_t i = 0; i < a.size(); ++i) out[i] = op2(op, {a[i]}, {b[i]}, 1)[0];
    return out;
}

Lowering::Bits Lowering::invert(const Bits& a) {
    if (toClses.invCls || a.size() == 1) return op1("NOT", a);
    Bits out(a.size());
    for (size_t i = 0; i < a.size(); ++i) out[i] = op1("NOT", {a[i]})[0];
    return out;
}

Lowering::Bits Lowering::ite(const Bits& cond, const Bits& thenBits, const Bits& elseBits) {
    Bits out = fresh(thenBits.size());
    Bits c(cond), t(thenBits), e(elseBits);
    gen_.addOp3("ITE", out, c, t, e);
    return out;
}

// The generator's output is outWidth bits wide; the term is its low part.
Lowering::Bits Lowering::lowBits(const char* op, const Bits& a, const Bits& b, size_t outWidth) {
    Bits out = op2(op, a, b, outWidth);
    out.resize(a.size());
    return out;
}

Lowering::Bits Lowering::conjunction(const std::vector<Bits>& parts) {
    Bits acc = parts[0];
    for (size_t i = 1; i < parts.size(); ++i) acc = op2("AND", acc, parts[i], 1);
    return acc;
}

// A constant amount of at least the width (k is then the width) gives 0
// without an operation, so the generator never sees a distance beyond the
// word.
bool Lowering::constantAmount(TermId amountTerm, size_t width, uint64_t& k) const {
    if (store_.kind(amountTerm) != Kind::Const) return false;
    const mpz_class& value = store_.value(amountTerm);
    k = value >= width ? width : value.get_ui();
    return true;
}

Lowering::Bits Lowering::shift(bool left, const Bits& a, TermId amountTerm, const Bits& amount) {
    const size_t w = a.size();
    uint64_t k;
    if (!constantAmount(amountTerm, w, k)) return op2(left ? "SHL" : "SHR", a, amount, w);
    if (k == w) return Bits(w, falseBit());
    return op2(left ? "SHLCONST" : "SHRCONST", a, amount, w, mpz_class(static_cast<unsigned long>(k)));
}

// a >>s s = ite(msb(a), ~(~a >> s), a >> s); a constant distance only copies
// bits, the sign bit filling the vacated top.
Lowering::Bits Lowering::arithmeticShiftRight(const Bits& a, TermId amountTerm, const Bits& amount) {
    const size_t w = a.size();
    uint64_t k;
    if (constantAmount(amountTerm, w, k)) {
        Bits r(w);
        for (size_t i = 0; i < w; ++i) r[i] = a[std::min<uint64_t>(i + k, w - 1)];
        return r;
    }
    Bits negative = invert(shift(false, invert(a), amountTerm, amount));
    Bits positive = shift(false, a, amountTerm, amount);
    return ite({a.back()}, negative, positive);
}

}  // namespace torva
