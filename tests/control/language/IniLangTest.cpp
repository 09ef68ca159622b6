#include <gtest/gtest.h>

#include <QWidget>
#include <map>
#include <string>

#include "LanguageTestSupport.h"
#include "control/language/FormRegistry.h"
#include "control/language/IniLang.h"
#include "platform/ini/MemIniFile.h"

namespace lumo::language {
namespace {

using test::LanguageTest;

class IniLangTest : public LanguageTest {};

TEST_F(IniLangTest, NothingIsCurrentBeforeALoad) {
    EXPECT_EQ(currentLanguageFile(), nullptr);
    EXPECT_EQ(fontOptions(), (FontOptions{"MS Sans Serif", 8, 1}));
}

TEST_F(IniLangTest, OnlyFontNameGivesDefaultSizeAndCharSet) {
    const auto path = file("lumo.test", "[LanguageOptions]\nFontName=Tahoma\n");
    ASSERT_TRUE(loadLanguageFile(path));
    EXPECT_EQ(fontOptions(), (FontOptions{"Tahoma", 8, 1}));
    ASSERT_NE(currentLanguageFile(), nullptr);
    EXPECT_EQ(currentLanguageFile()->fileName(), path);
}

TEST_F(IniLangTest, FontOptionNumbers) {
    struct Case {
        const char* size;
        const char* charSet;
        int expectedSize;
        int expectedCharSet;
    };
    const Case cases[] = {
        {"10", "134", 10, 134}, {"0xC", "0x86", 12, 134}, {"0XC", "0X88", 12, 136},
        {"$B", "$B2", 11, 178}, {"9", "0x186", 9, 134},  // only the low eight bits of the character
                                                         // set count
        {"9", "-1", 9, 255},    {"big", "none", 8, 1},   // not a number: the defaults
        {"", "", 8, 1},         {"0", "0", 8, 0},        // a size of 0 points is no size
        {"100000", "1", 8, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.size) + " / " + c.charSet);
        const auto path = file("lumo.opts", std::string("[languageoptions]\nfontsize=") + c.size +
                                                "\nFONTCHARSET=" + c.charSet + "\n");
        ASSERT_TRUE(loadLanguageFile(path));
        EXPECT_EQ(fontOptions().size, c.expectedSize);
        EXPECT_EQ(fontOptions().charSet, c.expectedCharSet);
        EXPECT_EQ(fontOptions().name, "MS Sans Serif");
    }
}

TEST_F(IniLangTest, FirstOccurrenceOfSectionAndKeyCounts) {
    const auto path = file("lumo.dup",
                           "[LanguageOptions]\nFontName=First\nFontName=Second\n"
                           "[LANGUAGEOPTIONS]\nFontSize=12\n");
    ASSERT_TRUE(loadLanguageFile(path));
    EXPECT_EQ(fontOptions(), (FontOptions{"First", 8, 1}));
}

TEST_F(IniLangTest, MissingFileChangesNothing) {
    const auto first = file("lumo.first", "[LanguageOptions]\nFontName=Tahoma\nFontSize=11\n");
    ASSERT_TRUE(loadLanguageFile(first));
    EXPECT_FALSE(loadLanguageFile(dir() / "lumo.missing"));
    EXPECT_FALSE(loadLanguageFile(dir()));  // a folder is no language file
    ASSERT_NE(currentLanguageFile(), nullptr);
    EXPECT_EQ(currentLanguageFile()->fileName(), first);
    EXPECT_EQ(fontOptions(), (FontOptions{"Tahoma", 11, 1}));
}

TEST_F(IniLangTest, BinaryFileLoadsWhatItCan) {
    std::string bytes = "[LanguageOptions]\nFontName=Tahoma\n";
    for (int i = 0; i < 4096; ++i) bytes += static_cast<char>((i * 7919) & 0xFF);
    const auto path = file("lumo.bin", bytes);
    QWidget form;
    form.setObjectName("FMBinary");
    registerForm(&form);
    EXPECT_NO_THROW(loadLanguageFile(path));
    unregisterForm(&form);
    ASSERT_NE(currentLanguageFile(), nullptr);
    EXPECT_EQ(fontOptions().name, "Tahoma");
}

TEST_F(IniLangTest, BadEscapeInAFormSectionFailsAfterTheFileBecameCurrent) {
    QWidget first;
    first.setObjectName("FMFirst");
    QWidget second;
    second.setObjectName("FMSecond");
    registerForm(&first);
    registerForm(&second);
    const auto path = file("lumo.bad",
                           "[LanguageOptions]\nFontName=Tahoma\n"
                           "[FMFirst]\nFMFirst.Caption=Done\n"
                           "[FMSecond]\nFMSecond.Caption=Bad \\400\n");
    EXPECT_FALSE(loadLanguageFile(path));
    unregisterForm(&first);
    unregisterForm(&second);
    ASSERT_NE(currentLanguageFile(), nullptr);
    EXPECT_EQ(currentLanguageFile()->fileName(), path);
    EXPECT_EQ(first.windowTitle(), "Done");
    EXPECT_EQ(second.windowTitle(), "");
}

// ---------------------------------------------------------------------------------------------
// Locale search

TEST(LocaleCandidates, OrderForAProgramWithAndWithoutExtension) {
    EXPECT_EQ(localeCandidates("/app/host.exe", "ENU"),
              (std::vector<std::filesystem::path>{"/app/host.ENU", "/app/vexmora.ENU",
                                                  "/app/host.EN", "/app/vexmora.EN"}));
    EXPECT_EQ(localeCandidates("/opt/lumo/bin/kestrel", "CHS"),
              (std::vector<std::filesystem::path>{
                  "/opt/lumo/bin/kestrel.CHS", "/opt/lumo/bin/vexmora.CHS",
                  "/opt/lumo/bin/kestrel.CH", "/opt/lumo/bin/vexmora.CH"}));
}

class LocaleSearchTest : public LanguageTest {
protected:
    LocaleEnvironment environment(const std::string& program = "host.exe") const {
        LocaleEnvironment env;
        env.hostProgram = dir() / program;
        env.abbreviation = [](std::uint32_t id) -> std::optional<std::string> {
            static const std::map<std::uint32_t, std::string> names{
                {1033, "ENU"}, {1028, "CHT"}, {2052, "CHS"}, {1034, "ESP"}};
            auto it = names.find(id);
            if (it == names.end()) return std::nullopt;
            return it->second;
        };
        return env;
    }
    std::string currentName() const {
        return currentLanguageFile() ? currentLanguageFile()->fileName().filename().string()
                                     : std::string("(none)");
    }
};

TEST_F(LocaleSearchTest, TakesTheFirstCandidateThatExists) {
    const char* names[] = {"host.ESP", "vexmora.ESP", "host.ES", "vexmora.ES"};
    for (const char* name : names)
        file(name, std::string("[LanguageOptions]\nFontName=") + name + "\n");
    for (const char* expected : names) {
        SCOPED_TRACE(expected);
        ASSERT_TRUE(loadLocaleLanguage(1034, environment()));
        EXPECT_EQ(currentName(), expected);
        EXPECT_EQ(fontOptions().name, expected);
        std::filesystem::remove(dir() / expected);
    }
    // None left for Spanish, none for US English either.
    resetLanguageState();
    EXPECT_FALSE(loadLocaleLanguage(1034, environment()));
    EXPECT_EQ(currentLanguageFile(), nullptr);
}

TEST_F(LocaleSearchTest, ProgramWithoutExtension) {
    file("kestrel.ESP", "");
    ASSERT_TRUE(loadLocaleLanguage(1034, environment("kestrel")));
    EXPECT_EQ(currentName(), "kestrel.ESP");
}

TEST_F(LocaleSearchTest, FallsBackToUsEnglish) {
    file("vexmora.EN", "[LanguageOptions]\nFontSize=10\n");
    ASSERT_TRUE(loadLocaleLanguage(1034, environment()));
    EXPECT_EQ(currentName(), "vexmora.EN");
    EXPECT_EQ(fontOptions(), (FontOptions{"MS Sans Serif", 10, 1}));
}

TEST_F(LocaleSearchTest, LocaleFontDefaultsApplyWithOrWithoutAFile) {
    const std::string song = "\xE5\xAE\x8B\xE4\xBD\x93";  // 宋体
    EXPECT_FALSE(loadLocaleLanguage(1028, environment()));
    // The English search ran last and set its own defaults.
    EXPECT_EQ(fontOptions(), (FontOptions{"MS Sans Serif", 8, 1}));

    file("host.CHT", "[LanguageOptions]\nFontSize=12\n");
    ASSERT_TRUE(loadLocaleLanguage(1028, environment()));
    EXPECT_EQ(fontOptions(), (FontOptions{"MingLiU", 12, 136}));

    file("host.CHS", "");
    ASSERT_TRUE(loadLocaleLanguage(2052, environment()));
    EXPECT_EQ(fontOptions(), (FontOptions{song, 9, 134}));

    EXPECT_EQ(localeFontDefaults(1033), (FontOptions{"MS Sans Serif", 8, 1}));
    EXPECT_EQ(localeFontDefaults(1034), (FontOptions{"MS Sans Serif", 8, 1}));
}

TEST_F(LocaleSearchTest, UnknownLocaleUsesEnglishFile) {
    file("host.ENU", "");
    ASSERT_TRUE(loadLocaleLanguage(9999, environment()));  // no abbreviation for 9999
    EXPECT_EQ(currentName(), "host.ENU");
}

TEST_F(LocaleSearchTest, FoundFileTranslatesOpenForms) {
    QWidget form;
    form.setObjectName("LumoMain");
    registerForm(&form);
    file("host.ENU", "[lumomain]\nLumoMain.Caption=Translated\n");
    EXPECT_TRUE(loadLocaleLanguage(1033, environment()));
    unregisterForm(&form);
    EXPECT_EQ(form.windowTitle(), "Translated");
}

TEST_F(LocaleSearchTest, ErrorEndsWithFalse) {
    QWidget form;
    form.setObjectName("LumoMain");
    registerForm(&form);
    file("host.ENU", "[LumoMain]\nLumoMain.Caption=\\777\n");
    EXPECT_FALSE(loadLocaleLanguage(1033, environment()));
    unregisterForm(&form);
}

// ---------------------------------------------------------------------------------------------
// Language kind and character set

TEST_F(IniLangTest, LanguageKindByNameEnding) {
    struct Case {
        const char* name;
        std::optional<LangKind> kind;
    };
    const Case cases[] = {
        {"lumo.chs", LangKind::Chs}, {"lumo.cht", LangKind::Cht}, {"lumo.en", LangKind::En},
        {"lumo.ben", LangKind::En},  {"lumo.spa", LangKind::Spa}, {"lumo.my", LangKind::My},
        {"lumo.arb", LangKind::Arb}, {"lumo.deu", std::nullopt},  {"lumo.ENU", std::nullopt},
        {"lumo.EN", std::nullopt},   {"lumo.CHS", std::nullopt},  {"lumo.SPA", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(loadLanguageFile(file(c.name, "")));
        EXPECT_EQ(languageKind(), c.kind);
    }
}

TEST_F(IniLangTest, LanguageKindWithoutCurrentFileIsEnglish) {
    EXPECT_EQ(languageKind(), LangKind::En);
}

TEST_F(IniLangTest, ApplyLanguageCharset) {
    struct Case {
        const char* name;
        int charSet;
        bool result;
    };
    const Case cases[] = {
        {"lumo.chs", 134, false}, {"lumo.en", 1, false}, {"lumo.cht", 136, false},
        {"lumo.spa", 0, true},    {"lumo.my", 1, false}, {"lumo.arb", 178, false},
        {"lumo.ENU", 77, false},  // kind none: the font stays as it was
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(loadLanguageFile(file(c.name, "")));
        QWidget dialog;
        QFont designed("DejaVu Sans", 10);
        dialog.setFont(designed);
        setFontCharSet(dialog, 77);
        EXPECT_EQ(applyLanguageCharset(dialog), c.result);
        EXPECT_EQ(fontCharSet(dialog), c.charSet);
        // Face and size stay as designed.
        EXPECT_EQ(dialog.font().families().value(0), "DejaVu Sans");
        EXPECT_EQ(dialog.font().pointSize(), 10);
    }
}

TEST(FontCharSet, CoveringFamilyFollowsTheFace) {
    test::ensureApplication();
    QWidget widget;
    QWidget child(&widget);
    widget.setFont(QFont("DejaVu Sans", 9));
    EXPECT_EQ(fontCharSet(widget), 1);
    setFontCharSet(widget, 134);
    EXPECT_EQ(widget.font().families(), (QStringList{"DejaVu Sans", "Noto Sans CJK SC"}));
    EXPECT_EQ(fontCharSet(child), 134);  // inherited with the font
    setFontCharSet(widget, 136);
    EXPECT_EQ(widget.font().families(), (QStringList{"DejaVu Sans", "Noto Sans CJK TC"}));
    setFontCharSet(widget, 0);
    EXPECT_EQ(widget.font().families(), (QStringList{"DejaVu Sans"}));
    EXPECT_FALSE(familyForCharSet(178).isEmpty());
}

}  // namespace
}  // namespace lumo::language

namespace lumo::language {
namespace {

TEST(ProcessLocaleEnvironment, HostProgramAndSystemTable) {
    const LocaleEnvironment environment = processLocaleEnvironment();
    EXPECT_EQ(environment.hostProgram.filename(), "test_control_language");
    ASSERT_TRUE(environment.abbreviation);
    EXPECT_EQ(environment.abbreviation(1033), "ENU");
    EXPECT_EQ(environment.abbreviation(2052), "CHS");
    EXPECT_EQ(environment.abbreviation(1028), "CHT");
}

}  // namespace
}  // namespace lumo::language
