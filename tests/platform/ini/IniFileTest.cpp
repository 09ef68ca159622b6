#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>

#include "platform/ini/IniError.h"
#include "platform/ini/IniFile.h"

namespace fs = std::filesystem;
using lumo::ini::IniError;
using lumo::ini::IniFile;

namespace {

class IniFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "inifile-XXXXXX").string();
        m_dir = ::mkdtemp(pattern.data());
    }
    void TearDown() override { fs::remove_all(m_dir); }

    fs::path write(const std::string& bytes, const std::string& name = "English.ini") {
        fs::path p = m_dir / name;
        std::ofstream(p, std::ios::binary) << bytes;
        return p;
    }
    static std::string contents(const fs::path& p) {
        std::ifstream in(p, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }

    fs::path m_dir;
};

struct ReadCase {
    const char* name;
    const char* text;
    const char* section;
    const char* key;
    std::optional<std::string> expected;
};

}  // namespace

TEST_F(IniFileTest, ReadRules) {
    const ReadCase cases[] = {
        {"plain", "[LANGUAGE]\nLANG_10=Neu\n", "LANGUAGE", "LANG_10", "Neu"},
        {"blanks around key and value removed", "[LANGUAGE]\n  LANG_1 \t=  User  ID \t\n",
         "LANGUAGE", "LANG_1", "User  ID"},
        {"value starting with a second equals sign", "[LANGUAGE]\nLANG_29==Delete ?\n", "LANGUAGE",
         "LANG_29", "=Delete ?"},
        {"equals sign after blanks", "[LANGUAGE]\nLANG_29 = = x\n", "LANGUAGE", "LANG_29", "= x"},
        {"double quotes removed", "[S]\nk=\"a b\"\n", "S", "k", "a b"},
        {"single quotes removed", "[S]\nk='a b'\n", "S", "k", "a b"},
        {"blanks inside quotes kept", "[S]\nk=\"  a  \"\n", "S", "k", "  a  "},
        {"only one pair of quotes removed", "[S]\nk=\"\"a\"\"\n", "S", "k", "\"a\""},
        {"quotes removed after trimming", "[S]\nk=   'a'   \n", "S", "k", "a"},
        {"mismatched quotes kept", "[S]\nk=\"a'\n", "S", "k", "\"a'"},
        {"quote at one end kept", "[S]\nk=\"abc\n", "S", "k", "\"abc"},
        {"lone quote kept", "[S]\nk=\"\n", "S", "k", "\""},
        {"empty quotes give empty", "[S]\nk=\"\"\n", "S", "k", ""},
        {"inner quotes kept", "[S]\nk=a \"b\" c\n", "S", "k", "a \"b\" c"},
        {"empty value is empty, not the default", "[S]\nk=\n", "S", "k", ""},
        {"blank value is empty", "[S]\nk=   \n", "S", "k", ""},
        {"section case-insensitive", "[Language]\nk=v\n", "LANGUAGE", "k", "v"},
        {"key case-insensitive", "[S]\nlang_5=Tel\n", "S", "LANG_5", "Tel"},
        {"section name trimmed", "[ LANGUAGE ]\nk=v\n", "LANGUAGE", "k", "v"},
        {"text after the header ignored", "[LANGUAGE] ; texts\nk=v\n", "LANGUAGE", "k", "v"},
        {"first key wins", "[S]\nk=1\nK=2\n", "S", "k", "1"},
        {"first section wins", "[S]\nj=1\n[s]\nk=2\n", "S", "k", std::nullopt},
        {"line without equals sign ignored", "[S]\nk\nk=v\n", "S", "k", "v"},
        {"comment ignored", "[S]\n;k=1\nk=2\n", "S", "k", "2"},
        {"entry before any section ignored", "k=v\n[S]\n", "S", "k", std::nullopt},
        {"key of another section not seen", "[S]\n[T]\nk=v\n", "S", "k", std::nullopt},
        {"missing section", "[S]\nk=v\n", "T", "k", std::nullopt},
        {"missing key", "[S]\nk=v\n", "S", "j", std::nullopt},
        {"CR LF line breaks", "[S]\r\nk=v\r\nj=w\r\n", "S", "j", "w"},
        {"UTF-8 byte order mark", "\xEF\xBB\xBF[S]\nk=v\n", "S", "k", "v"},
        {"UTF-8 text kept", "[S]\nk=\xE4\xB8\xAD\xE6\x96\x87\n", "S", "k",
         "\xE4\xB8\xAD\xE6\x96\x87"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        IniFile ini(write(c.text));
        EXPECT_EQ(ini.value(c.section, c.key), c.expected);
        EXPECT_EQ(ini.readString(c.section, c.key, "default"), c.expected.value_or("default"));
    }
}

TEST_F(IniFileTest, MissingFileGivesDefaults) {
    IniFile ini(m_dir / "Deleted.ini");
    EXPECT_EQ(ini.readString("LANGUAGE", "LUMO", "Lumo.en"), "Lumo.en");
    EXPECT_FALSE(ini.hasSection("LANGUAGE"));
    EXPECT_TRUE(ini.sectionKeys("LANGUAGE").empty());
}

TEST_F(IniFileTest, EveryReadSeesTheFileAsItIsNow) {
    fs::path p = write("[S]\nk=1\n");
    IniFile ini(p);
    EXPECT_EQ(ini.readString("S", "k", ""), "1");
    write("[S]\nk=2\n");
    EXPECT_EQ(ini.readString("S", "k", ""), "2");
}

TEST_F(IniFileTest, SectionKeysInFileOrder) {
    IniFile ini(write("[S]\nb=1\nbad line\na=2\nB=3\n[T]\nc=1\n"));
    EXPECT_EQ(ini.sectionKeys("s"), (std::vector<std::string>{"b", "a"}));
    EXPECT_TRUE(ini.hasSection("t"));
}

TEST_F(IniFileTest, FolderThrows) {
    IniFile ini(m_dir);
    EXPECT_THROW(ini.readString("S", "k", "d"), IniError);
}

TEST_F(IniFileTest, WrittenValuesReadBackUnchanged) {
    const char* values[] = {"plain",
                            "",
                            "=Do you want to delete ?",
                            "  outer blanks  ",
                            "\"quoted\"",
                            "'single'",
                            "\"",
                            "a \"b\" c",
                            "tab\tinside",
                            "\xE4\xB8\xAD\xE6\x96\x87",
                            "x="};
    IniFile ini(m_dir / "new.ini");
    for (const char* v : values) {
        SCOPED_TRACE(std::string("value \"") + v + "\"");
        ini.writeString("LUMO", "Language", v);
        EXPECT_EQ(ini.value("lumo", "language"), std::string(v));
    }
}

TEST_F(IniFileTest, WriteReplacesInPlaceAndKeepsOtherLines) {
    fs::path p = write("; Kestrel\n[LANGUAGE]\nLANG_1 = User ID\nlang_2=Name\n\n[Other]\nx=1\n");
    IniFile ini(p);
    ini.writeString("language", "LANG_2", "Nom");
    EXPECT_EQ(contents(p), "; Kestrel\n[LANGUAGE]\nLANG_1 = User ID\nLANG_2=Nom\n\n[Other]\nx=1\n");
    ini.writeString("LANGUAGE", "LUMO", "lumo.fr");
    EXPECT_EQ(
        contents(p),
        "; Kestrel\n[LANGUAGE]\nLANG_1 = User ID\nLANG_2=Nom\nLUMO=lumo.fr\n\n[Other]\nx=1\n");
    ini.writeString("New", "k", "v");
    EXPECT_EQ(contents(p),
              "; Kestrel\n[LANGUAGE]\nLANG_1 = User ID\nLANG_2=Nom\nLUMO=lumo.fr\n\n[Other]\nx=1\n"
              "\n[New]\nk=v\n");
}

TEST_F(IniFileTest, WriteKeepsCrLfLineBreaks) {
    fs::path p = write("[S]\r\nk=1\r\n");
    IniFile(p).writeString("S", "j", "2");
    EXPECT_EQ(contents(p), "[S]\r\nk=1\r\nj=2\r\n");
}

TEST_F(IniFileTest, WriteCreatesTheFile) {
    fs::path p = m_dir / "created.ini";
    IniFile(p).writeString("LUMO", "Password", "0");
    EXPECT_EQ(contents(p), "[LUMO]\nPassword=0\n");
}

TEST_F(IniFileTest, UnstorableNamesAndValuesThrowAndChangeNothing) {
    const std::string before = "[S]\nk=1\n";
    fs::path p = write(before);
    IniFile ini(p);
    struct Case {
        const char* name;
        const char* section;
        const char* key;
        const char* value;
    };
    const Case cases[] = {
        {"line break in value", "S", "k", "a\nb"},
        {"carriage return in value", "S", "k", "a\rb"},
        {"equals sign in key", "S", "a=b", "v"},
        {"empty key", "S", "", "v"},
        {"key starting with a bracket", "S", "[k", "v"},
        {"key starting with a semicolon", "S", ";k", "v"},
        {"key with outer blanks", "S", " k", "v"},
        {"bracket in section", "S]", "k", "v"},
        {"line break in section", "S\nT", "k", "v"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_THROW(ini.writeString(c.section, c.key, c.value), IniError);
        EXPECT_EQ(contents(p), before);
    }
}

TEST_F(IniFileTest, WriteIntoMissingFolderThrows) {
    IniFile ini(m_dir / "no" / "such" / "x.ini");
    EXPECT_THROW(ini.writeString("S", "k", "v"), IniError);
}

TEST_F(IniFileTest, WriteLeavesNoTemporaryFiles) {
    fs::path p = write("[S]\nk=1\n");
    for (int i = 0; i < 5; ++i) IniFile(p).writeString("S", "k", std::to_string(i));
    int files = 0;
    for (const auto& e : fs::directory_iterator(m_dir)) {
        (void)e;
        ++files;
    }
    EXPECT_EQ(files, 1);
}

TEST_F(IniFileTest, DeleteKeyRemovesOnlyThatSectionsEntries) {
    fs::path p = write("[S]\nk=1\nj=2\nK=3\n[T]\nk=4\n");
    IniFile ini(p);
    ini.deleteKey("s", "K");
    EXPECT_EQ(contents(p), "[S]\nj=2\n[T]\nk=4\n");
    ini.deleteKey("S", "missing");
    ini.deleteKey("Missing", "k");
    IniFile(m_dir / "absent.ini").deleteKey("S", "k");
    EXPECT_EQ(contents(p), "[S]\nj=2\n[T]\nk=4\n");
    EXPECT_FALSE(fs::exists(m_dir / "absent.ini"));
}
