// Solving under assumptions, again and again on one growing problem, with
// the built-in solver and with the CaDiCaL session: every answer agrees with
// brute force under the assumptions, the failed assumptions returned are
// themselves enough for unsatisfiability (checked by brute force), clauses
// added between calls count from then on, and the corner cases hold: an
// assumption false at level 0, the same literal twice, a literal and its
// negation, an empty list.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "solver/cadical_engine.h"
#include "support/cnf_helpers.h"

namespace {

// Brute force over vars variables with the assumptions fixed.
bool satisfiableUnder(const Cnf& cnf, int vars, const std::vector<int>& assumptions) {
    Cnf with(cnf);
    for (int a : assumptions) with.push_back({a});
    return bruteForceSat(with, vars);
}

std::vector<int> codesOf(const vec<Lit>& lits) {
    std::vector<int> codes;
    for (int i = 0; i < lits.size(); i++) codes.push_back(sign(lits[i]) ? -(var(lits[i]) + 1) : var(lits[i]) + 1);
    return codes;
}

enum class Back { Core, Cadical };

// One solve of the given back end; S.conflict holds the negated failed
// assumptions afterwards.
bool solveWith(Back back, Solver& S, CadicalSession& session, const std::vector<int>& assumptions) {
    vec<Lit> lits;
    for (int a : assumptions) {
        while (std::abs(a) - 1 >= S.nVars()) S.newVar();
        lits.push(litOf(a));
    }
    if (back == Back::Cadical) return session.solve(S, lits) == l_True;
    if (S.simplify()) return S.solve(lits);
    S.conflict.clear();  // unsatisfiable at level 0: no assumption took part
    return false;
}

void checkAnswer(Back back, Solver& S, const Cnf& cnf, int vars, const std::vector<int>& assumptions, bool sat,
                 const char* what) {
    ASSERT_EQ(sat, satisfiableUnder(cnf, vars, assumptions)) << what;
    if (sat) {
        uint64_t model = 0;
        for (int v = 0; v < vars; v++)
            if (S.model[v] == l_True) model |= uint64_t(1) << v;
        EXPECT_TRUE(satisfiedBy(cnf, model)) << what;
        for (int a : assumptions) EXPECT_EQ((model >> (std::abs(a) - 1)) & 1, a > 0 ? 1u : 0u) << what;
        return;
    }
    std::vector<int> failed;
    for (int code : codesOf(S.conflict)) failed.push_back(-code);
    for (int f : failed) EXPECT_NE(std::find(assumptions.begin(), assumptions.end(), f), assumptions.end()) << what;
    EXPECT_FALSE(satisfiableUnder(cnf, vars, failed)) << what << ": the failed assumptions alone are not enough";
    (void)back;
}

TEST(Assumptions, RepeatedSolvesOnAGrowingProblemAgreeWithBruteForce) {
    for (Back back : {Back::Core, Back::Cadical}) {
        for (unsigned seed = 1; seed <= 40; seed++) {
            std::mt19937 rng(seed);
            const int vars = 12;
            Solver S(10);
            CadicalSession session;
            Cnf cnf;
            while (S.nVars() < vars) S.newVar();
            for (int round = 0; round < 12 && S.okay(); round++) {
                Cnf more = randomCnf(vars, 4, 3, rng);
                for (const auto& c : more) {
                    cnf.push_back(c);
                    addCnfClause(S, c);
                }
                std::vector<int> assumptions;
                int n = static_cast<int>(rng() % 5);
                for (int i = 0; i < n; i++) {
                    int v = static_cast<int>(rng() % vars) + 1;
                    assumptions.push_back(rng() & 1 ? v : -v);
                }
                bool sat = solveWith(back, S, session, assumptions);
                checkAnswer(back, S, cnf, vars, assumptions, sat, back == Back::Core ? "core" : "cadical");
                EXPECT_EQ(S.decisionLevel(), 0);
            }
        }
    }
}

TEST(Assumptions, CornerCases) {
    for (Back back : {Back::Core, Back::Cadical}) {
        Solver S(10);
        CadicalSession session;
        Cnf cnf = {{1, 2}, {-1, 3}, {-4}};
        loadCnf(S, cnf, 4);
        // Empty list: the clauses alone.
        EXPECT_TRUE(solveWith(back, S, session, {}));
        // False at level 0: unsat, and that assumption is the failed one.
        EXPECT_FALSE(solveWith(back, S, session, {4}));
        EXPECT_EQ(codesOf(S.conflict), std::vector<int>{-4});
        EXPECT_TRUE(S.okay()) << "an assumption's refutation leaves the clauses satisfiable";
        // The same literal twice, and a literal with its negation.
        EXPECT_TRUE(solveWith(back, S, session, {1, 1}));
        EXPECT_EQ(S.model[0], l_True);
        EXPECT_EQ(S.model[2], l_True);
        EXPECT_FALSE(solveWith(back, S, session, {2, -2}));
        checkAnswer(back, S, cnf, 4, {2, -2}, false, "a literal and its negation");
        // Implied conflict: 1 forces 3; assuming -3 with 1 fails, 1 or -3 alone does not.
        EXPECT_FALSE(solveWith(back, S, session, {-2, 1, -3}));
        checkAnswer(back, S, cnf, 4, {-2, 1, -3}, false, "implied");
        EXPECT_TRUE(solveWith(back, S, session, {-3}));
        // A clause added later counts from then on; a contradiction at level 0 ends it for good.
        addCnfClause(S, {-2});
        cnf.push_back({-2});
        EXPECT_TRUE(solveWith(back, S, session, {}));
        EXPECT_EQ(S.model[0], l_True) << "-2 forces 1";
        addCnfClause(S, {-1});
        EXPECT_FALSE(solveWith(back, S, session, {}));
        EXPECT_EQ(S.conflict.size(), 0);
        EXPECT_FALSE(solveWith(back, S, session, {3}));
    }
}

}  // namespace
