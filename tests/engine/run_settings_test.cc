// The table of run settings: every key reads and writes its own field and no
// other, values round-trip through their text, the ranges are enforced at
// both ends, errors name the key and what it accepts, and committing a
// configuration writes exactly the globals the solver and the factory read.
#include "engine/run_settings.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>

#include "solver/solver.h"
#include "support/config_guard.h"

namespace torva {
namespace {

std::vector<double> readAll(const RunConfig& config) {
    std::vector<double> values;
    for (const Setting& s : settings()) values.push_back(s.get(config));
    return values;
}

// Every key owns exactly one field: a value set through its text (the
// current one and both ends of the range) reads back there, and every other
// key keeps its value. Values just outside a range are refused.
TEST(RunSettings, ValuesRoundTripAndRangesHoldAtBothEnds) {
    const RunConfig base = compiledConfig();
    const std::vector<double> before = readAll(base);
    std::set<std::string> keys;
    for (size_t i = 0; i < settings().size(); i++) {
        const Setting& s = settings()[i];
        EXPECT_TRUE(keys.insert(s.key).second) << "twice: " << s.key;
        for (double v : {before[i], s.min, s.max}) {
            std::string text = formatSettingValue(s, v);
            double parsed = -12345;
            std::string error;
            ASSERT_TRUE(parseSettingValue(s, text, parsed, error)) << s.key << " '" << text << "': " << error;
            EXPECT_EQ(parsed, v) << s.key << " '" << text << "'";
            RunConfig config = base;
            ASSERT_TRUE(applySetting(config, s.key + "=" + text, error)) << error;
            std::vector<double> expected = before;
            expected[i] = v;
            EXPECT_EQ(readAll(config), expected) << s.key << "=" << text;
        }
        if (s.type == SettingType::Int || s.type == SettingType::Double) {
            double step = s.type == SettingType::Int ? 1 : std::fmax(1e-9, std::fabs(s.max) * 1e-6);
            for (double outside : {s.min - step, s.max + step}) {
                double parsed = 0;
                std::string error;
                EXPECT_FALSE(parseSettingValue(s, formatSettingValue(s, outside), parsed, error)) << s.key;
                EXPECT_NE(error.find(s.key), std::string::npos) << error;
                EXPECT_NE(error.find(acceptedValues(s)), std::string::npos) << error;
            }
        }
    }
    for (const char* key : {"prioParams.24", "solver.random_seed", "toClses.mulSizeHeur"})
        EXPECT_EQ(keys.count(key), 1u) << key;
}

// Texts the range check of ValuesRoundTrip does not reach (the program's
// own run tests cover the other kinds of error end to end).
TEST(RunSettings, MalformedNumbersAreRefused) {
    RunConfig config = compiledConfig();
    std::string error;
    for (const char* assignment : {"solver.restart_first=1.5", "solver.random_var_freq=nan",
                                   "solver.random_var_freq=", "toClses.addHeur=99999999999999999999"})
        EXPECT_FALSE(applySetting(config, assignment, error)) << assignment;
    EXPECT_EQ(error.find("bad value '99999999999999999999' for toClses.addHeur"), 0u) << error;
}

TEST(RunSettings, CommitWritesWhatTheSolverAndFactoryRead) {
    ConfigGuard guard;
    const SolverParams savedParams = solverParams;
    const std::vector<int> savedPrio(prioParams, prioParams + nPrioParams);

    RunConfig config = presetConfig(Preset::Modules);
    EXPECT_FALSE(config.toClses.andCls);
    EXPECT_TRUE(toClses.andCls) << "the preset's split stays in the configuration until it is committed";
    std::string error;
    for (const char* assignment : {"solver.var_decay=1.25", "solver.random_seed=7", "solver.polarity_mode=0",
                                   "prioParams.7=2", "toClses.noRestarts=false"})
        ASSERT_TRUE(applySetting(config, assignment, error)) << error;
    commitConfig(config);
    EXPECT_EQ(prioParams[PRIO_ADDER], 2);
    EXPECT_FALSE(toClses.andCls);
    EXPECT_FALSE(toClses.noRestarts);
    {
        Solver S(prioParams[0]);
        EXPECT_EQ(S.var_decay, 1.25);
        EXPECT_EQ(S.random_seed, 7);
        EXPECT_EQ(S.polarity_mode, 0);
    }
    commitConfig(compiledConfig());
    Solver S(prioParams[0]);
    EXPECT_EQ(S.var_decay, 1 / 0.95);
    EXPECT_EQ(S.random_seed, 91648253);
    EXPECT_EQ(S.polarity_mode, 1);
    EXPECT_EQ(std::vector<int>(prioParams, prioParams + nPrioParams), savedPrio);
    EXPECT_TRUE(toClses.andCls);
    solverParams = savedParams;
}

}  // namespace
}  // namespace torva
