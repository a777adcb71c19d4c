// Random instances with arrays and uninterpreted functions over small
// bit-vectors: their sorts (Bool, bit-vectors, arrays with bit-vector
// indices of 1 to 3 bits whose elements are Booleans, bit-vectors or arrays,
// functions of Boolean and bit-vector arguments), their expression trees,
// and a reference evaluator of their own in which every value is a full
// table of cells, so that two arrays are equal exactly when their cells are.
// Invariants: a value of sort S has cells(S) cells, each below 2^cellWidth(S);
// an array's cells run index by index (an inner array's cells together), a
// function's by its arguments in mixed radix, the first argument highest.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace torva_random {

struct ArraySort {
    enum Kind { Bool, BitVec, Array, Function } kind = Bool;
    unsigned width = 0;         // BitVec
    std::vector<int> domain;    // Array: the index sort; Function: the argument sorts
    int range = -1;             // Array: the element sort; Function: the result sort
};

enum class AOp {
    // Formulas.
    True, False, Not, And, Or, Xor, Implies, Equal, Distinct, Ult, Ule, Slt,
    // Terms of any sort.
    Var, Const, Ite, Select, Store, ConstArray, Apply,
    // Bit-vector terms.
    Add, Sub, Mul, BvAnd, BvOr, BvXor, BvNot, Neg, Extract, ZeroExtend, Concat
};

struct ANode {
    AOp op = AOp::True;
    int sort = 0;
    std::vector<int> kids;      // Apply: the arguments
    int decl = -1;              // Var, Apply
    uint64_t value = 0;         // Const
    unsigned hi = 0, lo = 0;    // Extract bounds; ZeroExtend: the count in hi
};

struct ADecl {
    std::string name;
    int sort = 0;
};

using Value = std::vector<uint64_t>;
using AAssignment = std::vector<Value>;

struct ArrayInstance {
    std::vector<ArraySort> sorts;   // sorts[0] is Bool
    std::vector<ADecl> decls;
    std::vector<ANode> nodes;

    ArrayInstance();
    int sortOf(const ArraySort& s);  // the number of a sort, added when new
    int bitVecSort(unsigned width) { return sortOf({ArraySort::BitVec, width, {}, -1}); }
    int add(const ANode& n);

    uint64_t cells(int sort) const;
    unsigned cellWidth(int sort) const;
    // The bits of a value of the sort: cells times cell width.
    uint64_t bits(int sort) const;
    bool isArray(int sort) const { return sorts[sort].kind == ArraySort::Array; }
    bool isFunction(int sort) const { return sorts[sort].kind == ArraySort::Function; }
    bool isScalar(int sort) const { return sorts[sort].kind <= ArraySort::BitVec; }
    unsigned width(int sort) const { return sorts[sort].kind == ArraySort::BitVec ? sorts[sort].width : 0; }
    bool hasArrays() const;
    bool hasFunctions() const;

    std::string sortText(int sort) const;
    std::string text(int node) const;           // SMT-LIB 2
    std::string declaration(const ADecl& d) const;
    std::string logic() const;                  // QF_ABV, QF_UFBV or QF_AUFBV
    // The declarations the nodes below the roots read.
    std::vector<bool> reads(const std::vector<int>& roots) const;
};

// The value of every node under an assignment of the declarations.
class ArrayEvaluator {
public:
    explicit ArrayEvaluator(const ArrayInstance& instance) : inst(instance) {}
    Value value(int node, const AAssignment& a);
    bool holds(int formula, const AAssignment& a) { return value(formula, a)[0] != 0; }
    // Bit k set when formulas[k] holds (at most 64 formulas).
    uint64_t holding(const std::vector<int>& formulas, const AAssignment& a);

private:
    const ArrayInstance& inst;
    std::vector<Value> memo;
    std::vector<char> done;
    const AAssignment* current = nullptr;

    void begin(const AAssignment& a);
    const Value& eval(int node);
    Value compute(const ANode& n);
};

// The position of an array's cells at index i, and of a function's at the
// arguments.
uint64_t cellOffset(const ArrayInstance& inst, int arraySort, uint64_t index);
uint64_t argumentPosition(const ArrayInstance& inst, int functionSort, const std::vector<uint64_t>& args);

}  // namespace torva_random
