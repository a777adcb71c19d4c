// solveGraph: builds one problem from a set of assertions on a fresh solver,
// decides it and checks the model. Invariants: the encoder's process-wide
// adder/multiplier counters start at 0 for every check; building never ends
// the process (exitOnUnsatWhileBuilding is cleared while this runs and
// restored after); every module the solver holds is deleted before the
// solver goes away, on every path out (a wrong model included).
#include "engine/graph_solve.h"

#include <memory>
#include <string>

#include "cnf/verification_model_cnf.h"
#include "config.h"
#include "engine/circuit.h"
#include "engine/encoding_size.h"
#include "engine/lowering.h"
#include "generator/module_factory.h"
#include "simplify/probe.h"
#include "solver/cadical_engine.h"
#include "terms/evaluator.h"

namespace torva {

using terms::Answer;
using terms::CheckOutcome;
using terms::TermId;

namespace {

class ModuleOwner {
public:
    explicit ModuleOwner(Solver& solver) : solver_(solver) {}
    ~ModuleOwner() {
        for (Module* m : solver_.modules) delete m;
        solver_.modules.clear();
    }
    ModuleOwner(const ModuleOwner&) = delete;
    ModuleOwner& operator=(const ModuleOwner&) = delete;

private:
    Solver& solver_;
};

}  // namespace

terms::Model readModel(const Solver& solver, const Lowering& lowering) {
    terms::Model model;
    for (TermId v : lowering.variables()) model.values.emplace_back(v, readBits(solver, lowering.loweredBits(v)));
    return model;
}

namespace {
thread_local bool failNextCheck = false;
}  // namespace

WrongModel::WrongModel(size_t assertion)
    : std::runtime_error("the model violates assertion " + std::to_string(assertion + 1) +
                         " (the solver's answer is wrong)") {}

void failNextModelCheck() { failNextCheck = true; }

void checkModel(terms::Evaluator& model, const std::vector<TermId>& assertions) {
    bool injected = failNextCheck;
    failNextCheck = false;
    for (size_t i = 0; i < assertions.size(); ++i)
        if (injected || model.value(assertions[i]) != 1) throw WrongModel(i);
}

mpz_class readBits(const Solver& solver, const std::vector<unsigned int>& cnfVars) {
    mpz_class value;
    for (size_t i = 0; i < cnfVars.size(); ++i) {
        unsigned int v = cnfVars[i];
        if (v < static_cast<unsigned int>(solver.model.size()) && solver.model[static_cast<int>(v)] == l_True)
            mpz_setbit(value.get_mpz_t(), i);
    }
    return value;
}

namespace {

// The assertions handed to the lowering, and how a model of them becomes a
// model of the input.
struct Problem {
    std::vector<TermId> assertions;
    simplify::Reconstruction reconstruction;
};

Problem prepare(terms::TermStore& store, const std::vector<TermId>& assertions, const GraphSolveOptions& options) {
    if (!options.simplify) return {assertions, {}};
    simplify::SimplifyStats stats;
    simplify::Simplified simplified = simplify::simplify(store, assertions, *options.simplify, stats);
    if (options.printStats) simplify::printStats(stats, stderr);
    return {std::move(simplified.assertions), std::move(simplified.reconstruction)};
}

// The model of the input from one of the lowered problem, checked against
// every input assertion.
terms::Model checkedModel(const terms::TermStore& store, const std::vector<TermId>& assertions,
                          const Problem& problem, const terms::Model& problemModel) {
    terms::Model model = simplify::completeModel(store, problem.reconstruction, problemModel);
    terms::Evaluator evaluator(store);
    for (const auto& [variable, value] : model.values) evaluator.assign(variable, value);
    checkModel(evaluator, assertions);
    return model;
}

// The simplified problem blasted onto a fresh circuit and decided by
// CaDiCaL alone.
CheckOutcome solveOnCircuit(terms::TermStore& store, const std::vector<TermId>& assertions,
                            const Problem& problem, const GraphSolveOptions& options, uint64_t refinementBudget) {
    Circuit circuit(store);
    circuit.abstractFrom(options.abstractWidth, refinementBudget);
    for (TermId assertion : problem.assertions) circuit.assertTrue(assertion);
    if (options.beforeSolve) options.beforeSolve();
    const auto simplified = [&problem] { return problem.assertions; };
    CheckOutcome outcome = circuit.solve({}, {simplified, simplified}, options.conflictLimit, options.interrupt);
    if (options.printStats && circuit.abstraction) circuit.abstraction->printStats(stderr);
    if (outcome.answer == Answer::Sat) outcome.model = checkedModel(store, assertions, problem, circuit.readModel());
    return outcome;
}

}  // namespace

CheckOutcome solveGraph(terms::TermStore& store, const std::vector<TermId>& assertions,
                        const GraphSolveOptions& options) {
    CheckOutcome outcome;
    Problem problem = prepare(store, assertions, options);
    if (leastBitsNeeded(store, problem.assertions) > kMaxCnfVariable) {
        outcome.answer = Answer::Unknown;
        outcome.reason = LoweringLimit().what();
        return outcome;
    }
    KeepRunningOnUnsat keepRunning;
    addCounter = 0;
    mulCounter = 0;
    Solver S(prioParams[0]);
    ModuleOwner modules(S);
    S.verbosity = options.verbosity;
    S.settings = options.search;

    terms::Model guessed;
    if (options.simplify && options.simplify->probe && simplify::probeModel(store, problem.assertions, guessed)) {
        // a guessed model: nothing is built or searched
        if (options.beforeSolve) options.beforeSolve();
        outcome.answer = Answer::Sat;
        outcome.model = checkedModel(store, assertions, problem, guessed);
        if (options.afterSolve) options.afterSolve(S, true);
        return outcome;
    }

    const bool onCircuit = options.engine == Engine::Cadical && !options.afterSolve;
    const uint32_t abstractWidth = onCircuit ? options.abstractWidth : 0;
    const uint64_t budget = memoryBudgetBytes(options.memoryLimitMB);
    const uint64_t needed = encodingBytes(store, problem.assertions,
                                          [&](TermId t) { return abstractable(store, t, abstractWidth); });
    if (needed > budget) {
        outcome.answer = Answer::Unknown;
        outcome.reason = EncodingTooLarge().what();
        return outcome;
    }
    if (onCircuit) return solveOnCircuit(store, assertions, problem, options, budget - needed);
    std::unique_ptr<GeneratorTORVA> generator = makeGraphGenerator(S);
    Lowering lowering(store, *generator);
    try {
        for (TermId assertion : problem.assertions) lowering.assertTrue(assertion);
    } catch (const LoweringLimit& limit) {
        outcome.answer = Answer::Unknown;
        outcome.reason = limit.what();
        return outcome;
    }
    generator->finishModuleWatches();
    if (!S.okay() || !S.simplify()) {
        outcome.answer = Answer::Unsat;
        return outcome;
    }

    if (options.beforeSolve) options.beforeSolve();
    applyLimits(S, options);
    lbool status = options.engine == Engine::Cadical && S.modules.empty() ? solveWithCadical(S)
                                                                           : S.solveLimited(vec<Lit>());
    noteSearch(S, status, outcome);
    if (status == l_Undef) return outcome;
    bool satisfiable = status == l_True;
    if (satisfiable) outcome.model = checkedModel(store, assertions, problem, readModel(S, lowering));
    if (options.afterSolve) options.afterSolve(S, satisfiable);
    return outcome;
}

void applyLimits(Solver& solver, const GraphSolveOptions& options) {
    solver.conflictBudget = options.conflictLimit;
    solver.interrupt = options.interrupt;
}

void noteSearch(const Solver& solver, lbool status, CheckOutcome& outcome) {
    outcome.conflicts = solver.conflicts;
    outcome.decisions = solver.decisions;
    outcome.propagations = solver.propagations;
    if (status == l_True) {
        outcome.answer = Answer::Sat;
    } else if (status == l_False) {
        outcome.answer = Answer::Unsat;
    } else {
        outcome.answer = Answer::Unknown;
        outcome.reason = solver.interrupted ? "interrupted" : "resourceout";
    }
}

}  // namespace torva
