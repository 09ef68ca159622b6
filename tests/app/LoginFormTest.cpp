#include <gtest/gtest.h>

#include <QProcess>
#include <QStandardPaths>

#include "FormsFixture.h"
#include "app/ChangePwd.h"
#include "app/KestrelProgram.h"
#include "app/PasswordDigest.h"

using namespace lumo::app;

namespace {

class LoginFormTest : public FormsFixture {};

TEST_F(LoginFormTest, DefaultPasswordWithBlanksOpensTheWindow) {
    for (const char* password : {"907531", "  907531  "}) {
        SCOPED_TRACE(password);
        m_messages.clear();
        TfrmMain& main = start({password});
        EXPECT_TRUE(m_loginShown);
        EXPECT_TRUE(main.frmLogin()->isLoginAccepted());
        EXPECT_EQ(main.frmLogin()->loginState().acceptedPassword(), "907531");
        EXPECT_TRUE(main.isVisible());
        EXPECT_EQ(main.windowTitle(), "Vantor Kestrel v2.0.0");
        EXPECT_EQ(main.frmLogin()->lblVersion->text(), "v2.0.0");
        EXPECT_TRUE(m_messages.empty());
        m_main.reset();
    }
}

TEST_F(LoginFormTest, WrongEmptyAndBlankPasswordsAreRefusedUntilTheRightOne) {
    TfrmMain& main = start({"123456", "", "     ", "907531"});
    const QString refusal = "Invalid password, please try again!";
    EXPECT_EQ(messageTexts(), QStringList({refusal, refusal, refusal}));
    for (const ShownMessage& m : m_messages) EXPECT_EQ(m.kind, Kind::Error);
    EXPECT_TRUE(main.frmLogin()->isLoginAccepted());
}

TEST_F(LoginFormTest, TheDialogCannotBeClosedWithoutAPasswordAndCancelEndsTheRun) {
    bool stayedOpen = false;
    whenModal([&](QWidget* modal) {
        auto* login = qobject_cast<TfrmLogin*>(modal);
        ASSERT_NE(login, nullptr);
        EXPECT_EQ(login->edtPassword->maxLength(), 10);
        EXPECT_EQ(login->edtPassword->echoMode(), QLineEdit::Password);
        login->close();
        login->reject();
        QTest::keyClick(login, Qt::Key_Escape);
        stayedOpen = login->isVisible();
        login->btnCancel->click();
    });
    auto main = std::make_unique<TfrmMain>(
        [this] { return std::make_unique<FakeLumoHost>(&m_controlLog); });
    EXPECT_TRUE(stayedOpen);
    EXPECT_TRUE(main->loginCancelled());
    EXPECT_FALSE(main->frmLogin()->isLoginAccepted());
}

TEST_F(LoginFormTest, ShowingTheLoginAppliesTheLanguageAndCreatesTheDialogsOnce) {
    TfrmMain& main = start();
    EXPECT_NE(main.frmLogin()->frmSetting(), nullptr);
    EXPECT_NE(main.frmLogin()->frmChangePwd(), nullptr);
    EXPECT_EQ(main.frmLogin()->btnOk->text(), "Login");
    EXPECT_EQ(main.frmLogin()->lblPassword->text(), "Password:");
    // The fallback English.ini was chosen and written back; the control got its file.
    EXPECT_EQ(TempRegistry::lumoValue("Language"), (m_db.folder() + "/English.ini").toStdString());
    EXPECT_TRUE(m_controlLog.contains("SetLanguageFile lumo.en"));
    // The control is hidden once the window shows.
    EXPECT_EQ(m_controlLog.last(), "Visible=0");
}

TEST_F(LoginFormTest, ChangePasswordChecksInOrderWithFocus) {
    TfrmMain& main = start();
    TfrmChangePwd* dialog = main.frmLogin()->frmChangePwd();
    const struct {
        const char* oldText;
        const char* newText;
        const char* retype;
        const char* message;
        QLineEdit* TfrmChangePwd::*focus;
    } cases[] = {
        {"", "a", "a", "Old Password cannot be blank!", &TfrmChangePwd::edtOldPwd},
        {"907531", " ", "a", "New Password cannot be blank!", &TfrmChangePwd::edtNewPwd},
        {"907531", "a", "", "Re-Type Password cannot be blank!", &TfrmChangePwd::edtRePwd},
        {"90753", "a", "b", "Invalid old password!", &TfrmChangePwd::edtOldPwd},
        {"907531", "a", "b", "New password not matched!", &TfrmChangePwd::edtNewPwd},
    };
    dialog->show();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        m_messages.clear();
        dialog->edtOldPwd->setText(c.oldText);
        dialog->edtNewPwd->setText(c.newText);
        dialog->edtRePwd->setText(c.retype);
        dialog->btnOKClick();
        ASSERT_EQ(m_messages.size(), 1u);
        EXPECT_EQ(m_messages[0].kind, Kind::Error);
        EXPECT_EQ(m_messages[0].text, c.message);
        EXPECT_EQ(dialog->focusWidget(), dialog->*c.focus);
        EXPECT_TRUE(dialog->isVisible());
    }
    for (QLineEdit* box : {dialog->edtOldPwd, dialog->edtNewPwd, dialog->edtRePwd})
        EXPECT_EQ(box->maxLength(), 10);
    EXPECT_FALSE(TempRegistry::lumoValue("Password").has_value());
}

TEST_F(LoginFormTest, ChangedPasswordSurvivesARestartTwoChangesInOneRun) {
    {
        TfrmMain& main = start();
        TfrmChangePwd* dialog = main.frmLogin()->frmChangePwd();
        whenModal([&](QWidget* modal) {
            EXPECT_EQ(modal, dialog);
            dialog->edtOldPwd->setText("907531");
            dialog->edtNewPwd->setText("first");
            dialog->edtRePwd->setText("first");
            dialog->btnOK->click();
        });
        main.tbtnPassword1->trigger();
        EXPECT_EQ(messageTexts(), QStringList({"Your changes have been saved."}));
        EXPECT_EQ(m_messages[0].kind, Kind::Information);
        EXPECT_FALSE(dialog->isVisible());
        // The second change asks for the first new password; the boxes kept their text.
        EXPECT_EQ(dialog->edtOldPwd->text(), "907531");
        dialog->show();
        dialog->btnOKClick();
        EXPECT_EQ(m_messages.back().text, "Invalid old password!");
        dialog->edtOldPwd->setText("first");
        dialog->edtNewPwd->setText("second");
        dialog->edtRePwd->setText("second");
        dialog->btnOKClick();
        EXPECT_EQ(m_messages.back().text, "Your changes have been saved.");
        EXPECT_EQ(TempRegistry::lumoValue("Password"), passwordDigest("second").toStdString());
        m_main.reset();
    }
    m_messages.clear();
    TfrmMain& again = start({"907531", "first", "second"});
    EXPECT_EQ(messageTexts(), QStringList({"Invalid password, please try again!",
                                           "Invalid password, please try again!"}));
    EXPECT_TRUE(again.frmLogin()->isLoginAccepted());
}

TEST_F(LoginFormTest, CancelEndsTheProgramWithoutShowingTheWindow) {
    scheduleLogin({});
    EXPECT_EQ(runKestrel(*qApp, [this] { return std::make_unique<FakeLumoHost>(&m_controlLog); }),
              0);
    EXPECT_FALSE(m_controlLog.contains("Visible=0"));
}

TEST_F(LoginFormTest, AControlThatCannotBeCreatedEndsTheProgramWithItsError) {
    const int code = runKestrel(*qApp, []() -> std::unique_ptr<LumoHost> {
        throw LumoHostError("Class not registered: {E9A5302A-F08E-4929-9717-79CDC84F2490}");
    });
    EXPECT_EQ(code, 1);
    ASSERT_EQ(m_messages.size(), 1u);
    EXPECT_EQ(m_messages[0].kind, Kind::UnhandledError);
    EXPECT_TRUE(m_messages[0].text.startsWith("Class not registered"));
}

// The first copy is the real program; the second start is this process's start-up.
TEST_F(LoginFormTest, SecondStartRefusedWhileTheFirstRunsAndAllowedAfterItWasKilled) {
    QTemporaryDir runtime;
    const QByteArray oldRuntime = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", runtime.path().toUtf8());
    QProcess first;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    first.setProcessEnvironment(env);
    first.setWorkingDirectory(LUMO_BIN_DIR);
    first.start(LUMO_BIN_DIR "/kestrel", {});
    ASSERT_TRUE(first.waitForStarted(10000));
    // The first copy takes the lock as its very first step; probing earlier would take it
    // ourselves, so wait for its lock file and a moment more.
    const QString lockFile = runtime.filePath("Kestrel");
    for (int i = 0; i < 500 && !QFile::exists(lockFile); ++i) QTest::qWait(20);
    QTest::qWait(500);
    lumo::win::SingleInstanceLock probe(kInstanceLockName);
    const bool refused = refuseSecondCopy(probe);
    ASSERT_TRUE(refused);
    ASSERT_FALSE(m_messages.empty());
    EXPECT_EQ(m_messages.back().kind, Kind::PlainError);
    EXPECT_EQ(m_messages.back().text, "Vantor Kestrel is already running.");
    EXPECT_EQ(first.state(), QProcess::Running);  // left untouched

    first.kill();
    ASSERT_TRUE(first.waitForFinished(10000));
    m_messages.clear();
    lumo::win::SingleInstanceLock after(kInstanceLockName);
    EXPECT_FALSE(refuseSecondCopy(after));
    EXPECT_TRUE(m_messages.empty());
    qputenv("XDG_RUNTIME_DIR", oldRuntime);
}

}  // namespace
