// The reference evaluator against definitions of its own: every operator at
// every width from 1 to 64 (exhaustively up to width 5, on corner and random
// values beyond) agrees with integer arithmetic or a bit-by-bit definition.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <tuple>
#include <string>

#include "random/evaluator.h"
#include "random/prng.h"

namespace torva_random {
namespace {

using Int = __int128;
using Wide = unsigned __int128;

// The value of a probe from those of x and y (of the width under test) and
// of the predicates p and q; exact, reduced modulo 2^width by the check.
using Definition = std::function<Int(Int a, Int b, bool p, bool q)>;

struct Probe {
    std::string name;
    int node;
    unsigned width;  // 0 for a formula
    Definition expected;
};

Int pow2(unsigned k) { return Int(1) << k; }
uint64_t reduce(Int v, unsigned w) { return static_cast<uint64_t>(((v % pow2(w)) + pow2(w)) % pow2(w)); }
Int bit(Int a, unsigned i) { return (a >> i) & 1; }
Int floorDiv(Int a, Int b) { return a / b * b != a && (a < 0) != (b < 0) ? a / b - 1 : a / b; }

// The n-bit value whose bit i is bit from(i) of a.
Int gather(Int a, unsigned n, const std::function<unsigned(unsigned)>& from) {
    Int v = 0;
    for (unsigned i = 0; i < n; i++) v |= bit(a, from(i)) << i;
    return v;
}

int add(Benchmark& b, Op op, unsigned width, std::vector<int> kids, unsigned hi = 0, unsigned lo = 0, int decl = -1) {
    Node n;
    n.op = op;
    n.width = width;
    n.kids = std::move(kids);
    n.hi = hi;
    n.lo = lo;
    n.decl = decl;
    return b.add(n);
}

// Nodes applying every operator to x, y, p and q of width w, each with its definition.
std::vector<Probe> probesAt(unsigned w, Benchmark& bench) {
    bench.decls = {{"x", w, false}, {"y", w, false}, {"p", 1, true}, {"q", 1, true}};
    int x = add(bench, Op::Var, w, {}, 0, 0, 0), y = add(bench, Op::Var, w, {}, 0, 0, 1);
    int p = add(bench, Op::Pred, 0, {}, 0, 0, 2), q = add(bench, Op::Pred, 0, {}, 0, 0, 3);
    const Int m = pow2(w);
    auto s = [w, m](Int v) { return bit(v, w - 1) ? v - m : v; };
    std::vector<Probe> out;
    auto probe = [&](Op op, unsigned width, std::vector<int> kids, Definition f, unsigned hi = 0, unsigned lo = 0) {
        std::string name = std::string(opName(op)) + " " + std::to_string(hi) + " " + std::to_string(lo);
        out.push_back({name, add(bench, op, width, std::move(kids), hi, lo), width, std::move(f)});
    };
    using Word = std::function<Int(Int, Int)>;
    const std::tuple<Op, unsigned, Word> overXandY[] = {  // operator, result width (0: formula), definition
        {Op::Add, w, [](Int a, Int b) { return a + b; }}, {Op::Sub, w, [](Int a, Int b) { return a - b; }},
        {Op::Mul, w, [m](Int a, Int b) { return static_cast<Int>(Wide(a) * Wide(b) % Wide(m)); }},
        {Op::Udiv, w, [m](Int a, Int b) { return b == 0 ? m - 1 : a / b; }},
        {Op::Urem, w, [](Int a, Int b) { return b == 0 ? a : a % b; }},
        {Op::Sdiv, w, [s](Int a, Int b) { return b == 0 ? (s(a) < 0 ? 1 : -1) : s(a) / s(b); }},
        {Op::Srem, w, [s](Int a, Int b) { return b == 0 ? a : s(a) % s(b); }},
        {Op::Smod, w, [s](Int a, Int b) { return b == 0 ? a : s(a) - s(b) * floorDiv(s(a), s(b)); }},
        {Op::Shl, w, [w](Int a, Int b) { return b >= w ? 0 : a << static_cast<unsigned>(b); }},
        {Op::Lshr, w, [w](Int a, Int b) { return b >= w ? 0 : a >> static_cast<unsigned>(b); }},
        {Op::Ashr, w, [w, s](Int a, Int b) { return floorDiv(s(a), pow2(b >= w ? w : static_cast<unsigned>(b))); }},
        {Op::BvAnd, w, [](Int a, Int b) { return a & b; }}, {Op::BvOr, w, [](Int a, Int b) { return a | b; }},
        {Op::BvXor, w, [](Int a, Int b) { return a ^ b; }}, {Op::Xnor, w, [](Int a, Int b) { return ~(a ^ b); }},
        {Op::Nand, w, [](Int a, Int b) { return ~(a & b); }}, {Op::Nor, w, [](Int a, Int b) { return ~(a | b); }},
        {Op::Comp, 1, [](Int a, Int b) { return a == b; }}, {Op::Equal, 0, [](Int a, Int b) { return a == b; }},
        {Op::Ult, 0, [](Int a, Int b) { return a < b; }}, {Op::Ule, 0, [](Int a, Int b) { return a <= b; }},
        {Op::Ugt, 0, [](Int a, Int b) { return a > b; }}, {Op::Uge, 0, [](Int a, Int b) { return a >= b; }},
        {Op::Slt, 0, [s](Int a, Int b) { return s(a) < s(b); }}, {Op::Sle, 0, [s](Int a, Int b) { return s(a) <= s(b); }},
        {Op::Sgt, 0, [s](Int a, Int b) { return s(a) > s(b); }}, {Op::Sge, 0, [s](Int a, Int b) { return s(a) >= s(b); }},
    };
    for (const auto& [op, width, f] : overXandY)
        probe(op, width, {x, y}, [f = f](Int a, Int b, bool, bool) { return f(a, b); });
    probe(Op::Neg, w, {x}, [](Int a, Int, bool, bool) { return -a; });
    probe(Op::BvNot, w, {x}, [](Int a, Int, bool, bool) { return ~a; });
    probe(Op::IteTerm, w, {p, x, y}, [](Int a, Int b, bool c, bool) { return c ? a : b; });
    probe(Op::Not, 0, {p}, [](Int, Int, bool c, bool) { return !c; });
    probe(Op::And, 0, {p, q}, [](Int, Int, bool c, bool d) { return c && d; });
    probe(Op::Or, 0, {p, q}, [](Int, Int, bool c, bool d) { return c || d; });
    probe(Op::Xor, 0, {p, q}, [](Int, Int, bool c, bool d) { return c != d; });
    probe(Op::Implies, 0, {p, q}, [](Int, Int, bool c, bool d) { return !c || d; });
    int equal = add(bench, Op::Equal, 0, {x, y}), sum = add(bench, Op::Add, w, {x, y});
    probe(Op::IteFormula, 0, {p, q, equal}, [](Int a, Int b, bool c, bool d) { return c ? d : a == b; });
    probe(Op::Iff, 0, {p, q, equal}, [](Int a, Int b, bool c, bool d) { return c == d && d == (a == b); });
    probe(Op::Distinct, 0, {x, y, sum}, [m](Int a, Int b, bool, bool) {
        return a != b && a != (a + b) % m && b != (a + b) % m;
    });
    if (2 * w <= 64) probe(Op::Concat, 2 * w, {x, y}, [m](Int a, Int b, bool, bool) { return a * m + b; });
    if (w < 64)  // operands of different widths
        probe(Op::Concat, w + 1, {x, add(bench, Op::Comp, 1, {x, y})},
              [](Int a, Int b, bool, bool) { return 2 * a + (a == b); });
    for (unsigned k : {1u, 64 - w}) {
        if (k == 0 || k + w > 64) continue;
        probe(Op::ZeroExtend, w + k, {x}, [](Int a, Int, bool, bool) { return a; }, k);
        probe(Op::SignExtend, w + k, {x}, [s](Int a, Int, bool, bool) { return s(a); }, k);
    }
    for (unsigned hi = 0; hi < w; hi++)
        for (unsigned lo = 0; lo <= hi; lo++)
            if (w <= 8 || ((hi == w - 1 || hi == w / 2) && (lo == 0 || lo == 1 || lo == hi)))
                probe(Op::Extract, hi - lo + 1, {x}, [lo](Int a, Int, bool, bool) { return a >> lo; }, hi, lo);
    for (unsigned k : {0u, 1u, w - 1, w, w + 1, 2 * w + 1}) {
        auto left = [w, k](unsigned i) { return (i + w - k % w) % w; };
        auto right = [w, k](unsigned i) { return (i + k) % w; };
        probe(Op::RotateLeft, w, {x}, [w, left](Int a, Int, bool, bool) { return gather(a, w, left); }, k);
        probe(Op::RotateRight, w, {x}, [w, right](Int a, Int, bool, bool) { return gather(a, w, right); }, k);
    }
    for (unsigned count : {1u, 2u, 64 / w}) {
        auto copy = [w](unsigned i) { return i % w; };
        if (count * w <= 64)
            probe(Op::Repeat, count * w, {x}, [=](Int a, Int, bool, bool) { return gather(a, count * w, copy); }, count);
    }
    return out;
}

// Every value up to width 5; beyond, the corners of the unsigned and signed
// ranges, the shift amounts around the width, and random values.
std::vector<uint64_t> operandValues(unsigned w, Prng& rng) {
    std::vector<uint64_t> v;
    if (w <= 5) {
        for (uint64_t a = 0; a < (uint64_t{1} << w); a++) v.push_back(a);
        return v;
    }
    Int m = pow2(w);
    for (Int a : {Int(0), Int(1), Int(2), Int(w - 1), Int(w), Int(w + 1), m / 2 - 1, m / 2, m / 2 + 1, m - 2, m - 1})
        v.push_back(reduce(a, w));
    for (int k = 0; k < 6; k++) v.push_back(reduce(rng.next(), w));
    return v;
}

TEST(Evaluator, EveryOperatorAgreesWithItsDefinitionAtEveryWidth) {
    Prng rng(1);
    for (unsigned w = 1; w <= 64; w++) {
        Benchmark bench;
        std::vector<Probe> probes = probesAt(w, bench);
        Evaluator ev(bench);
        std::vector<uint64_t> values = operandValues(w, rng);
        for (uint64_t a : values)
            for (uint64_t b : values)
                for (uint64_t pq = 0; pq < 4; pq++) {
                    Assignment asg = {a, b, pq & 1, pq >> 1};
                    for (const Probe& pr : probes) {
                        Int v = pr.expected(a, b, (pq & 1) != 0, (pq >> 1) != 0);
                        uint64_t want = pr.width ? reduce(v, pr.width) : v != 0;
                        ASSERT_EQ(ev.value(pr.node, asg), want)
                            << pr.name << " at width " << w << ", x=" << a << " y=" << b << " p,q=" << pq;
                    }
                }
    }
}

}  // namespace
}  // namespace torva_random
