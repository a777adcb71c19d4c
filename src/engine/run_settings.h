// The run configuration as one value, and every key by which the command
// line changes it: the preset's search and engine, the simplification
// switches, the split between modules and clauses (toClses), the module
// priority table (prioParams) and the built-in solver's parameters. A run
// starts from its preset, applies the settings in the order given and
// commits the result into the global configuration before anything is built.
#pragma once

#include <array>
#include <cstdio>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "config.h"
#include "engine/presets.h"
#include "simplify/simplify.h"

namespace torva {

struct RunConfig {
    PresetChoice choice;
    simplify::SimplifySettings simplify;
    ToClauses toClses;
    std::array<int, nPrioParams> prio{};
    SolverParams solver;
};

// The compiled-in configuration (the classic preset, nothing changed).
RunConfig compiledConfig();
// The preset's configuration: applyPreset on the compiled-in one.
RunConfig presetConfig(Preset preset);
// Writes toClses, prioParams and solverParams.
void commitConfig(const RunConfig& config);

enum class SettingType { Bool, Int, Double, Choice };

struct Setting {
    std::string key;
    SettingType type;
    std::string help;
    double min = 0, max = 1;              // the accepted numbers (Int, Double)
    std::vector<const char*> values;      // the accepted names (Choice)
    bool graphOnly = false;               // read only on the term-graph paths
    // A value only the term-graph paths can run: the benchmark reader hands
    // whole words to the modules an operation becomes, and some module kinds
    // take single bits only (NaN: none).
    double graphOnlyValue = std::numeric_limits<double>::quiet_NaN();
    std::function<double(const RunConfig&)> get;  // a Bool is 0/1, a Choice its index
    std::function<void(RunConfig&, double)> set;
};

const std::vector<Setting>& settings();
const Setting* findSetting(const std::string& key);
// The value of text for the setting; false with a message naming the key
// and what it accepts.
bool parseSettingValue(const Setting& setting, const std::string& text, double& value, std::string& error);
// KEY=VALUE: finds the key, parses and applies the value; false with the
// problem otherwise.
bool applySetting(RunConfig& config, const std::string& assignment, std::string& error);
// Whether a valid KEY=VALUE can run on the benchmark reader.
bool benchmarkReaderAccepts(const std::string& assignment);
std::string formatSettingValue(const Setting& setting, double value);
// "true|false", "[0, 1]", "core|cadical".
std::string acceptedValues(const Setting& setting);
// One line per key: key, type, compiled-in default, current value, accepted
// values and what it steers.
void printSettings(std::FILE* out, const RunConfig& current);

}  // namespace torva
