// Whole sessions through the C interface: scopes and models, assumptions,
// unsat cores, options and statistics, and every operator kind checked
// against a reference on all 4-bit operands.
#include <algorithm>
#include <cstring>
#include <functional>
#include <map>
#include <string>

#include "capi/capi_support.h"

namespace torva::testing {
void failNextModelCheck();
}

namespace capi_test {
namespace {

TEST(CApiSession, ScopesBranchesAndModels) {
    Session s;
    torva_term x = s.var(8, "x");
    s.assertFormula(s.op(TORVA_KIND_BV_UGT, {x, s.bv(8, 10)}));

    // The branch x == 42 is feasible and its model names x.
    s.ok(torva_push(s.get(), 1));
    EXPECT_EQ(s.scopeLevel(), 1u);
    s.assertFormula(s.op(TORVA_KIND_EQUAL, {x, s.bv(8, 42)}));
    ASSERT_EQ(s.check(), TORVA_SAT);
    EXPECT_EQ(s.value(x), 42u);
    const char* text = nullptr;
    s.ok(torva_get_value_string(s.get(), x, &text));
    EXPECT_STREQ(text, "#b00101010");
    s.ok(torva_get_value_digits(s.get(), x, 16, &text));
    EXPECT_STREQ(text, "2a");
    s.ok(torva_get_value_digits(s.get(), x, 10, &text));
    EXPECT_STREQ(text, "42");
    torva_term value{};
    s.ok(torva_get_value(s.get(), x, &value));
    torva_kind kind = TORVA_KIND_VARIABLE;
    s.ok(torva_term_get_kind(s.get(), value, &kind));
    EXPECT_EQ(kind, TORVA_KIND_CONSTANT);
    EXPECT_EQ(value.id, s.bv(8, 42).id) << "a value is the term of that constant";
    torva_term pair[2] = {x, s.op(TORVA_KIND_BV_ADD, {x, s.bv(8, 1)})};
    torva_term values[2] = {};
    s.ok(torva_get_values(s.get(), 2, pair, values));
    EXPECT_EQ(values[0].id, s.bv(8, 42).id);
    EXPECT_EQ(values[1].id, s.bv(8, 43).id);
    s.ok(torva_pop(s.get(), 1));

    // The branch x < 5 contradicts the base assertion.
    s.ok(torva_push(s.get(), 2));
    EXPECT_EQ(s.scopeLevel(), 2u);
    s.assertFormula(s.op(TORVA_KIND_BV_ULT, {x, s.bv(8, 5)}));
    EXPECT_EQ(s.check(), TORVA_UNSAT);
    s.ok(torva_pop(s.get(), 2));
    EXPECT_EQ(s.scopeLevel(), 0u);

    // Back at the base only x > 10 holds.
    const torva_term* assertions = nullptr;
    size_t count = 0;
    s.ok(torva_get_assertions(s.get(), &assertions, &count));
    EXPECT_EQ(count, 1u);
    ASSERT_EQ(s.check(), TORVA_SAT);
    EXPECT_GT(s.value(x), 10u);

    s.ok(torva_reset_assertions(s.get()));
    s.assertFormula(s.op(TORVA_KIND_BV_ULT, {x, s.bv(8, 5)}));
    ASSERT_EQ(s.check(), TORVA_SAT);
    EXPECT_LT(s.value(x), 5u);
}

TEST(CApiSession, TermsDescribeThemselves) {
    Session s;
    torva_term x = s.var(8, "x");
    torva_term slice = s.op(TORVA_KIND_BV_EXTRACT, {x}, {6, 3});
    EXPECT_EQ(slice.id, s.op(TORVA_KIND_BV_EXTRACT, {x}, {6, 3}).id) << "terms made alike are one term";
    EXPECT_NE(x.id, s.var(8, "x").id) << "every constant is new";

    torva_kind kind = TORVA_KIND_CONSTANT;
    s.ok(torva_term_get_kind(s.get(), slice, &kind));
    EXPECT_EQ(kind, TORVA_KIND_BV_EXTRACT);
    EXPECT_STREQ(torva_kind_name(kind), "extract");
    uint32_t width = 0;
    s.ok(torva_term_get_bv_width(s.get(), slice, &width));
    EXPECT_EQ(width, 4u);
    size_t children = 0;
    s.ok(torva_term_get_num_children(s.get(), slice, &children));
    ASSERT_EQ(children, 1u);
    torva_term child{};
    s.ok(torva_term_get_child(s.get(), slice, 0, &child));
    EXPECT_EQ(child.id, x.id);
    const uint32_t* indices = nullptr;
    size_t count = 0;
    s.ok(torva_term_get_indices(s.get(), slice, &indices, &count));
    ASSERT_EQ(count, 2u);
    EXPECT_EQ(indices[0], 6u);
    EXPECT_EQ(indices[1], 3u);

    const char* text = nullptr;
    s.ok(torva_term_get_symbol(s.get(), x, &text));
    EXPECT_STREQ(text, "x");
    s.ok(torva_term_to_string(s.get(), slice, &text));
    EXPECT_STREQ(text, "((_ extract 6 3) x)");
    torva_sort sort{};
    s.ok(torva_term_get_sort(s.get(), slice, &sort));
    s.ok(torva_sort_to_string(s.get(), sort, &text));
    EXPECT_STREQ(text, "(_ BitVec 4)");
    int isBool = 1;
    s.ok(torva_sort_is_bool(s.get(), sort, &isBool));
    EXPECT_EQ(isBool, 0);
    s.ok(torva_sort_is_bool(s.get(), s.boolSort(), &isBool));
    EXPECT_EQ(isBool, 1);

    // Values from every constructor agree on their digits.
    torva_term fromString{}, fromNegative{}, one{}, zero{}, truth{};
    s.ok(torva_mk_bv_value_string(s.get(), 8, "f6", 16, &fromString));
    s.ok(torva_mk_bv_value_int64(s.get(), 8, -10, &fromNegative));
    EXPECT_EQ(fromString.id, fromNegative.id);
    EXPECT_EQ(fromString.id, s.bv(8, 246).id);
    s.ok(torva_term_get_bv_value(s.get(), fromString, 2, &text));
    EXPECT_STREQ(text, "11110110");
    s.ok(torva_mk_bv_one(s.get(), 8, &one));
    s.ok(torva_mk_bv_zero(s.get(), 8, &zero));
    EXPECT_EQ(one.id, s.bv(8, 1).id);
    EXPECT_EQ(zero.id, s.bv(8, 0).id);
    s.ok(torva_mk_boolean(s.get(), 7, &truth));
    torva_term trueTerm{}, falseTerm{};
    s.ok(torva_mk_true(s.get(), &trueTerm));
    s.ok(torva_mk_false(s.get(), &falseTerm));
    EXPECT_EQ(truth.id, trueTerm.id);
    int flag = 1;
    s.ok(torva_term_get_boolean_value(s.get(), falseTerm, &flag));
    EXPECT_EQ(flag, 0);
}

TEST(CApiSession, AssumptionsHoldForOneCheck) {
    Session s;
    torva_term a = s.boolVar("a"), b = s.boolVar("b"), c = s.boolVar("c");
    s.assertFormula(s.op(TORVA_KIND_NOT, {s.op(TORVA_KIND_AND, {a, b})}));

    ASSERT_EQ(s.check({a, b, c}), TORVA_UNSAT);
    std::vector<uint64_t> failed = s.unsatAssumptionIds();
    std::sort(failed.begin(), failed.end());
    std::vector<uint64_t> expected = {a.id, b.id};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(failed, expected) << "both a and b are needed, c is not";

    ASSERT_EQ(s.check({a, c}), TORVA_SAT);
    EXPECT_EQ(s.value(a), 1u);
    EXPECT_EQ(s.value(b), 0u);
    EXPECT_EQ(s.check(), TORVA_SAT) << "assumptions do not outlive their check";
}

TEST(CApiSession, UnsatCoreIsTheContradictorySubset) {
    Session s;
    s.ok(torva_set_option(s.get(), "produce-unsat-cores", "true"));
    torva_term x = s.var(8, "x"), y = s.var(8, "y");
    torva_term low = s.op(TORVA_KIND_BV_ULT, {x, s.bv(8, 3)});
    torva_term high = s.op(TORVA_KIND_BV_UGT, {x, s.bv(8, 5)});
    torva_term yOne = s.op(TORVA_KIND_EQUAL, {y, s.bv(8, 1)});
    torva_term yPositive = s.op(TORVA_KIND_BV_UGT, {y, s.bv(8, 0)});
    for (torva_term t : {yOne, low, yPositive, high})
        s.assertFormula(t);
    ASSERT_EQ(s.check(), TORVA_UNSAT);

    std::vector<uint64_t> core = s.unsatCoreIds();
    std::sort(core.begin(), core.end());
    std::vector<uint64_t> expected = {low.id, high.id};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(core, expected);

    // The core alone is contradictory.
    s.ok(torva_reset_assertions(s.get()));
    s.assertFormula(low);
    s.assertFormula(high);
    EXPECT_EQ(s.check(), TORVA_UNSAT);
}

TEST(CApiSession, OptionsAreCheckedByKeyAndValue) {
    Session s;
    s.ok(torva_set_option(s.get(), "produce-unsat-cores", "true"));
    const char* value = nullptr;
    s.ok(torva_get_option(s.get(), "produce-unsat-cores", &value));
    EXPECT_STREQ(value, "true");

    EXPECT_EQ(torva_set_option(s.get(), "no-such-key", "1"), TORVA_ERROR);
    EXPECT_NE(s.error().find("no-such-key"), std::string::npos) << s.error();
    EXPECT_EQ(torva_get_option(s.get(), "no-such-key", &value), TORVA_ERROR);
    EXPECT_NE(s.error().find("no-such-key"), std::string::npos) << s.error();
    EXPECT_EQ(torva_set_option(s.get(), "produce-unsat-cores", "maybe"), TORVA_ERROR);
    EXPECT_NE(s.error().find("produce-unsat-cores"), std::string::npos) << s.error();
    s.ok(torva_get_option(s.get(), "produce-unsat-cores", &value));
    EXPECT_STREQ(value, "true") << "a rejected value changes nothing";

    torva_term x = s.var(4, "x");
    s.assertFormula(s.op(TORVA_KIND_EQUAL, {s.op(TORVA_KIND_BV_MUL, {x, s.bv(4, 3)}), s.bv(4, 1)}));
    ASSERT_EQ(s.check(), TORVA_SAT);
    EXPECT_EQ(s.value(x) * 3 % 16, 1u);
}

TEST(CApiSession, StatisticsAreKeyValuePairsInKeyOrder) {
    Session s;
    torva_term x = s.var(8, "x");
    s.assertFormula(s.op(TORVA_KIND_BV_ULT, {x, s.bv(8, 3)}));
    ASSERT_EQ(s.check(), TORVA_SAT);

    const char* const* keys = nullptr;
    const char* const* values = nullptr;
    size_t count = 0;
    s.ok(torva_get_statistics(s.get(), &keys, &values, &count));
    ASSERT_GT(count, 0u);
    for (size_t i = 0; i < count; ++i) {
        ASSERT_NE(keys[i], nullptr);
        ASSERT_NE(values[i], nullptr);
        EXPECT_GT(std::strlen(keys[i]), 0u);
        if (i > 0) {
            EXPECT_LT(std::strcmp(keys[i - 1], keys[i]), 0);
        }
    }
}

// The SMT-LIB meaning of each operator on 4-bit operands.
constexpr uint64_t kMask = 15;
int64_t signedOf(uint64_t v) { return v >= 8 ? int64_t(v) - 16 : int64_t(v); }
uint64_t neg4(uint64_t v) { return (16 - v) & kMask; }
uint64_t udiv4(uint64_t a, uint64_t b) { return b == 0 ? kMask : a / b; }
uint64_t urem4(uint64_t a, uint64_t b) { return b == 0 ? a : a % b; }
bool negative(uint64_t v) { return v >= 8; }

uint64_t sdiv4(uint64_t a, uint64_t b) {
    uint64_t q = udiv4(negative(a) ? neg4(a) : a, negative(b) ? neg4(b) : b);
    return negative(a) != negative(b) ? neg4(q) : q;
}

uint64_t srem4(uint64_t a, uint64_t b) {
    uint64_t r = urem4(negative(a) ? neg4(a) : a, negative(b) ? neg4(b) : b);
    return negative(a) ? neg4(r) : r;
}

uint64_t smod4(uint64_t a, uint64_t b) {
    uint64_t u = urem4(negative(a) ? neg4(a) : a, negative(b) ? neg4(b) : b);
    if (u == 0 || negative(a) == negative(b))
        return negative(a) ? neg4(u) : u;
    return negative(a) ? (neg4(u) + b) & kMask : (u + b) & kMask;
}

uint64_t ashr4(uint64_t a, uint64_t b) {
    if (b >= 4)
        return negative(a) ? kMask : 0;
    return uint64_t(signedOf(a) >> b) & kMask;
}

using Reference = std::function<uint64_t(uint64_t, uint64_t)>;

const std::map<torva_kind, Reference>& binaryReferences() {
    static const std::map<torva_kind, Reference> references = {
        {TORVA_KIND_BV_AND, [](uint64_t a, uint64_t b) { return a & b; }},
        {TORVA_KIND_BV_OR, [](uint64_t a, uint64_t b) { return a | b; }},
        {TORVA_KIND_BV_XOR, [](uint64_t a, uint64_t b) { return a ^ b; }},
        {TORVA_KIND_BV_NAND, [](uint64_t a, uint64_t b) { return ~(a & b) & kMask; }},
        {TORVA_KIND_BV_NOR, [](uint64_t a, uint64_t b) { return ~(a | b) & kMask; }},
        {TORVA_KIND_BV_XNOR, [](uint64_t a, uint64_t b) { return ~(a ^ b) & kMask; }},
        {TORVA_KIND_BV_COMP, [](uint64_t a, uint64_t b) { return uint64_t(a == b); }},
        {TORVA_KIND_BV_ADD, [](uint64_t a, uint64_t b) { return (a + b) & kMask; }},
        {TORVA_KIND_BV_SUB, [](uint64_t a, uint64_t b) { return (a - b) & kMask; }},
        {TORVA_KIND_BV_MUL, [](uint64_t a, uint64_t b) { return (a * b) & kMask; }},
        {TORVA_KIND_BV_UDIV, udiv4},
        {TORVA_KIND_BV_UREM, urem4},
        {TORVA_KIND_BV_SDIV, sdiv4},
        {TORVA_KIND_BV_SREM, srem4},
        {TORVA_KIND_BV_SMOD, smod4},
        {TORVA_KIND_BV_SHL, [](uint64_t a, uint64_t b) { return b >= 4 ? 0 : (a << b) & kMask; }},
        {TORVA_KIND_BV_LSHR, [](uint64_t a, uint64_t b) { return b >= 4 ? 0 : a >> b; }},
        {TORVA_KIND_BV_ASHR, ashr4},
        {TORVA_KIND_BV_CONCAT, [](uint64_t a, uint64_t b) { return a << 4 | b; }},
        {TORVA_KIND_EQUAL, [](uint64_t a, uint64_t b) { return uint64_t(a == b); }},
        {TORVA_KIND_DISTINCT, [](uint64_t a, uint64_t b) { return uint64_t(a != b); }},
        {TORVA_KIND_BV_ULT, [](uint64_t a, uint64_t b) { return uint64_t(a < b); }},
        {TORVA_KIND_BV_ULE, [](uint64_t a, uint64_t b) { return uint64_t(a <= b); }},
        {TORVA_KIND_BV_UGT, [](uint64_t a, uint64_t b) { return uint64_t(a > b); }},
        {TORVA_KIND_BV_UGE, [](uint64_t a, uint64_t b) { return uint64_t(a >= b); }},
        {TORVA_KIND_BV_SLT, [](uint64_t a, uint64_t b) { return uint64_t(signedOf(a) < signedOf(b)); }},
        {TORVA_KIND_BV_SLE, [](uint64_t a, uint64_t b) { return uint64_t(signedOf(a) <= signedOf(b)); }},
        {TORVA_KIND_BV_SGT, [](uint64_t a, uint64_t b) { return uint64_t(signedOf(a) > signedOf(b)); }},
        {TORVA_KIND_BV_SGE, [](uint64_t a, uint64_t b) { return uint64_t(signedOf(a) >= signedOf(b)); }},
    };
    return references;
}

struct UnaryCase {
    torva_kind kind;
    std::vector<uint32_t> indices;
    std::function<uint64_t(uint64_t)> reference;
};

std::vector<UnaryCase> unaryCases() {
    return {
        {TORVA_KIND_BV_NOT, {}, [](uint64_t a) { return ~a & kMask; }},
        {TORVA_KIND_BV_NEG, {}, neg4},
        {TORVA_KIND_BV_EXTRACT, {2, 1}, [](uint64_t a) { return a >> 1 & 3; }},
        {TORVA_KIND_BV_REPEAT, {2}, [](uint64_t a) { return a << 4 | a; }},
        {TORVA_KIND_BV_ZERO_EXTEND, {3}, [](uint64_t a) { return a; }},
        {TORVA_KIND_BV_SIGN_EXTEND, {3}, [](uint64_t a) { return negative(a) ? a | 0x70 : a; }},
        {TORVA_KIND_BV_ROTATE_LEFT, {1}, [](uint64_t a) { return (a << 1 | a >> 3) & kMask; }},
        {TORVA_KIND_BV_ROTATE_RIGHT, {1}, [](uint64_t a) { return (a >> 1 | a << 3) & kMask; }},
    };
}

// The model's value of an operator over constants: the C kind reaches the
// C++ operator of the same name.
TEST(CApiSession, EveryKindMeansItsOperatorOnAllFourBitOperands) {
    Session s;
    ASSERT_EQ(s.check(), TORVA_SAT);
    for (const auto& [kind, reference] : binaryReferences())
        for (uint64_t a = 0; a < 16; ++a)
            for (uint64_t b = 0; b < 16; ++b)
                ASSERT_EQ(s.value(s.op(kind, {s.bv(4, a), s.bv(4, b)})), reference(a, b))
                    << torva_kind_name(kind) << " " << a << " " << b;
    for (const UnaryCase& unary : unaryCases())
        for (uint64_t a = 0; a < 16; ++a)
            ASSERT_EQ(s.value(s.op(unary.kind, {s.bv(4, a)}, unary.indices)), unary.reference(a))
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
            EXPECT_EQ(s.value(s.op(TORVA_KIND_ITE, {x, s.bv(4, 9), s.bv(4, 6)})), a ? 9u : 6u);
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
