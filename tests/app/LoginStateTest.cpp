#include <gtest/gtest.h>

#include "TempRegistry.h"
#include "app/LoginState.h"
#include "app/PasswordDigest.h"

using namespace lumo::app;
using Login = LoginState::LoginResult;
using Change = LoginState::ChangeResult;

namespace {

TEST(PasswordDigestTest, Rfc1321Vectors) {
    // Test suite of RFC 1321, appendix A.5.
    const struct {
        const char* text;
        const char* digest;
    } cases[] = {
        {"", "d41d8cd98f00b204e9800998ecf8427e"},
        {"a", "0cc175b9c0f1b6a831c399e269772661"},
        {"abc", "900150983cd24fb0d6963f7d28e17f72"},
        {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
        {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(passwordDigest(QString::fromLatin1(c.text)), QString::fromLatin1(c.digest));
    }
    const QString d = passwordDigest("907531");
    EXPECT_EQ(d.size(), 32);
    EXPECT_EQ(d, d.toLower());
}

class LoginStateTest : public ::testing::Test {
protected:
    TempRegistry m_registry;
};

TEST_F(LoginStateTest, DefaultPasswordWithAndWithoutBlanks) {
    const struct {
        const char* box;
        Login expected;
    } cases[] = {
        {"907531", Login::Accepted}, {"  907531 ", Login::Accepted}, {"\t907531", Login::Accepted},
        {"", Login::Empty},          {"   ", Login::Wrong},          {"907532", Login::Wrong},
        {"9075 31", Login::Wrong},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.box);
        LoginState login;
        EXPECT_EQ(login.checkLogin(c.box), c.expected);
        EXPECT_EQ(login.isAccepted(), c.expected == Login::Accepted);
        if (c.expected == Login::Accepted) {
            EXPECT_EQ(login.acceptedPassword(), "907531");
        }
    }
    // Nothing is written until the password is changed.
    EXPECT_FALSE(TempRegistry::lumoValue("Password").has_value());
}

TEST_F(LoginStateTest, StoredZeroMeansDefaultAndCapitalDigestNeverMatches) {
    TempRegistry::setLumoValue("Password", "0");
    LoginState login;
    EXPECT_EQ(login.checkLogin("907531"), Login::Accepted);
    TempRegistry::setLumoValue("Password", passwordDigest("secret").toUpper().toStdString());
    EXPECT_EQ(login.checkLogin("secret"), Login::Wrong);
    EXPECT_FALSE(login.isAccepted());
}

TEST_F(LoginStateTest, ChangeChecksInOrder) {
    const struct {
        const char* oldText;
        const char* newText;
        const char* retype;
        Change expected;
    } cases[] = {
        {"", "", "", Change::OldBlank},
        {"  ", "new", "new", Change::OldBlank},
        {"907531", " ", "", Change::NewBlank},
        {"907531", "new", "", Change::RetypeBlank},
        {"wrong", "new", "other", Change::OldWrong},  // old checked before the match
        {"907531", "new", "other", Change::NotMatched},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.oldText) + "/" + c.newText + "/" + c.retype);
        LoginState login;
        ASSERT_EQ(login.checkLogin("907531"), Login::Accepted);
        EXPECT_EQ(login.changePassword(c.oldText, c.newText, c.retype), c.expected);
        EXPECT_EQ(login.acceptedPassword(), "907531");
    }
    EXPECT_FALSE(TempRegistry::lumoValue("Password").has_value());
}

TEST_F(LoginStateTest, ChangedPasswordSurvivesRestartAndOldOneIsRefused) {
    {
        LoginState firstRun;
        ASSERT_EQ(firstRun.checkLogin("907531"), Login::Accepted);
        EXPECT_EQ(firstRun.changePassword(" 907531", "abc123 ", "abc123"), Change::Changed);
        EXPECT_EQ(TempRegistry::lumoValue("Password"), passwordDigest("abc123").toStdString());
    }
    LoginState secondRun;
    EXPECT_EQ(secondRun.checkLogin("907531"), Login::Wrong);
    EXPECT_EQ(secondRun.checkLogin("abc123"), Login::Accepted);
}

TEST_F(LoginStateTest, TwoChangesInOneRunAskForTheFirstNewPassword) {
    LoginState login;
    ASSERT_EQ(login.checkLogin("907531"), Login::Accepted);
    ASSERT_EQ(login.changePassword("907531", "first", "first"), Change::Changed);
    EXPECT_EQ(login.changePassword("907531", "second", "second"), Change::OldWrong);
    EXPECT_EQ(login.changePassword("first", "second", "second"), Change::Changed);
    EXPECT_EQ(login.acceptedPassword(), "second");
    // The same password again is accepted and rewrites the same digest.
    EXPECT_EQ(login.changePassword("second", "second", "second"), Change::Changed);
    EXPECT_EQ(TempRegistry::lumoValue("Password"), passwordDigest("second").toStdString());
}

}  // namespace
