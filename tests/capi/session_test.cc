// Whole sessions through the C interface: the C99 client, scopes and
// models, what terms tell of themselves, assumptions and cores, statistics,
// and every operator kind against the reference word operations on all
// 4-bit operands.
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <utility>

#include "capi/capi_support.h"
#include "words.h"

extern "C" int capi_c_smoke(void);

namespace torva::testing {
void failNextModelCheck();
}

namespace capi_test {
namespace {

TEST(CApiFromC, TheHeaderCompilesAsC99AndAnswers) {
    EXPECT_EQ(capi_c_smoke(), 0) << "the number of the first wrong step";
}

TEST(CApiSession, ScopesAndEveryFormOfAModelValue) {
    Session s;
    torva_term x = s.var(8, "x");
    s.assertFormula(s.op(TORVA_KIND_BV_UGT, {x, s.bv(8, 10)}));
    s.ok(torva_push(s.get(), 2));
    s.assertFormula(s.op(TORVA_KIND_BV_ULT, {x, s.bv(8, 5)}));
    EXPECT_EQ(s.check(), TORVA_UNSAT);
    s.ok(torva_pop(s.get(), 1));
    EXPECT_EQ(s.scopeLevel(), 1u);

    s.assertFormula(s.op(TORVA_KIND_EQUAL, {x, s.bv(8, 42)}));
    ASSERT_EQ(s.check(), TORVA_SAT);
    const char* text = nullptr;
    s.ok(torva_get_value_string(s.get(), x, &text));
    EXPECT_STREQ(text, "#b00101010");
    torva_term pair[2] = {x, s.op(TORVA_KIND_BV_ADD, {x, s.bv(8, 1)})};
    torva_term values[2] = {};
    s.ok(torva_get_values(s.get(), 2, pair, values));
    EXPECT_EQ(values[0].id, s.bv(8, 42).id) << "a value is the term of that constant";
    EXPECT_EQ(values[1].id, s.bv(8, 43).id);
    s.ok(torva_get_value(s.get(), pair[1], &values[0]));
    EXPECT_EQ(values[0].id, s.bv(8, 43).id);

    s.ok(torva_pop(s.get(), 1));
    EXPECT_EQ(s.ids(torva_get_assertions).size(), 1u);
    ASSERT_EQ(s.check(), TORVA_SAT);
    EXPECT_GT(s.value(x), 10u);
    s.ok(torva_reset_assertions(s.get()));
    s.assertFormula(s.op(TORVA_KIND_BV_ULT, {x, s.bv(8, 5)}));
    ASSERT_EQ(s.check(), TORVA_SAT);
    EXPECT_LT(s.value(x), 5u);
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
    EXPECT_STREQ(torva_kind_name(kind), "extract");
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
    s.ok(torva_term_get_symbol(h, x, &text));
    EXPECT_STREQ(text, "x");
    s.ok(torva_term_to_string(h, slice, &text));
    EXPECT_STREQ(text, "((_ extract 6 3) x)");
    torva_sort sort{};
    s.ok(torva_term_get_sort(h, slice, &sort));
    s.ok(torva_sort_to_string(h, sort, &text));
    EXPECT_STREQ(text, "(_ BitVec 4)");
    int flag = 1;
    s.ok(torva_sort_is_bool(h, sort, &flag));
    EXPECT_EQ(flag, 0);
    s.ok(torva_sort_is_bool(h, s.bvSort(0), &flag));
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
    s.ok(torva_term_get_bv_value(h, s.bv(8, 246), 2, &text));
    EXPECT_STREQ(text, "11110110");
    s.ok(torva_mk_false(h, &made));
    s.ok(torva_term_get_boolean_value(h, made, &flag));
    EXPECT_EQ(flag, 0);
}

TEST(CApiSession, AssumptionsAndCoresNameTheFormulasUsed) {
    Session s;
    s.ok(torva_set_option(s.get(), "produce-unsat-cores", "true"));
    const char* option = nullptr;
    s.ok(torva_get_option(s.get(), "produce-unsat-cores", &option));
    EXPECT_STREQ(option, "true");
    torva_term a = s.boolVar("a"), b = s.boolVar("b"), c = s.boolVar("c");
    s.assertFormula(s.op(TORVA_KIND_NOT, {s.op(TORVA_KIND_AND, {a, b})}));
    ASSERT_EQ(s.check({a, b, c}), TORVA_UNSAT);
    EXPECT_EQ(s.ids(torva_get_unsat_assumptions), (std::multiset<uint64_t>{a.id, b.id})) << "c is not needed";
    ASSERT_EQ(s.check({a, c}), TORVA_SAT);
    EXPECT_EQ(s.value(a), 1u);
    EXPECT_EQ(s.value(b), 0u);
    EXPECT_EQ(s.check(), TORVA_SAT) << "assumptions do not outlive their check";

    torva_term x = s.var(8, "x"), y = s.var(8, "y");
    torva_term low = s.op(TORVA_KIND_BV_ULT, {x, s.bv(8, 3)});
    torva_term high = s.op(TORVA_KIND_BV_UGT, {x, s.bv(8, 5)});
    for (torva_term t : {s.op(TORVA_KIND_EQUAL, {y, s.bv(8, 1)}), low, s.op(TORVA_KIND_BV_UGT, {y, s.bv(8, 0)})})
        s.assertFormula(t);
    s.ok(torva_push(s.get(), 1));
    s.assertFormula(high);
    ASSERT_EQ(s.check(), TORVA_UNSAT);
    EXPECT_EQ(s.ids(torva_get_unsat_core), (std::multiset<uint64_t>{low.id, high.id}));

    // Without the option, the assertions outside every scope are in each core.
    Session plain;
    torva_term z = plain.var(4, "z");
    torva_term base = plain.op(TORVA_KIND_BV_UGT, {z, plain.bv(4, 1)});
    plain.assertFormula(base);
    plain.ok(torva_push(plain.get(), 1));
    torva_term zero = plain.op(TORVA_KIND_EQUAL, {z, plain.bv(4, 0)});
    plain.assertFormula(zero);
    ASSERT_EQ(plain.check(), TORVA_UNSAT);
    EXPECT_EQ(plain.ids(torva_get_unsat_core), (std::multiset<uint64_t>{base.id, zero.id}));
}

TEST(CApiSession, StatisticsAreKeyValuePairsInKeyOrder) {
    Session s;
    ASSERT_EQ(s.check(), TORVA_SAT);
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
    EXPECT_EQ(stats["checks"], "1");
    EXPECT_EQ(stats["checks sat"], "1");
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

}  // namespace
}  // namespace capi_test
