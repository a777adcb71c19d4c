// Named configurations of a run: which operations become modules, how the
// search runs, which SAT engine decides and whether the term graph is
// simplified first.
//   spec     the specified configuration, no simplification
//   clauses  every operation as clauses, the present-day built-in search
//   modules  a word-level module wherever one exists, the same search
//   fast     simplification, every operation as clauses, CaDiCaL
#pragma once

#include <string>
#include <vector>

#include "generator/graph_solve.h"
#include "solver/search_settings.h"

namespace torva {

enum class Preset { Spec, Clauses, Modules, Fast };

struct PresetChoice {
    SearchSettings search;
    Engine engine = Engine::Core;
    bool simplify = false;
};

// The preset of a name; false when there is none of that name.
bool presetByName(const std::string& name, Preset& preset);
const char* presetNames();

// The search, engine and simplification default of a preset; the split
// between modules and clauses goes into the global run configuration
// (toClses), so this is called once, before anything is built.
PresetChoice applyPreset(Preset preset);

// The parts of a preset that --set can change, by dotted key; each takes one
// of a fixed list of names.
struct ChoiceKey {
    const char* key;
    const char* help;
    std::vector<const char*> values;
    void (*set)(PresetChoice& choice, size_t valueIndex);
};
const std::vector<ChoiceKey>& choiceKeys();
const ChoiceKey* findChoiceKey(const std::string& key);
// False with the problem (naming the key and the accepted values) when the
// value is not one of the key's.
bool setChoice(PresetChoice& choice, const ChoiceKey& key, const std::string& value, std::string& error);

}  // namespace torva
