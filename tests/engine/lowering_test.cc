// The lowering against the evaluator. Every kind is applied to many operand
// tuples at once (constants, variables fixed by equalities, and for shifts a
// mix), each result asserted equal to the evaluator's value: solveGraph must
// find that satisfiable with a model that makes every assertion true, and
// the disjunction of the results differing from those values
// unsatisfiable, so no result has a second possible value. Operands of 1-3
// bits take every tuple (up to 7 operand bits in all), wider ones a sample
// (the graph campaigns take the wide widths); each check runs under the
// splits of the classic, modules and clauses presets.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "config.h"
#include "engine/graph_solve.h"
#include "engine/presets.h"
#include "support/config_guard.h"
#include "terms/evaluator.h"

namespace {

using torva::terms::Answer;
using torva::terms::CheckOutcome;
using torva::terms::Evaluator;
using torva::terms::kBool;
using torva::terms::Kind;
using torva::terms::Sort;
using torva::terms::TermId;
using torva::terms::TermStore;
typedef const std::vector<TermId>& Ops;

// The splits between modules and clauses each case runs under: as compiled
// in, every operation that can be a module built as one, and everything as
// clauses.
const std::pair<const char*, torva::Preset> kSplits[] = {
    {"classic", torva::Preset::Classic}, {"modules", torva::Preset::Modules}, {"clauses", torva::Preset::Clauses}};

struct Case {
    std::string name;
    std::vector<Sort> sorts;  // of the operands
    std::function<TermId(TermStore&, Ops)> build;
    // Also with a variable first operand and constant others: the shifts
    // lower a constant distance differently.
    bool mixedForm = false;
};

Case kindCase(Kind kind, std::vector<Sort> sorts, std::vector<uint32_t> indices = {}) {
    std::string name = torva::terms::kindName(kind);
    for (uint32_t i : indices) name += " " + std::to_string(i);
    for (Sort s : sorts) name += s == kBool ? " Bool" : " bv" + std::to_string(s);
    bool shift = kind == Kind::BvShl || kind == Kind::BvLshr || kind == Kind::BvAshr;
    return {name, std::move(sorts), [kind, indices](TermStore& s, Ops ops) { return s.mk(kind, ops, indices); },
            shift};
}

unsigned int bitsOf(Sort s) { return s == kBool ? 1 : s; }

mpz_class ones(unsigned int w) { return (mpz_class(1) << w) - 1; }

// The operand tuples a case takes: every tuple when no operand is wider
// than 3 bits and they have at most `exhaustiveBits` bits in all, otherwise
// `samples` tuples mixing edge values (0, 1, -1, the signed extremes), small
// values and random ones, the first the signed overflow (min, -1, ...), the
// second with a zero second operand.
struct Sampling {
    unsigned int exhaustiveBits;
    int samples;
};
const Sampling kSmall{7, 16};

mpz_class sampleValue(unsigned int w, std::mt19937_64& rng) {
    const mpz_class min = mpz_class(1) << (w - 1);
    const mpz_class edges[] = {0, 1, ones(w), min, min - 1};
    mpz_class v;
    switch (rng() % 3) {
        case 0: return edges[rng() % 5];
        case 1: return mpz_class(static_cast<unsigned long>(rng() % (2 * w)));
        default:
            for (unsigned int b = 0; b < w; ++b)
                if (rng() & 1) mpz_setbit(v.get_mpz_t(), b);
            return v;
    }
}

TermId constant(TermStore& s, Sort sort, const mpz_class& v) {
    return sort == kBool ? s.mkBool(v != 0) : s.mkConst(sort, v);
}

// Which operands are variables: none, all, or only the first.
enum class Form { Constants, Variables, FirstVariable };
const char* const kFormNames[] = {"constants", "variables", "first variable"};

// Runs the two checks of one case in one form under the current split;
// failures name the case.
void checkCase(const Case& c, Form form, const Sampling& sampling, std::mt19937_64& rng) {
    unsigned int total = 0, widest = 0;
    for (Sort s : c.sorts) {
        total += bitsOf(s);
        widest = std::max(widest, bitsOf(s));
    }
    const bool exhaustive = widest <= 3 && total <= sampling.exhaustiveBits;
    const uint64_t count = exhaustive ? uint64_t(1) << total : static_cast<uint64_t>(sampling.samples);
    TermStore store;
    std::vector<TermId> fixes, equalities, distincts;
    Evaluator oracle(store);
    for (uint64_t n = 0; n < count; ++n) {
        std::vector<TermId> ops;
        for (size_t j = 0, shift = 0; j < c.sorts.size(); shift += bitsOf(c.sorts[j++])) {
            const unsigned int w = bitsOf(c.sorts[j]);
            mpz_class value;
            if (exhaustive)
                value = static_cast<unsigned long>((n >> shift) & ((1u << w) - 1));
            else if (n == 0)
                value = j == 0 ? mpz_class(mpz_class(1) << (w - 1)) : ones(w);
            else if (n != 1 || j != 1)
                value = sampleValue(w, rng);
            ops.push_back(constant(store, c.sorts[j], value));
            if (form == Form::Constants || (form == Form::FirstVariable && j > 0)) continue;
            TermId v = store.mkVar(c.sorts[j], "x" + std::to_string(store.size()));
            fixes.push_back(store.mk(Kind::Equal, {v, ops.back()}));
            oracle.assign(v, value);
            ops.back() = v;
        }
        TermId t = c.build(store, ops);
        TermId expected = constant(store, store.sort(t), oracle.value(t));
        equalities.push_back(store.mk(Kind::Equal, {t, expected}));
        distincts.push_back(store.mk(Kind::Distinct, {t, expected}));
    }
    std::vector<TermId> agree(fixes), differ(fixes);
    agree.insert(agree.end(), equalities.begin(), equalities.end());
    differ.push_back(distincts.size() == 1 ? distincts[0] : store.mk(Kind::Or, distincts));

    const std::string where = c.name + ", " + kFormNames[static_cast<int>(form)];
    try {
        CheckOutcome outcome = torva::solveGraph(store, agree, torva::GraphSolveOptions());
        ASSERT_EQ(outcome.answer, Answer::Sat) << where << ": the evaluator's values are refuted";
        Evaluator model(store);
        for (const auto& [variable, value] : outcome.model.values) model.assign(variable, value);
        for (size_t i = 0; i < agree.size(); ++i)
            ASSERT_EQ(model.value(agree[i]), 1) << where << ": the model violates assertion " << i;
        EXPECT_EQ(torva::solveGraph(store, differ, torva::GraphSolveOptions()).answer, Answer::Unsat)
            << where << ": a result has a second value";
    } catch (const torva::WrongModel& wrong) {
        ADD_FAILURE() << where << ": " << wrong.what();
    }
}

// Every case in every form under every split.
void checkAll(const std::vector<Case>& cases, const Sampling& sampling) {
    ConfigGuard guard;
    std::mt19937_64 rng(20240611);
    for (const auto& [name, preset] : kSplits) {
        toClses = ToClauses();
        torva::applyPreset(preset, toClses);
        for (const Case& c : cases) {
            SCOPED_TRACE(name);
            checkCase(c, Form::Constants, sampling, rng);
            checkCase(c, Form::Variables, sampling, rng);
            if (c.mixedForm) checkCase(c, Form::FirstVariable, sampling, rng);
        }
    }
}

// Every word kind at widths 1 to 4, the indexed ones over all legal indices.
TEST(Lowering, EveryWordKindAtWidthsOneToFour) {
    for (Sort w = 1; w <= 4; ++w) {
        std::vector<Case> cases = {kindCase(Kind::BvNot, {w}), kindCase(Kind::BvNeg, {w}),
                                   kindCase(Kind::Ite, {kBool, w, w})};
        for (Kind k : {Kind::BvAnd, Kind::BvOr, Kind::BvXor, Kind::BvNand, Kind::BvNor, Kind::BvXnor, Kind::BvComp,
                       Kind::BvAdd, Kind::BvSub, Kind::BvShl, Kind::BvLshr, Kind::BvAshr, Kind::BvUlt, Kind::BvUle,
                       Kind::BvUgt, Kind::BvUge, Kind::BvSlt, Kind::BvSle, Kind::BvSgt, Kind::BvSge, Kind::Equal,
                       Kind::Distinct, Kind::Concat, Kind::BvMul, Kind::BvUdiv, Kind::BvUrem, Kind::BvSdiv,
                       Kind::BvSrem, Kind::BvSmod})
            cases.push_back(kindCase(k, {w, w}));
        for (Sort v = 1; v <= 2; ++v) cases.push_back(kindCase(Kind::Concat, {w, v}));
        for (uint32_t hi = 0; hi < w; ++hi)
            for (uint32_t lo = 0; lo <= hi; ++lo) cases.push_back(kindCase(Kind::Extract, {w}, {hi, lo}));
        for (uint32_t k = 0; k <= 2 * w + 1; ++k) {
            if (k >= 1 && k <= 3) cases.push_back(kindCase(Kind::Repeat, {w}, {k}));
            if (k <= 3) cases.push_back(kindCase(Kind::ZeroExtend, {w}, {k}));
            if (k <= 3) cases.push_back(kindCase(Kind::SignExtend, {w}, {k}));
            cases.push_back(kindCase(Kind::RotateLeft, {w}, {k}));
            cases.push_back(kindCase(Kind::RotateRight, {w}, {k}));
        }
        checkAll(cases, kSmall);
    }
}

TEST(Lowering, BooleanKindsAndNaryForms) {
    std::vector<Case> cases = {kindCase(Kind::Not, {kBool}), kindCase(Kind::Ite, {kBool, kBool, kBool})};
    for (Kind k : {Kind::And, Kind::Or, Kind::Xor, Kind::Implies, Kind::Equal, Kind::Distinct}) {
        cases.push_back(kindCase(k, {kBool, kBool}));
        cases.push_back(kindCase(k, {kBool, kBool, kBool}));
        cases.push_back(kindCase(k, {kBool, kBool, kBool, kBool}));
    }
    for (Sort w = 1; w <= 3; ++w) {
        for (Kind k : {Kind::BvAnd, Kind::BvOr, Kind::BvXor, Kind::BvAdd, Kind::BvSub, Kind::BvMul, Kind::Concat,
                       Kind::Equal, Kind::Distinct})
            cases.push_back(kindCase(k, {w, w, w}));
    }
    checkAll(cases, kSmall);
}

// Operands whose bits repeat or are shared constants, which the modules see
// as one variable in several places. (Shapes of the kinds the incremental
// campaign's sessions build, such as x + x, x * x or zero extensions under
// sums, are left to them.)
TEST(Lowering, OperandsWithSharedBits) {
    std::vector<Case> cases;
    for (Sort w = 1; w <= 3; ++w) {
        auto on = [&](const std::string& name, std::vector<Sort> sorts, std::function<TermId(TermStore&, Ops)> b) {
            cases.push_back({name + " bv" + std::to_string(w), std::move(sorts), std::move(b)});
        };
        on("x smod -x", {w}, [](TermStore& s, Ops o) { return s.mk(Kind::BvSmod, {o[0], s.mk(Kind::BvNeg, {o[0]})}); });
        on("sext x * repeat y", {w, w}, [w](TermStore& s, Ops o) {
            return s.mk(Kind::BvMul, {s.mk(Kind::SignExtend, {o[0]}, {w}), s.mk(Kind::Repeat, {o[1]}, {2})});
        });
        on("sext x ashr zext y", {w, w}, [w](TermStore& s, Ops o) {
            return s.mk(Kind::BvAshr, {s.mk(Kind::SignExtend, {o[0]}, {w}), s.mk(Kind::ZeroExtend, {o[1]}, {w})});
        });
        on("concat x x = rotl concat x x", {w}, [](TermStore& s, Ops o) {
            TermId xx = s.mk(Kind::Concat, {o[0], o[0]});
            return s.mk(Kind::Equal, {xx, s.mk(Kind::RotateLeft, {xx}, {1})});
        });
        on("zext x ult sext x", {w}, [](TermStore& s, Ops o) {
            return s.mk(Kind::BvUlt, {s.mk(Kind::ZeroExtend, {o[0]}, {1}), s.mk(Kind::SignExtend, {o[0]}, {1})});
        });
    }
    checkAll(cases, {4, 24});
}

}  // namespace
