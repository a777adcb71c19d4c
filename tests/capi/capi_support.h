// Test support for the C interface: a solver session that owns one handle
// and builds terms through the C calls only, reporting every failing call
// as a test failure with the solver's message.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "torva/torva.h"

namespace capi_test {

class Session {
public:
    Session() { EXPECT_EQ(torva_new(&solver_), TORVA_OK); }
    ~Session() { torva_delete(solver_); }
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    torva_solver* get() const { return solver_; }
    std::string error() const { return torva_last_error(solver_); }

    // Expects status to be TORVA_OK, with the solver's message otherwise.
    void ok(torva_status status) const { EXPECT_EQ(status, TORVA_OK) << error(); }

    torva_sort bvSort(uint32_t width) const {
        torva_sort sort{};
        ok(width == 0 ? torva_mk_bool_sort(solver_, &sort) : torva_mk_bv_sort(solver_, width, &sort));
        return sort;
    }
    torva_term bv(uint32_t width, uint64_t value) const {
        torva_term term{};
        ok(torva_mk_bv_value_uint64(solver_, width, value, &term));
        return term;
    }
    // A new constant of the width, Boolean for width 0.
    torva_term var(uint32_t width, const char* name) const {
        torva_term term{};
        ok(torva_mk_const(solver_, bvSort(width), name, &term));
        return term;
    }
    torva_term boolVar(const char* name) const { return var(0, name); }
    torva_term op(torva_kind kind, const std::vector<torva_term>& args,
                  const std::vector<uint32_t>& indices = {}) const {
        torva_term term{};
        ok(torva_mk_term(solver_, kind, args.size(), args.data(), indices.size(), indices.data(), &term));
        return term;
    }
    void assertFormula(torva_term formula) const { ok(torva_assert(solver_, formula)); }
    torva_result check(const std::vector<torva_term>& assumptions = {}) const {
        torva_result result = TORVA_UNKNOWN;
        ok(torva_check_sat_assuming(solver_, assumptions.size(), assumptions.data(), &result));
        return result;
    }
    uint64_t value(torva_term term) const {
        uint64_t value = 0;
        ok(torva_get_value_uint64(solver_, term, &value));
        return value;
    }
    uint32_t scopeLevel() const {
        uint32_t level = 0;
        ok(torva_get_scope_level(solver_, &level));
        return level;
    }
    // The ids of the terms a list call (the core, the unsat assumptions, the
    // assertions) hands out.
    std::multiset<uint64_t> ids(torva_status (*list)(torva_solver*, const torva_term**, size_t*)) const {
        const torva_term* terms = nullptr;
        size_t count = 0;
        ok(list(solver_, &terms, &count));
        std::multiset<uint64_t> result;
        for (size_t i = 0; i < count; ++i)
            result.insert(terms[i].id);
        return result;
    }

private:
    torva_solver* solver_ = nullptr;
};

}  // namespace capi_test
