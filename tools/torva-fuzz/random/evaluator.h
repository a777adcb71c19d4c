// Reference evaluator of random benchmarks: the value of every formula and
// term under an assignment of the declared variables, by plain 64-bit
// arithmetic with masks, independent of the encoder and the modules.
#pragma once

#include <cstdint>
#include <vector>

#include "random/expr.h"
#include "words.h"

namespace torva_random {

// Word operations on values of width w (1 to 64) kept in the low w bits.
namespace bv = torva_words;

// One value per declaration: a bit-vector value, or 0/1 for a predicate.
using Assignment = std::vector<uint64_t>;

class Evaluator {
public:
    explicit Evaluator(const Benchmark& b);

    // Value of a node: a term's value, or 1/0 for a formula.
    uint64_t value(int node, const Assignment& a);
    bool holds(int formula, const Assignment& a) { return value(formula, a) != 0; }
    // True when every assumption and formula of the benchmark holds.
    bool satisfies(const Assignment& a);

private:
    const Benchmark& bench;
    std::vector<uint64_t> memo;
    std::vector<uint32_t> stamp;
    uint32_t generation = 0;
    const Assignment* current = nullptr;

    void begin(const Assignment& a);
    uint64_t eval(int node);
    uint64_t evalFormula(const Node& n);
    uint64_t evalTerm(const Node& n);
};

// Enumerates every assignment of the declarations the assertions read (the
// others stay 0) and returns how many satisfy the benchmark, stopping at
// `limit`. When `model` is given it receives the first satisfying one.
uint64_t countModels(const Benchmark& b, uint64_t limit, Assignment* model = nullptr);

}  // namespace torva_random
