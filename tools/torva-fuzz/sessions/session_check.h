// Random incremental sessions decided twice: once through one incremental
// solver, once with every query decided from scratch by enumeration. The
// scripts nest push/pop up to 8 deep, assert (some named) at every level,
// fix variables by facts (x = c, b, not b) in scopes and outside them, and
// ask check-sat, check-sat-assuming, get-value, get-unsat-core,
// get-unsat-assumptions and reset-assertions. The solver is, by seed, the
// classic search, a present-day search, word-level modules, or the clausal
// session on CaDiCaL with and without rewriting and with circuits retired
// after a few gates.
#pragma once

#include <cstdint>
#include <string>

namespace torva_sessions {

struct SessionVerdict {
    bool agree = true;  // same answers, none unknown, every core unsat, no error but out-of-turn ones
    std::string variant;
    std::string script;
    std::string answers, expected;  // one letter a check: s, u, k (unknown)
    int badCores = 0;               // unsatisfiable answers whose core is satisfiable
    std::string reference;          // the enumerating run's output
};

// The random session of the seed, decided both ways.
SessionVerdict checkSession(uint64_t seed);

}  // namespace torva_sessions
