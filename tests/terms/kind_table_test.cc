// The kind table against the operator list of QF_BV: every SMT-LIB 2 name
// maps to its kind and back, the operand and index counts, the way n-ary
// applications combine and commutativity are those of the logic, and names
// outside the logic are refused.
#include <gtest/gtest.h>

#include <string>

#include "terms/kind.h"

using namespace torva::terms;

namespace {

using K = Kind;
constexpr Chain None = Chain::None, Left = Chain::LeftAssoc, Right = Chain::RightAssoc,
                Chainable = Chain::Chainable, Pairwise = Chain::Pairwise;

struct Row {
    const char* name;
    Kind kind;
    int minArgs, numIndices;
    Chain chain;
    bool commutative;
};

const Row kOperators[] = {
    {"not", K::Not, 1, 0, None, false}, {"and", K::And, 2, 0, Left, true},
    {"or", K::Or, 2, 0, Left, true}, {"xor", K::Xor, 2, 0, Left, true},
    {"=>", K::Implies, 2, 0, Right, false}, {"=", K::Equal, 2, 0, Chainable, true},
    {"distinct", K::Distinct, 2, 0, Pairwise, true}, {"ite", K::Ite, 3, 0, None, false},
    {"concat", K::Concat, 2, 0, Left, false}, {"extract", K::Extract, 1, 2, None, false},
    {"repeat", K::Repeat, 1, 1, None, false}, {"zero_extend", K::ZeroExtend, 1, 1, None, false},
    {"sign_extend", K::SignExtend, 1, 1, None, false}, {"rotate_left", K::RotateLeft, 1, 1, None, false},
    {"rotate_right", K::RotateRight, 1, 1, None, false}, {"bvnot", K::BvNot, 1, 0, None, false},
    {"bvand", K::BvAnd, 2, 0, Left, true}, {"bvor", K::BvOr, 2, 0, Left, true},
    {"bvxor", K::BvXor, 2, 0, Left, true}, {"bvnand", K::BvNand, 2, 0, None, true},
    {"bvnor", K::BvNor, 2, 0, None, true}, {"bvxnor", K::BvXnor, 2, 0, None, true},
    {"bvcomp", K::BvComp, 2, 0, None, true}, {"bvneg", K::BvNeg, 1, 0, None, false},
    {"bvadd", K::BvAdd, 2, 0, Left, true}, {"bvsub", K::BvSub, 2, 0, Left, false},
    {"bvmul", K::BvMul, 2, 0, Left, true}, {"bvudiv", K::BvUdiv, 2, 0, None, false},
    {"bvurem", K::BvUrem, 2, 0, None, false}, {"bvsdiv", K::BvSdiv, 2, 0, None, false},
    {"bvsrem", K::BvSrem, 2, 0, None, false}, {"bvsmod", K::BvSmod, 2, 0, None, false},
    {"bvshl", K::BvShl, 2, 0, None, false}, {"bvlshr", K::BvLshr, 2, 0, None, false},
    {"bvashr", K::BvAshr, 2, 0, None, false}, {"bvult", K::BvUlt, 2, 0, None, false},
    {"bvule", K::BvUle, 2, 0, None, false}, {"bvugt", K::BvUgt, 2, 0, None, false},
    {"bvuge", K::BvUge, 2, 0, None, false}, {"bvslt", K::BvSlt, 2, 0, None, false},
    {"bvsle", K::BvSle, 2, 0, None, false}, {"bvsgt", K::BvSgt, 2, 0, None, false},
    {"bvsge", K::BvSge, 2, 0, None, false},
};

}  // namespace

TEST(KindTable, EveryOperatorOfTheLogicHasItsRow) {
    static_assert(sizeof(kOperators) / sizeof(kOperators[0]) + 2 == kNumKinds, "every operator kind listed");
    for (const Row& row : kOperators) {
        SCOPED_TRACE(row.name);
        Kind found = Kind::Const;
        ASSERT_TRUE(kindByName(row.name, found));
        EXPECT_EQ(found, row.kind);
        const KindInfo& info = kindInfo(row.kind);
        EXPECT_EQ(std::string(kindName(row.kind)), row.name);
        EXPECT_EQ(info.minArgs, row.minArgs);
        EXPECT_EQ(info.numIndices, row.numIndices);
        EXPECT_EQ(info.chain, row.chain);
        EXPECT_EQ(info.commutative, row.commutative);
        EXPECT_EQ(isNary(row.kind), row.chain != Chain::None);
    }
    for (Kind k : {Kind::Const, Kind::Variable}) {
        EXPECT_EQ(std::string(kindName(k)), "");
        EXPECT_EQ(kindInfo(k).minArgs, 0);
        EXPECT_EQ(kindInfo(k).numIndices, 0);
    }
    for (int i = 0; i < kNumKinds; i++) EXPECT_EQ(static_cast<int>(kindInfo(static_cast<Kind>(i)).kind), i);
}

TEST(KindTable, NamesOutsideTheLogicAreRefused) {
    for (const char* name : {"", "_", "BVADD", "bvadd ", "bvudiv_i", "extract_", "let", "true", "bv", "=="}) {
        Kind k = Kind::BvSge;
        EXPECT_FALSE(kindByName(name, k)) << name;
        EXPECT_EQ(k, Kind::BvSge) << name;
    }
}
