// The verification dialog driven by the scripted engine's events, offscreen.
#include <gtest/gtest.h>

#include <QLabel>

#include "control/dialogs/Check.h"
#include "tests/control/dialogs/DialogFixture.h"

namespace lumo::dialogs {
namespace {

using language::MsgKey;
using test::Sound;

class CheckTest : public test::DialogFixture {
protected:
    CheckTest() {
        dialog = std::make_unique<TFMCheck>(nullptr, boxes);
        dialog->setEngine(&engine);
        engine.active = true;
    }

    // Matching mode against "REG" with the given attempts, as Verify sets it up.
    void matching(int tries) {
        dialog->PrepareEngine();
        dialog->TriesLeft = tries;
        dialog->RegTemplate = "REG";
        dialog->VerifyMode = true;
        dialog->ConnectEvents();
        sounds->clear();
    }
    // One press: image, good feature, capture with template text `capture`.
    void press(const std::string& capture) {
        engine.fireImageReceived(true);
        engine.fireFeatureInfo(0);
        engine.willReturn("LastTemplateAsText", capture);
        engine.fireCapture(true, {});
    }
    std::string hint() const { return dialog->fcLblHint()->text().toStdString(); }

    std::unique_ptr<TFMCheck> dialog;
};

TEST_F(CheckTest, Creation) {
    EXPECT_EQ(dialog->windowTitle().toStdString(), text(MsgKey::sVerifyTitle));
    EXPECT_TRUE(dialog->VerifyMode);
    EXPECT_TRUE(dialog->VerTemplate.empty());
    EXPECT_TRUE(dialog->RegTemplate.empty());
    EXPECT_FALSE(dialog->TimerCloseWindow()->isActive());
    EXPECT_EQ(dialog->size(), QSize(389, 401));
    EXPECT_EQ(dialog->ImgEllipse()->geometry(), QRect(127, 155, 150, 208));
    EXPECT_EQ(dialog->fcLblHint()->geometry(), QRect(16, 72, 350, 57));
    EXPECT_EQ(dialog->ellipsePicture(), dialog->framePicture());
}

TEST_F(CheckTest, PrepareEngineByStartCode) {
    const struct {
        const char* what;
        bool active;
        std::optional<int> code;
        bool result;
        std::optional<MsgKey> hint;  // none: unchanged
        bool box;
        std::vector<Sound> sounds;
        bool stopped;
    } cases[] = {
        {"already started",
         true,
         0,
         true,
         MsgKey::sSelectFingerToVerify,
         false,
         {{"WaitFor.wav", true}},
         false},
        {"started now",
         false,
         0,
         true,
         MsgKey::sSelectFingerToVerify,
         false,
         {{"WaitFor.wav", false}},
         false},
        {"no driver", false, 1, false, MsgKey::sNotInstallDriver, true, {}, true},
        {"no sensor", false, 2, false, MsgKey::sNotConnectSensor, true, {}, true},
        {"other code", false, 9, true, std::nullopt, false, {}, true},
        {"start error", false, std::nullopt, false, MsgKey::sInitializationFailed, true, {}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        test::ScriptedEngine e;
        test::RecordingPresenter b;
        TFMCheck d(nullptr, b);
        d.setEngine(&e);
        e.active = c.active;
        if (c.code)
            e.willReturn("StartEngine", *c.code);
        else
            e.willThrow("StartEngine", "boom");
        sounds->clear();
        EXPECT_EQ(d.PrepareEngine(), c.result);
        EXPECT_EQ(d.fcLblHint()->text().toStdString(), c.hint ? text(*c.hint) : "");
        ASSERT_EQ(b.boxes().size(), c.box ? 1u : 0u);
        if (c.box) EXPECT_EQ(b.boxes()[0].text, text(*c.hint));
        EXPECT_EQ(sounds->requests(), c.sounds);
        EXPECT_EQ(e.callsNamed({"StopEngine"}).size(), c.stopped ? 1u : 0u);
    }
}

TEST_F(CheckTest, ThreeTriesOfNonMatchesCloseWithCancel) {
    matching(3);
    engine.setAnswer("MatchTemplateStrings", false);
    std::vector<std::string> hintsAtDelay;
    whileShown([&] {
        press("V1");
        EXPECT_TRUE(dialog->isVisible());
        EXPECT_EQ(hint(), text(MsgKey::sSelectFingerToVerify));
        EXPECT_EQ(dialog->TriesLeft, 2);
        press("V2");
        press("V3");
    });
    EXPECT_EQ(dialog->exec(), QDialog::Rejected);
    EXPECT_EQ(dialog->VerTemplate, "V3");
    EXPECT_EQ(dialog->TriesLeft, 0);
    EXPECT_EQ(hint(), text(MsgKey::sVerifyFailed));
    EXPECT_EQ(engine.callsNamed({"MatchTemplateStrings"}),
              (std::vector<std::string>{"MatchTemplateStrings(REG, V1, false)",
                                        "MatchTemplateStrings(REG, V2, false)",
                                        "MatchTemplateStrings(REG, V3, false)"}));
    // Per press: a 1 s pause after the image; after a non-match with tries left 0.5 s.
    EXPECT_EQ(delays.requests(), (std::vector<std::uint32_t>{1000, 500, 1000, 500, 1000}));
    const std::vector<Sound> retry{{"Acquired.wav", false}, {"WaitFor.wav", false}};
    std::vector<Sound> expected = retry;
    expected.insert(expected.end(), retry.begin(), retry.end());
    expected.push_back({"Acquired.wav", false});
    EXPECT_EQ(sounds->requests(), expected);
    EXPECT_FALSE(engine.OnCapture);  // disconnected on closing
}

TEST_F(CheckTest, MatchOnTheSecondTryClosesWithOk) {
    matching(3);
    engine.willReturn("MatchTemplateStrings", false);
    engine.willReturn("MatchTemplateStrings", true);
    whileShown([&] {
        press("V1");
        press("V2");
    });
    EXPECT_EQ(dialog->exec(), QDialog::Accepted);
    EXPECT_EQ(dialog->VerTemplate, "V2");
    EXPECT_EQ(hint(), text(MsgKey::sVerifySucceed));
    EXPECT_EQ(sounds->fileNames().back(), "V-OK.wav");
}

TEST_F(CheckTest, TriesOfZeroOrLessNeverRunOut) {
    for (int tries : {0, -2, 1}) {
        SCOPED_TRACE(tries);
        TFMCheck d(nullptr, boxes);
        dialog.reset();
        d.setEngine(&engine);
        d.TriesLeft = tries;
        d.RegTemplate = "REG";
        d.ConnectEvents();
        engine.setAnswer("MatchTemplateStrings", false);
        bool openAfterFive = false;
        whileShown([&] {
            for (int i = 0; i < 5 && d.isVisible(); ++i) {
                engine.willReturn("LastTemplateAsText", std::string("V"));
                engine.fireCapture(false, {});
            }
            openAfterFive = d.isVisible();
            if (openAfterFive) d.close();  // the title-bar close box
        });
        EXPECT_EQ(d.exec(), QDialog::Rejected);
        EXPECT_EQ(openAfterFive, tries <= 0);
        EXPECT_EQ(d.VerTemplate, "V");
    }
}

TEST_F(CheckTest, CaptureOnlyClosesWithOkAtTheFirstCapture) {
    for (bool success : {true, false}) {
        SCOPED_TRACE(success);
        TFMCheck d(nullptr, boxes);
        dialog.reset();
        d.setEngine(&engine);
        d.VerifyMode = false;
        d.ConnectEvents();
        whileShown([&] {
            engine.willReturn("LastTemplateAsText", std::string("CAP"));
            engine.fireCapture(success, {});
        });
        EXPECT_EQ(d.exec(), QDialog::Accepted);
        EXPECT_EQ(d.VerTemplate, "CAP");
        EXPECT_TRUE(engine.callsNamed({"MatchTemplateStrings"}).empty());
    }
}

TEST_F(CheckTest, MatchingWithoutAReferenceClosesWithCancel) {
    dialog->TriesLeft = 3;
    dialog->ConnectEvents();
    whileShown([&] {
        engine.willReturn("LastTemplateAsText", std::string("V"));
        engine.fireCapture(true, {});
    });
    EXPECT_EQ(dialog->exec(), QDialog::Rejected);
    EXPECT_EQ(dialog->VerTemplate, "V");
    EXPECT_TRUE(engine.callsNamed({"MatchTemplateStrings"}).empty());
}

TEST_F(CheckTest, CloseTimerClosesWithCancel) {
    dialog->VerifyMode = false;
    dialog->ConnectEvents();
    dialog->TimerCloseWindow()->setInterval(5);
    dialog->TimerCloseWindow()->start();
    EXPECT_EQ(dialog->exec(), QDialog::Rejected);
    EXPECT_TRUE(dialog->VerTemplate.empty());
    EXPECT_FALSE(dialog->TimerCloseWindow()->isActive());
    EXPECT_FALSE(engine.OnCapture);
}

TEST_F(CheckTest, PoorPressAndImageHints) {
    matching(3);
    std::vector<std::string> hintsDuringPauses;
    delays.onDelay = [&](std::uint32_t) { hintsDuringPauses.push_back(hint()); };
    engine.fireImageReceived(true);
    EXPECT_EQ(engine.callsNamed({"DrawImage"}),
              (std::vector<std::string>{"DrawImage(10, 15, 130, 183)"}));
    EXPECT_EQ(dialog->ellipsePicture().pixelColor(5, 100), QColor(0x00, 0x66, 0xCC));
    engine.fireFeatureInfo(3);
    EXPECT_EQ(hint(), text(MsgKey::sSelectFingerToVerify));
    engine.fireFeatureInfo(0);
    EXPECT_EQ(hint(), text(MsgKey::sFeatureOk));
    EXPECT_EQ(hintsDuringPauses,
              (std::vector<std::string>{text(MsgKey::sImageReceivedOK),
                                        text(MsgKey::sVerFingerprintQualityIsPoor)}));
    EXPECT_EQ(delays.requests(), (std::vector<std::uint32_t>{1000, 2000}));
    EXPECT_EQ(sounds->requests(),
              (std::vector<Sound>{{"Acquired.wav", false}, {"WaitFor.wav", false}}));
}

TEST_F(CheckTest, DestroyingTheDialogDisconnectsIt) {
    dialog->ConnectEvents();
    EXPECT_TRUE(engine.OnCapture);
    EXPECT_FALSE(engine.OnEnroll);
    dialog.reset();
    EXPECT_FALSE(engine.OnCapture);
    EXPECT_FALSE(engine.OnImageReceived);
    EXPECT_FALSE(engine.OnFeatureInfo);
}

TEST_F(CheckTest, AnEngineErrorInAHandlerIsShownAndTheDialogStays) {
    matching(2);
    engine.willThrow("MatchTemplateStrings", "bad template");
    engine.willReturn("LastTemplateAsText", std::string("V"));
    engine.fireCapture(true, {});
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes()[0].text, "bad template");
    EXPECT_EQ(dialog->TriesLeft, 2);
}

}  // namespace
}  // namespace lumo::dialogs
