// TfrmEmpty: blanks a MIFARE card and gives it back the factory key.
//
// Showing it hides the working line and reads the stored card key. Empty opens the card with
// the stored key, empties it in the extended user-id format, reports the result and closes the
// dialog whatever the result; Cancel closes it. The stored key stays as it is: an emptied card
// opens with the factory key afterwards. Created once by the login dialog. Messages go through
// the skinned box; errors end the action as unhandled errors (the dialog then stays open).
// GUI thread only.
#pragma once

#include <QDialog>

#include "app/Language.h"

class QLabel;
class QPushButton;

namespace lumo::app {

class LumoHost;

class TfrmEmpty final : public QDialog, public LanguageTarget {
    Q_OBJECT
public:
    explicit TfrmEmpty(LumoHost* control, QWidget* parent = nullptr);

    void applyLanguage(const LanguageTable& table) override;

    void FormShow();
    void btnOKClick();
    void btnCancelClick();

    QLabel* lblEmpty;
    QLabel* lblWork;
    QPushButton* btnOK;
    QPushButton* btnCancel;

    QString storedCardKey() const { return m_cardKey; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    LumoHost* m_control;
    QString m_cardKey;
};

}  // namespace lumo::app
