// Clause hand-over and the one-bit gates: variables created on demand, the
// exact clause list of every gate together with its truth table, and the
// unsatisfiable exit.
#include <unistd.h>

#include "encoder_harness.h"

namespace {

typedef std::vector<std::vector<int>> ClauseList;

// Literal codes of every clause in the solver's literal order.
ClauseList normalisedList(ClauseList list) {
    for (std::vector<int>& clause : list)
        std::sort(clause.begin(), clause.end(), [](int x, int y) {
            return toInt(Lit(std::abs(x), x < 0)) < toInt(Lit(std::abs(y), y < 0));
        });
    return list;
}

ClauseList storedClauses(const Solver& s) {
    ClauseList list;
    for (int i = 0; i < s.clauses.size(); i++) {
        const Clause& c = *s.clauses[i];
        std::vector<int> codes;
        for (int j = 0; j < c.size(); j++) codes.push_back(sign(c[j]) ? -var(c[j]) : var(c[j]));
        list.push_back(codes);
    }
    return list;
}

TEST(ClauseEmission, ClauseCreatesEveryMissingVariableUpToItsHighest) {
    EncoderCase c;
    c.cnf.CurrentClause = {5, -9};
    c.cnf.cc();
    EXPECT_EQ(c.solver.nVars(), 10);
    EXPECT_TRUE(c.cnf.CurrentClause.empty());
    EXPECT_EQ(storedClauses(c.solver), normalisedList({{5, -9}}));
    for (Var v = 0; v < 10; v++) EXPECT_EQ(c.solver.decision_var[v], 1);

    c.cnf.CurrentClause = {-3};
    c.cnf.cc();
    EXPECT_EQ(c.solver.nVars(), 10);
    EXPECT_EQ(c.solver.value(3), l_False);
}

// Gate over inputs 1 .. k and output k + 1 (notN: outputs 4 .. 6): the
// clauses it stores, in order, and its function of the input bits x. A gate
// on one repeated input leaves the simplification to the solver.
TEST(ClauseEmission, GatesEmitTheirClauseListsAndComputeTheirFunctions) {
    struct GateCase {
        const char* name;
        unsigned k;
        Bits outputs;
        std::function<void(E&)> emit;
        ClauseList clauses;
        std::function<uint64_t(uint64_t)> function;
    };
    auto bit = [](uint64_t x, int i) { return (x >> i) & 1; };
    Bits in1{1}, in2{1, 2}, in3{1, 2, 3}, in4{1, 2, 3, 4}, out3{4, 5, 6};
    const GateCase cases[] = {
        {"and2", 2, {3}, [](E& e) { e._insertAnd2(1, 2, 3); }, {{-1, -2, 3}, {1, -3}, {2, -3}},
         [&](uint64_t x) { return bit(x, 0) & bit(x, 1); }},
        {"or2", 2, {3}, [](E& e) { e._insertOr2(1, 2, 3); }, {{1, 2, -3}, {-1, 3}, {-2, 3}},
         [&](uint64_t x) { return bit(x, 0) | bit(x, 1); }},
        {"nand2", 2, {3}, [](E& e) { e._insertNand2(1, 2, 3); }, {{-1, -2, -3}, {1, 3}, {2, 3}},
         [&](uint64_t x) { return 1 - (bit(x, 0) & bit(x, 1)); }},
        {"nor2", 2, {3}, [](E& e) { e._insertNor2(1, 2, 3); }, {{1, 2, 3}, {-1, -3}, {-2, -3}},
         [&](uint64_t x) { return 1 - (bit(x, 0) | bit(x, 1)); }},
        {"xor2", 2, {3}, [](E& e) { e._insertXor2(1, 2, 3); }, {{1, 2, -3}, {1, -2, 3}, {-1, 2, 3}, {-1, -2, -3}},
         [&](uint64_t x) { return bit(x, 0) ^ bit(x, 1); }},
        {"nxor2", 2, {3}, [](E& e) { e._insertNxor2(1, 2, 3); }, {{1, 2, 3}, {1, -2, -3}, {-1, 2, -3}, {-1, -2, 3}},
         [&](uint64_t x) { return 1 - (bit(x, 0) ^ bit(x, 1)); }},
        {"mux", 3, {4}, [](E& e) { e._insertMux(1, 2, 3, 4); }, {{1, 3, -4}, {1, -3, 4}, {-1, 2, -4}, {-1, -2, 4}},
         [&](uint64_t x) { return bit(x, 0) ? bit(x, 1) : bit(x, 2); }},
        {"not", 1, {2}, [](E& e) { e._insertNot(1, 2); }, {{1, 2}, {-1, -2}}, [](uint64_t x) { return 1 - x; }},
        {"identity", 1, {2}, [](E& e) { e._insertIdentity(1, 2); }, {{-1, 2}, {1, -2}}, [](uint64_t x) { return x; }},
        {"and1", 1, {2}, [&](E& e) { e._insertAndN(in1, 2); }, {{-1, 2}, {1, -2}}, [](uint64_t x) { return x; }},
        {"and2 of a list", 2, {3}, [&](E& e) { e._insertAndN(in2, 3); }, {{-1, -2, 3}, {1, -3}, {2, -3}},
         [](uint64_t x) { return uint64_t(x == 3); }},
        {"and3", 3, {4}, [&](E& e) { e._insertAndN(in3, 4); }, {{-1, -2, -3, 4}, {1, -4}, {2, -4}, {3, -4}},
         [](uint64_t x) { return uint64_t(x == 7); }},
        {"and4", 4, {5}, [&](E& e) { e._insertAndN(in4, 5); },
         {{-1, -2, -3, -4, 5}, {1, -5}, {2, -5}, {3, -5}, {4, -5}},
         [](uint64_t x) { return uint64_t(x == 15); }},
        {"or1", 1, {2}, [&](E& e) { e._insertOrN(in1, 2); }, {{1, -2}, {-1, 2}}, [](uint64_t x) { return x; }},
        {"or2 of a list", 2, {3}, [&](E& e) { e._insertOrN(in2, 3); }, {{1, 2, -3}, {-1, 3}, {-2, 3}},
         [](uint64_t x) { return uint64_t(x != 0); }},
        {"or3", 3, {4}, [&](E& e) { e._insertOrN(in3, 4); }, {{1, 2, 3, -4}, {-1, 4}, {-2, 4}, {-3, 4}},
         [](uint64_t x) { return uint64_t(x != 0); }},
        {"or4", 4, {5}, [&](E& e) { e._insertOrN(in4, 5); }, {{1, 2, 3, 4, -5}, {-1, 5}, {-2, 5}, {-3, 5}, {-4, 5}},
         [](uint64_t x) { return uint64_t(x != 0); }},
        {"xor2 of one input", 1, {2}, [](E& e) { e._insertXor2(1, 1, 2); }, {{1, -2}, {-1, -2}},
         [](uint64_t) { return uint64_t(0); }},
        {"nxor2 of one input", 1, {2}, [](E& e) { e._insertNxor2(1, 1, 2); }, {{1, 2}, {-1, 2}},
         [](uint64_t) { return uint64_t(1); }},
        {"notN", 3, out3, [&](E& e) { e._insertNotN(in3, out3); },
         {{1, 4}, {-1, -4}, {2, 5}, {-2, -5}, {3, 6}, {-3, -6}},
         [](uint64_t x) { return ~x & 7; }},
    };
    for (const GateCase& g : cases) {
        SCOPED_TRACE(g.name);
        const Bits inputs(in4.begin(), in4.begin() + g.k);
        for (uint64_t x = 0; x <= lowMask(g.k); x++) {
            EncoderCase c;
            g.emit(c.cnf);
            EXPECT_EQ(c.lastVar, 0u) << "drew a fresh variable";
            if (x == 0) {
                EXPECT_EQ(storedClauses(c.solver), normalisedList(g.clauses));
            }
            c.fix(inputs, x);
            EXPECT_TRUE(c.forces(g.outputs, g.function(x))) << "inputs " << x;
        }
    }
}

TEST(ClauseEmissionDeathTest, ContradictingClauseEndsTheRunAsUnsatisfiable) {
    EncoderCase c;
    c.cnf._insertAnd2(1, 2, 3);
    c.cnf.CurrentClause = {3};
    c.cnf.cc();
    EXPECT_EXIT(
        {
            dup2(STDERR_FILENO, STDOUT_FILENO);
            c.cnf.CurrentClause = {-1};
            c.cnf.cc();
        },
        ::testing::ExitedWithCode(20), "^Result: UNSATISFIABLE\n$");
}

}  // namespace
