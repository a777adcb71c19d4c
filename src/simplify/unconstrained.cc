// Unconstrained terms. A variable that occurs exactly once in the
// assertions (one operand slot of one node, or one assertion) is free: the
// node above it can be made to take any value by the choice of the
// variable alone when the operator is invertible in that operand, so the
// node is replaced by a fresh variable, which is free in turn when the node
// occurred once. The variable's value is recorded as a term over the fresh
// variable and the other operands: applied last step first, it makes the
// node take the fresh variable's value.
//
// Scopes: this pass keeps satisfiability, not equivalence, so it runs only
// for a check solved alone (a single query, or the first check of a
// session with no scope and no assumption); nothing it finds is carried
// into a later check, which the incremental session decides from the
// assertions as written.
#include "simplify/modular.h"
#include "simplify/passes.h"
#include "terms/reachable.h"

namespace torva::simplify {

using terms::Kind;
using terms::TermId;

namespace {

class Unconstrained {
public:
    explicit Unconstrained(PassContext& pass) : pass_(pass), rw_(pass.rw), s_(pass.rw.store()) {}

    bool run() {
        countOccurrences();
        image_.assign(s_.size(), kKeep);
        replaced_.assign(s_.size(), 0);
        bool changed = false;
        for (TermId& a : pass_.assertions) {
            TermId image = rebuild(a);
            changed |= image != a;
            a = image;
        }
        return changed;
    }

private:
    void countOccurrences() {
        occurrences_.assign(s_.size(), 0);
        for (TermId a : pass_.assertions) ++occurrences_[a];
        terms::forEachReachable(s_, pass_.assertions, [&](TermId u) {
            for (uint32_t i = 0; i < s_.numArgs(u); i++) ++occurrences_[s_.arg(u, i)];
        });
    }

    // The original node u is free: a variable or a replaced node, occurring once.
    bool isFree(TermId u) const { return occurrences_[u] == 1 && (s_.kind(u) == Kind::Variable || replaced_[u]); }

    TermId rebuild(TermId root) {
        std::vector<std::pair<TermId, bool>> stack{{root, false}};
        std::vector<TermId> args;
        while (!stack.empty()) {
            auto [u, expanded] = stack.back();
            stack.pop_back();
            if (image_[u] != kKeep) continue;
            uint32_t n = s_.numArgs(u);
            if (n == 0) {
                image_[u] = u;
                continue;
            }
            if (!expanded) {
                stack.emplace_back(u, true);
                for (uint32_t i = n; i-- > 0;)
                    if (image_[s_.arg(u, i)] == kKeep) stack.emplace_back(s_.arg(u, i), false);
                continue;
            }
            args.clear();
            for (uint32_t i = 0; i < n; i++) args.push_back(image_[s_.arg(u, i)]);
            TermId fresh = replace(u, args);
            if (fresh != kKeep) {
                image_[u] = fresh;
                replaced_[u] = 1;
                ++pass_.stats.unconstrained;
                continue;
            }
            std::vector<uint32_t> indices;
            for (uint32_t i = 0; i < s_.numIndices(u); i++) indices.push_back(s_.index(u, i));
            image_[u] = rw_.mk(s_.kind(u), args, std::move(indices));
        }
        return image_[root];
    }

    // The index of the one free operand of u, or -1; with several, the first.
    int freeOperand(TermId u) const {
        for (uint32_t i = 0; i < s_.numArgs(u); i++)
            if (isFree(s_.arg(u, i))) return static_cast<int>(i);
        return -1;
    }

    bool allFree(TermId u) const {
        for (uint32_t i = 0; i < s_.numArgs(u); i++)
            if (!isFree(s_.arg(u, i))) return false;
        return true;
    }

    TermId freshLike(TermId u) {
        return s_.mkVar(s_.sort(u), "unconstrained!" + std::to_string(pass_.stats.unconstrained));
    }

    void define(TermId variable, TermId value) { pass_.reconstruction.steps.emplace_back(variable, value); }

    // The other operands of an n-ary node, combined with its operator.
    TermId others(Kind kind, const std::vector<TermId>& args, size_t skip) {
        std::vector<TermId> rest;
        for (size_t i = 0; i < args.size(); i++)
            if (i != skip) rest.push_back(args[i]);
        return rest.size() == 1 ? rest[0] : s_.mk(kind, rest);
    }

    // The fresh variable that replaces u (operands' images in args), or kKeep.
    TermId replace(TermId u, const std::vector<TermId>& args) {
        Kind kind = s_.kind(u);
        int i = freeOperand(u);
        if (i < 0) return kKeep;
        TermId bothFree = replaceWithFreeOperands(u, args);
        if (bothFree != kKeep) return bothFree;
        TermId x = args[i];
        switch (kind) {
            case Kind::BvAdd:
            case Kind::BvXor:
            case Kind::Xor: {
                // x + t => u, x := u - t; x ^ t => u, x := u ^ t
                TermId fresh = freshLike(u);
                TermId rest = others(kind, args, i);
                define(x, s_.mk(kind == Kind::BvAdd ? Kind::BvSub : kind, {fresh, rest}));
                return fresh;
            }
            case Kind::BvSub: {
                if (args.size() != 2) return kKeep;
                // x - t => u, x := u + t; t - x => u, x := t - u
                TermId fresh = freshLike(u);
                TermId t = args[1 - i];
                define(x, i == 0 ? s_.mk(Kind::BvAdd, {fresh, t}) : s_.mk(Kind::BvSub, {t, fresh}));
                return fresh;
            }
            case Kind::BvNeg:
            case Kind::BvNot:
            case Kind::Not: {
                // -x => u, x := -u (and the complements alike)
                TermId fresh = freshLike(u);
                define(x, s_.mk(kind, {fresh}));
                return fresh;
            }
            case Kind::BvMul: {
                // k * x => u for odd k, x := u / k
                if (args.size() != 2 || !rw_.isConst(args[1 - i])) return kKeep;
                const mpz_class& k = s_.value(args[1 - i]);
                if (!mpz_odd_p(k.get_mpz_t())) return kKeep;
                uint32_t w = s_.width(u);
                TermId fresh = freshLike(u);
                define(x, s_.mk(Kind::BvMul, {rw_.bvConst(w, inverseModPowerOfTwo(k, w)), fresh}));
                return fresh;
            }
            case Kind::Equal: {
                if (args.size() != 2) return kKeep;
                // (x = t) => u, x := ite(u, t, t + 1) (not t for Booleans)
                TermId fresh = freshLike(u);
                TermId t = args[1 - i];
                TermId other = s_.isBool(t) ? s_.mk(Kind::Not, {t})
                                            : s_.mk(Kind::BvAdd, {t, rw_.bvConst(s_.width(t), 1)});
                define(x, s_.mk(Kind::Ite, {fresh, t, other}));
                return fresh;
            }
            case Kind::Ite: return replaceIte(u, args);
            case Kind::Concat: {
                if (!allFree(u)) return kKeep;
                // concat(x1, ..., xn) => u, xi := u[slice i]
                TermId fresh = freshLike(u);
                uint32_t top = s_.width(u);
                for (TermId part : args) {
                    uint32_t w = s_.width(part);
                    define(part, s_.mk(Kind::Extract, {fresh}, {top - 1, top - w}));
                    top -= w;
                }
                return fresh;
            }
            case Kind::Extract: {
                // x[h:l] => u, x := concat(0, u, 0)
                TermId fresh = freshLike(u);
                uint32_t w = s_.width(x), hi = s_.index(u, 0), lo = s_.index(u, 1);
                std::vector<TermId> parts;
                if (hi + 1 < w) parts.push_back(rw_.zero(w - 1 - hi));
                parts.push_back(fresh);
                if (lo > 0) parts.push_back(rw_.zero(lo));
                define(x, parts.size() == 1 ? fresh : s_.mk(Kind::Concat, parts));
                return fresh;
            }
            default: return kKeep;
        }
    }

    // op(x, y) with both operands free, for operators with a neutral or
    // deciding choice of y: the first operand takes the value, the second
    // the choice.
    TermId replaceWithFreeOperands(TermId u, const std::vector<TermId>& args) {
        Kind kind = s_.kind(u);
        if (args.size() != 2 || !allFree(u) || s_.isBool(args[0])) return kKeep;
        uint32_t w = s_.width(args[0]);
        TermId x = args[0], y = args[1], choice;
        switch (kind) {
            // x * 1, x / 1, x & ones, x | 0, x % 0, x << 0 ... => u
            case Kind::BvMul:
            case Kind::BvUdiv:
            case Kind::BvSdiv: choice = rw_.bvConst(w, 1); break;
            case Kind::BvAnd: choice = rw_.ones(w); break;
            case Kind::BvOr:
            case Kind::BvUrem:
            case Kind::BvSrem:
            case Kind::BvSmod:
            case Kind::BvShl:
            case Kind::BvLshr:
            case Kind::BvAshr: choice = rw_.zero(w); break;
            case Kind::BvUlt:
            case Kind::BvSlt: return replaceComparison(u, x, y);
            default: return kKeep;
        }
        TermId fresh = freshLike(u);
        define(y, choice);
        define(x, fresh);
        return fresh;
    }

    // x <u y => u, y := 1, x := ite(u, 0, 1); x <s y => u, y := 0, x := ite(u, min, 0)
    TermId replaceComparison(TermId u, TermId x, TermId y) {
        uint32_t w = s_.width(x);
        bool isSigned = s_.kind(u) == Kind::BvSlt;
        mpz_class min;
        mpz_setbit(min.get_mpz_t(), w - 1);
        TermId fresh = freshLike(u);
        TermId below = isSigned ? rw_.bvConst(w, min) : rw_.zero(w);
        TermId bound = isSigned ? rw_.zero(w) : rw_.bvConst(w, 1);
        define(y, bound);
        define(x, s_.mk(Kind::Ite, {fresh, below, isSigned ? rw_.zero(w) : rw_.bvConst(w, 1)}));
        return fresh;
    }

    // ite(c, x, y) with both branches free, or the condition and one branch.
    TermId replaceIte(TermId u, const std::vector<TermId>& args) {
        bool cFree = isFree(s_.arg(u, 0)), tFree = isFree(s_.arg(u, 1)), eFree = isFree(s_.arg(u, 2));
        if (!(tFree && eFree) && !(cFree && (tFree || eFree))) return kKeep;
        TermId fresh = freshLike(u);
        if (tFree && eFree) {
            // ite(c, x, y) => u, x := u, y := u
            define(args[1], fresh);
            define(args[2], fresh);
        } else {
            // ite(c, x, t) => u, c := true, x := u (the else branch alike)
            define(args[0], rw_.boolConst(tFree));
            define(args[tFree ? 1 : 2], fresh);
        }
        return fresh;
    }

    PassContext& pass_;
    Rewriter& rw_;
    terms::TermStore& s_;
    std::vector<uint32_t> occurrences_;  // operand slots and assertions naming each node
    std::vector<TermId> image_;          // each original node's replacement
    std::vector<char> replaced_;         // the image is a fresh variable standing for the node
};

}  // namespace

bool replaceUnconstrained(PassContext& pass) { return Unconstrained(pass).run(); }

}  // namespace torva::simplify
