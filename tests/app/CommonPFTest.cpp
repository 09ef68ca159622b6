#include <gtest/gtest.h>

#include <QFile>

#include "TempRegistry.h"
#include "app/CommonPF.h"

using namespace lumo::app;
using lumo::registry::Root;

namespace {

class CommonPFTest : public ::testing::Test {
protected:
    void TearDown() override { CloseSettingsKey(); }
    TempRegistry m_registry;
};

TEST_F(CommonPFTest, ReadOnEmptyMachineGivesDefaultsAndCreatesOnlyTheOpenedKey) {
    OpenSettingsKey("SOFTWARE");
    for (const char* ident : {kPasswordValue, kLanguageValue, kCardKeyValue}) {
        SCOPED_TRACE(ident);
        EXPECT_EQ(ReadSetting("LUMO", ident, "0"), "0");
        EXPECT_EQ(ReadSetting("LUMO", ident, "other"), "other");
    }
    CloseSettingsKey();
    EXPECT_TRUE(lumo::registry::keyExists(Root::LocalMachine, "SOFTWARE"));
    EXPECT_FALSE(lumo::registry::keyExists(Root::LocalMachine, "SOFTWARE\\LUMO"));
}

TEST_F(CommonPFTest, WriteCreatesTheSubkeyAndReadsBackUnderHklmSoftwareLumo) {
    OpenSettingsKey("SOFTWARE");
    WriteSetting("LUMO", "Language", "/opt/kestrel/Chinese Simplified.ini");
    EXPECT_EQ(ReadSetting("LUMO", "Language", "0"), "/opt/kestrel/Chinese Simplified.ini");
    CloseSettingsKey();
    EXPECT_EQ(TempRegistry::lumoValue("Language"), "/opt/kestrel/Chinese Simplified.ini");
}

TEST_F(CommonPFTest, ValuesSurviveReopeningAndOverwrite) {
    OpenSettingsKey("SOFTWARE");
    WriteSetting("LUMO", "FPCardKey", "123");
    CloseSettingsKey();
    OpenSettingsKey("SOFTWARE");
    EXPECT_EQ(ReadSetting("LUMO", "FPCardKey", "0"), "123");
    WriteSetting("LUMO", "FPCardKey", "000000");
    EXPECT_EQ(ReadSetting("LUMO", "FPCardKey", "0"), "000000");
}

TEST_F(CommonPFTest, UseWithoutOpenKeyIsAnError) {
    EXPECT_FALSE(SettingsKeyIsOpen());
    EXPECT_THROW(ReadSetting("LUMO", "Password", "0"), SettingsError);
    EXPECT_THROW(WriteSetting("LUMO", "Password", "x"), SettingsError);
    OpenSettingsKey("SOFTWARE");
    EXPECT_TRUE(SettingsKeyIsOpen());
    CloseSettingsKey();
    EXPECT_FALSE(SettingsKeyIsOpen());
}

TEST_F(CommonPFTest, UnwritableRegistryFolderReachesTheCaller) {
    // A file where the registry folder should be makes every write fail.
    const QString blocked = m_registry.path() + "/blocked";
    {
        QFile f(blocked);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    ::setenv("LUMO_REGISTRY", (blocked + "/sub").toUtf8().constData(), 1);
    EXPECT_THROW(OpenSettingsKey("SOFTWARE"), lumo::registry::RegistryError);
}

}  // namespace
