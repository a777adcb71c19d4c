// VerificationModelCNF: bit-blasts word-level operations into clauses that go
// straight into the solver. Bit vectors hold CNF variable numbers (= solver
// variable indices), least significant bit first; literal codes are +v / -v.
// Fresh auxiliary variables come from the one numbering source handed in at
// construction. Adders and multipliers may be handed to the module factory.
#pragma once

#include <cstddef>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "solver/solver.h"

class VerificationModelCNF {
public:
    typedef std::vector<unsigned int> Bits;

    VerificationModelCNF(Solver& solver, std::function<unsigned int()> newCNFVariable);

    std::vector<int> CurrentClause;

    void cc();

    // One-bit gates.
    void _insertAnd2(unsigned int a, unsigned int b, unsigned int o);
    void _insertOr2(unsigned int a, unsigned int b, unsigned int o);
    void _insertNand2(unsigned int a, unsigned int b, unsigned int o);
    void _insertNor2(unsigned int a, unsigned int b, unsigned int o);
    void _insertXor2(unsigned int a, unsigned int b, unsigned int o);
    void _insertNxor2(unsigned int a, unsigned int b, unsigned int o);
    void _insertMux(unsigned int s, unsigned int t, unsigned int e, unsigned int o);
    void _insertNot(unsigned int a, unsigned int o);
    void _insertIdentity(unsigned int a, unsigned int o);
    void _insertAndN(Bits& ins, unsigned int o);
    void _insertOrN(Bits& ins, unsigned int o);
    void _insertNotN(Bits& ins, Bits& outs);

    // Bitwise, comparison and selection.
    void insertAND(Bits& a, Bits& b, Bits& out);
    void insertOR(Bits& a, Bits& b, Bits& out);
    void insertXOR(Bits& a, Bits& b, Bits& out);
    void insertXNOR(Bits& a, Bits& b, Bits& out);
    void insertNAND(Bits& a, Bits& b, Bits& out);
    void insertNOR(Bits& a, Bits& b, Bits& out);
    void insertNOT(Bits& in, Bits& out);
    void insertIdentity(Bits& in, Bits& out);
    void insertEQUAL(Bits& a, Bits& b, Bits& out);
    void _insertLESS(Bits& a, Bits& b, Bits& out, bool isSigned);
    void insertLESSEQUAL(Bits& a, Bits& b, Bits& out, bool isSigned);
    void _insertITE(unsigned int& c, Bits& thenBits, Bits& elseBits, Bits& out);

    // Arithmetic.
    void _insertADD(Bits& a, Bits& b, Bits& out);
    void insertSUB(Bits& a, Bits& b, Bits& out);
    void _insertNEG(Bits& in, Bits& out);
    void _insertMUL(Bits& a, Bits& b, Bits& out, bool isSigned);
    void insertDIV(Bits& a, Bits& b, Bits& q, bool isSigned);
    void insertREM(Bits& a, Bits& b, Bits& r, bool isSigned);
    void insertMOD(Bits& a, Bits& b, Bits& r, bool isSigned);
    void _insertDIVMOD(Bits& a, Bits& b, Bits& q, Bits& r, bool isSigned, bool isMod);

    // Extension and shifts.
    void insertSignExtend(Bits& in, Bits& out);
    void insertZeroExtend(Bits& in, Bits& out);
    void insertSHLConst(Bits& in, unsigned int k, Bits& out);
    void insertSHRConst(Bits& in, unsigned int k, Bits& out);
    void _insertSHL(Bits& a, Bits& s, Bits& out);
    void _insertSHR(Bits& a, Bits& s, Bits& out);

private:
    Solver& solver;
    std::function<unsigned int()> newCNFVariable;
    vec<Lit> clauseLits;

    typedef void (VerificationModelCNF::*Gate2)(unsigned int, unsigned int, unsigned int);

    [[noreturn]] static void fail(int line, const std::string& message);
    [[noreturn]] static void reportUnsatisfiable();

    // Clause and variable helpers.
    void emit(std::initializer_list<int> lits);
    unsigned int fresh() { return newCNFVariable(); }
    Bits freshBits(std::size_t n);
    unsigned int constantBit(bool value);
    Bits constantOne(std::size_t n);

    // Shared pieces of the word-level encodings.
    void checkBitwise(Bits& a, Bits& b, Bits& out);
    void checkComparison(Bits& a, Bits& b, Bits& out);
    void applyPerBit(Bits& a, Bits& b, Bits& out, Gate2 gate);
    void rippleLessStep(unsigned int ai, unsigned int bi, unsigned int& below);
    void finishComparison(Bits& a, Bits& b, unsigned int below, unsigned int out, bool isSigned);
    void rippleAdder(Bits& a, Bits& b, Bits& out);
    void shiftAndAdd(Bits& a, Bits& b, Bits& product);
    void correctSignedProduct(Bits& a, Bits& b, Bits& product);
    void unsignedDivider(Bits& a, Bits& b, Bits& q, Bits& r);
    void signedDivider(Bits& a, Bits& b, Bits& q, Bits& r, bool isMod);
    Bits magnitude(Bits& x);
    void negateIf(unsigned int c, Bits& in, Bits& out);
    void barrelShifter(Bits& a, Bits& s, Bits& out, bool left);
};

// Per-thread call counters of the adder and multiplier encodings; they
// steer the hand-over to modules for the whole run.
extern thread_local unsigned int addCounter;
extern thread_local unsigned int mulCounter;
