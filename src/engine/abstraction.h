// Abstraction of wide multiplications, quotients and remainders on a
// circuit. Such a term is blasted as fresh bits; after a satisfiable search
// every abstracted term whose bits disagree with its operation on its
// operands' values gets a lemma, and the search runs again on the same
// solver. Per wrong term, in order: the first violated lemma of its kind's
// catalogue (zero and one cases, bounds, low bits), or a lemma for an
// operand whose value is a power of two. When no term got one in a round,
// every wrong term gets its last resort: its value pinned for its operands'
// present values (a limited number of times per term), then, for a product,
// its low bits encoded exactly up past the lowest wrong one, and finally its
// whole circuit.
//
// Invariants: every lemma is valid (it holds of the real operation whatever
// the operands), so lemmas stay for good, in every scope, and an unsat answer
// of the abstraction is an unsat answer of the problem; a search whose
// abstracted terms all agree with their operations is a model of the
// problem's real operations; each round adds a lemma the present values
// violate, and a term's last resorts end in its circuit, so refinement ends.
// The order of terms and lemmas depends only on the term graph.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <map>
#include <set>
#include <unordered_map>
#include <vector>

#include "terms/evaluator.h"
#include "terms/term_store.h"

namespace torva {

struct Circuit;

// What a refinement looks at, asked for only when a search's values
// disagree with an abstracted operation: the assertions as given, which
// the variables' values must make true, and the terms blasted for them,
// below which the abstracted terms are live.
struct RefinementGoals {
    std::function<std::vector<terms::TermId>()> roots;
    std::function<std::vector<terms::TermId>()> blasted;
};

// Whether t is a multiplication, quotient or remainder at least minWidth
// bits wide (never when minWidth is 0); a product by a constant is blasted
// as it is, a sum of shifted copies.
bool abstractable(const terms::TermStore& store, terms::TermId t, uint32_t minWidth);

// The catalogue's valid facts of t = x * s, x / s or x % s (kinds BvMul,
// BvUdiv, BvUrem; unsigned), as terms over x, s and t.
std::vector<terms::TermId> abstractionLemmas(terms::TermStore& store, terms::Kind kind, terms::TermId x,
                                             terms::TermId s, terms::TermId t);

class Abstraction {
public:
    struct Stats {
        uint64_t rounds = 0;       // refinements that added lemmas
        uint64_t lemmas = 0;       // catalogue and power-of-two lemmas
        uint64_t values = 0;       // values pinned
        uint64_t lowParts = 0;     // low bits of a product encoded
        uint64_t circuits = 0;     // terms given their whole circuit
    };

    // Terms of the abstracted kinds whose operands are at least minWidth
    // bits wide are abstracted from now on; refinement builds circuits of
    // at most budgetBytes together (EncodingTooLarge beyond).
    Abstraction(terms::TermStore& store, Circuit& circuit, uint32_t minWidth, uint64_t budgetBytes);

    bool abstracts(terms::TermId t) const;
    // After a satisfiable search: lemmas for the abstracted terms below the
    // blasted terms whose values are wrong; false when there was none, so
    // the search's values are those of the real operations, or when the
    // variables' values make every root true anyway. Abstracted terms of
    // other (popped) terms are left as they are.
    bool refine(const RefinementGoals& goals);
    const Stats& stats() const { return stats_; }
    // The statistics, a line each, when any term was abstracted.
    void printStats(std::FILE* out) const;

    // How many values of one term are pinned before its circuit is built.
    static uint32_t valueLimit(uint32_t width) { return width / 8 + 1; }

private:
    // Placeholders of one kind and width: the catalogue is written over
    // them and instantiated by substitution, and the operation is evaluated
    // over them.
    struct Shape {
        terms::TermId x, s, t;
        terms::TermId operation;  // x op s
        std::vector<terms::TermId> lemmas;
    };
    struct TermState {
        uint32_t values = 0;   // values pinned so far
        uint32_t lowBits = 0;  // low bits of a product encoded so far
    };

    const Shape& shapeOf(terms::Kind kind, uint32_t width);
    void readValues(const std::vector<terms::TermId>& abstracted);
    bool rootsHold(const std::vector<terms::TermId>& roots);
    std::vector<terms::TermId> live(const std::vector<terms::TermId>& disagreeing,
                                    const std::vector<terms::TermId>& blasted) const;
    const mpz_class& valueOf(terms::TermId t) const;
    mpz_class realValue(terms::TermId t);
    bool addCatalogueLemma(terms::TermId t, const mpz_class& value);
    bool addPowerOfTwoLemma(terms::TermId t);
    bool holds(const Shape& shape, terms::TermId lemma, const mpz_class& x, const mpz_class& s, const mpz_class& t);
    void addInstance(const Shape& shape, terms::TermId lemma, terms::TermId t, bool swapped);
    void addLastResort(terms::TermId t, const mpz_class& value);
    void pinValue(terms::TermId t);
    void encodeLowBits(terms::TermId t, uint32_t bits);
    void encodeCircuit(terms::TermId t);
    void assertLemma(terms::TermId lemma);
    void spend(terms::TermId circuitRoot);

    terms::TermStore& store_;
    Circuit& circuit_;
    uint32_t minWidth_;
    uint64_t budgetBytes_;
    terms::Evaluator evaluator_;
    std::map<std::pair<terms::Kind, uint32_t>, Shape> shapes_;
    std::map<terms::TermId, TermState> states_;
    std::set<terms::TermId> concrete_;  // built by a lemma: always blasted
    std::unordered_map<terms::TermId, mpz_class> values_;  // of the last search
    Stats stats_;
};

}  // namespace torva
