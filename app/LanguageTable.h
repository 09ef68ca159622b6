// LanguageTable: Kestrel's application text table, the 86 texts LANG_1 to LANG_86 with their
// English defaults, plus the name of the control's language file (key "LUMO").
//
//     LanguageTable& table = languageTable();
//     table.load("/opt/kestrel/English.ini");   // false, table unchanged, when missing
//     QString caption = table.text(10);          // "Add" by default
//
// LANG_55 and LANG_56 have no storage of their own: they share it with LANG_85 and LANG_86,
// which are read later and therefore win. A new table holds the English defaults and the
// control file "Lumo.en". languageTable() is the one process-wide table; every message reads
// it at the moment it is shown. GUI thread only. load() throws lumo::ini::IniError for a file
// that exists but cannot be read.
#pragma once

#include <QString>
#include <array>

namespace lumo::app {

class LanguageTable {
public:
    static constexpr int kCount = 86;
    static constexpr const char* kSection = "LANGUAGE";
    static constexpr const char* kControlFileKey = "LUMO";
    static constexpr const char* kDefaultControlFile = "Lumo.en";

    LanguageTable();

    // The English default of LANG_n (1 to 86).
    static QString defaultText(int n);
    // "LANG_n".
    static QString keyName(int n);

    // Text of LANG_n; n outside 1 to 86 throws std::out_of_range.
    QString text(int n) const;
    void setText(int n, const QString& text);
    QString controlLanguageFile() const { return m_controlFile; }
    void setControlLanguageFile(const QString& fileName) { m_controlFile = fileName; }

    // Fills the table from the file's section "LANGUAGE", each missing key with its default.
    // False, with the table unchanged, when no file of that name exists.
    bool load(const QString& path);
    // Every text back to its English default and the control file back to "Lumo.en".
    void resetToDefaults();

private:
    // 85 and 86 are kept in the slots of 55 and 56.
    static int slot(int n);

    std::array<QString, kCount + 1> m_texts;
    QString m_controlFile;
};

// The process-wide table.
LanguageTable& languageTable();
// Shorthand for languageTable().text(n).
QString LANG(int n);

}  // namespace lumo::app
