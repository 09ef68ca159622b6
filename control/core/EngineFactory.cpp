#include "control/core/EngineFactory.h"

#include "engine/NoSensorEngine.h"

namespace lumo::control {

std::shared_ptr<engine::IFPEngine> createEngine() {
    return std::make_shared<engine::NoSensorEngine>();
}

}  // namespace lumo::control
