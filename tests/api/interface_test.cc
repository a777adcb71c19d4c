// The C++ interface through the shared library: a session of push, check
// and pop, values of any width, SMT-LIB 2 text, cores, options, limits,
// solvers side by side in one thread and in parallel threads, and every
// misuse answered by torva::Error with the solver still usable.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <unordered_set>
#include <vector>

#include "torva/torva.hpp"

namespace {

using torva::Error;
using torva::Kind;
using torva::Result;
using torva::Solver;
using torva::Term;

TEST(Interface, PushCheckPopSession) {
    Solver s;
    Term x = s.mkConst(s.mkBvSort(8), "x");
    s.assertFormula(s.mkTerm(Kind::BV_ULT, {x, s.mkBvValue(8, 5)}));
    ASSERT_EQ(Result::Sat, s.checkSat());
    EXPECT_LT(s.getValueUint64(x), 5u);
    s.push();
    s.assertFormula(s.mkTerm(Kind::BV_UGT, {x, s.mkBvValue(8, 7)}));
    EXPECT_EQ(Result::Unsat, s.checkSat());
    EXPECT_EQ(1u, s.getScopeLevel());
    s.pop();
    ASSERT_EQ(Result::Sat, s.checkSat());
    // a model value is a value term of the term's sort
    Term v = s.getValue(s.mkBvAdd(x, s.mkBvOne(8)));
    EXPECT_EQ(Kind::CONSTANT, v.getKind());
    EXPECT_EQ(s.mkBvSort(8), v.getSort());
    EXPECT_EQ(s.getValueUint64(x) + 1, std::stoull(v.getBvValue(10)));
    s.push(3);
    s.assertFormula(s.mkEqual(x, s.mkBvValue(8, 3)));
    EXPECT_EQ(Result::Sat, s.checkSat());
    EXPECT_EQ("#b00000011", s.getValueString(x));
    s.pop(3);
    EXPECT_EQ(1u, s.getAssertions().size());
}

TEST(Interface, ValuesOfAnyWidthAndBase) {
    Solver s;
    std::string ones(100, '1');
    Term a = s.mkBvValue(100, ones, 2);
    Term b = s.mkBvValue(100, std::string(25, 'f'), 16);
    EXPECT_EQ(a, b);  // one value, one term
    EXPECT_EQ("1267650600228229401496703205375", a.getBvValue(10));
    EXPECT_EQ(s.mkBvValue(8, 255), s.mkBvValueInt64(8, -1));
    EXPECT_EQ(s.mkBvValue(8, 128), s.mkBvValueInt64(8, -128));
    EXPECT_THROW(s.mkBvValueInt64(8, 128), Error);
    EXPECT_THROW(s.mkBvValue(8, 256), Error);
    EXPECT_THROW(s.mkBvValue(8, "12a", 10), Error);
    EXPECT_THROW(s.mkBvValue(8, "11", 8), Error);
    EXPECT_THROW(s.mkBvSort(0), Error);

    Term x = s.mkConst(s.mkBvSort(100), "x");
    s.assertFormula(s.mkEqual(s.mkBvAdd(x, s.mkBvOne(100)), s.mkBvZero(100)));
    ASSERT_EQ(Result::Sat, s.checkSat());
    EXPECT_EQ(std::string(25, 'f'), s.getValueDigits(x, 16));
    EXPECT_THROW(s.getValueUint64(x), Error);  // wider than 64 bits
    EXPECT_EQ(1u, s.getValueUint64(s.mkEqual(x, a)));
}

TEST(Interface, TermsPrintAsSmtLib2AndHash) {
    Solver s;
    Term x = s.mkConst(s.mkBvSort(8), "x");
    Term odd = s.mkConst(s.mkBvSort(8), "a b");
    Term unnamed = s.mkConst(s.mkBoolSort());
    EXPECT_EQ("((_ extract 3 0) x)", s.mkExtract(3, 0, x).toString());
    EXPECT_EQ("(bvadd |a b| #b00000001)", s.mkBvAdd(odd, s.mkBvOne(8)).toString());
    EXPECT_EQ("(not _v" + std::to_string(unnamed.getId()) + ")", s.mkNot(unnamed).toString());
    EXPECT_EQ("(_ BitVec 8)", x.getSort().toString());
    // a shared operand is bound once, however deep the sharing goes
    Term t = x;
    for (int i = 0; i < 40; i++) t = s.mkBvMul(t, t);
    std::string text = t.toString();
    EXPECT_LT(text.size(), 2000u);
    EXPECT_EQ(0u, text.find("(let ((_let_1 (bvmul x x))) (let ((_let_2 (bvmul _let_1 _let_1)))"));

    Term sum = s.mkBvAdd(x, odd);
    EXPECT_EQ(sum, s.mkTerm(Kind::BV_ADD, {x, odd}));  // made alike, one term
    EXPECT_NE(s.mkConst(s.mkBvSort(8), "x"), x);        // every constant is new
    std::unordered_set<Term> set{x, sum, sum, odd};
    EXPECT_EQ(3u, set.size());
    EXPECT_EQ(Kind::BV_ADD, sum.getKind());
    EXPECT_EQ(2u, sum.getNumChildren());
    EXPECT_EQ(odd, sum[1]);
    EXPECT_EQ((std::vector<uint32_t>{3, 0}), s.mkExtract(3, 0, x).getIndices());
    EXPECT_EQ("x", x.getSymbol());
}

TEST(Interface, CoresNameTheAssertionsAndAssumptionsUsed) {
    Solver s;
    s.setOption("produce-unsat-cores", "true");
    Term x = s.mkConst(s.mkBvSort(4), "x");
    Term y = s.mkConst(s.mkBvSort(4), "y");
    Term low = s.mkBvUlt(x, s.mkBvValue(4, 3));
    Term high = s.mkBvUgt(x, s.mkBvValue(4, 9));
    Term free = s.mkBvUgt(y, s.mkBvValue(4, 1));
    s.assertFormula(free);
    s.assertFormula(low);
    s.push();
    s.assertFormula(high);
    ASSERT_EQ(Result::Unsat, s.checkSat());
    std::vector<Term> core = s.getUnsatCore();
    EXPECT_EQ((std::unordered_set<Term>{low, high}), std::unordered_set<Term>(core.begin(), core.end()));
    s.pop();
    Term p = s.mkConst(s.mkBoolSort(), "p");
    Term q = s.mkEqual(x, s.mkBvValue(4, 12));
    ASSERT_EQ(Result::Unsat, s.checkSat({p, q}));
    EXPECT_EQ(std::vector<Term>{q}, s.getUnsatAssumptions());
    EXPECT_EQ(Result::Sat, s.checkSat({p}));

    // without the option, the assertions outside every scope are in each core
    Solver plain;
    Term z = plain.mkConst(plain.mkBvSort(4), "z");
    Term base = plain.mkBvUgt(z, plain.mkBvValue(4, 1));
    plain.assertFormula(base);
    plain.push();
    Term no = plain.mkEqual(z, plain.mkBvZero(4));
    plain.assertFormula(no);
    ASSERT_EQ(Result::Unsat, plain.checkSat());
    std::vector<Term> plainCore = plain.getUnsatCore();
    EXPECT_EQ((std::unordered_set<Term>{base, no}), std::unordered_set<Term>(plainCore.begin(), plainCore.end()));
}

// x * y = a product of two primes near 2^31, x and y above 1: far beyond
// what a search finishes in a few seconds.
void assertHardFactoring(Solver& s) {
    torva::Sort half = s.mkBvSort(32);
    Term x = s.mkZeroExtend(32, s.mkConst(half, "x"));
    Term y = s.mkZeroExtend(32, s.mkConst(half, "y"));
    uint64_t product = uint64_t{2147483629} * uint64_t{2147483587};
    s.assertFormula(s.mkEqual(s.mkBvMul(x, y), s.mkBvValue(64, product)));
    s.assertFormula(s.mkBvUgt(x, s.mkBvOne(64)));
    s.assertFormula(s.mkBvUgt(y, s.mkBvOne(64)));
    s.assertFormula(s.mkBvUle(x, y));
    s.assertFormula(s.mkBvUlt(x, s.mkBvValue(64, 2147483000)));
}

void expectUsableAfterwards(Solver& s) {
    s.setConflictLimit(0);
    s.setTimeLimit(0);
    s.setTerminateCallback(nullptr);
    s.push();
    Term b = s.mkConst(s.mkBoolSort(), "b");
    s.assertFormula(s.mkAnd(b, s.mkNot(b)));
    EXPECT_EQ(Result::Unsat, s.checkSat());
    s.pop();
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
        expectUsableAfterwards(s);
    }
}

TEST(Interface, OptionsUseTheCommandLineKeys) {
    Solver s;
    s.setOption("toClses.addCls", "false");
    EXPECT_EQ("false", s.getOption("toClses.addCls"));
    s.setOption("engine", "core");
    EXPECT_EQ("core", s.getOption("engine"));
    s.setOption("incremental", "false");
    EXPECT_EQ("false", s.getOption("incremental"));
    EXPECT_THROW(s.setOption("no.such.key", "1"), Error);
    EXPECT_THROW(s.setOption("toClses.addHeur", "-5"), Error);
    EXPECT_THROW(s.setOption("preset", "fastest"), Error);
    EXPECT_THROW(s.setOption("simplify", "yes"), Error);
    EXPECT_THROW(s.getOption("no.such.key"), Error);
    EXPECT_EQ("false", s.getOption("toClses.addCls"));  // a refused value changes nothing
    EXPECT_THROW(s.setTimeLimit(-1), Error);

    Term x = s.mkConst(s.mkBvSort(12), "x");
    s.assertFormula(s.mkEqual(s.mkBvMul(x, s.mkBvValue(12, 3)), s.mkBvValue(12, 4001)));
    ASSERT_EQ(Result::Sat, s.checkSat());
    EXPECT_EQ(4001u, (s.getValueUint64(x) * 3) % 4096);
    std::map<std::string, std::string> stats = s.getStatistics();
    EXPECT_EQ("1", stats.at("checks"));
    EXPECT_EQ("1", stats.at("checks sat"));
}

TEST(Interface, MisuseIsAnErrorAndChangesNothing) {
    Solver s, other;
    Term x = s.mkConst(s.mkBvSort(8), "x");
    Term w = s.mkConst(s.mkBvSort(16), "w");
    Term b = s.mkConst(s.mkBoolSort(), "b");
    Term foreign = other.mkConst(other.mkBvSort(8), "x");
    s.assertFormula(s.mkBvUgt(x, s.mkBvValue(8, 200)));
    auto expectError = [&](auto call, const char* fragment) {
        try {
            call();
            ADD_FAILURE() << "no error for " << fragment;
        } catch (const Error& e) {
            EXPECT_NE(std::string::npos, std::string(e.what()).find(fragment)) << e.what();
        }
    };
    // before any check: no model, no core
    expectError([&] { s.getValue(x); }, "no model");
    expectError([&] { s.getUnsatCore(); }, "did not answer unsat");
    expectError([&] { s.getReasonUnknown(); }, "did not answer unknown");
    // terms of another solver, anywhere
    expectError([&] { s.mkBvAdd(x, foreign); }, "another solver");
    expectError([&] { s.mkTerm(Kind::BV_ADD, {foreign, x}); }, "another solver");
    expectError([&] { s.assertFormula(other.mkTrue()); }, "another solver");
    expectError([&] { s.checkSat({other.mkTrue()}); }, "another solver");
    // sorts, widths and indices
    expectError([&] { s.mkBvAdd(x, w); }, "8 and 16");
    expectError([&] { s.mkAnd(b, x); }, "Boolean");
    expectError([&] { s.mkExtract(8, 0, x); }, "extract");
    expectError([&] { s.mkExtract(2, 5, x); }, "extract");
    expectError([&] { s.mkTerm(Kind::BV_EXTRACT, {x}); }, "extract");
    expectError([&] { s.mkTerm(Kind::BV_NOT, {x, x}); }, "bvnot");
    expectError([&] { s.mkTerm(Kind::CONSTANT, {}); }, "mkConst");
    expectError([&] { s.assertFormula(x); }, "Boolean");
    expectError([&] { s.checkSat({x}); }, "Boolean");
    expectError([&] { s.mkNot(Term()); }, "null term");
    expectError([&] { Term().getKind(); }, "null term");
    expectError([&] { s.mkConst(torva::Sort(), "n"); }, "null sort");
    // scopes
    expectError([&] { s.pop(); }, "below the base level");
    s.push(2);
    expectError([&] { s.pop(3); }, "below the base level");
    EXPECT_EQ(2u, s.getScopeLevel());
    s.pop(2);

    ASSERT_EQ(Result::Sat, s.checkSat());
    EXPECT_GT(s.getValueUint64(x), 200u);
    expectError([&] { s.getUnsatCore(); }, "did not answer unsat");
    expectError([&] { s.getUnsatAssumptions(); }, "did not answer unsat");
    expectError([&] { s.getValue(foreign); }, "another solver");
    s.assertFormula(b);
    expectError([&] { s.getValue(x); }, "no model");  // the assertions changed
    s.assertFormula(s.mkBvUlt(x, s.mkBvValue(8, 100)));
    ASSERT_EQ(Result::Unsat, s.checkSat());
    expectError([&] { s.getValue(x); }, "no model");
    EXPECT_EQ(3u, s.getAssertions().size());
    // the solver works on after all of that
    s.resetAssertions();
    s.assertFormula(s.mkEqual(x, s.mkBvValue(8, 42)));
    ASSERT_EQ(Result::Sat, s.checkSat());
    EXPECT_EQ(42u, s.getValueUint64(x));
}

// Random linear equations over 10-bit words, decided by the solver and
// checked through the model: the answer of each solver must not depend on
// what the others in the same thread or in other threads do.
int solveSystem(Solver& s, uint32_t seed, int rounds) {
    std::vector<Term> vars;
    for (int i = 0; i < 4; i++) vars.push_back(s.mkConst(s.mkBvSort(10), "v" + std::to_string(i)));
    int sats = 0;
    for (int round = 0; round < rounds; round++) {
        seed = seed * 1103515245u + 12345u;
        s.push();
        Term sum = s.mkBvMul(vars[0], s.mkBvValue(10, seed % 1024));
        for (size_t i = 1; i < vars.size(); i++)
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
    // interleaved in one thread, one of them with word-level modules
    Solver a, b, reference;
    b.setOption("preset", "modules");
    int alone = 0, interleaved = 0;
    for (uint32_t i = 0; i < 6; i++) alone += solveSystem(reference, 7 + i, 2);
    for (uint32_t i = 0; i < 6; i++) {
        interleaved += solveSystem(a, 7 + i, 2);
        solveSystem(b, 99 + i, 2);
    }
    EXPECT_EQ(alone, interleaved);

    std::vector<int> results(4, -1);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; t++) {
        threads.emplace_back([t, &results] {
            Solver s;
            if (t % 2 == 1) s.setOption("preset", t == 1 ? "modules" : "classic");
            int sats = 0;
            for (uint32_t i = 0; i < 6; i++) sats += solveSystem(s, 7 + i, 2);
            results[static_cast<size_t>(t)] = sats;
        });
    }
    for (std::thread& t : threads) t.join();
    for (int r : results) EXPECT_EQ(alone, r);
}

}  // namespace

namespace torva::testing {
void failNextModelCheck();
}

namespace {

// A model that fails its check is an Error of the check, never the end of
// the host process, and the solver answers the next check as before: alone,
// incrementally, and under assumptions.
TEST(Interface, AWrongModelIsAnErrorAndTheSolverStaysUsable) {
    Solver s;
    Term x = s.mkConst(s.mkBvSort(8), "x");
    s.assertFormula(s.mkTerm(Kind::BV_UGT, {x, s.mkBvValue(8, 200)}));
    Term small = s.mkTerm(Kind::BV_ULT, {x, s.mkBvValue(8, 250)});
    for (int round = 0; round < 3; round++) {
        torva::testing::failNextModelCheck();
        EXPECT_THROW(round == 2 ? s.checkSat({small}) : s.checkSat(), Error);
        ASSERT_EQ(Result::Sat, round == 2 ? s.checkSat({small}) : s.checkSat());
        EXPECT_GT(s.getValueUint64(x), 200u);
    }
}

}  // namespace
