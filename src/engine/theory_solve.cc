// The loop of lemmas on demand and the abstraction it solves: proxies for
// the theory terms, the inner session's permanent assertions (the user's,
// abstracted, then the lemmas) kept in step with the user's generations,
// and the answer mapped back to the user's positions.
#include "engine/theory_solve.h"

#include <algorithm>

#include "simplify/array_reads.h"

namespace torva {

using terms::Answer;
using terms::CheckOutcome;
using terms::CheckQuery;
using terms::Kind;
using terms::TermId;

void TheorySolve::reset() { *this = TheorySolve(); }

TermId TheorySolve::proxyFor(TermId t) {
    TermId proxy = store_->mkVar(store_->sort(t), "");
    madeVariables_.insert(proxy);
    return proxy;
}

// An array node and everything below it, once each: the scalar operands
// abstracted, each node told which nodes above it pass reads on.
void TheorySolve::registerArray(TermId array) {
    std::vector<TermId> stack{array};
    while (!stack.empty()) {
        TermId a = stack.back();
        stack.pop_back();
        if (!registeredArrays_.insert(a).second) continue;
        // Scalar operands are abstracted; array operands are registered, and
        // told of this node above them.
        auto below = [&](TermId operand) {
            if (!store_->isArray(operand)) {
                abstracted(operand);
                return;
            }
            parents_[operand].push_back(a);
            stack.push_back(operand);
        };
        switch (store_->kind(a)) {
        case Kind::Store:
        case Kind::Ite:
        case Kind::ConstArray:
        case Kind::Select:
            for (uint32_t i = 0; i < store_->numArgs(a); i++) below(store_->arg(a, i));
            break;
        default:
            break;
        }
    }
}

TermId TheorySolve::abstracted(TermId t) {
    auto found = abstraction_.find(t);
    if (found != abstraction_.end()) return found->second;
    std::vector<std::pair<TermId, bool>> stack{{t, false}};
    while (!stack.empty()) {
        auto [u, expanded] = stack.back();
        stack.pop_back();
        if (abstraction_.count(u)) continue;
        if (store_->isArray(u)) {
            registerArray(u);
            abstraction_.emplace(u, u);
            continue;
        }
        if (!expanded) {
            stack.emplace_back(u, true);
            for (uint32_t i = store_->numArgs(u); i-- > 0;) {
                TermId a = store_->arg(u, i);
                if (!abstraction_.count(a) && !store_->isFunctionSort(store_->sort(a))) stack.emplace_back(a, false);
            }
            continue;
        }
        abstractNode(u);
    }
    return abstraction_.at(t);
}

// One Boolean or bit-vector node whose operands are abstracted already.
void TheorySolve::abstractNode(TermId t) {
    Kind kind = store_->kind(t);
    uint32_t n = store_->numArgs(t);
    if (kind == Kind::Select) {
        TermId read = simplify::readThroughStores(*store_, t);
        if (read != t) readsThrough_.emplace(t, read);
        abstraction_.emplace(t, read == t ? proxyFor(t) : abstracted(read));
        return;
    }
    if (kind == Kind::Apply) {
        abstraction_.emplace(t, proxyFor(t));
        return;
    }
    if ((kind == Kind::Equal || kind == Kind::Distinct) && store_->isArray(store_->arg(t, 0))) {
        // One proxy per pair of sides; a chain is the conjunction of its pairs.
        std::vector<TermId> pairs;
        for (TermId pair : arrayEqualityPairs(t)) {
            if (!abstraction_.count(pair)) {
                abstraction_.emplace(pair, proxyFor(pair));
                parents_[store_->arg(pair, 0)].push_back(pair);
                parents_[store_->arg(pair, 1)].push_back(pair);
            }
            TermId p = abstraction_.at(pair);
            pairs.push_back(kind == Kind::Equal ? p : store_->mk(Kind::Not, {p}));
        }
        abstraction_.emplace(t, pairs.size() == 1 ? pairs[0] : store_->mk(Kind::And, pairs));
        return;
    }
    if (kind == Kind::Const || kind == Kind::Variable) {
        abstraction_.emplace(t, t);
        return;
    }
    std::vector<TermId> args(n);
    bool same = true;
    for (uint32_t i = 0; i < n; i++) {
        args[i] = abstraction_.at(store_->arg(t, i));
        same = same && args[i] == store_->arg(t, i);
    }
    if (same) {
        abstraction_.emplace(t, t);
        return;
    }
    std::vector<uint32_t> indices(store_->numIndices(t));
    for (uint32_t i = 0; i < indices.size(); i++) indices[i] = store_->index(t, i);
    abstraction_.emplace(t, store_->mk(kind, args, indices));
}

// The binary equalities an equality or distinct over arrays stands for:
// neighbours of an equality chain, every pair of a distinct.
std::vector<TermId> TheorySolve::arrayEqualityPairs(TermId t) {
    std::vector<TermId> pairs;
    uint32_t n = store_->numArgs(t);
    bool chain = store_->kind(t) == Kind::Equal;
    for (uint32_t i = 0; i < n; i++)
        for (uint32_t j = i + 1; j < (chain ? std::min(i + 2, n) : n); j++)
            pairs.push_back(store_->mk(Kind::Equal, {store_->arg(t, i), store_->arg(t, j)}));
    return pairs;
}

// The inner permanent assertions follow the user's: a new generation starts
// them over (with every lemma, which holds in every scope), new permanent
// assertions of the same generation are appended.
void TheorySolve::syncPermanent(const CheckQuery& query) {
    if (!started_ || query.generation != generation_ || query.permanent < userPermanentSeen_) {
        started_ = true;
        generation_ = query.generation;
        innerGeneration_++;
        innerPermanent_.clear();
        innerOrigin_.clear();
        userPermanentSeen_ = 0;
        for (TermId lemma : lemmas_) {
            innerPermanent_.push_back(lemma);
            innerOrigin_.push_back(kLemma);
        }
    }
    for (; userPermanentSeen_ < query.permanent; userPermanentSeen_++) {
        innerPermanent_.push_back(abstracted(query.assertions[userPermanentSeen_]));
        innerOrigin_.push_back(userPermanentSeen_);
    }
}

void TheorySolve::addLemma(TermId lemma) {
    if (!lemmaSet_.insert(lemma).second) return;
    lemmas_.push_back(lemma);
    innerPermanent_.push_back(lemma);
    innerOrigin_.push_back(kLemma);
    lemmasThisRound_++;
}

// The theory terms below the query's assertions and assumptions, and below
// the witnesses of the equalities among them.
void TheorySolve::collectLive(const CheckQuery& query) {
    liveSelects_.clear();
    liveApplies_.clear();
    liveEqualities_.clear();
    liveStores_.clear();
    activeArrays_.clear();
    liveEqualitySet_.clear();
    std::unordered_set<TermId> seen;
    std::vector<TermId> stack(query.assertions.begin(), query.assertions.end());
    stack.insert(stack.end(), query.assumptions.begin(), query.assumptions.end());
    std::vector<TermId> equalitySides;
    while (!stack.empty()) {
        TermId t = stack.back();
        stack.pop_back();
        if (!seen.insert(t).second) continue;
        Kind kind = store_->kind(t);
        if (kind == Kind::Select && !store_->isArray(t)) {
            auto read = readsThrough_.find(t);
            if (read != readsThrough_.end()) {
                // The read stands for what it provably reads.
                stack.push_back(read->second);
                continue;
            }
            liveSelects_.push_back(t);
        }
        if (kind == Kind::Apply) liveApplies_.push_back(t);
        if (kind == Kind::Store) liveStores_.push_back(t);
        if ((kind == Kind::Equal || kind == Kind::Distinct) && store_->isArray(store_->arg(t, 0))) {
            for (TermId pair : arrayEqualityPairs(t)) {
                if (!liveEqualitySet_.insert(pair).second) continue;
                liveEqualities_.push_back(pair);
                equalitySides.push_back(store_->arg(pair, 0));
                equalitySides.push_back(store_->arg(pair, 1));
                auto w = witnesses_.find(pair);
                if (w != witnesses_.end()) stack.insert(stack.end(), w->second.begin(), w->second.end());
            }
        }
        for (uint32_t i = 0; i < store_->numArgs(t); i++) stack.push_back(store_->arg(t, i));
    }
    for (auto* list : {&liveSelects_, &liveApplies_, &liveEqualities_, &liveStores_})
        std::sort(list->begin(), list->end());

    // Reads travel up and across only among the arrays below an equality.
    while (!equalitySides.empty()) {
        TermId a = equalitySides.back();
        equalitySides.pop_back();
        if (!activeArrays_.insert(a).second) continue;
        for (uint32_t i = 0; i < store_->numArgs(a); i++)
            if (store_->isArray(store_->arg(a, i))) equalitySides.push_back(store_->arg(a, i));
    }
}

void TheorySolve::mapCore(const CheckOutcome& inner, size_t scopedInnerStart, CheckOutcome& outcome) const {
    size_t userPermanent = userPermanentSeen_;
    for (size_t p : inner.coreAssertions) {
        if (p < scopedInnerStart) {
            if (innerOrigin_[p] != kLemma) outcome.coreAssertions.push_back(innerOrigin_[p]);
        } else {
            outcome.coreAssertions.push_back(userPermanent + (p - scopedInnerStart));
        }
    }
    std::sort(outcome.coreAssertions.begin(), outcome.coreAssertions.end());
    outcome.coreAssumptions = inner.coreAssumptions;
}

CheckOutcome TheorySolve::check(terms::TermStore& store, const CheckQuery& query, const BitVectorCheck& decide) {
    if (store_ != &store) {
        reset();
        store_ = &store;
    }
    syncPermanent(query);
    std::vector<TermId> scoped, assumptions;
    for (size_t i = query.permanent; i < query.assertions.size(); i++) scoped.push_back(abstracted(query.assertions[i]));
    for (TermId a : query.assumptions) assumptions.push_back(abstracted(a));
    collectLive(query);
    uint64_t conflicts = 0, decisions = 0, propagations = 0;
    for (;;) {
        std::vector<TermId> innerAssertions = innerPermanent_;
        size_t scopedStart = innerAssertions.size();
        innerAssertions.insert(innerAssertions.end(), scoped.begin(), scoped.end());
        CheckQuery inner{innerAssertions, scopedStart, innerGeneration_, assumptions};
        CheckOutcome outcome = decide(store, inner);
        conflicts += outcome.conflicts;
        decisions += outcome.decisions;
        propagations += outcome.propagations;
        CheckOutcome result;
        result.conflicts = conflicts;
        result.decisions = decisions;
        result.propagations = propagations;
        result.satVariables = outcome.satVariables;
        result.satClauses = outcome.satClauses;
        if (outcome.answer == Answer::Unknown) {
            result.reason = outcome.reason;
            return result;
        }
        if (outcome.answer == Answer::Unsat) {
            result.answer = Answer::Unsat;
            mapCore(outcome, scopedStart, result);
            return result;
        }
        terms::Evaluator values(store);
        for (const auto& [variable, value] : outcome.model.values) values.assign(variable, value);
        if (findLemmas(values)) {
            collectLive(query);
            continue;
        }
        terms::Model model = completeModel(outcome.model, values);
        terms::Evaluator full(store);
        terms::loadModel(full, model);
        if (repairEqualities(values, full)) {
            collectLive(query);
            continue;
        }
        auto holds = [&full](const std::vector<TermId>& formulas) {
            return std::all_of(formulas.begin(), formulas.end(), [&full](TermId f) { return full.value(f) != 0; });
        };
        if (!holds(query.assertions) || !holds(query.assumptions)) {
            result.reason = "incomplete";
            return result;
        }
        result.answer = Answer::Sat;
        result.model = std::move(model);
        return result;
    }
}

}  // namespace torva
