// A temporary person database made from the shipped schema, with the rows a test asks for.
#pragma once

#include <gtest/gtest.h>

#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QUuid>

#include "app/DatabaseFile.h"

struct Person {
    const char* userId;
    const char* name;
    const char* dob = nullptr;
    const char* address = nullptr;
    const char* remark3 = nullptr;
};

class TestDatabase {
public:
    TestDatabase() {
        lumo::app::createDatabaseFile(
            path(), {QStringLiteral(LUMO_SOURCE_DIR "/app/resources/schema.sql")});
    }

    QString path() const { return m_dir.filePath("LUMO.mdb"); }
    QString folder() const { return m_dir.path(); }

    // Runs statements on a connection of its own (as another program would).
    void exec(const QStringList& statements) {
        const QString name = QUuid::createUuid().toString();
        {
            QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", name);
            db.setDatabaseName(path());
            ASSERT_TRUE(db.open());
            QSqlQuery q(db);
            for (const QString& s : statements) ASSERT_TRUE(q.exec(s)) << s.toStdString();
        }
        QSqlDatabase::removeDatabase(name);
    }

    void addPersons(std::initializer_list<Person> persons) {
        QStringList statements;
        for (const Person& p : persons) {
            auto lit = [](const char* v) {
                return v ? "'" + QString::fromUtf8(v).replace("'", "''") + "'"
                         : QStringLiteral("NULL");
            };
            statements << QStringLiteral(
                              "INSERT INTO USERS (UserID, Name, DOB, Address, Remark3) "
                              "VALUES (%1, %2, %3, %4, %5)")
                              .arg(lit(p.userId), lit(p.name), lit(p.dob), lit(p.address),
                                   lit(p.remark3));
        }
        exec(statements);
    }

    int count(const QString& sql) {
        const QString name = QUuid::createUuid().toString();
        int n = -1;
        {
            QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", name);
            db.setDatabaseName(path());
            if (db.open()) {
                QSqlQuery q(db);
                if (q.exec(sql) && q.next()) n = q.value(0).toInt();
            }
        }
        QSqlDatabase::removeDatabase(name);
        return n;
    }

private:
    QTemporaryDir m_dir;
};
