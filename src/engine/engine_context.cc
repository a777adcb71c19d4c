// Swapping a session's per-thread state in and out.
#include "engine/engine_context.h"

#include <utility>

#include "cnf/verification_model_cnf.h"
#include "generator/module_factory.h"
#include "engine/run_settings.h"

namespace torva {

EngineContext::EngineContext(const RunConfig& config) { setConfig(config); }

void EngineContext::setConfig(const RunConfig& config) {
    toClses = config.toClses;
    prio = config.prio;
    solverParams = config.solver;
}

ActiveContext::ActiveContext(EngineContext& context) : context_(context) { exchange(); }

ActiveContext::~ActiveContext() { exchange(); }

void ActiveContext::exchange() {
    std::swap(::toClses, context_.toClses);
    for (int i = 0; i < nPrioParams; i++) std::swap(::prioParams[i], context_.prio[static_cast<size_t>(i)]);
    std::swap(::solverParams, context_.solverParams);
    Module::swapTables(context_.modules);
    std::swap(::addCounter, context_.addCounter);
    std::swap(::mulCounter, context_.mulCounter);
    std::swap(::exitOnUnsatWhileBuilding, context_.exitOnUnsatWhileBuilding);
}

}  // namespace torva
