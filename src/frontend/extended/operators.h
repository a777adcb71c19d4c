// The operators of SMT-LIB 1.2 QF_BV as the extended reader knows them: one
// table from the spelling (any letter case, as the basic reader's keyword
// table reads them) to the term-graph kind, and the construction of an
// application in the term graph.
//
// Booleans and 1-bit vectors: an application is first built exactly as
// written. Only when that violates the sort rules and a Boolean or a 1-bit
// vector is involved is it built again with the basic reader's reading of
// the two sorts as one: a formula where a vector is expected is #b1 when
// true and #b0 when false, and a 1-bit vector where a formula is expected is
// true when it is #b1. A well-sorted input therefore always keeps its
// SMT-LIB meaning, and a sort error reports the application as written.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "terms/term_store.h"

namespace torva::extended {

// What an operator expects of its operands, for the 1-bit reading.
enum class OperandSorts : uint8_t {
    Formulas,
    Vectors,
    Alike,  // = and distinct: operands of one sort
    Ite,    // a formula, then two operands of one sort
};

enum class Construction : uint8_t {
    Node,       // one node of the kind
    Junction,   // and / or: a single operand stands for itself
    ReduceOr,   // bvredor: #b1 when some bit is set
    ReduceAnd,  // bvredand: #b1 when every bit is set
    Shift,      // a shift whose amount may be narrower or wider than the data
};

struct Operator {
    const char* name;  // as written in lower case
    terms::Kind kind;  // of the node built (Node and Junction)
    uint8_t numIndices;
    OperandSorts operands;
    Construction construction;
};

// The operator spelled `word` in any letter case, or null.
const Operator* findOperator(std::string_view word);

// The application of `op` to the operands (indices as in the term store).
// Throws terms::SortError naming the application as written.
terms::TermId applyOperator(terms::TermStore& store, const Operator& op, const std::vector<terms::TermId>& operands,
                            const uint32_t* indices);

// The formula that `t` stands for: t itself, or (= t #b1) for a 1-bit vector.
// Other vectors are returned unchanged.
terms::TermId asFormula(terms::TermStore& store, terms::TermId t);

// "Bool" or "BitVec[w]".
std::string sortName(terms::Sort sort);

}  // namespace torva::extended
