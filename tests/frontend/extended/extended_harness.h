// Test support for the extended reader: parse a text into a fresh term
// graph, check the form of an error line, and decide the parsed benchmark by
// brute force, enumerating every assignment of the variables the assertions
// mention and evaluating the assertions with the term graph's evaluator.
// Benchmarks are built around a fixed set of small declarations.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "frontend/extended/benchmark.h"
#include "terms/evaluator.h"

namespace extended_test {

struct Parsed {
    torva::terms::TermStore store;
    torva::extended::Benchmark benchmark;
    bool ok = false;
    std::string error;
};

inline std::unique_ptr<Parsed> parse(const std::string& text, const std::string& file = "test.smt") {
    auto parsed = std::make_unique<Parsed>();
    parsed->ok = torva::extended::parseBenchmark(text.data(), text.size(), file, parsed->store, parsed->benchmark,
                                                 parsed->error);
    return parsed;
}

// Declarations of 4-bit x and y, 2-bit u, 1-bit b, predicates p and q
// (13 bits in all), followed by the attributes.
inline std::string benchmark(const std::string& attributes) {
    return "(benchmark test\n:logic QF_BV\n:extrafuns ((x BitVec[4]) (y BitVec[4]) (u BitVec[2]) (b BitVec[1]))\n"
           ":extrapreds ((p) (q))\n" +
           attributes + "\n)\n";
}

inline std::string formula(const std::string& f) { return benchmark(":formula " + f); }

// Inputs are quoted in failure messages up to this length.
inline std::string shown(const std::string& text) { return text.substr(0, 400); }

// The error is one line "ERROR: ... at test.smt:<line>".
inline void expectErrorLine(const std::string& error, int line, const std::string& input) {
    const std::string suffix = " at test.smt:" + std::to_string(line);
    EXPECT_EQ(error.rfind("ERROR: ", 0), 0u) << error;
    EXPECT_EQ(error.find('\n'), std::string::npos) << error;
    EXPECT_EQ(error.substr(error.size() - std::min(error.size(), suffix.size())), suffix) << shown(input);
}

// The text is rejected with one error line naming `line` whose message
// contains `fragment`.
inline void expectError(const std::string& text, const std::string& fragment, int line) {
    auto parsed = parse(text);
    ASSERT_FALSE(parsed->ok) << shown(text);
    expectErrorLine(parsed->error, line, text);
    EXPECT_NE(parsed->error.find(fragment), std::string::npos) << parsed->error << "\n" << shown(text);
}

inline unsigned sortBits(const torva::terms::TermStore& store, torva::terms::TermId t) {
    return store.isBool(t) ? 1 : store.width(t);
}

// Whether some assignment of the variables the assertions mention satisfies
// every assertion. They must total at most 20 bits.
inline bool bruteForceSat(Parsed& parsed) {
    const torva::terms::TermStore& store = parsed.store;
    std::vector<char> seen(store.size(), 0);
    for (std::vector<torva::terms::TermId> stack(parsed.benchmark.assertions); !stack.empty();) {
        torva::terms::TermId t = stack.back();
        stack.pop_back();
        if (seen[t]) continue;
        seen[t] = 1;
        for (uint32_t i = 0; i < store.numArgs(t); ++i) stack.push_back(store.arg(t, i));
    }
    std::vector<torva::terms::TermId> variables;
    unsigned bits = 0;
    for (const auto& d : parsed.benchmark.declarations) {
        if (!seen[d.term]) continue;
        variables.push_back(d.term);
        bits += sortBits(store, d.term);
    }
    EXPECT_LE(bits, 20u) << "too many bits to enumerate";
    if (bits > 20) return false;
    torva::terms::Evaluator evaluator(parsed.store);
    for (uint64_t assignment = 0; assignment < (uint64_t(1) << bits); ++assignment) {
        unsigned at = 0;
        for (torva::terms::TermId v : variables) {
            unsigned w = sortBits(store, v);
            evaluator.assign(v, mpz_class(static_cast<unsigned long>((assignment >> at) & ((1u << w) - 1))));
            at += w;
        }
        bool all = true;
        for (torva::terms::TermId a : parsed.benchmark.assertions) all = all && evaluator.value(a) == 1;
        if (all) return true;
    }
    return false;
}

enum Expected { kUnsat, kSat };

// The text parses and its brute-force answer is the expected one.
inline void expectAnswer(const std::string& text, Expected expected) {
    auto parsed = parse(text);
    ASSERT_TRUE(parsed->ok) << parsed->error << "\n" << shown(text);
    EXPECT_EQ(bruteForceSat(*parsed), expected == kSat) << shown(text);
}

}  // namespace extended_test
