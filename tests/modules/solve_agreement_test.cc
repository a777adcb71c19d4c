// Small complete solves: each operation as a registered module under random
// side clauses. The answer must match a brute-force search over the
// operation's models, and a model found must satisfy the operation and the
// side clauses. The rounds go through every combination of the search
// choices.
#include <random>

#include "modules/module_test_support.h"
#include "support/search_variants.h"

namespace {

typedef std::vector<std::vector<Lit>> ClauseList;

bool satisfiesAll(uint64_t assignment, const ClauseList& clauses) {
    for (const std::vector<Lit>& c : clauses)
        if (!satisfies(assignment, c)) return false;
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

TEST(ModuleSolve, EveryKindAgreesWithBruteForceInEveryCombination) {
    std::mt19937 rng(7);
    const std::vector<SearchSettings> variants = searchVariants();
    size_t variant = 0;
    for (const Operation& op : smallOperations(3)) {
        SCOPED_TRACE(op.name());
        const std::vector<uint64_t> models = op.models();
        for (int round = 0; round < 15; round++) {
            const ClauseList side = randomSideClauses(rng, op.nVars());
            bool expected = false;
            for (uint64_t model : models) expected |= satisfiesAll(model, side);

            ModuleSolver ms;
            ms.s.settings = variants[variant++ % variants.size()];
            SCOPED_TRACE(describe(ms.s.settings));
            op.registerWith(ms.s);
            ASSERT_EQ(expected, solveWith(ms.s, side));
            if (!expected) continue;
            uint64_t found = 0;
            for (int v = 0; v < op.nVars(); v++) found |= uint64_t(ms.s.model[v] == l_True) << v;
            EXPECT_TRUE(op.holds(found));
            EXPECT_TRUE(satisfiesAll(found, side));
        }
    }
}

}  // namespace
