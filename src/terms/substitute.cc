// Replacement of variables throughout a term. Each node reached is rebuilt
// at most once per call (a memo keyed by id keeps shared subterms shared),
// a node none of whose operands changed is kept as it is, and the walk is a
// post-order over an explicit stack.
#include "terms/substitute.h"

#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace torva::terms {
namespace {

TermId replacementOf(const TermStore& store, TermId u, const std::unordered_map<TermId, TermId>& map) {
    auto it = map.find(u);
    if (it == map.end()) return u;
    if (it->second >= store.size() || store.sort(it->second) != store.sort(u))
        throw SortError("the replacement of " + store.name(u) + " is no term of its sort");
    return it->second;
}

// t over the operands' images; `args` and `indices` are scratch space.
TermId rebuilt(TermStore& store, TermId t, const std::unordered_map<TermId, TermId>& done,
               std::vector<TermId>& args, std::vector<uint32_t>& indices) {
    const TermId* original = store.args(t);
    args.assign(original, original + store.numArgs(t));
    bool changed = false;
    for (TermId& a : args) {
        TermId image = done.at(a);
        changed |= image != a;
        a = image;
    }
    if (!changed) return t;
    indices.clear();
    for (uint32_t i = 0; i < store.numIndices(t); i++) indices.push_back(store.index(t, i));
    return store.mk(store.kind(t), args, indices);
}

}  // namespace

TermId substitute(TermStore& store, TermId t, const std::unordered_map<TermId, TermId>& map) {
    if (t >= store.size()) throw std::out_of_range("substitute: no term " + std::to_string(t));
    std::unordered_map<TermId, TermId> done;
    std::vector<TermId> args;
    std::vector<uint32_t> indices;
    // Each entry is a node and whether its operands have been pushed.
    std::vector<std::pair<TermId, bool>> stack{{t, false}};
    while (!stack.empty()) {
        auto [u, expanded] = stack.back();
        stack.pop_back();
        if (done.count(u)) continue;
        Kind kind = store.kind(u);
        if (kind == Kind::Variable || kind == Kind::Const) {
            done.emplace(u, kind == Kind::Variable ? replacementOf(store, u, map) : u);
            continue;
        }
        if (!expanded) {
            stack.emplace_back(u, true);
            const TermId* a = store.args(u);
            for (uint32_t i = store.numArgs(u); i-- > 0;)
                if (!done.count(a[i])) stack.emplace_back(a[i], false);
            continue;
        }
        done.emplace(u, rebuilt(store, u, done, args, indices));
    }
    return done.at(t);
}

}  // namespace torva::terms
