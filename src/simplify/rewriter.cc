// The rewriter's driver: constant folding, the dispatch to the rule
// families, the memo of normal forms and the bottom-up walk. The rules
// themselves live in one file per operator family.
#include "simplify/rewriter.h"
#include "simplify/modular.h"

#include <utility>

namespace torva::simplify {

using terms::Kind;
using terms::TermId;

namespace {

const char* const kNames[] = {
#define RULE(id, family, identity) #id,
#include "simplify/rules.def"
#undef RULE
};

const char* const kIdentities[] = {
#define RULE(id, family, identity) identity,
#include "simplify/rules.def"
#undef RULE
};

// The rule family of each run of kinds in the kind enum.
struct FamilyRange {
    Kind first, last;
    TermId (*rules)(Rewriter&, Node&);
};

constexpr FamilyRange kFamilies[] = {
    {Kind::Not, Kind::Implies, rewriteBool},
    {Kind::Equal, Kind::Ite, rewriteEqIte},
    {Kind::Concat, Kind::RotateRight, rewriteStruct},
    {Kind::BvNot, Kind::BvXnor, rewriteBitwise},
    {Kind::BvComp, Kind::BvComp, rewriteEqIte},
    {Kind::BvNeg, Kind::BvMul, rewriteArith},
    {Kind::BvUdiv, Kind::BvSmod, rewriteDivRem},
    {Kind::BvShl, Kind::BvAshr, rewriteShift},
    {Kind::BvUlt, Kind::BvSge, rewriteCompare},
};

// Nesting of mk() inside rules beyond which nodes are built as they stand.
constexpr int kMaxNesting = 64;

// op(a) = a: rules may build these applications with any operand count.
bool isAssociative(Kind kind) {
    switch (kind) {
        case Kind::And:
        case Kind::Or:
        case Kind::Xor:
        case Kind::Concat:
        case Kind::BvAnd:
        case Kind::BvOr:
        case Kind::BvXor:
        case Kind::BvAdd:
        case Kind::BvMul: return true;
        default: return false;
    }
}

bool allConst(const terms::TermStore& store, const std::vector<TermId>& args) {
    for (TermId a : args)
        if (store.kind(a) != Kind::Const) return false;
    return !args.empty();
}

}  // namespace

const char* ruleName(RuleId rule) { return kNames[static_cast<size_t>(rule)]; }
const char* ruleIdentity(RuleId rule) { return kIdentities[static_cast<size_t>(rule)]; }

Rewriter::Rewriter(terms::TermStore& store, const RewriteSettings& settings)
    : store_(store), settings_(settings), folder_(store) {}

TermId Rewriter::bvConst(uint32_t width, const mpz_class& value) {
    mpz_class v = value;
    reduceToWidth(v, width);
    return store_.mkConst(width, v);
}

TermId Rewriter::ones(uint32_t width) {
    mpz_class v;
    mpz_setbit(v.get_mpz_t(), width);
    return store_.mkConst(width, v - 1);
}

bool Rewriter::isOnes(TermId t) const {
    if (!isConst(t)) return false;
    const mpz_class& v = store_.value(t);
    return mpz_popcount(v.get_mpz_t()) == store_.width(t);
}

bool Rewriter::isComplement(TermId a, TermId b) const {
    auto negates = [&](TermId x, TermId y) {
        Kind k = store_.kind(x);
        return (k == Kind::Not || k == Kind::BvNot) && store_.arg(x, 0) == y;
    };
    return negates(a, b) || negates(b, a);
}

TermId Rewriter::mk(Kind kind, std::initializer_list<TermId> args, std::initializer_list<uint32_t> indices) {
    return mk(kind, std::vector<TermId>(args), std::vector<uint32_t>(indices));
}

TermId Rewriter::mk(Kind kind, std::vector<TermId> args, std::vector<uint32_t> indices) {
    if (args.size() == 1 && isAssociative(kind)) return args[0];
    if (args.empty() && (kind == Kind::And || kind == Kind::Or)) return store_.mkBool(kind == Kind::And);
    TermId raw = store_.mk(kind, args, indices);
    if (raw < normal_.size() && normal_[raw] != kKeep) return normal_[raw];
    TermId result;
    if (allConst(store_, args)) {
        result = fold(raw);
    } else if (!settings_.rules) {
        result = raw;
    } else if (nesting_ >= kMaxNesting) {
        return raw;
    } else {
        Node node{kind, std::move(args), std::move(indices)};
        ++nesting_;
        result = normalForm(node);
        --nesting_;
    }
    remember(raw, result);
    remember(result, result);
    return result;
}

TermId Rewriter::normalForm(Node& node) {
    TermId result = dispatch(node);
    if (result != kKeep) return result;
    return store_.mk(node.kind, node.args, node.indices);
}

TermId Rewriter::dispatch(Node& node) {
    for (const FamilyRange& range : kFamilies)
        if (node.kind >= range.first && node.kind <= range.last) return range.rules(*this, node);
    return kKeep;
}

TermId Rewriter::fold(TermId raw) {
    fired(RuleId::FoldConstants);
    const mpz_class& value = folder_.value(raw);
    return store_.isBool(raw) ? store_.mkBool(value != 0) : store_.mkConst(store_.sort(raw), value);
}

void Rewriter::remember(TermId raw, TermId result) {
    if (normal_.size() <= raw) normal_.resize(store_.size(), kKeep);
    normal_[raw] = result;
}

void Rewriter::setReplacements(std::unordered_map<TermId, TermId> replace) {
    replace_ = std::move(replace);
    walked_.clear();
}

TermId Rewriter::rewrite(TermId t) {
    auto done = [&](TermId u) { return u < walked_.size() && walked_[u] != kKeep; };
    auto record = [&](TermId u, TermId result) {
        if (walked_.size() <= u) walked_.resize(store_.size(), kKeep);
        walked_[u] = result;
    };
    // Each entry is a node and whether what it depends on has been pushed.
    std::vector<std::pair<TermId, bool>> stack{{t, false}};
    std::vector<TermId> args;
    while (!stack.empty()) {
        auto [u, expanded] = stack.back();
        stack.pop_back();
        if (done(u)) continue;
        auto replacement = replace_.find(u);
        if (replacement != replace_.end()) {
            if (done(replacement->second)) {
                record(u, walked_[replacement->second]);
            } else {
                stack.emplace_back(u, true);
                stack.emplace_back(replacement->second, false);
            }
            continue;
        }
        Kind kind = store_.kind(u);
        if (kind == Kind::Const || kind == Kind::Variable) {
            record(u, u);
            continue;
        }
        const TermId* a = store_.args(u);
        uint32_t n = store_.numArgs(u);
        if (!expanded) {
            stack.emplace_back(u, true);
            for (uint32_t i = n; i-- > 0;)
                if (!done(a[i])) stack.emplace_back(a[i], false);
            continue;
        }
        args.clear();
        for (uint32_t i = 0; i < n; i++) args.push_back(walked_[a[i]]);
        std::vector<uint32_t> indices;
        for (uint32_t i = 0; i < store_.numIndices(u); i++) indices.push_back(store_.index(u, i));
        record(u, mk(kind, args, std::move(indices)));
    }
    return walked_[t];
}

}  // namespace torva::simplify
