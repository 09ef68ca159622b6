#include "app/UserGridModel.h"

#include "app/Dataset.h"

namespace lumo::app {

UserGridModel::UserGridModel(Dataset& dataset, QObject* parent)
    : QAbstractTableModel(parent), m_dataset(dataset), m_captions(columnFields()) {
    connect(&m_dataset, &Dataset::rowsReset, this, [this] {
        beginResetModel();
        m_markedRow = m_dataset.currentRow();
        endResetModel();
    });
    auto remark = [this] {
        const int old = m_markedRow;
        m_markedRow = m_dataset.currentRow();
        if (old >= 0 && old < rowCount()) emit headerDataChanged(Qt::Vertical, old, old);
        if (m_markedRow >= 0) emit headerDataChanged(Qt::Vertical, m_markedRow, m_markedRow);
    };
    connect(&m_dataset, &Dataset::currentChanged, this, remark);
    connect(&m_dataset, &Dataset::stateChanged, this, remark);
    connect(&m_dataset, &Dataset::fieldChanged, this, [this] {
        const int row = m_dataset.currentRow();
        if (row >= 0 && row < rowCount())
            emit dataChanged(index(row, 0), index(row, columnCount() - 1));
    });
}

QStringList UserGridModel::columnFields() {
    return {QStringLiteral("UserID"),  QStringLiteral("Name"),    QStringLiteral("DOB"),
            QStringLiteral("Address"), QStringLiteral("Tel"),     QStringLiteral("Email"),
            QStringLiteral("Remark1"), QStringLiteral("Remark2"), QStringLiteral("Remark3")};
}

void UserGridModel::setCaptions(const QStringList& captions) {
    m_captions = captions;
    while (m_captions.size() < columnFields().size()) m_captions << QString();
    emit headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
}

int UserGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() || !m_dataset.isOpen() ? 0 : m_dataset.recordCount();
}

int UserGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(columnFields().size());
}

QString UserGridModel::cellText(int row, int column) const {
    const QStringList fields = columnFields();
    if (column < 0 || column >= fields.size()) return QString();
    const QVariant v = m_dataset.valueAt(row, m_dataset.fieldIndex(fields[column]));
    if (v.isNull()) return QString();
    if (fields[column] == QLatin1String("DOB")) {
        const QDate date = DateMask::fromStored(v);
        return date.isValid() ? m_dateMask.toText(date) : v.toString();
    }
    // Multi-line fields show on one line in the grid.
    QString text = v.toString();
    text.replace(QLatin1String("\r\n"), QLatin1String(" "))
        .replace(QLatin1Char('\n'), QLatin1Char(' '));
    return text;
}

QVariant UserGridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
        return cellText(index.row(), index.column());
    return {};
}

QVariant UserGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole) return QAbstractTableModel::headerData(section, orientation, role);
    if (orientation == Qt::Horizontal)
        return section >= 0 && section < m_captions.size() ? m_captions[section] : QVariant();
    if (section != m_dataset.currentRow()) return QString();
    switch (m_dataset.state()) {
        case Dataset::State::Insert:
            return QStringLiteral("✱");
        case Dataset::State::Edit:
            return QStringLiteral("✎");
        default:
            return QStringLiteral("▶");
    }
}

Qt::ItemFlags UserGridModel::flags(const QModelIndex& index) const {
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

int UserGridModel::findPrefix(int column, const QString& text) const {
    if (text.isEmpty()) return -1;
    for (int row = 0; row < rowCount(); ++row)
        if (cellText(row, column).startsWith(text, Qt::CaseInsensitive)) return row;
    return -1;
}

}  // namespace lumo::app
