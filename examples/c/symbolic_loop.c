/* A small symbolic-execution loop over a toy program of one 16-bit input:
 * each branch is tried both ways under the path condition kept so far, a
 * model is printed and replayed on the concrete program, and the feasible
 * side (the then side when both are) joins the path condition. */
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>

#include "torva/torva.h"

#define NUM_BRANCHES 4

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

static torva_term negate(torva_term a) {
    torva_term result;
    check(torva_mk_term(solver, TORVA_KIND_NOT, 1, &a, 0, NULL, &result));
    return result;
}

static torva_term value(uint64_t v) {
    torva_term result;
    check(torva_mk_bv_value_uint64(solver, 16, v, &result));
    return result;
}

/* The toy program's branch conditions, concretely and symbolically. */
static int concrete_branch(int branch, uint16_t x) {
    switch (branch) {
        case 0: return (uint16_t)(x * 3 + 7) > 100;
        case 1: return (x & 0xff) == 0x42;
        case 2: return (x & 0xff) == 0x43;
        default: return (x >> 12) == 0xf;
    }
}

static torva_term symbolic_branch(int branch, torva_term x) {
    switch (branch) {
        case 0: {
            torva_term times3 = op(TORVA_KIND_BV_MUL, x, value(3));
            return op(TORVA_KIND_BV_UGT, op(TORVA_KIND_BV_ADD, times3, value(7)), value(100));
        }
        case 1: return op(TORVA_KIND_EQUAL, op(TORVA_KIND_BV_AND, x, value(0xff)), value(0x42));
        case 2: return op(TORVA_KIND_EQUAL, op(TORVA_KIND_BV_AND, x, value(0xff)), value(0x43));
        default: return op(TORVA_KIND_EQUAL, op(TORVA_KIND_BV_LSHR, x, value(12)), value(0xf));
    }
}

int main(void) {
    /* Whether the then and the else side of each branch can be reached. */
    static const int expected_feasible[NUM_BRANCHES][2] = {{1, 1}, {1, 1}, {0, 1}, {1, 1}};
    int path[NUM_BRANCHES];
    int wrong = 0, branch, side, earlier;
    torva_sort sort;
    torva_term x;
    torva_result result;
    uint64_t model;

    check(torva_new(&solver));
    check(torva_mk_bv_sort(solver, 16, &sort));
    check(torva_mk_const(solver, sort, "x", &x));
    for (branch = 0; branch < NUM_BRANCHES; ++branch) {
        torva_term condition = symbolic_branch(branch, x);
        int feasible[2];
        for (side = 1; side >= 0; --side) {
            check(torva_push(solver, 1));
            check(torva_assert(solver, side ? condition : negate(condition)));
            check(torva_check_sat(solver, &result));
            feasible[side] = result == TORVA_SAT;
            printf("branch %d %s: %s", branch, side ? "then" : "else", torva_result_name(result));
            if (result == TORVA_SAT) {
                check(torva_get_value_uint64(solver, x, &model));
                printf(", x = %llu", (unsigned long long)model);
                for (earlier = 0; earlier < branch; ++earlier)
                    wrong |= concrete_branch(earlier, (uint16_t)model) != path[earlier];
                wrong |= concrete_branch(branch, (uint16_t)model) != side;
            }
            printf("\n");
            wrong |= feasible[side] != expected_feasible[branch][1 - side];
            check(torva_pop(solver, 1));
        }
        path[branch] = feasible[1];
        check(torva_assert(solver, path[branch] ? condition : negate(condition)));
    }

    check(torva_check_sat(solver, &result));
    check(torva_get_value_uint64(solver, x, &model));
    printf("input for the whole path: x = %llu\n", (unsigned long long)model);
    for (branch = 0; branch < NUM_BRANCHES; ++branch)
        wrong |= concrete_branch(branch, (uint16_t)model) != path[branch];
    check(torva_delete(solver));
    printf("%s\n", wrong ? "WRONG" : "ok");
    return wrong;
}
