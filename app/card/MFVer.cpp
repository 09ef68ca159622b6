#include "app/card/MFVer.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/LumoHost.h"
#include "app/SkinnedMessageBox.h"
#include "app/card/CardKeyRules.h"
#include "app/card/CardMessages.h"

namespace lumo::app {

TfrmMFVer::TfrmMFVer(LumoHost* control, QWidget* parent) : QDialog(parent), m_control(control) {
    setObjectName(QStringLiteral("frmMFVer"));
    setModal(true);
    setWindowTitle(LANG(73));
    QLabel** steps[] = {&lbl1, &lbl2, &lbl3};
    for (int i = 0; i < 3; ++i) {
        *steps[i] = new QLabel(LANG(74 + i), this);
        (*steps[i])->setObjectName(QStringLiteral("lbl%1").arg(i + 1));
        (*steps[i])->setWordWrap(true);
    }
    btnVerify = new QPushButton(LANG(77), this);
    btnVerify->setObjectName(QStringLiteral("btnVerify"));
    lblStatus = new QLabel(LANG(78), this);
    lblStatus->setObjectName(QStringLiteral("lblStatus"));
    lblStatus->setWordWrap(true);
    lblStatus->setVisible(false);
    mmFP = new QPlainTextEdit(this);
    mmFP->setObjectName(QStringLiteral("mmFP"));
    mmFP->setVisible(false);

    auto* buttonRow = new QHBoxLayout;
    buttonRow->addStretch(1);
    buttonRow->addWidget(btnVerify);
    buttonRow->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(18, 14, 18, 14);
    layout->setSpacing(8);
    for (QLabel* label : {lbl1, lbl2, lbl3}) layout->addWidget(label);
    layout->addSpacing(6);
    layout->addLayout(buttonRow);
    layout->addWidget(lblStatus);
    layout->addWidget(mmFP);
    layout->addStretch(1);
    resize(480, 240);

    connect(btnVerify, &QPushButton::clicked, this,
            [this] { guarded(this, [this] { btnVerifyClick(); }); });
}

void TfrmMFVer::applyLanguage(const LanguageTable& table) {
    setWindowTitle(table.text(73));
    QLabel* steps[] = {lbl1, lbl2, lbl3};
    for (int i = 0; i < 3; ++i) steps[i]->setText(table.text(74 + i));
    btnVerify->setText(table.text(77));
    lblStatus->setText(table.text(78));
}

void TfrmMFVer::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    guardedOrRejectSoon(this, [this] { FormShow(); });
}

void TfrmMFVer::FormShow() {
    if (!m_control) {
        rejectSoon(this);
        return;
    }
    if (m_control->GetVerTemplate()) {
        mmFP->clear();
        mmFP->setPlainText(m_control->VerifyTemplate());
    } else {
        rejectSoon(this);
    }
    m_cardKey = ReadCardKeySetting();
}

void TfrmMFVer::btnVerifyClick() {
    lblStatus->setVisible(true);
    const CardKeyDigits key = ExtractCardKey(m_cardKey);
    if (!m_control) return;
    m_control->Set6FPCardKey(key[0], key[1], key[2], key[3], key[4], key[5]);
    QString cardTemplate;
    int userId = 0;
    int result;
    {
        WaitCursor wait;
        result = m_control->ReadTemplateFromCard(cardTemplate, userId, true);
    }
    const QString captured = mmFP->toPlainText().trimmed();
    if (result == 0) {
        lblStatus->setText(LANG(82));
        lblStatus->repaint();
        if (m_control->MatchFinger(cardTemplate, captured)) {
            const QString text = LANG(83) + QString::number(userId);
            lblStatus->setText(text);
            SkinnedMessageBox::information(this, text);
        } else {
            lblStatus->setText(LANG(84));
            SkinnedMessageBox::error(this, LANG(84));
        }
    } else if (result >= 1 && result <= 3) {
        lblStatus->setText(readResultText(result));
        SkinnedMessageBox::information(this, readResultText(result));
    }
    // Any other result: the control has already said what went wrong.
}

}  // namespace lumo::app
