#include <gtest/gtest.h>

#include <QSignalSpy>

#include "TestDatabase.h"
#include "app/DatabaseError.h"
#include "app/Dataset.h"
#include "app/DateMask.h"
#include "app/UserGridModel.h"
#include "app/UserStore.h"

using namespace lumo::app;
using State = Dataset::State;

namespace {

class DatasetTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_db.addPersons({{"1001", "Alice", "1984-03-12"}, {"1002", "Bruno"}, {"1003", "Chen"}});
        m_store.connect(m_db.path());
        users().open();
    }
    Dataset& users() { return m_store.qryUser(); }
    TestDatabase m_db;
    UserStore m_store;
};

TEST_F(DatasetTest, BrowseMovesAndLocatesExactly) {
    EXPECT_EQ(users().state(), State::Browse);
    EXPECT_EQ(users().recordCount(), 3);
    EXPECT_EQ(users().text("userid"), "1001");  // field names ignore letter case
    EXPECT_TRUE(users().locate("Name", "Chen"));
    EXPECT_EQ(users().currentRow(), 2);
    EXPECT_FALSE(users().locate("Name", "chen"));  // exact comparison
    EXPECT_FALSE(users().locate("Name", "Che"));
    EXPECT_FALSE(users().locate("Nothing", "x"));
    EXPECT_EQ(users().currentRow(), 2);
    users().first();
    int seen = 0;
    while (!users().eof()) {
        ++seen;
        users().next();
    }
    EXPECT_EQ(seen, 3);
}

TEST_F(DatasetTest, InsertPostAssignsTheKeyAndCancelDropsTheRow) {
    QSignalSpy resets(&users(), &Dataset::rowsReset);
    users().setCurrentRow(1);
    users().insert();
    EXPECT_EQ(users().state(), State::Insert);
    EXPECT_EQ(users().recordCount(), 4);
    EXPECT_EQ(users().currentRow(), 1);  // placed before the current row
    EXPECT_TRUE(users().text("UserID").isEmpty());
    users().cancel();
    EXPECT_EQ(users().state(), State::Browse);
    EXPECT_EQ(users().recordCount(), 3);
    EXPECT_EQ(users().text("UserID"), "1002");

    users().insert();
    users().setValue("UserID", "O'Neil'); DROP TABLE USERS; --");
    users().setValue("Name", "Dana");
    users().post();
    EXPECT_EQ(users().state(), State::Browse);
    EXPECT_GT(users().value("ID").toInt(), 3);
    EXPECT_EQ(
        m_db.count("SELECT COUNT(*) FROM USERS WHERE UserID='O''Neil''); DROP TABLE USERS; --'"),
        1);
    EXPECT_GE(resets.count(), 3);
}

TEST_F(DatasetTest, EditPostAndCancel) {
    users().edit();
    users().setValue("Name", "Alicia");
    users().cancel();
    EXPECT_EQ(users().text("Name"), "Alice");
    users().edit();
    users().setValue("Name", "Alicia");
    users().post();
    EXPECT_EQ(m_db.count("SELECT COUNT(*) FROM USERS WHERE Name='Alicia'"), 1);
}

TEST_F(DatasetTest, FailedPostStaysInEditing) {
    users().insert();
    users().setValue("Name", "nobody");  // UserID stays NULL: the file refuses it
    EXPECT_THROW(users().post(), DatabaseError);
    EXPECT_EQ(users().state(), State::Insert);
    users().setValue("UserID", "1009");
    users().post();
    EXPECT_EQ(users().state(), State::Browse);
}

TEST_F(DatasetTest, EditOfARowDeletedMeanwhileIsReported) {
    m_db.exec({"DELETE FROM USERS WHERE UserID='1001'"});
    users().edit();
    users().setValue("Name", "x");
    EXPECT_THROW(users().post(), DatabaseError);
    EXPECT_EQ(users().state(), State::Edit);
}

TEST_F(DatasetTest, WrongStatesAreErrors) {
    EXPECT_THROW(users().setValue("Name", "x"), DatabaseError);
    EXPECT_THROW(users().post(), DatabaseError);
    users().insert();
    EXPECT_THROW(users().insert(), DatabaseError);
    EXPECT_THROW(users().deleteCurrent(), DatabaseError);
    users().cancel();
    users().close();
    EXPECT_EQ(users().state(), State::Inactive);
    EXPECT_THROW(users().edit(), DatabaseError);
    users().setStatement("SELECT * FROM nowhere");
    EXPECT_THROW(users().open(), DatabaseError);
    EXPECT_FALSE(users().isOpen());
}

TEST_F(DatasetTest, GridModelFollowsTheSetAndFindsByPrefix) {
    UserGridModel model(users());
    model.setDateMask(DateMask(DateMask::Order::DayMonthYear));
    EXPECT_EQ(model.rowCount(), 3);
    EXPECT_EQ(model.columnCount(), 9);
    EXPECT_EQ(model.cellText(0, 2), "12/03/1984");
    EXPECT_EQ(model.headerData(0, Qt::Vertical, Qt::DisplayRole).toString(), "▶");
    EXPECT_EQ(model.findPrefix(1, "b"), 1);
    EXPECT_EQ(model.findPrefix(1, "CH"), 2);
    EXPECT_EQ(model.findPrefix(1, "z"), -1);
    EXPECT_EQ(model.findPrefix(0, "100"), 0);
    users().insert();
    EXPECT_EQ(model.rowCount(), 4);
    EXPECT_EQ(model.headerData(0, Qt::Vertical, Qt::DisplayRole).toString(), "✱");
    users().cancel();
    m_store.search("Chen", 2);
    EXPECT_EQ(model.rowCount(), 1);
}

TEST(DateMaskTest, OrdersMasksAndParsing) {
    EXPECT_EQ(DateMask::orderOfFormat("M/d/yy"), DateMask::Order::MonthDayYear);
    EXPECT_EQ(DateMask::orderOfFormat("dd.MM.yyyy"), DateMask::Order::DayMonthYear);
    EXPECT_EQ(DateMask::orderOfFormat("yyyy/M/d"), DateMask::Order::YearMonthDay);
    const DateMask mdy(DateMask::Order::MonthDayYear);
    const DateMask dmy(DateMask::Order::DayMonthYear);
    const DateMask ymd(DateMask::Order::YearMonthDay);
    EXPECT_EQ(mdy.inputMask(), "99/99/0000; ");
    EXPECT_EQ(ymd.inputMask(), "0000/99/99; ");
    const QDate d(1984, 3, 12);
    EXPECT_EQ(mdy.toText(d), "03/12/1984");
    EXPECT_EQ(dmy.toText(d), "12/03/1984");
    EXPECT_EQ(ymd.toText(d), "1984/03/12");
    EXPECT_EQ(dmy.parse("12/03/1984").date, d);
    EXPECT_EQ(mdy.parse("3/12/1984").date, d);
    EXPECT_EQ(ymd.parse("1984/03/12").date, d);
    EXPECT_TRUE(mdy.parse("//").empty);
    EXPECT_TRUE(mdy.parse("").empty);
    for (const char* bad : {"02/30/2000", "1/2/", "13/01/2000", "1/1/84"}) {
        SCOPED_TRACE(bad);
        const auto p = mdy.parse(bad);
        EXPECT_FALSE(p.empty);
        EXPECT_FALSE(p.date.isValid());
    }
    EXPECT_EQ(DateMask::storedText(d), "1984-03-12");
    EXPECT_EQ(DateMask::fromStored(QVariant("1984-03-12")), d);
    EXPECT_FALSE(DateMask::fromStored(QVariant()).isValid());
}

}  // namespace
