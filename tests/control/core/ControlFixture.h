// A control over a scripted engine, its boxes recorded, for the tests of the control object.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <memory>
#include <string>

#include "control/core/VIZErevorMainImpl.h"
#include "platform/com/Bstr.h"
#include "platform/com/ErrorInfo.h"
#include "tests/support/control/RecordingPresenter.h"
#include "tests/support/engine/ScriptedEngine.h"
#include "tests/support/qt/WidgetApplication.h"

namespace lumo::test {

// The one QApplication of the test process, as a host would create it.
inline void ensureApplication() { ensureWidgetApplication(); }

class ControlFixture : public ::testing::Test {
protected:
    void SetUp() override {
        ensureApplication();
        engine = std::make_shared<ScriptedEngine>();
        boxes = std::make_shared<RecordingPresenter>();
        control = com::makeObject<control::TLumoMain>(engine, boxes);
        engine->clearCalls();
        com::clearErrorInfo();
    }

    ILumoMain* lumo() { return control.get(); }

    // The member's string out value, freed.
    static std::string text(BSTR b) { return com::Bstr::attach(b).toUtf8(); }

    std::shared_ptr<ScriptedEngine> engine;
    std::shared_ptr<RecordingPresenter> boxes;
    com::ComPtr<control::TLumoMain> control;
};

}  // namespace lumo::test
