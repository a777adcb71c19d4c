// The check of a candidate model of the abstraction against the theories of
// arrays and functions, the lemmas it finds, and the tables of a model that
// passes. An access is a read (a select, or a store under an equality, which
// reads its own element at its own index); it travels down stores at other
// indices and down the chosen branch of an ite, and, among the arrays below
// an equality, up to stores at other indices, up to ites that chose it and
// across true equalities. Each step adds the atom that justifies it to the
// access's path, so every lemma reads "the path holds and the indices are
// equal, so the elements are equal", which is valid whatever the model.
#include <algorithm>
#include <map>
#include <optional>
#include <set>

#include "engine/theory_solve.h"

namespace torva {

using terms::Kind;
using terms::Sort;
using terms::TermId;

TermId TheorySolve::equal(TermId a, TermId b) {
    if (a == b) return store_->mkBool(true);
    return store_->mk(Kind::Equal, {std::min(a, b), std::max(a, b)});
}

TermId TheorySolve::implication(const std::vector<TermId>& premises, TermId conclusion) {
    std::vector<TermId> sorted = premises;
    std::sort(sorted.begin(), sorted.end());
    sorted.erase(std::unique(sorted.begin(), sorted.end()), sorted.end());
    std::vector<TermId> clause;
    TermId truth = store_->mkBool(true);
    for (TermId p : sorted)
        if (p != truth) clause.push_back(store_->mk(Kind::Not, {p}));
    clause.push_back(conclusion);
    return clause.size() == 1 ? conclusion : store_->mk(Kind::Or, clause);
}

void TheorySolve::addCongruence(const Arrival& a, const Arrival& b) {
    std::vector<TermId> premises = a.path;
    premises.insert(premises.end(), b.path.begin(), b.path.end());
    for (size_t k = 0; k < a.indices.size(); k++) premises.push_back(equal(a.indices[k], b.indices[k]));
    addLemma(implication(premises, equal(accesses_[a.access].element, accesses_[b.access].element)));
    stopped_ = true;
}

void TheorySolve::addReadOverWrite(const Arrival& a, TermId element, const std::vector<TermId>& extra) {
    std::vector<TermId> premises = a.path;
    premises.insert(premises.end(), extra.begin(), extra.end());
    addLemma(implication(premises, equal(accesses_[a.access].element, element)));
    stopped_ = true;
}

// Records the access at the array. False when it met a read of the same
// indices there: with the same value, which carries on for both, or with
// another, which is a lemma and stops the access.
bool TheorySolve::arrive(const Arrival& arrival, TermId array) {
    auto& byIndex = arrivals_[array];
    auto found = byIndex.find(arrival.indexValues);
    if (found == byIndex.end()) {
        byIndex.emplace(arrival.indexValues, arrival);
        return true;
    }
    if (accesses_[found->second.access].elementValue != accesses_[arrival.access].elementValue)
        addCongruence(arrival, found->second);
    return false;
}

// The access one level in: without its outermost index.
TheorySolve::Arrival TheorySolve::innerOf(const Arrival& a) {
    Arrival in = a;
    in.indices.erase(in.indices.begin());
    in.indexValues.erase(in.indexValues.begin());
    return in;
}

// The access one level out: with the index (and its value) outermost.
TheorySolve::Arrival TheorySolve::outerOf(const Arrival& a, TermId index, const mpz_class& value) {
    Arrival out = a;
    out.indices.insert(out.indices.begin(), index);
    out.indexValues.insert(out.indexValues.begin(), value);
    return out;
}

TheorySolve::Arrival TheorySolve::withAtom(const Arrival& a, TermId atom) {
    Arrival longer = a;
    longer.path.push_back(atom);
    return longer;
}

// Toward where the value read is kept: past stores at other indices, into
// the element stored or held constant at the outermost index, down the
// chosen branch, and from an element of an array to that array.
void TheorySolve::carryDown(const Arrival& a, TermId x, terms::Evaluator& values,
                            std::vector<std::pair<TermId, Arrival>>& queue) {
    auto truth = [&](TermId t) { return values.value(t) != 0; };
    const bool last = a.indices.size() == 1;
    switch (store_->kind(x)) {
    case Kind::Store: {
        TermId index = abstracted(store_->arg(x, 1));
        TermId element = store_->arg(x, 2);
        if (values.value(index) != a.indexValues[0]) {
            queue.emplace_back(store_->arg(x, 0), withAtom(a, store_->mk(Kind::Not, {equal(a.indices[0], index)})));
        } else if (!last) {
            queue.emplace_back(element, withAtom(innerOf(a), equal(a.indices[0], index)));
        } else if (values.value(abstracted(element)) != accesses_[a.access].elementValue) {
            addReadOverWrite(a, abstracted(element), {equal(a.indices[0], index)});
        }
        break;
    }
    case Kind::Ite: {
        TermId condition = abstracted(store_->arg(x, 0));
        bool chosen = truth(condition);
        queue.emplace_back(store_->arg(x, chosen ? 1 : 2),
                           withAtom(a, chosen ? condition : store_->mk(Kind::Not, {condition})));
        break;
    }
    case Kind::ConstArray: {
        TermId element = store_->arg(x, 0);
        if (!last)
            queue.emplace_back(element, innerOf(a));
        else if (values.value(abstracted(element)) != accesses_[a.access].elementValue)
            addReadOverWrite(a, abstracted(element), {});
        break;
    }
    case Kind::Select: {
        TermId index = abstracted(store_->arg(x, 1));
        queue.emplace_back(store_->arg(x, 0), outerOf(a, index, values.value(index)));
        break;
    }
    default:
        break;
    }
}

// Among the arrays below an equality: to stores over x at other indices,
// to stores holding x, to ites that chose x, across true equalities, and
// into elements of x selected at the outermost index.
void TheorySolve::carryUp(const Arrival& a, TermId x, terms::Evaluator& values,
                          std::vector<std::pair<TermId, Arrival>>& queue) {
    auto parents = parents_.find(x);
    if (!activeArrays_.count(x) || parents == parents_.end()) return;
    auto truth = [&](TermId t) { return values.value(t) != 0; };
    for (TermId p : parents->second) {
        if (!activeArrays_.count(p) && store_->kind(p) != Kind::Equal) continue;
        switch (store_->kind(p)) {
        case Kind::Store: {
            TermId index = abstracted(store_->arg(p, 1));
            if (store_->arg(p, 0) == x) {
                if (values.value(index) != a.indexValues[0])
                    queue.emplace_back(p, withAtom(a, store_->mk(Kind::Not, {equal(a.indices[0], index)})));
            } else {
                queue.emplace_back(p, outerOf(a, index, values.value(index)));
            }
            break;
        }
        case Kind::Ite: {
            TermId condition = abstracted(store_->arg(p, 0));
            bool chosen = truth(condition);
            if (store_->arg(p, chosen ? 1 : 2) == x)
                queue.emplace_back(p, withAtom(a, chosen ? condition : store_->mk(Kind::Not, {condition})));
            break;
        }
        case Kind::Equal: {
            TermId proxy = abstraction_.at(p);
            if (liveEqualitySet_.count(p) && truth(proxy))
                queue.emplace_back(store_->arg(p, store_->arg(p, 0) == x ? 1 : 0), withAtom(a, proxy));
            break;
        }
        case Kind::Select: {
            TermId index = abstracted(store_->arg(p, 1));
            if (values.value(index) != a.indexValues[0]) break;
            queue.emplace_back(p, innerOf(withAtom(a, equal(a.indices[0], index))));
            break;
        }
        default:
            break;
        }
    }
}

void TheorySolve::propagate(Arrival start, TermId array, terms::Evaluator& values) {
    std::vector<std::pair<TermId, Arrival>> queue;
    queue.emplace_back(array, std::move(start));
    std::set<std::pair<TermId, terms::TableValue::Key>> visited;
    stopped_ = false;
    for (size_t head = 0; head < queue.size() && !stopped_; head++) {
        TermId x = queue[head].first;
        const Arrival a = queue[head].second;
        if (!visited.emplace(x, a.indexValues).second) continue;
        // An access met by an equal one goes no further from here: the
        // other carries the same value on the same way.
        if (!arrive(a, x)) continue;
        carryDown(a, x, values, queue);
        if (!stopped_) carryUp(a, x, values, queue);
    }
}

// Two applications of one function with equal arguments and different
// results.
void TheorySolve::checkApplications(terms::Evaluator& values) {
    std::map<TermId, std::map<terms::TableValue::Key, TermId>> seen;
    for (TermId app : liveApplies_) {
        terms::TableValue::Key key;
        for (uint32_t i = 1; i < store_->numArgs(app); i++) key.push_back(values.value(abstracted(store_->arg(app, i))));
        auto [it, fresh] = seen[store_->arg(app, 0)].emplace(key, app);
        if (fresh) continue;
        TermId other = it->second;
        if (values.value(abstracted(app)) == values.value(abstracted(other))) continue;
        std::vector<TermId> premises;
        for (uint32_t i = 1; i < store_->numArgs(app); i++)
            premises.push_back(equal(abstracted(store_->arg(app, i)), abstracted(store_->arg(other, i))));
        addLemma(implication(premises, equal(abstracted(app), abstracted(other))));
    }
}

// A false equality between arrays gets an index where its sides differ.
void TheorySolve::addWitnesses(terms::Evaluator& values) {
    for (TermId e : liveEqualities_) {
        if (values.value(abstraction_.at(e)) != 0 || witnessed_.count(e)) continue;
        witnessed_.insert(e);
        const terms::CompoundSort& sort = store_->compound(store_->sort(store_->arg(e, 0)));
        TermId k = store_->mkVar(sort.domain[0], "");
        madeVariables_.insert(k);
        TermId same = store_->mk(Kind::Equal, {store_->mk(Kind::Select, {store_->arg(e, 0), k}),
                                               store_->mk(Kind::Select, {store_->arg(e, 1), k})});
        witnesses_[e].push_back(same);
        addLemma(store_->mk(Kind::Or, {abstraction_.at(e), store_->mk(Kind::Not, {abstracted(same)})}));
    }
}

bool TheorySolve::findLemmas(terms::Evaluator& values) {
    lemmasThisRound_ = 0;
    accesses_.clear();
    arrivals_.clear();
    auto start = [&](TermId index, TermId element, TermId array) {
        TermId i = abstracted(index), e = abstracted(element);
        accesses_.push_back({e, values.value(e)});
        propagate(Arrival{accesses_.size() - 1, {i}, {values.value(i)}, {}}, array, values);
    };
    for (TermId s : liveSelects_) start(store_->arg(s, 1), s, store_->arg(s, 0));
    for (TermId s : liveStores_)
        if (activeArrays_.count(s) && !store_->isArray(store_->arg(s, 2))) start(store_->arg(s, 1), store_->arg(s, 2), s);
    checkApplications(values);
    addWitnesses(values);
    return lemmasThisRound_ > 0;
}

// The value an array holds at indices no read mentions: the constant of a
// constant array it is tied to through stores, chosen branches and true
// equalities (at every level of nesting), if any.
std::optional<terms::Element> TheorySolve::tiedDefault(TermId array, terms::Evaluator& values) {
    std::vector<TermId> stack{array};
    std::unordered_set<TermId> seen;
    while (!stack.empty()) {
        TermId a = stack.back();
        stack.pop_back();
        if (!seen.insert(a).second) continue;
        switch (store_->kind(a)) {
        case Kind::ConstArray: {
            TermId element = store_->arg(a, 0);
            if (!store_->isArray(element)) return terms::Element(values.value(abstracted(element)));
            return terms::Element(terms::TableValue{tiedDefault(element, values).value_or(0), {}});
        }
        case Kind::Store: stack.push_back(store_->arg(a, 0)); break;
        case Kind::Ite: stack.push_back(store_->arg(a, values.value(abstracted(store_->arg(a, 0))) != 0 ? 1 : 2)); break;
        default: break;
        }
        auto up = parents_.find(a);
        if (up == parents_.end()) continue;
        for (TermId p : up->second) {
            if (store_->kind(p) == Kind::Equal && liveEqualitySet_.count(p) && values.value(abstraction_.at(p)) != 0)
                stack.push_back(store_->arg(p, store_->arg(p, 0) == a ? 1 : 0));
            if (store_->kind(p) == Kind::Store && store_->arg(p, 0) == a) stack.push_back(p);
        }
    }
    return std::nullopt;
}

namespace {

// Sets the element at the indices (outermost first) of a table of tables.
void setNested(terms::TableValue& table, const terms::TableValue::Key& indices, size_t level,
               const terms::Element& value) {
    if (level + 1 == indices.size()) {
        table.set({indices[level]}, value);
        return;
    }
    terms::TableValue row = table.at({indices[level]}).asTable();
    setNested(row, indices, level + 1, value);
    table.set({indices[level]}, terms::Element(row));
}

}  // namespace

// The rows of an array of arrays that are tied to a constant array of
// their own take its value where no read says otherwise.
void TheorySolve::tieRows(TermId array, terms::TableValue& table, terms::Evaluator& values) {
    auto parents = parents_.find(array);
    if (parents == parents_.end()) return;
    for (TermId row : parents->second) {
        if (store_->kind(row) != Kind::Select) continue;
        std::optional<terms::Element> tied = tiedDefault(row, values);
        if (!tied) continue;
        mpz_class index = values.value(abstracted(store_->arg(row, 1)));
        terms::TableValue tiedRow{*tied, {}};
        for (const auto& [key, element] : table.at({index}).asTable().entries) tiedRow.set(key, element);
        table.set({index}, terms::Element(tiedRow));
    }
}

terms::Model TheorySolve::completeModel(const terms::Model& inner, terms::Evaluator& values) {
    terms::Model model;
    for (const auto& entry : inner.values)
        if (!madeVariables_.count(entry.first)) model.values.push_back(entry);
    std::vector<TermId> arrays(registeredArrays_.begin(), registeredArrays_.end());
    std::sort(arrays.begin(), arrays.end());
    std::map<TermId, terms::TableValue> tables;
    for (TermId a : arrays) {
        if (store_->kind(a) != Kind::Variable) continue;
        terms::TableValue table;
        table.fallback = tiedDefault(a, values).value_or(0);
        tieRows(a, table, values);
        auto arrived = arrivals_.find(a);
        if (arrived != arrivals_.end())
            for (const auto& [indices, arrival] : arrived->second)
                setNested(table, indices, 0, accesses_[arrival.access].elementValue);
        tables.emplace(a, std::move(table));
    }
    for (TermId app : liveApplies_) {
        terms::TableValue::Key key;
        for (uint32_t i = 1; i < store_->numArgs(app); i++) key.push_back(values.value(abstracted(store_->arg(app, i))));
        tables[store_->arg(app, 0)].set(key, values.value(abstracted(app)));
    }
    model.tables.assign(tables.begin(), tables.end());
    return model;
}

// A true equality whose sides the completed model tells apart gets the reads
// of both sides at an index where they differ; the next round carries them.
bool TheorySolve::repairEqualities(terms::Evaluator& values, terms::Evaluator& model) {
    bool repaired = false;
    for (TermId e : liveEqualities_) {
        if (values.value(abstraction_.at(e)) == 0 || model.value(e) != 0) continue;
        Sort sort = store_->sort(store_->arg(e, 0));
        const terms::CompoundSort& parts = store_->compound(sort);
        const terms::TableValue left = model.table(store_->arg(e, 0));
        const terms::TableValue right = model.table(store_->arg(e, 1));
        mpz_class index = 0;
        bool found = false;
        for (const auto* side : {&left, &right})
            for (const auto& entry : side->entries)
                if (!found && !terms::sameElement(*store_, parts.codomain, left.at(entry.first), right.at(entry.first))) {
                    index = entry.first[0];
                    found = true;
                }
        while (!found && (left.entries.count({index}) || right.entries.count({index}))) index++;
        TermId at = store_->mkConst(parts.domain[0], index);
        TermId same = store_->mk(Kind::Equal, {store_->mk(Kind::Select, {store_->arg(e, 0), at}),
                                               store_->mk(Kind::Select, {store_->arg(e, 1), at})});
        std::vector<TermId>& witnesses = witnesses_[e];
        if (std::find(witnesses.begin(), witnesses.end(), same) != witnesses.end()) continue;
        // The lemma may be known from another check; the reads are new here.
        witnesses.push_back(same);
        addLemma(implication({abstraction_.at(e)}, abstracted(same)));
        repaired = true;
    }
    return repaired;
}

}  // namespace torva
