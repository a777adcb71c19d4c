// Variables, literals, three-valued truth values and the clause block shared
// by the solver and the word-level modules. A literal is 2*var + sign (sign 1
// is the negated literal); a clause is one malloc block: a header word (size
// << 3 | mark << 1 | learnt), an activity-or-abstraction word, the literals,
// and for a learnt clause one more word: its glue and two flags.
#pragma once

#include <cstdint>
#include <cstdlib>

#include "containers/vec.h"

typedef int Var;
const Var var_Undef = -1;

struct Lit {
    int x;
    Lit() : x(2 * var_Undef) {}
    explicit Lit(Var var, bool sign = false) : x(var + var + static_cast<int>(sign)) {}
    static Lit fromInt(int i) {
        Lit p;
        p.x = i;
        return p;
    }
    bool operator==(Lit p) const { return x == p.x; }
    bool operator!=(Lit p) const { return x != p.x; }
    bool operator<(Lit p) const { return x < p.x; }
};

inline Lit operator~(Lit p) { return Lit::fromInt(p.x ^ 1); }
inline bool sign(Lit p) { return p.x & 1; }
inline int var(Lit p) { return p.x >> 1; }
inline int toInt(Lit p) { return p.x; }
// The literal in DIMACS numbering: variable v is v + 1, negative when negated.
inline int dimacsLit(Lit p) { return sign(p) ? -(var(p) + 1) : var(p) + 1; }

const Lit lit_Undef = Lit::fromInt(-2);
const Lit lit_Error = Lit::fromInt(-1);

// A truth value is one signed byte; the negation of a value is its arithmetic
// negation, so the value of a literal is the variable's byte, negated when the
// literal's sign is 1.
typedef signed char lbool;
const lbool l_True = 1;
const lbool l_False = -1;
const lbool l_Undef = 0;

inline lbool toLbool(bool b) { return b ? l_True : l_False; }
inline lbool litValue(lbool varValue, Lit p) { return sign(p) ? static_cast<lbool>(-varValue) : varValue; }

class Clause {
    uint32_t header;
    union {
        float act;
        uint32_t abst;
    } extra;
    Lit data[0];

    static constexpr uint32_t kUsedBit = 1u << 31;
    static constexpr uint32_t kDoomedBit = 1u << 30;
    static constexpr uint32_t kGlueMask = kDoomedBit - 1;
    uint32_t& meta() { return *reinterpret_cast<uint32_t*>(&data[size()].x); }
    uint32_t meta() const { return static_cast<uint32_t>(data[size()].x); }

    Clause() = delete;

public:
    static Clause* allocate(const Lit* lits, int n, bool learnt);

    int size() const { return static_cast<int>(header >> 3); }
    bool learnt() const { return header & 1; }
    uint32_t mark() const { return (header >> 1) & 3; }
    void shrink(int i) { header = (header & 7) | (static_cast<uint32_t>(size() - i) << 3); }

    Lit& operator[](int i) { return data[i]; }
    Lit operator[](int i) const { return data[i]; }
    Lit* lits() { return data; }

    float& activity() { return extra.act; }
    uint32_t abstraction() const { return extra.abst; }

    // Learnt clauses only: the glue (number of decision levels among the
    // literals when it was learnt, lowered when a later conflict sees fewer),
    // whether it took part in a conflict since the last reduction, and
    // whether the running reduction deletes it.
    uint32_t glue() const { return meta() & kGlueMask; }
    void setGlue(uint32_t g) { meta() = (meta() & ~kGlueMask) | (g & kGlueMask); }
    bool used() const { return meta() & kUsedBit; }
    void setUsed(bool on) { meta() = on ? meta() | kUsedBit : meta() & ~kUsedBit; }
    bool doomed() const { return meta() & kDoomedBit; }
    void setDoomed() { meta() |= kDoomedBit; }
    void calcAbstraction() {
        uint32_t a = 0;
        for (int i = 0; i < size(); i++) a |= 1u << (var(data[i]) & 31);
        extra.abst = a;
    }
};

// Builds a malloc'ed clause from a literal list; non-learnt clauses get their
// abstraction, learnt ones an activity of 0. Released with free().
template <class V>
Clause* Clause_new(const V& ps, bool learnt = false) {
    return Clause::allocate(ps.begin(), static_cast<int>(ps.end() - ps.begin()), learnt);
}

// One entry of a watch list: the watching clause and another of its
// literals. Where the search uses blockers, a true blocker means the clause
// is satisfied and is not visited. Compares equal to its clause.
struct Watcher {
    Clause* clause;
    Lit blocker;
    bool operator==(const Clause* c) const { return clause == c; }
};
