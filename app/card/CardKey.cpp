#include "app/card/CardKey.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QScreen>
#include <QVBoxLayout>

#include "app/SkinnedMessageBox.h"
#include "app/card/CardKeyRules.h"

namespace lumo::app {

TfrmCardKey::TfrmCardKey(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmCardKey"));
    setModal(true);
    setWindowTitle(LANG(50));

    lblCardKey = new QLabel(LANG(49), this);
    lblCardKey->setObjectName(QStringLiteral("lblCardKey"));
    lblCardKey->setWordWrap(true);
    lblFPCardKey = new QLabel(LANG(50), this);
    lblFPCardKey->setObjectName(QStringLiteral("lblFPCardKey"));
    edtCardKey = new QLineEdit(QStringLiteral("0"), this);
    edtCardKey->setObjectName(QStringLiteral("edtCardKey"));
    edtCardKey->setMaxLength(kCardKeyDigits);
    // Whole numbers only: digits, no sign, no decimal point.
    edtCardKey->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[0-9]{0,6}")), edtCardKey));
    edtCardKey->setAlignment(Qt::AlignRight);
    lblFPCardKey->setBuddy(edtCardKey);
    btnOK = new QPushButton(LANG(42), this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnOK->setDefault(true);
    btnCancel = new QPushButton(LANG(14), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    btnCancel->setAutoDefault(false);
    for (QPushButton* b : {btnOK, btnCancel}) b->setMinimumWidth(88);

    auto* field = new QHBoxLayout;
    field->addWidget(lblFPCardKey);
    field->addWidget(edtCardKey, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(18, 16, 18, 14);
    layout->setSpacing(12);
    layout->addWidget(lblCardKey);
    layout->addLayout(field);
    layout->addLayout(buttons);
    setFixedSize(420, 170);

    connect(btnOK, &QPushButton::clicked, this,
            [this] { guarded(this, [this] { btnOKClick(); }); });
    connect(btnCancel, &QPushButton::clicked, this, [this] { btnCancelClick(); });
}

void TfrmCardKey::applyLanguage(const LanguageTable& table) {
    setWindowTitle(table.text(50));
    lblCardKey->setText(table.text(49));
    lblFPCardKey->setText(table.text(50));
    btnOK->setText(table.text(42));
    btnCancel->setText(table.text(14));
}

void TfrmCardKey::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    guarded(this, [this] { FormShow(); });
}

void TfrmCardKey::FormShow() {
    const QString stored = ReadCardKeySetting();
    const std::optional<int> value = cardKeyEditValue(stored);
    if (!value) {
        edtCardKey->clear();
        edtCardKey->setFocus();
        throw CardKeyError("The stored FP card key \"" + stored.toStdString() +
                           "\" is not a number of up to 6 digits. Type the card key again and "
                           "click Change.");
    }
    edtCardKey->setText(QString::number(*value));
    edtCardKey->selectAll();
    edtCardKey->setFocus();
}

void TfrmCardKey::btnOKClick() {
    const QString typed = edtCardKey->text().trimmed();
    if (typed.isEmpty()) {
        SkinnedMessageBox::error(this, LANG(50) + QLatin1Char(' ') + LANG(46));
        edtCardKey->setFocus();
        return;
    }
    const std::optional<int> value = cardKeyEditValue(typed);
    if (!value)
        throw CardKeyError("\"" + typed.toStdString() +
                           "\" is not a card key: type up to 6 digits.");
    // The number is stored, not the typed text: leading zeros go.
    WriteCardKeySetting(storedCardKeyText(*value));
    SkinnedMessageBox::information(this, LANG(51));
    accept();
}

void TfrmCardKey::btnCancelClick() { reject(); }

}  // namespace lumo::app
