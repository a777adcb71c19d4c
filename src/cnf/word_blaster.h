// Bit-blasting of term-graph nodes onto literals of a Gates instance. A
// term's bits are literals, least significant first (a Boolean term has one);
// variables get fresh variables, constants the constant literal, structural
// kinds only rearrange their operand's literals, and every other kind is
// built from gates, so constants and shared subcircuits cost nothing twice.
//
// A term the abstraction predicate picks gets fresh bits instead of its
// circuit when it is lowered; circuitOf() builds the circuit later, on
// demand, over the same operand bits.
//
// Invariants: a node is lowered once, after all its operands (post-order over
// an explicit stack, so depth is bounded only by memory); its bits are never
// empty once lowered; the literals depend only on the term graph and the
// order of bits() calls, never on addresses.
#pragma once

#include <deque>
#include <functional>
#include <utility>
#include <vector>

#include "cnf/gates.h"
#include "terms/term_store.h"

namespace torva::cnf {

class WordBlaster {
public:
    using Bits = std::vector<int>;

    WordBlaster(const terms::TermStore& store, Gates& gates);

    // The literals of t, lowering t and everything below it first. The
    // reference stays valid for the blaster's lifetime.
    const Bits& bits(terms::TermId t);
    // The Variable nodes lowered so far, by ascending id.
    std::vector<terms::TermId> variables() const;

    // From now on, a term for which abstracts(t) holds is lowered to fresh
    // bits, like a variable, and listed in abstracted().
    void setAbstraction(std::function<bool(terms::TermId)> abstracts) { abstracts_ = std::move(abstracts); }
    // The abstracted terms lowered so far, in the order they were lowered.
    const std::vector<terms::TermId>& abstracted() const { return abstracted_; }
    // The circuit of a lowered application over its operands' bits: for an
    // abstracted term, what its fresh bits stand for.
    Bits circuitOf(terms::TermId t) { return lowerApplication(t); }

private:
    bool lowered(terms::TermId t) const { return !bits_[t].empty(); }
    void lowerNode(terms::TermId t);
    Bits lowerApplication(terms::TermId t);
    Bits lowerConstant(terms::TermId t);
    Bits lowerVariable(terms::TermId t);
    Bits lowerStructural(terms::TermId t);
    Bits lowerConcat(terms::TermId t);
    Bits lowerBitwiseN(terms::TermId t);
    Bits lowerChain(terms::TermId t);
    Bits combine(terms::Kind kind, const Bits& a, const Bits& b);
    const Bits& operand(terms::TermId t, uint32_t i) const { return bits_[store_.arg(t, i)]; }

    const terms::TermStore& store_;
    Gates& gates_;
    std::deque<Bits> bits_;  // by term id; a deque, so references survive growth
    std::vector<terms::TermId> variables_;
    std::function<bool(terms::TermId)> abstracts_;
    std::vector<terms::TermId> abstracted_;
};

}  // namespace torva::cnf
