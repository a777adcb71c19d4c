// The C interface, through the C calls only: the C99 client, scopes and
// every form of a model value, what terms tell of themselves, assumptions,
// cores and statistics, limits, every operator kind against the reference
// word operations on all 4-bit operands, and misuse: each refusal's status
// and message, with no out-parameter written and the solver still usable.
// What the answers mean is ApiModel's to check; these check that the C
// calls hand them out.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "torva/torva.h"
#include "words.h"

extern "C" int capi_c_smoke(void);

namespace torva::testing {
void failNextModelCheck();
}

namespace {

// A solver session that owns one handle and builds terms through the C
// calls, reporting every failing call as a test failure with its message.
class Session {
public:
    Session() { EXPECT_EQ(torva_new(&solver_), TORVA_OK); }
    ~Session() { torva_delete(solver_); }
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    torva_solver* get() const { return solver_; }
    std::string error() const { return torva_last_error(solver_); }
    void ok(torva_status status) const { EXPECT_EQ(status, TORVA_OK) << error(); }

    // The sort of the width, Boolean for width 0.
    torva_sort sort(uint32_t width) const {
        torva_sort sort{};
        ok(width == 0 ? torva_mk_bool_sort(solver_, &sort) : torva_mk_bv_sort(solver_, width, &sort));
        return sort;
    }
    torva_term bv(uint32_t width, uint64_t value) const {
        torva_term term{};
        ok(torva_mk_bv_value_uint64(solver_, width, value, &term));
        return term;
    }
    torva_term var(uint32_t width, const char* name) const {
        torva_term term{};
        ok(torva_mk_const(solver_, sort(width), name, &term));
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
    // The ids of the terms a list call (core, unsat assumptions, assertions) hands out.
    std::multiset<uint64_t> ids(torva_status (*list)(torva_solver*, const torva_term**, size_t*)) const {
        const torva_term* terms = nullptr;
        size_t count = 0;
        ok(list(solver_, &terms, &count));
        std::multiset<uint64_t> result;
        for (size_t i = 0; i < count; ++i) result.insert(terms[i].id);
        return result;
    }

private:
    torva_solver* solver_ = nullptr;
};

TEST(CApiFromC, TheHeaderCompilesAsC99AndAnswers) {
    EXPECT_EQ(capi_c_smoke(), 0) << "the number of the first wrong step";
}

TEST(CApiSession, ScopesAndEveryFormOfAModelValue) {
    Session s;
    torva_solver* h = s.get();
    torva_term x = s.var(8, "x"), wide = s.var(72, "wide");
    s.assertFormula(s.op(TORVA_KIND_BV_UGT, {x, s.bv(8, 10)}));
    s.ok(torva_push(h, 2));
    uint32_t level = 0;
    s.ok(torva_get_scope_level(h, &level));
    EXPECT_EQ(level, 2u);
    s.assertFormula(s.op(TORVA_KIND_EQUAL, {x, s.bv(8, 42)}));
    // 72 one bits: more than a uint64 holds
    s.assertFormula(s.op(TORVA_KIND_EQUAL, {wide, s.op(TORVA_KIND_BV_NOT, {s.op(TORVA_KIND_BV_XOR, {wide, wide})})}));
    ASSERT_EQ(s.check(), TORVA_SAT);
    const char* text = nullptr;
    s.ok(torva_get_value_string(h, x, &text));
    EXPECT_STREQ(text, "#b00101010");
    s.ok(torva_get_value_digits(h, wide, 16, &text));
    EXPECT_EQ(std::string(text), std::string(18, 'f'));
    torva_term pair[2] = {x, s.op(TORVA_KIND_BV_ADD, {x, s.bv(8, 1)})};
    torva_term values[2] = {};
    s.ok(torva_get_values(h, 2, pair, values));
    EXPECT_EQ(values[0].id, s.bv(8, 42).id) << "a value is the term of that constant";
    EXPECT_EQ(values[1].id, s.bv(8, 43).id);
    s.ok(torva_get_value(h, pair[1], &values[0]));
    EXPECT_EQ(values[0].id, s.bv(8, 43).id);

    EXPECT_EQ(s.ids(torva_get_assertions).size(), 3u);
    s.ok(torva_pop(h, 2));
    EXPECT_EQ(s.ids(torva_get_assertions).size(), 1u);
    s.ok(torva_reset_assertions(h));
    EXPECT_TRUE(s.ids(torva_get_assertions).empty());
}

TEST(CApiSession, TermsDescribeThemselves) {
    Session s;
    torva_solver* h = s.get();
    torva_term x = s.var(8, "x");
    torva_term slice = s.op(TORVA_KIND_BV_EXTRACT, {x}, {6, 3});
    EXPECT_EQ(slice.id, s.op(TORVA_KIND_BV_EXTRACT, {x}, {6, 3}).id) << "terms made alike are one term";
    EXPECT_NE(x.id, s.var(8, "x").id) << "every constant is new";
    torva_kind kind = TORVA_KIND_CONSTANT;
    s.ok(torva_term_get_kind(h, slice, &kind));
    EXPECT_EQ(kind, TORVA_KIND_BV_EXTRACT);
    uint32_t width = 0;
    s.ok(torva_term_get_bv_width(h, slice, &width));
    EXPECT_EQ(width, 4u);
    size_t count = 0;
    s.ok(torva_term_get_num_children(h, slice, &count));
    EXPECT_EQ(count, 1u);
    torva_term made{};
    s.ok(torva_term_get_child(h, slice, 0, &made));
    EXPECT_EQ(made.id, x.id);
    const uint32_t* indices = nullptr;
    s.ok(torva_term_get_indices(h, slice, &indices, &count));
    ASSERT_EQ(count, 2u);
    EXPECT_EQ(std::vector<uint32_t>(indices, indices + 2), (std::vector<uint32_t>{6, 3}));

    const char* text = nullptr;
    const auto said = [&](torva_status status) { s.ok(status); return std::string(text); };
    EXPECT_EQ(said(torva_term_get_symbol(h, x, &text)), "x");
    EXPECT_EQ(said(torva_term_to_string(h, slice, &text)), "((_ extract 6 3) x)");
    torva_sort sort{};
    s.ok(torva_term_get_sort(h, slice, &sort));
    EXPECT_EQ(said(torva_sort_to_string(h, sort, &text)), "(_ BitVec 4)");
    EXPECT_EQ(said(torva_term_get_bv_value(h, s.bv(8, 246), 2, &text)), "11110110");
    s.ok(torva_sort_get_bv_width(h, sort, &width));
    EXPECT_EQ(width, 4u);
    int flag = 1;
    s.ok(torva_sort_is_bool(h, sort, &flag));
    EXPECT_EQ(flag, 0);
    s.ok(torva_sort_is_bool(h, s.sort(0), &flag));
    EXPECT_EQ(flag, 1);

    // Values from every constructor agree.
    torva_term truth{};
    s.ok(torva_mk_true(h, &truth));
    const std::pair<std::function<torva_status(torva_term*)>, torva_term> values[] = {
        {[&](torva_term* t) { return torva_mk_bv_value_string(h, 8, "f6", 16, t); }, s.bv(8, 246)},
        {[&](torva_term* t) { return torva_mk_bv_value_int64(h, 8, -10, t); }, s.bv(8, 246)},
        {[&](torva_term* t) { return torva_mk_bv_one(h, 8, t); }, s.bv(8, 1)},
        {[&](torva_term* t) { return torva_mk_bv_zero(h, 8, t); }, s.bv(8, 0)},
        {[&](torva_term* t) { return torva_mk_boolean(h, 7, t); }, truth},
    };
    for (const auto& [make, expected] : values) {
        s.ok(make(&made));
        EXPECT_EQ(made.id, expected.id);
    }
    s.ok(torva_mk_false(h, &made));
    s.ok(torva_term_get_boolean_value(h, made, &flag));
    EXPECT_EQ(flag, 0);
}

TEST(CApiSession, AssumptionsCoresAndStatisticsAreHandedOut) {
    Session s;
    s.ok(torva_set_option(s.get(), "produce-unsat-cores", "true"));
    torva_term a = s.var(0, "a"), b = s.var(0, "b"), c = s.var(0, "c");
    s.assertFormula(s.op(TORVA_KIND_NOT, {s.op(TORVA_KIND_AND, {a, b})}));
    ASSERT_EQ(s.check({a, b, c}), TORVA_UNSAT);
    EXPECT_EQ(s.ids(torva_get_unsat_assumptions), (std::multiset<uint64_t>{a.id, b.id})) << "c is not needed";
    torva_term x = s.var(8, "x");
    torva_term low = s.op(TORVA_KIND_BV_ULT, {x, s.bv(8, 3)}), high = s.op(TORVA_KIND_BV_UGT, {x, s.bv(8, 5)});
    s.assertFormula(low);
    s.assertFormula(high);
    ASSERT_EQ(s.check(), TORVA_UNSAT);
    EXPECT_EQ(s.ids(torva_get_unsat_core), (std::multiset<uint64_t>{low.id, high.id}));

    // Statistics: key-value pairs in key order.
    const char* const* keys = nullptr;
    const char* const* values = nullptr;
    size_t count = 0;
    s.ok(torva_get_statistics(s.get(), &keys, &values, &count));
    std::map<std::string, std::string> stats;
    for (size_t i = 0; i < count; ++i) {
        ASSERT_TRUE(keys[i] && values[i] && *keys[i]) << i;
        EXPECT_TRUE(i == 0 || std::strcmp(keys[i - 1], keys[i]) < 0) << keys[i];
        stats[keys[i]] = values[i];
    }
    EXPECT_EQ(stats["checks"], "2");
    EXPECT_EQ(stats["checks unsat"], "2");
}

int stopAndCount(void* polls) { return ++*static_cast<int*>(polls); }

// A terminate callback, a conflict limit and a time limit each stop a hard
// factoring problem with an unknown answer and its reason; each is lifted
// before the next, whose own reason shows it was.
TEST(CApiSession, EachLimitGivesUnknownWithItsReasonUntilLifted) {
    Session s;
    torva_solver* h = s.get();
    // x * y == p * q with 1 < x, y < 2^32, in a scope of its own; p and q are
    // primes below 2^32 whose bits are mixed (primes close to 2^32 are found
    // at once by a search that tries ones first).
    s.ok(torva_push(h, 1));
    torva_term x = s.var(64, "x"), y = s.var(64, "y");
    s.assertFormula(s.op(TORVA_KIND_EQUAL, {s.op(TORVA_KIND_BV_MUL, {x, y}),
                                            s.bv(64, uint64_t{2654435761u} * uint64_t{2246822519u})}));
    for (torva_term factor : {x, y}) {
        s.assertFormula(s.op(TORVA_KIND_BV_UGT, {factor, s.bv(64, 1)}));
        s.assertFormula(s.op(TORVA_KIND_BV_ULT, {factor, s.bv(64, uint64_t(1) << 32)}));
    }
    int polls = 0;
    const std::pair<const char*, std::function<torva_status(bool)>> limits[] = {
        {"interrupted", [&](bool on) { return torva_set_terminate_callback(h, on ? stopAndCount : nullptr, &polls); }},
        {"resourceout", [&](bool on) { return torva_set_conflict_limit(h, on ? 1 : 0); }},
        {"timeout", [&](bool on) { return torva_set_time_limit(h, on ? 0.2 : 0); }},
    };
    for (const auto& [reason, set] : limits) {
        s.ok(set(true));
        ASSERT_EQ(s.check(), TORVA_UNKNOWN) << reason;
        const char* said = "";
        s.ok(torva_get_reason_unknown(h, &said));
        EXPECT_STREQ(said, reason);
        s.ok(set(false));
    }
    const int polled = polls;
    EXPECT_GT(polled, 0);
    s.ok(torva_pop(h, 1));
    torva_term z = s.var(16, "z");
    s.assertFormula(s.op(TORVA_KIND_EQUAL, {s.op(TORVA_KIND_BV_ADD, {z, s.bv(16, 1)}), s.bv(16, 0)}));
    ASSERT_EQ(s.check(), TORVA_SAT);
    EXPECT_EQ(s.value(z), 0xffffu);
    EXPECT_EQ(polls, polled) << "a removed callback is not polled";
}

// Each kind's meaning on 4-bit operands, from the reference word operations.
constexpr unsigned kW = 4;
using torva_words::mask;
using torva_words::toSigned;

const std::map<torva_kind, std::function<uint64_t(uint64_t, uint64_t)>> kBinaryReferences = {
    {TORVA_KIND_BV_AND, [](uint64_t a, uint64_t b) { return a & b; }},
    {TORVA_KIND_BV_OR, [](uint64_t a, uint64_t b) { return a | b; }},
    {TORVA_KIND_BV_XOR, [](uint64_t a, uint64_t b) { return a ^ b; }},
    {TORVA_KIND_BV_NAND, [](uint64_t a, uint64_t b) { return ~(a & b) & mask(kW); }},
    {TORVA_KIND_BV_NOR, [](uint64_t a, uint64_t b) { return ~(a | b) & mask(kW); }},
    {TORVA_KIND_BV_XNOR, [](uint64_t a, uint64_t b) { return ~(a ^ b) & mask(kW); }},
    {TORVA_KIND_BV_COMP, [](uint64_t a, uint64_t b) { return uint64_t(a == b); }},
    {TORVA_KIND_BV_ADD, [](uint64_t a, uint64_t b) { return (a + b) & mask(kW); }},
    {TORVA_KIND_BV_SUB, [](uint64_t a, uint64_t b) { return (a - b) & mask(kW); }},
    {TORVA_KIND_BV_MUL, [](uint64_t a, uint64_t b) { return (a * b) & mask(kW); }},
    {TORVA_KIND_BV_UDIV, [](uint64_t a, uint64_t b) { return torva_words::udiv(a, b, kW); }},
    {TORVA_KIND_BV_UREM, [](uint64_t a, uint64_t b) { return torva_words::urem(a, b, kW); }},
    {TORVA_KIND_BV_SDIV, [](uint64_t a, uint64_t b) { return torva_words::sdiv(a, b, kW); }},
    {TORVA_KIND_BV_SREM, [](uint64_t a, uint64_t b) { return torva_words::srem(a, b, kW); }},
    {TORVA_KIND_BV_SMOD, [](uint64_t a, uint64_t b) { return torva_words::smod(a, b, kW); }},
    {TORVA_KIND_BV_SHL, [](uint64_t a, uint64_t b) { return torva_words::shl(a, b, kW); }},
    {TORVA_KIND_BV_LSHR, [](uint64_t a, uint64_t b) { return torva_words::lshr(a, b, kW); }},
    {TORVA_KIND_BV_ASHR, [](uint64_t a, uint64_t b) { return torva_words::ashr(a, b, kW); }},
    {TORVA_KIND_BV_CONCAT, [](uint64_t a, uint64_t b) { return a << kW | b; }},
    {TORVA_KIND_EQUAL, [](uint64_t a, uint64_t b) { return uint64_t(a == b); }},
    {TORVA_KIND_DISTINCT, [](uint64_t a, uint64_t b) { return uint64_t(a != b); }},
    {TORVA_KIND_BV_ULT, [](uint64_t a, uint64_t b) { return uint64_t(a < b); }},
    {TORVA_KIND_BV_ULE, [](uint64_t a, uint64_t b) { return uint64_t(a <= b); }},
    {TORVA_KIND_BV_UGT, [](uint64_t a, uint64_t b) { return uint64_t(a > b); }},
    {TORVA_KIND_BV_UGE, [](uint64_t a, uint64_t b) { return uint64_t(a >= b); }},
    {TORVA_KIND_BV_SLT, [](uint64_t a, uint64_t b) { return uint64_t(toSigned(a, kW) < toSigned(b, kW)); }},
    {TORVA_KIND_BV_SLE, [](uint64_t a, uint64_t b) { return uint64_t(toSigned(a, kW) <= toSigned(b, kW)); }},
    {TORVA_KIND_BV_SGT, [](uint64_t a, uint64_t b) { return uint64_t(toSigned(a, kW) > toSigned(b, kW)); }},
    {TORVA_KIND_BV_SGE, [](uint64_t a, uint64_t b) { return uint64_t(toSigned(a, kW) >= toSigned(b, kW)); }},
};

struct UnaryCase {
    torva_kind kind;
    std::vector<uint32_t> indices;
    std::function<uint64_t(uint64_t)> reference;
};

const UnaryCase kUnaryCases[] = {
    {TORVA_KIND_BV_NOT, {}, [](uint64_t a) { return ~a & mask(kW); }},
    {TORVA_KIND_BV_NEG, {}, [](uint64_t a) { return torva_words::neg(a, kW); }},
    {TORVA_KIND_BV_EXTRACT, {2, 1}, [](uint64_t a) { return a >> 1 & 3; }},
    {TORVA_KIND_BV_REPEAT, {2}, [](uint64_t a) { return torva_words::repeat(a, 2, kW); }},
    {TORVA_KIND_BV_ZERO_EXTEND, {3}, [](uint64_t a) { return a; }},
    {TORVA_KIND_BV_SIGN_EXTEND, {3}, [](uint64_t a) { return torva_words::signExtend(a, kW, kW + 3); }},
    {TORVA_KIND_BV_ROTATE_LEFT, {1}, [](uint64_t a) { return torva_words::rotateLeft(a, 1, kW); }},
    {TORVA_KIND_BV_ROTATE_RIGHT, {1}, [](uint64_t a) { return torva_words::rotateLeft(a, kW - 1, kW); }},
};

// The model's value of an operator over constants: the C kind reaches the
// operator of the same name.
TEST(CApiSession, EveryKindMeansItsOperatorOnAllFourBitOperands) {
    Session s;
    ASSERT_EQ(s.check(), TORVA_SAT);
    for (const auto& [kind, reference] : kBinaryReferences)
        for (uint64_t a = 0; a < 16; ++a)
            for (uint64_t b = 0; b < 16; ++b)
                ASSERT_EQ(s.value(s.op(kind, {s.bv(kW, a), s.bv(kW, b)})), reference(a, b))
                    << torva_kind_name(kind) << " " << a << " " << b;
    for (const UnaryCase& unary : kUnaryCases)
        for (uint64_t a = 0; a < 16; ++a)
            ASSERT_EQ(s.value(s.op(unary.kind, {s.bv(kW, a)}, unary.indices)), unary.reference(a))
                << torva_kind_name(unary.kind) << " " << a;

    torva_term t{}, f{};
    s.ok(torva_mk_true(s.get(), &t));
    s.ok(torva_mk_false(s.get(), &f));
    for (int a = 0; a < 2; ++a)
        for (int b = 0; b < 2; ++b) {
            torva_term x = a ? t : f, y = b ? t : f;
            EXPECT_EQ(s.value(s.op(TORVA_KIND_NOT, {x})), uint64_t(!a));
            EXPECT_EQ(s.value(s.op(TORVA_KIND_AND, {x, y})), uint64_t(a && b));
            EXPECT_EQ(s.value(s.op(TORVA_KIND_OR, {x, y})), uint64_t(a || b));
            EXPECT_EQ(s.value(s.op(TORVA_KIND_XOR, {x, y})), uint64_t(a != b));
            EXPECT_EQ(s.value(s.op(TORVA_KIND_IMPLIES, {x, y})), uint64_t(!a || b));
            EXPECT_EQ(s.value(s.op(TORVA_KIND_ITE, {x, s.bv(kW, 9), s.bv(kW, 6)})), a ? 9u : 6u);
        }
    EXPECT_STREQ(torva_kind_name(TORVA_KIND_BV_ADD), "bvadd");
    EXPECT_STREQ(torva_kind_name(TORVA_KIND_VARIABLE), "var");
    EXPECT_STREQ(torva_kind_name(static_cast<torva_kind>(200)), "?");
    EXPECT_STREQ(torva_result_name(TORVA_UNSAT), "unsat");
}

// A model that fails its check is an error status of that check, and the
// next check answers as before.
TEST(CApiSession, AWrongModelIsAnErrorStatus) {
    Session s;
    torva_term x = s.var(8, "x");
    s.assertFormula(s.op(TORVA_KIND_BV_UGT, {x, s.bv(8, 200)}));
    torva::testing::failNextModelCheck();
    torva_result result;
    EXPECT_EQ(torva_check_sat(s.get(), &result), TORVA_ERROR);
    EXPECT_EQ(s.check(), TORVA_SAT);
    EXPECT_GT(s.value(x), 200u);
}

// The solver answers a fresh question right after a misuse: x * 5 == 7 at
// 8 bits has the one solution x == 155.
void expectStillUsable(const Session& s) {
    s.ok(torva_push(s.get(), 1));
    torva_term x = s.var(8, "probe");
    s.assertFormula(s.op(TORVA_KIND_EQUAL, {s.op(TORVA_KIND_BV_MUL, {x, s.bv(8, 5)}), s.bv(8, 7)}));
    ASSERT_EQ(s.check(), TORVA_SAT);
    EXPECT_EQ(s.value(x), 155u);
    s.ok(torva_pop(s.get(), 1));
}

struct Misuse {
    torva_status status;
    const char* fragment;  // of the message
    std::function<torva_status()> call;
};

// The refusals the C layer makes itself (foreign, null and made-up handles,
// unknown kinds, NULL pointers) and those of the C++ side that only the C
// calls reach here; the other C++ refusals are Interface.MisuseIsAnError's.
TEST(CApiMisuse, EachMisuseHasItsStatusAndMessageAndWritesNothing) {
    Session s, other;
    torva_term x = s.var(8, "x"), b = s.var(0, "b");
    torva_term foreign = other.var(8, "y"), foreignFormula = other.var(0, "c");
    const torva_term withForeign[2] = {x, foreign};
    const torva_kind noKind = static_cast<torva_kind>(99);
    torva_sort foreignArray{}, array{};
    other.ok(torva_mk_array_sort(other.get(), other.sort(4), other.sort(8), &foreignArray));
    s.ok(torva_mk_array_sort(s.get(), s.sort(4), s.sort(8), &array));
    // The out-parameters, holding values that no call writes; a refused call must leave them so.
    struct {
        torva_term term{77};
        const char* text = "unchanged";
        uint64_t value = 77;
        uint32_t width = 77;
        size_t count = 77;
    } o;
    torva_solver* h = s.get();
    const Misuse misuses[] = {
        {TORVA_ERROR, "torva_get_value_uint64: getValueUint64: there is no model",
         [&] { return torva_get_value_uint64(h, x, &o.value); }},
        {TORVA_ERROR, "another solver",
         [&] { return torva_mk_term(h, TORVA_KIND_BV_ADD, 2, withForeign, 0, nullptr, &o.term); }},
        {TORVA_ERROR, "another solver", [&] { return torva_assert(h, foreignFormula); }},
        {TORVA_ERROR, "null", [&] { return torva_assert(h, torva_term{}); }},
        {TORVA_ERROR, "not a term", [&] { return torva_term_to_string(h, torva_term{x.id + 1000}, &o.text); }},
        {TORVA_ERROR, "kind", [&] { return torva_mk_term(h, noKind, 1, &x, 0, nullptr, &o.term); }},
        {TORVA_ERROR, "sort", [&] { return torva_mk_const(h, torva_sort{}, "z", &o.term); }},
        {TORVA_ERROR, "sort belongs to another solver", [&] { return torva_mk_const(h, foreignArray, "z", &o.term); }},
        {TORVA_ERROR, "no sort of this solver",
         [&] { return torva_mk_const(h, torva_sort{array.code + 1, array.solver}, "z", &o.term); }},
        {TORVA_ERROR, "no array sort", [&] { return torva_mk_const_array(h, s.sort(4), x, &o.term); }},
        {TORVA_ERROR, "", [&] { return torva_mk_bv_value_string(h, 8, "12", 7, &o.term); }},
        {TORVA_ERROR, "no bit-vector sort", [&] { return torva_term_get_bv_width(h, b, &o.width); }},
        {TORVA_ERROR, "has 0 operands", [&] { return torva_term_get_child(h, x, 0, &o.term); }},
        {TORVA_ERROR, "produce-unsat-cores", [&] { return torva_set_option(h, "produce-unsat-cores", "maybe"); }},
        {TORVA_NULL_ARGUMENT, "args",
         [&] { return torva_mk_term(h, TORVA_KIND_BV_NOT, 1, nullptr, 0, nullptr, &o.term); }},
        {TORVA_NULL_ARGUMENT, "digits is NULL", [&] { return torva_mk_bv_value_string(h, 8, nullptr, 2, &o.term); }},
        {TORVA_NULL_ARGUMENT, "sort is NULL", [&] { return torva_mk_bool_sort(h, nullptr); }},
        {TORVA_NULL_ARGUMENT, "term is NULL", [&] { return torva_mk_const(h, s.sort(8), "c", nullptr); }},
        {TORVA_NULL_ARGUMENT, "kind is NULL", [&] { return torva_term_get_kind(h, x, nullptr); }},
        {TORVA_NULL_ARGUMENT, "indices is NULL", [&] { return torva_term_get_indices(h, x, nullptr, &o.count); }},
        {TORVA_NULL_ARGUMENT, "result is NULL", [&] { return torva_check_sat(h, nullptr); }},
        {TORVA_NULL_ARGUMENT, "terms is NULL", [&] { return torva_get_assertions(h, nullptr, &o.count); }},
        {TORVA_NULL_ARGUMENT, "key is NULL", [&] { return torva_set_option(h, nullptr, "true"); }},
        {TORVA_NULL_ARGUMENT, "value is NULL", [&] { return torva_get_option(h, "produce-unsat-cores", nullptr); }},
        {TORVA_NULL_ARGUMENT, "keys is NULL", [&] { return torva_get_statistics(h, nullptr, nullptr, &o.count); }},
        {TORVA_NULL_ARGUMENT, "text is NULL", [&] { return torva_term_to_string(h, x, nullptr); }},
    };
    for (const Misuse& m : misuses) {
        torva_status status = m.call();
        EXPECT_EQ(status, m.status) << m.fragment << ": " << torva_status_name(status) << ": " << s.error();
        EXPECT_NE(s.error().find(m.fragment), std::string::npos) << s.error();
        EXPECT_TRUE(o.term.id == 77 && std::string(o.text) == "unchanged" && o.value == 77 && o.width == 77 &&
                    o.count == 77)
            << m.fragment;
    }
    EXPECT_TRUE(s.ids(torva_get_assertions).empty()) << "no rejected assertion was kept";
    const char* produceCores = nullptr;
    s.ok(torva_get_option(h, "produce-unsat-cores", &produceCores));
    EXPECT_STREQ(produceCores, "false") << "a rejected value changes nothing";
    expectStillUsable(s);
    expectStillUsable(other);
}

// A NULL handle is refused before anything else by the guard every entry
// point runs its body under; the calls that have no guard check it alone.
// That each call works on a valid handle is the session tests' to show.
TEST(CApiMisuse, ANullHandleIsRefused) {
    torva_result result = TORVA_SAT;
    torva_term term{77};
    const char* text = "unchanged";
    EXPECT_EQ(torva_check_sat(nullptr, &result), TORVA_NULL_HANDLE);
    EXPECT_EQ(torva_mk_true(nullptr, &term), TORVA_NULL_HANDLE);
    EXPECT_EQ(torva_get_option(nullptr, "produce-unsat-cores", &text), TORVA_NULL_HANDLE);
    EXPECT_TRUE(result == TORVA_SAT && term.id == 77 && std::string(text) == "unchanged");
    EXPECT_EQ(torva_delete(nullptr), TORVA_NULL_HANDLE);
    EXPECT_EQ(torva_new(nullptr), TORVA_NULL_ARGUMENT);
    EXPECT_STREQ(torva_last_error(nullptr), "the solver handle is NULL");
}

}  // namespace
