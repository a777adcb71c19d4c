// Self-test of the reference evaluator: operator values at the corners of
// their definitions, and the signed division checked against integer
// arithmetic for every pair of small operands.
#include <gtest/gtest.h>

#include "random/evaluator.h"

namespace torva_random {
namespace {

TEST(Evaluator, MasksAndSignedReading) {
    EXPECT_EQ(bv::mask(1), 1u);
    EXPECT_EQ(bv::mask(8), 0xffu);
    EXPECT_EQ(bv::mask(64), ~0ULL);
    EXPECT_EQ(bv::toSigned(0xf, 4), -1);
    EXPECT_EQ(bv::toSigned(0x8, 4), -8);
    EXPECT_EQ(bv::toSigned(0x7, 4), 7);
    EXPECT_EQ(bv::toSigned(1, 1), -1);
    EXPECT_EQ(bv::toSigned(1ULL << 63, 64), INT64_MIN);
    EXPECT_EQ(bv::neg(1, 8), 0xffu);
    EXPECT_EQ(bv::neg(0, 8), 0u);
    EXPECT_EQ(bv::neg(0x80, 8), 0x80u);
}

TEST(Evaluator, DivisionByZero) {
    EXPECT_EQ(bv::udiv(13, 0, 8), 0xffu);
    EXPECT_EQ(bv::urem(13, 0, 8), 13u);
    EXPECT_EQ(bv::sdiv(5, 0, 4), 0xfu);
    EXPECT_EQ(bv::sdiv(0, 0, 4), 0xfu);
    EXPECT_EQ(bv::sdiv(0xb, 0, 4), 1u);
    EXPECT_EQ(bv::srem(0xb, 0, 4), 0xbu);
    EXPECT_EQ(bv::srem(5, 0, 4), 5u);
    EXPECT_EQ(bv::udiv(~0ULL, 0, 64), ~0ULL);
}

TEST(Evaluator, SignedDivisionCorners) {
    EXPECT_EQ(bv::sdiv(0xf, 2, 4), 0u);     // -1 / 2
    EXPECT_EQ(bv::srem(0xf, 2, 4), 0xfu);   // remainder -1
    EXPECT_EQ(bv::sdiv(0, 0xf, 4), 0u);
    EXPECT_EQ(bv::srem(0, 0xf, 4), 0u);
    EXPECT_EQ(bv::sdiv(0x8, 0xf, 4), 0x8u); // -8 / -1 wraps
    EXPECT_EQ(bv::srem(0x8, 0xf, 4), 0u);
    EXPECT_EQ(bv::sdiv(0xf9, 2, 8), 0xfdu); // -7 / 2 = -3
    EXPECT_EQ(bv::srem(0xf9, 2, 8), 0xffu); // remainder -1
    EXPECT_EQ(bv::sdiv(7, 0xfe, 8), 0xfdu); // 7 / -2 = -3
    EXPECT_EQ(bv::srem(7, 0xfe, 8), 1u);
}

TEST(Evaluator, SignedDivisionMatchesTruncatingIntegerDivision) {
    for (unsigned w = 1; w <= 6; w++) {
        for (uint64_t a = 0; a <= bv::mask(w); a++) {
            for (uint64_t b = 1; b <= bv::mask(w); b++) {
                int64_t sa = bv::toSigned(a, w), sb = bv::toSigned(b, w);
                uint64_t q = static_cast<uint64_t>(sa / sb) & bv::mask(w);
                uint64_t r = static_cast<uint64_t>(sa % sb) & bv::mask(w);
                ASSERT_EQ(bv::sdiv(a, b, w), q) << a << " / " << b << " at width " << w;
                ASSERT_EQ(bv::srem(a, b, w), r) << a << " % " << b << " at width " << w;
                ASSERT_EQ(bv::udiv(a, b, w), a / b);
                ASSERT_EQ(bv::urem(a, b, w), a % b);
            }
        }
    }
}

TEST(Evaluator, ShiftsByTheWidthOrMoreGiveZero) {
    EXPECT_EQ(bv::shl(0xff, 8, 8), 0u);
    EXPECT_EQ(bv::lshr(0xff, 8, 8), 0u);
    EXPECT_EQ(bv::shl(0xff, 200, 8), 0u);
    EXPECT_EQ(bv::shl(0xff, 1ULL << 40, 64), 0u);
    EXPECT_EQ(bv::shl(0x81, 1, 8), 0x02u);
    EXPECT_EQ(bv::lshr(0x81, 7, 8), 1u);
    EXPECT_EQ(bv::shl(1, 63, 64), 1ULL << 63);
    EXPECT_EQ(bv::lshr(~0ULL, 63, 64), 1u);
}

TEST(Evaluator, SignExtension) {
    EXPECT_EQ(bv::signExtend(1, 1, 8), 0xffu);
    EXPECT_EQ(bv::signExtend(0x7, 4, 8), 0x7u);
    EXPECT_EQ(bv::signExtend(0x8, 4, 64), 0xfffffffffffffff8ULL);
}

// A small benchmark built by hand: (concat x y), extraction, extension and
// the boolean connectives evaluated under fixed values.
TEST(Evaluator, TreeValues) {
    Benchmark b;
    b.decls = {{"x", 4, false}, {"y", 8, false}, {"p", 1, true}};
    auto add = [&](Op op, unsigned w, std::vector<int> kids) {
        Node n;
        n.op = op;
        n.width = w;
        n.kids = std::move(kids);
        return b.add(n);
    };
    Node x;
    x.op = Op::Var;
    x.width = 4;
    x.decl = 0;
    int ix = b.add(x);
    Node y = x;
    y.width = 8;
    y.decl = 1;
    int iy = b.add(y);
    Node p;
    p.op = Op::Pred;
    p.decl = 2;
    int ip = b.add(p);
    int cat = add(Op::Concat, 12, {ix, iy});
    int ext = add(Op::Extract, 6, {cat});
    b.nodes[ext].hi = 9;
    b.nodes[ext].lo = 4;
    int sx = add(Op::SignExtend, 8, {ix});
    b.nodes[sx].hi = 4;
    int cmp = add(Op::Slt, 0, {sx, iy});
    int ite = add(Op::IteTerm, 8, {ip, sx, iy});
    int comp = add(Op::Comp, 1, {ix, ix});
    int imp = add(Op::Implies, 0, {ip, cmp});
    int iff = add(Op::Iff, 0, {cmp, ip, imp});
    int dist = add(Op::Distinct, 0, {iy, sx, ite});

    Evaluator ev(b);
    Assignment a = {0xa, 0x3c, 1};
    EXPECT_EQ(ev.value(cat, a), 0xa3cu);
    EXPECT_EQ(ev.value(ext, a), 0x23u);
    EXPECT_EQ(ev.value(sx, a), 0xfau);
    EXPECT_EQ(ev.value(cmp, a), 1u);
    EXPECT_EQ(ev.value(ite, a), 0xfau);
    EXPECT_EQ(ev.value(comp, a), 1u);
    EXPECT_EQ(ev.value(imp, a), 1u);
    EXPECT_EQ(ev.value(iff, a), 1u);
    EXPECT_EQ(ev.value(dist, a), 0u);
    a[2] = 0;
    EXPECT_EQ(ev.value(ite, a), 0x3cu);
    EXPECT_EQ(ev.value(iff, a), 0u);
    EXPECT_EQ(ev.value(dist, a), 0u);
}

TEST(Evaluator, CountModelsEnumeratesUsedDeclarationsOnly) {
    Benchmark b;
    b.decls = {{"x", 3, false}, {"never", 64, false}};
    Node x;
    x.op = Op::Var;
    x.width = 3;
    x.decl = 0;
    int ix = b.add(x);
    Node c;
    c.op = Op::Const;
    c.width = 3;
    c.value = 5;
    int ic = b.add(c);
    Node lt;
    lt.op = Op::Ult;
    lt.kids = {ix, ic};
    b.assertions.push_back({b.add(lt), false});
    EXPECT_EQ(b.usedBits(), 3u);
    Assignment model;
    EXPECT_EQ(countModels(b, 100, &model), 5u);
    EXPECT_EQ(model[0], 0u);
    EXPECT_EQ(countModels(b, 2), 2u);
}

}  // namespace
}  // namespace torva_random
