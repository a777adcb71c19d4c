// Guessing models: the variables of the assertions get the same guessed
// value pattern each round, the evaluator decides the assertions.
// Scopes: it only ever finds a model of the check at hand, so it runs for a
// check solved alone and leaves nothing for later checks.
#include "simplify/probe.h"

#include <algorithm>
#include <cstdint>

#include "terms/evaluator.h"
#include "terms/reachable.h"

namespace torva::simplify {

using terms::Kind;
using terms::TermId;

namespace {

constexpr size_t kMaxNodes = 200'000;
constexpr int kRounds = 8;

// splitmix64: a fixed sequence of 64-bit words.
uint64_t nextWord(uint64_t& state) {
    uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

// Round 0: zeros; round 1: ones; then random words.
mpz_class guess(int round, uint32_t width, uint64_t& state) {
    mpz_class v;
    if (round == 1) {
        mpz_setbit(v.get_mpz_t(), width);
        return v - 1;
    }
    if (round == 0) return v;
    for (uint32_t filled = 0; filled < width; filled += 64) {
        uint64_t bits = nextWord(state);
        mpz_class word;
        mpz_import(word.get_mpz_t(), 1, 1, sizeof bits, 0, 0, &bits);
        v += word << filled;
    }
    mpz_fdiv_r_2exp(v.get_mpz_t(), v.get_mpz_t(), width);
    return v;
}

}  // namespace

bool probeModel(const terms::TermStore& store, const std::vector<TermId>& assertions, terms::Model& model) {
    std::vector<TermId> variables;
    size_t nodes = 0;
    terms::forEachReachable(store, assertions, [&](TermId t) {
        ++nodes;
        if (store.kind(t) == Kind::Variable) variables.push_back(t);
    });
    if (nodes > kMaxNodes) return false;
    std::sort(variables.begin(), variables.end());
    uint64_t state = 0x7072'6f62'6531ull;
    for (int round = 0; round < kRounds; round++) {
        terms::Evaluator values(store);
        terms::Model guessed;
        for (TermId v : variables) {
            mpz_class value = guess(round, store.isBool(v) ? 1 : store.width(v), state);
            values.assign(v, value);
            guessed.values.emplace_back(v, value);
        }
        bool all = true;
        for (TermId a : assertions)
            if (values.value(a) == 0) {
                all = false;
                break;
            }
        if (!all) continue;
        model = std::move(guessed);
        return true;
    }
    return false;
}

}  // namespace torva::simplify
