// Propagation of asserted atoms: inside the other assertions an asserted
// atom a is true, an asserted not a makes a false, and an asserted t = c
// (c a constant) makes t equal to c. The sources themselves stay as they
// are (rewritten with their own facts they would turn into true), so the
// conjunction keeps its meaning.
// Scopes: it runs for a check solved alone; nothing it finds outlives that
// check.
#include <unordered_map>

#include "simplify/passes.h"

namespace torva::simplify {

using terms::Kind;
using terms::TermId;

namespace {

// The fact an assertion states, as a term and the value it has; false when
// it states none that can be propagated.
bool factOf(Rewriter& rw, TermId a, TermId& term, TermId& value) {
    const terms::TermStore& s = rw.store();
    Kind k = s.kind(a);
    if (k == Kind::Const) return false;
    if (k == Kind::Not) {
        term = s.arg(a, 0);
        value = rw.boolConst(false);
        return true;
    }
    if (k == Kind::Equal && s.numArgs(a) == 2 && !s.isBool(s.arg(a, 0))) {
        TermId l = s.arg(a, 0), r = s.arg(a, 1);
        if (rw.isConst(l)) std::swap(l, r);
        if (rw.isConst(r) && !rw.isConst(l)) {
            term = l;
            value = r;
            return true;
        }
    }
    term = a;
    value = rw.boolConst(true);
    return true;
}

// t rebuilt over the rewritten operands: the fact about t itself is not
// used, those about its subterms are.
TermId rebuiltBelow(Rewriter& rw, TermId t) {
    const terms::TermStore& s = rw.store();
    if (s.numArgs(t) == 0) return t;
    std::vector<TermId> args;
    for (uint32_t i = 0; i < s.numArgs(t); i++) args.push_back(rw.rewrite(s.arg(t, i)));
    std::vector<uint32_t> indices;
    for (uint32_t i = 0; i < s.numIndices(t); i++) indices.push_back(s.index(t, i));
    return rw.mk(s.kind(t), std::move(args), std::move(indices));
}

// The assertion a, whose own fact is about `term`, with the other facts used.
TermId withOwnFact(Rewriter& rw, TermId a, TermId term) {
    const terms::TermStore& s = rw.store();
    if (term == a) return rebuiltBelow(rw, a);
    TermId inner = rebuiltBelow(rw, term);
    if (s.kind(a) == Kind::Not) return rw.mk(Kind::Not, {inner});
    TermId constant = s.arg(a, 0) == term ? s.arg(a, 1) : s.arg(a, 0);
    return rw.mk(Kind::Equal, {inner, constant});
}

}  // namespace

bool propagateAtoms(PassContext& pass) {
    Rewriter& rw = pass.rw;
    std::unordered_map<TermId, TermId> facts;
    std::vector<TermId> factTerms(pass.assertions.size(), kKeep);
    for (size_t i = 0; i < pass.assertions.size(); i++) {
        TermId term, value;
        if (!factOf(rw, pass.assertions[i], term, value)) continue;
        auto [it, inserted] = facts.emplace(term, value);
        if (!inserted && it->second != value) {
            // t = c1 and t = c2, or a and not a
            pass.assertions = {rw.boolConst(false)};
            return true;
        }
        factTerms[i] = term;
    }
    if (facts.empty()) return false;
    rw.setReplacements(std::move(facts));
    bool changed = false;
    for (size_t i = 0; i < pass.assertions.size(); i++) {
        TermId image = factTerms[i] == kKeep ? rw.rewrite(pass.assertions[i])
                                             : withOwnFact(rw, pass.assertions[i], factTerms[i]);
        if (image == pass.assertions[i]) continue;
        pass.assertions[i] = image;
        changed = true;
        ++pass.stats.propagated;
    }
    rw.setReplacements({});
    return changed;
}

}  // namespace torva::simplify
