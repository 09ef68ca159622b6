#include <gtest/gtest.h>

#include <QString>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "LanguageTestSupport.h"
#include "control/language/IniLang.h"
#include "control/language/LangStr.h"
#include "platform/ini/MemIniFile.h"

namespace lumo::language {
namespace {

using test::LanguageTest;

const std::filesystem::path kSourceFolder =
    std::filesystem::path(LUMO_SOURCE_DIR) / "control/resources/languages";
const std::filesystem::path kInstalledFolder = LUMO_BIN_DIR;

struct ShippedFile {
    const char* name;
    LangKind kind;
    int charSet;
};
const ShippedFile kShipped[] = {
    {"lumo.en", LangKind::En, 1},
    {"lumo.chs", LangKind::Chs, 134},
    {"lumo.cht", LangKind::Cht, 136},
    {"lumo.spa", LangKind::Spa, 0},
};

std::string contents(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

bool isUtf8(const std::string& text) {
    const QByteArray bytes(text.data(), static_cast<qsizetype>(text.size()));
    return QString::fromUtf8(bytes).toUtf8() == bytes;
}

class LanguageFilesTest : public LanguageTest {};

TEST_F(LanguageFilesTest, EveryShippedFileIsComplete) {
    for (const ShippedFile& shipped : kShipped) {
        SCOPED_TRACE(shipped.name);
        const std::filesystem::path path = kInstalledFolder / shipped.name;
        ASSERT_TRUE(std::filesystem::exists(path));
        EXPECT_EQ(contents(path), contents(kSourceFolder / shipped.name));
        EXPECT_TRUE(isUtf8(contents(path)));

        const ini::MemIniFile file(path);
        for (MsgKey key : allMsgKeys())
            EXPECT_TRUE(file.hasKey("MSGResource", msgKeyName(key))) << msgKeyName(key);
        EXPECT_EQ(file.sectionKeys("MSGResource").size(), kMsgKeyCount);

        ASSERT_TRUE(loadMessages(path));
        EXPECT_EQ(languageKind(), shipped.kind);
        EXPECT_EQ(fontOptions().charSet, shipped.charSet);
        for (MsgKey key : allMsgKeys()) EXPECT_FALSE(langStr(key).empty()) << msgKeyName(key);
        EXPECT_EQ(langStr(MsgKey::sLogoPath), "C:\\\\");
    }
}

TEST_F(LanguageFilesTest, EnglishFileGivesTheDefaults) {
    ASSERT_TRUE(loadMessages(kInstalledFolder / "lumo.en"));
    for (MsgKey key : allMsgKeys()) EXPECT_EQ(langStr(key), msgDefault(key)) << msgKeyName(key);
}

TEST_F(LanguageFilesTest, TranslationsDiffer) {
    ASSERT_TRUE(loadMessages(kInstalledFolder / "lumo.spa"));
    EXPECT_EQ(langStr(MsgKey::sBtnOK), "Aceptar");
    ASSERT_TRUE(loadMessages(kInstalledFolder / "lumo.chs"));
    EXPECT_EQ(langStr(MsgKey::sBtnOK), "\xE7\xA1\xAE\xE5\xAE\x9A");  // 确定
    ASSERT_TRUE(loadMessages(kInstalledFolder / "lumo.cht"));
    EXPECT_EQ(langStr(MsgKey::sBtnOK), "\xE7\xA2\xBA\xE5\xAE\x9A");  // 確定
}

}  // namespace
}  // namespace lumo::language
