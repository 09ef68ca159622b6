#include <gtest/gtest.h>
#include <stdlib.h>

#include <optional>
#include <string>

#include "platform/win/Locale.h"

using namespace lumo::win;

TEST(Locale, PosixNamesMapToLocaleIdentifiers) {
    struct Case {
        const char* posix;
        Lcid lcid;
        const char* abbreviation;
    };
    const Case cases[] = {
        {"en_US.UTF-8", 1033, "ENU"},
        {"en_GB.UTF-8", 2057, "ENG"},
        {"zh_TW.UTF-8", 1028, "CHT"},
        {"zh_TW.Big5", 1028, "CHT"},
        {"zh_HK.UTF-8", 3076, "ZHH"},
        {"zh_CN.GB2312", 2052, "CHS"},
        {"zh_SG", 4100, "ZHI"},
        {"es_ES@euro", 1034, "ESP"},
        {"es_ES.UTF-8@euro", 1034, "ESP"},
        {"es_MX", 2058, "ESM"},
        {"de_DE.UTF-8", 1031, "DEU"},
        {"de_AT", 3079, "DEA"},
        {"fr_FR", 1036, "FRA"},
        {"fr_CA", 3084, "FRC"},
        {"ja_JP.eucJP", 1041, "JPN"},
        {"ko_KR.UTF-8", 1042, "KOR"},
        {"ar_SA", 1025, "ARA"},
        {"ms_MY", 1086, "MSL"},
        {"pt_BR", 1046, "PTB"},
        {"pt_PT", 2070, "PTG"},
        {"ru_RU.KOI8-R", 1049, "RUS"},
        {"it_IT", 1040, "ITA"},
        {"nl_NL", 1043, "NLD"},
        {"zh-tw", 1028, "CHT"},
        {"EN_gb", 2057, "ENG"},
        // A known language with another or no territory: its main locale.
        {"de", 1031, "DEU"},
        {"de_BE", 1031, "DEU"},
        {"en_XX.UTF-8", 1033, "ENU"},
        {"zh", 2052, "CHS"},
        {"es_419", 1034, "ESP"},
        // Neutral and unknown names: US English.
        {"C", 1033, "ENU"},
        {"POSIX", 1033, "ENU"},
        {"C.UTF-8", 1033, "ENU"},
        {"", 1033, "ENU"},
        {"xx_YY", 1033, "ENU"},
        {"_US", 1033, "ENU"},
        {"e", 1033, "ENU"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string("\"") + c.posix + "\"");
        EXPECT_EQ(localeFromPosixName(c.posix), c.lcid);
        EXPECT_EQ(abbrevLangName(c.lcid), std::string(c.abbreviation));
    }
}

TEST(Locale, UnknownIdentifierHasNoAbbreviation) {
    EXPECT_EQ(abbrevLangName(0), std::nullopt);
    EXPECT_EQ(abbrevLangName(9999), std::nullopt);
    EXPECT_EQ(abbrevLangName(1024), std::nullopt);
}

TEST(Locale, SystemDefaultTakesTheFirstNonEmptyVariable) {
    const char* names[] = {"LC_ALL", "LC_MESSAGES", "LANG"};
    std::optional<std::string> saved[3];
    for (int i = 0; i < 3; ++i)
        if (const char* v = ::getenv(names[i])) saved[i] = v;

    struct Case {
        const char* lcAll;
        const char* lcMessages;
        const char* lang;
        Lcid expected;
    };
    const Case cases[] = {
        {"zh_TW.UTF-8", "de_DE", "fr_FR", 1028},
        {nullptr, "de_DE", "fr_FR", 1031},
        {"", "de_DE", "fr_FR", 1031},
        {"", "", "fr_FR", 1036},
        {nullptr, nullptr, "zh_CN.UTF-8", 2052},
        {nullptr, nullptr, nullptr, 1033},
        {"", "", "", 1033},
        {"C", "de_DE", "fr_FR", 1033},
    };
    auto set = [](const char* name, const char* value) {
        if (value)
            ::setenv(name, value, 1);
        else
            ::unsetenv(name);
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "expected " << c.expected);
        set("LC_ALL", c.lcAll);
        set("LC_MESSAGES", c.lcMessages);
        set("LANG", c.lang);
        EXPECT_EQ(systemDefaultLocale(), c.expected);
    }
    for (int i = 0; i < 3; ++i) set(names[i], saved[i] ? saved[i]->c_str() : nullptr);
}
