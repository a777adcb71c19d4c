// The table of run settings: every key reads and writes its own field and no
// other, values round-trip through their text, the ranges are enforced at
// both ends, and committing a configuration writes exactly the globals the
// solver and the factory read.
#include "engine/run_settings.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>

#include "solver/solver.h"

namespace torva {
namespace {

std::vector<double> readAll(const RunConfig& config) {
    std::vector<double> values;
    for (const Setting& s : settings()) values.push_back(s.get(config));
    return values;
}

// A value in range that differs from the current one.
double otherValue(const Setting& s, double current) { return current == s.max ? s.min : s.max; }

TEST(RunSettings, EveryKeyOwnsExactlyOneField) {
    std::set<std::string> keys;
    const RunConfig base = compiledConfig();
    const std::vector<double> before = readAll(base);
    for (size_t i = 0; i < settings().size(); i++) {
        const Setting& s = settings()[i];
        EXPECT_TRUE(keys.insert(s.key).second) << "twice: " << s.key;
        RunConfig changed = base;
        double value = otherValue(s, before[i]);
        s.set(changed, value);
        std::vector<double> after = readAll(changed);
        for (size_t j = 0; j < after.size(); j++) {
            if (j == i)
                EXPECT_EQ(after[j], value) << s.key;
            else
                EXPECT_EQ(after[j], before[j]) << s.key << " also changed " << settings()[j].key;
        }
    }
    EXPECT_EQ(keys.count("prioParams.24"), 1u);
    EXPECT_EQ(keys.count("solver.random_seed"), 1u);
    EXPECT_EQ(keys.count("toClses.mulSizeHeur"), 1u);
}

TEST(RunSettings, ValuesRoundTripAndRangesHoldAtBothEnds) {
    const RunConfig base = compiledConfig();
    for (const Setting& s : settings()) {
        for (double v : {s.get(base), s.min, s.max}) {
            std::string text = formatSettingValue(s, v);
            double parsed = -12345;
            std::string error;
            ASSERT_TRUE(parseSettingValue(s, text, parsed, error)) << s.key << " '" << text << "': " << error;
            EXPECT_EQ(parsed, v) << s.key << " '" << text << "'";
            RunConfig config = base;
            ASSERT_TRUE(applySetting(config, s.key + "=" + text, error)) << error;
            EXPECT_EQ(s.get(config), v) << s.key;
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
}

TEST(RunSettings, TextErrorsNameTheKeyAndWhatItAccepts) {
    RunConfig config = compiledConfig();
    std::string error;
    EXPECT_FALSE(applySetting(config, "solver.restart_first=1.5", error));
    EXPECT_EQ(error, "bad value '1.5' for solver.restart_first (expected an integer in [1, 2147483647])");
    EXPECT_FALSE(applySetting(config, "solver.random_var_freq=nan", error));
    EXPECT_FALSE(applySetting(config, "solver.random_var_freq=", error));
    EXPECT_FALSE(applySetting(config, "toClses.addHeur=99999999999999999999", error));
    EXPECT_FALSE(applySetting(config, "search.phase=best", error));
    EXPECT_EQ(error, "bad value 'best' for search.phase (expected one of classic, saved, target)");
    EXPECT_FALSE(applySetting(config, "toClses.iteCls=yes", error));
    EXPECT_EQ(error, "bad value 'yes' for toClses.iteCls (expected true or false)");
    EXPECT_FALSE(applySetting(config, "prioParams.25=1", error));
    EXPECT_EQ(error, "unknown setting 'prioParams.25'");
    EXPECT_FALSE(applySetting(config, "solver.var_decay", error));
    EXPECT_EQ(error, "--set expects KEY=VALUE, got 'solver.var_decay'");
    EXPECT_TRUE(applySetting(config, "toClses.addHeur=4294967295", error));
    EXPECT_EQ(config.toClses.addHeur, 4294967295u);
    EXPECT_TRUE(applySetting(config, "search.phase=target", error));
    EXPECT_EQ(config.choice.search.phase, SearchSettings::Phase::Target);
}

TEST(RunSettings, TheBenchmarkReaderRefusesWhatOnlyTheGraphRuns) {
    EXPECT_TRUE(benchmarkReaderAccepts("toClses.iteCls=true"));
    EXPECT_TRUE(benchmarkReaderAccepts("prioParams.3=0"));
    EXPECT_TRUE(benchmarkReaderAccepts("solver.polarity_mode=2"));
    EXPECT_TRUE(benchmarkReaderAccepts("toClses.andCls=true"));
    EXPECT_FALSE(benchmarkReaderAccepts("toClses.andCls=false"));
    EXPECT_FALSE(benchmarkReaderAccepts("toClses.xorCls=0"));
    EXPECT_FALSE(benchmarkReaderAccepts("engine=core"));
    EXPECT_FALSE(benchmarkReaderAccepts("simplify.subst=true"));
}

TEST(RunSettings, CommitWritesWhatTheSolverAndFactoryRead) {
    const ToClauses savedSplit = toClses;
    const SolverParams savedParams = solverParams;
    int savedPrio[nPrioParams];
    std::copy(prioParams, prioParams + nPrioParams, savedPrio);

    RunConfig config = presetConfig(Preset::Modules);
    EXPECT_FALSE(config.toClses.andCls);
    EXPECT_TRUE(savedSplit.andCls) << "the preset's split stays in the configuration until it is committed";
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
    EXPECT_EQ(std::vector<int>(prioParams, prioParams + nPrioParams),
              std::vector<int>(savedPrio, savedPrio + nPrioParams));
    EXPECT_TRUE(toClses.andCls);
    toClses = savedSplit;
    solverParams = savedParams;
}

}  // namespace
}  // namespace torva
