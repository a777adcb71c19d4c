// Signals and the variable table: creation of the Signal records of parsed
// terms and formulas, the name -> record table of declared and bound names,
// and the front end's source of fresh CNF variables.
//
// Invariants: ids are handed out 1, 2, 3, ... in creation order from
// idcounter; a record is in `variables` exactly while its isVariable flag is
// set, and the table owns it; every CNF variable comes from the one counter
// of the current generator (`output`), through addSignal.
#include <cstdlib>
#include <utility>

#include "containers/check.h"
#include "frontend/smt2xml.h"
#include "generator/generator_torva.h"

unsigned int idcounter = 0;
std::map<std::string, Signal*> variables;
GeneratorTORVA* output = nullptr;

namespace {
Solver* _solver = nullptr;

// Each check reports its own fixed line number.
const int kLineBitsize = 31;
const int kLineLinkEmpty = 44;
const int kLineConstBitsize = 57;
const int kLineConstSigned = 59;
const int kLineDuplicate = 91;
const int kLineGetMissing = 101;
const int kLineRemoveMissing = 115;
const int kLineCnfVariable = 133;

[[noreturn]] void fail(int line, const std::string& message) { torva::fatalReport("smt2xml", line, message); }

// The table owns its records. A run that ends while it is being parsed (an
// answer or a parse error found early) releases them at exit, before the
// table itself is destroyed.
[[maybe_unused]] const int clearTableAtExit = std::atexit(clearVariables);

Signal* createSignal(int kind, int bitsize) {
    Signal* sig = new Signal;
    sig->kind = kind;
    sig->id = ++idcounter;
    sig->bitsize = static_cast<unsigned int>(bitsize);
    return sig;
}
}  // namespace

Signal* newSignal(int bitsize, bool reg) {
    if (bitsize <= 0) fail(kLineBitsize, "negative bitsize not supported: " + std::to_string(bitsize));
    Signal* sig = createSignal(SIGNAL_BITVECTOR, bitsize);
    if (reg) output->addSignal(sig);
    return sig;
}

Signal* newSignal(std::vector<unsigned int> vars) {
    if (vars.empty()) fail(kLineLinkEmpty, "negative bitsize not supported: 0");
    Signal* sig = createSignal(SIGNAL_BITVECTOR, static_cast<int>(vars.size()));
    output->addSignalLink(sig, std::move(vars));
    return sig;
}

Signal* newConst(int bitsize, mpz_class v) {
    if (bitsize < 1) fail(kLineConstBitsize, "negative bitsize not supported");
    if (v < 0) fail(kLineConstSigned, "signed values not supported");
    Signal* sig = createSignal(SIGNAL_BITVECTOR, bitsize);
    sig->value = v.get_str(10);
    output->addSignal(sig);
    return sig;
}

Signal* newSignalBool(bool reg) {
    Signal* sig = createSignal(SIGNAL_BOOL, 1);
    if (reg) output->addSignal(sig);
    return sig;
}

Signal* newConstBool(bool b) {
    Signal* sig = createSignal(SIGNAL_BOOL, 1);
    sig->value = b ? "1" : "0";
    output->addSignal(sig);
    return sig;
}

void addVariable(std::string name, Signal* sig) {
    if (variables.count(name) != 0) fail(kLineDuplicate, "variable already defined: " + name);
    sig->isVariable = true;
    variables.emplace(std::move(name), sig);
}

Signal* getvar(std::string name) {
    auto it = variables.find(name);
    if (it == variables.end()) fail(kLineGetMissing, "variable not found: " + name);
    Signal* stored = it->second;
    if (stored->cnfVars.empty()) output->addSignal(stored);
    Signal* copy = new Signal(*stored);
    copy->isVariable = false;
    return copy;
}

void removeVariable(std::string name) {
    if (variables.erase(name) == 0) fail(kLineRemoveMissing, "variable not found: " + name);
}

void clearVariables() {
    for (auto& entry : variables) delete entry.second;
    variables.clear();
}

unsigned int newCNFVariable() {
    Signal* bit = newSignal(1, true);
    if (bit->cnfVars.size() != 1) fail(kLineCnfVariable, "could not create cnf variable");
    unsigned int var = bit->cnfVars[0];
    delete bit;
    return var;
}

Solver* solver() { return _solver; }

void setSolver(Solver* s) { _solver = s; }

GeneratorTORVA* out() { return output; }
