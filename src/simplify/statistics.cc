// The statistics printer of the simplification.
#include <algorithm>
#include <cstdio>

#include "simplify/simplify.h"

namespace torva::simplify {

void printStats(const SimplifyStats& stats, std::FILE* out) {
    std::fprintf(out, "simplify.nodes.before: %zu\n", stats.nodesBefore);
    std::fprintf(out, "simplify.nodes.after: %zu\n", stats.nodesAfter);
    std::fprintf(out, "simplify.rounds: %u\n", stats.rounds);
    std::fprintf(out, "simplify.split.conjunctions: %llu\n", static_cast<unsigned long long>(stats.conjunctsSplit));
    std::fprintf(out, "simplify.subst.eliminated: %llu\n", static_cast<unsigned long long>(stats.substituted));
    std::fprintf(out, "simplify.propagate.changed: %llu\n", static_cast<unsigned long long>(stats.propagated));
    std::fprintf(out, "simplify.unconstrained.replaced: %llu\n",
                 static_cast<unsigned long long>(stats.unconstrained));
    std::vector<size_t> order;
    for (size_t i = 0; i < kNumRules; i++)
        if (stats.rules[i] != 0) order.push_back(i);
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return stats.rules[a] > stats.rules[b]; });
    for (size_t i : order)
        std::fprintf(out, "simplify.rule.%s: %llu\n", ruleName(static_cast<RuleId>(i)),
                     static_cast<unsigned long long>(stats.rules[i]));
}

}  // namespace torva::simplify
