// GeneratorTORVA: numbers the bits of signals with CNF variables from one
// counter, fixes constants, owns the CNF encoder and routes each operation to
// a module (factory) or to clauses (encoder) according to the configuration.
#pragma once

#include <gmpxx.h>

#include <functional>
#include <string>
#include <vector>

#include "cnf/verification_model_cnf.h"
#include "frontend/signal.h"
#include "solver/solver.h"

// The highest CNF variable number the generator hands out (a literal 2v+1
// must fit a signed 32-bit int).
const unsigned int kMaxCnfVariable = (1u << 30) - 1;

class GeneratorTORVA {
public:
    // `newCNFVariable` is the front end's source of auxiliary variables; it
    // draws from this generator's counter (through a one-bit signal).
    GeneratorTORVA(const std::string& name, Solver* solver, std::function<unsigned int()> newCNFVariable);
    ~GeneratorTORVA();
    GeneratorTORVA(const GeneratorTORVA&) = delete;
    GeneratorTORVA& operator=(const GeneratorTORVA&) = delete;

    bool addSignal(Signal* sig);
    bool addSignalLink(Signal* sig, std::vector<unsigned int> vars);
    void setValue(std::vector<unsigned int>& vars, std::vector<bool>& bits);

    bool addOp1(const std::string& op, std::vector<unsigned int>& out, std::vector<unsigned int>& in, const std::string& name);
    bool addOp2(const std::string& op, std::vector<unsigned int>& out, std::vector<unsigned int>& a,
                std::vector<unsigned int>& b, mpz_class k);
    bool addOp3(const std::string& op, std::vector<unsigned int>& out, std::vector<unsigned int>& cond,
                std::vector<unsigned int>& thenBits, std::vector<unsigned int>& elseBits);

    // Sorts every module-watch list of the solver by module id and removes
    // duplicates, so that every module appears at most once per variable.
    void finishModuleWatches();
    // The end-of-parse step: finishModuleWatches, then "solving".
    bool write(const std::string& name);
    bool setTopModule(const std::string&) { return true; }
    bool addModule(const std::string&) { return true; }
    bool leaveModule() { return true; }

    unsigned int lastCnfVar;
    Solver* solver;
    VerificationModelCNF* cnf;
};
