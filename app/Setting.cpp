#include "app/Setting.h"

#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "app/CommonPF.h"
#include "app/KestrelSkin.h"
#include "app/Login.h"
#include "app/SkinnedMessageBox.h"

namespace lumo::app {

namespace {
constexpr int kPathRole = Qt::UserRole + 1;
}

TfrmSetting::TfrmSetting(TfrmLogin* owner) : QDialog(owner), m_owner(owner) {
    setObjectName(QStringLiteral("frmSetting"));
    setWindowTitle(QStringLiteral("Language Selection"));
    setModal(true);
    FileList = new QListWidget(this);
    FileList->setObjectName(QStringLiteral("FileList"));
    FileList->setIconSize(QSize(20, 20));
    btnSelect = new QPushButton(QStringLiteral("Select"), this);
    btnSelect->setObjectName(QStringLiteral("btnSelect"));
    btnSelect->setDefault(true);
    btnSelect->setMinimumWidth(96);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnSelect);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(14, 14, 14, 12);
    layout->setSpacing(10);
    layout->addWidget(FileList, 1);
    layout->addLayout(buttons);
    setFixedSize(340, 300);

    connect(btnSelect, &QPushButton::clicked, this,
            [this] { guarded(this, [this] { btnSelectClick(); }); });
    connect(FileList, &QListWidget::itemDoubleClicked, this,
            [this] { guarded(this, [this] { FileListDblClick(); }); });
}

void TfrmSetting::applyLanguage(const LanguageTable& table) {
    setWindowTitle(table.text(26));
    btnSelect->setText(table.text(27));
}

void TfrmSetting::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Centred on the main window, which owns the login dialog that owns this one.
    if (QWidget* main = m_owner ? m_owner->parentWidget() : nullptr; main && main->isVisible())
        move(main->geometry().center() - rect().center());
    guarded(this, [this] { FormShow(); });
}

void TfrmSetting::FormShow() {
    readFolder(programFolder());
    // The language in use starts out selected, so Select alone keeps it.
    QString current;
    {
        SettingsSession settings;
        current =
            QString::fromStdString(ReadSetting(kSettingsSection, kLanguageValue, kMissingSetting));
    }
    for (int row = 0; row < FileList->count(); ++row) {
        if (QFileInfo(FileList->item(row)->data(kPathRole).toString()) == QFileInfo(current)) {
            FileList->setCurrentRow(row);
            break;
        }
    }
}

void TfrmSetting::readFolder(const QString& folder) {
    m_folder = folder;
    FileList->clear();
    QDir dir(folder);
    struct Entry {
        QString name;
        bool isFolder;
    };
    std::vector<Entry> entries;
    for (const QString& name : dir.entryList({QStringLiteral("*.ini")}, QDir::Files))
        entries.push_back({name, false});
    for (const QString& name : dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot))
        entries.push_back({name, true});
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
        return QString::compare(a.name, b.name, Qt::CaseInsensitive) < 0;
    });
    for (const Entry& e : entries) {
        auto* item = new QListWidgetItem(
            kestrelIcon(e.isFolder ? QStringLiteral("folder") : QStringLiteral("language")),
            e.isFolder ? QStringLiteral("[") + e.name + QStringLiteral("]")
                       : e.name.left(e.name.size() - 4),
            FileList);
        item->setData(kPathRole, dir.filePath(e.name));
        item->setToolTip(e.name);
    }
}

QString TfrmSetting::selectedPath() const {
    const QListWidgetItem* item = FileList->currentItem();
    return item && item->isSelected() ? item->data(kPathRole).toString() : QString();
}

void TfrmSetting::ChangeLanguage() {
    WaitCursor wait;
    lumo::app::ChangeLanguage(selectedPath(), m_owner->languageTargets(),
                              m_owner->controlLanguageSink());
}

void TfrmSetting::btnSelectClick() {
    ChangeLanguage();
    accept();
}

void TfrmSetting::FileListDblClick() { ChangeLanguage(); }

}  // namespace lumo::app
