// The checks of one session on CaDiCaL through the compact bit-blaster: every
// assertion and assumption is first brought into the rewriter's normal form
// (equivalence-preserving, so sound in every scope, and remembered for the
// session, so a term is rewritten once), then blasted onto literals once and
// for all; permanent assertions become unit clauses, the others and the
// assumptions are assumed for the check alone, so a pop only stops assuming
// them. A permanent assertion that fixes a variable (x = c, a Boolean
// variable or its negation) replaces that variable by its value in every
// term rewritten later in the generation; a scoped assertion or assumption
// that fixes one does the same in the other items of its check only, so a
// pop undoes it. The fact itself stays asserted, so the variable keeps its
// bits and its model value. With abstractWidth set, wide multiplications,
// quotients and remainders are abstracted and a satisfiable search is
// refined until the variables' values satisfy the live assertions; the
// lemmas are valid, so they stay in every scope.
//
// Per check, work follows the change: new terms are rewritten and blasted,
// the model is read from the bits of the blasted variables only, and the
// evaluator that checks it lives for the session. Memory follows the live
// problem: encodings of popped terms stay in CaDiCaL until the circuit holds
// more than twice what the live problem needed, when a new circuit is made
// from the live assertions alone (learnt clauses go with the old one). The model is checked
// against every live assertion and assumption as written.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "engine/graph_solve.h"
#include "terms/model.h"

namespace torva {

struct Circuit;

class ClausalSession {
public:
    // A circuit with more gates than rebuildFloor and than twice what its
    // first check needed is retired and made anew.
    explicit ClausalSession(GraphSolveOptions options, uint64_t rebuildFloor = kRebuildFloor);
    static constexpr uint64_t kRebuildFloor = 200'000;
    ~ClausalSession();
    ClausalSession(const ClausalSession&) = delete;
    ClausalSession& operator=(const ClausalSession&) = delete;

    terms::CheckOutcome check(terms::TermStore& store, const terms::CheckQuery& query);
    // Drops everything; the next check starts from nothing.
    void reset();
    void setLimits(uint64_t conflictLimit, std::function<bool()> interrupt);

    // Sizes of what the session holds now (zero before the first check).
    struct Size {
        uint64_t variables = 0, clauses = 0, gates = 0;
        uint64_t conflicts = 0;  // of all checks so far
    };
    Size size() const;

private:
    struct State;
    static constexpr terms::TermId kNone = ~terms::TermId(0);
    // A scoped assertion or an assumption of one check.
    struct Item {
        terms::TermId term;    // as asserted
        terms::TermId normal;  // its normal form, with the check's facts replaced
        bool assumption;       // an assumption rather than a scoped assertion
        size_t position;       // among the check's scoped assertions or its assumptions
        terms::TermId fixes = kNone;  // the variable it fixes for the other items
        bool substituted = false;     // a fact of the check changed it
        int literal = 0;
    };
    void start(terms::TermStore& store, uint64_t generation);
    // A circuit that abstracts as the options say.
    std::unique_ptr<Circuit> makeCircuit(terms::TermStore& store) const;
    void retireOutgrownCircuit();
    void assertPermanent(terms::TermId assertion);
    void learnFixedValue(terms::TermId normal);
    std::vector<Item> normalItems(const terms::CheckQuery& query);
    static std::vector<terms::TermId> liveRoots(const terms::CheckQuery& query);
    std::vector<terms::TermId> liveNormals(const std::vector<Item>& items) const;
    void nameCore(const std::vector<Item>& items, size_t firstAssertion, terms::CheckOutcome& outcome);

    GraphSolveOptions options_;
    uint64_t rebuildFloor_;
    std::unique_ptr<State> state_;
};

}  // namespace torva
