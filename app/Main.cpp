#include "app/Main.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QImageReader>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/ChangePwd.h"
#include "app/DBDateEdit.h"
#include "app/DatabaseError.h"
#include "app/IncrementalLookup.h"
#include "app/KestrelSkin.h"
#include "app/Login.h"
#include "app/PhotoView.h"
#include "app/SearchStatements.h"
#include "app/Setting.h"
#include "app/SkinnedMessageBox.h"
#include "app/TemplateScan.h"
#include "app/TextRules.h"
#include "app/UserGridModel.h"
#include "app/UserGridView.h"
#include "app/card/CardKey.h"
#include "app/card/Empty.h"
#include "app/card/MFReg.h"
#include "app/card/MFVer.h"

namespace lumo::app {

namespace {

constexpr int kPhotoSize = 130;

QToolButton* toolButton(QToolBar* bar, const char* name, const char* caption, const char* icon) {
    auto* button = new QToolButton(bar);
    button->setObjectName(QString::fromLatin1(name));
    button->setText(QString::fromLatin1(caption));
    button->setIcon(kestrelIcon(QString::fromLatin1(icon)));
    button->setIconSize(QSize(30, 30));
    button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    button->setAutoRaise(true);
    bar->addWidget(button);
    return button;
}

QLabel* fieldLabel(QWidget* parent, const char* name, const char* caption) {
    auto* label = new QLabel(QString::fromLatin1(caption), parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}

QLineEdit* lineBox(QWidget* parent, const char* name) {
    auto* box = new QLineEdit(parent);
    box->setObjectName(QString::fromLatin1(name));
    return box;
}

QPlainTextEdit* memoBox(QWidget* parent, const char* name) {
    auto* box = new QPlainTextEdit(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setTabChangesFocus(true);
    box->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    box->setFixedHeight(48);
    return box;
}

}  // namespace

TfrmMain::TfrmMain(const ControlFactory& createControl, QWidget* parent)
    : QMainWindow(parent), m_dateMask(DateMask::forLocale(QLocale::system())) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QString::fromLatin1(kProductName));
    m_gridModel = std::make_unique<UserGridModel>(m_store.qryUser());
    m_gridModel->setDateMask(m_dateMask);
    m_chooser = [](QWidget* parent, const QString& folder, const QString& filter) {
        return QFileDialog::getOpenFileName(parent, QString(), folder, filter);
    };

    buildToolbar();
    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("central"));
    buildDetail();
    buildSearch();
    dbUser = new UserGridView(m_store.qryUser(), *m_gridModel, central);
    dbUser->setObjectName(QStringLiteral("dbUser"));
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(8, 6, 8, 8);
    layout->setSpacing(6);
    layout->addWidget(gbDetail);
    layout->addWidget(gbSearch);
    layout->addWidget(dbUser, 1);
    gbDetail->setParent(central);
    gbSearch->setParent(central);
    setCentralWidget(central);
    bindDetail();

    const int widths[] = {74, 124, 104, 190, 128, 196, 100, 100, 120};
    for (int i = 0; i < 9; ++i) dbUser->setColumnWidth(i, widths[i]);

    // The window's design client size, centred on the desktop.
    resize(860, 640);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    // The control is a component of the window: it exists before the window's creation
    // handler runs, and a control that cannot be created ends the program with its error.
    m_LumoMain = createControl ? createControl() : nullptr;

    setWindowTitle(windowTitle() + QLatin1Char(' ') + QString::fromLatin1(kVersionText));
    m_frmLogin = new TfrmLogin(this);
    m_frmLogin->exec();
}

TfrmMain::~TfrmMain() {
    // The grid and the boxes go before the store they look at.
    delete dbUser;
    dbUser = nullptr;
}

bool TfrmMain::loginCancelled() const { return m_frmLogin && m_frmLogin->isCancelled(); }

void TfrmMain::buildToolbar() {
    tbMain = new QToolBar(this);
    tbMain->setObjectName(QStringLiteral("tbMain"));
    tbMain->setMovable(false);
    tbMain->setFloatable(false);
    tbMain->setContextMenuPolicy(Qt::PreventContextMenu);
    addToolBar(Qt::TopToolBarArea, tbMain);

    tBtnAdd = toolButton(tbMain, "tBtnAdd", "Add", "add");
    tBtnEdit = toolButton(tbMain, "tBtnEdit", "Edit", "edit");
    tBtnDelete = toolButton(tbMain, "tBtnDelete", "Delete", "delete");
    tbMain->addSeparator();
    tBtnSave = toolButton(tbMain, "tBtnSave", "Save", "save");
    tBtnCancel = toolButton(tbMain, "tBtnCancel", "Cancel", "cancel");
    tbMain->addSeparator();
    tbtnEnroll = toolButton(tbMain, "tbtnEnroll", "Register", "register");
    tBtnVerify = toolButton(tbMain, "tBtnVerify", "Verify", "verify");
    tbMain->addSeparator();
    tbtnSetting = toolButton(tbMain, "tbtnSetting", "Setting", "setting");
    ToolButton5 = toolButton(tbMain, "ToolButton5", "MF Card", "card");
    tbMain->addSeparator();
    tBtnExit = toolButton(tbMain, "tBtnExit", "Exit", "exit");

    mmSetting1 = new QMenu(this);
    mmSetting1->setObjectName(QStringLiteral("mmSetting1"));
    tbtnPassword1 = mmSetting1->addAction(kestrelIcon(QStringLiteral("password")),
                                          QStringLiteral("Change Password"));
    tbtnPassword1->setObjectName(QStringLiteral("tbtnPassword1"));
    tbtnLanguage1 = mmSetting1->addAction(kestrelIcon(QStringLiteral("language")),
                                          QStringLiteral("Preferred Language"));
    tbtnLanguage1->setObjectName(QStringLiteral("tbtnLanguage1"));
    tbtnSetting->setMenu(mmSetting1);
    tbtnSetting->setPopupMode(QToolButton::InstantPopup);

    // The card menu keeps its design captions in every language.
    mmMF = new QMenu(this);
    mmMF->setObjectName(QStringLiteral("mmMF"));
    tbtnEnrollFP = mmMF->addAction(kestrelIcon(QStringLiteral("register")),
                                   QStringLiteral("Enroll FP into MF Card"));
    tbtnEnrollFP->setObjectName(QStringLiteral("tbtnEnrollFP"));
    tbtnVerifyFP = mmMF->addAction(kestrelIcon(QStringLiteral("verify")),
                                   QStringLiteral("Verify FP from MF Card"));
    tbtnVerifyFP->setObjectName(QStringLiteral("tbtnVerifyFP"));
    tbtnEmptyFP =
        mmMF->addAction(kestrelIcon(QStringLiteral("delete")), QStringLiteral("Empty MF Card"));
    tbtnEmptyFP->setObjectName(QStringLiteral("tbtnEmptyFP"));
    mmMF->addSeparator();
    tbtnMFCardKey =
        mmMF->addAction(kestrelIcon(QStringLiteral("password")), QStringLiteral("MF Card Key"));
    tbtnMFCardKey->setObjectName(QStringLiteral("tbtnMFCardKey"));
    ToolButton5->setMenu(mmMF);
    ToolButton5->setPopupMode(QToolButton::InstantPopup);

    auto run = [this](auto handler) {
        return [this, handler] { guarded(this, [this, handler] { (this->*handler)(); }); };
    };
    connect(tBtnAdd, &QToolButton::clicked, this, run(&TfrmMain::tBtnAddClick));
    connect(tBtnEdit, &QToolButton::clicked, this, run(&TfrmMain::tBtnEditClick));
    connect(tBtnDelete, &QToolButton::clicked, this, run(&TfrmMain::tBtnDeleteClick));
    connect(tBtnSave, &QToolButton::clicked, this, run(&TfrmMain::tBtnSaveClick));
    connect(tBtnCancel, &QToolButton::clicked, this, run(&TfrmMain::tBtnCancelClick));
    connect(tbtnEnroll, &QToolButton::clicked, this, run(&TfrmMain::tbtnEnrollClick));
    connect(tBtnVerify, &QToolButton::clicked, this, run(&TfrmMain::tBtnVerifyClick));
    connect(tBtnExit, &QToolButton::clicked, this, run(&TfrmMain::tBtnExitClick));
    connect(tbtnPassword1, &QAction::triggered, this, run(&TfrmMain::tbtnPassword1Click));
    connect(tbtnLanguage1, &QAction::triggered, this, run(&TfrmMain::tbtnLanguage1Click));
    connect(tbtnEnrollFP, &QAction::triggered, this, run(&TfrmMain::tbtnEnrollFPClick));
    connect(tbtnVerifyFP, &QAction::triggered, this, run(&TfrmMain::tbtnVerifyFPClick));
    connect(tbtnEmptyFP, &QAction::triggered, this, run(&TfrmMain::tbtnEmptyFPClick));
    connect(tbtnMFCardKey, &QAction::triggered, this, run(&TfrmMain::tbtnMFCardKeyClick));
}

void TfrmMain::buildDetail() {
    gbDetail = new QGroupBox(this);
    gbDetail->setObjectName(QStringLiteral("gbDetail"));
    lblUserID = fieldLabel(gbDetail, "lblUserID", "* User ID:");
    lblName = fieldLabel(gbDetail, "lblName", "* Name:");
    lblDOB = fieldLabel(gbDetail, "lblDOB", "Date of Birth:");
    lblAddress = fieldLabel(gbDetail, "lblAddress", "Address:");
    lblTel = fieldLabel(gbDetail, "lblTel", "Tel:");
    lblEmail = fieldLabel(gbDetail, "lblEmail", "E-Mail:");
    lblRemark1 = fieldLabel(gbDetail, "lblRemark1", "Remark 1:");
    lblRemark2 = fieldLabel(gbDetail, "lblRemark2", "Remark 2:");
    lblRemark3 = fieldLabel(gbDetail, "lblRemark3", "Remark 3:");
    lblAddress->setAlignment(Qt::AlignRight | Qt::AlignTop);
    lblRemark3->setAlignment(Qt::AlignRight | Qt::AlignTop);
    dbedtUserID = lineBox(gbDetail, "dbedtUserID");
    dbedtName = lineBox(gbDetail, "dbedtName");
    dbedtAge = new DBDateEdit(m_dateMask, gbDetail);
    dbedtAge->setObjectName(QStringLiteral("dbedtAge"));
    dbedtAdd = memoBox(gbDetail, "dbedtAdd");
    dbedtPhone = lineBox(gbDetail, "dbedtPhone");
    dbedtEmail = lineBox(gbDetail, "dbedtEmail");
    dbedtRemark1 = lineBox(gbDetail, "dbedtRemark1");
    dbedtRemark2 = lineBox(gbDetail, "dbedtRemark2");
    dbedtRemark3 = memoBox(gbDetail, "dbedtRemark3");
    for (QLabel* label : {lblAddress, lblRemark3}) label->setContentsMargins(0, 4, 0, 0);

    gbPhoto = new QGroupBox(QStringLiteral("Photo"), gbDetail);
    gbPhoto->setObjectName(QStringLiteral("gbPhoto"));
    imgPhoto = new PhotoView(gbPhoto);
    imgPhoto->setObjectName(QStringLiteral("imgPhoto"));
    imgPhoto->setFixedSize(kPhotoSize, kPhotoSize);
    imgPhoto->setAlignment(Qt::AlignCenter);
    imgPhoto->setStyleSheet(QStringLiteral(
        "QLabel#imgPhoto { background: #f3f6fa; border: 1px solid #c5d1de; border-radius: 4px; }"));
    btnLoad = new QPushButton(QStringLiteral("Load"), gbPhoto);
    btnLoad->setObjectName(QStringLiteral("btnLoad"));
    btnClear = new QPushButton(QStringLiteral("Clear"), gbPhoto);
    btnClear->setObjectName(QStringLiteral("btnClear"));
    auto* photoButtons = new QHBoxLayout;
    photoButtons->setSpacing(6);
    photoButtons->addWidget(btnLoad);
    photoButtons->addWidget(btnClear);
    auto* photoLayout = new QVBoxLayout(gbPhoto);
    photoLayout->setContentsMargins(8, 6, 8, 6);
    photoLayout->setSpacing(6);
    photoLayout->addWidget(imgPhoto, 0, Qt::AlignHCenter);
    photoLayout->addLayout(photoButtons);

    lblTotal = new QLabel(QStringLiteral("0"), gbDetail);
    lblTotal->setObjectName(QStringLiteral("lblTotal"));
    lblTotal->setAlignment(Qt::AlignCenter);
    auto* totalIcon = new QLabel(gbDetail);
    totalIcon->setPixmap(kestrelPixmap(QStringLiteral("add"), 18));
    totalIcon->setToolTip(QStringLiteral("Persons listed"));
    auto* totalRow = new QHBoxLayout;
    totalRow->setSpacing(2);
    totalRow->addStretch(1);
    totalRow->addWidget(totalIcon);
    totalRow->addWidget(lblTotal);
    totalRow->addStretch(1);

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(6);
    grid->addWidget(lblUserID, 0, 0);
    grid->addWidget(dbedtUserID, 0, 1);
    grid->addWidget(lblName, 0, 2);
    grid->addWidget(dbedtName, 0, 3);
    grid->addWidget(lblDOB, 1, 0);
    grid->addWidget(dbedtAge, 1, 1);
    grid->addWidget(lblTel, 1, 2);
    grid->addWidget(dbedtPhone, 1, 3);
    grid->addWidget(lblEmail, 2, 0);
    grid->addWidget(dbedtEmail, 2, 1);
    grid->addWidget(lblRemark1, 2, 2);
    grid->addWidget(dbedtRemark1, 2, 3);
    grid->addWidget(lblAddress, 3, 0);
    grid->addWidget(dbedtAdd, 3, 1, 2, 1);
    grid->addWidget(lblRemark2, 3, 2);
    grid->addWidget(dbedtRemark2, 3, 3);
    grid->addWidget(lblRemark3, 4, 2);
    grid->addWidget(dbedtRemark3, 4, 3);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
    // The address box fills the two rows beside Remark 2 and Remark 3.
    dbedtRemark2->ensurePolished();
    dbedtAdd->setFixedHeight(dbedtRemark2->sizeHint().height() + grid->verticalSpacing() + 48);

    auto* side = new QVBoxLayout;
    side->setSpacing(4);
    side->addWidget(gbPhoto);
    side->addLayout(totalRow);
    auto* detail = new QHBoxLayout(gbDetail);
    detail->setContentsMargins(10, 8, 10, 6);
    detail->setSpacing(14);
    detail->addLayout(grid, 1);
    detail->addLayout(side);

    connect(btnLoad, &QPushButton::clicked, this,
            [this] { guarded(this, [this] { btnLoadClick(); }); });
    connect(btnClear, &QPushButton::clicked, this,
            [this] { guarded(this, [this] { btnClearClick(); }); });
}

void TfrmMain::buildSearch() {
    gbSearch = new QGroupBox(this);
    gbSearch->setObjectName(QStringLiteral("gbSearch"));
    lblKeyW = new QLabel(QStringLiteral("Keywords:"), gbSearch);
    lblKeyW->setObjectName(QStringLiteral("lblKeyW"));
    edtKey = new QLineEdit(gbSearch);
    edtKey->setObjectName(QStringLiteral("edtKey"));
    edtKey->setMaxLength(100);
    edtKey->setClearButtonEnabled(false);
    cboSearch = new QComboBox(gbSearch);
    cboSearch->setObjectName(QStringLiteral("cboSearch"));
    cboSearch->addItems(
        {QStringLiteral("Full Text Search"), QStringLiteral("User ID"), QStringLiteral("Name")});
    cboSearch->setCurrentIndex(0);
    cboSearch->setMinimumWidth(140);
    btnSearch = new QPushButton(QStringLiteral("Search"), gbSearch);
    btnSearch->setObjectName(QStringLiteral("btnSearch"));
    btnReset = new QPushButton(QStringLiteral("Reset"), gbSearch);
    btnReset->setObjectName(QStringLiteral("btnReset"));
    btnSearch->setMinimumWidth(84);
    btnReset->setMinimumWidth(84);
    btnSearch->setAutoDefault(false);
    btnReset->setAutoDefault(false);
    auto* row = new QHBoxLayout(gbSearch);
    row->setContentsMargins(10, 4, 10, 4);
    row->setSpacing(8);
    row->addWidget(lblKeyW);
    row->addWidget(edtKey, 1);
    row->addWidget(cboSearch);
    row->addWidget(btnSearch);
    row->addWidget(btnReset);
    gbSearch->setStyleSheet(
        QStringLiteral("QGroupBox#gbSearch { margin-top: 0px; padding-top: 4px; }"));
    gbDetail->setStyleSheet(
        QStringLiteral("QGroupBox#gbDetail { margin-top: 0px; padding-top: 6px; }"));

    edtKey->installEventFilter(this);
    connect(edtKey, &QLineEdit::textChanged, this,
            [this] { guarded(this, [this] { edtKeyChange(); }); });
    connect(btnSearch, &QPushButton::clicked, this,
            [this] { guarded(this, [this] { btnSearchClick(); }); });
    connect(btnReset, &QPushButton::clicked, this,
            [this] { guarded(this, [this] { btnResetClick(); }); });
}

void TfrmMain::bindDetail() {
    Dataset& users = m_store.qryUser();
    auto write = [this](const char* field) {
        return [this, field](const QVariant& value) {
            if (m_loadingDetail || !isEditing()) return;
            m_writingField = true;
            guarded(this, [&] { m_store.qryUser().setValue(QString::fromLatin1(field), value); });
            m_writingField = false;
        };
    };
    const std::pair<QLineEdit*, const char*> lines[] = {
        {dbedtUserID, "UserID"}, {dbedtName, "Name"},       {dbedtPhone, "Tel"},
        {dbedtEmail, "Email"},   {dbedtRemark1, "Remark1"}, {dbedtRemark2, "Remark2"}};
    for (const auto& [box, field] : lines) {
        auto store = write(field);
        connect(box, &QLineEdit::textEdited, this, [store](const QString& text) { store(text); });
    }
    const std::pair<QPlainTextEdit*, const char*> memos[] = {{dbedtAdd, "Address"},
                                                             {dbedtRemark3, "Remark3"}};
    for (const auto& [box, field] : memos) {
        auto store = write(field);
        QPlainTextEdit* memo = box;
        connect(memo, &QPlainTextEdit::textChanged, this,
                [store, memo] { store(memo->toPlainText()); });
    }
    // The date goes into the row when it is saved, once the box holds a whole date.

    connect(&users, &Dataset::rowsReset, this,
            [this] { guarded(this, [this] { dsUserDataChange(); }); });
    connect(&users, &Dataset::currentChanged, this,
            [this] { guarded(this, [this] { dsUserDataChange(); }); });
    connect(&users, &Dataset::fieldChanged, this,
            [this] { guarded(this, [this] { dsUserDataChange(); }); });
    connect(&users, &Dataset::stateChanged, this,
            [this] { guarded(this, [this] { dsUserDataChange(); }); });
}

bool TfrmMain::isEditing() const {
    const Dataset::State state = m_store.qryUser().state();
    return state == Dataset::State::Insert || state == Dataset::State::Edit;
}

void TfrmMain::loadDetail() {
    Dataset& users = m_store.qryUser();
    m_loadingDetail = true;
    dbedtUserID->setText(users.text(QStringLiteral("UserID")));
    dbedtName->setText(users.text(QStringLiteral("Name")));
    dbedtAge->setDate(DateMask::fromStored(users.value(QStringLiteral("DOB"))));
    dbedtAdd->setPlainText(users.text(QStringLiteral("Address")));
    dbedtPhone->setText(users.text(QStringLiteral("Tel")));
    dbedtEmail->setText(users.text(QStringLiteral("Email")));
    dbedtRemark1->setText(users.text(QStringLiteral("Remark1")));
    dbedtRemark2->setText(users.text(QStringLiteral("Remark2")));
    dbedtRemark3->setPlainText(users.text(QStringLiteral("Remark3")));
    for (QLineEdit* box :
         {dbedtUserID, dbedtName, dbedtPhone, dbedtEmail, dbedtRemark1, dbedtRemark2})
        box->setCursorPosition(0);
    m_loadingDetail = false;
}

void TfrmMain::applyLanguage(const LanguageTable& table) {
    lblUserID->setText(QStringLiteral("* ") + table.text(1) + QStringLiteral(":"));
    lblName->setText(QStringLiteral("* ") + table.text(2) + QStringLiteral(":"));
    QLabel* labels[] = {lblDOB, lblAddress, lblTel, lblEmail, lblRemark1, lblRemark2, lblRemark3};
    for (int i = 0; i < 7; ++i) labels[i]->setText(table.text(3 + i) + QStringLiteral(":"));
    QToolButton* buttons[] = {tBtnAdd,    tBtnEdit,   tBtnDelete, tBtnSave,
                              tBtnCancel, tbtnEnroll, tBtnVerify, tBtnExit};
    for (int i = 0; i < 8; ++i) buttons[i]->setText(table.text(10 + i));
    gbPhoto->setTitle(table.text(18));
    btnLoad->setText(table.text(19));
    btnClear->setText(table.text(20));
    btnSearch->setText(table.text(21));
    btnReset->setText(table.text(22));
    tbtnSetting->setText(table.text(25));
    lblKeyW->setText(table.text(24) + QStringLiteral(":"));
    cboSearch->clear();
    cboSearch->addItems({table.text(23), table.text(1), table.text(2)});
    cboSearch->setCurrentIndex(0);
    QStringList captions;
    for (int n = 1; n <= 9; ++n) captions << table.text(n);
    m_gridModel->setCaptions(captions);
    // Columns grow to show their whole caption in every language.
    const QFontMetrics metrics(dbUser->horizontalHeader()->font());
    for (int column = 0; column < captions.size(); ++column) {
        const int needed = metrics.horizontalAdvance(captions[column]) + 28;
        if (dbUser->columnWidth(column) < needed) dbUser->setColumnWidth(column, needed);
    }
    tbtnPassword1->setText(table.text(44));
    tbtnLanguage1->setText(table.text(43));
}

void TfrmMain::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (m_shown) return;
    m_shown = true;
    FormShow();
}

void TfrmMain::FormShow() {
    WaitCursor wait;
    guarded(this, [this] {
        if (m_LumoMain) m_LumoMain->setVisible(false);
    });
    if (!ConnectToDB()) {
        endProgram();
        return;
    }
    guarded(this, [this] {
        EnableButton(true);
        EnableControl(false);
        Dataset& users = m_store.qryUser();
        users.close();
        users.setStatement(QString::fromLatin1(kUsersDesignStatement));
        users.open();
    });
}

bool TfrmMain::ConnectToDB() {
    const QString path = programFolder() + QLatin1String(kDatabaseFileName);
    try {
        m_store.connect(path);
        return true;
    } catch (const std::exception& e) {
        // The default cursor while the message is up; the caller's busy scope then ends.
        const bool busy = QApplication::overrideCursor() != nullptr;
        if (busy) QApplication::restoreOverrideCursor();
        SkinnedMessageBox::error(this,
                                 LANG(33) + QStringLiteral("\n\r") + QString::fromUtf8(e.what()));
        if (busy) QApplication::setOverrideCursor(Qt::WaitCursor);
        return false;
    }
}

void TfrmMain::endProgram() {
    m_terminated = true;
    m_closeAsked = true;
    hide();
    QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
}

void TfrmMain::EnableButton(bool browse) {
    tBtnAdd->setEnabled(browse);
    tbtnSetting->setEnabled(browse);
    tBtnCancel->setEnabled(!browse);
    tBtnSave->setEnabled(!browse);
    btnLoad->setEnabled(!browse);
    btnClear->setEnabled(!browse);
    Dataset& users = m_store.qryUser();
    if (users.isOpen() && users.recordCount() > 0) {
        tBtnEdit->setEnabled(browse);
        tBtnDelete->setEnabled(browse);
        tbtnEnroll->setEnabled(browse);
        tBtnVerify->setEnabled(browse);
    }
}

void TfrmMain::EnableControl(bool editing) {
    gbDetail->setEnabled(editing);
    dbUser->setEnabled(!editing);
    gbSearch->setEnabled(!editing);
}

void TfrmMain::tBtnAddClick() {
    // The row first: a set that cannot take a new row leaves the window in browse mode.
    m_store.qryUser().insert();
    EnableButton(false);
    EnableControl(true);
    dbedtUserID->setFocus();
}

void TfrmMain::tBtnEditClick() {
    m_store.qryUser().edit();
    EnableButton(false);
    EnableControl(true);
    dbedtUserID->setFocus();
}

void TfrmMain::tBtnSaveClick() {
    if (dbedtUserID->text().isEmpty()) {
        SkinnedMessageBox::error(this, LANG(31));
        dbedtUserID->setFocus();
        return;
    }
    if (dbedtName->text().isEmpty()) {
        SkinnedMessageBox::error(this, LANG(32));
        dbedtName->setFocus();
        return;
    }
    // The date box must hold a whole date or nothing before the row can be written.
    const DateMask::Parsed dob = m_dateMask.parse(dbedtAge->text());
    if (!dob.empty && !dob.date.isValid()) {
        SkinnedMessageBox::error(this,
                                 QStringLiteral("'%1' is not a valid date").arg(dbedtAge->text()));
        dbedtAge->setFocus();
        return;
    }
    if (!SkinnedMessageBox::confirm(this, LANG(30))) return;
    Dataset& users = m_store.qryUser();
    m_writingField = true;
    users.setValue(QStringLiteral("DOB"),
                   dob.empty ? QVariant() : QVariant(DateMask::storedText(dob.date)));
    m_writingField = false;
    users.post();
    EnableButton(true);
    EnableControl(false);
    dsUserDataChange();
}

void TfrmMain::tBtnCancelClick() {
    m_store.qryUser().cancel();
    EnableButton(true);
    EnableControl(false);
    dsUserDataChange();
}

void TfrmMain::tBtnDeleteClick() {
    if (m_store.qryUser().state() != Dataset::State::Browse || m_store.qryUser().recordCount() == 0)
        return;
    if (!SkinnedMessageBox::confirm(this, LANG(29))) return;
    m_store.deletePerson();
}

void TfrmMain::tBtnExitClick() { close(); }

void TfrmMain::closeEvent(QCloseEvent* event) {
    if (m_closeAsked || SkinnedMessageBox::confirm(this, LANG(28))) {
        m_closeAsked = true;
        event->accept();
        return;
    }
    event->ignore();
}

void TfrmMain::tbtnEnrollClick() {
    // Enrollment of the current person's finger through the control.
    Dataset& users = m_store.qryUser();
    if (!m_LumoMain || users.state() != Dataset::State::Browse || users.recordCount() == 0) return;
    WaitCursor wait;
    Dataset& insert = m_store.qryInsert();
    if (!insert.isOpen()) insert.open();
    m_LumoMain->setIsAutoRegister(true);
    if (!m_LumoMain->Register()) return;
    const QString tpl = m_LumoMain->RegisterTemplate();
    const QString person = users.text(QStringLiteral("ID"));
    const QString finger = QString::number(m_LumoMain->FingerIndex());
    Dataset& row = m_store.GetUserTemplate(person, finger);
    if (row.recordCount() == 0) {
        row.insert();
        row.setValue(QStringLiteral("USER_ID"), requireNumber(person).toLongLong());
        row.setValue(QStringLiteral("TPL_INDEX"), finger.toLongLong());
        row.setValue(QStringLiteral("TPL"), tpl);
    } else {
        row.first();
        row.edit();
        row.setValue(QStringLiteral("TPL"), tpl);
    }
    row.post();
}

void TfrmMain::tBtnVerifyClick() {
    // Identification: one capture compared with every stored template until the first match.
    if (!m_LumoMain || m_store.qryUser().state() != Dataset::State::Browse) return;
    WaitCursor wait;
    bool found = false;
    if (m_LumoMain->GetVerTemplate()) {
        const QString captured = m_LumoMain->VerifyTemplate();
        // The label is repainted as the scan goes, a few dozen times a second and with its
        // final count, rather than after every comparison: with thousands of templates the
        // repaints would otherwise take longer than the comparisons.
        const auto showCount = [this](int compared, int total) {
            lblTotal->setText(QString::number(compared) + QStringLiteral("/") +
                              QString::number(total));
            lblTotal->repaint();
        };
        const TemplateScan::Result result =
            TemplateScan::firstMatch(*m_LumoMain, captured, m_store.GetAllUser(), showCount);
        if (result.userId) {
            found = true;
            // Moving to the person shows the person count; the label ends with the comparisons.
            m_store.qryUser().locate(QStringLiteral("ID"), *result.userId);
            showCount(result.compared, result.total);
        }
    }
    if (!found) SkinnedMessageBox::error(this, LANG(34));
}

void TfrmMain::tbtnPassword1Click() {
    if (m_frmLogin && m_frmLogin->frmChangePwd()) m_frmLogin->frmChangePwd()->exec();
}

void TfrmMain::tbtnLanguage1Click() {
    if (m_frmLogin && m_frmLogin->frmSetting()) m_frmLogin->frmSetting()->exec();
}

void TfrmMain::tbtnEnrollFPClick() {
    if (m_frmLogin && m_frmLogin->frmMFReg()) m_frmLogin->frmMFReg()->exec();
}

void TfrmMain::tbtnVerifyFPClick() {
    if (m_frmLogin && m_frmLogin->frmMFVer()) m_frmLogin->frmMFVer()->exec();
}

void TfrmMain::tbtnEmptyFPClick() {
    if (m_frmLogin && m_frmLogin->frmEmpty()) m_frmLogin->frmEmpty()->exec();
}

void TfrmMain::tbtnMFCardKeyClick() {
    if (m_frmLogin && m_frmLogin->frmCardKey()) m_frmLogin->frmCardKey()->exec();
}

void TfrmMain::btnLoadClick() {
    if (!isEditing()) return;
    if (m_pictureFolder.isEmpty()) m_pictureFolder = programFolder();
    const QString path =
        m_chooser(this, m_pictureFolder, qtFileFilter(QString::fromLatin1(kPictureFilter)));
    if (path.isEmpty()) return;
    m_store.qryUser().setValue(QStringLiteral("PHOTO"), QFileInfo(path).absoluteFilePath());
    showPhoto(path, true);
}

void TfrmMain::btnClearClick() {
    if (!isEditing()) return;
    imgPhoto->clear();
    m_store.qryUser().setValue(QStringLiteral("PHOTO"), QStringLiteral("nil"));
}

void TfrmMain::showPhoto(const QString& path, bool reportErrors) {
    if (path.isEmpty() || !QFileInfo(path).isFile()) {
        imgPhoto->clear();
        return;
    }
    QImageReader reader(path);
    reader.setAutoTransform(true);
    const QImage image = reader.read();
    if (image.isNull()) {
        imgPhoto->clear();
        // Browsing past a broken picture shows no photo; loading one says why.
        if (reportErrors)
            throw DatabaseError(QStringLiteral("Cannot load the picture %1: %2")
                                    .arg(path, reader.errorString())
                                    .toStdString());
        return;
    }
    QPixmap pixmap = QPixmap::fromImage(image);
    if (pixmap.width() > kPhotoSize - 4 || pixmap.height() > kPhotoSize - 4)
        pixmap = pixmap.scaled(kPhotoSize - 4, kPhotoSize - 4, Qt::KeepAspectRatio,
                               Qt::SmoothTransformation);
    imgPhoto->setPixmap(pixmap);
}

void TfrmMain::dsUserDataChange() {
    Dataset& users = m_store.qryUser();
    if (users.recordCount() == 0) {
        for (QToolButton* b : {tbtnEnroll, tBtnVerify, tBtnEdit, tBtnDelete}) b->setEnabled(false);
    } else if (users.state() == Dataset::State::Browse) {
        for (QToolButton* b : {tbtnEnroll, tBtnVerify, tBtnEdit, tBtnDelete}) b->setEnabled(true);
    }
    // Boxes follow the row, except while the user types into them.
    if (!m_writingField) loadDetail();
    showPhoto(users.text(QStringLiteral("PHOTO")), false);
    lblTotal->setText(QString::number(users.recordCount()));
}

void TfrmMain::btnSearchClick() {
    WaitCursor wait(Qt::BusyCursor);
    m_store.search(edtKey->text(), cboSearch->currentIndex());
}

void TfrmMain::btnResetClick() {
    edtKey->clear();
    cboSearch->setCurrentIndex(0);
}

bool TfrmMain::eventFilter(QObject* watched, QEvent* event) {
    if (watched == edtKey && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Backspace || key->key() == Qt::Key_Delete) {
            // Delete, like Backspace, removes text and must never complete it again.
            edtKeyKeyPress(kKeyBackspace);
        } else if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            edtKeyKeyPress(kKeyEnter);
            return true;
        } else if (key->key() == Qt::Key_B && (key->modifiers() & Qt::ControlModifier)) {
            edtKeyKeyPress(kKeyCtrlB);
            return true;
        } else if (!key->text().isEmpty() && key->text().at(0).isPrint()) {
            edtKeyKeyPress(key->text().at(0).unicode());
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void TfrmMain::edtKeyKeyPress(int key) {
    m_lastKey = key;
    // Enter and Ctrl+B move the focus at once (they change no text, so waiting for the next
    // change would move it at a surprising moment).
    if (m_lastKey == kKeyEnter) {
        m_lastKey = 0;
        focusNextChild();
    } else if (m_lastKey == kKeyCtrlB) {
        m_lastKey = 0;
        focusPreviousChild();
    }
}

void TfrmMain::edtKeyChange() {
    const int mode = cboSearch->currentIndex();
    if (mode != SearchUserId && mode != SearchName) return;
    if (!m_store.isConnected()) return;
    const QString typed = edtKey->text();
    const LookupCompletion completion =
        IncrementalLookup::evaluate(m_store, typed, mode, m_lastKey);
    if (!completion.complete) return;
    // Runs this handler again for the completed text before the selection is set.
    edtKey->setText(completion.text);
    const int start = std::min(completion.selectionStart, static_cast<int>(edtKey->text().size()));
    edtKey->setSelection(start, static_cast<int>(edtKey->text().size()) - start);
    m_store.qryUser().locate(completion.column, completion.text);
}

}  // namespace lumo::app
