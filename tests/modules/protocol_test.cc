// Randomized protocol check of every module kind at small widths: a real
// solver with the module registered is driven through random decisions,
// module decisions, propagation and backtracking. After every step: implied
// bits sit on the trail at the current level with the module's reason, which
// starts with the implied literal and has all other literals false; reasons
// and conflicts are consequences of the operation (checked against all its
// models); full assignments are accepted exactly when they satisfy it; and
// after every backtrack the module matches a fresh one given the same
// assignment.
#include <algorithm>
#include <cstdlib>
#include <random>

#include "modules/adder.h"
#include "modules/eqGate.h"
#include "modules/identity.h"
#include "modules/inverter_singlebit.h"
#include "modules/iteGate.h"
#include "modules/multiplier.h"
#include "modules/shift.h"
#include "modules/module_test_support.h"

namespace {

std::vector<int> observableState(Module* m) {
    std::vector<int> state{m->finished};
    if (auto* g = dynamic_cast<AndGate*>(m)) state.push_back(g->cursor);
    if (auto* g = dynamic_cast<OrGate*>(m)) state.push_back(g->cursor);
    if (auto* g = dynamic_cast<XorGate*>(m)) state.push_back(g->cursor);
    if (auto* g = dynamic_cast<IteGate*>(m)) state.push_back(g->cursor);
    if (auto* a = dynamic_cast<Adder*>(m)) {
        state.push_back(a->step);
        state.insert(state.end(), a->carry.begin(), a->carry.begin() + a->step + 1);
    }
    if (auto* x = dynamic_cast<Multiplier*>(m)) {
        state.push_back(x->step);
        state.insert(state.end(), x->carry.begin(), x->carry.begin() + std::min(x->step + 1, x->nColumns));
    }
    if (auto* sh = dynamic_cast<Shift*>(m)) state.insert(state.end(), {sh->shiftValue, sh->zeroDone, sh->step});
    return state;
}

// A module of the same kind over the same variables, not registered.
Module* freshModule(const Operation& op, Module* like, unsigned int id) {
    if (auto* g = dynamic_cast<AndGate*>(like)) return new AndGate(id, 0, g->localVars);
    if (auto* g = dynamic_cast<OrGate*>(like)) return new OrGate(id, 0, g->localVars);
    if (auto* g = dynamic_cast<XorGate*>(like)) return new XorGate(id, 0, g->localVars);
    if (auto* g = dynamic_cast<Identity*>(like)) return new Identity(id, 0, g->localVars[0], g->localVars[1]);
    if (auto* g = dynamic_cast<Inverter_SingleBit*>(like))
        return new Inverter_SingleBit(id, 0, g->localVars[0], g->localVars[1]);
    if (auto* g = dynamic_cast<EqGate*>(like)) return new EqGate(id, 0, g->input_1, g->input_2, g->output);
    if (auto* g = dynamic_cast<IteGate*>(like)) {
        const auto at = [&](int first) { return bitRange(g->localVars[first], g->width); };
        return new IteGate(id, 0, g->select, at(g->width + 1), at(1), at(2 * g->width + 1));
    }
    if (auto* a = dynamic_cast<Adder*>(like)) return new Adder(id, 0, a->input_1, a->input_2, a->output);
    if (auto* x = dynamic_cast<Multiplier*>(like)) return new Multiplier(id, 0, x->input_1, x->input_2, x->output);
    auto* sh = dynamic_cast<Shift*>(like);
    return new Shift(id, 0, sh->input, sh->amount, sh->output, std::min(amountBitsFor(op.width), op.amountWidth),
                     sh->left);
}

class ProtocolWalk {
public:
    explicit ProtocolWalk(const Operation& operation)
        : op(operation), n(operation.nVars()), models(operation.models()), rng(1234u + n) {
        op.registerWith(ms.s);
        m = ms.module();
    }

    void run(int trials, int steps) {
        for (int t = 0; t < trials && !::testing::Test::HasFailure(); t++) {
            for (int k = 0; k < steps && !::testing::Test::HasFailure(); k++) step();
            backtrackTo(0);
        }
    }

private:
    const Operation& op;
    ModuleSolver ms;
    Module* m;
    const int n;
    const std::vector<uint64_t> models;
    std::mt19937 rng;

    Solver& s() { return ms.s; }

    void step() {
        const int choice = static_cast<int>(rng() % 10);
        if (allAssigned() || (choice < 2 && s().decisionLevel() > 0)) {
            backtrackTo(static_cast<int>(rng() % static_cast<unsigned>(std::max(1, s().decisionLevel()))));
            return;
        }
        s().newDecisionLevel();
        s().uncheckedEnqueue(choice < 5 && !m->getFinished() ? moduleDecision() : randomDecision());
        // Further literals in the same level reach the module in one batch,
        // as when clause propagation assigns several bits.
        for (int extra = static_cast<int>(rng() % 4); extra > 1 && !allAssigned(); extra--)
            s().uncheckedEnqueue(randomDecision());
        propagateAndCheck();
    }

    bool allAssigned() const {
        for (int v = 0; v < n; v++)
            if (Module::assigns[v] == l_Undef) return false;
        return true;
    }

    uint64_t assignmentMask() const {
        uint64_t mask = 0;
        for (int v = 0; v < n; v++)
            if (Module::assigns[v] == l_True) mask |= uint64_t{1} << v;
        return mask;
    }

    Lit randomDecision() {
        int v;
        do v = static_cast<int>(rng() % static_cast<unsigned>(n));
        while (Module::assigns[v] != l_Undef);
        return Lit(v, rng() % 2 == 0);
    }

    // As the solver's branching does: the module names an open variable and
    // leaves its preferred value in the assignment, touching nothing else.
    Lit moduleDecision() {
        std::vector<lbool> before(Module::assigns.begin(), Module::assigns.end());
        const int v = m->decide(static_cast<unsigned int>(s().decisionLevel()));
        for (int x = 0; x < n; x++) {
            if (x == v) continue;
            EXPECT_EQ(before[x], Module::assigns[x]) << "decide changed x" << x;
        }
        if (v < 0) return randomDecision();
        EXPECT_LT(v, n);
        EXPECT_EQ(l_Undef, before[v]) << "decide returned the assigned x" << v;
        return Lit(v, Module::assigns[v] == l_False);
    }

    bool followsFromOperation(const std::vector<Lit>& clause) const {
        for (uint64_t model : models)
            if (!satisfies(model, clause)) return false;
        return true;
    }

    void propagateAndCheck() {
        const int start = s().trail_lim.last();
        Clause* confl = s().propagate();
        for (int i = start; i < s().trail.size(); i++) checkImplication(s().trail[i]);
        if (confl != nullptr) {
            EXPECT_EQ(confl, s().moduleConflCls) << "a module conflict is handed back as it was made";
            const std::vector<Lit> clause = litsOf(confl);
            for (Lit p : clause) EXPECT_EQ(l_False, s().value(p)) << "conflict literal not false";
            EXPECT_TRUE(followsFromOperation(clause)) << "conflict is not a consequence";
            std::free(s().moduleConflCls);
            s().moduleConflCls = nullptr;
            backtrackTo(s().decisionLevel() - 1);
        } else if (allAssigned()) {
            EXPECT_TRUE(op.holds(assignmentMask())) << "violating assignment accepted";
        }
    }

    void checkImplication(Lit p) {
        const ModuleImplication& rec = Module::conflictGraph[var(p)];
        if (rec.empty()) return;
        EXPECT_EQ(static_cast<int>(m->id), rec.moduleId);
        EXPECT_EQ(-s().decisionLevel(), rec.negLevel);
        EXPECT_EQ(s().decisionLevel(), s().level[var(p)]);
        EXPECT_EQ(rec.reason, s().reason[var(p)]) << "the trail does not hold the module's reason";
        const std::vector<Lit> reason = litsOf(rec.reason);
        ASSERT_FALSE(reason.empty());
        EXPECT_EQ(p, reason[0]) << "reason does not start with the implied literal";
        for (size_t i = 1; i < reason.size(); i++) EXPECT_EQ(l_False, s().value(reason[i])) << "open reason literal";
        EXPECT_TRUE(followsFromOperation(reason)) << "reason is not a consequence";
    }

    // Backtracks, then checks that the module sits at a fixpoint and agrees
    // with a fresh module brought to the same assignment.
    void backtrackTo(int level) {
        if (s().decisionLevel() <= level) return;
        s().cancelUntil(level);
        const unsigned int lvl = static_cast<unsigned int>(level);
        std::vector<int> implied;
        EXPECT_EQ(nullptr, m->propagate(&implied, lvl));
        EXPECT_TRUE(implied.empty()) << "module was not at a fixpoint after backtracking";
        Module* fresh = freshModule(op, m, static_cast<unsigned int>(Module::backtrackFlags.size()));
        Module::backtrackFlags.push(-1);
        EXPECT_EQ(nullptr, fresh->propagate(&implied, lvl));
        EXPECT_TRUE(implied.empty()) << "fresh module implies more than the restored one";
        EXPECT_EQ(observableState(fresh), observableState(m)) << "state differs from a fresh module";
        Module::backtrackFlags.pop();
        delete fresh;
    }
};

TEST(ModuleProtocol, EveryKindOnRandomWalks) {
    const struct {
        std::vector<Kind> kinds;
        int trials, steps;
    } groups[] = {
        {{Kind::And, Kind::Or, Kind::Xor, Kind::And3, Kind::Or3, Kind::Xor3, Kind::Inv, Kind::Id}, 40, 12},
        {{Kind::Eq, Kind::Ite}, 60, 30},
        {{Kind::Add}, 60, 30},
        {{Kind::Mul}, 80, 30},
        {{Kind::Shl, Kind::Shr}, 30, 25},
    };
    for (const auto& group : groups) {
        for (const Operation& op : smallOperations(5)) {
            if (std::find(group.kinds.begin(), group.kinds.end(), op.kind) == group.kinds.end()) continue;
            SCOPED_TRACE(op.name());
            ProtocolWalk(op).run(group.trials, group.steps);
            if (::testing::Test::HasFailure()) return;
        }
    }
}

}  // namespace
