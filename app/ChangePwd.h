// TfrmChangePwd: the change-password dialog, shown modally from the Setting menu.
//
// Owned by the login dialog, whose login state holds the accepted password. btnOK runs the
// five checks in order (three blank fields, the old password, the retyped one) and stores the
// new digest; the boxes keep their content between showings, as the form does.
#pragma once

#include <QDialog>

#include "app/Language.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace lumo::app {

class TfrmLogin;

class TfrmChangePwd final : public QDialog, public LanguageTarget {
    Q_OBJECT
public:
    explicit TfrmChangePwd(TfrmLogin* owner);

    void applyLanguage(const LanguageTable& table) override;
    void btnOKClick();
    void btnCancelClick();

    QLabel* lblPwdMsg;
    QLabel* lblOldPwd;
    QLabel* lblNewPwd;
    QLabel* lblRePwd;
    QLineEdit* edtOldPwd;
    QLineEdit* edtNewPwd;
    QLineEdit* edtRePwd;
    QPushButton* btnOK;
    QPushButton* btnCancel;

private:
    TfrmLogin* m_owner;
};

}  // namespace lumo::app
