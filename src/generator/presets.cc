// The presets. A preset only ever changes the run configuration before the
// first problem is built; spec leaves it exactly as compiled in.
#include "generator/presets.h"

#include <cstdint>
#include <limits>

#include "config.h"

namespace torva {
namespace {

struct Named {
    const char* name;
    Preset preset;
};
const Named kPresets[] = {
    {"spec", Preset::Spec},
    {"clauses", Preset::Clauses},
    {"modules", Preset::Modules},
    {"fast", Preset::Fast},
};

// The search of a present-day clause-learning solver.
SearchSettings modernSearch(SearchSettings::ModuleDecisions decisions) {
    SearchSettings s;
    s.restarts = SearchSettings::Restarts::Glucose;
    s.phase = SearchSettings::Phase::Saved;
    s.learnts = SearchSettings::Learnts::Tiered;
    s.moduleDecisions = decisions;
    return s;
}

void everyOperationAsClauses() {
    toClses.andCls = toClses.eqCls = toClses.invCls = toClses.addCls = toClses.mulCls = true;
    toClses.xorCls = toClses.orCls = toClses.idCls = true;
    toClses.shiftCls = toClses.iteCls = true;
    toClses.addSubModule = toClses.mulSubModule = false;
    toClses.addHeur = toClses.addSizeHeur = std::numeric_limits<uint32_t>::max();
}

void modulesWhereverTheyExist() {
    toClses.andCls = toClses.eqCls = toClses.invCls = toClses.addCls = toClses.mulCls = false;
    toClses.xorCls = toClses.orCls = toClses.idCls = false;
    toClses.shiftCls = toClses.iteCls = false;
    toClses.addSubModule = toClses.mulSubModule = true;
    toClses.mulHeur = toClses.mulSizeHeur = 0;
}

}  // namespace

bool presetByName(const std::string& name, Preset& preset) {
    for (const Named& n : kPresets)
        if (name == n.name) {
            preset = n.preset;
            return true;
        }
    return false;
}

const char* presetNames() { return "spec, clauses, modules, fast"; }

PresetChoice applyPreset(Preset preset) {
    PresetChoice choice;
    switch (preset) {
        case Preset::Spec: break;
        case Preset::Clauses:
            everyOperationAsClauses();
            choice.search = modernSearch(SearchSettings::ModuleDecisions::Activity);
            choice.simplify = true;
            break;
        case Preset::Modules:
            modulesWhereverTheyExist();
            choice.search = modernSearch(SearchSettings::ModuleDecisions::First);
            choice.simplify = true;
            break;
        case Preset::Fast:
            everyOperationAsClauses();
            choice.search = modernSearch(SearchSettings::ModuleDecisions::Activity);
            choice.engine = Engine::Cadical;
            choice.simplify = true;
            break;
    }
    return choice;
}

}  // namespace torva
