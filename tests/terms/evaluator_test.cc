// The evaluator against a reference written here independently with uint64_t
// arithmetic: signed operators through C++ signed arithmetic on the two's
// complement reading, shifts and rotations bit by bit. Every operator is
// compared exhaustively at widths 1 to 4 (all operand pairs, all legal
// indices) and on random and extreme values at width 64; n-ary forms with 3
// and 4 operands against their fold definitions; wide widths through
// arithmetic identities.
#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string>
#include <vector>

#include "terms/evaluator.h"

using namespace torva::terms;

namespace {

using Int128 = __int128;

uint64_t mask(unsigned w) { return w >= 64 ? ~uint64_t(0) : (uint64_t(1) << w) - 1; }
bool msb(uint64_t v, unsigned w) { return (v >> (w - 1)) & 1; }
int64_t toSigned(uint64_t v, unsigned w) { return msb(v, w) ? static_cast<int64_t>(v | ~mask(w)) : int64_t(v); }
uint64_t fromWide(Int128 v, unsigned w) { return static_cast<uint64_t>(v) & mask(w); }
uint64_t bit(uint64_t v, unsigned i) { return (v >> i) & 1; }

uint64_t refSdiv(uint64_t a, uint64_t b, unsigned w) {
    int64_t s = toSigned(a, w), t = toSigned(b, w);
    if (t == 0) return s >= 0 ? mask(w) : 1;
    return fromWide(Int128(s) / Int128(t), w);
}

uint64_t refSrem(uint64_t a, uint64_t b, unsigned w) {
    int64_t s = toSigned(a, w), t = toSigned(b, w);
    if (t == 0) return a;
    return fromWide(Int128(s) % Int128(t), w);
}

uint64_t refSmod(uint64_t a, uint64_t b, unsigned w) {
    int64_t s = toSigned(a, w), t = toSigned(b, w);
    if (t == 0) return a;
    Int128 r = Int128(s) % Int128(t);
    if (r != 0 && (r < 0) != (t < 0)) r += t;
    return fromWide(r, w);
}

uint64_t refRotateLeft(uint64_t a, uint64_t k, unsigned w) {
    uint64_t r = 0;
    for (unsigned i = 0; i < w; i++) r |= bit(a, i) << ((i + k) % w);
    return r;
}

uint64_t refRotateRight(uint64_t a, uint64_t k, unsigned w) {
    uint64_t r = 0;
    for (unsigned i = 0; i < w; i++) r |= bit(a, unsigned((i + k) % w)) << i;
    return r;
}

uint64_t refAshr(uint64_t a, uint64_t b, unsigned w) {
    uint64_t r = 0;
    for (unsigned i = 0; i < w; i++) {
        uint64_t from = i + b;
        r |= (b >= w || from >= w ? bit(a, w - 1) : bit(a, unsigned(from))) << i;
    }
    return r;
}

using Binary = std::function<uint64_t(uint64_t, uint64_t, unsigned)>;

struct BinaryOp {
    Kind kind;
    Binary ref;
};

const std::vector<BinaryOp>& binaryOps() {
    static const std::vector<BinaryOp> ops = {
        {Kind::BvAnd, [](uint64_t a, uint64_t b, unsigned) { return a & b; }},
        {Kind::BvOr, [](uint64_t a, uint64_t b, unsigned) { return a | b; }},
        {Kind::BvXor, [](uint64_t a, uint64_t b, unsigned) { return a ^ b; }},
        {Kind::BvNand, [](uint64_t a, uint64_t b, unsigned w) { return ~(a & b) & mask(w); }},
        {Kind::BvNor, [](uint64_t a, uint64_t b, unsigned w) { return ~(a | b) & mask(w); }},
        {Kind::BvXnor, [](uint64_t a, uint64_t b, unsigned w) { return ~(a ^ b) & mask(w); }},
        {Kind::BvComp, [](uint64_t a, uint64_t b, unsigned) -> uint64_t { return a == b; }},
        {Kind::BvAdd, [](uint64_t a, uint64_t b, unsigned w) { return (a + b) & mask(w); }},
        {Kind::BvSub, [](uint64_t a, uint64_t b, unsigned w) { return (a - b) & mask(w); }},
        {Kind::BvMul, [](uint64_t a, uint64_t b, unsigned w) { return (a * b) & mask(w); }},
        {Kind::BvUdiv, [](uint64_t a, uint64_t b, unsigned w) { return b == 0 ? mask(w) : a / b; }},
        {Kind::BvUrem, [](uint64_t a, uint64_t b, unsigned) { return b == 0 ? a : a % b; }},
        {Kind::BvSdiv, refSdiv},
        {Kind::BvSrem, refSrem},
        {Kind::BvSmod, refSmod},
        {Kind::BvShl, [](uint64_t a, uint64_t b, unsigned w) { return b >= w ? 0 : (a << b) & mask(w); }},
        {Kind::BvLshr, [](uint64_t a, uint64_t b, unsigned w) { return b >= w ? 0 : a >> b; }},
        {Kind::BvAshr, refAshr},
        {Kind::BvUlt, [](uint64_t a, uint64_t b, unsigned) -> uint64_t { return a < b; }},
        {Kind::BvUle, [](uint64_t a, uint64_t b, unsigned) -> uint64_t { return a <= b; }},
        {Kind::BvUgt, [](uint64_t a, uint64_t b, unsigned) -> uint64_t { return a > b; }},
        {Kind::BvUge, [](uint64_t a, uint64_t b, unsigned) -> uint64_t { return a >= b; }},
        {Kind::BvSlt, [](uint64_t a, uint64_t b, unsigned w) -> uint64_t { return toSigned(a, w) < toSigned(b, w); }},
        {Kind::BvSle, [](uint64_t a, uint64_t b, unsigned w) -> uint64_t { return toSigned(a, w) <= toSigned(b, w); }},
        {Kind::BvSgt, [](uint64_t a, uint64_t b, unsigned w) -> uint64_t { return toSigned(a, w) > toSigned(b, w); }},
        {Kind::BvSge, [](uint64_t a, uint64_t b, unsigned w) -> uint64_t { return toSigned(a, w) >= toSigned(b, w); }},
        {Kind::Equal, [](uint64_t a, uint64_t b, unsigned) -> uint64_t { return a == b; }},
        {Kind::Distinct, [](uint64_t a, uint64_t b, unsigned) -> uint64_t { return a != b; }},
    };
    return ops;
}

mpz_class big(uint64_t v) {
    mpz_class r;
    mpz_import(r.get_mpz_t(), 1, 1, sizeof(v), 0, 0, &v);
    return r;
}

uint64_t small(const mpz_class& v) {
    EXPECT_LE(mpz_sizeinbase(v.get_mpz_t(), 2), 64u);
    uint64_t r = 0;
    mpz_export(&r, nullptr, 1, sizeof(r), 0, 0, v.get_mpz_t());
    return r;
}

// Compares every binary operator on the operand pairs given.
void checkBinaryOps(unsigned w, const std::vector<std::pair<uint64_t, uint64_t>>& pairs) {
    TermStore s;
    TermId x = s.mkVar(w, "x"), y = s.mkVar(w, "y");
    std::vector<TermId> terms;
    for (const BinaryOp& op : binaryOps()) terms.push_back(s.mk(op.kind, {x, y}));
    Evaluator ev(s);
    for (auto [a, b] : pairs) {
        ev.assign(x, big(a));
        ev.assign(y, big(b));
        for (size_t i = 0; i < terms.size(); i++) {
            uint64_t expected = binaryOps()[i].ref(a, b, w);
            ASSERT_EQ(small(ev.value(terms[i])), expected)
                << kindName(binaryOps()[i].kind) << " width " << w << " on " << a << ", " << b;
        }
    }
}

std::vector<uint64_t> extremes64() {
    return {0, 1, 2, 3, 63, 64, 65, 0x7FFFFFFFFFFFFFFFull, 0x8000000000000000ull, 0x8000000000000001ull,
            ~uint64_t(0), ~uint64_t(0) - 1, 0xFFFFFFFF, 0x100000000ull};
}

}  // namespace

TEST(Evaluator, BinaryOperatorsMatchTheReferenceOnAllPairsAtWidthsOneToFour) {
    for (unsigned w = 1; w <= 4; w++) {
        std::vector<std::pair<uint64_t, uint64_t>> pairs;
        for (uint64_t a = 0; a <= mask(w); a++)
            for (uint64_t b = 0; b <= mask(w); b++) pairs.emplace_back(a, b);
        checkBinaryOps(w, pairs);
    }
}

TEST(Evaluator, BinaryOperatorsMatchTheReferenceAtWidth64) {
    std::mt19937_64 rng(7);
    std::vector<std::pair<uint64_t, uint64_t>> pairs;
    for (uint64_t a : extremes64())
        for (uint64_t b : extremes64()) pairs.emplace_back(a, b);
    for (int i = 0; i < 3000; i++) {
        uint64_t a = rng(), b = rng();
        // Small magnitudes and small shift amounts exercise other paths.
        if (i % 4 == 1) b >>= 58;
        if (i % 4 == 2) b = -(b >> 60);
        if (i % 4 == 3) a = -(a >> 61);
        pairs.emplace_back(a, b);
    }
    checkBinaryOps(64, pairs);
}

TEST(Evaluator, UnaryAndIndexedOperatorsMatchTheReference) {
    std::mt19937_64 rng(11);
    for (unsigned w : {1u, 2u, 3u, 4u, 64u}) {
        std::vector<uint64_t> values;
        if (w < 64)
            for (uint64_t a = 0; a <= mask(w); a++) values.push_back(a);
        else
            values = extremes64();
        for (int i = 0; w == 64 && i < 200; i++) values.push_back(rng());

        TermStore s;
        TermId x = s.mkVar(w, "x");
        struct Indexed {
            TermId term;
            std::function<uint64_t(uint64_t)> ref;
        };
        std::vector<Indexed> terms;
        terms.push_back({s.mk(Kind::BvNot, {x}), [w](uint64_t a) { return ~a & mask(w); }});
        terms.push_back({s.mk(Kind::BvNeg, {x}), [w](uint64_t a) { return (0 - a) & mask(w); }});
        for (unsigned hi = 0; hi < w; hi++)
            for (unsigned lo = 0; lo <= hi; lo++)
                terms.push_back({s.mk(Kind::Extract, {x}, {hi, lo}), [hi, lo](uint64_t a) {
                                     uint64_t r = 0;
                                     for (unsigned i = lo; i <= hi; i++) r |= bit(a, i) << (i - lo);
                                     return r;
                                 }});
        for (unsigned k = 0; k <= 2 * w + 1; k++) {
            terms.push_back({s.mk(Kind::RotateLeft, {x}, {k}), [k, w](uint64_t a) { return refRotateLeft(a, k, w); }});
            terms.push_back({s.mk(Kind::RotateRight, {x}, {k}),
                             [k, w](uint64_t a) { return refRotateRight(a, k, w); }});
        }
        for (unsigned k = 0; k + w <= 64; k = k < 8 ? k + 1 : k * 2) {
            terms.push_back({s.mk(Kind::ZeroExtend, {x}, {k}), [](uint64_t a) { return a; }});
            terms.push_back({s.mk(Kind::SignExtend, {x}, {k}), [k, w](uint64_t a) {
                                 uint64_t r = a;
                                 for (unsigned i = w; i < w + k; i++) r |= bit(a, w - 1) << i;
                                 return r;
                             }});
        }
        for (unsigned k = 1; k * w <= 64; k++)
            terms.push_back({s.mk(Kind::Repeat, {x}, {k}), [k, w](uint64_t a) {
                                 uint64_t r = 0;
                                 for (unsigned i = 0; i < k * w; i++) r |= bit(a, i % w) << i;
                                 return r;
                             }});
        Evaluator ev(s);
        for (uint64_t a : values) {
            ev.assign(x, big(a));
            for (const Indexed& t : terms) {
                ASSERT_EQ(small(ev.value(t.term)), t.ref(a))
                    << kindName(s.kind(t.term)) << " width " << w << " of " << a
                    << (s.numIndices(t.term) ? " index " + std::to_string(s.index(t.term, 0)) : "");
            }
        }
    }
}

TEST(Evaluator, BooleanConnectivesFoldAsTheirChainSays) {
    TermStore s;
    TermId v[4] = {s.mkVar(kBool, "a"), s.mkVar(kBool, "b"), s.mkVar(kBool, "c"), s.mkVar(kBool, "d")};
    struct Nary {
        Kind kind;
        std::function<bool(const std::vector<bool>&)> ref;
    };
    const Nary cases[] = {
        {Kind::And, [](const std::vector<bool>& x) { bool r = true; for (bool b : x) r = r && b; return r; }},
        {Kind::Or, [](const std::vector<bool>& x) { bool r = false; for (bool b : x) r = r || b; return r; }},
        {Kind::Xor, [](const std::vector<bool>& x) { bool r = false; for (bool b : x) r = r != b; return r; }},
        {Kind::Implies, [](const std::vector<bool>& x) {
             bool r = x.back();
             for (size_t i = x.size() - 1; i-- > 0;) r = !x[i] || r;
             return r;
         }},
        {Kind::Equal, [](const std::vector<bool>& x) {
             for (size_t i = 1; i < x.size(); i++)
                 if (x[i] != x[i - 1]) return false;
             return true;
         }},
        {Kind::Distinct, [](const std::vector<bool>& x) {
             for (size_t i = 0; i < x.size(); i++)
                 for (size_t j = i + 1; j < x.size(); j++)
                     if (x[i] == x[j]) return false;
             return true;
         }},
    };
    TermId notA = s.mk(Kind::Not, {v[0]});
    TermId ite = s.mk(Kind::Ite, {v[0], v[1], v[2]});
    Evaluator ev(s);
    for (size_t n = 2; n <= 4; n++) {
        std::vector<TermId> args(v, v + n);
        std::vector<TermId> terms;
        for (const Nary& c : cases) terms.push_back(s.mk(c.kind, args));
        for (unsigned bits = 0; bits < 16u; bits++) {
            std::vector<bool> values;
            for (size_t i = 0; i < 4; i++) {
                ev.assign(v[i], (bits >> i) & 1);
                if (i < n) values.push_back((bits >> i) & 1);
            }
            for (size_t i = 0; i < terms.size(); i++)
                ASSERT_EQ(ev.value(terms[i]), cases[i].ref(values) ? 1 : 0)
                    << kindName(cases[i].kind) << " of " << n << " operands, bits " << bits;
            EXPECT_EQ(ev.value(notA), (bits & 1) ? 0 : 1);
            EXPECT_EQ(ev.value(ite), (bits & 1) ? (bits >> 1) & 1 : (bits >> 2) & 1);
        }
    }
}

TEST(Evaluator, NaryBitVectorFormsMatchTheirFoldDefinitions) {
    constexpr unsigned w = 2;
    TermStore s;
    TermId v[4] = {s.mkVar(w, "a"), s.mkVar(w, "b"), s.mkVar(w, "c"), s.mkVar(w, "d")};
    using Fold = std::function<uint64_t(const std::vector<uint64_t>&)>;
    auto leftFold = [](Binary f) -> Fold {
        return [f](const std::vector<uint64_t>& x) {
            uint64_t r = x[0];
            for (size_t i = 1; i < x.size(); i++) r = f(r, x[i], w);
            return r;
        };
    };
    auto refOf = [](Kind k) {
        for (const BinaryOp& op : binaryOps())
            if (op.kind == k) return op.ref;
        return Binary();
    };
    struct Nary {
        Kind kind;
        Fold ref;
    };
    std::vector<Nary> cases;
    for (Kind k : {Kind::BvAnd, Kind::BvOr, Kind::BvXor, Kind::BvAdd, Kind::BvSub, Kind::BvMul})
        cases.push_back({k, leftFold(refOf(k))});
    cases.push_back({Kind::Equal, [](const std::vector<uint64_t>& x) -> uint64_t {
                         for (size_t i = 1; i < x.size(); i++)
                             if (x[i] != x[i - 1]) return 0;
                         return 1;
                     }});
    cases.push_back({Kind::Distinct, [](const std::vector<uint64_t>& x) -> uint64_t {
                         for (size_t i = 0; i < x.size(); i++)
                             for (size_t j = i + 1; j < x.size(); j++)
                                 if (x[i] == x[j]) return 0;
                         return 1;
                     }});
    cases.push_back({Kind::Concat, [](const std::vector<uint64_t>& x) {
                         uint64_t r = 0;
                         for (uint64_t part : x) r = r << w | part;
                         return r;
                     }});
    Evaluator ev(s);
    for (size_t n = 3; n <= 4; n++) {
        std::vector<TermId> terms;
        for (const Nary& c : cases) terms.push_back(s.mk(c.kind, std::vector<TermId>(v, v + n)));
        for (unsigned bits = 0; bits < (1u << (w * n)); bits++) {
            std::vector<uint64_t> values;
            for (size_t i = 0; i < n; i++) {
                values.push_back((bits >> (w * i)) & mask(w));
                ev.assign(v[i], values.back());
            }
            for (size_t i = 0; i < terms.size(); i++)
                ASSERT_EQ(small(ev.value(terms[i])), cases[i].ref(values))
                    << kindName(cases[i].kind) << " of " << n << " operands, bits " << bits;
        }
    }
    // Concatenation of mixed widths puts the first operand highest.
    TermId p = s.mkVar(1, "p"), q = s.mkVar(3, "q");
    TermId mixed = s.mk(Kind::Concat, {p, v[0], q});
    ev.assign(p, 1);
    ev.assign(v[0], 2);
    ev.assign(q, 5);
    EXPECT_EQ(s.width(mixed), 6u);
    EXPECT_EQ(formatValue(6, ev.value(mixed)), "#b110101");
}

TEST(Evaluator, WideValuesSatisfyTheDivisionAndStructureIdentities) {
    constexpr unsigned w = 130;
    TermStore s;
    TermId x = s.mkVar(w, "x"), y = s.mkVar(w, "y");
    TermId q = s.mk(Kind::BvUdiv, {x, y}), r = s.mk(Kind::BvUrem, {x, y});
    TermId recomposed = s.mk(Kind::BvAdd, {s.mk(Kind::BvMul, {q, y}), r});
    TermId sq = s.mk(Kind::BvSdiv, {x, y}), sr = s.mk(Kind::BvSrem, {x, y}), sm = s.mk(Kind::BvSmod, {x, y});
    TermId signedRecomposed = s.mk(Kind::BvAdd, {s.mk(Kind::BvMul, {sq, y}), sr});
    TermId halves = s.mk(Kind::Concat, {s.mk(Kind::Extract, {x}, {w - 1, 65}), s.mk(Kind::Extract, {x}, {64, 0})});
    TermId rotated = s.mk(Kind::RotateRight, {s.mk(Kind::RotateLeft, {x}, {77})}, {77 + w});
    TermId shifted = s.mk(Kind::BvLshr, {s.mk(Kind::BvShl, {x, y}), y});
    TermId negSum = s.mk(Kind::BvAdd, {x, s.mk(Kind::BvNeg, {x})});
    const mpz_class modulus = mpz_class(1) << w;
    gmp_randclass rng(gmp_randinit_default);
    rng.seed(3);
    Evaluator ev(s);
    for (int i = 0; i < 300; i++) {
        mpz_class a = rng.get_z_bits(w), b = i % 3 == 0 ? rng.get_z_bits(w) : rng.get_z_bits(i % (w + 1));
        if (i % 10 == 0) b = 0;
        ev.assign(x, a);
        ev.assign(y, b);
        ASSERT_EQ(ev.value(recomposed), a);
        ASSERT_EQ(ev.value(signedRecomposed), a);
        if (b != 0) {
            ASSERT_LT(ev.value(r), b);
            // The signed remainder takes the dividend's sign, the modulus the divisor's.
            bool negA = a >= modulus / 2, negB = b >= modulus / 2;
            ASSERT_TRUE(ev.value(sr) == 0 || (ev.value(sr) >= modulus / 2) == negA);
            ASSERT_TRUE(ev.value(sm) == 0 || (ev.value(sm) >= modulus / 2) == negB);
            mpz_class diff = ev.value(sm) - ev.value(sr);
            ASSERT_TRUE(diff == 0 || diff == b || diff == b - modulus);
        } else {
            ASSERT_EQ(ev.value(q), modulus - 1);
            ASSERT_EQ(ev.value(r), a);
            ASSERT_EQ(ev.value(sq), a >= modulus / 2 ? mpz_class(1) : mpz_class(modulus - 1));
            ASSERT_EQ(ev.value(sm), a);
        }
        ASSERT_EQ(ev.value(halves), a);
        ASSERT_EQ(ev.value(rotated), a);
        ASSERT_EQ(ev.value(negSum), 0);
        mpz_class expectShift = b >= w ? mpz_class(0) : mpz_class(a % (modulus >> b.get_ui()));
        ASSERT_EQ(ev.value(shifted), expectShift);
    }
}

TEST(Evaluator, AssignmentsAndTheCache) {
    TermStore s;
    TermId x = s.mkVar(8, "x"), y = s.mkVar(8, "y"), p = s.mkVar(kBool, "p");
    TermId sum = s.mk(Kind::BvAdd, {x, y});
    TermId guarded = s.mk(Kind::Ite, {p, sum, x});
    Evaluator ev(s);
    EXPECT_EQ(ev.value(guarded), 0) << "unassigned variables are 0";
    ev.assign(x, 200);
    ev.assign(y, 100);
    ev.assign(p, 1);
    EXPECT_EQ(ev.value(guarded), 44);
    ev.assign(y, 1);
    EXPECT_EQ(ev.value(sum), 201) << "assign() must drop cached values";
    EXPECT_EQ(ev.value(guarded), 201);
    // Nodes made after the evaluator are evaluated too.
    TermId later = s.mk(Kind::BvMul, {sum, s.mkConst(8, 2)});
    EXPECT_EQ(ev.value(later), 146);
    EXPECT_EQ(ev.value(s.mkBool(true)), 1);
    EXPECT_EQ(ev.value(s.mkConst(8, 77)), 77);
    EXPECT_THROW(ev.assign(sum, 1), std::invalid_argument);
}

TEST(FormatValue, BooleansAndExactlyWidthDigits) {
    EXPECT_EQ(formatValue(kBool, 1), "true");
    EXPECT_EQ(formatValue(kBool, 0), "false");
    EXPECT_EQ(formatValue(1, 0), "#b0");
    EXPECT_EQ(formatValue(1, 1), "#b1");
    EXPECT_EQ(formatValue(4, 5), "#b0101");
    EXPECT_EQ(formatValue(8, 0), "#b00000000");
    std::string wide = formatValue(70, (mpz_class(1) << 69) + 1);
    EXPECT_EQ(wide, "#b1" + std::string(68, '0') + "1");
}
