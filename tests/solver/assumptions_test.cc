// Solving under assumptions, again and again on one growing problem, with
// the built-in solver and with the CaDiCaL session: every answer agrees with
// brute force under the assumptions, the failed assumptions returned are
// themselves enough for unsatisfiability (checked by brute force), clauses
// added between calls count from then on, and the corner cases hold.
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
            for (int i = 0; S_.okay() && i < S_.conflict.size(); i++) failed.push_back(dimacsLit(~S_.conflict[i]));
            return false;
        }
        for (int v = 0; v < S_.nVars(); v++) model |= uint64_t(S_.model[v] == l_True) << v;
        return true;
    }
    bool solveCadical(const std::vector<int>& assumptions) {
        bool interrupted = false;
        if (cadical_.solve(assumptions, {}, interrupted) != l_True) {
            for (int a : assumptions)
                if (cadical_.failed(a) && std::count(failed.begin(), failed.end(), a) == 0) failed.push_back(a);
            return false;
        }
        for (int v = 1; v <= cadical_.vars(); v++) model |= uint64_t(cadical_.value(v) ? 1 : 0) << (v - 1);
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
    const int vars = 12;
    for (Back back : {Back::Core, Back::Cadical}) {
        for (unsigned seed = 1; seed <= 40; seed++) {
            std::mt19937 rng(seed);
            Problem p(back, vars);
            for (int round = 0; round < 12; round++) {
                for (const auto& c : randomCnf(vars, 4, 3, rng)) p.add(c);
                std::vector<int> assumptions;
                for (int i = static_cast<int>(rng() % 5); i > 0; i--) {
                    const int v = static_cast<int>(rng() % vars) + 1;
                    assumptions.push_back(rng() & 1 ? v : -v);
                }
                checkAnswer(p, vars, assumptions, p.solve(assumptions), "random");
                EXPECT_TRUE(p.atLevelZero());
            }
        }
    }
}

// The corner cases go through the same oracle: an empty list, an assumption
// false at level 0, the same literal twice, a literal and its negation, a
// conflict found by propagation. Once the clauses alone are unsatisfiable no
// assumption is blamed.
TEST(Assumptions, CornerCases) {
    const std::vector<std::vector<int>> cases = {{}, {4}, {1, 1}, {2, -2}, {-2, 1, -3}, {-3}};
    for (Back back : {Back::Core, Back::Cadical}) {
        Problem p(back, 4);
        for (const auto& c : Cnf{{1, 2}, {-1, 3}, {-4}}) p.add(c);
        for (const std::vector<int>& assumptions : cases)
            checkAnswer(p, 4, assumptions, p.solve(assumptions), "corner case");
        p.add({-2});
        p.add({-1});
        for (const std::vector<int>& assumptions : cases) {
            EXPECT_FALSE(p.solve(assumptions));
            EXPECT_TRUE(p.failed.empty()) << p.name();
        }
    }
}

}  // namespace
