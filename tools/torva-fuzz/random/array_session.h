// Random SMT-LIB 2 sessions over arrays and uninterpreted functions, and
// their check. A session declares arrays (also of arrays and of Booleans),
// functions and small bit-vectors, asserts formulas (some named) across
// push/pop scopes, assumes guarded formulas with check-sat-assuming, and
// refutes valid laws of arrays and functions in scopes of their own; after
// each check it asks get-model, get-value, get-unsat-core or
// get-unsat-assumptions as the expected answer allows. Every answer has a
// known expectation: an Enumerated session's by enumerating every value of
// every declaration in the reference evaluator, a Planted session's by
// construction (every formula holds under values drawn first; only a
// refuted law makes a check unsatisfiable). torva's models must satisfy
// what was in force, its values must be the evaluator's under its model,
// and its cores must be unsatisfiable again.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "random/array_instance.h"
#include "random/generator.h"

namespace torva_random {

enum class ArrayShape { Enumerated, Planted };

// What the script asks, in response order.
enum class ArrayAsk { Check, Model, Values, Core, Assumptions };

struct ArrayStep {
    ArrayAsk ask = ArrayAsk::Check;
    uint64_t inForce = 0;           // the pool formulas asserted or assumed at the check
    uint64_t named = 0;             // of those, the asserted ones with a name
    uint64_t assumed = 0;           // of those, the assumed ones (by their guards)
    Expect expect = Expect::Unknown;
    std::vector<int> valueNodes;    // Values: after the non-function declarations
};

struct ArraySession {
    ArrayInstance inst;
    std::vector<int> pool;          // formulas; bit k of a mask is pool[k]
    uint64_t laws = 0;              // the refuted laws: unsatisfiable alone
    ArrayShape shape = ArrayShape::Enumerated;
    AAssignment planted;            // Planted
    std::vector<uint64_t> holding;  // Enumerated: per assignment, the pool formulas that hold
    std::string text;
    std::vector<ArrayStep> steps;

    // The answer of the pool formulas in `required` together.
    Expect decide(uint64_t required) const;
};

ArraySession generateArraySession(uint64_t seed, ArrayShape shape);

struct ArrayVerdict {
    bool ok = true;
    bool timedOut = false;
    std::string message;            // the first problem
    std::string variant;            // how torva ran
    std::string responses;
    int sat = 0, unsat = 0;         // answers checked
};

// The responses of torva to the session, checked.
ArrayVerdict checkArrayResponses(const ArraySession& s, const std::string& responses);

// Runs the session through torva's SMT-LIB 2 reader and session engine in a
// forked child (engine, incremental mode and simplification by seed), and
// checks the responses.
ArrayVerdict runArraySession(const ArraySession& s, uint64_t seed, const std::string& workDir, int timeoutSeconds);

}  // namespace torva_random
