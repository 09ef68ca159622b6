#include "app/SkinnedMessageBox.h"

#include <QApplication>
#include <QDialog>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>
#include <exception>

#include "app/BoxButtonTexts.h"
#include "app/KestrelSkin.h"
#include "app/LanguageTable.h"

namespace lumo::app {

namespace {

SkinnedMessageBox::Responder& responder() {
    static SkinnedMessageBox::Responder r;
    return r;
}

// The texts of the table use "\n\r" and "\r\n" for line breaks; a label wants "\n".
QString displayText(QString text) {
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1String("\n\r"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

bool execSkinned(QWidget* parent, SkinnedMessageBox::Kind kind, const QString& text) {
    using Kind = SkinnedMessageBox::Kind;
    QDialog box(parent);
    box.setObjectName(QStringLiteral("SkinnedMessageBox"));
    box.setWindowTitle(applicationTitle());
    box.setModal(true);

    auto* icon = new QLabel(&box);
    const char* iconName = kind == Kind::Confirmation  ? "question"
                           : kind == Kind::Information ? "information"
                                                       : "error";
    icon->setPixmap(kestrelPixmap(QString::fromLatin1(iconName), 40));
    icon->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    auto* message = new QLabel(displayText(text), &box);
    message->setObjectName(QStringLiteral("messageText"));
    message->setWordWrap(true);
    message->setTextFormat(Qt::PlainText);
    message->setTextInteractionFlags(Qt::TextSelectableByMouse);
    message->setMinimumWidth(260);
    message->setMaximumWidth(460);

    auto* body = new QHBoxLayout;
    body->setContentsMargins(20, 20, 24, 18);
    body->setSpacing(16);
    body->addWidget(icon, 0, Qt::AlignTop);
    body->addWidget(message, 1);

    const BoxButtonTexts captions = boxButtonTexts(languageTable().controlLanguageFile());
    auto* buttons = new QFrame(&box);
    buttons->setObjectName(QStringLiteral("messageButtons"));
    auto* row = new QHBoxLayout(buttons);
    row->setContentsMargins(16, 10, 16, 10);
    row->addStretch(1);
    if (kind == Kind::Confirmation) {
        auto* yes = new QPushButton(captions.yes, buttons);
        yes->setObjectName(QStringLiteral("btnYes"));
        auto* no = new QPushButton(captions.no, buttons);
        no->setObjectName(QStringLiteral("btnNo"));
        yes->setMinimumWidth(80);
        no->setMinimumWidth(80);
        QObject::connect(yes, &QPushButton::clicked, &box, &QDialog::accept);
        QObject::connect(no, &QPushButton::clicked, &box, &QDialog::reject);
        row->addWidget(yes);
        row->addWidget(no);
        yes->setDefault(true);
        yes->setFocus();
    } else {
        auto* ok = new QPushButton(captions.ok, buttons);
        ok->setObjectName(QStringLiteral("btnOK"));
        ok->setMinimumWidth(80);
        QObject::connect(ok, &QPushButton::clicked, &box, &QDialog::accept);
        row->addWidget(ok);
        ok->setDefault(true);
        ok->setFocus();
    }

    auto* layout = new QVBoxLayout(&box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addLayout(body);
    layout->addWidget(buttons);
    box.setFixedSize(box.sizeHint());
    return box.exec() == QDialog::Accepted;
}

}  // namespace

void SkinnedMessageBox::setResponder(Responder r) { responder() = std::move(r); }

bool SkinnedMessageBox::show(QWidget* parent, Kind kind, const QString& text) {
    if (responder()) return responder()(kind, text);
    if (kind == Kind::PlainError) {
        QMessageBox::critical(nullptr, applicationTitle(), text, QMessageBox::Ok);
        return true;
    }
    return execSkinned(parent, kind, text);
}

void SkinnedMessageBox::error(QWidget* parent, const QString& text) {
    show(parent, Kind::Error, text);
}

void SkinnedMessageBox::information(QWidget* parent, const QString& text) {
    show(parent, Kind::Information, text);
}

bool SkinnedMessageBox::confirm(QWidget* parent, const QString& text) {
    return show(parent, Kind::Confirmation, text);
}

void SkinnedMessageBox::showPlainError(const QString& text) {
    show(nullptr, Kind::PlainError, text);
}

void SkinnedMessageBox::showUnhandledError(QWidget* parent, const QString& text) {
    show(parent, Kind::UnhandledError, text);
}

WaitCursor::WaitCursor(int shape) {
    QApplication::setOverrideCursor(QCursor(static_cast<Qt::CursorShape>(shape)));
}

WaitCursor::~WaitCursor() { QApplication::restoreOverrideCursor(); }

void guarded(QWidget* parent, const std::function<void()>& action) {
    try {
        action();
    } catch (const std::exception& e) {
        SkinnedMessageBox::showUnhandledError(parent, QString::fromUtf8(e.what()));
    }
}

void rejectSoon(QDialog* dialog) {
    QMetaObject::invokeMethod(
        dialog, [dialog] { dialog->reject(); }, Qt::QueuedConnection);
}

void guardedOrRejectSoon(QDialog* dialog, const std::function<void()>& action) {
    bool done = false;
    guarded(dialog, [&] {
        action();
        done = true;
    });
    if (!done) rejectSoon(dialog);
}

}  // namespace lumo::app
