// solveGraph as its callers see it: answers found while building or by the
// search, with the hooks around the search and silence on standard output;
// fresh encoder counters for every check; a graph a million applications
// deep; and the CNF variable limit.
#include <gtest/gtest.h>

#include <memory>
#include <iterator>
#include <set>
#include <string>
#include <vector>

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
using torva::terms::Kind;
using torva::terms::TermId;
using torva::terms::TermStore;

bool satisfies(const TermStore& store, const std::vector<TermId>& assertions, const CheckOutcome& outcome) {
    Evaluator evaluator(store);
    for (const auto& [variable, value] : outcome.model.values) evaluator.assign(variable, value);
    for (TermId a : assertions)
        if (evaluator.value(a) != 1) return false;
    return true;
}

// Problems decided while building never reach the hooks nor end the run;
// the others are searched between beforeSolve and afterSolve, with the
// solver's progress table on standard error only when verbose. With the
// adder heuristic's counter left high by an earlier run every addition
// would become a module; each check starts it again from 0.
TEST(GraphSolve, AnswersWithHooksAroundTheSearchAndNothingOnStandardOutput) {
    ConfigGuard guard;
    ASSERT_TRUE(exitOnUnsatWhileBuilding);
    TermStore s;
    TermId x = s.mkVar(4, "x"), y = s.mkVar(4, "y"), z = s.mkVar(8, "z");
    TermId c5 = s.mkConst(4, 5), c6 = s.mkConst(4, 6);
    struct Problem {
        std::vector<TermId> assertions;
        Answer answer;
        bool searched;
    };
    const Problem problems[] = {
        {{s.mkBool(false)}, Answer::Unsat, false},
        {{s.mk(Kind::Equal, {c5, c6})}, Answer::Unsat, false},
        {{s.mk(Kind::Equal, {x, c5}), s.mk(Kind::Equal, {x, c6})}, Answer::Unsat, false},
        {{s.mk(Kind::BvUlt, {x, s.mkConst(4, 0)})}, Answer::Unsat, false},
        {{s.mk(Kind::Not, {s.mk(Kind::Equal, {s.mk(Kind::BvAdd, {c5, c6}), s.mkConst(4, 11)})})}, Answer::Unsat, false},
        {{}, Answer::Sat, true},
        {{s.mk(Kind::Equal, {s.mk(Kind::BvMul, {x, y}), s.mkConst(4, 6)})}, Answer::Sat, true},
        {{s.mk(Kind::Equal, {s.mk(Kind::BvAdd, {z, z}), s.mkConst(8, 6)})}, Answer::Sat, true},
        // x*x = 2 (mod 16) has no solution, but only a search finds that out.
        {{s.mk(Kind::Equal, {s.mk(Kind::BvMul, {x, x}), s.mkConst(4, 2)})}, Answer::Unsat, true},
    };
    std::vector<std::set<int>> modules(std::size(problems));
    // (verbosity, adder and multiplier counters left over from an earlier run)
    typedef std::pair<int, unsigned int> Run;
    for (const Run& run : {Run(0, 0), Run(1, 0), Run(0, 100000)}) {
        const int verbosity = run.first;
        for (size_t i = 0; i < std::size(problems); ++i) {
            const Problem& p = problems[i];
            addCounter = mulCounter = run.second;
            std::vector<std::string> events;
            GraphSolveOptions options;
            options.verbosity = verbosity;
            options.beforeSolve = [&] { events.push_back("before"); };
            options.afterSolve = [&](Solver& S, bool satisfiable) {
                events.push_back(satisfiable ? "sat" : "unsat");
                EXPECT_EQ(S.verbosity, verbosity);
                modules[i].insert(S.nModules);
            };
            testing::internal::CaptureStdout();
            testing::internal::CaptureStderr();
            CheckOutcome outcome = solveGraph(s, p.assertions, options);
            EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
            EXPECT_EQ(testing::internal::GetCapturedStderr().empty(), verbosity == 0 || !p.searched);
            EXPECT_EQ(outcome.answer, p.answer);
            std::vector<std::string> searched = {"before", p.answer == Answer::Sat ? "sat" : "unsat"};
            EXPECT_EQ(events, p.searched ? searched : std::vector<std::string>());
            EXPECT_TRUE(exitOnUnsatWhileBuilding);
            EXPECT_TRUE(p.answer == Answer::Unsat || satisfies(s, p.assertions, outcome));
        }
    }
    for (const std::set<int>& built : modules) EXPECT_LE(built.size(), 1u) << "modules differ between runs";
}

// Three rotations by one place and one complement per four levels: after a
// million levels the word is its own start again.
TEST(GraphSolve, MillionDeepChainLowersAndSolves) {
    TermStore s;
    TermId x = s.mkVar(3, "x");
    TermId word = x;
    for (int level = 0; level < 1000000; ++level)
        word = level % 4 == 3 ? s.mk(Kind::BvNot, {word}) : s.mk(Kind::RotateRight, {word}, {1});
    CheckOutcome outcome = solveGraph(s, {s.mk(Kind::Equal, {word, s.mkConst(3, 5)})}, GraphSolveOptions());
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
    const unsigned int limit = (1u << 30) - 1;
    for (TermId t : {s.mk(Kind::BvAdd, {x, x}), s.mk(Kind::Equal, {x, x})}) {
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
    CheckOutcome outcome = solveGraph(s, {wide}, GraphSolveOptions());
    EXPECT_EQ(outcome.answer, Answer::Unknown);
    EXPECT_NE(outcome.reason.find("CNF variables"), std::string::npos);
}

}  // namespace
