// Equality and the unsigned and signed orderings. The orderings ripple from
// the least significant bit upwards, keeping one variable that is true
// exactly when the prefix of a examined so far is below (or, for
// less-or-equal, not above) the prefix of b; a signed comparison leaves the
// sign bit out of the ripple and settles it with a multiplexer.
#include "cnf/verification_model_cnf.h"

void VerificationModelCNF::checkComparison(Bits& a, Bits& b, Bits& out) {
    if (a.size() != b.size()) fail(__LINE__, "Eingaenge haben unterschiedliche bitanzahl");
    if (a.empty()) fail(__LINE__, "Bitgroesse der Eingaenge ist 0");
    if (out.size() != 1) fail(__LINE__, "Ausgang hat mehr als 1 Bit");
}

void VerificationModelCNF::insertEQUAL(Bits& a, Bits& b, Bits& out) {
    checkComparison(a, b, out);
    Bits same(a.size());
    for (std::size_t i = 0; i < a.size(); i++) {
        same[i] = fresh();
        _insertNxor2(a[i], b[i], same[i]);
    }
    _insertAndN(same, out[0]);
}

// Extends the prefix comparison by one bit: the prefix stays below when the
// new bits agree, and becomes below when a's bit is 0 and b's bit is 1.
void VerificationModelCNF::rippleLessStep(unsigned int ai, unsigned int bi, unsigned int& below) {
    unsigned int equal = fresh();
    _insertNxor2(ai, bi, equal);
    unsigned int keptBelow = fresh();
    _insertAnd2(below, equal, keptBelow);
    unsigned int notA = fresh();
    _insertNot(ai, notA);
    unsigned int newlyBelow = fresh();
    _insertAnd2(notA, bi, newlyBelow);
    unsigned int next = fresh();
    _insertOr2(keptBelow, newlyBelow, next);
    below = next;
}

// Differing sign bits decide a signed comparison on their own (a is below
// exactly when it is negative); otherwise the ripple over the lower bits does.
void VerificationModelCNF::finishComparison(Bits& a, Bits& b, unsigned int below, unsigned int out, bool isSigned) {
    if (!isSigned) {
        _insertIdentity(below, out);
        return;
    }
    std::size_t top = a.size() - 1;
    unsigned int signsDiffer = fresh();
    _insertXor2(a[top], b[top], signsDiffer);
    _insertMux(signsDiffer, a[top], below, out);
}

void VerificationModelCNF::_insertLESS(Bits& a, Bits& b, Bits& out, bool isSigned) {
    checkComparison(a, b, out);
    std::size_t rippled = isSigned ? a.size() - 1 : a.size();
    unsigned int notA = fresh();
    _insertNot(a[0], notA);
    unsigned int below = fresh();
    _insertAnd2(notA, b[0], below);
    for (std::size_t i = 1; i < rippled; i++) rippleLessStep(a[i], b[i], below);
    finishComparison(a, b, below, out[0], isSigned);
}

void VerificationModelCNF::insertLESSEQUAL(Bits& a, Bits& b, Bits& out, bool isSigned) {
    checkComparison(a, b, out);
    std::size_t rippled = isSigned ? a.size() - 1 : a.size();
    unsigned int notAbove = constantBit(true);
    for (std::size_t i = 0; i < rippled; i++) rippleLessStep(a[i], b[i], notAbove);
    finishComparison(a, b, notAbove, out[0], isSigned);
}
