// Loading a model into an evaluator, and queries answered one at a time
// from scratch.
#include "terms/model.h"

#include <numeric>

#include "terms/evaluator.h"

namespace torva::terms {

void loadModel(Evaluator& evaluator, const Model& model) {
    for (const auto& [variable, value] : model.values) evaluator.assign(variable, value);
    for (const auto& [variable, table] : model.tables) evaluator.assignTable(variable, table);
}

QueryFunction everyQueryAfresh(CheckFunction check) {
    return [check = std::move(check)](TermStore& store, const CheckQuery& query) {
        std::vector<TermId> all(query.assertions);
        all.insert(all.end(), query.assumptions.begin(), query.assumptions.end());
        CheckOutcome outcome = check(store, all);
        if (outcome.answer == Answer::Unsat) {
            outcome.coreAssertions.resize(query.assertions.size());
            std::iota(outcome.coreAssertions.begin(), outcome.coreAssertions.end(), size_t{0});
            outcome.coreAssumptions.resize(query.assumptions.size());
            std::iota(outcome.coreAssumptions.begin(), outcome.coreAssumptions.end(), size_t{0});
        }
        return outcome;
    };
}

}  // namespace torva::terms
