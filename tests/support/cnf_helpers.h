// Small helpers for solver tests: clauses from signed integers (DIMACS-style,
// variable v is literal +v+1 / -(v+1)), random k-CNF, brute-force
// satisfiability and model checking.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <random>
#include <vector>

#include "solver/solver.h"

typedef std::vector<std::vector<int>> Cnf;

inline Lit litOf(int code) { return Lit(std::abs(code) - 1, code < 0); }

inline bool addCnfClause(Solver& s, const std::vector<int>& clause) {
    vec<Lit> lits;
    for (int code : clause) {
        while (std::abs(code) - 1 >= s.nVars()) s.newVar();
        lits.push(litOf(code));
    }
    return s.addClause(lits);
}

inline bool loadCnf(Solver& s, const Cnf& cnf, int vars) {
    while (s.nVars() < vars) s.newVar();
    bool ok = true;
    for (const auto& c : cnf) ok = addCnfClause(s, c) && ok;
    return ok;
}

inline Cnf randomCnf(int vars, int clauses, int k, std::mt19937& rng) {
    Cnf cnf(clauses);
    for (std::vector<int>& c : cnf) {
        for (int j = 0; j < k; j++) {
            int v = static_cast<int>(rng() % static_cast<unsigned>(vars)) + 1;
            c.push_back(rng() & 1 ? v : -v);
        }
    }
    return cnf;
}

inline bool satisfiedBy(const Cnf& cnf, uint64_t assignment) {
    for (const auto& c : cnf) {
        bool sat = false;
        for (int code : c) sat |= bool((assignment >> (std::abs(code) - 1)) & 1) == (code > 0);
        if (!sat) return false;
    }
    return true;
}

inline bool bruteForceSat(const Cnf& cnf, int vars) {
    for (uint64_t a = 0; a < (uint64_t(1) << vars); a++)
        if (satisfiedBy(cnf, a)) return true;
    return false;
}

inline bool modelSatisfies(const Solver& s, const Cnf& cnf) {
    for (const auto& c : cnf) {
        bool sat = false;
        for (int code : c) sat |= s.modelValue(litOf(code)) == l_True;
        if (!sat) return false;
    }
    return true;
}

// Releases the modules a test registered, as the driver does at exit.
inline void deleteModules(Solver& s) {
    for (Module* m : s.modules) delete m;
    s.modules.clear();
}
