// The oracle shared by the rewriter and simplifier tests: the variables a
// term depends on, every assignment of them (or, when they hold more bits
// than can be enumerated, 64 points drawn from a fixed seed), the
// comparison of a term with its rewritten form under those assignments, and
// SMT-LIB 2 scripts for the failure messages. Variables are walked and
// assigned in id order, so a failure repeats on every run.
#pragma once

#include <gmpxx.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "terms/evaluator.h"
#include "terms/printer.h"
#include "terms/reachable.h"
#include "terms/term_store.h"

namespace rwtest {

using torva::terms::Evaluator;
using torva::terms::formatValue;
using torva::terms::kBool;
using torva::terms::Kind;
using torva::terms::Sort;
using torva::terms::TermId;
using torva::terms::TermStore;
using K = Kind;

inline uint32_t bitsOf(Sort sort) { return sort == kBool ? 1 : sort; }

// The variables reachable from the roots, by increasing id.
inline std::vector<TermId> variablesOf(const TermStore& s, const std::vector<TermId>& roots) {
    std::vector<TermId> vars;
    torva::terms::forEachReachable(s, roots, [&](TermId t) {
        if (s.kind(t) == Kind::Variable) vars.push_back(t);
    });
    std::sort(vars.begin(), vars.end());
    return vars;
}

inline bool mentions(const TermStore& s, const std::vector<TermId>& roots, TermId v) {
    std::vector<TermId> vars = variablesOf(s, roots);
    return std::find(vars.begin(), vars.end(), v) != vars.end();
}

inline uint32_t bitsOfVariables(const TermStore& s, const std::vector<TermId>& vars) {
    uint32_t bits = 0;
    for (TermId v : vars) bits += bitsOf(s.sort(v));
    return bits;
}

inline std::string smt2(const TermStore& s, TermId t) { return torva::terms::toSmt2(s, t); }

// One declare-const per variable of the roots, then the assertions.
inline std::string script(const TermStore& s, const std::vector<TermId>& roots,
                          const std::vector<std::string>& asserted) {
    std::string out;
    for (TermId v : variablesOf(s, roots))
        out += "(declare-const " + s.name(v) + " " + torva::terms::sortText(s.sort(v)) + ")\n";
    for (const std::string& a : asserted) out += "(assert " + a + ")\n";
    return out;
}

inline std::string assertionScript(const TermStore& s, const std::vector<TermId>& assertions) {
    std::vector<std::string> asserted;
    for (TermId a : assertions) asserted.push_back(smt2(s, a));
    return script(s, assertions, asserted);
}

inline mpz_class randomValue(std::mt19937_64& rng, uint32_t bits) {
    mpz_class v = 0;
    for (uint32_t done = 0; done < bits; done += 64) {
        uint64_t word = rng();
        mpz_class part;
        mpz_import(part.get_mpz_t(), 1, 1, sizeof(word), 0, 0, &word);
        v = (v << 64) + part;
    }
    mpz_fdiv_r_2exp(v.get_mpz_t(), v.get_mpz_t(), bits);
    return v;
}

// Assigns to ev every assignment of vars in counting order when they hold at
// most maxExhaustiveBits bits, else 64 points drawn from a seed; calls
// visit(values) after each and stops when it returns false.
template <class Visit>
void forEachAssignment(const TermStore& s, const std::vector<TermId>& vars, Evaluator& ev, uint32_t maxExhaustiveBits,
                       Visit visit) {
    uint32_t totalBits = bitsOfVariables(s, vars);
    bool exhaustive = totalBits <= maxExhaustiveBits;
    std::mt19937_64 rng(totalBits);
    std::vector<mpz_class> values(vars.size());
    for (uint64_t point = 0; point < (exhaustive ? uint64_t(1) << totalBits : 64); point++) {
        uint64_t rest = point;
        for (size_t i = 0; i < vars.size(); i++) {
            uint32_t bits = bitsOf(s.sort(vars[i]));
            values[i] = exhaustive ? mpz_class(static_cast<unsigned long>(rest & ((uint64_t(1) << bits) - 1)))
                                   : randomValue(rng, bits);
            rest >>= bits;
            ev.assign(vars[i], values[i]);
        }
        if (!visit(values)) return;
    }
}

// Empty when t and r have equal values under every assignment tried, else a
// replay script (unsatisfiable exactly when the rewrite is sound), the
// assignment and both values.
inline std::string differences(const TermStore& s, TermId t, TermId r, uint32_t maxExhaustiveBits = 12) {
    auto replay = [&] { return script(s, {t, r}, {"(distinct " + smt2(s, t) + "\n          " + smt2(s, r) + ")"}); };
    if (s.sort(t) != s.sort(r)) return replay() + "the rewritten term has another sort";
    std::vector<TermId> vars = variablesOf(s, {t, r});
    Evaluator ev(s);
    std::ostringstream message;
    forEachAssignment(s, vars, ev, maxExhaustiveBits, [&](const std::vector<mpz_class>& values) {
        if (ev.value(t) == ev.value(r)) return true;
        message << replay() << "at";
        for (size_t i = 0; i < vars.size(); i++)
            message << ' ' << s.name(vars[i]) << " = " << formatValue(s.sort(vars[i]), values[i]);
        message << ": " << formatValue(s.sort(t), ev.value(t)) << " before, " << formatValue(s.sort(r), ev.value(r))
                << " after";
        return false;
    });
    return message.str();
}

}  // namespace rwtest
