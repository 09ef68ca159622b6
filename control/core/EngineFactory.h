// createEngine(): the engine a new control works with.
//
// The class factory of the control library calls it once per control. It returns the
// fingerprint engine FPEngine, whose sensor and card module follow the engine settings in the
// registry layer (Sensor=none gives an engine without a scanner). Throws only what the
// engine's constructor throws.
#pragma once

#include <memory>

#include "engine/IFPEngine.h"

namespace lumo::control {

std::shared_ptr<engine::IFPEngine> createEngine();

}  // namespace lumo::control
