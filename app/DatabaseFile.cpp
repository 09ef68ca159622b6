#include "app/DatabaseFile.h"

#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>

#include "app/DatabaseError.h"

namespace lumo::app {

QStringList splitSqlScript(const QString& script) {
    QStringList statements;
    QString current;
    QChar quote;
    for (qsizetype i = 0; i < script.size(); ++i) {
        const QChar c = script.at(i);
        if (!quote.isNull()) {
            current += c;
            if (c == quote) quote = QChar();
            continue;
        }
        if (c == QLatin1Char('-') && i + 1 < script.size() &&
            script.at(i + 1) == QLatin1Char('-')) {
            while (i < script.size() && script.at(i) != QLatin1Char('\n')) ++i;
            current += QLatin1Char('\n');
            continue;
        }
        if (c == QLatin1Char('\'') || c == QLatin1Char('"')) quote = c;
        if (c == QLatin1Char(';')) {
            if (!current.trimmed().isEmpty()) statements << current.trimmed();
            current.clear();
            continue;
        }
        current += c;
    }
    if (!current.trimmed().isEmpty()) statements << current.trimmed();
    return statements;
}

void createDatabaseFile(const QString& path, const QStringList& scriptFiles) {
    if (QFileInfo::exists(path))
        throw DatabaseError(path.toStdString() + " exists already; it is kept as it is");
    QStringList statements;
    for (const QString& name : scriptFiles) {
        QFile file(name);
        if (!file.open(QIODevice::ReadOnly))
            throw DatabaseError("Cannot read " + name.toStdString() + ": " +
                                file.errorString().toStdString());
        statements << splitSqlScript(QString::fromUtf8(file.readAll()));
    }
    const QString temporary = path + QStringLiteral(".part");
    QFile::remove(temporary);
    const QString connection = QStringLiteral("create-") + QUuid::createUuid().toString();
    QString error;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        db.setDatabaseName(temporary);
        if (!db.open()) {
            error = db.lastError().text();
        } else {
            QSqlQuery query(db);
            for (const QString& statement : statements) {
                if (!query.exec(statement)) {
                    error = query.lastError().text() + QStringLiteral(" in: ") + statement;
                    break;
                }
            }
            query = QSqlQuery();
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(connection);
    if (error.isEmpty() && QFileInfo::exists(path))
        error = path + QStringLiteral(" appeared while it was being made; it is kept");
    if (error.isEmpty() && !QFile::rename(temporary, path))
        error = QStringLiteral("Cannot move the new database to ") + path;
    if (!error.isEmpty()) {
        QFile::remove(temporary);
        throw DatabaseError(error.toStdString());
    }
}

}  // namespace lumo::app
