// The simplification passes against brute force at small widths. Random
// assertion lists are shaped to reach every pass: conjunctions and negated
// disjunctions, definitions x = t in both orders, chains and cycles of them,
// Boolean facts, constant equalities whose term recurs elsewhere, an atom
// asserted together with its negation, and variables made to occur once
// under every operator the unconstrained pass inverts. Enumerating every
// assignment decides the input and the simplified list, which must agree;
// spread satisfying assignments of the simplified list must complete to
// models of the input. This runs with the default settings and with each
// switch off, and counts that every pass which is on fires and every pass
// which is off does not. Targeted cases pin the shapes the passes leave.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <exception>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "random_terms.h"
#include "rewrite_check.h"
#include "simplify/simplify.h"

#include "sanitized.h"

namespace {

using namespace rwtest;
using torva::simplify::RewriteSettings;
using torva::simplify::Rewriter;
using torva::simplify::Simplified;
using torva::simplify::SimplifySettings;
using torva::simplify::SimplifyStats;
using torva::terms::Model;

#ifdef TORVA_SANITIZED
constexpr uint64_t kInstancesPerSwitch = 150;
#else
constexpr uint64_t kInstancesPerSwitch = 700;
#endif
constexpr uint32_t kMaxBits = 12;      // bits of all variables of one random list
constexpr size_t kCheckedModels = 12;  // satisfying assignments completed per list
constexpr int kShownFailures = 5;
constexpr TermId kNone = RandomTerms::kNone;

// Random assertion lists over x and y (one width, 1 to 3), sometimes z (a
// width of its own), the Boolean p and sometimes q; a variable meant to
// occur once is made for its shape alone. Most constants and orientations
// are taken from a planted assignment of the fixed variables, so that about
// as many lists are satisfiable as not.
class RandomAssertions {
public:
    RandomAssertions(TermStore& s, uint64_t seed) : s_(s), rng_(seed), plant_(s) {
        uint32_t w = 1 + below(3);
        x_ = variable(w, "x");
        y_ = variable(w, "y");
        p_ = variable(kBool, "p");
        if (below(2) == 0) q_ = variable(kBool, "q");
        terms_.emplace_back(s_, rng_(), w, std::vector<TermId>{x_, y_}, p_);
        if (below(2) == 0) {
            z_ = variable(1 + below(3), "z");
            terms_.emplace_back(s_, rng_(), s_.width(z_), std::vector<TermId>{z_}, q_);
        }
        for (TermId v : fixedVariables()) plant_.assign(v, static_cast<unsigned long>(rng_() % 8));
        for (uint32_t shapes = 2 + below(4); shapes > 0; shapes--) shape();
        group();
    }

    const std::vector<TermId>& assertions() const { return list_; }
    bool contradictory() const { return contradictory_; }

private:
    uint32_t below(size_t n) { return static_cast<uint32_t>(rng_() % n); }

    TermId variable(Sort sort, const std::string& name) {
        bits_ += bitsOf(sort);
        return s_.mkVar(sort, name);
    }

    // A variable for one occurrence, or kNone when the bits are spent.
    TermId onceVariable(Sort sort, char letter) {
        if (bits_ + bitsOf(sort) > kMaxBits) return kNone;
        return variable(sort, letter + std::to_string(onceVariables_++));
    }

    TermId mk(K kind, std::vector<TermId> args, std::vector<uint32_t> indices = {}) {
        return s_.mk(kind, args, indices);
    }
    TermId negation(TermId a) { return mk(K::Not, {a}); }
    TermId equality(TermId a, TermId b) { return below(2) == 0 ? mk(K::Equal, {a, b}) : mk(K::Equal, {b, a}); }
    TermId constant(uint32_t w) { return s_.mkConst(w, static_cast<unsigned long>(rng_() % (1u << w))); }
    void add(TermId a) { list_.push_back(a); }

    // The value of t (over fixed variables only) under the planted assignment.
    TermId planted(TermId t) { return s_.mkConst(s_.width(t), plant_.value(t)); }
    // b or its negation, mostly the one that holds under the planted assignment.
    TermId oriented(TermId b) { return (below(4) == 0 ? below(2) == 0 : plant_.value(b) == 1) ? b : negation(b); }

    // A random term over the fixed variables, sometimes two generators' joined.
    TermId filler(Sort sort, int depth) {
        size_t first = below(terms_.size());
        TermId t = terms_[first].term(sort, depth);
        if (terms_.size() == 1 || below(3) != 0) return t;
        TermId u = terms_[1 - first].term(sort, depth);
        static const K boolJoins[] = {K::And, K::Or, K::Xor, K::Equal};
        static const K bvJoins[] = {K::BvAdd, K::BvXor, K::BvAnd, K::BvOr};
        return mk(sort == kBool ? boolJoins[below(4)] : bvJoins[below(4)], {t, u});
    }

    std::vector<TermId> fixedVariables() const {
        std::vector<TermId> vars{x_, y_, p_};
        for (TermId v : {z_, q_})
            if (v != kNone) vars.push_back(v);
        return vars;
    }

    void shape() {
        uint32_t pick = below(20);
        if (pick < 4) return definition();
        if (pick < 7) return definitionRing();
        if (pick < 9) return booleanFact();
        if (pick < 12) return constantEquality();
        if (pick < 13) return contradiction();
        if (pick < 18) return onceOperand();
        add(oriented(filler(kBool, 2)));
    }

    // v = t, either side first; t may mention v, and then it defines nothing.
    void definition() {
        std::vector<TermId> vars = fixedVariables();
        TermId v = vars[below(vars.size())];
        add(equality(v, filler(s_.sort(v), 2)));
    }

    // x = f(y), y = g(x) (or through z too); open rings are chains.
    void definitionRing() {
        std::vector<TermId> ring{x_, y_};
        if (z_ != kNone && s_.width(z_) == s_.width(x_) && below(2) == 0) ring.push_back(z_);
        size_t links = below(3) == 0 ? ring.size() - 1 : ring.size();
        for (size_t i = 0; i < links; i++) add(equality(ring[i], definedBy(ring[i], ring[(i + 1) % ring.size()])));
    }

    // A term over v for `defined`: v or v combined with a random term, plus
    // a constant that is mostly the planted difference.
    TermId definedBy(TermId defined, TermId v) {
        uint32_t w = s_.width(v);
        static const K ops[] = {K::BvAdd, K::BvSub, K::BvXor, K::BvMul, K::BvAnd, K::BvOr};
        TermId t = below(2) == 0 ? v : mk(ops[below(std::size(ops))], {v, filler(w, 1)});
        return mk(K::BvAdd, {t, below(4) == 0 ? constant(w) : planted(mk(K::BvSub, {defined, t}))});
    }

    void booleanFact() {
        add(oriented(below(3) == 0 ? filler(kBool, 1) : (q_ != kNone && below(2) == 0 ? q_ : p_)));
    }

    // t = c with t an operation (sometimes chained: t = c = t' with t'
    // planted to c), and t again inside another assertion.
    void constantEquality() {
        uint32_t w = s_.width(below(2) == 0 || z_ == kNone ? x_ : z_);
        static const K ops[] = {K::BvAdd, K::BvMul, K::BvAnd, K::BvOr, K::BvXor, K::BvLshr, K::BvUdiv};
        TermId t = mk(ops[below(std::size(ops))], {filler(w, 1), filler(w, 1)});
        TermId c = below(4) == 0 ? constant(w) : planted(t);
        if (below(4) == 0) {
            TermId other = filler(w, 1);
            mpz_class offset = s_.value(c) - plant_.value(other);
            mpz_fdiv_r_2exp(offset.get_mpz_t(), offset.get_mpz_t(), w);
            add(mk(K::Equal, {t, c, mk(K::BvAdd, {other, s_.mkConst(w, offset)})}));
        } else {
            add(equality(t, c));
        }
        switch (below(3)) {
            case 0: return add(oriented(mk(K::BvUlt, {t, filler(w, 1)})));
            case 1: return add(oriented(mk(K::Or, {mk(K::Distinct, {t, constant(w)}), filler(kBool, 1)})));
            default: {
                TermId sum = mk(K::BvAdd, {t, filler(w, 1)});
                return add(equality(sum, planted(sum)));
            }
        }
    }

    void contradiction() {
        TermId a = filler(kBool, 2);
        add(a);
        add(negation(a));
        contradictory_ = true;
    }

    // A term over a variable occurring once, held by an assertion.
    void onceOperand() {
        uint32_t room = kMaxBits - std::min(bits_, kMaxBits);
        if (room < 2) return add(filler(kBool, 2));
        TermId r;
        if (below(4) == 0) {
            r = overOnceBool(onceVariable(kBool, 'b'));
        } else {
            r = overOnce(onceVariable(1 + below(std::min(3u, room / 2)), 'u'));
            if (!s_.isBool(r) && below(3) == 0) r = overOnce(r);
        }
        add(holding(r));
    }

    TermId overOnceBool(TermId b) {
        switch (below(4)) {
            case 0: return negation(b);
            case 1: return below(2) == 0 ? mk(K::Xor, {b, filler(kBool, 1)}) : mk(K::Xor, {filler(kBool, 1), b});
            case 2: return equality(b, filler(kBool, 1));
            default: {
                uint32_t w = s_.width(x_);
                TermId branch = onceVariable(w, 'u');
                if (branch == kNone) branch = filler(w, 1);
                return below(2) == 0 ? mk(K::Ite, {b, branch, filler(w, 1)}) : mk(K::Ite, {b, filler(w, 1), branch});
            }
        }
    }

    // An operator over u, which occurs nowhere else; the binary operators
    // also with both operands occurring once.
    TermId overOnce(TermId u) {
        uint32_t w = s_.width(u);
        TermId t = filler(w, 1);
        switch (below(12)) {
            case 0: return below(2) == 0 ? mk(K::BvAdd, {u, t}) : mk(K::BvAdd, {t, u});
            case 1: return below(2) == 0 ? mk(K::BvSub, {u, t}) : mk(K::BvSub, {t, u});
            case 2: return mk(K::BvXor, {t, u});
            case 3: return mk(below(2) == 0 ? K::BvNeg : K::BvNot, {u});
            case 4: return mk(K::BvMul, {s_.mkConst(w, (rng_() % (1u << w)) | 1), u});
            case 5: {
                TermId other = below(2) == 0 ? onceVariable(w, 'v') : kNone;
                TermId branch = other == kNone ? t : other;
                return below(2) == 0 ? mk(K::Ite, {filler(kBool, 1), u, branch})
                                     : mk(K::Ite, {filler(kBool, 1), branch, u});
            }
            case 6: {
                TermId other = onceVariable(1 + below(3), 'v');
                TermId part = other == kNone ? filler(1 + below(3), 1) : other;
                return below(2) == 0 ? mk(K::Concat, {u, part}) : mk(K::Concat, {part, u});
            }
            case 7: {
                uint32_t lo = below(w), hi = lo + below(w - lo);
                return mk(K::Extract, {u}, {hi, lo});
            }
            case 8: return mk(K::Equal, {u, t});
            default: return overTwoOnce(u, t);
        }
    }

    TermId overTwoOnce(TermId u, TermId t) {
        static const K ops[] = {K::BvMul,  K::BvUdiv, K::BvSdiv, K::BvUrem, K::BvSrem, K::BvSmod, K::BvAnd,
                                K::BvOr,   K::BvShl,  K::BvLshr, K::BvAshr, K::BvUlt,  K::BvSlt};
        TermId v = onceVariable(s_.width(u), 'v');
        return mk(ops[below(std::size(ops))], {u, v == kNone ? t : v});
    }

    TermId holding(TermId r) {
        if (s_.isBool(r)) {
            switch (below(3)) {
                case 0: return r;
                case 1: return mk(K::Or, {r, filler(kBool, 1)});
                default: return equality(r, filler(kBool, 1));
            }
        }
        uint32_t w = s_.width(r);
        switch (below(3)) {
            case 0: return equality(r, filler(w, 1));
            case 1: return mk(K::BvUlt, {filler(w, 1), r});
            default: return mk(K::Distinct, {r, constant(w)});
        }
    }

    // Some neighbours joined into a conjunction or a negated disjunction.
    void group() {
        std::vector<TermId> grouped;
        for (size_t i = 0; i < list_.size();) {
            size_t n = std::min<size_t>(list_.size() - i, below(3) == 0 ? 2 + below(2) : 1);
            std::vector<TermId> parts(list_.begin() + i, list_.begin() + i + n);
            i += n;
            if (n == 1) {
                grouped.push_back(parts[0]);
            } else if (below(2) == 0) {
                grouped.push_back(mk(K::And, parts));
            } else {
                for (TermId& part : parts) part = negation(part);
                grouped.push_back(negation(mk(K::Or, parts)));
            }
        }
        list_ = std::move(grouped);
    }

    TermStore& s_;
    std::mt19937_64 rng_;
    Evaluator plant_;
    std::vector<RandomTerms> terms_;
    TermId x_ = kNone, y_ = kNone, z_ = kNone, p_ = kNone, q_ = kNone;
    uint32_t bits_ = 0;
    uint32_t onceVariables_ = 0;
    std::vector<TermId> list_;
    bool contradictory_ = false;
};

using Assignment = std::vector<mpz_class>;

// The assignments of vars that satisfy every assertion, in counting order,
// at most `limit` of them.
std::vector<Assignment> satisfyingAssignments(const TermStore& s, const std::vector<TermId>& vars,
                                              const std::vector<TermId>& assertions, size_t limit) {
    std::vector<Assignment> found;
    Evaluator ev(s);
    forEachAssignment(s, vars, ev, kMaxBits, [&](const Assignment& values) {
        if (std::all_of(assertions.begin(), assertions.end(), [&](TermId a) { return ev.value(a) == 1; }))
            found.push_back(values);
        return found.size() < limit;
    });
    return found;
}

std::string modelText(const TermStore& s, const Model& model) {
    std::string out;
    for (const auto& [v, value] : model.values) out += " " + s.name(v) + " = " + formatValue(s.sort(v), value);
    return out.empty() ? " (empty)" : out;
}

// Empty when the model lists variables by increasing id with values of
// their sorts and satisfies every assertion.
std::string modelFailure(const TermStore& s, const std::vector<TermId>& assertions, const Model& model) {
    Evaluator ev(s);
    for (size_t i = 0; i < model.values.size(); i++) {
        const auto& [v, value] = model.values[i];
        if (i > 0 && model.values[i - 1].first >= v) return "the model is not ordered by variable id";
        if (s.kind(v) != K::Variable || value < 0 || value >= (mpz_class(1) << bitsOf(s.sort(v))))
            return "the model gives " + s.name(v) + " a value outside its sort";
        ev.assign(v, value);
    }
    for (TermId a : assertions)
        if (ev.value(a) != 1) return "the completed model falsifies " + smt2(s, a);
    return "";
}

// Empty when the simplified assertions are satisfiable exactly when the
// input is, hold no more bits of variables, and spread satisfying
// assignments of them complete to models of the input.
std::string simplificationFailure(const TermStore& s, const std::vector<TermId>& input, const Simplified& out) {
    std::vector<TermId> inputVars = variablesOf(s, input), vars = variablesOf(s, out.assertions);
    if (bitsOfVariables(s, vars) > bitsOfVariables(s, inputVars)) return "the simplified assertions hold more bits";
    bool inputSat = !satisfyingAssignments(s, inputVars, input, 1).empty();
    std::vector<Assignment> models = satisfyingAssignments(s, vars, out.assertions, SIZE_MAX);
    if (inputSat != !models.empty())
        return std::string("the input is ") + (inputSat ? "sat" : "unsat") + ", the simplified assertions are not";
    size_t stride = std::max<size_t>(1, models.size() / kCheckedModels);
    for (size_t m = 0; m < models.size(); m += stride) {
        Model model;
        for (size_t i = 0; i < vars.size(); i++) model.values.emplace_back(vars[i], models[m][i]);
        Model completed = torva::simplify::completeModel(s, out.reconstruction, model);
        std::string wrong = modelFailure(s, input, completed);
        if (!wrong.empty())
            return wrong + "\nmodel of the simplified assertions:" + modelText(s, model) +
                   "\ncompleted:" + modelText(s, completed);
    }
    return "";
}

std::string described(const TermStore& s, const std::vector<TermId>& input, const Simplified& out,
                      const std::string& wrong) {
    return wrong + "\ninput:\n" + assertionScript(s, input) + "simplified:\n" + assertionScript(s, out.assertions);
}

// One switch off (both pointers null: the default settings).
struct Switch {
    const char* name;
    bool SimplifySettings::*field;
    bool RewriteSettings::*rewriteField;
};

const Switch kSwitches[] = {
    {"Defaults", nullptr, nullptr},
    {"WithoutRules", nullptr, &RewriteSettings::rules},
    {"WithoutLinear", nullptr, &RewriteSettings::linear},
    {"WithoutSubstitution", &SimplifySettings::substitute, nullptr},
    {"WithoutPropagation", &SimplifySettings::propagate, nullptr},
    {"WithoutUnconstrained", &SimplifySettings::unconstrained, nullptr},
};

struct Totals {
    uint64_t sat = 0, unsat = 0, split = 0, substituted = 0, propagated = 0, unconstrained = 0;

    void add(const SimplifyStats& stats, bool isSat) {
        ++(isSat ? sat : unsat);
        split += stats.conjunctsSplit;
        substituted += stats.substituted;
        propagated += stats.propagated;
        unconstrained += stats.unconstrained;
    }
};

// Empty when the list of the seed simplifies soundly; adds its statistics.
std::string randomListFailure(uint64_t seed, const SimplifySettings& settings, Totals& totals) {
    TermStore s;
    RandomAssertions gen(s, seed);
    const std::vector<TermId>& input = gen.assertions();
    SimplifyStats stats;
    Simplified out;
    try {
        out = torva::simplify::simplify(s, input, settings, stats);
    } catch (const std::exception& e) {
        return "simplify throws " + std::string(e.what()) + "\n" + assertionScript(s, input);
    }
    std::string wrong = simplificationFailure(s, input, out);
    bool isSat = !satisfyingAssignments(s, variablesOf(s, input), input, 1).empty();
    if (wrong.empty() && gen.contradictory() && isSat) wrong = "an atom and its negation are satisfiable";
    if (!wrong.empty()) return described(s, input, out, wrong);
    totals.add(stats, isSat);
    return "";
}

class RandomLists : public testing::TestWithParam<size_t> {};

TEST_P(RandomLists, AgreeWithBruteForceAndCompleteTheirModels) {
    const Switch& off = kSwitches[GetParam()];
    SimplifySettings settings;
    if (off.field) settings.*off.field = false;
    if (off.rewriteField) settings.rewrite.*off.rewriteField = false;
    Totals totals;
    int failures = 0;
    for (uint64_t seed = 0; seed < kInstancesPerSwitch; seed++) {
        std::string failure = randomListFailure(seed, settings, totals);
        if (failure.empty()) continue;
        if (++failures <= kShownFailures) ADD_FAILURE() << off.name << ", seed " << seed << ": " << failure;
    }
    ASSERT_EQ(failures, 0) << "failing seeds among " << kInstancesPerSwitch;
    EXPECT_GT(totals.sat, kInstancesPerSwitch / 5);
    EXPECT_GT(totals.unsat, kInstancesPerSwitch / 10);
    EXPECT_GT(totals.split, 0u);
    EXPECT_EQ(totals.substituted > 0, settings.substitute) << totals.substituted;
    EXPECT_EQ(totals.propagated > 0, settings.propagate) << totals.propagated;
    EXPECT_EQ(totals.unconstrained > 0, settings.unconstrained) << totals.unconstrained;
}

INSTANTIATE_TEST_SUITE_P(Switches, RandomLists, testing::Range<size_t>(0, std::size(kSwitches)),
                         [](const testing::TestParamInfo<size_t>& info) { return kSwitches[info.param].name; });

// Three variables of width 3 and two Booleans, built raw; every result is
// checked against brute force before its shape is.
class Passes : public testing::Test {
protected:
    TermId mk(K kind, std::vector<TermId> args) { return s.mk(kind, args); }
    TermId eq(TermId a, TermId b) { return s.mk(K::Equal, {a, b}); }
    TermId c(unsigned long v) { return s.mkConst(3, v); }
    std::vector<TermId> simplified(const std::vector<TermId>& input, const SimplifySettings& settings) {
        stats = SimplifyStats{};
        out = torva::simplify::simplify(s, input, settings, stats);
        std::string wrong = simplificationFailure(s, input, out);
        EXPECT_EQ(wrong, "") << described(s, input, out, wrong);
        return out.assertions;
    }
    static SimplifySettings without(bool SimplifySettings::*field, bool SimplifySettings::*other = nullptr) {
        SimplifySettings settings;
        settings.*field = false;
        if (other) settings.*other = false;
        return settings;
    }

    TermStore s;
    TermId x = s.mkVar(3, "x"), y = s.mkVar(3, "y"), z = s.mkVar(3, "z");
    TermId p = s.mkVar(kBool, "p"), q = s.mkVar(kBool, "q");
    const std::vector<TermId> contradiction{s.mkBool(false)};
    SimplifyStats stats;
    Simplified out;
};

TEST_F(Passes, SubstitutionEliminatesDefinedVariablesAndRecordsThem) {
    SimplifySettings settings = without(&SimplifySettings::unconstrained);
    Rewriter rw(s, settings.rewrite);
    TermId sum = mk(K::BvAdd, {y, c(1)});
    std::vector<TermId> input{mk(K::And, {eq(sum, x), p}), mk(K::BvUlt, {x, z}), mk(K::Not, {q}),
                              mk(K::Or, {p, q, eq(x, z)})};
    EXPECT_EQ(simplified(input, settings), std::vector<TermId>{rw.mk(K::BvUlt, {rw.rewrite(sum), z})});
    EXPECT_EQ(stats.substituted, 3u);
    EXPECT_GE(stats.conjunctsSplit, 1u);
    std::vector<std::pair<TermId, TermId>> steps = out.reconstruction.steps;
    std::sort(steps.begin(), steps.end());
    EXPECT_EQ(steps, (std::vector<std::pair<TermId, TermId>>{
                         {x, rw.rewrite(sum)}, {p, s.mkBool(true)}, {q, s.mkBool(false)}}));
}

TEST_F(Passes, ADefinitionCycleKeepsOneOfItsDefinitions) {
    SimplifySettings settings = without(&SimplifySettings::unconstrained);
    // x = y & 3, y = x | 4: substituting both would leave nothing to define them.
    std::vector<TermId> rest = simplified({eq(x, mk(K::BvAnd, {y, c(3)})), eq(mk(K::BvOr, {x, c(4)}), y)}, settings);
    EXPECT_EQ(stats.substituted, 1u);
    EXPECT_NE(mentions(s, rest, x), mentions(s, rest, y));
    // A ring through three variables, non-linear.
    rest = simplified({eq(x, mk(K::BvMul, {y, y})), eq(y, mk(K::BvXor, {z, c(5)})), eq(z, mk(K::BvLshr, {x, c(1)}))},
                      settings);
    EXPECT_EQ(stats.substituted, 2u);
    EXPECT_EQ(variablesOf(s, rest).size(), 1u);
}

TEST_F(Passes, PropagationMakesEmbeddedCopiesOfAssertedAtomsTrue) {
    SimplifySettings settings = without(&SimplifySettings::unconstrained, &SimplifySettings::substitute);
    Rewriter rw(s, settings.rewrite);
    TermId atom = mk(K::BvUlt, {x, y}), product = mk(K::BvMul, {x, z});
    std::vector<TermId> input{atom, mk(K::Or, {atom, eq(z, c(5))}), eq(mk(K::Ite, {atom, z, y}), x),
                              eq(product, c(6)), mk(K::BvUlt, {product, y})};
    EXPECT_EQ(simplified(input, settings), (std::vector<TermId>{rw.rewrite(atom), rw.mk(K::Equal, {z, x}),
                                                                rw.rewrite(input[3]), rw.mk(K::BvUlt, {c(6), y})}));
    EXPECT_GE(stats.propagated, 3u);
    // An atom and its negation, apart or inside a conjunction.
    EXPECT_EQ(simplified({mk(K::And, {p, atom}), mk(K::Or, {q, mk(K::Not, {atom})}), mk(K::Not, {atom})}, settings),
              contradiction);
    // Without the rules c = t = y stays one node: it says t = c and y = c,
    // and its negation contradicts it.
    settings = SimplifySettings{};
    settings.rewrite.rules = false;
    TermId chained = mk(K::Equal, {c(3), mk(K::BvAdd, {x, y}), y});
    simplified({chained, mk(K::BvUlt, {y, z})}, settings);
    EXPECT_EQ(simplified({chained, mk(K::Not, {chained})}, settings), contradiction);
}

TEST_F(Passes, ASumOverAVariableOccurringOnceLeavesNoAdder) {
    std::vector<TermId> input{eq(x, mk(K::BvAdd, {y, z})), mk(K::BvUlt, {x, z})};
    for (const SimplifySettings& settings : {SimplifySettings{}, without(&SimplifySettings::substitute)}) {
        std::vector<TermId> rest = simplified(input, settings);
        bool adder = false;
        torva::terms::forEachReachable(s, rest, [&](TermId t) { adder |= s.kind(t) == K::BvAdd; });
        EXPECT_FALSE(adder) << assertionScript(s, rest);
        EXPECT_FALSE(mentions(s, rest, y));
        EXPECT_GE(stats.unconstrained, 1u);
    }
}

}  // namespace
