#include "app/LoginState.h"

#include "app/CommonPF.h"
#include "app/PasswordDigest.h"
#include "app/TextRules.h"

namespace lumo::app {

QString LoginState::expectedDigest() {
    SettingsSession settings;
    const QString stored =
        QString::fromStdString(ReadSetting(kSettingsSection, kPasswordValue, kMissingSetting));
    if (stored == QLatin1String(kMissingSetting))
        return passwordDigest(QString::fromLatin1(kDefaultPassword));
    return stored;
}

LoginState::LoginResult LoginState::checkLogin(const QString& boxText) {
    m_accepted = false;
    if (boxText.isEmpty()) return LoginResult::Empty;
    const QString expected = expectedDigest();
    const QString typed = trimBlanks(boxText);
    // Digests compare exactly: a stored digest in capitals never matches.
    if (passwordDigest(typed) != expected) return LoginResult::Wrong;
    m_acceptedPassword = typed;
    m_accepted = true;
    return LoginResult::Accepted;
}

LoginState::ChangeResult LoginState::changePassword(const QString& oldText, const QString& newText,
                                                    const QString& retypeText) {
    const QString oldPassword = trimBlanks(oldText);
    const QString newPassword = trimBlanks(newText);
    const QString retyped = trimBlanks(retypeText);
    if (oldPassword.isEmpty()) return ChangeResult::OldBlank;
    if (newPassword.isEmpty()) return ChangeResult::NewBlank;
    if (retyped.isEmpty()) return ChangeResult::RetypeBlank;
    if (oldPassword != m_acceptedPassword) return ChangeResult::OldWrong;
    if (newPassword != retyped) return ChangeResult::NotMatched;
    {
        SettingsSession settings;
        WriteSetting(kSettingsSection, kPasswordValue, passwordDigest(newPassword).toStdString());
    }
    m_acceptedPassword = newPassword;
    return ChangeResult::Changed;
}

}  // namespace lumo::app
