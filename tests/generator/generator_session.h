// Test harness of the front end's data side and the generator: a Session is
// the state of one run (solver, generator, the front end's globals) and
// cleans it all up again; it builds constant operands, solves, and reads
// words back from the model and the bits fixed at level 0. summary() shows a
// record in one line. ConfigGuard restores the configuration and the
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

    // The bits fixed at level 0, least significant first: '1', '0', or '?'
    // for an open bit (also for a variable the solver has not created yet).
    std::string fixedBits(const Bits& bits) const {
        std::string text;
        for (unsigned int var : bits) {
            bool created = var < static_cast<unsigned int>(solver.nVars());
            lbool value = created ? Module::assigns[static_cast<int>(var)] : l_Undef;
            text += value == l_True ? '1' : value == l_False ? '0' : '?';
        }
        return text;
    }

private:
    std::vector<std::unique_ptr<Signal>> owned;
};

// A record as "id kind width: bits", e.g. "3 bool 1: 10".
inline std::string summary(const Signal* sig) {
    std::string text = std::to_string(sig->id) + (sig->kind == SIGNAL_BOOL ? " bool " : " bv ");
    text += std::to_string(sig->bitsize) + ":";
    for (unsigned int var : sig->cnfVars) text += " " + std::to_string(var);
    return text;
}

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
