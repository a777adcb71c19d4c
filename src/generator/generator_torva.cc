// GeneratorTORVA core: numbering of signal bits, binding of signals to CNF
// variables, fixing of constants and the end-of-parse step.
//
// Invariants: CNF variable numbers are handed out by pre-increment of
// lastCnfVar, so they start at 1, never repeat, and never exceed
// kMaxCnfVariable (a literal 2*v+1 must fit a signed 32-bit int); after
// write() every module-watch list of the solver is sorted by module id and
// holds each module once.
#include "generator/generator_torva.h"

#include <algorithm>
#include <cstdio>
#include <sstream>
#include <utility>

#include "containers/check.h"
#include "generator/module_factory.h"

namespace {
[[noreturn]] void fail(int line, const std::string& message) { torva::fatalReport("GeneratorTORVA", line, message); }

bool lowerId(const Module* a, const Module* b) { return a->id < b->id; }
}  // namespace

GeneratorTORVA::GeneratorTORVA(const std::string&, Solver* solver, std::function<unsigned int()> newCNFVariable)
    : lastCnfVar(0), solver(solver), cnf(new VerificationModelCNF(*solver, std::move(newCNFVariable))) {}

GeneratorTORVA::~GeneratorTORVA() { delete cnf; }

bool GeneratorTORVA::addSignal(Signal* sig) {
    if (sig->id == 0) fail(56, "signal has no id");
    if (sig->bitsize == 0) fail(59, "bitsize is zero: " + std::to_string(sig->id));
    if (sig->bitsize > kMaxCnfVariable - lastCnfVar)
        fail(62, "too many CNF variables: the limit is " + std::to_string(kMaxCnfVariable));
    std::vector<unsigned int> vars(sig->bitsize);
    for (unsigned int& var : vars) var = ++lastCnfVar;
    return addSignalLink(sig, std::move(vars));
}

bool GeneratorTORVA::addSignalLink(Signal* sig, std::vector<unsigned int> vars) {
    if (sig->id == 0) fail(72, "signal has no id");
    sig->cnfVars = std::move(vars);
    if (sig->value.empty()) return true;
    mpz_class value;
    std::istringstream text(sig->value);
    if (!(text >> value)) fail(82, "could not convert to value: " + value.get_str());
    std::vector<bool> bits(sig->cnfVars.size());
    for (size_t i = 0; i < bits.size(); ++i) bits[i] = mpz_tstbit(value.get_mpz_t(), i) != 0;
    setValue(sig->cnfVars, bits);
    return true;
}

void GeneratorTORVA::setValue(std::vector<unsigned int>& vars, std::vector<bool>& bits) {
    std::vector<bool> values(bits);
    getDataSET(*solver, vars, values);
}

void GeneratorTORVA::finishModuleWatches() {
    for (std::vector<Module*>& watchers : solver->moduleWatches) {
        std::sort(watchers.begin(), watchers.end(), lowerId);
        watchers.erase(std::unique(watchers.begin(), watchers.end()), watchers.end());
    }
}

bool GeneratorTORVA::write(const std::string&) {
    finishModuleWatches();
    std::printf("solving\n");
    return true;
}
