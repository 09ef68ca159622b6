#include "app/card/Empty.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/LumoHost.h"
#include "app/SkinnedMessageBox.h"
#include "app/card/CardKeyRules.h"
#include "app/card/CardMessages.h"

namespace lumo::app {

TfrmEmpty::TfrmEmpty(LumoHost* control, QWidget* parent) : QDialog(parent), m_control(control) {
    setObjectName(QStringLiteral("frmEmpty"));
    setModal(true);
    setWindowTitle(LANG(52));
    lblEmpty = new QLabel(LANG(53), this);
    lblEmpty->setObjectName(QStringLiteral("lblEmpty"));
    lblEmpty->setWordWrap(true);
    lblWork = new QLabel(LANG(54), this);
    lblWork->setObjectName(QStringLiteral("lblWork"));
    lblWork->setVisible(false);
    btnOK = new QPushButton(LANG(57), this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnOK->setDefault(true);
    btnCancel = new QPushButton(LANG(14), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    btnCancel->setAutoDefault(false);
    for (QPushButton* b : {btnOK, btnCancel}) b->setMinimumWidth(88);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(lblWork);
    buttons->addStretch(1);
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(18, 16, 18, 14);
    layout->setSpacing(14);
    layout->addWidget(lblEmpty);
    layout->addLayout(buttons);
    resize(440, 150);

    connect(btnOK, &QPushButton::clicked, this,
            [this] { guarded(this, [this] { btnOKClick(); }); });
    connect(btnCancel, &QPushButton::clicked, this, [this] { btnCancelClick(); });
}

void TfrmEmpty::applyLanguage(const LanguageTable& table) {
    setWindowTitle(table.text(52));
    lblEmpty->setText(table.text(53));
    lblWork->setText(table.text(54));
    btnOK->setText(table.text(57));
    btnCancel->setText(table.text(14));
}

void TfrmEmpty::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    guarded(this, [this] { FormShow(); });
}

void TfrmEmpty::FormShow() {
    lblWork->setVisible(false);
    m_cardKey = ReadCardKeySetting();
}

void TfrmEmpty::btnOKClick() {
    lblWork->setVisible(true);
    // The working line goes also when the action ends with an error.
    struct HideWork {
        QLabel* label;
        ~HideWork() { label->setVisible(false); }
    } hideWork{lblWork};
    const CardKeyDigits key = ExtractCardKey(m_cardKey);
    if (!m_control) return;
    m_control->Set6FPCardKey(key[0], key[1], key[2], key[3], key[4], key[5]);
    int result;
    {
        WaitCursor wait;
        result = m_control->EmptyMFCard(true);
    }
    if (result == 0)
        SkinnedMessageBox::information(this, LANG(85));
    else
        SkinnedMessageBox::information(this,
                                       LANG(86) + QStringLiteral("\n\r") + GetErrorMsg(result));
    lblWork->setVisible(false);
    accept();
}

void TfrmEmpty::btnCancelClick() { reject(); }

}  // namespace lumo::app
