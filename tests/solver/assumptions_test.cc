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

enum class Back { Core, Cadical };

// One growing problem on one back end: clauses go in as they are added,
// every solve answers with a model (bit v - 1 for variable v) or the failed
// assumptions.
class Problem {
public:
    Problem(Back back, int vars) : back_(back), S_(10) {
        while (S_.nVars() < vars) S_.newVar();
        while (cadical_.vars() < vars) cadical_.newVar();
    }
    void add(const std::vector<int>& clause) {
        cnf.push_back(clause);
        addCnfClause(S_, clause);
        cadical_.addClause(clause);
    }
    bool solve(const std::vector<int>& assumptions) {
        model = 0;
        failed.clear();
        return back_ == Back::Cadical ? solveCadical(assumptions) : solveCore(assumptions);
    }
    bool atLevelZero() const { return S_.decisionLevel() == 0; }
    const char* name() const { return back_ == Back::Core ? "core" : "cadical"; }

    Cnf cnf;
    uint64_t model = 0;
    std::vector<int> failed;

private:
    bool solveCore(const std::vector<int>& assumptions) {
        vec<Lit> lits;
        for (int a : assumptions) lits.push(litOf(a));
        if (!S_.simplify() || !S_.solve(lits)) {
            if (S_.okay())
                for (int i = 0; i < S_.conflict.size(); i++) {
                    Lit l = ~S_.conflict[i];
                    failed.push_back(sign(l) ? -(var(l) + 1) : var(l) + 1);
                }
            return false;
        }
        for (int v = 0; v < S_.nVars(); v++)
            if (S_.model[v] == l_True) model |= uint64_t(1) << v;
        return true;
    }
    bool solveCadical(const std::vector<int>& assumptions) {
        bool interrupted = false;
        if (cadical_.solve(assumptions, {}, interrupted) != l_True) {
            for (int a : assumptions)
                if (cadical_.failed(a) && std::find(failed.begin(), failed.end(), a) == failed.end()) failed.push_back(a);
            return false;
        }
        for (int v = 1; v <= cadical_.vars(); v++)
            if (cadical_.value(v)) model |= uint64_t(1) << (v - 1);
        return true;
    }

    Back back_;
    Solver S_;
    CadicalBackend cadical_;
};

void checkAnswer(const Problem& p, int vars, const std::vector<int>& assumptions, bool sat, const char* what) {
    ASSERT_EQ(sat, satisfiableUnder(p.cnf, vars, assumptions)) << p.name() << ": " << what;
    if (sat) {
        EXPECT_TRUE(satisfiedBy(p.cnf, p.model)) << p.name() << ": " << what;
        for (int a : assumptions) EXPECT_EQ((p.model >> (std::abs(a) - 1)) & 1, a > 0 ? 1u : 0u) << what;
        return;
    }
    for (int f : p.failed) EXPECT_NE(std::find(assumptions.begin(), assumptions.end(), f), assumptions.end()) << what;
    EXPECT_FALSE(satisfiableUnder(p.cnf, vars, p.failed))
        << p.name() << ": " << what << ": the failed assumptions alone are not enough";
}

TEST(Assumptions, RepeatedSolvesOnAGrowingProblemAgreeWithBruteForce) {
    for (Back back : {Back::Core, Back::Cadical}) {
        for (unsigned seed = 1; seed <= 40; seed++) {
            std::mt19937 rng(seed);
            const int vars = 12;
            Problem p(back, vars);
            for (int round = 0; round < 12; round++) {
                for (const auto& c : randomCnf(vars, 4, 3, rng)) p.add(c);
                std::vector<int> assumptions;
                int n = static_cast<int>(rng() % 5);
                for (int i = 0; i < n; i++) {
                    int v = static_cast<int>(rng() % vars) + 1;
                    assumptions.push_back(rng() & 1 ? v : -v);
                }
                bool sat = p.solve(assumptions);
                checkAnswer(p, vars, assumptions, sat, "random");
                EXPECT_TRUE(p.atLevelZero());
            }
        }
    }
}

TEST(Assumptions, CornerCases) {
    for (Back back : {Back::Core, Back::Cadical}) {
        Problem p(back, 4);
        for (const auto& c : Cnf{{1, 2}, {-1, 3}, {-4}}) p.add(c);
        // Empty list: the clauses alone.
        EXPECT_TRUE(p.solve({}));
        // False at level 0: unsat, and that assumption is the failed one.
        EXPECT_FALSE(p.solve({4}));
        EXPECT_EQ(p.failed, std::vector<int>{4});
        // The same literal twice, and a literal with its negation.
        EXPECT_TRUE(p.solve({1, 1}));
        EXPECT_EQ(p.model & 5, 5u);
        EXPECT_FALSE(p.solve({2, -2}));
        checkAnswer(p, 4, {2, -2}, false, "a literal and its negation");
        // Implied conflict: 1 forces 3; assuming -3 with 1 fails, 1 or -3 alone does not.
        EXPECT_FALSE(p.solve({-2, 1, -3}));
        checkAnswer(p, 4, {-2, 1, -3}, false, "implied");
        EXPECT_TRUE(p.solve({-3}));
        // A clause added later counts from then on; a contradiction at level 0 ends it for good.
        p.add({-2});
        EXPECT_TRUE(p.solve({}));
        EXPECT_EQ(p.model & 1, 1u) << "-2 forces 1";
        p.add({-1});
        EXPECT_FALSE(p.solve({}));
        EXPECT_TRUE(p.failed.empty());
        EXPECT_FALSE(p.solve({3}));
    }
}

}  // namespace
