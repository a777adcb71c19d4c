/* torva's C interface: the C++ interface (torva.hpp) behind C99 calls.
 *
 * A torva_solver is an opaque handle made by torva_new and freed by
 * torva_delete. Sorts and terms are small value structs that C code copies
 * freely: a term, an array sort or a function sort belongs to the solver
 * that made it and stays valid as long as that solver lives; the same term
 * always has the same id, so two terms are equal exactly when their ids
 * are, and two sorts exactly when both fields are. The zero struct is the
 * null sort or term.
 *
 * Errors: every call but the name look-ups returns a torva_status; given a
 * NULL solver it returns TORVA_NULL_HANDLE. On any status but TORVA_OK the
 * out-parameters are untouched, the solver is as it was and stays usable,
 * and torva_last_error gives the message (named by the failing call) until
 * the next failing call on that solver.
 *
 * Memory: a string or array handed out by a call is owned by the solver and
 * stays valid until the next call on that solver (torva_last_error is not
 * such a call: it changes nothing). Copy what must live longer.
 *
 * Threads: one thread at a time per solver; different solvers may run in
 * different threads at once. */
#ifndef TORVA_TORVA_H
#define TORVA_TORVA_H

#include <stddef.h>
#include <stdint.h>

#if defined(_WIN32)
#define TORVA_C_EXPORT
#else
#define TORVA_C_EXPORT __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

typedef struct torva_solver torva_solver;

/* A sort: Bool, a bit vector of some width (1 to 2^30 - 1), an array sort
 * or a function sort. solver is 0 for Bool and bit vectors and tags an
 * array or function sort with its solver. */
typedef struct {
    uint32_t code;
    uint32_t solver;
} torva_sort;

/* A term of one solver. */
typedef struct {
    uint64_t id;
} torva_term;

typedef enum {
    TORVA_OK = 0,
    TORVA_ERROR,            /* a misuse: wrong sorts, bad index, wrong state, foreign term, bad option... */
    TORVA_NULL_HANDLE,      /* the solver handle is NULL */
    TORVA_NULL_ARGUMENT,    /* a pointer the call needs (an out-parameter, a string, an array) is NULL */
    TORVA_OUT_OF_MEMORY,
    TORVA_INTERNAL_ERROR    /* anything else the solver failed on */
} torva_status;

typedef enum { TORVA_SAT = 0, TORVA_UNSAT, TORVA_UNKNOWN } torva_result;

/* The operators of the term language, in the order of torva::Kind.
 * Indexed operators take their indices in torva_mk_term's index array:
 * EXTRACT {hi, lo}; REPEAT, ZERO_EXTEND, SIGN_EXTEND, ROTATE_LEFT and
 * ROTATE_RIGHT {k}. SELECT (a i) and STORE (a i e) work on arrays; APPLY
 * takes a function (torva_mk_const of a function sort) and its arguments;
 * CONST_ARRAY terms are made by torva_mk_const_array only. */
typedef enum {
    TORVA_KIND_CONSTANT = 0,
    TORVA_KIND_VARIABLE,
    TORVA_KIND_NOT,
    TORVA_KIND_AND,
    TORVA_KIND_OR,
    TORVA_KIND_XOR,
    TORVA_KIND_IMPLIES,
    TORVA_KIND_EQUAL,
    TORVA_KIND_DISTINCT,
    TORVA_KIND_ITE,
    TORVA_KIND_BV_CONCAT,
    TORVA_KIND_BV_EXTRACT,
    TORVA_KIND_BV_REPEAT,
    TORVA_KIND_BV_ZERO_EXTEND,
    TORVA_KIND_BV_SIGN_EXTEND,
    TORVA_KIND_BV_ROTATE_LEFT,
    TORVA_KIND_BV_ROTATE_RIGHT,
    TORVA_KIND_BV_NOT,
    TORVA_KIND_BV_AND,
    TORVA_KIND_BV_OR,
    TORVA_KIND_BV_XOR,
    TORVA_KIND_BV_NAND,
    TORVA_KIND_BV_NOR,
    TORVA_KIND_BV_XNOR,
    TORVA_KIND_BV_COMP,
    TORVA_KIND_BV_NEG,
    TORVA_KIND_BV_ADD,
    TORVA_KIND_BV_SUB,
    TORVA_KIND_BV_MUL,
    TORVA_KIND_BV_UDIV,
    TORVA_KIND_BV_UREM,
    TORVA_KIND_BV_SDIV,
    TORVA_KIND_BV_SREM,
    TORVA_KIND_BV_SMOD,
    TORVA_KIND_BV_SHL,
    TORVA_KIND_BV_LSHR,
    TORVA_KIND_BV_ASHR,
    TORVA_KIND_BV_ULT,
    TORVA_KIND_BV_ULE,
    TORVA_KIND_BV_UGT,
    TORVA_KIND_BV_UGE,
    TORVA_KIND_BV_SLT,
    TORVA_KIND_BV_SLE,
    TORVA_KIND_BV_SGT,
    TORVA_KIND_BV_SGE,
    TORVA_KIND_SELECT,
    TORVA_KIND_STORE,
    TORVA_KIND_CONST_ARRAY,
    TORVA_KIND_APPLY
} torva_kind;

/* Polled during a check; a non-zero answer stops it (the check answers
 * TORVA_UNKNOWN, reason "interrupted"). */
typedef int (*torva_terminate_fn)(void* user_data);

/* Name look-ups; they never fail and return static strings ("?" for a value
 * outside the enum). The last error of a NULL solver is a fixed message. */
TORVA_C_EXPORT const char* torva_last_error(const torva_solver* solver);
TORVA_C_EXPORT const char* torva_kind_name(torva_kind kind);       /* "bvadd", "extract", "const", "var" */
TORVA_C_EXPORT const char* torva_result_name(torva_result result); /* "sat", "unsat", "unknown" */
TORVA_C_EXPORT const char* torva_status_name(torva_status status); /* "ok", "error", ... */

/* Life cycle. */
TORVA_C_EXPORT torva_status torva_new(torva_solver** solver);
TORVA_C_EXPORT torva_status torva_delete(torva_solver* solver);

/* Sorts. */
TORVA_C_EXPORT torva_status torva_mk_bool_sort(torva_solver* solver, torva_sort* sort);
TORVA_C_EXPORT torva_status torva_mk_bv_sort(torva_solver* solver, uint32_t width, torva_sort* sort);
TORVA_C_EXPORT torva_status torva_sort_is_bool(torva_solver* solver, torva_sort sort, int* is_bool);
TORVA_C_EXPORT torva_status torva_sort_get_bv_width(torva_solver* solver, torva_sort sort, uint32_t* width);
TORVA_C_EXPORT torva_status torva_sort_to_string(torva_solver* solver, torva_sort sort, const char** text);
/* Array and function sorts: indices, arguments and results are Bool or bit
 * vectors; the elements of an array may also be arrays. */
TORVA_C_EXPORT torva_status torva_mk_array_sort(torva_solver* solver, torva_sort index, torva_sort element,
                                                torva_sort* sort);
TORVA_C_EXPORT torva_status torva_mk_function_sort(torva_solver* solver, size_t arity, const torva_sort* domain,
                                                   torva_sort codomain, torva_sort* sort);
TORVA_C_EXPORT torva_status torva_sort_is_array(torva_solver* solver, torva_sort sort, int* is_array);
TORVA_C_EXPORT torva_status torva_sort_is_function(torva_solver* solver, torva_sort sort, int* is_function);
/* The parts of an array sort, and of a function sort; an error for any
 * other sort. */
TORVA_C_EXPORT torva_status torva_sort_get_array_index(torva_solver* solver, torva_sort sort, torva_sort* index);
TORVA_C_EXPORT torva_status torva_sort_get_array_element(torva_solver* solver, torva_sort sort, torva_sort* element);
TORVA_C_EXPORT torva_status torva_sort_get_function_domain(torva_solver* solver, torva_sort sort,
                                                           const torva_sort** domain, size_t* arity);
TORVA_C_EXPORT torva_status torva_sort_get_function_codomain(torva_solver* solver, torva_sort sort,
                                                             torva_sort* codomain);

/* Values. An unsigned value must fit the width; a negative int64 value
 * gives its two's complement. Digits: base 2, 10 or 16, no sign, no prefix. */
TORVA_C_EXPORT torva_status torva_mk_true(torva_solver* solver, torva_term* term);
TORVA_C_EXPORT torva_status torva_mk_false(torva_solver* solver, torva_term* term);
TORVA_C_EXPORT torva_status torva_mk_boolean(torva_solver* solver, int value, torva_term* term);
TORVA_C_EXPORT torva_status torva_mk_bv_value_uint64(torva_solver* solver, uint32_t width, uint64_t value,
                                                     torva_term* term);
TORVA_C_EXPORT torva_status torva_mk_bv_value_int64(torva_solver* solver, uint32_t width, int64_t value,
                                                    torva_term* term);
TORVA_C_EXPORT torva_status torva_mk_bv_value_string(torva_solver* solver, uint32_t width, const char* digits,
                                                     uint32_t base, torva_term* term);
TORVA_C_EXPORT torva_status torva_mk_bv_zero(torva_solver* solver, uint32_t width, torva_term* term);
TORVA_C_EXPORT torva_status torva_mk_bv_one(torva_solver* solver, uint32_t width, torva_term* term);

/* A new free constant; every call makes a new one, whatever its name
 * (symbol may be NULL for none). */
TORVA_C_EXPORT torva_status torva_mk_const(torva_solver* solver, torva_sort sort, const char* symbol,
                                           torva_term* term);
/* The array of the array sort that holds value at every index. */
TORVA_C_EXPORT torva_status torva_mk_const_array(torva_solver* solver, torva_sort array_sort, torva_term value,
                                                 torva_term* term);

/* Any operator over num_args operands and num_indices indices; an array
 * may be NULL when its count is 0. */
TORVA_C_EXPORT torva_status torva_mk_term(torva_solver* solver, torva_kind kind, size_t num_args,
                                          const torva_term* args, size_t num_indices, const uint32_t* indices,
                                          torva_term* term);

/* What a term is. */
TORVA_C_EXPORT torva_status torva_term_get_kind(torva_solver* solver, torva_term term, torva_kind* kind);
TORVA_C_EXPORT torva_status torva_term_get_sort(torva_solver* solver, torva_term term, torva_sort* sort);
/* The width of a bit-vector term; an error for a Boolean one. */
TORVA_C_EXPORT torva_status torva_term_get_bv_width(torva_solver* solver, torva_term term, uint32_t* width);
TORVA_C_EXPORT torva_status torva_term_get_num_children(torva_solver* solver, torva_term term, size_t* count);
TORVA_C_EXPORT torva_status torva_term_get_child(torva_solver* solver, torva_term term, size_t index,
                                                 torva_term* child);
TORVA_C_EXPORT torva_status torva_term_get_indices(torva_solver* solver, torva_term term, const uint32_t** indices,
                                                   size_t* count);
/* A VARIABLE's name. */
TORVA_C_EXPORT torva_status torva_term_get_symbol(torva_solver* solver, torva_term term, const char** symbol);
/* A CONSTANT's value: 0 or 1 for a Boolean, the digits in base 2, 10 or 16
 * (no prefix, most significant first) for a bit vector. */
TORVA_C_EXPORT torva_status torva_term_get_boolean_value(torva_solver* solver, torva_term term, int* value);
TORVA_C_EXPORT torva_status torva_term_get_bv_value(torva_solver* solver, torva_term term, uint32_t base,
                                                    const char** digits);
/* SMT-LIB 2 text. */
TORVA_C_EXPORT torva_status torva_term_to_string(torva_solver* solver, torva_term term, const char** text);

/* Assertions and scopes. Popping below the base level is an error. */
TORVA_C_EXPORT torva_status torva_assert(torva_solver* solver, torva_term formula);
TORVA_C_EXPORT torva_status torva_push(torva_solver* solver, uint32_t levels);
TORVA_C_EXPORT torva_status torva_pop(torva_solver* solver, uint32_t levels);
TORVA_C_EXPORT torva_status torva_get_scope_level(torva_solver* solver, uint32_t* level);
TORVA_C_EXPORT torva_status torva_get_assertions(torva_solver* solver, const torva_term** terms, size_t* count);
/* Withdraws every assertion and scope; terms stay valid. */
TORVA_C_EXPORT torva_status torva_reset_assertions(torva_solver* solver);

/* Checks the assertions, and the Boolean assumptions for this check only. */
TORVA_C_EXPORT torva_status torva_check_sat(torva_solver* solver, torva_result* result);
TORVA_C_EXPORT torva_status torva_check_sat_assuming(torva_solver* solver, size_t num_assumptions,
                                                     const torva_term* assumptions, torva_result* result);
/* After TORVA_UNKNOWN: "timeout", "resourceout", "interrupted" or what
 * stopped the check. */
TORVA_C_EXPORT torva_status torva_get_reason_unknown(torva_solver* solver, const char** reason);

/* The model of the last check, which must have answered TORVA_SAT. The
 * value of an array is a term of STORE over one CONST_ARRAY and values (as
 * torva::Solver::getValue); a function has no value term, only its text. */
TORVA_C_EXPORT torva_status torva_get_value(torva_solver* solver, torva_term term, torva_term* value);
/* values[i] is the value of terms[i]; values has room for count terms. */
TORVA_C_EXPORT torva_status torva_get_values(torva_solver* solver, size_t count, const torva_term* terms,
                                             torva_term* values);
/* SMT-LIB 2 text of the value: "true", "#b0101", an array as stores over
 * "((as const (Array ...)) v)", a function as "(lambda ((x!1 S)) body)". */
TORVA_C_EXPORT torva_status torva_get_value_string(torva_solver* solver, torva_term term, const char** text);
/* The value as an unsigned number (a Boolean is 0 or 1); an error when it
 * does not fit in 64 bits. */
TORVA_C_EXPORT torva_status torva_get_value_uint64(torva_solver* solver, torva_term term, uint64_t* value);
/* The value's digits in base 2, 10 or 16. */
TORVA_C_EXPORT torva_status torva_get_value_digits(torva_solver* solver, torva_term term, uint32_t base,
                                                   const char** digits);

/* After TORVA_UNSAT: the assumptions, and the assertions, that are
 * unsatisfiable together. Without the option produce-unsat-cores every
 * assertion made outside all scopes belongs to each core. */
TORVA_C_EXPORT torva_status torva_get_unsat_assumptions(torva_solver* solver, const torva_term** terms,
                                                        size_t* count);
TORVA_C_EXPORT torva_status torva_get_unsat_core(torva_solver* solver, const torva_term** terms, size_t* count);

/* Options by the keys of the command line's --set, and: preset, simplify,
 * incremental, produce-unsat-cores. */
TORVA_C_EXPORT torva_status torva_set_option(torva_solver* solver, const char* key, const char* value);
TORVA_C_EXPORT torva_status torva_get_option(torva_solver* solver, const char* key, const char** value);

/* Limits of every later check; 0 means none. A check that reaches one
 * answers TORVA_UNKNOWN. The time limit is wall-clock seconds. A NULL
 * callback removes the current one. */
TORVA_C_EXPORT torva_status torva_set_time_limit(torva_solver* solver, double seconds);
TORVA_C_EXPORT torva_status torva_set_conflict_limit(torva_solver* solver, uint64_t conflicts);
TORVA_C_EXPORT torva_status torva_set_terminate_callback(torva_solver* solver, torva_terminate_fn callback,
                                                         void* user_data);

/* The counters of this solver as count key/value pairs, keys in order. */
TORVA_C_EXPORT torva_status torva_get_statistics(torva_solver* solver, const char* const** keys,
                                                 const char* const** values, size_t* count);

#ifdef __cplusplus
}
#endif

#endif /* TORVA_TORVA_H */
