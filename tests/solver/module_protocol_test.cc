// The solver side of the module protocol, driven by the exactly-one test
// module: reasons freed on backtracking, the lowest backtrack level kept,
// module-first decisions, module reasons minimised, and a module conflict
// noticed only after later assignments. Implications and conflicts on the
// trail are checked on every real module by the modules' random walks.
#include <gtest/gtest.h>

#include "support/cnf_helpers.h"
#include "support/exactly_one.h"

namespace {

// A solver on its way down: each entry opens a level holding that literal.
Clause* decide(Solver& s, std::initializer_list<Lit> levels) {
    Clause* confl = nullptr;
    for (Lit p : levels) {
        s.newDecisionLevel();
        s.uncheckedEnqueue(p);
        confl = s.propagate();
    }
    return confl;
}

TEST(ModuleProtocol, BacktrackingFreesReasonsAndKeepsTheLowestLevel) {
    Solver s(10);
    ExactlyOne::attach(s, {0, 1, 2}, 5);
    ExactlyOne::attach(s, {3, 4, 5}, 5);
    for (int v = 6; v < 9; v++) s.newVar();
    ASSERT_EQ(decide(s, {Lit(6), Lit(3), Lit(0)}), nullptr);
    ASSERT_FALSE(Module::conflictGraph[1].empty());
    ASSERT_FALSE(Module::conflictGraph[4].empty());
    auto flags = [] { return std::vector<int>{Module::backtrackFlags[0], Module::backtrackFlags[1]}; };

    s.cancelUntil(2);
    EXPECT_TRUE(Module::conflictGraph[1].empty());
    EXPECT_FALSE(Module::conflictGraph[4].empty());
    EXPECT_EQ(flags(), (std::vector<int>{2, -1}));
    s.cancelUntil(1);
    EXPECT_TRUE(Module::conflictGraph[4].empty());
    EXPECT_EQ(flags(), (std::vector<int>{2, 1})) << "the first keeps 2: none of its bits was unassigned";
    s.newDecisionLevel();
    s.uncheckedEnqueue(Lit(3));
    s.cancelUntil(1);
    EXPECT_EQ(flags()[1], 1);
    s.cancelUntil(0);
    EXPECT_EQ(flags(), (std::vector<int>{2, 1}));
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
    ASSERT_EQ(decide(s, {first}), nullptr);
    EXPECT_EQ(s.pickBranchLit(s.polarity_mode, 0), Lit(3));
    EXPECT_TRUE(high->getFinished());
    EXPECT_FALSE(low->getFinished());
    s.cancelUntil(0);
    EXPECT_FALSE(high->getFinished());
    EXPECT_EQ(s.currPrio, 10);
    deleteModules(s);
}

// Deciding x0 makes the module imply x1 false (reason: not x1, not x0).
// Deciding x3 then fails through (x1 v -x3 v x4) and (-x0 v -x3 v -x4): the
// first-UIP clause (-x3, -x0, x1) loses x1, whose module reason only needs
// x0, already in the clause.
TEST(ModuleProtocol, ModuleReasonsAreMinimisedLikeClauseReasons) {
    Solver s(10);
    ExactlyOne::attach(s, {0, 1}, 5);
    ASSERT_TRUE(addCnfClause(s, {2, -4, 5}));
    ASSERT_TRUE(addCnfClause(s, {-1, -4, -5}));
    ASSERT_EQ(decide(s, {Lit(0)}), nullptr);
    ASSERT_EQ(s.value(1), l_False);
    Clause* confl = decide(s, {Lit(3)});
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

// Not both a and b; checked only once the trigger bit t is assigned, and
// explained without t.
class LatePair : public Module {
public:
    unsigned int a = 0, b = 2, t = 1;

    Clause* propagate(std::vector<int>*, unsigned int) override {
        takeBacktrackFlag();
        if (isUndef(t) || !isTrue(a) || !isTrue(b)) return nullptr;
        lits.clear();
        lits.push(negLit(a));
        lits.push(negLit(b));
        return conflictFromLits();
    }
    int decide(unsigned int) override { return -1; }
    bool getFinished() override { return true; }
};

// The late conflict clause holds no literal of the current decision level:
// the search must return to the conflict's own level before analysing it.
TEST(ModuleProtocol, ALateConflictIsAnalysedAtTheLevelItMentions) {
    Solver s(10);
    registerModule(s, new LatePair(), {0, 1, 2}, 0);
    s.polarity_mode = 0;  // decide a, b, t (heap order 0, 2, 1) true, one level each
    s.random_var_freq = 0;
    ASSERT_TRUE(s.simplify());
    ASSERT_TRUE(s.solve(vec<Lit>()));
    EXPECT_EQ(s.conflicts, 1u);
    EXPECT_FALSE(s.model[0] == l_True && s.model[2] == l_True);
    EXPECT_EQ(s.tot_literals, 2u);
    deleteModules(s);
}

}  // namespace
