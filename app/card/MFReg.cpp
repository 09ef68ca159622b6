#include "app/card/MFReg.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/LumoHost.h"
#include "app/SkinnedMessageBox.h"
#include "app/card/CardKeyRules.h"
#include "app/card/CardMessages.h"
#include "app/card/UserIdText.h"

namespace lumo::app {

namespace {
constexpr const char* kNoFingerEnrolled = "0000000000";
}

TfrmMFReg::TfrmMFReg(LumoHost* control, QWidget* parent) : QDialog(parent), m_control(control) {
    setObjectName(QStringLiteral("frmMFReg"));
    setModal(true);
    setWindowTitle(LANG(58));
    QLabel** steps[] = {&lbl1, &lbl2, &lbl3, &lbl4, &lbl5};
    for (int i = 0; i < 5; ++i) {
        *steps[i] = new QLabel(LANG(65 + i), this);
        (*steps[i])->setObjectName(QStringLiteral("lbl%1").arg(i + 1));
        (*steps[i])->setWordWrap(true);
    }
    lblUserID = new QLabel(LANG(1), this);
    lblUserID->setObjectName(QStringLiteral("lblUserID"));
    edtUserID = new QLineEdit(this);
    edtUserID->setObjectName(QStringLiteral("edtUserID"));
    edtUserID->setMaxLength(kCardUserIdLength);
    lblUserID->setBuddy(edtUserID);
    cNewMF = new QCheckBox(LANG(70), this);
    cNewMF->setObjectName(QStringLiteral("cNewMF"));
    cNewMF->setChecked(false);
    btnEnroll = new QPushButton(LANG(71), this);
    btnEnroll->setObjectName(QStringLiteral("btnEnroll"));
    btnEnroll->setMinimumWidth(100);
    lblStatus = new QLabel(LANG(72), this);
    lblStatus->setObjectName(QStringLiteral("lblStatus"));
    lblStatus->setWordWrap(true);
    lblStatus->setVisible(false);
    mmFP = new QPlainTextEdit(this);
    mmFP->setObjectName(QStringLiteral("mmFP"));
    mmFP->setVisible(false);

    auto* idRow = new QHBoxLayout;
    idRow->addWidget(lblUserID);
    idRow->addWidget(edtUserID, 1);
    auto* enrollRow = new QHBoxLayout;
    enrollRow->addWidget(cNewMF);
    enrollRow->addStretch(1);
    enrollRow->addWidget(btnEnroll);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(18, 14, 18, 14);
    layout->setSpacing(8);
    for (QLabel* label : {lbl1, lbl2, lbl3, lbl4, lbl5}) layout->addWidget(label);
    layout->addSpacing(6);
    layout->addLayout(idRow);
    layout->addLayout(enrollRow);
    layout->addWidget(lblStatus);
    layout->addWidget(mmFP);
    layout->addStretch(1);
    resize(500, 330);

    connect(btnEnroll, &QPushButton::clicked, this,
            [this] { guarded(this, [this] { btnEnrollClick(); }); });
}

void TfrmMFReg::applyLanguage(const LanguageTable& table) {
    setWindowTitle(table.text(58));
    QLabel* steps[] = {lbl1, lbl2, lbl3, lbl4, lbl5};
    for (int i = 0; i < 5; ++i) steps[i]->setText(table.text(65 + i));
    lblUserID->setText(table.text(1));
    cNewMF->setText(table.text(70));
    btnEnroll->setText(table.text(71));
    lblStatus->setText(table.text(72));
}

void TfrmMFReg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // A showing that could not take a template offers nothing to write.
    guardedOrRejectSoon(this, [this] { FormShow(); });
}

void TfrmMFReg::FormShow() {
    if (!m_control) {
        rejectSoon(this);
        return;
    }
    m_control->setIsAutoRegister(true);
    m_control->setCheckFinger(QString::fromLatin1(kNoFingerEnrolled));
    if (m_control->Register()) {
        mmFP->clear();
        mmFP->setPlainText(m_control->RegisterTemplate());
    } else {
        rejectSoon(this);
    }
    m_cardKey = ReadCardKeySetting();
}

void TfrmMFReg::btnEnrollClick() {
    lblStatus->setVisible(true);
    if (edtUserID->text().isEmpty()) {
        SkinnedMessageBox::error(this, LANG(1) + QLatin1Char(' ') + LANG(46));
        edtUserID->setFocus();
        return;
    }
    // Both texts are checked before the control is asked for anything.
    const CardKeyDigits key = ExtractCardKey(m_cardKey);
    const int userId = parseCardUserId(edtUserID->text());
    if (!m_control) return;
    const CardKeyPlan plan = planCardWrite(cNewMF->isChecked(), key);
    const CardKeyDigits& open = plan.openKey;
    m_control->Set6FPCardKey(open[0], open[1], open[2], open[3], open[4], open[5]);
    if (plan.newKey) {
        const CardKeyDigits& k = *plan.newKey;
        m_control->SetNew6FPCardKey(k[0], k[1], k[2], k[3], k[4], k[5]);
    }
    int result;
    {
        WaitCursor wait;
        result = m_control->WriteTemplateToCard(mmFP->toPlainText().trimmed(), userId,
                                                plan.changePwd, true);
    }
    if (result == 0) {
        lblStatus->setText(LANG(59));
        SkinnedMessageBox::information(this, LANG(59));
        accept();
        return;
    }
    lblStatus->setText(LANG(60) + GetErrorMsg(result));
    SkinnedMessageBox::information(this, LANG(60) + QStringLiteral("\n\r") + GetErrorMsg(result));
}

}  // namespace lumo::app
