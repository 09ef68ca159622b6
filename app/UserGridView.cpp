#include "app/UserGridView.h"

#include <QApplication>
#include <QDateTime>
#include <QHeaderView>
#include <QItemSelectionModel>

#include "app/Dataset.h"
#include "app/UserGridModel.h"

namespace lumo::app {

UserGridView::UserGridView(Dataset& dataset, UserGridModel& model, QWidget* parent)
    : QTableView(parent), m_dataset(dataset), m_model(model) {
    setModel(&m_model);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setAlternatingRowColors(true);
    setWordWrap(false);
    setTabKeyNavigation(false);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setStretchLastSection(true);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(22);
    verticalHeader()->setDefaultAlignment(Qt::AlignCenter);
    verticalHeader()->setFixedWidth(18);
    verticalHeader()->setHighlightSections(false);

    connect(selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) {
                if (!m_following && current.isValid()) m_dataset.setCurrentRow(current.row());
            });
    connect(&m_dataset, &Dataset::currentChanged, this, &UserGridView::followDataset);
    connect(&m_model, &QAbstractItemModel::modelReset, this, &UserGridView::followDataset);
}

void UserGridView::followDataset() {
    m_following = true;
    const int row = m_dataset.currentRow();
    if (row >= 0 && row < m_model.rowCount()) {
        const int column = currentIndex().isValid() ? currentIndex().column() : 0;
        const QModelIndex index = m_model.index(row, column);
        selectionModel()->setCurrentIndex(
            index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        scrollTo(index);
    } else {
        selectionModel()->clear();
    }
    m_following = false;
}

void UserGridView::keyboardSearch(const QString& search) {
    if (search.isEmpty()) return;
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    if (now - m_lastTyped > QApplication::keyboardInputInterval()) m_typed.clear();
    m_lastTyped = now;
    m_typed += search;
    const int column = currentIndex().isValid() ? currentIndex().column() : 0;
    int row = m_model.findPrefix(column, m_typed);
    if (row < 0 && m_typed.size() > search.size()) {
        // A new start with only the last character, as list boxes do.
        m_typed = search;
        row = m_model.findPrefix(column, m_typed);
    }
    if (row >= 0) {
        m_dataset.setCurrentRow(row);
        // The column keeps the focus.
        selectionModel()->setCurrentIndex(
            m_model.index(row, column),
            QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }
}

}  // namespace lumo::app
