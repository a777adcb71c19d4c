// Test support for the C interface: a solver session that owns one handle
// and builds terms through the C calls only, reporting every failing call
// as a test failure with the solver's message.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
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
        ok(torva_mk_bv_sort(solver_, width, &sort));
        return sort;
    }
    torva_sort boolSort() const {
        torva_sort sort{};
        ok(torva_mk_bool_sort(solver_, &sort));
        return sort;
    }
    torva_term bv(uint32_t width, uint64_t value) const {
        torva_term term{};
        ok(torva_mk_bv_value_uint64(solver_, width, value, &term));
        return term;
    }
    torva_term var(uint32_t width, const char* name) const {
        torva_term term{};
        ok(torva_mk_const(solver_, bvSort(width), name, &term));
        return term;
    }
    torva_term boolVar(const char* name) const {
        torva_term term{};
        ok(torva_mk_const(solver_, boolSort(), name, &term));
        return term;
    }
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
    std::string reasonUnknown() const {
        const char* reason = "";
        ok(torva_get_reason_unknown(solver_, &reason));
        return reason;
    }
    uint32_t scopeLevel() const {
        uint32_t level = 0;
        ok(torva_get_scope_level(solver_, &level));
        return level;
    }
    std::vector<uint64_t> unsatCoreIds() const {
        const torva_term* terms = nullptr;
        size_t count = 0;
        ok(torva_get_unsat_core(solver_, &terms, &count));
        return ids(terms, count);
    }
    std::vector<uint64_t> unsatAssumptionIds() const {
        const torva_term* terms = nullptr;
        size_t count = 0;
        ok(torva_get_unsat_assumptions(solver_, &terms, &count));
        return ids(terms, count);
    }

private:
    static std::vector<uint64_t> ids(const torva_term* terms, size_t count) {
        std::vector<uint64_t> result;
        for (size_t i = 0; i < count; ++i)
            result.push_back(terms[i].id);
        return result;
    }

    torva_solver* solver_ = nullptr;
};

}  // namespace capi_test
