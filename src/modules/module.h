// The word-level module base class and the three tables it shares with the
// solver: the assignment (one per thread), the per-variable record of
// module implications, and the per-module lowest pending backtrack level.
//
// Protocol: the solver calls propagate() on every module watching a variable
// assigned since the last pass. A module writes each implied value into
// assigns, appends the variable to *implied and records (-level, id, reason)
// in conflictGraph; a reason starts with the implied literal, all its other
// literals are false. A conflict is returned as a clause of false literals.
// decide() returns a variable (its preferred value left in assigns) or a
// negative number. Both begin by consuming a pending backtrack flag.
#pragma once

#include <vector>

#include "solver/solver_types.h"

// Record of a module implication for one variable; empty while the variable
// is unassigned or assigned by a decision or by a stored clause.
struct ModuleImplication {
    int negLevel = 0;
    int moduleId = -1;
    Clause* reason = nullptr;

    bool empty() const { return reason == nullptr; }
    void clear() {
        negLevel = 0;
        moduleId = -1;
        reason = nullptr;
    }
};

// The module tables of one solver, held while another solver's are in use.
struct ModuleTables {
    vec<lbool> assigns;
    vec<ModuleImplication> conflictGraph;
    vec<int> backtrackFlags;
    vec<Lit> lits;
};

class Module {
public:
    bool finished = false;
    unsigned int id = 0;
    int priority = 0;

    Module() = default;
    Module(int size, unsigned int id, int priority);
    Module(const Module&) = delete;
    Module& operator=(const Module&) = delete;
    virtual ~Module();

    virtual int decide(unsigned int level) = 0;
    virtual Clause* propagate(std::vector<int>* implied, unsigned int level) = 0;
    virtual bool getFinished() = 0;
    virtual int getTargetLine();

    // One set of tables per thread: solvers in different threads never
    // meet, and a thread that switches between solvers swaps them.
    static thread_local vec<lbool> assigns;
    static thread_local vec<ModuleImplication> conflictGraph;
    static thread_local vec<int> backtrackFlags;
    // Exchanges this thread's tables with the held ones.
    static void swapTables(ModuleTables& held);

protected:
    static lbool value(unsigned int x) { return assigns[static_cast<int>(x)]; }
    static bool isUndef(unsigned int x) { return assigns[static_cast<int>(x)] == l_Undef; }
    static bool isTrue(unsigned int x) { return assigns[static_cast<int>(x)] == l_True; }
    static bool isFalse(unsigned int x) { return assigns[static_cast<int>(x)] == l_False; }
    // The literal of x that is true (resp. false) under x's current value.
    static Lit trueLit(unsigned int x) { return Lit(static_cast<Var>(x), assigns[static_cast<int>(x)] == l_False); }
    static Lit falseLit(unsigned int x) { return ~trueLit(x); }
    static Lit posLit(unsigned int x) { return Lit(static_cast<Var>(x), false); }
    static Lit negLit(unsigned int x) { return Lit(static_cast<Var>(x), true); }

    // Scratch buffer in which reasons and conflicts are assembled before they
    // are copied into their clause block; shared by all modules.
    static thread_local vec<Lit> lits;

    // Records the implication of x to `val`; the reason is the clause built
    // from `lits`, whose first literal must be the implied one.
    void imply(unsigned int x, bool val, std::vector<int>* implied, unsigned int level);
    // Turns `lits` into a conflict clause for the caller to return.
    static Clause* conflictFromLits();
    // Consumes a pending backtrack flag; true when one was pending.
    bool takeBacktrackFlag();
};
