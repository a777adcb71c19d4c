// The clause database: what addClause keeps of a clause (sorted, watched by
// its first two literals, counted), detachment, level-0 units and conflicts,
// and the watch invariant under propagation.
#include <gtest/gtest.h>

#include "support/cnf_helpers.h"

namespace {

int watchCount(Solver& s, const Clause* c) {
    int n = 0;
    for (int i = 0; i < s.watches.size(); i++)
        for (int j = 0; j < s.watches[i].size(); j++) n += s.watches[i][j] == c;
    return n;
}

bool watchedByItsFirstTwo(Solver& s, Clause* c) {
    return watchCount(s, c) == 2 && find(s.watches[toInt(~(*c)[0])], c) && find(s.watches[toInt(~(*c)[1])], c);
}

// Tautologies, repeated literals, literals false and clauses satisfied at
// level 0 are dropped; the rest is sorted by literal code and counted.
TEST(ClauseDatabase, AddClauseKeepsWhatMattersAndDetachUndoesIt) {
    Solver s(10);
    ASSERT_TRUE(addCnfClause(s, {1, -1, 2}));
    EXPECT_EQ(s.nClauses(), 0);
    ASSERT_TRUE(addCnfClause(s, {-5}));
    ASSERT_TRUE(addCnfClause(s, {3, -1, 2, 2, 5}));
    ASSERT_TRUE(addCnfClause(s, {-5, 6}));
    ASSERT_EQ(s.nClauses(), 1);
    Clause* c = s.clauses[0];
    ASSERT_EQ(c->size(), 3);
    // x0 negated (code 1), x1 (2), x2 (4).
    EXPECT_EQ(toInt((*c)[0]), 1);
    EXPECT_EQ(toInt((*c)[1]), 2);
    EXPECT_EQ(toInt((*c)[2]), 4);
    EXPECT_TRUE(watchedByItsFirstTwo(s, c));
    EXPECT_EQ(s.clauses_literals, 3u);

    s.detachClause(*c);
    EXPECT_EQ(watchCount(s, c), 0);
    EXPECT_EQ(s.clauses_literals, 0u);
    std::free(c);
    s.clauses.clear();
}

// A unit contradicting what level 0 implies, or a clause of false literals,
// clears ok for good.
TEST(ClauseDatabase, UnitsPropagateAtLevelZeroAndAConflictClearsOk) {
    for (const Cnf& last : {Cnf{{1}}, Cnf{{-1}, {-2}, {1, 2}}}) {
        Solver s(10);
        ASSERT_TRUE(loadCnf(s, {{-1, 2}, {-2, 3}, {-1, -3, 4}, {-4, -2}, {5}}, 5));
        EXPECT_EQ(s.value(litOf(5)), l_True);
        for (size_t i = 0; i + 1 < last.size(); i++) ASSERT_TRUE(addCnfClause(s, last[i]));
        EXPECT_FALSE(addCnfClause(s, last.back()));
        EXPECT_FALSE(s.okay());
        EXPECT_FALSE(addCnfClause(s, {6, 7}));
        EXPECT_FALSE(s.simplify());
        EXPECT_FALSE(s.solve(vec<Lit>()));
    }
}

TEST(ClauseDatabase, PropagationKeepsEveryClauseWatchedTwice) {
    std::mt19937 rng(3);
    Cnf cnf = randomCnf(30, 120, 3, rng);
    Solver s(10);
    loadCnf(s, cnf, 30);
    for (int round = 0; round < 20 && s.okay(); round++) {
        s.newDecisionLevel();
        for (int v = 0; v < s.nVars(); v++) {
            if (s.value(v) != l_Undef) continue;
            s.uncheckedEnqueue(Lit(v, rng() & 1));
            break;
        }
        Clause* confl = s.propagate();
        for (int i = 0; i < s.nClauses(); i++) {
            Clause* c = s.clauses[i];
            ASSERT_TRUE(watchedByItsFirstTwo(s, c));
            if (confl != nullptr || s.value((*c)[0]) == l_True || s.value((*c)[1]) == l_True) continue;
            // Without a conflict no clause is left unit or false.
            int open = 0;
            for (int k = 0; k < c->size(); k++) open += s.value((*c)[k]) != l_False;
            ASSERT_GE(open, 2);
        }
        if (confl != nullptr) s.cancelUntil(0);
    }
}

}  // namespace
