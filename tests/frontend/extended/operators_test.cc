// Every operator spelling, exhaustively at width 3: for all operand values,
// the application written in the benchmark must evaluate to what a plainly
// written reference computes. One benchmark per spelling holds one
// assertion per operand tuple, each claiming the reference's result; a
// second one claims a wrong result and must be false everywhere. Spellings
// are tried as written and in upper case (the basic reader reads operators
// in any letter case).
#include <cctype>
#include <functional>

#include "extended_harness.h"

namespace {
const unsigned kW = 3;
const uint64_t kMask = (1u << kW) - 1;

uint64_t msb(uint64_t a) { return (a >> (kW - 1)) & 1; }
uint64_t neg(uint64_t a) { return (0 - a) & kMask; }
int64_t toSigned(uint64_t a) { return msb(a) ? static_cast<int64_t>(a) - (1 << kW) : static_cast<int64_t>(a); }
uint64_t udiv(uint64_t a, uint64_t b) { return b == 0 ? kMask : a / b; }
uint64_t urem(uint64_t a, uint64_t b) { return b == 0 ? a : a % b; }

uint64_t sdiv(uint64_t a, uint64_t b) {
    if (!msb(a) && !msb(b)) return udiv(a, b);
    if (msb(a) && !msb(b)) return neg(udiv(neg(a), b));
    if (!msb(a) && msb(b)) return neg(udiv(a, neg(b)));
    return udiv(neg(a), neg(b));
}

uint64_t srem(uint64_t a, uint64_t b) {
    if (!msb(a) && !msb(b)) return urem(a, b);
    if (msb(a) && !msb(b)) return neg(urem(neg(a), b));
    if (!msb(a) && msb(b)) return urem(a, neg(b));
    return neg(urem(neg(a), neg(b)));
}

uint64_t smod(uint64_t a, uint64_t b) {
    uint64_t absA = msb(a) ? neg(a) : a, absB = msb(b) ? neg(b) : b;
    uint64_t r = urem(absA, absB);
    if (r == 0 || (!msb(a) && !msb(b))) return r;
    if (msb(a) && !msb(b)) return (neg(r) + b) & kMask;
    if (!msb(a) && msb(b)) return (r + b) & kMask;
    return neg(r);
}

uint64_t ashr(uint64_t a, uint64_t b) {
    if (b >= kW) return msb(a) ? kMask : 0;
    return static_cast<uint64_t>(toSigned(a) >> b) & kMask;
}

using Binary = std::function<uint64_t(uint64_t, uint64_t)>;

std::string constant(uint64_t value, unsigned width) {
    return "bv" + std::to_string(value) + "[" + std::to_string(width) + "]";
}

std::string upper(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

// The text has `count` assertions and each evaluates to `expected`.
void expectAllAssertions(const std::string& text, size_t count, bool expected, const std::string& what) {
    auto parsed = extended_test::parse(text);
    ASSERT_TRUE(parsed->ok) << parsed->error;
    torva::terms::Evaluator evaluator(parsed->store);
    const auto& assertions = parsed->benchmark.assertions;
    ASSERT_EQ(assertions.size(), count) << what;
    for (size_t i = 0; i < assertions.size(); ++i)
        EXPECT_EQ(evaluator.value(assertions[i]), expected ? 1 : 0) << what << ", assertion " << i;
}

// For each written application and its reference result, the claim
// (= application result) holds and (= application result+1) does not.
void expectResults(const std::string& what, const std::vector<std::pair<std::string, std::string>>& claims,
                   const std::vector<std::string>& wrong) {
    std::string right, bad;
    for (const auto& [application, result] : claims) right += ":formula (= " + application + " " + result + ")\n";
    for (size_t i = 0; i < claims.size(); ++i) bad += ":formula (= " + claims[i].first + " " + wrong[i] + ")\n";
    expectAllAssertions("(benchmark ops " + right + ")", claims.size(), true, what);
    expectAllAssertions("(benchmark ops " + bad + ")", claims.size(), false, what + " (wrong results)");
}

void expectBinary(const std::string& name, const Binary& reference) {
    for (const std::string& spelling : {name, upper(name)}) {
        std::vector<std::pair<std::string, std::string>> claims;
        std::vector<std::string> wrong;
        for (uint64_t a = 0; a <= kMask; ++a) {
            for (uint64_t b = 0; b <= kMask; ++b) {
                uint64_t r = reference(a, b);
                std::string application = "(" + spelling + " " + constant(a, kW) + " " + constant(b, kW) + ")";
                claims.push_back({application, constant(r, kW)});
                wrong.push_back(constant((r + 1) & kMask, kW));
            }
        }
        expectResults(spelling, claims, wrong);
    }
}

void expectComparison(const std::string& name, const std::function<bool(uint64_t, uint64_t)>& reference) {
    for (const std::string& spelling : {name, upper(name)}) {
        std::vector<std::pair<std::string, std::string>> claims;
        std::vector<std::string> wrong;
        for (uint64_t a = 0; a <= kMask; ++a) {
            for (uint64_t b = 0; b <= kMask; ++b) {
                bool r = reference(a, b);
                std::string application = "(" + spelling + " " + constant(a, kW) + " " + constant(b, kW) + ")";
                claims.push_back({application, r ? "true" : "false"});
                wrong.push_back(r ? "false" : "true");
            }
        }
        expectResults(spelling, claims, wrong);
    }
}

// (name[indices] a) for every a, against reference(a) of the given width.
void expectIndexed(const std::string& written, unsigned width, const std::function<uint64_t(uint64_t)>& reference) {
    std::vector<std::pair<std::string, std::string>> claims;
    std::vector<std::string> wrong;
    for (uint64_t a = 0; a <= kMask; ++a) {
        uint64_t r = reference(a);
        claims.push_back({"(" + written + " " + constant(a, kW) + ")", constant(r, width)});
        wrong.push_back(constant((r + 1) % (uint64_t(1) << width), width));
    }
    expectResults(written, claims, wrong);
}
}  // namespace

TEST(ExtendedOperators, ArithmeticAndBitwiseSpellings) {
    expectBinary("bvadd", [](uint64_t a, uint64_t b) { return (a + b) & kMask; });
    expectBinary("bvsub", [](uint64_t a, uint64_t b) { return (a - b) & kMask; });
    expectBinary("bvmul", [](uint64_t a, uint64_t b) { return (a * b) & kMask; });
    expectBinary("bvudiv", udiv);
    expectBinary("bvurem", urem);
    expectBinary("bvsdiv", sdiv);
    expectBinary("bvsrem", srem);
    expectBinary("bvsmod", smod);
    expectBinary("bvand", [](uint64_t a, uint64_t b) { return a & b; });
    expectBinary("bvor", [](uint64_t a, uint64_t b) { return a | b; });
    expectBinary("bvxor", [](uint64_t a, uint64_t b) { return a ^ b; });
    expectBinary("bvnand", [](uint64_t a, uint64_t b) { return ~(a & b) & kMask; });
    expectBinary("bvnor", [](uint64_t a, uint64_t b) { return ~(a | b) & kMask; });
    expectBinary("bvxnor", [](uint64_t a, uint64_t b) { return ~(a ^ b) & kMask; });
    Binary shl = [](uint64_t a, uint64_t b) { return b >= kW ? 0 : (a << b) & kMask; };
    Binary lshr = [](uint64_t a, uint64_t b) { return b >= kW ? 0 : a >> b; };
    expectBinary("bvshl", shl);
    expectBinary("shift_left0", shl);
    expectBinary("bvlshr", lshr);
    expectBinary("shift_right0", lshr);
    expectBinary("bvashr", ashr);
}

TEST(ExtendedOperators, UnaryOperatorsAndBvcomp) {
    expectIndexed("bvnot", kW, [](uint64_t a) { return ~a & kMask; });
    expectIndexed("bvneg", kW, neg);
    expectIndexed("bvredor", 1, [](uint64_t a) { return a != 0 ? 1 : 0; });
    expectIndexed("bvredand", 1, [](uint64_t a) { return a == kMask ? 1 : 0; });
    std::vector<std::pair<std::string, std::string>> claims;
    std::vector<std::string> wrong;
    for (uint64_t a = 0; a <= kMask; ++a) {
        for (uint64_t b = 0; b <= kMask; ++b) {
            claims.push_back({"(bvcomp " + constant(a, kW) + " " + constant(b, kW) + ")", a == b ? "bit1" : "bit0"});
            wrong.push_back(a == b ? "bit0" : "bit1");
        }
    }
    expectResults("bvcomp", claims, wrong);
}

TEST(ExtendedOperators, ComparisonSpellings) {
    auto s = toSigned;
    expectComparison("bvult", [](uint64_t a, uint64_t b) { return a < b; });
    expectComparison("bvlt", [](uint64_t a, uint64_t b) { return a < b; });
    expectComparison("bvule", [](uint64_t a, uint64_t b) { return a <= b; });
    expectComparison("bvle", [](uint64_t a, uint64_t b) { return a <= b; });
    expectComparison("bvugt", [](uint64_t a, uint64_t b) { return a > b; });
    expectComparison("bvgt", [](uint64_t a, uint64_t b) { return a > b; });
    expectComparison("bvuge", [](uint64_t a, uint64_t b) { return a >= b; });
    expectComparison("bvge", [](uint64_t a, uint64_t b) { return a >= b; });
    expectComparison("bvslt", [s](uint64_t a, uint64_t b) { return s(a) < s(b); });
    expectComparison("bvsle", [s](uint64_t a, uint64_t b) { return s(a) <= s(b); });
    expectComparison("bvsgt", [s](uint64_t a, uint64_t b) { return s(a) > s(b); });
    expectComparison("bvsge", [s](uint64_t a, uint64_t b) { return s(a) >= s(b); });
    expectComparison("=", [](uint64_t a, uint64_t b) { return a == b; });
    expectComparison("distinct", [](uint64_t a, uint64_t b) { return a != b; });
}

TEST(ExtendedOperators, IndexedOperatorsForEveryLegalIndex) {
    for (unsigned hi = 0; hi < kW; ++hi)
        for (unsigned lo = 0; lo <= hi; ++lo)
            expectIndexed("extract[" + std::to_string(hi) + ":" + std::to_string(lo) + "]", hi - lo + 1,
                          [=](uint64_t a) { return (a >> lo) & ((1u << (hi - lo + 1)) - 1); });
    for (unsigned k = 0; k <= 7; ++k) {
        auto left = [=](uint64_t a) { return ((a << (k % kW)) | (a >> ((kW - k % kW) % kW))) & kMask; };
        auto right = [=](uint64_t a) { return ((a >> (k % kW)) | (a << ((kW - k % kW) % kW))) & kMask; };
        expectIndexed("rotate_left[" + std::to_string(k) + "]", kW, left);
        expectIndexed("rotate_right[" + std::to_string(k) + "]", kW, right);
    }
    for (unsigned k = 1; k <= 3; ++k)
        expectIndexed("repeat[" + std::to_string(k) + "]", kW * k, [=](uint64_t a) {
            uint64_t r = 0;
            for (unsigned i = 0; i < k; ++i) r = (r << kW) | a;
            return r;
        });
    for (unsigned k = 0; k <= 2; ++k) {
        expectIndexed("zero_extend[" + std::to_string(k) + "]", kW + k, [](uint64_t a) { return a; });
        expectIndexed("sign_extend[" + std::to_string(k) + "]", kW + k,
                      [=](uint64_t a) { return msb(a) ? a | (((1u << k) - 1) << kW) : a; });
    }
    expectIndexed("EXTRACT[2:1]", 2, [](uint64_t a) { return a >> 1; });
    expectIndexed("Rotate_Left[1]", kW, [](uint64_t a) { return ((a << 1) | (a >> 2)) & kMask; });
}

TEST(ExtendedOperators, NaryBitVectorOperatorsFoldLeft) {
    struct Nary {
        const char* name;
        Binary step;
    };
    const Nary ops[] = {
        {"bvadd", [](uint64_t a, uint64_t b) { return (a + b) & kMask; }},
        {"bvmul", [](uint64_t a, uint64_t b) { return (a * b) & kMask; }},
        {"bvsub", [](uint64_t a, uint64_t b) { return (a - b) & kMask; }},
        {"bvand", [](uint64_t a, uint64_t b) { return a & b; }},
        {"bvor", [](uint64_t a, uint64_t b) { return a | b; }},
        {"bvxor", [](uint64_t a, uint64_t b) { return a ^ b; }},
    };
    for (const Nary& op : ops) {
        std::vector<std::pair<std::string, std::string>> claims;
        std::vector<std::string> wrong;
        for (uint64_t a = 0; a <= kMask; ++a)
            for (uint64_t b = 0; b <= kMask; ++b)
                for (uint64_t c : {uint64_t(0), uint64_t(3), uint64_t(6)}) {
                    uint64_t r = op.step(op.step(a, b), c);
                    claims.push_back({std::string("(") + op.name + " " + constant(a, kW) + " " + constant(b, kW) + " " +
                                          constant(c, kW) + ")",
                                      constant(r, kW)});
                    wrong.push_back(constant((r + 1) & kMask, kW));
                }
        expectResults(op.name, claims, wrong);
    }
    // concat puts its first operand in the most significant place.
    std::vector<std::pair<std::string, std::string>> claims;
    std::vector<std::string> wrong;
    for (uint64_t a = 0; a <= kMask; ++a)
        for (uint64_t c = 0; c <= 1; ++c) {
            uint64_t r = (a << 4) | (5 << 1) | c;
            claims.push_back({"(concat " + constant(a, kW) + " " + constant(5, kW) + " " + constant(c, 1) + ")",
                              constant(r, 7)});
            wrong.push_back(constant(r ^ 64, 7));
        }
    expectResults("concat", claims, wrong);
}

TEST(ExtendedOperators, NaryConnectivesOverEveryTuple) {
    struct Connective {
        const char* name;
        size_t minimum;
        std::function<bool(const std::vector<bool>&)> reference;
    };
    auto allEqual = [](const std::vector<bool>& v) {
        for (bool b : v)
            if (b != v[0]) return false;
        return true;
    };
    const Connective connectives[] = {
        {"and", 1, [](const std::vector<bool>& v) { for (bool b : v) if (!b) return false; return true; }},
        {"or", 1, [](const std::vector<bool>& v) { for (bool b : v) if (b) return true; return false; }},
        {"xor", 2, [](const std::vector<bool>& v) { bool r = false; for (bool b : v) r = r != b; return r; }},
        {"implies", 2,
         [](const std::vector<bool>& v) {
             bool r = v.back();
             for (size_t i = v.size() - 1; i-- > 0;) r = !v[i] || r;
             return r;
         }},
        {"iff", 2, allEqual},
        {"=", 2, allEqual},
        {"distinct", 2, [](const std::vector<bool>& v) { return v.size() == 2 && v[0] != v[1]; }},
    };
    for (const Connective& c : connectives) {
        std::string right, bad;
        size_t count = 0;
        for (size_t n = c.minimum; n <= 4; ++n) {
            for (unsigned bits = 0; bits < (1u << n); ++bits) {
                std::vector<bool> values;
                std::string application = std::string("(") + c.name;
                for (size_t i = 0; i < n; ++i) {
                    values.push_back((bits >> i) & 1);
                    application += values.back() ? " true" : " false";
                }
                application += ")";
                bool r = c.reference(values);
                right += std::string(":formula (iff ") + application + (r ? " true" : " false") + ")\n";
                bad += std::string(":formula (iff ") + application + (r ? " false" : " true") + ")\n";
                ++count;
            }
        }
        expectAllAssertions("(benchmark ops " + right + ")", count, true, c.name);
        expectAllAssertions("(benchmark ops " + bad + ")", count, false, c.name);
    }
}
