// When the engine starts the virtual scanner window: the decision table of the ScannerWindow
// setting and the Qt platform, the request it makes (through a recording starter, so no
// process is ever started here), once per process, and the new settings' defaults.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdlib>
#include <fstream>

#include "engine/runtime/EngineSettings.h"
#include "engine/runtime/FPEngine.h"
#include "engine/runtime/ScannerWindowStarter.h"
#include "platform/registry/Registry.h"

using namespace lumo::engine;
namespace fs = std::filesystem;

namespace {

void ensureApplication() {
    static int argc = 1;
    static char name[] = "test_engine_scanner_starter";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance()) new QGuiApplication(argc, argv);
}

class Starter : public ::testing::Test {
protected:
    void SetUp() override {
        ensureApplication();
        m_before = setScannerWindowStarter([this](const ScannerWindowRequest& r) {
            requests.push_back(r);
            return true;
        });
        settings.sensorFeed = (fs::path(temp.path().toStdString()) / "feed").string();
        // The program is looked for beside the library holding the engine, which
        // LUMO_SYSTEM_DIR names here: a stand-in that is never run.
        programFolder = fs::path(temp.path().toStdString()) / "bin";
        fs::create_directories(programFolder);
        program = programFolder / "lumoscanner";
        std::ofstream(program) << "#!/bin/sh\nexit 0\n";
        fs::permissions(program, fs::perms::owner_all);
        ::setenv("LUMO_SYSTEM_DIR", programFolder.c_str(), 1);
    }
    void TearDown() override {
        setScannerWindowStarter(m_before);
        ::unsetenv("LUMO_SYSTEM_DIR");
    }

    std::string argument(const ScannerWindowRequest& r, const std::string& option) const {
        auto it = std::find(r.arguments.begin(), r.arguments.end(), option);
        return it != r.arguments.end() && it + 1 != r.arguments.end() ? *(it + 1) : "";
    }

    QTemporaryDir temp;
    fs::path programFolder;
    fs::path program;
    EngineSettings settings;
    std::vector<ScannerWindowRequest> requests;

private:
    ScannerWindowStarterFunction m_before;
};

}  // namespace

TEST(ScannerWindowDecision, SettingAndPlatform) {
    const struct {
        const char* setting;
        const char* platform;
        bool wanted;
    } cases[] = {
        {"auto", "xcb", true},
        {"auto", "wayland", true},
        {"auto", "offscreen", false},
        {"auto", "minimal", false},
        {"auto", "minimalegl", false},
        {"auto", "", false},
        {"", "xcb", true},
        {"", "offscreen", false},
        {"  AUTO ", "xcb", true},
        {"something else", "xcb", true},
        {"something else", "offscreen", false},
        {"show", "xcb", true},
        {"show", "offscreen", true},
        {"Show", "minimal", true},
        {"hide", "xcb", false},
        {"hide", "offscreen", false},
        {"off", "xcb", false},
        {" OFF", "wayland", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.setting) + " on " + c.platform);
        EXPECT_EQ(scannerWindowWanted(c.setting, c.platform), c.wanted);
    }
}

TEST_F(Starter, ShowMakesOneRequestPerProcess) {
    settings.scannerWindow = "show";
    settings.scannerGallery = "/data/fingers";
    settings.cardShelf = "shelf";
    FPEngine engine([this] { return settings; });
    ASSERT_EQ(engine.StartEngine(), StartOk);
    ASSERT_EQ(requests.size(), 1u);
    const ScannerWindowRequest& r = requests[0];
    EXPECT_EQ(argument(r, "--feed"), settings.sensorFeed);
    EXPECT_EQ(argument(r, "--gallery"), "/data/fingers");
    EXPECT_EQ(argument(r, "--cards"), (fs::current_path() / "shelf").string());
    EXPECT_EQ(argument(r, "--parent-pid"), std::to_string(::getpid()));
    // The tests run offscreen: the window gets the environment without the platform variable.
    EXPECT_TRUE(r.dropPlatformVariable);
    EXPECT_EQ(r.program, program.string());

    // Stopped and started again, or a second engine: the window is not started again (the user
    // may have closed it).
    engine.StopEngine();
    ASSERT_EQ(engine.StartEngine(), StartOk);
    FPEngine second([this] { return settings; });
    ASSERT_EQ(second.StartEngine(), StartOk);
    EXPECT_EQ(requests.size(), 1u);
}

TEST_F(Starter, AutoOffscreenHideOffAndNoSensorMakeNoRequest) {
    const struct {
        const char* window;
        const char* sensor;
    } cases[] = {{"auto", "virtual"},
                 {"hide", "virtual"},
                 {"off", "virtual"},
                 {"show", "none"},
                 {"show", "nodriver"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.window) + " with sensor " + c.sensor);
        setScannerWindowStarter([this](const ScannerWindowRequest& r) {
            requests.push_back(r);
            return true;
        });
        settings.scannerWindow = c.window;
        settings.sensor = c.sensor;
        FPEngine engine([this] { return settings; });
        engine.StartEngine();
        EXPECT_TRUE(requests.empty());
    }
}

TEST_F(Starter, MissingProgramIsSkippedQuietly) {
    settings.scannerWindow = "show";
    const struct {
        const char* what;
        bool remove;
        fs::perms perms;
    } cases[] = {{"no such file", true, fs::perms::none},
                 {"not executable", false, fs::perms::owner_read | fs::perms::owner_write}};
    const char* path = std::getenv("PATH");
    const std::string savedPath = path ? path : "";
    ::setenv("PATH", programFolder.c_str(), 1);  // nothing else to find
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.remove)
            fs::remove(program);
        else {
            std::ofstream(program) << "not a program\n";
            fs::permissions(program, c.perms);
        }
        setScannerWindowStarter([this](const ScannerWindowRequest& r) {
            requests.push_back(r);
            return true;
        });
        FPEngine engine([this] { return settings; });
        EXPECT_EQ(engine.StartEngine(), StartOk);
        EXPECT_FALSE(startScannerWindowOnce(settings, program));
        EXPECT_TRUE(requests.empty());
    }
    ::setenv("PATH", savedPath.c_str(), 1);
}

TEST(ScannerSettings, DefaultsAndRegistryValues) {
    const EngineSettings defaults;
    EXPECT_EQ(defaults.scannerWindow, "auto");
    EXPECT_EQ(defaults.galleryFolder(), fs::current_path() / "fingers");
    EXPECT_EQ(defaults.cardShelfFolder(), fs::current_path() / "cards");

    using namespace lumo::registry;
    const std::string key = EngineSettings::kRegistryKey;
    writeValue(Root::LocalMachine, key, "ScannerWindow", " Hide ");
    writeValue(Root::LocalMachine, key, "ScannerGallery", "/srv/prints");
    writeValue(Root::LocalMachine, key, "CardShelf", "my cards/../cards2");
    EngineSettings s = EngineSettings::fromRegistry();
    EXPECT_EQ(s.scannerWindow, "hide");
    EXPECT_EQ(s.galleryFolder(), fs::path("/srv/prints"));
    EXPECT_EQ(s.cardShelfFolder(), fs::current_path() / "cards2");
    deleteValue(Root::LocalMachine, key, "ScannerWindow");
    deleteValue(Root::LocalMachine, key, "ScannerGallery");
    deleteValue(Root::LocalMachine, key, "CardShelf");
    s = EngineSettings::fromRegistry();
    EXPECT_EQ(s.scannerWindow, "auto");
    EXPECT_EQ(s.galleryFolder(), fs::current_path() / "fingers");
}
