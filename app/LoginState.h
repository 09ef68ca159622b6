// LoginState: the login check and the password change, without the dialogs.
//
//     LoginState login;
//     if (login.checkLogin(box) == LoginState::LoginResult::Accepted) ...
//     switch (login.changePassword(oldBox, newBox, retypeBox)) { ... }
//
// The state is the accepted password (trimmed, plain text, held only here) and the accepted
// flag. The stored value is "Password" of the settings store: the digest of the password, or
// "0"/missing for the default password "907531". The checks run in the order the dialogs show
// their errors; a result other than Accepted/Changed names the first failed check. Settings
// errors (lumo::registry::RegistryError) propagate and leave the state unchanged. GUI thread.
#pragma once

#include <QString>

namespace lumo::app {

class LoginState {
public:
    enum class LoginResult { Accepted, Empty, Wrong };
    enum class ChangeResult { Changed, OldBlank, NewBlank, RetypeBlank, OldWrong, NotMatched };

    // The box's text as typed: an empty box is Empty; otherwise the trimmed text is hashed and
    // compared with the stored digest (a box of blanks only is Wrong).
    LoginResult checkLogin(const QString& boxText);
    // The three boxes as typed; they are trimmed before the checks. On Changed the new digest
    // is stored and the new password becomes the accepted one.
    ChangeResult changePassword(const QString& oldText, const QString& newText,
                                const QString& retypeText);

    bool isAccepted() const { return m_accepted; }
    QString acceptedPassword() const { return m_acceptedPassword; }

    // The digest a login must match now.
    static QString expectedDigest();

private:
    bool m_accepted = false;
    QString m_acceptedPassword;
};

}  // namespace lumo::app
