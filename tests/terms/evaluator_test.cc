// The evaluator against a reference written here independently with uint64_t
// arithmetic: signed operators through C++ signed arithmetic on the two's
// complement reading, shifts, rotations, extractions and extensions bit by
// bit, n-ary forms (3 and 4 operands) by their fold definitions. Every
// operator with every legal index is compared under every assignment of its
// operands where they hold at most 12 bits (widths 1 to 4, and Booleans),
// else on extreme and seeded random values (width 64 and the widest n-ary
// forms); wider widths through arithmetic identities.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <functional>
#include <initializer_list>
#include <random>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "terms/evaluator.h"

using namespace torva::terms;

namespace {

using K = Kind;
using Values = std::vector<uint64_t>;
using Int128 = __int128;

uint64_t mask(unsigned w) { return w >= 64 ? ~uint64_t(0) : (uint64_t(1) << w) - 1; }
uint64_t bit(uint64_t v, unsigned i) { return (v >> i) & 1; }
int64_t toSigned(uint64_t v, unsigned w) { return bit(v, w - 1) ? static_cast<int64_t>(v | ~mask(w)) : int64_t(v); }
uint64_t fromWide(Int128 v, unsigned w) { return static_cast<uint64_t>(v) & mask(w); }

uint64_t refSdiv(uint64_t a, uint64_t b, unsigned w) {
    int64_t s = toSigned(a, w), t = toSigned(b, w);
    return t == 0 ? (s >= 0 ? mask(w) : 1) : fromWide(Int128(s) / Int128(t), w);
}

uint64_t refSrem(uint64_t a, uint64_t b, unsigned w) {
    int64_t s = toSigned(a, w), t = toSigned(b, w);
    return t == 0 ? a : fromWide(Int128(s) % Int128(t), w);
}

uint64_t refSmod(uint64_t a, uint64_t b, unsigned w) {
    int64_t s = toSigned(a, w), t = toSigned(b, w);
    if (t == 0) return a;
    Int128 r = Int128(s) % Int128(t);
    return fromWide(r != 0 && (r < 0) != (t < 0) ? r + t : r, w);
}

// The bits of a (of width w) rearranged: bit i of the result, for i below
// `width`, is bit source(i) of a, or the sign bit where the source is at or
// beyond w.
template <class Source>
uint64_t moved(uint64_t a, unsigned w, unsigned width, Source source) {
    uint64_t r = 0;
    for (unsigned i = 0; i < width; i++) {
        uint64_t from = source(i);
        r |= bit(a, from < w ? unsigned(from) : w - 1) << i;
    }
    return r;
}

using Binary = std::function<uint64_t(uint64_t, uint64_t, unsigned)>;

struct BinaryOp {
    Kind kind;
    Binary ref;
};

using U = uint64_t;
const std::vector<BinaryOp> kBinaryOps = {
    {K::BvAnd, [](U a, U b, unsigned) { return a & b; }}, {K::BvOr, [](U a, U b, unsigned) { return a | b; }},
    {K::BvXor, [](U a, U b, unsigned) { return a ^ b; }},
    {K::BvNand, [](U a, U b, unsigned w) { return ~(a & b) & mask(w); }},
    {K::BvNor, [](U a, U b, unsigned w) { return ~(a | b) & mask(w); }},
    {K::BvXnor, [](U a, U b, unsigned w) { return ~(a ^ b) & mask(w); }},
    {K::BvComp, [](U a, U b, unsigned) -> U { return a == b; }},
    {K::BvAdd, [](U a, U b, unsigned w) { return (a + b) & mask(w); }},
    {K::BvSub, [](U a, U b, unsigned w) { return (a - b) & mask(w); }},
    {K::BvMul, [](U a, U b, unsigned w) { return (a * b) & mask(w); }},
    {K::BvUdiv, [](U a, U b, unsigned w) { return b == 0 ? mask(w) : a / b; }},
    {K::BvUrem, [](U a, U b, unsigned) { return b == 0 ? a : a % b; }},
    {K::BvSdiv, refSdiv}, {K::BvSrem, refSrem}, {K::BvSmod, refSmod},
    {K::BvShl, [](U a, U b, unsigned w) { return b >= w ? 0 : (a << b) & mask(w); }},
    {K::BvLshr, [](U a, U b, unsigned w) { return b >= w ? 0 : a >> b; }},
    {K::BvAshr, [](U a, U b, unsigned w) { return moved(a, w, w, [&](unsigned i) { return b >= w ? w : i + b; }); }},
    {K::BvUlt, [](U a, U b, unsigned) -> U { return a < b; }},
    {K::BvUle, [](U a, U b, unsigned) -> U { return a <= b; }},
    {K::BvUgt, [](U a, U b, unsigned) -> U { return a > b; }},
    {K::BvUge, [](U a, U b, unsigned) -> U { return a >= b; }},
    {K::BvSlt, [](U a, U b, unsigned w) -> U { return toSigned(a, w) < toSigned(b, w); }},
    {K::BvSle, [](U a, U b, unsigned w) -> U { return toSigned(a, w) <= toSigned(b, w); }},
    {K::BvSgt, [](U a, U b, unsigned w) -> U { return toSigned(a, w) > toSigned(b, w); }},
    {K::BvSge, [](U a, U b, unsigned w) -> U { return toSigned(a, w) >= toSigned(b, w); }},
    {K::Equal, [](U a, U b, unsigned) -> U { return a == b; }},
    {K::Distinct, [](U a, U b, unsigned) -> U { return a != b; }},
};

// The reference of a binary kind; Booleans fold as 1-bit vectors.
Binary refOf(Kind k) {
    Kind bitwise = k == K::And ? K::BvAnd : k == K::Or ? K::BvOr : k == K::Xor ? K::BvXor : k;
    for (const BinaryOp& op : kBinaryOps)
        if (op.kind == bitwise) return op.ref;
    return Binary();
}

// A term over the first `arity` variables and its value by the reference.
struct Case {
    TermId term;
    size_t arity;
    std::function<uint64_t(const Values&)> ref;
};

// The n-ary applications over v[0..n) that every sort shares, and the left
// folds of the given binary kinds.
void addNary(TermStore& s, const std::vector<TermId>& v, size_t n, unsigned w, std::initializer_list<Kind> folds,
             std::vector<Case>& cases) {
    std::vector<TermId> args(v.begin(), v.begin() + n);
    for (Kind k : folds)
        cases.push_back({s.mk(k, args), n, [f = refOf(k), n, w](const Values& x) {
                             uint64_t r = x[0];
                             for (size_t i = 1; i < n; i++) r = f(r, x[i], w);
                             return r;
                         }});
    cases.push_back({s.mk(K::Equal, args), n, [n](const Values& x) -> uint64_t {
                         return std::count(x.begin(), x.begin() + n, x[0]) == std::ptrdiff_t(n);
                     }});
    cases.push_back({s.mk(K::Distinct, args), n, [n](const Values& x) -> uint64_t {
                         return std::set<uint64_t>(x.begin(), x.begin() + n).size() == n;
                     }});
}

// Every operator over bit-vector variables of width w.
std::vector<Case> bitVectorCases(TermStore& s, const std::vector<TermId>& v, unsigned w) {
    std::vector<Case> cases;
    TermId x = v[0];
    for (const BinaryOp& op : kBinaryOps)
        cases.push_back({s.mk(op.kind, {v[0], v[1]}), 2, [op, w](const Values& a) { return op.ref(a[0], a[1], w); }});
    cases.push_back({s.mk(K::BvNot, {x}), 1, [w](const Values& a) { return ~a[0] & mask(w); }});
    cases.push_back({s.mk(K::BvNeg, {x}), 1, [w](const Values& a) { return (0 - a[0]) & mask(w); }});
    auto indexed = [&](Kind k, std::initializer_list<uint32_t> indices, unsigned width, auto source) {
        cases.push_back({s.mk(k, {x}, indices), 1, [=](const Values& a) { return moved(a[0], w, width, source); }});
    };
    for (unsigned hi = 0; hi < w; hi++)
        for (unsigned lo = 0; lo <= hi; lo++)
            indexed(K::Extract, {hi, lo}, hi - lo + 1, [lo](unsigned i) { return i + lo; });
    for (unsigned k = 0; k <= 2 * w + 1; k++) {
        indexed(K::RotateLeft, {k}, w, [k, w](unsigned i) { return (i + w - k % w) % w; });
        indexed(K::RotateRight, {k}, w, [k, w](unsigned i) { return (i + k) % w; });
    }
    for (unsigned k = 0; k + w <= 64; k = k < 8 ? k + 1 : k * 2) {
        cases.push_back({s.mk(K::ZeroExtend, {x}, {k}), 1, [](const Values& a) { return a[0]; }});
        indexed(K::SignExtend, {k}, w + k, [](unsigned i) { return i; });
    }
    for (unsigned k = 1; k * w <= 64; k++) indexed(K::Repeat, {k}, k * w, [w](unsigned i) { return i % w; });
    for (size_t n = 3; n <= 4; n++) {
        addNary(s, v, n, w, {K::BvAnd, K::BvOr, K::BvXor, K::BvAdd, K::BvSub, K::BvMul}, cases);
        if (n * w > 64) continue;
        cases.push_back({s.mk(K::Concat, std::vector<TermId>(v.begin(), v.begin() + n)), n, [n, w](const Values& a) {
                             uint64_t r = 0;
                             for (size_t i = 0; i < n; i++) r = r << w | a[i];
                             return r;
                         }});
    }
    cases.push_back({s.mk(K::Ite, {s.mk(K::BvUlt, {v[0], v[1]}), v[2], v[3]}), 4,
                     [](const Values& a) { return a[0] < a[1] ? a[2] : a[3]; }});
    return cases;
}

// Every connective over Boolean variables.
std::vector<Case> booleanCases(TermStore& s, const std::vector<TermId>& v) {
    std::vector<Case> cases;
    cases.push_back({s.mk(K::Not, {v[0]}), 1, [](const Values& a) { return 1 - a[0]; }});
    cases.push_back({s.mk(K::Ite, {v[0], v[1], v[2]}), 3, [](const Values& a) { return a[0] ? a[1] : a[2]; }});
    for (size_t n = 2; n <= 4; n++) {
        addNary(s, v, n, 1, {K::And, K::Or, K::Xor}, cases);
        cases.push_back({s.mk(K::Implies, std::vector<TermId>(v.begin(), v.begin() + n)), n, [n](const Values& a) {
                             uint64_t r = a[n - 1];
                             for (size_t i = n - 1; i-- > 0;) r = !a[i] || r;
                             return r;
                         }});
    }
    return cases;
}

static_assert(sizeof(unsigned long) == sizeof(uint64_t), "values pass through unsigned long");

uint64_t small(const mpz_class& v) {
    EXPECT_LE(mpz_sizeinbase(v.get_mpz_t(), 2), 64u);
    return v.get_ui();
}

// The operand values tried: every assignment of `arity` operands of `bits`
// bits when they hold at most 12 bits, else the pairs of extreme values and
// seeded random ones, some of small magnitude (as shift amounts and
// divisors) or small negatives.
std::vector<Values> operandValues(size_t arity, unsigned bits) {
    std::vector<Values> points;
    if (arity * bits <= 12) {
        for (uint64_t all = 0; all < (uint64_t(1) << (arity * bits)); all++) {
            Values x;
            for (size_t i = 0; i < arity; i++) x.push_back((all >> (i * bits)) & mask(bits));
            points.push_back(x);
        }
        return points;
    }
    uint64_t min = uint64_t(1) << (bits - 1);
    const Values extremes = {0, 1, 2, 3, 63, 64, 65, min - 1, min, min + 1, mask(bits), mask(bits) - 1, 0xFFFFFFFF,
                             0x100000000ull};
    for (uint64_t a : extremes)
        for (uint64_t b : arity == 1 ? Values{0} : extremes) {
            Values x(arity, a & mask(bits));
            if (arity > 1) x[1] = b & mask(bits);
            points.push_back(x);
        }
    std::mt19937_64 rng(arity * 100 + bits);
    for (int n = arity == 1 ? 200 : 3000; n > 0; n--) {
        Values x;
        for (size_t i = 0; i < arity; i++) {
            uint64_t r = rng(), kind = rng() % 4;
            x.push_back((kind == 1 ? r >> 58 : kind == 2 ? -(r >> 60) : kind == 3 ? extremes[r % extremes.size()] : r) &
                        mask(bits));
        }
        points.push_back(x);
    }
    return points;
}

void checkCases(TermStore& s, const std::vector<TermId>& v, const std::vector<Case>& cases) {
    unsigned bits = s.isBool(v[0]) ? 1 : s.width(v[0]);
    Evaluator ev(s);
    for (const Case& c : cases) {
        for (const Values& x : operandValues(c.arity, bits)) {
            for (size_t i = 0; i < c.arity; i++) ev.assign(v[i], static_cast<unsigned long>(x[i]));
            uint64_t expected = c.ref(x);
            if (small(ev.value(c.term)) == expected) continue;
            std::string shown = std::string(kindName(s.kind(c.term))) + " width " + std::to_string(bits);
            for (uint32_t i = 0; i < s.numIndices(c.term); i++) shown += " index " + std::to_string(s.index(c.term, i));
            for (size_t i = 0; i < c.arity; i++) shown += " " + std::to_string(x[i]);
            FAIL() << shown << ": " << ev.value(c.term) << ", expected " << expected;
        }
    }
}

}  // namespace

TEST(Evaluator, EveryOperatorMatchesTheReference) {
    for (unsigned w : {1u, 2u, 3u, 4u, 64u}) {
        TermStore s;
        std::vector<TermId> v;
        for (const char* name : {"a", "b", "c", "d"}) v.push_back(s.mkVar(w, name));
        checkCases(s, v, bitVectorCases(s, v, w));
    }
    TermStore s;
    std::vector<TermId> v;
    for (const char* name : {"a", "b", "c", "d"}) v.push_back(s.mkVar(kBool, name));
    checkCases(s, v, booleanCases(s, v));
}

TEST(Evaluator, WideValuesSatisfyTheDivisionAndStructureIdentities) {
    constexpr unsigned w = 130;
    TermStore s;
    TermId x = s.mkVar(w, "x"), y = s.mkVar(w, "y");
    TermId q = s.mk(K::BvUdiv, {x, y}), r = s.mk(K::BvUrem, {x, y});
    TermId recomposed = s.mk(K::BvAdd, {s.mk(K::BvMul, {q, y}), r});
    TermId sq = s.mk(K::BvSdiv, {x, y}), sr = s.mk(K::BvSrem, {x, y}), sm = s.mk(K::BvSmod, {x, y});
    TermId signedRecomposed = s.mk(K::BvAdd, {s.mk(K::BvMul, {sq, y}), sr});
    TermId halves = s.mk(K::Concat, {s.mk(K::Extract, {x}, {w - 1, 65}), s.mk(K::Extract, {x}, {64, 0})});
    TermId rotated = s.mk(K::RotateRight, {s.mk(K::RotateLeft, {x}, {77})}, {77 + w});
    TermId shifted = s.mk(K::BvLshr, {s.mk(K::BvShl, {x, y}), y});
    TermId negSum = s.mk(K::BvAdd, {x, s.mk(K::BvNeg, {x})});
    const mpz_class modulus = mpz_class(1) << w, half = modulus / 2;
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
            ASSERT_TRUE(ev.value(sr) == 0 || (ev.value(sr) >= half) == (a >= half));
            ASSERT_TRUE(ev.value(sm) == 0 || (ev.value(sm) >= half) == (b >= half));
            mpz_class diff = ev.value(sm) - ev.value(sr);
            ASSERT_TRUE(diff == 0 || diff == b || diff == b - modulus);
        } else {
            ASSERT_EQ(ev.value(q), modulus - 1);
            ASSERT_EQ(ev.value(r), a);
            ASSERT_EQ(ev.value(sq), a >= half ? mpz_class(1) : mpz_class(modulus - 1));
            ASSERT_EQ(ev.value(sm), a);
        }
        ASSERT_EQ(ev.value(halves), a);
        ASSERT_EQ(ev.value(rotated), a);
        ASSERT_EQ(ev.value(negSum), 0);
        ASSERT_EQ(ev.value(shifted), b >= w ? mpz_class(0) : mpz_class(a % (modulus >> b.get_ui())));
    }
}

TEST(Evaluator, AssignmentsAndTheCache) {
    TermStore s;
    TermId x = s.mkVar(8, "x"), y = s.mkVar(8, "y"), p = s.mkVar(kBool, "p");
    TermId sum = s.mk(K::BvAdd, {x, y});
    TermId guarded = s.mk(K::Ite, {p, sum, x});
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
    EXPECT_EQ(ev.value(s.mk(K::BvMul, {sum, s.mkConst(8, 2)})), 146);
    EXPECT_EQ(ev.value(s.mkBool(true)), 1);
    EXPECT_EQ(ev.value(s.mkConst(8, 77)), 77);
    EXPECT_THROW(ev.assign(sum, 1), std::invalid_argument);
    // Concatenation of mixed widths puts the first operand highest.
    TermId q = s.mkVar(1, "q"), r = s.mkVar(3, "r");
    ev.assign(q, 1);
    ev.assign(r, 5);
    EXPECT_EQ(formatValue(12, ev.value(s.mk(K::Concat, {q, x, r}))), "#b111001000101");
}

TEST(FormatValue, BooleansAndExactlyWidthDigits) {
    const std::pair<std::string, std::string> cases[] = {
        {formatValue(kBool, 1), "true"}, {formatValue(kBool, 0), "false"},   {formatValue(1, 0), "#b0"},
        {formatValue(1, 1), "#b1"},      {formatValue(4, 5), "#b0101"},      {formatValue(8, 0), "#b00000000"},
        {formatValue(70, (mpz_class(1) << 69) + 1), "#b1" + std::string(68, '0') + "1"},
    };
    for (const auto& [got, expected] : cases) EXPECT_EQ(got, expected);
}
