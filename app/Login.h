// TfrmLogin: the login dialog shown while the main window is being created.
//
// When shown it creates Kestrel's other dialogs once (language selection, change password,
// card key, card emptying, card enrollment, card verification), and chooses, loads and applies the
// language file. It refuses to close until a password is accepted; Cancel ends the program (the
// main window then reports loginCancelled()). It owns the login state (the accepted password),
// which the change-password dialog reads and updates. Messages go through the skinned box.
#pragma once

#include <QDialog>

#include "app/Language.h"
#include "app/LoginState.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace lumo::app {

class TfrmMain;
class TfrmSetting;
class TfrmChangePwd;
class TfrmCardKey;
class TfrmEmpty;
class TfrmMFReg;
class TfrmMFVer;

class TfrmLogin final : public QDialog, public LanguageTarget {
    Q_OBJECT
public:
    explicit TfrmLogin(TfrmMain* owner);

    LoginState& loginState() { return m_login; }
    bool isLoginAccepted() const { return m_login.isAccepted(); }
    bool isCancelled() const { return m_cancelled; }

    TfrmSetting* frmSetting() const { return m_frmSetting; }
    TfrmChangePwd* frmChangePwd() const { return m_frmChangePwd; }
    TfrmCardKey* frmCardKey() const { return m_frmCardKey; }
    TfrmEmpty* frmEmpty() const { return m_frmEmpty; }
    TfrmMFReg* frmMFReg() const { return m_frmMFReg; }
    TfrmMFVer* frmMFVer() const { return m_frmMFVer; }
    // Every Kestrel form in the order the language is applied to them.
    LanguageTargets languageTargets();
    ControlLanguageSink* controlLanguageSink();

    void applyLanguage(const LanguageTable& table) override;

    // Handlers under their form names.
    void FormShow();
    void btnOkClick();
    void btnCancelClick();

    QLineEdit* edtPassword;
    QLabel* lblPassword;
    QLabel* lblVersion;
    QPushButton* btnOk;
    QPushButton* btnCancel;

    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    TfrmMain* m_owner;
    LoginState m_login;
    bool m_cancelled = false;
    bool m_shown = false;
    TfrmSetting* m_frmSetting = nullptr;
    TfrmChangePwd* m_frmChangePwd = nullptr;
    TfrmCardKey* m_frmCardKey = nullptr;
    TfrmEmpty* m_frmEmpty = nullptr;
    TfrmMFReg* m_frmMFReg = nullptr;
    TfrmMFVer* m_frmMFVer = nullptr;
};

}  // namespace lumo::app
