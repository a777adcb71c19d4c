// The graph-only operators of the random benchmarks: the reference
// evaluator's arithmetic shift, signed modulo, rotations and repetition
// against definitions written bit by bit or over the integers, exhaustively
// at widths 1 to 5; the laws about them hold under every assignment; and
// the generator draws them only when asked to.
#include <gtest/gtest.h>

#include <string>

#include "random/generator.h"
#include "random/prng.h"

namespace torva_random {
namespace {

int64_t signedValue(uint64_t a, unsigned w) { return ((a >> (w - 1)) & 1) ? static_cast<int64_t>(a) - (int64_t{1} << w) : static_cast<int64_t>(a); }

uint64_t fromSigned(int64_t v, unsigned w) { return static_cast<uint64_t>(v) & ((uint64_t{1} << w) - 1); }

uint64_t bit(uint64_t a, unsigned i) { return (a >> i) & 1; }

TEST(GraphOperators, AgreeWithTheirDefinitionsAtSmallWidths) {
    for (unsigned w = 1; w <= 5; w++) {
        uint64_t size = uint64_t{1} << w;
        for (uint64_t a = 0; a < size; a++) {
            for (uint64_t b = 0; b < size; b++) {
                // Arithmetic shift: bit i is bit i + b of a, or the sign past the top.
                uint64_t ashr = 0;
                for (unsigned i = 0; i < w; i++) ashr |= (i + b < w ? bit(a, static_cast<unsigned>(i + b)) : bit(a, w - 1)) << i;
                ASSERT_EQ(bv::ashr(a, b, w), ashr) << "w " << w << " a " << a << " b " << b;
                // Signed modulo: a - b * floor(a / b) over the integers; a when b is 0.
                int64_t sa = signedValue(a, w), sb = signedValue(b, w);
                int64_t mod = sa;
                if (sb != 0) {
                    mod = sa % sb;
                    if (mod != 0 && ((mod < 0) != (sb < 0))) mod += sb;
                }
                ASSERT_EQ(bv::smod(a, b, w), fromSigned(mod, w)) << "w " << w << " a " << a << " b " << b;
            }
            for (unsigned k = 0; k <= 2 * w + 1; k++) {
                // Rotation: bit (i + k) mod w of the result is bit i of a.
                uint64_t left = 0;
                for (unsigned i = 0; i < w; i++) left |= bit(a, i) << ((i + k) % w);
                ASSERT_EQ(bv::rotateLeft(a, k, w), left) << "w " << w << " a " << a << " k " << k;
            }
            for (unsigned count = 1; count * w <= 16; count++) {
                uint64_t copies = 0;
                for (unsigned i = 0; i < count * w; i++) copies |= bit(a, i % w) << i;
                ASSERT_EQ(bv::repeat(a, count, w), copies) << "w " << w << " a " << a << " count " << count;
            }
        }
    }
}

Assignment randomAssignment(const Benchmark& b, Prng& rng) {
    Assignment a(b.decls.size());
    for (size_t d = 0; d < b.decls.size(); d++) a[d] = rng.next() & bv::mask(b.decls[d].width);
    return a;
}

// Each law instance is unsatisfiable: exhaustively where the declarations
// are narrow, else on many random assignments.
TEST(GraphOperators, EveryLawIsValid) {
    for (int law = lawCount(); law < lawCount() + graphLawCount(); law++) {
        for (uint64_t seed = 0; seed < 16; seed++) {
            GenSettings s;
            s.shape = Shape::Law;
            s.graphOps = true;
            s.maxWidth = seed < 8 ? 4 : 64;
            s.lawWidth = seed % 2 ? 12 : 5;
            Generated g = generateLaw(seed * 1000 + static_cast<uint64_t>(law), s, law);
            ASSERT_TRUE(needsGraphReader(g.bench)) << "law " << law << "\n" << g.bench.text();
            if (g.bench.usedBits() <= 16) {
                ASSERT_EQ(countModels(g.bench, 1), 0u) << "law " << law << " seed " << seed << "\n" << g.bench.text();
                continue;
            }
            Prng rng(seed);
            Evaluator ev(g.bench);
            for (int round = 0; round < 2000; round++)
                ASSERT_FALSE(ev.satisfies(randomAssignment(g.bench, rng))) << "law " << law << "\n" << g.bench.text();
        }
    }
}

// Planted and small instances with the graph-only operators keep their
// promised answers, and the operators do occur.
TEST(GraphOperators, ShapesKeepTheirAnswers) {
    int withGraphOps = 0;
    for (uint64_t seed = 0; seed < 120; seed++) {
        GenSettings s;
        s.graphOps = true;
        s.shape = seed % 2 ? Shape::Planted : Shape::Small;
        Generated g = generate(seed, s);
        withGraphOps += needsGraphReader(g.bench);
        if (s.shape == Shape::Planted) {
            ASSERT_TRUE(Evaluator(g.bench).satisfies(g.planted)) << g.bench.text();
        } else {
            ASSERT_EQ(countModels(g.bench, 1) != 0, g.bench.expect == Expect::Sat) << g.bench.text();
        }
    }
    EXPECT_GT(withGraphOps, 30);
}

// Without the setting the generator draws no graph-only operator, so the
// benchmark path reads every instance of the other random tests.
TEST(GraphOperators, OffByDefault) {
    for (uint64_t seed = 0; seed < 150; seed++) {
        GenSettings s;
        s.shape = static_cast<Shape>(seed % 3);
        s.decorate = seed % 5 == 0;
        ASSERT_FALSE(needsGraphReader(generate(seed, s).bench)) << "seed " << seed;
    }
}

}  // namespace
}  // namespace torva_random
