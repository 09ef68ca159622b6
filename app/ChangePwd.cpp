#include "app/ChangePwd.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/KestrelSkin.h"
#include "app/Login.h"
#include "app/SkinnedMessageBox.h"

namespace lumo::app {

namespace {

QLineEdit* passwordBox(QWidget* parent, const char* name) {
    auto* box = new QLineEdit(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setEchoMode(QLineEdit::Password);
    box->setMaxLength(10);
    box->setMinimumWidth(200);
    return box;
}

}  // namespace

TfrmChangePwd::TfrmChangePwd(TfrmLogin* owner) : QDialog(owner), m_owner(owner) {
    setObjectName(QStringLiteral("frmChangePwd"));
    setWindowTitle(QStringLiteral("Change Password"));
    setModal(true);

    auto* icon = new QLabel(this);
    icon->setPixmap(kestrelPixmap(QStringLiteral("password"), 36));
    lblPwdMsg = new QLabel(
        QStringLiteral(
            "Please type in your new password using maximum of 10 alpha numeric characters :-"),
        this);
    lblPwdMsg->setObjectName(QStringLiteral("lblPwdMsg"));
    lblPwdMsg->setWordWrap(true);
    lblOldPwd = new QLabel(QStringLiteral("Old Password:"), this);
    lblOldPwd->setObjectName(QStringLiteral("lblOldPwd"));
    lblNewPwd = new QLabel(QStringLiteral("New Password:"), this);
    lblNewPwd->setObjectName(QStringLiteral("lblNewPwd"));
    lblRePwd = new QLabel(QStringLiteral("Re-type Password:"), this);
    lblRePwd->setObjectName(QStringLiteral("lblRePwd"));
    edtOldPwd = passwordBox(this, "edtOldPwd");
    edtNewPwd = passwordBox(this, "edtNewPwd");
    edtRePwd = passwordBox(this, "edtRePwd");
    btnOK = new QPushButton(QStringLiteral("Change"), this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnOK->setDefault(true);
    btnCancel = new QPushButton(QStringLiteral("Cancel"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    btnOK->setMinimumWidth(88);
    btnCancel->setMinimumWidth(88);

    auto* top = new QHBoxLayout;
    top->setSpacing(12);
    top->addWidget(icon, 0, Qt::AlignTop);
    top->addWidget(lblPwdMsg, 1);
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(8);
    grid->addWidget(lblOldPwd, 0, 0);
    grid->addWidget(edtOldPwd, 0, 1);
    grid->addWidget(lblNewPwd, 1, 0);
    grid->addWidget(edtNewPwd, 1, 1);
    grid->addWidget(lblRePwd, 2, 0);
    grid->addWidget(edtRePwd, 2, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 18, 20, 16);
    layout->setSpacing(14);
    layout->addLayout(top);
    layout->addLayout(grid);
    layout->addLayout(buttons);
    setFixedWidth(430);

    connect(btnOK, &QPushButton::clicked, this,
            [this] { guarded(this, [this] { btnOKClick(); }); });
    connect(btnCancel, &QPushButton::clicked, this, &TfrmChangePwd::btnCancelClick);
}

void TfrmChangePwd::applyLanguage(const LanguageTable& table) {
    setWindowTitle(table.text(44));
    lblOldPwd->setText(table.text(39));
    lblNewPwd->setText(table.text(40));
    lblRePwd->setText(table.text(41));
    btnOK->setText(table.text(42));
    btnCancel->setText(table.text(14));
    lblPwdMsg->setText(table.text(45));
}

void TfrmChangePwd::btnOKClick() {
    using Result = LoginState::ChangeResult;
    QWidget* parent =
        parentWidget() && parentWidget()->parentWidget() ? parentWidget()->parentWidget() : this;
    const Result result = m_owner->loginState().changePassword(edtOldPwd->text(), edtNewPwd->text(),
                                                               edtRePwd->text());
    auto refuse = [&](const QString& text, QLineEdit* focus) {
        SkinnedMessageBox::error(parent, text);
        focus->setFocus();
    };
    switch (result) {
        case Result::OldBlank:
            refuse(LANG(39) + QStringLiteral(" ") + LANG(46), edtOldPwd);
            return;
        case Result::NewBlank:
            refuse(LANG(40) + QStringLiteral(" ") + LANG(46), edtNewPwd);
            return;
        case Result::RetypeBlank:
            refuse(LANG(41) + QStringLiteral(" ") + LANG(46), edtRePwd);
            return;
        case Result::OldWrong:
            refuse(LANG(47), edtOldPwd);
            return;
        case Result::NotMatched:
            refuse(LANG(48), edtNewPwd);
            return;
        case Result::Changed:
            SkinnedMessageBox::information(parent, LANG(51));
            accept();
            return;
    }
}

void TfrmChangePwd::btnCancelClick() { reject(); }

}  // namespace lumo::app
