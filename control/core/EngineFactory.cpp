#include "control/core/EngineFactory.h"

#include "engine/runtime/FPEngine.h"

namespace lumo::control {

std::shared_ptr<engine::IFPEngine> createEngine() { return std::make_shared<engine::FPEngine>(); }

}  // namespace lumo::control
