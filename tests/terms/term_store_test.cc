// Hash-consing and storage of the term graph: equal structure gives the same
// id and anything else a new one, constants are shared by sort and value,
// variables never; operands precede their nodes; ids stay stable while the
// hash table grows, and values and names stay put while the store grows;
// nodes too large for one chunk or for the inline operand count keep their
// operands; and the bytes per node stay within budget.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "terms/term_store.h"

using namespace torva::terms;

TEST(TermStore, EqualStructureIsOneNodeAndAnythingElseIsNot) {
    TermStore s;
    TermId x = s.mkVar(8, "x"), y = s.mkVar(8, "y");
    const TermId raw[] = {x, y};
    mpz_class wide = (mpz_class(1) << 200) + 12345;
    // Built twice: the same nodes, all distinct (construction never reorders,
    // and rotations by 3 and 11 are one function but not one node).
    auto build = [&] {
        return std::vector<TermId>{
            s.mk(Kind::BvAdd, {x, y}), s.mk(Kind::BvAdd, {y, x}), s.mk(Kind::BvMul, {x, y}),
            s.mk(Kind::BvAdd, {x, y, x}), s.mk(Kind::BvAdd, {x, x}), s.mk(Kind::Extract, {x}, {3, 0}),
            s.mk(Kind::Extract, {x}, {4, 1}), s.mk(Kind::Extract, {x}, {3, 1}), s.mk(Kind::ZeroExtend, {x}, {3}),
            s.mk(Kind::SignExtend, {x}, {3}), s.mk(Kind::RotateLeft, {x}, {3}), s.mk(Kind::RotateLeft, {x}, {11}),
            s.mkConst(8, 3), s.mkConst(4, 3), s.mkConst(8, 4), s.mkBool(true), s.mkBool(false), s.mkConst(1, 0),
            s.mkConst(1, 1), s.mkConst(201, wide), s.mkConst(201, wide + 1)};
    };
    std::vector<TermId> nodes = build();
    EXPECT_EQ(build(), nodes);
    for (size_t i = 0; i < nodes.size(); i++)
        for (size_t j = i + 1; j < nodes.size(); j++) EXPECT_NE(nodes[i], nodes[j]) << i << " " << j;
    EXPECT_EQ(s.mk(Kind::BvAdd, std::vector<TermId>{x, y}), nodes[0]);
    EXPECT_EQ(s.mk(Kind::BvAdd, raw, 2), nodes[0]);
    EXPECT_EQ(s.mkConst(8, mpz_class("3")), nodes[12]);
    EXPECT_EQ(s.mkBool(true), s.mkConst(kBool, 1));
    EXPECT_EQ(s.mkBool(false), s.mkConst(kBool, 0));

    // Values and names stay where they are while the store grows.
    const mpz_class& held = s.value(s.mkConst(201, wide));
    const std::string& heldName = s.name(x);
    for (uint32_t i = 0; i < 5000; i++) {
        s.mkConst(32, i);
        s.mkVar(8, "a rather long variable name " + std::to_string(i));
    }
    EXPECT_EQ(held, wide);
    EXPECT_EQ(heldName, "x");
    TermId x2 = s.mkVar(8, "x");  // variables are never shared
    EXPECT_NE(x2, x);
    EXPECT_EQ(s.name(x2), "x");
    EXPECT_NE(s.mk(Kind::BvAdd, {x2, y}), nodes[0]);
}

TEST(TermStore, IdsAreStableAcrossTableGrowthAndOperandsComeFirst) {
    TermStore s;
    TermId x = s.mkVar(16, "x");
    auto build = [&] {
        std::vector<TermId> built;
        for (uint32_t i = 0, t = x; i < 50000; i++) {
            t = s.mk(i % 3 == 0 ? Kind::BvAdd : i % 3 == 1 ? Kind::BvXor : Kind::BvMul, {t, s.mkConst(16, i % 65536)});
            built.push_back(t);
            built.push_back(s.mk(Kind::Extract, {t}, {i % 16, 0}));
        }
        return built;
    };
    std::vector<TermId> built = build();
    size_t size = s.size();
    EXPECT_EQ(build(), built);
    EXPECT_EQ(s.size(), size);
    for (TermId u = 0; u < s.size(); u++)
        for (uint32_t i = 0; i < s.numArgs(u); i++) ASSERT_LT(s.arg(u, i), u);
}

TEST(TermStore, WideApplicationsKeepTheirOperands) {
    TermStore s;
    TermId p = s.mkVar(kBool, "p"), q = s.mkVar(kBool, "q");
    // One spanning several chunks, one past the inline operand count.
    constexpr size_t kArgsInline = (size_t(1) << 24) - 1;
    for (size_t n : {size_t(200000), kArgsInline + 6}) {
        std::vector<TermId> args(n);
        for (size_t i = 0; i < n; i++) args[i] = i % 7 == 3 ? q : p;
        TermId wide = s.mk(Kind::And, args);
        ASSERT_EQ(s.numArgs(wide), n);
        const TermId* a = s.args(wide);
        for (size_t i = 0; i < n; i++) ASSERT_EQ(a[i], args[i]) << i;
        EXPECT_EQ(s.mk(Kind::And, args), wide);
        if (n < kArgsInline) {
            args.back() = q;
            EXPECT_NE(s.mk(Kind::And, args), wide);
        }
        TermId after = s.mk(Kind::Or, {wide, p});
        EXPECT_EQ(s.arg(after, 0), wide);
        EXPECT_EQ(s.arg(after, 1), p);
    }
}

TEST(TermStore, MemoryPerBinaryNodeStaysWithinBudget) {
    TermStore s;
    TermId x = s.mkVar(32, "x"), y = s.mkVar(32, "y");
    TermId t = x;
    constexpr size_t kNodes = 2000000;
    for (size_t i = 0; i < kNodes / 2; i++) {
        t = s.mk(Kind::BvAdd, {t, x});
        s.mk(Kind::BvMul, {t, y});
    }
    ASSERT_GE(s.size(), kNodes);
    double perNode = double(s.memoryBytes()) / double(s.size());
    EXPECT_LE(perNode, 48.0);
    EXPECT_GE(perNode, 20.0) << "memoryBytes() cannot hold the nodes themselves";

    TermStore small, large;
    small.mkVar(8, "v");
    large.mkVar(8, std::string(1000, 'v'));
    EXPECT_GE(large.memoryBytes(), small.memoryBytes() + 1000) << "names count";
    small.mkConst(100000, 1);
    large.mkConst(100000, mpz_class(1) << 99999);
    EXPECT_GE(large.memoryBytes(), small.memoryBytes() + 1000 + 12000) << "constant values count";
}
