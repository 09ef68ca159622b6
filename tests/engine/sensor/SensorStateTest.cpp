// The sensor state file beside the feed folder: its name, its text form, the rule that a state
// of a process that is gone counts as closed, and what the virtual sensor publishes in it.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QGuiApplication>
#include <QTemporaryDir>

#include "engine/IFPEngine.h"
#include "engine/sensor/SensorState.h"
#include "engine/sensor/VirtualSensor.h"
#include "tests/support/process/DeadPid.h"
#include "tests/support/qt/GuiApplication.h"

using namespace lumo::engine;
namespace fs = std::filesystem;

using lumo::test::deadPid;

TEST(SensorState, FileLiesBesideTheFeedFolder) {
    const struct {
        const char* feed;
        const char* state;
    } cases[] = {{"/run/user/1000/lumo-sensor/feed", "/run/user/1000/lumo-sensor/feed.state"},
                 {"/tmp/x/feed/", "/tmp/x/feed.state"},
                 {"/tmp/a.b/my.feed", "/tmp/a.b/my.feed.state"},
                 {"relative/feed", "relative/feed.state"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.feed);
        EXPECT_EQ(sensorStateFile(c.feed), fs::path(c.state));
    }
}

TEST(SensorState, TextRoundTripAndDamagedText) {
    SensorState s;
    s.pid = 4711;
    s.startTime = 987654321;
    s.open = true;
    s.sensorSignals = {true, false, true};
    EXPECT_EQ(parseSensorState(formatSensorState(s)), s);
    s.open = false;
    s.sensorSignals = {false, true, false};
    EXPECT_EQ(parseSensorState(formatSensorState(s)), s);

    // Unknown lines, CRLF and a garbled number are skipped; no pid is no state.
    const auto lenient =
        parseSensorState("future=7\r\npid=12\r\nopen=1\r\nred=1\r\nstart=x\r\nnoise\r\n");
    ASSERT_TRUE(lenient.has_value());
    EXPECT_EQ(lenient->pid, 12);
    EXPECT_TRUE(lenient->open);
    EXPECT_EQ(lenient->sensorSignals, (SensorSignals{false, true, false}));
    EXPECT_EQ(lenient->startTime, 0u);
    EXPECT_FALSE(parseSensorState("open=1\ngreen=1\n").has_value());
    EXPECT_FALSE(parseSensorState("pid=-3\nopen=1\n").has_value());
    EXPECT_FALSE(parseSensorState("").has_value());
}

TEST(SensorState, WrittenAtomicallyAndReadBack) {
    QTemporaryDir temp;
    const fs::path file = fs::path(temp.path().toStdString()) / "sub" / "feed.state";
    const SensorState own = ownSensorState(true, {false, true, false});
    EXPECT_EQ(own.pid, ::getpid());
    EXPECT_NE(own.startTime, 0u);
    writeSensorState(file, own);  // makes the folder
    EXPECT_EQ(readSensorState(file), own);
    EXPECT_EQ(liveSensorState(file), own);
    // No temporary file is left behind.
    int entries = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(file.parent_path())) ++entries;
    EXPECT_EQ(entries, 1);
    EXPECT_FALSE(readSensorState(file.parent_path() / "missing.state").has_value());
    EXPECT_EQ(liveSensorState(file.parent_path() / "missing.state"), SensorState{});
}

TEST(SensorState, StateOfAProcessThatIsGoneCountsAsClosed) {
    QTemporaryDir temp;
    const fs::path file = fs::path(temp.path().toStdString()) / "feed.state";
    const long self = ::getpid();
    const unsigned long long selfStart = processStartTime(self);
    const struct {
        const char* what;
        long pid;
        unsigned long long start;
        bool open;
        bool liveOpen;
    } cases[] = {
        {"this process, open", self, selfStart, true, true},
        {"this process, no start time", self, 0, true, true},
        {"this process, closed", self, selfStart, false, false},
        {"a process that ended", deadPid(), 0, true, false},
        // The pid is ours, but started at another time: an earlier process of that id.
        {"a reused pid", self, selfStart + 12345, true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SensorState s;
        s.pid = c.pid;
        s.startTime = c.start;
        s.open = c.open;
        s.sensorSignals = {true, true, true};
        writeSensorState(file, s);
        const SensorState live = liveSensorState(file);
        EXPECT_EQ(live.open, c.liveOpen);
        EXPECT_EQ(live.sensorSignals,
                  c.liveOpen ? (SensorSignals{true, true, true}) : SensorSignals{});
        EXPECT_EQ(live.pid, c.pid);
    }
    EXPECT_FALSE(processAlive(0));
    EXPECT_FALSE(processAlive(-1));
}

TEST(SensorState, VirtualSensorPublishesOpenSignalsAndClose) {
    lumo::test::ensureGuiApplication();
    QTemporaryDir temp;
    const fs::path feed = fs::path(temp.path().toStdString()) / "feed";
    const fs::path file = sensorStateFile(feed);
    {
        VirtualSensor sensor(VirtualSensor::Options{feed, "", 20});
        EXPECT_EQ(sensor.stateFile(), file);
        EXPECT_FALSE(fs::exists(file));  // nothing before the sensor opens
        ASSERT_EQ(sensor.open(), StartOk);
        auto s = readSensorState(file);
        ASSERT_TRUE(s.has_value());
        EXPECT_EQ(s->pid, ::getpid());
        EXPECT_TRUE(s->open);
        EXPECT_EQ(s->sensorSignals, SensorSignals{});

        const struct {
            int code;
            bool on;
            SensorSignals after;
        } steps[] = {{SignalGreenLight, true, {true, false, false}},
                     {SignalBeeper, true, {true, false, true}},
                     {SignalRedLight, true, {true, true, true}},
                     {SignalGreenLight, false, {false, true, true}},
                     {SignalBeeper, false, {false, true, false}}};
        for (const auto& step : steps) {
            SCOPED_TRACE(step.code);
            EXPECT_EQ(sensor.signal(step.code, step.on), 1);
            s = readSensorState(file);
            ASSERT_TRUE(s.has_value());
            EXPECT_EQ(s->sensorSignals, step.after);
            EXPECT_TRUE(s->open);
        }
        sensor.close();
        s = readSensorState(file);
        ASSERT_TRUE(s.has_value());
        EXPECT_FALSE(s->open);
        EXPECT_EQ(s->sensorSignals, SensorSignals{});

        // Opened again, then destroyed while open: the state says closed.
        ASSERT_EQ(sensor.open(), StartOk);
        EXPECT_TRUE(readSensorState(file)->open);
    }
    EXPECT_FALSE(readSensorState(file)->open);
}

TEST(SensorState, ClosingLeavesTheStateOfAnotherLiveProgram) {
    lumo::test::ensureGuiApplication();
    QTemporaryDir temp;
    const fs::path feed = fs::path(temp.path().toStdString()) / "feed";
    VirtualSensor sensor(VirtualSensor::Options{feed, "", 20});
    ASSERT_EQ(sensor.open(), StartOk);
    // Another program (here: our parent, which runs) opened a sensor on the same folder since.
    SensorState other;
    other.pid = ::getppid();
    other.startTime = processStartTime(other.pid);
    other.open = true;
    other.sensorSignals.redLight = true;
    writeSensorState(sensor.stateFile(), other);
    sensor.close();
    EXPECT_EQ(readSensorState(sensor.stateFile()), other);

    // A dead program's open state is replaced.
    ASSERT_EQ(sensor.open(), StartOk);
    other.pid = deadPid();
    other.startTime = 0;
    writeSensorState(sensor.stateFile(), other);
    sensor.close();
    EXPECT_EQ(readSensorState(sensor.stateFile())->pid, ::getpid());
    EXPECT_FALSE(readSensorState(sensor.stateFile())->open);
}

TEST(SensorState, UnwritableStateDoesNotStopTheSensor) {
    lumo::test::ensureGuiApplication();
    QTemporaryDir temp;
    const fs::path feed = fs::path(temp.path().toStdString()) / "feed";
    // A folder where the state file should be: it cannot be replaced by a file.
    fs::create_directories(sensorStateFile(feed));
    VirtualSensor sensor(VirtualSensor::Options{feed, "", 20});
    std::vector<SensorPress> presses;
    sensor.onPress = [&](const SensorPress& p) { presses.push_back(p); };
    ASSERT_EQ(sensor.open(), StartOk);
    EXPECT_EQ(sensor.signal(SignalGreenLight, true), 1);
    GrayImage image;
    image.width = image.height = 100;
    image.pixels.assign(100 * 100, 128);
    EXPECT_TRUE(sensor.press(image));
    EXPECT_EQ(presses.size(), 1u);
    sensor.close();
}
