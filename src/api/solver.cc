// The C++ interface over the term graph and the session engine. Terms are
// (state, id) pairs, and array and function sorts (state, store number)
// pairs; every entry point turns the terms and sorts it is given into ids
// of its own store first, so a term or sort of another solver, a null term
// or a sort error is reported before anything changes. Values of arrays
// are handed out as store terms over a constant array, in index order.
// Checks run with the solver's own engine state swapped in, so solvers that
// share a thread never see each other's tables.
#include <gmpxx.h>

#include <algorithm>
#include <chrono>
#include <limits>
#include <new>
#include <ostream>
#include <sstream>
#include <utility>

#include "api/solver_state.h"
#include "containers/memory.h"
#include "terms/printer.h"
#include "torva/torva.hpp"

namespace torva {

using terms::TermId;
namespace tk = terms;

static_assert(static_cast<int>(Kind::CONSTANT) == static_cast<int>(tk::Kind::Const));
static_assert(static_cast<int>(Kind::ITE) == static_cast<int>(tk::Kind::Ite));
static_assert(static_cast<int>(Kind::BV_ROTATE_RIGHT) == static_cast<int>(tk::Kind::RotateRight));
static_assert(static_cast<int>(Kind::BV_ASHR) == static_cast<int>(tk::Kind::BvAshr));
static_assert(static_cast<int>(Kind::BV_SGE) == static_cast<int>(tk::Kind::BvSge));
static_assert(static_cast<int>(Kind::SELECT) == static_cast<int>(tk::Kind::Select));
static_assert(static_cast<int>(Kind::STORE) == static_cast<int>(tk::Kind::Store));
static_assert(static_cast<int>(Kind::CONST_ARRAY) == static_cast<int>(tk::Kind::ConstArray));
static_assert(static_cast<int>(Kind::APPLY) == static_cast<int>(tk::Kind::Apply));
static_assert(static_cast<int>(Kind::APPLY) + 1 == tk::kNumKinds);

namespace {

tk::Kind internalKind(Kind k) {
    if (static_cast<int>(k) >= tk::kNumKinds) throw Error("no such kind: " + std::to_string(static_cast<int>(k)));
    return static_cast<tk::Kind>(k);
}

// Runs a store operation, turning its complaints into Error.
template <class F>
auto guarded(F f) -> decltype(f()) {
    try {
        return f();
    } catch (const Error&) {
        throw;
    } catch (const tk::SortError& e) {
        throw Error(e.what());
    } catch (const std::bad_alloc&) {
        throw;
    } catch (const std::exception& e) {
        throw Error(e.what());
    }
}

uint32_t checkedWidth(uint32_t width) {
    if (width == 0 || width > tk::kMaxWidth)
        throw Error("a bit-vector width must be between 1 and " + std::to_string(tk::kMaxWidth) + ", got " +
                    std::to_string(width));
    return width;
}

void checkBase(uint32_t base) {
    if (base != 2 && base != 10 && base != 16) throw Error("a value's base must be 2, 10 or 16, got " + std::to_string(base));
}

mpz_class fromUint64(uint64_t value) {
    mpz_class v;
    mpz_import(v.get_mpz_t(), 1, -1, sizeof value, 0, 0, &value);
    return v;
}

mpz_class parseDigits(const std::string& digits, uint32_t base) {
    checkBase(base);
    bool valid = !digits.empty() && std::all_of(digits.begin(), digits.end(), [base](char c) {
        if (base == 2) return c == '0' || c == '1';
        if (base == 10) return c >= '0' && c <= '9';
        return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
    });
    if (!valid) throw Error("'" + digits + "' is no number in base " + std::to_string(base));
    return mpz_class(digits, static_cast<int>(base));
}

std::string digitsOf(const mpz_class& value, uint32_t base) {
    checkBase(base);
    return value.get_str(static_cast<int>(base));
}

bool parseBool(const std::string& key, const std::string& value) {
    if (value == "true") return true;
    if (value == "false") return false;
    throw Error("option " + key + " takes true or false, got '" + value + "'");
}

const char* boolText(bool b) { return b ? "true" : "false"; }

}  // namespace

const char* kindName(Kind kind) {
    if (kind == Kind::CONSTANT) return "const";
    if (kind == Kind::VARIABLE) return "var";
    if (kind == Kind::CONST_ARRAY) return "const-array";
    if (kind == Kind::APPLY) return "apply";
    return tk::kindName(internalKind(kind));
}

const char* resultName(Result result) {
    switch (result) {
        case Result::Sat:
            return "sat";
        case Result::Unsat:
            return "unsat";
        default:
            return "unknown";
    }
}

// ---------------------------------------------------------------- the state

namespace detail {

SolverState::SolverState() : config(presetConfig(Preset::Fast)), simplify(config.choice.simplify), context(config) {}

SolverState::~SolverState() { dropEngine(); }

TermId SolverState::id(const Term& t, const char* role) const {
    if (t.state_ == nullptr) throw Error(std::string("a null term given as ") + role);
    if (t.state_ != this) throw Error(std::string("the ") + role + " is a term of another solver");
    return t.id_;
}

tk::Sort SolverState::sortCode(const Sort& sort, const char* role) const {
    static_assert(Sort::kFirstCompound == tk::kFirstCompound);
    if (sort.isNull()) throw Error(std::string("the null sort given as ") + role);
    if (sort.owner_ != nullptr && sort.owner_ != this) throw Error(std::string("the ") + role + " is a sort of another solver");
    return sort.code_;
}

void SolverState::invalidate() {
    checked = false;
    model.reset();
}

GraphSolveOptions SolverState::solveOptions() const {
    GraphSolveOptions options;
    options.search = config.choice.search;
    options.engine = config.choice.engine;
    options.abstractWidth = config.choice.abstractWidth;
    options.simplify = simplify ? &config.simplify : nullptr;
    return options;
}

SessionSolve& SolverState::engine() {
    if (!session) session = std::make_unique<SessionSolve>(solveOptions(), incremental);
    return *session;
}

void SolverState::dropEngine() {
    if (!session) return;
    ActiveContext active(context);
    session.reset();
}

std::function<bool()> SolverState::interrupt(std::chrono::steady_clock::time_point deadline) {
    if (timeLimit <= 0 && !terminate) return {};
    return [this, deadline] {
        if (timeLimit > 0 && std::chrono::steady_clock::now() >= deadline) {
            stopReason = "timeout";
            return true;
        }
        bool stop;
        try {
            stop = terminate && terminate();
        } catch (...) {
            stop = true;  // a callback that fails asks to stop
        }
        if (stop) stopReason = "interrupted";
        return stop;
    };
}

std::vector<Term> SolverState::terms(const std::vector<TermId>& ids) {
    std::vector<Term> result;
    result.reserve(ids.size());
    for (TermId t : ids) result.push_back(term(t));
    return result;
}

Result SolverState::check(const std::vector<TermId>& assumptions) {
    invalidate();
    size_t permanent = produceCores ? 0 : (scopes.empty() ? assertions.size() : scopes.front());
    tk::CheckQuery query{assertions, permanent, generation, assumptions};
    auto start = std::chrono::steady_clock::now();
    auto deadline = start + std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                                std::chrono::duration<double>(timeLimit > 0 ? timeLimit : 0));
    stopReason.clear();
    tk::CheckOutcome outcome;
    {
        ActiveContext active(context);
        SessionSolve& solver = engine();
        solver.setLimits(conflictLimit, interrupt(deadline));
        try {
            outcome = solver.check(store, query);
        } catch (const std::bad_alloc&) {
            solver.reset();
            outcome = tk::CheckOutcome();
            outcome.reason = "memout";
        } catch (const WrongModel& wrong) {
            solver.reset();
            throw Error(std::string("internal error: ") + wrong.what());
        }
    }
    lastSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    totalSeconds += lastSeconds;
    noteOutcome(outcome, assumptions, permanent);
    return last;
}

void SolverState::noteOutcome(tk::CheckOutcome& outcome, const std::vector<TermId>& assumptions, size_t permanent) {
    checks++;
    conflicts = outcome.conflicts;
    decisions = outcome.decisions;
    propagations = outcome.propagations;
    coreAssertions.clear();
    unsatAssumptions.clear();
    reasonUnknown.clear();
    checked = true;
    switch (outcome.answer) {
        case tk::Answer::Sat:
            sats++;
            last = Result::Sat;
            model = std::make_unique<tk::Evaluator>(store);
            tk::loadModel(*model, outcome.model);
            break;
        case tk::Answer::Unsat:
            unsats++;
            last = Result::Unsat;
            coreAssertions.assign(assertions.begin(), assertions.begin() + static_cast<std::ptrdiff_t>(permanent));
            for (size_t i : outcome.coreAssertions)
                if (i >= permanent) coreAssertions.push_back(assertions[i]);
            for (size_t i : outcome.coreAssumptions) unsatAssumptions.push_back(assumptions[i]);
            break;
        case tk::Answer::Unknown:
            unknowns++;
            last = Result::Unknown;
            reasonUnknown = outcome.reason == "interrupted" && !stopReason.empty() ? stopReason : outcome.reason;
            break;
    }
}

}  // namespace detail

// ---------------------------------------------------------------- sorts

namespace {
std::string describe(const Sort& sort) { return sort.isNull() ? std::string("the null sort") : sort.toString(); }
}  // namespace

bool Sort::isArray() const { return owner_ != nullptr && owner_->store.isArraySort(code_); }

bool Sort::isFunction() const { return owner_ != nullptr && owner_->store.isFunctionSort(code_); }

uint32_t Sort::getBvWidth() const {
    if (!isBv()) throw Error("getBvWidth: " + describe(*this) + " is no bit-vector sort");
    return code_;
}

const detail::SolverState& Sort::partsOwner(bool array, const char* what) const {
    if (array ? !isArray() : !isFunction())
        throw Error(std::string(what) + ": " + describe(*this) + " is no " + (array ? "array" : "function") + " sort");
    return *owner_;
}

Sort Sort::getArrayIndexSort() const {
    const detail::SolverState& s = partsOwner(true, "getArrayIndexSort");
    return s.sort(s.store.compound(code_).domain[0]);
}

Sort Sort::getArrayElementSort() const {
    const detail::SolverState& s = partsOwner(true, "getArrayElementSort");
    return s.sort(s.store.compound(code_).codomain);
}

std::vector<Sort> Sort::getFunctionDomainSorts() const {
    const detail::SolverState& s = partsOwner(false, "getFunctionDomainSorts");
    std::vector<Sort> domain;
    for (tk::Sort d : s.store.compound(code_).domain) domain.push_back(s.sort(d));
    return domain;
}

Sort Sort::getFunctionCodomainSort() const {
    const detail::SolverState& s = partsOwner(false, "getFunctionCodomainSort");
    return s.sort(s.store.compound(code_).codomain);
}

std::string Sort::toString() const {
    if (isNull()) return "null";
    return owner_ != nullptr ? owner_->store.sortName(code_) : tk::sortText(code_);
}

// ---------------------------------------------------------------- terms

namespace {
const tk::TermStore& storeOf(detail::SolverState* state) {
    if (state == nullptr) throw Error("the null term has no properties");
    return state->store;
}
}  // namespace

Kind Term::getKind() const { return static_cast<Kind>(storeOf(state_).kind(id_)); }

Sort Term::getSort() const {
    tk::Sort code = storeOf(state_).sort(id_);
    return state_->sort(code);
}

size_t Term::getNumChildren() const { return storeOf(state_).numArgs(id_); }

Term Term::operator[](size_t i) const {
    if (i >= getNumChildren())
        throw Error("the term has " + std::to_string(getNumChildren()) + " operands, not " + std::to_string(i + 1));
    return Term(state_, storeOf(state_).arg(id_, static_cast<uint32_t>(i)));
}

std::vector<Term> Term::getChildren() const {
    std::vector<Term> children;
    for (size_t i = 0; i < getNumChildren(); i++) children.push_back((*this)[i]);
    return children;
}

std::vector<uint32_t> Term::getIndices() const {
    const tk::TermStore& store = storeOf(state_);
    std::vector<uint32_t> indices;
    if (store.kind(id_) == tk::Kind::ConstArray) return indices;  // its sort is the term's
    for (uint32_t i = 0; i < store.numIndices(id_); i++) indices.push_back(store.index(id_, i));
    return indices;
}

std::string Term::getSymbol() const {
    if (getKind() != Kind::VARIABLE) throw Error("getSymbol: the term is no constant made by mkConst");
    return storeOf(state_).name(id_);
}

bool Term::getBooleanValue() const {
    if (getKind() != Kind::CONSTANT || !getSort().isBool()) throw Error("getBooleanValue: the term is no Boolean value");
    return storeOf(state_).value(id_) != 0;
}

std::string Term::getBvValue(uint32_t base) const {
    if (getKind() != Kind::CONSTANT || !getSort().isBv()) throw Error("getBvValue: the term is no bit-vector value");
    return digitsOf(storeOf(state_).value(id_), base);
}

std::string Term::toString() const { return isNull() ? "null" : tk::toSmt2(state_->store, id_); }

bool Term::operator<(const Term& other) const {
    if (state_ != other.state_) return std::less<const void*>()(state_, other.state_);
    return id_ < other.id_;
}

std::ostream& operator<<(std::ostream& out, const Term& term) { return out << term.toString(); }
std::ostream& operator<<(std::ostream& out, const Sort& sort) { return out << sort.toString(); }
std::ostream& operator<<(std::ostream& out, Result result) { return out << resultName(result); }
std::ostream& operator<<(std::ostream& out, Kind kind) { return out << kindName(kind); }

// ---------------------------------------------------------------- the solver

Solver::Solver() : state_(std::make_unique<detail::SolverState>()) {}
Solver::~Solver() = default;
Solver::Solver(Solver&&) noexcept = default;
Solver& Solver::operator=(Solver&&) noexcept = default;

namespace {
detail::SolverState& live(const std::unique_ptr<detail::SolverState>& state) {
    if (!state) throw Error("the solver was moved from");
    return *state;
}
}  // namespace

Sort Solver::mkBoolSort() const { return Sort(tk::kBool, nullptr); }

Sort Solver::mkBvSort(uint32_t width) const { return Sort(checkedWidth(width), nullptr); }

Sort Solver::mkArraySort(const Sort& index, const Sort& element) {
    detail::SolverState& s = live(state_);
    tk::Sort i = s.sortCode(index, "index sort"), e = s.sortCode(element, "element sort");
    return guarded([&] { return s.sort(s.store.mkArraySort(i, e)); });
}

Sort Solver::mkFunctionSort(const std::vector<Sort>& domain, const Sort& codomain) {
    detail::SolverState& s = live(state_);
    if (domain.empty()) throw Error("mkFunctionSort: a function takes at least one argument (use mkConst for a constant)");
    std::vector<tk::Sort> codes;
    for (const Sort& d : domain) codes.push_back(s.sortCode(d, "domain sort"));
    tk::Sort c = s.sortCode(codomain, "codomain sort");
    return guarded([&] { return s.sort(s.store.mkFunctionSort(codes, c)); });
}

Term Solver::mkTrue() { return mkBoolean(true); }
Term Solver::mkFalse() { return mkBoolean(false); }

Term Solver::mkBoolean(bool value) {
    detail::SolverState& s = live(state_);
    return s.term(s.store.mkBool(value));
}

Term Solver::mkBvValue(uint32_t width, uint64_t value) {
    detail::SolverState& s = live(state_);
    checkedWidth(width);
    mpz_class v = fromUint64(value);
    return guarded([&] { return s.term(s.store.mkConst(width, v)); });
}

Term Solver::mkBvValueInt64(uint32_t width, int64_t value) {
    detail::SolverState& s = live(state_);
    checkedWidth(width);
    bool fits = width >= 64 || (value >= -(int64_t{1} << (width - 1)) && value < (int64_t{1} << (width - 1)));
    if (!fits) throw Error("the value " + std::to_string(value) + " does not fit in " + tk::sortText(width) + " as a signed number");
    auto magnitude = static_cast<uint64_t>(value < 0 ? -(value + 1) : value);
    mpz_class v = fromUint64(magnitude);
    if (value < 0) {
        mpz_class modulus;
        mpz_ui_pow_ui(modulus.get_mpz_t(), 2, width);
        v = modulus - v - 1;
    }
    return guarded([&] { return s.term(s.store.mkConst(width, v)); });
}

Term Solver::mkBvValue(uint32_t width, const std::string& digits, uint32_t base) {
    detail::SolverState& s = live(state_);
    checkedWidth(width);
    mpz_class v = parseDigits(digits, base);
    return guarded([&] { return s.term(s.store.mkConst(width, v)); });
}

Term Solver::mkBvZero(uint32_t width) { return mkBvValue(width, uint64_t{0}); }
Term Solver::mkBvOne(uint32_t width) { return mkBvValue(width, uint64_t{1}); }

Term Solver::mkConst(Sort sort, const std::string& symbol) {
    detail::SolverState& s = live(state_);
    if (sort.isNull()) throw Error("mkConst: the null sort");
    tk::Sort code = s.sortCode(sort);
    return guarded([&] { return s.term(s.store.mkVar(code, symbol)); });
}

Term Solver::mkConstArray(const Sort& arraySort, const Term& value) {
    detail::SolverState& s = live(state_);
    tk::Sort code = s.sortCode(arraySort, "array sort");
    TermId v = s.id(value, "element");
    if (!s.store.isArraySort(code)) throw Error("mkConstArray: " + arraySort.toString() + " is no array sort");
    return guarded([&] { return s.term(s.store.mk(tk::Kind::ConstArray, {v}, {code})); });
}

Term Solver::getTermById(uint64_t id) const {
    detail::SolverState& s = live(state_);
    if (id >= s.store.size()) throw Error("no term of this solver has the id " + std::to_string(id));
    return s.term(static_cast<TermId>(id));
}

Term Solver::mkTerm(Kind kind, const std::vector<Term>& args, const std::vector<uint32_t>& indices) {
    detail::SolverState& s = live(state_);
    if (kind == Kind::CONSTANT || kind == Kind::VARIABLE)
        throw Error("mkTerm cannot make a value or a constant: use mkBvValue or mkConst");
    if (kind == Kind::CONST_ARRAY) throw Error("mkTerm cannot make a constant array: use mkConstArray");
    tk::Kind k = internalKind(kind);
    constexpr size_t kInline = 8;
    TermId inlineIds[kInline];
    std::vector<TermId> heapIds;
    TermId* ids = inlineIds;
    if (args.size() > kInline) {
        heapIds.resize(args.size());
        ids = heapIds.data();
    }
    for (size_t i = 0; i < args.size(); i++) ids[i] = s.id(args[i]);
    return guarded([&] { return s.term(s.store.mk(k, ids, args.size(), indices.data(), indices.size())); });
}

namespace {
// Operator applications of one or two operands without building vectors.
Term apply(detail::SolverState& s, tk::Kind kind, std::initializer_list<Term> args,
           std::initializer_list<uint32_t> indices = {}) {
    TermId ids[3];
    size_t n = 0;
    for (const Term& t : args) ids[n++] = s.id(t);
    return guarded([&] { return s.term(s.store.mk(kind, ids, n, indices.begin(), indices.size())); });
}
}  // namespace

Term Solver::mkNot(const Term& a) { return apply(live(state_), tk::Kind::Not, {a}); }
Term Solver::mkAnd(const Term& a, const Term& b) { return apply(live(state_), tk::Kind::And, {a, b}); }
Term Solver::mkOr(const Term& a, const Term& b) { return apply(live(state_), tk::Kind::Or, {a, b}); }
Term Solver::mkXor(const Term& a, const Term& b) { return apply(live(state_), tk::Kind::Xor, {a, b}); }
Term Solver::mkImplies(const Term& a, const Term& b) { return apply(live(state_), tk::Kind::Implies, {a, b}); }
Term Solver::mkEqual(const Term& a, const Term& b) { return apply(live(state_), tk::Kind::Equal, {a, b}); }
Term Solver::mkDistinct(const Term& a, const Term& b) { return apply(live(state_), tk::Kind::Distinct, {a, b}); }
Term Solver::mkIte(const Term& c, const Term& t, const Term& e) { return apply(live(state_), tk::Kind::Ite, {c, t, e}); }
Term Solver::mkExtract(uint32_t hi, uint32_t lo, const Term& a) {
    return apply(live(state_), tk::Kind::Extract, {a}, {hi, lo});
}
Term Solver::mkConcat(const Term& high, const Term& low) { return apply(live(state_), tk::Kind::Concat, {high, low}); }
Term Solver::mkZeroExtend(uint32_t k, const Term& a) { return apply(live(state_), tk::Kind::ZeroExtend, {a}, {k}); }
Term Solver::mkSignExtend(uint32_t k, const Term& a) { return apply(live(state_), tk::Kind::SignExtend, {a}, {k}); }
Term Solver::mkRepeat(uint32_t k, const Term& a) { return apply(live(state_), tk::Kind::Repeat, {a}, {k}); }
Term Solver::mkRotateLeft(uint32_t k, const Term& a) { return apply(live(state_), tk::Kind::RotateLeft, {a}, {k}); }
Term Solver::mkRotateRight(uint32_t k, const Term& a) { return apply(live(state_), tk::Kind::RotateRight, {a}, {k}); }
Term Solver::mkBvNot(const Term& a) { return apply(live(state_), tk::Kind::BvNot, {a}); }
Term Solver::mkBvNeg(const Term& a) { return apply(live(state_), tk::Kind::BvNeg, {a}); }

#define TORVA_BINARY(name, kind) \
    Term Solver::name(const Term& a, const Term& b) { return apply(live(state_), tk::Kind::kind, {a, b}); }
TORVA_BINARY(mkBvAnd, BvAnd)
TORVA_BINARY(mkBvOr, BvOr)
TORVA_BINARY(mkBvXor, BvXor)
TORVA_BINARY(mkBvAdd, BvAdd)
TORVA_BINARY(mkBvSub, BvSub)
TORVA_BINARY(mkBvMul, BvMul)
TORVA_BINARY(mkBvUdiv, BvUdiv)
TORVA_BINARY(mkBvUrem, BvUrem)
TORVA_BINARY(mkBvSdiv, BvSdiv)
TORVA_BINARY(mkBvSrem, BvSrem)
TORVA_BINARY(mkBvSmod, BvSmod)
TORVA_BINARY(mkBvShl, BvShl)
TORVA_BINARY(mkBvLshr, BvLshr)
TORVA_BINARY(mkBvAshr, BvAshr)
TORVA_BINARY(mkBvUlt, BvUlt)
TORVA_BINARY(mkBvUle, BvUle)
TORVA_BINARY(mkBvUgt, BvUgt)
TORVA_BINARY(mkBvUge, BvUge)
TORVA_BINARY(mkBvSlt, BvSlt)
TORVA_BINARY(mkBvSle, BvSle)
TORVA_BINARY(mkBvSgt, BvSgt)
TORVA_BINARY(mkBvSge, BvSge)
#undef TORVA_BINARY

Term Solver::mkSelect(const Term& array, const Term& index) { return apply(live(state_), tk::Kind::Select, {array, index}); }
Term Solver::mkStore(const Term& array, const Term& index, const Term& element) {
    return apply(live(state_), tk::Kind::Store, {array, index, element});
}
Term Solver::mkApply(const Term& function, const std::vector<Term>& args) {
    std::vector<Term> operands{function};
    operands.insert(operands.end(), args.begin(), args.end());
    return mkTerm(Kind::APPLY, operands);
}

// ---------------------------------------------------------------- assertions

void Solver::assertFormula(const Term& formula) {
    detail::SolverState& s = live(state_);
    TermId t = s.id(formula, "assertion");
    if (!s.store.isBool(t)) throw Error("assertFormula expects a Boolean term, got " + tk::sortText(s.store.sort(t)));
    s.invalidate();
    s.assertions.push_back(t);
}

void Solver::push(uint32_t levels) {
    detail::SolverState& s = live(state_);
    s.invalidate();
    s.scopes.insert(s.scopes.end(), levels, s.assertions.size());
}

void Solver::pop(uint32_t levels) {
    detail::SolverState& s = live(state_);
    if (levels > s.scopes.size())
        throw Error("pop " + std::to_string(levels) + " goes below the base level (the scope level is " +
                    std::to_string(s.scopes.size()) + ")");
    if (levels == 0) return;
    s.invalidate();
    s.assertions.resize(s.scopes[s.scopes.size() - levels]);
    s.scopes.resize(s.scopes.size() - levels);
}

uint32_t Solver::getScopeLevel() const { return static_cast<uint32_t>(live(state_).scopes.size()); }

std::vector<Term> Solver::getAssertions() const {
    detail::SolverState& s = live(state_);
    return s.terms(s.assertions);
}

void Solver::resetAssertions() {
    detail::SolverState& s = live(state_);
    s.invalidate();
    s.assertions.clear();
    s.scopes.clear();
    s.generation++;
}

// ---------------------------------------------------------------- checks

Result Solver::checkSat() { return live(state_).check({}); }

Result Solver::checkSat(const std::vector<Term>& assumptions) {
    detail::SolverState& s = live(state_);
    std::vector<TermId> ids;
    for (const Term& a : assumptions) {
        TermId t = s.id(a, "assumption");
        if (!s.store.isBool(t)) throw Error("an assumption must be a Boolean term, got " + tk::sortText(s.store.sort(t)));
        ids.push_back(t);
    }
    return s.check(ids);
}

std::string Solver::getReasonUnknown() const {
    const detail::SolverState& s = live(state_);
    if (!s.checked || s.last != Result::Unknown) throw Error("getReasonUnknown: the last check did not answer unknown");
    return s.reasonUnknown;
}

namespace {
// The term of a model query, once a model is there.
TermId modelTerm(detail::SolverState& s, const Term& term, const char* what) {
    TermId t = s.id(term, "term");
    if (!s.checked || s.last != Result::Sat || !s.model)
        throw Error(std::string(what) + ": there is no model (the last check did not answer sat, or the assertions changed since)");
    return t;
}

// The value of a Boolean or bit-vector term.
const mpz_class& modelValue(detail::SolverState& s, const Term& term, const char* what) {
    TermId t = modelTerm(s, term, what);
    if (tk::isCompoundSort(s.store.sort(t)))
        throw Error(std::string(what) + ": the term is an array or a function; getValue or getValueString gives its value");
    return s.model->value(t);
}

TermId valueTerm(tk::TermStore& store, tk::Sort sort, const tk::Element& element);

// Stores in index order over the constant array of the fallback.
TermId arrayTerm(tk::TermStore& store, tk::Sort arraySort, const tk::TableValue& table) {
    const tk::CompoundSort& parts = store.compound(arraySort);
    TermId array = store.mk(tk::Kind::ConstArray, {valueTerm(store, parts.codomain, table.fallback)}, {arraySort});
    for (const auto& [key, element] : table.entries)
        array = store.mk(tk::Kind::Store, {array, store.mkConst(parts.domain[0], key[0]), valueTerm(store, parts.codomain, element)});
    return array;
}

TermId valueTerm(tk::TermStore& store, tk::Sort sort, const tk::Element& element) {
    return store.isArraySort(sort) ? arrayTerm(store, sort, element.asTable()) : store.mkConst(sort, element.number);
}

// (lambda ((x!1 S1) ...) body) of a function value.
std::string functionText(const tk::TermStore& store, tk::Sort sort, const tk::TableValue& table) {
    const tk::CompoundSort& parts = store.compound(sort);
    std::vector<std::string> parameters;
    std::string list;
    for (size_t i = 0; i < parts.domain.size(); i++) {
        parameters.push_back("x!" + std::to_string(i + 1));
        list += std::string(i ? " " : "") + "(" + parameters.back() + " " + store.sortName(parts.domain[i]) + ")";
    }
    return "(lambda (" + list + ") " + tk::formatFunctionBody(store, sort, table, parameters) + ")";
}
}  // namespace

Term Solver::getValue(const Term& term) {
    detail::SolverState& s = live(state_);
    TermId t = modelTerm(s, term, "getValue");
    tk::Sort sort = s.store.sort(t);
    if (s.store.isFunctionSort(sort))
        throw Error("getValue: a function has no value term; getValueString gives it, getValue of an application its value at a point");
    if (s.store.isArraySort(sort)) {
        tk::TableValue table = s.model->table(t);
        return guarded([&] { return s.term(arrayTerm(s.store, sort, table)); });
    }
    mpz_class v = s.model->value(t);
    return guarded([&] { return s.term(s.store.mkConst(sort, v)); });
}

std::vector<Term> Solver::getValue(const std::vector<Term>& terms) {
    detail::SolverState& s = live(state_);
    for (const Term& t : terms) {
        TermId id = modelTerm(s, t, "getValue");
        if (s.store.isFunctionSort(s.store.sort(id))) throw Error("getValue: a function has no value term");
    }
    std::vector<Term> values;
    for (const Term& t : terms) values.push_back(getValue(t));
    return values;
}

std::string Solver::getValueString(const Term& term) {
    detail::SolverState& s = live(state_);
    TermId t = modelTerm(s, term, "getValueString");
    tk::Sort sort = s.store.sort(t);
    if (s.store.isArraySort(sort)) return tk::formatArray(s.store, sort, s.model->table(t));
    if (s.store.isFunctionSort(sort)) return functionText(s.store, sort, s.model->table(t));
    return tk::formatValue(sort, s.model->value(t));
}

uint64_t Solver::getValueUint64(const Term& term) {
    detail::SolverState& s = live(state_);
    const mpz_class& v = modelValue(s, term, "getValueUint64");
    if (mpz_sizeinbase(v.get_mpz_t(), 2) > 64) throw Error("getValueUint64: the value does not fit in 64 bits");
    uint64_t result = 0;
    mpz_export(&result, nullptr, -1, sizeof result, 0, 0, v.get_mpz_t());
    return result;
}

std::string Solver::getValueDigits(const Term& term, uint32_t base) {
    detail::SolverState& s = live(state_);
    return digitsOf(modelValue(s, term, "getValueDigits"), base);
}

namespace {
void requireUnsat(const detail::SolverState& s, const char* what) {
    if (!s.checked || s.last != Result::Unsat)
        throw Error(std::string(what) + ": the last check did not answer unsat, or the assertions changed since");
}
}  // namespace

std::vector<Term> Solver::getUnsatAssumptions() const {
    detail::SolverState& s = live(state_);
    requireUnsat(s, "getUnsatAssumptions");
    return s.terms(s.unsatAssumptions);
}

std::vector<Term> Solver::getUnsatCore() const {
    detail::SolverState& s = live(state_);
    requireUnsat(s, "getUnsatCore");
    return s.terms(s.coreAssertions);
}

// ---------------------------------------------------------------- options

void Solver::setOption(const std::string& key, const std::string& value) {
    detail::SolverState& s = live(state_);
    if (key == "preset") {
        Preset preset;
        if (!presetByName(value, preset))
            throw Error("unknown preset '" + value + "' (the presets: " + presetNames() + ")");
        s.config = presetConfig(preset);
        s.preset = value;
        s.simplify = s.config.choice.simplify;
    } else if (key == "simplify") {
        s.simplify = parseBool(key, value);
    } else if (key == "incremental") {
        s.incremental = parseBool(key, value);
    } else if (key == "produce-unsat-cores") {
        bool produce = parseBool(key, value);
        // Cores make the base-level assertions withdrawable, which a query
        // may do only under a new generation.
        if (produce != s.produceCores) s.generation++;
        s.produceCores = produce;
        return;
    } else {
        std::string error;
        RunConfig changed = s.config;
        if (!applySetting(changed, key + "=" + value, error)) throw Error(error);
        s.config = changed;
    }
    s.dropEngine();
    s.context.setConfig(s.config);
}

std::string Solver::getOption(const std::string& key) const {
    const detail::SolverState& s = live(state_);
    if (key == "preset") return s.preset;
    if (key == "simplify") return boolText(s.simplify);
    if (key == "incremental") return boolText(s.incremental);
    if (key == "produce-unsat-cores") return boolText(s.produceCores);
    const Setting* setting = findSetting(key);
    if (setting == nullptr) throw Error("unknown option '" + key + "' (torva --list-settings shows the keys)");
    return formatSettingValue(*setting, setting->get(s.config));
}

void Solver::setTimeLimit(double seconds) {
    if (!(seconds >= 0) || seconds > 1e9) throw Error("a time limit must be a number of seconds from 0 to 1e9");
    live(state_).timeLimit = seconds;
}

void Solver::setConflictLimit(uint64_t conflicts) { live(state_).conflictLimit = conflicts; }

void Solver::setTerminateCallback(std::function<bool()> callback) { live(state_).terminate = std::move(callback); }

std::map<std::string, std::string> Solver::getStatistics() const {
    const detail::SolverState& s = live(state_);
    ClausalSession::Size held = s.session ? s.session->size() : ClausalSession::Size();
    auto seconds = [](double t) {
        std::ostringstream out;
        out << t;
        return out.str();
    };
    return {
        {"checks", std::to_string(s.checks)},
        {"checks sat", std::to_string(s.sats)},
        {"checks unsat", std::to_string(s.unsats)},
        {"checks unknown", std::to_string(s.unknowns)},
        {"terms", std::to_string(s.store.size())},
        {"term graph bytes", std::to_string(s.store.memoryBytes())},
        {"assertions", std::to_string(s.assertions.size())},
        {"scope level", std::to_string(s.scopes.size())},
        {"last check conflicts", std::to_string(s.conflicts)},
        {"last check decisions", std::to_string(s.decisions)},
        {"last check propagations", std::to_string(s.propagations)},
        {"last check seconds", seconds(s.lastSeconds)},
        {"total check seconds", seconds(s.totalSeconds)},
        {"sat variables", std::to_string(held.variables)},
        {"sat clauses", std::to_string(held.clauses)},
        {"sat gates", std::to_string(held.gates)},
        {"sat conflicts", std::to_string(held.conflicts)},
        {"peak memory bytes", std::to_string(peakMemoryBytes())},
    };
}

namespace testing {
// Makes the next model check of the calling thread fail, so that tests of
// the library see a wrong model answered by an Error (not part of the
// installed interface).
TORVA_EXPORT void failNextModelCheck() { torva::failNextModelCheck(); }
}  // namespace testing

}  // namespace torva
