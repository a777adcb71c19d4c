// The value of any term under an assignment of its variables, computed with
// SMT-LIB 2 semantics (division by zero and shifts by at least the width
// included) and written without reference to the encoder: it is the oracle
// that checks models and the encodings. Boolean values are 0 and 1;
// unassigned variables are 0. Arrays and functions have tables as values
// (unassigned ones are 0 everywhere), so a model of them is checked like
// any other. Walks use an explicit stack, so graph depth is bounded only by
// memory.
#pragma once

#include <gmpxx.h>

#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "terms/table_value.h"
#include "terms/term_store.h"

namespace torva::terms {

class Evaluator {
public:
    explicit Evaluator(const TermStore& store);

    void assign(TermId variable, const mpz_class& value);
    // Like assign(), for a variable that no value computed so far depends
    // on: the cache is kept (completing a model step by step stays linear).
    void define(TermId variable, const mpz_class& value);
    // The value of an array or function variable.
    void assignTable(TermId variable, const TableValue& value);
    // The value of t, a Boolean or bit-vector term; values of every node
    // reached are cached until the next assign().
    const mpz_class& value(TermId t);
    // The value of t, a term of array sort or a function, until the next
    // assign().
    const TableValue& table(TermId t);

private:
    mpz_class compute(TermId t) const;
    TableValue computeTable(TermId t) const;
    bool sameValue(TermId x, TermId y) const;
    Element elementOf(TermId t) const;
    const TableValue& tableOf(TermId t) const { return tables_[cache_[t].get_ui()]; }
    void evaluate(TermId t);
    bool isCached(TermId t) const;
    void startEpoch();
    void setValue(TermId variable, const mpz_class& value);

    const TermStore& store_;
    std::vector<mpz_class> assigned_;
    std::vector<char> hasAssigned_;
    std::map<TermId, TableValue> assignedTables_;
    // Tables of the array and function nodes of this epoch; the cache of
    // such a node holds its position here.
    std::deque<TableValue> tables_;
    // cache_[t] is valid when cacheEpoch_[t] == epoch_; assign() moves to a
    // new epoch, so it never has to clear the cache. A deque, so that the
    // references value() hands out survive the cache's growth.
    std::deque<mpz_class> cache_;
    std::vector<uint32_t> cacheEpoch_;
    uint32_t epoch_ = 1;
    bool computedSinceAssign_ = false;
};

// SMT-LIB 2 text of a value of the sort: "true"/"false" or "#b0101".
std::string formatValue(Sort sort, const mpz_class& value);

}  // namespace torva::terms
