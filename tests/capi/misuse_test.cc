// Misuse of the C interface: each is reported by a status and a message,
// leaves the out-parameters and the solver as they were, and a following
// check still answers correctly.
#include <functional>
#include <string>
#include <utility>

#include "capi/capi_support.h"

namespace capi_test {
namespace {

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

// Expects a failed call: the status, a message containing part, and the
// sentinel term it was to write unchanged.
void expectRejected(const Session& s, torva_status status, torva_status expected, const std::string& part,
                    const torva_term& untouched = torva_term{77}) {
    EXPECT_EQ(status, expected) << torva_status_name(status) << ": " << s.error();
    EXPECT_NE(s.error().find(part), std::string::npos) << s.error();
    EXPECT_EQ(untouched.id, 77u);
}

TEST(CApiMisuse, TermsAndSortsAreChecked) {
    Session s, other;
    torva_term x = s.var(8, "x");
    torva_term foreign = other.var(8, "y");
    torva_term out{77};
    torva_term args[2] = {x, foreign};
    expectRejected(s, torva_mk_term(s.get(), TORVA_KIND_BV_ADD, 2, args, 0, nullptr, &out), TORVA_ERROR,
                   "another solver", out);
    expectRejected(s, torva_assert(s.get(), other.op(TORVA_KIND_EQUAL, {foreign, other.bv(8, 1)})), TORVA_ERROR,
                   "another solver");
    expectRejected(s, torva_assert(s.get(), torva_term{}), TORVA_ERROR, "null");
    torva_term madeUp{x.id + 1000};
    const char* text = "unchanged";
    expectRejected(s, torva_term_to_string(s.get(), madeUp, &text), TORVA_ERROR, "not a term");
    EXPECT_STREQ(text, "unchanged");

    torva_term narrow = s.var(4, "n");
    args[1] = narrow;
    expectRejected(s, torva_mk_term(s.get(), TORVA_KIND_BV_ADD, 2, args, 0, nullptr, &out), TORVA_ERROR, "", out);
    uint32_t outOfRange[2] = {8, 0};
    expectRejected(s, torva_mk_term(s.get(), TORVA_KIND_BV_EXTRACT, 1, &x, 2, outOfRange, &out), TORVA_ERROR, "",
                   out);
    uint32_t reversed[2] = {2, 5};
    expectRejected(s, torva_mk_term(s.get(), TORVA_KIND_BV_EXTRACT, 1, &x, 2, reversed, &out), TORVA_ERROR, "", out);
    expectRejected(s, torva_mk_term(s.get(), static_cast<torva_kind>(99), 1, &x, 0, nullptr, &out), TORVA_ERROR,
                   "kind", out);
    expectRejected(s, torva_mk_term(s.get(), TORVA_KIND_BV_NOT, 1, nullptr, 0, nullptr, &out), TORVA_NULL_ARGUMENT,
                   "args", out);
    expectRejected(s, torva_mk_const(s.get(), torva_sort{}, "z", &out), TORVA_ERROR, "sort", out);
    expectRejected(s, torva_mk_bv_value_uint64(s.get(), 4, 16, &out), TORVA_ERROR, "", out);
    expectRejected(s, torva_mk_bv_value_string(s.get(), 8, "12", 7, &out), TORVA_ERROR, "", out);
    expectRejected(s, torva_mk_bv_value_string(s.get(), 8, "1z", 16, &out), TORVA_ERROR, "", out);
    torva_sort sort{};
    EXPECT_EQ(torva_mk_bv_sort(s.get(), 0, &sort), TORVA_ERROR);
    EXPECT_EQ(sort.code, 0u);
    uint32_t width = 99;
    EXPECT_EQ(torva_term_get_bv_width(s.get(), s.boolVar("b"), &width), TORVA_ERROR);
    EXPECT_EQ(width, 99u);
    expectRejected(s, torva_term_get_child(s.get(), x, 0, &out), TORVA_ERROR, "", out);
    expectRejected(s, torva_assert(s.get(), x), TORVA_ERROR, "");
    torva_result result = TORVA_SAT;
    EXPECT_EQ(torva_check_sat_assuming(s.get(), 1, &x, &result), TORVA_ERROR);
    EXPECT_EQ(result, TORVA_SAT);
    EXPECT_NE(s.error().find("torva_check_sat_assuming"), std::string::npos) << s.error();

    const torva_term* assertions = nullptr;
    size_t count = 9;
    s.ok(torva_get_assertions(s.get(), &assertions, &count));
    EXPECT_EQ(count, 0u) << "no rejected assertion was kept";
    expectStillUsable(s);
    expectStillUsable(other);
}

TEST(CApiMisuse, AnswersAreAskedForInTheirState) {
    Session s;
    torva_term x = s.var(8, "x");
    uint64_t value = 5;
    expectRejected(s, torva_get_value_uint64(s.get(), x, &value), TORVA_ERROR, "");
    EXPECT_EQ(value, 5u) << "no check yet";

    s.assertFormula(s.op(TORVA_KIND_BV_ULT, {x, s.bv(8, 0)}));
    ASSERT_EQ(s.check(), TORVA_UNSAT);
    const char* text = "unchanged";
    expectRejected(s, torva_get_value_string(s.get(), x, &text), TORVA_ERROR, "");
    EXPECT_STREQ(text, "unchanged");
    s.ok(torva_reset_assertions(s.get()));

    ASSERT_EQ(s.check(), TORVA_SAT);
    const torva_term* terms = nullptr;
    size_t count = 3;
    expectRejected(s, torva_get_unsat_core(s.get(), &terms, &count), TORVA_ERROR, "");
    expectRejected(s, torva_get_unsat_assumptions(s.get(), &terms, &count), TORVA_ERROR, "");
    EXPECT_EQ(count, 3u);
    EXPECT_EQ(terms, nullptr);
    s.ok(torva_get_value_uint64(s.get(), x, &value));

    torva_term wide = s.var(72, "wide");
    s.assertFormula(s.op(TORVA_KIND_EQUAL, {wide, s.op(TORVA_KIND_BV_NOT, {s.op(TORVA_KIND_BV_XOR, {wide, wide})})}));
    ASSERT_EQ(s.check(), TORVA_SAT);
    value = 5;
    expectRejected(s, torva_get_value_uint64(s.get(), wide, &value), TORVA_ERROR, "");
    EXPECT_EQ(value, 5u) << "72 one bits do not fit";
    s.ok(torva_get_value_digits(s.get(), wide, 16, &text));
    EXPECT_EQ(std::string(text), std::string(18, 'f'));
    expectRejected(s, torva_get_value_digits(s.get(), wide, 8, &text), TORVA_ERROR, "");

    s.ok(torva_push(s.get(), 2));
    expectRejected(s, torva_pop(s.get(), 3), TORVA_ERROR, "torva_pop");
    EXPECT_EQ(s.scopeLevel(), 2u);
    s.ok(torva_pop(s.get(), 2));
    expectRejected(s, torva_pop(s.get(), 1), TORVA_ERROR, "");
    EXPECT_EQ(s.scopeLevel(), 0u);
    s.ok(torva_reset_assertions(s.get()));
    expectStillUsable(s);
}

// Every entry point, called with the given solver and valid other
// arguments; in this order each call succeeds on s but those that need an
// unsat or unknown answer.
std::vector<std::pair<const char*, std::function<torva_status(torva_solver*)>>> everyCall(const Session& s) {
    torva_term x = s.var(8, "x");
    torva_term notX = s.op(TORVA_KIND_BV_NOT, {x});
    torva_term b = s.boolVar("b");
    torva_term three = s.bv(8, 3);
    torva_term truth{};
    s.ok(torva_mk_true(s.get(), &truth));
    torva_sort sort = s.bvSort(8);
    static torva_term term;
    static torva_sort sortOut;
    static torva_result result;
    static const char* text;
    static const torva_term* terms;
    static const uint32_t* indices;
    static const char* const* keys;
    static const char* const* values;
    static size_t count;
    static uint64_t u64;
    static uint32_t u32;
    static int flag;
    static torva_kind kind;
    return {
        {"delete", [](torva_solver* v) { return torva_delete(v); }},
        {"mk_bool_sort", [](torva_solver* v) { return torva_mk_bool_sort(v, &sortOut); }},
        {"mk_bv_sort", [](torva_solver* v) { return torva_mk_bv_sort(v, 8, &sortOut); }},
        {"sort_is_bool", [=](torva_solver* v) { return torva_sort_is_bool(v, sort, &flag); }},
        {"sort_get_bv_width", [=](torva_solver* v) { return torva_sort_get_bv_width(v, sort, &u32); }},
        {"sort_to_string", [=](torva_solver* v) { return torva_sort_to_string(v, sort, &text); }},
        {"mk_true", [](torva_solver* v) { return torva_mk_true(v, &term); }},
        {"mk_false", [](torva_solver* v) { return torva_mk_false(v, &term); }},
        {"mk_boolean", [](torva_solver* v) { return torva_mk_boolean(v, 1, &term); }},
        {"mk_bv_value_uint64", [](torva_solver* v) { return torva_mk_bv_value_uint64(v, 8, 3, &term); }},
        {"mk_bv_value_int64", [](torva_solver* v) { return torva_mk_bv_value_int64(v, 8, -3, &term); }},
        {"mk_bv_value_string", [](torva_solver* v) { return torva_mk_bv_value_string(v, 8, "11", 2, &term); }},
        {"mk_bv_zero", [](torva_solver* v) { return torva_mk_bv_zero(v, 8, &term); }},
        {"mk_bv_one", [](torva_solver* v) { return torva_mk_bv_one(v, 8, &term); }},
        {"mk_const", [=](torva_solver* v) { return torva_mk_const(v, sort, "c", &term); }},
        {"mk_term", [=](torva_solver* v) { return torva_mk_term(v, TORVA_KIND_BV_NOT, 1, &x, 0, nullptr, &term); }},
        {"term_get_kind", [=](torva_solver* v) { return torva_term_get_kind(v, x, &kind); }},
        {"term_get_sort", [=](torva_solver* v) { return torva_term_get_sort(v, x, &sortOut); }},
        {"term_get_bv_width", [=](torva_solver* v) { return torva_term_get_bv_width(v, x, &u32); }},
        {"term_get_num_children", [=](torva_solver* v) { return torva_term_get_num_children(v, x, &count); }},
        {"term_get_child", [=](torva_solver* v) { return torva_term_get_child(v, notX, 0, &term); }},
        {"term_get_indices", [=](torva_solver* v) { return torva_term_get_indices(v, x, &indices, &count); }},
        {"term_get_symbol", [=](torva_solver* v) { return torva_term_get_symbol(v, x, &text); }},
        {"term_get_boolean_value", [=](torva_solver* v) { return torva_term_get_boolean_value(v, truth, &flag); }},
        {"term_get_bv_value", [=](torva_solver* v) { return torva_term_get_bv_value(v, three, 2, &text); }},
        {"term_to_string", [=](torva_solver* v) { return torva_term_to_string(v, x, &text); }},
        {"assert", [=](torva_solver* v) { return torva_assert(v, b); }},
        {"push", [](torva_solver* v) { return torva_push(v, 1); }},
        {"pop", [](torva_solver* v) { return torva_pop(v, 1); }},
        {"get_scope_level", [](torva_solver* v) { return torva_get_scope_level(v, &u32); }},
        {"get_assertions", [](torva_solver* v) { return torva_get_assertions(v, &terms, &count); }},
        {"reset_assertions", [](torva_solver* v) { return torva_reset_assertions(v); }},
        {"check_sat", [](torva_solver* v) { return torva_check_sat(v, &result); }},
        {"check_sat_assuming", [=](torva_solver* v) { return torva_check_sat_assuming(v, 1, &b, &result); }},
        {"get_reason_unknown", [](torva_solver* v) { return torva_get_reason_unknown(v, &text); }},
        {"get_value", [=](torva_solver* v) { return torva_get_value(v, x, &term); }},
        {"get_values", [=](torva_solver* v) { return torva_get_values(v, 1, &x, &term); }},
        {"get_value_string", [=](torva_solver* v) { return torva_get_value_string(v, x, &text); }},
        {"get_value_uint64", [=](torva_solver* v) { return torva_get_value_uint64(v, x, &u64); }},
        {"get_value_digits", [=](torva_solver* v) { return torva_get_value_digits(v, x, 10, &text); }},
        {"get_unsat_assumptions", [](torva_solver* v) { return torva_get_unsat_assumptions(v, &terms, &count); }},
        {"get_unsat_core", [](torva_solver* v) { return torva_get_unsat_core(v, &terms, &count); }},
        {"set_option", [](torva_solver* v) { return torva_set_option(v, "produce-unsat-cores", "true"); }},
        {"get_option", [](torva_solver* v) { return torva_get_option(v, "produce-unsat-cores", &text); }},
        {"set_time_limit", [](torva_solver* v) { return torva_set_time_limit(v, 0); }},
        {"set_conflict_limit", [](torva_solver* v) { return torva_set_conflict_limit(v, 0); }},
        {"set_terminate_callback", [](torva_solver* v) { return torva_set_terminate_callback(v, nullptr, nullptr); }},
        {"get_statistics", [](torva_solver* v) { return torva_get_statistics(v, &keys, &values, &count); }},
    };
}

TEST(CApiMisuse, NullSolverHandleIsAnErrorForEveryCall) {
    Session s;
    for (const auto& [name, call] : everyCall(s))
        EXPECT_EQ(call(nullptr), TORVA_NULL_HANDLE) << name;
    EXPECT_EQ(torva_new(nullptr), TORVA_NULL_ARGUMENT);
    EXPECT_STREQ(torva_last_error(nullptr), "the solver handle is NULL");
    expectStillUsable(s);
}

TEST(CApiMisuse, NullPointerArgumentsAreReported) {
    Session s;
    torva_term x = s.var(8, "x");
    torva_sort sort = s.bvSort(8);
    const char* text = nullptr;
    size_t count = 0;
    const std::vector<std::pair<torva_status, std::string>> calls = {
        {torva_mk_bool_sort(s.get(), nullptr), "sort"},
        {torva_mk_const(s.get(), sort, "c", nullptr), "term"},
        {torva_mk_bv_value_string(s.get(), 8, nullptr, 2, nullptr), "term"},
        {torva_term_get_kind(s.get(), x, nullptr), "kind"},
        {torva_term_get_indices(s.get(), x, nullptr, &count), "indices"},
        {torva_check_sat(s.get(), nullptr), "result"},
        {torva_get_assertions(s.get(), nullptr, &count), "terms"},
        {torva_set_option(s.get(), nullptr, "true"), "key"},
        {torva_get_option(s.get(), "produce-unsat-cores", nullptr), "value"},
        {torva_get_statistics(s.get(), nullptr, nullptr, &count), "keys"},
        {torva_term_to_string(s.get(), x, nullptr), "text"},
    };
    for (const auto& [status, name] : calls) {
        EXPECT_EQ(status, TORVA_NULL_ARGUMENT) << name;
    }
    EXPECT_EQ(torva_mk_bv_value_string(s.get(), 8, nullptr, 2, &x), TORVA_NULL_ARGUMENT);
    EXPECT_NE(s.error().find("digits"), std::string::npos) << s.error();
    s.ok(torva_term_to_string(s.get(), x, &text));
    EXPECT_STREQ(text, "x") << "a NULL out-parameter changed nothing";
    expectStillUsable(s);
}

TEST(CApiMisuse, EveryCallSucceedsOnAValidSolver) {
    Session s;
    for (const auto& [name, call] : everyCall(s)) {
        std::string callName = name;
        bool needsOtherAnswer = callName.rfind("get_unsat", 0) == 0 || callName == "get_reason_unknown";
        if (callName == "delete" || needsOtherAnswer)
            continue;
        EXPECT_EQ(call(s.get()), TORVA_OK) << name << ": " << s.error();
    }
    expectStillUsable(s);
}

}  // namespace
}  // namespace capi_test
