// A circuit on CaDiCaL: the SAT back end, the gates that emit clauses
// straight into it, the word blaster over them and, when asked for, the
// abstraction of wide multiplications, quotients and remainders, made and
// dropped together. Invariant: every clause the gates emit goes to this back
// end and no other, so a blasted term's literals mean the same in every
// search of the circuit.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "cnf/gates.h"
#include "cnf/word_blaster.h"
#include "engine/abstraction.h"
#include "solver/cadical_engine.h"
#include "terms/model.h"

namespace torva {

// Variables and clauses of the gates go straight to CaDiCaL.
class BackendSink : public cnf::ClauseSink {
public:
    explicit BackendSink(CadicalBackend& backend) : backend_(backend) {}
    int newVar() override { return backend_.newVar(); }
    void addClause(const int* literals, size_t size) override { backend_.addClause(literals, size); }

private:
    CadicalBackend& backend_;
};

struct Circuit {
    explicit Circuit(terms::TermStore& store) : store(store), sink(backend), gates(sink), blaster(store, gates) {}
    Circuit(const Circuit&) = delete;
    Circuit& operator=(const Circuit&) = delete;

    // The Boolean term t holds: its literal becomes a unit clause.
    void assertTrue(terms::TermId t);
    // One search under the assumptions, within at most conflictLimit
    // conflicts (0: no limit) and until interrupt() asks to stop: the answer
    // (unknown with the reason "resourceout" or "interrupted" when a limit
    // stopped it), the conflicts of this search and what CaDiCaL holds. The
    // model and the core are left to the caller.
    terms::CheckOutcome search(const std::vector<int>& assumptions, uint64_t conflictLimit,
                               const std::function<bool()>& interrupt);
    // Multiplications, quotients and remainders at least minWidth bits wide
    // (0: none) are abstracted in every term blasted from now on; their
    // refinement builds circuits of at most budgetBytes together.
    void abstractFrom(uint32_t minWidth, uint64_t budgetBytes = ~uint64_t{0});
    // Searches as search() does; while the answer is sat, the variables'
    // values do not make every one of the goals' roots true and the
    // abstraction refines the terms below the blasted ones, searches again, within the same limits
    // overall. A refinement beyond the budget answers unknown ("memout").
    terms::CheckOutcome solve(const std::vector<int>& assumptions, const RefinementGoals& goals,
                              uint64_t conflictLimit, const std::function<bool()>& interrupt);
    // After a satisfiable search: the value of every variable blasted so
    // far, read from its bits alone.
    terms::Model readModel();
    // After a satisfiable search: the value of a blasted term's bits.
    mpz_class valueOf(terms::TermId t);

    terms::TermStore& store;
    CadicalBackend backend;
    BackendSink sink;
    cnf::Gates gates;
    cnf::WordBlaster blaster;
    std::unique_ptr<Abstraction> abstraction;
};

}  // namespace torva
