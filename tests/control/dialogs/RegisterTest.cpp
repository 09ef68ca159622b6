// The enrollment dialog driven by the scripted engine's events, offscreen.
#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>

#include "control/dialogs/HandMap.h"
#include "control/dialogs/LedLamp.h"
#include "control/dialogs/Register.h"
#include "tests/control/dialogs/DialogFixture.h"

namespace lumo::dialogs {
namespace {

using language::MsgKey;
using test::Sound;

const QColor kWhite(255, 255, 255), kYellow(255, 255, 0), kLime(0, 255, 0), kSilver(192, 192, 192);

class RegisterTest : public test::DialogFixture {
protected:
    RegisterTest() {
        // Entries left by an earlier dialog must be emptied by the next one's creation.
        control::fingerTemplateTables().registration[4] = "old";
        dialog = std::make_unique<TFMRegister>(nullptr, boxes);
        dialog->setEngine(&engine);
    }

    // The engine started and the events connected, as Register does before showing.
    void prepare() {
        engine.active = true;
        ASSERT_TRUE(dialog->PrepareEngine());
        dialog->ShowFingerFlags("0000000000");
        engine.isRegister = true;
        engine.clearCalls();
        sounds->clear();
    }

    QColor fingerColour(int finger) const {
        return dialog->ImgFinger()->Picture().pixelColor(HandMap::seed(finger));
    }
    void click(int finger) { clickFinger(dialog->ImgFinger(), HandMap::seed(finger)); }

    // One press of the running enrollment with EnrollIndex `index`, judged good or poor.
    void press(int index, int quality = 0) {
        engine.enrollIndex = index;
        engine.fireImageReceived(true);
        engine.fireFeatureInfo(quality);
    }
    // A whole good enrollment of a finger whose template will be `templateText`.
    void enroll(int finger, const std::string& templateText) {
        click(finger);
        for (int index = 4; index >= 1; --index) press(index);
        engine.willReturn("LastTemplateAsText", templateText);
        engine.willReturn("TemplateToText", "v-" + templateText);
        engine.fireEnroll(true, {});
    }

    enum class Led { Hidden, Off, On, Blinking };
    Led led(int n) const {
        LedLamp* l = dialog->Led(n);
        if (l->isHidden()) return Led::Hidden;
        if (l->isBlinking()) return Led::Blinking;
        return l->isLit() ? Led::On : Led::Off;
    }
    std::vector<Led> leds() const { return {led(1), led(2), led(3), led(4)}; }

    std::unique_ptr<TFMRegister> dialog;
};

TEST_F(RegisterTest, CreationSetsTextsAndHidesTheProgress) {
    EXPECT_EQ(dialog->windowTitle().toStdString(), text(MsgKey::sRegisterTitle));
    EXPECT_EQ(dialog->BitBtnOK()->text().toStdString(), text(MsgKey::sBtnOK));
    EXPECT_EQ(dialog->BitBtnCancel()->text().toStdString(), text(MsgKey::sBtnCancel));
    EXPECT_EQ(dialog->lblMsg()->text().toStdString(), text(MsgKey::sEnrollMessage));
    EXPECT_EQ(
        dialog->fcLblHint()->text(),
        QStringLiteral("Please place your finger on the Vantor scanner to start registration."));
    EXPECT_EQ(dialog->size(), QSize(617, 431));
    EXPECT_EQ(dialog->ImgFinger()->geometry(), QRect(50, 210, 257, 150));
    EXPECT_TRUE(dialog->ImgFinger()->Transparent());
    EXPECT_EQ(dialog->ImgEllipse()->geometry(), QRect(419, 168, 150, 208));
    EXPECT_EQ(dialog->BitBtnOK()->geometry(), QRect(413, 385, 80, 25));
    EXPECT_EQ(dialog->BitBtnCancel()->geometry(), QRect(496, 385, 80, 25));
    EXPECT_EQ(dialog->lblMsg()->pos(), QPoint(20, 166));
    for (int n = 1; n <= 4; ++n) EXPECT_EQ(dialog->Led(n)->pos(), QPoint(225 + 20 * n, 166));
    EXPECT_FALSE(dialog->BitBtnOK()->isEnabled());
    EXPECT_TRUE(dialog->ImgEllipse()->isHidden());
    EXPECT_TRUE(dialog->lblMsg()->isHidden());
    EXPECT_TRUE(dialog->lblCount()->isHidden());
    EXPECT_EQ(leds(), std::vector<Led>(4, Led::Hidden));
    EXPECT_EQ(dialog->FingerIndex, 0);
    EXPECT_TRUE(dialog->TemplateText.empty());
    EXPECT_EQ(control::fingerTemplateTables().registration[4], "");
    EXPECT_EQ(dialog->framePicture().size(), QSize(150, 208));
}

TEST_F(RegisterTest, PrepareEngineByStartCode) {
    const struct {
        const char* what;
        bool active;
        std::optional<int> code;  // none: StartEngine throws
        bool result;
        std::optional<MsgKey> box;
        bool pictureEnabled;
        bool stopped;
    } cases[] = {
        {"already started", true, 0, true, std::nullopt, true, false},
        {"started now", false, 0, true, std::nullopt, true, false},
        {"no driver", false, 1, false, MsgKey::sNotInstallDriver, false, true},
        {"no sensor", false, 2, false, MsgKey::sNotConnectSensor, false, true},
        {"other code", false, 7, true, std::nullopt, false, true},
        {"start error", false, std::nullopt, false, MsgKey::sInitializationFailed, true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        test::ScriptedEngine e;
        test::RecordingPresenter b;
        TFMRegister d(nullptr, b);
        d.setEngine(&e);
        e.active = c.active;
        if (c.code)
            e.willReturn("StartEngine", *c.code);
        else
            e.willThrow("StartEngine", "driver crashed");
        const QString before = d.fcLblHint()->text();
        EXPECT_EQ(d.PrepareEngine(), c.result);
        EXPECT_EQ(e.callsNamed({"StartEngine"}).size(), c.active ? 0u : 1u);
        EXPECT_EQ(e.callsNamed({"StopEngine"}).size(), c.stopped ? 1u : 0u);
        EXPECT_EQ(d.ImgFinger()->isEnabled(), c.pictureEnabled);
        if (c.box) {
            ASSERT_EQ(b.boxes().size(), 1u);
            EXPECT_EQ(b.boxes()[0].text, text(*c.box));
            EXPECT_EQ(b.boxes()[0].icon, control::MessageIcon::Error);
            EXPECT_EQ(d.fcLblHint()->text().toStdString(), text(*c.box));
        } else {
            EXPECT_TRUE(b.boxes().empty());
            if (c.code == 0)
                EXPECT_EQ(d.fcLblHint()->text().toStdString(),
                          text(MsgKey::sSelectFingerToRegister));
            else
                EXPECT_EQ(d.fcLblHint()->text(), before);
        }
        // The events are connected in every case, after a CancelEnrollment.
        EXPECT_EQ(e.callsNamed({"CancelEnrollment"}).size(), 1u);
        EXPECT_TRUE(e.OnEnroll && e.OnFeatureInfo && e.OnImageReceived);
        EXPECT_FALSE(e.OnCapture);
    }
}

TEST_F(RegisterTest, DestroyingTheDialogDisconnectsIt) {
    engine.willReturn("StartEngine", 2);
    EXPECT_FALSE(dialog->PrepareEngine());
    dialog.reset();
    EXPECT_FALSE(engine.OnEnroll);
    EXPECT_FALSE(engine.OnFeatureInfo);
    EXPECT_FALSE(engine.OnImageReceived);
    engine.fireEnroll(true, {});  // nobody listens: no crash
}

TEST_F(RegisterTest, ShowFingerFlagsMarksEnrolledFingers) {
    dialog->ShowFingerFlags("0100001x1");
    for (int n = 1; n <= 10; ++n) {
        SCOPED_TRACE(n);
        EXPECT_EQ(fingerColour(n), (n == 2 || n == 7 || n == 9) ? kLime : kWhite);
    }
    EXPECT_EQ(dialog->FingerFlags, "0100001x1");
    dialog->ShowFingerFlags("0000000000111");
    EXPECT_EQ(fingerColour(2), kWhite);
    EXPECT_EQ(dialog->FingerFlags, "0000000000111");
}

TEST_F(RegisterTest, FourGoodPressesAndAPoorOne) {
    prepare();
    click(3);
    EXPECT_EQ(dialog->FingerIndex, 3);
    EXPECT_EQ(fingerColour(3), kYellow);
    EXPECT_EQ(dialog->fcLblHint()->text().toStdString(), text(MsgKey::sPressFinger));
    EXPECT_EQ(dialog->lblCount()->text(), QStringLiteral("4"));
    EXPECT_FALSE(dialog->lblCount()->isHidden());
    EXPECT_FALSE(dialog->lblMsg()->isHidden());
    EXPECT_FALSE(dialog->ImgEllipse()->isHidden());
    EXPECT_EQ(dialog->ellipsePicture(), dialog->framePicture());
    EXPECT_EQ(leds(), (std::vector<Led>{Led::Blinking, Led::Off, Led::Off, Led::Off}));
    EXPECT_EQ(engine.callsNamed({"StartEnrollment"}).size(), 1u);
    EXPECT_EQ(sounds->requests(), (std::vector<Sound>{{"WaitFor.wav", true}}));

    const struct {
        int index;
        int quality;
        const char* count;
        std::vector<Led> lights;
    } presses[] = {
        {4, 0, "3", {Led::On, Led::Blinking, Led::Off, Led::Off}},
        {3, 5, "3", {Led::On, Led::Blinking, Led::Off, Led::Off}},  // poor: nothing moves
        {3, 0, "2", {Led::On, Led::On, Led::Blinking, Led::Off}},
        {2, 0, "1", {Led::On, Led::On, Led::On, Led::Blinking}},
        {1, 0, "0", {Led::On, Led::On, Led::On, Led::On}},
    };
    for (const auto& p : presses) {
        SCOPED_TRACE(p.index * 10 + p.quality);
        sounds->clear();
        engine.enrollIndex = p.index;
        engine.clearCalls();
        engine.fireImageReceived(true);
        // The image is drawn into the frame on silver.
        EXPECT_EQ(engine.callsNamed({"DrawImage"}),
                  (std::vector<std::string>{"DrawImage(10, 15, 130, 183)"}));
        EXPECT_EQ(dialog->ellipsePicture().pixelColor(5, 100), kSilver);
        bool crossShown = false;
        delays.onDelay = [&](std::uint32_t) {
            crossShown = dialog->ellipsePicture().pixelColor(75, 95) == QColor(255, 0, 0);
            EXPECT_EQ(dialog->fcLblHint()->text().toStdString(),
                      text(MsgKey::sFingerprintQualityIsPoor));
        };
        const size_t delaysBefore = delays.requests().size();
        engine.fireFeatureInfo(p.quality);
        delays.onDelay = nullptr;
        EXPECT_EQ(dialog->lblCount()->text(), QString::fromLatin1(p.count));
        EXPECT_EQ(leds(), p.lights);
        EXPECT_EQ(crossShown, p.quality != 0);
        EXPECT_EQ(delays.requests().size() - delaysBefore, p.quality != 0 ? 1u : 0u);
        EXPECT_EQ(dialog->fcLblHint()->text().toStdString(),
                  text(p.quality ? MsgKey::sFingerprintQualityIsPoor : MsgKey::sPressFinger));
        // Afterwards the empty frame again.
        EXPECT_EQ(dialog->ellipsePicture(), dialog->framePicture());
        std::vector<Sound> expected{{"Acquired.wav", false}};
        if (p.index > 1) expected.push_back({"WaitFor.wav", false});
        EXPECT_EQ(sounds->requests(), expected);
    }
    EXPECT_EQ(delays.requests(), (std::vector<std::uint32_t>{2000}));
}

TEST_F(RegisterTest, CrossCorners) {
    dialog->DrawCross();
    const QImage& p = dialog->ellipsePicture();
    const QColor red(255, 0, 0);
    // Inside both bars near their ends, and the centre where they cross.
    for (QPoint inside :
         {QPoint(51, 43), QPoint(99, 43), QPoint(51, 148), QPoint(99, 148), QPoint(75, 95)}) {
        SCOPED_TRACE(inside.x() * 1000 + inside.y());
        EXPECT_EQ(p.pixelColor(inside), red);
    }
    // Outside: left and right of the crossing, above the bars.
    for (QPoint outside : {QPoint(40, 95), QPoint(110, 95), QPoint(75, 38), QPoint(75, 155)})
        EXPECT_NE(p.pixelColor(outside), red);
}

TEST_F(RegisterTest, FingerTwoThenSevenInOneShowing) {
    prepare();
    int result = -1;
    whileShown([&] {
        enroll(2, "T2");
        EXPECT_TRUE(dialog->BitBtnOK()->isEnabled());
        EXPECT_TRUE(dialog->BitBtnOK()->hasFocus() || !dialog->isActiveWindow());
        EXPECT_EQ(fingerColour(2), kLime);
        EXPECT_EQ(dialog->fcLblHint()->text().toStdString(), text(MsgKey::sRegisterSuccess));
        EXPECT_EQ(leds(), std::vector<Led>(4, Led::Hidden));
        EXPECT_TRUE(dialog->ImgEllipse()->isHidden());
        enroll(7, "T7");
        QTest::mouseClick(dialog->BitBtnOK(), Qt::LeftButton);
    });
    result = dialog->exec();
    EXPECT_EQ(result, QDialog::Accepted);
    EXPECT_EQ(dialog->FingerFlags, "0100001000");
    EXPECT_EQ(dialog->FingerIndex, 7);
    EXPECT_EQ(dialog->TemplateText, "T7");
    const auto& tables = control::fingerTemplateTables();
    for (int n = 1; n <= 10; ++n) {
        SCOPED_TRACE(n);
        EXPECT_EQ(tables.registration[size_t(n - 1)], n == 2 ? "T2" : n == 7 ? "T7" : "");
        EXPECT_EQ(tables.verification[size_t(n - 1)], n == 2 ? "v-T2" : n == 7 ? "v-T7" : "");
    }
    // Closing disconnected the dialog and freed the hand picture.
    EXPECT_FALSE(engine.OnEnroll);
    EXPECT_FALSE(engine.OnImageReceived);
    EXPECT_EQ(dialog->ImgFinger(), nullptr);
    // The cues of two enrollments: start, three waits after the first three presses, success.
    std::vector<Sound> one{{"WaitFor.wav", true}};
    for (int i = 0; i < 3; ++i)
        one.insert(one.end(), {{"Acquired.wav", false}, {"WaitFor.wav", false}});
    one.insert(one.end(), {{"Acquired.wav", false}, {"RegSuc.wav", false}});
    std::vector<Sound> both = one;
    both.insert(both.end(), one.begin(), one.end());
    EXPECT_EQ(sounds->requests(), both);
    EXPECT_EQ(delays.requests(), (std::vector<std::uint32_t>{500, 500}));
}

TEST_F(RegisterTest, FailedEnrollmentMarksTheFingerSilverAndCanBeRepeated) {
    prepare();
    click(4);
    press(4);
    engine.fireEnroll(false, {});
    EXPECT_EQ(fingerColour(4), kSilver);
    EXPECT_EQ(dialog->fcLblHint()->text().toStdString(), text(MsgKey::sRegisterFailed));
    EXPECT_EQ(sounds->fileNames().back(), "RegFail.wav");
    EXPECT_FALSE(dialog->BitBtnOK()->isEnabled());
    EXPECT_EQ(dialog->FingerFlags, "0000000000");
    EXPECT_TRUE(dialog->TemplateText.empty());
    // A silver finger starts a new enrollment.
    engine.clearCalls();
    click(4);
    EXPECT_EQ(fingerColour(4), kYellow);
    EXPECT_EQ(engine.callsNamed({"StartEnrollment"}).size(), 1u);
}

TEST_F(RegisterTest, ClickingAnEnrolledFingerOnlySelectsIt) {
    prepare();
    dialog->ShowFingerFlags("0010000000");
    engine.isRegister = false;
    click(3);
    EXPECT_EQ(dialog->FingerIndex, 3);
    EXPECT_TRUE(engine.callsNamed({"StartEnrollment", "CancelEnrollment"}).empty());
    EXPECT_TRUE(dialog->lblCount()->isHidden());
    EXPECT_TRUE(dialog->ImgEllipse()->isHidden());
    EXPECT_EQ(leds(), std::vector<Led>(4, Led::Hidden));
    EXPECT_TRUE(sounds->requests().empty());
    EXPECT_EQ(fingerColour(3), kLime);
}

TEST_F(RegisterTest, ClickingNothingCancelsTheRunningEnrollment) {
    prepare();
    click(6);
    press(4);
    engine.clearCalls();
    const struct {
        const char* what;
        QPoint point;
    } places[] = {{"palm", {58, 112}}, {"background", {3, 3}}};
    for (const auto& place : places) {
        SCOPED_TRACE(place.what);
        clickFinger(dialog->ImgFinger(), place.point);
        EXPECT_EQ(engine.callsNamed({"CancelEnrollment"}).size(), 1u);
        EXPECT_EQ(fingerColour(6), kWhite);
        EXPECT_EQ(dialog->FingerIndex, 6);
        EXPECT_TRUE(dialog->lblCount()->isHidden());
        EXPECT_TRUE(dialog->ImgEllipse()->isHidden());
        EXPECT_EQ(leds(), std::vector<Led>(4, Led::Hidden));
        engine.clearCalls();
        click(6);  // start again for the next place
        engine.clearCalls();
    }
}

TEST_F(RegisterTest, EventsOutsideEnrollmentModeAreIgnored) {
    prepare();
    click(1);
    engine.isRegister = false;
    engine.clearCalls();
    sounds->clear();
    press(4);
    EXPECT_TRUE(engine.callsNamed({"DrawImage"}).empty());
    EXPECT_EQ(dialog->lblCount()->text(), QStringLiteral("4"));
    EXPECT_TRUE(sounds->requests().empty());
}

TEST_F(RegisterTest, CancelBeforeAndAfterASuccess) {
    const struct {
        const char* what;
        bool enrolled;
        std::optional<control::MessageAnswer> answer;
        int result;
        const char* templateText;
    } cases[] = {
        {"before any success", false, std::nullopt, QDialog::Rejected, ""},
        {"after a success, Yes", true, control::MessageAnswer::Yes, QDialog::Accepted, "T5"},
        {"after a success, No", true, control::MessageAnswer::No, QDialog::Rejected, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        test::RecordingPresenter b;
        TFMRegister d(nullptr, b);
        d.setEngine(&engine);
        dialog.reset();  // the fixture's dialog must not stay connected
        engine.active = true;
        d.PrepareEngine();
        d.ShowFingerFlags("0000000000");
        engine.isRegister = true;
        if (c.answer) b.answerNext(*c.answer);
        whileShown([&] {
            if (c.enrolled) {
                clickFinger(d.ImgFinger(), HandMap::seed(5));
                engine.willReturn("LastTemplateAsText", std::string("T5"));
                engine.fireEnroll(true, {});
            }
            QTest::mouseClick(d.BitBtnCancel(), Qt::LeftButton);
        });
        EXPECT_EQ(d.exec(), c.result);
        EXPECT_EQ(b.boxes().size(), c.enrolled ? 1u : 0u);
        if (c.enrolled) {
            EXPECT_EQ(b.boxes()[0].text, text(MsgKey::sCancelFingerprintChanged));
            EXPECT_EQ(b.boxes()[0].buttons, control::MessageButtons::YesNo);
            EXPECT_EQ(b.boxes()[0].icon, control::MessageIcon::Warning);
            // Flags and tables keep the new finger either way.
            EXPECT_EQ(d.FingerFlags, "0000100000");
            EXPECT_EQ(control::fingerTemplateTables().registration[4], "T5");
        }
        EXPECT_EQ(d.TemplateText, c.templateText);
    }
}

TEST_F(RegisterTest, EscapeAsksLikeCancelAndTheCloseBoxDoesNot) {
    prepare();
    boxes.answerNext(control::MessageAnswer::No);
    whileShown([&] {
        click(2);
        engine.willReturn("LastTemplateAsText", std::string("T2"));
        engine.fireEnroll(true, {});
        QTest::keyClick(dialog.get(), Qt::Key_Escape);
    });
    EXPECT_EQ(dialog->exec(), QDialog::Rejected);
    EXPECT_EQ(boxes.boxes().size(), 1u);
    EXPECT_TRUE(dialog->TemplateText.empty());

    TFMRegister second(nullptr, boxes);
    dialog.reset();
    second.setEngine(&engine);
    second.PrepareEngine();
    second.ShowFingerFlags("0000000000");
    whileShown([&] {
        clickFinger(second.ImgFinger(), HandMap::seed(2));
        engine.willReturn("LastTemplateAsText", std::string("T2"));
        engine.fireEnroll(true, {});
        second.close();
    });
    EXPECT_EQ(second.exec(), QDialog::Rejected);
    EXPECT_EQ(boxes.boxes().size(), 1u);  // no new question
    EXPECT_EQ(second.TemplateText, "T2");
}

TEST_F(RegisterTest, AutoRegisterClosesAfterTheFirstResult) {
    for (bool success : {true, false}) {
        SCOPED_TRACE(success);
        test::RecordingPresenter b;
        TFMRegister d(nullptr, b);
        dialog.reset();
        d.setEngine(&engine);
        engine.active = true;
        d.PrepareEngine();
        d.ShowFingerFlags("0000000100");
        // What Register does for default finger 8 with auto register on.
        d.BitBtnOK()->hide();
        d.BitBtnCancel()->hide();
        d.ImgFinger()->setCurFinger(8);
        d.ImgFinger()->setCurColor(QColor(0x00, 0x66, 0xCC));
        engine.clearCalls();
        d.ImgFingerClick();
        EXPECT_EQ(engine.callsNamed({"StartEnrollment"}).size(), 1u);  // even though enrolled
        engine.isRegister = true;
        whileShown([&] {
            engine.willReturn("LastTemplateAsText", std::string("T8"));
            engine.fireEnroll(success, {});
        });
        EXPECT_EQ(d.exec(), QDialog::Rejected);
        EXPECT_EQ(d.TemplateText, success ? "T8" : "");
        EXPECT_EQ(d.FingerIndex, 8);
        EXPECT_TRUE(b.boxes().empty());
    }
}

TEST_F(RegisterTest, AnEngineErrorInAHandlerIsShownAndTheDialogStays) {
    prepare();
    click(1);
    engine.willThrow("LastTemplateAsText", "template store full");
    engine.fireEnroll(true, {});
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes()[0].text, "template store full");
    EXPECT_TRUE(dialog->TemplateText.empty());
}

TEST_F(RegisterTest, ShortFingerStatusIsFilledUpOnSuccess) {
    prepare();
    dialog->ShowFingerFlags("01");
    click(7);
    engine.willReturn("LastTemplateAsText", std::string("T7"));
    engine.fireEnroll(true, {});
    EXPECT_EQ(dialog->FingerFlags, "0100001");
}

TEST_F(RegisterTest, LightStagesOutsideTheTableChangeNothing) {
    dialog->SetLedStage(3);
    const auto before = leds();
    dialog->SetLedStage(6);
    dialog->SetLedStage(-1);
    EXPECT_EQ(leds(), before);
    dialog->SetLedStage(1);
    EXPECT_EQ(leds(), (std::vector<Led>{Led::Blinking, Led::Off, Led::Off, Led::Off}));
    dialog->SetLedStage(0);
    EXPECT_EQ(leds(), std::vector<Led>(4, Led::Hidden));
}

}  // namespace
}  // namespace lumo::dialogs
