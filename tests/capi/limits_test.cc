// Limits of a check through the C interface: a conflict limit, a time limit
// and a terminate callback each stop a hard factoring problem with an
// unknown answer and its reason, and lifting them restores normal checks.
#include <string>

#include "capi/capi_support.h"

namespace capi_test {
namespace {

// x * y == p * q with 1 < x, y < 2^half, in a scope of its own; p and q
// are primes below 2^half whose bits are mixed (primes close to 2^half are
// found at once by a search that tries ones first).
void assertFactoring(const Session& s, uint32_t width, uint64_t p, uint64_t q) {
    s.ok(torva_push(s.get(), 1));
    torva_term x = s.var(width, "x"), y = s.var(width, "y");
    torva_term bound = s.bv(width, uint64_t(1) << (width / 2));
    torva_term one = s.bv(width, 1);
    s.assertFormula(s.op(TORVA_KIND_EQUAL, {s.op(TORVA_KIND_BV_MUL, {x, y}), s.bv(width, p * q)}));
    for (torva_term factor : {x, y}) {
        s.assertFormula(s.op(TORVA_KIND_BV_UGT, {factor, one}));
        s.assertFormula(s.op(TORVA_KIND_BV_ULT, {factor, bound}));
    }
}

// After the hard scope is popped a small question is answered again.
void expectAnswersAfterPop(const Session& s) {
    s.ok(torva_pop(s.get(), 1));
    torva_term z = s.var(16, "z");
    s.assertFormula(s.op(TORVA_KIND_EQUAL, {s.op(TORVA_KIND_BV_ADD, {z, s.bv(16, 1)}), s.bv(16, 0)}));
    ASSERT_EQ(s.check(), TORVA_SAT);
    EXPECT_EQ(s.value(z), 0xffffu);
}

TEST(CApiLimits, ConflictLimitGivesUnknownWithItsReason) {
    Session s;
    s.ok(torva_set_conflict_limit(s.get(), 1));
    assertFactoring(s, 64, 2654435761u, 2246822519u);
    ASSERT_EQ(s.check(), TORVA_UNKNOWN);
    EXPECT_EQ(s.reasonUnknown(), "resourceout");
    uint64_t value = 0;
    EXPECT_EQ(torva_get_value_uint64(s.get(), s.bv(24, 1), &value), TORVA_ERROR) << "no model after unknown";
    s.ok(torva_set_conflict_limit(s.get(), 0));
    expectAnswersAfterPop(s);
}

TEST(CApiLimits, TimeLimitGivesUnknownWithItsReason) {
    Session s;
    s.ok(torva_set_time_limit(s.get(), 0.2));
    assertFactoring(s, 64, 2654435761u, 2246822519u);
    ASSERT_EQ(s.check(), TORVA_UNKNOWN);
    EXPECT_EQ(s.reasonUnknown(), "timeout");
    s.ok(torva_set_time_limit(s.get(), 0));
    expectAnswersAfterPop(s);
}

int stopAndCount(void* userData) {
    ++*static_cast<int*>(userData);
    return 1;
}

TEST(CApiLimits, TerminateCallbackStopsTheCheck) {
    Session s;
    int polls = 0;
    s.ok(torva_set_terminate_callback(s.get(), stopAndCount, &polls));
    assertFactoring(s, 64, 2654435761u, 2246822519u);
    ASSERT_EQ(s.check(), TORVA_UNKNOWN);
    EXPECT_EQ(s.reasonUnknown(), "interrupted");
    EXPECT_GT(polls, 0);

    s.ok(torva_set_terminate_callback(s.get(), nullptr, nullptr));
    int before = polls;
    expectAnswersAfterPop(s);
    EXPECT_EQ(polls, before) << "a removed callback is not polled";
}

}  // namespace
}  // namespace capi_test
