// Test harness of the CNF encoder: one encoding on a fresh solver whose
// fresh variables come from a plain counter, helpers to fix words and read
// them from a model, the encoder's calls as plain functions, and the
// exhaustive check of an encoder instance: for every operand value its
// output is forced to the word-level meaning.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "cnf/verification_model_cnf.h"
#include "config.h"
#include "support/config_guard.h"
#include "terms/evaluator.h"

typedef VerificationModelCNF::Bits Bits;
typedef VerificationModelCNF E;

inline uint64_t lowMask(unsigned n) { return n >= 64 ? ~uint64_t(0) : (uint64_t(1) << n) - 1; }

// A solver with an encoder on top; variables are numbered 1, 2, 3, ...
class EncoderCase {
public:
    Solver solver;
    unsigned lastVar = 0;
    E cnf;

    EncoderCase() : solver(prioParams[0]), cnf(solver, [this] { return ++lastVar; }) {}
    ~EncoderCase() {
        for (Module* m : solver.modules) delete m;
    }

    Bits word(size_t n) {
        Bits bits(n);
        for (unsigned& v : bits) v = ++lastVar;
        return bits;
    }

    // Adds the clause of the literals of `bits` that `value` makes false.
    void addFalsified(const Bits& bits, uint64_t value) {
        vec<Lit> lits;
        for (size_t i = 0; i < bits.size(); i++) {
            while (int(bits[i]) >= solver.nVars()) solver.newVar(true, true);
            lits.push(Lit(int(bits[i]), (value >> i) & 1));
        }
        solver.addClause(lits);
    }
    void fix(const Bits& bits, uint64_t value) {
        for (size_t i = 0; i < bits.size(); i++) addFalsified(Bits{bits[i]}, ~value >> i);
    }

    bool solve() { return solver.solve(vec<Lit>()); }
    bool modelBit(unsigned v) const { return solver.model[static_cast<int>(v)] == l_True; }
    uint64_t modelValue(const Bits& bits) const {
        uint64_t v = 0;
        for (size_t i = 0; i < bits.size(); i++) v |= uint64_t(modelBit(bits[i])) << i;
        return v;
    }

    // Succeeds when the clauses admit a model and every model gives `bits`
    // the value `expected`. Adds a clause; the case is spent afterwards.
    ::testing::AssertionResult forces(const Bits& bits, uint64_t expected) {
        if (!solve()) return ::testing::AssertionFailure() << "no model at all";
        if (modelValue(bits) != expected)
            return ::testing::AssertionFailure() << "model gives " << modelValue(bits) << ", expected " << expected;
        addFalsified(bits, expected);
        if (solve()) return ::testing::AssertionFailure() << "also " << modelValue(bits) << " besides " << expected;
        return ::testing::AssertionSuccess();
    }
};

// The encoder's calls on two words (the second unused by the unary ones).
typedef void (*Encode)(E&, Bits&, Bits&, Bits&);
inline void add(E& e, Bits& a, Bits& b, Bits& o) { e._insertADD(a, b, o); }
inline void sub(E& e, Bits& a, Bits& b, Bits& o) { e.insertSUB(a, b, o); }
inline void neg(E& e, Bits& a, Bits&, Bits& o) { e._insertNEG(a, o); }
inline void unsignedProduct(E& e, Bits& a, Bits& b, Bits& o) { e._insertMUL(a, b, o, false); }
inline void signedProduct(E& e, Bits& a, Bits& b, Bits& o) { e._insertMUL(a, b, o, true); }
inline void eq(E& e, Bits& a, Bits& b, Bits& o) { e.insertEQUAL(a, b, o); }
inline void ult(E& e, Bits& a, Bits& b, Bits& o) { e._insertLESS(a, b, o, false); }
inline void slt(E& e, Bits& a, Bits& b, Bits& o) { e._insertLESS(a, b, o, true); }
inline void ule(E& e, Bits& a, Bits& b, Bits& o) { e.insertLESSEQUAL(a, b, o, false); }
inline void sle(E& e, Bits& a, Bits& b, Bits& o) { e.insertLESSEQUAL(a, b, o, true); }
inline void shl(E& e, Bits& a, Bits& s, Bits& o) { e._insertSHL(a, s, o); }
inline void shr(E& e, Bits& a, Bits& s, Bits& o) { e._insertSHR(a, s, o); }
inline void signExtend(E& e, Bits& a, Bits&, Bits& o) { e.insertSignExtend(a, o); }
template <void (E::*op)(Bits&, Bits&, Bits&)>
void bitwise(E& e, Bits& a, Bits& b, Bits& o) {
    (e.*op)(a, b, o);
}
// and, or, xor, xnor, nand, nor
inline const Encode kBitwiseOps[] = {bitwise<&E::insertAND>,  bitwise<&E::insertOR>,   bitwise<&E::insertXOR>,
                                     bitwise<&E::insertXNOR>, bitwise<&E::insertNAND>, bitwise<&E::insertNOR>};

typedef std::vector<uint64_t> Values;
typedef std::function<uint64_t(const Values&)> Meaning;

// One encoder call on operands of fixed widths, and its meaning.
struct Instance {
    std::string name;
    std::vector<unsigned> widths;
    unsigned outWidth;
    std::function<void(E&, std::vector<Bits>&, Bits&)> encode;
    Meaning meaning;
};

// An instance of a call on two operands of width n.
inline Instance binary(const std::string& name, Encode encode, unsigned n, unsigned outWidth, Meaning meaning) {
    return {name, {n, n}, outWidth,
            [encode](E& e, std::vector<Bits>& o, Bits& out) { encode(e, o[0], o[1], out); }, meaning};
}

// The evaluator's value of `kind` on constant operands of width n.
inline Meaning evaluated(torva::terms::Kind kind, unsigned n, std::vector<uint32_t> indices = {}) {
    return [=](const Values& values) {
        torva::terms::TermStore store;
        std::vector<torva::terms::TermId> args;
        for (uint64_t v : values) args.push_back(store.mkConst(torva::terms::Sort{n}, mpz_class(v)));
        return uint64_t(torva::terms::Evaluator(store).value(store.mk(kind, args, indices)).get_ui());
    };
}

// How the encoder builds adders and multipliers during a check.
enum class Blocks { Clauses, AdderModules, MultiplierModules };

// Runs the instance on a fresh case for every operand value, with both
// counters at 0 (so that only `blocks` decides what becomes a module), and
// checks that the output is forced to the meaning.
inline void checkEveryValue(const Instance& instance, Blocks blocks = Blocks::Clauses) {
    ConfigGuard guard;
    if (blocks == Blocks::AdderModules) toClses.addSubModule = true;
    if (blocks == Blocks::MultiplierModules) toClses.mulHeur = 0;
    unsigned total = 0;
    for (unsigned w : instance.widths) total += w;
    for (uint64_t x = 0; x <= lowMask(total); x++) {
        addCounter = 0;
        mulCounter = 0;
        EncoderCase c;
        std::vector<Bits> operands;
        Values values;
        for (unsigned i = 0, shift = 0; i < instance.widths.size(); shift += instance.widths[i++]) {
            operands.push_back(c.word(instance.widths[i]));
            values.push_back((x >> shift) & lowMask(instance.widths[i]));
        }
        Bits out = c.word(instance.outWidth);
        instance.encode(c.cnf, operands, out);
        for (size_t i = 0; i < operands.size(); i++) c.fix(operands[i], values[i]);
        ::testing::AssertionResult result = c.forces(out, instance.meaning(values));
        if (!result) {
            ADD_FAILURE() << instance.name << " on widths " << ::testing::PrintToString(instance.widths) << " into "
                          << instance.outWidth << ", packed operands " << x << ": " << result.message();
            return;
        }
    }
}
