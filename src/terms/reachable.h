// Walks over the nodes reachable from roots, each node visited once, in an
// order fixed by the ids (explicit stacks, so depth is bounded only by
// memory).
#pragma once

#include <utility>
#include <vector>

#include "terms/term_store.h"

namespace torva::terms {

template <class Visit>
void forEachReachable(const TermStore& store, const std::vector<TermId>& roots, Visit visit) {
    std::vector<char> seen(store.size(), 0);
    std::vector<TermId> stack(roots.rbegin(), roots.rend());
    while (!stack.empty()) {
        TermId t = stack.back();
        stack.pop_back();
        if (seen[t]) continue;
        seen[t] = 1;
        visit(t);
        for (uint32_t i = store.numArgs(t); i-- > 0;) stack.push_back(store.arg(t, i));
    }
}

// Visits, operands first, every node below t (t included) for which done()
// is false; visit(u) must make done(u) true.
template <class Done, class Visit>
void forEachPostOrder(const TermStore& store, TermId t, Done done, Visit visit) {
    std::vector<std::pair<TermId, bool>> stack{{t, false}};
    while (!stack.empty()) {
        auto [u, expanded] = stack.back();
        if (done(u)) {
            stack.pop_back();
        } else if (expanded) {
            stack.pop_back();
            visit(u);
        } else {
            stack.back().second = true;
            const TermId* args = store.args(u);
            for (uint32_t i = store.numArgs(u); i-- > 0;)
                if (!done(args[i])) stack.emplace_back(args[i], false);
        }
    }
}

}  // namespace torva::terms
