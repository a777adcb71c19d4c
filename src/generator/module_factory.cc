// The module factory: checks the widths of an operation's bit vectors, builds
// the module and registers it. Registration order is fixed: the id is the
// solver's module count, every connected bit gets its solver variable and the
// module on its watch list (inputs first, outputs last), then the module
// table, the substituted-clause count, the backtrack flag and the priority
// list (the kind's priority, capped at the highest list). A failed check is a
// caller error: it is reported under "parseInput_modulesOnly" and aborts.
#include "generator/module_factory.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <string>

#include "config.h"
#include "containers/check.h"
#include "modules/adder.h"
#include "modules/andGate.h"
#include "modules/eqGate.h"
#include "modules/identity.h"
#include "modules/inverter_singlebit.h"
#include "modules/iteGate.h"
#include "modules/multiplier.h"
#include "modules/orGate.h"
#include "modules/shift.h"
#include "modules/xorGate.h"

thread_local bool exitOnUnsatWhileBuilding = true;

namespace {

[[noreturn]] void report(int line, const std::string& message) {
    torva::fatalReport("parseInput_modulesOnly", line, message);
}

std::string widths(size_t first, size_t second) { return std::to_string(first) + " " + std::to_string(second); }

void ensureVar(Solver& s, unsigned int v) {
    while (v >= static_cast<unsigned int>(s.nVars())) s.newVar(true, true);
}

void registerModule(Solver& s, Module* m, std::initializer_list<const BitVector*> layout, int prioIndex,
                    int substClauses) {
    for (const BitVector* bits : layout) {
        for (unsigned int v : *bits) {
            ensureVar(s, v);
            s.moduleWatches[v].push_back(m);
        }
    }
    s.modules.push_back(m);
    s.nSubstClauses += substClauses;
    Module::backtrackFlags.push(-1);
    s.prioModules[std::min(prioParams[prioIndex], prioParams[PRIO_LEVELS] - 1)].push_back(static_cast<int>(m->id));
}

unsigned int nextModuleId(Solver& s) { return static_cast<unsigned int>(s.nModules++); }

BitVector concat(const BitVector& first, const BitVector& second, const BitVector& third) {
    BitVector all(first);
    all.insert(all.end(), second.begin(), second.end());
    all.insert(all.end(), third.begin(), third.end());
    return all;
}

void checkOneBitGate(BitVector& out, BitVector& a, BitVector& b, int firstLine, const char* tooWide) {
    if (a.size() != b.size()) report(firstLine, "inputs have different bitsizes: " + widths(a.size(), b.size()));
    if (out.size() != a.size())
        report(firstLine + 1, "output and inputs have different bitsize: " + widths(out.size(), a.size()));
    if (a.size() != 1) report(firstLine + 3, tooWide + std::to_string(a.size()));
}

void checkOneBitCopy(BitVector& out, BitVector& in, int firstLine, const char* tooWide) {
    if (in.size() != 1) report(firstLine, tooWide + std::to_string(in.size()));
    if (in.size() != out.size())
        report(firstLine + 1, "in and out has different bitsize: " + std::to_string(in.size()) + " vs. " +
                                  std::to_string(out.size()));
}

// Number of amount bits that can give a distance below w + 1: ceil(log2(w+1)).
int readAmountBits(size_t dataWidth, size_t amountWidth) {
    const int bits = static_cast<int>(std::ceil(std::log(dataWidth + 1.0) / std::log(2.0)));
    return std::min(bits, static_cast<int>(amountWidth));
}

}  // namespace

void getDataAND(Solver& s, BitVector& out, BitVector& a, BitVector& b) {
    checkOneBitGate(out, a, b, 144, "bvand not supported. max bitsize is one: ");
    const unsigned int id = nextModuleId(s);
    Module* m = new AndGate(id, prioParams[PRIO_AND], concat(out, a, b));
    registerModule(s, m, {&a, &b, &out}, PRIO_AND, 3);
}

void getDataOR(Solver& s, BitVector& out, BitVector& a, BitVector& b) {
    checkOneBitGate(out, a, b, 191, "bvor not supported. max bitsize is one: ");
    const unsigned int id = nextModuleId(s);
    Module* m = new OrGate(id, prioParams[PRIO_OR], concat(out, a, b));
    registerModule(s, m, {&a, &b, &out}, PRIO_OR, 3);
}

void getDataXOR(Solver& s, BitVector& out, BitVector& a, BitVector& b) {
    checkOneBitGate(out, a, b, 237, "bvor not supported. max bitsize is one: ");
    const unsigned int id = nextModuleId(s);
    Module* m = new XorGate(id, prioParams[PRIO_XOR], concat(out, a, b));
    registerModule(s, m, {&a, &b, &out}, PRIO_XOR, 4);
}

void getDataINV(Solver& s, BitVector& out, BitVector& in) {
    checkOneBitCopy(out, in, 105, "inverter supported for one bit only: is ");
    const unsigned int id = nextModuleId(s);
    Module* m = new Inverter_SingleBit(id, prioParams[PRIO_INVERTER], out[0], in[0]);
    registerModule(s, m, {&in, &out}, PRIO_INVERTER, 2);
}

void getDataID(Solver& s, BitVector& out, BitVector& in) {
    checkOneBitCopy(out, in, 67, "id supported for one bit only: is ");
    const unsigned int id = nextModuleId(s);
    Module* m = new Identity(id, prioParams[PRIO_IDENTITY], out[0], in[0]);
    registerModule(s, m, {&in, &out}, PRIO_IDENTITY, 2);
}

void getDataEQ(Solver& s, BitVector& out, BitVector& a, BitVector& b) {
    if (a.size() != b.size()) report(286, "inputs have different bitsizes: " + widths(a.size(), b.size()));
    if (out.size() != 1) report(287, "output has not a bitsize of one: " + std::to_string(out.size()));
    const unsigned int id = nextModuleId(s);
    Module* m = new EqGate(id, prioParams[PRIO_EQ], a, b, out[0]);
    registerModule(s, m, {&a, &b, &out}, PRIO_EQ, 4 * static_cast<int>(a.size()) + 1);
}

void getDataITE(Solver& s, BitVector& out, BitVector& cond, BitVector& thenBits, BitVector& elseBits) {
    if (cond.size() != 1) report(336, "condition signal is not bool: " + std::to_string(cond.size()));
    if (thenBits.size() != elseBits.size())
        report(337, "if end else inputs have different bitsize: " + widths(thenBits.size(), elseBits.size()));
    if (out.size() != thenBits.size())
        report(338, "output has different bitsize to inputs: " + widths(out.size(), thenBits.size()));
    const unsigned int id = nextModuleId(s);
    Module* m = new IteGate(id, prioParams[PRIO_ITE], cond[0], thenBits, elseBits, out);
    registerModule(s, m, {&cond, &thenBits, &elseBits, &out}, PRIO_ITE, 4 * static_cast<int>(out.size()));
}

void getDataADD(Solver& s, BitVector& out, BitVector& a, BitVector& b) {
    if (a.size() != b.size()) report(393, "bitsize of inputs is different: " + widths(a.size(), b.size()));
    if (out.size() != a.size() + 1)
        report(394, "output bitsize is not equal inputbs+1: " + widths(out.size(), a.size()));
    const unsigned int id = nextModuleId(s);
    Module* m = new Adder(id, prioParams[PRIO_ADDER], a, b, out);
    const int w = static_cast<int>(a.size());
    registerModule(s, m, {&a, &b, &out}, PRIO_ADDER, 17 * w - 10);
}

void getDataMUL(Solver& s, BitVector& out, BitVector& a, BitVector& b) {
    if (a.size() != b.size()) report(443, "bitsize of inputs is different: " + widths(a.size(), b.size()));
    if (out.size() != 2 * a.size())
        report(444, "output bitsize is not equal inputbs*2: " + widths(out.size(), a.size()));
    const unsigned int id = nextModuleId(s);
    Module* m = new Multiplier(id, prioParams[PRIO_MULTIPLIER], a, b, out);
    const int w = static_cast<int>(a.size());
    registerModule(s, m, {&a, &b, &out}, PRIO_MULTIPLIER, 4 * w * w + (17 * w - 10) * (w - 1));
}

void getDataShift(Solver& s, BitVector& data, BitVector& amount, BitVector& out, bool left) {
    if (data.empty() && amount.empty()) report(547, "Bitgroesse eines Eingangs ist 0");
    if (out.size() != data.size()) report(548, "Ausgang hat die falsche Bitgroesse");
    const unsigned int id = nextModuleId(s);
    Module* m = new Shift(id, prioParams[PRIO_SHIFT], data, amount, out, readAmountBits(data.size(), amount.size()),
                          left);
    const int w = static_cast<int>(data.size());
    registerModule(s, m, {&data, &amount, &out}, PRIO_SHIFT, 5 * w + 3 * w * static_cast<int>(amount.size()) + 5);
}

void getDataSET(Solver& s, BitVector& vars, std::vector<bool>& values) {
    if (vars.size() != values.size())
        report(17, "number of operands and values is different: " + widths(vars.size(), values.size()));
    vec<Lit> unit;
    for (size_t i = 0; i < vars.size(); i++) {
        ensureVar(s, vars[i]);
        unit.clear();
        unit.push(Lit(static_cast<Var>(vars[i]), !values[i]));
        if (!s.addClause(unit) && exitOnUnsatWhileBuilding) {
            std::printf("Result: UNSAT\n");
            std::exit(20);
        }
    }
}
