// The shared tables and the implication/conflict helpers of the module base.
#include "modules/module.h"

thread_local vec<lbool> Module::assigns;
thread_local vec<ModuleImplication> Module::conflictGraph;
thread_local vec<int> Module::backtrackFlags;
thread_local vec<Lit> Module::lits;

void Module::swapTables(ModuleTables& held) {
    assigns.swap(held.assigns);
    conflictGraph.swap(held.conflictGraph);
    backtrackFlags.swap(held.backtrackFlags);
    lits.swap(held.lits);
}

Module::Module(int, unsigned int moduleId, int prio) : finished(false), id(moduleId), priority(prio) {}

Module::~Module() {}

int Module::getTargetLine() { return -1; }

void Module::imply(unsigned int x, bool val, std::vector<int>* implied, unsigned int level) {
    assigns[static_cast<int>(x)] = toLbool(val);
    implied->push_back(static_cast<int>(x));
    ModuleImplication& rec = conflictGraph[x];
    rec.negLevel = -static_cast<int>(level);
    rec.moduleId = static_cast<int>(id);
    rec.reason = Clause_new(lits);
}

Clause* Module::conflictFromLits() { return Clause_new(lits); }

bool Module::takeBacktrackFlag() {
    int& flag = backtrackFlags[id];
    if (flag < 0) return false;
    flag = -1;
    finished = false;
    return true;
}
