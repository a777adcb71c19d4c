// The gates and the word blaster against exhaustive oracles: every gate over
// every sign and constant pattern of its operands, and every term kind at
// small widths over every operand value (variables, constants, one variable
// in every place), checked against the evaluator. With the inputs fixed, unit
// propagation over the emitted clauses must assign every variable without a
// conflict, so the clauses define the outputs exactly. Also: the size of
// constant products, determinism of the clause stream, deep terms.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "cnf/gates.h"
#include "cnf/word_blaster.h"
#include "terms/evaluator.h"
#include "terms/term_store.h"

namespace {

using torva::cnf::Gates;
using torva::cnf::WordBlaster;
using torva::terms::Kind;
using torva::terms::Sort;
using torva::terms::TermId;
using torva::terms::TermStore;

struct Collector : torva::cnf::ClauseSink {
    int newVar() override { return ++numVars; }
    void addClause(const int* lits, size_t size) override { clauses.emplace_back(lits, lits + size); }
    int numVars = 0;
    std::vector<std::vector<int>> clauses;
};

// value[v]: -1 unassigned, 0 false, 1 true. Unit propagation to the end;
// fails on a conflict or when a variable stays unassigned.
testing::AssertionResult propagatesToAFullAssignment(const std::vector<std::vector<int>>& clauses,
                                                     std::vector<int>& value) {
    for (bool changed = true; changed;) {
        changed = false;
        for (const auto& clause : clauses) {
            int open = 0, last = 0;
            bool satisfied = false;
            for (int l : clause) {
                const int v = value[std::abs(l)];
                satisfied |= v >= 0 && (v == 1) == (l > 0);
                if (v < 0) open++, last = l;
            }
            if (satisfied) continue;
            if (open == 0) return testing::AssertionFailure() << "conflict";
            if (open == 1) value[std::abs(last)] = last > 0, changed = true;
        }
    }
    for (size_t v = 1; v < value.size(); ++v)
        if (value[v] < 0) return testing::AssertionFailure() << "x" << v << " undetermined";
    return testing::AssertionSuccess();
}

bool holds(const std::vector<int>& value, int lit) { return value[std::abs(lit)] == (lit > 0); }

TEST(Gates, EveryGateOverEverySignAndConstantPattern) {
    Collector cnf;
    Gates g(cnf);
    const int t = g.trueLit(), a = g.newVar(), b = g.newVar(), c = g.newVar();
    const std::vector<int> operands{a, -a, b, -b, c, -c, t, -t};
    struct GateCase {
        const char* name;
        std::function<int(int, int, int)> make;
        bool (*meaning)(bool, bool, bool);
    };
    const GateCase cases[] = {
        {"and", [&](int x, int y, int) { return g.mkAnd(x, y); }, [](bool x, bool y, bool) { return x && y; }},
        {"or", [&](int x, int y, int) { return g.mkOr(x, y); }, [](bool x, bool y, bool) { return x || y; }},
        {"xor", [&](int x, int y, int) { return g.mkXor(x, y); }, [](bool x, bool y, bool) { return x != y; }},
        {"ite", [&](int x, int y, int z) { return g.mkIte(x, y, z); },
         [](bool x, bool y, bool z) { return x ? y : z; }},
        {"xor3", [&](int x, int y, int z) { return g.mkXor3(x, y, z); },
         [](bool x, bool y, bool z) { return (x != y) != z; }},
        {"maj", [&](int x, int y, int z) { return g.mkMaj(x, y, z); },
         [](bool x, bool y, bool z) { return x + y + z >= 2; }},
        {"andN", [&](int x, int y, int z) { return g.mkAndN({x, y, z}); },
         [](bool x, bool y, bool z) { return x && y && z; }},
        {"orN", [&](int x, int y, int z) { return g.mkOrN({x, z, y, x}); },
         [](bool x, bool y, bool z) { return x || y || z; }},
    };
    struct Made {
        const GateCase* gate;
        int x, y, z, out;
    };
    std::vector<Made> made;
    for (const GateCase& gc : cases)
        for (int x : operands)
            for (int y : operands)
                for (int z : operands) made.push_back({&gc, x, y, z, gc.make(x, y, z)});
    // One gate per function up to the output's sign: and/or 3 pairs x 4
    // signs, xor 3 pairs, ite 6 role orders x 2 else-signs, xor3 1, maj 4
    // sign classes, andN/orN 8 sign patterns. Asking again finds each.
    const auto gatesMade = g.stats().gates;
    EXPECT_EQ(gatesMade, 12u + 3u + 12u + 1u + 4u + 8u);
    for (const Made& m : made) ASSERT_EQ(m.gate->make(m.x, m.y, m.z), m.out) << m.gate->name;
    EXPECT_EQ(g.stats().gates, gatesMade);
    EXPECT_EQ(g.stats().variables, static_cast<uint64_t>(cnf.numVars));
    EXPECT_EQ(g.stats().clauses, cnf.clauses.size());

    for (int bits = 0; bits < 8; ++bits) {
        std::vector<int> value(cnf.numVars + 1, -1);
        value[a] = bits & 1, value[b] = (bits >> 1) & 1, value[c] = (bits >> 2) & 1;
        ASSERT_TRUE(propagatesToAFullAssignment(cnf.clauses, value));
        for (const Made& m : made)
            ASSERT_EQ(holds(value, m.out), m.gate->meaning(holds(value, m.x), holds(value, m.y), holds(value, m.z)))
                << m.gate->name << "(" << m.x << ", " << m.y << ", " << m.z << ") at a,b,c = " << bits;
    }
}

// Blasts term once, then checks every value of its variables.
testing::AssertionResult matchesEvaluator(TermStore& store, TermId term, const std::vector<TermId>& variables) {
    Collector cnf;
    Gates g(cnf);
    WordBlaster blaster(store, g);
    const WordBlaster::Bits out = blaster.bits(term);
    uint32_t inputBits = 0;
    for (TermId v : variables) inputBits += blaster.bits(v).size();
    torva::terms::Evaluator evaluator(store);
    for (uint64_t assignment = 0; assignment < (uint64_t{1} << inputBits); ++assignment) {
        std::vector<int> value(cnf.numVars + 1, -1);
        uint64_t rest = assignment;
        for (TermId v : variables) {
            const WordBlaster::Bits& in = blaster.bits(v);
            evaluator.assign(v, mpz_class(static_cast<unsigned long>(rest & ((uint64_t{1} << in.size()) - 1))));
            for (int bit : in) value[bit] = rest & 1, rest >>= 1;
        }
        testing::AssertionResult full = propagatesToAFullAssignment(cnf.clauses, value);
        if (!full) return full << " at " << assignment;
        const mpz_class& expected = evaluator.value(term);
        for (size_t i = 0; i < out.size(); ++i)
            if (holds(value, out[i]) != (mpz_tstbit(expected.get_mpz_t(), i) != 0))
                return testing::AssertionFailure() << "bit " << i << " wrong at " << assignment;
    }
    return testing::AssertionSuccess();
}

// A term kind and the sorts of its operands: 'b' Boolean, 'w' a word of the
// tested width; indices as a function of that width.
struct KindCase {
    Kind kind;
    std::string shape;
    uint32_t maxWidth = 4;
    std::vector<uint32_t> (*indices)(uint32_t) = nullptr;
};

TEST(WordBlaster, EveryKindAgreesWithTheEvaluatorOnEveryValue) {
    auto extractTop = [](uint32_t w) { return std::vector<uint32_t>{w - 1, w / 2}; };
    auto extractLow = [](uint32_t w) { return std::vector<uint32_t>{w / 2, 0}; };
    auto none = [](uint32_t) { return std::vector<uint32_t>{0}; };
    auto two = [](uint32_t) { return std::vector<uint32_t>{2}; };
    auto one = [](uint32_t) { return std::vector<uint32_t>{1}; };
    auto beyond = [](uint32_t w) { return std::vector<uint32_t>{w + 2}; };
    const std::vector<KindCase> cases{
        {Kind::Not, "b"}, {Kind::And, "bb"}, {Kind::And, "bbb"}, {Kind::Or, "bb"}, {Kind::Or, "bbb"},
        {Kind::Xor, "bb"}, {Kind::Xor, "bbb"}, {Kind::Implies, "bb"}, {Kind::Implies, "bbb"},
        {Kind::Equal, "bb"}, {Kind::Equal, "bbb"}, {Kind::Equal, "ww"}, {Kind::Equal, "www", 3},
        {Kind::Distinct, "bb"}, {Kind::Distinct, "bbb"}, {Kind::Distinct, "ww"}, {Kind::Distinct, "www", 3},
        {Kind::Ite, "bbb"}, {Kind::Ite, "bww"},
        {Kind::Concat, "ww"}, {Kind::Concat, "www", 3}, {Kind::Extract, "w", 4, extractTop},
        {Kind::Extract, "w", 4, extractLow}, {Kind::Repeat, "w", 4, two}, {Kind::ZeroExtend, "w", 4, none},
        {Kind::ZeroExtend, "w", 4, two}, {Kind::SignExtend, "w", 4, two}, {Kind::RotateLeft, "w", 4, one},
        {Kind::RotateLeft, "w", 4, beyond}, {Kind::RotateRight, "w", 4, one}, {Kind::RotateRight, "w", 4, beyond},
        {Kind::BvNot, "w"}, {Kind::BvAnd, "ww"}, {Kind::BvAnd, "www", 3}, {Kind::BvOr, "ww"},
        {Kind::BvOr, "www", 3}, {Kind::BvXor, "ww"}, {Kind::BvXor, "www", 3}, {Kind::BvNand, "ww"},
        {Kind::BvNor, "ww"}, {Kind::BvXnor, "ww"}, {Kind::BvComp, "ww"}, {Kind::BvNeg, "w"},
        {Kind::BvAdd, "ww", 5}, {Kind::BvAdd, "www", 3}, {Kind::BvSub, "ww", 5}, {Kind::BvSub, "www", 3},
        {Kind::BvMul, "ww", 6}, {Kind::BvMul, "www", 3}, {Kind::BvUdiv, "ww", 6}, {Kind::BvUrem, "ww", 6},
        {Kind::BvSdiv, "ww", 6}, {Kind::BvSrem, "ww", 6}, {Kind::BvSmod, "ww", 6}, {Kind::BvShl, "ww", 6},
        {Kind::BvLshr, "ww", 6}, {Kind::BvAshr, "ww", 6}, {Kind::BvUlt, "ww"}, {Kind::BvUle, "ww"},
        {Kind::BvUgt, "ww"}, {Kind::BvUge, "ww"}, {Kind::BvSlt, "ww"}, {Kind::BvSle, "ww"},
        {Kind::BvSgt, "ww"}, {Kind::BvSge, "ww"},
    };
    // An operand is a constant value, a fresh variable, or operand 0 again.
    constexpr long kFresh = -1, kFirst = -2;
    for (const KindCase& kc : cases) {
        const bool hasWords = kc.shape.find('w') != std::string::npos;
        const size_t arity = kc.shape.size();
        for (uint32_t w = 1; w <= (hasWords ? kc.maxWidth : 1); ++w) {
            auto bitsAt = [&](size_t p) { return kc.shape[p] == 'b' ? 1u : w; };
            auto check = [&](const std::vector<long>& operands, const std::string& pattern) {
                TermStore store;
                std::vector<TermId> args, variables;
                for (size_t p = 0; p < arity; ++p) {
                    const Sort sort = kc.shape[p] == 'b' ? torva::terms::kBool : Sort{w};
                    if (operands[p] >= 0) {
                        args.push_back(store.mkConst(sort, static_cast<unsigned long>(operands[p])));
                    } else {
                        args.push_back(operands[p] == kFirst ? args[0] : store.mkVar(sort, "v"));
                        if (operands[p] == kFresh) variables.push_back(args.back());
                    }
                }
                const TermId term = store.mk(kc.kind, args, kc.indices ? kc.indices(w) : std::vector<uint32_t>{});
                EXPECT_TRUE(matchesEvaluator(store, term, variables))
                    << torva::terms::kindName(kc.kind) << " " << kc.shape << " width " << w << ", " << pattern;
            };
            check(std::vector<long>(arity, kFresh), "distinct variables");
            if (kc.shape.find_first_not_of(kc.shape[0]) == std::string::npos) {
                std::vector<long> same(arity, kFirst);
                same[0] = kFresh;
                check(same, "one variable everywhere");
            }
            uint32_t allBits = 0;
            for (size_t p = 0; p < arity; ++p) {
                allBits += bitsAt(p);
                for (long k = 0; k < (1l << bitsAt(p)); ++k) {
                    std::vector<long> operands(arity, kFresh);
                    operands[p] = k;
                    check(operands, "operand " + std::to_string(p) + " = " + std::to_string(k));
                }
            }
            for (long k = 0; k < (1l << allBits); ++k) {
                std::vector<long> operands;
                for (size_t p = 0, rest = k; p < arity; rest >>= bitsAt(p), ++p)
                    operands.push_back(static_cast<long>(rest & ((1ul << bitsAt(p)) - 1)));
                check(operands, "constants " + std::to_string(k));
            }
        }
    }
}

TEST(WordBlaster, ConstantOperandsFoldAway) {
    TermStore store;
    const TermId x = store.mkVar(64, "x"), y = store.mkVar(64, "y");
    Collector cnf;
    Gates g(cnf);
    WordBlaster blaster(store, g);
    for (int bit : blaster.bits(store.mk(Kind::BvAnd, {x, store.mkConst(64, 0)}))) EXPECT_TRUE(g.isFalse(bit));
    EXPECT_EQ(g.stats().gates, 0u);
    EXPECT_EQ(cnf.numVars, 64 + 1);

    const int before = cnf.numVars;
    blaster.bits(store.mk(Kind::BvMul, {x, store.mkConst(64, 33)}));
    const int constantProduct = cnf.numVars - before;
    blaster.bits(store.mk(Kind::BvMul, {x, y}));
    const int fullProduct = cnf.numVars - before - constantProduct - 64;
    EXPECT_LT(constantProduct, 1000);
    EXPECT_GT(fullProduct, 20 * constantProduct);
}

// Two blasters on two identically built graphs emit the same clauses.
TEST(WordBlaster, TheClauseStreamIsDeterministic) {
    auto blast = [] {
        TermStore store;
        const TermId x = store.mkVar(12, "x"), y = store.mkVar(12, "y");
        const TermId q = store.mk(Kind::BvSdiv, {store.mk(Kind::BvMul, {x, y}), store.mk(Kind::BvShl, {y, x})});
        const TermId root = store.mk(Kind::BvUlt, {store.mk(Kind::BvSmod, {q, x}), store.mk(Kind::BvAdd, {x, y})});
        Collector cnf;
        Gates g(cnf);
        WordBlaster(store, g).bits(root);
        return cnf.clauses;
    };
    EXPECT_EQ(blast(), blast());
}

TEST(WordBlaster, DeepTermsAndTheVariablesLowered) {
    TermStore store;
    const TermId x = store.mkVar(torva::terms::kBool, "x"), y = store.mkVar(torva::terms::kBool, "y");
    TermId t = x;
    for (int i = 0; i < 1000000; ++i) t = store.mk(Kind::Not, {t});
    Collector cnf;
    Gates g(cnf);
    WordBlaster blaster(store, g);
    const int ofY = blaster.bits(store.mk(Kind::And, {y, y}))[0];
    EXPECT_EQ(blaster.bits(t), WordBlaster::Bits{blaster.bits(x)[0]});
    EXPECT_EQ(ofY, blaster.bits(y)[0]);
    EXPECT_EQ(blaster.variables(), (std::vector<TermId>{x, y}));
}

}  // namespace
