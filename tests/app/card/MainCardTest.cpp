// The main window with the card dialogs and the control's finger status: the card menu opens
// the dialogs, the finger status carries from one person's enrollment to the next unless the
// card enrollment ran, and identification over a filtered browse set.
#include <gtest/gtest.h>

#include <QTest>
#include <QComboBox>
#include <QToolButton>

#include "CardHostDouble.h"
#include "app/Login.h"
#include "app/Main.h"
#include "app/card/CardKey.h"
#include "app/card/Empty.h"
#include "app/card/MFReg.h"
#include "app/card/MFVer.h"
#include "tests/app/FormsFixture.h"

using namespace lumo::app;

namespace {

class MainCardTest : public FormsFixture {
protected:
    TfrmMain& startWithCardHost() {
        scheduleLogin({"907531"});
        m_main = std::make_unique<TfrmMain>([this] {
            auto host = std::make_unique<CardHostDouble>();
            m_host = host.get();
            return host;
        });
        m_main->show();
        QApplication::processEvents();
        return *m_main;
    }

    CardHostDouble* m_host = nullptr;
};

TEST_F(MainCardTest, CardMenuOpensEachDialogInBrowseAndEditMode) {
    m_db.addPersons({{"1001", "A"}});
    TfrmMain& w = startWithCardHost();
    TfrmLogin* login = w.frmLogin();
    ASSERT_TRUE(login->frmCardKey() && login->frmMFReg() && login->frmMFVer() && login->frmEmpty());
    for (bool editing : {false, true}) {
        SCOPED_TRACE(editing ? "editing" : "browsing");
        if (editing) w.tBtnEdit->click();
        for (QAction* item : {w.tbtnMFCardKey, w.tbtnEmptyFP}) {
            SCOPED_TRACE(item->objectName().toStdString());
            EXPECT_TRUE(item->isEnabled());
            QString shown;
            whenModal([&](QWidget* modal) {
                shown = modal->objectName();
                static_cast<QDialog*>(modal)->reject();
            });
            item->trigger();
            EXPECT_EQ(shown, item == w.tbtnMFCardKey ? "frmCardKey" : "frmEmpty");
        }
        // The card enrollment and verification open the control's dialogs first; cancelled,
        // they close their card dialog at once.
        m_host->log.clear();
        m_host->registerResults = {false};
        m_host->captureResults = {false};
        w.tbtnEnrollFP->trigger();
        w.tbtnVerifyFP->trigger();
        EXPECT_EQ(m_host->log, QStringList({"IsAutoRegister=1", "CheckFinger=0000000000",
                                            "Register", "GetVerTemplate"}));
        EXPECT_FALSE(login->frmMFReg()->isVisible());
        EXPECT_FALSE(login->frmMFVer()->isVisible());
    }
    EXPECT_TRUE(m_messages.empty()) << (m_messages.empty() ? "" : m_messages[0].text.toStdString());
}

TEST_F(MainCardTest, FingerStatusCarriesBetweenPersonsUnlessTheCardEnrollmentRan) {
    m_db.addPersons({{"1001", "A"}, {"1002", "B"}});
    TfrmMain& w = startWithCardHost();
    m_host->checkFinger = "0000000000";
    m_host->registerResults = {true, true, true};
    m_host->registerFingers = {2, 7, 3};
    m_host->registerTemplates = {"a2", "a7", "b3"};
    ASSERT_TRUE(w.qryUser().locate("UserID", "1001"));
    w.tbtnEnroll->click();
    w.tbtnEnroll->click();
    ASSERT_TRUE(w.qryUser().locate("UserID", "1002"));
    w.tbtnEnroll->click();
    EXPECT_EQ(m_host->flagsSeen, QStringList({"0000000000", "0100000000", "0100001000"}));
    EXPECT_TRUE(m_host->log.filter("CheckFinger").isEmpty());
    EXPECT_EQ(m_db.count("SELECT COUNT(*) FROM TEMPLATE"), 3);

    // The card enrollment starts from no finger; the next enrollment keeps that status.
    m_host->registerResults = {false, true};
    m_host->registerFingers = {4};
    m_host->registerTemplates = {"b4"};
    w.tbtnEnrollFP->trigger();
    w.tbtnEnroll->click();
    EXPECT_EQ(m_host->flagsSeen.mid(3), QStringList({"0000000000", "0000000000"}));
    EXPECT_EQ(m_db.count("SELECT COUNT(*) FROM TEMPLATE WHERE TPL='b4'"), 1);
}

TEST_F(MainCardTest, MatchOfAPersonOutsideTheSearchMovesNothing) {
    m_db.addPersons({{"1001", "Alice"}, {"1002", "Bruno"}});
    m_db.exec({"INSERT INTO TEMPLATE (USER_ID, TPL_INDEX, TPL) VALUES (1, 2, 'alice')",
               "INSERT INTO TEMPLATE (USER_ID, TPL_INDEX, TPL) VALUES (2, 2, 'bruno')",
               "INSERT INTO TEMPLATE (USER_ID, TPL_INDEX, TPL) VALUES (2, 7, 'bruno7')"});
    TfrmMain& w = startWithCardHost();
    w.cboSearch->setCurrentIndex(2);
    w.edtKey->setText("Alice");
    w.btnSearch->click();
    ASSERT_EQ(w.qryUser().recordCount(), 1);
    m_host->captureResults = {true};
    m_host->verifyTemplate = "bruno";
    w.tBtnVerify->click();
    EXPECT_EQ(w.lblTotal->text(), "2/3");
    EXPECT_EQ(w.dbedtUserID->text(), "1001");
    EXPECT_TRUE(m_messages.empty()) << (m_messages.empty() ? "" : m_messages[0].text.toStdString());
}

}  // namespace
