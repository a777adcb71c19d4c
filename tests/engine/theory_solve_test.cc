// Arrays and uninterpreted functions: the evaluator's extensional equality
// of tables against a pointwise comparison, and sessions of random small
// instances (stores, constant arrays, array ites and equalities,
// applications) decided by lemmas on demand, on both engines, against
// brute-force enumeration of every array, function and variable. Every
// model is checked against the live assertions, every core re-decided.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <set>

#include "engine/session_solve.h"
#include "terms/evaluator.h"

namespace {

using torva::terms::Answer;
using torva::terms::CheckQuery;
using torva::terms::Evaluator;
using torva::terms::Kind;
using torva::terms::Sort;
using torva::terms::TableValue;
using torva::terms::TermId;
using torva::terms::TermStore;

// Every value of a table over `indices` indices and `values` values.
std::vector<TableValue> everyTable(const std::vector<TableValue::Key>& keys, unsigned values) {
    std::vector<TableValue> tables;
    size_t count = 1;
    for (size_t i = 0; i < keys.size(); i++) count *= values;
    for (size_t code = 0; code < count; code++) {
        TableValue t;
        size_t rest = code;
        for (const auto& key : keys) {
            t.set(key, rest % values);
            rest /= values;
        }
        tables.push_back(t);
    }
    return tables;
}

std::vector<TableValue::Key> everyKey(const std::vector<unsigned>& widths) {
    std::vector<TableValue::Key> keys{{}};
    for (unsigned w : widths) {
        std::vector<TableValue::Key> longer;
        for (const auto& k : keys)
            for (unsigned v = 0; v < (1u << w); v++) {
                longer.push_back(k);
                longer.back().push_back(v);
            }
        keys = longer;
    }
    return keys;
}

TEST(TheoryTables, ArraysAreEqualExactlyWhenEveryIndexAgrees) {
    std::mt19937_64 rng(7);
    for (unsigned width = 1; width <= 3; width++) {
        TermStore store;
        Sort sort = store.mkArraySort(width, 2);
        auto keys = everyKey({width});
        for (int round = 0; round < 300; round++) {
            TableValue x, y;
            x.fallback = rng() % 4;
            y.fallback = rng() % 4;
            for (const auto& k : keys) {
                if (rng() % 2) x.set(k, rng() % 4);
                if (rng() % 2) y.set(k, rng() % 4);
            }
            bool pointwise = true;
            for (const auto& k : keys) pointwise = pointwise && x.at(k) == y.at(k);
            ASSERT_EQ(torva::terms::sameArray(store, sort, x, y), pointwise) << "width " << width << " round " << round;
        }
    }
}

// A random instance over two arrays, two indices, an element and a
// function from indices to elements, in a store of its own.
class Instance {
public:
    explicit Instance(uint64_t seed) : rng_(seed) {
        uint32_t shape = pick(5);
        indexWidth_ = shape == 3 ? 2 : 1;
        elementWidth_ = shape == 4 ? 2 : 1;
        Sort array = store.mkArraySort(indexWidth_, elementWidth_);
        arrays_ = {store.mkVar(array, "a"), store.mkVar(array, "b")};
        indices_ = {store.mkVar(indexWidth_, "i"), store.mkVar(indexWidth_, "j")};
        element_ = store.mkVar(elementWidth_, "e");
        function_ = store.mkVar(store.mkFunctionSort({indexWidth_}, elementWidth_), "f");
        predicate_ = store.mkVar(store.mkFunctionSort({elementWidth_, torva::terms::kBool}, torva::terms::kBool), "p");
        tables_[function_] = everyTable(everyKey({indexWidth_}), 1u << elementWidth_);
        tables_[predicate_] = everyTable(everyKey({elementWidth_, 1}), 2);
        for (TermId a : arrays_) tables_[a] = tables_[function_];
    }

    TermId formula(int depth) {
        switch (pick(depth > 0 ? 7 : 3)) {
            case 0: return store.mk(Kind::Equal, {element(1), element(1)});
            case 1: return store.mk(Kind::Equal, {array(2), array(2)});
            case 2: return store.mk(Kind::Equal, {index(1), index(1)});
            case 3: return store.mk(Kind::Not, {formula(depth - 1)});
            case 4: return store.mk(Kind::Or, {formula(depth - 1), formula(depth - 1)});
            case 5: return store.mk(Kind::Apply, {predicate_, element(1), formula(depth - 1)});
            default: return store.mk(Kind::Distinct, {array(1), array(1), array(1)});
        }
    }

    // Whether some assignment of the symbols they mention satisfies them all.
    bool satisfiable(const std::vector<TermId>& formulas) {
        std::vector<TermId> symbols = symbolsOf(formulas);
        std::vector<size_t> digit(symbols.size(), 0);
        Evaluator ev(store);
        for (;;) {
            for (size_t k = 0; k < symbols.size(); k++) setSymbol(ev, symbols[k], digit[k]);
            bool all = true;
            for (TermId f : formulas) all = all && ev.value(f) != 0;
            if (all) return true;
            size_t k = 0;
            while (k < symbols.size() && ++digit[k] == choices(symbols[k])) digit[k++] = 0;
            if (k == symbols.size()) return false;
        }
    }

    // The number of assignments enumeration goes through.
    uint64_t space(const std::vector<TermId>& formulas) {
        uint64_t n = 1;
        for (TermId s : symbolsOf(formulas)) n *= choices(s);
        return n;
    }

    uint32_t pick(uint32_t n) { return static_cast<uint32_t>(rng_() % n); }

    TermStore store;

private:
    TermId constant(uint32_t width) { return store.mkConst(width, pick(1u << width)); }

    TermId index(int depth) {
        switch (pick(depth > 0 ? 4 : 3)) {
            case 0: return indices_[0];
            case 1: return indices_[1];
            case 2: return constant(indexWidth_);
            default: return store.mk(Kind::BvAdd, {index(depth - 1), constant(indexWidth_)});
        }
    }

    TermId element(int depth) {
        switch (pick(depth > 0 ? 5 : 2)) {
            case 0: return element_;
            case 1: return constant(elementWidth_);
            case 2:
            case 3: return store.mk(Kind::Select, {array(2), index(depth - 1)});
            default: return store.mk(Kind::Apply, {function_, index(depth - 1)});
        }
    }

    TermId array(int depth) {
        switch (pick(depth > 0 ? 6 : 2)) {
            case 0: return arrays_[0];
            case 1: return arrays_[1];
            case 2:
            case 3: return store.mk(Kind::Store, {array(depth - 1), index(0), element(0)});
            case 4: return store.mk(Kind::Ite, {formula(0), array(depth - 1), array(depth - 1)});
            default: return store.mk(Kind::ConstArray, {element(0)}, {store.sort(arrays_[0])});
        }
    }

    std::vector<TermId> symbolsOf(const std::vector<TermId>& formulas) const {
        std::vector<TermId> stack = formulas, symbols;
        std::set<TermId> seen;
        while (!stack.empty()) {
            TermId t = stack.back();
            stack.pop_back();
            if (!seen.insert(t).second) continue;
            if (store.kind(t) == Kind::Variable) symbols.push_back(t);
            for (uint32_t i = 0; i < store.numArgs(t); i++) stack.push_back(store.arg(t, i));
        }
        std::sort(symbols.begin(), symbols.end());
        return symbols;
    }

    size_t choices(TermId symbol) const {
        auto t = tables_.find(symbol);
        return t != tables_.end() ? t->second.size() : size_t(1) << store.width(symbol);
    }

    void setSymbol(Evaluator& ev, TermId symbol, size_t choice) const {
        auto t = tables_.find(symbol);
        if (t != tables_.end())
            ev.assignTable(symbol, t->second[choice]);
        else
            ev.assign(symbol, choice);
    }

    std::mt19937_64 rng_;
    uint32_t indexWidth_, elementWidth_;
    std::vector<TermId> arrays_, indices_;
    TermId element_, function_, predicate_;
    std::map<TermId, std::vector<TableValue>> tables_;
};

// A formula that keeps the enumeration of the assertions with it small.
TermId smallFormula(Instance& instance, const std::vector<TermId>& assertions, int depth) {
    for (;;) {
        std::vector<TermId> with = assertions;
        with.push_back(instance.formula(depth));
        if (instance.space(with) <= 20000) return with.back();
    }
}

// Sessions of pushes, pops, assertions and assumptions on one engine; each
// check's answer against enumeration, each model against the live
// assertions and assumptions, each core re-decided.
void runSessions(torva::Engine engine, int sessions) {
    for (int seed = 0; seed < sessions; seed++) {
        Instance instance(static_cast<uint64_t>(seed) * 7919 + static_cast<uint64_t>(engine));
        torva::GraphSolveOptions options;
        options.engine = engine;
        torva::SessionSolve solve(options, true);
        std::vector<TermId> assertions;
        std::vector<size_t> scopes;
        size_t permanent = 0;
        uint64_t generation = 1;
        for (int step = 0; step < 6; step++) {
            switch (instance.pick(4)) {
                case 0: scopes.push_back(assertions.size()); break;
                case 1:
                    if (!scopes.empty()) {
                        assertions.resize(scopes.back());
                        scopes.pop_back();
                        if (assertions.size() < permanent) generation++;
                        permanent = std::min(permanent, assertions.size());
                    }
                    break;
                default: assertions.push_back(smallFormula(instance, assertions, 2));
            }
            if (scopes.empty()) permanent = assertions.size();
            std::vector<TermId> assumptions;
            if (instance.pick(3) == 0) assumptions.push_back(smallFormula(instance, assertions, 1));
            CheckQuery query{assertions, permanent, generation, assumptions};
            auto outcome = solve.check(instance.store, query);
            std::vector<TermId> all = assertions;
            all.insert(all.end(), assumptions.begin(), assumptions.end());
            const std::string where = "seed " + std::to_string(seed) + " step " + std::to_string(step);
            ASSERT_NE(outcome.answer, Answer::Unknown) << where << ": " << outcome.reason;
            ASSERT_EQ(outcome.answer == Answer::Sat, instance.satisfiable(all)) << where;
            if (outcome.answer == Answer::Sat) {
                Evaluator model(instance.store);
                for (const auto& [v, value] : outcome.model.values) model.assign(v, value);
                for (const auto& [v, table] : outcome.model.tables) model.assignTable(v, table);
                for (TermId a : all) ASSERT_EQ(model.value(a), 1) << where;
            } else {
                // A core names scoped assertions and assumptions; the permanent ones hold anyway.
                std::vector<TermId> core(assertions.begin(), assertions.begin() + static_cast<long>(permanent));
                for (size_t p : outcome.coreAssertions) core.push_back(assertions.at(p));
                for (size_t p : outcome.coreAssumptions) core.push_back(assumptions.at(p));
                ASSERT_FALSE(instance.satisfiable(core)) << where << ": the core is satisfiable";
            }
        }
    }
}

TEST(TheorySolve, SessionsAgreeWithEnumerationOnCadical) { runSessions(torva::Engine::Cadical, 150); }

TEST(TheorySolve, SessionsAgreeWithEnumerationOnTheBuiltInSolver) { runSessions(torva::Engine::Core, 60); }

}  // namespace
