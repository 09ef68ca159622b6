// TfrmSetting: the language selection dialog.
//
// FileList lists the program folder's "*.ini" files and its subfolders, sorted, read again at
// every showing. Select applies the selected entry and closes; a double-click applies it and
// leaves the dialog open. Applying is ChangeLanguage (Language.h): load, apply to every form
// and the control, remember as "Language".
#pragma once

#include <QDialog>

#include "app/Language.h"

class QListWidget;
class QListWidgetItem;
class QPushButton;

namespace lumo::app {

class TfrmLogin;

class TfrmSetting final : public QDialog, public LanguageTarget {
    Q_OBJECT
public:
    explicit TfrmSetting(TfrmLogin* owner);

    void applyLanguage(const LanguageTable& table) override;
    void FormShow();
    void ChangeLanguage();
    void btnSelectClick();
    void FileListDblClick();

    // The full path of the selected entry, or "" when nothing is selected.
    QString selectedPath() const;
    // Fills the list from the folder (the program folder when shown).
    void readFolder(const QString& folder);

    QListWidget* FileList;
    QPushButton* btnSelect;

protected:
    void showEvent(QShowEvent* event) override;

private:
    TfrmLogin* m_owner;
    QString m_folder;
};

}  // namespace lumo::app
