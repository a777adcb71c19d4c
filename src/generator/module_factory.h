// The module factory: one function per module kind that checks the bit
// vectors of an operation (variable indices, least significant bit first),
// builds the module and registers it with the solver (id, watch lists,
// module table, substituted-clause count, backtrack flag, priority list).
// getDataSET fixes bits by unit clauses instead of building a module.
#pragma once

#include <vector>

#include "solver/solver.h"

typedef std::vector<unsigned int> BitVector;

void getDataAND(Solver& s, BitVector& out, BitVector& a, BitVector& b);
void getDataOR(Solver& s, BitVector& out, BitVector& a, BitVector& b);
void getDataXOR(Solver& s, BitVector& out, BitVector& a, BitVector& b);
void getDataINV(Solver& s, BitVector& out, BitVector& in);
void getDataID(Solver& s, BitVector& out, BitVector& in);
void getDataEQ(Solver& s, BitVector& out, BitVector& a, BitVector& b);
void getDataITE(Solver& s, BitVector& out, BitVector& cond, BitVector& thenBits, BitVector& elseBits);
void getDataADD(Solver& s, BitVector& out, BitVector& a, BitVector& b);
void getDataMUL(Solver& s, BitVector& out, BitVector& a, BitVector& b);
void getDataShift(Solver& s, BitVector& data, BitVector& amount, BitVector& out, bool left);
void getDataSET(Solver& s, BitVector& vars, std::vector<bool>& values);

// What happens when a clause added while the problem is built makes the
// clause set unsatisfiable. The benchmark front end ends the run at once
// with its result line and status 20 (the default); the term-graph paths
// clear this and read Solver::okay() once the problem is built.
extern thread_local bool exitOnUnsatWhileBuilding;

// Clears exitOnUnsatWhileBuilding for its lifetime, on every path out.
class KeepRunningOnUnsat {
public:
    KeepRunningOnUnsat() : saved_(exitOnUnsatWhileBuilding) { exitOnUnsatWhileBuilding = false; }
    ~KeepRunningOnUnsat() { exitOnUnsatWhileBuilding = saved_; }
    KeepRunningOnUnsat(const KeepRunningOnUnsat&) = delete;
    KeepRunningOnUnsat& operator=(const KeepRunningOnUnsat&) = delete;

private:
    bool saved_;
};
