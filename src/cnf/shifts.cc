// Sign and zero extension, shifts by a constant distance and barrel shifters
// for a distance given as a bit vector. Vacated positions are 0 (logical
// shifts); a barrel stage whose distance reaches past the word shifts in
// constant 0 bits, so any distance of n or more yields 0.
#include <cstdint>

#include "cnf/verification_model_cnf.h"

void VerificationModelCNF::insertSignExtend(Bits& in, Bits& out) {
    if (in.empty()) fail(__LINE__, "Bitgroesse des Eingangs ist 0");
    if (out.size() < in.size()) fail(__LINE__, "Inkompatible Bitgroessen");
    std::size_t n = in.size();
    for (std::size_t i = 0; i < n; i++) _insertIdentity(in[i], out[i]);
    for (std::size_t i = n; i < out.size(); i++) _insertIdentity(in[n - 1], out[i]);
}

void VerificationModelCNF::insertZeroExtend(Bits& in, Bits& out) {
    if (in.empty()) fail(__LINE__, "Bitgroesse des Eingangs ist 0");
    if (out.size() < in.size()) fail(__LINE__, "Inkompatible Bitgroessen");
    std::size_t n = in.size();
    for (std::size_t i = 0; i < n; i++) _insertIdentity(in[i], out[i]);
    for (std::size_t i = n; i < out.size(); i++) emit({-int(out[i])});
}

void VerificationModelCNF::insertSHLConst(Bits& in, unsigned int k, Bits& out) {
    if (in.empty()) fail(__LINE__, "Bitgroesse des Eingangs ist 0");
    if (out.size() != in.size()) fail(__LINE__, "Ausgang hat die falsche Bitgroesse");
    if (k > in.size()) fail(__LINE__, "offset ist groesser als die Bitgroesse des Einganges");
    for (std::size_t i = 0; i < in.size(); i++) {
        if (i < k)
            emit({-int(out[i])});
        else
            _insertIdentity(in[i - k], out[i]);
    }
}

void VerificationModelCNF::insertSHRConst(Bits& in, unsigned int k, Bits& out) {
    if (in.empty()) fail(__LINE__, "Bitgroesse des Eingangs ist 0");
    if (out.size() != in.size()) fail(__LINE__, "Ausgang hat die falsche Bitgroesse");
    if (k > in.size()) fail(__LINE__, "offset ist groesser als die Bitgroesse des Einganges");
    std::size_t n = in.size();
    for (std::size_t i = 0; i < n; i++) {
        if (i + k >= n)
            emit({-int(out[i])});
        else
            _insertIdentity(in[i + k], out[i]);
    }
}

void VerificationModelCNF::_insertSHL(Bits& a, Bits& s, Bits& out) {
    barrelShifter(a, s, out, true);
}

void VerificationModelCNF::_insertSHR(Bits& a, Bits& s, Bits& out) {
    barrelShifter(a, s, out, false);
}

// Stage j passes the current word shifted by 2^j when s[j] is 1 and
// unchanged when it is 0; the last stage is copied to out.
void VerificationModelCNF::barrelShifter(Bits& a, Bits& s, Bits& out, bool left) {
    if (a.empty() && s.empty()) fail(__LINE__, "Bitgroesse eines Eingangs ist 0");
    if (out.size() != a.size()) fail(__LINE__, "Ausgang hat die falsche Bitgroesse");
    std::size_t n = a.size();
    Bits current(a);
    for (std::size_t j = 0; j < s.size(); j++) {
        uint64_t distance = j < 64 ? uint64_t(1) << j : UINT64_MAX;
        Bits next = freshBits(n);
        for (std::size_t i = 0; i < n; i++) {
            unsigned int shiftedIn;
            if (left && distance <= i)
                shiftedIn = current[i - distance];
            else if (!left && distance < n - i)
                shiftedIn = current[i + distance];
            else
                shiftedIn = constantBit(false);
            _insertMux(s[j], shiftedIn, current[i], next[i]);
        }
        current.swap(next);
    }
    for (std::size_t i = 0; i < n; i++) _insertIdentity(out[i], current[i]);
}
