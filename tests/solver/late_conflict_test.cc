// A module may notice a conflict only after later assignments: its conflict
// clause then holds no literal of the current decision level. The search
// must return to the conflict's own level before analysing it.
#include <gtest/gtest.h>

#include "support/cnf_helpers.h"

namespace {
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
}  // namespace

TEST(LateModuleConflict, IsAnalysedAtTheLevelItMentions) {
    Solver s(10);
    for (int v = 0; v < 3; v++) s.newVar();
    LatePair* m = new LatePair();
    m->id = static_cast<unsigned int>(s.nModules++);
    for (unsigned int v : {0u, 1u, 2u}) s.moduleWatches[v].push_back(m);
    s.modules.push_back(m);
    Module::backtrackFlags.push(-1);
    s.prioModules[0].push_back(static_cast<int>(m->id));
    s.polarity_mode = 0;  // decide a, b, t (heap order 0, 2, 1) true, one level each
    s.random_var_freq = 0;

    ASSERT_TRUE(s.simplify());
    ASSERT_TRUE(s.solve(vec<Lit>()));
    EXPECT_EQ(s.conflicts, 1u);
    EXPECT_FALSE(s.model[0] == l_True && s.model[2] == l_True);
    EXPECT_EQ(s.tot_literals, 2u);
    deleteModules(s);
}
