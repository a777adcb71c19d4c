// Extension, constant shifts and barrel shifters: exhaustive checks on small
// widths, the barrel shifter's variable budget, the degenerate operand and
// distance widths, and the precondition reports.
#include "encoder_harness.h"

namespace {

TEST(ShiftEncoding, SignAndZeroExtension) {
    for (unsigned n = 1; n <= 3; n++) {
        for (unsigned width = n; width <= n + 3; width++) {
            checkEveryValue(
                n, width, [](VerificationModelCNF& e, Bits& in, Bits& out) { e.insertSignExtend(in, out); },
                [=](uint64_t x) { return asPattern(asSigned(x, n), width); });
            checkEveryValue(
                n, width, [](VerificationModelCNF& e, Bits& in, Bits& out) { e.insertZeroExtend(in, out); },
                [](uint64_t x) { return x; });
        }
    }
    EncoderCase c;
    Bits in = c.word(1), out = c.word(8);
    c.cnf.insertSignExtend(in, out);
    EXPECT_EQ(c.lastVar, 9u);
}

TEST(ShiftEncoding, ConstantShiftsByEveryDistanceUpToTheWidth) {
    for (unsigned n = 1; n <= 4; n++) {
        for (unsigned k = 0; k <= n; k++) {
            checkEveryValue(
                n, n, [k](VerificationModelCNF& e, Bits& in, Bits& out) { e.insertSHLConst(in, k, out); },
                [=](uint64_t x) { return (x << k) & lowMask(n); });
            checkEveryValue(
                n, n, [k](VerificationModelCNF& e, Bits& in, Bits& out) { e.insertSHRConst(in, k, out); },
                [=](uint64_t x) { return x >> k; });
        }
    }
}

// The first operand packs the data word (low n bits) and the distance.
TEST(ShiftEncoding, BarrelShiftersOnEveryDataAndDistance) {
    for (unsigned n = 1; n <= 4; n++) {
        for (unsigned m = 1; m <= 4; m++) {
            for (bool left : {false, true}) {
                checkEveryValue(
                    n + m, n,
                    [=](VerificationModelCNF& e, Bits& in, Bits& out) {
                        Bits data(in.begin(), in.begin() + n), distance(in.begin() + n, in.end());
                        if (left)
                            e._insertSHL(data, distance, out);
                        else
                            e._insertSHR(data, distance, out);
                    },
                    [=](uint64_t x) {
                        uint64_t data = x & lowMask(n), distance = x >> n;
                        if (distance >= n) return uint64_t(0);
                        return left ? (data << distance) & lowMask(n) : data >> distance;
                    });
            }
        }
    }
}

// m * n stage variables plus one constant 0 bit per (stage, position) whose
// source lies outside the word.
TEST(ShiftEncoding, BarrelShifterVariableBudget) {
    for (unsigned n = 1; n <= 6; n++) {
        for (unsigned m = 0; m <= 4; m++) {
            unsigned outside = 0;
            for (unsigned j = 0; j < m; j++) outside += std::min(n, 1u << j);
            for (bool left : {false, true}) {
                EncoderCase c;
                Bits a = c.word(n), s = c.word(m), out = c.word(n);
                unsigned before = c.lastVar;
                if (left)
                    c.cnf._insertSHL(a, s, out);
                else
                    c.cnf._insertSHR(a, s, out);
                EXPECT_EQ(c.lastVar - before, m * n + outside) << n << " " << m;
                EXPECT_EQ(c.solver.nAssigns(), int(outside));
            }
        }
    }
}

TEST(ShiftEncoding, EmptyDistanceCopiesAndEmptyOperandEmitsNothing) {
    for (bool left : {false, true}) {
        checkEveryValue(
            3, 3,
            [left](VerificationModelCNF& e, Bits& in, Bits& out) {
                Bits none;
                left ? e._insertSHL(in, none, out) : e._insertSHR(in, none, out);
            },
            [](uint64_t x) { return x; });
        EncoderCase c;
        Bits none, s = c.word(3), out;
        left ? c.cnf._insertSHL(none, s, out) : c.cnf._insertSHR(none, s, out);
        EXPECT_EQ(c.lastVar, 3u);
        EXPECT_EQ(c.solver.nClauses(), 0);
        EXPECT_EQ(c.solver.nAssigns(), 0);
    }
}

TEST(ShiftEncodingDeathTest, PreconditionsAreReportedInOrder) {
    EncoderCase c;
    Bits none, one{1}, two{2, 3}, three{4, 5, 6};
    const std::string emptyInput = "Bitgroesse des Eingangs ist 0";
    const std::string wrongOut = "Ausgang hat die falsche Bitgroesse";
    const std::string tooFar = "offset ist groesser als die Bitgroesse des Einganges";
    EXPECT_DEATH(c.cnf.insertSignExtend(none, none), encoderReport(emptyInput));
    EXPECT_DEATH(c.cnf.insertSignExtend(two, one), encoderReport("Inkompatible Bitgroessen"));
    EXPECT_DEATH(c.cnf.insertZeroExtend(none, one), encoderReport(emptyInput));
    EXPECT_DEATH(c.cnf.insertZeroExtend(three, two), encoderReport("Inkompatible Bitgroessen"));
    EXPECT_DEATH(c.cnf.insertSHLConst(none, 5, one), encoderReport(emptyInput));
    EXPECT_DEATH(c.cnf.insertSHLConst(two, 5, three), encoderReport(wrongOut));
    EXPECT_DEATH(c.cnf.insertSHLConst(two, 3, two), encoderReport(tooFar));
    EXPECT_DEATH(c.cnf.insertSHRConst(none, 0, none), encoderReport(emptyInput));
    EXPECT_DEATH(c.cnf.insertSHRConst(three, 0, two), encoderReport(wrongOut));
    EXPECT_DEATH(c.cnf.insertSHRConst(three, 4, three), encoderReport(tooFar));
    EXPECT_DEATH(c.cnf._insertSHL(none, none, one), encoderReport("Bitgroesse eines Eingangs ist 0"));
    EXPECT_DEATH(c.cnf._insertSHL(two, one, three), encoderReport(wrongOut));
    EXPECT_DEATH(c.cnf._insertSHR(none, none, none), encoderReport("Bitgroesse eines Eingangs ist 0"));
    EXPECT_DEATH(c.cnf._insertSHR(three, one, two), encoderReport(wrongOut));
}

}  // namespace
