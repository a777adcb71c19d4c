// The word operations, each on the low w bits.
#include "words.h"

namespace torva_words {

uint64_t mask(unsigned w) { return w >= 64 ? ~0ULL : ((1ULL << w) - 1); }

bool negative(uint64_t a, unsigned w) { return ((a >> (w - 1)) & 1) != 0; }

int64_t toSigned(uint64_t a, unsigned w) {
    return static_cast<int64_t>(signExtend(a, w, 64));
}

uint64_t neg(uint64_t a, unsigned w) { return (~a + 1) & mask(w); }

uint64_t udiv(uint64_t a, uint64_t b, unsigned w) { return b == 0 ? mask(w) : a / b; }

uint64_t urem(uint64_t a, uint64_t b, unsigned) { return b == 0 ? a : a % b; }

uint64_t sdiv(uint64_t a, uint64_t b, unsigned w) {
    bool na = negative(a, w), nb = negative(b, w);
    uint64_t q = udiv(na ? neg(a, w) : a, nb ? neg(b, w) : b, w);
    return na != nb ? neg(q, w) : q;
}

uint64_t srem(uint64_t a, uint64_t b, unsigned w) {
    bool na = negative(a, w), nb = negative(b, w);
    uint64_t r = urem(na ? neg(a, w) : a, nb ? neg(b, w) : b, w);
    return na ? neg(r, w) : r;
}

uint64_t shl(uint64_t a, uint64_t s, unsigned w) { return s >= w ? 0 : (a << s) & mask(w); }

uint64_t lshr(uint64_t a, uint64_t s, unsigned w) { return s >= w ? 0 : a >> s; }

uint64_t ashr(uint64_t a, uint64_t s, unsigned w) {
    if (s >= w) return negative(a, w) ? mask(w) : 0;
    return signExtend(a >> s, w - static_cast<unsigned>(s), w);
}

// The remainder of the signed division rounding towards minus infinity: it
// takes the sign of the divisor; a zero divisor leaves the dividend.
uint64_t smod(uint64_t a, uint64_t b, unsigned w) {
    bool na = negative(a, w), nb = negative(b, w);
    uint64_t u = urem(na ? neg(a, w) : a, nb ? neg(b, w) : b, w);
    if (u == 0 || na == nb) return na ? neg(u, w) : u;
    return ((na ? b - u : u + b)) & mask(w);
}

uint64_t rotateLeft(uint64_t a, unsigned k, unsigned w) {
    k %= w;
    if (k == 0) return a;
    return ((a << k) | (a >> (w - k))) & mask(w);
}

uint64_t repeat(uint64_t a, unsigned count, unsigned w) {
    uint64_t v = 0;
    for (unsigned i = 0; i < count; i++) v = (w >= 64 ? 0 : v << w) | a;
    return v;
}

uint64_t signExtend(uint64_t a, unsigned from, unsigned to) {
    if (negative(a, from)) a |= ~mask(from);
    return a & mask(to);
}

}  // namespace torva_words
