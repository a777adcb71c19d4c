// Arrays and uninterpreted functions by lemmas on demand, around any
// incremental bit-vector check. Every select, every application and every
// equality between arrays is replaced by a fresh variable (its proxy); the
// bit-vector check decides that abstraction; a satisfiable answer is then
// checked against the theories: each read is carried through stores, ites
// and true equalities to the arrays below and beside it, and two reads of one
// array at equal indices with different values, a read that disagrees with
// the store or the constant array it reaches, two applications with equal
// arguments and different results, and a false equality without a witness
// index each give a lemma. The lemmas are valid, so they stay in every scope;
// the abstraction is solved again with them, on the same incremental solver,
// until no lemma is violated. The model is then completed with a table per
// array and function and checked against the input as written.
//
// Invariants: proxies, witnesses and lemmas are made once per term and kept
// for the session; every walk runs in id order, so the lemmas, their order
// and the model are the same on every run.
#pragma once

#include <gmpxx.h>

#include <functional>
#include <map>
#include <optional>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "terms/evaluator.h"
#include "terms/model.h"
#include "terms/term_store.h"

namespace torva {

class TheorySolve {
public:
    using BitVectorCheck = std::function<terms::CheckOutcome(terms::TermStore&, const terms::CheckQuery&)>;

    // The query decided through `decide`, which receives only Boolean and
    // bit-vector terms.
    terms::CheckOutcome check(terms::TermStore& store, const terms::CheckQuery& query, const BitVectorCheck& decide);
    // Forgets the session (after a store is replaced).
    void reset();

private:
    using TermId = terms::TermId;
    // A read of an array: its element (abstracted) and that element's value.
    struct Access {
        TermId element;
        mpz_class elementValue;
    };
    // An access as it arrived at an array: at these indices (abstracted,
    // outermost first, one per level of the array's nesting), and the atoms
    // that carried it there.
    struct Arrival {
        size_t access;
        std::vector<TermId> indices;
        terms::TableValue::Key indexValues;
        std::vector<TermId> path;
    };

    // Abstraction (theory_solve.cc).
    TermId abstracted(TermId t);
    void abstractNode(TermId t);
    TermId proxyFor(TermId t);
    void registerArray(TermId array);
    void syncPermanent(const terms::CheckQuery& query);
    void addLemma(TermId lemma);
    void collectLive(const terms::CheckQuery& query);
    std::vector<TermId> arrayEqualityPairs(TermId t);
    void mapCore(const terms::CheckOutcome& inner, size_t scopedInnerStart, terms::CheckOutcome& outcome) const;

    // The check of a candidate model (theory_check.cc).
    bool findLemmas(terms::Evaluator& values);
    void propagate(Arrival start, TermId array, terms::Evaluator& values);
    bool arrive(const Arrival& arrival, TermId array);
    void carryDown(const Arrival& arrival, TermId x, terms::Evaluator& values, std::vector<std::pair<TermId, Arrival>>& queue);
    void carryUp(const Arrival& arrival, TermId x, terms::Evaluator& values, std::vector<std::pair<TermId, Arrival>>& queue);
    std::optional<terms::Element> tiedDefault(TermId array, terms::Evaluator& values);
    void tieRows(TermId array, terms::TableValue& table, terms::Evaluator& values);
    static Arrival withAtom(const Arrival& a, TermId atom);
    static Arrival innerOf(const Arrival& a);
    static Arrival outerOf(const Arrival& a, TermId index, const mpz_class& value);
    void addCongruence(const Arrival& a, const Arrival& b);
    void addReadOverWrite(const Arrival& a, TermId element, const std::vector<TermId>& extra);
    void checkApplications(terms::Evaluator& values);
    void addWitnesses(terms::Evaluator& values);
    terms::Model completeModel(const terms::Model& inner, terms::Evaluator& values);
    bool repairEqualities(terms::Evaluator& values, terms::Evaluator& model);
    TermId equal(TermId a, TermId b);
    TermId implication(const std::vector<TermId>& premises, TermId conclusion);

    terms::TermStore* store_ = nullptr;
    uint64_t generation_ = 0;
    bool started_ = false;

    // Abstraction: original term -> its Boolean or bit-vector stand-in.
    std::unordered_map<TermId, TermId> abstraction_;
    std::unordered_set<TermId> madeVariables_;
    // Selects that provably read another term, and that term.
    std::unordered_map<TermId, TermId> readsThrough_;
    // Array node -> the nodes directly above it: stores over it or holding
    // it, ites choosing it, equalities with it, selects of its elements.
    std::unordered_set<TermId> registeredArrays_;
    std::unordered_map<TermId, std::vector<TermId>> parents_;
    // Array equality -> the equalities of reads made to tell its sides apart
    // or alike.
    std::unordered_map<TermId, std::vector<TermId>> witnesses_;
    std::unordered_set<TermId> witnessed_;

    // The inner session's permanent assertions: the user's permanent ones,
    // abstracted, and the lemmas, in the order they came.
    std::vector<TermId> innerPermanent_;
    std::vector<size_t> innerOrigin_;  // user position, or kLemma
    static constexpr size_t kLemma = ~size_t(0);
    size_t userPermanentSeen_ = 0;
    uint64_t innerGeneration_ = 0;
    std::vector<TermId> lemmas_;
    std::unordered_set<TermId> lemmaSet_;

    // What the present check reaches, in id order.
    std::vector<TermId> liveSelects_, liveApplies_, liveEqualities_, liveStores_;
    std::unordered_set<TermId> activeArrays_, liveEqualitySet_;
    // Per check: the accesses, what arrived at each array, lemmas found.
    std::vector<Access> accesses_;
    std::unordered_map<TermId, std::map<terms::TableValue::Key, Arrival>> arrivals_;
    bool stopped_ = false;  // the access in flight met a conflict
    size_t lemmasThisRound_ = 0;
};

}  // namespace torva
