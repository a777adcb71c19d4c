// Boolean gates over signed literals, emitted as clauses into a sink. A
// literal is a DIMACS-style int: variable v >= 1 or its negation -v; negation
// is free and never a gate. Every gate folds constants and trivial operands
// first, then is looked up by its normalised operands, so one gate over the
// same inputs always yields the same literal; a new gate gets a fresh
// variable and its complete Tseitin definition (both directions), so its
// output is fixed by unit propagation once its inputs are.
//
// Invariants: the constant literal is one variable fixed by a unit clause,
// made on first use; a table entry's operands are normalised (ordered,
// signs moved to the output where the gate allows); hashing and ordering
// read only literal values, so the clause stream is the same on every run.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <vector>

namespace torva::cnf {

// Where variables and clauses go: a SAT solver or a test's collector.
class ClauseSink {
public:
    virtual ~ClauseSink() = default;
    // A variable never handed out before, >= 1.
    virtual int newVar() = 0;
    virtual void addClause(const int* lits, size_t size) = 0;
};

class Gates {
public:
    struct Stats {
        uint64_t gates = 0;      // gates made (each one variable)
        uint64_t hashHits = 0;   // gate requests answered by an existing gate
        uint64_t clauses = 0;    // clauses emitted
        uint64_t variables = 0;  // variables made, gates' and others'
    };

    explicit Gates(ClauseSink& sink);

    // A fresh unconstrained variable (the bits of a declared symbol).
    int newVar();

    int trueLit();
    int falseLit() { return -trueLit(); }
    int constant(bool value) { return value ? trueLit() : falseLit(); }
    bool isTrue(int lit) const { return trueVar_ != 0 && lit == trueVar_; }
    bool isFalse(int lit) const { return trueVar_ != 0 && lit == -trueVar_; }
    bool isConst(int lit) const { return isTrue(lit) || isFalse(lit); }

    int mkAnd(int a, int b);
    int mkOr(int a, int b) { return -mkAnd(-a, -b); }
    int mkXor(int a, int b);
    int mkIte(int cond, int thenLit, int elseLit);
    int mkAndN(std::vector<int> lits);
    int mkOrN(std::vector<int> lits);
    // The sum and carry of a full adder.
    int mkXor3(int a, int b, int c);
    int mkMaj(int a, int b, int c);

    const Stats& stats() const { return stats_; }

private:
    enum class Op : uint8_t { And, Xor, Ite, Xor3, Maj, AndN };
    // For AndN, a is the operands' offset in andOperands_ and b their count.
    struct Entry {
        int out;  // 0: free slot
        Op op;
        int a, b, c;
    };

    int gate(Op op, int a, int b, int c);
    size_t hashOf(const Entry& e) const;
    bool sameGate(const Entry& x, const Entry& y) const;
    size_t findSlot(const Entry& key) const;
    void growTable();
    void defineGate(const Entry& e);
    void clause(std::initializer_list<int> lits);
    void clause(const std::vector<int>& lits);
    void parityClauses(const std::vector<int>& inputs, int out);

    ClauseSink& sink_;
    int trueVar_ = 0;
    std::vector<Entry> table_;  // open addressing, linear probing, power-of-two size
    size_t used_ = 0;
    std::vector<int> andOperands_;
    Stats stats_;
};

}  // namespace torva::cnf
