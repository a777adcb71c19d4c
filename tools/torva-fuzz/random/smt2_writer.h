// SMT-LIB 2 scripts of random benchmarks: the same assertions as the
// benchmark's SMT-LIB 1 text, written with the constructs of SMT-LIB 2 in
// styles drawn from a seed (n-ary and chained applications, parallel lets,
// definitions with and without parameters, quoted symbols, three constant
// notations, push/pop scopes, check-sat-assuming, get-model or get-value).
// Every rewriting keeps the meaning, so the benchmark's reference evaluator
// and its expected answer stay the oracle of every check in the script.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "random/generator.h"

namespace torva_random {

// What the script asks after its last check-sat, when that one is expected
// to answer sat.
enum class Smt2Query { None, Model, Values };

// One term of a get-value command: a declaration or a node of the benchmark.
struct ValueTerm {
    int decl = -1;
    int node = -1;
};

// One check-sat of the script: the benchmark's assertions in force (those
// guarded by an assumption hold under the check's literals), the one
// asserted negated when it is not -1, and the answer they have.
struct Smt2Check {
    Expect expect = Expect::Unknown;
    std::vector<int> asserted;
    int negated = -1;
};

struct Smt2Script {
    std::string text;
    std::vector<Smt2Check> checks;  // in order
    Smt2Query query = Smt2Query::None;
    std::vector<ValueTerm> values;  // Values: the terms asked, in order
};

// The script of the generated benchmark in the style drawn from `seed`.
Smt2Script writeSmt2(const Generated& g, uint64_t seed);

// The answer of the first `count` assertions alone: the benchmark's answer
// for all of them; Sat when the planted values satisfy them; else by
// enumeration when they read at most 16 bits; else Unknown.
Expect prefixExpectation(const Generated& g, size_t count);

}  // namespace torva_random
