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

const char* presetNames() {
    static const std::string names = [] {
        std::string text;
        for (const Named& n : kPresets) text += (text.empty() ? "" : ", ") + std::string(n.name);
        return text;
    }();
    return names.c_str();
}

PresetChoice applyPreset(Preset preset) {
    PresetChoice choice;
    switch (preset) {
        case Preset::Spec: break;
        case Preset::Clauses:
            everyOperationAsClauses();
            choice.search = modernSearch();
            choice.simplify = true;
            break;
        case Preset::Modules:
            modulesWhereverTheyExist();
            choice.search = modernSearch();
            choice.simplify = true;
            break;
        case Preset::Fast:
            everyOperationAsClauses();
            choice.search = modernSearch();
            choice.engine = Engine::Cadical;
            choice.simplify = true;
            break;
    }
    return choice;
}

const std::vector<ChoiceKey>& choiceKeys() {
    using S = SearchSettings;
    static const std::vector<ChoiceKey> keys = {
        {"engine", "the SAT engine of clause-only problems", {"core", "cadical"},
         [](PresetChoice& c, size_t i) { c.engine = i == 0 ? Engine::Core : Engine::Cadical; }},
        {"search.blockers", "blocking literals in clause propagation", {"false", "true"},
         [](PresetChoice& c, size_t i) { c.search.blockers = i == 1; }},
        {"search.decisions", "who decides first", {"modules", "activity"},
         [](PresetChoice& c, size_t i) { c.search.moduleDecisions = static_cast<S::ModuleDecisions>(i); }},
        {"search.learnts", "learnt-clause reduction", {"specified", "tiered"},
         [](PresetChoice& c, size_t i) { c.search.learnts = static_cast<S::Learnts>(i); }},
        {"search.phase", "sign of activity decisions", {"specified", "saved", "target"},
         [](PresetChoice& c, size_t i) { c.search.phase = static_cast<S::Phase>(i); }},
        {"search.restarts", "restart policy", {"specified", "luby", "glucose"},
         [](PresetChoice& c, size_t i) { c.search.restarts = static_cast<S::Restarts>(i); }},
    };
    return keys;
}

const ChoiceKey* findChoiceKey(const std::string& key) {
    for (const ChoiceKey& k : choiceKeys())
        if (key == k.key) return &k;
    return nullptr;
}

bool setChoice(PresetChoice& choice, const ChoiceKey& key, const std::string& value, std::string& error) {
    std::string accepted;
    for (size_t i = 0; i < key.values.size(); i++) {
        if (value == key.values[i]) {
            key.set(choice, i);
            return true;
        }
        accepted += (i == 0 ? "" : ", ") + std::string(key.values[i]);
    }
    error = "bad value '" + value + "' for " + key.key + " (expected one of " + accepted + ")";
    return false;
}

}  // namespace torva
