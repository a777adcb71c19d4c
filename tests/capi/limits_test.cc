// Limits of a check through the C interface: a conflict limit, a time limit
// and a terminate callback each stop a hard factoring problem with an
// unknown answer and its reason, and lifting them restores normal checks.
#include <functional>
#include <string>

#include "capi/capi_support.h"

namespace capi_test {
namespace {

int stopAndCount(void* userData) {
    ++*static_cast<int*>(userData);
    return 1;
}

TEST(CApiLimits, EachLimitGivesUnknownWithItsReasonUntilLifted) {
    int polls = 0;
    struct Limit {
        const char* reason;
        std::function<torva_status(torva_solver*, bool)> set;  // on: impose the limit, else lift it
    };
    const Limit limits[] = {
        {"resourceout", [](torva_solver* s, bool on) { return torva_set_conflict_limit(s, on ? 1 : 0); }},
        {"timeout", [](torva_solver* s, bool on) { return torva_set_time_limit(s, on ? 0.2 : 0); }},
        {"interrupted",
         [&polls](torva_solver* s, bool on) {
             return on ? torva_set_terminate_callback(s, stopAndCount, &polls)
                       : torva_set_terminate_callback(s, nullptr, nullptr);
         }},
    };
    for (const Limit& limit : limits) {
        SCOPED_TRACE(limit.reason);
        Session s;
        s.ok(limit.set(s.get(), true));
        // x * y == p * q with 1 < x, y < 2^32, in a scope of its own; p and q
        // are primes below 2^32 whose bits are mixed (primes close to 2^32
        // are found at once by a search that tries ones first).
        s.ok(torva_push(s.get(), 1));
        torva_term x = s.var(64, "x"), y = s.var(64, "y");
        s.assertFormula(s.op(TORVA_KIND_EQUAL, {s.op(TORVA_KIND_BV_MUL, {x, y}),
                                                s.bv(64, uint64_t{2654435761u} * uint64_t{2246822519u})}));
        for (torva_term factor : {x, y}) {
            s.assertFormula(s.op(TORVA_KIND_BV_UGT, {factor, s.bv(64, 1)}));
            s.assertFormula(s.op(TORVA_KIND_BV_ULT, {factor, s.bv(64, uint64_t(1) << 32)}));
        }
        ASSERT_EQ(s.check(), TORVA_UNKNOWN);
        const char* reason = "";
        s.ok(torva_get_reason_unknown(s.get(), &reason));
        EXPECT_STREQ(reason, limit.reason);
        uint64_t value = 0;
        EXPECT_EQ(torva_get_value_uint64(s.get(), x, &value), TORVA_ERROR) << "no model after unknown";

        s.ok(limit.set(s.get(), false));
        const int pollsBefore = polls;
        s.ok(torva_pop(s.get(), 1));
        torva_term z = s.var(16, "z");
        s.assertFormula(s.op(TORVA_KIND_EQUAL, {s.op(TORVA_KIND_BV_ADD, {z, s.bv(16, 1)}), s.bv(16, 0)}));
        ASSERT_EQ(s.check(), TORVA_SAT);
        EXPECT_EQ(s.value(z), 0xffffu);
        EXPECT_EQ(polls, pollsBefore) << "a removed callback is not polled";
    }
    EXPECT_GT(polls, 0);
}

}  // namespace
}  // namespace capi_test
