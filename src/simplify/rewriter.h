// The rewriter: construction of terms in normal form. `mk` takes operands
// that are already in normal form, tries the rules of the operator's family
// and returns the normal form of the application; `rewrite` brings a whole
// DAG into normal form bottom-up over an explicit stack, optionally
// replacing nodes by other terms on the way (variable elimination and the
// propagation of asserted atoms).
//
// Invariants: every result is a node of the same store with the sort of its
// input; equal inputs give equal results on every run (operands are ordered
// by id, never by address); a result is remembered as its own normal form,
// so rewriting it again returns it at once. Rules that build new terms go
// through `mk` again, under a nesting bound beyond which nodes are built as
// they are.
#pragma once

#include <array>
#include <cstdint>
#include <initializer_list>
#include <unordered_map>
#include <vector>

#include "simplify/rules.h"
#include "terms/evaluator.h"
#include "terms/term_store.h"

namespace torva::simplify {

struct RewriteSettings {
    bool rules = true;   // every rule; off leaves constant folding only
    bool linear = true;  // canonical sums of constant multiples
};

using RuleCounts = std::array<uint64_t, kNumRules>;

class Rewriter {
public:
    Rewriter(terms::TermStore& store, const RewriteSettings& settings);

    // The normal form of kind(args; indices), operands in normal form. An
    // associative operator may be given one operand (and and or none).
    terms::TermId mk(terms::Kind kind, std::vector<terms::TermId> args, std::vector<uint32_t> indices = {});
    terms::TermId mk(terms::Kind kind, std::initializer_list<terms::TermId> args,
                     std::initializer_list<uint32_t> indices = {});

    // The normal form of t, with every node that is a key of `replace`
    // first replaced by its value (which is rewritten in turn; the caller
    // keeps the replacements free of cycles). The walk's memo lives until
    // the replacements change.
    terms::TermId rewrite(terms::TermId t);
    void setReplacements(std::unordered_map<terms::TermId, terms::TermId> replace);

    terms::TermStore& store() { return store_; }
    const RewriteSettings& settings() const { return settings_; }
    const RuleCounts& counts() const { return counts_; }
    void fired(RuleId rule) { ++counts_[static_cast<size_t>(rule)]; }

    terms::TermId boolConst(bool value) { return store_.mkBool(value); }
    terms::TermId bvConst(uint32_t width, const mpz_class& value);
    terms::TermId zero(uint32_t width) { return bvConst(width, 0); }
    terms::TermId ones(uint32_t width);
    bool isConst(terms::TermId t) const { return store_.kind(t) == terms::Kind::Const; }
    bool isConst(terms::TermId t, const mpz_class& value) const { return isConst(t) && store_.value(t) == value; }
    bool isOnes(terms::TermId t) const;
    // a is the Boolean negation or the bitwise complement of b.
    bool isComplement(terms::TermId a, terms::TermId b) const;

private:
    terms::TermId normalForm(Node& node);
    terms::TermId dispatch(Node& node);
    terms::TermId fold(terms::TermId raw);
    void remember(terms::TermId raw, terms::TermId result);

    terms::TermStore& store_;
    RewriteSettings settings_;
    RuleCounts counts_{};
    terms::Evaluator folder_;  // never assigned: values of constant nodes only
    // normal_[raw] is the normal form of the node raw (kKeep when unknown).
    std::vector<terms::TermId> normal_;
    // The walk's memo of rewrite(), valid for the current replacements.
    std::vector<terms::TermId> walked_;
    std::unordered_map<terms::TermId, terms::TermId> replace_;
    int nesting_ = 0;
};

}  // namespace torva::simplify
