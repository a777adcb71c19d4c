// The presets. classic leaves the configuration exactly as compiled in.
#include "engine/presets.h"

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
    {"classic", Preset::Classic},
    {"clauses", Preset::Clauses},
    {"modules", Preset::Modules},
    {"fast", Preset::Fast},
};

// The search of a present-day clause-learning solver, with the fixed
// negative sign of decisions (on bit-blasted problems it measured far better
// than saved or target phases) and activity decisions (on the real benchmark
// set they solved more than module-first decisions).
SearchSettings modernSearch() {
    SearchSettings s;
    s.restarts = SearchSettings::Restarts::Glucose;
    s.learnts = SearchSettings::Learnts::Tiered;
    s.moduleDecisions = SearchSettings::ModuleDecisions::Activity;
    s.blockers = true;
    return s;
}

void everyOperationAsClauses(ToClauses& split) {
    split.andCls = split.eqCls = split.invCls = split.addCls = split.mulCls = true;
    split.xorCls = split.orCls = split.idCls = true;
    split.shiftCls = split.iteCls = true;
    split.addSubModule = split.mulSubModule = false;
    split.addHeur = split.addSizeHeur = std::numeric_limits<uint32_t>::max();
}

void modulesWhereverTheyExist(ToClauses& split) {
    split.andCls = split.eqCls = split.invCls = split.addCls = split.mulCls = false;
    split.xorCls = split.orCls = split.idCls = false;
    split.shiftCls = split.iteCls = false;
    split.addSubModule = split.mulSubModule = true;
    split.mulHeur = split.mulSizeHeur = 0;
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

const char* presetNames() {
    static const std::string names = [] {
        std::string text;
        for (const Named& n : kPresets) text += (text.empty() ? "" : ", ") + std::string(n.name);
        return text;
    }();
    return names.c_str();
}

PresetChoice applyPreset(Preset preset, ToClauses& split) {
    PresetChoice choice;
    switch (preset) {
        case Preset::Classic: break;
        case Preset::Clauses:
            everyOperationAsClauses(split);
            choice.search = modernSearch();
            choice.simplify = true;
            break;
        case Preset::Modules:
            modulesWhereverTheyExist(split);
            choice.search = modernSearch();
            choice.simplify = true;
            break;
        case Preset::Fast:
            everyOperationAsClauses(split);
            choice.search = modernSearch();
            choice.engine = Engine::Cadical;
            choice.simplify = true;
            choice.abstractWidth = kDefaultAbstractWidth;
            break;
    }
    return choice;
}

}  // namespace torva
