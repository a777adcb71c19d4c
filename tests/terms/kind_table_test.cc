// The kind table against the operators of the logics: every SMT-LIB 2 name
// belongs to its kind, with the operand and index counts and the way n-ary
// applications combine that the logic gives it (the reader, the sort
// checks, the lowering and the word blaster all read them from here).
#include <gtest/gtest.h>

#include <string>

#include "terms/kind.h"

using namespace torva::terms;

namespace {

using K = Kind;
constexpr Chain None = Chain::None, Left = Chain::LeftAssoc, Right = Chain::RightAssoc;

struct Row {
    const char* name;
    Kind kind;
    int minArgs, numIndices;
    Chain chain;
};

const Row kOperators[] = {
    {"not", K::Not, 1, 0, None}, {"and", K::And, 2, 0, Left}, {"or", K::Or, 2, 0, Left},
    {"xor", K::Xor, 2, 0, Left}, {"=>", K::Implies, 2, 0, Right}, {"=", K::Equal, 2, 0, Chain::Chainable},
    {"distinct", K::Distinct, 2, 0, Chain::Pairwise}, {"ite", K::Ite, 3, 0, None},
    {"concat", K::Concat, 2, 0, Left}, {"extract", K::Extract, 1, 2, None}, {"repeat", K::Repeat, 1, 1, None},
    {"zero_extend", K::ZeroExtend, 1, 1, None}, {"sign_extend", K::SignExtend, 1, 1, None},
    {"rotate_left", K::RotateLeft, 1, 1, None}, {"rotate_right", K::RotateRight, 1, 1, None},
    {"bvnot", K::BvNot, 1, 0, None}, {"bvand", K::BvAnd, 2, 0, Left}, {"bvor", K::BvOr, 2, 0, Left},
    {"bvxor", K::BvXor, 2, 0, Left}, {"bvnand", K::BvNand, 2, 0, None}, {"bvnor", K::BvNor, 2, 0, None},
    {"bvxnor", K::BvXnor, 2, 0, None}, {"bvcomp", K::BvComp, 2, 0, None}, {"bvneg", K::BvNeg, 1, 0, None},
    {"bvadd", K::BvAdd, 2, 0, Left}, {"bvsub", K::BvSub, 2, 0, Left}, {"bvmul", K::BvMul, 2, 0, Left},
    {"bvudiv", K::BvUdiv, 2, 0, None}, {"bvurem", K::BvUrem, 2, 0, None}, {"bvsdiv", K::BvSdiv, 2, 0, None},
    {"bvsrem", K::BvSrem, 2, 0, None}, {"bvsmod", K::BvSmod, 2, 0, None}, {"bvshl", K::BvShl, 2, 0, None},
    {"bvlshr", K::BvLshr, 2, 0, None}, {"bvashr", K::BvAshr, 2, 0, None}, {"bvult", K::BvUlt, 2, 0, None},
    {"bvule", K::BvUle, 2, 0, None}, {"bvugt", K::BvUgt, 2, 0, None}, {"bvuge", K::BvUge, 2, 0, None},
    {"bvslt", K::BvSlt, 2, 0, None}, {"bvsle", K::BvSle, 2, 0, None}, {"bvsgt", K::BvSgt, 2, 0, None},
    {"bvsge", K::BvSge, 2, 0, None}, {"select", K::Select, 2, 0, None}, {"store", K::Store, 3, 0, None},
};

}  // namespace

TEST(KindTable, EveryOperatorOfTheLogicHasItsRow) {
    // Constants, variables, constant arrays and applications have no name.
    static_assert(sizeof(kOperators) / sizeof(kOperators[0]) + 4 == kNumKinds, "every operator kind listed");
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
    }
    for (Kind k : {Kind::Const, Kind::Variable, Kind::ConstArray, Kind::Apply}) EXPECT_EQ(std::string(kindName(k)), "");
    for (int i = 0; i < kNumKinds; i++) EXPECT_EQ(static_cast<int>(kindInfo(static_cast<Kind>(i)).kind), i);
    Kind refused = Kind::BvSge;
    for (const char* name : {"", "BVADD", "bvadd ", "let", "true"}) EXPECT_FALSE(kindByName(name, refused)) << name;
}
