// The clausal session. Invariants: the state describes one store and one
// generation; the circuit (CaDiCaL, the gates and the blaster, made and
// dropped together) holds the permanent assertions up to permanentDone and
// the values of the fixed variables; a replacement of the generation is
// only ever a variable by a constant, learnt from a permanent assertion, so
// the replacements hold in every scope of the generation and never form a
// cycle.
#include "engine/clausal_session.h"

#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "engine/circuit.h"
#include "engine/encoding_size.h"
#include "simplify/rewriter.h"
#include "terms/evaluator.h"

namespace torva {

using terms::CheckOutcome;
using terms::CheckQuery;
using terms::Kind;
using terms::TermId;

struct ClausalSession::State {
    State(terms::TermStore& store, uint64_t generation, const simplify::SimplifySettings* simplify,
          std::unique_ptr<Circuit> circuit)
        : store(store), generation(generation), circuit(std::move(circuit)), evaluator(store) {
        if (simplify) rewriter = std::make_unique<simplify::Rewriter>(store, simplify->rewrite);
    }

    terms::TermStore& store;
    uint64_t generation;
    std::unique_ptr<Circuit> circuit;
    uint64_t liveGates = 0;         // the gates of the circuit's first check: what the live problem needed
    uint64_t earlierConflicts = 0;  // of the circuits made before this one
    terms::Evaluator evaluator;
    std::unique_ptr<simplify::Rewriter> rewriter;  // none without simplification
    std::unordered_map<TermId, TermId> fixed;      // variables fixed by permanent assertions
    std::vector<TermId> permanentNormals;          // blasted for the permanent assertions of this circuit
    size_t permanentDone = 0;
};

ClausalSession::ClausalSession(GraphSolveOptions options, uint64_t rebuildFloor)
    : options_(std::move(options)), rebuildFloor_(rebuildFloor) {}

ClausalSession::~ClausalSession() = default;

void ClausalSession::reset() { state_.reset(); }

void ClausalSession::setLimits(uint64_t conflictLimit, std::function<bool()> interrupt) {
    options_.conflictLimit = conflictLimit;
    options_.interrupt = std::move(interrupt);
}

ClausalSession::Size ClausalSession::size() const {
    Size s;
    if (!state_) return s;
    const Circuit& c = *state_->circuit;
    s.variables = static_cast<uint64_t>(c.backend.vars());
    s.clauses = static_cast<uint64_t>(c.backend.clauses());
    s.gates = c.gates.stats().gates;
    s.conflicts = state_->earlierConflicts + c.backend.conflicts();
    return s;
}

void ClausalSession::start(terms::TermStore& store, uint64_t generation) {
    state_ = std::make_unique<State>(store, generation, options_.simplify, makeCircuit(store));
}

std::unique_ptr<Circuit> ClausalSession::makeCircuit(terms::TermStore& store) const {
    auto circuit = std::make_unique<Circuit>(store);
    circuit->abstractFrom(options_.abstractWidth, memoryBudgetBytes(options_.memoryLimitMB));
    return circuit;
}

// A circuit that holds more than twice what the live problem needed (and
// more than the floor) is retired: a new one gets the fixed variables'
// values and the permanent assertions (rewritten with every fact, which
// all hold together), and the rest is blasted again as checks ask for it.
void ClausalSession::retireOutgrownCircuit() {
    State& st = *state_;
    uint64_t gates = st.circuit->gates.stats().gates;
    if (gates <= rebuildFloor_ || gates <= 2 * st.liveGates) return;
    st.earlierConflicts += st.circuit->backend.conflicts();
    st.circuit = makeCircuit(st.store);
    st.liveGates = 0;
    st.permanentNormals.clear();
    for (const auto& [variable, value] : st.fixed) {
        const std::vector<int>& bits = st.circuit->blaster.bits(variable);
        const mpz_class& v = st.store.value(value);
        for (size_t i = 0; i < bits.size(); i++) {
            int unit = mpz_tstbit(v.get_mpz_t(), i) ? bits[i] : -bits[i];
            st.circuit->backend.addClause(&unit, 1);
        }
    }
    st.permanentDone = 0;
}

void ClausalSession::assertPermanent(TermId assertion) {
    TermId normal = state_->rewriter ? state_->rewriter->rewrite(assertion) : assertion;
    state_->circuit->assertTrue(normal);
    state_->permanentNormals.push_back(normal);
    if (state_->rewriter) learnFixedValue(normal);
}

namespace {
// x = c, x and (not x) fix the variable x: the variable and its value.
bool factOf(terms::TermStore& s, TermId normal, std::pair<TermId, TermId>& fact) {
    auto isVariable = [&](TermId t) { return s.kind(t) == Kind::Variable; };
    if (isVariable(normal)) {
        fact = {normal, s.mkBool(true)};
        return true;
    }
    if (s.kind(normal) == Kind::Not && isVariable(s.arg(normal, 0))) {
        fact = {s.arg(normal, 0), s.mkBool(false)};
        return true;
    }
    if (s.kind(normal) != Kind::Equal || s.numArgs(normal) != 2) return false;
    TermId a = s.arg(normal, 0), b = s.arg(normal, 1);
    if (isVariable(b) && s.kind(a) == Kind::Const) std::swap(a, b);
    if (!isVariable(a) || s.kind(b) != Kind::Const) return false;
    fact = {a, b};
    return true;
}
}  // namespace

void ClausalSession::learnFixedValue(TermId normal) {
    std::pair<TermId, TermId> fact;
    if (!factOf(state_->store, normal, fact) || !state_->fixed.insert(fact).second) return;
    state_->rewriter->setReplacements(state_->fixed);
}

// The check's own items (scoped assertions, then assumptions) in normal
// form. The facts among them fix their variables in the other items of
// this check alone: the replacements are set for the check and taken back
// after it, so nothing learnt in a scope outlives it.
std::vector<ClausalSession::Item> ClausalSession::normalItems(const CheckQuery& query) {
    std::vector<Item> items;
    auto add = [&](TermId t, bool assumption, size_t position) {
        TermId normal = state_->rewriter ? state_->rewriter->rewrite(t) : t;
        items.push_back({t, normal, assumption, position});
    };
    for (size_t i = query.permanent; i < query.assertions.size(); i++) add(query.assertions[i], false, i - query.permanent);
    for (size_t i = 0; i < query.assumptions.size(); i++) add(query.assumptions[i], true, i);
    if (!state_->rewriter) return items;
    std::unordered_map<TermId, TermId> replace = state_->fixed;
    std::pair<TermId, TermId> fact;
    for (Item& item : items)
        if (factOf(state_->store, item.normal, fact) && replace.insert(fact).second) item.fixes = fact.first;
    if (replace.size() == state_->fixed.size()) return items;
    state_->rewriter->setReplacements(std::move(replace));
    for (Item& item : items) {
        if (item.fixes != kNone) continue;
        TermId substituted = state_->rewriter->rewrite(item.term);
        item.substituted = substituted != item.normal;
        item.normal = substituted;
    }
    state_->rewriter->setReplacements(state_->fixed);
    return items;
}

namespace {
// The variables of the terms (a walk over what they reach, nothing more).
std::unordered_set<TermId> variablesOf(const terms::TermStore& store, std::vector<TermId> stack) {
    std::unordered_set<TermId> seen, variables;
    while (!stack.empty()) {
        TermId t = stack.back();
        stack.pop_back();
        if (!seen.insert(t).second) continue;
        if (store.kind(t) == Kind::Variable) variables.insert(t);
        for (uint32_t i = 0; i < store.numArgs(t); i++) stack.push_back(store.arg(t, i));
    }
    return variables;
}
}  // namespace

// The items whose assumptions the refutation used, and the facts whose
// variables occur in a used item that they changed.
void ClausalSession::nameCore(const std::vector<Item>& items, size_t firstAssertion, CheckOutcome& outcome) {
    std::vector<bool> inCore(items.size());
    std::vector<TermId> changed;
    for (size_t i = 0; i < items.size(); i++) {
        inCore[i] = state_->circuit->backend.failed(items[i].literal);
        if (inCore[i] && items[i].substituted) changed.push_back(items[i].term);
    }
    if (!changed.empty()) {
        std::unordered_set<TermId> variables = variablesOf(state_->store, changed);
        for (size_t i = 0; i < items.size(); i++)
            if (items[i].fixes != kNone && variables.count(items[i].fixes)) inCore[i] = true;
    }
    for (size_t i = 0; i < items.size(); i++) {
        if (!inCore[i]) continue;
        if (items[i].assumption)
            outcome.coreAssumptions.push_back(items[i].position);
        else
            outcome.coreAssertions.push_back(firstAssertion + items[i].position);
    }
}

std::vector<TermId> ClausalSession::liveRoots(const CheckQuery& query) {
    std::vector<TermId> roots(query.assertions);
    roots.insert(roots.end(), query.assumptions.begin(), query.assumptions.end());
    return roots;
}

std::vector<TermId> ClausalSession::liveNormals(const std::vector<Item>& items) const {
    std::vector<TermId> normals(state_->permanentNormals);
    for (const Item& item : items) normals.push_back(item.normal);
    return normals;
}

CheckOutcome ClausalSession::check(terms::TermStore& store, const CheckQuery& query) {
    if (!state_ || &state_->store != &store || state_->generation != query.generation ||
        query.permanent < state_->permanentDone)
        start(store, query.generation);
    retireOutgrownCircuit();
    State& st = *state_;
    Circuit& c = *st.circuit;
    for (; st.permanentDone < query.permanent; st.permanentDone++) assertPermanent(query.assertions[st.permanentDone]);
    std::vector<Item> items = normalItems(query);
    std::vector<int> assumed;
    for (Item& item : items) {
        item.literal = c.blaster.bits(item.normal)[0];
        if (!c.gates.isTrue(item.literal)) assumed.push_back(item.literal);
    }
    if (st.liveGates == 0) st.liveGates = c.gates.stats().gates;
    if (options_.beforeSolve) options_.beforeSolve();
    const RefinementGoals goals{[&query] { return liveRoots(query); }, [&] { return liveNormals(items); }};
    CheckOutcome outcome = c.solve(assumed, goals, options_.conflictLimit, options_.interrupt);
    if (outcome.answer == terms::Answer::Unknown) return outcome;
    if (outcome.answer == terms::Answer::Unsat) {
        nameCore(items, query.permanent, outcome);
        return outcome;
    }
    outcome.model = c.readModel();
    for (const auto& [variable, value] : outcome.model.values) st.evaluator.assign(variable, value);
    checkModel(st.evaluator, query.assertions);
    checkModel(st.evaluator, query.assumptions);
    return outcome;
}

}  // namespace torva
