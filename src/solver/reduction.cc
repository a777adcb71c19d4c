// Learnt-clause reduction. The classic reduction halves the database by
// activity whenever it outgrows its budget. The tiered one runs on a conflict
// schedule: clauses of glue at most coreGlue stay for good, those up to
// tier2Glue stay while they keep taking part in conflicts, and of the rest
// the reduceShare percent with the highest glue (lowest activity among
// equals) go; the interval grows with the square root of the reductions. Reasons
// of assigned literals (locked clauses) are never deleted.
#include <algorithm>
#include <cmath>

#include "config.h"
#include "solver/solver.h"

namespace {
struct reduceDB_lt {
    bool operator()(Clause* x, Clause* y) const {
        return x->size() > 2 && (y->size() == 2 || x->activity() < y->activity());
    }
};

// Worst first: higher glue, then lower activity.
bool worseLearnt(Clause* x, Clause* y) {
    if (x->glue() != y->glue()) return x->glue() > y->glue();
    return x->activity() < y->activity();
}
}  // namespace

bool Solver::reductionDue(int nof_learnts) {
    if (toClses.noClsDel) return false;
    if (settings.learnts == SearchSettings::Learnts::Classic)
        return nof_learnts >= 0 && nLearnts() - nAssigns() >= nof_learnts;
    if (nextReduce == 0) nextReduce = static_cast<uint64_t>(settings.reduceInterval);
    return conflicts >= nextReduce;
}

void Solver::reduceDB() {
    int i, j;
    double extra_lim = cla_inc / learnts.size();
    sort(learnts, reduceDB_lt());
    for (i = j = 0; i < learnts.size() / 2; i++) {
        if (learnts[i]->size() > 2 && !locked(*learnts[i]))
            removeClause(*learnts[i]);
        else
            learnts[j++] = learnts[i];
    }
    for (; i < learnts.size(); i++) {
        if (learnts[i]->size() > 2 && !locked(*learnts[i]) && learnts[i]->activity() < extra_lim)
            removeClause(*learnts[i]);
        else
            learnts[j++] = learnts[i];
    }
    learnts.shrink(i - j);
}

void Solver::reduceTiered() {
    reductions++;
    nextReduce = conflicts + static_cast<uint64_t>(settings.reduceInterval * std::sqrt(reductions + 1.0));
    reduceCandidates.clear();
    for (Clause* c : learnts) {
        bool recentlyUsed = c->used();
        c->setUsed(false);
        if (c->glue() <= static_cast<uint32_t>(settings.coreGlue) || locked(*c)) continue;
        if (recentlyUsed && c->glue() <= static_cast<uint32_t>(settings.tier2Glue)) continue;
        reduceCandidates.push_back(c);
    }
    std::sort(reduceCandidates.begin(), reduceCandidates.end(), worseLearnt);
    size_t doomed = reduceCandidates.size() * static_cast<size_t>(settings.reduceShare) / 100;
    for (size_t k = 0; k < doomed; k++) reduceCandidates[k]->setDoomed();
    int j = 0;
    for (int i = 0; i < learnts.size(); i++) {
        if (learnts[i]->doomed())
            removeClause(*learnts[i]);
        else
            learnts[j++] = learnts[i];
    }
    learnts.shrink(learnts.size() - j);
}

// The number of distinct decision levels among the literals.
uint32_t Solver::glueOf(const Lit* lits, int n) {
    if (levelStamp.size() < static_cast<size_t>(decisionLevel()) + 1) levelStamp.resize(decisionLevel() + 1, 0);
    glueStamp++;
    uint32_t glue = 0;
    for (int i = 0; i < n; i++) {
        int l = level[var(lits[i])];
        if (levelStamp[l] == glueStamp) continue;
        levelStamp[l] = glueStamp;
        glue++;
    }
    return glue;
}

// A learnt clause that takes part in a conflict is marked used and its glue
// is lowered when its literals now span fewer levels.
void Solver::refreshGlue(Clause& c) {
    c.setUsed(true);
    if (c.glue() <= static_cast<uint32_t>(settings.coreGlue)) return;
    uint32_t glue = glueOf(c.lits(), c.size());
    if (glue < c.glue()) c.setGlue(glue);
}
