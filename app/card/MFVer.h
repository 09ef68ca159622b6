// TfrmMFVer: compares a captured finger with the template stored on a MIFARE card.
//
// Each showing runs the control's capture dialog and keeps the captured template (a cancelled
// capture closes this dialog at once), and reads the stored card key. Verify opens the card
// with the stored key, reads its template and user id in the extended user-id format and
// matches them against the captured template; the outcome is the status line and a message.
// The dialog never closes by itself after it has appeared; repeated clicks reuse the capture.
// A read the control has already reported (-1) leaves the status line at "Reading". Created
// once by the login dialog. Messages go through the skinned box; errors end the action as
// unhandled errors. GUI thread only.
#pragma once

#include <QDialog>

#include "app/Language.h"

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace lumo::app {

class LumoHost;

class TfrmMFVer final : public QDialog, public LanguageTarget {
    Q_OBJECT
public:
    explicit TfrmMFVer(LumoHost* control, QWidget* parent = nullptr);

    void applyLanguage(const LanguageTable& table) override;

    void FormShow();
    void btnVerifyClick();

    QLabel* lbl1;
    QLabel* lbl2;
    QLabel* lbl3;
    QPushButton* btnVerify;
    QLabel* lblStatus;
    QPlainTextEdit* mmFP;

    QString storedCardKey() const { return m_cardKey; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    LumoHost* m_control;
    QString m_cardKey;
};

}  // namespace lumo::app
