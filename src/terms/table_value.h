// The value of an array or an uninterpreted function: a finite table of
// argument tuples (one index for an array) and their results, and one
// fallback result for every tuple not listed. The elements of an array of
// arrays are tables themselves. Normal form: no entry is written like the
// fallback, so two tables written alike are the same value; tables written
// differently can still be the same value (an inner table with an entry
// equal to its fallback's, or entries that cover a finite domain), which
// sameArray decides.
#pragma once

#include <gmpxx.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "terms/term_store.h"

namespace torva::terms {

struct TableValue;

// An element of a table: a number, or a table when the elements are arrays
// (no table stands for the table that is 0 everywhere).
struct Element {
    Element() = default;
    Element(const mpz_class& n) : number(n) {}  // NOLINT: numbers are elements
    Element(long n) : number(n) {}              // NOLINT
    explicit Element(const TableValue& t);
    mpz_class number = 0;
    std::shared_ptr<const TableValue> table;
    // The table of an array element.
    const TableValue& asTable() const;
};

// Written alike (the normal form's equality, not the value's).
bool operator==(const Element& a, const Element& b);
inline bool operator!=(const Element& a, const Element& b) { return !(a == b); }

struct TableValue {
    using Key = std::vector<mpz_class>;
    Element fallback;
    std::map<Key, Element> entries;

    const Element& at(const Key& key) const;
    // Sets the result at key, keeping the normal form.
    void set(const Key& key, const Element& value);
};

bool operator==(const TableValue& a, const TableValue& b);

// Whether two arrays of the array sort agree at every index.
bool sameArray(const TermStore& store, Sort arraySort, const TableValue& a, const TableValue& b);
// Whether two elements of the sort are the same value.
bool sameElement(const TermStore& store, Sort sort, const Element& a, const Element& b);

// SMT-LIB 2 text of an array value of the sort: stores, in index order,
// over a constant array of the fallback.
std::string formatArray(const TermStore& store, Sort arraySort, const TableValue& value);

// SMT-LIB 2 body of a function value of the sort over the named
// parameters: an ite per entry, in argument order, ending in the fallback.
std::string formatFunctionBody(const TermStore& store, Sort functionSort, const TableValue& value,
                               const std::vector<std::string>& parameters);

}  // namespace torva::terms
