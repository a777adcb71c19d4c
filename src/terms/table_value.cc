// Tables of arrays and functions: lookup, normal form, extensional
// equality and SMT-LIB 2 text.
#include "terms/table_value.h"

#include <set>

#include "terms/evaluator.h"

namespace torva::terms {

Element::Element(const TableValue& t) : table(std::make_shared<const TableValue>(t)) {}

const TableValue& Element::asTable() const {
    static const TableValue zero;
    return table ? *table : zero;
}

bool operator==(const Element& a, const Element& b) {
    if (!a.table && !b.table) return a.number == b.number;
    return a.asTable() == b.asTable();
}

bool operator==(const TableValue& a, const TableValue& b) {
    return a.fallback == b.fallback && a.entries == b.entries;
}

const Element& TableValue::at(const Key& key) const {
    auto it = entries.find(key);
    return it == entries.end() ? fallback : it->second;
}

void TableValue::set(const Key& key, const Element& value) {
    if (value == fallback)
        entries.erase(key);
    else
        entries[key] = value;
}

namespace {

// The number of indices of the sort when it is small enough to be covered
// by a table, else 0.
uint64_t finiteDomainSize(Sort index) {
    if (index == kBool) return 2;
    return index < 63 ? uint64_t(1) << index : 0;
}

std::string formatElement(const TermStore& store, Sort sort, const Element& e) {
    return store.isArraySort(sort) ? formatArray(store, sort, e.asTable()) : formatValue(sort, e.number);
}

}  // namespace

bool sameElement(const TermStore& store, Sort sort, const Element& a, const Element& b) {
    if (!store.isArraySort(sort)) return a.number == b.number;
    return sameArray(store, sort, a.asTable(), b.asTable());
}

bool sameArray(const TermStore& store, Sort arraySort, const TableValue& a, const TableValue& b) {
    const CompoundSort& sort = store.compound(arraySort);
    std::set<TableValue::Key> keys;
    for (const auto& entry : a.entries) keys.insert(entry.first);
    for (const auto& entry : b.entries) keys.insert(entry.first);
    for (const TableValue::Key& key : keys)
        if (!sameElement(store, sort.codomain, a.at(key), b.at(key))) return false;
    if (sameElement(store, sort.codomain, a.fallback, b.fallback)) return true;
    // Different fallbacks agree only where no index is left to show them.
    return keys.size() == finiteDomainSize(sort.domain[0]);
}

std::string formatArray(const TermStore& store, Sort arraySort, const TableValue& value) {
    const CompoundSort& sort = store.compound(arraySort);
    std::string text =
        "((as const " + store.sortName(arraySort) + ") " + formatElement(store, sort.codomain, value.fallback) + ")";
    for (const auto& [key, result] : value.entries)
        text = "(store " + text + " " + formatValue(sort.domain[0], key[0]) + " " +
               formatElement(store, sort.codomain, result) + ")";
    return text;
}

std::string formatFunctionBody(const TermStore& store, Sort functionSort, const TableValue& value,
                               const std::vector<std::string>& parameters) {
    const CompoundSort& sort = store.compound(functionSort);
    std::string text = formatValue(sort.codomain, value.fallback.number);
    for (auto it = value.entries.rbegin(); it != value.entries.rend(); ++it) {
        std::string condition;
        for (size_t i = 0; i < parameters.size(); i++)
            condition += " (= " + parameters[i] + " " + formatValue(sort.domain[i], it->first[i]) + ")";
        if (parameters.size() > 1) condition = " (and" + condition + ")";
        text = "(ite" + condition + " " + formatValue(sort.codomain, it->second.number) + " " + text + ")";
    }
    return text;
}

}  // namespace torva::terms
