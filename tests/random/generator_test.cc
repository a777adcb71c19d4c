// Self-test of the benchmark generator: determinism per seed, well-formed
// trees (operand widths agree, scopes nest, bit gates respect their width
// limits), the promised answers of each shape, and the validity of every
// identity law.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "random/generator.h"
#include "random/prng.h"

namespace torva_random {
namespace {

class Checker {
public:
    Checker(const Benchmark& b, const GateLimits& g, unsigned eqWidth = 64) : bench(b), gates(g), eqLimit(eqWidth) {}

    std::string check() {
        for (size_t i = 0; i < bench.nodes.size(); i++) {
            std::string e = node(static_cast<int>(i));
            if (!e.empty()) return "node " + std::to_string(i) + " (" + opName(bench.nodes[i].op) + "): " + e;
        }
        for (const Assertion& a : bench.assertions) {
            if (!bench.isFormula(a.node)) return "assertion is a term";
            std::string e = scopes(a.node);
            if (!e.empty()) return e;
        }
        return "";
    }

private:
    const Benchmark& bench;
    const GateLimits& gates;
    unsigned eqLimit;
    std::vector<std::string> inScope;

    unsigned w(int k) const { return bench.nodes[k].width; }
    bool formulas(const Node& n, size_t from, size_t to) const {
        for (size_t k = from; k < to; k++)
            if (w(n.kids[k]) != 0) return false;
        return true;
    }
    bool sameTermWidths(const Node& n) const {
        for (int k : n.kids)
            if (w(k) == 0 || w(k) != w(n.kids[0])) return false;
        return true;
    }

    std::string node(int i) {
        const Node& n = bench.nodes[i];
        size_t kids = n.kids.size();
        bool term = n.op >= Op::Var;
        if (term != (n.width != 0)) return "formula/term width mismatch";
        if (n.width > 64) return "wider than 64 bits";
        bool equality = n.op == Op::Equal || n.op == Op::Distinct || n.op == Op::Comp;
        if (equality && w(n.kids[0]) > eqLimit) return "equality wider than its limit";
        switch (n.op) {
            case Op::True:
            case Op::False: return kids == 0 ? "" : "operands";
            case Op::Pred: return bench.decls[n.decl].predicate ? "" : "not a predicate";
            case Op::Var:
                return !bench.decls[n.decl].predicate && bench.decls[n.decl].width == n.width ? "" : "bad variable";
            case Op::Not: return kids == 1 && formulas(n, 0, 1) ? "" : "arity";
            case Op::And:
            case Op::Or:
            case Op::Xor:
            case Op::Implies: return kids == 2 && formulas(n, 0, 2) ? "" : "arity";
            case Op::Iff: return kids >= 2 && formulas(n, 0, kids) ? "" : "arity";
            case Op::IteFormula: return kids == 3 && formulas(n, 0, 3) ? "" : "arity";
            case Op::Equal:
            case Op::Ult:
            case Op::Ule:
            case Op::Ugt:
            case Op::Uge:
            case Op::Slt:
            case Op::Sle:
            case Op::Sgt:
            case Op::Sge: return kids == 2 && sameTermWidths(n) ? "" : "operand widths";
            case Op::Distinct: return kids >= 2 && sameTermWidths(n) ? "" : "operand widths";
            case Op::Let: return kids == 2 && w(n.kids[0]) && !w(n.kids[1]) && n.name[0] == '?' ? "" : "let";
            case Op::Flet: return kids == 2 && formulas(n, 0, 2) && n.name[0] == '$' ? "" : "flet";
            case Op::TermRef:
            case Op::FormulaRef: return kids == 1 && w(n.kids[0]) == n.width ? "" : "reference";
            case Op::Const:
                if (n.value > bv::mask(n.width)) return "constant value exceeds width";
                if (n.style == ConstStyle::Bit && n.width != 1) return "bit constant not 1 bit";
                if (n.style == ConstStyle::Bare && n.width != 32) return "bare numeral not 32 bits";
                return "";
            case Op::BvNot:
                if (n.width > 1 && !gates.wideNot) return "wide bvnot";
                return kids == 1 && w(n.kids[0]) == n.width ? "" : "operand width";
            case Op::Neg: return kids == 1 && w(n.kids[0]) == n.width ? "" : "operand width";
            case Op::BvAnd:
            case Op::BvOr:
            case Op::BvXor:
                if (n.width > 1 && !((n.op == Op::BvAnd && gates.wideAnd) || (n.op == Op::BvOr && gates.wideOr) ||
                                     (n.op == Op::BvXor && gates.wideXor)))
                    return "wide bit gate";
                return kids == 2 && sameTermWidths(n) && w(n.kids[0]) == n.width ? "" : "operand widths";
            case Op::Shl:
            case Op::Lshr: return kids == 2 && w(n.kids[0]) == n.width && w(n.kids[1]) ? "" : "operand widths";
            case Op::Extract:
                return kids == 1 && n.lo <= n.hi && n.hi < w(n.kids[0]) && n.width == n.hi - n.lo + 1 ? "" : "bounds";
            case Op::Concat: return kids == 2 && n.width == w(n.kids[0]) + w(n.kids[1]) && w(n.kids[0]) && w(n.kids[1]) ? "" : "widths";
            case Op::ZeroExtend:
            case Op::SignExtend: return kids == 1 && n.width == w(n.kids[0]) + n.hi ? "" : "widths";
            case Op::IteTerm:
                return kids == 3 && !w(n.kids[0]) && w(n.kids[1]) == n.width && w(n.kids[2]) == n.width ? "" : "widths";
            case Op::Comp: return kids == 2 && n.width == 1 && sameTermWidths(n) ? "" : "widths";
            default: return kids == 2 && sameTermWidths(n) && w(n.kids[0]) == n.width ? "" : "operand widths";
        }
    }

    bool bound(const std::string& name) const {
        for (const std::string& s : inScope)
            if (s == name) return true;
        return false;
    }

    // References appear only inside the body of their binding, and no name is
    // bound again while it is in scope.
    std::string scopes(int i) {
        const Node& n = bench.nodes[i];
        if (n.op == Op::TermRef || n.op == Op::FormulaRef) return bound(n.name) ? "" : "unbound " + n.name;
        if (n.op == Op::Let || n.op == Op::Flet) {
            if (bound(n.name)) return "rebinding " + n.name;
            std::string e = scopes(n.kids[0]);
            if (!e.empty()) return e;
            inScope.push_back(n.name);
            e = scopes(n.kids[1]);
            inScope.pop_back();
            return e;
        }
        for (int k : n.kids) {
            std::string e = scopes(k);
            if (!e.empty()) return e;
        }
        return "";
    }
};

Assignment randomAssignment(const Benchmark& b, Prng& rng) {
    Assignment a(b.decls.size());
    for (size_t d = 0; d < b.decls.size(); d++) a[d] = rng.next() & bv::mask(b.decls[d].width);
    return a;
}

// Whether some quotient of the benchmark divides by zero under some of a few
// random assignments (the division-by-zero results must be exercised).
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

bool balancedParentheses(const std::string& text) {
    int depth = 0;
    bool inString = false, inValue = false, inComment = false;
    for (size_t i = 0; i < text.size(); i++) {
        char c = text[i];
        if (inComment) inComment = c != '\n';
        else if (inString) inString = c != '"';
        else if (inValue) {
            if (c == '\\' && i + 1 < text.size() && text[i + 1] == '}') i++;
            else inValue = c != '}';
        } else if (c == ';') inComment = true;
        else if (c == '"') inString = true;
        else if (c == '{') inValue = true;
        else if (c == '(') depth++;
        else if (c == ')' && --depth < 0) return false;
    }
    return depth == 0;
}

GenSettings settings(Shape shape, bool wide, bool decorate) {
    GenSettings s;
    s.shape = shape;
    s.gates = wide ? GateLimits{} : GateLimits{false, false, false, false};
    s.eqWidth = wide ? 64 : 8;
    s.decorate = decorate;
    return s;
}

TEST(Generator, SameSeedGivesTheSameBenchmark) {
    for (Shape shape : {Shape::Small, Shape::Planted, Shape::Law}) {
        for (uint64_t seed = 0; seed < 20; seed++) {
            GenSettings s = settings(shape, seed % 2, seed % 3 == 0);
            EXPECT_EQ(generate(seed, s).bench.text(), generate(seed, s).bench.text());
        }
    }
}

TEST(Generator, DifferentSeedsGiveDifferentBenchmarks) {
    std::set<std::string> texts;
    for (uint64_t seed = 0; seed < 50; seed++) texts.insert(generate(seed, settings(Shape::Planted, true, false)).bench.text());
    EXPECT_GT(texts.size(), 45u);
}

TEST(Generator, TreesAreWellFormed) {
    int zeroDivisions = 0;
    for (Shape shape : {Shape::Small, Shape::Planted, Shape::Law}) {
        for (uint64_t seed = 0; seed < 150; seed++) {
            GenSettings s = settings(shape, seed % 2, seed % 4 == 1);
            Generated g = generate(seed, s);
            std::string e = Checker(g.bench, s.gates, shape == Shape::Law ? 64 : s.eqWidth).check();
            ASSERT_EQ(e, "") << "seed " << seed << "\n" << g.bench.text();
            zeroDivisions += dividesByZero(g.bench, seed);
            ASSERT_TRUE(balancedParentheses(g.bench.text())) << g.bench.text();
            ASSERT_FALSE(g.bench.assertions.empty());
        }
    }
    EXPECT_GT(zeroDivisions, 10);
}

TEST(Generator, SmallInstancesAreEnumerableAndBalanced) {
    int sat = 0, total = 120;
    for (uint64_t seed = 0; seed < static_cast<uint64_t>(total); seed++) {
        Generated g = generate(seed, settings(Shape::Small, seed % 2, false));
        ASSERT_LE(g.bench.usedBits(), 16u);
        bool satisfiable = countModels(g.bench, 1) != 0;
        ASSERT_EQ(satisfiable, g.bench.expect == Expect::Sat) << "seed " << seed;
        sat += satisfiable;
    }
    EXPECT_GT(sat, total * 3 / 10);
    EXPECT_LT(sat, total * 7 / 10);
}

TEST(Generator, PlantedValuesSatisfyEveryAssertion) {
    for (uint64_t seed = 0; seed < 150; seed++) {
        Generated g = generate(seed, settings(Shape::Planted, seed % 2, seed % 3 == 0));
        Evaluator ev(g.bench);
        ASSERT_TRUE(ev.satisfies(g.planted)) << "seed " << seed << "\n" << g.bench.text();
        ASSERT_EQ(g.bench.expect, Expect::Sat);
    }
}

// Every law instance is unsatisfiable: exhaustively where the declarations
// are narrow, else on many random assignments.
TEST(Generator, EveryLawIsValid) {
    for (int law = 0; law < lawCount(); law++) {
        for (uint64_t seed = 0; seed < 12; seed++) {
            GenSettings s = settings(Shape::Law, seed % 2, false);
            s.maxWidth = seed < 6 ? 4 : 64;
            Generated g = generateLaw(seed * 1000 + static_cast<uint64_t>(law), s, law);
            ASSERT_EQ(Checker(g.bench, s.gates).check(), "") << "law " << law;
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

}  // namespace
}  // namespace torva_random
