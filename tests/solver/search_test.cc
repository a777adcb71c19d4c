// Search checked by oracles: random 3-SAT around the threshold (models
// checked clause by clause, small unsatisfiable answers confirmed by brute
// force), pigeonhole instances, learnt-clause properties, puzzles solved with
// the exactly-one module, and the single search call of the configuration.
#include <gtest/gtest.h>

#include "config.h"
#include "support/cnf_helpers.h"
#include "support/exactly_one.h"
#include "support/queens.h"

TEST(Search, Random3SatAnswersAreConfirmed) {
    std::mt19937 rng(2024);
    int sat = 0, unsat = 0;
    for (int round = 0; round < 300; round++) {
        int vars = 8 + static_cast<int>(rng() % 13);
        int clauses = static_cast<int>(vars * (3.6 + (rng() % 20) / 20.0));
        Cnf cnf = randomCnf(vars, clauses, 3, rng);
        Solver s(prioParams[0]);
        bool searched = loadCnf(s, cnf, vars) && s.simplify();
        bool answer = searched && s.solve(vec<Lit>());
        if (answer) {
            sat++;
            ASSERT_TRUE(modelSatisfies(s, cnf)) << "round " << round;
        } else {
            unsat++;
            ASSERT_FALSE(bruteForceSat(cnf, vars)) << "round " << round;
        }
        if (searched) {
            ASSERT_EQ(s.starts, 1u);
        }
    }
    EXPECT_GT(sat, 30);
    EXPECT_GT(unsat, 30);
}

TEST(Search, LargerRandomInstancesGiveVerifiedModels) {
    std::mt19937 rng(99);
    for (int round = 0; round < 10; round++) {
        Cnf cnf = randomCnf(150, 600, 3, rng);
        Solver s(prioParams[0]);
        loadCnf(s, cnf, 150);
        if (s.simplify() && s.solve(vec<Lit>())) {
            EXPECT_TRUE(modelSatisfies(s, cnf));
        }
    }
}

namespace {
Cnf pigeonhole(int holes) {
    int pigeons = holes + 1;
    auto x = [holes](int p, int h) { return p * holes + h + 1; };
    Cnf cnf;
    for (int p = 0; p < pigeons; p++) {
        std::vector<int> c;
        for (int h = 0; h < holes; h++) c.push_back(x(p, h));
        cnf.push_back(c);
    }
    for (int h = 0; h < holes; h++)
        for (int p = 0; p < pigeons; p++)
            for (int q = p + 1; q < pigeons; q++) cnf.push_back({-x(p, h), -x(q, h)});
    return cnf;
}
}  // namespace

TEST(Search, PigeonholeIsUnsatisfiable) {
    for (int holes = 2; holes <= 7; holes++) {
        Solver s(prioParams[0]);
        bool loaded = loadCnf(s, pigeonhole(holes), holes * (holes + 1));
        EXPECT_FALSE(loaded && s.simplify() && s.solve(vec<Lit>())) << holes;
        EXPECT_EQ(s.skipped_length + s.skipped_rand, 0u);
    }
}

TEST(Search, LearntClausesAssertAtTheirLevelAndFollowFromTheProblem) {
    std::mt19937 rng(17);
    int checked = 0;
    for (int round = 0; round < 60; round++) {
        const int vars = 12;
        Cnf cnf = randomCnf(vars, 50, 3, rng);
        Solver s(prioParams[0]);
        if (!loadCnf(s, cnf, vars) || !s.simplify()) continue;
        for (int step = 0; step < 40; step++) {
            Lit next = s.pickBranchLit(s.polarity_mode, s.random_var_freq);
            if (next == lit_Undef) break;
            s.newDecisionLevel();
            s.uncheckedEnqueue(next);
            Clause* confl = s.propagate();
            if (confl == nullptr) continue;
            vec<Lit> learnt;
            int bt;
            s.analyze(confl, learnt, bt);
            int levelNow = s.decisionLevel();
            ASSERT_EQ(s.level[var(learnt[0])], levelNow);
            int highest = 0;
            for (int i = 0; i < learnt.size(); i++) {
                ASSERT_EQ(s.value(learnt[i]), l_False);
                if (i > 0) {
                    ASSERT_LT(s.level[var(learnt[i])], levelNow);
                    ASSERT_GT(s.level[var(learnt[i])], 0);
                    highest = std::max(highest, s.level[var(learnt[i])]);
                }
            }
            ASSERT_EQ(bt, learnt.size() == 1 ? 0 : s.level[var(learnt[1])]);
            ASSERT_EQ(bt, highest);
            std::vector<int> clause;
            for (int i = 0; i < learnt.size(); i++) clause.push_back(dimacsLit(learnt[i]));
            for (uint64_t a = 0; a < (uint64_t(1) << vars); a++) {
                if (satisfiedBy(cnf, a)) {
                    ASSERT_TRUE(satisfiedBy({clause}, a));
                }
            }
            checked++;
            s.cancelUntil(0);
            break;
        }
    }
    EXPECT_GT(checked, 20);
}


TEST(Search, QueensPuzzlesSolvedThroughModules) {
    const int solutions[] = {1, 0, 0, 2, 10, 4, 40, 92};
    for (int n = 1; n <= 8; n++) {
        QueensRun run = solveQueens(n);
        ASSERT_EQ(run.sat, solutions[n - 1] > 0) << n;
        EXPECT_EQ(run.starts, 1u);
        if (run.sat) expectPlacement(run.columnOfRow);
    }
}

TEST(Search, TheCompiledInConfigurationNeverRestarts) {
    std::mt19937 rng(5);
    Cnf cnf = randomCnf(120, 520, 3, rng);
    Solver s(prioParams[0]);
    loadCnf(s, cnf, 120);
    s.simplify();
    s.solve(vec<Lit>());
    EXPECT_EQ(s.starts, 1u);
    EXPECT_GT(s.conflicts, 100u);
    EXPECT_GE(s.decisions, s.orig_decisions);
    EXPECT_GT(s.orig_decisions, 0u);
}

TEST(Search, RestartsAndSkippedLearntsWhenConfigured) {
    ToClauses saved = toClses;
    toClses.noRestarts = false;
    toClses.randLearnt = 0.5;
    std::mt19937 rng(8);
    for (int round = 0; round < 30; round++) {
        const int vars = 16;
        Cnf cnf = randomCnf(vars, 70, 3, rng);
        Solver s(prioParams[0]);
        bool answer = loadCnf(s, cnf, vars) && s.simplify() && s.solve(vec<Lit>());
        if (answer) {
            ASSERT_TRUE(modelSatisfies(s, cnf));
        } else {
            ASSERT_FALSE(bruteForceSat(cnf, vars));
        }
        for (const ModuleImplication& rec : Module::conflictGraph) ASSERT_TRUE(rec.empty());
    }
    Cnf hard = pigeonhole(6);
    Solver s(prioParams[0]);
    loadCnf(s, hard, 42);
    EXPECT_FALSE(s.simplify() && s.solve(vec<Lit>()));
    EXPECT_GT(s.starts, 1u);
    EXPECT_GT(s.skipped_rand, 0u);
    toClses = saved;
}
