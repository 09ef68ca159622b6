// UserStore: the person database "LUMO.mdb" (an SQLite 3 file) and the query objects of the
// main window over its one connection.
//
//     UserStore store;
//     store.connect(programFolder() + "LUMO.mdb");   // throws DatabaseError
//     store.qryUser().open();
//     store.search("O'Neil", SearchAllFields);
//
// connect() never creates the file: a missing file, one that is not a database, or one
// without the tables USERS and TEMPLATE fails with the database's own message. The file is
// opened shared with other programs (waiting up to a few seconds for their locks).
// The four query objects: qryUser (the browsed persons, written back to USERS), qrySearch
// (lookup and template deletion), qryInsert (one TEMPLATE row, written back to TEMPLATE),
// qryTemplate (all templates for verification). Person numbers and finger indexes are
// decimal text; anything else is refused before it reaches a statement.
// Errors: DatabaseError with the database's message. GUI thread only.
#pragma once

#include <QSqlDatabase>
#include <QString>
#include <memory>

#include "app/Dataset.h"

namespace lumo::app {

inline constexpr const char* kDatabaseFileName = "LUMO.mdb";

class UserStore {
public:
    explicit UserStore(const QString& connectionName = QStringLiteral("LUMOConnection"));
    ~UserStore();
    UserStore(const UserStore&) = delete;
    UserStore& operator=(const UserStore&) = delete;

    // Closes any open connection, then opens the file at path.
    void connect(const QString& path);
    bool isConnected() const;
    QSqlDatabase database() const;

    Dataset& qryUser() { return *m_qryUser; }
    const Dataset& qryUser() const { return *m_qryUser; }
    Dataset& qrySearch() { return *m_qrySearch; }
    Dataset& qryInsert() { return *m_qryInsert; }
    Dataset& qryTemplate() { return *m_qryTemplate; }

    Dataset& getQry(const QString& selectStatement);
    Dataset& GetUserTemplate(const QString& personNumber, const QString& fingerIndex);
    Dataset& GetAllUser();
    void DeleteUserTemplate(const QString& personNumber);

    // Runs the search statement of the mode on qryUser (Part of the main window's Search).
    void search(const QString& keyword, int mode);
    // Deletes the current qryUser person and the person's templates in one transaction; on
    // failure nothing is deleted and the row stays in the set.
    void deletePerson();

private:
    void execute(const QString& sql);

    QString m_connectionName;
    std::unique_ptr<Dataset> m_qryUser;
    std::unique_ptr<Dataset> m_qrySearch;
    std::unique_ptr<Dataset> m_qryInsert;
    std::unique_ptr<Dataset> m_qryTemplate;
};

// The number as decimal text for a statement; throws DatabaseError for anything else.
QString requireNumber(const QString& text);

}  // namespace lumo::app
