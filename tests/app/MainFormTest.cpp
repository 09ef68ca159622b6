#include <gtest/gtest.h>

#include <QComboBox>
#include <QGroupBox>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QToolButton>

#include "FormsFixture.h"
#include "app/DBDateEdit.h"
#include "app/DatabaseError.h"
#include "app/Setting.h"
#include "app/UserGridView.h"

using namespace lumo::app;

namespace {

struct Buttons {
    bool add, edit, del, save, cancel, enroll, verify;
};

void expectButtons(const TfrmMain& w, Buttons b) {
    EXPECT_EQ(w.tBtnAdd->isEnabled(), b.add);
    EXPECT_EQ(w.tBtnEdit->isEnabled(), b.edit);
    EXPECT_EQ(w.tBtnDelete->isEnabled(), b.del);
    EXPECT_EQ(w.tBtnSave->isEnabled(), b.save);
    EXPECT_EQ(w.tBtnCancel->isEnabled(), b.cancel);
    EXPECT_EQ(w.tbtnEnroll->isEnabled(), b.enroll);
    EXPECT_EQ(w.tBtnVerify->isEnabled(), b.verify);
    // Never disabled.
    EXPECT_TRUE(w.ToolButton5->isEnabled());
    EXPECT_TRUE(w.tBtnExit->isEnabled());
}

void expectEditing(const TfrmMain& w, bool editing) {
    EXPECT_EQ(w.gbDetail->isEnabled(), editing);
    EXPECT_EQ(w.gbSearch->isEnabled(), !editing);
    EXPECT_EQ(reinterpret_cast<const QWidget*>(w.dbUser)->isEnabled(), !editing);
    EXPECT_EQ(w.btnLoad->isEnabled(), editing);
    EXPECT_EQ(w.btnClear->isEnabled(), editing);
    EXPECT_EQ(w.tbtnSetting->isEnabled(), !editing);
}

class MainFormTest : public FormsFixture {
protected:
    void type(QWidget* w, const QString& text) { QTest::keyClicks(w, text); }
};

TEST_F(MainFormTest, EmptyTableThenTheFirstSave) {
    TfrmMain& w = start();
    expectButtons(w, {true, false, false, false, false, false, false});
    expectEditing(w, false);
    EXPECT_EQ(w.lblTotal->text(), "0");

    w.tBtnAdd->click();
    expectButtons(w, {false, false, false, true, true, false, false});
    expectEditing(w, true);
    EXPECT_EQ(w.focusWidget(), w.dbedtUserID);

    w.tBtnSave->click();
    EXPECT_EQ(messageTexts(), QStringList({"User ID cannot be blank!"}));
    EXPECT_EQ(w.focusWidget(), w.dbedtUserID);
    type(w.dbedtUserID, "1001");
    w.tBtnSave->click();
    EXPECT_EQ(m_messages.back().text, "Name cannot be blank!");
    EXPECT_EQ(w.focusWidget(), w.dbedtName);
    expectEditing(w, true);

    type(w.dbedtName, "Alice");
    m_answers = {false};  // No to "Do you want to save?"
    w.tBtnSave->click();
    EXPECT_EQ(m_messages.back().kind, Kind::Confirmation);
    EXPECT_EQ(m_messages.back().text, "Do you want to save?");
    expectEditing(w, true);
    EXPECT_EQ(m_db.count("SELECT COUNT(*) FROM USERS"), 0);

    w.tBtnSave->click();  // Yes
    expectEditing(w, false);
    expectButtons(w, {true, true, true, false, false, true, true});
    EXPECT_EQ(w.lblTotal->text(), "1");
    EXPECT_EQ(m_db.count("SELECT COUNT(*) FROM USERS WHERE UserID='1001' AND Name='Alice'"), 1);
}

TEST_F(MainFormTest, BlanksOnlyPassTheChecksAndCancelDiscards) {
    m_db.addPersons({{"1001", "Alice"}});
    TfrmMain& w = start();
    w.tBtnAdd->click();
    type(w.dbedtUserID, " ");
    type(w.dbedtName, " ");
    m_answers = {false};
    w.tBtnSave->click();
    EXPECT_EQ(messageTexts(), QStringList({"Do you want to save?"}));
    w.tBtnCancel->click();
    expectEditing(w, false);
    EXPECT_EQ(w.qryUser().recordCount(), 1);
    EXPECT_EQ(w.dbedtUserID->text(), "1001");
}

TEST_F(MainFormTest, EditSavesTheBoxesAndTheDate) {
    m_db.addPersons({{"1001", "Alice", "1984-03-12"}});
    TfrmMain& w = start();
    const DateMask mask = w.dbedtAge->mask();
    EXPECT_EQ(w.dbedtAge->text(), mask.toText(QDate(1984, 3, 12)));
    w.tBtnEdit->click();
    w.dbedtName->selectAll();
    type(w.dbedtName, "Alicia");
    w.dbedtAge->setText(mask.toText(QDate(1990, 12, 31)));
    w.dbedtAdd->setPlainText("Line 1\nLine 2");
    w.tBtnSave->click();
    EXPECT_EQ(m_db.count("SELECT COUNT(*) FROM USERS WHERE Name='Alicia' AND DOB='1990-12-31' AND "
                         "Address='Line 1\nLine 2'"),
              1);

    // A partly typed date is refused before the confirmation; an empty box clears the date.
    m_messages.clear();
    w.tBtnEdit->click();
    w.dbedtAge->setText("12/3");
    w.tBtnSave->click();
    ASSERT_EQ(m_messages.size(), 1u);
    EXPECT_EQ(m_messages[0].kind, Kind::Error);
    expectEditing(w, true);
    w.dbedtAge->setText("");
    w.tBtnSave->click();
    EXPECT_EQ(m_db.count("SELECT COUNT(*) FROM USERS WHERE DOB IS NULL"), 1);
}

TEST_F(MainFormTest, DeleteAsksAndRemovesThePersonWithTemplates) {
    m_db.addPersons({{"1001", "Alice"}, {"1002", "Bruno"}});
    m_db.exec(
        {"INSERT INTO TEMPLATE (USER_ID, TPL_INDEX, TPL) VALUES (1, 1, 'a'), (1, 2, 'b'), (1, 3, "
         "'c'), (2, 1, 'd')"});
    TfrmMain& w = start();
    m_answers = {false};
    w.tBtnDelete->click();
    EXPECT_EQ(messageTexts(),
              QStringList({"Do you want to delete this person and the person's fingerprints?"}));
    EXPECT_EQ(m_messages[0].kind, Kind::Confirmation);
    EXPECT_EQ(w.qryUser().recordCount(), 2);
    w.tBtnDelete->click();
    EXPECT_EQ(w.qryUser().recordCount(), 1);
    EXPECT_EQ(w.lblTotal->text(), "1");
    EXPECT_EQ(w.dbedtUserID->text(), "1002");
    EXPECT_EQ(m_db.count("SELECT COUNT(*) FROM TEMPLATE"), 1);
}

TEST_F(MainFormTest, ExitAsksAndNoKeepsTheWindowOpen) {
    TfrmMain& w = start();
    m_answers = {false};
    w.tBtnExit->click();
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(m_messages.back().text, "Are you sure you want to exit?");
    w.tBtnExit->click();
    EXPECT_FALSE(w.isVisible());
}

TEST_F(MainFormTest, SearchesDisableAndEnableTheRowButtonsAndResetKeepsTheList) {
    m_db.addPersons({{"1001", "Alice"}, {"1002", "Bruno"}, {"2001", "Chen Wei"}});
    TfrmMain& w = start();
    w.cboSearch->setCurrentIndex(2);
    w.edtKey->setText("nobody");
    w.btnSearch->click();
    EXPECT_EQ(w.lblTotal->text(), "0");
    expectButtons(w, {true, false, false, false, false, false, false});
    w.edtKey->setText("chen");
    w.btnSearch->click();
    EXPECT_EQ(w.lblTotal->text(), "1");
    expectButtons(w, {true, true, true, false, false, true, true});
    EXPECT_EQ(w.dbedtName->text(), "Chen Wei");

    w.btnReset->click();
    EXPECT_TRUE(w.edtKey->text().isEmpty());
    EXPECT_EQ(w.cboSearch->currentIndex(), 0);
    EXPECT_EQ(w.qryUser().recordCount(), 1);  // not reloaded
    w.btnSearch->click();
    EXPECT_EQ(w.qryUser().recordCount(), 3);
}

class LookupTest : public MainFormTest {
protected:
    void SetUp() override {
        MainFormTest::SetUp();
        // 1002 is the first row the lookup meets for "1".
        m_db.addPersons({{"2001", "Alice"}, {"1500", "Bruno"}, {"1002", "Chen"}, {"ABC", "Dana"}});
        start();
        m_main->activateWindow();
        m_main->edtKey->setFocus();
    }
    void mode(int index) { m_main->cboSearch->setCurrentIndex(index); }
};

TEST_F(LookupTest, CompletionSelectsTheRestAndTheNextKeyReplacesIt) {
    TfrmMain& w = *m_main;
    mode(1);
    type(w.edtKey, "1");
    EXPECT_EQ(w.edtKey->text(), "1002");
    EXPECT_EQ(w.edtKey->selectedText(), "002");
    EXPECT_EQ(w.edtKey->selectionStart(), 1);
    EXPECT_EQ(w.dbedtUserID->text(), "1002");  // the grid moved to the person
    type(w.edtKey, "0");
    EXPECT_EQ(w.edtKey->text(), "1002");
    EXPECT_EQ(w.edtKey->selectedText(), "02");
    type(w.edtKey, "5");
    EXPECT_EQ(w.edtKey->text(), "105");
    EXPECT_FALSE(w.edtKey->hasSelectedText());
}

TEST_F(LookupTest, BackspaceNeverCompletes) {
    TfrmMain& w = *m_main;
    mode(1);
    type(w.edtKey, "1");
    ASSERT_EQ(w.edtKey->text(), "1002");
    QTest::keyClick(w.edtKey, Qt::Key_Backspace);  // removes the completed part
    EXPECT_EQ(w.edtKey->text(), "1");
    QTest::keyClick(w.edtKey, Qt::Key_Backspace);
    EXPECT_EQ(w.edtKey->text(), "");
    type(w.edtKey, "15");
    EXPECT_EQ(w.edtKey->text(), "1500");
    QTest::keyClick(w.edtKey, Qt::Key_Delete);
    EXPECT_EQ(w.edtKey->text(), "15");
}

TEST_F(LookupTest, OtherLetterCaseAndQuotesCompleteNothing) {
    TfrmMain& w = *m_main;
    mode(1);
    const QString before = w.dbedtUserID->text();
    type(w.edtKey, "ab");
    EXPECT_EQ(w.edtKey->text(), "ab");
    EXPECT_EQ(w.dbedtUserID->text(), before);
    w.edtKey->clear();
    mode(2);
    type(w.edtKey, "Ch");
    EXPECT_EQ(w.edtKey->text(), "Chen");
    EXPECT_EQ(w.dbedtName->text(), "Chen");
    w.edtKey->clear();
    type(w.edtKey, "D'");
    EXPECT_EQ(w.edtKey->text(), "D'");
    // Mode 0 has no lookup.
    w.edtKey->clear();
    mode(0);
    type(w.edtKey, "1");
    EXPECT_EQ(w.edtKey->text(), "1");
}

TEST_F(LookupTest, EnterAndCtrlBMoveTheFocus) {
    TfrmMain& w = *m_main;
    mode(1);
    QTest::keyClick(w.edtKey, Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), w.cboSearch);
    w.edtKey->setFocus();
    QTest::keyClick(w.edtKey, Qt::Key_B, Qt::ControlModifier);
    EXPECT_NE(QApplication::focusWidget(), w.edtKey);
    EXPECT_NE(QApplication::focusWidget(), w.cboSearch);
}

TEST_F(LookupTest, GridTypeToFind) {
    TfrmMain& w = *m_main;
    w.dbUser->setFocus();
    w.dbUser->setCurrentIndex(w.dbUser->model()->index(0, 1));  // the Name column
    type(w.dbUser, "d");
    EXPECT_EQ(w.dbedtName->text(), "Dana");
    type(w.dbUser, "z");
    EXPECT_EQ(w.dbedtName->text(), "Dana");
}

TEST_F(MainFormTest, LanguageSelectionSelectClosesDoubleClickStaysOpen) {
    m_db.addPersons({{"1001", "Alice"}});
    TfrmMain& w = start();
    w.cboSearch->setCurrentIndex(2);
    TfrmSetting* dialog = w.frmLogin()->frmSetting();
    whenModal([&](QWidget* modal) {
        ASSERT_EQ(modal, dialog);
        QListWidget* list = dialog->FileList;
        QStringList names;
        for (int i = 0; i < list->count(); ++i) names << list->item(i)->text();
        EXPECT_EQ(names,
                  QStringList({"Chinese Simplified", "Chinese Traditional", "English", "Spanish"}));
        list->setCurrentRow(names.indexOf("Spanish"));
        emit list->itemDoubleClicked(list->currentItem());
        EXPECT_TRUE(dialog->isVisible());
        EXPECT_EQ(w.tBtnAdd->text(), QString::fromUtf8("Añadir"));
        list->setCurrentRow(names.indexOf("Chinese Simplified"));
        dialog->btnSelect->click();
    });
    w.tbtnLanguage1->trigger();
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(w.tBtnAdd->text(), QString::fromUtf8("新增"));
    EXPECT_EQ(w.lblUserID->text(), QString::fromUtf8("* 用户编号:"));
    EXPECT_EQ(w.cboSearch->currentIndex(), 0);
    EXPECT_EQ(w.cboSearch->itemText(0), QString::fromUtf8("全文查找"));
    EXPECT_EQ(w.ToolButton5->text(), "MF Card");
    EXPECT_EQ(TempRegistry::lumoValue("Language"),
              (m_db.folder() + "/Chinese Simplified.ini").toStdString());
    EXPECT_TRUE(m_controlLog.contains("SetLanguageFile lumo.spa"));
    EXPECT_EQ(m_controlLog.filter("SetLanguageFile").last(), "SetLanguageFile lumo.chs");
    // Messages read the table at the moment they are shown.
    w.tBtnAdd->click();
    w.tBtnSave->click();
    EXPECT_EQ(m_messages.back().text, QString::fromUtf8("用户编号不能为空！"));
}

TEST_F(MainFormTest, MissingDatabaseShowsTheErrorAndEndsTheProgram) {
    QFile::remove(m_db.path());
    TfrmMain& w = start();
    EXPECT_TRUE(w.terminated());
    ASSERT_EQ(m_messages.size(), 1u);
    EXPECT_EQ(m_messages[0].kind, Kind::Error);
    EXPECT_TRUE(m_messages[0].text.startsWith("Unable to connect to the database!\n\r"))
        << m_messages[0].text.toStdString();
    EXPECT_GT(m_messages[0].text.size(), QString("Unable to connect to the database!\n\r").size());
    EXPECT_FALSE(QFile::exists(m_db.path()));
}

TEST_F(MainFormTest, PhotoLoadAndClear) {
    m_db.addPersons({{"1001", "Alice"}});
    TfrmMain& w = start();
    EXPECT_TRUE(w.imgPhoto->pixmap().isNull());
    const QString picture = m_db.folder() + "/face.bmp";
    QImage(40, 60, QImage::Format_RGB32).save(picture);
    QString shownFolder, shownFilter;
    w.setPictureChooser([&](QWidget*, const QString& folder, const QString& filter) {
        shownFolder = folder;
        shownFilter = filter;
        return picture;
    });
    w.tBtnEdit->click();
    w.btnLoad->click();
    EXPECT_EQ(shownFolder, m_db.folder() + "/");
    EXPECT_EQ(shownFilter,
              "All (*.gif *.jpg *.jpeg *.bmp);;GIF Image (*.gif);;JPEG Image File (*.jpg);;"
              "JPEG Image File (*.jpeg);;Bitmaps (*.bmp)");
    EXPECT_FALSE(w.imgPhoto->pixmap().isNull());
    w.tBtnSave->click();
    EXPECT_EQ(m_db.count("SELECT COUNT(*) FROM USERS WHERE PHOTO='" + picture + "'"), 1);
    w.tBtnEdit->click();
    w.btnClear->click();
    EXPECT_TRUE(w.imgPhoto->pixmap().isNull());
    w.tBtnSave->click();
    EXPECT_EQ(m_db.count("SELECT COUNT(*) FROM USERS WHERE PHOTO='nil'"), 1);
}

TEST_F(MainFormTest, EnrollmentWritesOneRowPerFinger) {
    m_db.addPersons({{"1001", "Alice"}, {"1002", "Bruno"}});
    m_script.registerResults = {true, true, true, false};
    m_script.registerTemplates = {"first", "second", "other"};
    m_script.fingerIndexes = {3, 3, 4};
    TfrmMain& w = start();
    for (int i = 0; i < 4; ++i) w.tbtnEnroll->click();
    EXPECT_EQ(m_db.count("SELECT COUNT(*) FROM TEMPLATE"), 2);
    EXPECT_EQ(m_db.count(
                  "SELECT COUNT(*) FROM TEMPLATE WHERE USER_ID=1 AND TPL_INDEX=3 AND TPL='second'"),
              1);
    EXPECT_EQ(
        m_db.count("SELECT COUNT(*) FROM TEMPLATE WHERE USER_ID=1 AND TPL_INDEX=4 AND TPL='other'"),
        1);
    EXPECT_EQ(m_controlLog.filter("IsAutoRegister=1").size(), 4);
    EXPECT_TRUE(m_messages.empty());
}

TEST_F(MainFormTest, VerificationSelectsTheFirstMatchAndCountsTheComparisons) {
    std::initializer_list<Person> persons = {
        {"1001", "A"}, {"1002", "B"}, {"1003", "C"}, {"1004", "D"}};
    m_db.addPersons(persons);
    QStringList rows;
    for (int i = 1; i <= 10; ++i)
        rows << QString("INSERT INTO TEMPLATE (USER_ID, TPL_INDEX, TPL) VALUES (%1, %2, 't%3')")
                    .arg((i + 1) / 3 + 1)
                    .arg(i)
                    .arg(i);
    m_db.exec(rows);
    TfrmMain& w = start();
    m_script.captureResults = {true, false};
    m_script.matchingTemplate = "t3";  // third row in USER_ID order belongs to person 2
    w.tBtnVerify->click();
    EXPECT_EQ(w.lblTotal->text(), "3/10");
    EXPECT_EQ(w.dbedtUserID->text(), "1002");
    EXPECT_TRUE(m_messages.empty());

    w.tBtnVerify->click();  // capture cancelled
    EXPECT_EQ(messageTexts(), QStringList({"Fingerprint does not exist!"}));
}

TEST_F(MainFormTest, VerificationWithoutTemplatesLeavesTheCount) {
    m_db.addPersons({{"1001", "A"}});
    TfrmMain& w = start();
    m_script.captureResults = {true};
    w.tBtnVerify->click();
    EXPECT_EQ(w.lblTotal->text(), "1");
    EXPECT_EQ(messageTexts(), QStringList({"Fingerprint does not exist!"}));
}

}  // namespace
