// Named configurations of a run: which operations become modules, how the
// search runs, which SAT engine decides and whether the term graph is
// simplified first.
//   classic  the compiled-in configuration, no simplification
//   clauses  every operation as clauses, the present-day built-in search
//   modules  a word-level module wherever one exists, the same search
//   fast     simplification, every operation as clauses, CaDiCaL
#pragma once

#include <string>

#include "config.h"

#include "engine/graph_solve.h"
#include "solver/search_settings.h"

namespace torva {

enum class Preset { Classic, Clauses, Modules, Fast };

// The narrowest multiplication, quotient or remainder the fast preset
// abstracts.
constexpr uint32_t kDefaultAbstractWidth = 33;

struct PresetChoice {
    SearchSettings search;
    Engine engine = Engine::Core;
    bool simplify = false;
    // Multiplications, quotients and remainders at least this wide are
    // abstracted and refined on demand (0: never).
    uint32_t abstractWidth = 0;
};

// The preset of a name; false when there is none of that name.
bool presetByName(const std::string& name, Preset& preset);
const char* presetNames();

// The search, engine and simplification default of a preset; the split
// between modules and clauses is written into split.
PresetChoice applyPreset(Preset preset, ToClauses& split);

}  // namespace torva
