// The control's Register, Verify and GetVerTemplate members with their dialogs, driven while
// the dialogs run modally.
#include <gtest/gtest.h>

#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>

#include "control/core/FingerTemplateTables.h"
#include "control/dialogs/Check.h"
#include "control/dialogs/HandMap.h"
#include "control/dialogs/ImgFinger.h"
#include "control/dialogs/Register.h"
#include "control/dialogs/Sound.h"
#include "control/language/LangStr.h"
#include "platform/win/RecordingWavePlayer.h"
#include "platform/win/ScopedWavePlayer.h"
#include "tests/control/core/ControlFixture.h"
#include "tests/control/dialogs/DialogTestSupport.h"

namespace lumo::dialogs {
namespace {

using com::Bstr;

class EntryPointsTest : public test::ControlFixture {
protected:
    void SetUp() override {
        test::ensureDialogApplication();
        ControlFixture::SetUp();
        engine->enrollCount = 4;
        engine->active = true;
    }

    // Runs fn with the modal dialog of type D once it is shown; records whether one was.
    template <class D>
    void whenShown(std::function<void(D&)> fn) {
        QTimer::singleShot(0, [this, fn] {
            auto* d = qobject_cast<D*>(QApplication::activeModalWidget());
            shown = d != nullptr;
            if (d) fn(*d);
        });
    }
    void enroll(TFMRegister& d, int finger, const std::string& templateText) {
        d.ImgFinger()->setCurFinger(finger);
        d.ImgFinger()->setCurColor(QColor(255, 255, 255));
        d.ImgFingerClick();
        engine->willReturn("LastTemplateAsText", templateText);
        engine->willReturn("TemplateToText", "v-" + templateText);
        engine->fireEnroll(true, {});
    }
    void capture(const std::string& templateText) {
        engine->willReturn("LastTemplateAsText", templateText);
        engine->fireCapture(true, {});
    }
    bool call(HRESULT (ILumoMain::*member)(VARIANT_BOOL*)) {
        VARIANT_BOOL result = VARIANT_TRUE;
        EXPECT_EQ((lumo()->*member)(&result), S_OK);
        return result != VARIANT_FALSE;
    }
    std::string get(HRESULT (ILumoMain::*getter)(BSTR*)) {
        BSTR b = nullptr;
        EXPECT_EQ((lumo()->*getter)(&b), S_OK);
        return text(b);
    }
    std::string fingerTemplate(HRESULT (ILumoMain::*getter)(LONG, BSTR*), LONG finger) {
        BSTR b = nullptr;
        EXPECT_EQ((lumo()->*getter)(finger, &b), S_OK);
        return text(b);
    }
    LONG fingerIndex() {
        LONG v = -1;
        EXPECT_EQ(lumo()->get_FingerIndex(&v), S_OK);
        return v;
    }

    bool shown = false;
    test::SoundFolder folder;
    std::shared_ptr<win::RecordingWavePlayer> sounds = std::make_shared<win::RecordingWavePlayer>();
    win::ScopedWavePlayer soundScope{sounds};
    ScopedDelay delays;
};

TEST_F(EntryPointsTest, RegisterTwoFingersAndReadTheResultsBack) {
    lumo()->put_CheckFinger(Bstr("01").get());  // short: filled up with '0'
    whenShown<TFMRegister>([&](TFMRegister& d) {
        EXPECT_EQ(d.FingerFlags, "0100000000");
        EXPECT_EQ(engine->isRegister, true);
        enroll(d, 5, "T5");
        enroll(d, 7, "T7");
        QTest::mouseClick(d.BitBtnOK(), Qt::LeftButton);
    });
    EXPECT_TRUE(call(&ILumoMain::Register));
    EXPECT_TRUE(shown);
    EXPECT_EQ(get(&ILumoMain::get_CheckFinger), "0100101000");
    EXPECT_EQ(get(&ILumoMain::get_RegisterTemplate), "T7");
    EXPECT_EQ(fingerIndex(), 7);
    for (LONG n = 0; n <= 11; ++n) {
        SCOPED_TRACE(n);
        const std::string reg = n == 5 ? "T5" : n == 7 ? "T7" : "";
        EXPECT_EQ(fingerTemplate(&ILumoMain::GetRegFingerTemplate, n), reg);
        EXPECT_EQ(fingerTemplate(&ILumoMain::GetVerFingerTemplate, n),
                  reg.empty() ? "" : "v-" + reg);
    }
    // The next Register empties the tables even when cancelled at once.
    whenShown<TFMRegister>([&](TFMRegister& d) { d.BitBtnCancelClick(); });
    EXPECT_FALSE(call(&ILumoMain::Register));
    EXPECT_EQ(fingerTemplate(&ILumoMain::GetRegFingerTemplate, 5), "");
    EXPECT_EQ(get(&ILumoMain::get_RegisterTemplate), "");
    EXPECT_EQ(get(&ILumoMain::get_CheckFinger), "0100101000");
}

TEST_F(EntryPointsTest, AutoRegisterEnrollsTheDefaultFingerAndReturnsByItself) {
    lumo()->put_DefaultRegFinger(3);
    lumo()->put_IsAutoRegister(VARIANT_TRUE);
    lumo()->put_CheckFinger(Bstr("0010000000").get());  // already enrolled: enrolled again
    whenShown<TFMRegister>([&](TFMRegister& d) {
        EXPECT_TRUE(d.BitBtnOK()->isHidden());
        EXPECT_TRUE(d.BitBtnCancel()->isHidden());
        EXPECT_EQ(d.FingerIndex, 3);
        EXPECT_EQ(engine->callsNamed({"StartEnrollment"}).size(), 1u);
        engine->willReturn("LastTemplateAsText", std::string("T3"));
        engine->fireEnroll(true, {});
    });
    EXPECT_TRUE(call(&ILumoMain::Register));
    EXPECT_TRUE(shown);
    EXPECT_EQ(get(&ILumoMain::get_RegisterTemplate), "T3");
    EXPECT_EQ(fingerIndex(), 3);
    EXPECT_EQ(get(&ILumoMain::get_CheckFinger), "0010000000");
}

TEST_F(EntryPointsTest, DefaultFingerWithoutAutoRegisterKeepsTheButtons) {
    lumo()->put_DefaultRegFinger(9);
    whenShown<TFMRegister>([&](TFMRegister& d) {
        EXPECT_FALSE(d.BitBtnOK()->isHidden());
        EXPECT_EQ(d.FingerIndex, 9);
        engine->willReturn("LastTemplateAsText", std::string("T9"));
        engine->fireEnroll(false, {});
        EXPECT_TRUE(d.isVisible());  // a result does not close it
        d.BitBtnCancelClick();
    });
    EXPECT_FALSE(call(&ILumoMain::Register));
}

TEST_F(EntryPointsTest, StartFailuresReturnFalseWithoutADialog) {
    const struct {
        const char* what;
        std::optional<int> code;
        const char* box;
    } cases[] = {{"no driver", 1, "Install fingerprint sensor driver"},
                 {"no sensor", 2, "Not connect with sensor!"},
                 {"start error", std::nullopt, "Failed in initializing sensor"}};
    for (auto member : {&ILumoMain::Register, &ILumoMain::GetVerTemplate}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(c.what);
            engine->active = false;
            if (c.code)
                engine->willReturn("StartEngine", *c.code);
            else
                engine->willThrow("StartEngine", "usb error");
            boxes->clear();
            EXPECT_FALSE(call(member));
            EXPECT_EQ(boxes->texts(), (std::vector<std::string>{c.box}));
            EXPECT_FALSE(engine->OnCapture || engine->OnEnroll);  // nothing left connected
        }
    }
}

TEST_F(EntryPointsTest, VerifyThreeTriesOfNonMatches) {
    lumo()->put_RegisterTemplate(Bstr("REG").get());
    lumo()->put_VerifyCount(3);
    engine->setAnswer("MatchTemplateStrings", false);
    whenShown<TFMCheck>([&](TFMCheck& d) {
        EXPECT_EQ(d.TriesLeft, 3);
        EXPECT_TRUE(d.VerifyMode);
        capture("V1");
        capture("V2");
        capture("V3");
    });
    EXPECT_FALSE(call(&ILumoMain::Verify));
    EXPECT_TRUE(shown);
    EXPECT_EQ(get(&ILumoMain::get_VerifyTemplate), "V3");
    EXPECT_EQ(engine->callsNamed({"MatchTemplateStrings"}).size(), 3u);
}

TEST_F(EntryPointsTest, VerifyMatchAndVerifyCountZero) {
    lumo()->put_RegisterTemplate(Bstr("REG").get());
    lumo()->put_VerifyCount(0);
    engine->setAnswer("MatchTemplateStrings", false);
    whenShown<TFMCheck>([&](TFMCheck& d) {
        for (int i = 0; i < 6; ++i) capture("V");
        EXPECT_TRUE(d.isVisible());  // never runs out of tries
        d.close();
    });
    EXPECT_FALSE(call(&ILumoMain::Verify));
    EXPECT_EQ(get(&ILumoMain::get_VerifyTemplate), "V");

    engine->setAnswer("MatchTemplateStrings", true);
    whenShown<TFMCheck>([&](TFMCheck&) { capture("GOOD"); });
    EXPECT_TRUE(call(&ILumoMain::Verify));
    EXPECT_EQ(get(&ILumoMain::get_VerifyTemplate), "GOOD");
}

TEST_F(EntryPointsTest, VerifyWithoutRegistrationTemplateShowsNothing) {
    EXPECT_FALSE(call(&ILumoMain::Verify));
    EXPECT_TRUE(boxes->boxes().empty());
}

TEST_F(EntryPointsTest, VerifyShowsTheDialogEvenAfterAStartFailure) {
    lumo()->put_RegisterTemplate(Bstr("REG").get());
    engine->active = false;
    engine->willReturn("StartEngine", 2);
    whenShown<TFMCheck>([&](TFMCheck& d) { d.close(); });
    EXPECT_FALSE(call(&ILumoMain::Verify));
    EXPECT_TRUE(shown);
    EXPECT_EQ(boxes->texts(), (std::vector<std::string>{"Not connect with sensor!"}));
}

TEST_F(EntryPointsTest, GetVerTemplateCapturesWithTitleAndCloseTimer) {
    lumo()->put_SetVerHint(Bstr("Identify a person").get());
    lumo()->put_DefaultWindowClose(7);
    whenShown<TFMCheck>([&](TFMCheck& d) {
        EXPECT_FALSE(d.VerifyMode);
        EXPECT_EQ(d.windowTitle(), QStringLiteral("Identify a person"));
        EXPECT_TRUE(d.TimerCloseWindow()->isActive());
        EXPECT_EQ(d.TimerCloseWindow()->interval(), 7000);
        capture("CAP");
    });
    EXPECT_TRUE(call(&ILumoMain::GetVerTemplate));
    EXPECT_EQ(get(&ILumoMain::get_VerifyTemplate), "CAP");
    EXPECT_TRUE(engine->callsNamed({"MatchTemplateStrings"}).empty());

    // Closed by its timer: Cancel, and no capture.
    whenShown<TFMCheck>([&](TFMCheck& d) { d.TimerCloseWindow()->setInterval(1); });
    EXPECT_FALSE(call(&ILumoMain::GetVerTemplate));
    EXPECT_EQ(get(&ILumoMain::get_VerifyTemplate), "");
}

TEST_F(EntryPointsTest, GetVerTemplateWithoutTimerOrTitle) {
    whenShown<TFMCheck>([&](TFMCheck& d) {
        EXPECT_FALSE(d.TimerCloseWindow()->isActive());
        EXPECT_EQ(d.windowTitle().toStdString(), language::langStr(language::MsgKey::sVerifyTitle));
        capture("CAP");
    });
    EXPECT_TRUE(call(&ILumoMain::GetVerTemplate));
}

}  // namespace
}  // namespace lumo::dialogs
