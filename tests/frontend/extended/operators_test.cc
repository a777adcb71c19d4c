// Every operator spelling against a plainly written reference, for all
// operand values: width 3 for bit-vectors (and widths 2 and 3 mixed for the
// shifts, whose amount may have a width of its own), both truth values for
// formulas, every operand count up to four for the n-ary connectives, and
// Booleans and 1-bit vectors in each other's places.
// One benchmark per row and spelling claims each application's reference
// result and must hold everywhere; a second claims a wrong result and must
// fail everywhere. Spellings are tried as written and in upper case (the
// basic reader reads operators in any letter case).
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <functional>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "frontend/extended/benchmark.h"
#include "terms/evaluator.h"

namespace {
using Values = std::vector<uint64_t>;
using Binary = std::function<uint64_t(uint64_t, uint64_t)>;

// Applications of each space-separated spelling of `names` to operands of
// the given widths (0: a formula); the result has width `result` (0: a
// formula) and is the reference's value reduced to that width.
struct Row {
    std::string names;
    std::vector<unsigned> operands;
    unsigned result;
    std::function<uint64_t(const Values&)> reference;
};

int64_t sgn(uint64_t a, unsigned width = 3) {
    return a >> (width - 1) ? static_cast<int64_t>(a) - (int64_t(1) << width) : static_cast<int64_t>(a);
}

std::string literal(uint64_t value, unsigned width) {
    if (width == 0) return value ? "true" : "false";
    return "bv" + std::to_string(value) + "[" + std::to_string(width) + "]";
}

std::string upper(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

// The claims of `head` over every operand tuple: right ones, wrong ones.
void expectClaims(const Row& row, const std::string& head) {
    const uint64_t mask = row.result ? (uint64_t(1) << row.result) - 1 : 1;
    std::string right, wrong;
    size_t count = 0;
    for (Values v(row.operands.size(), 0);;) {
        ++count;
        std::string application = "(" + head;
        for (size_t i = 0; i < v.size(); ++i) application += " " + literal(v[i], row.operands[i]);
        uint64_t r = row.reference(v) & mask;
        right += ":formula (= " + application + ") " + literal(r, row.result) + ")\n";
        wrong += ":formula (= " + application + ") " + literal((r + 1) & mask, row.result) + ")\n";
        size_t i = 0;
        while (i < v.size() && ++v[i] == (uint64_t(1) << std::max(row.operands[i], 1u))) v[i++] = 0;
        if (i == v.size()) break;
    }
    for (int holds : {1, 0}) {
        const std::string text = "(benchmark ops " + (holds ? right : wrong) + ")";
        torva::terms::TermStore store;
        torva::extended::Benchmark parsed;
        std::string error;
        ASSERT_TRUE(torva::extended::parseBenchmark(text.data(), text.size(), "ops.smt", store, parsed, error))
            << head << ": " << error;
        ASSERT_EQ(parsed.assertions.size(), count) << head;
        torva::terms::Evaluator evaluator(store);
        for (size_t i = 0; i < parsed.assertions.size(); ++i)
            EXPECT_EQ(evaluator.value(parsed.assertions[i]), holds) << head << ", claim " << i;
    }
}

std::function<uint64_t(const Values&)> fold(Binary f) {
    return [f](const Values& v) {
        uint64_t r = v[0];
        for (size_t i = 1; i < v.size(); ++i) r = f(r, v[i]);
        return r;
    };
}

std::vector<Row> rows() {
    auto s = [](uint64_t a) { return sgn(a); };
    Binary bitAnd = [](uint64_t a, uint64_t b) { return a & b; }, bitOr = [](uint64_t a, uint64_t b) { return a | b; },
           bitXor = [](uint64_t a, uint64_t b) { return a ^ b; };
    auto ite = [](const Values& v) { return v[0] ? v[1] : v[2]; };
    auto implies = [](const Values& v) {
        uint64_t r = v.back();
        for (size_t i = v.size() - 1; i-- > 0;) r = !v[i] || r;
        return r;
    };
    auto allEqual = [](const Values& v) { return std::count(v.begin(), v.end(), v[0]) == long(v.size()); };
    auto pairwiseDistinct = [](const Values& v) {
        for (size_t i = 0; i < v.size(); ++i)
            if (std::count(v.begin(), v.end(), v[i]) > 1) return false;
        return true;
    };
    // Binary at width 3; the n-ary ones also with three operands.
    const std::vector<std::tuple<const char*, Binary, unsigned, bool>> binaries = {
        {"bvadd", [](uint64_t a, uint64_t b) { return a + b; }, 3, true},
        {"bvsub", [](uint64_t a, uint64_t b) { return a - b; }, 3, true},
        {"bvmul", [](uint64_t a, uint64_t b) { return a * b; }, 3, true},
        {"bvand", bitAnd, 3, true},
        {"bvor", bitOr, 3, true},
        {"bvxor", bitXor, 3, true},
        {"bvnand", [](uint64_t a, uint64_t b) { return ~(a & b); }, 3, false},
        {"bvnor", [](uint64_t a, uint64_t b) { return ~(a | b); }, 3, false},
        {"bvxnor", [](uint64_t a, uint64_t b) { return ~(a ^ b); }, 3, false},
        {"bvudiv", [](uint64_t a, uint64_t b) { return b ? a / b : 7; }, 3, false},
        {"bvurem", [](uint64_t a, uint64_t b) { return b ? a % b : a; }, 3, false},
        {"bvsdiv", [s](uint64_t a, uint64_t b) { return b ? s(a) / s(b) : s(a) < 0 ? 1 : -1; }, 3, false},
        {"bvsrem", [s](uint64_t a, uint64_t b) { return b ? s(a) % s(b) : s(a); }, 3, false},
        {"bvsmod",
         [s](uint64_t a, uint64_t b) {
             int64_t r = b ? s(a) % s(b) : s(a);
             return r != 0 && b && (r < 0) != (s(b) < 0) ? r + s(b) : r;
         },
         3, false},
        {"bvcomp", [](uint64_t a, uint64_t b) { return a == b; }, 1, false},
        {"bvult bvlt", [](uint64_t a, uint64_t b) { return a < b; }, 0, false},
        {"bvule bvle", [](uint64_t a, uint64_t b) { return a <= b; }, 0, false},
        {"bvugt bvgt", [](uint64_t a, uint64_t b) { return a > b; }, 0, false},
        {"bvuge bvge", [](uint64_t a, uint64_t b) { return a >= b; }, 0, false},
        {"bvslt", [s](uint64_t a, uint64_t b) { return s(a) < s(b); }, 0, false},
        {"bvsle", [s](uint64_t a, uint64_t b) { return s(a) <= s(b); }, 0, false},
        {"bvsgt", [s](uint64_t a, uint64_t b) { return s(a) > s(b); }, 0, false},
        {"bvsge", [s](uint64_t a, uint64_t b) { return s(a) >= s(b); }, 0, false},
    };
    std::vector<Row> all;
    for (const auto& [names, f, result, nary] : binaries) {
        all.push_back({names, {3, 3}, result, fold(f)});
        if (nary) all.push_back({names, {3, 3, 3}, result, fold(f)});
    }
    // A shift amount of another width counts with its full unsigned value.
    for (auto [data, amount] : {std::pair(3u, 3u), std::pair(3u, 2u), std::pair(2u, 3u)}) {
        all.push_back({"bvshl shift_left0", {data, amount}, data, [](const Values& v) { return v[0] << v[1]; }});
        all.push_back({"bvlshr shift_right0", {data, amount}, data, [](const Values& v) { return v[0] >> v[1]; }});
        all.push_back({"bvashr", {data, amount}, data, [d = data](const Values& v) { return sgn(v[0], d) >> v[1]; }});
    }
    all.push_back({"bvnot", {3}, 3, [](const Values& v) { return ~v[0]; }});
    all.push_back({"bvneg", {3}, 3, [](const Values& v) { return -v[0]; }});
    all.push_back({"bvredor", {3}, 1, [](const Values& v) { return v[0] != 0; }});
    all.push_back({"bvredand", {3}, 1, [](const Values& v) { return v[0] == 7; }});
    for (unsigned hi = 0; hi < 3; ++hi)
        for (unsigned lo = 0; lo <= hi; ++lo)
            all.push_back({"extract[" + std::to_string(hi) + ":" + std::to_string(lo) + "]", {3}, hi - lo + 1,
                           [lo](const Values& v) { return v[0] >> lo; }});
    for (unsigned k = 0; k <= 7; ++k) {
        const std::string index = "[" + std::to_string(k) + "]";
        const unsigned r = k % 3;
        all.push_back({"rotate_left" + index, {3}, 3, [r](const Values& v) { return v[0] << r | v[0] >> (3 - r); }});
        all.push_back({"rotate_right" + index, {3}, 3, [r](const Values& v) { return v[0] >> r | v[0] << (3 - r); }});
        // Octal 0111 repeats a 3-bit digit three times.
        if (k >= 1 && k <= 3)
            all.push_back({"repeat" + index, {3}, 3 * k, [](const Values& v) { return v[0] * 0111; }});
        if (k <= 2) {
            all.push_back({"zero_extend" + index, {3}, 3 + k, [](const Values& v) { return v[0]; }});
            all.push_back({"sign_extend" + index, {3}, 3 + k, [](const Values& v) { return sgn(v[0]); }});
        }
    }
    // concat puts its first operand in the most significant place.
    all.push_back({"concat", {3, 3, 1}, 7, [](const Values& v) { return v[0] << 4 | v[1] << 1 | v[2]; }});
    all.push_back({"ite if_then_else", {0, 3, 3}, 3, ite});
    all.push_back({"ite if_then_else", {0, 0, 0}, 0, ite});
    all.push_back({"not", {0}, 0, [](const Values& v) { return !v[0]; }});
    // Connectives at every count of operands; = and distinct also on terms.
    for (size_t n = 1; n <= 4; ++n) {
        const std::vector<unsigned> formulas(n, 0);
        all.push_back({"and", formulas, 0, fold(bitAnd)});
        all.push_back({"or", formulas, 0, fold(bitOr)});
        if (n == 1) continue;
        all.push_back({"xor", formulas, 0, fold(bitXor)});
        all.push_back({"implies", formulas, 0, implies});
        all.push_back({"iff =", formulas, 0, allEqual});
        all.push_back({"distinct", formulas, 0, pairwiseDistinct});
    }
    all.push_back({"=", {3, 3, 3}, 0, allEqual});
    all.push_back({"distinct", {3, 3, 3}, 0, pairwiseDistinct});
    // Booleans and 1-bit vectors stand for each other: formulas as operands
    // of bit-vector operators (or mixed with 1-bit vectors), 1-bit vectors as
    // operands of connectives.
    all.push_back({"bvand", {0, 0}, 1, fold(bitAnd)});
    all.push_back({"bvor", {0, 1}, 1, fold(bitOr)});
    all.push_back({"bvxor", {1, 0}, 1, fold(bitXor)});
    all.push_back({"bvnot", {0}, 1, [](const Values& v) { return ~v[0]; }});
    all.push_back({"concat", {0, 2}, 3, [](const Values& v) { return v[0] << 2 | v[1]; }});
    all.push_back({"=", {0, 1}, 0, allEqual});
    all.push_back({"=", {1, 0}, 0, allEqual});
    all.push_back({"ite", {0, 0, 1}, 1, ite});
    all.push_back({"ite", {1, 0, 0}, 0, ite});
    all.push_back({"not", {1}, 0, [](const Values& v) { return !v[0]; }});
    all.push_back({"and", {1, 1}, 0, fold(bitAnd)});
    all.push_back({"implies", {1, 0}, 0, implies});
    return all;
}
}  // namespace

TEST(ExtendedOperators, EverySpellingAgreesWithItsReference) {
    for (const Row& row : rows()) {
        std::istringstream names(row.names);
        for (std::string name; names >> name;)
            for (const std::string& spelling : {name, upper(name)}) expectClaims(row, spelling);
    }
}
