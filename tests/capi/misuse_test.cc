// Misuse of the C interface: every entry point refuses a NULL handle and
// works on a valid one; every other misuse is reported by its status and a
// message, writes none of the out-parameters, and leaves the solver
// answering correctly.
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

// The out-parameters of the misused calls, holding values that no call
// writes; a refused call must leave them so.
struct Outs {
    torva_term term{77};
    torva_sort sort{77};
    const char* text = "unchanged";
    uint64_t value = 77;
    uint32_t width = 77;
    torva_result result = TORVA_SAT;
    const torva_term* terms = nullptr;
    size_t count = 77;

    bool untouched() const {
        return term.id == 77 && sort.code == 77 && std::string(text) == "unchanged" && value == 77 && width == 77 &&
               result == TORVA_SAT && terms == nullptr && count == 77;
    }
};

struct Misuse {
    torva_status status;
    const char* fragment;  // of the message
    std::function<torva_status()> call;
};

void expectRefused(const Session& s, const Outs& outs, const std::vector<Misuse>& misuses) {
    for (const Misuse& m : misuses) {
        torva_status status = m.call();
        EXPECT_EQ(status, m.status) << m.fragment << ": " << torva_status_name(status) << ": " << s.error();
        EXPECT_NE(s.error().find(m.fragment), std::string::npos) << s.error();
        EXPECT_TRUE(outs.untouched()) << m.fragment;
    }
}

TEST(CApiMisuse, EachMisuseHasItsStatusAndMessageAndWritesNothing) {
    Session s, other;
    torva_term x = s.var(8, "x"), narrow = s.var(4, "n"), b = s.boolVar("b"), wide = s.var(72, "wide");
    torva_term foreign = other.var(8, "y"), foreignFormula = other.boolVar("c");
    torva_sort byte = s.bvSort(8);
    const torva_term withForeign[2] = {x, foreign}, withNarrow[2] = {x, narrow};
    const uint32_t outOfRange[2] = {8, 0};
    const torva_kind noKind = static_cast<torva_kind>(99);
    Outs o;
    torva_solver* h = s.get();
    expectRefused(s, o, {
        // before any check
        {TORVA_ERROR, "no model", [&] { return torva_get_value_uint64(h, x, &o.value); }},
        {TORVA_ERROR, "did not answer unknown", [&] { return torva_get_reason_unknown(h, &o.text); }},
        // terms and sorts
        {TORVA_ERROR, "another solver",
         [&] { return torva_mk_term(h, TORVA_KIND_BV_ADD, 2, withForeign, 0, nullptr, &o.term); }},
        {TORVA_ERROR, "another solver", [&] { return torva_assert(h, foreignFormula); }},
        {TORVA_ERROR, "null", [&] { return torva_assert(h, torva_term{}); }},
        {TORVA_ERROR, "not a term", [&] { return torva_term_to_string(h, torva_term{x.id + 1000}, &o.text); }},
        {TORVA_ERROR, "", [&] { return torva_mk_term(h, TORVA_KIND_BV_ADD, 2, withNarrow, 0, nullptr, &o.term); }},
        {TORVA_ERROR, "", [&] { return torva_mk_term(h, TORVA_KIND_BV_EXTRACT, 1, &x, 2, outOfRange, &o.term); }},
        {TORVA_ERROR, "kind", [&] { return torva_mk_term(h, noKind, 1, &x, 0, nullptr, &o.term); }},
        {TORVA_ERROR, "sort", [&] { return torva_mk_const(h, torva_sort{}, "z", &o.term); }},
        {TORVA_ERROR, "", [&] { return torva_mk_bv_value_uint64(h, 4, 16, &o.term); }},
        {TORVA_ERROR, "", [&] { return torva_mk_bv_value_string(h, 8, "12", 7, &o.term); }},
        {TORVA_ERROR, "", [&] { return torva_mk_bv_sort(h, 0, &o.sort); }},
        {TORVA_ERROR, "", [&] { return torva_term_get_bv_width(h, b, &o.width); }},
        {TORVA_ERROR, "", [&] { return torva_term_get_child(h, x, 0, &o.term); }},
        {TORVA_ERROR, "", [&] { return torva_assert(h, x); }},
        {TORVA_ERROR, "torva_check_sat_assuming", [&] { return torva_check_sat_assuming(h, 1, &x, &o.result); }},
        // options
        {TORVA_ERROR, "no-such-key", [&] { return torva_set_option(h, "no-such-key", "1"); }},
        {TORVA_ERROR, "no-such-key", [&] { return torva_get_option(h, "no-such-key", &o.text); }},
        {TORVA_ERROR, "produce-unsat-cores", [&] { return torva_set_option(h, "produce-unsat-cores", "maybe"); }},
        // NULL pointers
        {TORVA_NULL_ARGUMENT, "args",
         [&] { return torva_mk_term(h, TORVA_KIND_BV_NOT, 1, nullptr, 0, nullptr, &o.term); }},
        {TORVA_NULL_ARGUMENT, "digits is NULL", [&] { return torva_mk_bv_value_string(h, 8, nullptr, 2, &o.term); }},
        {TORVA_NULL_ARGUMENT, "sort is NULL", [&] { return torva_mk_bool_sort(h, nullptr); }},
        {TORVA_NULL_ARGUMENT, "term is NULL", [&] { return torva_mk_const(h, byte, "c", nullptr); }},
        {TORVA_NULL_ARGUMENT, "kind is NULL", [&] { return torva_term_get_kind(h, x, nullptr); }},
        {TORVA_NULL_ARGUMENT, "indices is NULL", [&] { return torva_term_get_indices(h, x, nullptr, &o.count); }},
        {TORVA_NULL_ARGUMENT, "result is NULL", [&] { return torva_check_sat(h, nullptr); }},
        {TORVA_NULL_ARGUMENT, "terms is NULL", [&] { return torva_get_assertions(h, nullptr, &o.count); }},
        {TORVA_NULL_ARGUMENT, "key is NULL", [&] { return torva_set_option(h, nullptr, "true"); }},
        {TORVA_NULL_ARGUMENT, "value is NULL", [&] { return torva_get_option(h, "produce-unsat-cores", nullptr); }},
        {TORVA_NULL_ARGUMENT, "keys is NULL", [&] { return torva_get_statistics(h, nullptr, nullptr, &o.count); }},
        {TORVA_NULL_ARGUMENT, "text is NULL", [&] { return torva_term_to_string(h, x, nullptr); }},
    });
    EXPECT_TRUE(s.ids(torva_get_assertions).empty()) << "no rejected assertion was kept";
    const char* produceCores = nullptr;
    s.ok(torva_get_option(h, "produce-unsat-cores", &produceCores));
    EXPECT_STREQ(produceCores, "false") << "a rejected value changes nothing";

    // after a sat answer: 72 one bits do not fit in 64, nor is there a core
    s.assertFormula(s.op(TORVA_KIND_EQUAL, {wide, s.op(TORVA_KIND_BV_NOT, {s.op(TORVA_KIND_BV_XOR, {wide, wide})})}));
    ASSERT_EQ(s.check(), TORVA_SAT);
    const char* digits = nullptr;
    s.ok(torva_get_value_digits(h, wide, 16, &digits));
    EXPECT_EQ(std::string(digits), std::string(18, 'f'));
    s.ok(torva_push(h, 2));
    expectRefused(s, o, {
        {TORVA_ERROR, "", [&] { return torva_get_unsat_core(h, &o.terms, &o.count); }},
        {TORVA_ERROR, "", [&] { return torva_get_unsat_assumptions(h, &o.terms, &o.count); }},
        {TORVA_ERROR, "", [&] { return torva_get_value_uint64(h, wide, &o.value); }},
        {TORVA_ERROR, "", [&] { return torva_get_value_digits(h, wide, 8, &o.text); }},
        {TORVA_ERROR, "torva_pop", [&] { return torva_pop(h, 3); }},
    });
    EXPECT_EQ(s.scopeLevel(), 2u);
    s.ok(torva_pop(h, 2));

    // after an unsat answer: no model
    s.assertFormula(s.op(TORVA_KIND_BV_ULT, {x, s.bv(8, 0)}));
    ASSERT_EQ(s.check(), TORVA_UNSAT);
    expectRefused(s, o, {
        {TORVA_ERROR, "", [&] { return torva_get_value_string(h, x, &o.text); }},
        {TORVA_ERROR, "", [&] { return torva_pop(h, 1); }},
    });
    s.ok(torva_reset_assertions(h));
    expectStillUsable(s);
    expectStillUsable(other);
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
    // Where the calls write; nothing reads it.
    static struct {
        torva_term term; torva_sort sort; torva_result result; torva_kind kind;
        const char* text; const torva_term* terms; const uint32_t* indices;
        const char* const* keys; const char* const* values;
        size_t count; uint64_t u64; uint32_t u32; int flag;
    } out;
    return {
        {"delete", [](torva_solver* v) { return torva_delete(v); }},
        {"mk_bool_sort", [](torva_solver* v) { return torva_mk_bool_sort(v, &out.sort); }},
        {"mk_bv_sort", [](torva_solver* v) { return torva_mk_bv_sort(v, 8, &out.sort); }},
        {"sort_is_bool", [=](torva_solver* v) { return torva_sort_is_bool(v, sort, &out.flag); }},
        {"sort_get_bv_width", [=](torva_solver* v) { return torva_sort_get_bv_width(v, sort, &out.u32); }},
        {"sort_to_string", [=](torva_solver* v) { return torva_sort_to_string(v, sort, &out.text); }},
        {"mk_true", [](torva_solver* v) { return torva_mk_true(v, &out.term); }},
        {"mk_false", [](torva_solver* v) { return torva_mk_false(v, &out.term); }},
        {"mk_boolean", [](torva_solver* v) { return torva_mk_boolean(v, 1, &out.term); }},
        {"mk_bv_value_uint64", [](torva_solver* v) { return torva_mk_bv_value_uint64(v, 8, 3, &out.term); }},
        {"mk_bv_value_int64", [](torva_solver* v) { return torva_mk_bv_value_int64(v, 8, -3, &out.term); }},
        {"mk_bv_value_string", [](torva_solver* v) { return torva_mk_bv_value_string(v, 8, "11", 2, &out.term); }},
        {"mk_bv_zero", [](torva_solver* v) { return torva_mk_bv_zero(v, 8, &out.term); }},
        {"mk_bv_one", [](torva_solver* v) { return torva_mk_bv_one(v, 8, &out.term); }},
        {"mk_const", [=](torva_solver* v) { return torva_mk_const(v, sort, "c", &out.term); }},
        {"mk_term", [=](torva_solver* v) { return torva_mk_term(v, TORVA_KIND_BV_NOT, 1, &x, 0, nullptr, &out.term); }},
        {"term_get_kind", [=](torva_solver* v) { return torva_term_get_kind(v, x, &out.kind); }},
        {"term_get_sort", [=](torva_solver* v) { return torva_term_get_sort(v, x, &out.sort); }},
        {"term_get_bv_width", [=](torva_solver* v) { return torva_term_get_bv_width(v, x, &out.u32); }},
        {"term_get_num_children", [=](torva_solver* v) { return torva_term_get_num_children(v, x, &out.count); }},
        {"term_get_child", [=](torva_solver* v) { return torva_term_get_child(v, notX, 0, &out.term); }},
        {"term_get_indices", [=](torva_solver* v) { return torva_term_get_indices(v, x, &out.indices, &out.count); }},
        {"term_get_symbol", [=](torva_solver* v) { return torva_term_get_symbol(v, x, &out.text); }},
        {"term_get_boolean_value", [=](torva_solver* v) { return torva_term_get_boolean_value(v, truth, &out.flag); }},
        {"term_get_bv_value", [=](torva_solver* v) { return torva_term_get_bv_value(v, three, 2, &out.text); }},
        {"term_to_string", [=](torva_solver* v) { return torva_term_to_string(v, x, &out.text); }},
        {"assert", [=](torva_solver* v) { return torva_assert(v, b); }},
        {"push", [](torva_solver* v) { return torva_push(v, 1); }},
        {"pop", [](torva_solver* v) { return torva_pop(v, 1); }},
        {"get_scope_level", [](torva_solver* v) { return torva_get_scope_level(v, &out.u32); }},
        {"get_assertions", [](torva_solver* v) { return torva_get_assertions(v, &out.terms, &out.count); }},
        {"reset_assertions", [](torva_solver* v) { return torva_reset_assertions(v); }},
        {"check_sat", [](torva_solver* v) { return torva_check_sat(v, &out.result); }},
        {"check_sat_assuming", [=](torva_solver* v) { return torva_check_sat_assuming(v, 1, &b, &out.result); }},
        {"get_reason_unknown", [](torva_solver* v) { return torva_get_reason_unknown(v, &out.text); }},
        {"get_value", [=](torva_solver* v) { return torva_get_value(v, x, &out.term); }},
        {"get_values", [=](torva_solver* v) { return torva_get_values(v, 1, &x, &out.term); }},
        {"get_value_string", [=](torva_solver* v) { return torva_get_value_string(v, x, &out.text); }},
        {"get_value_uint64", [=](torva_solver* v) { return torva_get_value_uint64(v, x, &out.u64); }},
        {"get_value_digits", [=](torva_solver* v) { return torva_get_value_digits(v, x, 10, &out.text); }},
        {"get_unsat_assumptions",
         [](torva_solver* v) { return torva_get_unsat_assumptions(v, &out.terms, &out.count); }},
        {"get_unsat_core", [](torva_solver* v) { return torva_get_unsat_core(v, &out.terms, &out.count); }},
        {"set_option", [](torva_solver* v) { return torva_set_option(v, "produce-unsat-cores", "true"); }},
        {"get_option", [](torva_solver* v) { return torva_get_option(v, "produce-unsat-cores", &out.text); }},
        {"set_time_limit", [](torva_solver* v) { return torva_set_time_limit(v, 0); }},
        {"set_conflict_limit", [](torva_solver* v) { return torva_set_conflict_limit(v, 0); }},
        {"set_terminate_callback", [](torva_solver* v) { return torva_set_terminate_callback(v, nullptr, nullptr); }},
        {"get_statistics", [](torva_solver* v) { return torva_get_statistics(v, &out.keys, &out.values, &out.count); }},
    };
}

TEST(CApiMisuse, EveryCallRefusesANullHandleAndWorksOnAValidOne) {
    Session s;
    for (const auto& [name, call] : everyCall(s)) {
        EXPECT_EQ(call(nullptr), TORVA_NULL_HANDLE) << name;
        const std::string callName = name;
        bool needsOtherAnswer = callName.rfind("get_unsat", 0) == 0 || callName == "get_reason_unknown";
        if (callName != "delete" && !needsOtherAnswer) {
            EXPECT_EQ(call(s.get()), TORVA_OK) << name << ": " << s.error();
        }
    }
    EXPECT_EQ(torva_new(nullptr), TORVA_NULL_ARGUMENT);
    EXPECT_STREQ(torva_last_error(nullptr), "the solver handle is NULL");
    expectStillUsable(s);
}

}  // namespace
}  // namespace capi_test
