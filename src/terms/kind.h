// The node kinds of the term graph and their one table of properties: the
// SMT-LIB 2 name, how many operands and indices a node takes, how the
// operands of an n-ary application combine, and whether the operator is
// commutative. The parsers, the sort checks, the evaluator and the lowering
// all read this table; a kind without a row does not compile.
#pragma once

#include <cstdint>

namespace torva::terms {

enum class Kind : uint8_t {
    Const,     // Boolean or bit-vector constant; value in the store's value table
    Variable,  // declared symbol (or a define-fun parameter); never shared
    // Boolean connectives.
    Not, And, Or, Xor, Implies, Equal, Distinct, Ite,
    // Structure.
    Concat, Extract, Repeat, ZeroExtend, SignExtend, RotateLeft, RotateRight,
    // Bitwise and arithmetic.
    BvNot, BvAnd, BvOr, BvXor, BvNand, BvNor, BvXnor, BvComp, BvNeg, BvAdd, BvSub, BvMul,
    BvUdiv, BvUrem, BvSdiv, BvSrem, BvSmod, BvShl, BvLshr, BvAshr,
    // Comparisons.
    BvUlt, BvUle, BvUgt, BvUge, BvSlt, BvSle, BvSgt, BvSge,
    // Arrays and uninterpreted functions.
    Select,      // (select a i)
    Store,       // (store a i e)
    ConstArray,  // ((as const S) e); the index is the array sort S
    Apply,       // (f x1 ... xn): operand 0 is the function, a variable of a function sort
};
constexpr int kNumKinds = static_cast<int>(Kind::Apply) + 1;

// How the operands of an application with more than two operands combine.
enum class Chain : uint8_t {
    None,        // fixed arity only
    LeftAssoc,   // (f a b c) = (f (f a b) c)
    RightAssoc,  // (f a b c) = (f a (f b c))
    Chainable,   // (f a b c) = (and (f a b) (f b c))
    Pairwise,    // (f a b c) = (and (f a b) (f a c) (f b c))
};

struct KindInfo {
    Kind kind;
    const char* name;    // SMT-LIB 2 name ("" for Const and Variable)
    uint8_t minArgs;     // operand count; n-ary kinds (and Apply) take minArgs or more
    uint8_t numIndices;  // (_ extract i j) has 2, (_ repeat k) has 1
    Chain chain;
    bool commutative;
};

const KindInfo& kindInfo(Kind k);
inline const char* kindName(Kind k) { return kindInfo(k).name; }
inline bool isNary(Kind k) { return kindInfo(k).chain != Chain::None; }
// The kinds whose bits are their operands' bits rearranged (and constant
// zeros): no gate is needed for them.
inline bool rearrangesBits(Kind k) {
    return k == Kind::Concat || k == Kind::Extract || k == Kind::Repeat || k == Kind::ZeroExtend ||
           k == Kind::SignExtend || k == Kind::RotateLeft || k == Kind::RotateRight;
}

// The kinds of arrays and functions: the word-level passes and the
// encoders never see them, since the engine abstracts them first.
inline bool isTheoryKind(Kind k) {
    return k == Kind::Select || k == Kind::Store || k == Kind::ConstArray || k == Kind::Apply;
}

// The kind named by an SMT-LIB 2 operator symbol (not "_"-indexed forms'
// outer "_"), or false when the name is no operator. Apply and ConstArray
// have no name of their own.
bool kindByName(const char* name, Kind& kind);

}  // namespace torva::terms
