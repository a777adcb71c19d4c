// The compiled-in run configuration: per operation kind whether it becomes a
// module or clauses, the search switches, the module priority table and the
// built-in solver's numeric parameters. Entry 0 of prioParams is the number
// of priority levels. The command line may change them before anything is
// built; nothing changes them afterwards but the two run-time updates of
// origDecs and of the multiplier priority during a division. Each thread has
// its own copy, starting from the compiled-in values; a thread that runs
// several solvers in turn swaps their copies in and out.
#pragma once

#include <cstdint>

struct ToClauses {
    bool andCls = true;
    bool eqCls = true;
    bool invCls = true;
    bool addCls = true;
    bool mulCls = true;
    bool shiftCls = false;
    bool addSubModule = false;
    bool mulSubModule = true;
    bool divHeur = false;
    bool xorCls = true;
    bool orCls = true;
    bool idCls = true;
    bool iteCls = false;
    bool clsesSubstByMods = false;
    bool noRestarts = true;
    bool noClsDel = false;
    bool pureStaticDec = true;
    double clseLength = -1.0;
    double randLearnt = -1.0;
    double origDecs = 0.0;
    double origDecsInc = 1.0;
    uint32_t addHeur = 400;
    uint32_t addSizeHeur = 100000;
    uint32_t mulHeur = 4;
    uint32_t mulSizeHeur = 386;
};

extern thread_local ToClauses toClses;

// Every solver copies these when it is constructed.
struct SolverParams {
    double var_decay = 1 / 0.95;      // variable activity growth per conflict
    double clause_decay = 1 / 0.999;  // clause activity growth per conflict
    double random_var_freq = 0.02;
    int restart_first = 100;
    double restart_inc = 1.5;
    double learntsize_factor = 1.0 / 3.0;
    double learntsize_inc = 1.1;
    bool expensive_ccmin = true;
    int polarity_mode = 1;
    double random_seed = 91648253;
};

extern thread_local SolverParams solverParams;

const int nPrioParams = 25;
extern thread_local int prioParams[nPrioParams];

// Indices of prioParams read by the module kinds.
enum PrioIndex {
    PRIO_LEVELS = 0,
    PRIO_MULTIPLIER = 3,
    PRIO_ADDER = 7,
    PRIO_SHIFT = 8,
    PRIO_AND = 9,
    PRIO_INVERTER = 10,
    PRIO_ITE = 11,
    PRIO_XOR = 13,
    PRIO_OR = 16,
    PRIO_IDENTITY = 18,
    PRIO_EQ = 19,
};
