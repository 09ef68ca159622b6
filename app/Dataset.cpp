#include "app/Dataset.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

#include "app/DatabaseError.h"

namespace lumo::app {

namespace {

[[noreturn]] void fail(const QSqlQuery& query) {
    throw DatabaseError(query.lastError().text().toStdString());
}

const char* stateName(Dataset::State state) {
    switch (state) {
        case Dataset::State::Inactive:
            return "closed";
        case Dataset::State::Browse:
            return "browse";
        case Dataset::State::Insert:
            return "insert";
        case Dataset::State::Edit:
            return "edit";
    }
    return "?";
}

}  // namespace

Dataset::Dataset(QSqlDatabase database, QObject* parent) : QObject(parent), m_db(database) {}

void Dataset::setUpdateTable(const QString& table, const QString& keyColumn) {
    m_updateTable = table;
    m_keyColumn = keyColumn;
}

void Dataset::open() {
    QSqlQuery query(m_db);
    query.setForwardOnly(true);
    if (!query.exec(m_statement)) fail(query);
    QStringList fields;
    const QSqlRecord record = query.record();
    for (int i = 0; i < record.count(); ++i) fields << record.fieldName(i);
    std::vector<std::vector<QVariant>> rows;
    while (query.next()) {
        std::vector<QVariant> row(static_cast<size_t>(fields.size()));
        for (int i = 0; i < fields.size(); ++i) row[static_cast<size_t>(i)] = query.value(i);
        rows.push_back(std::move(row));
    }
    if (query.lastError().isValid()) fail(query);
    m_fields = fields;
    m_rows = std::move(rows);
    m_current = m_rows.empty() ? -1 : 0;
    m_eof = m_rows.empty();
    m_savedRow.clear();
    setState(State::Browse);
    emit rowsReset();
    emit currentChanged();
}

void Dataset::close() {
    if (m_state == State::Inactive) return;
    m_fields.clear();
    m_rows.clear();
    m_savedRow.clear();
    m_current = -1;
    m_eof = true;
    setState(State::Inactive);
    emit rowsReset();
    emit currentChanged();
}

void Dataset::setCurrentRow(int row) {
    if (m_state != State::Browse || row < 0 || row >= recordCount() || row == m_current) return;
    m_current = row;
    m_eof = false;
    emit currentChanged();
}

void Dataset::first() {
    requireState(State::Browse, "scan");
    m_eof = m_rows.empty();
    if (!m_rows.empty() && m_current != 0) {
        m_current = 0;
        emit currentChanged();
    }
}

void Dataset::next() {
    requireState(State::Browse, "scan");
    if (m_current + 1 < recordCount()) {
        ++m_current;
        emit currentChanged();
    } else {
        m_eof = true;
    }
}

int Dataset::fieldIndex(const QString& name) const {
    for (int i = 0; i < m_fields.size(); ++i)
        if (m_fields[i].compare(name, Qt::CaseInsensitive) == 0) return i;
    return -1;
}

int Dataset::requireField(const QString& name) const {
    const int index = fieldIndex(name);
    if (index < 0) throw DatabaseError("Field '" + name.toStdString() + "' not found");
    return index;
}

QVariant Dataset::value(const QString& field) const {
    const int column = fieldIndex(field);
    if (column < 0 || m_current < 0) return {};
    return valueAt(m_current, column);
}

QVariant Dataset::valueAt(int row, int column) const {
    if (row < 0 || row >= recordCount() || column < 0 || column >= m_fields.size()) return {};
    return m_rows[static_cast<size_t>(row)][static_cast<size_t>(column)];
}

QString Dataset::text(const QString& field) const {
    const QVariant v = value(field);
    return v.isNull() ? QString() : v.toString();
}

void Dataset::setValue(const QString& field, const QVariant& value) {
    if (m_state != State::Insert && m_state != State::Edit)
        throw DatabaseError("Dataset not in edit or insert mode");
    const int column = requireField(field);
    QVariant& slot = m_rows[static_cast<size_t>(m_current)][static_cast<size_t>(column)];
    if (slot == value && slot.isNull() == value.isNull()) return;
    slot = value;
    emit fieldChanged(m_fields[column]);
}

void Dataset::insert() {
    requireState(State::Browse, "insert");
    const int at = m_current < 0 ? 0 : m_current;
    m_rows.insert(m_rows.begin() + at, std::vector<QVariant>(static_cast<size_t>(m_fields.size())));
    m_current = at;
    m_eof = false;
    setState(State::Insert);
    emit rowsReset();
    emit currentChanged();
}

void Dataset::edit() {
    requireState(State::Browse, "edit");
    if (m_current < 0) throw DatabaseError("Cannot edit: the set has no current row");
    m_savedRow = m_rows[static_cast<size_t>(m_current)];
    setState(State::Edit);
}

void Dataset::post() {
    if (m_state != State::Insert && m_state != State::Edit)
        throw DatabaseError("Dataset not in edit or insert mode");
    if (m_updateTable.isEmpty()) throw DatabaseError("The set cannot be updated");
    std::vector<QVariant>& row = m_rows[static_cast<size_t>(m_current)];
    const int keyIndex = fieldIndex(m_keyColumn);
    QStringList columns;
    QVariantList values;
    for (int i = 0; i < m_fields.size(); ++i) {
        if (i == keyIndex) continue;
        columns << m_fields[i];
        values << row[static_cast<size_t>(i)];
    }
    QSqlQuery query(m_db);
    if (m_state == State::Insert) {
        QStringList marks;
        for (qsizetype i = 0; i < columns.size(); ++i) marks << QStringLiteral("?");
        const QString sql = columns.isEmpty()
                                ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(m_updateTable)
                                : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                      .arg(m_updateTable, columns.join(QLatin1Char(',')),
                                           marks.join(QLatin1Char(',')));
        if (!query.prepare(sql)) fail(query);
        for (const QVariant& v : values) query.addBindValue(v);
        if (!query.exec()) fail(query);
        if (keyIndex >= 0) row[static_cast<size_t>(keyIndex)] = query.lastInsertId();
    } else {
        if (keyIndex < 0 || row[static_cast<size_t>(keyIndex)].isNull())
            throw DatabaseError("The row has no key and cannot be updated");
        QStringList assignments;
        for (const QString& c : columns) assignments << c + QStringLiteral("=?");
        const QString sql =
            QStringLiteral("UPDATE %1 SET %2 WHERE %3=?")
                .arg(m_updateTable, assignments.join(QLatin1Char(',')), m_keyColumn);
        if (!query.prepare(sql)) fail(query);
        for (const QVariant& v : values) query.addBindValue(v);
        query.addBindValue(row[static_cast<size_t>(keyIndex)]);
        if (!query.exec()) fail(query);
        if (query.numRowsAffected() == 0)
            throw DatabaseError(
                "Row cannot be located for updating: it was changed or deleted "
                "since it was last read.");
    }
    m_savedRow.clear();
    setState(State::Browse);
    emit fieldChanged(QString());
}

void Dataset::cancel() {
    if (m_state == State::Insert) {
        m_rows.erase(m_rows.begin() + m_current);
        if (m_current >= recordCount()) m_current = recordCount() - 1;
        m_eof = m_rows.empty();
        setState(State::Browse);
        emit rowsReset();
        emit currentChanged();
    } else if (m_state == State::Edit) {
        m_rows[static_cast<size_t>(m_current)] = m_savedRow;
        m_savedRow.clear();
        setState(State::Browse);
        emit fieldChanged(QString());
    }
}

void Dataset::deleteCurrent() {
    deleteCurrentRecord();
    dropCurrentRow();
}

void Dataset::deleteCurrentRecord() {
    requireState(State::Browse, "delete");
    if (m_current < 0) throw DatabaseError("Cannot delete: the set has no current row");
    if (m_updateTable.isEmpty()) throw DatabaseError("The set cannot be updated");
    const QVariant key = keyValue();
    if (key.isNull()) throw DatabaseError("The row has no key and cannot be deleted");
    QSqlQuery query(m_db);
    if (!query.prepare(QStringLiteral("DELETE FROM %1 WHERE %2=?").arg(m_updateTable, m_keyColumn)))
        fail(query);
    query.addBindValue(key);
    if (!query.exec()) fail(query);
}

void Dataset::dropCurrentRow() {
    requireState(State::Browse, "delete");
    if (m_current < 0) return;
    m_rows.erase(m_rows.begin() + m_current);
    if (m_current >= recordCount()) m_current = recordCount() - 1;
    m_eof = m_rows.empty();
    emit rowsReset();
    emit currentChanged();
}

bool Dataset::locate(const QString& field, const QString& value) {
    const int column = fieldIndex(field);
    if (column < 0 || m_state != State::Browse) return false;
    for (int row = 0; row < recordCount(); ++row) {
        const QVariant& v = m_rows[static_cast<size_t>(row)][static_cast<size_t>(column)];
        if (!v.isNull() && v.toString() == value) {
            if (row != m_current) {
                m_current = row;
                emit currentChanged();
            }
            m_eof = false;
            return true;
        }
    }
    return false;
}

QVariant Dataset::keyValue() const {
    const int keyIndex = fieldIndex(m_keyColumn);
    if (keyIndex < 0 || m_current < 0) return {};
    return m_rows[static_cast<size_t>(m_current)][static_cast<size_t>(keyIndex)];
}

void Dataset::requireState(State state, const char* action) const {
    if (m_state != state)
        throw DatabaseError(std::string("Cannot ") + action + " while the set is in " +
                            stateName(m_state) + " mode");
}

void Dataset::setState(State state) {
    if (m_state == state) return;
    m_state = state;
    emit stateChanged();
}

}  // namespace lumo::app
