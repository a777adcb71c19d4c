// The lowering against the evaluator. Every kind is applied to many operand
// tuples at once (constants, variables fixed by equalities, and for shifts a
// mix), each result asserted equal to the evaluator's value: that must be
// satisfiable with a model that makes every assertion true. The disjunction
// of the results differing from those values must be unsatisfiable, so no
// result has a second possible value. Operands of 1-3 bits take every tuple
// (up to 7 operand bits in all), wider ones a sample, width 64 a few; each
// check runs with the default configuration, with every operation that can
// be a module built as one, and with everything as clauses.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "cnf/verification_model_cnf.h"
#include "config.h"
#include "engine/graph_solve.h"
#include "engine/lowering.h"
#include "generator/module_factory.h"
#include "support/config_guard.h"
#include "terms/evaluator.h"

namespace {

using torva::Lowering;
using torva::terms::Evaluator;
using torva::terms::kBool;
using torva::terms::Kind;
using torva::terms::Sort;
using torva::terms::TermId;
using torva::terms::TermStore;

// Keeps building going on an unsatisfiable clause set, as the graph paths do.
class NoExitOnUnsat {
public:
    NoExitOnUnsat() : saved_(exitOnUnsatWhileBuilding) { exitOnUnsatWhileBuilding = false; }
    ~NoExitOnUnsat() { exitOnUnsatWhileBuilding = saved_; }

private:
    bool saved_;
};

// One lowering and search on a fresh solver; the model stays readable.
class Decision {
public:
    Decision(const TermStore& store, const std::vector<TermId>& assertions)
        : store_(store),
          solver_(prioParams[0]),
          generator_(torva::makeGraphGenerator(solver_)),
          lowering_(store, *generator_) {
        addCounter = 0;
        mulCounter = 0;
        for (TermId a : assertions) lowering_.assertTrue(a);
        generator_->finishModuleWatches();
        vec<Lit> none;
        sat_ = solver_.okay() && solver_.simplify() && solver_.solve(none);
    }
    ~Decision() {
        for (Module* m : solver_.modules) delete m;
    }

    bool sat() const { return sat_; }
    // The model's value of a lowered term.
    mpz_class value(TermId t) { return torva::readBits(solver_, lowering_.bits(t)); }
    // An evaluator holding the model's value of every lowered variable.
    std::unique_ptr<Evaluator> modelEvaluator() {
        auto evaluator = std::make_unique<Evaluator>(store_);
        for (TermId v : lowering_.variables()) evaluator->assign(v, value(v));
        return evaluator;
    }

private:
    const TermStore& store_;
    Solver solver_;
    std::unique_ptr<GeneratorTORVA> generator_;
    Lowering lowering_;
    bool sat_ = false;
};

struct Config {
    const char* name;
    std::function<void()> apply;
};

const std::vector<Config>& configs() {
    static const std::vector<Config> all = {
        {"default", [] { toClses = ToClauses(); }},
        {"modules",
         [] {
             toClses = ToClauses();
             toClses.andCls = toClses.orCls = toClses.xorCls = toClses.eqCls = false;
             toClses.invCls = toClses.idCls = toClses.addCls = toClses.mulCls = false;
             toClses.shiftCls = toClses.iteCls = false;
             toClses.addSubModule = toClses.mulSubModule = true;
             toClses.mulHeur = 0;
         }},
        {"clauses",
         [] {
             toClses = ToClauses();
             toClses.shiftCls = toClses.iteCls = true;
             toClses.addSubModule = toClses.mulSubModule = false;
             toClses.addHeur = toClses.addSizeHeur = UINT32_MAX;
         }},
    };
    return all;
}

typedef std::function<TermId(TermStore&, const std::vector<TermId>&)> Builder;

struct Case {
    std::string name;
    std::vector<Sort> sorts;  // of the operands
    Builder build;
    // Also with a variable first operand and constant others: the shifts
    // lower a constant distance differently.
    bool mixedForm = false;
};

Builder apply(Kind kind, std::vector<uint32_t> indices = {}) {
    return [kind, indices](TermStore& s, const std::vector<TermId>& ops) { return s.mk(kind, ops, indices); };
}

Case kindCase(Kind kind, std::vector<Sort> sorts, std::vector<uint32_t> indices = {}) {
    std::string name = torva::terms::kindName(kind);
    for (uint32_t i : indices) name += " " + std::to_string(i);
    for (Sort s : sorts) name += s == kBool ? " Bool" : " bv" + std::to_string(s);
    bool shift = kind == Kind::BvShl || kind == Kind::BvLshr || kind == Kind::BvAshr;
    return {name, std::move(sorts), apply(kind, std::move(indices)), shift};
}

unsigned int bitsOf(Sort s) { return s == kBool ? 1 : s; }

mpz_class ones(unsigned int w) { return (mpz_class(1) << w) - 1; }

// How many operand tuples a case takes: every tuple when no operand is
// wider than 3 bits and they have at most `exhaustiveBits` bits in all,
// otherwise `samples` tuples mixing edge values (0, 1, -1, the signed
// extremes), small values and random ones. With `edgesFirst` the first
// sampled tuple is the signed overflow (min, -1, ...) and the second has a
// zero second operand.
struct Sampling {
    unsigned int exhaustiveBits;
    int samples;
    bool edgesFirst;
};
const Sampling kSmall{7, 16, true};

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

std::vector<std::vector<mpz_class>> tuples(const std::vector<Sort>& sorts, const Sampling& sampling,
                                           std::mt19937_64& rng) {
    unsigned int total = 0, widest = 0;
    for (Sort s : sorts) {
        total += bitsOf(s);
        widest = std::max(widest, bitsOf(s));
    }
    std::vector<std::vector<mpz_class>> result;
    if (widest <= 3 && total <= sampling.exhaustiveBits) {
        for (uint64_t code = 0; code < (uint64_t(1) << total); ++code) {
            std::vector<mpz_class> tuple;
            unsigned int shift = 0;
            for (Sort s : sorts) {
                tuple.push_back(mpz_class(static_cast<unsigned long>((code >> shift) & ((1u << bitsOf(s)) - 1))));
                shift += bitsOf(s);
            }
            result.push_back(tuple);
        }
        return result;
    }
    for (int n = 0; n < sampling.samples; ++n) {
        std::vector<mpz_class> tuple;
        for (size_t j = 0; j < sorts.size(); ++j) {
            unsigned int w = bitsOf(sorts[j]);
            if (sampling.edgesFirst && n == 0)
                tuple.push_back(j == 0 ? mpz_class(1) << (w - 1) : ones(w));
            else if (sampling.edgesFirst && n == 1 && j == 1)
                tuple.push_back(0);
            else
                tuple.push_back(sampleValue(w, rng));
        }
        result.push_back(tuple);
    }
    return result;
}

TermId constant(TermStore& s, Sort sort, const mpz_class& v) {
    return sort == kBool ? s.mkBool(v != 0) : s.mkConst(sort, v);
}

// Which operands are variables: none, all, or only the first.
enum class Form { Constants, Variables, FirstVariable };
const char* formName(Form f) {
    return f == Form::Constants ? "constants" : f == Form::Variables ? "variables" : "first variable";
}

// Runs the two checks of one case in one form under the current
// configuration; failures name the case.
void checkCase(const Case& c, Form form, const Sampling& sampling, std::mt19937_64& rng) {
    TermStore store;
    std::vector<TermId> fixes, results, expected;
    Evaluator oracle(store);
    for (const std::vector<mpz_class>& tuple : tuples(c.sorts, sampling, rng)) {
        std::vector<TermId> ops;
        for (size_t j = 0; j < tuple.size(); ++j) {
            bool variable = form == Form::Variables || (form == Form::FirstVariable && j == 0);
            TermId value = constant(store, c.sorts[j], tuple[j]);
            if (!variable) {
                ops.push_back(value);
                continue;
            }
            TermId v = store.mkVar(c.sorts[j], "x" + std::to_string(store.size()));
            fixes.push_back(store.mk(Kind::Equal, {v, value}));
            oracle.assign(v, tuple[j]);
            ops.push_back(v);
        }
        TermId t = c.build(store, ops);
        results.push_back(t);
        expected.push_back(constant(store, store.sort(t), oracle.value(t)));
    }
    std::vector<TermId> agree(fixes), differ(fixes);
    std::vector<TermId> anyDiffers;
    for (size_t i = 0; i < results.size(); ++i) {
        agree.push_back(store.mk(Kind::Equal, {results[i], expected[i]}));
        anyDiffers.push_back(store.mk(Kind::Distinct, {results[i], expected[i]}));
    }
    differ.push_back(anyDiffers.size() == 1 ? anyDiffers[0] : store.mk(Kind::Or, anyDiffers));

    const std::string where = c.name + ", " + formName(form);
    {
        Decision d(store, agree);
        ASSERT_TRUE(d.sat()) << where << ": the evaluator's values are refuted";
        std::unique_ptr<Evaluator> model = d.modelEvaluator();
        for (size_t i = 0; i < agree.size(); ++i)
            ASSERT_EQ(model->value(agree[i]), 1) << where << ": the model violates assertion " << i;
    }
    Decision d(store, differ);
    if (!d.sat()) return;
    for (size_t i = 0; i < results.size(); ++i) {
        mpz_class got = d.value(results[i]);
        if (got != store.value(expected[i]))
            ADD_FAILURE() << where << ": result " << i << " can be " << got.get_str() << " instead of "
                          << store.value(expected[i]).get_str();
    }
    ADD_FAILURE() << where << ": a result has a second value";
}

// Every case in every form under every configuration (with `oneRun`: in
// constant form under the default configuration only).
void checkAll(const std::vector<Case>& cases, const Sampling& sampling, bool oneRun = false) {
    ConfigGuard guard;
    NoExitOnUnsat keepRunning;
    std::mt19937_64 rng(20240611);
    for (const Config& config : configs()) {
        if (oneRun && config.name != std::string("default")) continue;
        config.apply();
        for (const Case& c : cases) {
            SCOPED_TRACE(config.name);
            checkCase(c, Form::Constants, sampling, rng);
            if (oneRun) continue;
            checkCase(c, Form::Variables, sampling, rng);
            if (c.mixedForm) checkCase(c, Form::FirstVariable, sampling, rng);
        }
    }
}

const Kind kMultiplicative[] = {Kind::BvMul, Kind::BvUdiv, Kind::BvUrem, Kind::BvSdiv, Kind::BvSrem, Kind::BvSmod};

std::vector<Case> multiplicativeCases(Sort w) {
    std::vector<Case> cases;
    for (Kind k : kMultiplicative) cases.push_back(kindCase(k, {w, w}));
    return cases;
}

const Kind kOtherBinaryWord[] = {Kind::BvAnd,  Kind::BvOr,  Kind::BvXor, Kind::BvNand,   Kind::BvNor,  Kind::BvXnor,
                                 Kind::BvComp, Kind::BvAdd, Kind::BvSub, Kind::BvShl,    Kind::BvLshr, Kind::BvAshr,
                                 Kind::BvUlt,  Kind::BvUle, Kind::BvUgt, Kind::BvUge,    Kind::BvSlt,  Kind::BvSle,
                                 Kind::BvSgt,  Kind::BvSge, Kind::Equal, Kind::Distinct, Kind::Concat};

std::vector<Case> additiveCases(Sort w) {
    std::vector<Case> cases;
    for (Kind k : kOtherBinaryWord) cases.push_back(kindCase(k, {w, w}));
    cases.push_back(kindCase(Kind::BvNot, {w}));
    cases.push_back(kindCase(Kind::BvNeg, {w}));
    cases.push_back(kindCase(Kind::Ite, {kBool, w, w}));
    return cases;
}

std::vector<Case> indexedCases(Sort w) {
    std::vector<Case> cases;
    for (uint32_t hi = 0; hi < w; ++hi)
        for (uint32_t lo = 0; lo <= hi; ++lo) cases.push_back(kindCase(Kind::Extract, {w}, {hi, lo}));
    for (uint32_t k = 1; k <= 3; ++k) cases.push_back(kindCase(Kind::Repeat, {w}, {k}));
    for (uint32_t k = 0; k <= 3; ++k) {
        cases.push_back(kindCase(Kind::ZeroExtend, {w}, {k}));
        cases.push_back(kindCase(Kind::SignExtend, {w}, {k}));
    }
    for (uint32_t k = 0; k <= 2 * w + 1; ++k) {
        cases.push_back(kindCase(Kind::RotateLeft, {w}, {k}));
        cases.push_back(kindCase(Kind::RotateRight, {w}, {k}));
    }
    return cases;
}

TEST(Lowering, EveryWordKindAtWidthsOneToFour) {
    for (Sort w = 1; w <= 4; ++w) {
        std::vector<Case> cases = additiveCases(w);
        for (const Case& c : multiplicativeCases(w)) cases.push_back(c);
        for (Sort v = 1; v <= 2; ++v) cases.push_back(kindCase(Kind::Concat, {w, v}));
        checkAll(cases, kSmall);
    }
}

TEST(Lowering, EveryIndexedKindOverAllLegalIndices) {
    for (Sort w = 1; w <= 4; ++w) checkAll(indexedCases(w), kSmall);
}

TEST(Lowering, WideWordsOnSampledValues) {
    std::vector<Case> cases = additiveCases(64);
    cases.push_back(kindCase(Kind::Extract, {64}, {40, 7}));
    cases.push_back(kindCase(Kind::SignExtend, {64}, {5}));
    cases.push_back(kindCase(Kind::RotateLeft, {64}, {67}));
    cases.push_back(kindCase(Kind::RotateRight, {64}, {13}));
    checkAll(cases, {0, 3, false});
    // Multiplication and division are large circuits at this width: one
    // sampled pair each, in one run.
    checkAll(multiplicativeCases(64), {0, 1, true}, true);
}

TEST(Lowering, BooleanKindsAndNaryForms) {
    std::vector<Case> cases;
    cases.push_back(kindCase(Kind::Not, {kBool}));
    for (Kind k : {Kind::And, Kind::Or, Kind::Xor, Kind::Implies, Kind::Equal, Kind::Distinct}) {
        cases.push_back(kindCase(k, {kBool, kBool}));
        cases.push_back(kindCase(k, {kBool, kBool, kBool}));
        cases.push_back(kindCase(k, {kBool, kBool, kBool, kBool}));
    }
    cases.push_back(kindCase(Kind::Ite, {kBool, kBool, kBool}));
    for (Sort w = 1; w <= 3; ++w) {
        for (Kind k : {Kind::BvAnd, Kind::BvOr, Kind::BvXor, Kind::BvAdd, Kind::BvSub, Kind::BvMul, Kind::Concat,
                       Kind::Equal, Kind::Distinct})
            cases.push_back(kindCase(k, {w, w, w}));
    }
    checkAll(cases, kSmall);
}

// Operands whose bits repeat or are shared constants (the same word twice,
// extensions, repeats), which the modules see as one variable in several
// places.
TEST(Lowering, OperandsWithSharedBits) {
    std::vector<Case> cases;
    for (Sort w = 1; w <= 3; ++w) {
        auto on = [&](const std::string& name, std::vector<Sort> sorts, Builder b) {
            cases.push_back({name + " bv" + std::to_string(w), std::move(sorts), std::move(b)});
        };
        on("x + x", {w}, [](TermStore& s, const std::vector<TermId>& o) { return s.mk(Kind::BvAdd, {o[0], o[0]}); });
        on("x * x", {w}, [](TermStore& s, const std::vector<TermId>& o) { return s.mk(Kind::BvMul, {o[0], o[0]}); });
        on("x udiv x", {w}, [](TermStore& s, const std::vector<TermId>& o) {
            return s.mk(Kind::BvUdiv, {o[0], o[0]});
        });
        on("x smod -x", {w}, [](TermStore& s, const std::vector<TermId>& o) {
            return s.mk(Kind::BvSmod, {o[0], s.mk(Kind::BvNeg, {o[0]})});
        });
        on("ite c x x", {kBool, w}, [](TermStore& s, const std::vector<TermId>& o) {
            return s.mk(Kind::Ite, {o[0], o[1], o[1]});
        });
        on("concat x y + zext y", {w, w}, [w](TermStore& s, const std::vector<TermId>& o) {
            return s.mk(Kind::BvAdd, {s.mk(Kind::Concat, {o[0], o[1]}), s.mk(Kind::ZeroExtend, {o[1]}, {w})});
        });
        on("sext x * repeat y", {w, w}, [w](TermStore& s, const std::vector<TermId>& o) {
            return s.mk(Kind::BvMul, {s.mk(Kind::SignExtend, {o[0]}, {w}), s.mk(Kind::Repeat, {o[1]}, {2})});
        });
        on("zext x urem concat y y", {w, w}, [w](TermStore& s, const std::vector<TermId>& o) {
            return s.mk(Kind::BvUrem, {s.mk(Kind::ZeroExtend, {o[0]}, {w}), s.mk(Kind::Concat, {o[1], o[1]})});
        });
        on("zext x shl zext y", {w, w}, [w](TermStore& s, const std::vector<TermId>& o) {
            return s.mk(Kind::BvShl, {s.mk(Kind::ZeroExtend, {o[0]}, {w}), s.mk(Kind::ZeroExtend, {o[1]}, {w})});
        });
        on("sext x ashr zext y", {w, w}, [w](TermStore& s, const std::vector<TermId>& o) {
            return s.mk(Kind::BvAshr, {s.mk(Kind::SignExtend, {o[0]}, {w}), s.mk(Kind::ZeroExtend, {o[1]}, {w})});
        });
        on("concat x x = rotl concat x x", {w}, [](TermStore& s, const std::vector<TermId>& o) {
            TermId xx = s.mk(Kind::Concat, {o[0], o[0]});
            return s.mk(Kind::Equal, {xx, s.mk(Kind::RotateLeft, {xx}, {1})});
        });
        on("zext x ult sext x", {w}, [](TermStore& s, const std::vector<TermId>& o) {
            return s.mk(Kind::BvUlt, {s.mk(Kind::ZeroExtend, {o[0]}, {1}), s.mk(Kind::SignExtend, {o[0]}, {1})});
        });
        on("x = x and x distinct y", {w, w}, [](TermStore& s, const std::vector<TermId>& o) {
            return s.mk(Kind::And, {s.mk(Kind::Equal, {o[0], o[0]}), s.mk(Kind::Distinct, {o[0], o[1]})});
        });
    }
    checkAll(cases, {4, 24, true});
}

}  // namespace
