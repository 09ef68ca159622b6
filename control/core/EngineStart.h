// ensureEngine(): the control's engine start before it works with the sensor or card module.
//
// Starts the engine unless it is already active and tells the user, in a modal error box,
// why it could not: code 1 "install the driver", code 2 "no sensor", an error while starting
// "initialisation failed". Any non-zero code stops the engine again; codes other than 1 and 2
// still let the caller go on. Returns true when the caller may go on. Never throws an engine
// error (they become the third message); GUI thread only.
#pragma once

class QWidget;

namespace lumo::engine {
class IFPEngine;
}

namespace lumo::control {

class MessagePresenter;

bool ensureEngine(engine::IFPEngine& engine, MessagePresenter& presenter, QWidget* owner);

}  // namespace lumo::control
