// Fixture of the dialog tests: a scripted engine, recorded message boxes and sounds, short
// pauses, the English messages, and a current folder with the five wave files.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QTest>
#include <QTimer>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "control/core/FingerTemplateTables.h"
#include "control/dialogs/ImgFinger.h"
#include "control/dialogs/Sound.h"
#include "control/language/LangStr.h"
#include "platform/win/RecordingWavePlayer.h"
#include "platform/win/ScopedWavePlayer.h"
#include "tests/control/dialogs/DialogTestSupport.h"
#include "tests/support/control/RecordingPresenter.h"
#include "tests/support/engine/ScriptedEngine.h"

namespace lumo::test {

using Sound = win::RecordingWavePlayer::Request;

class DialogFixture : public ::testing::Test {
protected:
    DialogFixture() {
        ensureDialogApplication();
        // No language file: every message is its English default.
        language::loadMessages("/nonexistent/lumo.none");
        engine.enrollCount = 4;
    }

    static std::string text(language::MsgKey key) { return language::langStr(key); }

    // A mouse move and a left click on a picture point of the hand, as the mouse makes them.
    static void clickFinger(dialogs::TImgFinger* finger, QPoint point) {
        QMouseEvent move(QEvent::MouseMove, QPointF(point), finger->mapToGlobal(QPointF(point)),
                         Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(finger, &move);
        QTest::mouseClick(finger, Qt::LeftButton, {}, point);
    }

    // Runs fn once the modal loop of the next exec() is running.
    static void whileShown(std::function<void()> fn) { QTimer::singleShot(0, std::move(fn)); }

    ScriptedEngine engine;
    RecordingPresenter boxes;
    std::shared_ptr<win::RecordingWavePlayer> sounds = std::make_shared<win::RecordingWavePlayer>();
    SoundFolder folder;
    win::ScopedWavePlayer soundScope{sounds};
    dialogs::ScopedDelay delays;
};

}  // namespace lumo::test
