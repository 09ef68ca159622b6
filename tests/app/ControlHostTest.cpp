// Kestrel with the real control library: created by its class identifier once regsvr has
// registered it, and refused with the COM layer's error when it is not registered.
#include <gtest/gtest.h>

#include <QFileInfo>
#include <QProcess>

#include "FormsFixture.h"
#include "app/Lumo_TLB.h"

using namespace lumo::app;

namespace {

const QString kLibrary = QStringLiteral(LUMO_BIN_DIR "/liblumo.so");
const QString kRegsvr = QStringLiteral(LUMO_BIN_DIR "/regsvr");

class ControlHostTest : public FormsFixture {
protected:
    void SetUp() override {
        FormsFixture::SetUp();
        if (!QFileInfo::exists(kLibrary) || !QFileInfo::exists(kRegsvr))
            GTEST_SKIP() << "liblumo.so or regsvr is not built";
    }
    void registerControl() {
        QProcess regsvr;
        regsvr.start(kRegsvr, {kLibrary});
        ASSERT_TRUE(regsvr.waitForFinished(60000));
        ASSERT_EQ(regsvr.exitCode(), 0) << regsvr.readAllStandardError().toStdString();
    }
};

TEST_F(ControlHostTest, UnregisteredControlIsAnError) {
    try {
        TLumoMain control;
        FAIL() << "created an unregistered control";
    } catch (const LumoHostError& e) {
        EXPECT_FALSE(std::string(e.what()).empty());
    }
}

TEST_F(ControlHostTest, RegisteredControlTakesVisibleAndLanguageFiles) {
    registerControl();
    TLumoMain control;
    control.setVisible(false);
    control.SetLanguageFile("lumo.chs");
    control.SetLanguageFile("Lumo.en");
    control.setIsAutoRegister(true);
    EXPECT_TRUE(control.RegisterTemplate().isEmpty());
}

TEST_F(ControlHostTest, KestrelRunsWithTheRealControl) {
    registerControl();
    scheduleLogin({"907531"});
    m_main = std::make_unique<TfrmMain>([] { return std::make_unique<TLumoMain>(); });
    m_main->show();
    QApplication::processEvents();
    EXPECT_FALSE(m_main->terminated());
    EXPECT_TRUE(m_messages.empty()) << (m_messages.empty() ? "" : m_messages[0].text.toStdString());
}

}  // namespace
