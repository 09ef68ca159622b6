// SetLanguageFile of the control object over the language code: names joined with the system
// directory, the shipped files, fallback and failures.
#include <gtest/gtest.h>

#include <QLabel>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "LanguageTestSupport.h"
#include "control/core/VIZErevorMainImpl.h"
#include "control/language/IniLang.h"
#include "control/language/LangStr.h"
#include "platform/com/Bstr.h"
#include "platform/com/ErrorInfo.h"
#include "platform/ini/MemIniFile.h"
#include "tests/support/control/RecordingPresenter.h"
#include "tests/support/engine/ScriptedEngine.h"

namespace lumo::language {
namespace {

namespace fs = std::filesystem;
using com::Bstr;

class ControlLanguageTest : public test::LanguageTest {
protected:
    void SetUp() override {
        LanguageTest::SetUp();
        setenv("LUMO_SYSTEM_DIR", dir().c_str(), 1);
    }
    void TearDown() override {
        m_control = nullptr;
        unsetenv("LUMO_SYSTEM_DIR");
        LanguageTest::TearDown();
    }

    control::TLumoMain& create() {
        m_control = com::makeObject<control::TLumoMain>(m_engine, m_boxes);
        return *m_control;
    }
    // SetLanguageFile's status; the loaded flag in *loaded.
    HRESULT setLanguageFile(const std::string& name, bool* loaded = nullptr) {
        VARIANT_BOOL value = VARIANT_TRUE;
        const HRESULT hr = m_control->SetLanguageFile(Bstr(name).get(), &value);
        if (loaded) *loaded = value == VARIANT_TRUE;
        return hr;
    }
    void installShippedFiles() {
        for (const char* name : {"lumo.en", "lumo.chs", "lumo.cht", "lumo.spa"})
            fs::copy_file(fs::path(LUMO_BIN_DIR) / name, dir() / name);
    }

    std::shared_ptr<lumo::test::ScriptedEngine> m_engine =
        std::make_shared<lumo::test::ScriptedEngine>();
    std::shared_ptr<lumo::test::RecordingPresenter> m_boxes =
        std::make_shared<lumo::test::RecordingPresenter>();
    com::ComPtr<control::TLumoMain> m_control;
};

TEST_F(ControlLanguageTest, ShippedEnglishFileAtCreation) {
    installShippedFiles();
    control::TLumoMain& control = create();
    EXPECT_TRUE(m_boxes->boxes().empty());
    ASSERT_NE(currentLanguageFile(), nullptr);
    EXPECT_EQ(currentLanguageFile()->fileName(), dir() / "lumo.en");
    for (MsgKey key : allMsgKeys()) EXPECT_EQ(langStr(key), msgDefault(key)) << msgKeyName(key);
    EXPECT_EQ(languageKind(), LangKind::En);
    EXPECT_EQ(control.form()->font().families().value(0), "DejaVu Sans");
    EXPECT_EQ(control.form()->font().pointSize(), 9);
}

TEST_F(ControlLanguageTest, SwitchingToAShippedTranslation) {
    installShippedFiles();
    control::TLumoMain& control = create();
    bool loaded = false;
    ASSERT_EQ(setLanguageFile("lumo.chs", &loaded), S_OK);
    EXPECT_TRUE(loaded);
    EXPECT_EQ(langStr(MsgKey::sBtnCancel), "\xE5\x8F\x96\xE6\xB6\x88");  // 取消
    EXPECT_EQ(fontCharSet(*control.form()), 134);
    EXPECT_EQ(control.form()->font().families(), (QStringList{"Noto Sans CJK SC"}));
    auto* logo = control.form()->findChild<QLabel*>("Image1");
    ASSERT_NE(logo, nullptr);
    EXPECT_EQ(logo->toolTip().toStdString(),
              "Vantor Lumo \xE6\x8C\x87\xE7\xBA\xB9\xE7\xAE\xA1\xE7\x90\x86\xE7\xB3\xBB\xE7\xBB\x9F"
              " (LUMO)");
    ASSERT_EQ(setLanguageFile("lumo.spa", &loaded), S_OK);
    EXPECT_TRUE(loaded);
    EXPECT_EQ(langStr(MsgKey::sBtnOK), "Aceptar");
    QWidget dialog;
    EXPECT_TRUE(applyLanguageCharset(dialog));
    EXPECT_EQ(fontCharSet(dialog), 0);
}

TEST_F(ControlLanguageTest, NamesAreJoinedWithTheSystemDirectoryAsText) {
    test::writeFile(dir() / "lang/lumo.spa", "[MSGResource]\nsBtnOK=Vale\n");
    create();
    bool loaded = false;
    ASSERT_EQ(setLanguageFile("lang/lumo.spa", &loaded), S_OK);
    EXPECT_TRUE(loaded);
    EXPECT_EQ(langStr(MsgKey::sBtnOK), "Vale");

    // A full path lands below the system directory, where no such file is.
    const std::string full = (dir() / "lang/lumo.spa").string();
    ASSERT_EQ(setLanguageFile(full, &loaded), S_OK);
    EXPECT_FALSE(loaded);
    EXPECT_EQ(langStr(MsgKey::sBtnOK), "Vale");
}

TEST_F(ControlLanguageTest, MissingNameAfterALoadKeepsItsMessages) {
    test::writeFile(dir() / "lumo.en", "[MSGResource]\nsBtnOK=Fine\n");
    create();
    bool loaded = true;
    ASSERT_EQ(setLanguageFile("lumo.none", &loaded), S_OK);
    EXPECT_FALSE(loaded);
    EXPECT_EQ(currentLanguageFile()->fileName(), dir() / "lumo.en");
    EXPECT_EQ(langStr(MsgKey::sBtnOK), "Fine");
    EXPECT_EQ(langStr(MsgKey::sBtnCancel), "Cancel");
}

TEST_F(ControlLanguageTest, RejectedEscapeFailsTheCallWithEarlierKeysReplaced) {
    test::writeFile(dir() / "lumo.en", "[MSGResource]\nsBtnOK=Old OK\nsModule=Old module\n");
    create();
    test::writeFile(dir() / "bad.spa",
                    "[MSGResource]\nsBtnOK=Nuevo\nsFPDataErr=\\400\nsModule=Nuevo\n");
    EXPECT_EQ(setLanguageFile("bad.spa"), E_UNEXPECTED);
    EXPECT_EQ(com::takeErrorDescription(), "Numeric constant too large.");
    EXPECT_EQ(langStr(MsgKey::sBtnOK), "Nuevo");
    EXPECT_EQ(langStr(MsgKey::sModule), "Old module");
    // The file was opened before the failure and stays current.
    EXPECT_EQ(languageKind(), LangKind::Spa);
}

TEST_F(ControlLanguageTest, BinaryLanguageFileDoesNoHarm) {
    std::string bytes;
    for (int i = 0; i < 65536; ++i) bytes += static_cast<char>((i * 2654435761u) >> 24);
    test::writeFile(dir() / "lumo.en", bytes);
    create();
    bool loaded = false;
    const HRESULT hr = setLanguageFile("lumo.en", &loaded);
    // Either loaded with whatever entries the bytes make, or failed with the escape error.
    if (hr == S_OK)
        EXPECT_TRUE(loaded);
    else
        EXPECT_EQ(com::takeErrorDescription(), "Numeric constant too large.");
}

}  // namespace
}  // namespace lumo::language
