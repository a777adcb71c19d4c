// Splitting of top-level conjunctions. Invariant kept: no assertion is
// true, an and, or the negation of an or; a false assertion is the only one.
#include "simplify/passes.h"

namespace torva::simplify {

using terms::Kind;
using terms::TermId;

bool splitConjunctions(PassContext& pass) {
    terms::TermStore& s = pass.rw.store();
    std::vector<TermId> kept;
    std::vector<TermId> stack(pass.assertions.rbegin(), pass.assertions.rend());
    bool changed = false;
    while (!stack.empty()) {
        TermId a = stack.back();
        stack.pop_back();
        if (s.kind(a) == Kind::And || (s.kind(a) == Kind::Not && s.kind(s.arg(a, 0)) == Kind::Or)) {
            changed = true;
            ++pass.stats.conjunctsSplit;
            bool negate = s.kind(a) == Kind::Not;
            TermId junction = negate ? s.arg(a, 0) : a;
            for (uint32_t i = s.numArgs(junction); i-- > 0;) {
                TermId part = s.arg(junction, i);
                stack.push_back(negate ? pass.rw.mk(Kind::Not, {part}) : part);
            }
            continue;
        }
        if (a == s.mkBool(false)) {
            changed = pass.assertions.size() != 1 || pass.assertions[0] != a;
            pass.assertions = {a};
            return changed;
        }
        if (a == s.mkBool(true)) {
            changed = true;
            continue;
        }
        kept.push_back(a);
    }
    pass.assertions = std::move(kept);
    return changed;
}

}  // namespace torva::simplify
