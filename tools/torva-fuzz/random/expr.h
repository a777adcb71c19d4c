// Expression trees of random benchmarks: formulas and bit-vector terms over
// declared variables, with let/flet sharing, and their printing as SMT-LIB
// 1.x QF_BV benchmark text in the subset the basic reader accepts, plus a few
// operators (arithmetic shift, signed modulo, rotations, repetition) that
// only the term-graph readers accept.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace torva_random {

enum class Op {
    // Formulas (width 0).
    True, False, Pred, FormulaRef, Not, And, Or, Xor, Implies, Iff, IteFormula,
    Equal, Distinct, Ult, Ule, Ugt, Uge, Slt, Sle, Sgt, Sge, Let, Flet,
    // Terms (width 1 to 64).
    Var, Const, TermRef, Neg, BvNot, Add, Sub, Mul, Udiv, Urem, Sdiv, Srem, Shl, Lshr,
    BvAnd, BvOr, BvXor, Xnor, Nand, Nor, Extract, Concat, ZeroExtend, SignExtend, IteTerm, Comp,
    // Terms only the term-graph readers accept (the count or distance in hi).
    Ashr, Smod, RotateLeft, RotateRight, Repeat
};

// How a constant is written: bvN[w], N[w], bit0/bit1 (1 bit) or a bare
// numeral (32 bits).
enum class ConstStyle { Bv, Plain, Bit, Bare };

struct Node {
    Op op = Op::True;
    unsigned width = 0;           // 0 for a formula
    std::vector<int> kids;        // operands; Let/Flet: bound value, body; refs: the bound value
    uint64_t value = 0;           // Const: the value, already reduced to the width
    unsigned wrap = 0;            // Const: printed as value + wrap * 2^width
    ConstStyle style = ConstStyle::Bv;
    unsigned hi = 0, lo = 0;      // Extract bounds; extension, rotation or repetition count in hi
    int decl = -1;                // Var, Pred: index of the declaration
    std::string name;             // Let/Flet/ref: the bound name ("?t0", "$f0")
    bool annotated = false;       // printed with an annotation
    bool parenthesised = false;   // formula printed inside an extra pair of parentheses
};

struct Declaration {
    std::string name;
    unsigned width = 1;           // bit-vector width; 1 for a predicate
    bool predicate = false;
};

enum class Expect { Unknown, Sat, Unsat };

struct Assertion {
    int node = -1;
    bool assumption = false;      // printed as :assumption rather than :formula
};

struct Benchmark {
    std::string name = "random";
    std::vector<Declaration> decls;
    std::vector<Node> nodes;
    std::vector<Assertion> assertions;
    Expect expect = Expect::Unknown;
    bool decorated = false;       // comments, notes, source, status and keyword case variants

    int add(const Node& n);
    bool isFormula(int node) const { return nodes[node].width == 0; }
    // Number of bits of the declarations that some assertion reads.
    unsigned usedBits() const;
    std::vector<bool> usedDeclarations() const;
    std::string text() const;
};

const char* opName(Op op);
// True for the operators the SMT-LIB 1 benchmark reader refuses.
bool graphOnly(Op op);
// True when some assertion reads a graph-only operator.
bool needsGraphReader(const Benchmark& b);
std::string decimal(unsigned __int128 v);

}  // namespace torva_random
