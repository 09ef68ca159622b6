// UserGridView: the read-only person grid with its row indicator and type-to-find.
//
// Follows the browsed set both ways: the set's current row is the grid's current row, and
// clicking or moving in the grid moves the set. Typing while it has the focus moves to the
// first row whose focused column starts with the typed text (typing within the keyboard
// interval extends the text).
#pragma once

#include <QTableView>

namespace lumo::app {

class Dataset;
class UserGridModel;

class UserGridView final : public QTableView {
    Q_OBJECT
public:
    UserGridView(Dataset& dataset, UserGridModel& model, QWidget* parent = nullptr);

    void keyboardSearch(const QString& search) override;
    // Brings the grid's current row to the set's current row.
    void followDataset();

private:
    Dataset& m_dataset;
    UserGridModel& m_model;
    QString m_typed;
    qint64 m_lastTyped = 0;
    bool m_following = false;
};

}  // namespace lumo::app
