// The switches of the simplification by their dotted keys, and the
// statistics printer.
#include <algorithm>
#include <cstdio>

#include "simplify/simplify.h"

namespace torva::simplify {

const std::vector<SettingKey>& settingKeys() {
    static const std::vector<SettingKey> keys = {
        {"simplify.linear", "canonical sums of constant multiples", nullptr, &RewriteSettings::linear},
        {"simplify.probe", "guessed assignments are tried before the search", &SimplifySettings::probe, nullptr},
        {"simplify.propagate", "asserted atoms are true inside the other assertions", &SimplifySettings::propagate,
         nullptr},
        {"simplify.rewrite", "rewrite rules (off: constant folding only)", nullptr, &RewriteSettings::rules},
        {"simplify.subst", "top-level x = t eliminates x", &SimplifySettings::substitute, nullptr},
        {"simplify.unconstrained", "terms over a variable occurring once become fresh variables",
         &SimplifySettings::unconstrained, nullptr},
    };
    return keys;
}

bool setSetting(SimplifySettings& settings, const std::string& key, const std::string& value, std::string& error) {
    const std::vector<SettingKey>& keys = settingKeys();
    auto it = std::find_if(keys.begin(), keys.end(), [&](const SettingKey& k) { return key == k.key; });
    if (it == keys.end()) {
        error = "unknown setting '" + key + "'";
        return false;
    }
    bool on;
    if (value == "true" || value == "1") {
        on = true;
    } else if (value == "false" || value == "0") {
        on = false;
    } else {
        error = "bad value '" + value + "' for " + key + " (expected true or false)";
        return false;
    }
    if (it->field) settings.*(it->field) = on;
    if (it->rewriteField) settings.rewrite.*(it->rewriteField) = on;
    return true;
}

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
