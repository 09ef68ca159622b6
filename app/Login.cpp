#include "app/Login.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/ChangePwd.h"
#include "app/KestrelSkin.h"
#include "app/Main.h"
#include "app/Setting.h"
#include "app/SkinnedMessageBox.h"
#include "app/card/CardKey.h"
#include "app/card/Empty.h"
#include "app/card/MFReg.h"
#include "app/card/MFVer.h"

namespace lumo::app {

namespace {
constexpr int kBannerHeight = 178;
constexpr int kPasswordLength = 10;
}  // namespace

TfrmLogin::TfrmLogin(TfrmMain* owner) : QDialog(owner), m_owner(owner) {
    setObjectName(QStringLiteral("frmLogin"));
    setWindowTitle(applicationTitle());
    setModal(true);
    // The main window is not on screen yet: the dialog is centred on the screen.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);

    lblVersion = new QLabel(QStringLiteral("ver 2.0.0 "), this);
    lblVersion->setObjectName(QStringLiteral("lblVersion"));
    lblVersion->setStyleSheet(
        QStringLiteral("color: #dce9f7; background: transparent; font-size: 8pt;"));

    lblPassword = new QLabel(QStringLiteral("Password :"), this);
    lblPassword->setObjectName(QStringLiteral("lblPassword"));
    edtPassword = new QLineEdit(this);
    edtPassword->setObjectName(QStringLiteral("edtPassword"));
    edtPassword->setEchoMode(QLineEdit::Password);
    edtPassword->setMaxLength(kPasswordLength);
    edtPassword->setMinimumWidth(170);
    lblPassword->setBuddy(edtPassword);
    btnOk = new QPushButton(QStringLiteral("Login"), this);
    btnOk->setObjectName(QStringLiteral("btnOk"));
    btnOk->setDefault(true);
    btnCancel = new QPushButton(QStringLiteral("Cancel"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    btnOk->setMinimumWidth(88);
    btnCancel->setMinimumWidth(88);
    btnOk->setAutoDefault(true);
    btnCancel->setAutoDefault(false);

    auto* fields = new QHBoxLayout;
    fields->addStretch(1);
    fields->addWidget(lblPassword);
    fields->addSpacing(6);
    fields->addWidget(edtPassword);
    fields->addStretch(1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnOk);
    buttons->addSpacing(8);
    buttons->addWidget(btnCancel);
    buttons->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, kBannerHeight + 24, 24, 14);
    layout->setSpacing(14);
    layout->addLayout(fields);
    layout->addLayout(buttons);
    layout->addStretch(1);

    setFixedSize(500, kBannerHeight + 122);
    lblVersion->adjustSize();
    lblVersion->move(width() - lblVersion->width() - 30, 18);

    connect(btnOk, &QPushButton::clicked, this,
            [this] { guarded(this, [this] { btnOkClick(); }); });
    connect(btnCancel, &QPushButton::clicked, this, &TfrmLogin::btnCancelClick);
}

void TfrmLogin::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (m_shown) return;
    m_shown = true;
    guarded(this, [this] { FormShow(); });
}

void TfrmLogin::FormShow() {
    lblVersion->setText(QString::fromLatin1(kVersionText));
    lblVersion->adjustSize();
    lblVersion->move(width() - lblVersion->width() - 30, 18);
    edtPassword->setFocus();
    // Kestrel's other dialogs live from here until the program ends.
    m_frmSetting = new TfrmSetting(this);
    m_frmChangePwd = new TfrmChangePwd(this);
    // The card dialogs work through the main window's control.
    LumoHost* control = m_owner ? m_owner->LumoMain() : nullptr;
    m_frmCardKey = new TfrmCardKey(this);
    m_frmEmpty = new TfrmEmpty(control, this);
    m_frmMFReg = new TfrmMFReg(control, this);
    m_frmMFVer = new TfrmMFVer(control, this);
    ReadDefaultLanguage(languageTargets(), controlLanguageSink());
}

LanguageTargets TfrmLogin::languageTargets() {
    LanguageTargets targets{this, m_owner};
    targets.push_back(m_frmSetting);
    targets.push_back(m_frmChangePwd);
    for (LanguageTarget* card :
         std::initializer_list<LanguageTarget*>{m_frmCardKey, m_frmEmpty, m_frmMFReg, m_frmMFVer})
        if (card) targets.push_back(card);
    return targets;
}

ControlLanguageSink* TfrmLogin::controlLanguageSink() {
    return m_owner ? m_owner->LumoMain() : nullptr;
}

void TfrmLogin::applyLanguage(const LanguageTable& table) {
    lblPassword->setText(table.text(35) + QStringLiteral(":"));
    btnOk->setText(table.text(36));
    btnCancel->setText(table.text(37));
}

void TfrmLogin::btnOkClick() {
    switch (m_login.checkLogin(edtPassword->text())) {
        case LoginState::LoginResult::Accepted:
            close();
            return;
        case LoginState::LoginResult::Empty:
        case LoginState::LoginResult::Wrong:
            SkinnedMessageBox::error(m_owner, LANG(38));
            edtPassword->setFocus();
            return;
    }
}

void TfrmLogin::btnCancelClick() {
    m_cancelled = true;
    QDialog::done(QDialog::Rejected);
}

void TfrmLogin::done(int result) {
    // Escape, the window's close button or any other way out waits for an accepted password.
    if (!m_login.isAccepted() && !m_cancelled) return;
    QDialog::done(m_login.isAccepted() ? QDialog::Accepted : result);
}

void TfrmLogin::closeEvent(QCloseEvent* event) {
    if (!m_login.isAccepted() && !m_cancelled) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
    if (isVisible()) QDialog::done(m_login.isAccepted() ? QDialog::Accepted : QDialog::Rejected);
}

void TfrmLogin::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF banner(0, 0, width(), kBannerHeight);
    QLinearGradient sky(banner.topLeft(), banner.bottomRight());
    sky.setColorAt(0, QColor(0x16, 0x3d, 0x73));
    sky.setColorAt(1, QColor(0x3a, 0x7b, 0xc8));
    p.fillRect(banner, sky);

    // Background picture: ridges of a fingerprint fading out to the right.
    p.save();
    p.setClipRect(banner);
    const QPointF core(width() - 95, kBannerHeight * 0.62);
    for (int i = 0; i < 13; ++i) {
        const double r = 14 + i * 9.5;
        QPen pen(QColor(255, 255, 255, 46 - i * 2), 3.2);
        pen.setCapStyle(Qt::RoundCap);
        p.setPen(pen);
        const QRectF arc(core.x() - r, core.y() - r * 1.2, 2 * r, 2.4 * r);
        p.drawArc(arc, (20 + (i % 3) * 7) * 16, (250 - (i % 4) * 12) * 16);
    }
    p.restore();

    // Logo and the product name in raised lettering.
    p.drawPixmap(QPointF(30, 30), kestrelPixmap(QStringLiteral("logo"), 58));
    QFont small = font();
    small.setPointSizeF(9.5);
    small.setBold(true);
    small.setLetterSpacing(QFont::AbsoluteSpacing, 3);
    p.setFont(small);
    p.setPen(QColor(0xdc, 0xe9, 0xf7));
    p.drawText(QPointF(104, 46), QStringLiteral("VANTOR"));

    QFont big = font();
    big.setPointSize(30);
    big.setBold(true);
    QPainterPath name;
    name.addText(QPointF(102, 90), big, QStringLiteral("Kestrel"));
    for (int depth = 4; depth >= 1; --depth) {
        p.fillPath(name.translated(depth, depth), QColor(0x0b, 0x22, 0x45, 70 + depth * 25));
    }
    QLinearGradient face(0, 55, 0, 92);
    face.setColorAt(0, QColor(0xff, 0xff, 0xff));
    face.setColorAt(1, QColor(0xc9, 0xdc, 0xf3));
    p.fillPath(name, face);
    p.setPen(QPen(QColor(0x0b, 0x22, 0x45, 120), 0.8));
    p.drawPath(name);

    QFont tag = font();
    tag.setPointSizeF(9.5);
    p.setFont(tag);
    p.setPen(QColor(0xe6, 0xef, 0xfa));
    p.drawText(QPointF(104, 118), QStringLiteral("Fingerprint identification and person records"));

    QFont print = font();
    print.setPointSizeF(7.5);
    p.setFont(print);
    p.setPen(QColor(0xb8, 0xcd, 0xe8));
    p.drawText(QRectF(30, kBannerHeight - 30, width() - 60, 18), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("© 2026 Vantor Systems. Authorised personnel only."));

    // The white lower half with a thin accent line.
    const QRectF lower(0, kBannerHeight, width(), height() - kBannerHeight);
    p.fillRect(lower, QColor(0xff, 0xff, 0xff));
    p.fillRect(QRectF(0, kBannerHeight, width(), 3), QColor(0xf0, 0xb4, 0x29));
}

}  // namespace lumo::app
