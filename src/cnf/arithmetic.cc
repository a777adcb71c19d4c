// Addition, subtraction, negation and multiplication. The adder and the
// multiplier count their calls for the whole process (addCounter,
// mulCounter) and hand the operation to an Adder or Multiplier module once
// the configured counts or widths are passed; the adders nested in negation
// and multiplication count and decide like any other. Constant bits are fresh
// variables fixed by unit clauses.
#include "cnf/verification_model_cnf.h"
#include "config.h"
#include "generator/module_factory.h"

thread_local unsigned int addCounter = 0;
thread_local unsigned int mulCounter = 0;

void VerificationModelCNF::_insertADD(Bits& a, Bits& b, Bits& out) {
    if (a.size() != b.size())
        fail(__LINE__, "Eingaenge haben unterschiedliche bitanzahl (" + std::to_string(a.size()) + " != " +
                           std::to_string(b.size()) + ")");
    if (a.empty()) fail(__LINE__, "Bitgroesse der Eingaenge ist 0");
    std::size_t n = a.size();
    if (out.size() != n && out.size() != n + 1) fail(__LINE__, "Ausgangbitzahl ist nicht compatibel zu den inputs");

    addCounter++;
    if (toClses.addSubModule || addCounter > toClses.addHeur || n > toClses.addSizeHeur) {
        if (out.size() == n + 1) {
            getDataADD(solver, out, a, b);
        } else {
            Bits withCarry(out);
            withCarry.push_back(fresh());
            getDataADD(solver, withCarry, a, b);
        }
        return;
    }
    rippleAdder(a, b, out);
}

// Ripple-carry adder: c[i] is the carry into position i, c[0] fixed to 0;
// the carry out of the top position is out[n] when the caller provides it.
void VerificationModelCNF::rippleAdder(Bits& a, Bits& b, Bits& out) {
    std::size_t n = a.size();
    Bits carry = freshBits(n);
    carry.push_back(out.size() > n ? out[n] : fresh());
    emit({-int(carry[0])});
    for (std::size_t i = 0; i < n; i++) {
        unsigned int halfSum = fresh();
        _insertXor2(a[i], b[i], halfSum);
        _insertXor2(halfSum, carry[i], out[i]);
        unsigned int carryOn = fresh();
        _insertAnd2(carry[i], halfSum, carryOn);
        unsigned int generated = fresh();
        _insertAnd2(a[i], b[i], generated);
        _insertOr2(carryOn, generated, carry[i + 1]);
    }
}

// Ripple-borrow subtractor: w[i] is the borrow into position i, w[0] fixed
// to 0; the borrow out of the top position is out[n] when provided.
void VerificationModelCNF::insertSUB(Bits& a, Bits& b, Bits& out) {
    if (a.size() != b.size()) fail(__LINE__, "Eingaenge haben unterschiedliche bitanzahl");
    if (a.empty()) fail(__LINE__, "Bitgroesse der Eingaenge ist 0");
    std::size_t n = a.size();
    if (out.size() != n && out.size() != n + 1) fail(__LINE__, "Ausgangbitzahl ist nicht compatibel zu den inputs");

    Bits borrow = freshBits(n);
    borrow.push_back(out.size() > n ? out[n] : fresh());
    emit({-int(borrow[0])});
    for (std::size_t i = 0; i < n; i++) {
        unsigned int differ = fresh();
        _insertXor2(a[i], b[i], differ);
        _insertXor2(differ, borrow[i], out[i]);
        unsigned int agree = fresh();
        _insertNot(differ, agree);
        unsigned int passedOn = fresh();
        _insertAnd2(borrow[i], agree, passedOn);
        unsigned int notA = fresh();
        _insertNot(a[i], notA);
        unsigned int generated = fresh();
        _insertAnd2(notA, b[i], generated);
        _insertOr2(passedOn, generated, borrow[i + 1]);
    }
}

// -in is the bitwise complement plus one.
void VerificationModelCNF::_insertNEG(Bits& in, Bits& out) {
    if (in.size() != out.size()) fail(__LINE__, "in und out groesse ist unterschiedlich");
    if (in.empty()) fail(__LINE__, "Es muss mindestens eine Variable definiert sein");
    Bits complement(in.size());
    for (std::size_t i = 0; i < in.size(); i++) {
        complement[i] = fresh();
        _insertNot(in[i], complement[i]);
    }
    Bits one = constantOne(in.size());
    _insertADD(complement, one, out);
}

void VerificationModelCNF::_insertMUL(Bits& a, Bits& b, Bits& out, bool isSigned) {
    if (a.size() != b.size()) fail(__LINE__, "Eingaenge haben unterschiedliche bitanzahl");
    if (a.empty()) fail(__LINE__, "Bitgroesse der Eingaenge ist 0");
    std::size_t n = a.size();
    if (out.size() != 2 * n) fail(__LINE__, "Ausgangbitzahl ist nicht compatibel zu den inputs");

    Bits product = freshBits(2 * n);
    mulCounter++;
    if (toClses.mulSubModule && (mulCounter >= toClses.mulHeur || n >= toClses.mulSizeHeur))
        getDataMUL(solver, product, a, b);
    else
        shiftAndAdd(a, b, product);
    if (isSigned) correctSignedProduct(a, b, product);
    for (std::size_t i = 0; i < 2 * n; i++) _insertIdentity(out[i], product[i]);
}

// Unsigned shift-and-add over the bits of b: the partial product of bit j is
// a shifted up j places when b[j] is 1 and 0 otherwise; each is added to the
// running sum at double width. On return `product` names the final sum.
void VerificationModelCNF::shiftAndAdd(Bits& a, Bits& b, Bits& product) {
    std::size_t n = a.size();
    Bits shifted(a);
    for (std::size_t i = n; i < 2 * n; i++) shifted.push_back(constantBit(false));
    Bits zero(2 * n);
    for (unsigned int& v : zero) v = constantBit(false);
    _insertITE(b[0], shifted, zero, product);
    for (std::size_t j = 1; j < n; j++) {
        shifted.pop_back();
        shifted.insert(shifted.begin(), constantBit(false));
        Bits partial = freshBits(2 * n);
        _insertITE(b[j], shifted, zero, partial);
        Bits sum = freshBits(2 * n);
        _insertADD(product, partial, sum);
        product.swap(sum);
    }
}

// Turns the unsigned product of two bit patterns into the two's-complement
// product: a negative a contributes -b * 2^n, a negative b contributes
// -a * 2^n (modulo 2^2n). On return `product` names the corrected product.
void VerificationModelCNF::correctSignedProduct(Bits& a, Bits& b, Bits& product) {
    std::size_t n = a.size();
    Bits one = constantOne(n);
    Bits notA(n), notB(n), negA(n), negB(n);
    for (std::size_t i = 0; i < n; i++) {
        notA[i] = fresh();
        notB[i] = fresh();
        negA[i] = fresh();
        negB[i] = fresh();
    }
    _insertNotN(a, notA);
    _insertNotN(b, notB);
    _insertADD(notA, one, negA);
    _insertADD(notB, one, negB);

    Bits negAHigh = freshBits(2 * n);
    Bits negBHigh = freshBits(2 * n);
    for (std::size_t i = 0; i < n; i++) {
        _insertIdentity(negA[i], negAHigh[i + n]);
        _insertIdentity(negB[i], negBHigh[i + n]);
        emit({-int(negAHigh[i])});
        emit({-int(negBHigh[i])});
    }

    Bits minusA = freshBits(2 * n);
    Bits minusB = freshBits(2 * n);
    Bits minusBoth = freshBits(2 * n);
    _insertADD(product, negAHigh, minusA);
    _insertADD(product, negBHigh, minusB);
    _insertADD(minusA, negBHigh, minusBoth);

    unsigned int both = fresh();
    unsigned int notBoth = fresh();
    _insertAnd2(a[n - 1], b[n - 1], both);
    _insertNot(both, notBoth);
    unsigned int onlyA = fresh();
    unsigned int onlyB = fresh();
    _insertAnd2(notBoth, a[n - 1], onlyA);
    _insertAnd2(notBoth, b[n - 1], onlyB);

    Bits result = freshBits(2 * n);
    Bits ifOnlyA = freshBits(2 * n);
    Bits ifOnlyB = freshBits(2 * n);
    _insertITE(onlyA, minusB, product, ifOnlyA);
    _insertITE(onlyB, minusA, ifOnlyA, ifOnlyB);
    _insertITE(both, minusBoth, ifOnlyB, result);
    product.swap(result);
}
