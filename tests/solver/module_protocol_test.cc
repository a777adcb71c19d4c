// The solver side of the module protocol, driven by the exactly-one test
// module: implications enqueued with their reasons, a conflict returned after
// implications of the same call, reasons freed on backtracking, the lowest
// backtrack level kept, module-first decisions.
#include <gtest/gtest.h>

#include "support/cnf_helpers.h"
#include "support/exactly_one.h"

TEST(ModuleProtocol, ImplicationsGoOnTheTrailWithTheModulesReasons) {
    Solver s(10);
    ExactlyOne* m = ExactlyOne::attach(s, {0, 1, 2, 3}, 5);
    s.newDecisionLevel();
    s.uncheckedEnqueue(Lit(2));
    ASSERT_EQ(s.propagate(), nullptr);
    for (int v : {0, 1, 3}) {
        EXPECT_EQ(s.value(v), l_False);
        EXPECT_EQ(s.level[v], 1);
        const ModuleImplication& rec = Module::conflictGraph[v];
        ASSERT_FALSE(rec.empty());
        EXPECT_EQ(rec.negLevel, -1);
        EXPECT_EQ(rec.moduleId, 0);
        EXPECT_EQ(s.reason[v], rec.reason);
        EXPECT_EQ((*rec.reason)[0], Lit(v, true));
        EXPECT_EQ((*rec.reason)[1], Lit(2, true));
    }
    EXPECT_EQ(s.nAssigns(), 4);
    deleteModules(s);
    (void)m;
}

TEST(ModuleProtocol, AConflictComesAfterTheSameCallsImplications) {
    Solver s(10);
    ExactlyOne::attach(s, {0, 1, 2, 3}, 5);
    s.newDecisionLevel();
    s.uncheckedEnqueue(Lit(0));
    s.uncheckedEnqueue(Lit(3));
    Clause* confl = s.propagate();
    ASSERT_NE(confl, nullptr);
    EXPECT_EQ(confl, s.moduleConflCls);
    // Bits 1 and 2 were implied false before bit 3 was found true.
    EXPECT_EQ(s.value(1), l_False);
    EXPECT_EQ(s.value(2), l_False);
    EXPECT_EQ(s.nAssigns(), 4);
    ASSERT_EQ(confl->size(), 2);
    for (int i = 0; i < confl->size(); i++) EXPECT_EQ(s.value((*confl)[i]), l_False);
    std::free(s.moduleConflCls);
    s.moduleConflCls = nullptr;
    deleteModules(s);
}

TEST(ModuleProtocol, BacktrackingFreesReasonsAndKeepsTheLowestLevel) {
    Solver s(10);
    ExactlyOne::attach(s, {0, 1, 2}, 5);
    ExactlyOne::attach(s, {3, 4, 5}, 5);
    for (int v = 6; v < 9; v++) s.newVar();
    s.newDecisionLevel();
    s.uncheckedEnqueue(Lit(6));
    s.newDecisionLevel();
    s.uncheckedEnqueue(Lit(3));
    ASSERT_EQ(s.propagate(), nullptr);
    s.newDecisionLevel();
    s.uncheckedEnqueue(Lit(0));
    ASSERT_EQ(s.propagate(), nullptr);
    ASSERT_FALSE(Module::conflictGraph[1].empty());
    ASSERT_FALSE(Module::conflictGraph[4].empty());

    s.cancelUntil(2);
    EXPECT_TRUE(Module::conflictGraph[1].empty());
    EXPECT_FALSE(Module::conflictGraph[4].empty());
    EXPECT_EQ(Module::backtrackFlags[0], 2);
    EXPECT_EQ(Module::backtrackFlags[1], -1);

    s.cancelUntil(1);
    EXPECT_TRUE(Module::conflictGraph[4].empty());
    EXPECT_EQ(Module::backtrackFlags[0], 2);  // untouched: none of its bits was unassigned
    EXPECT_EQ(Module::backtrackFlags[1], 1);
    s.newDecisionLevel();
    s.uncheckedEnqueue(Lit(3));
    s.cancelUntil(1);
    EXPECT_EQ(Module::backtrackFlags[1], 1);
    s.cancelUntil(0);
    EXPECT_EQ(Module::backtrackFlags[0], 2);
    EXPECT_EQ(Module::backtrackFlags[1], 1);
    EXPECT_EQ(s.value(6), l_Undef);
    deleteModules(s);
}

TEST(ModuleProtocol, DecisionsAreOfferedToModulesByPriorityFirst) {
    Solver s(10);
    for (int v = 0; v < 3; v++) s.newVar();
    ExactlyOne* low = ExactlyOne::attach(s, {3, 4}, 2);
    ExactlyOne* high = ExactlyOne::attach(s, {5, 6}, 7);
    Lit first = s.pickBranchLit(s.polarity_mode, 0);
    EXPECT_EQ(first, Lit(5));
    EXPECT_EQ(s.currPrio, 7);
    s.newDecisionLevel();
    s.uncheckedEnqueue(first);
    ASSERT_EQ(s.propagate(), nullptr);
    Lit second = s.pickBranchLit(s.polarity_mode, 0);
    EXPECT_EQ(second, Lit(3));
    EXPECT_TRUE(high->getFinished());
    EXPECT_FALSE(low->getFinished());
    s.cancelUntil(0);
    EXPECT_FALSE(high->getFinished());
    EXPECT_EQ(s.currPrio, 10);
    deleteModules(s);
}

TEST(ModuleProtocol, ModuleReasonsAreMinimisedLikeClauseReasons) {
    // Deciding x0 makes the module imply x1 false (reason: not x1, not x0).
    // Deciding x3 then fails through (x1 v -x3 v x4) and (-x0 v -x3 v -x4):
    // the first-UIP clause (-x3, -x0, x1) loses x1, whose module reason only
    // needs x0, already in the clause.
    Solver s(10);
    ExactlyOne::attach(s, {0, 1}, 5);
    ASSERT_TRUE(addCnfClause(s, {2, -4, 5}));
    ASSERT_TRUE(addCnfClause(s, {-1, -4, -5}));
    s.newDecisionLevel();
    s.uncheckedEnqueue(Lit(0));
    ASSERT_EQ(s.propagate(), nullptr);
    ASSERT_EQ(s.value(1), l_False);
    s.newDecisionLevel();
    s.uncheckedEnqueue(Lit(3));
    Clause* confl = s.propagate();
    ASSERT_NE(confl, nullptr);
    vec<Lit> learnt;
    int bt = -1;
    s.analyze(confl, learnt, bt);
    ASSERT_EQ(learnt.size(), 2);
    EXPECT_EQ(learnt[0], Lit(3, true));
    EXPECT_EQ(learnt[1], Lit(0, true));
    EXPECT_EQ(bt, 1);
    EXPECT_EQ(s.max_literals, 3u);
    EXPECT_EQ(s.tot_literals, 2u);
    deleteModules(s);
}
