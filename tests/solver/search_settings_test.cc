// The run-time search choices checked by oracles: every combination answers
// random 3-SAT as brute force does (models checked clause by clause), keeps
// pigeonhole unsatisfiable and solves queens through exactly-one modules;
// restarts and tiered reductions really happen, reductions keep reasons and
// low-glue clauses; the CaDiCaL back end agrees with brute force.
#include <gtest/gtest.h>

#include "config.h"
#include "solver/cadical_engine.h"
#include "support/cnf_helpers.h"
#include "support/queens.h"
#include "support/search_variants.h"

namespace {
int lit(int v, bool negative) { return negative ? -(v + 1) : v + 1; }
}  // namespace

TEST(SearchSettings, EveryCombinationAgreesWithBruteForce) {
    for (const SearchSettings& settings : searchVariants()) {
        std::mt19937 rng(4242);
        int sat = 0, unsat = 0;
        for (int round = 0; round < 40; round++) {
            int vars = 10 + static_cast<int>(rng() % 9);
            Cnf cnf = randomCnf(vars, static_cast<int>(vars * 4.26), 3, rng);
            Solver s(prioParams[0]);
            s.settings = settings;
            bool answer = loadCnf(s, cnf, vars) && s.simplify() && s.solve(vec<Lit>());
            if (answer) {
                sat++;
                ASSERT_TRUE(modelSatisfies(s, cnf)) << describe(settings) << " round " << round;
            } else {
                unsat++;
                ASSERT_FALSE(bruteForceSat(cnf, vars)) << describe(settings) << " round " << round;
            }
        }
        EXPECT_GT(sat, 5) << describe(settings);
        EXPECT_GT(unsat, 5) << describe(settings);
    }
}

TEST(SearchSettings, PigeonholeStaysUnsatisfiable) {
    const int holes = 6, pigeons = holes + 1;
    Cnf cnf;
    for (int p = 0; p < pigeons; p++) {
        std::vector<int> c;
        for (int h = 0; h < holes; h++) c.push_back(lit(p * holes + h, false));
        cnf.push_back(c);
    }
    for (int h = 0; h < holes; h++)
        for (int p = 0; p < pigeons; p++)
            for (int q = p + 1; q < pigeons; q++) cnf.push_back({lit(p * holes + h, true), lit(q * holes + h, true)});
    for (const SearchSettings& settings : searchVariants()) {
        Solver s(prioParams[0]);
        s.settings = settings;
        EXPECT_FALSE(loadCnf(s, cnf, holes * pigeons) && s.simplify() && s.solve(vec<Lit>())) << describe(settings);
    }
}

TEST(SearchSettings, RestartsAndReductionsHappenAndKeepWhatTheyMust) {
    std::mt19937 rng(77);
    Cnf cnf = randomCnf(200, 852, 3, rng);
    SearchSettings settings = searchVariants().back();
    settings.restarts = SearchSettings::Restarts::Luby;
    settings.learnts = SearchSettings::Learnts::Tiered;
    Solver s(prioParams[0]);
    s.settings = settings;
    ASSERT_TRUE(loadCnf(s, cnf, 200) && s.simplify());
    s.solve(vec<Lit>());
    EXPECT_GT(s.starts, 10u);
    ASSERT_GT(s.conflicts, 500u);
    EXPECT_LT(static_cast<uint64_t>(s.nLearnts()), s.conflicts / 2) << "tiered reduction deleted nothing";

    // A reduction in the middle of a search deletes no reason of an
    // assigned literal and no clause of core glue.
    Solver t(prioParams[0]);
    t.settings = settings;
    t.settings.reduceInterval = 1 << 30;
    ASSERT_TRUE(loadCnf(t, cnf, 200) && t.simplify());
    int reductionsChecked = 0;
    vec<Lit> learnt;
    for (int step = 0; step < 20000 && reductionsChecked < 5; step++) {
        Clause* confl = t.propagate();
        if (confl != nullptr) {
            if (t.decisionLevel() == 0) break;
            learnt.clear();
            int bt;
            t.analyze(confl, learnt, bt);
            t.cancelUntil(bt);
            if (learnt.size() == 1) {
                t.uncheckedEnqueue(learnt[0]);
                continue;
            }
            Clause* c = Clause_new(learnt, true);
            c->setGlue(learnt.size() % 4 == 0 ? 1u : 4u + static_cast<uint32_t>(learnt.size() % 5));
            t.learnts.push(c);
            t.attachClause(*c);
            t.uncheckedEnqueue(learnt[0], c);
            if (t.nLearnts() % 60 != 0) continue;
            std::vector<Clause*> mustStay;
            for (Clause* l : t.learnts)
                if (t.locked(*l) || l->glue() <= static_cast<uint32_t>(settings.coreGlue)) mustStay.push_back(l);
            int before = t.nLearnts();
            t.reduceTiered();
            EXPECT_LT(t.nLearnts(), before);
            for (Clause* l : mustStay) EXPECT_TRUE(find(t.learnts, l));
            reductionsChecked++;
            continue;
        }
        Lit next = t.pickBranchLit(t.polarity_mode, t.random_var_freq);
        if (next == lit_Undef) break;
        t.newDecisionLevel();
        t.uncheckedEnqueue(next);
    }
    EXPECT_GE(reductionsChecked, 3);
}

TEST(SearchSettings, QueensThroughModulesInEveryCombination) {
    for (const SearchSettings& settings : searchVariants()) {
        QueensRun run = solveQueens(6, settings);
        ASSERT_TRUE(run.sat) << describe(settings);
        SCOPED_TRACE(describe(settings));
        expectPlacement(run.columnOfRow);
    }
}

TEST(CadicalEngine, AgreesWithBruteForceAndKeepsLevelZeroFacts) {
    std::mt19937 rng(31);
    int sat = 0, unsat = 0;
    for (int round = 0; round < 150; round++) {
        int vars = 8 + static_cast<int>(rng() % 11);
        Cnf cnf = randomCnf(vars, static_cast<int>(vars * 4.3), 3, rng);
        // a unit fixed at level 0 before the hand-over
        cnf.push_back({static_cast<int>(rng() % vars) + 1});
        Solver s(prioParams[0]);
        bool loaded = loadCnf(s, cnf, vars) && s.simplify();
        bool answer = loaded && solveWithCadical(s) == l_True;
        if (answer) {
            sat++;
            ASSERT_TRUE(modelSatisfies(s, cnf)) << "round " << round;
            ASSERT_EQ(s.model.size(), s.nVars());
        } else {
            unsat++;
            ASSERT_FALSE(bruteForceSat(cnf, vars)) << "round " << round;
            ASSERT_FALSE(s.okay());
        }
    }
    EXPECT_GT(sat, 20);
    EXPECT_GT(unsat, 20);
}
