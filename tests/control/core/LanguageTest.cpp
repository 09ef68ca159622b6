// The control's own SetLanguageFile call at creation and its messages.
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "ControlFixture.h"
#include "control/core/ControlMessages.h"
#include "control/language/IniLang.h"
#include "control/language/LangStr.h"

namespace fs = std::filesystem;
using lumo::com::Bstr;
using lumo::com::ComPtr;
using lumo::control::TLumoMain;

namespace {

class LanguageTest : public ::testing::Test {
protected:
    void SetUp() override {
        lumo::test::ensureApplication();
        char pattern[] = "/tmp/lumo-sysdir-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        m_dir = pattern;
        setenv("LUMO_SYSTEM_DIR", m_dir.c_str(), 1);
        lumo::language::resetLanguageState();
        lumo::language::resetMessages();
    }

    void TearDown() override {
        unsetenv("LUMO_SYSTEM_DIR");
        lumo::language::resetLanguageState();
        lumo::language::resetMessages();
        fs::remove_all(m_dir);
    }

    void writeLanguageFile(const std::string& name, const std::string& text) {
        std::ofstream(m_dir / name) << text;
    }

    ComPtr<TLumoMain> create() { return lumo::com::makeObject<TLumoMain>(engine, boxes); }

    fs::path m_dir;
    std::shared_ptr<lumo::test::ScriptedEngine> engine =
        std::make_shared<lumo::test::ScriptedEngine>();
    std::shared_ptr<lumo::test::RecordingPresenter> boxes =
        std::make_shared<lumo::test::RecordingPresenter>();
};

}  // namespace

TEST_F(LanguageTest, CreationLoadsLumoEnFromTheSystemDirectory) {
    writeLanguageFile(
        "lumo.en",
        "[MSGResource]\nsNotConnectSensor=Kein Sensor!\n[LumoMain]\nLumoMain.Caption=LUMO DE\n");
    auto control = create();
    EXPECT_EQ(control->systemDirectory(), m_dir.string() + "/");
    EXPECT_EQ(lumo::control::controlMessage("sNotConnectSensor"), "Kein Sensor!");
    EXPECT_EQ(lumo::control::controlMessage("sNotInstallDriver"),
              "Install fingerprint sensor driver");
    BSTR caption = nullptr;
    ASSERT_EQ(control->get_Caption(&caption), S_OK);
    EXPECT_EQ(Bstr::attach(caption).toUtf8(), "LUMO DE");

    engine->setAnswer("StartEngine", 2);
    EXPECT_FALSE(control->EnsureEngine());
    EXPECT_EQ(boxes->texts(), (std::vector<std::string>{"Kein Sensor!"}));
}

TEST_F(LanguageTest, WithoutLanguageFilesEveryMessageIsItsDefault) {
    auto control = create();
    VARIANT_BOOL loaded = VARIANT_TRUE;
    ASSERT_EQ(control->SetLanguageFile(Bstr("lumo.xx").get(), &loaded), S_OK);
    EXPECT_EQ(loaded, VARIANT_FALSE);
    for (const char* key : {"sNotInstallDriver", "sNotConnectSensor", "sInitializationFailed",
                            "sFPDataErr", "sBtnOK"}) {
        SCOPED_TRACE(key);
        EXPECT_EQ(lumo::control::controlMessage(key), lumo::control::controlMessageDefault(key));
    }
    EXPECT_TRUE(boxes->boxes().empty());
}

TEST_F(LanguageTest, SetLanguageFileReportsARejectedEscapeAsAFailure) {
    auto control = create();
    writeLanguageFile("bad.lng", "[MSGResource]\nsBtnOK=\\777\n");
    VARIANT_BOOL loaded = VARIANT_TRUE;
    EXPECT_EQ(control->SetLanguageFile(Bstr("bad.lng").get(), &loaded), E_UNEXPECTED);
    EXPECT_EQ(lumo::com::takeErrorDescription(), "Numeric constant too large.");
}

TEST_F(LanguageTest, ABadLumoEnIsReportedAndCreationStillCompletes) {
    writeLanguageFile("lumo.en", "[MSGResource]\nsBtnOK=\\777\n");
    auto control = create();
    // Reported like an error of a form's creation handler ...
    EXPECT_EQ(boxes->texts(), (std::vector<std::string>{"Numeric constant too large."}));
    // ... and the later steps ran all the same.
    BSTR fingers = nullptr;
    ASSERT_EQ(control->get_CheckFinger(&fingers), S_OK);
    EXPECT_EQ(Bstr::attach(fingers).toUtf8(), "0000000000");
    lumo::engine::CardKey ff;
    ff.fill(0xFF);
    EXPECT_EQ(control->cardKey(), ff);
}
