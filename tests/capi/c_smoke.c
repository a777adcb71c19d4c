/* A C99 client of torva.h: proves the header is valid C and the library is
 * callable from C. Returns 0 when every answer is right, else the number of
 * the first wrong step. */
#include <stddef.h>
#include <string.h>

#include "torva/torva.h"

int capi_c_smoke(void);

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
    torva_delete(solver);
    return failed;
}
