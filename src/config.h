// The compiled-in run configuration: per operation kind whether it becomes a
// module or clauses, the search switches, and the module priority table.
// Entry 0 of prioParams is the number of priority levels.
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

extern ToClauses toClses;

const int nPrioParams = 25;
extern int prioParams[nPrioParams];

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
