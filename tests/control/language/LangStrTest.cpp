#include <gtest/gtest.h>

#include <QLabel>
#include <QWidget>
#include <set>
#include <string>

#include "LanguageTestSupport.h"
#include "control/language/FormRegistry.h"
#include "control/language/LangStr.h"
#include "control/language/LanguageError.h"
#include "platform/ini/MemIniFile.h"

namespace lumo::language {
namespace {

using test::LanguageTest;

class LangStrTest : public LanguageTest {
protected:
    void expectAllDefaults(std::set<MsgKey> except = {}) {
        for (MsgKey key : allMsgKeys()) {
            if (except.count(key)) continue;
            SCOPED_TRACE(std::string(msgKeyName(key)));
            EXPECT_EQ(langStr(key), msgDefault(key));
        }
    }
};

TEST(MessageTable, KeysAndDefaults) {
    EXPECT_EQ(allMsgKeys().size(), 28u);
    std::set<std::string_view> names;
    for (MsgKey key : allMsgKeys()) {
        names.insert(msgKeyName(key));
        EXPECT_EQ(msgKeyFromName(msgKeyName(key)), key);
    }
    EXPECT_EQ(names.size(), 28u);
    EXPECT_EQ(msgKeyName(MsgKey::sSelectFingerToRegister), "sSelectFingerToRegister");
    EXPECT_EQ(msgKeyName(MsgKey::sEnrollMessage), "sEnrollMessage");
    EXPECT_EQ(msgKeyFromName("SBTNOK"), MsgKey::sBtnOK);
    EXPECT_EQ(msgKeyFromName("sBtnOKay"), std::nullopt);

    EXPECT_EQ(msgDefault(MsgKey::sVerifyFailed), "Faileded in verifying fingerprint");
    EXPECT_EQ(msgDefault(MsgKey::sLogoPath), "C:\\\\");
    EXPECT_EQ(msgDefault(MsgKey::sLogoPath).size(), 4u);
    EXPECT_EQ(msgDefault(MsgKey::sRegisterTitle),
              "Vantor Lumo Fingerprint Management System (LUMO)");
    EXPECT_EQ(msgDefault(MsgKey::sVerifyTitle), msgDefault(MsgKey::sRegisterTitle));
    EXPECT_EQ(std::string(msgDefault(MsgKey::sProductName1)) + " " +
                  std::string(msgDefault(MsgKey::sProductName2)),
              "Lumo Fingerprint Management System (LUMO)");
}

TEST_F(LangStrTest, EmptyBeforeTheFirstLoad) {
    for (MsgKey key : allMsgKeys()) EXPECT_TRUE(langStr(key).empty()) << msgKeyName(key);
}

TEST_F(LangStrTest, NoLanguageFileAnywhereGivesDefaults) {
    EXPECT_FALSE(loadMessages(dir() / "lumo.en"));
    EXPECT_EQ(currentLanguageFile(), nullptr);
    expectAllDefaults();
}

TEST_F(LangStrTest, FileSettingOneKey) {
    const auto path = file("lumo.en", "[MSGResource]\nsBtnOK=Vale\n");
    EXPECT_TRUE(loadMessages(path));
    EXPECT_EQ(langStr(MsgKey::sBtnOK), "Vale");
    expectAllDefaults({MsgKey::sBtnOK});
    EXPECT_EQ(langStr(MsgKey::sLogoPath), "C:\\\\");
}

TEST_F(LangStrTest, FileWithoutMessageSectionGivesDefaults) {
    EXPECT_TRUE(loadMessages(file("lumo.en", "[LanguageOptions]\nFontName=Tahoma\n")));
    expectAllDefaults();
}

TEST_F(LangStrTest, KeysMatchWithoutLetterCaseAndFirstCounts) {
    EXPECT_TRUE(loadMessages(file("lumo.en",
                                  "[msgresource]\nSBTNCANCEL=First\nsBtnCancel=Second\n"
                                  "[MSGRESOURCE]\nsBtnOK=Unreachable\n")));
    EXPECT_EQ(langStr(MsgKey::sBtnCancel), "First");
    EXPECT_EQ(langStr(MsgKey::sBtnOK), "OK");
}

TEST_F(LangStrTest, EmptyValueGivesEmptyMessage) {
    EXPECT_TRUE(loadMessages(file("lumo.en", "[MSGResource]\nsModule=\n")));
    EXPECT_EQ(langStr(MsgKey::sModule), "");
}

TEST_F(LangStrTest, EscapesAreDecoded) {
    EXPECT_TRUE(loadMessages(
        file("lumo.en", "[MSGResource]\nsEnrollMessage=Press four\\ntimes\nsLogoPath=D:\\\\\n")));
    EXPECT_EQ(langStr(MsgKey::sEnrollMessage), "Press four\ntimes");
    EXPECT_EQ(langStr(MsgKey::sLogoPath), "D:\\");
}

TEST_F(LangStrTest, MissingFileAfterALoadKeepsTheEarlierFile) {
    const auto path = file("lumo.en", "[MSGResource]\nsBtnOK=Aceptar\nsBtnCancel=Cancelar\n");
    ASSERT_TRUE(loadMessages(path));
    EXPECT_FALSE(loadMessages(dir() / "lumo.none"));
    EXPECT_EQ(currentLanguageFile()->fileName(), path);
    EXPECT_EQ(langStr(MsgKey::sBtnOK), "Aceptar");
    EXPECT_EQ(langStr(MsgKey::sBtnCancel), "Cancelar");
    expectAllDefaults({MsgKey::sBtnOK, MsgKey::sBtnCancel});
}

TEST_F(LangStrTest, FileIsReadOnceWhenOpened) {
    const auto path = file("lumo.en", "[MSGResource]\nsBtnOK=One\n");
    ASSERT_TRUE(loadMessages(path));
    test::writeFile(path, "[MSGResource]\nsBtnOK=Two\n");
    EXPECT_FALSE(loadMessages(dir() / "lumo.none"));
    EXPECT_EQ(langStr(MsgKey::sBtnOK), "One");
    EXPECT_TRUE(loadMessages(path));
    EXPECT_EQ(langStr(MsgKey::sBtnOK), "Two");
}

TEST_F(LangStrTest, BadEscapeFailsWithEarlierKeysReplaced) {
    ASSERT_TRUE(loadMessages(file("lumo.en", "[MSGResource]\nsBtnOK=Old OK\nsModule=Old\n")));
    // sBtnCancel comes before sFPDataErr in the table, sModule after it.
    const auto bad = file("lumo.bad",
                          "[MSGResource]\nsBtnCancel=New cancel\nsFPDataErr=Bad \\400\n"
                          "sModule=New\n");
    try {
        loadMessages(bad);
        FAIL() << "no error";
    } catch (const LanguageError& error) {
        EXPECT_STREQ(error.what(), "Numeric constant too large.");
    }
    EXPECT_EQ(currentLanguageFile()->fileName(), bad);
    EXPECT_EQ(langStr(MsgKey::sBtnOK), "OK");  // replaced from the new file (its default)
    EXPECT_EQ(langStr(MsgKey::sBtnCancel), "New cancel");
    EXPECT_EQ(langStr(MsgKey::sFPDataErr), msgDefault(MsgKey::sFPDataErr));
    EXPECT_EQ(langStr(MsgKey::sModule), "Old");
}

TEST_F(LangStrTest, BadEscapeInAFormSectionIsNoMessageError) {
    QWidget form;
    form.setObjectName("LumoMain");
    registerForm(&form);
    const auto path =
        file("lumo.en", "[LumoMain]\nLumoMain.Caption=\\400\n[MSGResource]\nsBtnOK=Fine\n");
    bool result = true;
    EXPECT_NO_THROW(result = loadMessages(path));
    unregisterForm(&form);
    EXPECT_FALSE(result);
    EXPECT_EQ(langStr(MsgKey::sBtnOK), "Fine");
}

TEST_F(LangStrTest, NameWithAFolderPartIsLookedUpInThatSubfolder) {
    // The system directory and the name are joined as text.
    const std::string systemDirectory = dir().string() + "/";
    file("spanish/lumo.spa", "[MSGResource]\nsBtnCancel=Cancelar\n");
    EXPECT_TRUE(loadMessages(systemDirectory + "spanish/lumo.spa"));
    EXPECT_EQ(langStr(MsgKey::sBtnCancel), "Cancelar");
    EXPECT_EQ(languageKind(), LangKind::Spa);
}

TEST_F(LangStrTest, LoadTranslatesOpenForms) {
    QWidget form;
    form.setObjectName("LumoMain");
    auto* label = new QLabel("before", &form);
    label->setObjectName("lblHint");
    registerForm(&form);
    EXPECT_TRUE(loadMessages(file("lumo.en", "[LumoMain]\nLumoMain.lblHint.Caption=after\n")));
    unregisterForm(&form);
    EXPECT_EQ(label->text(), "after");
}

}  // namespace
}  // namespace lumo::language
