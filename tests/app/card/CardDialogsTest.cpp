#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <functional>

#include "CardHostDouble.h"
#include "app/LanguageTable.h"
#include "app/SkinnedMessageBox.h"
#include "app/card/CardKey.h"
#include "app/card/Empty.h"
#include "app/card/MFReg.h"
#include "app/card/MFVer.h"
#include "tests/app/ModalHelper.h"
#include "tests/app/TempRegistry.h"
#include "tests/support/qt/WidgetApplication.h"

// Readable values in failure messages.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}
inline void PrintTo(const QStringList& list, std::ostream* out) {
    *out << list.join(" | ").toStdString();
}

namespace lumo::app {
namespace {

using Kind = SkinnedMessageBox::Kind;
using engine::SimulatedCard;

using lumo::test::ensureWidgetApplication;

// A template string the engine double turns into card bytes (hex of the bytes).
QString cardTemplate(int seed, int size = 120) {
    engine::TemplateValue bytes(size);
    for (int i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(i * 7 + seed);
    return QString::fromStdString(test::SimulatedCardEngine::templateText(bytes));
}

SimulatedCard::Key digitsKey(std::initializer_list<std::uint8_t> bytes) {
    SimulatedCard::Key key{};
    std::copy(bytes.begin(), bytes.end(), key.begin());
    return key;
}

const SimulatedCard::Key kFactory = digitsKey({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF});

struct Message {
    Kind kind;
    QString text;
    bool operator==(const Message&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Message& m) {
    return out << static_cast<int>(m.kind) << ":" << m.text.toStdString();
}

class CardDialogsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ensureWidgetApplication();
        languageTable().resetToDefaults();
        m_oldFolder = QDir::currentPath();
        QDir::setCurrent(m_folder.path());  // the control's temporary card files go here
        SkinnedMessageBox::setResponder([this](Kind kind, const QString& text) {
            messages.push_back({kind, text});
            return true;
        });
    }
    void TearDown() override {
        SkinnedMessageBox::setResponder({});
        QDir::setCurrent(m_oldFolder);
    }

    // Shows the dialog modally; once it is up, runs the action and closes what is still open.
    int run(QDialog& dialog, std::function<void()> action = {}) {
        if (action) {
            whenModal([&dialog, action](QWidget* modal) {
                if (modal == &dialog) action();
                if (dialog.isVisible()) dialog.reject();
            });
        }
        return dialog.exec();
    }

    void storeKey(const char* text) { TempRegistry::setLumoValue("FPCardKey", text); }

    std::vector<SimulatedCard::Key> keysA() const {
        std::vector<SimulatedCard::Key> keys;
        for (int s = 0; s < 16; ++s) keys.push_back(host.engine.card.keyA(s));
        return keys;
    }

    TempRegistry m_registry;
    QTemporaryDir m_folder;
    QString m_oldFolder;
    CardHostDouble host;
    std::vector<Message> messages;
};

// --- card key dialog -------------------------------------------------------------------------

TEST_F(CardDialogsTest, CardKeyShowsTheStoredNumber) {
    struct Case {
        const char* stored;  // nullptr: nothing stored
        const char* shown;
    } cases[] = {{nullptr, "0"}, {"000000", "0"}, {"0", "0"}, {"4711", "4711"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored ? c.stored : "(nothing)");
        if (c.stored) storeKey(c.stored);
        TfrmCardKey dialog;
        QString shown;
        run(dialog, [&] { shown = dialog.edtCardKey->text(); });
        EXPECT_EQ(shown, c.shown);
        EXPECT_TRUE(messages.empty());
    }
}

TEST_F(CardDialogsTest, CardKeyChangeStoresTheNumber) {
    struct Case {
        const char* typed;
        const char* stored;
    } cases[] = {
        {"0", "000000"}, {"000000", "000000"}, {"0042", "42"}, {"123456", "123456"}, {" 7 ", "7"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        messages.clear();
        TfrmCardKey dialog;
        const int result = run(dialog, [&] {
            dialog.edtCardKey->setText(QString::fromLatin1(c.typed));
            dialog.btnOK->click();
        });
        EXPECT_EQ(result, QDialog::Accepted);
        EXPECT_EQ(TempRegistry::lumoValue("FPCardKey"), c.stored);
        EXPECT_EQ(messages,
                  std::vector<Message>({{Kind::Information, "Your changes have been saved."}}));
    }
}

TEST_F(CardDialogsTest, CardKeyEmptyIsRefusedAndCancelStoresNothing) {
    storeKey("55");
    TfrmCardKey dialog;
    bool stayedOpen = false;
    run(dialog, [&] {
        dialog.edtCardKey->clear();
        dialog.btnOK->click();
        stayedOpen = dialog.isVisible();
        dialog.edtCardKey->setText("9");
        dialog.btnCancel->click();
    });
    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ(messages, std::vector<Message>({{Kind::Error, "FP Card Key Cannot be blank!"}}));
    EXPECT_EQ(TempRegistry::lumoValue("FPCardKey"), "55");
}

TEST_F(CardDialogsTest, CardKeyBoxTakesSixDigitsAndNoSign) {
    TfrmCardKey dialog;
    QString typed;
    run(dialog, [&] {
        dialog.edtCardKey->clear();
        QTest::keyClicks(dialog.edtCardKey, "-1a2.3+45678");
        typed = dialog.edtCardKey->text();
    });
    EXPECT_EQ(typed, "123456");
}

TEST_F(CardDialogsTest, CardKeyStoredTextThatIsNoKeyIsReported) {
    storeKey("12a");
    TfrmCardKey dialog;
    QString shown = "unset";
    run(dialog, [&] { shown = dialog.edtCardKey->text(); });
    EXPECT_EQ(shown, "");
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].kind, Kind::UnhandledError);
    EXPECT_TRUE(messages[0].text.contains("\"12a\"")) << messages[0].text.toStdString();
}

// --- card enrollment -------------------------------------------------------------------------

TEST_F(CardDialogsTest, CancelledEnrollmentClosesAndWritesNothing) {
    host.registerResults = {false};
    const auto before = host.engine.card.image();
    TfrmMFReg dialog(&host);
    EXPECT_EQ(run(dialog), QDialog::Rejected);
    EXPECT_EQ(host.log, QStringList({"IsAutoRegister=1", "CheckFinger=0000000000", "Register"}));
    EXPECT_TRUE(host.engine.cardCalls().empty());
    EXPECT_EQ(host.engine.card.image(), before);
    EXPECT_TRUE(messages.empty());
}

TEST_F(CardDialogsTest, WriteVerifyAndEmptyANewCardWithAStoredKey) {
    storeKey("123");
    const QString finger = cardTemplate(1);
    host.registerResults = {true};
    host.registerTemplate = "  " + finger + " \n";

    TfrmMFReg reg(&host);
    const int regResult = run(reg, [&] {
        EXPECT_EQ(reg.mmFP->toPlainText(), host.registerTemplate);
        EXPECT_FALSE(reg.lblStatus->isVisible());
        reg.edtUserID->setText("987654321");  // nine digits fit
        reg.cNewMF->setChecked(true);
        reg.btnEnroll->click();
    });
    EXPECT_EQ(regResult, QDialog::Accepted);
    EXPECT_EQ(reg.lblStatus->text(), "Write Fingerprint into MF Card Success");
    EXPECT_EQ(messages, std::vector<Message>(
                            {{Kind::Information, "Write Fingerprint into MF Card Success"}}));
    EXPECT_EQ(host.cardMembers(),
              QStringList({"Set6FPCardKey(0,0,0,0,0,0)", "SetNew6FPCardKey(1,2,3,0,0,0)",
                           "WriteTemplateToCard(987654321,1,1)"}));
    // Every sector now opens with the stored key only.
    const auto stored = digitsKey({0x31, 0x32, 0x33, 0xFF, 0xFF, 0xFF});
    EXPECT_EQ(keysA(), std::vector<SimulatedCard::Key>(16, stored));

    // A capture of the same finger matches the card; the card's user id is shown.
    messages.clear();
    host.log.clear();
    host.captureResults = {true};
    host.verifyTemplate = finger + "\n";
    TfrmMFVer ver(&host);
    QString matchedStatus;
    run(ver, [&] {
        ver.btnVerify->click();
        matchedStatus = ver.lblStatus->text();
        EXPECT_TRUE(ver.isVisible());  // the dialog never closes by itself
    });
    EXPECT_EQ(matchedStatus, "Fingerprint is matched, UserID = 987654321");
    EXPECT_EQ(messages, std::vector<Message>(
                            {{Kind::Information, "Fingerprint is matched, UserID = 987654321"}}));
    EXPECT_EQ(host.cardMembers(),
              QStringList({"Set6FPCardKey(1,2,3,0,0,0)", "ReadTemplateFromCard(1)"}));

    // Another finger does not.
    messages.clear();
    host.captureResults = {true};
    host.verifyTemplate = cardTemplate(2);
    run(ver, [&] { ver.btnVerify->click(); });
    EXPECT_EQ(ver.lblStatus->text(), "Fingerprint is not matched! ");
    EXPECT_EQ(messages, std::vector<Message>({{Kind::Error, "Fingerprint is not matched! "}}));

    // Emptying gives the card its factory key back and leaves the stored key.
    messages.clear();
    host.log.clear();
    TfrmEmpty empty(&host);
    bool working = true;
    const int emptyResult = run(empty, [&] {
        working = empty.lblWork->isVisible();
        empty.btnOK->click();
    });
    EXPECT_FALSE(working);
    EXPECT_EQ(emptyResult, QDialog::Accepted);
    EXPECT_FALSE(empty.lblWork->isVisible());
    EXPECT_EQ(messages, std::vector<Message>({{Kind::Information, "Empty MFCard Sucess"}}));
    EXPECT_EQ(host.cardMembers(), QStringList({"Set6FPCardKey(1,2,3,0,0,0)", "EmptyMFCard(1)"}));
    EXPECT_EQ(keysA(), std::vector<SimulatedCard::Key>(16, kFactory));
    EXPECT_EQ(TempRegistry::lumoValue("FPCardKey"), "123");
}

TEST_F(CardDialogsTest, KeysLoadedByNewCardAndStoredKey) {
    struct Case {
        const char* name;
        const char* stored;
        bool newCard;
        SimulatedCard::Key cardKey;  // the key the card opens with before the write
        QStringList members;
        SimulatedCard::Key keyAfter;
    } cases[] = {
        {"zero key, new card: no key change",
         "0",
         true,
         kFactory,
         {"Set6FPCardKey(0,0,0,0,0,0)", "WriteTemplateToCard(5,0,1)"},
         kFactory},
        {"zero key, card in use: factory key too",
         "000000",
         false,
         kFactory,
         {"Set6FPCardKey(0,0,0,0,0,0)", "WriteTemplateToCard(5,0,1)"},
         kFactory},
        {"stored key, card in use: opened and kept",
         "56",
         false,
         digitsKey({0x35, 0x36, 0xFF, 0xFF, 0xFF, 0xFF}),
         {"Set6FPCardKey(5,6,0,0,0,0)", "WriteTemplateToCard(5,0,1)"},
         digitsKey({0x35, 0x36, 0xFF, 0xFF, 0xFF, 0xFF})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        storeKey(c.stored);
        host.engine.card = SimulatedCard();
        for (int s = 0; s < 16; ++s) {
            auto trailer = host.engine.card.block(s * 4 + 3);
            std::copy(c.cardKey.begin(), c.cardKey.end(), trailer.begin());
            host.engine.card.setBlock(s * 4 + 3, trailer);
        }
        host.log.clear();
        messages.clear();
        host.registerResults = {true};
        host.registerTemplate = cardTemplate(3);
        TfrmMFReg dialog(&host);
        const int result = run(dialog, [&] {
            dialog.edtUserID->setText("5");
            dialog.cNewMF->setChecked(c.newCard);
            dialog.btnEnroll->click();
        });
        EXPECT_EQ(result, QDialog::Accepted);
        EXPECT_EQ(host.cardMembers(), c.members);
        EXPECT_EQ(keysA(), std::vector<SimulatedCard::Key>(16, c.keyAfter));
    }
}

TEST_F(CardDialogsTest, WriteFailuresKeepTheDialogOpen) {
    struct Case {
        const char* name;
        std::function<void(CardHostDouble&)> breakIt;
        const char* error;
    } cases[] = {
        {"transfer fails", [](CardHostDouble& h) { h.engine.card.failTransfer(1); },
         "Write template into mifare card error!"},
        {"no module", [](CardHostDouble& h) { h.engine.card.setModulePresent(false); },
         "Unable to connect to write card module!"},
        {"no card", [](CardHostDouble& h) { h.engine.card.setCardPresent(false); },
         "Unable to read mifare card!"},
        {"key change fails", [](CardHostDouble& h) { h.engine.card.failBlock(3); },
         "Change mifare card FPCardKey fail!"},
        {"engine does not start", [](CardHostDouble& h) { h.engineStarts = false; }, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        storeKey("9");
        host.engine.card = SimulatedCard();
        host.engineStarts = true;
        c.breakIt(host);
        messages.clear();
        host.registerResults = {true};
        host.registerTemplate = cardTemplate(4);
        TfrmMFReg dialog(&host);
        bool open = false;
        QString status;
        run(dialog, [&] {
            dialog.edtUserID->setText("77");
            dialog.cNewMF->setChecked(true);
            dialog.btnEnroll->click();
            open = dialog.isVisible();
            status = dialog.lblStatus->text();
        });
        EXPECT_TRUE(open);
        EXPECT_EQ(status, "Write Fingerprint into MF Card Fail" + QString::fromLatin1(c.error));
        EXPECT_EQ(messages, std::vector<Message>(
                                {{Kind::Information, "Write Fingerprint into MF Card Fail\n\r" +
                                                         QString::fromLatin1(c.error)}}));
    }
}

TEST_F(CardDialogsTest, UserIdAndStoredKeyAreCheckedBeforeAnythingIsWritten) {
    struct Case {
        const char* name;
        const char* stored;
        const char* userId;
        Kind kind;
        const char* text;  // part of the message
    } cases[] = {
        {"empty user id", "0", "", Kind::Error, "User ID Cannot be blank!"},
        {"blanks only", "0", "   ", Kind::UnhandledError, "'   ' is not a valid user id"},
        {"letters", "0", "12a", Kind::UnhandledError, "'12a' is not a valid user id"},
        {"decimal point", "0", "1.5", Kind::UnhandledError, "'1.5' is not a valid user id"},
        {"stored key with a sign", "-12", "5", Kind::UnhandledError, "\"-12\" is not a number"},
        {"stored key empty", "", "5", Kind::UnhandledError, "is empty"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        storeKey(c.stored);
        host.engine.card = SimulatedCard();
        host.log.clear();
        messages.clear();
        host.registerResults = {true};
        host.registerTemplate = cardTemplate(5);
        TfrmMFReg dialog(&host);
        bool open = false;
        bool statusShown = false;
        run(dialog, [&] {
            dialog.edtUserID->setText(QString::fromLatin1(c.userId));
            dialog.btnEnroll->click();
            open = dialog.isVisible();
            statusShown = dialog.lblStatus->isVisible();
        });
        EXPECT_TRUE(open);
        EXPECT_TRUE(statusShown);
        EXPECT_EQ(dialog.lblStatus->text(), "Writing MF Card ... ");
        EXPECT_TRUE(host.cardMembers().isEmpty()) << host.cardMembers().join(";").toStdString();
        EXPECT_TRUE(host.engine.cardCalls().empty());
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0].kind, c.kind);
        EXPECT_TRUE(messages[0].text.contains(QString::fromLatin1(c.text)))
            << messages[0].text.toStdString();
    }
}

TEST_F(CardDialogsTest, StatusLineKeepsItsLastTextAcrossShowings) {
    host.engine.card.setCardPresent(false);
    TfrmMFReg dialog(&host);
    host.registerResults = {true, true};
    host.registerTemplate = cardTemplate(6);
    run(dialog, [&] {
        dialog.edtUserID->setText("1");
        dialog.btnEnroll->click();
    });
    bool visible = false;
    QString text;
    run(dialog, [&] {
        visible = dialog.lblStatus->isVisible();
        text = dialog.lblStatus->text();
    });
    EXPECT_TRUE(visible);
    EXPECT_EQ(text, "Write Fingerprint into MF Card FailUnable to read mifare card!");
    // Each showing enrolls afresh and resets the finger status first.
    EXPECT_EQ(host.log.count("Register"), 2);
    EXPECT_EQ(host.log.filter("CheckFinger=0000000000").size(), 2);
}

// --- card verification -----------------------------------------------------------------------

TEST_F(CardDialogsTest, CancelledCaptureClosesTheVerification) {
    host.captureResults = {false};
    TfrmMFVer dialog(&host);
    EXPECT_EQ(run(dialog), QDialog::Rejected);
    EXPECT_EQ(host.log, QStringList({"GetVerTemplate"}));
    EXPECT_TRUE(messages.empty());
}

TEST_F(CardDialogsTest, ReadResultsAndTheirTexts) {
    struct Case {
        const char* name;
        std::function<void()> setUp;
        const char* status;
        bool message;
    } cases[] = {
        {"no card", [this] { host.engine.card.setCardPresent(false); },
         "Invalid FPCardKey or no card on the mifare reader !", true},
        {"wrong key", [this] { storeKey("4"); },
         "Invalid FPCardKey or no card on the mifare reader !", true},
        {"blank card", [] {}, "Fail to read fingerprint template from card !", true},
        {"template file cannot be written",
         [this] {
             host.WriteTemplateToCard(cardTemplate(7), 3, false, true);
             QDir().mkdir("fingerprint2.tpl");
         },
         "Invalid fingerprint template data !", true},
        {"engine does not start", [this] { host.engineStarts = false; }, "Reading MF Card ... ",
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        storeKey("0");
        host.engine.card = SimulatedCard();
        host.engineStarts = true;
        host.Set6FPCardKey(0, 0, 0, 0, 0, 0);
        QDir().rmdir("fingerprint2.tpl");
        c.setUp();
        messages.clear();
        host.captureResults = {true};
        host.verifyTemplate = cardTemplate(7);
        TfrmMFVer dialog(&host);
        bool open = false;
        QString status;
        run(dialog, [&] {
            dialog.btnVerify->click();
            open = dialog.isVisible();
            status = dialog.lblStatus->text();
        });
        EXPECT_TRUE(open);
        EXPECT_EQ(status, c.status);
        if (c.message)
            EXPECT_EQ(messages, std::vector<Message>({{Kind::Information, c.status}}));
        else
            EXPECT_TRUE(messages.empty());
    }
    QDir().rmdir("fingerprint2.tpl");
}

// --- emptying --------------------------------------------------------------------------------

TEST_F(CardDialogsTest, EmptyClosesWhateverTheResult) {
    struct Case {
        const char* name;
        std::function<void(CardHostDouble&)> breakIt;
        const char* message;
    } cases[] = {
        {"done", [](CardHostDouble&) {}, "Empty MFCard Sucess"},
        {"key change fails", [](CardHostDouble& h) { h.engine.card.failBlock(7); },
         "Empty MFCard Fail\n\rChange mifare card FPCardKey fail!"},
        {"no card", [](CardHostDouble& h) { h.engine.card.setCardPresent(false); },
         "Empty MFCard Fail\n\rUnable to read mifare card!"},
        {"engine does not start", [](CardHostDouble& h) { h.engineStarts = false; },
         "Empty MFCard Fail\n\r"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        host.engine.card = SimulatedCard();
        host.engineStarts = true;
        c.breakIt(host);
        messages.clear();
        TfrmEmpty dialog(&host);
        EXPECT_EQ(run(dialog, [&] { dialog.btnOK->click(); }), QDialog::Accepted);
        EXPECT_FALSE(dialog.lblWork->isVisible());
        EXPECT_EQ(messages, std::vector<Message>({{Kind::Information, c.message}}));
    }
}

TEST_F(CardDialogsTest, EmptyCancelTouchesNoCard) {
    TfrmEmpty dialog(&host);
    EXPECT_EQ(run(dialog, [&] { dialog.btnCancel->click(); }), QDialog::Rejected);
    EXPECT_TRUE(host.log.isEmpty());
    EXPECT_TRUE(messages.empty());
}

}  // namespace
}  // namespace lumo::app

namespace lumo::app {
namespace {

TEST_F(CardDialogsTest, CaptionsComeFromTheTextTable) {
    LanguageTable table;
    for (int n = 1; n <= LanguageTable::kCount; ++n) table.setText(n, QStringLiteral("T%1").arg(n));
    TfrmCardKey cardKey;
    TfrmMFReg reg(&host);
    TfrmMFVer ver(&host);
    TfrmEmpty empty(&host);
    for (LanguageTarget* target :
         std::initializer_list<LanguageTarget*>{&cardKey, &reg, &ver, &empty})
        target->applyLanguage(table);
    const std::vector<std::pair<QString, QString>> captions = {
        {cardKey.windowTitle(), "T50"},
        {cardKey.lblCardKey->text(), "T49"},
        {cardKey.lblFPCardKey->text(), "T50"},
        {cardKey.btnOK->text(), "T42"},
        {cardKey.btnCancel->text(), "T14"},
        {empty.windowTitle(), "T52"},
        {empty.lblEmpty->text(), "T53"},
        {empty.lblWork->text(), "T54"},
        {empty.btnOK->text(), "T57"},
        {empty.btnCancel->text(), "T14"},
        {reg.windowTitle(), "T58"},
        {reg.lbl1->text(), "T65"},
        {reg.lbl5->text(), "T69"},
        {reg.cNewMF->text(), "T70"},
        {reg.lblUserID->text(), "T1"},
        {reg.btnEnroll->text(), "T71"},
        {reg.lblStatus->text(), "T72"},
        {ver.windowTitle(), "T73"},
        {ver.lbl1->text(), "T74"},
        {ver.lbl3->text(), "T76"},
        {ver.btnVerify->text(), "T77"},
        {ver.lblStatus->text(), "T78"},
    };
    for (const auto& [shown, expected] : captions) EXPECT_EQ(shown, expected);
    // Hidden parts of the design stay hidden; the memo never shows.
    EXPECT_TRUE(reg.lblStatus->isHidden());
    EXPECT_TRUE(reg.mmFP->isHidden());
    EXPECT_TRUE(ver.mmFP->isHidden());
    EXPECT_EQ(reg.edtUserID->maxLength(), 9);
    EXPECT_FALSE(reg.cNewMF->isChecked());
    EXPECT_EQ(cardKey.edtCardKey->maxLength(), 6);
}

}  // namespace
}  // namespace lumo::app
