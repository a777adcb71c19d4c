// The generator's and the SMT-LIB 2 writer's promises, on which the
// campaigns' verdicts rest: small instances stay narrow enough to enumerate,
// with a balanced mix of answers; planted values satisfy every assertion;
// every identity law is valid (exhaustively where narrow, else on many
// random assignments); quotients by zero occur; the graph-only operators
// appear exactly when asked for; benchmarks and scripts are functions of the
// seed, and the scripts use every construct of the writer.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "random/graph_oracle.h"
#include "random/prng.h"

namespace torva_random {
namespace {

GenSettings settings(Shape shape, uint64_t seed, bool graphOps) {
    GenSettings s;
    s.shape = shape;
    if (seed % 2) {
        s.gates = GateLimits{false, false, false, false};
        s.eqWidth = 8;
    }
    s.decorate = seed % 3 == 0;
    s.graphOps = graphOps;
    return s;
}

Assignment randomAssignment(const Benchmark& b, Prng& rng) {
    Assignment a(b.decls.size());
    for (size_t d = 0; d < b.decls.size(); d++) a[d] = rng.next() & bv::mask(b.decls[d].width);
    return a;
}

// Whether some quotient divides by zero under one of a few random assignments.
bool dividesByZero(const Benchmark& b, uint64_t seed) {
    Prng rng(seed);
    Evaluator ev(b);
    for (int round = 0; round < 20; round++) {
        Assignment a = randomAssignment(b, rng);
        for (const Node& n : b.nodes)
            if ((n.op == Op::Udiv || n.op == Op::Sdiv) && ev.value(n.kids[1], a) == 0) return true;
    }
    return false;
}

TEST(Generator, ShapesKeepTheirPromisedAnswers) {
    for (bool graphOps : {false, true}) {
        int sat = 0, zeroDivisions = 0, withGraphOps = 0, perShape = 120;
        for (Shape shape : {Shape::Small, Shape::Planted})
            for (uint64_t seed = 0; seed < static_cast<uint64_t>(perShape); seed++) {
                Generated g = generate(seed, settings(shape, seed, graphOps));
                if (shape == Shape::Small) {
                    ASSERT_LE(g.bench.usedBits(), 16u) << "too wide to decide by enumeration";
                    sat += g.bench.expect == Expect::Sat;
                } else {
                    ASSERT_TRUE(Evaluator(g.bench).satisfies(g.planted)) << "seed " << seed << "\n" << g.bench.text();
                    ASSERT_EQ(g.bench.expect, Expect::Sat);
                }
                zeroDivisions += dividesByZero(g.bench, seed);
                withGraphOps += needsGraphReader(g.bench);
            }
        EXPECT_GT(sat, perShape * 3 / 10) << graphOps;
        EXPECT_LT(sat, perShape * 7 / 10) << graphOps;
        EXPECT_GT(zeroDivisions, 10) << graphOps;
        if (graphOps) EXPECT_GT(withGraphOps, perShape / 2);
        else EXPECT_EQ(withGraphOps, 0) << "the benchmark path could not read every instance";
    }
}

TEST(Generator, EveryLawIsValid) {
    for (int law = 0; law < lawCount() + graphLawCount(); law++) {
        bool graphLaw = law >= lawCount();
        for (uint64_t seed = 0; seed < 16; seed++) {
            GenSettings s = settings(Shape::Law, seed, graphLaw);
            s.maxWidth = seed < 8 ? 4 : 64;
            s.lawWidth = seed % 4 < 2 ? 12 : 5;
            Generated g = generateLaw(seed * 1000 + static_cast<uint64_t>(law), s, law);
            ASSERT_EQ(needsGraphReader(g.bench), graphLaw) << "law " << law << "\n" << g.bench.text();
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

// The graph campaigns decide these scripts and check every response.
TEST(Smt2Writer, ScriptsAreFunctionsOfTheSeedAndUseEveryConstruct) {
    std::map<std::string, int> features;
    for (const char* f : {"(check-sat-assuming", "(push", "(pop", "(define-fun fun", "(define-fun assertion", "(let ((",
                          ") (", "|", "#x", "(_ bv", "(=> ", ":named", "(get-value", "(get-model)", "rotate_left",
                          "rotate_right", "bvsmod", "(_ repeat", "bvashr", "(distinct", "(let ((amount",
                          "(declare-fun", "(exit)"})
        features[f] = 0;
    std::set<std::string> texts;
    for (uint64_t seed = 0; seed < 240; seed++) {
        GenSettings settings = graphSettingsFor(static_cast<Shape>(seed % 3), ToClauses(), seed);
        Generated g = generate(seed, settings);
        ASSERT_EQ(g.bench.text(), generate(seed, settings).bench.text()) << "benchmark not a function of the seed";
        Smt2Script script = writeSmt2(g, seed);
        ASSERT_EQ(script.text, writeSmt2(g, seed).text) << "script not a function of the seed";
        texts.insert(g.bench.text());
        for (auto& [text, count] : features) count += script.text.find(text) != std::string::npos;
    }
    EXPECT_GT(texts.size(), 230u) << "the seed hardly matters";
    for (const auto& [text, count] : features) EXPECT_GE(count, 3) << "the writer hardly writes " << text;
}

}  // namespace
}  // namespace torva_random
