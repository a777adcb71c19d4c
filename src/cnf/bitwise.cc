// Bitwise encodings, word copy and negation, and the word-level
// if-then-else: one gate per bit position, no auxiliary variables. A bitwise
// output one bit wider than its operands keeps its top bit unconstrained.
#include "cnf/verification_model_cnf.h"

void VerificationModelCNF::checkBitwise(Bits& a, Bits& b, Bits& out) {
    if (a.size() != b.size()) fail(__LINE__, "Eingaenge haben unterschiedliche bitanzahl");
    if (a.empty()) fail(__LINE__, "Bitgroesse der Eingaenge ist 0");
    if (out.size() != a.size() && out.size() != a.size() + 1)
        fail(__LINE__, "Ausgangbitzahl ist nicht compatibel zu den inputs");
}

void VerificationModelCNF::applyPerBit(Bits& a, Bits& b, Bits& out, Gate2 gate) {
    checkBitwise(a, b, out);
    for (std::size_t i = 0; i < a.size(); i++) (this->*gate)(a[i], b[i], out[i]);
}

void VerificationModelCNF::insertAND(Bits& a, Bits& b, Bits& out) {
    applyPerBit(a, b, out, &VerificationModelCNF::_insertAnd2);
}

void VerificationModelCNF::insertOR(Bits& a, Bits& b, Bits& out) {
    applyPerBit(a, b, out, &VerificationModelCNF::_insertOr2);
}

void VerificationModelCNF::insertXOR(Bits& a, Bits& b, Bits& out) {
    applyPerBit(a, b, out, &VerificationModelCNF::_insertXor2);
}

void VerificationModelCNF::insertXNOR(Bits& a, Bits& b, Bits& out) {
    applyPerBit(a, b, out, &VerificationModelCNF::_insertNxor2);
}

void VerificationModelCNF::insertNAND(Bits& a, Bits& b, Bits& out) {
    applyPerBit(a, b, out, &VerificationModelCNF::_insertNand2);
}

void VerificationModelCNF::insertNOR(Bits& a, Bits& b, Bits& out) {
    applyPerBit(a, b, out, &VerificationModelCNF::_insertNor2);
}

void VerificationModelCNF::insertNOT(Bits& in, Bits& out) {
    if (in.size() != out.size())
        fail(__LINE__, "in und out groesse ist unterschiedlich: " + std::to_string(in.size()) + " " +
                           std::to_string(out.size()));
    if (in.empty()) fail(__LINE__, "Es muss mindestens eine Variable definiert sein");
    for (std::size_t i = 0; i < in.size(); i++) _insertNot(in[i], out[i]);
}

void VerificationModelCNF::insertIdentity(Bits& in, Bits& out) {
    if (in.size() != out.size())
        fail(__LINE__, "Variablenanzahl ist nicht identisch: " + std::to_string(in.size()) + " " +
                           std::to_string(out.size()));
    if (in.empty()) fail(__LINE__, "Keine Eingangsvariablen vorhanden");
    for (std::size_t i = 0; i < in.size(); i++) _insertIdentity(in[i], out[i]);
}

void VerificationModelCNF::_insertITE(unsigned int& c, Bits& thenBits, Bits& elseBits, Bits& out) {
    if (thenBits.size() != elseBits.size()) fail(__LINE__, "Then und else groesse ist unterschiedlich");
    if (thenBits.size() != out.size()) fail(__LINE__, "Then und output groesse ist unterschiedlich");
    if (out.empty()) fail(__LINE__, "Es muss mindestens eine Variable definiert sein");
    for (std::size_t i = 0; i < out.size(); i++) _insertMux(c, thenBits[i], elseBits[i], out[i]);
}
