// Addition, subtraction, negation and multiplication as clauses: exhaustive
// functional checks, the adder's variable and clause budget, the numbering
// of the adder's fresh variables, and the precondition reports.
#include "encoder_harness.h"

namespace {

TEST(ArithmeticEncoding, AdditionWithAndWithoutCarryOut) {
    for (unsigned n = 1; n <= 5; n++) checkAdditions(n);
}

TEST(ArithmeticEncoding, SubtractionWithAndWithoutBorrowOut) {
    for (unsigned n = 1; n <= 4; n++) {
        checkEveryPair(
            n, n, [](VerificationModelCNF& e, Bits& a, Bits& b, Bits& out) { e.insertSUB(a, b, out); },
            [n](uint64_t x, uint64_t y) { return (x - y) & lowMask(n); });
        checkEveryPair(
            n, n + 1, [](VerificationModelCNF& e, Bits& a, Bits& b, Bits& out) { e.insertSUB(a, b, out); },
            [n](uint64_t x, uint64_t y) { return ((x - y) & lowMask(n)) | (uint64_t(x < y) << n); });
    }
}

TEST(ArithmeticEncoding, Negation) {
    for (unsigned n = 1; n <= 5; n++)
        checkEveryValue(
            n, n, [](VerificationModelCNF& e, Bits& a, Bits& out) { e._insertNEG(a, out); },
            [n](uint64_t x) { return (0 - x) & lowMask(n); });
}

TEST(ArithmeticEncoding, UnsignedAndSignedFullProduct) {
    for (unsigned n = 1; n <= 4; n++) {
        checkEveryPair(
            n, 2 * n, [](VerificationModelCNF& e, Bits& a, Bits& b, Bits& out) { e._insertMUL(a, b, out, false); },
            [](uint64_t x, uint64_t y) { return x * y; });
        checkEveryPair(
            n, 2 * n, [](VerificationModelCNF& e, Bits& a, Bits& b, Bits& out) { e._insertMUL(a, b, out, true); },
            [n](uint64_t x, uint64_t y) { return asPattern(asSigned(x, n) * asSigned(y, n), 2 * n); });
    }
}

// 4n fresh variables, one more when the carry out is not part of the output;
// 17n + 1 clauses. With free operands the unit (¬c[0]) settles c[0] and the
// carry-on term t1 of bit 0, which drops five clauses of bit 0 as satisfied:
// bit 0 leaves 11 stored clauses and two units, every further bit 17 stored
// clauses.
TEST(ArithmeticEncoding, AdderVariableAndClauseBudget) {
    ConfigGuard guard;
    for (unsigned n = 1; n <= 8; n++) {
        for (bool carryOut : {false, true}) {
            addCounter = 0;
            EncoderCase c;
            Bits a = c.word(n), b = c.word(n), out = c.word(carryOut ? n + 1 : n);
            unsigned before = c.lastVar;
            c.cnf._insertADD(a, b, out);
            EXPECT_EQ(c.lastVar - before, carryOut ? 4 * n : 4 * n + 1) << n;
            EXPECT_EQ(c.solver.nClauses(), int(11 + 17 * (n - 1))) << n;
            EXPECT_EQ(c.solver.nAssigns(), 2) << n;
            EXPECT_TRUE(c.solver.modules.empty());
        }
    }
}

// The adder draws the carries c[0..n-1] first, then (n-bit output) the carry
// out, then per bit the half sum, the carried-on and the generated carry.
TEST(ArithmeticEncoding, AdderFreshVariablesInDrawingOrder) {
    ConfigGuard guard;
    const unsigned n = 3;
    for (uint64_t x = 0; x < 8; x++) {
        for (uint64_t y = 0; y < 8; y++) {
            addCounter = 0;
            EncoderCase c;
            Bits a = c.word(n), b = c.word(n), out = c.word(n);
            unsigned first = c.lastVar + 1;
            c.cnf._insertADD(a, b, out);
            c.fix(a, x);
            c.fix(b, y);
            ASSERT_TRUE(c.solve());
            auto carryInto = [&](unsigned i) { return bool((((x & lowMask(i)) + (y & lowMask(i))) >> i) & 1); };
            for (unsigned i = 0; i <= n; i++) EXPECT_EQ(c.modelBit(first + i), carryInto(i)) << i;
            for (unsigned i = 0; i < n; i++) {
                bool ai = (x >> i) & 1, bi = (y >> i) & 1;
                unsigned base = first + n + 1 + 3 * i;
                EXPECT_EQ(c.modelBit(base), ai != bi);
                EXPECT_EQ(c.modelBit(base + 1), carryInto(i) && ai != bi);
                EXPECT_EQ(c.modelBit(base + 2), ai && bi);
            }
        }
    }
}

TEST(ArithmeticEncoding, FreshVariableCountsOfSubtractionAndNegation) {
    ConfigGuard guard;
    for (unsigned n = 1; n <= 6; n++) {
        for (bool borrowOut : {false, true}) {
            EncoderCase c;
            Bits a = c.word(n), b = c.word(n), out = c.word(borrowOut ? n + 1 : n);
            unsigned before = c.lastVar;
            c.cnf.insertSUB(a, b, out);
            EXPECT_EQ(c.lastVar - before, borrowOut ? 6 * n : 6 * n + 1);
        }
        addCounter = 0;
        EncoderCase c;
        Bits in = c.word(n), out = c.word(n);
        unsigned before = c.lastVar;
        c.cnf._insertNEG(in, out);
        EXPECT_EQ(c.lastVar - before, 2 * n + 4 * n + 1);
        EXPECT_EQ(addCounter, 1u);
    }
}

TEST(ArithmeticEncodingDeathTest, PreconditionsAreReportedInOrder) {
    EncoderCase c;
    Bits none, one{1}, two{2, 3}, twoMore{4, 5}, three{6, 7, 8}, four{9, 10, 11, 12}, five{13, 14, 15, 16, 17};
    const std::string differ = "Eingaenge haben unterschiedliche bitanzahl";
    const std::string empty = "Bitgroesse der Eingaenge ist 0";
    const std::string badOut = "Ausgangbitzahl ist nicht compatibel zu den inputs";
    EXPECT_DEATH(c.cnf._insertADD(two, one, none), encoderReport(differ + " \\(2 != 1\\)"));
    EXPECT_DEATH(c.cnf._insertADD(none, none, none), encoderReport(empty));
    EXPECT_DEATH(c.cnf._insertADD(two, twoMore, one), encoderReport(badOut));
    EXPECT_DEATH(c.cnf._insertADD(two, twoMore, four), encoderReport(badOut));
    EXPECT_DEATH(c.cnf.insertSUB(two, one, none), encoderReport(differ));
    EXPECT_DEATH(c.cnf.insertSUB(none, none, none), encoderReport(empty));
    EXPECT_DEATH(c.cnf.insertSUB(two, twoMore, four), encoderReport(badOut));
    EXPECT_DEATH(c.cnf._insertMUL(two, one, none, false), encoderReport(differ));
    EXPECT_DEATH(c.cnf._insertMUL(none, none, none, true), encoderReport(empty));
    EXPECT_DEATH(c.cnf._insertMUL(two, twoMore, three, false), encoderReport(badOut));
    EXPECT_DEATH(c.cnf._insertMUL(two, twoMore, five, true), encoderReport(badOut));
    EXPECT_DEATH(c.cnf._insertNEG(two, one), encoderReport("in und out groesse ist unterschiedlich"));
    EXPECT_DEATH(c.cnf._insertNEG(none, none), encoderReport("Es muss mindestens eine Variable definiert sein"));
}

}  // namespace
