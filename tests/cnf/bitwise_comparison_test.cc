// Bitwise, comparison and selection encodings: exhaustive functional checks
// on small widths, the fresh-variable counts that fix the numbering, the
// meaning of the first fresh variables, and the precondition reports.
#include "encoder_harness.h"

namespace {

typedef void (VerificationModelCNF::*BitwiseOp)(Bits&, Bits&, Bits&);

TEST(BitwiseEncoding, EveryOperationOnEveryInputPair) {
    struct Op {
        const char* name;
        BitwiseOp op;
        uint64_t (*function)(uint64_t, uint64_t);
    };
    const Op ops[] = {
        {"AND", &VerificationModelCNF::insertAND, [](uint64_t x, uint64_t y) { return x & y; }},
        {"OR", &VerificationModelCNF::insertOR, [](uint64_t x, uint64_t y) { return x | y; }},
        {"XOR", &VerificationModelCNF::insertXOR, [](uint64_t x, uint64_t y) { return x ^ y; }},
        {"XNOR", &VerificationModelCNF::insertXNOR, [](uint64_t x, uint64_t y) { return ~(x ^ y); }},
        {"NAND", &VerificationModelCNF::insertNAND, [](uint64_t x, uint64_t y) { return ~(x & y); }},
        {"NOR", &VerificationModelCNF::insertNOR, [](uint64_t x, uint64_t y) { return ~(x | y); }},
    };
    for (const Op& op : ops) {
        SCOPED_TRACE(op.name);
        for (unsigned n = 1; n <= 3; n++)
            checkEveryPair(
                n, n, [&](VerificationModelCNF& e, Bits& a, Bits& b, Bits& out) { (e.*op.op)(a, b, out); },
                [&](uint64_t x, uint64_t y) { return op.function(x, y) & lowMask(n); });
    }
}

TEST(BitwiseEncoding, WiderOutputLeavesItsTopBitFree) {
    const BitwiseOp ops[] = {&VerificationModelCNF::insertAND,  &VerificationModelCNF::insertOR,
                             &VerificationModelCNF::insertXOR,  &VerificationModelCNF::insertXNOR,
                             &VerificationModelCNF::insertNAND, &VerificationModelCNF::insertNOR};
    for (BitwiseOp op : ops) {
        for (bool top : {false, true}) {
            EncoderCase c;
            Bits a = c.word(3), b = c.word(3), out = c.word(4);
            (c.cnf.*op)(a, b, out);
            c.fix(a, 5);
            c.fix(b, 3);
            c.fix(Bits{out[3]}, top);
            EXPECT_TRUE(c.solve());
            EXPECT_EQ(c.lastVar, 10u);
        }
    }
}

TEST(BitwiseEncoding, NotIdentityAndIfThenElse) {
    for (unsigned n = 1; n <= 3; n++) {
        checkEveryValue(
            n, n, [](VerificationModelCNF& e, Bits& a, Bits& out) { e.insertNOT(a, out); },
            [n](uint64_t x) { return ~x & lowMask(n); });
        checkEveryValue(
            n, n, [](VerificationModelCNF& e, Bits& a, Bits& out) { e.insertIdentity(a, out); },
            [](uint64_t x) { return x; });
        // The condition is the lowest bit of the first operand.
        checkEveryPair(
            n + 1, n,
            [n](VerificationModelCNF& e, Bits& a, Bits& b, Bits& out) {
                Bits thenBits(a.begin() + 1, a.end());
                Bits elseBits(b.begin(), b.begin() + n);
                e._insertITE(a[0], thenBits, elseBits, out);
            },
            [n](uint64_t x, uint64_t y) { return x & 1 ? x >> 1 : y & lowMask(n); });
    }
}

bool lessThan(uint64_t x, uint64_t y, unsigned n, bool isSigned) {
    return isSigned ? asSigned(x, n) < asSigned(y, n) : x < y;
}

TEST(ComparisonEncoding, EqualityAndOrderingsOnEveryInputPair) {
    for (unsigned n = 1; n <= 4; n++) {
        SCOPED_TRACE(n);
        checkEveryPair(
            n, 1, [](VerificationModelCNF& e, Bits& a, Bits& b, Bits& out) { e.insertEQUAL(a, b, out); },
            [](uint64_t x, uint64_t y) { return uint64_t(x == y); });
        for (bool isSigned : {false, true}) {
            checkEveryPair(
                n, 1,
                [isSigned](VerificationModelCNF& e, Bits& a, Bits& b, Bits& out) {
                    e._insertLESS(a, b, out, isSigned);
                },
                [n, isSigned](uint64_t x, uint64_t y) { return uint64_t(lessThan(x, y, n, isSigned)); });
            checkEveryPair(
                n, 1,
                [isSigned](VerificationModelCNF& e, Bits& a, Bits& b, Bits& out) {
                    e.insertLESSEQUAL(a, b, out, isSigned);
                },
                [n, isSigned](uint64_t x, uint64_t y) { return uint64_t(!lessThan(y, x, n, isSigned)); });
        }
    }
}

// Fresh variables drawn by one call on free n-bit operands.
template <class Encode>
unsigned freshDrawn(unsigned n, Encode encode) {
    EncoderCase c;
    Bits a = c.word(n), b = c.word(n), out = c.word(1);
    unsigned before = c.lastVar;
    encode(c.cnf, a, b, out);
    return c.lastVar - before;
}

TEST(ComparisonEncoding, FreshVariableCounts) {
    for (unsigned n = 1; n <= 6; n++) {
        SCOPED_TRACE(n);
        typedef VerificationModelCNF E;
        EXPECT_EQ(freshDrawn(n, [](E& e, Bits& a, Bits& b, Bits& o) { e.insertEQUAL(a, b, o); }), n);
        EXPECT_EQ(freshDrawn(n, [](E& e, Bits& a, Bits& b, Bits& o) { e._insertLESS(a, b, o, false); }), 5 * n - 3);
        EXPECT_EQ(freshDrawn(n, [](E& e, Bits& a, Bits& b, Bits& o) { e._insertLESS(a, b, o, true); }),
                  n == 1 ? 3 : 5 * n - 7);
        EXPECT_EQ(freshDrawn(n, [](E& e, Bits& a, Bits& b, Bits& o) { e.insertLESSEQUAL(a, b, o, false); }), 5 * n + 1);
        EXPECT_EQ(freshDrawn(n, [](E& e, Bits& a, Bits& b, Bits& o) { e.insertLESSEQUAL(a, b, o, true); }), 5 * n - 3);
    }
}

// The order in which the ripple draws its variables: na, lt for bit 0, then
// e, t1, na, t2, l for every further bit.
TEST(ComparisonEncoding, FreshVariablesAreDrawnInRippleOrder) {
    const unsigned n = 3;
    for (uint64_t x = 0; x < 8; x++) {
        for (uint64_t y = 0; y < 8; y++) {
            EncoderCase c;
            Bits a = c.word(n), b = c.word(n), out = c.word(1);
            unsigned first = c.lastVar + 1;
            c.cnf._insertLESS(a, b, out, false);
            c.fix(a, x);
            c.fix(b, y);
            ASSERT_TRUE(c.solve());
            auto bit = [](uint64_t v, unsigned i) { return bool((v >> i) & 1); };
            EXPECT_EQ(c.modelBit(first), !bit(x, 0));
            EXPECT_EQ(c.modelBit(first + 1), (x & 1) < (y & 1));
            for (unsigned i = 1; i < n; i++) {
                unsigned base = first + 2 + 5 * (i - 1);
                EXPECT_EQ(c.modelBit(base), bit(x, i) == bit(y, i));
                EXPECT_EQ(c.modelBit(base + 2), !bit(x, i));
                EXPECT_EQ(c.modelBit(base + 4), (x & lowMask(i + 1)) < (y & lowMask(i + 1)));
            }
        }
    }
    EncoderCase eq;
    Bits a = eq.word(4), b = eq.word(4), out = eq.word(1);
    eq.cnf.insertEQUAL(a, b, out);
    eq.fix(a, 0b0110);
    eq.fix(b, 0b0011);
    ASSERT_TRUE(eq.solve());
    EXPECT_EQ(eq.modelValue(Bits{10, 11, 12, 13}), 0b1010u);
}

TEST(BitwiseEncodingDeathTest, PreconditionsAreReportedInOrder) {
    EncoderCase c;
    Bits none, one{1}, two{2, 3}, twoMore{4, 5}, four{6, 7, 8, 9};
    const std::string differ = "Eingaenge haben unterschiedliche bitanzahl";
    const std::string badOut = "Ausgangbitzahl ist nicht compatibel zu den inputs";
    const BitwiseOp ops[] = {&VerificationModelCNF::insertAND,  &VerificationModelCNF::insertOR,
                             &VerificationModelCNF::insertXOR,  &VerificationModelCNF::insertXNOR,
                             &VerificationModelCNF::insertNAND, &VerificationModelCNF::insertNOR};
    for (BitwiseOp op : ops) {
        EXPECT_DEATH((c.cnf.*op)(one, two, none), encoderReport(differ));
        EXPECT_DEATH((c.cnf.*op)(none, none, one), encoderReport("Bitgroesse der Eingaenge ist 0"));
        EXPECT_DEATH((c.cnf.*op)(two, twoMore, four), encoderReport(badOut));
        EXPECT_DEATH((c.cnf.*op)(two, twoMore, one), encoderReport(badOut));
    }
    EXPECT_DEATH(c.cnf.insertNOT(two, one), encoderReport("in und out groesse ist unterschiedlich: 2 1"));
    EXPECT_DEATH(c.cnf.insertNOT(none, none), encoderReport("Es muss mindestens eine Variable definiert sein"));
    EXPECT_DEATH(c.cnf.insertIdentity(one, two), encoderReport("Variablenanzahl ist nicht identisch: 1 2"));
    EXPECT_DEATH(c.cnf.insertIdentity(none, none), encoderReport("Keine Eingangsvariablen vorhanden"));
    unsigned cond = 1;
    EXPECT_DEATH(c.cnf._insertITE(cond, two, one, none), encoderReport("Then und else groesse ist unterschiedlich"));
    EXPECT_DEATH(c.cnf._insertITE(cond, two, twoMore, one),
                 encoderReport("Then und output groesse ist unterschiedlich"));
    EXPECT_DEATH(c.cnf._insertITE(cond, none, none, none),
                 encoderReport("Es muss mindestens eine Variable definiert sein"));
}

TEST(ComparisonEncodingDeathTest, PreconditionsAreReportedInOrder) {
    EncoderCase c;
    Bits none, one{1}, two{2, 3}, twoMore{4, 5};
    typedef std::function<void(Bits&, Bits&, Bits&)> Compare;
    const Compare compares[] = {
        [&c](Bits& a, Bits& b, Bits& o) { c.cnf.insertEQUAL(a, b, o); },
        [&c](Bits& a, Bits& b, Bits& o) { c.cnf._insertLESS(a, b, o, false); },
        [&c](Bits& a, Bits& b, Bits& o) { c.cnf._insertLESS(a, b, o, true); },
        [&c](Bits& a, Bits& b, Bits& o) { c.cnf.insertLESSEQUAL(a, b, o, false); },
        [&c](Bits& a, Bits& b, Bits& o) { c.cnf.insertLESSEQUAL(a, b, o, true); },
    };
    for (const Compare& compare : compares) {
        EXPECT_DEATH(compare(one, two, none), encoderReport("Eingaenge haben unterschiedliche bitanzahl"));
        EXPECT_DEATH(compare(none, none, none), encoderReport("Bitgroesse der Eingaenge ist 0"));
        EXPECT_DEATH(compare(two, twoMore, none), encoderReport("Ausgang hat mehr als 1 Bit"));
        EXPECT_DEATH(compare(two, twoMore, twoMore), encoderReport("Ausgang hat mehr als 1 Bit"));
    }
}

}  // namespace
