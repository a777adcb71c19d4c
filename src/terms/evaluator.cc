// Evaluation of terms under an assignment, with SMT-LIB 2 semantics for
// every kind. A bit-vector value is always kept in [0, 2^width); signed
// operators read it as two's complement. The walk is a post-order over an
// explicit stack; a value is computed once per node and epoch, and assign()
// starts a new epoch instead of clearing the cache.
#include "terms/evaluator.h"

#include <algorithm>
#include <stdexcept>
#include <string>

namespace torva::terms {
namespace {

void reduce(mpz_class& v, uint32_t width) { mpz_fdiv_r_2exp(v.get_mpz_t(), v.get_mpz_t(), width); }

mpz_class allOnes(uint32_t width) {
    mpz_class r;
    mpz_setbit(r.get_mpz_t(), width);
    return r - 1;
}

bool signBit(const mpz_class& v, uint32_t width) { return mpz_tstbit(v.get_mpz_t(), width - 1) != 0; }

mpz_class shiftLeft(const mpz_class& v, uint64_t amount) {
    mpz_class r;
    mpz_mul_2exp(r.get_mpz_t(), v.get_mpz_t(), amount);
    return r;
}

mpz_class shiftRight(const mpz_class& v, uint64_t amount) {
    mpz_class r;
    mpz_fdiv_q_2exp(r.get_mpz_t(), v.get_mpz_t(), amount);
    return r;
}

mpz_class negate(const mpz_class& v, uint32_t width) {
    mpz_class r = -v;
    reduce(r, width);
    return r;
}

mpz_class bitwiseNot(const mpz_class& v, uint32_t width) { return allOnes(width) - v; }

mpz_class unsignedDiv(const mpz_class& a, const mpz_class& b, uint32_t width) {
    if (b == 0) return allOnes(width);
    mpz_class r;
    mpz_fdiv_q(r.get_mpz_t(), a.get_mpz_t(), b.get_mpz_t());
    return r;
}

mpz_class unsignedRem(const mpz_class& a, const mpz_class& b) {
    if (b == 0) return a;
    mpz_class r;
    mpz_fdiv_r(r.get_mpz_t(), a.get_mpz_t(), b.get_mpz_t());
    return r;
}

mpz_class signedDiv(const mpz_class& s, const mpz_class& t, uint32_t w) {
    bool ns = signBit(s, w), nt = signBit(t, w);
    if (!ns && !nt) return unsignedDiv(s, t, w);
    if (ns && !nt) return negate(unsignedDiv(negate(s, w), t, w), w);
    if (!ns && nt) return negate(unsignedDiv(s, negate(t, w), w), w);
    return unsignedDiv(negate(s, w), negate(t, w), w);
}

mpz_class signedRem(const mpz_class& s, const mpz_class& t, uint32_t w) {
    bool ns = signBit(s, w), nt = signBit(t, w);
    if (!ns && !nt) return unsignedRem(s, t);
    if (ns && !nt) return negate(unsignedRem(negate(s, w), t), w);
    if (!ns && nt) return unsignedRem(s, negate(t, w));
    return negate(unsignedRem(negate(s, w), negate(t, w)), w);
}

mpz_class signedMod(const mpz_class& s, const mpz_class& t, uint32_t w) {
    bool ns = signBit(s, w), nt = signBit(t, w);
    mpz_class u = unsignedRem(ns ? negate(s, w) : s, nt ? negate(t, w) : t);
    if (u == 0 || (!ns && !nt)) return u;
    if (ns && nt) return negate(u, w);
    mpz_class r = ns ? negate(u, w) + t : u + t;
    reduce(r, w);
    return r;
}

// The shift amount as a bit count when it is below the width, else width.
uint32_t clampedShift(const mpz_class& amount, uint32_t width) {
    return amount >= width ? width : static_cast<uint32_t>(amount.get_ui());
}

mpz_class shiftLeftWithin(const mpz_class& a, const mpz_class& amount, uint32_t w) {
    uint32_t k = clampedShift(amount, w);
    if (k == w) return 0;
    mpz_class r = shiftLeft(a, k);
    reduce(r, w);
    return r;
}

mpz_class arithmeticShiftRight(const mpz_class& a, const mpz_class& amount, uint32_t w) {
    uint32_t k = clampedShift(amount, w);
    mpz_class r = shiftRight(a, k);
    if (signBit(a, w)) r += allOnes(w) - allOnes(w - k);
    return r;
}

mpz_class rotateLeft(const mpz_class& a, uint64_t k, uint32_t w) {
    k %= w;
    if (k == 0) return a;
    mpz_class r = shiftLeft(a, k) | shiftRight(a, w - k);
    reduce(r, w);
    return r;
}

mpz_class repeat(const mpz_class& a, uint32_t width, uint32_t count) {
    mpz_class result = 0, piece = a;
    uint64_t resultWidth = 0, pieceWidth = width;
    for (uint32_t k = count; k != 0; k >>= 1) {
        if (k & 1) {
            result |= shiftLeft(piece, resultWidth);
            resultWidth += pieceWidth;
        }
        if (k > 1) {
            piece |= shiftLeft(piece, pieceWidth);
            pieceWidth *= 2;
        }
    }
    return result;
}

mpz_class signExtend(const mpz_class& a, uint32_t width, uint32_t extra) {
    if (!signBit(a, width)) return a;
    return a + shiftLeft(allOnes(extra), width);
}

mpz_class signedValue(const mpz_class& v, uint32_t w) { return signBit(v, w) ? v - shiftLeft(1, w) : v; }

bool allDistinct(std::vector<const mpz_class*> values) {
    std::sort(values.begin(), values.end(), [](const mpz_class* a, const mpz_class* b) { return *a < *b; });
    for (size_t i = 1; i < values.size(); i++)
        if (*values[i - 1] == *values[i]) return false;
    return true;
}

}  // namespace

Evaluator::Evaluator(const TermStore& store) : store_(store) {}

void Evaluator::assign(TermId variable, const mpz_class& value) {
    setValue(variable, value);
    if (computedSinceAssign_) startEpoch();
}

void Evaluator::define(TermId variable, const mpz_class& value) { setValue(variable, value); }

void Evaluator::assignTable(TermId variable, const TableValue& value) {
    if (variable >= store_.size() || store_.kind(variable) != Kind::Variable ||
        !isCompoundSort(store_.sort(variable)))
        throw std::invalid_argument("assignTable: the term is no array or function variable");
    assignedTables_[variable] = value;
    if (computedSinceAssign_) startEpoch();
}

void Evaluator::setValue(TermId variable, const mpz_class& value) {
    if (variable >= store_.size() || store_.kind(variable) != Kind::Variable)
        throw std::invalid_argument("assign: the term is not a variable");
    if (isCompoundSort(store_.sort(variable)))
        throw std::invalid_argument("assign: an array or function takes a table");
    if (assigned_.size() <= variable) {
        assigned_.resize(variable + 1);
        hasAssigned_.resize(variable + 1, 0);
    }
    mpz_class v = value;
    if (store_.isBool(variable))
        v = v != 0 ? 1 : 0;
    else
        reduce(v, store_.width(variable));
    assigned_[variable] = v;
    hasAssigned_[variable] = 1;
}

mpz_class Evaluator::compute(TermId t) const {
    Kind kind = store_.kind(t);
    uint32_t n = store_.numArgs(t);
    const TermId* a = store_.args(t);
    auto arg = [&](uint32_t i) -> const mpz_class& { return cache_[a[i]]; };
    auto truth = [&](uint32_t i) { return arg(i) != 0; };
    uint32_t w = store_.width(t);
    uint32_t argWidth = n > 0 ? store_.width(a[0]) : 0;
    mpz_class r;
    switch (kind) {
    case Kind::Const:
        return store_.value(t);
    case Kind::Variable:
        return t < assigned_.size() && hasAssigned_[t] ? assigned_[t] : mpz_class(0);
    case Kind::Not:
        return truth(0) ? 0 : 1;
    case Kind::And:
        for (uint32_t i = 0; i < n; i++)
            if (!truth(i)) return 0;
        return 1;
    case Kind::Or:
        for (uint32_t i = 0; i < n; i++)
            if (truth(i)) return 1;
        return 0;
    case Kind::Xor: {
        bool odd = false;
        for (uint32_t i = 0; i < n; i++) odd ^= truth(i);
        return odd ? 1 : 0;
    }
    case Kind::Implies: {
        bool result = truth(n - 1);
        for (uint32_t i = n - 1; i-- > 0;) result = !truth(i) || result;
        return result ? 1 : 0;
    }
    case Kind::Equal:
        for (uint32_t i = 1; i < n; i++)
            if (!sameValue(a[i - 1], a[i])) return 0;
        return 1;
    case Kind::Distinct: {
        if (store_.isArray(a[0])) {
            for (uint32_t i = 0; i < n; i++)
                for (uint32_t j = i + 1; j < n; j++)
                    if (sameValue(a[i], a[j])) return 0;
            return 1;
        }
        std::vector<const mpz_class*> values;
        for (uint32_t i = 0; i < n; i++) values.push_back(&arg(i));
        return allDistinct(std::move(values)) ? 1 : 0;
    }
    case Kind::Select:
        return tableOf(a[0]).at({arg(1)}).number;
    case Kind::Apply: {
        TableValue::Key key;
        for (uint32_t i = 1; i < n; i++) key.push_back(arg(i));
        return tableOf(a[0]).at(key).number;
    }
    case Kind::Store:
    case Kind::ConstArray:
        break;
    case Kind::Ite:
        return truth(0) ? arg(1) : arg(2);
    case Kind::Concat:
        r = arg(0);
        for (uint32_t i = 1; i < n; i++) r = shiftLeft(r, store_.width(a[i])) | arg(i);
        return r;
    case Kind::Extract:
        r = shiftRight(arg(0), store_.index(t, 1));
        reduce(r, w);
        return r;
    case Kind::Repeat:
        return repeat(arg(0), argWidth, store_.index(t, 0));
    case Kind::ZeroExtend:
        return arg(0);
    case Kind::SignExtend:
        return signExtend(arg(0), argWidth, store_.index(t, 0));
    case Kind::RotateLeft:
        return rotateLeft(arg(0), store_.index(t, 0), w);
    case Kind::RotateRight:
        return rotateLeft(arg(0), w - store_.index(t, 0) % w, w);
    case Kind::BvNot:
        return bitwiseNot(arg(0), w);
    case Kind::BvAnd:
    case Kind::BvNand:
        r = arg(0);
        for (uint32_t i = 1; i < n; i++) r &= arg(i);
        return kind == Kind::BvNand ? bitwiseNot(r, w) : r;
    case Kind::BvOr:
    case Kind::BvNor:
        r = arg(0);
        for (uint32_t i = 1; i < n; i++) r |= arg(i);
        return kind == Kind::BvNor ? bitwiseNot(r, w) : r;
    case Kind::BvXor:
    case Kind::BvXnor:
        r = arg(0);
        for (uint32_t i = 1; i < n; i++) r ^= arg(i);
        return kind == Kind::BvXnor ? bitwiseNot(r, w) : r;
    case Kind::BvComp:
        return arg(0) == arg(1) ? 1 : 0;
    case Kind::BvNeg:
        return negate(arg(0), w);
    case Kind::BvAdd:
    case Kind::BvSub:
    case Kind::BvMul:
        r = arg(0);
        for (uint32_t i = 1; i < n; i++) {
            if (kind == Kind::BvAdd) r += arg(i);
            if (kind == Kind::BvSub) r -= arg(i);
            if (kind == Kind::BvMul) r *= arg(i);
            reduce(r, w);
        }
        return r;
    case Kind::BvUdiv:
        return unsignedDiv(arg(0), arg(1), w);
    case Kind::BvUrem:
        return unsignedRem(arg(0), arg(1));
    case Kind::BvSdiv:
        return signedDiv(arg(0), arg(1), w);
    case Kind::BvSrem:
        return signedRem(arg(0), arg(1), w);
    case Kind::BvSmod:
        return signedMod(arg(0), arg(1), w);
    case Kind::BvShl:
        return shiftLeftWithin(arg(0), arg(1), w);
    case Kind::BvLshr:
        return shiftRight(arg(0), clampedShift(arg(1), w));
    case Kind::BvAshr:
        return arithmeticShiftRight(arg(0), arg(1), w);
    case Kind::BvUlt:
        return arg(0) < arg(1) ? 1 : 0;
    case Kind::BvUle:
        return arg(0) <= arg(1) ? 1 : 0;
    case Kind::BvUgt:
        return arg(0) > arg(1) ? 1 : 0;
    case Kind::BvUge:
        return arg(0) >= arg(1) ? 1 : 0;
    case Kind::BvSlt:
        return signedValue(arg(0), argWidth) < signedValue(arg(1), argWidth) ? 1 : 0;
    case Kind::BvSle:
        return signedValue(arg(0), argWidth) <= signedValue(arg(1), argWidth) ? 1 : 0;
    case Kind::BvSgt:
        return signedValue(arg(0), argWidth) > signedValue(arg(1), argWidth) ? 1 : 0;
    case Kind::BvSge:
        return signedValue(arg(0), argWidth) >= signedValue(arg(1), argWidth) ? 1 : 0;
    }
    throw std::logic_error("evaluator: unknown kind");
}

Element Evaluator::elementOf(TermId t) const {
    return store_.isArray(t) ? Element(tableOf(t)) : Element(cache_[t]);
}

bool Evaluator::sameValue(TermId x, TermId y) const {
    if (!store_.isArray(x)) return cache_[x] == cache_[y];
    return sameArray(store_, store_.sort(x), tableOf(x), tableOf(y));
}

TableValue Evaluator::computeTable(TermId t) const {
    const TermId* a = store_.args(t);
    switch (store_.kind(t)) {
    case Kind::Variable: {
        auto it = assignedTables_.find(t);
        return it == assignedTables_.end() ? TableValue() : it->second;
    }
    case Kind::ConstArray:
        return TableValue{elementOf(a[0]), {}};
    case Kind::Store: {
        TableValue result = tableOf(a[0]);
        result.set({cache_[a[1]]}, elementOf(a[2]));
        return result;
    }
    case Kind::Select:
        return tableOf(a[0]).at({cache_[a[1]]}).asTable();
    case Kind::Ite:
        return tableOf(cache_[a[0]] != 0 ? a[1] : a[2]);
    default:
        throw std::logic_error("evaluator: no array of kind " + std::string(kindName(store_.kind(t))));
    }
}

void Evaluator::startEpoch() {
    computedSinceAssign_ = false;
    tables_.clear();
    if (++epoch_ != 0) return;
    std::fill(cacheEpoch_.begin(), cacheEpoch_.end(), 0);
    epoch_ = 1;
}

bool Evaluator::isCached(TermId t) const { return t < cacheEpoch_.size() && cacheEpoch_[t] == epoch_; }

void Evaluator::evaluate(TermId t) {
    if (isCached(t)) return;
    if (cache_.size() < store_.size()) {
        cache_.resize(store_.size());
        cacheEpoch_.resize(store_.size(), 0);
    }
    computedSinceAssign_ = true;
    // Each entry is a node and whether its operands have been pushed.
    std::vector<std::pair<TermId, bool>> stack{{t, false}};
    while (!stack.empty()) {
        auto [u, expanded] = stack.back();
        stack.pop_back();
        if (isCached(u)) continue;
        if (!expanded) {
            stack.emplace_back(u, true);
            const TermId* a = store_.args(u);
            for (uint32_t i = store_.numArgs(u); i-- > 0;)
                if (!isCached(a[i])) stack.emplace_back(a[i], false);
            continue;
        }
        if (isCompoundSort(store_.sort(u))) {
            tables_.push_back(computeTable(u));
            cache_[u] = static_cast<unsigned long>(tables_.size() - 1);
        } else {
            cache_[u] = compute(u);
        }
        cacheEpoch_[u] = epoch_;
    }
}

const mpz_class& Evaluator::value(TermId t) {
    if (t >= store_.size()) throw std::out_of_range("value: no term " + std::to_string(t));
    if (isCompoundSort(store_.sort(t))) throw std::invalid_argument("value: an array or function has a table");
    evaluate(t);
    return cache_[t];
}

const TableValue& Evaluator::table(TermId t) {
    if (t >= store_.size()) throw std::out_of_range("table: no term " + std::to_string(t));
    if (!isCompoundSort(store_.sort(t))) throw std::invalid_argument("table: the term has a plain value");
    evaluate(t);
    return tableOf(t);
}

std::string formatValue(Sort sort, const mpz_class& value) {
    if (sort == kBool) return value != 0 ? "true" : "false";
    std::string text = "#b";
    text.reserve(sort + 2);
    for (uint32_t i = sort; i-- > 0;) text += mpz_tstbit(value.get_mpz_t(), i) ? '1' : '0';
    return text;
}

}  // namespace torva::terms
