// The engine's settings in the registry layer: names, defaults, letter case and blanks, and
// an engine that reads them when it starts and at every card operation.
#include <cstdlib>
#include <fstream>

#include "RuntimeTestSupport.h"
#include "engine/card/SimulatedCard.h"
#include "engine/sensor/SensorFeed.h"
#include "engine/sensor/VirtualSensor.h"
#include "platform/registry/Registry.h"

using namespace lumo::engine;
using namespace lumo::test;
namespace registry = lumo::registry;

namespace {

class Settings : public ::testing::Test {
protected:
    void SetUp() override {
        ensureGuiApplication();
        const char* saved = std::getenv("LUMO_REGISTRY");
        m_saved = saved ? saved : "";
        m_hadRegistry = saved != nullptr;
        ::setenv("LUMO_REGISTRY", (temp / "registry").c_str(), 1);
    }
    void TearDown() override {
        if (m_hadRegistry)
            ::setenv("LUMO_REGISTRY", m_saved.c_str(), 1);
        else
            ::unsetenv("LUMO_REGISTRY");
    }
    void set(const std::string& name, const std::string& value) {
        registry::writeValue(registry::Root::LocalMachine, "SOFTWARE\\FPEngine", name, value);
    }

    TempFolder temp;

private:
    std::string m_saved;
    bool m_hadRegistry = false;
};

TEST_F(Settings, DefaultsNeedNoRegistry) {
    const EngineSettings s = EngineSettings::fromRegistry();
    EXPECT_EQ(s.sensor, "virtual");
    EXPECT_EQ(s.cardModule, "simulated");
    EXPECT_EQ(s.sensorFeed, "");
    EXPECT_EQ(s.sensorSN, "");
    EXPECT_EQ(s.cardDump, "");
    EXPECT_EQ(s.feedFolder(), defaultFeedFolder());
}

TEST_F(Settings, ValuesAreReadByTheirNames) {
    set("Sensor", "  NoDriver ");
    set("sensorfeed", (temp / "feed").string());
    set("SensorSN", "SN 7 ");
    set("CardModule", "None");
    set("CardDump", (temp / "a card.mfd").string());
    const EngineSettings s = EngineSettings::fromRegistry();
    EXPECT_EQ(s.sensor, "nodriver");
    EXPECT_EQ(s.feedFolder(), temp / "feed");
    EXPECT_EQ(s.sensorSN, "SN 7");
    EXPECT_EQ(s.cardModule, "none");
    EXPECT_EQ(s.cardDump, (temp / "a card.mfd").string());
    set("Sensor", "");
    EXPECT_EQ(EngineSettings::fromRegistry().sensor, "virtual");
}

TEST_F(Settings, TheEngineFollowsTheRegistry) {
    FPEngine engine;  // settings from the registry layer
    set("Sensor", "none");
    EXPECT_EQ(engine.StartEngine(), 2);
    set("Sensor", "virtual");
    set("SensorFeed", (temp / "feed").string());
    set("SensorSN", "REG-1");
    EXPECT_EQ(engine.StartEngine(), 0);
    EXPECT_EQ(engine.SensorSN(), "REG-1");
    ASSERT_NE(engine.virtualSensor(), nullptr);
    EXPECT_EQ(engine.virtualSensor()->feedFolder(), temp / "feed");

    // The card on the reader is whatever CardDump names at the moment of the call.
    std::vector<std::uint8_t> info(16, 0), serial(128, 0);
    EXPECT_FALSE(engine.CardRequest(0, 0, 0x26, 0, info, serial));
    const auto dump = SimulatedCard({1, 2, 3, 4}).dump();
    const auto file = temp / "card.mfd";
    std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(dump.data()), 1024);
    set("CardDump", file.string());
    EXPECT_TRUE(engine.CardRequest(0, 0, 0x26, 0, info, serial));
    EXPECT_EQ(serial[3], 4);
    set("CardModule", "none");
    std::vector<std::uint8_t> module(128, 0);
    EXPECT_FALSE(engine.QueryCardModule(0, 0, module));
}

}  // namespace
