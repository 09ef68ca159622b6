// Making a new person database file from SQL scripts (the schema, sample persons).
//
// Used by the build's database tool and by tests; Kestrel itself never creates its database
// (UserStore::connect refuses a missing file). The file is written under a temporary name
// and renamed into place, so a failed run leaves no half-made database behind, and an
// existing file is never touched: createDatabaseFile throws DatabaseError instead.
// Scripts are split into statements at ";" outside quotes; "--" starts a comment.
#pragma once

#include <QString>
#include <QStringList>

namespace lumo::app {

QStringList splitSqlScript(const QString& script);
void createDatabaseFile(const QString& path, const QStringList& scriptFiles);

}  // namespace lumo::app
