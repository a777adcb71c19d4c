// The term graph: a hash-consed DAG of Boolean and bit-vector terms. Every
// term is a 32-bit id handed out in creation order; an operator node with the
// same kind, operands and indices as an existing one is that node (structural
// sharing is automatic), while every variable is a fresh node. Sorts are
// checked at construction; construction never simplifies.
//
// Invariants: the operands of a node have smaller ids than the node; ids and
// hashes never depend on addresses, so the graph and every walk over it are
// the same on every run. Nodes are never freed individually.
#pragma once

#include <gmpxx.h>

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <stdexcept>
#include <string>
#include <vector>

#include "terms/kind.h"

namespace torva::terms {

using TermId = uint32_t;

// A sort is the width of a bit-vector, 0 for the Boolean sort, or from
// kFirstCompound on an array or function sort that the store numbers.
using Sort = uint32_t;
constexpr Sort kBool = 0;
// Widest bit-vector a term may have.
constexpr uint32_t kMaxWidth = (1u << 30) - 1;
constexpr Sort kFirstCompound = kMaxWidth + 1;
inline bool isCompoundSort(Sort s) { return s >= kFirstCompound; }
inline bool isBitVectorSort(Sort s) { return s != kBool && s < kFirstCompound; }

// An array sort (one domain sort, the index) or a function sort (the
// argument sorts); domain and codomain are Boolean or bit-vector sorts,
// except that the elements of an array may be arrays.
struct CompoundSort {
    bool array;
    std::vector<Sort> domain;
    Sort codomain;
};

// A construction that violates the sort rules, or a width beyond kMaxWidth.
// The message is a complete sentence for the user ("bvadd expects operands of
// equal width, got 8 and 16").
struct SortError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

class TermStore {
public:
    TermStore();
    ~TermStore();
    TermStore(const TermStore&) = delete;
    TermStore& operator=(const TermStore&) = delete;

    // Array and function sorts, one number per distinct sort. Throws
    // SortError for a domain or codomain that is not Boolean or a bit-vector.
    Sort mkArraySort(Sort index, Sort element);
    Sort mkFunctionSort(const std::vector<Sort>& domain, Sort codomain);
    bool isArraySort(Sort s) const;
    bool isFunctionSort(Sort s) const;
    // Whether any array or function sort has been made.
    bool hasCompoundSorts() const;
    // A compound sort's parts; throws for any other sort.
    const CompoundSort& compound(Sort s) const;
    // SMT-LIB 2 text of any sort of this store.
    std::string sortName(Sort s) const;

    // Constants. A bit-vector value must lie in [0, 2^width).
    TermId mkBool(bool value);
    TermId mkConst(Sort sort, const mpz_class& value);
    // A fresh variable of the sort (an uninterpreted function when the sort
    // is a function sort); the name is kept for models and printing.
    TermId mkVar(Sort sort, const std::string& name);
    // An operator application. Fixed-arity kinds take exactly minArgs
    // operands, n-ary kinds (Chain != None) minArgs or more. Indices are
    // those of the "_" forms: Extract {hi, lo}; Repeat, ZeroExtend,
    // SignExtend, RotateLeft, RotateRight {k}; ConstArray {its array sort}.
    // Apply takes the function and then its arguments. Throws SortError.
    TermId mk(Kind kind, const TermId* args, size_t numArgs, const uint32_t* indices = nullptr,
              size_t numIndices = 0);
    TermId mk(Kind kind, std::initializer_list<TermId> args, std::initializer_list<uint32_t> indices = {});
    TermId mk(Kind kind, const std::vector<TermId>& args, const std::vector<uint32_t>& indices = {});

    Kind kind(TermId t) const;
    Sort sort(TermId t) const;
    bool isBool(TermId t) const { return sort(t) == kBool; }
    bool isArray(TermId t) const { return isArraySort(sort(t)); }
    uint32_t width(TermId t) const { return sort(t); }
    uint32_t numArgs(TermId t) const;
    const TermId* args(TermId t) const;
    TermId arg(TermId t, uint32_t i) const { return args(t)[i]; }
    uint32_t numIndices(TermId t) const;
    uint32_t index(TermId t, uint32_t i) const;
    // Const only: the value (Boolean constants are 0 or 1).
    const mpz_class& value(TermId t) const;
    // Variable only.
    const std::string& name(TermId t) const;

    // Number of nodes; ids run from 0 to size() - 1.
    size_t size() const;
    // Bytes held by the store (nodes, tables, constant values, names).
    size_t memoryBytes() const;

private:
    struct Impl;
    Impl* impl_;
};

}  // namespace torva::terms
