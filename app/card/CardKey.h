// TfrmCardKey: the card key dialog, where the operator sets the key that Kestrel's card
// dialogs open cards with.
//
// Showing it reads "FPCardKey" and shows its number (a stored text that is no key is reported
// and the box left empty, so the operator types a new one). Change stores the typed number
// without leading zeros ("000000" for 0), says so and closes; an empty box is refused and
// stores nothing; Cancel closes without storing. The box takes digits only, at most six, no
// sign. Created once by the login dialog, shown modally from the card menu. Messages go
// through the skinned box; settings errors end the action as unhandled errors. GUI thread only.
#pragma once

#include <QDialog>

#include "app/Language.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace lumo::app {

class TfrmCardKey final : public QDialog, public LanguageTarget {
    Q_OBJECT
public:
    explicit TfrmCardKey(QWidget* parent = nullptr);

    void applyLanguage(const LanguageTable& table) override;

    void FormShow();
    void btnOKClick();
    void btnCancelClick();

    QLabel* lblCardKey;
    QLabel* lblFPCardKey;
    QLineEdit* edtCardKey;
    QPushButton* btnOK;
    QPushButton* btnCancel;

protected:
    void showEvent(QShowEvent* event) override;
};

}  // namespace lumo::app
