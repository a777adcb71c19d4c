// n-queens solved through modules: one queen per row and per column
// (exactly-one modules), at most one per diagonal (binary clauses).
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "config.h"
#include "support/cnf_helpers.h"
#include "support/exactly_one.h"

struct QueensRun {
    bool sat = false;
    std::vector<int> columnOfRow;  // -1 where the model puts no queen
    uint64_t starts = 0;
};

inline QueensRun solveQueens(int n, const SearchSettings& settings = SearchSettings()) {
    Solver s(prioParams[0]);
    s.settings = settings;
    auto cell = [n](int r, int c) { return static_cast<unsigned>(r * n + c); };
    for (int r = 0; r < n; r++) {
        std::vector<unsigned> row, column;
        for (int c = 0; c < n; c++) row.push_back(cell(r, c)), column.push_back(cell(c, r));
        ExactlyOne::attach(s, row, 6);
        ExactlyOne::attach(s, column, 4);
    }
    bool ok = true;
    for (int r1 = 0; r1 < n; r1++)
        for (int c1 = 0; c1 < n; c1++)
            for (int r2 = r1 + 1; r2 < n; r2++)
                for (int c2 = 0; c2 < n; c2++)
                    if (std::abs(r1 - r2) == std::abs(c1 - c2))
                        ok = addCnfClause(s, {-static_cast<int>(cell(r1, c1) + 1), -static_cast<int>(cell(r2, c2) + 1)}) && ok;
    QueensRun run;
    run.sat = ok && s.simplify() && s.solve(vec<Lit>());
    run.columnOfRow.assign(n, -1);
    for (int r = 0; run.sat && r < n; r++) {
        for (int c = 0; c < n; c++) {
            if (s.model[static_cast<int>(cell(r, c))] != l_True) continue;
            EXPECT_EQ(run.columnOfRow[r], -1);
            run.columnOfRow[r] = c;
        }
    }
    run.starts = s.starts;
    deleteModules(s);
    return run;
}

// Every row has a queen and no two attack each other.
inline void expectPlacement(const std::vector<int>& col) {
    int n = static_cast<int>(col.size());
    for (int r = 0; r < n; r++) {
        ASSERT_GE(col[r], 0);
        for (int q = r + 1; q < n; q++) {
            EXPECT_NE(col[r], col[q]);
            EXPECT_NE(std::abs(col[r] - col[q]), q - r);
        }
    }
}
