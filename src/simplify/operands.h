// Operand-list helpers shared by the rule families: double negation,
// flattening of nested applications of the same associative operator,
// sorting by id with duplicates removed, and the search for an operand next
// to its negation.
#pragma once

#include <algorithm>
#include <vector>

#include "simplify/rewriter.h"

namespace torva::simplify {

// not not a => a (and ~~a => a): the operand of the inner negation, or kKeep.
inline terms::TermId doubleNegation(Rewriter& rw, const Node& node, RuleId rule) {
    const terms::TermStore& s = rw.store();
    if (s.kind(node.args[0]) != node.kind) return kKeep;
    rw.fired(rule);
    return s.arg(node.args[0], 0);
}

// Replaces every operand of node's own kind by that operand's operands;
// true when something was replaced.
inline bool flattenSameKind(const terms::TermStore& s, Node& node) {
    bool nested = false;
    for (terms::TermId a : node.args) nested |= s.kind(a) == node.kind;
    if (!nested) return false;
    std::vector<terms::TermId> flat;
    for (terms::TermId a : node.args) {
        if (s.kind(a) != node.kind) {
            flat.push_back(a);
            continue;
        }
        const terms::TermId* inner = s.args(a);
        flat.insert(flat.end(), inner, inner + s.numArgs(a));
    }
    node.args = std::move(flat);
    return true;
}

// Sorts by id and removes duplicates; true when a duplicate was removed.
inline bool sortUnique(std::vector<terms::TermId>& args) {
    std::sort(args.begin(), args.end());
    auto end = std::unique(args.begin(), args.end());
    bool removed = end != args.end();
    args.erase(end, args.end());
    return removed;
}

// Whether the sorted list holds some a together with not a (or ~a).
inline bool hasComplementPair(const terms::TermStore& s, const std::vector<terms::TermId>& sorted) {
    for (terms::TermId a : sorted) {
        terms::Kind k = s.kind(a);
        if ((k == terms::Kind::Not || k == terms::Kind::BvNot) &&
            std::binary_search(sorted.begin(), sorted.end(), s.arg(a, 0)))
            return true;
    }
    return false;
}

}  // namespace torva::simplify
