// Searching a circuit and reading a model of its variables back from CaDiCaL.
#include "engine/circuit.h"

#include "engine/encoding_size.h"

namespace torva {

void Circuit::assertTrue(terms::TermId t) {
    int literal = blaster.bits(t)[0];
    backend.addClause(&literal, 1);
}

terms::CheckOutcome Circuit::search(const std::vector<int>& assumptions, uint64_t conflictLimit,
                                    const std::function<bool()>& interrupt) {
    bool interrupted = false;
    uint64_t conflictsBefore = backend.conflicts();
    lbool status = backend.solve(assumptions, {conflictLimit, interrupt}, interrupted);
    terms::CheckOutcome outcome;
    outcome.conflicts = backend.conflicts() - conflictsBefore;
    outcome.satVariables = static_cast<uint64_t>(backend.vars());
    outcome.satClauses = static_cast<uint64_t>(backend.clauses());
    if (status == l_Undef)
        outcome.reason = interrupted ? "interrupted" : "resourceout";
    else
        outcome.answer = status == l_True ? terms::Answer::Sat : terms::Answer::Unsat;
    return outcome;
}

void Circuit::abstractFrom(uint32_t minWidth, uint64_t budgetBytes) {
    if (minWidth == 0) return;
    abstraction = std::make_unique<Abstraction>(store, *this, minWidth, budgetBytes);
    blaster.setAbstraction([this](terms::TermId t) { return abstraction->abstracts(t); });
}

terms::CheckOutcome Circuit::solve(const std::vector<int>& assumptions, const RefinementGoals& goals,
                                   uint64_t conflictLimit, const std::function<bool()>& interrupt) {
    uint64_t conflicts = 0;
    for (;;) {
        terms::CheckOutcome outcome = search(assumptions, conflictLimit == 0 ? 0 : conflictLimit - conflicts, interrupt);
        conflicts += outcome.conflicts;
        outcome.conflicts = conflicts;
        if (outcome.answer != terms::Answer::Sat || !abstraction) return outcome;
        try {
            if (!abstraction->refine(goals)) return outcome;
        } catch (const EncodingTooLarge& tooLarge) {
            outcome.answer = terms::Answer::Unknown;
            outcome.reason = tooLarge.what();
            return outcome;
        }
        if (conflictLimit != 0 && conflicts >= conflictLimit) {
            outcome.answer = terms::Answer::Unknown;
            outcome.reason = "resourceout";
            return outcome;
        }
    }
}

terms::Model Circuit::readModel() {
    terms::Model model;
    for (terms::TermId v : blaster.variables()) model.values.emplace_back(v, valueOf(v));
    return model;
}

mpz_class Circuit::valueOf(terms::TermId t) {
    const std::vector<int>& bits = blaster.bits(t);
    mpz_class value;
    for (size_t i = 0; i < bits.size(); ++i)
        if (backend.value(bits[i])) mpz_setbit(value.get_mpz_t(), i);
    return value;
}

}  // namespace torva
