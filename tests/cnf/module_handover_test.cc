// The hand-over of adders and multipliers to word-level modules: the strict
// count and width limits of the adder, the inclusive ones of the multiplier,
// the process-wide counters, the carry-out bit a module gets, and results
// that stay right when a module stands in for the clauses.
#include "encoder_harness.h"

namespace {

// Encodes one n-bit addition with an (n + carryOut)-bit result; returns the
// number of modules registered and the fresh variables drawn.
struct AddOutcome {
    size_t modules;
    unsigned drawn;
};

AddOutcome addOnce(unsigned n, bool carryOut) {
    EncoderCase c;
    Bits a = c.word(n), b = c.word(n), out = c.word(carryOut ? n + 1 : n);
    unsigned before = c.lastVar;
    c.cnf._insertADD(a, b, out);
    return {c.solver.modules.size(), c.lastVar - before};
}

size_t mulModules(unsigned n) {
    EncoderCase c;
    Bits a = c.word(n), b = c.word(n), out = c.word(2 * n);
    c.cnf._insertMUL(a, b, out, false);
    size_t multipliers = 0;
    for (Module* m : c.solver.modules) multipliers += m->priority == prioParams[PRIO_MULTIPLIER];
    return multipliers;
}

TEST(ModuleHandover, FourHundredAndFirstAdderBecomesAModule) {
    ConfigGuard guard;
    addCounter = toClses.addHeur - 1;
    AddOutcome last = addOnce(4, true);
    EXPECT_EQ(last.modules, 0u);
    EXPECT_EQ(addCounter, toClses.addHeur);
    AddOutcome next = addOnce(4, true);
    EXPECT_EQ(next.modules, 1u);
    EXPECT_EQ(next.drawn, 0u);
    EXPECT_EQ(addCounter, toClses.addHeur + 1);
    // An n-bit result gets one fresh carry-out bit for the module.
    EXPECT_EQ(addOnce(4, false).drawn, 1u);
    EXPECT_EQ(toClses.addHeur, 400u);
}

TEST(ModuleHandover, AdderWidthLimitAndForcedModules) {
    ConfigGuard guard;
    toClses.addSizeHeur = 8;
    addCounter = 0;
    EXPECT_EQ(addOnce(8, true).modules, 0u);
    EXPECT_EQ(addOnce(9, true).modules, 1u);
    toClses.addSizeHeur = 100000;
    toClses.addSubModule = true;
    addCounter = 0;
    EXPECT_EQ(addOnce(1, false).modules, 1u);
    EXPECT_EQ(addCounter, 1u);
}

TEST(ModuleHandover, FourthMultiplierOrOneOf386BitsBecomesAModule) {
    ConfigGuard guard;
    addCounter = 0;
    mulCounter = toClses.mulHeur - 2;
    EXPECT_EQ(mulModules(3), 0u);
    EXPECT_EQ(mulModules(3), 1u);
    EXPECT_EQ(mulCounter, toClses.mulHeur);
    EXPECT_EQ(toClses.mulHeur, 4u);

    mulCounter = 0;
    EXPECT_EQ(mulModules(386), 1u);
    EXPECT_EQ(toClses.mulSizeHeur, 386u);
    toClses.mulSizeHeur = 4;
    mulCounter = 0;
    EXPECT_EQ(mulModules(3), 0u);
    EXPECT_EQ(mulModules(4), 1u);

    toClses.mulSubModule = false;
    mulCounter = 100;
    EXPECT_EQ(mulModules(4), 0u);
    EXPECT_EQ(mulCounter, 101u);
}

TEST(ModuleHandover, EightBitMultiplicationAsClausesMakesSevenAdditions) {
    ConfigGuard guard;
    mulCounter = 0;
    addCounter = 5;
    EXPECT_EQ(mulModules(8), 0u);
    EXPECT_EQ(addCounter, 12u);
    EXPECT_EQ(mulCounter, 1u);
}

TEST(ModuleHandover, ResultsStayRightWithModules) {
    ConfigGuard guard;
    toClses.addSubModule = true;
    for (unsigned n = 1; n <= 3; n++) {
        checkAdditions(n);
    }
    toClses.addSubModule = false;
    toClses.mulHeur = 0;
    for (unsigned n = 1; n <= 3; n++) {
        checkEveryPair(
            n, 2 * n, [](VerificationModelCNF& e, Bits& a, Bits& b, Bits& out) { e._insertMUL(a, b, out, false); },
            [](uint64_t x, uint64_t y) { return x * y; });
        checkEveryPair(
            n, 2 * n, [](VerificationModelCNF& e, Bits& a, Bits& b, Bits& out) { e._insertMUL(a, b, out, true); },
            [n](uint64_t x, uint64_t y) { return asPattern(asSigned(x, n) * asSigned(y, n), 2 * n); });
        checkEveryPair(
            n, n, [](VerificationModelCNF& e, Bits& a, Bits& b, Bits& q) { e.insertDIV(a, b, q, true); },
            [n](uint64_t x, uint64_t y) {
                int64_t sa = asSigned(x, n), sb = asSigned(y, n);
                return sb == 0 ? asPattern(sa < 0 ? 1 : -1, n) : asPattern(sa / sb, n);
            });
    }
}

}  // namespace
