#include "control/core/EngineStart.h"

#include <exception>

#include "control/core/ControlMessages.h"
#include "control/core/MessagePresenter.h"
#include "engine/IFPEngine.h"

namespace lumo::control {

namespace {

void showError(MessagePresenter& presenter, QWidget* owner, const char* key) {
    presenter.show(owner, {MessageIcon::Error, controlMessage(key), MessageButtons::Ok});
}

}  // namespace

bool ensureEngine(engine::IFPEngine& engine, MessagePresenter& presenter, QWidget* owner) {
    if (engine.Active()) return true;
    bool goOn = true;
    try {
        const int code = engine.StartEngine();
        if (code == engine::StartNoDriver) {
            showError(presenter, owner, "sNotInstallDriver");
            goOn = false;
        } else if (code == engine::StartNoSensor) {
            showError(presenter, owner, "sNotConnectSensor");
            goOn = false;
        }
        if (code != engine::StartOk) engine.StopEngine();
    } catch (const std::exception&) {
        showError(presenter, owner, "sInitializationFailed");
        goOn = false;
    }
    return goOn;
}

}  // namespace lumo::control
