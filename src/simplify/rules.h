// The rule ids of the rewriter, generated from rules.def, with their names
// and identities for statistics and tests, and the per-family dispatch
// functions the rewriter calls. A dispatch function looks at one node whose
// operands are already rewritten; it either returns the term the node
// rewrites to (built through the rewriter, so already in normal form) or
// kKeep, after which the rewriter builds the node from `node` as the rule
// left it (operands may have been sorted, flattened or replaced).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "terms/term_store.h"

namespace torva::simplify {

enum class RuleId : uint16_t {
#define RULE(id, family, identity) id,
#include "simplify/rules.def"
#undef RULE
};

constexpr size_t kNumRules = 0
#define RULE(id, family, identity) +1
#include "simplify/rules.def"
#undef RULE
    ;

const char* ruleName(RuleId rule);
const char* ruleIdentity(RuleId rule);

// A node being rewritten: kind, operands and indices.
struct Node {
    terms::Kind kind;
    std::vector<terms::TermId> args;
    std::vector<uint32_t> indices;
};

// No term: what a rule returns when the node is to be built as it stands.
constexpr terms::TermId kKeep = ~terms::TermId{0};

class Rewriter;

terms::TermId rewriteBool(Rewriter& rw, Node& node);
terms::TermId rewriteEqIte(Rewriter& rw, Node& node);
terms::TermId rewriteBitwise(Rewriter& rw, Node& node);
terms::TermId rewriteArith(Rewriter& rw, Node& node);
terms::TermId rewriteDivRem(Rewriter& rw, Node& node);
terms::TermId rewriteShift(Rewriter& rw, Node& node);
terms::TermId rewriteStruct(Rewriter& rw, Node& node);
terms::TermId rewriteCompare(Rewriter& rw, Node& node);

}  // namespace torva::simplify
