// Instances of the rewrite rules: for every rule, raw terms (store.mk,
// never simplified) that the rule matches, over fresh variables and with
// constants enumerated so that the rule's side conditions both hold and
// fail. The soundness and coverage tests build them at widths 1 to 4.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <vector>

#include "simplify/rules.h"
#include "terms/term_store.h"

namespace rwtest {

// The terms of one builder at one width. x, y, z are bit-vector variables
// of the width, p, q, r Boolean ones, T and F the Boolean constants.
struct InstanceBuilder {
    InstanceBuilder(torva::terms::TermStore& store, uint32_t width);

    // The constant v mod 2^width (the builder's width by default).
    torva::terms::TermId c(uint64_t v, uint32_t width = 0);
    torva::terms::TermId ones(uint32_t width = 0) { return c(~uint64_t(0), width); }
    torva::terms::TermId mk(torva::terms::Kind kind, std::initializer_list<torva::terms::TermId> args,
                            std::initializer_list<uint32_t> indices = {});
    // Every value of the width up to 4 bits, else the edge values and two
    // alternating patterns.
    std::vector<uint64_t> values(uint32_t width = 0) const;
    torva::terms::TermId no(torva::terms::TermId t) { return mk(torva::terms::Kind::Not, {t}); }
    torva::terms::TermId bvnot(torva::terms::TermId t) { return mk(torva::terms::Kind::BvNot, {t}); }
    // Adds the instance kind(args; indices).
    void add(torva::terms::Kind kind, std::initializer_list<torva::terms::TermId> args,
             std::initializer_list<uint32_t> indices = {});

    torva::terms::TermStore& s;
    const uint32_t w;
    const torva::terms::TermId x, y, z, p, q, r, T, F;
    std::vector<torva::terms::TermId> terms;
};

// Adds the instances of the rule to the builder. Instances over three
// bit-vector variables (x, y and z) are meant for widths up to 3.
void buildInstances(torva::simplify::RuleId rule, InstanceBuilder& b);

}  // namespace rwtest
