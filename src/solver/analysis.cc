// Conflict analysis: first-UIP learning over clause, learnt and module
// reasons alike (a reason holds its implied literal at position 0 and false
// literals elsewhere), recursive minimisation, the final conflict over the
// assumptions, and the variable and clause activities.
#include "solver/solver.h"

void Solver::analyze(Clause* confl, vec<Lit>& out_learnt, int& out_btlevel) {
    int pathC = 0;
    Lit p = lit_Undef;
    out_learnt.push(lit_Undef);
    int index = trail.size() - 1;
    out_btlevel = 0;

    do {
        TORVA_CHECK(confl != nullptr, "Solver");
        Clause& c = *confl;
        if (c.learnt()) {
            claBumpActivity(c);
            if (settings.learnts == SearchSettings::Learnts::Tiered) refreshGlue(c);
        }
        for (int j = (p == lit_Undef) ? 0 : 1; j < c.size(); j++) {
            Lit q = c[j];
            Var v = var(q);
            if (seen[v] || level[v] <= 0) continue;
            varBumpActivity(v);
            seen[v] = 1;
            if (level[v] >= decisionLevel()) {
                pathC++;
            } else {
                out_learnt.push(q);
                if (level[v] > out_btlevel) out_btlevel = level[v];
            }
        }
        while (!seen[var(trail[index--])]) {}
        p = trail[index + 1];
        confl = reason[var(p)];
        seen[var(p)] = 0;
        pathC--;
    } while (pathC > 0);
    out_learnt[0] = ~p;

    int i, j;
    if (expensive_ccmin) {
        uint32_t abstract_level = 0;
        for (i = 1; i < out_learnt.size(); i++) abstract_level |= abstractLevel(var(out_learnt[i]));
        out_learnt.copyTo(analyze_toclear);
        for (i = j = 1; i < out_learnt.size(); i++)
            if (reason[var(out_learnt[i])] == nullptr || !litRedundant(out_learnt[i], abstract_level))
                out_learnt[j++] = out_learnt[i];
    } else {
        out_learnt.copyTo(analyze_toclear);
        for (i = j = 1; i < out_learnt.size(); i++) {
            Clause* r = reason[var(out_learnt[i])];
            if (r == nullptr) {
                out_learnt[j++] = out_learnt[i];
                continue;
            }
            for (int k = 1; k < r->size(); k++) {
                Var v = var((*r)[k]);
                if (!seen[v] && level[v] > 0) {
                    out_learnt[j++] = out_learnt[i];
                    break;
                }
            }
        }
    }
    max_literals += static_cast<uint64_t>(out_learnt.size());
    out_learnt.shrink(i - j);
    tot_literals += static_cast<uint64_t>(out_learnt.size());

    if (out_learnt.size() == 1) {
        out_btlevel = 0;
    } else {
        int max_i = 1;
        for (int k = 2; k < out_learnt.size(); k++)
            if (level[var(out_learnt[k])] > level[var(out_learnt[max_i])]) max_i = k;
        Lit tmp = out_learnt[max_i];
        out_learnt[max_i] = out_learnt[1];
        out_learnt[1] = tmp;
        out_btlevel = level[var(tmp)];
    }

    for (int k = 0; k < analyze_toclear.size(); k++) seen[var(analyze_toclear[k])] = 0;
}

bool Solver::litRedundant(Lit p, uint32_t abstract_levels) {
    analyze_stack.clear();
    analyze_stack.push(p);
    int top = analyze_toclear.size();
    while (analyze_stack.size() > 0) {
        TORVA_CHECK(reason[var(analyze_stack.last())] != nullptr, "Solver");
        Clause& c = *reason[var(analyze_stack.last())];
        analyze_stack.pop();
        for (int i = 1; i < c.size(); i++) {
            Lit q = c[i];
            Var v = var(q);
            if (seen[v] || level[v] <= 0) continue;
            if (reason[v] != nullptr && (abstractLevel(v) & abstract_levels) != 0) {
                seen[v] = 1;
                analyze_stack.push(q);
                analyze_toclear.push(q);
            } else {
                for (int j = top; j < analyze_toclear.size(); j++) seen[var(analyze_toclear[j])] = 0;
                analyze_toclear.shrink(analyze_toclear.size() - top);
                return false;
            }
        }
    }
    return true;
}

void Solver::analyzeFinal(Lit p, vec<Lit>& out_conflict) {
    out_conflict.clear();
    out_conflict.push(p);
    if (decisionLevel() == 0) return;
    seen[var(p)] = 1;
    for (int i = trail.size() - 1; i >= trail_lim[0]; i--) {
        Var x = var(trail[i]);
        if (!seen[x]) continue;
        if (reason[x] == nullptr) {
            TORVA_CHECK(level[x] > 0, "Solver");
            out_conflict.push(~trail[i]);
        } else {
            Clause& c = *reason[x];
            for (int j = 1; j < c.size(); j++)
                if (level[var(c[j])] > 0) seen[var(c[j])] = 1;
        }
        seen[x] = 0;
    }
    seen[var(p)] = 0;
}

void Solver::varBumpActivity(Var v) {
    if ((activity[v] += var_inc) > 1e100) {
        for (int i = 0; i < nVars(); i++) activity[i] *= 1e-100;
        var_inc *= 1e-100;
    }
    if (order_heap.inHeap(v)) order_heap.decrease(v);
}

void Solver::claBumpActivity(Clause& c) {
    c.activity() = static_cast<float>(c.activity() + cla_inc);
    if (c.activity() > 1e20) {
        for (int i = 0; i < learnts.size(); i++) learnts[i]->activity() = static_cast<float>(learnts[i]->activity() * 1e-20);
        cla_inc *= 1e-20;
    }
}
