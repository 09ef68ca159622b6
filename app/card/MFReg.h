// TfrmMFReg: writes a freshly enrolled finger with a user id onto a MIFARE card.
//
// Each showing resets the control's finger status, runs the control's enrollment dialog and
// keeps its template (a cancelled or failed enrollment closes this dialog at once), and reads
// the stored card key. Enroll checks the user id and the stored key before the control is
// asked for anything, loads the keys (factory key for a new or blank card, with the stored key
// put on the card afterwards when it is not zero), writes the card in the extended user-id
// format, and reports the result: success closes the dialog, a failure keeps it open for
// another attempt. The status line, once shown, keeps its last text across showings.
// Created once by the login dialog; the control belongs to the main window and outlives it.
// Messages go through the skinned box; errors end the action as unhandled errors. GUI thread.
#pragma once

#include <QDialog>

#include "app/Language.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace lumo::app {

class LumoHost;

class TfrmMFReg final : public QDialog, public LanguageTarget {
    Q_OBJECT
public:
    // control may be null (no control: every showing closes at once).
    explicit TfrmMFReg(LumoHost* control, QWidget* parent = nullptr);

    void applyLanguage(const LanguageTable& table) override;

    void FormShow();
    void btnEnrollClick();

    QLabel* lbl1;
    QLabel* lbl2;
    QLabel* lbl3;
    QLabel* lbl4;
    QLabel* lbl5;
    QLabel* lblUserID;
    QLineEdit* edtUserID;
    QCheckBox* cNewMF;
    QPushButton* btnEnroll;
    QLabel* lblStatus;
    QPlainTextEdit* mmFP;

    // The stored card key text read at the last showing.
    QString storedCardKey() const { return m_cardKey; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    LumoHost* m_control;
    QString m_cardKey;
};

}  // namespace lumo::app
