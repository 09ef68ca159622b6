#include <gtest/gtest.h>

#include <random>

#include "RegistryTestSupport.h"
#include "platform/registry/Registry.h"

namespace fs = std::filesystem;
using namespace lumo::registry;
using namespace std::string_literals;

namespace {

class RegistryTest : public ::testing::Test {
protected:
    ScopedRegistryDir m_dir;
};

const Root HKLM = Root::LocalMachine;

}  // namespace

TEST_F(RegistryTest, FileFormat) {
    writeValue(HKLM, "SOFTWARE\\LUMO", "Password", "0");
    writeValue(HKLM, "SOFTWARE\\LUMO", "", "default");
    writeValue(HKLM, "SOFTWARE\\FPEngine", "Feed", "C:\\feed\nnext");
    EXPECT_EQ(m_dir.read("HKEY_LOCAL_MACHINE.ini"),
              "[SOFTWARE\\LUMO]\nPassword=0\n@=default\n\n"
              "[SOFTWARE\\FPEngine]\nFeed=C:\\\\feed\\nnext\n");
}

TEST_F(RegistryTest, NamesAndValuesRoundTrip) {
    struct Case {
        std::string name;
        std::string value;
    };
    const Case cases[] = {
        {"Plain", "value"},
        {"Empty", ""},
        {"Backslash", "C:\\Program Files\\Lumo\\"},
        {"Escape lookalike", "\\n is not a line break"},
        {"Line breaks", "one\ntwo\r\nthree\r"},
        {"Tab", "a\tb"},
        {"Outer blanks", "  padded  "},
        {"Equals", "=a=b="},
        {"Header lookalike", "[SOFTWARE\\X]"},
        {"Lone trailing backslash", "end\\"},
        {"UTF-8", "\xE5\xAE\x8B\xE4\xBD\x93"},
        {"NUL byte", "a\0b"s},
        {"with=equals", "1"},
        {"[bracket", "]"},
        {"[whole]", "2"},
        {";semicolon", "3"},
        {"#hash", "4"},
        {"@", "a value named @, not the default"},
        {" leading blank", "5"},
        {"trailing blank ", "6"},
        {"back\\slash", "7"},
        {"new\nline", "8"},
        {"\ttab first", "9"},
        {"", "the default value"},
    };
    for (const auto& c : cases) writeValue(HKLM, "SOFTWARE\\Test", c.name, c.value);
    for (const auto& c : cases) {
        SCOPED_TRACE("name \"" + c.name + "\"");
        EXPECT_EQ(readValue(HKLM, "SOFTWARE\\Test", c.name), c.value);
    }
    // Every line of the file is either a header or an entry: nothing leaked across lines.
    EXPECT_EQ(m_dir.read("HKEY_LOCAL_MACHINE.ini").find("\n\n"), std::string::npos);
}

TEST_F(RegistryTest, NamesCompareWithoutCaseAndKeepFirstSpelling) {
    writeValue(HKLM, "SOFTWARE\\LUMO", "Password", "0");
    EXPECT_EQ(readValue(HKLM, "software\\lumo", "PASSWORD"), "0");
    writeValue(HKLM, "Software\\Lumo", "password", "abc");
    EXPECT_EQ(readValue(HKLM, "SOFTWARE\\LUMO", "Password"), "abc");
    EXPECT_EQ(m_dir.read("HKEY_LOCAL_MACHINE.ini"), "[SOFTWARE\\LUMO]\nPassword=abc\n");
    writeValue(HKLM, "software\\lumo\\Sub", "x", "1");
    EXPECT_EQ(subKeys(HKLM, "SOFTWARE"), std::vector<std::string>{"LUMO"});
    EXPECT_EQ(subKeys(HKLM, "SOFTWARE\\LUMO"), std::vector<std::string>{"Sub"});
    EXPECT_TRUE(keyExists(HKLM, "SOFTWARE\\LUMO\\Sub"));
}

TEST_F(RegistryTest, KeyPathSeparatorsAtTheEndsAreIgnored) {
    writeValue(HKLM, "\\SOFTWARE\\LUMO\\", "Language", "/opt/English.ini");
    EXPECT_EQ(readValue(HKLM, "SOFTWARE\\LUMO", "Language"), "/opt/English.ini");
    EXPECT_EQ(readValue(HKLM, "SOFTWARE\\\\LUMO", "Language"), "/opt/English.ini");
}

TEST_F(RegistryTest, DefaultValueIsWrittenAsAt) {
    writeValue(HKLM, "CLSID\\{1}", "", "Lumo control");
    writeValue(HKLM, "CLSID\\{1}", "@", "named at");
    EXPECT_EQ(readValue(HKLM, "CLSID\\{1}", ""), "Lumo control");
    EXPECT_EQ(readValue(HKLM, "CLSID\\{1}", "@"), "named at");
    EXPECT_EQ(m_dir.read("HKEY_LOCAL_MACHINE.ini"), "[CLSID\\{1}]\n@=Lumo control\n\\@=named at\n");
    deleteValue(HKLM, "CLSID\\{1}", "");
    EXPECT_EQ(readValue(HKLM, "CLSID\\{1}", ""), std::nullopt);
    EXPECT_EQ(readValue(HKLM, "CLSID\\{1}", "@"), "named at");
}

TEST_F(RegistryTest, MissingThingsReadAsNothing) {
    EXPECT_FALSE(fs::exists(m_dir.path() / "HKEY_LOCAL_MACHINE.ini"));
    EXPECT_EQ(readValue(HKLM, "SOFTWARE\\LUMO", "Password"), std::nullopt);
    EXPECT_FALSE(keyExists(HKLM, "SOFTWARE"));
    EXPECT_TRUE(keyExists(HKLM, ""));
    EXPECT_TRUE(subKeys(HKLM, "SOFTWARE").empty());
    deleteValue(HKLM, "SOFTWARE\\LUMO", "Password");
    deleteKeyTree(HKLM, "SOFTWARE\\LUMO");
    EXPECT_FALSE(fs::exists(m_dir.path() / "HKEY_LOCAL_MACHINE.ini"));

    writeValue(HKLM, "SOFTWARE\\LUMO", "Password", "0");
    EXPECT_EQ(readValue(HKLM, "SOFTWARE\\LUMO", "Language"), std::nullopt);
    EXPECT_EQ(readValue(HKLM, "SOFTWARE", "Password"), std::nullopt);
    EXPECT_EQ(readValue(HKLM, "SOFTWARE\\LUMO\\Deeper", "Password"), std::nullopt);
}

TEST_F(RegistryTest, CreateKeyMakesKeyAndParentsAndNothingElse) {
    createKey(HKLM, "SOFTWARE");
    EXPECT_TRUE(keyExists(HKLM, "SOFTWARE"));
    EXPECT_TRUE(subKeys(HKLM, "SOFTWARE").empty());
    createKey(HKLM, "SOFTWARE\\LUMO\\Deep");
    EXPECT_TRUE(keyExists(HKLM, "software\\lumo"));
    EXPECT_EQ(readValue(HKLM, "SOFTWARE\\LUMO", "Password"), std::nullopt);
    const std::string before = m_dir.read("HKEY_LOCAL_MACHINE.ini");
    createKey(HKLM, "SOFTWARE\\LUMO");
    createKey(HKLM, "SOFTWARE\\LUMO\\Deep");
    EXPECT_EQ(m_dir.read("HKEY_LOCAL_MACHINE.ini"), before);
}

TEST_F(RegistryTest, DeleteKeyTreeRemovesTheKeyAndBelowOnly) {
    writeValue(HKLM, "A\\B", "v", "1");
    writeValue(HKLM, "A\\B\\C", "v", "2");
    writeValue(HKLM, "A\\B\\C\\D", "v", "3");
    writeValue(HKLM, "A\\B2", "v", "4");
    writeValue(HKLM, "AB", "v", "5");
    writeValue(HKLM, "A", "v", "6");
    deleteKeyTree(HKLM, "a\\b");
    EXPECT_FALSE(keyExists(HKLM, "A\\B"));
    EXPECT_FALSE(keyExists(HKLM, "A\\B\\C\\D"));
    EXPECT_EQ(readValue(HKLM, "A\\B\\C", "v"), std::nullopt);
    EXPECT_EQ(readValue(HKLM, "A\\B2", "v"), "4");
    EXPECT_EQ(readValue(HKLM, "AB", "v"), "5");
    EXPECT_EQ(readValue(HKLM, "A", "v"), "6");
    EXPECT_EQ(subKeys(HKLM, "A"), std::vector<std::string>{"B2"});
    EXPECT_THROW(deleteKeyTree(HKLM, ""), RegistryError);
    EXPECT_THROW(deleteKeyTree(HKLM, "\\"), RegistryError);
}

TEST_F(RegistryTest, SubKeysAreDirectChildrenInStoredOrder) {
    writeValue(HKLM, "CLSID\\{B}\\InprocServer32", "", "/lib/liblumo.so");
    writeValue(HKLM, "CLSID\\{A}\\ProgID", "", "Lumo.LumoMain");
    writeValue(HKLM, "CLSID\\{B}", "", "x");
    createKey(HKLM, "CLSID\\{C}");
    writeValue(HKLM, "CLSIDX\\{D}", "", "not a child");
    EXPECT_EQ(subKeys(HKLM, "CLSID"), (std::vector<std::string>{"{B}", "{A}", "{C}"}));
    EXPECT_EQ(subKeys(HKLM, "clsid\\{b}"), std::vector<std::string>{"InprocServer32"});
    EXPECT_EQ(subKeys(HKLM, ""), (std::vector<std::string>{"CLSID", "CLSIDX"}));
    EXPECT_TRUE(subKeys(HKLM, "CLSID\\{C}").empty());
}

TEST_F(RegistryTest, RootsAreSeparateFiles) {
    writeValue(Root::ClassesRoot, "Lumo.LumoMain\\CLSID", "", "{1}");
    writeValue(Root::CurrentUser, "Software", "x", "1");
    EXPECT_EQ(readValue(HKLM, "Lumo.LumoMain\\CLSID", ""), std::nullopt);
    EXPECT_EQ(readValue(Root::ClassesRoot, "Lumo.LumoMain\\CLSID", ""), "{1}");
    EXPECT_TRUE(fs::exists(m_dir.path() / "HKEY_CLASSES_ROOT.ini"));
    EXPECT_TRUE(fs::exists(m_dir.path() / "HKEY_CURRENT_USER.ini"));
    EXPECT_EQ(rootName(HKLM), "HKEY_LOCAL_MACHINE");
    EXPECT_EQ(rootName(Root::ClassesRoot), "HKEY_CLASSES_ROOT");
    EXPECT_EQ(rootName(Root::CurrentUser), "HKEY_CURRENT_USER");
}

TEST_F(RegistryTest, GarbageLinesAreSkipped) {
    m_dir.write("HKEY_LOCAL_MACHINE.ini",
                "orphan=before any key\r\n"
                "; comment=1\r\n"
                "# comment=2\r\n"
                "[SOFTWARE\\LUMO]\r\n"
                "Password=abc\r\n"
                "no equals sign here\r\n"
                "=no name\r\n"
                "password=second spelling loses\r\n"
                "[broken header\r\n"
                "Language=/x/English.ini\r\n"
                "[SOFTWARE\\Bad\x01Key]\r\n"
                "Hidden=under an unusable header\r\n"
                "   [ SOFTWARE\\LUMO ]   \r\n"
                "FPCardKey=000000\r\n"
                "\xff\xfe\x00\x01garbage\r\n"
                "[]\r\n"
                "RootValue=r\r\n"s);
    EXPECT_EQ(readValue(HKLM, "SOFTWARE\\LUMO", "Password"), "abc");
    EXPECT_EQ(readValue(HKLM, "SOFTWARE\\LUMO", "Language"), "/x/English.ini");
    EXPECT_EQ(readValue(HKLM, "SOFTWARE\\LUMO", "FPCardKey"), "000000");
    EXPECT_EQ(readValue(HKLM, "", "RootValue"), "r");
    EXPECT_EQ(readValue(HKLM, "SOFTWARE\\LUMO", "no equals sign here"), std::nullopt);
    // A write keeps every value that could be read and drops the garbage.
    writeValue(HKLM, "SOFTWARE\\LUMO", "New", "1");
    EXPECT_EQ(m_dir.read("HKEY_LOCAL_MACHINE.ini"),
              "[SOFTWARE\\LUMO]\nPassword=abc\nLanguage=/x/English.ini\nFPCardKey=000000\nNew=1\n"
              "\n[]\nRootValue=r\n");
}

TEST_F(RegistryTest, RandomBytesNeverCrash) {
    std::mt19937 rng(42);
    for (int round = 0; round < 20; ++round) {
        SCOPED_TRACE(round);
        std::string bytes(4096, '\0');
        const char alphabet[] = "[]=\\@;#\n\r\t ab";
        for (char& c : bytes)
            c = (rng() % 2) ? alphabet[rng() % (sizeof alphabet - 1)] : static_cast<char>(rng());
        m_dir.write("HKEY_LOCAL_MACHINE.ini", bytes);
        (void)readValue(HKLM, "a", "b");
        (void)subKeys(HKLM, "");
        writeValue(HKLM, "SOFTWARE\\LUMO", "Password", "kept");
        EXPECT_EQ(readValue(HKLM, "SOFTWARE\\LUMO", "Password"), "kept");
    }
}

TEST_F(RegistryTest, InvalidKeyPathsThrow) {
    EXPECT_THROW(writeValue(HKLM, "SOFTWARE\nLUMO", "x", "1"), RegistryError);
    EXPECT_THROW(createKey(HKLM, "A\\B\rC"), RegistryError);
    EXPECT_THROW(readValue(HKLM, "A\tB", "x"), RegistryError);
}

TEST_F(RegistryTest, UnwritableFolderThrows) {
    fs::path blocker = m_dir.path() / "file";
    std::ofstream(blocker) << "x";
    ::setenv("LUMO_REGISTRY", (blocker / "reg").c_str(), 1);
    EXPECT_THROW(writeValue(HKLM, "SOFTWARE", "x", "1"), RegistryError);
    EXPECT_EQ(readValue(HKLM, "SOFTWARE", "x"), std::nullopt);
}

TEST_F(RegistryTest, WritesLeaveNoTemporaryFiles) {
    for (int i = 0; i < 10; ++i) writeValue(HKLM, "K", "v", std::to_string(i));
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(m_dir.path()))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names,
              (std::vector<std::string>{"HKEY_LOCAL_MACHINE.ini", "HKEY_LOCAL_MACHINE.lock"}));
}

TEST(RegistryDir, EnvironmentDecidesTheFolder) {
    struct Saved {
        const char* name;
        std::optional<std::string> value;
    };
    Saved saved[] = {{"LUMO_REGISTRY", {}}, {"XDG_CONFIG_HOME", {}}, {"HOME", {}}};
    for (auto& s : saved)
        if (const char* v = ::getenv(s.name)) s.value = v;

    struct Case {
        const char* lumo;
        const char* xdg;
        const char* home;
        const char* expected;
    };
    const Case cases[] = {
        {"/reg", "/xdg", "/home/u", "/reg"},
        {nullptr, "/xdg", "/home/u", "/xdg/lumo-registry"},
        {"", "/xdg", "/home/u", "/xdg/lumo-registry"},
        {nullptr, nullptr, "/home/u", "/home/u/.config/lumo-registry"},
        {nullptr, "", "/home/u", "/home/u/.config/lumo-registry"},
    };
    auto set = [](const char* name, const char* value) {
        if (value)
            ::setenv(name, value, 1);
        else
            ::unsetenv(name);
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.expected);
        set("LUMO_REGISTRY", c.lumo);
        set("XDG_CONFIG_HOME", c.xdg);
        set("HOME", c.home);
        EXPECT_EQ(registryDir(), fs::path(c.expected));
    }
    for (auto& s : saved) set(s.name, s.value ? s.value->c_str() : nullptr);
}
