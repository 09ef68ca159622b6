#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>

#include "TestDatabase.h"
#include "app/DatabaseError.h"
#include "app/IncrementalLookup.h"
#include "app/SearchStatements.h"
#include "app/UserStore.h"

using namespace lumo::app;

namespace {

QStringList userIds(Dataset& d) {
    QStringList ids;
    for (int row = 0; row < d.recordCount(); ++row)
        ids << d.valueAt(row, d.fieldIndex("UserID")).toString();
    return ids;
}

TEST(SearchStatementsTest, StatementsAsTheWindowRunsThem) {
    EXPECT_EQ(searchStatement("  ", 0), " SELECT * FROM USERS ORDER BY USERID");
    EXPECT_EQ(searchStatement("", 2), " SELECT * FROM USERS ORDER BY USERID");
    EXPECT_EQ(searchStatement(" ab ", 1),
              " SELECT * FROM USERS WHERE (USERID LIKE '%ab%' ) ORDER BY USERID ");
    EXPECT_EQ(searchStatement("O'Neil", 2),
              " SELECT * FROM USERS WHERE (NAME LIKE '%O''Neil%' ) ORDER BY USERID ");
    EXPECT_EQ(
        searchStatement("x", 0),
        " SELECT * FROM USERS WHERE (USERID LIKE '%x%' OR NAME LIKE '%x%' OR DOB LIKE '%x%' OR "
        " ADDRESS LIKE '%x%' OR TEL LIKE '%x%' OR EMAIL LIKE '%x%' OR      REMARK1 LIKE '%x%' OR "
        "REMARK2 LIKE '%x%' OR REMARK3 LIKE '%x%' ) ORDER BY USERID ");
    EXPECT_EQ(lookupStatement(" 1'", 1), "SELECT ID, UserID FROM USERS WHERE UserID LIKE ' 1''%' ");
    EXPECT_EQ(lookupStatement("Al", 2), "SELECT ID, Name FROM USERS WHERE Name LIKE 'Al%' ");
    EXPECT_EQ(lookupStatement("Al", 0), "");
}

class UserStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_db.addPersons({
            {"1002", "Bruno Keller", "1979-11-02", "Seestrasse 8"},
            {"1001", "Alice Moreau", "1984-03-12", "Rue des Lilas"},
            {"2001", "Dana O'Neil", "1988-01-30", nullptr, "likes 'quotes'"},
            {"ABC", "Chen Wei", nullptr, "Nanjing Road"},
        });
        m_store.connect(m_db.path());
        m_store.qryUser().open();
    }
    TestDatabase m_db;
    UserStore m_store;
};

TEST_F(UserStoreTest, DesignStatementListsEverybodyByUserId) {
    EXPECT_EQ(userIds(m_store.qryUser()), QStringList({"1001", "1002", "2001", "ABC"}));
    EXPECT_EQ(m_store.qryUser().currentRow(), 0);
}

TEST_F(UserStoreTest, Searches) {
    const struct {
        const char* keyword;
        int mode;
        QStringList expected;
    } cases[] = {
        {"O'Neil", 0, {"2001"}},
        {"o'neil", 2, {"2001"}},  // LIKE ignores letter case
        {"'quotes'", 0, {"2001"}},
        {"'", 1, {}},
        {"   ", 0, {"1001", "1002", "2001", "ABC"}},
        {" 1984 ", 0, {"1001"}},  // the date of birth as the database renders it
        {"1979-11", 0, {"1002"}},
        {"road", 0, {"ABC"}},
        {"road", 2, {}},
        {"00", 1, {"1001", "1002", "2001"}},
        {"e", 2, {"1001", "1002", "2001", "ABC"}},
        {"%", 1, {"1001", "1002", "2001", "ABC"}},  // "%" is the wildcard itself
        {"') OR 1=1 --", 0, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.keyword) + " mode " + std::to_string(c.mode));
        m_store.search(c.keyword, c.mode);
        EXPECT_EQ(userIds(m_store.qryUser()), c.expected);
    }
}

TEST_F(UserStoreTest, DeletingAPersonRemovesTheTemplatesAndKeepsOthers) {
    m_db.exec(
        {"INSERT INTO TEMPLATE (USER_ID, TPL_INDEX, TPL) SELECT ID, 1, 'a' FROM USERS WHERE "
         "UserID='1002'",
         "INSERT INTO TEMPLATE (USER_ID, TPL_INDEX, TPL) SELECT ID, 3, 'b' FROM USERS WHERE "
         "UserID='1002'",
         "INSERT INTO TEMPLATE (USER_ID, TPL_INDEX, TPL) SELECT ID, 7, 'c' FROM USERS WHERE "
         "UserID='1002'",
         "INSERT INTO TEMPLATE (USER_ID, TPL_INDEX, TPL) SELECT ID, 2, 'd' FROM USERS WHERE "
         "UserID='1001'"});
    Dataset& users = m_store.qryUser();
    ASSERT_TRUE(users.locate("UserID", "1002"));
    m_store.deletePerson();
    EXPECT_EQ(userIds(users), QStringList({"1001", "2001", "ABC"}));
    EXPECT_EQ(users.text("UserID"), "2001");  // the next row becomes current
    EXPECT_EQ(m_db.count("SELECT COUNT(*) FROM USERS"), 3);
    EXPECT_EQ(m_db.count("SELECT COUNT(*) FROM TEMPLATE"), 1);
    EXPECT_EQ(
        m_db.count(
            "SELECT COUNT(*) FROM TEMPLATE t JOIN USERS u ON u.ID=t.USER_ID WHERE u.UserID='1001'"),
        1);
}

TEST_F(UserStoreTest, FailedPersonDeletionDeletesNothing) {
    m_db.exec(
        {"INSERT INTO TEMPLATE (USER_ID, TPL_INDEX, TPL) SELECT ID, 1, 'a' FROM USERS WHERE "
         "UserID='1001'",
         // A rule of the file that refuses the person's deletion, after the templates went.
         "CREATE TRIGGER keep BEFORE DELETE ON USERS BEGIN SELECT RAISE(ABORT, 'kept by rule'); "
         "END"});
    EXPECT_THROW(m_store.deletePerson(), DatabaseError);
    EXPECT_EQ(m_db.count("SELECT COUNT(*) FROM TEMPLATE"), 1);
    EXPECT_EQ(m_store.qryUser().recordCount(), 4);
    EXPECT_EQ(m_store.qryUser().text("UserID"), "1001");
}

TEST_F(UserStoreTest, TemplateQueries) {
    m_db.exec({"INSERT INTO TEMPLATE (USER_ID, TPL_INDEX, TPL) VALUES (9, 4, 'x'), (2, 1, 'y')"});
    Dataset& none = m_store.GetUserTemplate("2", "4");
    EXPECT_EQ(none.recordCount(), 0);
    Dataset& one = m_store.GetUserTemplate("9", "4");
    ASSERT_EQ(one.recordCount(), 1);
    one.edit();
    one.setValue("TPL", "second");
    one.post();
    one.insert();
    one.setValue("USER_ID", 9);
    one.setValue("TPL_INDEX", 5);
    one.setValue("TPL", "new");
    one.post();
    EXPECT_GT(one.value("ID").toInt(), 0);
    Dataset& all = m_store.GetAllUser();
    ASSERT_EQ(all.recordCount(), 3);
    EXPECT_EQ(all.fieldNames(), QStringList({"USER_ID", "TPL"}));
    EXPECT_EQ(all.valueAt(0, 0).toInt(), 2);
    EXPECT_EQ(all.valueAt(1, 1).toString(), "second");
    EXPECT_THROW(m_store.GetUserTemplate("1 OR 1=1", "4"), DatabaseError);
    EXPECT_THROW(m_store.DeleteUserTemplate(""), DatabaseError);
    m_store.DeleteUserTemplate("9");
    EXPECT_EQ(m_db.count("SELECT COUNT(*) FROM TEMPLATE"), 1);
}

TEST_F(UserStoreTest, LookupCompletesAsTyped) {
    m_db.exec({"INSERT INTO USERS (UserID, Name) VALUES ('abc', 'lower')"});
    const struct {
        const char* text;
        int mode;
        int lastKey;
        bool complete;
        const char* completed;
        int selStart, selLength;
    } cases[] = {
        // The first row the database returns; its index on UserID gives 1001.
        {"1", 1, '1', true, "1001", 1, 3},
        {"10", 1, '0', true, "1001", 2, 2},
        {"1001", 1, '1', false, "", 0, 0},   // nothing left to complete
        {"1001 ", 1, ' ', false, "", 0, 0},  // equal without blanks, but not shorter
        {"1", 1, kKeyBackspace, false, "", 0, 0},
        {"AB", 1, 'B', true, "ABC", 2, 1},
        {"ab", 1, 'b', false, "", 0, 0},  // found ABC: other letter case completes nothing
        {"Dana O'", 2, '\'', false, "", 0, 0},
        {"Ch", 2, 'h', true, "Chen Wei", 2, 6},
        {"1", 0, '1', false, "", 0, 0},  // no lookup in mode 0
        {"9", 1, '9', false, "", 0, 0},
        {"", 1, 'x', false, "", 0, 0},  // a cleared box stays empty
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const LookupCompletion r = IncrementalLookup::evaluate(m_store, c.text, c.mode, c.lastKey);
        EXPECT_EQ(r.complete, c.complete);
        if (!c.complete) continue;
        EXPECT_EQ(r.text, c.completed);
        EXPECT_EQ(r.selectionStart, c.selStart);
        EXPECT_EQ(r.selectionLength, c.selLength);
    }
}

TEST(UserStoreConnectTest, MissingDamagedOrForeignFilesFailWithTheDatabaseMessage) {
    QTemporaryDir dir;
    UserStore store("connect-test");
    const QString missing = dir.filePath("LUMO.mdb");
    try {
        store.connect(missing);
        FAIL() << "connected to a missing file";
    } catch (const DatabaseError& e) {
        EXPECT_NE(std::string(e.what()).find("unable to open"), std::string::npos) << e.what();
    }
    EXPECT_FALSE(QFileInfo::exists(missing));  // never created

    {
        QFile f(missing);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(4096, 'x'));
    }
    try {
        store.connect(missing);
        FAIL() << "connected to a damaged file";
    } catch (const DatabaseError& e) {
        EXPECT_NE(std::string(e.what()).find("not a database"), std::string::npos) << e.what();
    }
    EXPECT_FALSE(store.isConnected());

    const QString empty = dir.filePath("empty.mdb");
    QFile(empty).open(QIODevice::WriteOnly);
    EXPECT_THROW(store.connect(empty), DatabaseError);  // a database without the tables
}

TEST(UserStoreConnectTest, PathsWithBlanksAndSpecialCharacters) {
    QTemporaryDir dir;
    const QString path = dir.filePath("a b#c%d?/LUMO.mdb");
    ASSERT_TRUE(QDir().mkpath(QFileInfo(path).path()));
    createDatabaseFile(path, {QStringLiteral(LUMO_SOURCE_DIR "/app/resources/schema.sql")});
    UserStore store("special-path");
    store.connect(path);
    store.qryUser().open();
    EXPECT_EQ(store.qryUser().recordCount(), 0);
}

TEST(DatabaseFileTest, NeverOverwritesAndSplitsScripts) {
    QTemporaryDir dir;
    const QString path = dir.filePath("x.mdb");
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("keep");
    }
    EXPECT_THROW(createDatabaseFile(path, {}), DatabaseError);
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), "keep");
    EXPECT_EQ(splitSqlScript("a; -- c;\nb 'x;y'; \"q;\" ;"),
              QStringList({"a", "b 'x;y'", "\"q;\""}));
    // A failing script leaves no file.
    const QString bad = dir.filePath("bad.sql");
    QFile b(bad);
    ASSERT_TRUE(b.open(QIODevice::WriteOnly));
    b.write("CREATE TABLE t (a); INSERT INTO nowhere VALUES (1);");
    b.close();
    EXPECT_THROW(createDatabaseFile(dir.filePath("y.mdb"), {bad}), DatabaseError);
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("y.mdb")));
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("y.mdb.part")));
}

}  // namespace
