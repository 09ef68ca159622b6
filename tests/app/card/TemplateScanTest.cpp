#include <gtest/gtest.h>

#include <QCoreApplication>

#include "app/LumoHost.h"
#include "app/TemplateScan.h"
#include "app/UserStore.h"
#include "tests/app/TestDatabase.h"

namespace lumo::app {
namespace {

// MatchFinger answers true for the listed registration templates; everything else is unused.
class MatchingHost final : public LumoHost {
public:
    QStringList matching;
    QStringList compared;
    QString throwOn;

    void setVisible(bool) override {}
    void SetLanguageFile(const QString&) override {}
    void setIsAutoRegister(bool) override {}
    bool Register() override { return false; }
    QString RegisterTemplate() override { return {}; }
    int FingerIndex() override { return 0; }
    bool GetVerTemplate() override { return false; }
    QString VerifyTemplate() override { return {}; }
    bool MatchFinger(const QString& reg, const QString& ver) override {
        compared << reg;
        if (reg == throwOn) throw LumoHostError("MatchFinger failed");
        EXPECT_EQ(ver, "probe");
        return matching.contains(reg);
    }
};

class TemplateScanTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Rows out of USER_ID order in the table: the scan sees them ordered.
        m_db.exec({"INSERT INTO TEMPLATE (USER_ID, TPL_INDEX, TPL) VALUES (3, 1, 't3a')",
                   "INSERT INTO TEMPLATE (USER_ID, TPL_INDEX, TPL) VALUES (1, 2, 't1')",
                   "INSERT INTO TEMPLATE (USER_ID, TPL_INDEX, TPL) VALUES (2, 7, 't2')",
                   "INSERT INTO TEMPLATE (USER_ID, TPL_INDEX, TPL) VALUES (3, 4, 't3b')"});
        m_store.connect(m_db.path());
    }

    TemplateScan::Result scan(
        std::chrono::milliseconds interval = TemplateScan::kProgressInterval) {
        return TemplateScan::firstMatch(
            m_host, "probe", m_store.GetAllUser(),
            [this](int n, int total) { m_progress << QString("%1/%2").arg(n).arg(total); },
            interval);
    }

    TestDatabase m_db;
    UserStore m_store{QStringLiteral("scan-test")};
    MatchingHost m_host;
    QStringList m_progress;
};

TEST_F(TemplateScanTest, FirstMatchInUserIdOrderStopsTheScan) {
    m_host.matching = {"t3b", "t2"};  // two persons match: the lower USER_ID wins
    const TemplateScan::Result r = scan(std::chrono::milliseconds(0));
    EXPECT_EQ(r.userId, "2");
    EXPECT_EQ(r.compared, 2);
    EXPECT_EQ(r.total, 4);
    EXPECT_EQ(m_host.compared, QStringList({"t1", "t2"}));
    EXPECT_EQ(m_progress, QStringList({"1/4", "2/4"}));
    EXPECT_EQ(m_store.GetAllUser().recordCount(), 4);
}

TEST_F(TemplateScanTest, NoMatchComparesEveryRowAndShowsTheLastCount) {
    const TemplateScan::Result r = scan(std::chrono::hours(1));
    EXPECT_FALSE(r.userId);
    EXPECT_EQ(r.compared, 4);
    EXPECT_EQ(m_host.compared.size(), 4);
    // A long interval shows only the final count, never a stale one.
    EXPECT_EQ(m_progress, QStringList({"4/4"}));
}

TEST_F(TemplateScanTest, NoRowsNoComparisonNoProgress) {
    m_db.exec({"DELETE FROM TEMPLATE"});
    const TemplateScan::Result r = scan();
    EXPECT_FALSE(r.userId);
    EXPECT_EQ(r.compared, 0);
    EXPECT_TRUE(m_progress.isEmpty());
}

TEST_F(TemplateScanTest, ControlFailureEndsTheScan) {
    m_host.throwOn = "t2";
    EXPECT_THROW(scan(), LumoHostError);
    EXPECT_EQ(m_host.compared, QStringList({"t1", "t2"}));
}

}  // namespace
}  // namespace lumo::app
