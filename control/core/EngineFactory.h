// createEngine(): the engine a new control works with.
//
// The class factory of the control library calls it once per control. Until the fingerprint
// engine is part of the build it returns the built-in NoSensorEngine, which reports "no
// sensor" and refuses template operations. Throws only what the engine's constructor throws.
#pragma once

#include <memory>

#include "engine/IFPEngine.h"

namespace lumo::control {

std::shared_ptr<engine::IFPEngine> createEngine();

}  // namespace lumo::control
