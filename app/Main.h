// TfrmMain: Kestrel's main window: toolbar, Setting and card menus, the detail panel of the
// current person with photo and count, the search bar with incremental lookup, the person
// grid, and the hidden fingerprint control.
//
//     TfrmMain main([] { return std::make_unique<TLumoMain>(); });   // runs the login
//     if (main.loginCancelled()) return 0;
//     main.show();                                                  // opens the database
//     if (main.terminated()) return 1;
//
// Creating the window creates the control first (an unregistered control throws
// LumoHostError, which ends the program), then shows the login dialog modally. The first
// showing opens "LUMO.mdb" in the program folder; failure shows LANG_33 with the database's
// message and terminated() becomes true. Handlers keep their form names; every message goes
// through SkinnedMessageBox; errors no handler expects are shown as unhandled errors and end
// the action. GUI thread only.
#pragma once

#include <QMainWindow>
#include <functional>
#include <memory>

#include "app/DateMask.h"
#include "app/Language.h"
#include "app/LumoHost.h"
#include "app/UserStore.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QToolBar;
class QToolButton;
class QAction;

namespace lumo::app {

class DBDateEdit;
class TfrmLogin;
class UserGridModel;
class UserGridView;

inline constexpr const char* kPictureFilter =
    "All (*.gif;*.jpg;*.jpeg;*.bmp)|*.gif;*.jpg;*.jpeg;*.bmp|GIF Image (*.gif)|*.gif|"
    "JPEG Image File (*.jpg)|*.jpg|JPEG Image File (*.jpeg)|*.jpeg|Bitmaps (*.bmp)|*.bmp";

class TfrmMain final : public QMainWindow, public LanguageTarget {
    Q_OBJECT
public:
    using ControlFactory = std::function<std::unique_ptr<LumoHost>()>;
    // Shows the open-picture dialog: (parent, initial folder, Qt filter) -> chosen path or "".
    using PictureChooser = std::function<QString(QWidget*, const QString&, const QString&)>;

    explicit TfrmMain(const ControlFactory& createControl, QWidget* parent = nullptr);
    ~TfrmMain() override;

    LumoHost* LumoMain() const { return m_LumoMain.get(); }
    TfrmLogin* frmLogin() const { return m_frmLogin; }
    UserStore& store() { return m_store; }
    Dataset& qryUser() { return m_store.qryUser(); }
    bool loginCancelled() const;
    bool terminated() const { return m_terminated; }
    void setPictureChooser(PictureChooser chooser) { m_chooser = std::move(chooser); }

    void applyLanguage(const LanguageTable& table) override;

    // Form handlers.
    void FormShow();
    bool ConnectToDB();
    void EnableButton(bool browse);
    void EnableControl(bool editing);
    void tBtnAddClick();
    void tBtnEditClick();
    void tBtnDeleteClick();
    void tBtnSaveClick();
    void tBtnCancelClick();
    void tbtnEnrollClick();
    void tBtnVerifyClick();
    void tBtnExitClick();
    void tbtnPassword1Click();
    void tbtnLanguage1Click();
    void tbtnEnrollFPClick();
    void tbtnVerifyFPClick();
    void tbtnEmptyFPClick();
    void tbtnMFCardKeyClick();
    void btnLoadClick();
    void btnClearClick();
    void btnSearchClick();
    void btnResetClick();
    // The key's character as the lookup sees it (8 Backspace, 13 Enter, 2 Ctrl+B).
    void edtKeyKeyPress(int key);
    void edtKeyChange();
    void dsUserDataChange();

    // Components under their form names.
    QToolBar* tbMain;
    QToolButton* tBtnAdd;
    QToolButton* tBtnEdit;
    QToolButton* tBtnDelete;
    QToolButton* tBtnSave;
    QToolButton* tBtnCancel;
    QToolButton* tbtnEnroll;
    QToolButton* tBtnVerify;
    QToolButton* tbtnSetting;
    QToolButton* ToolButton5;
    QToolButton* tBtnExit;
    QMenu* mmSetting1;
    QAction* tbtnPassword1;
    QAction* tbtnLanguage1;
    QMenu* mmMF;
    QAction* tbtnEnrollFP;
    QAction* tbtnVerifyFP;
    QAction* tbtnEmptyFP;
    QAction* tbtnMFCardKey;

    QGroupBox* gbDetail;
    QLabel* lblUserID;
    QLabel* lblName;
    QLabel* lblDOB;
    QLabel* lblAddress;
    QLabel* lblTel;
    QLabel* lblEmail;
    QLabel* lblRemark1;
    QLabel* lblRemark2;
    QLabel* lblRemark3;
    QLineEdit* dbedtUserID;
    QLineEdit* dbedtName;
    DBDateEdit* dbedtAge;
    QPlainTextEdit* dbedtAdd;
    QLineEdit* dbedtPhone;
    QLineEdit* dbedtEmail;
    QLineEdit* dbedtRemark1;
    QLineEdit* dbedtRemark2;
    QPlainTextEdit* dbedtRemark3;
    QGroupBox* gbPhoto;
    QLabel* imgPhoto;
    QPushButton* btnLoad;
    QPushButton* btnClear;
    QLabel* lblTotal;

    QGroupBox* gbSearch;
    QLabel* lblKeyW;
    QLineEdit* edtKey;
    QComboBox* cboSearch;
    QPushButton* btnSearch;
    QPushButton* btnReset;

    UserGridView* dbUser;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildToolbar();
    void buildDetail();
    void buildSearch();
    void bindDetail();
    void loadDetail();
    void showPhoto(const QString& path, bool reportErrors);
    void endProgram();
    bool isEditing() const;

    std::unique_ptr<LumoHost> m_LumoMain;
    UserStore m_store;
    DateMask m_dateMask;
    std::unique_ptr<UserGridModel> m_gridModel;
    TfrmLogin* m_frmLogin = nullptr;
    PictureChooser m_chooser;
    QString m_pictureFolder;
    int m_lastKey = 0;
    bool m_shown = false;
    bool m_terminated = false;
    bool m_closeAsked = false;
    bool m_loadingDetail = false;
    bool m_writingField = false;
};

}  // namespace lumo::app
