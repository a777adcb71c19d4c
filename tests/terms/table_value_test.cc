// The extensional equality of array values against a pointwise comparison
// over every index, for flat arrays and arrays of arrays, at every index
// width up to 3 (where the entries can cover the whole domain and differing
// fallbacks no longer tell the arrays apart). Sessions decided by lemmas on
// demand are checked against enumeration by the torva-fuzz arrays campaign.
#include <gtest/gtest.h>

#include <random>

#include "terms/table_value.h"

namespace {

using torva::terms::Element;
using torva::terms::Sort;
using torva::terms::TableValue;
using torva::terms::TermStore;

TableValue randomTable(std::mt19937_64& rng, unsigned width, bool nested) {
    TableValue t;
    auto element = [&]() -> Element {
        if (!nested) return Element(static_cast<long>(rng() % 2));
        return Element(randomTable(rng, 1, false));
    };
    t.fallback = element();
    for (unsigned i = 0; i < (1u << width); i++)
        if (rng() % 2) t.set({i}, element());
    return t;
}

// Pointwise over every index, and for arrays of arrays over every inner index.
bool pointwise(const TableValue& a, const TableValue& b, unsigned width, bool nested) {
    for (unsigned i = 0; i < (1u << width); i++) {
        const Element &x = a.at({i}), &y = b.at({i});
        if (nested ? !pointwise(x.asTable(), y.asTable(), 1, false) : x.number != y.number) return false;
    }
    return true;
}

TEST(TableValue, ArraysAreEqualExactlyWhenEveryIndexAgrees) {
    std::mt19937_64 rng(7);
    for (bool nested : {false, true})
        for (unsigned width = 1; width <= 3; width++) {
            TermStore store;
            Sort element = nested ? store.mkArraySort(1, 1) : Sort(1);
            Sort sort = store.mkArraySort(width, element);
            for (int round = 0; round < 400; round++) {
                TableValue x = randomTable(rng, width, nested), y = randomTable(rng, width, nested);
                ASSERT_EQ(torva::terms::sameArray(store, sort, x, y), pointwise(x, y, width, nested))
                    << "width " << width << (nested ? " nested" : "") << " round " << round;
            }
        }
}

}  // namespace
