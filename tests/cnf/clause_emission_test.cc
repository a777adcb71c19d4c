// Clause hand-over and the one-bit gates: variables created on demand, the
// exact clause lists of the gates, their truth tables, the unsatisfiable
// exit and the precondition reports.
#include <unistd.h>

#include <functional>

#include "encoder_harness.h"

namespace {

typedef std::vector<std::vector<int>> ClauseList;

// A clause as literal codes in the solver's literal order.
std::vector<int> normalised(std::vector<int> clause) {
    std::sort(clause.begin(), clause.end(), [](int x, int y) {
        return toInt(Lit(std::abs(x), x < 0)) < toInt(Lit(std::abs(y), y < 0));
    });
    return clause;
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

ClauseList normalisedList(const ClauseList& list) {
    ClauseList out;
    for (const std::vector<int>& c : list) out.push_back(normalised(c));
    return out;
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

TEST(ClauseEmission, GatesEmitTheirClauseListsInOrder) {
    typedef std::function<void(VerificationModelCNF&)> Emit;
    struct GateCase {
        const char* name;
        Emit emit;
        ClauseList clauses;
    };
    Bits ins{1, 2, 3};
    Bits outs{4, 5, 6};
    const std::vector<GateCase> cases = {
        {"and2", [](VerificationModelCNF& e) { e._insertAnd2(1, 2, 3); }, {{-1, -2, 3}, {1, -3}, {2, -3}}},
        {"or2", [](VerificationModelCNF& e) { e._insertOr2(1, 2, 3); }, {{1, 2, -3}, {-1, 3}, {-2, 3}}},
        {"nand2", [](VerificationModelCNF& e) { e._insertNand2(1, 2, 3); }, {{-1, -2, -3}, {1, 3}, {2, 3}}},
        {"nor2", [](VerificationModelCNF& e) { e._insertNor2(1, 2, 3); }, {{1, 2, 3}, {-1, -3}, {-2, -3}}},
        {"xor2",
         [](VerificationModelCNF& e) { e._insertXor2(1, 2, 3); },
         {{1, 2, -3}, {1, -2, 3}, {-1, 2, 3}, {-1, -2, -3}}},
        {"nxor2",
         [](VerificationModelCNF& e) { e._insertNxor2(1, 2, 3); },
         {{1, 2, 3}, {1, -2, -3}, {-1, 2, -3}, {-1, -2, 3}}},
        {"mux",
         [](VerificationModelCNF& e) { e._insertMux(1, 2, 3, 4); },
         {{1, 3, -4}, {1, -3, 4}, {-1, 2, -4}, {-1, -2, 4}}},
        {"not", [](VerificationModelCNF& e) { e._insertNot(1, 2); }, {{1, 2}, {-1, -2}}},
        {"identity", [](VerificationModelCNF& e) { e._insertIdentity(1, 2); }, {{-1, 2}, {1, -2}}},
        {"andN",
         [&ins](VerificationModelCNF& e) { e._insertAndN(ins, 4); },
         {{-1, -2, -3, 4}, {1, -4}, {2, -4}, {3, -4}}},
        {"orN",
         [&ins](VerificationModelCNF& e) { e._insertOrN(ins, 4); },
         {{1, 2, 3, -4}, {-1, 4}, {-2, 4}, {-3, 4}}},
        {"notN",
         [&ins, &outs](VerificationModelCNF& e) { e._insertNotN(ins, outs); },
         {{1, 4}, {-1, -4}, {2, 5}, {-2, -5}, {3, 6}, {-3, -6}}},
    };
    for (const GateCase& g : cases) {
        EncoderCase c;
        g.emit(c.cnf);
        EXPECT_EQ(storedClauses(c.solver), normalisedList(g.clauses)) << g.name;
        EXPECT_EQ(c.lastVar, 0u) << g.name << " drew a fresh variable";
    }
}

// Fixes the k inputs of a gate to every combination and checks that the
// output is forced to the gate's function.
void checkTruthTable(const char* name, unsigned k, std::function<void(VerificationModelCNF&, Bits&, unsigned)> gate,
                     std::function<bool(uint64_t)> function) {
    for (uint64_t x = 0; x <= lowMask(k); x++) {
        EncoderCase c;
        Bits in = c.word(k);
        Bits out = c.word(1);
        gate(c.cnf, in, out[0]);
        c.fix(in, x);
        EXPECT_TRUE(c.forces(out, function(x))) << name << " on inputs " << x;
    }
}

TEST(ClauseEmission, GatesComputeTheirFunctions) {
    auto bit = [](uint64_t x, int i) { return (x >> i) & 1; };
    checkTruthTable("and2", 2, [](VerificationModelCNF& e, Bits& i, unsigned o) { e._insertAnd2(i[0], i[1], o); },
                    [&](uint64_t x) { return bit(x, 0) && bit(x, 1); });
    checkTruthTable("or2", 2, [](VerificationModelCNF& e, Bits& i, unsigned o) { e._insertOr2(i[0], i[1], o); },
                    [&](uint64_t x) { return bit(x, 0) || bit(x, 1); });
    checkTruthTable("nand2", 2, [](VerificationModelCNF& e, Bits& i, unsigned o) { e._insertNand2(i[0], i[1], o); },
                    [&](uint64_t x) { return !(bit(x, 0) && bit(x, 1)); });
    checkTruthTable("nor2", 2, [](VerificationModelCNF& e, Bits& i, unsigned o) { e._insertNor2(i[0], i[1], o); },
                    [&](uint64_t x) { return !(bit(x, 0) || bit(x, 1)); });
    checkTruthTable("xor2", 2, [](VerificationModelCNF& e, Bits& i, unsigned o) { e._insertXor2(i[0], i[1], o); },
                    [&](uint64_t x) { return bit(x, 0) != bit(x, 1); });
    checkTruthTable("nxor2", 2, [](VerificationModelCNF& e, Bits& i, unsigned o) { e._insertNxor2(i[0], i[1], o); },
                    [&](uint64_t x) { return bit(x, 0) == bit(x, 1); });
    checkTruthTable("mux", 3,
                    [](VerificationModelCNF& e, Bits& i, unsigned o) { e._insertMux(i[0], i[1], i[2], o); },
                    [&](uint64_t x) { return bit(x, 0) ? bit(x, 1) : bit(x, 2); });
    checkTruthTable("not", 1, [](VerificationModelCNF& e, Bits& i, unsigned o) { e._insertNot(i[0], o); },
                    [&](uint64_t x) { return !bit(x, 0); });
    checkTruthTable("identity", 1, [](VerificationModelCNF& e, Bits& i, unsigned o) { e._insertIdentity(i[0], o); },
                    [&](uint64_t x) { return bit(x, 0); });
    for (unsigned k = 1; k <= 4; k++) {
        checkTruthTable("andN", k, [](VerificationModelCNF& e, Bits& i, unsigned o) { e._insertAndN(i, o); },
                        [k](uint64_t x) { return x == lowMask(k); });
        checkTruthTable("orN", k, [](VerificationModelCNF& e, Bits& i, unsigned o) { e._insertOrN(i, o); },
                        [](uint64_t x) { return x != 0; });
    }
}

TEST(ClauseEmission, GateOnOneRepeatedInputLeavesTheSimplificationToTheSolver) {
    EncoderCase xorCase;
    xorCase.cnf._insertXor2(1, 1, 2);
    EXPECT_EQ(storedClauses(xorCase.solver), normalisedList({{1, -2}, {-1, -2}}));
    EXPECT_TRUE(xorCase.forces(Bits{2}, 0));

    EncoderCase nxorCase;
    nxorCase.cnf._insertNxor2(1, 1, 2);
    EXPECT_TRUE(nxorCase.forces(Bits{2}, 1));
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

TEST(ClauseEmissionDeathTest, PreconditionsAreReported) {
    EncoderCase c;
    Bits none;
    Bits two{1, 2};
    Bits three{3, 4, 5};
    EXPECT_DEATH(c.cnf.cc(), encoderReport("CurrentClause ist leer"));
    EXPECT_DEATH(c.cnf._insertAndN(none, 1), encoderReport("Groesse des EingangeVectors ist 0->nichts zu tun"));
    EXPECT_DEATH(c.cnf._insertOrN(none, 1), encoderReport("Groesse des EingangeVectors ist 0->nichts zu tun"));
    EXPECT_DEATH(c.cnf._insertNotN(two, three), encoderReport("Anzahl input und outputs ist unterschiedlich"));
}

}  // namespace
