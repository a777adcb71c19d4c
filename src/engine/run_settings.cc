// The table of run settings. Each entry reads and writes one field of a
// RunConfig through an accessor; numbers travel as doubles, which hold every
// 32-bit integer exactly.
#include "engine/run_settings.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <type_traits>

namespace torva {
namespace {

// The priority table as compiled in, taken before main runs (prioParams is
// constant-initialised, so it holds the compiled-in entries by then).
const std::array<int, nPrioParams> kCompiledPrio = [] {
    std::array<int, nPrioParams> table{};
    std::copy(prioParams, prioParams + nPrioParams, table.begin());
    return table;
}();

constexpr double kMaxInt = std::numeric_limits<int>::max();
constexpr double kMaxUnsigned = std::numeric_limits<uint32_t>::max();

template <class T>
double toNumber(T value) {
    if constexpr (std::is_enum_v<T>)
        return static_cast<double>(static_cast<int>(value));
    else
        return static_cast<double>(value);
}

template <class T>
T fromNumber(double value) {
    if constexpr (std::is_enum_v<T>)
        return static_cast<T>(static_cast<int>(value));
    else if constexpr (std::is_same_v<T, bool>)
        return value != 0;
    else
        return static_cast<T>(value);
}

// The description of a key, without its accessors.
Setting describe(const char* key, SettingType type, const char* help, double min, double max, bool graphOnly,
                 std::vector<const char*> values) {
    Setting s;
    s.key = key;
    s.type = type;
    s.help = help;
    s.min = min;
    s.max = type == SettingType::Choice ? static_cast<double>(values.size() - 1) : max;
    s.values = std::move(values);
    s.graphOnly = graphOnly;
    return s;
}

// An entry over the field that access(config) names; access is generic so
// that it serves the const reader and the writer alike.
template <class Access>
Setting entry(const char* key, SettingType type, const char* help, double min, double max, bool graphOnly,
              std::vector<const char*> values, Access access) {
    Setting s = describe(key, type, help, min, max, graphOnly, std::move(values));
    s.get = [access](const RunConfig& c) { return toNumber(access(c)); };
    s.set = [access](RunConfig& c, double v) {
        auto& field = access(c);
        field = fromNumber<std::decay_t<decltype(field)>>(v);
    };
    return s;
}

#define FIELD(path) [](auto& c) -> auto& { return c.path; }

template <class Access>
Setting graphFlag(const char* key, const char* help, Access access) {
    return entry(key, SettingType::Bool, help, 0, 1, true, {}, access);
}
template <class Access>
Setting graphChoice(const char* key, const char* help, std::vector<const char*> values, Access access) {
    return entry(key, SettingType::Choice, help, 0, 0, true, std::move(values), access);
}
template <class Access>
Setting graphInt(const char* key, const char* help, double min, double max, Access access) {
    return entry(key, SettingType::Int, help, min, max, true, {}, access);
}
template <class Access>
Setting flag(const char* key, const char* help, Access access) {
    return entry(key, SettingType::Bool, help, 0, 1, false, {}, access);
}
template <class Access>
Setting integer(const char* key, const char* help, double min, double max, Access access) {
    return entry(key, SettingType::Int, help, min, max, false, {}, access);
}
template <class Access>
Setting number(const char* key, const char* help, double min, double max, Access access) {
    return entry(key, SettingType::Double, help, min, max, false, {}, access);
}

// An operation switch whose modules take single bits: off, the benchmark
// reader would hand them whole words.
Setting bitModules(Setting s) {
    s.graphOnlyValue = 0;
    return s;
}

// What each entry of the priority table is read for.
const char* prioHelp(int index) {
    switch (index) {
        case PRIO_LEVELS: return "the number of module priority levels";
        case PRIO_MULTIPLIER: return "decision priority of multiplier modules";
        case PRIO_ADDER: return "decision priority of adder modules";
        case PRIO_SHIFT: return "decision priority of shifter modules";
        case PRIO_AND: return "decision priority of and modules";
        case PRIO_INVERTER: return "decision priority of inverter modules";
        case PRIO_ITE: return "decision priority of if-then-else modules";
        case PRIO_XOR: return "decision priority of xor modules";
        case PRIO_OR: return "decision priority of or modules";
        case PRIO_IDENTITY: return "decision priority of identity modules";
        case PRIO_EQ: return "decision priority of equality modules";
        default: return "not read by any module kind";
    }
}

std::vector<Setting> prioritySettings() {
    static const std::vector<std::string> keys = [] {
        std::vector<std::string> names;
        for (int i = 0; i < nPrioParams; i++) names.push_back("prioParams." + std::to_string(i));
        return names;
    }();
    std::vector<Setting> table;
    for (int i = 0; i < nPrioParams; i++) {
        Setting s = describe(keys[i].c_str(), SettingType::Int, prioHelp(i), i == PRIO_LEVELS ? 1 : 0,
                             i == PRIO_LEVELS ? 1000 : kMaxInt, false, {});
        s.get = [i](const RunConfig& c) { return static_cast<double>(c.prio[i]); };
        s.set = [i](RunConfig& c, double v) { c.prio[i] = static_cast<int>(v); };
        table.push_back(std::move(s));
    }
    return table;
}

std::vector<Setting> buildSettings() {
    std::vector<Setting> t = {
        graphInt("abstract.width", "multiplications, quotients and remainders at least this wide are bit-blasted "
                 "only when their values need it (CaDiCaL; 0: never)", 0, terms::kMaxWidth, FIELD(choice.abstractWidth)),
        graphChoice("engine", "the SAT engine of clause-only problems", {"core", "cadical"}, FIELD(choice.engine)),
        graphFlag("search.blockers", "blocking literals in clause propagation", FIELD(choice.search.blockers)),
        graphInt("search.coreGlue", "tiered learnts: clauses of at most this glue stay for good", 0, 1000,
                 FIELD(choice.search.coreGlue)),
        graphChoice("search.decisions", "who decides first", {"modules", "activity"},
                    FIELD(choice.search.moduleDecisions)),
        graphInt("search.glucoseMinConflicts", "glucose restarts: conflicts between two restarts at least", 1,
                 kMaxInt, FIELD(choice.search.glucoseMinConflicts)),
        entry("search.glucoseMargin", SettingType::Double,
              "glucose restarts: restart when the recent glue exceeds this times the long-run glue", 1, 100, true,
              {}, FIELD(choice.search.glucoseMargin)),
        graphChoice("search.learnts", "learnt-clause reduction", {"classic", "tiered"},
                    FIELD(choice.search.learnts)),
        graphInt("search.lubyUnit", "luby restarts: conflicts per unit of the sequence", 1, kMaxInt,
                 FIELD(choice.search.lubyUnit)),
        graphChoice("search.phase", "sign of activity decisions", {"classic", "saved", "target"},
                    FIELD(choice.search.phase)),
        graphInt("search.reduceInterval", "tiered learnts: the k-th reduction comes this times sqrt(k) conflicts "
                 "after the one before", 1, kMaxInt, FIELD(choice.search.reduceInterval)),
        graphInt("search.reduceShare", "tiered learnts: percent of the reducible clauses a reduction deletes", 0,
                 100, FIELD(choice.search.reduceShare)),
        graphChoice("search.restarts", "restart policy", {"classic", "luby", "glucose"},
                    FIELD(choice.search.restarts)),
        graphInt("search.tier2Glue", "tiered learnts: clauses of at most this glue stay while they are used", 0,
                 1000, FIELD(choice.search.tier2Glue)),
        graphFlag("simplify.linear", "canonical sums of constant multiples", FIELD(simplify.rewrite.linear)),
        graphFlag("simplify.probe", "guessed assignments are tried before the search", FIELD(simplify.probe)),
        graphFlag("simplify.propagate", "asserted atoms are true inside the other assertions",
                  FIELD(simplify.propagate)),
        graphFlag("simplify.rewrite", "rewrite rules (off: constant folding only)", FIELD(simplify.rewrite.rules)),
        graphFlag("simplify.subst", "top-level x = t eliminates x", FIELD(simplify.substitute)),
        graphFlag("simplify.unconstrained", "terms over a variable occurring once become fresh variables",
                  FIELD(simplify.unconstrained)),
        number("solver.clause_decay", "clause activity growth per conflict", 1, 10, FIELD(solver.clause_decay)),
        flag("solver.expensive_ccmin", "recursive minimisation of learnt clauses", FIELD(solver.expensive_ccmin)),
        number("solver.learntsize_factor", "learnt-clause budget as a fraction of the clause count", 0, 1000,
               FIELD(solver.learntsize_factor)),
        number("solver.learntsize_inc", "learnt-clause budget factor per restart", 1, 100,
               FIELD(solver.learntsize_inc)),
        integer("solver.polarity_mode", "sign of activity decisions: 0 positive, 1 negative, 2 per variable, "
                "3 random", 0, 3, FIELD(solver.polarity_mode)),
        number("solver.random_seed", "pseudo-random state", 1, 2147483646, FIELD(solver.random_seed)),
        number("solver.random_var_freq", "probability of a random decision", 0, 1, FIELD(solver.random_var_freq)),
        integer("solver.restart_first", "first conflict budget", 1, kMaxInt, FIELD(solver.restart_first)),
        number("solver.restart_inc", "conflict budget factor per restart", 1, 100, FIELD(solver.restart_inc)),
        number("solver.var_decay", "variable activity growth per conflict", 1, 10, FIELD(solver.var_decay)),
        flag("toClses.addCls", "additions as clauses", FIELD(toClses.addCls)),
        integer("toClses.addHeur", "adders beyond this count become modules", 0, kMaxUnsigned,
                FIELD(toClses.addHeur)),
        integer("toClses.addSizeHeur", "adders wider than this become modules", 0, kMaxUnsigned,
                FIELD(toClses.addSizeHeur)),
        flag("toClses.addSubModule", "every adder becomes a module", FIELD(toClses.addSubModule)),
        bitModules(flag("toClses.andCls", "conjunctions as clauses", FIELD(toClses.andCls))),
        number("toClses.clseLength", "learnt clauses longer than this times the variable count are not stored "
               "(-1: off)", -1, 1e9, FIELD(toClses.clseLength)),
        flag("toClses.clsesSubstByMods", "clauses that modules stand in for count in the learnt budget",
             FIELD(toClses.clsesSubstByMods)),
        flag("toClses.divHeur", "multiplier modules of a division get priority 0", FIELD(toClses.divHeur)),
        flag("toClses.eqCls", "equalities as clauses", FIELD(toClses.eqCls)),
        flag("toClses.idCls", "identities as clauses", FIELD(toClses.idCls)),
        bitModules(flag("toClses.invCls", "negations as clauses", FIELD(toClses.invCls))),
        flag("toClses.iteCls", "if-then-else as clauses", FIELD(toClses.iteCls)),
        flag("toClses.mulCls", "multiplications as clauses", FIELD(toClses.mulCls)),
        integer("toClses.mulHeur", "multiplications from this count on become modules", 0, kMaxUnsigned,
                FIELD(toClses.mulHeur)),
        integer("toClses.mulSizeHeur", "multiplications from this width on become modules", 0, kMaxUnsigned,
                FIELD(toClses.mulSizeHeur)),
        flag("toClses.mulSubModule", "multiplications may become modules", FIELD(toClses.mulSubModule)),
        flag("toClses.noClsDel", "no learnt-clause deletion", FIELD(toClses.noClsDel)),
        flag("toClses.noRestarts", "no restarts in the classic search", FIELD(toClses.noRestarts)),
        bitModules(flag("toClses.orCls", "disjunctions as clauses", FIELD(toClses.orCls))),
        number("toClses.origDecs", "probability that a decision bypasses the modules", 0, 1,
               FIELD(toClses.origDecs)),
        number("toClses.origDecsInc", "factor on origDecs after every search call", 0, 1000,
               FIELD(toClses.origDecsInc)),
        flag("toClses.pureStaticDec", "module decisions walk each priority list in order (off: at random)",
             FIELD(toClses.pureStaticDec)),
        number("toClses.randLearnt", "a learnt clause is not stored when a random draw exceeds this (-1: off)", -1,
               1, FIELD(toClses.randLearnt)),
        flag("toClses.shiftCls", "shifts as clauses", FIELD(toClses.shiftCls)),
        bitModules(flag("toClses.xorCls", "exclusive ors as clauses", FIELD(toClses.xorCls))),
    };
    std::vector<Setting> prio = prioritySettings();
    t.insert(t.end(), prio.begin(), prio.end());
    return t;
}

#undef FIELD

// An integer in full, else the shortest decimal text that reads back as the
// same double.
std::string shortestDecimal(double value) {
    char text[40];
    if (value == std::floor(value) && std::fabs(value) < 1e15) {
        std::snprintf(text, sizeof text, "%.0f", value);
        return text;
    }
    for (int digits = 1; digits <= 17; digits++) {
        std::snprintf(text, sizeof text, "%.*g", digits, value);
        if (std::strtod(text, nullptr) == value) break;
    }
    return text;
}

const char* typeName(SettingType type) {
    switch (type) {
        case SettingType::Bool: return "bool";
        case SettingType::Int: return "int";
        case SettingType::Double: return "double";
        case SettingType::Choice: return "choice";
    }
    return "";
}
}  // namespace

RunConfig compiledConfig() {
    RunConfig config;
    config.prio = kCompiledPrio;
    return config;
}

RunConfig presetConfig(Preset preset) {
    RunConfig config = compiledConfig();
    config.choice = applyPreset(preset, config.toClses);
    return config;
}

void commitConfig(const RunConfig& config) {
    toClses = config.toClses;
    std::copy(config.prio.begin(), config.prio.end(), prioParams);
    solverParams = config.solver;
}

const std::vector<Setting>& settings() {
    static const std::vector<Setting> table = buildSettings();
    return table;
}

const Setting* findSetting(const std::string& key) {
    for (const Setting& s : settings())
        if (s.key == key) return &s;
    return nullptr;
}

std::string acceptedValues(const Setting& setting) {
    switch (setting.type) {
        case SettingType::Bool: return "true|false";
        case SettingType::Choice: {
            std::string names;
            for (const char* v : setting.values) names += (names.empty() ? "" : "|") + std::string(v);
            return names;
        }
        case SettingType::Int:
        case SettingType::Double:
            return "[" + shortestDecimal(setting.min) + ", " + shortestDecimal(setting.max) + "]";
    }
    return "";
}

bool parseSettingValue(const Setting& setting, const std::string& text, double& value, std::string& error) {
    const std::string bad = "bad value '" + text + "' for " + setting.key;
    switch (setting.type) {
        case SettingType::Bool:
            if (text == "true" || text == "1" || text == "false" || text == "0") {
                value = text == "true" || text == "1";
                return true;
            }
            error = bad + " (expected true or false)";
            return false;
        case SettingType::Choice: {
            std::string names;
            for (size_t i = 0; i < setting.values.size(); i++) {
                if (text == setting.values[i]) {
                    value = static_cast<double>(i);
                    return true;
                }
                names += (i == 0 ? "" : ", ") + std::string(setting.values[i]);
            }
            error = bad + " (expected one of " + names + ")";
            return false;
        }
        case SettingType::Int:
        case SettingType::Double: {
            bool integral = setting.type == SettingType::Int;
            char* end = nullptr;
            errno = 0;
            double parsed = integral ? static_cast<double>(std::strtoll(text.c_str(), &end, 10))
                                     : std::strtod(text.c_str(), &end);
            bool ok = !text.empty() && *end == '\0' && errno == 0 && std::isfinite(parsed) && parsed >= setting.min &&
                      parsed <= setting.max;
            if (ok) {
                value = parsed;
                return true;
            }
            error = bad + " (expected " + (integral ? "an integer" : "a number") + " in " + acceptedValues(setting) +
                    ")";
            return false;
        }
    }
    return false;
}

bool applySetting(RunConfig& config, const std::string& assignment, std::string& error) {
    size_t equals = assignment.find('=');
    if (equals == std::string::npos) {
        error = "--set expects KEY=VALUE, got '" + assignment + "'";
        return false;
    }
    std::string key = assignment.substr(0, equals);
    const Setting* setting = findSetting(key);
    if (setting == nullptr) {
        error = "unknown setting '" + key + "'";
        return false;
    }
    double value = 0;
    if (!parseSettingValue(*setting, assignment.substr(equals + 1), value, error)) return false;
    setting->set(config, value);
    return true;
}

bool benchmarkReaderAccepts(const std::string& assignment) {
    size_t equals = assignment.find('=');
    const Setting* setting = findSetting(assignment.substr(0, equals));
    double value = 0;
    std::string error;
    parseSettingValue(*setting, assignment.substr(equals + 1), value, error);
    return !setting->graphOnly && value != setting->graphOnlyValue;
}

std::string formatSettingValue(const Setting& setting, double value) {
    switch (setting.type) {
        case SettingType::Bool: return value != 0 ? "true" : "false";
        case SettingType::Choice: return setting.values[static_cast<size_t>(value)];
        case SettingType::Int:
        case SettingType::Double: return shortestDecimal(value);
    }
    return "";
}

void printSettings(std::FILE* out, const RunConfig& current) {
    const RunConfig defaults = compiledConfig();
    std::fprintf(out, "%-28s %-6s %-20s %-20s %-26s %s\n", "key", "type", "default", "current", "accepted",
                 "steers");
    for (const Setting& s : settings())
        std::fprintf(out, "%-28s %-6s %-20s %-20s %-26s %s%s\n", s.key.c_str(), typeName(s.type),
                     formatSettingValue(s, s.get(defaults)).c_str(), formatSettingValue(s, s.get(current)).c_str(),
                     acceptedValues(s).c_str(), s.help.c_str(),
                     s.graphOnly                       ? " (term-graph paths)"
                     : !std::isnan(s.graphOnlyValue)   ? " (false: term-graph paths)"
                                                       : "");
}

}  // namespace torva
