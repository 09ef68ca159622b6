#include "app/LanguageTable.h"

#include <QFileInfo>
#include <stdexcept>

#include "platform/ini/IniFile.h"

namespace lumo::app {

namespace {

// English defaults, LANG_1 first. Trailing blanks are part of the texts.
constexpr std::array<const char*, LanguageTable::kCount> kDefaults = {
    "User ID",                                                                               // 1
    "Name",                                                                                  // 2
    "Date of Birth",                                                                         // 3
    "Address",                                                                               // 4
    "Tel",                                                                                   // 5
    "E-Mail",                                                                                // 6
    "Remark 1",                                                                              // 7
    "Remark 2",                                                                              // 8
    "Remark 3",                                                                              // 9
    "Add",                                                                                   // 10
    "Edit",                                                                                  // 11
    "Delete",                                                                                // 12
    "Save",                                                                                  // 13
    "Cancel",                                                                                // 14
    "Register",                                                                              // 15
    "Verify",                                                                                // 16
    "Exit",                                                                                  // 17
    "Photo",                                                                                 // 18
    "Load",                                                                                  // 19
    "Clear",                                                                                 // 20
    "Search",                                                                                // 21
    "Reset",                                                                                 // 22
    "Prefix",                                                                                // 23
    "Keywords",                                                                              // 24
    "Setting",                                                                               // 25
    "Language Selection",                                                                    // 26
    "Select",                                                                                // 27
    "Are you sure you want to exit ?",                                                       // 28
    "=Do you want to delete ?",                                                              // 29
    "Do you want to save ?",                                                                 // 30
    "UserID cannot be blank!",                                                               // 31
    "Name cannot be blank!",                                                                 // 32
    "Unable to connect to Database!",                                                        // 33
    "Fingerprint does not exists!",                                                          // 34
    "Password",                                                                              // 35
    "Login",                                                                                 // 36
    "Cancel",                                                                                // 37
    "Invalid password, please try again!",                                                   // 38
    "Old Password",                                                                          // 39
    "New Password",                                                                          // 40
    "Re-Type Password",                                                                      // 41
    "Change",                                                                                // 42
    "Preferred Language",                                                                    // 43
    "Change Password",                                                                       // 44
    "Please type in your new password using maximum of 10 alpha numeric characters :-",      // 45
    "Cannot be blank!",                                                                      // 46
    "Inlavid old password!",                                                                 // 47
    "New password not matched!",                                                             // 48
    "Please type in your FP Card Key using maximum of 6 digits :-",                          // 49
    "FP Card Key",                                                                           // 50
    "Your changes have been saved.",                                                         // 51
    "Empty MF Card",                                                                         // 52
    "Please place your MF card on the Mifare Card Writer and click Empty button to start.",  // 53
    "Working...",                                                                            // 54
    "Empty MF Card succeed",                                                                 // 55
    "Empty MF Card failed",                                                                  // 56
    "Empty",                                                                                 // 57
    "Register Fingerprint into MF Card",                                                     // 58
    "Write Fingerprint into MF Card Success",                                                // 59
    "Write Fingerprint into MF Card Fail",                                                   // 60
    "Write template into mifare card error!",                                                // 61
    "Unable to connect to write card module!",                                               // 62
    "Unable to read mifare card!",                                                           // 63
    "Change mifare card FPCardKey fail!",                                                    // 64
    "Please follow below steps to complete the enrollment process : ",                       // 65
    "1. Place your MF Card on the Mifare Card Writer ",                                      // 66
    "2. Enter your User ID ",                                                                // 67
    "3. Please select if this is a new/blank MF Card ",                                      // 68
    "4. Click on the Enroll button to write the fingerprint template into MF Card ",         // 69
    "New/blank MF Card ",                                                                    // 70
    "Enroll ",                                                                               // 71
    "Writing MF Card ... ",                                                                  // 72
    "Verify Fingerprint From MF Card",                                                       // 73
    "Please follow below steps to complete the verification process : ",                     // 74
    "1. Place your MF Card on the Mifare Card Writer ",                                      // 75
    "2. Click on the Verify button to read the fingerprint from MF Card and verify",         // 76
    " Verify fingerprint from MF Card",                                                      // 77
    "Reading MF Card ... ",                                                                  // 78
    "Invalid FPCardKey or no card on the mifare reader !",                                   // 79
    "Fail to read fingerprint template from card !",                                         // 80
    "Invalid fingerprint template data !",                                                   // 81
    "Matching ... ",                                                                         // 82
    "Fingerprint is matched, UserID = ",                                                     // 83
    "Fingerprint is not matched! ",                                                          // 84
    "Empty MFCard Sucess",                                                                   // 85
    "Empty MFCard Fail",                                                                     // 86
};

void checkIndex(int n) {
    if (n < 1 || n > LanguageTable::kCount)
        throw std::out_of_range("No application text LANG_" + std::to_string(n));
}

}  // namespace

LanguageTable::LanguageTable() { resetToDefaults(); }

QString LanguageTable::defaultText(int n) {
    checkIndex(n);
    return QString::fromUtf8(kDefaults[n - 1]);
}

QString LanguageTable::keyName(int n) { return QStringLiteral("LANG_%1").arg(n); }

int LanguageTable::slot(int n) {
    if (n == 85) return 55;
    if (n == 86) return 56;
    return n;
}

QString LanguageTable::text(int n) const {
    checkIndex(n);
    return m_texts[slot(n)];
}

void LanguageTable::setText(int n, const QString& text) {
    checkIndex(n);
    m_texts[slot(n)] = text;
}

void LanguageTable::resetToDefaults() {
    // In reading order, so that 85 and 86 end up in the shared slots as a load would put them.
    for (int n = 1; n <= kCount; ++n) m_texts[slot(n)] = defaultText(n);
    m_controlFile = QString::fromUtf8(kDefaultControlFile);
}

bool LanguageTable::load(const QString& path) {
    if (path.isEmpty() || !QFileInfo(path).isFile()) return false;
    const ini::IniFile file(path.toStdString());
    // Read into a copy so that a read error leaves the table as it was.
    std::array<QString, kCount + 1> texts;
    for (int n = 1; n <= kCount; ++n) {
        const std::string value =
            file.readString(kSection, keyName(n).toStdString(), kDefaults[n - 1]);
        texts[slot(n)] = QString::fromStdString(value);
    }
    const std::string control = file.readString(kSection, kControlFileKey, kDefaultControlFile);
    m_texts = texts;
    m_controlFile = QString::fromStdString(control);
    return true;
}

LanguageTable& languageTable() {
    static LanguageTable table;
    return table;
}

QString LANG(int n) { return languageTable().text(n); }

}  // namespace lumo::app
