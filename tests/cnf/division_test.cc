// Division, remainder and modulus, unsigned and signed: exhaustive checks
// against the SMT-LIB values for every dividend and divisor (zero and the
// most negative value included), agreement of two copies of one term, the
// quotient/remainder pair of _insertDIVMOD, the priority rule of divHeur and
// the precondition reports.
#include "encoder_harness.h"

namespace {

// The SMT-LIB values, computed on machine integers.
uint64_t udiv(uint64_t x, uint64_t y, unsigned n) { return y == 0 ? lowMask(n) : x / y; }
uint64_t urem(uint64_t x, uint64_t y) { return y == 0 ? x : x % y; }

uint64_t sdiv(uint64_t x, uint64_t y, unsigned n) {
    int64_t a = asSigned(x, n), b = asSigned(y, n);
    if (b == 0) return asPattern(a < 0 ? 1 : -1, n);
    return asPattern(a / b, n);
}

uint64_t srem(uint64_t x, uint64_t y, unsigned n) {
    int64_t a = asSigned(x, n), b = asSigned(y, n);
    return b == 0 ? x : asPattern(a % b, n);
}

uint64_t smod(uint64_t x, uint64_t y, unsigned n) {
    int64_t a = asSigned(x, n), b = asSigned(y, n);
    if (b == 0) return x;
    int64_t r = a % b;
    if (r != 0 && (r < 0) != (b < 0)) r += b;
    return asPattern(r, n);
}

TEST(DivisionEncoding, OraclesAgreeWithTheDocumentedCases) {
    EXPECT_EQ(sdiv(0xF, 2, 4), 0u);
    EXPECT_EQ(srem(0xF, 2, 4), 0xFu);
    EXPECT_EQ(sdiv(0, 0xF, 4), 0u);
    EXPECT_EQ(sdiv(8, 0xF, 4), 8u);
    EXPECT_EQ(smod(4, 0xE, 4), 0u);
    EXPECT_EQ(smod(asPattern(-7, 4), 2, 4), 1u);
    EXPECT_EQ(sdiv(asPattern(-3, 4), 0, 4), 1u);
    EXPECT_EQ(sdiv(3, 0, 4), 0xFu);
}

TEST(DivisionEncoding, UnsignedQuotientAndRemainder) {
    for (unsigned n = 1; n <= 4; n++) {
        checkEveryPair(
            n, n, [](VerificationModelCNF& e, Bits& a, Bits& b, Bits& q) { e.insertDIV(a, b, q, false); },
            [n](uint64_t x, uint64_t y) { return udiv(x, y, n); });
        checkEveryPair(
            n, n, [](VerificationModelCNF& e, Bits& a, Bits& b, Bits& r) { e.insertREM(a, b, r, false); },
            [](uint64_t x, uint64_t y) { return urem(x, y); });
        checkEveryPair(
            n, n, [](VerificationModelCNF& e, Bits& a, Bits& b, Bits& r) { e.insertMOD(a, b, r, false); },
            [](uint64_t x, uint64_t y) { return urem(x, y); });
    }
}

TEST(DivisionEncoding, SignedDivisionRemainderAndModulus) {
    for (unsigned n = 1; n <= 4; n++) {
        checkEveryPair(
            n, n, [](VerificationModelCNF& e, Bits& a, Bits& b, Bits& q) { e.insertDIV(a, b, q, true); },
            [n](uint64_t x, uint64_t y) { return sdiv(x, y, n); });
        checkEveryPair(
            n, n, [](VerificationModelCNF& e, Bits& a, Bits& b, Bits& r) { e.insertREM(a, b, r, true); },
            [n](uint64_t x, uint64_t y) { return srem(x, y, n); });
        checkEveryPair(
            n, n, [](VerificationModelCNF& e, Bits& a, Bits& b, Bits& r) { e.insertMOD(a, b, r, true); },
            [n](uint64_t x, uint64_t y) { return smod(x, y, n); });
    }
}

// _insertDIVMOD forces both results at once: the quotient is the truncating
// one, the remainder that of the remainder or the modulus.
TEST(DivisionEncoding, QuotientAndRemainderPair) {
    const unsigned n = 3;
    for (bool isSigned : {false, true}) {
        for (bool isMod : {false, true}) {
            checkEveryPair(
                n, 2 * n,
                [=](VerificationModelCNF& e, Bits& a, Bits& b, Bits& qr) {
                    Bits q(qr.begin(), qr.begin() + n), r(qr.begin() + n, qr.end());
                    e._insertDIVMOD(a, b, q, r, isSigned, isMod);
                },
                [=](uint64_t x, uint64_t y) {
                    uint64_t q = isSigned ? sdiv(x, y, n) : udiv(x, y, n);
                    uint64_t r = !isSigned ? urem(x, y) : isMod ? smod(x, y, n) : srem(x, y, n);
                    return q | r << n;
                });
        }
    }
}

// (not (= (op x y) (op x y))) is unsatisfiable for every division operator:
// two copies of a term agree even when the divisor is 0.
TEST(DivisionEncoding, TwoCopiesOfOneTermAgree) {
    typedef void (VerificationModelCNF::*DivOp)(Bits&, Bits&, Bits&, bool);
    const DivOp ops[] = {&VerificationModelCNF::insertDIV, &VerificationModelCNF::insertREM,
                         &VerificationModelCNF::insertMOD};
    ConfigGuard guard;
    for (unsigned n = 1; n <= 4; n++) {
        for (DivOp op : ops) {
            for (bool isSigned : {false, true}) {
                addCounter = 0;
                mulCounter = 0;
                EncoderCase c;
                Bits x = c.word(n), y = c.word(n), first = c.word(n), second = c.word(n), same = c.word(1);
                (c.cnf.*op)(x, y, first, isSigned);
                (c.cnf.*op)(x, y, second, isSigned);
                c.cnf.insertEQUAL(first, second, same);
                c.fix(same, 0);
                EXPECT_FALSE(c.solve()) << "width " << n << (isSigned ? " signed" : " unsigned") << ": x = "
                                        << c.modelValue(x) << ", y = " << c.modelValue(y);
            }
        }
    }
}

TEST(DivisionEncoding, DivHeurGivesTheDivisionsMultiplierPriorityZeroOnlyMeanwhile) {
    ConfigGuard guard;
    for (bool divHeur : {false, true}) {
        toClses.divHeur = divHeur;
        toClses.mulSubModule = true;
        mulCounter = toClses.mulHeur - 1;
        addCounter = 0;
        const int before = prioParams[PRIO_MULTIPLIER];
        EncoderCase c;
        Bits a = c.word(4), b = c.word(4), q = c.word(4);
        c.cnf.insertDIV(a, b, q, false);
        EXPECT_EQ(prioParams[PRIO_MULTIPLIER], before);
        ASSERT_EQ(c.solver.modules.size(), 1u);
        EXPECT_EQ(c.solver.modules[0]->priority, divHeur ? 0 : before);
        c.fix(a, 13);
        c.fix(b, 4);
        EXPECT_TRUE(c.forces(q, 3));
    }
}

TEST(DivisionEncodingDeathTest, PreconditionsAreReportedInOrder) {
    EncoderCase c;
    Bits none, one{1}, two{2, 3}, twoMore{4, 5}, three{6, 7, 8};
    EXPECT_DEATH(c.cnf._insertDIVMOD(two, one, none, none, false, false),
                 encoderReport("Eingaenge haben unterschiedliche bitanzahl"));
    EXPECT_DEATH(c.cnf._insertDIVMOD(none, none, one, one, true, false),
                 encoderReport("Bitgroesse der Eingaenge ist 0"));
    EXPECT_DEATH(c.cnf._insertDIVMOD(two, twoMore, three, one, false, true),
                 encoderReport("Quotientbitzahl ist nicht compatibel zu den inputs"));
    EXPECT_DEATH(c.cnf._insertDIVMOD(two, twoMore, two, three, true, true),
                 encoderReport("Reminderbitzahl ist nicht compatibel zu den inputs"));
    EXPECT_DEATH(c.cnf.insertDIV(two, twoMore, three, false),
                 encoderReport("Quotientbitzahl ist nicht compatibel zu den inputs"));
    EXPECT_DEATH(c.cnf.insertREM(two, twoMore, three, true),
                 encoderReport("Reminderbitzahl ist nicht compatibel zu den inputs"));
}

}  // namespace
