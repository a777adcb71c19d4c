// Test harness of the CNF encoder: one encoding on a fresh solver whose
// fresh variables come from a plain counter, helpers to fix words, read them
// from a model and check that a word is forced to one value, and a guard that
// restores the configuration and the process-wide counters.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "cnf/verification_model_cnf.h"
#include "config.h"
#include "support/config_guard.h"

typedef VerificationModelCNF::Bits Bits;

inline uint64_t lowMask(unsigned n) { return n >= 64 ? ~uint64_t(0) : (uint64_t(1) << n) - 1; }

// The two's-complement reading of the n-bit pattern v.
inline int64_t asSigned(uint64_t v, unsigned n) {
    return (v >> (n - 1)) & 1 ? static_cast<int64_t>(v) - static_cast<int64_t>(uint64_t(1) << n)
                              : static_cast<int64_t>(v);
}

inline uint64_t asPattern(int64_t v, unsigned n) { return static_cast<uint64_t>(v) & lowMask(n); }

// A solver with an encoder on top; variables are numbered 1, 2, 3, ...
class EncoderCase {
public:
    Solver solver;
    unsigned lastVar = 0;
    VerificationModelCNF cnf;

    EncoderCase() : solver(prioParams[0]), cnf(solver, [this] { return ++lastVar; }) {}
    ~EncoderCase() {
        for (Module* m : solver.modules) delete m;
    }

    Bits word(size_t n) {
        Bits bits(n);
        for (unsigned& v : bits) v = ++lastVar;
        return bits;
    }

    void addClause(const std::vector<int>& codes) {
        vec<Lit> lits;
        for (int c : codes) {
            Var v = std::abs(c);
            while (v >= solver.nVars()) solver.newVar(true, true);
            lits.push(Lit(v, c < 0));
        }
        solver.addClause(lits);
    }

    void fix(const Bits& bits, uint64_t value) {
        for (size_t i = 0; i < bits.size(); i++) addClause({(value >> i) & 1 ? int(bits[i]) : -int(bits[i])});
    }

    // Excludes the assignment of `bits` to `value`.
    void forbid(const Bits& bits, uint64_t value) {
        std::vector<int> codes;
        for (size_t i = 0; i < bits.size(); i++) codes.push_back((value >> i) & 1 ? -int(bits[i]) : int(bits[i]));
        addClause(codes);
    }

    bool solve() {
        vec<Lit> noAssumptions;
        return solver.solve(noAssumptions);
    }

    bool modelBit(unsigned v) const { return solver.model[static_cast<int>(v)] == l_True; }

    uint64_t modelValue(const Bits& bits) const {
        uint64_t v = 0;
        for (size_t i = 0; i < bits.size(); i++)
            if (modelBit(bits[i])) v |= uint64_t(1) << i;
        return v;
    }

    // Succeeds when the clauses admit a model, every model gives `bits` the
    // value `expected`. Adds a clause; the case is spent afterwards.
    ::testing::AssertionResult forces(const Bits& bits, uint64_t expected) {
        if (!solve()) return ::testing::AssertionFailure() << "no model at all";
        uint64_t got = modelValue(bits);
        if (got != expected) return ::testing::AssertionFailure() << "model gives " << got << ", expected " << expected;
        forbid(bits, expected);
        if (solve())
            return ::testing::AssertionFailure() << "value " << modelValue(bits) << " also possible besides "
                                                 << expected;
        return ::testing::AssertionSuccess();
    }
};

// Runs `encode(cnf, a, b, out)` on a fresh case for every pair of n-bit
// inputs, with both counters at 0 so that every adder and multiplier is
// made of clauses, and checks that out is forced to expected(a, b).
template <class Encode, class Expected>
void checkEveryPair(unsigned n, size_t outWidth, Encode encode, Expected expected) {
    ConfigGuard guard;
    for (uint64_t x = 0; x <= lowMask(n); x++) {
        for (uint64_t y = 0; y <= lowMask(n); y++) {
            addCounter = 0;
            mulCounter = 0;
            EncoderCase c;
            Bits a = c.word(n), b = c.word(n), out = c.word(outWidth);
            encode(c.cnf, a, b, out);
            c.fix(a, x);
            c.fix(b, y);
            ::testing::AssertionResult result = c.forces(out, expected(x, y));
            if (!result) {
                ADD_FAILURE() << "width " << n << ", a = " << x << ", b = " << y << ": " << result.message();
                return;
            }
        }
    }
}

// Addition of every pair of n-bit inputs, modulo 2^n and with a carry out.
inline void checkAdditions(unsigned n) {
    auto add = [](VerificationModelCNF& e, Bits& a, Bits& b, Bits& out) { e._insertADD(a, b, out); };
    checkEveryPair(n, n, add, [n](uint64_t x, uint64_t y) { return (x + y) & lowMask(n); });
    checkEveryPair(n, n + 1, add, [](uint64_t x, uint64_t y) { return x + y; });
}

// The same for one n-bit input.
template <class Encode, class Expected>
void checkEveryValue(unsigned n, size_t outWidth, Encode encode, Expected expected) {
    ConfigGuard guard;
    for (uint64_t x = 0; x <= lowMask(n); x++) {
        addCounter = 0;
        mulCounter = 0;
        EncoderCase c;
        Bits a = c.word(n), out = c.word(outWidth);
        encode(c.cnf, a, out);
        c.fix(a, x);
        ::testing::AssertionResult result = c.forces(out, expected(x));
        if (!result) {
            ADD_FAILURE() << "width " << n << ", a = " << x << ": " << result.message();
            return;
        }
    }
}

// The regular expression of an encoder report with the given message.
inline std::string encoderReport(const std::string& message) {
    return "File: VerificationModelCNF\nLine: [0-9]+\n\n" + message + "\n";
}
