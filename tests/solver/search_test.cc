// Search checked by oracles: every combination of the run-time search choices
// answers random 3-SAT as brute force does (models checked clause by clause),
// keeps pigeonhole unsatisfiable and places queens through exactly-one
// modules; the compiled-in configuration never restarts, also on puzzles and
// a harder instance; learnt clauses assert at their level and follow from the
// problem; restarts, skipped learnts and tiered reductions happen when
// configured and keep what they must. (The CaDiCaL hand-over is checked by
// the random campaigns' CaDiCaL variants, against the evaluator.)
#include <gtest/gtest.h>

#include <algorithm>

#include "config.h"
#include "support/cnf_helpers.h"
#include "support/exactly_one.h"
#include "support/search_variants.h"

namespace {

Cnf pigeonhole(int holes) {
    auto x = [holes](int p, int h) { return p * holes + h + 1; };
    Cnf cnf(holes + 1);
    for (int p = 0; p <= holes; p++)
        for (int h = 0; h < holes; h++) cnf[p].push_back(x(p, h));
    for (int h = 0; h < holes; h++)
        for (int p = 0; p <= holes; p++)
            for (int q = p + 1; q <= holes; q++) cnf.push_back({-x(p, h), -x(q, h)});
    return cnf;
}

bool solves(Solver& s, const Cnf& cnf, int vars) {
    return loadCnf(s, cnf, vars) && s.simplify() && s.solve(vec<Lit>());
}

// n-queens through modules: one queen per row and per column (exactly-one
// modules), at most one per diagonal (binary clauses). Checks the placement
// of a model; returns whether there is one.
bool placeQueens(int n, const SearchSettings& settings, uint64_t* starts = nullptr) {
    Solver s(prioParams[0]);
    s.settings = settings;
    auto cell = [n](int r, int c) { return static_cast<unsigned>(r * n + c); };
    for (int r = 0; r < n; r++) {
        std::vector<unsigned> row, column;
        for (int c = 0; c < n; c++) row.push_back(cell(r, c)), column.push_back(cell(c, r));
        ExactlyOne::attach(s, row, 6);
        ExactlyOne::attach(s, column, 4);
    }
    Cnf diagonals;
    for (int a = 0; a < n * n; a++)
        for (int b = a + 1; b < n * n; b++)
            if (a / n < b / n && b / n - a / n == std::abs(a % n - b % n)) diagonals.push_back({-a - 1, -b - 1});
    const bool sat = solves(s, diagonals, n * n);
    std::vector<int> column(n, -1);
    for (int r = 0; sat && r < n; r++) {
        for (int c = 0; c < n; c++) {
            if (s.model[static_cast<int>(cell(r, c))] != l_True) continue;
            EXPECT_EQ(column[r], -1) << "two queens in row " << r;
            column[r] = c;
        }
        EXPECT_GE(column[r], 0) << "no queen in row " << r;
        for (int q = 0; q < r; q++) {
            EXPECT_NE(column[r], column[q]) << "rows " << q << ", " << r;
            EXPECT_NE(std::abs(column[r] - column[q]), r - q) << "rows " << q << ", " << r;
        }
    }
    if (starts != nullptr) *starts = s.starts;
    deleteModules(s);
    return sat;
}

TEST(SearchSettings, EveryCombinationAgreesWithBruteForce) {
    const Cnf hole6 = pigeonhole(6);
    for (const SearchSettings& settings : searchVariants()) {
        SCOPED_TRACE(describe(settings));
        std::mt19937 rng(4242);
        int sat = 0, unsat = 0;
        for (int round = 0; round < 40; round++) {
            int vars = 10 + static_cast<int>(rng() % 9);
            Cnf cnf = randomCnf(vars, static_cast<int>(vars * 4.26), 3, rng);
            Solver s(prioParams[0]);
            s.settings = settings;
            const bool searched = loadCnf(s, cnf, vars) && s.simplify();
            if (searched && s.solve(vec<Lit>())) {
                sat++;
                ASSERT_TRUE(modelSatisfies(s, cnf)) << "round " << round;
            } else {
                unsat++;
                ASSERT_FALSE(bruteForceSat(cnf, vars)) << "round " << round;
            }
            // Without restarts configured, the classic policy makes none.
            const bool classic = settings.restarts == SearchSettings::Restarts::Classic;
            ASSERT_TRUE(!searched || !classic || s.starts == 1u) << s.starts << " starts";
        }
        EXPECT_GT(sat, 5);
        EXPECT_GT(unsat, 5);
        Solver s(prioParams[0]);
        s.settings = settings;
        EXPECT_FALSE(solves(s, hole6, 42));
        EXPECT_TRUE(placeQueens(6, settings));
    }
}

TEST(Search, TheCompiledInConfigurationNeverRestarts) {
    const int solutions[] = {1, 0, 0, 2, 10, 4, 40, 92};
    for (int n = 1; n <= 8; n++) {
        uint64_t starts = 0;
        EXPECT_EQ(placeQueens(n, SearchSettings(), &starts), solutions[n - 1] > 0) << n;
        EXPECT_EQ(starts, 1u);
    }
    for (int holes = 2; holes <= 7; holes++) {
        Solver s(prioParams[0]);
        EXPECT_FALSE(solves(s, pigeonhole(holes), holes * (holes + 1))) << holes;
        EXPECT_EQ(s.skipped_length + s.skipped_rand, 0u);
    }
    std::mt19937 hard(5);
    Cnf cnf = randomCnf(120, 520, 3, hard);
    Solver s(prioParams[0]);
    solves(s, cnf, 120);
    EXPECT_EQ(s.starts, 1u);
    EXPECT_GT(s.conflicts, 100u);
    EXPECT_GE(s.decisions, s.orig_decisions);
    EXPECT_GT(s.orig_decisions, 0u);
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
            const int levelNow = s.decisionLevel();
            ASSERT_EQ(s.level[var(learnt[0])], levelNow);
            int highest = 0;
            std::vector<int> clause;
            for (int i = 0; i < learnt.size(); i++) {
                ASSERT_EQ(s.value(learnt[i]), l_False);
                clause.push_back(dimacsLit(learnt[i]));
                if (i == 0) continue;
                ASSERT_LT(s.level[var(learnt[i])], levelNow);
                ASSERT_GT(s.level[var(learnt[i])], 0);
                highest = std::max(highest, s.level[var(learnt[i])]);
            }
            ASSERT_EQ(bt, learnt.size() == 1 ? 0 : s.level[var(learnt[1])]);
            ASSERT_EQ(bt, highest);
            for (uint64_t a = 0; a < (uint64_t(1) << vars); a++)
                ASSERT_TRUE(!satisfiedBy(cnf, a) || satisfiedBy({clause}, a));
            checked++;
            break;
        }
    }
    EXPECT_GT(checked, 20);
}

TEST(Search, RestartsAndSkippedLearntsWhenConfigured) {
    const ToClauses saved = toClses;
    toClses.noRestarts = false;
    toClses.randLearnt = 0.5;
    std::mt19937 rng(8);
    for (int round = 0; round < 30; round++) {
        const int vars = 16;
        Cnf cnf = randomCnf(vars, 70, 3, rng);
        Solver s(prioParams[0]);
        if (solves(s, cnf, vars))
            ASSERT_TRUE(modelSatisfies(s, cnf));
        else
            ASSERT_FALSE(bruteForceSat(cnf, vars));
        for (const ModuleImplication& rec : Module::conflictGraph) ASSERT_TRUE(rec.empty());
    }
    Solver s(prioParams[0]);
    EXPECT_FALSE(solves(s, pigeonhole(6), 42));
    EXPECT_GT(s.starts, 1u);
    EXPECT_GT(s.skipped_rand, 0u);
    toClses = saved;
}

TEST(SearchSettings, RestartsAndReductionsHappenAndKeepWhatTheyMust) {
    std::mt19937 rng(77);
    Cnf cnf = randomCnf(200, 852, 3, rng);
    SearchSettings settings = searchVariants().back();
    settings.restarts = SearchSettings::Restarts::Luby;
    settings.learnts = SearchSettings::Learnts::Tiered;
    Solver s(prioParams[0]);
    s.settings = settings;
    solves(s, cnf, 200);
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
        if (confl == nullptr) {
            Lit next = t.pickBranchLit(t.polarity_mode, t.random_var_freq);
            if (next == lit_Undef) break;
            t.newDecisionLevel();
            t.uncheckedEnqueue(next);
            continue;
        }
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
        const int before = t.nLearnts();
        t.reduceTiered();
        EXPECT_LT(t.nLearnts(), before);
        for (Clause* l : mustStay) EXPECT_TRUE(find(t.learnts, l));
        reductionsChecked++;
    }
    EXPECT_GE(reductionsChecked, 3);
}

}  // namespace
