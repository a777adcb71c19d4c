// Clause attachment and detachment, watch-list invariants and level-0 units.
#include <gtest/gtest.h>

#include "support/cnf_helpers.h"

namespace {
int watchCount(Solver& s, const Clause* c) {
    int n = 0;
    for (int i = 0; i < s.watches.size(); i++)
        for (int j = 0; j < s.watches[i].size(); j++)
            if (s.watches[i][j] == c) n++;
    return n;
}
}  // namespace

TEST(ClauseDatabase, AttachWatchesTheFirstTwoLiteralsAndDetachUndoesIt) {
    Solver s(10);
    ASSERT_TRUE(addCnfClause(s, {3, -1, 2}));
    ASSERT_EQ(s.nClauses(), 1);
    Clause* c = s.clauses[0];
    // Sorted by literal code: x0 negated (1), x1 (2), x2 (4).
    EXPECT_EQ(toInt((*c)[0]), 1);
    EXPECT_EQ(toInt((*c)[1]), 2);
    EXPECT_EQ(watchCount(s, c), 2);
    EXPECT_TRUE(find(s.watches[toInt(~(*c)[0])], c));
    EXPECT_TRUE(find(s.watches[toInt(~(*c)[1])], c));
    EXPECT_EQ(s.clauses_literals, 3u);
    EXPECT_EQ(c->abstraction(), 7u);

    s.detachClause(*c);
    EXPECT_EQ(watchCount(s, c), 0);
    EXPECT_EQ(s.clauses_literals, 0u);
    std::free(c);
    s.clauses.clear();
}

TEST(ClauseDatabase, AddClauseDropsFalseAndRepeatedLiteralsAndTautologies) {
    Solver s(10);
    ASSERT_TRUE(addCnfClause(s, {1, -1, 2}));
    EXPECT_EQ(s.nClauses(), 0);
    ASSERT_TRUE(addCnfClause(s, {-3}));
    ASSERT_TRUE(addCnfClause(s, {3, 2, 2, 4}));
    ASSERT_EQ(s.nClauses(), 1);
    EXPECT_EQ(s.clauses[0]->size(), 2);
    ASSERT_TRUE(addCnfClause(s, {-3, 5}));  // satisfied at level 0
    EXPECT_EQ(s.nClauses(), 1);
}

TEST(ClauseDatabase, UnitsPropagateAtLevelZeroAndAConflictClearsOk) {
    Solver s(10);
    ASSERT_TRUE(addCnfClause(s, {-1, 2}));
    ASSERT_TRUE(addCnfClause(s, {-2, 3}));
    ASSERT_TRUE(addCnfClause(s, {-1, -3, 4}));
    ASSERT_TRUE(addCnfClause(s, {-4, -2}));
    ASSERT_TRUE(addCnfClause(s, {5}));
    EXPECT_EQ(s.value(litOf(5)), l_True);
    EXPECT_FALSE(addCnfClause(s, {1}));
    EXPECT_FALSE(s.okay());
    EXPECT_FALSE(addCnfClause(s, {6, 7}));
    EXPECT_FALSE(s.simplify());
    EXPECT_FALSE(s.solve(vec<Lit>()));
}

TEST(ClauseDatabase, AClauseOfOnlyFalseLiteralsIsUnsatisfiable) {
    Solver s(10);
    ASSERT_TRUE(addCnfClause(s, {-1}));
    ASSERT_TRUE(addCnfClause(s, {-2}));
    EXPECT_FALSE(addCnfClause(s, {1, 2}));
    EXPECT_FALSE(s.okay());
}

TEST(ClauseDatabase, PropagationKeepsEveryClauseWatchedTwice) {
    std::mt19937 rng(3);
    Cnf cnf = randomCnf(30, 120, 3, rng);
    Solver s(10);
    loadCnf(s, cnf, 30);
    for (int round = 0; round < 20 && s.okay(); round++) {
        s.newDecisionLevel();
        for (int v = 0; v < s.nVars(); v++)
            if (s.value(v) == l_Undef) {
                s.uncheckedEnqueue(Lit(v, rng() & 1));
                break;
            }
        Clause* confl = s.propagate();
        for (int i = 0; i < s.nClauses(); i++) {
            Clause* c = s.clauses[i];
            ASSERT_EQ(watchCount(s, c), 2);
            ASSERT_TRUE(find(s.watches[toInt(~(*c)[0])], c));
            ASSERT_TRUE(find(s.watches[toInt(~(*c)[1])], c));
            if (confl == nullptr && s.value((*c)[0]) != l_True && s.value((*c)[1]) != l_True) {
                // Without a conflict no clause is left unit or false.
                int open = 0;
                for (int k = 0; k < c->size(); k++) open += s.value((*c)[k]) != l_False;
                ASSERT_GE(open, 2);
            }
        }
        if (confl != nullptr) s.cancelUntil(0);
    }
}
