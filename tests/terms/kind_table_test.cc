// The kind table against the operator list of QF_BV: every SMT-LIB 2 name
// maps to its kind and back, the operand and index counts, the way n-ary
// applications combine and commutativity are those of the logic, and names
// outside the logic are refused.
#include <gtest/gtest.h>

#include <string>

#include "terms/kind.h"

using namespace torva::terms;

namespace {

struct Row {
    const char* name;
    Kind kind;
    int minArgs;
    int numIndices;
    Chain chain;
    bool commutative;
};

const Row kOperators[] = {
    {"not", Kind::Not, 1, 0, Chain::None, false},
    {"and", Kind::And, 2, 0, Chain::LeftAssoc, true},
    {"or", Kind::Or, 2, 0, Chain::LeftAssoc, true},
    {"xor", Kind::Xor, 2, 0, Chain::LeftAssoc, true},
    {"=>", Kind::Implies, 2, 0, Chain::RightAssoc, false},
    {"=", Kind::Equal, 2, 0, Chain::Chainable, true},
    {"distinct", Kind::Distinct, 2, 0, Chain::Pairwise, true},
    {"ite", Kind::Ite, 3, 0, Chain::None, false},
    {"concat", Kind::Concat, 2, 0, Chain::LeftAssoc, false},
    {"extract", Kind::Extract, 1, 2, Chain::None, false},
    {"repeat", Kind::Repeat, 1, 1, Chain::None, false},
    {"zero_extend", Kind::ZeroExtend, 1, 1, Chain::None, false},
    {"sign_extend", Kind::SignExtend, 1, 1, Chain::None, false},
    {"rotate_left", Kind::RotateLeft, 1, 1, Chain::None, false},
    {"rotate_right", Kind::RotateRight, 1, 1, Chain::None, false},
    {"bvnot", Kind::BvNot, 1, 0, Chain::None, false},
    {"bvand", Kind::BvAnd, 2, 0, Chain::LeftAssoc, true},
    {"bvor", Kind::BvOr, 2, 0, Chain::LeftAssoc, true},
    {"bvxor", Kind::BvXor, 2, 0, Chain::LeftAssoc, true},
    {"bvnand", Kind::BvNand, 2, 0, Chain::None, true},
    {"bvnor", Kind::BvNor, 2, 0, Chain::None, true},
    {"bvxnor", Kind::BvXnor, 2, 0, Chain::None, true},
    {"bvcomp", Kind::BvComp, 2, 0, Chain::None, true},
    {"bvneg", Kind::BvNeg, 1, 0, Chain::None, false},
    {"bvadd", Kind::BvAdd, 2, 0, Chain::LeftAssoc, true},
    {"bvsub", Kind::BvSub, 2, 0, Chain::LeftAssoc, false},
    {"bvmul", Kind::BvMul, 2, 0, Chain::LeftAssoc, true},
    {"bvudiv", Kind::BvUdiv, 2, 0, Chain::None, false},
    {"bvurem", Kind::BvUrem, 2, 0, Chain::None, false},
    {"bvsdiv", Kind::BvSdiv, 2, 0, Chain::None, false},
    {"bvsrem", Kind::BvSrem, 2, 0, Chain::None, false},
    {"bvsmod", Kind::BvSmod, 2, 0, Chain::None, false},
    {"bvshl", Kind::BvShl, 2, 0, Chain::None, false},
    {"bvlshr", Kind::BvLshr, 2, 0, Chain::None, false},
    {"bvashr", Kind::BvAshr, 2, 0, Chain::None, false},
    {"bvult", Kind::BvUlt, 2, 0, Chain::None, false},
    {"bvule", Kind::BvUle, 2, 0, Chain::None, false},
    {"bvugt", Kind::BvUgt, 2, 0, Chain::None, false},
    {"bvuge", Kind::BvUge, 2, 0, Chain::None, false},
    {"bvslt", Kind::BvSlt, 2, 0, Chain::None, false},
    {"bvsle", Kind::BvSle, 2, 0, Chain::None, false},
    {"bvsgt", Kind::BvSgt, 2, 0, Chain::None, false},
    {"bvsge", Kind::BvSge, 2, 0, Chain::None, false},
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
        EXPECT_EQ(info.kind, row.kind);
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
