// When the search gives up its trail and starts again from level 0: the
// classic geometric budget, the Luby sequence, or glue averages (a fast
// moving average of the learnt clauses' glue against a slow one; the search
// restarts when recent clauses are markedly worse than usual).
#include "config.h"
#include "solver/solver.h"

namespace {
// The i-th element (from 0) of the Luby sequence 1 1 2 1 1 2 4 1 1 2 ...
uint64_t luby(uint64_t i) {
    uint64_t size = 1, exponent = 0;
    while (size < i + 1) {
        exponent++;
        size = 2 * size + 1;
    }
    while (size - 1 != i) {
        size = (size - 1) >> 1;
        exponent--;
        i %= size;
    }
    return uint64_t{1} << exponent;
}

constexpr double kFastGlueAlpha = 1.0 / 32;
constexpr double kSlowGlueAlpha = 1.0 / 16384;
}  // namespace

// A running average that starts as the plain mean, so the first clauses are
// not weighed against an initial zero.
void Solver::noteGlue(uint32_t glue) {
    gluesSeen++;
    double seen = static_cast<double>(gluesSeen);
    double fast = std::max(kFastGlueAlpha, 1.0 / seen);
    double slow = std::max(kSlowGlueAlpha, 1.0 / seen);
    fastGlue += fast * (glue - fastGlue);
    slowGlue += slow * (glue - slowGlue);
}

bool Solver::restartDue(int conflictC, int nof_conflicts) const {
    switch (settings.restarts) {
        case SearchSettings::Restarts::Classic:
            return !toClses.noRestarts && nof_conflicts >= 0 && conflictC >= nof_conflicts;
        case SearchSettings::Restarts::Luby:
            return static_cast<uint64_t>(conflictC) >= luby(starts - 1) * static_cast<uint64_t>(settings.lubyUnit);
        case SearchSettings::Restarts::Glucose:
            return conflictC >= settings.glucoseMinConflicts && fastGlue > settings.glucoseMargin * slowGlue;
    }
    return false;
}
