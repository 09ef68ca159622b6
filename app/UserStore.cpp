#include "app/UserStore.h"

#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>

#include "app/DatabaseError.h"
#include "app/SearchStatements.h"

namespace lumo::app {

namespace {

[[noreturn]] void fail(const QSqlError& error) { throw DatabaseError(error.text().toStdString()); }

}  // namespace

QString requireNumber(const QString& text) {
    bool ok = false;
    const qlonglong n = text.trimmed().toLongLong(&ok);
    if (!ok) throw DatabaseError("'" + text.toStdString() + "' is not a valid number");
    return QString::number(n);
}

UserStore::UserStore(const QString& connectionName) : m_connectionName(connectionName) {
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connectionName);
    m_qryUser = std::make_unique<Dataset>(db);
    m_qryUser->setUpdateTable(QStringLiteral("USERS"));
    m_qryUser->setStatement(QString::fromLatin1(kUsersDesignStatement));
    m_qrySearch = std::make_unique<Dataset>(db);
    m_qryInsert = std::make_unique<Dataset>(db);
    m_qryInsert->setUpdateTable(QStringLiteral("TEMPLATE"));
    m_qryInsert->setStatement(QStringLiteral("SELECT * FROM TEMPLATE WHERE ID=0"));
    m_qryTemplate = std::make_unique<Dataset>(db);
}

UserStore::~UserStore() {
    m_qryUser.reset();
    m_qrySearch.reset();
    m_qryInsert.reset();
    m_qryTemplate.reset();
    {
        QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);
        if (db.isOpen()) db.close();
    }
    QSqlDatabase::removeDatabase(m_connectionName);
}

void UserStore::connect(const QString& path) {
    QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);
    for (Dataset* d : {m_qryUser.get(), m_qrySearch.get(), m_qryInsert.get(), m_qryTemplate.get()})
        d->close();
    db.close();
    // "mode=rw" makes SQLite refuse to create a missing file: the database is delivered with
    // the program and never made here.
    const QString uri =
        QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()).toString(QUrl::FullyEncoded) +
        QStringLiteral("?mode=rw");
    db.setDatabaseName(uri);
    db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=5000"));
    if (!db.open()) fail(db.lastError());
    // Opening is lazy: reading the catalogue is what finds a damaged or foreign file.
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("SELECT upper(name) FROM sqlite_master WHERE type='table'"))) {
        const QSqlError error = query.lastError();
        query = QSqlQuery();
        db.close();
        fail(error);
    }
    bool hasUsers = false, hasTemplate = false;
    while (query.next()) {
        const QString name = query.value(0).toString();
        hasUsers |= name == QLatin1String("USERS");
        hasTemplate |= name == QLatin1String("TEMPLATE");
    }
    query = QSqlQuery();
    if (!hasUsers || !hasTemplate) {
        db.close();
        throw DatabaseError(!hasUsers ? "no such table: USERS" : "no such table: TEMPLATE");
    }
    QSqlQuery pragma(db);
    pragma.exec(QStringLiteral("PRAGMA foreign_keys = OFF"));
}

bool UserStore::isConnected() const {
    return QSqlDatabase::database(m_connectionName, false).isOpen();
}

QSqlDatabase UserStore::database() const { return QSqlDatabase::database(m_connectionName, false); }

Dataset& UserStore::getQry(const QString& selectStatement) {
    m_qrySearch->close();
    m_qrySearch->setStatement(selectStatement);
    m_qrySearch->open();
    return *m_qrySearch;
}

Dataset& UserStore::GetUserTemplate(const QString& personNumber, const QString& fingerIndex) {
    m_qryInsert->close();
    m_qryInsert->setStatement(QStringLiteral("SELECT * FROM TEMPLATE WHERE USER_ID=") +
                              requireNumber(personNumber) + QStringLiteral(" AND TPL_INDEX=") +
                              requireNumber(fingerIndex));
    m_qryInsert->open();
    return *m_qryInsert;
}

Dataset& UserStore::GetAllUser() {
    m_qryTemplate->close();
    m_qryTemplate->setStatement(
        QStringLiteral("SELECT USER_ID, TPL FROM TEMPLATE ORDER BY USER_ID"));
    m_qryTemplate->open();
    return *m_qryTemplate;
}

void UserStore::DeleteUserTemplate(const QString& personNumber) {
    m_qrySearch->close();
    m_qrySearch->setStatement(QStringLiteral("DELETE FROM TEMPLATE WHERE USER_ID=") +
                              requireNumber(personNumber));
    execute(m_qrySearch->statement());
}

void UserStore::execute(const QString& sql) {
    QSqlQuery query(database());
    if (!query.exec(sql)) fail(query.lastError());
}

void UserStore::search(const QString& keyword, int mode) {
    m_qryUser->close();
    m_qryUser->setStatement(searchStatement(keyword, mode));
    m_qryUser->open();
}

void UserStore::deletePerson() {
    QSqlDatabase db = database();
    const QString person = m_qryUser->text(QStringLiteral("ID"));
    if (!db.transaction()) fail(db.lastError());
    try {
        DeleteUserTemplate(person);
        m_qryUser->deleteCurrentRecord();
        if (!db.commit()) fail(db.lastError());
    } catch (...) {
        db.rollback();
        throw;
    }
    m_qryUser->dropCurrentRow();
}

}  // namespace lumo::app
