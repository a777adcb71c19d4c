// One satisfiability check of a set of term-graph assertions from scratch:
// word-level simplification when it is asked for (it adds nodes to the
// store), then the search by the chosen engine: CaDiCaL decides the
// problem blasted onto a circuit of its own (the compact blaster), unless
// the caller reads the built-in solver afterwards, when the problem is
// lowered into a fresh built-in solver and generator as for the built-in
// engine (and handed to CaDiCaL when it has no modules). Nothing is built
// when a guessed assignment already satisfies the simplified assertions. On
// a satisfiable answer, a model of the input assertions that
// has been checked against every one of them with the evaluator (a model
// that fails the check throws WrongModel: a wrong answer is never returned;
// the command line ends with status 3, the library raises an error). Nothing
// is written to standard output.
#pragma once

#include <gmpxx.h>

#include <functional>
#include <stdexcept>
#include <vector>

#include "simplify/simplify.h"
#include "solver/solver.h"
#include "terms/evaluator.h"
#include "terms/model.h"
#include "terms/term_store.h"

namespace torva {

// Which SAT engine decides the lowered problem.
enum class Engine {
    Core,     // the built-in solver, with or without modules
    Cadical,  // CaDiCaL when the problem is entirely clauses, else the built-in solver
};

struct GraphSolveOptions {
    // 1: the solver's progress table on standard error.
    int verbosity = 0;
    SearchSettings search;
    Engine engine = Engine::Core;
    // On CaDiCaL, a single check abstracts the multiplications, quotients
    // and remainders at least this wide and refines them on demand (0: none).
    uint32_t abstractWidth = 0;
    // An encoding estimated to need more than this many MB (0: the
    // machine's memory) is not built: the check answers unknown, "memout".
    uint64_t memoryLimitMB = 0;
    // Word-level simplification before lowering; none when null.
    const simplify::SimplifySettings* simplify = nullptr;
    // The simplification's statistics on standard error.
    bool printStats = false;
    // Called once the problem is built, right before the search starts.
    std::function<void()> beforeSolve;
    // Limits of the search: at most this many conflicts (0: no limit), and a
    // stop once interrupt() returns true. A stopped check answers unknown,
    // "resourceout" for the conflict limit, else "interrupted".
    uint64_t conflictLimit = 0;
    std::function<bool()> interrupt;
    // Called after the search (and the model check), while the solver still
    // holds its modules; with an empty solver when a guessed model needed no
    // search. Not called when the answer was found while building. Setting
    // it keeps the problem in the built-in solver.
    std::function<void(Solver&, bool satisfiable)> afterSolve;
};

terms::CheckOutcome solveGraph(terms::TermStore& store, const std::vector<terms::TermId>& assertions,
                               const GraphSolveOptions& options);

// Gives the solver the options' limits.
void applyLimits(Solver& solver, const GraphSolveOptions& options);
// The answer of a search: its effort, and unknown with the reason when the
// limits stopped it.
void noteSearch(const Solver& solver, lbool status, terms::CheckOutcome& outcome);

// A model that makes an input assertion false: the engine's answer is
// wrong, and no caller may act on it.
struct WrongModel : std::runtime_error {
    explicit WrongModel(size_t assertion);
};

// Throws WrongModel when the evaluator, under the model it was given, makes
// one of the assertions false.
void checkModel(terms::Evaluator& model, const std::vector<terms::TermId>& assertions);

// Makes the next model check of this thread fail, so that tests can see
// what callers do with a wrong model.
void failNextModelCheck();

// The value of the word whose bits (least significant first) are the CNF
// variables cnfVars in the solver's model; a bit the model leaves open or
// does not cover reads as 0.
mpz_class readBits(const Solver& solver, const std::vector<unsigned int>& cnfVars);

class Lowering;
// The value of every variable the lowering has numbered, from the solver's
// model.
terms::Model readModel(const Solver& solver, const Lowering& lowering);

}  // namespace torva
