// The C interface over torva::Solver. It owns the translation between C
// handles and C++ values: a torva_term is the term's id tagged with its
// solver's serial, and an array or function sort its position among the
// solver's compound sorts tagged the same way, so a term or sort of another
// solver or a made-up id is caught before it reaches the C++ side. Every entry point
// runs its body under one guard that turns each exception into a status and
// a message kept by the solver; nothing is thrown across the boundary, and
// out-parameters are written only once the call has succeeded.
#include "torva/torva.h"

#include <algorithm>
#include <cstring>
#include <type_traits>
#include <unordered_map>
#include <atomic>
#include <new>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "torva/torva.hpp"

struct torva_solver {
    torva::Solver solver;
    uint32_t serial = 0;
    // The array and function sorts handed out to C, in the order of their
    // first hand-out, and each one's position there.
    std::vector<torva::Sort> compoundSorts;
    std::unordered_map<torva::Sort, uint32_t> compoundPositions;
    // What the last successful call handed out to C.
    std::vector<torva_sort> sortList;
    std::string text;
    std::vector<torva_term> termList;
    std::vector<uint32_t> indexList;
    std::vector<std::string> statText;
    std::vector<const char*> statKeys;
    std::vector<const char*> statValues;
    // The message of the last failing call: into lastError, or a static text
    // when even storing the message failed.
    std::string lastError;
    const char* lastErrorText = "";
};

namespace {

const char* const kNullSolverMessage = "the solver handle is NULL";

// A failure the C layer finds itself, with the status it reports.
class CallError : public std::runtime_error {
public:
    CallError(torva_status status, const std::string& message) : std::runtime_error(message), status_(status) {}
    torva_status status() const { return status_; }

private:
    torva_status status_;
};

void recordError(torva_solver& s, const char* function, const char* prefix, const char* message) noexcept {
    try {
        s.lastError = std::string(function) + ": " + prefix + message;
        s.lastErrorText = s.lastError.c_str();
    } catch (...) {
        s.lastErrorText = "out of memory while reporting an error";
    }
}

// Runs body on the solver; the status of its outcome.
template <typename Body>
torva_status guarded(torva_solver* s, const char* function, Body&& body) noexcept {
    if (s == nullptr)
        return TORVA_NULL_HANDLE;
    torva_status status = TORVA_INTERNAL_ERROR;
    try {
        body(*s);
        return TORVA_OK;
    } catch (const CallError& e) {
        status = e.status();
        recordError(*s, function, "", e.what());
    } catch (const torva::Error& e) {
        status = TORVA_ERROR;
        recordError(*s, function, "", e.what());
    } catch (const std::bad_alloc&) {
        status = TORVA_OUT_OF_MEMORY;
        recordError(*s, function, "", "out of memory");
    } catch (const std::exception& e) {
        recordError(*s, function, "internal error: ", e.what());
    } catch (...) {
        recordError(*s, function, "internal error", "");
    }
    return status;
}

template <typename T>
T& required(T* pointer, const char* name) {
    if (pointer == nullptr)
        throw CallError(TORVA_NULL_ARGUMENT, std::string(name) + " is NULL");
    return *pointer;
}

const char* requiredText(const char* text, const char* name) {
    if (text == nullptr)
        throw CallError(TORVA_NULL_ARGUMENT, std::string(name) + " is NULL");
    return text;
}

// An array argument may be NULL only when it is empty.
template <typename T>
void requireArray(const T* array, size_t count, const char* name) {
    if (array == nullptr && count > 0)
        throw CallError(TORVA_NULL_ARGUMENT, std::string(name) + " is NULL but its count is not 0");
}

// Sort codes: 0 the null sort, 1 Bool, width + 1 a bit vector, and from
// kFirstCompoundCode on the solver's array and function sorts by position.
constexpr uint32_t kFirstCompoundCode = (1u << 30) + 1;

torva_sort toC(torva_solver& s, const torva::Sort& sort) {
    if (sort.isBool()) return torva_sort{1u, 0u};
    if (sort.isBv()) return torva_sort{sort.getBvWidth() + 1u, 0u};
    auto found = s.compoundPositions.find(sort);
    if (found == s.compoundPositions.end()) {
        if (s.compoundSorts.size() >= UINT32_MAX - kFirstCompoundCode) throw CallError(TORVA_ERROR, "too many sorts");
        found = s.compoundPositions.emplace(sort, uint32_t(s.compoundSorts.size())).first;
        s.compoundSorts.push_back(sort);
    }
    return torva_sort{kFirstCompoundCode + found->second, s.serial};
}

torva::Sort fromC(torva_solver& s, torva_sort sort) {
    if (sort.code == 0)
        throw CallError(TORVA_ERROR, "the sort is null");
    if (sort.solver != 0 && sort.solver != s.serial)
        throw CallError(TORVA_ERROR, "the sort belongs to another solver");
    if (sort.code < kFirstCompoundCode)
        return sort.code == 1 ? s.solver.mkBoolSort() : s.solver.mkBvSort(sort.code - 1);
    if (sort.solver != s.serial || sort.code - kFirstCompoundCode >= s.compoundSorts.size())
        throw CallError(TORVA_ERROR, "the sort is no sort of this solver");
    return s.compoundSorts[sort.code - kFirstCompoundCode];
}

// Term ids: the solver's serial in the high half, the term's own id + 1 in
// the low half, so that 0 is the null term.
torva_term toC(const torva_solver& s, const torva::Term& term) {
    return torva_term{(uint64_t(s.serial) << 32) | (term.getId() + 1)};
}

torva::Term fromC(const torva_solver& s, torva_term term) {
    if (term.id == 0)
        throw CallError(TORVA_ERROR, "the term is null");
    if (uint32_t(term.id >> 32) != s.serial)
        throw CallError(TORVA_ERROR, "the term belongs to another solver");
    try {
        return s.solver.getTermById((term.id & 0xffffffffu) - 1);
    } catch (const torva::Error&) {
        throw CallError(TORVA_ERROR, "the term id is not a term of this solver");
    }
}

std::vector<torva::Term> fromC(const torva_solver& s, size_t count, const torva_term* terms) {
    std::vector<torva::Term> result;
    result.reserve(count);
    for (size_t i = 0; i < count; ++i)
        result.push_back(fromC(s, terms[i]));
    return result;
}

const char* handOut(torva_solver& s, std::string text) {
    s.text = std::move(text);
    return s.text.c_str();
}

void handOut(torva_solver& s, const std::vector<torva::Term>& terms, const torva_term** out, size_t* count) {
    std::vector<torva_term> list;
    list.reserve(terms.size());
    for (const torva::Term& term : terms)
        list.push_back(toC(s, term));
    s.termList.swap(list);
    *out = s.termList.data();
    *count = s.termList.size();
}

// A kind as C passed it: any number may arrive, and one outside the
// enumeration may not even be read as a torva_kind in C++, so its bytes
// are read as the underlying integer.
int kindNumber(const torva_kind* kind) {
    std::underlying_type_t<torva_kind> number;
    std::memcpy(&number, kind, sizeof number);
    return static_cast<int>(number);
}

bool isKind(int number) { return number >= int(TORVA_KIND_CONSTANT) && number <= int(TORVA_KIND_APPLY); }

torva::Kind fromC(const torva_kind* kind) {
    int number = kindNumber(kind);
    if (!isKind(number)) throw CallError(TORVA_ERROR, "unknown kind " + std::to_string(number));
    return static_cast<torva::Kind>(number);
}

#define TORVA_SAME_KIND(name) \
    static_assert(int(TORVA_KIND_##name) == int(torva::Kind::name), "torva_kind and torva::Kind differ at " #name);
TORVA_SAME_KIND(CONSTANT)
TORVA_SAME_KIND(VARIABLE)
TORVA_SAME_KIND(NOT)
TORVA_SAME_KIND(AND)
TORVA_SAME_KIND(OR)
TORVA_SAME_KIND(XOR)
TORVA_SAME_KIND(IMPLIES)
TORVA_SAME_KIND(EQUAL)
TORVA_SAME_KIND(DISTINCT)
TORVA_SAME_KIND(ITE)
TORVA_SAME_KIND(BV_CONCAT)
TORVA_SAME_KIND(BV_EXTRACT)
TORVA_SAME_KIND(BV_REPEAT)
TORVA_SAME_KIND(BV_ZERO_EXTEND)
TORVA_SAME_KIND(BV_SIGN_EXTEND)
TORVA_SAME_KIND(BV_ROTATE_LEFT)
TORVA_SAME_KIND(BV_ROTATE_RIGHT)
TORVA_SAME_KIND(BV_NOT)
TORVA_SAME_KIND(BV_AND)
TORVA_SAME_KIND(BV_OR)
TORVA_SAME_KIND(BV_XOR)
TORVA_SAME_KIND(BV_NAND)
TORVA_SAME_KIND(BV_NOR)
TORVA_SAME_KIND(BV_XNOR)
TORVA_SAME_KIND(BV_COMP)
TORVA_SAME_KIND(BV_NEG)
TORVA_SAME_KIND(BV_ADD)
TORVA_SAME_KIND(BV_SUB)
TORVA_SAME_KIND(BV_MUL)
TORVA_SAME_KIND(BV_UDIV)
TORVA_SAME_KIND(BV_UREM)
TORVA_SAME_KIND(BV_SDIV)
TORVA_SAME_KIND(BV_SREM)
TORVA_SAME_KIND(BV_SMOD)
TORVA_SAME_KIND(BV_SHL)
TORVA_SAME_KIND(BV_LSHR)
TORVA_SAME_KIND(BV_ASHR)
TORVA_SAME_KIND(BV_ULT)
TORVA_SAME_KIND(BV_ULE)
TORVA_SAME_KIND(BV_UGT)
TORVA_SAME_KIND(BV_UGE)
TORVA_SAME_KIND(BV_SLT)
TORVA_SAME_KIND(BV_SLE)
TORVA_SAME_KIND(BV_SGT)
TORVA_SAME_KIND(BV_SGE)
TORVA_SAME_KIND(SELECT)
TORVA_SAME_KIND(STORE)
TORVA_SAME_KIND(CONST_ARRAY)
TORVA_SAME_KIND(APPLY)
#undef TORVA_SAME_KIND

static_assert(int(TORVA_SAT) == int(torva::Result::Sat) && int(TORVA_UNSAT) == int(torva::Result::Unsat) &&
                  int(TORVA_UNKNOWN) == int(torva::Result::Unknown),
              "torva_result and torva::Result differ");

// Makes a term by a C++ call and hands its handle out.
template <typename Make>
torva_status makeTerm(torva_solver* solver, const char* function, torva_term* term, Make&& make) {
    return guarded(solver, function, [&](torva_solver& s) {
        torva_term& out = required(term, "term");
        out = toC(s, make(s.solver));
    });
}

}  // namespace

extern "C" {

TORVA_C_EXPORT const char* torva_last_error(const torva_solver* solver) {
    return solver == nullptr ? kNullSolverMessage : solver->lastErrorText;
}

TORVA_C_EXPORT const char* torva_kind_name(torva_kind kind) {
    int number = kindNumber(&kind);
    if (!isKind(number)) return "?";
    try {
        return torva::kindName(static_cast<torva::Kind>(number));
    } catch (...) {
        return "?";
    }
}

TORVA_C_EXPORT const char* torva_result_name(torva_result result) {
    if (int(result) < int(TORVA_SAT) || int(result) > int(TORVA_UNKNOWN))
        return "?";
    try {
        return torva::resultName(static_cast<torva::Result>(result));
    } catch (...) {
        return "?";
    }
}

TORVA_C_EXPORT const char* torva_status_name(torva_status status) {
    switch (status) {
        case TORVA_OK: return "ok";
        case TORVA_ERROR: return "error";
        case TORVA_NULL_HANDLE: return "null handle";
        case TORVA_NULL_ARGUMENT: return "null argument";
        case TORVA_OUT_OF_MEMORY: return "out of memory";
        case TORVA_INTERNAL_ERROR: return "internal error";
    }
    return "?";
}

TORVA_C_EXPORT torva_status torva_new(torva_solver** solver) {
    if (solver == nullptr)
        return TORVA_NULL_ARGUMENT;
    static std::atomic<uint32_t> nextSerial{1};
    try {
        auto* made = new torva_solver;
        made->serial = nextSerial.fetch_add(1);
        *solver = made;
        return TORVA_OK;
    } catch (const std::bad_alloc&) {
        return TORVA_OUT_OF_MEMORY;
    } catch (...) {
        return TORVA_INTERNAL_ERROR;
    }
}

TORVA_C_EXPORT torva_status torva_delete(torva_solver* solver) {
    if (solver == nullptr)
        return TORVA_NULL_HANDLE;
    delete solver;
    return TORVA_OK;
}

// Sorts.

TORVA_C_EXPORT torva_status torva_mk_bool_sort(torva_solver* solver, torva_sort* sort) {
    return guarded(solver, "torva_mk_bool_sort", [&](torva_solver& s) {
        torva_sort& out = required(sort, "sort");
        out = toC(s, s.solver.mkBoolSort());
    });
}

TORVA_C_EXPORT torva_status torva_mk_bv_sort(torva_solver* solver, uint32_t width, torva_sort* sort) {
    return guarded(solver, "torva_mk_bv_sort", [&](torva_solver& s) {
        torva_sort& out = required(sort, "sort");
        out = toC(s, s.solver.mkBvSort(width));
    });
}

TORVA_C_EXPORT torva_status torva_sort_is_bool(torva_solver* solver, torva_sort sort, int* is_bool) {
    return guarded(solver, "torva_sort_is_bool", [&](torva_solver& s) {
        int& out = required(is_bool, "is_bool");
        out = fromC(s, sort).isBool() ? 1 : 0;
    });
}

TORVA_C_EXPORT torva_status torva_sort_get_bv_width(torva_solver* solver, torva_sort sort, uint32_t* width) {
    return guarded(solver, "torva_sort_get_bv_width", [&](torva_solver& s) {
        uint32_t& out = required(width, "width");
        out = fromC(s, sort).getBvWidth();
    });
}

TORVA_C_EXPORT torva_status torva_sort_to_string(torva_solver* solver, torva_sort sort, const char** text) {
    return guarded(solver, "torva_sort_to_string", [&](torva_solver& s) {
        const char*& out = required(text, "text");
        out = handOut(s, fromC(s, sort).toString());
    });
}

TORVA_C_EXPORT torva_status torva_mk_array_sort(torva_solver* solver, torva_sort index, torva_sort element,
                                                torva_sort* sort) {
    return guarded(solver, "torva_mk_array_sort", [&](torva_solver& s) {
        torva_sort& out = required(sort, "sort");
        out = toC(s, s.solver.mkArraySort(fromC(s, index), fromC(s, element)));
    });
}

TORVA_C_EXPORT torva_status torva_mk_function_sort(torva_solver* solver, size_t arity, const torva_sort* domain,
                                                   torva_sort codomain, torva_sort* sort) {
    return guarded(solver, "torva_mk_function_sort", [&](torva_solver& s) {
        torva_sort& out = required(sort, "sort");
        requireArray(domain, arity, "domain");
        std::vector<torva::Sort> sorts;
        for (size_t i = 0; i < arity; ++i)
            sorts.push_back(fromC(s, domain[i]));
        out = toC(s, s.solver.mkFunctionSort(sorts, fromC(s, codomain)));
    });
}

TORVA_C_EXPORT torva_status torva_sort_is_array(torva_solver* solver, torva_sort sort, int* is_array) {
    return guarded(solver, "torva_sort_is_array", [&](torva_solver& s) {
        int& out = required(is_array, "is_array");
        out = fromC(s, sort).isArray() ? 1 : 0;
    });
}

TORVA_C_EXPORT torva_status torva_sort_is_function(torva_solver* solver, torva_sort sort, int* is_function) {
    return guarded(solver, "torva_sort_is_function", [&](torva_solver& s) {
        int& out = required(is_function, "is_function");
        out = fromC(s, sort).isFunction() ? 1 : 0;
    });
}

TORVA_C_EXPORT torva_status torva_sort_get_array_index(torva_solver* solver, torva_sort sort, torva_sort* index) {
    return guarded(solver, "torva_sort_get_array_index", [&](torva_solver& s) {
        torva_sort& out = required(index, "index");
        out = toC(s, fromC(s, sort).getArrayIndexSort());
    });
}

TORVA_C_EXPORT torva_status torva_sort_get_array_element(torva_solver* solver, torva_sort sort, torva_sort* element) {
    return guarded(solver, "torva_sort_get_array_element", [&](torva_solver& s) {
        torva_sort& out = required(element, "element");
        out = toC(s, fromC(s, sort).getArrayElementSort());
    });
}

TORVA_C_EXPORT torva_status torva_sort_get_function_domain(torva_solver* solver, torva_sort sort,
                                                           const torva_sort** domain, size_t* arity) {
    return guarded(solver, "torva_sort_get_function_domain", [&](torva_solver& s) {
        const torva_sort*& outDomain = required(domain, "domain");
        size_t& outArity = required(arity, "arity");
        std::vector<torva_sort> list;
        for (const torva::Sort& d : fromC(s, sort).getFunctionDomainSorts())
            list.push_back(toC(s, d));
        s.sortList.swap(list);
        outDomain = s.sortList.data();
        outArity = s.sortList.size();
    });
}

TORVA_C_EXPORT torva_status torva_sort_get_function_codomain(torva_solver* solver, torva_sort sort,
                                                             torva_sort* codomain) {
    return guarded(solver, "torva_sort_get_function_codomain", [&](torva_solver& s) {
        torva_sort& out = required(codomain, "codomain");
        out = toC(s, fromC(s, sort).getFunctionCodomainSort());
    });
}

// Values and constants.

TORVA_C_EXPORT torva_status torva_mk_true(torva_solver* solver, torva_term* term) {
    return makeTerm(solver, "torva_mk_true", term, [](torva::Solver& cpp) { return cpp.mkTrue(); });
}

TORVA_C_EXPORT torva_status torva_mk_false(torva_solver* solver, torva_term* term) {
    return makeTerm(solver, "torva_mk_false", term, [](torva::Solver& cpp) { return cpp.mkFalse(); });
}

TORVA_C_EXPORT torva_status torva_mk_boolean(torva_solver* solver, int value, torva_term* term) {
    return makeTerm(solver, "torva_mk_boolean", term, [&](torva::Solver& cpp) { return cpp.mkBoolean(value != 0); });
}

TORVA_C_EXPORT torva_status torva_mk_bv_value_uint64(torva_solver* solver, uint32_t width, uint64_t value,
                                                     torva_term* term) {
    return makeTerm(solver, "torva_mk_bv_value_uint64", term,
                    [&](torva::Solver& cpp) { return cpp.mkBvValue(width, value); });
}

TORVA_C_EXPORT torva_status torva_mk_bv_value_int64(torva_solver* solver, uint32_t width, int64_t value,
                                                    torva_term* term) {
    return makeTerm(solver, "torva_mk_bv_value_int64", term,
                    [&](torva::Solver& cpp) { return cpp.mkBvValueInt64(width, value); });
}

TORVA_C_EXPORT torva_status torva_mk_bv_value_string(torva_solver* solver, uint32_t width, const char* digits,
                                                     uint32_t base, torva_term* term) {
    return makeTerm(solver, "torva_mk_bv_value_string", term, [&](torva::Solver& cpp) {
        return cpp.mkBvValue(width, requiredText(digits, "digits"), base);
    });
}

TORVA_C_EXPORT torva_status torva_mk_bv_zero(torva_solver* solver, uint32_t width, torva_term* term) {
    return makeTerm(solver, "torva_mk_bv_zero", term, [&](torva::Solver& cpp) { return cpp.mkBvZero(width); });
}

TORVA_C_EXPORT torva_status torva_mk_bv_one(torva_solver* solver, uint32_t width, torva_term* term) {
    return makeTerm(solver, "torva_mk_bv_one", term, [&](torva::Solver& cpp) { return cpp.mkBvOne(width); });
}

TORVA_C_EXPORT torva_status torva_mk_const(torva_solver* solver, torva_sort sort, const char* symbol,
                                           torva_term* term) {
    return guarded(solver, "torva_mk_const", [&](torva_solver& s) {
        torva_term& out = required(term, "term");
        out = toC(s, s.solver.mkConst(fromC(s, sort), symbol == nullptr ? "" : symbol));
    });
}

TORVA_C_EXPORT torva_status torva_mk_const_array(torva_solver* solver, torva_sort array_sort, torva_term value,
                                                 torva_term* term) {
    return guarded(solver, "torva_mk_const_array", [&](torva_solver& s) {
        torva_term& out = required(term, "term");
        out = toC(s, s.solver.mkConstArray(fromC(s, array_sort), fromC(s, value)));
    });
}

TORVA_C_EXPORT torva_status torva_mk_term(torva_solver* solver, torva_kind kind, size_t num_args,
                                          const torva_term* args, size_t num_indices, const uint32_t* indices,
                                          torva_term* term) {
    return guarded(solver, "torva_mk_term", [&](torva_solver& s) {
        torva_term& out = required(term, "term");
        requireArray(args, num_args, "args");
        requireArray(indices, num_indices, "indices");
        std::vector<uint32_t> indexList(indices, indices + num_indices);
        out = toC(s, s.solver.mkTerm(fromC(&kind), fromC(s, num_args, args), indexList));
    });
}

// Terms.

TORVA_C_EXPORT torva_status torva_term_get_kind(torva_solver* solver, torva_term term, torva_kind* kind) {
    return guarded(solver, "torva_term_get_kind", [&](torva_solver& s) {
        torva_kind& out = required(kind, "kind");
        out = static_cast<torva_kind>(fromC(s, term).getKind());
    });
}

TORVA_C_EXPORT torva_status torva_term_get_sort(torva_solver* solver, torva_term term, torva_sort* sort) {
    return guarded(solver, "torva_term_get_sort", [&](torva_solver& s) {
        torva_sort& out = required(sort, "sort");
        out = toC(s, fromC(s, term).getSort());
    });
}

TORVA_C_EXPORT torva_status torva_term_get_bv_width(torva_solver* solver, torva_term term, uint32_t* width) {
    return guarded(solver, "torva_term_get_bv_width", [&](torva_solver& s) {
        uint32_t& out = required(width, "width");
        out = fromC(s, term).getSort().getBvWidth();
    });
}

TORVA_C_EXPORT torva_status torva_term_get_num_children(torva_solver* solver, torva_term term, size_t* count) {
    return guarded(solver, "torva_term_get_num_children", [&](torva_solver& s) {
        size_t& out = required(count, "count");
        out = fromC(s, term).getNumChildren();
    });
}

TORVA_C_EXPORT torva_status torva_term_get_child(torva_solver* solver, torva_term term, size_t index,
                                                 torva_term* child) {
    return guarded(solver, "torva_term_get_child", [&](torva_solver& s) {
        torva_term& out = required(child, "child");
        out = toC(s, fromC(s, term)[index]);
    });
}

TORVA_C_EXPORT torva_status torva_term_get_indices(torva_solver* solver, torva_term term, const uint32_t** indices,
                                                   size_t* count) {
    return guarded(solver, "torva_term_get_indices", [&](torva_solver& s) {
        const uint32_t*& outIndices = required(indices, "indices");
        size_t& outCount = required(count, "count");
        s.indexList = fromC(s, term).getIndices();
        outIndices = s.indexList.data();
        outCount = s.indexList.size();
    });
}

TORVA_C_EXPORT torva_status torva_term_get_symbol(torva_solver* solver, torva_term term, const char** symbol) {
    return guarded(solver, "torva_term_get_symbol", [&](torva_solver& s) {
        const char*& out = required(symbol, "symbol");
        out = handOut(s, fromC(s, term).getSymbol());
    });
}

TORVA_C_EXPORT torva_status torva_term_get_boolean_value(torva_solver* solver, torva_term term, int* value) {
    return guarded(solver, "torva_term_get_boolean_value", [&](torva_solver& s) {
        int& out = required(value, "value");
        out = fromC(s, term).getBooleanValue() ? 1 : 0;
    });
}

TORVA_C_EXPORT torva_status torva_term_get_bv_value(torva_solver* solver, torva_term term, uint32_t base,
                                                    const char** digits) {
    return guarded(solver, "torva_term_get_bv_value", [&](torva_solver& s) {
        const char*& out = required(digits, "digits");
        out = handOut(s, fromC(s, term).getBvValue(base));
    });
}

TORVA_C_EXPORT torva_status torva_term_to_string(torva_solver* solver, torva_term term, const char** text) {
    return guarded(solver, "torva_term_to_string", [&](torva_solver& s) {
        const char*& out = required(text, "text");
        out = handOut(s, fromC(s, term).toString());
    });
}

// Assertions and scopes.

TORVA_C_EXPORT torva_status torva_assert(torva_solver* solver, torva_term formula) {
    return guarded(solver, "torva_assert", [&](torva_solver& s) { s.solver.assertFormula(fromC(s, formula)); });
}

TORVA_C_EXPORT torva_status torva_push(torva_solver* solver, uint32_t levels) {
    return guarded(solver, "torva_push", [&](torva_solver& s) { s.solver.push(levels); });
}

TORVA_C_EXPORT torva_status torva_pop(torva_solver* solver, uint32_t levels) {
    return guarded(solver, "torva_pop", [&](torva_solver& s) { s.solver.pop(levels); });
}

TORVA_C_EXPORT torva_status torva_get_scope_level(torva_solver* solver, uint32_t* level) {
    return guarded(solver, "torva_get_scope_level", [&](torva_solver& s) {
        uint32_t& out = required(level, "level");
        out = s.solver.getScopeLevel();
    });
}

TORVA_C_EXPORT torva_status torva_get_assertions(torva_solver* solver, const torva_term** terms, size_t* count) {
    return guarded(solver, "torva_get_assertions", [&](torva_solver& s) {
        handOut(s, s.solver.getAssertions(), &required(terms, "terms"), &required(count, "count"));
    });
}

TORVA_C_EXPORT torva_status torva_reset_assertions(torva_solver* solver) {
    return guarded(solver, "torva_reset_assertions", [&](torva_solver& s) { s.solver.resetAssertions(); });
}

// Checks.

TORVA_C_EXPORT torva_status torva_check_sat(torva_solver* solver, torva_result* result) {
    return guarded(solver, "torva_check_sat", [&](torva_solver& s) {
        torva_result& out = required(result, "result");
        out = static_cast<torva_result>(s.solver.checkSat());
    });
}

TORVA_C_EXPORT torva_status torva_check_sat_assuming(torva_solver* solver, size_t num_assumptions,
                                                     const torva_term* assumptions, torva_result* result) {
    return guarded(solver, "torva_check_sat_assuming", [&](torva_solver& s) {
        torva_result& out = required(result, "result");
        requireArray(assumptions, num_assumptions, "assumptions");
        out = static_cast<torva_result>(s.solver.checkSat(fromC(s, num_assumptions, assumptions)));
    });
}

TORVA_C_EXPORT torva_status torva_get_reason_unknown(torva_solver* solver, const char** reason) {
    return guarded(solver, "torva_get_reason_unknown", [&](torva_solver& s) {
        const char*& out = required(reason, "reason");
        out = handOut(s, s.solver.getReasonUnknown());
    });
}

// Models.

TORVA_C_EXPORT torva_status torva_get_value(torva_solver* solver, torva_term term, torva_term* value) {
    return guarded(solver, "torva_get_value", [&](torva_solver& s) {
        torva_term& out = required(value, "value");
        out = toC(s, s.solver.getValue(fromC(s, term)));
    });
}

TORVA_C_EXPORT torva_status torva_get_values(torva_solver* solver, size_t count, const torva_term* terms,
                                             torva_term* values) {
    return guarded(solver, "torva_get_values", [&](torva_solver& s) {
        requireArray(terms, count, "terms");
        requireArray(values, count, "values");
        std::vector<torva_term> handles;
        handles.reserve(count);
        for (const torva::Term& value : s.solver.getValue(fromC(s, count, terms)))
            handles.push_back(toC(s, value));
        std::copy(handles.begin(), handles.end(), values);
    });
}

TORVA_C_EXPORT torva_status torva_get_value_string(torva_solver* solver, torva_term term, const char** text) {
    return guarded(solver, "torva_get_value_string", [&](torva_solver& s) {
        const char*& out = required(text, "text");
        out = handOut(s, s.solver.getValueString(fromC(s, term)));
    });
}

TORVA_C_EXPORT torva_status torva_get_value_uint64(torva_solver* solver, torva_term term, uint64_t* value) {
    return guarded(solver, "torva_get_value_uint64", [&](torva_solver& s) {
        uint64_t& out = required(value, "value");
        out = s.solver.getValueUint64(fromC(s, term));
    });
}

TORVA_C_EXPORT torva_status torva_get_value_digits(torva_solver* solver, torva_term term, uint32_t base,
                                                   const char** digits) {
    return guarded(solver, "torva_get_value_digits", [&](torva_solver& s) {
        const char*& out = required(digits, "digits");
        out = handOut(s, s.solver.getValueDigits(fromC(s, term), base));
    });
}

TORVA_C_EXPORT torva_status torva_get_unsat_assumptions(torva_solver* solver, const torva_term** terms,
                                                        size_t* count) {
    return guarded(solver, "torva_get_unsat_assumptions", [&](torva_solver& s) {
        handOut(s, s.solver.getUnsatAssumptions(), &required(terms, "terms"), &required(count, "count"));
    });
}

TORVA_C_EXPORT torva_status torva_get_unsat_core(torva_solver* solver, const torva_term** terms, size_t* count) {
    return guarded(solver, "torva_get_unsat_core", [&](torva_solver& s) {
        handOut(s, s.solver.getUnsatCore(), &required(terms, "terms"), &required(count, "count"));
    });
}

// Options, limits and statistics.

TORVA_C_EXPORT torva_status torva_set_option(torva_solver* solver, const char* key, const char* value) {
    return guarded(solver, "torva_set_option", [&](torva_solver& s) {
        s.solver.setOption(requiredText(key, "key"), requiredText(value, "value"));
    });
}

TORVA_C_EXPORT torva_status torva_get_option(torva_solver* solver, const char* key, const char** value) {
    return guarded(solver, "torva_get_option", [&](torva_solver& s) {
        const char*& out = required(value, "value");
        out = handOut(s, s.solver.getOption(requiredText(key, "key")));
    });
}

TORVA_C_EXPORT torva_status torva_set_time_limit(torva_solver* solver, double seconds) {
    return guarded(solver, "torva_set_time_limit", [&](torva_solver& s) { s.solver.setTimeLimit(seconds); });
}

TORVA_C_EXPORT torva_status torva_set_conflict_limit(torva_solver* solver, uint64_t conflicts) {
    return guarded(solver, "torva_set_conflict_limit",
                   [&](torva_solver& s) { s.solver.setConflictLimit(conflicts); });
}

TORVA_C_EXPORT torva_status torva_set_terminate_callback(torva_solver* solver, torva_terminate_fn callback,
                                                         void* user_data) {
    return guarded(solver, "torva_set_terminate_callback", [&](torva_solver& s) {
        if (callback == nullptr)
            s.solver.setTerminateCallback(nullptr);
        else
            s.solver.setTerminateCallback([callback, user_data] { return callback(user_data) != 0; });
    });
}

TORVA_C_EXPORT torva_status torva_get_statistics(torva_solver* solver, const char* const** keys,
                                                 const char* const** values, size_t* count) {
    return guarded(solver, "torva_get_statistics", [&](torva_solver& s) {
        const char* const*& outKeys = required(keys, "keys");
        const char* const*& outValues = required(values, "values");
        size_t& outCount = required(count, "count");
        std::vector<std::string> text;
        for (const auto& [key, value] : s.solver.getStatistics()) {
            text.push_back(key);
            text.push_back(value);
        }
        std::vector<const char*> keyList, valueList;
        for (size_t i = 0; i < text.size(); i += 2) {
            keyList.push_back(text[i].c_str());
            valueList.push_back(text[i + 1].c_str());
        }
        s.statText.swap(text);
        s.statKeys.swap(keyList);
        s.statValues.swap(valueList);
        outKeys = s.statKeys.data();
        outValues = s.statValues.data();
        outCount = s.statKeys.size();
    });
}

}  // extern "C"
