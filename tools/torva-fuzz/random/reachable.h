// The walk over a DAG of nodes held in a vector, each naming its operands by
// their positions (kids): every node reachable from the roots, once.
#pragma once

#include <vector>

namespace torva_random {

// Visits each node reachable from the roots once, in no fixed order, until
// visit returns false; whether every reachable node was visited.
template <class Node, class Visit>
bool visitReachable(const std::vector<Node>& nodes, std::vector<int> todo, Visit visit) {
    std::vector<bool> seen(nodes.size(), false);
    while (!todo.empty()) {
        int i = todo.back();
        todo.pop_back();
        if (seen[i]) continue;
        seen[i] = true;
        if (!visit(nodes[i])) return false;
        for (int k : nodes[i].kids) todo.push_back(k);
    }
    return true;
}

}  // namespace torva_random
