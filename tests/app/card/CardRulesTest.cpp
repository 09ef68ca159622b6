#include <gtest/gtest.h>

#include "app/LanguageTable.h"
#include "app/card/CardKeyRules.h"
#include "app/card/CardMessages.h"
#include "app/card/UserIdText.h"
#include "tests/app/TempRegistry.h"

namespace lumo::app {
namespace {

TEST(CardKeyRulesTest, StoredTextToDigits) {
    struct Case {
        const char* stored;
        CardKeyDigits digits;
    } cases[] = {
        {"0", {0, 0, 0, 0, 0, 0}},
        {"000000", {0, 0, 0, 0, 0, 0}},
        {"7", {7, 0, 0, 0, 0, 0}},
        {"12", {1, 2, 0, 0, 0, 0}},  // zeros go after the digits, not before
        {"120000", {1, 2, 0, 0, 0, 0}},
        {"12345", {1, 2, 3, 4, 5, 0}},
        {"987654", {9, 8, 7, 6, 5, 4}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored);
        EXPECT_EQ(ExtractCardKey(QString::fromLatin1(c.stored)), c.digits);
    }
}

TEST(CardKeyRulesTest, TextsThatAreNoKeyAreRefused) {
    for (const char* stored : {"", "-1", "+12", "12a", " 12", "12 ", "1.5", "1234567", "١٢"}) {
        SCOPED_TRACE(stored);
        EXPECT_THROW(ExtractCardKey(QString::fromUtf8(stored)), CardKeyError);
        EXPECT_FALSE(cardKeyEditValue(QString::fromUtf8(stored)).has_value());
    }
    try {
        ExtractCardKey(QStringLiteral("12a"));
    } catch (const CardKeyError& e) {
        EXPECT_NE(std::string(e.what()).find("\"12a\""), std::string::npos) << e.what();
    }
}

TEST(CardKeyRulesTest, ZeroKeyAndStoredNumbers) {
    EXPECT_TRUE(isZeroCardKey(ExtractCardKey(QStringLiteral("0"))));
    EXPECT_TRUE(isZeroCardKey(ExtractCardKey(QStringLiteral("000000"))));
    EXPECT_FALSE(isZeroCardKey(ExtractCardKey(QStringLiteral("000001"))));
    EXPECT_EQ(storedCardKeyText(0), "000000");
    EXPECT_EQ(storedCardKeyText(7), "7");
    EXPECT_EQ(storedCardKeyText(123456), "123456");
    EXPECT_EQ(cardKeyEditValue(QStringLiteral("000000")), 0);
    EXPECT_EQ(cardKeyEditValue(QStringLiteral("0012")), 12);
}

TEST(CardKeyRulesTest, WritePlanByNewCardAndZeroKey) {
    const CardKeyDigits zero{};
    const CardKeyDigits stored{1, 2, 3, 0, 0, 0};
    struct Case {
        const char* name;
        bool newCard;
        CardKeyDigits key;
        CardKeyDigits open;
        bool change;
    } cases[] = {
        {"new card, zero key: factory key, no change", true, zero, zero, false},
        {"new card, stored key: factory key, then the stored key", true, stored, zero, true},
        {"card in use, zero key", false, zero, zero, false},
        {"card in use, stored key", false, stored, stored, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const CardKeyPlan plan = planCardWrite(c.newCard, c.key);
        EXPECT_EQ(plan.openKey, c.open);
        EXPECT_EQ(plan.changePwd, c.change);
        EXPECT_EQ(plan.newKey.has_value(), c.change);
        if (plan.newKey) {
            EXPECT_EQ(*plan.newKey, c.key);
        }
    }
}

TEST(CardKeyRulesTest, SettingDefaultsToZeroAndRoundTrips) {
    TempRegistry registry;
    EXPECT_EQ(ReadCardKeySetting(), "0");
    WriteCardKeySetting(QStringLiteral("000000"));
    EXPECT_EQ(TempRegistry::lumoValue("FPCardKey"), "000000");
    TempRegistry::setLumoValue("FPCardKey", "4711");
    EXPECT_EQ(ReadCardKeySetting(), "4711");
}

TEST(CardMessagesTest, ResultCodesToTexts) {
    languageTable().resetToDefaults();
    struct Case {
        int result;
        const char* write;
        const char* read;
    } cases[] = {
        {-1, "", ""},
        {0, "", ""},
        {1, "Write template into mifare card error!",
         "Invalid FPCardKey or no card on the mifare reader !"},
        {2, "Unable to connect to write card module!",
         "Fail to read fingerprint template from card !"},
        {3, "Unable to read mifare card!", "Invalid fingerprint template data !"},
        {4, "Change mifare card FPCardKey fail!", ""},
        {5, "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.result);
        EXPECT_EQ(GetErrorMsg(c.result), QString::fromLatin1(c.write));
        EXPECT_EQ(readResultText(c.result), QString::fromLatin1(c.read));
    }
    // Read at the moment of use.
    languageTable().setText(62, QStringLiteral("Kein Kartenmodul!"));
    EXPECT_EQ(GetErrorMsg(2), "Kein Kartenmodul!");
    languageTable().resetToDefaults();
}

TEST(UserIdTextTest, DecimalIntegersOnly) {
    struct Good {
        const char* text;
        int value;
    } good[] = {{"1", 1},
                {"  42 ", 42},
                {"007", 7},
                {"999999999", 999999999},
                {"-5", -5},
                {"+8", 8},
                {"2147483647", 2147483647},
                {"-2147483648", -2147483647 - 1}};
    for (const Good& g : good) {
        SCOPED_TRACE(g.text);
        EXPECT_EQ(parseCardUserId(QString::fromLatin1(g.text)), g.value);
    }
    for (const char* bad : {"", "   ", "-", "+", "12a", "1.5", "0x1F", "$1F", "1 2", "2147483648",
                            "--1", "99999999999999999999"}) {
        SCOPED_TRACE(bad);
        EXPECT_THROW(parseCardUserId(QString::fromLatin1(bad)), UserIdError);
    }
}

}  // namespace
}  // namespace lumo::app
