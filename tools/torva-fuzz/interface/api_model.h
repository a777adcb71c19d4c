// The model-based tester of the C++ interface. Random sequences of calls
// (terms over a few narrow variables, arrays and unary functions among
// them, assertions under push/pop, checks with and without assumptions,
// values, cores, option changes, misuse) run
// against a solver and against a model of it: an evaluator of terms, a stack
// of assertion scopes and brute force over every assignment of the
// variables a check depends on. Every check is also put to a fresh solver
// that sees only the live assertions. A failing sequence is shrunk and
// printed as a GoogleTest case that replays it. Only the public interface
// is used; a sequence depends on its seed alone.
#pragma once

#include <cstdint>
#include <string>

namespace torva_api_model {

// What the sequences did, summed.
struct Tally {
    uint64_t calls = 0, checks = 0, sat = 0, unsat = 0, values = 0, cores = 0, misuses = 0, fresh = 0;
    void add(const Tally& o) {
        calls += o.calls, checks += o.checks, sat += o.sat, unsat += o.unsat;
        values += o.values, cores += o.cores, misuses += o.misuses, fresh += o.fresh;
    }
};

struct SequenceOutcome {
    size_t calls = 0;
    std::string failure;  // the first disagreement, empty when none
    size_t shrunkCalls = 0;
    std::string shrunkFailure;
    std::string printedCase;  // the shrunk sequence as a GoogleTest case
};

// Generates and runs the sequence of one seed, adding to the totals; a
// failing sequence comes back shrunk and printed.
SequenceOutcome runSequence(uint64_t seed, Tally& totals);

}  // namespace torva_api_model
