// The build's database tool: makes the demonstration database once and never replaces it.
#include <gtest/gtest.h>

#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

namespace {

int run(const QString& output) {
    QProcess tool;
    tool.start(KESTREL_MAKEDB, {output, LUMO_SOURCE_DIR "/app/resources/schema.sql",
                                LUMO_SOURCE_DIR "/app/resources/sample-persons.sql"});
    EXPECT_TRUE(tool.waitForFinished(60000));
    return tool.exitCode();
}

QStringList query(const QString& path, const QString& sql) {
    QStringList values;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "makedb-test");
        db.setDatabaseName(path);
        EXPECT_TRUE(db.open());
        QSqlQuery q(db);
        EXPECT_TRUE(q.exec(sql));
        while (q.next()) values << q.value(0).toString();
    }
    QSqlDatabase::removeDatabase("makedb-test");
    return values;
}

TEST(MakeDatabaseTest, SamplePersonsOnceAndAnExistingFileIsKept) {
    QTemporaryDir dir;
    const QString path = dir.filePath("LUMO.mdb");
    ASSERT_EQ(run(path), 0);
    const QStringList ids = query(path, "SELECT UserID FROM USERS ORDER BY UserID");
    EXPECT_GE(ids.size(), 5);
    EXPECT_TRUE(ids.contains("1002"));
    // Photos point beside the database.
    const QStringList photos = query(path, "SELECT PHOTO FROM USERS WHERE UserID='1001'");
    ASSERT_EQ(photos.size(), 1);
    EXPECT_EQ(photos[0], dir.path() + "/photos/alice.jpg");
    EXPECT_EQ(query(path, "PRAGMA user_version"), QStringList({"1"}));

    query(path, "DELETE FROM USERS WHERE UserID <> '1001'");
    ASSERT_EQ(run(path), 0);
    EXPECT_EQ(query(path, "SELECT UserID FROM USERS"), QStringList({"1001"}));
}

}  // namespace
