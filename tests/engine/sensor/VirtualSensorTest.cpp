// The virtual sensor and its feed folder: names and resolutions, atomic drops, the order in
// which files are taken, files still being written, undecodable files, signals.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QTemporaryDir>
#include <cstdlib>
#include <fstream>

#include "engine/sensor/SensorFeed.h"
#include "engine/sensor/VirtualSensor.h"
#include "tests/support/qt/GuiApplication.h"

using namespace lumo::engine;
namespace fs = std::filesystem;

namespace {

fs::path writeImage(const fs::path& file, int side, int grey) {
    QImage image(side, side, QImage::Format_Grayscale8);
    image.fill(grey);
    EXPECT_TRUE(image.save(QString::fromStdString(file.string()), "PNG"));
    return file;
}

class Sensor : public ::testing::Test {
protected:
    void SetUp() override {
        lumo::test::ensureGuiApplication();
        sensor.onPress = [this](const SensorPress& p) { presses.push_back(p); };
    }
    fs::path dir() const { return temp.path().toStdString(); }

    QTemporaryDir temp;
    VirtualSensor sensor{VirtualSensor::Options{dir() / "feed", "", 20}};
    std::vector<SensorPress> presses;
};

TEST(SensorFeed, ResolutionInTheFileName) {
    const struct {
        const char* name;
        int dpi;
    } cases[] = {{"press-1-569dpi.tif", 569},
                 {"x.500dpi.png", 500},
                 {"x-1000DPI.bmp", 1000},
                 {"101_1.tif", 0},
                 {"500dpi.tif", 0},
                 {"x-dpi.tif", 0},
                 {"x-569dpi", 0},
                 {"x-569dpi.tif.part", 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(feedFileDpi(c.name), c.dpi);
    }
}

TEST(SensorFeed, DefaultFolderFollowsTheRuntimeFolder) {
    const char* saved = std::getenv("XDG_RUNTIME_DIR");
    const std::string before = saved ? saved : "";
    ::setenv("XDG_RUNTIME_DIR", "/run/user/4242", 1);
    EXPECT_EQ(defaultFeedFolder(), fs::path("/run/user/4242/lumo-sensor/feed"));
    ::unsetenv("XDG_RUNTIME_DIR");
    EXPECT_EQ(defaultFeedFolder().filename(), "feed");
    EXPECT_EQ(defaultFeedFolder().parent_path().filename().string().rfind("lumo-sensor-", 0), 0u);
    if (saved) ::setenv("XDG_RUNTIME_DIR", before.c_str(), 1);
}

TEST_F(Sensor, DropsAreAtomicAndInOrder) {
    const fs::path image = writeImage(dir() / "a.png", 100, 100);
    const fs::path first = dropIntoFeed(dir() / "feed", image, 569);
    const fs::path second = dropIntoFeed(dir() / "feed", image, 0);
    EXPECT_LT(first.filename(), second.filename());
    EXPECT_EQ(feedFileDpi(first.filename().string()), 569);
    EXPECT_EQ(first.extension(), ".png");
    int files = 0;
    for (const auto& e : fs::directory_iterator(dir() / "feed")) {
        EXPECT_NE(e.path().filename().string()[0], '.') << "no part file stays";
        ++files;
    }
    EXPECT_EQ(files, 2);
    EXPECT_THROW(dropIntoFeed(dir() / "feed", dir() / "missing.png", 0), SensorError);
}

TEST_F(Sensor, TakesFilesInNameOrderAndSkipsHiddenOnes) {
    ASSERT_EQ(sensor.open(), 0);
    EXPECT_TRUE(fs::is_directory(sensor.feedFolder()));
    writeImage(sensor.feedFolder() / "b.png", 100, 20);
    writeImage(sensor.feedFolder() / "a-250dpi.png", 100, 10);
    writeImage(sensor.feedFolder() / ".c.png.part", 100, 30);
    EXPECT_TRUE(sensor.takeNextFeedFile());
    EXPECT_TRUE(sensor.takeNextFeedFile());
    EXPECT_FALSE(sensor.takeNextFeedFile());
    ASSERT_EQ(presses.size(), 2u);
    ASSERT_TRUE(presses[0].image);
    EXPECT_EQ(presses[0].image->width, 200);  // 100 pixels at 250 dpi, resampled to 500
    EXPECT_EQ(presses[0].image->at(5, 5), 10);
    ASSERT_TRUE(presses[1].image);
    EXPECT_EQ(presses[1].image->at(5, 5), 20);
    EXPECT_TRUE(fs::exists(sensor.feedFolder() / ".c.png.part"));
    EXPECT_FALSE(fs::exists(sensor.feedFolder() / "a-250dpi.png"));
}

TEST_F(Sensor, TheTimerWaitsForAFileToSettle) {
    ASSERT_EQ(sensor.open(), 0);
    writeImage(sensor.feedFolder() / "p.png", 100, 50);
    QElapsedTimer t;
    t.start();
    while (presses.empty() && t.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    ASSERT_EQ(presses.size(), 1u);
    EXPECT_GE(t.elapsed(), 20);  // at least one look to see it unchanged
    EXPECT_EQ(presses[0].source, (sensor.feedFolder() / "p.png").string());
}

TEST_F(Sensor, NoFileIsTakenWhileAPressIsDelivered) {
    ASSERT_EQ(sensor.open(), 0);
    writeImage(sensor.feedFolder() / "1.png", 100, 10);
    writeImage(sensor.feedFolder() / "2.png", 100, 20);
    int depth = 0, deepest = 0;
    sensor.onPress = [&](const SensorPress& p) {
        presses.push_back(p);
        ++depth;
        deepest = std::max(deepest, depth);
        EXPECT_FALSE(sensor.takeNextFeedFile());
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < 100) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        --depth;
    };
    QElapsedTimer t;
    t.start();
    while (presses.size() < 2 && t.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    EXPECT_EQ(presses.size(), 2u);
    EXPECT_EQ(deepest, 1);
}

TEST_F(Sensor, AFileThatIsNoImageMakesAPressWithoutOne) {
    ASSERT_EQ(sensor.open(), 0);
    std::ofstream(sensor.feedFolder() / "junk.png") << "junk";
    writeImage(sensor.feedFolder() / "small.png", 10, 0);
    EXPECT_TRUE(sensor.takeNextFeedFile());
    EXPECT_TRUE(sensor.takeNextFeedFile());
    ASSERT_EQ(presses.size(), 2u);
    for (const SensorPress& p : presses) {
        EXPECT_FALSE(p.image);
        EXPECT_FALSE(p.error.empty());
    }
    EXPECT_NE(presses[0].error.find("junk.png"), std::string::npos) << presses[0].error;
    EXPECT_TRUE(fs::is_empty(sensor.feedFolder()));
}

TEST_F(Sensor, ClosedSensorTakesNothing) {
    GrayImage g;
    g.width = g.height = 100;
    g.pixels.assign(100 * 100, 0);
    EXPECT_FALSE(sensor.press(g));
    ASSERT_EQ(sensor.open(), 0);
    EXPECT_TRUE(sensor.press(g));
    writeImage(sensor.feedFolder() / "p.png", 100, 50);
    sensor.close();
    EXPECT_FALSE(sensor.takeNextFeedFile());
    EXPECT_FALSE(sensor.pressFile(sensor.feedFolder() / "p.png"));
    EXPECT_EQ(presses.size(), 1u);
    EXPECT_TRUE(fs::exists(sensor.feedFolder() / "p.png"));
}

TEST_F(Sensor, SignalsAndSerialNumber) {
    EXPECT_EQ(sensor.serialNumber(), VirtualSensor::kDefaultSerialNumber);
    EXPECT_EQ(sensor.signal(11, true), 0);  // closed
    ASSERT_EQ(sensor.open(), 0);
    std::vector<SensorSignals> seen;
    sensor.onSignalsChanged = [&](const SensorSignals& s) { seen.push_back(s); };
    EXPECT_EQ(sensor.signal(12, true), 1);
    EXPECT_EQ(sensor.signal(12, true), 1);  // no change, no report
    EXPECT_EQ(sensor.signal(99, true), 0);
    sensor.close();  // everything goes dark
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0], (SensorSignals{false, true, false}));
    EXPECT_EQ(seen[1], SensorSignals{});
}

TEST_F(Sensor, AFolderThatCannotBeMadeFailsTheOpen) {
    std::ofstream(dir() / "blocker") << "x";
    VirtualSensor blocked(VirtualSensor::Options{dir() / "blocker" / "feed"});
    try {
        blocked.open();
        ADD_FAILURE() << "no error";
    } catch (const SensorError& e) {
        EXPECT_NE(std::string(e.what()).find("blocker"), std::string::npos);
    }
    EXPECT_FALSE(blocked.isOpen());
}

}  // namespace
