// Dataset: a browsed set of rows with a static cursor, the way Kestrel's query objects work.
//
//     Dataset users(db);
//     users.setUpdateTable("USERS");
//     users.setStatement("select * from users order by userid");
//     users.open();                       // reads the whole result
//     users.insert(); users.setValue("UserID", "1001"); users.post();
//
// Opening reads every row at once; later changes by other programs are not seen until the
// next open. The cursor has a current row (-1 when the set is empty) and one of the states
// Inactive (closed), Browse, Insert (a new row being edited, placed before the current row)
// and Edit (the current row being edited). post() writes the row to the update table with
// bound parameters (INSERT, reading back the key the database assigned, or UPDATE by key) and
// returns to Browse; cancel() drops the new row or restores the edited one. Field names
// compare without regard to letter case, as the database does.
//
// Errors: a failing statement, post or delete throws DatabaseError with the database's message
// and leaves the state as it was (a failed post stays in Insert or Edit); using a member in the
// wrong state throws DatabaseError too. GUI thread only; the signals are emitted synchronously.
#pragma once

#include <QObject>
#include <QSqlDatabase>
#include <QStringList>
#include <QVariant>
#include <vector>

namespace lumo::app {

class Dataset : public QObject {
    Q_OBJECT
public:
    enum class State { Inactive, Browse, Insert, Edit };

    explicit Dataset(QSqlDatabase database, QObject* parent = nullptr);

    // The table that post() and deleteCurrent() write, and its key column.
    void setUpdateTable(const QString& table, const QString& keyColumn = QStringLiteral("ID"));
    void setDatabase(QSqlDatabase database) { m_db = database; }

    void setStatement(const QString& sql) { m_statement = sql; }
    QString statement() const { return m_statement; }

    // Runs the statement and reads all of its rows; the first row becomes current.
    void open();
    void close();
    bool isOpen() const { return m_state != State::Inactive; }
    State state() const { return m_state; }

    int recordCount() const { return static_cast<int>(m_rows.size()); }
    int currentRow() const { return m_current; }
    // Moves the cursor in Browse state; a row outside the set is ignored.
    void setCurrentRow(int row);
    // Forward scan: first() goes to row 0, next() onwards; eof() after the last row.
    void first();
    void next();
    bool eof() const { return m_eof; }

    QStringList fieldNames() const { return m_fields; }
    // Index of a field (letter case ignored), -1 when the set has no such field.
    int fieldIndex(const QString& name) const;
    // The current row's value (the edit buffer in Insert and Edit); null without a row.
    QVariant value(const QString& field) const;
    QVariant valueAt(int row, int column) const;
    // value() as text ("" for null).
    QString text(const QString& field) const;
    // Only in Insert or Edit.
    void setValue(const QString& field, const QVariant& value);

    void insert();
    void edit();
    void post();
    void cancel();
    // Deletes the current row in the database and from the set (Browse state).
    void deleteCurrent();
    // The two halves of deleteCurrent(), for callers that wrap the statement in a
    // transaction and drop the row only once it is committed.
    void deleteCurrentRecord();
    void dropCurrentRow();

    // Moves to the first row whose field, as text, equals the value exactly (case-sensitive).
    // False, with the cursor unchanged, when no row does.
    bool locate(const QString& field, const QString& value);

signals:
    // The whole set changed (opened, closed, a row inserted or removed).
    void rowsReset();
    // The current row moved.
    void currentChanged();
    // A value of the row changed (setValue, post, cancel); field is "" for several at once.
    void fieldChanged(const QString& field);
    void stateChanged();

private:
    void requireState(State state, const char* action) const;
    void setState(State state);
    int requireField(const QString& name) const;
    QVariant keyValue() const;

    QSqlDatabase m_db;
    QString m_statement;
    QString m_updateTable;
    QString m_keyColumn = QStringLiteral("ID");
    State m_state = State::Inactive;
    QStringList m_fields;
    std::vector<std::vector<QVariant>> m_rows;
    int m_current = -1;
    bool m_eof = true;
    std::vector<QVariant> m_savedRow;  // the row as it was before Edit
};

}  // namespace lumo::app
