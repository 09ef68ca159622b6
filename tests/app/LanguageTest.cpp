#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "TempRegistry.h"
#include "app/BoxButtonTexts.h"
#include "app/CommonPF.h"
#include "app/Language.h"
#include "platform/ini/IniFile.h"

using namespace lumo::app;

namespace {

// Records which target received the table, and what it read from it.
struct RecordingTarget final : LanguageTarget {
    RecordingTarget(QStringList* log, QString name) : m_log(log), m_name(std::move(name)) {}
    void applyLanguage(const LanguageTable& table) override {
        m_log->append(m_name + ":" + table.text(10));
    }
    QStringList* m_log;
    QString m_name;
};

struct RecordingControl final : ControlLanguageSink {
    explicit RecordingControl(QStringList* log) : m_log(log) {}
    void SetLanguageFile(const QString& fileName) override { m_log->append("control:" + fileName); }
    QStringList* m_log;
};

QString shippedFile(const char* name) {
    return QStringLiteral(LUMO_SOURCE_DIR "/app/resources/") + QString::fromUtf8(name);
}

class LanguageTest : public ::testing::Test {
protected:
    void SetUp() override {
        languageTable().resetToDefaults();
        setProgramFolder(m_folder.path());
    }
    void TearDown() override {
        setProgramFolder(QString());
        languageTable().resetToDefaults();
    }

    QString writeFile(const QString& name, const QByteArray& content) {
        const QString path = m_folder.filePath(name);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(content);
        return path;
    }

    TempRegistry m_registry;
    QTemporaryDir m_folder;
    QStringList m_log;
    RecordingTarget m_login{&m_log, "login"};
    RecordingTarget m_main{&m_log, "main"};
    RecordingControl m_control{&m_log};
    LanguageTargets targets() { return {&m_login, &m_main}; }
};

TEST_F(LanguageTest, NewTableHoldsTheEnglishDefaults) {
    LanguageTable table;
    EXPECT_EQ(table.text(1), "User ID");
    EXPECT_EQ(table.text(29), "=Do you want to delete ?");
    EXPECT_EQ(table.text(65), "Please follow below steps to complete the enrollment process : ");
    EXPECT_EQ(table.text(86), "Empty MFCard Fail");
    EXPECT_EQ(table.text(56), "Empty MFCard Fail");  // shared with LANG_86, which is read later
    EXPECT_EQ(table.controlLanguageFile(), "Lumo.en");
    EXPECT_THROW(table.text(0), std::out_of_range);
    EXPECT_THROW(table.text(87), std::out_of_range);
}

TEST_F(LanguageTest, FileWithOnlyLang10GivesNeuAndEveryOtherDefault) {
    const QString path = writeFile("Deutsch.ini", "[LANGUAGE]\nLANG_10 = Neu\n");
    LanguageTable table;
    table.setText(11, "stale");
    table.setControlLanguageFile("stale.file");
    ASSERT_TRUE(table.load(path));
    EXPECT_EQ(table.text(10), "Neu");
    for (int n = 1; n <= LanguageTable::kCount; ++n) {
        if (n == 10) continue;
        SCOPED_TRACE(n);
        const int shared = n == 55 ? 85 : n == 56 ? 86 : n;
        EXPECT_EQ(table.text(n), LanguageTable::defaultText(shared));
    }
    EXPECT_EQ(table.controlLanguageFile(), "Lumo.en");
}

TEST_F(LanguageTest, ValueRules) {
    struct Case {
        const char* line;
        int key;
        QString expected;
    } cases[] = {
        {"LANG_29==Wirklich loeschen ?", 29, "=Wirklich loeschen ?"},  // only the first "=" splits
        {"LANG_29 = =x", 29, "=x"},
        {"LANG_1=", 1, ""},                             // present but empty
        {"LANG_2=\"  Name  \"", 2, "  Name  "},         // quotes keep blanks
        {"lang_3=Geburtstag", 3, "Geburtstag"},         // key case ignored
        {"LANG_4=住址", 4, QString::fromUtf8("住址")},  // UTF-8 text
        {"LANG_5", 5, "Tel"},                           // malformed: default
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        const QString path = writeFile("case.ini", QByteArray("[LANGUAGE]\n") + c.line + "\n");
        LanguageTable table;
        ASSERT_TRUE(table.load(path));
        EXPECT_EQ(table.text(c.key), c.expected);
    }
}

TEST_F(LanguageTest, Lang85WinsOverLang55) {
    const QString path = writeFile("x.ini",
                                   "[LANGUAGE]\nLANG_85=eighty-five\nLANG_55=fifty-five\n"
                                   "LANG_56=fifty-six\nLUMO=lumo.chs\n");
    LanguageTable table;
    ASSERT_TRUE(table.load(path));
    EXPECT_EQ(table.text(85), "eighty-five");
    EXPECT_EQ(table.text(55), "eighty-five");
    // LANG_86 is missing, so its default is read after LANG_56 and wins too.
    EXPECT_EQ(table.text(56), "Empty MFCard Fail");
    EXPECT_EQ(table.controlLanguageFile(), "lumo.chs");
}

TEST_F(LanguageTest, MissingFileOrFolderLeavesTheTableUnchanged) {
    LanguageTable table;
    table.setText(10, "kept");
    EXPECT_FALSE(table.load(m_folder.filePath("nothing.ini")));
    EXPECT_FALSE(table.load(m_folder.path()));
    EXPECT_FALSE(table.load(QString()));
    EXPECT_EQ(table.text(10), "kept");
}

TEST_F(LanguageTest, ApplyGoesOverTheFormsInOrderThenTheControl) {
    const QString path = writeFile("de.ini", "[LANGUAGE]\nLANG_10=Neu\nLUMO=lumo.de\n");
    ASSERT_TRUE(LoadLanguageTable(path));
    ApplyLanguage(path, targets(), &m_control);
    EXPECT_EQ(m_log, QStringList({"login:Neu", "main:Neu", "control:lumo.de"}));
}

TEST_F(LanguageTest, ApplyWithMissingFileDoesNothing) {
    ApplyLanguage(m_folder.filePath("gone.ini"), targets(), &m_control);
    EXPECT_TRUE(m_log.isEmpty());
}

TEST_F(LanguageTest, StartupUsesTheStoredFile) {
    const QString path = writeFile("Mine.ini", "[LANGUAGE]\nLANG_10=Mine\n");
    writeFile("English.ini", "[LANGUAGE]\nLANG_10=English\n");
    TempRegistry::setLumoValue("Language", path.toStdString());
    const DefaultLanguageChoice choice = ReadDefaultLanguage(targets(), &m_control);
    EXPECT_EQ(choice.path, path);
    EXPECT_TRUE(choice.loaded);
    EXPECT_EQ(m_log, QStringList({"login:Mine", "main:Mine", "control:Lumo.en"}));
    EXPECT_FALSE(SettingsKeyIsOpen());
}

TEST_F(LanguageTest, StartupWithDeletedOrMissingFileFallsBackToEnglishAndWritesItBack) {
    const QString english = writeFile("English.ini", "[LANGUAGE]\nLANG_10=English\n");
    for (const char* stored : {"deleted", "none", "folder"}) {
        SCOPED_TRACE(stored);
        m_log.clear();
        const QString gone = writeFile("Gone.ini", "[LANGUAGE]\nLANG_10=Gone\n");
        QFile::remove(gone);
        if (QByteArray(stored) == "deleted")
            TempRegistry::setLumoValue("Language", gone.toStdString());
        if (QByteArray(stored) == "none")
            lumo::registry::deleteValue(lumo::registry::Root::LocalMachine, "SOFTWARE\\LUMO",
                                        "Language");
        if (QByteArray(stored) == "folder")
            TempRegistry::setLumoValue("Language", m_folder.path().toStdString());
        const DefaultLanguageChoice choice = ReadDefaultLanguage(targets(), &m_control);
        EXPECT_EQ(choice.path, english);
        EXPECT_TRUE(choice.loaded);
        EXPECT_EQ(TempRegistry::lumoValue("Language"), english.toStdString());
        EXPECT_EQ(languageTable().text(10), "English");
        EXPECT_EQ(m_log.last(), "control:Lumo.en");
    }
}

TEST_F(LanguageTest, StartupWithoutAnyLanguageFileShowsEnglishDefaults) {
    languageTable().setText(10, "stale");
    const DefaultLanguageChoice choice = ReadDefaultLanguage(targets(), &m_control);
    EXPECT_FALSE(choice.loaded);
    EXPECT_EQ(choice.path, m_folder.filePath("English.ini"));
    EXPECT_EQ(TempRegistry::lumoValue("Language"), choice.path.toStdString());
    // The forms get the defaults; the control keeps the language it chose itself.
    EXPECT_EQ(m_log, QStringList({"login:Add", "main:Add"}));
}

TEST_F(LanguageTest, ChangeLanguageRemembersEvenWhatItCannotLoad) {
    const QString path = writeFile("Neu.ini", "[LANGUAGE]\nLANG_10=Neu\n");
    ChangeLanguage(path, targets(), &m_control);
    EXPECT_EQ(m_log, QStringList({"login:Neu", "main:Neu", "control:Lumo.en"}));
    EXPECT_EQ(TempRegistry::lumoValue("Language"), path.toStdString());

    m_log.clear();
    for (const QString& notAFile : {QString(), m_folder.path()}) {
        SCOPED_TRACE(notAFile.toStdString());
        ChangeLanguage(notAFile, targets(), &m_control);
        EXPECT_TRUE(m_log.isEmpty());
        EXPECT_EQ(languageTable().text(10), "Neu");
        EXPECT_EQ(TempRegistry::lumoValue("Language"), notAFile.toStdString());
    }
}

TEST_F(LanguageTest, ShippedFilesHoldEveryKeyAndNameAShippedControlFile) {
    const char* files[] = {"English.ini", "Chinese Simplified.ini", "Chinese Traditional.ini",
                           "Spanish.ini"};
    for (const char* name : files) {
        SCOPED_TRACE(name);
        const lumo::ini::IniFile file(shippedFile(name).toStdString());
        for (int n = 1; n <= LanguageTable::kCount; ++n) {
            SCOPED_TRACE(n);
            const auto value = file.value("LANGUAGE", LanguageTable::keyName(n).toStdString());
            ASSERT_TRUE(value.has_value());
            EXPECT_FALSE(value->empty());
        }
        const auto control = file.value("LANGUAGE", "LUMO");
        ASSERT_TRUE(control.has_value());
        EXPECT_TRUE(QFile::exists(QStringLiteral(LUMO_SOURCE_DIR "/control/resources/languages/") +
                                  QString::fromStdString(*control)))
            << *control;
    }
}

TEST_F(LanguageTest, ShippedTranslationsDifferFromEnglish) {
    LanguageTable english;
    ASSERT_TRUE(english.load(shippedFile("English.ini")));
    for (const char* name : {"Chinese Simplified.ini", "Chinese Traditional.ini", "Spanish.ini"}) {
        SCOPED_TRACE(name);
        LanguageTable other;
        ASSERT_TRUE(other.load(shippedFile(name)));
        int same = 0;
        for (int n = 1; n <= LanguageTable::kCount; ++n) same += other.text(n) == english.text(n);
        EXPECT_LT(same, 5);  // only words that stay the same, such as "Foto"
    }
}

}  // namespace

namespace {

TEST(BoxButtonTextsTest, FollowTheControlLanguageFile) {
    const struct {
        const char* file;
        const char* yes;
        const char* ok;
    } cases[] = {
        {"lumo.en", "&Yes", "OK"},      {"Lumo.en", "&Yes", "OK"},
        {"lumo.chs", "是(&Y)", "确定"}, {"LUMO.CHT", "是(&Y)", "確定"},
        {"lumo.spa", "&Sí", "Aceptar"}, {"", "&Yes", "OK"},
        {"unknown.xyz", "&Yes", "OK"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const lumo::app::BoxButtonTexts texts =
            lumo::app::boxButtonTexts(QString::fromUtf8(c.file));
        EXPECT_EQ(texts.yes, QString::fromUtf8(c.yes));
        EXPECT_EQ(texts.ok, QString::fromUtf8(c.ok));
    }
}

}  // namespace
