// Random benchmark generator: builds expression trees over freshly declared
// variables, deterministically per seed, in three shapes:
//  - Small: at most 16 bits read, assertions added until the instance is
//    satisfiable or unsatisfiable as drawn (decided by enumeration);
//  - Planted: any size, every assertion true under values chosen first, so
//    the instance is satisfiable by construction;
//  - Law: any size, asserts that a valid identity fails, so the instance is
//    unsatisfiable by construction.
#pragma once

#include <cstdint>

#include "random/evaluator.h"
#include "random/expr.h"

namespace torva_random {

// Which bitwise operations may be wider than one bit. Bit gates built as
// modules accept one-bit operands only.
struct GateLimits {
    bool wideAnd = true;
    bool wideOr = true;
    bool wideXor = true;
    bool wideNot = true;
};

enum class Shape { Small, Planted, Law };

struct GenSettings {
    Shape shape = Shape::Small;
    GateLimits gates;
    unsigned maxWidth = 64;       // widest declared variable and term
    unsigned arithWidth = 8;      // widest multiplication or division with two variable operands
    unsigned eqWidth = 64;        // widest equality; an equality module explains by whole words,
                                  // so refuting a wide one takes exponentially many conflicts
    unsigned lawWidth = 12;       // widest law: refuting a law needs a proof over whole words,
                                  // and word modules explain by all lower operand bits
    int depth = 3;                // nesting depth of formulas and terms
    bool decorate = false;        // comments, annotations, keyword case variants
    bool graphOps = false;        // also the operators only the term-graph readers accept,
                                  // and the laws about them
};

struct Generated {
    Benchmark bench;
    Assignment planted;           // Planted and Law: the values the assertions were made true under
};

Generated generate(uint64_t seed, const GenSettings& settings);

// Number of identity laws the Law shape draws from; `law` >= 0 forces one
// (for the laws' own self-test), -1 draws at random.
int lawCount();
// Laws about the graph-only operators, numbered from lawCount() on.
int graphLawCount();
Generated generateLaw(uint64_t seed, const GenSettings& settings, int law);

}  // namespace torva_random
