/* A C99 client of torva.h: proves the header is valid C and the library is
 * callable from C, on bit vectors and on an array. Returns 0 when every
 * answer is right, else the number of the first wrong step. */
#include <stddef.h>
#include <string.h>

#include "torva/torva.h"

int capi_c_smoke(void);

/* (select (store a i 1) j) = 0 with i = j is unsat, with i free sat; the
 * value of a is a constant array, maybe under stores. Returns 0 or the
 * failing step. */
static int arrays(torva_solver* solver, torva_sort byte) {
    torva_sort array;
    torva_term a, i, j, one, zero, args[3], stored, read, same, equal;
    torva_result result = TORVA_UNKNOWN;
    const char* text = NULL;

    if (torva_mk_array_sort(solver, byte, byte, &array) != TORVA_OK || torva_mk_const(solver, array, "a", &a) ||
        torva_mk_const(solver, byte, "i", &i) || torva_mk_const(solver, byte, "j", &j) ||
        torva_mk_bv_one(solver, 8, &one) || torva_mk_bv_zero(solver, 8, &zero))
        return 10;
    args[0] = a, args[1] = i, args[2] = one;
    if (torva_mk_term(solver, TORVA_KIND_STORE, 3, args, 0, NULL, &stored))
        return 11;
    args[0] = stored, args[1] = j;
    if (torva_mk_term(solver, TORVA_KIND_SELECT, 2, args, 0, NULL, &read))
        return 12;
    args[0] = read, args[1] = zero;
    if (torva_mk_term(solver, TORVA_KIND_EQUAL, 2, args, 0, NULL, &equal) || torva_assert(solver, equal))
        return 13;
    args[0] = i, args[1] = j;
    if (torva_mk_term(solver, TORVA_KIND_EQUAL, 2, args, 0, NULL, &same) ||
        torva_check_sat_assuming(solver, 1, &same, &result) || result != TORVA_UNSAT)
        return 14;
    if (torva_check_sat(solver, &result) || result != TORVA_SAT || torva_get_value_string(solver, a, &text) ||
        strstr(text, "((as const (Array (_ BitVec 8) (_ BitVec 8))) #b") == NULL)
        return 15;
    return 0;
}

int capi_c_smoke(void) {
    torva_solver* solver = NULL;
    torva_sort byte;
    torva_term x, one, zero, terms[2], sum, equal;
    torva_result result = TORVA_UNKNOWN;
    uint64_t number = 0;
    int failed = 0;

    if (torva_new(&solver) != TORVA_OK)
        return 1;
    if (torva_mk_bv_sort(solver, 8, &byte) != TORVA_OK || torva_mk_const(solver, byte, "x", &x) != TORVA_OK ||
        torva_mk_bv_one(solver, 8, &one) != TORVA_OK || torva_mk_bv_zero(solver, 8, &zero) != TORVA_OK)
        failed = 2;
    terms[0] = x;
    terms[1] = one;
    if (!failed && torva_mk_term(solver, TORVA_KIND_BV_ADD, 2, terms, 0, NULL, &sum) != TORVA_OK)
        failed = 3;
    terms[0] = sum;
    terms[1] = zero;
    if (!failed && (torva_mk_term(solver, TORVA_KIND_EQUAL, 2, terms, 0, NULL, &equal) != TORVA_OK ||
                    torva_assert(solver, equal) != TORVA_OK))
        failed = 4;
    if (!failed && (torva_check_sat(solver, &result) != TORVA_OK || result != TORVA_SAT))
        failed = 5;
    if (!failed && (torva_get_value_uint64(solver, x, &number) != TORVA_OK || number != 255))
        failed = 6;
    if (!failed && (torva_pop(solver, 1) != TORVA_ERROR || strstr(torva_last_error(solver), "torva_pop") == NULL))
        failed = 7;
    if (!failed)
        failed = arrays(solver, byte);
    torva_delete(solver);
    return failed;
}
