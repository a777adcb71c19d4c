// Lowering of the term graph into the generator: every node reachable from
// the terms asked for becomes CNF variables (least significant bit first, a
// Boolean one bit) and generator operations, so the existing modules and the
// encoder decide the graph. Each node is lowered once (memo by id) by an
// explicit-stack walk; structural kinds (concat, extract, extensions,
// repeat, rotations) only rearrange and share the bits of their operands.
// All CNF variables, the encoder's auxiliary ones included, come from the
// generator's one counter.
#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <vector>

#include "generator/generator_torva.h"
#include "terms/term_store.h"

namespace torva {

// The problem needs more CNF variables than the generator can number.
struct LoweringLimit : std::runtime_error {
    LoweringLimit();
};

// A generator on `solver` whose encoder draws its auxiliary variables from
// the generator's own counter (through freshBits), as the lowering needs.
std::unique_ptr<GeneratorTORVA> makeGraphGenerator(Solver& solver);

// n fresh CNF variables from the generator's counter; throws LoweringLimit
// when the counter would pass its limit.
std::vector<unsigned int> freshBits(GeneratorTORVA& generator, unsigned int n);

// A lower bound of the CNF variables that lowering the roots needs: the
// width of every reachable node that gets bits of its own. Lets a problem
// far beyond the generator's numbering be refused before anything is built.
uint64_t leastBitsNeeded(const terms::TermStore& store, const std::vector<terms::TermId>& roots);

class Lowering {
public:
    typedef std::vector<unsigned int> Bits;

    Lowering(const terms::TermStore& store, GeneratorTORVA& generator);
    Lowering(const Lowering&) = delete;
    Lowering& operator=(const Lowering&) = delete;

    // The CNF variables of t, lowering t and everything below it first.
    const Bits& bits(terms::TermId t);
    // Fixes the bit of the Boolean term t to true.
    void assertTrue(terms::TermId t);
    // The Variable nodes lowered so far, ascending by id; loweredBits gives
    // the bits of each.
    std::vector<terms::TermId> variables() const;
    const Bits& loweredBits(terms::TermId t) const { return bits_[t]; }

private:
    const terms::TermStore& store_;
    GeneratorTORVA& gen_;
    std::vector<Bits> bits_;  // by term id; empty while not lowered
    std::vector<terms::TermId> variables_;
    unsigned int falseBit_ = 0;  // the one constant-false bit, 0 until needed

    bool lowered(terms::TermId t) const { return t < bits_.size() && !bits_[t].empty(); }
    void lowerNode(terms::TermId t);
    Bits lowerApplication(terms::TermId t);
    Bits lowerConstant(terms::TermId t);
    Bits lowerStructural(terms::TermId t);
    Bits lowerChain(terms::TermId t);
    Bits combine(terms::Kind kind, const Bits& a, const Bits& b);
    Bits concatAll(terms::TermId t);

    // Operations on bit vectors, each adding generator operations.
    Bits fresh(size_t n);
    unsigned int falseBit();
    Bits constantBits(const mpz_class& value, size_t n);
    Bits op1(const char* op, const Bits& in);
    Bits op2(const char* op, const Bits& a, const Bits& b, size_t outWidth, const mpz_class& k = 0);
    Bits bitwise(const char* op, bool asModules, const Bits& a, const Bits& b);
    Bits invert(const Bits& a);
    Bits ite(const Bits& cond, const Bits& thenBits, const Bits& elseBits);
    Bits lowBits(const char* op, const Bits& a, const Bits& b, size_t outWidth);
    Bits conjunction(const std::vector<Bits>& parts);
    Bits shift(bool left, const Bits& a, terms::TermId amountTerm, const Bits& amount);
    Bits arithmeticShiftRight(const Bits& a, terms::TermId amountTerm, const Bits& amount);
    bool constantAmount(terms::TermId amountTerm, size_t width, uint64_t& k) const;
};

}  // namespace torva
