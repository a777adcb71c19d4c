// Unsigned and signed division, remainder and modulus. The unsigned divider
// ties quotient q and remainder r to the dividend a by a = b*q + r with the
// upper half of b*q zero and r < b; when a < b (b not 0) it forces q = 0 and
// r = a directly. A zero divisor gives the all-ones quotient and r = a, so
// every copy of a division term agrees. The signed forms divide the
// magnitudes and fix the signs of the results afterwards.
#include "cnf/verification_model_cnf.h"
#include "config.h"

void VerificationModelCNF::insertDIV(Bits& a, Bits& b, Bits& q, bool isSigned) {
    int savedPriority = prioParams[PRIO_MULTIPLIER];
    if (toClses.divHeur) prioParams[PRIO_MULTIPLIER] = 0;
    Bits r = freshBits(b.size());
    _insertDIVMOD(a, b, q, r, isSigned, false);
    prioParams[PRIO_MULTIPLIER] = savedPriority;
}

void VerificationModelCNF::insertREM(Bits& a, Bits& b, Bits& r, bool isSigned) {
    Bits q = freshBits(b.size());
    _insertDIVMOD(a, b, q, r, isSigned, false);
}

void VerificationModelCNF::insertMOD(Bits& a, Bits& b, Bits& r, bool isSigned) {
    Bits q = freshBits(b.size());
    _insertDIVMOD(a, b, q, r, isSigned, true);
}

void VerificationModelCNF::_insertDIVMOD(Bits& a, Bits& b, Bits& q, Bits& r, bool isSigned, bool isMod) {
    if (a.size() != b.size()) fail(__LINE__, "Eingaenge haben unterschiedliche bitanzahl");
    if (a.empty()) fail(__LINE__, "Bitgroesse der Eingaenge ist 0");
    if (q.size() != a.size()) fail(__LINE__, "Quotientbitzahl ist nicht compatibel zu den inputs");
    if (r.size() != a.size()) fail(__LINE__, "Reminderbitzahl ist nicht compatibel zu den inputs");
    if (isSigned)
        signedDivider(a, b, q, r, isMod);
    else
        unsignedDivider(a, b, q, r);
}

void VerificationModelCNF::unsignedDivider(Bits& a, Bits& b, Bits& q, Bits& r) {
    std::size_t n = a.size();
    Bits product = freshBits(2 * n);
    _insertMUL(b, q, product, false);
    Bits low(product.begin(), product.begin() + n);
    _insertADD(low, r, a);

    unsigned int nonZero = fresh();
    _insertOrN(b, nonZero);
    // The remainder as the range checks see it: equal to r unless b is 0.
    Bits checked = freshBits(n);
    for (std::size_t i = 0; i < n; i++) _insertMux(nonZero, checked[i], r[i], r[i]);

    // b*q fits in n bits; a < b with b not 0 means q = 0 and r = a.
    for (std::size_t i = 0; i < n; i++) emit({-int(product[2 * n - 1 - i])});
    Bits below{fresh()};
    _insertLESS(a, b, below, false);
    unsigned int smallDividend = fresh();
    _insertAnd2(below[0], nonZero, smallDividend);
    unsigned int zero = constantBit(false);
    for (std::size_t i = 0; i < n; i++) {
        _insertMux(smallDividend, zero, q[i], q[i]);
        _insertMux(smallDividend, a[i], checked[i], checked[i]);
    }
    Bits inRange{nonZero};
    _insertLESS(checked, b, inRange, false);

    // A zero divisor gives the all-ones quotient; b*q is then 0, so r = a.
    for (std::size_t i = 0; i < n; i++) emit({int(nonZero), int(q[i])});
}

// |x| at full width: x itself when its sign bit is 0, -x otherwise (the most
// negative value is its own magnitude, read unsigned).
VerificationModelCNF::Bits VerificationModelCNF::magnitude(Bits& x) {
    Bits negated = freshBits(x.size());
    _insertNEG(x, negated);
    Bits result = freshBits(x.size());
    unsigned int sign = x.back();
    for (std::size_t i = 0; i < x.size(); i++) _insertMux(sign, negated[i], x[i], result[i]);
    return result;
}

// out = -in when c is true, in otherwise.
void VerificationModelCNF::negateIf(unsigned int c, Bits& in, Bits& out) {
    Bits negated = freshBits(in.size());
    _insertNEG(in, negated);
    for (std::size_t i = 0; i < in.size(); i++) _insertMux(c, negated[i], in[i], out[i]);
}

// Truncating signed division on the magnitudes: the quotient is negative
// when the operand signs differ, the remainder takes the dividend's sign.
// The modulus takes the divisor's sign instead: it is the remainder plus b
// when the signs differ and the remainder is not 0.
void VerificationModelCNF::signedDivider(Bits& a, Bits& b, Bits& q, Bits& r, bool isMod) {
    std::size_t n = a.size();
    unsigned int signA = a[n - 1];
    unsigned int signB = b[n - 1];
    Bits magA = magnitude(a);
    Bits magB = magnitude(b);
    Bits magQ = freshBits(n);
    Bits magR = freshBits(n);
    unsignedDivider(magA, magB, magQ, magR);

    unsigned int signsDiffer = fresh();
    _insertXor2(signA, signB, signsDiffer);
    negateIf(signsDiffer, magQ, q);
    if (!isMod) {
        negateIf(signA, magR, r);
        return;
    }
    Bits rem = freshBits(n);
    negateIf(signA, magR, rem);
    unsigned int remNonZero = fresh();
    _insertOrN(magR, remNonZero);
    unsigned int shift = fresh();
    _insertAnd2(signsDiffer, remNonZero, shift);
    Bits remPlusB = freshBits(n);
    _insertADD(rem, b, remPlusB);
    for (std::size_t i = 0; i < n; i++) _insertMux(shift, remPlusB[i], rem[i], r[i]);
}
