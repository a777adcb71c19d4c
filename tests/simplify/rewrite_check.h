// The oracle shared by the rewriter tests: the variables a term depends on,
// the comparison of a term with its rewritten form under every assignment of
// those variables (or, when they hold more bits than can be enumerated, 64
// points drawn from a fixed seed), and an SMT-LIB 2 printer for the failure
// messages (of one term or of a list of assertions). Variables are walked
// and assigned in id order, so a failure repeats on every run.
#pragma once

#include <gmpxx.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "terms/evaluator.h"
#include "terms/term_store.h"

namespace rwtest {

using torva::terms::Evaluator;
using torva::terms::Kind;
using torva::terms::Sort;
using torva::terms::TermId;
using torva::terms::TermStore;

inline uint32_t bitsOf(Sort sort) { return sort == torva::terms::kBool ? 1 : sort; }

inline std::string sortText(Sort sort) {
    return sort == torva::terms::kBool ? "Bool" : "(_ BitVec " + std::to_string(sort) + ")";
}

// The variables reachable from the roots, by increasing id.
inline std::vector<TermId> variablesOf(const TermStore& s, const std::vector<TermId>& roots) {
    std::vector<char> seen(s.size(), 0);
    std::vector<TermId> stack(roots), vars;
    while (!stack.empty()) {
        TermId t = stack.back();
        stack.pop_back();
        if (seen[t]) continue;
        seen[t] = 1;
        if (s.kind(t) == Kind::Variable) vars.push_back(t);
        for (uint32_t i = 0; i < s.numArgs(t); i++) stack.push_back(s.arg(t, i));
    }
    std::sort(vars.begin(), vars.end());
    return vars;
}

inline void appendTerm(const TermStore& s, TermId t, std::string& out) {
    Kind k = s.kind(t);
    if (k == Kind::Const) {
        out += torva::terms::formatValue(s.sort(t), s.value(t));
        return;
    }
    if (k == Kind::Variable) {
        out += s.name(t);
        return;
    }
    out += '(';
    if (s.numIndices(t) == 0) {
        out += kindName(k);
    } else {
        out += "(_ ";
        out += kindName(k);
        for (uint32_t i = 0; i < s.numIndices(t); i++) out += ' ' + std::to_string(s.index(t, i));
        out += ')';
    }
    for (uint32_t i = 0; i < s.numArgs(t); i++) {
        out += ' ';
        appendTerm(s, s.arg(t, i), out);
    }
    out += ')';
}

// SMT-LIB 2 text of t, the DAG written out as a tree.
inline std::string smt2(const TermStore& s, TermId t) {
    std::string out;
    appendTerm(s, t, out);
    return out;
}

// One declare-const per variable reachable from the roots.
inline std::string declarations(const TermStore& s, const std::vector<TermId>& roots) {
    std::string out;
    for (TermId v : variablesOf(s, roots)) out += "(declare-const " + s.name(v) + " " + sortText(s.sort(v)) + ")\n";
    return out;
}

// Declarations of t's variables and an assertion that t differs from r:
// a script that is unsatisfiable exactly when the rewrite is sound.
inline std::string replayScript(const TermStore& s, TermId t, TermId r) {
    return declarations(s, {t, r}) + "(assert (distinct " + smt2(s, t) + "\n                  " + smt2(s, r) + "))\n";
}

// Declarations of the assertions' variables and one assert each.
inline std::string assertionScript(const TermStore& s, const std::vector<TermId>& assertions) {
    std::string out = declarations(s, assertions);
    for (TermId a : assertions) out += "(assert " + smt2(s, a) + ")\n";
    return out;
}

inline mpz_class randomValue(std::mt19937_64& rng, uint32_t bits) {
    mpz_class v = 0;
    for (uint32_t done = 0; done < bits; done += 64) {
        uint64_t word = rng();
        mpz_class part;
        mpz_import(part.get_mpz_t(), 1, 1, sizeof(word), 0, 0, &word);
        mpz_mul_2exp(v.get_mpz_t(), v.get_mpz_t(), 64);
        v += part;
    }
    mpz_fdiv_r_2exp(v.get_mpz_t(), v.get_mpz_t(), bits);
    return v;
}

// Empty when t and r have equal values under every assignment tried, else a
// message with the replay script, the assignment and both values. All
// assignments are tried when the variables hold at most maxExhaustiveBits
// bits.
inline std::string differences(const TermStore& s, TermId t, TermId r, uint32_t maxExhaustiveBits = 12) {
    constexpr int kRandomPoints = 64;
    if (s.sort(t) != s.sort(r)) return replayScript(s, t, r) + "the rewritten term has another sort";
    std::vector<TermId> vars = variablesOf(s, {t, r});
    uint32_t totalBits = 0;
    for (TermId v : vars) totalBits += bitsOf(s.sort(v));
    bool exhaustive = totalBits <= maxExhaustiveBits;
    uint64_t points = exhaustive ? uint64_t(1) << totalBits : kRandomPoints;
    std::mt19937_64 rng(totalBits);
    Evaluator ev(s);
    std::vector<mpz_class> values(vars.size());
    for (uint64_t point = 0; point < points; point++) {
        uint64_t rest = point;
        for (size_t i = 0; i < vars.size(); i++) {
            uint32_t bits = bitsOf(s.sort(vars[i]));
            if (exhaustive) {
                values[i] = static_cast<unsigned long>(rest & ((uint64_t(1) << bits) - 1));
                rest >>= bits;
            } else {
                values[i] = randomValue(rng, bits);
            }
            ev.assign(vars[i], values[i]);
        }
        mpz_class before = ev.value(t);
        const mpz_class& after = ev.value(r);
        if (before == after) continue;
        std::ostringstream message;
        message << replayScript(s, t, r) << "at";
        for (size_t i = 0; i < vars.size(); i++)
            message << ' ' << s.name(vars[i]) << " = " << torva::terms::formatValue(s.sort(vars[i]), values[i]);
        message << ": " << torva::terms::formatValue(s.sort(t), before) << " before, "
                << torva::terms::formatValue(s.sort(r), after) << " after";
        return message.str();
    }
    return "";
}

}  // namespace rwtest
