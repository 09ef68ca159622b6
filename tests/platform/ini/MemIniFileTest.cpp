#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <string>

#include "platform/ini/IniError.h"
#include "platform/ini/MemIniFile.h"

namespace fs = std::filesystem;
using lumo::ini::IniError;
using lumo::ini::MemIniFile;
using namespace std::string_literals;

namespace {

class TempDir {
public:
    TempDir() {
        std::string pattern = (fs::temp_directory_path() / "memini-XXXXXX").string();
        m_path = ::mkdtemp(pattern.data());
    }
    ~TempDir() { fs::remove_all(m_path); }
    fs::path file(const std::string& name, const std::string& bytes) const {
        fs::path p = m_path / name;
        std::ofstream(p, std::ios::binary) << bytes;
        return p;
    }
    const fs::path& path() const { return m_path; }

private:
    fs::path m_path;
};

struct LookupCase {
    const char* name;
    const char* text;
    const char* section;
    const char* key;
    std::optional<std::string> expected;
};

}  // namespace

TEST(MemIniFile, LookupRules) {
    const LookupCase cases[] = {
        {"plain entry", "[A]\nk=v\n", "A", "k", "v"},
        {"key and value trimmed", "[A]\n  k  =  v w  \n", "A", "k", "v w"},
        {"tabs and control characters trimmed", "[A]\n\tk\t=\tv\t\x01\n", "A", "k", "v"},
        {"split at the first equals sign", "[A]\nk==v=w\n", "A", "k", "=v=w"},
        {"empty value is present", "[A]\nk=\n", "A", "k", ""},
        {"blank value is present and empty", "[A]\nk=   \n", "A", "k", ""},
        {"section name trimmed", "[  A b  ]\nk=v\n", "A b", "k", "v"},
        {"indented header", "   [A]   \nk=v\n", "A", "k", "v"},
        {"section case-insensitive", "[LanguageOptions]\nk=v\n", "LANGUAGEOPTIONS", "k", "v"},
        {"key case-insensitive", "[A]\nFontName=Tahoma\n", "A", "fontNAME", "Tahoma"},
        {"comment line skipped", "[A]\n;k=v\n", "A", ";k", std::nullopt},
        {"indented comment skipped", "[A]\n   ; k=v\n", "A", "; k", std::nullopt},
        {"semicolon inside a value kept", "[A]\nk=v;w\n", "A", "k", "v;w"},
        {"entry before the first section", "k=v\n[A]\n", "A", "k", std::nullopt},
        {"line without equals sign", "[A]\nk\n", "A", "k", std::nullopt},
        {"first key wins", "[A]\nk=1\nK=2\n", "A", "k", "1"},
        {"first section wins", "[A]\nk=1\n[a]\nk=2\nj=3\n", "A", "k", "1"},
        {"repeated section adds nothing", "[A]\nk=1\n[a]\nj=3\n", "A", "j", std::nullopt},
        {"CR LF line breaks", "[A]\r\nk=v\r\nj=w\r\n", "A", "j", "w"},
        {"CR line breaks", "[A]\rk=v\rj=w", "A", "j", "w"},
        {"no final line break", "[A]\nk=v", "A", "k", "v"},
        {"UTF-8 byte order mark", "\xEF\xBB\xBF[A]\nk=v\n", "A", "k", "v"},
        {"UTF-8 text kept", "[A]\nk=\xE5\xAE\x8B\xE4\xBD\x93\n", "A", "k",
         "\xE5\xAE\x8B\xE4\xBD\x93"},
        {"missing section", "[A]\nk=v\n", "B", "k", std::nullopt},
        {"missing key", "[A]\nk=v\n", "A", "j", std::nullopt},
        {"key of the next section not seen", "[A]\n[B]\nk=v\n", "A", "k", std::nullopt},
        {"header needs both brackets", "[A]\n[B\nk=v\n", "A", "k", "v"},
        {"empty key is no entry", "[A]\n=v\n", "A", "", std::nullopt},
        {"dotted key", "[LumoMain]\nLumoMain.Image1.Hint=Logo\n", "lumomain",
         "LUMOMAIN.IMAGE1.HINT", "Logo"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        MemIniFile ini = MemIniFile::fromText(c.text);
        EXPECT_EQ(ini.value(c.section, c.key), c.expected);
        EXPECT_EQ(ini.hasKey(c.section, c.key), c.expected.has_value());
        EXPECT_EQ(ini.readString(c.section, c.key, "\r\n"), c.expected.value_or("\r\n"));
    }
}

TEST(MemIniFile, ReadIntegerRules) {
    struct Case {
        const char* value;
        std::int32_t expected;
    };
    const Case cases[] = {
        {"8", 8},
        {"  12  ", 12},
        {"0", 0},
        {"-5", -5},
        {"+7", 7},
        {"0x86", 134},
        {"0X86", 134},
        {"$B2", 178},
        {"$b2", 178},
        {"2147483647", 2147483647},
        {"-2147483648", -2147483647 - 1},
        {"$FFFFFFFF", -1},
        {"0x7FFFFFFF", 2147483647},
        {"-$10", -16},
        {"2147483648", -99},
        {"-2147483649", -99},
        {"$100000000", -99},
        {"", -99},
        {"abc", -99},
        {"12abc", -99},
        {"1 2", -99},
        {"0x", -99},
        {"$", -99},
        {"-", -99},
        {"0xG1", -99},
        {"1.5", -99},
        {"--1", -99},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string("value \"") + c.value + "\"");
        MemIniFile ini =
            MemIniFile::fromText(std::string("[LanguageOptions]\nFontSize=") + c.value + "\n");
        EXPECT_EQ(ini.readInteger("LanguageOptions", "FontSize", -99), c.expected);
    }
    MemIniFile empty;
    EXPECT_EQ(empty.readInteger("LanguageOptions", "FontSize", 8), 8);
}

TEST(MemIniFile, SectionAndKeyListsKeepFileOrderAndFirstSpelling) {
    MemIniFile ini =
        MemIniFile::fromText("junk=1\n[Zeta]\nb=1\na=2\nB=3\n[alpha]\nx=1\n[ZETA]\nc=4\n[Empty]\n");
    EXPECT_EQ(ini.sections(), (std::vector<std::string>{"Zeta", "alpha", "Empty"}));
    EXPECT_EQ(ini.sectionKeys("zeta"), (std::vector<std::string>{"b", "a"}));
    EXPECT_TRUE(ini.hasSection("EMPTY"));
    EXPECT_TRUE(ini.sectionKeys("Empty").empty());
    EXPECT_TRUE(ini.sectionKeys("missing").empty());
    EXPECT_FALSE(ini.hasSection("missing"));
}

TEST(MemIniFile, ReadsFileAndKeepsItsName) {
    TempDir dir;
    fs::path p = dir.file("lumo.en", "[LanguageOptions]\r\nFontName=Tahoma\r\n");
    MemIniFile ini(p);
    EXPECT_EQ(ini.fileName(), p);
    EXPECT_EQ(ini.readString("LanguageOptions", "FontName", ""), "Tahoma");
}

TEST(MemIniFile, MissingFileIsEmptyNotAnError) {
    TempDir dir;
    MemIniFile ini(dir.path() / "nothing.ENU");
    EXPECT_EQ(ini.fileName(), dir.path() / "nothing.ENU");
    EXPECT_TRUE(ini.sections().empty());
    EXPECT_EQ(ini.readString("A", "k", "d"), "d");
}

TEST(MemIniFile, BinaryFileDoesNotCrash) {
    TempDir dir;
    std::mt19937 rng(1234);
    std::string bytes(200000, '\0');
    for (char& c : bytes) c = static_cast<char>(rng());
    bytes += "\n[A]\nk=v\0w\n"s;
    MemIniFile ini(dir.file("noise.bin", bytes));
    EXPECT_EQ(ini.readString("A", "k", "d"), std::string("v\0w", 3));
}

TEST(MemIniFile, UnreadableInputsThrowIniError) {
    TempDir dir;
    EXPECT_THROW(MemIniFile{dir.path()}, IniError) << "a folder";
    fs::path big = dir.path() / "big.ini";
    {
        std::ofstream out(big, std::ios::binary);
        std::string chunk(1 << 20, 'x');
        for (int i = 0; i < 17; ++i) out << chunk;
    }
    EXPECT_THROW(MemIniFile{big}, IniError) << "larger than 16 MiB";
}

TEST(MemIniFile, Utf16FileWithByteOrderMarkIsConverted) {
    TempDir dir;
    // "[A]\nk=\u5B8B" in UTF-16LE and UTF-16BE.
    std::string le("\xFF\xFE[\0A\0]\0\n\0k\0=\0\x8B\x5B", 16);
    std::string be("\xFE\xFF\0[\0A\0]\0\n\0k\0=\x5B\x8B", 16);
    for (const auto& [name, bytes] : {std::pair{"le.ini", le}, std::pair{"be.ini", be}}) {
        SCOPED_TRACE(name);
        MemIniFile ini(dir.file(name, bytes));
        EXPECT_EQ(ini.readString("A", "k", "d"), "\xE5\xAE\x8B");
    }
}
