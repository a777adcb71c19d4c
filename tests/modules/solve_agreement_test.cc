// Small complete solves: each operation once as a registered module and once
// as clauses (its truth table), under the same random side clauses. Both
// answers must match a brute-force search over the operation's models, and a
// model found with the module must satisfy the operation and the side clauses.
// The rounds go through every combination of the search choices.
#include <random>

#include "modules/module_test_support.h"
#include "support/search_variants.h"

namespace {

typedef std::vector<std::vector<Lit>> ClauseList;

// One clause per input combination and output bit: some input differs from
// the combination, or the output bit has the value the operation gives it.
void addTruthTable(Solver& s, const Operation& op) {
    while (s.nVars() < op.nVars()) s.newVar(true, true);
    vec<Lit> clause;
    for (uint64_t in = 0; in < (uint64_t{1} << op.nIn()); in++) {
        const uint64_t out = op.outputOf(in);
        for (int j = 0; j < op.nOut(); j++) {
            clause.clear();
            for (int i = 0; i < op.nIn(); i++) clause.push(Lit(i, (in >> i) & 1));
            clause.push(Lit(op.nIn() + j, !((out >> j) & 1)));
            s.addClause(clause);
        }
    }
}

bool satisfies(uint64_t assignment, const ClauseList& clauses) {
    for (const std::vector<Lit>& c : clauses) {
        bool sat = false;
        for (Lit p : c) sat |= ((assignment >> var(p)) & 1) != static_cast<uint64_t>(sign(p));
        if (!sat) return false;
    }
    return true;
}

bool solveWith(Solver& s, const ClauseList& side) {
    vec<Lit> clause;
    for (const std::vector<Lit>& c : side) {
        clause.clear();
        for (Lit p : c) clause.push(p);
        if (!s.addClause(clause)) return false;
    }
    return s.simplify() && s.solve(vec<Lit>());
}

ClauseList randomSideClauses(std::mt19937& rng, int nVars) {
    ClauseList side(1 + rng() % 4);
    for (std::vector<Lit>& c : side)
        for (unsigned int k = 1 + rng() % 3; k > 0; k--) c.push_back(Lit(static_cast<int>(rng() % nVars), rng() % 2));
    return side;
}

TEST(ModuleSolve, ModuleAndClausesAgreeWithBruteForce) {
    std::mt19937 rng(7);
    const std::vector<SearchSettings> variants = searchVariants();
    size_t variant = 0;
    for (const Operation& op : smallOperations(3)) {
        SCOPED_TRACE(op.name());
        const std::vector<uint64_t> models = op.models();
        for (int round = 0; round < 15; round++) {
            const ClauseList side = randomSideClauses(rng, op.nVars());
            bool expected = false;
            for (uint64_t model : models) expected |= satisfies(model, side);

            {
                ModuleSolver withModule;
                withModule.s.settings = variants[variant++ % variants.size()];
                SCOPED_TRACE(describe(withModule.s.settings));
                op.registerWith(withModule.s);
                ASSERT_EQ(expected, solveWith(withModule.s, side));
                if (expected) {
                    uint64_t found = 0;
                    for (int v = 0; v < op.nVars(); v++)
                        if (withModule.s.model[v] == l_True) found |= uint64_t{1} << v;
                    EXPECT_TRUE(op.holds(found));
                    EXPECT_TRUE(satisfies(found, side));
                }
            }
            // One solver at a time: the assignment tables are shared.
            ModuleSolver withClauses;
            addTruthTable(withClauses.s, op);
            ASSERT_EQ(expected, solveWith(withClauses.s, side));
        }
    }
}

}  // namespace
