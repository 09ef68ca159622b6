// UserGridModel: the read-only table model of the person grid over the browsed set.
//
// Nine columns (UserID, Name, DOB, Address, Tel, Email, Remark1, Remark2, Remark3) with
// captions set by the language; dates shown in the box's date order. The vertical header is
// the row indicator: a marker on the current row ("▶" browsing, "✎" editing, "✱" a new row).
// findPrefix() is the grid's type-to-find: the first row whose column text starts with the
// typed text (letter case ignored). The model follows the dataset's signals. GUI thread only.
#pragma once

#include <QAbstractTableModel>
#include <QStringList>

#include "app/DateMask.h"

namespace lumo::app {

class Dataset;

class UserGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit UserGridModel(Dataset& dataset, QObject* parent = nullptr);

    static QStringList columnFields();

    void setCaptions(const QStringList& captions);
    void setDateMask(const DateMask& mask) { m_dateMask = mask; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // The text a cell shows.
    QString cellText(int row, int column) const;
    // -1 when no row matches.
    int findPrefix(int column, const QString& text) const;

private:
    Dataset& m_dataset;
    QStringList m_captions;
    DateMask m_dateMask;
    int m_markedRow = -1;
};

}  // namespace lumo::app
