// Helpers of the module tests: literal shorthands, clause access, scripted
// assignments, and every module kind as a reference function from input bits
// to output bits. An Operation numbers its variables inputs first (from 0),
// outputs after them, so a full assignment is one bit mask.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "config.h"
#include "generator/module_factory.h"
#include "modules/andGate.h"
#include "modules/orGate.h"
#include "modules/xorGate.h"
#include "solver/solver.h"

inline void PrintTo(const Lit& p, std::ostream* os) { *os << (sign(p) ? "~x" : "x") << var(p); }

inline Lit pos(int v) { return Lit(v, false); }
inline Lit neg(int v) { return Lit(v, true); }

inline std::vector<Lit> litsOf(const Clause* c) {
    std::vector<Lit> out;
    for (int i = 0; c != nullptr && i < c->size(); i++) out.push_back((*c)[i]);
    return out;
}
inline std::vector<Lit> reasonOf(int x) { return litsOf(Module::conflictGraph[x].reason); }

// Whether the full assignment (bit v for variable v) satisfies the clause.
inline bool satisfies(uint64_t assignment, const std::vector<Lit>& clause) {
    for (Lit p : clause)
        if (((assignment >> var(p)) & 1) != static_cast<uint64_t>(sign(p))) return true;
    return false;
}

inline BitVector bitRange(unsigned int first, int n) {
    BitVector bits;
    for (int i = 0; i < n; i++) bits.push_back(first + static_cast<unsigned int>(i));
    return bits;
}

// A solver that owns the modules registered with it.
struct ModuleSolver {
    Solver s{prioParams[PRIO_LEVELS]};
    ModuleSolver() = default;
    ModuleSolver(const ModuleSolver&) = delete;
    ModuleSolver& operator=(const ModuleSolver&) = delete;
    ~ModuleSolver() {
        for (Module* m : s.modules) delete m;
    }
    Module* module(int i = 0) { return s.modules[static_cast<size_t>(i)]; }

    // Opens a decision level holding the given literals, then propagates.
    Clause* assign(const std::vector<Lit>& ps) {
        s.newDecisionLevel();
        for (Lit p : ps) {
            while (var(p) >= s.nVars()) s.newVar(true, true);
            s.uncheckedEnqueue(p);
        }
        return s.propagate();
    }
    lbool value(int v) const { return s.value(v); }
};

enum class Kind { And, Or, Xor, And3, Or3, Xor3, Inv, Id, Eq, Ite, Add, Mul, Shl, Shr };

// Number of amount bits that give every distance up to w: ceil(log2(w+1)).
inline int amountBitsFor(int w) {
    int n = 0;
    while ((1 << n) < w + 1) n++;
    return n;
}

struct Operation {
    Kind kind;
    int width;
    int amountWidth;  // shifts only

    int nIn() const {
        switch (kind) {
            case Kind::And: case Kind::Or: case Kind::Xor: return 2;
            case Kind::And3: case Kind::Or3: case Kind::Xor3: return 3;
            case Kind::Inv: case Kind::Id: return 1;
            case Kind::Ite: return 2 * width + 1;
            case Kind::Shl: case Kind::Shr: return width + amountWidth;
            default: return 2 * width;
        }
    }
    int nOut() const {
        switch (kind) {
            case Kind::Ite: case Kind::Shl: case Kind::Shr: return width;
            case Kind::Add: return width + 1;
            case Kind::Mul: return 2 * width;
            default: return 1;
        }
    }
    int nVars() const { return nIn() + nOut(); }

    uint64_t outputOf(uint64_t in) const {
        const uint64_t mask = (uint64_t{1} << width) - 1;
        const uint64_t lo = in & mask;
        const uint64_t hi = (in >> width) & mask;
        switch (kind) {
            case Kind::And: case Kind::And3: return in == (uint64_t{1} << nIn()) - 1;
            case Kind::Or: case Kind::Or3: return in != 0;
            case Kind::Xor: case Kind::Xor3: return __builtin_popcountll(in) % 2;
            case Kind::Inv: return !in;
            case Kind::Id: return in;
            case Kind::Eq: return lo == hi;
            case Kind::Ite: return (in & 1) ? ((in >> 1) & mask) : ((in >> (1 + width)) & mask);
            case Kind::Add: return lo + hi;
            case Kind::Mul: return lo * hi;
            case Kind::Shl: case Kind::Shr: {
                const uint64_t distance = in >> width;
                if (distance >= static_cast<uint64_t>(width)) return 0;
                return kind == Kind::Shl ? (lo << distance) & mask : lo >> distance;
            }
        }
        return 0;
    }
    bool holds(uint64_t assignment) const {
        return outputOf(assignment & ((uint64_t{1} << nIn()) - 1)) == assignment >> nIn();
    }
    // Every full assignment that satisfies the operation.
    std::vector<uint64_t> models() const {
        std::vector<uint64_t> all;
        for (uint64_t in = 0; in < (uint64_t{1} << nIn()); in++) all.push_back(in | outputOf(in) << nIn());
        return all;
    }
    std::string name() const {
        const char* const names[] = {"and", "or", "xor", "and3", "or3", "xor3", "inv",
                                     "id",  "eq", "ite", "add",  "mul", "shl",  "shr"};
        return names[static_cast<int>(kind)] + ("/w" + std::to_string(width)) + "/a" + std::to_string(amountWidth);
    }

    // Builds the module over variables 0 .. nVars()-1 and registers it; the
    // three-input gates, which the factory never builds, are registered the
    // same way by hand.
    void registerWith(Solver& s) const {
        BitVector o = bitRange(static_cast<unsigned int>(nIn()), nOut());
        BitVector a = bitRange(0, width), b = bitRange(static_cast<unsigned int>(width), width);
        BitVector x{0}, y{1};
        switch (kind) {
            case Kind::And: getDataAND(s, o, x, y); break;
            case Kind::Or: getDataOR(s, o, x, y); break;
            case Kind::Xor: getDataXOR(s, o, x, y); break;
            case Kind::Inv: getDataINV(s, o, x); break;
            case Kind::Id: getDataID(s, o, x); break;
            case Kind::Eq: getDataEQ(s, o, a, b); break;
            case Kind::Add: getDataADD(s, o, a, b); break;
            case Kind::Mul: getDataMUL(s, o, a, b); break;
            case Kind::Ite: {
                BitVector cond{0}, thenBits = bitRange(1, width), elseBits = bitRange(1 + width, width);
                getDataITE(s, o, cond, thenBits, elseBits);
                break;
            }
            case Kind::Shl: case Kind::Shr: {
                BitVector amount = bitRange(static_cast<unsigned int>(width), amountWidth);
                getDataShift(s, a, amount, o, kind == Kind::Shl);
                break;
            }
            default: {  // a three-input gate: out x3, inputs x0 .. x2
                while (s.nVars() < 4) s.newVar(true, true);
                const unsigned int id = static_cast<unsigned int>(s.nModules++);
                const std::vector<unsigned int> layout{3, 0, 1, 2};
                Module* m = kind == Kind::And3  ? static_cast<Module*>(new AndGate(id, 3, layout))
                            : kind == Kind::Or3 ? static_cast<Module*>(new OrGate(id, 3, layout))
                                                : static_cast<Module*>(new XorGate(id, 3, layout));
                for (unsigned int v : layout) s.moduleWatches[v].push_back(m);
                s.modules.push_back(m);
                Module::backtrackFlags.push(-1);
                s.prioModules[3].push_back(static_cast<int>(id));
            }
        }
    }
};

// Every operation kind at the small widths the randomized tests cover; the
// shifters with amount widths below, at and above the bits that matter.
inline std::vector<Operation> smallOperations(int maxWidth) {
    std::vector<Operation> ops;
    for (Kind k : {Kind::And, Kind::Or, Kind::Xor, Kind::And3, Kind::Or3, Kind::Xor3, Kind::Inv, Kind::Id})
        ops.push_back({k, 1, 0});
    for (int w = 1; w <= maxWidth; w++) {
        for (Kind k : {Kind::Eq, Kind::Ite, Kind::Add, Kind::Mul}) ops.push_back({k, w, 0});
        for (int a = 1; a <= amountBitsFor(w) + 2; a++) {
            ops.push_back({Kind::Shl, w, a});
            ops.push_back({Kind::Shr, w, a});
        }
    }
    return ops;
}
