// The C++ interface where the model-based tester (api_model_test.cc) does
// not reach: values wider than 64 bits, the text of odd names and of deep
// sharing, limits, the message of every misuse, solvers in parallel
// threads, a model that fails its check, and arrays and functions through
// scopes, assumptions, values and cores.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <stdexcept>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "torva/torva.hpp"

namespace torva::testing {
void failNextModelCheck();
}

namespace {

using torva::Error;
using torva::Kind;
using torva::Result;
using torva::Solver;
using torva::Sort;
using torva::Term;

TEST(Interface, ValuesWiderThan64Bits) {
    Solver s;
    Term a = s.mkBvValue(100, std::string(100, '1'), 2);
    EXPECT_EQ(a, s.mkBvValue(100, std::string(25, 'f'), 16));
    EXPECT_EQ("1267650600228229401496703205375", a.getBvValue(10));
    EXPECT_EQ(s.mkBvValue(8, 128), s.mkBvValueInt64(8, -128));
    Term x = s.mkConst(s.mkBvSort(100), "x");
    s.assertFormula(s.mkEqual(s.mkBvAdd(x, s.mkBvOne(100)), s.mkBvZero(100)));
    ASSERT_EQ(Result::Sat, s.checkSat());
    EXPECT_EQ(std::string(25, 'f'), s.getValueDigits(x, 16));
    EXPECT_THROW(s.getValueUint64(x), Error);
    EXPECT_EQ(1u, s.getValueUint64(s.mkEqual(x, a)));
}

TEST(Interface, TextQuotesOddNamesAndBindsSharedOperandsOnce) {
    Solver s;
    Term x = s.mkConst(s.mkBvSort(8), "x");
    Term odd = s.mkConst(s.mkBvSort(8), "a b");
    Term unnamed = s.mkConst(s.mkBoolSort());
    EXPECT_EQ("(bvadd |a b| #b00000001)", s.mkBvAdd(odd, s.mkBvOne(8)).toString());
    EXPECT_EQ("(not _v" + std::to_string(unnamed.getId()) + ")", s.mkNot(unnamed).toString());
    EXPECT_EQ("(_ BitVec 8)", x.getSort().toString());
    Term t = x;
    for (int i = 0; i < 40; i++) t = s.mkBvMul(t, t);
    std::string text = t.toString();
    EXPECT_LT(text.size(), 2000u);
    EXPECT_EQ(0u, text.find("(let ((_let_1 (bvmul x x))) (let ((_let_2 (bvmul _let_1 _let_1)))"));
}

// x * y = a product of two primes near 2^31, x and y above 1: far beyond
// what a search finishes in a few seconds.
void assertHardFactoring(Solver& s) {
    Term x = s.mkZeroExtend(32, s.mkConst(s.mkBvSort(32), "x"));
    Term y = s.mkZeroExtend(32, s.mkConst(s.mkBvSort(32), "y"));
    s.assertFormula(s.mkEqual(s.mkBvMul(x, y), s.mkBvValue(64, uint64_t{2147483629} * uint64_t{2147483587})));
    s.assertFormula(s.mkBvUgt(x, s.mkBvOne(64)));
    s.assertFormula(s.mkBvUgt(y, s.mkBvOne(64)));
    s.assertFormula(s.mkBvUle(x, y));
    s.assertFormula(s.mkBvUlt(x, s.mkBvValue(64, 2147483000)));
}

TEST(Interface, LimitsAnswerUnknownWithAReason) {
    for (const char* preset : {"fast", "clauses", "modules"}) {
        SCOPED_TRACE(preset);
        Solver s;
        s.setOption("preset", preset);
        s.setOption("simplify", "false");
        assertHardFactoring(s);
        s.setConflictLimit(50);
        EXPECT_EQ(Result::Unknown, s.checkSat());
        EXPECT_EQ("resourceout", s.getReasonUnknown());
        s.setConflictLimit(0);

        int polls = 0;
        s.setTerminateCallback([&polls] { return ++polls > 3; });
        EXPECT_EQ(Result::Unknown, s.checkSat());
        EXPECT_EQ("interrupted", s.getReasonUnknown());
        s.setTerminateCallback([]() -> bool { throw std::runtime_error("the callback fails"); });
        EXPECT_EQ(Result::Unknown, s.checkSat());
        s.setTerminateCallback(nullptr);

        s.setTimeLimit(0.3);
        auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(Result::Unknown, s.checkSat());
        EXPECT_EQ("timeout", s.getReasonUnknown());
        EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), 10.0);
        EXPECT_THROW(s.getValue(s.mkTrue()), Error);

        s.setTimeLimit(0);
        s.push();
        Term b = s.mkConst(s.mkBoolSort(), "b");
        s.assertFormula(s.mkAnd(b, s.mkNot(b)));
        EXPECT_EQ(Result::Unsat, s.checkSat());
        s.pop();
    }
}

// Calls the function and expects a torva::Error whose message holds fragment.
void expectError(const std::function<void()>& call, const std::string& fragment) {
    try {
        call();
        ADD_FAILURE() << "no error for " << fragment;
    } catch (const Error& e) {
        EXPECT_NE(std::string::npos, std::string(e.what()).find(fragment)) << e.what();
    }
}

TEST(Interface, MisuseIsAnErrorWithItsReasonAndChangesNothing) {
    Solver s, other;
    Term x = s.mkConst(s.mkBvSort(8), "x");
    Term w = s.mkConst(s.mkBvSort(16), "w");
    Term b = s.mkConst(s.mkBoolSort(), "b");
    Term foreign = other.mkConst(other.mkBvSort(8), "x");
    s.assertFormula(s.mkBvUgt(x, s.mkBvValue(8, 200)));
    s.setOption("toClses.addCls", "false");
    const std::pair<const char*, std::function<void()>> misuses[] = {
        // before any check
        {"no model", [&] { s.getValue(x); }},
        {"did not answer unsat", [&] { s.getUnsatCore(); }},
        {"did not answer unknown", [&] { s.getReasonUnknown(); }},
        // terms of another solver, anywhere
        {"another solver", [&] { s.mkBvAdd(x, foreign); }},
        {"another solver", [&] { s.mkTerm(Kind::BV_ADD, {foreign, x}); }},
        {"another solver", [&] { s.assertFormula(other.mkTrue()); }},
        {"another solver", [&] { s.checkSat({other.mkTrue()}); }},
        // sorts, widths, indices and values
        {"8 and 16", [&] { s.mkBvAdd(x, w); }},
        {"Boolean", [&] { s.mkAnd(b, x); }},
        {"extract", [&] { s.mkExtract(8, 0, x); }},
        {"extract", [&] { s.mkExtract(2, 5, x); }},
        {"extract", [&] { s.mkTerm(Kind::BV_EXTRACT, {x}); }},
        {"bvnot", [&] { s.mkTerm(Kind::BV_NOT, {x, x}); }},
        {"mkConst", [&] { s.mkTerm(Kind::CONSTANT, {}); }},
        {"Boolean", [&] { s.assertFormula(x); }},
        {"Boolean", [&] { s.checkSat({x}); }},
        {"null term", [&] { s.mkNot(Term()); }},
        {"null term", [] { Term().getKind(); }},
        {"null sort", [&] { s.mkConst(torva::Sort(), "n"); }},
        {"between 1 and", [&] { s.mkBvSort(0); }},
        {"as a signed number", [&] { s.mkBvValueInt64(8, 128); }},
        {"256", [&] { s.mkBvValue(8, 256); }},
        {"no number in base 10", [&] { s.mkBvValue(8, "12a", 10); }},
        {"base must be 2, 10 or 16", [&] { s.mkBvValue(8, "11", 8); }},
        // options, limits and scopes
        {"no.such.key", [&] { s.setOption("no.such.key", "1"); }},
        {"toClses.addHeur", [&] { s.setOption("toClses.addHeur", "-5"); }},
        {"unknown preset", [&] { s.setOption("preset", "fastest"); }},
        {"true or false", [&] { s.setOption("simplify", "yes"); }},
        {"unknown option", [&] { s.getOption("no.such.key"); }},
        {"time limit", [&] { s.setTimeLimit(-1); }},
        {"below the base level", [&] { s.pop(); }},
    };
    for (const auto& [fragment, call] : misuses) expectError(call, fragment);
    EXPECT_EQ("false", s.getOption("toClses.addCls"));
    EXPECT_EQ(1u, s.getAssertions().size());
    s.push(2);
    expectError([&] { s.pop(3); }, "below the base level");
    EXPECT_EQ(2u, s.getScopeLevel());
    s.pop(2);

    // When a model goes away is ApiModel's to check.
    ASSERT_EQ(Result::Sat, s.checkSat());
    EXPECT_GT(s.getValueUint64(x), 200u);
    expectError([&] { s.getUnsatCore(); }, "did not answer unsat");
    expectError([&] { s.getValue(foreign); }, "another solver");
}

// Random linear equations over 10-bit words, each checked through the
// model; the number of satisfiable ones must not depend on what other
// solvers in the same thread or in other threads do.
int solveSystems(Solver& s, uint32_t seed, int rounds) {
    std::vector<Term> vars;
    for (int i = 0; i < 4; i++) vars.push_back(s.mkConst(s.mkBvSort(10), "v" + std::to_string(i)));
    int sats = 0;
    for (int round = 0; round < rounds; round++) {
        seed = seed * 1103515245u + 12345u;
        s.push();
        Term sum = s.mkBvZero(10);
        for (size_t i = 0; i < vars.size(); i++)
            sum = s.mkBvAdd(sum, s.mkBvMul(vars[i], s.mkBvValue(10, (seed >> (3 * i)) % 1024)));
        Term target = s.mkBvValue(10, (seed >> 13) % 1024);
        s.assertFormula(s.mkEqual(sum, target));
        s.assertFormula(s.mkBvUlt(vars[0], vars[1]));
        Result r = s.checkSat();
        EXPECT_NE(Result::Unknown, r);
        if (r == Result::Sat) {
            sats++;
            EXPECT_EQ(s.getValueUint64(target), s.getValueUint64(sum));
            EXPECT_LT(s.getValueUint64(vars[0]), s.getValueUint64(vars[1]));
        }
        s.pop();
    }
    return sats;
}

TEST(Interface, SolversInOneThreadAndInParallelThreadsShareNothing) {
    Solver reference, a, b;
    b.setOption("preset", "modules");
    int alone = 0, interleaved = 0;
    for (uint32_t i = 0; i < 6; i++) alone += solveSystems(reference, 7 + i, 2);
    for (uint32_t i = 0; i < 6; i++) {
        interleaved += solveSystems(a, 7 + i, 2);
        solveSystems(b, 99 + i, 2);
    }
    EXPECT_EQ(alone, interleaved);

    std::vector<int> results(4, 0);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; t++) {
        threads.emplace_back([t, &results] {
            Solver s;
            if (t % 2 == 1) s.setOption("preset", t == 1 ? "modules" : "classic");
            for (uint32_t i = 0; i < 6; i++) results[static_cast<size_t>(t)] += solveSystems(s, 7 + i, 2);
        });
    }
    for (std::thread& t : threads) t.join();
    for (int r : results) EXPECT_EQ(alone, r);
}

// A model that fails its check is an Error of the check, never the end of
// the host process, and the solver answers the next check as before: alone,
// incrementally, and under assumptions.
TEST(Interface, AWrongModelIsAnErrorAndTheSolverStaysUsable) {
    Solver s;
    Term x = s.mkConst(s.mkBvSort(8), "x");
    s.assertFormula(s.mkBvUgt(x, s.mkBvValue(8, 200)));
    Term small = s.mkBvUlt(x, s.mkBvValue(8, 250));
    for (int round = 0; round < 3; round++) {
        torva::testing::failNextModelCheck();
        EXPECT_THROW(round == 2 ? s.checkSat({small}) : s.checkSat(), Error);
        ASSERT_EQ(Result::Sat, round == 2 ? s.checkSat({small}) : s.checkSat());
        EXPECT_GT(s.getValueUint64(x), 200u);
    }
}

// Whether a value term is a chain of stores of values, indices ascending,
// over a constant array of a value.
bool isArrayValue(const Term& value) {
    Term t = value;
    std::string previous;
    while (t.getKind() == Kind::STORE) {
        if (t[1].getKind() != Kind::CONSTANT || t[2].getKind() != Kind::CONSTANT) return false;
        std::string index = t[1].getBvValue(2);
        if (!previous.empty() && index >= previous) return false;  // read outermost first: descending
        previous = index;
        t = t[0];
    }
    return t.getKind() == Kind::CONST_ARRAY && t[0].getKind() == Kind::CONSTANT;
}

// The values of a model checked against the formulas they must satisfy:
// each read of the array's value term, and each application at the
// arguments' values, gives what the model gives the read and the
// application themselves.
TEST(Interface, ArraysAndFunctionsThroughScopesAssumptionsValuesAndCores) {
    Solver s;
    s.setOption("produce-unsat-cores", "true");
    Sort nibble = s.mkBvSort(4), byte = s.mkBvSort(8);
    Sort memory = s.mkArraySort(nibble, byte), hash = s.mkFunctionSort({byte}, nibble);
    EXPECT_EQ(memory, s.mkArraySort(nibble, byte));
    EXPECT_TRUE(memory.isArray() && !memory.isBv() && hash.isFunction() && !hash.isArray());
    EXPECT_EQ(nibble, memory.getArrayIndexSort());
    EXPECT_EQ(byte, memory.getArrayElementSort());
    EXPECT_EQ(std::vector<Sort>{byte}, hash.getFunctionDomainSorts());
    EXPECT_EQ(nibble, hash.getFunctionCodomainSort());
    EXPECT_EQ("(Array (_ BitVec 4) (_ BitVec 8))", memory.toString());
    EXPECT_EQ("(-> (_ BitVec 8) (_ BitVec 4))", hash.toString());

    Term a = s.mkConst(memory, "a"), f = s.mkConst(hash, "f");
    Term i = s.mkConst(nibble, "i"), j = s.mkConst(nibble, "j");
    Term readJ = s.mkSelect(s.mkStore(a, i, s.mkBvValue(8, 200)), j);
    Term hashed = s.mkApply(f, {readJ});
    EXPECT_EQ(memory, a.getSort());
    EXPECT_EQ(Kind::APPLY, hashed.getKind());
    EXPECT_EQ("(f (select (store a i #b11001000) j))", hashed.toString());
    s.assertFormula(s.mkEqual(hashed, s.mkApply(f, {s.mkSelect(a, j)})));
    s.assertFormula(s.mkBvUgt(hashed, s.mkBvValue(4, 12)));

    auto expectModelHolds = [&] {
        Term value = s.getValue(a);
        EXPECT_TRUE(isArrayValue(value)) << value;
        EXPECT_EQ(value.toString(), s.getValueString(a));
        for (uint64_t k = 0; k < 16; k++) {
            Term at = s.mkBvValue(4, k);
            EXPECT_EQ(s.getValueUint64(s.mkSelect(a, at)), s.getValueUint64(s.mkSelect(value, at)));
        }
        Term argument = s.getValue(readJ);
        EXPECT_EQ(s.getValueUint64(hashed), s.getValueUint64(s.mkApply(f, {argument})));
        EXPECT_GT(s.getValueUint64(hashed), 12u);
        for (const Term& assertion : s.getAssertions()) EXPECT_TRUE(s.getValue(assertion).getBooleanValue());
    };
    ASSERT_EQ(Result::Sat, s.checkSat());
    expectModelHolds();
    EXPECT_EQ(0u, s.getValueString(f).find("(lambda ((x!1 (_ BitVec 8))) "));

    // i = j reads the 200 stored, so f(200) = f(a[i]) > 12.
    s.push();
    s.assertFormula(s.mkEqual(i, j));
    ASSERT_EQ(Result::Sat, s.checkSat());
    expectModelHolds();
    EXPECT_EQ(200u, s.getValueUint64(readJ));
    EXPECT_GT(s.getValueUint64(s.mkApply(f, {s.mkSelect(a, i)})), 12u);
    s.pop();

    // Under assumptions: i = j and f(200) <= 12 cannot hold together.
    Term same = s.mkEqual(i, j), low = s.mkBvUle(s.mkApply(f, {s.mkBvValue(8, 200)}), s.mkBvValue(4, 12));
    Term unrelated = s.mkEqual(s.mkSelect(a, s.mkBvValue(4, 3)), s.mkBvValue(8, 3));
    ASSERT_EQ(Result::Unsat, s.checkSat({unrelated, same, low}));
    std::vector<Term> failed = s.getUnsatAssumptions();
    EXPECT_EQ(Result::Unsat, s.checkSat(failed));
    ASSERT_EQ(Result::Sat, s.checkSat({unrelated, low}));
    expectModelHolds();

    // A core of assertions: b = a with a[i] written back, yet b != a.
    s.push();
    Term b = s.mkConst(memory, "b");
    Term writtenBack = s.mkEqual(b, s.mkStore(a, i, s.mkSelect(a, i)));
    s.assertFormula(s.mkEqual(s.mkSelect(b, j), s.mkBvValue(8, 7)));
    s.assertFormula(writtenBack);
    s.assertFormula(s.mkDistinct(a, b));
    ASSERT_EQ(Result::Unsat, s.checkSat());
    std::vector<Term> core = s.getUnsatCore();
    EXPECT_TRUE(std::find(core.begin(), core.end(), writtenBack) != core.end());
    s.pop();
    s.push();
    for (const Term& t : core) s.assertFormula(t);
    EXPECT_EQ(Result::Unsat, s.checkSat());
    s.pop();
    ASSERT_EQ(Result::Sat, s.checkSat());
    expectModelHolds();

    Solver other;
    Sort foreign = other.mkArraySort(other.mkBvSort(4), other.mkBvSort(8));
    EXPECT_NE(memory, foreign);
    const std::pair<const char*, std::function<void()>> misuses[] = {
        {"another solver", [&] { s.mkConst(foreign, "c"); }},
        {"another solver", [&] { s.mkArraySort(nibble, foreign); }},
        {"mkConstArray", [&] { s.mkTerm(Kind::CONST_ARRAY, {i}); }},
        {"no array sort", [&] { s.mkConstArray(byte, i); }},
        {"array or a function", [&] { s.getValueUint64(a); }},
        {"function has no value term", [&] { s.getValue(f); }},
        {"no function sort", [&] { byte.getFunctionCodomainSort(); }},
    };
    for (const auto& [fragment, call] : misuses) expectError(call, fragment);
    EXPECT_THROW(s.mkSelect(i, j), Error);
    EXPECT_THROW(s.mkApply(f, {i}), Error);
    EXPECT_THROW(s.mkApply(a, {i}), Error);
}

}  // namespace
