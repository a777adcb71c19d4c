// The order of the simplification passes, the rounds they run in, and the
// completion of models. The top-level passes run in rounds until a round
// changes nothing (or the round bound is reached); the replacement of
// unconstrained terms runs once at the end, because the fresh variables it
// introduces make later rounds see fewer occurrences than there are.
#include <algorithm>
#include <map>

#include "simplify/passes.h"
#include "terms/reachable.h"

namespace torva::simplify {

using terms::Kind;
using terms::TermId;

namespace {

constexpr uint32_t kMaxRounds = 16;

struct PassRow {
    const char* name;
    bool (*run)(PassContext&);
    bool SimplifySettings::*enabled;  // null: always on
};

const PassRow kRounds[] = {
    {"split", splitConjunctions, nullptr},
    {"subst", eliminateVariables, &SimplifySettings::substitute},
    {"propagate", propagateAtoms, &SimplifySettings::propagate},
};

}  // namespace

size_t dagSize(const terms::TermStore& store, const std::vector<TermId>& roots) {
    size_t count = 0;
    terms::forEachReachable(store, roots, [&](TermId) { ++count; });
    return count;
}

Simplified simplify(terms::TermStore& store, const std::vector<TermId>& assertions, const SimplifySettings& settings,
                    SimplifyStats& stats) {
    stats.nodesBefore = dagSize(store, assertions);
    Rewriter rw(store, settings.rewrite);
    Simplified out;
    for (TermId a : assertions) out.assertions.push_back(rw.rewrite(a));
    PassContext pass{rw, out.assertions, out.reconstruction, stats};
    for (uint32_t round = 0; round < kMaxRounds; round++) {
        ++stats.rounds;
        bool changed = false;
        for (const PassRow& row : kRounds)
            if (!row.enabled || settings.*row.enabled) changed |= row.run(pass);
        if (!changed) break;
    }
    if (settings.unconstrained && replaceUnconstrained(pass)) splitConjunctions(pass);
    stats.rules = rw.counts();
    stats.nodesAfter = dagSize(store, out.assertions);
    return out;
}

terms::Model completeModel(const terms::TermStore& store, const Reconstruction& reconstruction,
                           const terms::Model& simplifiedModel) {
    terms::Evaluator values(store);
    std::map<TermId, mpz_class> model;
    for (const auto& [variable, value] : simplifiedModel.values) {
        values.assign(variable, value);
        model[variable] = value;
    }
    for (auto step = reconstruction.steps.rbegin(); step != reconstruction.steps.rend(); ++step) {
        mpz_class value = values.value(step->second);
        values.define(step->first, value);
        model[step->first] = value;
    }
    terms::Model completed;
    completed.values.assign(model.begin(), model.end());
    return completed;
}

}  // namespace torva::simplify
