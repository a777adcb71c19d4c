// Clause hand-over and the one-bit gates: variables created on demand, the
// exact clause list of every gate (which pins its function too), and the
// unsatisfiable exit.
#include <unistd.h>

#include "encoder_harness.h"

namespace {

typedef std::vector<std::vector<int>> ClauseList;

// The stored clauses as signed variable numbers; expected lists are given in
// any literal order and sorted into the solver's.
ClauseList storedClauses(const Solver& s) {
    ClauseList list;
    for (int i = 0; i < s.clauses.size(); i++) {
        std::vector<int> codes;
        for (int j = 0; j < s.clauses[i]->size(); j++) {
            const Lit p = (*s.clauses[i])[j];
            codes.push_back(sign(p) ? -var(p) : var(p));
        }
        list.push_back(codes);
    }
    return list;
}
ClauseList inSolverOrder(ClauseList list) {
    for (std::vector<int>& clause : list)
        std::sort(clause.begin(), clause.end(), [](int x, int y) {
            return toInt(Lit(std::abs(x), x < 0)) < toInt(Lit(std::abs(y), y < 0));
        });
    return list;
}

TEST(ClauseEmission, ClauseCreatesEveryMissingVariableUpToItsHighest) {
    EncoderCase c;
    c.cnf.CurrentClause = {5, -9};
    c.cnf.cc();
    EXPECT_EQ(c.solver.nVars(), 10);
    EXPECT_TRUE(c.cnf.CurrentClause.empty());
    EXPECT_EQ(storedClauses(c.solver), inSolverOrder({{5, -9}}));
    for (Var v = 0; v < 10; v++) EXPECT_EQ(c.solver.decision_var[v], 1);
    c.cnf.CurrentClause = {-3};
    c.cnf.cc();
    EXPECT_EQ(c.solver.nVars(), 10);
    EXPECT_EQ(c.solver.value(3), l_False);
}

// Gates over inputs 1 .. k and output k + 1 (notN: outputs 4 .. 6). A gate
// on one repeated input leaves the simplification to the solver.
TEST(ClauseEmission, GatesEmitTheirExactClauseLists) {
    Bits in1{1}, in2{1, 2}, in3{1, 2, 3}, in4{1, 2, 3, 4}, out3{4, 5, 6};
    const std::vector<std::pair<std::function<void(E&)>, ClauseList>> cases = {
        {[](E& e) { e._insertAnd2(1, 2, 3); }, {{-1, -2, 3}, {1, -3}, {2, -3}}},
        {[](E& e) { e._insertOr2(1, 2, 3); }, {{1, 2, -3}, {-1, 3}, {-2, 3}}},
        {[](E& e) { e._insertNand2(1, 2, 3); }, {{-1, -2, -3}, {1, 3}, {2, 3}}},
        {[](E& e) { e._insertNor2(1, 2, 3); }, {{1, 2, 3}, {-1, -3}, {-2, -3}}},
        {[](E& e) { e._insertXor2(1, 2, 3); }, {{1, 2, -3}, {1, -2, 3}, {-1, 2, 3}, {-1, -2, -3}}},
        {[](E& e) { e._insertNxor2(1, 2, 3); }, {{1, 2, 3}, {1, -2, -3}, {-1, 2, -3}, {-1, -2, 3}}},
        {[](E& e) { e._insertMux(1, 2, 3, 4); }, {{1, 3, -4}, {1, -3, 4}, {-1, 2, -4}, {-1, -2, 4}}},
        {[](E& e) { e._insertNot(1, 2); }, {{1, 2}, {-1, -2}}},
        {[](E& e) { e._insertIdentity(1, 2); }, {{-1, 2}, {1, -2}}},
        {[&](E& e) { e._insertAndN(in1, 2); }, {{-1, 2}, {1, -2}}},
        {[&](E& e) { e._insertAndN(in2, 3); }, {{-1, -2, 3}, {1, -3}, {2, -3}}},
        {[&](E& e) { e._insertAndN(in3, 4); }, {{-1, -2, -3, 4}, {1, -4}, {2, -4}, {3, -4}}},
        {[&](E& e) { e._insertAndN(in4, 5); }, {{-1, -2, -3, -4, 5}, {1, -5}, {2, -5}, {3, -5}, {4, -5}}},
        {[&](E& e) { e._insertOrN(in1, 2); }, {{1, -2}, {-1, 2}}},
        {[&](E& e) { e._insertOrN(in2, 3); }, {{1, 2, -3}, {-1, 3}, {-2, 3}}},
        {[&](E& e) { e._insertOrN(in3, 4); }, {{1, 2, 3, -4}, {-1, 4}, {-2, 4}, {-3, 4}}},
        {[&](E& e) { e._insertOrN(in4, 5); }, {{1, 2, 3, 4, -5}, {-1, 5}, {-2, 5}, {-3, 5}, {-4, 5}}},
        {[](E& e) { e._insertXor2(1, 1, 2); }, {{1, -2}, {-1, -2}}},
        {[](E& e) { e._insertNxor2(1, 1, 2); }, {{1, 2}, {-1, 2}}},
        {[&](E& e) { e._insertNotN(in3, out3); }, {{1, 4}, {-1, -4}, {2, 5}, {-2, -5}, {3, 6}, {-3, -6}}},
    };
    for (size_t i = 0; i < cases.size(); i++) {
        EncoderCase c;
        cases[i].first(c.cnf);
        EXPECT_EQ(c.lastVar, 0u) << "gate " << i << " drew a fresh variable";
        EXPECT_EQ(c.solver.nAssigns(), 0) << "gate " << i;
        EXPECT_EQ(storedClauses(c.solver), inSolverOrder(cases[i].second)) << "gate " << i;
    }
}

TEST(ClauseEmissionDeathTest, ContradictingClauseEndsTheRunAsUnsatisfiable) {
    EncoderCase c;
    c.cnf._insertAnd2(1, 2, 3);
    c.cnf.CurrentClause = {3};
    c.cnf.cc();
    EXPECT_EXIT(
        {
            dup2(STDERR_FILENO, STDOUT_FILENO);
            c.cnf.CurrentClause = {-1};
            c.cnf.cc();
        },
        ::testing::ExitedWithCode(20), "^Result: UNSATISFIABLE\n$");
}

}  // namespace
