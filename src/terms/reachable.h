// A walk over every node reachable from a set of roots, each node visited
// once, in an order fixed by the ids (an explicit stack, so depth is bounded
// only by memory).
#pragma once

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

}  // namespace torva::terms
