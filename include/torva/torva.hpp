// torva's C++ interface: a solver for quantifier-free formulas over bit
// vectors, arrays and uninterpreted functions that a program builds term by
// term, asserts, checks under push/pop scopes and assumptions, and asks for
// models and unsatisfiable cores.
//
// A Solver owns its terms and its array and function sorts. Terms and sorts
// are small values, cheap to copy and hash; a term, an array sort or a
// function sort stays valid as long as its solver lives. Solvers share
// nothing: each may be used by one thread at a time, and different solvers
// may run in different threads at once. Every misuse (a term of another
// solver, operands of the wrong sort, an index out of range, a model asked
// for after an answer that was not sat...) throws torva::Error and leaves
// the solver as it was.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#if defined(_WIN32)
#define TORVA_EXPORT
#else
#define TORVA_EXPORT __attribute__((visibility("default")))
#endif

namespace torva {

// The operators of the term language, by their SMT-LIB 2 names. Indexed
// operators take their indices in mkTerm's index list: BV_EXTRACT {hi, lo};
// BV_REPEAT, BV_ZERO_EXTEND, BV_SIGN_EXTEND, BV_ROTATE_LEFT and
// BV_ROTATE_RIGHT {k}. AND, OR, XOR, IMPLIES, BV_AND, BV_OR, BV_XOR, BV_ADD,
// BV_SUB, BV_MUL, BV_CONCAT, EQUAL and DISTINCT take two or more operands.
// SELECT (a i) and STORE (a i e) work on arrays; EQUAL, DISTINCT and ITE
// take arrays too. CONST_ARRAY is made by mkConstArray only: its one operand
// is the element everywhere, and the array sort is the term's sort (it has
// no indices). APPLY takes a function (a constant of a function sort made by
// mkConst) and then one argument per domain sort.
enum class Kind : uint8_t {
    CONSTANT,  // a value: kind of every term made by mkTrue, mkBvValue...
    VARIABLE,  // a term made by mkConst
    NOT, AND, OR, XOR, IMPLIES, EQUAL, DISTINCT, ITE,
    BV_CONCAT, BV_EXTRACT, BV_REPEAT, BV_ZERO_EXTEND, BV_SIGN_EXTEND, BV_ROTATE_LEFT, BV_ROTATE_RIGHT,
    BV_NOT, BV_AND, BV_OR, BV_XOR, BV_NAND, BV_NOR, BV_XNOR, BV_COMP, BV_NEG, BV_ADD, BV_SUB, BV_MUL,
    BV_UDIV, BV_UREM, BV_SDIV, BV_SREM, BV_SMOD, BV_SHL, BV_LSHR, BV_ASHR,
    BV_ULT, BV_ULE, BV_UGT, BV_UGE, BV_SLT, BV_SLE, BV_SGT, BV_SGE,
    SELECT, STORE, CONST_ARRAY, APPLY,
};

// The SMT-LIB 2 name of a kind ("bvadd", "extract", "select"; "const",
// "var" for the two leaf kinds, "const-array" and "apply").
TORVA_EXPORT const char* kindName(Kind kind);

enum class Result { Sat, Unsat, Unknown };
TORVA_EXPORT const char* resultName(Result result);  // "sat", "unsat", "unknown"

// Every error the interface reports: misuse, bad arguments, unknown options.
// The solver that threw it is unchanged and stays usable.
class TORVA_EXPORT Error : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

namespace detail {
struct SolverState;
}

// The Boolean sort, a bit-vector sort of some width (1 to 2^30 - 1), an
// array sort or a function sort. Bool and bit-vector sorts belong to no
// solver; an array or function sort belongs to the solver that made it and
// is refused by any other. Sorts made alike by one solver are equal.
class TORVA_EXPORT Sort {
public:
    Sort() = default;  // the null sort
    bool isNull() const { return code_ == kNull; }
    bool isBool() const { return code_ == 0; }
    bool isBv() const { return code_ != 0 && code_ < kFirstCompound; }
    bool isArray() const;
    bool isFunction() const;
    // The width of a bit-vector sort; throws for any other.
    uint32_t getBvWidth() const;
    // The parts of an array sort and of a function sort; each throws for
    // any other sort.
    Sort getArrayIndexSort() const;
    Sort getArrayElementSort() const;
    std::vector<Sort> getFunctionDomainSorts() const;
    Sort getFunctionCodomainSort() const;
    // SMT-LIB 2 text: "Bool", "(_ BitVec 8)", "(Array (_ BitVec 4) (_ BitVec 8))",
    // and a function sort as the arrow "(-> (_ BitVec 8) Bool (_ BitVec 4))".
    std::string toString() const;
    bool operator==(const Sort& other) const { return code_ == other.code_ && owner_ == other.owner_; }
    bool operator!=(const Sort& other) const { return !(*this == other); }
    size_t hash() const { return std::hash<uint32_t>()(code_) ^ std::hash<const void*>()(owner_); }

private:
    friend class Solver;
    friend class Term;
    friend struct detail::SolverState;
    static constexpr uint32_t kNull = 0xffffffffu;
    static constexpr uint32_t kFirstCompound = 1u << 30;
    Sort(uint32_t code, const detail::SolverState* owner) : code_(code), owner_(owner) {}
    // The solver of an array sort (array) or a function sort; throws for
    // any other sort, naming the call.
    const detail::SolverState& partsOwner(bool array, const char* what) const;
    uint32_t code_ = kNull;
    const detail::SolverState* owner_ = nullptr;  // array and function sorts only
};

class TORVA_EXPORT Term {
public:
    Term() = default;  // the null term; any use but isNull() throws
    bool isNull() const { return state_ == nullptr; }

    Kind getKind() const;
    Sort getSort() const;
    // Operands and indices as the term was made.
    size_t getNumChildren() const;
    Term operator[](size_t i) const;
    std::vector<Term> getChildren() const;
    std::vector<uint32_t> getIndices() const;
    // A VARIABLE's name.
    std::string getSymbol() const;
    // A CONSTANT's value: true/false for a Boolean, the digits in base
    // 2, 10 or 16 (no prefix, most significant first) for a bit vector.
    bool getBooleanValue() const;
    std::string getBvValue(uint32_t base = 2) const;

    // Unique among the terms of one solver; terms made alike are one term
    // (the same id), variables are always new.
    uint64_t getId() const { return id_; }
    // SMT-LIB 2 text: an operator term used more than once within the term
    // is bound once by a let (_let_1, _let_2, ...).
    std::string toString() const;

    bool operator==(const Term& other) const { return state_ == other.state_ && id_ == other.id_; }
    bool operator!=(const Term& other) const { return !(*this == other); }
    // Creation order within a solver.
    bool operator<(const Term& other) const;
    size_t hash() const { return std::hash<uint64_t>()(id_) ^ std::hash<const void*>()(state_); }

private:
    friend class Solver;
    friend struct detail::SolverState;
    Term(detail::SolverState* state, uint32_t id) : state_(state), id_(id) {}
    detail::SolverState* state_ = nullptr;
    uint32_t id_ = 0;
};

TORVA_EXPORT std::ostream& operator<<(std::ostream& out, const Term& term);
TORVA_EXPORT std::ostream& operator<<(std::ostream& out, const Sort& sort);
TORVA_EXPORT std::ostream& operator<<(std::ostream& out, Result result);
TORVA_EXPORT std::ostream& operator<<(std::ostream& out, Kind kind);

class TORVA_EXPORT Solver {
public:
    Solver();
    ~Solver();
    Solver(const Solver&) = delete;
    Solver& operator=(const Solver&) = delete;
    Solver(Solver&&) noexcept;
    Solver& operator=(Solver&&) noexcept;

    // Sorts. Indices, function arguments and results are Bool or bit
    // vectors; the elements of an array may also be arrays.
    Sort mkBoolSort() const;
    Sort mkBvSort(uint32_t width) const;
    Sort mkArraySort(const Sort& index, const Sort& element);
    Sort mkFunctionSort(const std::vector<Sort>& domain, const Sort& codomain);

    // Values. A bit-vector value from an unsigned integer must fit the
    // width; mkBvValueInt64 takes the two's complement of a negative one.
    // From a string: the digits in base 2, 10 or 16, no sign, no prefix.
    Term mkTrue();
    Term mkFalse();
    Term mkBoolean(bool value);
    Term mkBvValue(uint32_t width, uint64_t value);
    Term mkBvValueInt64(uint32_t width, int64_t value);
    Term mkBvValue(uint32_t width, const std::string& digits, uint32_t base = 2);
    Term mkBvZero(uint32_t width);
    Term mkBvOne(uint32_t width);

    // A new free constant (a variable of the formula); every call makes a
    // new one, whatever its name. Of an array sort it is an array variable,
    // of a function sort an uninterpreted function (usable only as APPLY's
    // first operand).
    Term mkConst(Sort sort, const std::string& symbol = "");
    // The array of the sort that holds value at every index.
    Term mkConstArray(const Sort& arraySort, const Term& value);

    // The term of this solver whose getId() is id; throws when there is none.
    Term getTermById(uint64_t id) const;

    // Any operator. Sorts are checked: Error names the rule broken.
    Term mkTerm(Kind kind, const std::vector<Term>& args, const std::vector<uint32_t>& indices = {});

    // Named helpers for mkTerm.
    Term mkNot(const Term& a);
    Term mkAnd(const Term& a, const Term& b);
    Term mkOr(const Term& a, const Term& b);
    Term mkXor(const Term& a, const Term& b);
    Term mkImplies(const Term& a, const Term& b);
    Term mkEqual(const Term& a, const Term& b);
    Term mkDistinct(const Term& a, const Term& b);
    Term mkIte(const Term& condition, const Term& thenTerm, const Term& elseTerm);
    Term mkExtract(uint32_t hi, uint32_t lo, const Term& a);
    Term mkConcat(const Term& high, const Term& low);
    Term mkZeroExtend(uint32_t k, const Term& a);
    Term mkSignExtend(uint32_t k, const Term& a);
    Term mkRepeat(uint32_t k, const Term& a);
    Term mkRotateLeft(uint32_t k, const Term& a);
    Term mkRotateRight(uint32_t k, const Term& a);
    Term mkBvNot(const Term& a);
    Term mkBvNeg(const Term& a);
    Term mkBvAnd(const Term& a, const Term& b);
    Term mkBvOr(const Term& a, const Term& b);
    Term mkBvXor(const Term& a, const Term& b);
    Term mkBvAdd(const Term& a, const Term& b);
    Term mkBvSub(const Term& a, const Term& b);
    Term mkBvMul(const Term& a, const Term& b);
    Term mkBvUdiv(const Term& a, const Term& b);
    Term mkBvUrem(const Term& a, const Term& b);
    Term mkBvSdiv(const Term& a, const Term& b);
    Term mkBvSrem(const Term& a, const Term& b);
    Term mkBvSmod(const Term& a, const Term& b);
    Term mkBvShl(const Term& a, const Term& b);
    Term mkBvLshr(const Term& a, const Term& b);
    Term mkBvAshr(const Term& a, const Term& b);
    Term mkBvUlt(const Term& a, const Term& b);
    Term mkBvUle(const Term& a, const Term& b);
    Term mkBvUgt(const Term& a, const Term& b);
    Term mkBvUge(const Term& a, const Term& b);
    Term mkBvSlt(const Term& a, const Term& b);
    Term mkBvSle(const Term& a, const Term& b);
    Term mkBvSgt(const Term& a, const Term& b);
    Term mkBvSge(const Term& a, const Term& b);
    Term mkSelect(const Term& array, const Term& index);
    Term mkStore(const Term& array, const Term& index, const Term& element);
    Term mkApply(const Term& function, const std::vector<Term>& args);

    // Assertions and scopes. pop(n) withdraws the assertions of the n
    // innermost scopes; popping below the base level throws.
    void assertFormula(const Term& formula);
    void push(uint32_t levels = 1);
    void pop(uint32_t levels = 1);
    uint32_t getScopeLevel() const;
    std::vector<Term> getAssertions() const;
    // Withdraws every assertion and scope; terms stay valid.
    void resetAssertions();

    // Checks the assertions, and the Boolean assumptions for this check only.
    Result checkSat();
    Result checkSat(const std::vector<Term>& assumptions);
    // After Unknown: "timeout", "resourceout" (the conflict limit),
    // "interrupted" (the terminate callback) or what stopped the check.
    std::string getReasonUnknown() const;

    // The model of the last check, which must have answered Sat.
    // The value of a Boolean or bit-vector term is a CONSTANT; that of an
    // array is a term of this solver made only of STORE over one
    // CONST_ARRAY and values (the indices ascending, each index once, none
    // storing the constant array's element), so it can be walked or
    // asserted; the elements of an array of arrays are such terms too. A
    // function has no value term: getValueString gives it, and the value
    // of an APPLY term gives it at a point.
    Term getValue(const Term& term);
    std::vector<Term> getValue(const std::vector<Term>& terms);
    // SMT-LIB 2 text of the value: "true", "#b0101", an array as
    // "(store ((as const (Array (_ BitVec 2) (_ BitVec 4))) #b0000) #b01 #b0111)",
    // a function as "(lambda ((x!1 (_ BitVec 2))) (ite (= x!1 #b01) #b0111 #b0000))".
    std::string getValueString(const Term& term);
    // The value of a Boolean or bit-vector term as an unsigned number (a
    // Boolean is 0 or 1); throws when it does not fit in 64 bits.
    uint64_t getValueUint64(const Term& term);
    // The value's digits in base 2, 10 or 16.
    std::string getValueDigits(const Term& term, uint32_t base = 10);

    // After Unsat: the assumptions, and the assertions, that are
    // unsatisfiable together. Without the option produce-unsat-cores every
    // assertion made outside all scopes belongs to each core.
    std::vector<Term> getUnsatAssumptions() const;
    std::vector<Term> getUnsatCore() const;

    // Options by the keys of the command line's --set (see torva
    // --list-settings), and: preset (classic|clauses|modules|fast; resets
    // every key to the preset's value), simplify, incremental,
    // produce-unsat-cores (true|false).
    void setOption(const std::string& key, const std::string& value);
    std::string getOption(const std::string& key) const;

    // Limits of every later check; 0 means none. A check that reaches one
    // answers Unknown. The callback is polled during the search: when it
    // returns true the check stops. The time limit is wall-clock time.
    void setTimeLimit(double seconds);
    void setConflictLimit(uint64_t conflicts);
    void setTerminateCallback(std::function<bool()> callback);

    // Counters of this solver: checks and their answers, terms, assertions,
    // the conflicts of the last check (the built-in search also counts its
    // decisions and propagations), what the incremental SAT back end holds
    // (variables, clauses, gates, conflicts of all checks)
    // and the process's peak memory.
    std::map<std::string, std::string> getStatistics() const;

private:
    std::unique_ptr<detail::SolverState> state_;
};

}  // namespace torva

namespace std {
template <>
struct hash<torva::Term> {
    size_t operator()(const torva::Term& t) const { return t.hash(); }
};
template <>
struct hash<torva::Sort> {
    size_t operator()(const torva::Sort& s) const { return s.hash(); }
};
}  // namespace std
