// Test harness of the front end's data side and the generator: a Session is
// the state of one run (solver, generator, the front end's globals) and
// cleans it all up again; it builds constant operands, solves, and reads
// words back from the model. ConfigGuard restores the configuration and the
// encoder's process-wide counters. exactly() turns a text into a death-test
// pattern that matches it literally.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "cnf/verification_model_cnf.h"
#include "config.h"
#include "frontend/smt2xml.h"
#include "generator/generator_torva.h"
#include "support/config_guard.h"

typedef std::vector<unsigned int> Bits;

class Session {
public:
    Solver solver;
    GeneratorTORVA generator;

    Session() : solver(prioParams[0]), generator("dummy", &solver, newCNFVariable) {
        solver.verbosity = 0;
        setSolver(&solver);
        output = &generator;
        idcounter = 0;
        fillOperatorTables();
    }
    ~Session() {
        for (Module* m : solver.modules) delete m;
        clearVariables();
        output = nullptr;
        setSolver(nullptr);
    }
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // Takes a record into the session's care; it is released with the session.
    Signal* own(Signal* sig) {
        owned.emplace_back(sig);
        return sig;
    }

    Signal* word(unsigned int width, uint64_t value) {
        return own(newConst(static_cast<int>(width), mpz_class(static_cast<unsigned long>(value))));
    }
    Signal* boolean(bool value) { return own(newConstBool(value)); }
    Signal* freshWord(unsigned int width) { return own(newSignal(static_cast<int>(width), true)); }

    Signal* apply(const std::string& name, std::vector<Signal*> operands) { return own(generateOp(name, &operands)); }

    bool solve() {
        while (generator.lastCnfVar >= static_cast<unsigned int>(solver.nVars())) solver.newVar(true, true);
        vec<Lit> noAssumptions;
        return solver.solve(noAssumptions);
    }

    uint64_t modelValue(const Bits& bits) const {
        uint64_t value = 0;
        for (size_t i = 0; i < bits.size(); ++i)
            if (solver.model[static_cast<int>(bits[i])] == l_True) value |= uint64_t(1) << i;
        return value;
    }

    // The value of a bit fixed at level 0, or l_Undef (also for a variable
    // the solver has not created yet).
    lbool fixedValue(unsigned int var) const {
        return var < static_cast<unsigned int>(solver.nVars()) ? Module::assigns[static_cast<int>(var)] : l_Undef;
    }

private:
    std::vector<std::unique_ptr<Signal>> owned;
};

// A death-test pattern that matches `text` literally.
inline std::string exactly(const std::string& text) {
    std::string pattern;
    for (char c : text) {
        if (std::string("\\^$.|?*+()[]{}").find(c) != std::string::npos) pattern += '\\';
        pattern += c;
    }
    return pattern;
}

// The fatal report block of `source` at `line` with `message`.
inline std::string report(const std::string& source, int line, const std::string& message) {
    return exactly("File: " + source + "\nLine: " + std::to_string(line) + "\n\n" + message + "\n");
}

inline uint64_t lowMask(unsigned int n) { return n >= 64 ? ~uint64_t(0) : (uint64_t(1) << n) - 1; }

// The two's-complement reading of the n-bit pattern v.
inline int64_t asSigned(uint64_t v, unsigned int n) {
    return (v >> (n - 1)) & 1 ? static_cast<int64_t>(v) - static_cast<int64_t>(uint64_t(1) << n)
                              : static_cast<int64_t>(v);
}

inline uint64_t asPattern(int64_t v, unsigned int n) { return static_cast<uint64_t>(v) & lowMask(n); }
