// The state a solve reads and writes besides its own objects: the run
// configuration (toClses, prioParams, solverParams), the module tables and
// the encoders' call counters. All of it is per thread. A session that
// shares its thread with other sessions keeps its own copy in an
// EngineContext and swaps it in for the length of each call with an
// ActiveContext; two sessions in different threads never meet.
#pragma once

#include <array>

#include "config.h"
#include "modules/module.h"

namespace torva {

struct RunConfig;

struct EngineContext {
    ToClauses toClses;
    std::array<int, nPrioParams> prio{};
    SolverParams solverParams;
    ModuleTables modules;
    unsigned int addCounter = 0;
    unsigned int mulCounter = 0;
    bool exitOnUnsatWhileBuilding = true;

    // The context of a new session with the configuration's values.
    explicit EngineContext(const RunConfig& config);
    // Puts the configuration's values in place of the held ones.
    void setConfig(const RunConfig& config);
};

// Swaps the context in for its lifetime. The contexts of different sessions
// may nest, since each one restores exactly what it found.
class ActiveContext {
public:
    explicit ActiveContext(EngineContext& context);
    ~ActiveContext();
    ActiveContext(const ActiveContext&) = delete;
    ActiveContext& operator=(const ActiveContext&) = delete;

private:
    void exchange();
    EngineContext& context_;
};

}  // namespace torva
