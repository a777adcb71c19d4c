/* Unsatisfiable cores: five assertions over two bytes of which two
 * contradict each other. With produce-unsat-cores on, the core names
 * exactly those two, and they alone are unsatisfiable. */
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>

#include "torva/torva.h"

#define NUM_ASSERTIONS 5

static torva_solver* solver;

static void check(torva_status status) {
    if (status != TORVA_OK) {
        fprintf(stderr, "error: %s\n", torva_last_error(solver));
        exit(2);
    }
}

static torva_term op(torva_kind kind, torva_term a, torva_term b) {
    torva_term args[2], result;
    args[0] = a;
    args[1] = b;
    check(torva_mk_term(solver, kind, 2, args, 0, NULL, &result));
    return result;
}

static torva_term byte(uint64_t v) {
    torva_term result;
    check(torva_mk_bv_value_uint64(solver, 8, v, &result));
    return result;
}

static int in_core(torva_term assertion, const torva_term* core, size_t count) {
    size_t i;
    for (i = 0; i < count; ++i)
        if (core[i].id == assertion.id)
            return 1;
    return 0;
}

int main(void) {
    /* Which assertions belong to the contradiction: x > 200 and x < 150. */
    static const int contradictory[NUM_ASSERTIONS] = {1, 0, 0, 1, 0};
    torva_term assertions[NUM_ASSERTIONS], x, y;
    torva_sort sort;
    torva_result result;
    const torva_term* core;
    size_t count, i;
    int wrong = 0;

    check(torva_new(&solver));
    check(torva_set_option(solver, "produce-unsat-cores", "true"));
    check(torva_mk_bv_sort(solver, 8, &sort));
    check(torva_mk_const(solver, sort, "x", &x));
    check(torva_mk_const(solver, sort, "y", &y));
    assertions[0] = op(TORVA_KIND_BV_UGT, x, byte(200));
    assertions[1] = op(TORVA_KIND_EQUAL, y, byte(3));
    assertions[2] = op(TORVA_KIND_EQUAL, op(TORVA_KIND_BV_AND, x, byte(1)), byte(1));
    assertions[3] = op(TORVA_KIND_BV_ULT, x, byte(150));
    assertions[4] = op(TORVA_KIND_DISTINCT, x, y);
    for (i = 0; i < NUM_ASSERTIONS; ++i) {
        const char* text;
        check(torva_assert(solver, assertions[i]));
        check(torva_term_to_string(solver, assertions[i], &text));
        printf("assert %s\n", text);
    }

    check(torva_check_sat(solver, &result));
    printf("answer: %s\n", torva_result_name(result));
    if (result != TORVA_UNSAT)
        return 1;
    check(torva_get_unsat_core(solver, &core, &count));
    printf("core of %lu assertions:\n", (unsigned long)count);
    for (i = 0; i < count; ++i) {
        const char* text;
        check(torva_term_to_string(solver, core[i], &text));
        printf("  %s\n", text);
    }
    wrong |= count != 2;
    for (i = 0; i < NUM_ASSERTIONS; ++i)
        wrong |= in_core(assertions[i], core, count) != contradictory[i];

    /* The contradictory pair alone is unsatisfiable, the rest satisfiable. */
    check(torva_reset_assertions(solver));
    check(torva_assert(solver, assertions[0]));
    check(torva_assert(solver, assertions[3]));
    check(torva_check_sat(solver, &result));
    printf("the core alone: %s\n", torva_result_name(result));
    wrong |= result != TORVA_UNSAT;
    check(torva_reset_assertions(solver));
    for (i = 0; i < NUM_ASSERTIONS; ++i)
        if (!contradictory[i])
            check(torva_assert(solver, assertions[i]));
    check(torva_check_sat(solver, &result));
    printf("the others: %s\n", torva_result_name(result));
    wrong |= result != TORVA_SAT;

    check(torva_delete(solver));
    printf("%s\n", wrong ? "WRONG" : "ok");
    return wrong;
}
