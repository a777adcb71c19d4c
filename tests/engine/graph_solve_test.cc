// solveGraph as its callers see it: answers found while building, planted
// random formulas whose models must satisfy them, fresh counters for every
// check, the hooks around the search, silence on standard output, a graph a
// million applications deep, the CNF variable limit, and reading words from
// a model.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "cnf/verification_model_cnf.h"
#include "config.h"
#include "engine/graph_solve.h"
#include "engine/lowering.h"
#include "generator/module_factory.h"
#include "support/config_guard.h"
#include "terms/evaluator.h"

namespace {

using torva::GraphSolveOptions;
using torva::solveGraph;
using torva::terms::Answer;
using torva::terms::CheckOutcome;
using torva::terms::Evaluator;
using torva::terms::kBool;
using torva::terms::Kind;
using torva::terms::Sort;
using torva::terms::TermId;
using torva::terms::TermStore;

bool satisfies(const TermStore& store, const std::vector<TermId>& assertions, const CheckOutcome& outcome) {
    Evaluator evaluator(store);
    for (const auto& [variable, value] : outcome.model.values) evaluator.assign(variable, value);
    for (TermId a : assertions)
        if (evaluator.value(a) != 1) return false;
    return true;
}

TEST(GraphSolve, UnsatisfiableWhileBuildingAnswersWithoutEndingTheRun) {
    ConfigGuard guard;
    ASSERT_TRUE(exitOnUnsatWhileBuilding);
    TermStore s;
    TermId x = s.mkVar(4, "x");
    TermId c5 = s.mkConst(4, 5), c6 = s.mkConst(4, 6);
    const std::vector<std::vector<TermId>> problems = {
        {s.mkBool(false)},
        {s.mk(Kind::Equal, {c5, c6})},
        {s.mk(Kind::Equal, {x, c5}), s.mk(Kind::Equal, {x, c6})},
        {s.mk(Kind::BvUlt, {x, s.mkConst(4, 0)})},
        {s.mk(Kind::Not, {s.mk(Kind::Equal, {s.mk(Kind::BvAdd, {c5, c6}), s.mkConst(4, 11)})})},
    };
    for (const std::vector<TermId>& assertions : problems) {
        bool searched = false;
        GraphSolveOptions options;
        options.afterSolve = [&](Solver&, bool) { searched = true; };
        EXPECT_EQ(solveGraph(s, assertions, options).answer, Answer::Unsat);
        EXPECT_FALSE(searched);
        EXPECT_TRUE(exitOnUnsatWhileBuilding);
    }
}

TEST(GraphSolve, HooksSurroundTheSearchAndStandardOutputStaysEmpty) {
    TermStore s;
    TermId x = s.mkVar(3, "x"), y = s.mkVar(3, "y");
    TermId product = s.mk(Kind::BvMul, {x, y});
    const std::vector<std::vector<TermId>> sat = {{}, {s.mk(Kind::Equal, {product, s.mkConst(3, 6)})}};
    // x*x = 2 (mod 8) has no solution, but only a search finds that out.
    const std::vector<TermId> unsat = {s.mk(Kind::Equal, {s.mk(Kind::BvMul, {x, x}), s.mkConst(3, 2)})};
    for (int verbosity : {0, 1}) {
        for (const auto& [assertions, expected] :
             {std::make_pair(sat[0], true), std::make_pair(sat[1], true), std::make_pair(unsat, false)}) {
            std::vector<std::string> events;
            GraphSolveOptions options;
            options.verbosity = verbosity;
            options.beforeSolve = [&] { events.push_back("before"); };
            options.afterSolve = [&](Solver& S, bool satisfiable) {
                events.push_back(satisfiable ? "sat" : "unsat");
                EXPECT_EQ(S.verbosity, verbosity);
            };
            testing::internal::CaptureStdout();
            testing::internal::CaptureStderr();
            CheckOutcome outcome = solveGraph(s, assertions, options);
            std::string out = testing::internal::GetCapturedStdout();
            std::string err = testing::internal::GetCapturedStderr();
            EXPECT_EQ(out, "");
            EXPECT_EQ(err.empty(), verbosity == 0);
            EXPECT_EQ(outcome.answer, expected ? Answer::Sat : Answer::Unsat);
            EXPECT_EQ(events, (std::vector<std::string>{"before", expected ? "sat" : "unsat"}));
            if (expected) {
                EXPECT_TRUE(satisfies(s, assertions, outcome));
            }
        }
    }
}

// With the adder heuristic's counter left high by an earlier run every
// addition would become a module; each check starts it again from 0.
TEST(GraphSolve, EveryCheckStartsTheEncoderCountersAfresh) {
    ConfigGuard guard;
    TermStore s;
    TermId x = s.mkVar(8, "x");
    const std::vector<TermId> assertions = {s.mk(Kind::Equal, {s.mk(Kind::BvAdd, {x, x}), s.mkConst(8, 6)})};
    std::vector<int> modules;
    for (unsigned int leftOver : {0u, 100000u}) {
        addCounter = leftOver;
        mulCounter = leftOver;
        GraphSolveOptions options;
        options.afterSolve = [&](Solver& S, bool) { modules.push_back(S.nModules); };
        EXPECT_EQ(solveGraph(s, assertions, options).answer, Answer::Sat);
    }
    ASSERT_EQ(modules.size(), 2u);
    EXPECT_EQ(modules[0], modules[1]);
}

// Random terms built bottom-up over a few variables with planted values;
// each assertion is a Boolean term or its negation, whichever the planted
// values make true, so every problem is satisfiable.
TEST(GraphSolve, ModelsOfPlantedRandomFormulasSatisfyThem) {
    const Kind binary[] = {Kind::BvAnd,  Kind::BvOr,   Kind::BvXor,  Kind::BvAdd,  Kind::BvSub,  Kind::BvMul,
                           Kind::BvUdiv, Kind::BvUrem, Kind::BvSdiv, Kind::BvSrem, Kind::BvSmod, Kind::BvShl,
                           Kind::BvLshr, Kind::BvAshr, Kind::BvNand, Kind::BvXnor};
    const Kind compare[] = {Kind::Equal, Kind::Distinct, Kind::BvUlt, Kind::BvSle, Kind::BvUge, Kind::BvSgt};
    std::mt19937 rng(7);
    for (int round = 0; round < 30; ++round) {
        TermStore s;
        Evaluator planted(s);
        const Sort w = 1 + rng() % 6;
        std::vector<TermId> words, bools;
        for (int i = 0; i < 3; ++i) {
            TermId v = s.mkVar(w, "v" + std::to_string(i));
            planted.assign(v, mpz_class(static_cast<unsigned long>(rng() % (1u << w))));
            words.push_back(v);
        }
        TermId p = s.mkVar(kBool, "p");
        planted.assign(p, rng() % 2);
        bools.push_back(p);
        words.push_back(s.mkConst(w, static_cast<unsigned long>(rng() % (1u << w))));
        auto pick = [&](const std::vector<TermId>& pool) { return pool[rng() % pool.size()]; };
        for (int step = 0; step < 12; ++step) {
            switch (rng() % 4) {
                case 0: words.push_back(s.mk(binary[rng() % 16], {pick(words), pick(words)})); break;
                case 1: words.push_back(s.mk(Kind::Ite, {pick(bools), pick(words), pick(words)})); break;
                case 2: bools.push_back(s.mk(compare[rng() % 6], {pick(words), pick(words)})); break;
                default: {
                    TermId wide = s.mk(Kind::Concat, {pick(words), pick(words)});
                    uint32_t lo = rng() % (w + 1);
                    words.push_back(s.mk(Kind::Extract, {wide}, {lo + w - 1, lo}));
                }
            }
        }
        std::vector<TermId> assertions;
        for (size_t i = 1; i < bools.size(); ++i)
            assertions.push_back(planted.value(bools[i]) == 1 ? bools[i] : s.mk(Kind::Not, {bools[i]}));
        CheckOutcome outcome = solveGraph(s, assertions, GraphSolveOptions());
        ASSERT_EQ(outcome.answer, Answer::Sat) << "round " << round;
        EXPECT_TRUE(satisfies(s, assertions, outcome)) << "round " << round;
        for (size_t i = 1; i < outcome.model.values.size(); ++i)
            EXPECT_LT(outcome.model.values[i - 1].first, outcome.model.values[i].first);
    }
}

// Three rotations by one place and one complement per four levels: after a
// million levels the word is its own start again.
TEST(GraphSolve, MillionDeepChainLowersAndSolves) {
    TermStore s;
    TermId x = s.mkVar(3, "x");
    TermId word = x;
    for (int level = 0; level < 1000000; ++level)
        word = level % 4 == 3 ? s.mk(Kind::BvNot, {word}) : s.mk(Kind::RotateRight, {word}, {1});
    const std::vector<TermId> assertions = {s.mk(Kind::Equal, {word, s.mkConst(3, 5)})};
    CheckOutcome outcome = solveGraph(s, assertions, GraphSolveOptions());
    ASSERT_EQ(outcome.answer, Answer::Sat);
    ASSERT_EQ(outcome.model.values.size(), 1u);
    EXPECT_EQ(outcome.model.values[0].second, 5);
}

// Running out of CNF variables is an exception the check turns into
// "unknown", both for the lowering's own words and for the encoder's
// auxiliary variables.
TEST(GraphSolve, TheVariableLimitIsAnExceptionNotAnAbort) {
    ConfigGuard guard;
    toClses = ToClauses();
    TermStore s;
    TermId x = s.mkVar(8, "x");
    TermId sum = s.mk(Kind::BvAdd, {x, x});
    TermId same = s.mk(Kind::Equal, {x, x});
    const unsigned int limit = (1u << 30) - 1;
    for (TermId t : {sum, same}) {
        Solver S(prioParams[0]);
        std::unique_ptr<GeneratorTORVA> generator = torva::makeGraphGenerator(S);
        generator->lastCnfVar = limit - 9;
        torva::Lowering lowering(s, *generator);
        EXPECT_EQ(lowering.bits(x).size(), 8u);
        EXPECT_THROW(lowering.bits(t), torva::LoweringLimit);
        EXPECT_LE(generator->lastCnfVar, limit);
        for (Module* m : S.modules) delete m;
    }
    Solver S(prioParams[0]);
    std::unique_ptr<GeneratorTORVA> generator = torva::makeGraphGenerator(S);
    EXPECT_THROW(torva::freshBits(*generator, limit + 1), torva::LoweringLimit);
    EXPECT_EQ(generator->lastCnfVar, 0u);

    // Two words of the widest width need more variables than there are: the
    // check says so before it allocates any of them. Structural nodes share
    // their operands' bits and do not count.
    TermId a = s.mkVar(torva::terms::kMaxWidth, "a"), b = s.mkVar(torva::terms::kMaxWidth, "b");
    TermId wide = s.mk(Kind::Equal, {a, b});
    EXPECT_EQ(torva::leastBitsNeeded(s, {wide}), 2ull * torva::terms::kMaxWidth + 1);
    TermId slice = s.mk(Kind::Extract, {a}, {3, 0});
    EXPECT_EQ(torva::leastBitsNeeded(s, {s.mk(Kind::Equal, {slice, slice})}), torva::terms::kMaxWidth + 1ull);
    torva::terms::CheckOutcome outcome = torva::solveGraph(s, {wide}, torva::GraphSolveOptions());
    EXPECT_EQ(outcome.answer, torva::terms::Answer::Unknown);
    EXPECT_NE(outcome.reason.find("CNF variables"), std::string::npos);
}

TEST(GraphSolve, ReadBitsTakesUnsetAndUncoveredBitsAsZero) {
    Solver S(prioParams[0]);
    for (int i = 0; i < 4; ++i) S.newVar();
    S.model.growTo(4, l_Undef);
    S.model[1] = l_True;
    S.model[2] = l_False;
    S.model[3] = l_True;
    EXPECT_EQ(torva::readBits(S, {1, 2, 3}), 5);
    EXPECT_EQ(torva::readBits(S, {0, 3, 9}), 2);
    EXPECT_EQ(torva::readBits(S, {}), 0);
}

}  // namespace
