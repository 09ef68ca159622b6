// The virtual scanner window on the offscreen platform: where thumbnails lie, presses by mouse
// and keyboard landing in the feed folder, the lights and "not in use" following the sensor
// state file, the card buttons, and a whole round with the real engine in this process.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <fstream>
#include <iterator>

#include "engine/IFPEngine.h"
#include "engine/extract/ImageQuality.h"
#include "engine/runtime/FPEngine.h"
#include "engine/scannerwindow/ScannerWindow.h"
#include "engine/scannerwindow/SignalLamp.h"
#include "engine/sensor/SensorState.h"
#include "platform/registry/Registry.h"
#include "tests/support/process/DeadPid.h"
#include "tests/support/qt/WidgetApplication.h"

using namespace lumo::scanner;
using namespace lumo::engine;
namespace fs = std::filesystem;

// Fontconfig keeps a cache of patterns for the life of the process, which the leak checker of
// sanitizer builds reports when the process ends; it is not ours.
extern "C" __attribute__((visibility("default"))) const char* __lsan_default_suppressions() {
    return "leak:libfontconfig\n";
}

namespace {

using Bytes = std::vector<char>;

using lumo::test::ensureWidgetApplication;

Bytes readFile(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::vector<fs::path> feedFiles(const fs::path& feed) {
    std::vector<fs::path> files;
    std::error_code ec;
    for (fs::directory_iterator it(feed, ec), end; !ec && it != end; it.increment(ec))
        if (it->path().filename().string()[0] != '.') files.push_back(it->path());
    std::sort(files.begin(), files.end());
    return files;
}

using lumo::test::deadPid;

class Window : public ::testing::Test {
protected:
    void SetUp() override {
        ensureWidgetApplication();
        ::setenv("LUMO_REGISTRY", (root() / "registry").c_str(), 1);
    }
    fs::path root() const { return temp.path().toStdString(); }
    ScannerFolders folders() const {
        return {root() / "feed", root() / "fingers", root() / "cards"};
    }

    // Small grey images, count per finger.
    void makeGallery(const std::vector<std::pair<std::string, int>>& fingers) {
        int grey = 20;
        for (const auto& [label, count] : fingers) {
            fs::create_directories(root() / "fingers" / label);
            for (int i = 1; i <= count; ++i) {
                QImage image(120, 120, QImage::Format_Grayscale8);
                image.fill(grey += 7);
                const fs::path file =
                    root() / "fingers" / label / ("imp" + std::to_string(i) + ".png");
                ASSERT_TRUE(image.save(QString::fromStdString(file.string())));
            }
        }
    }
    void setState(bool open, SensorSignals lights = {}, long pid = ::getpid()) {
        SensorState s;
        s.pid = pid;
        s.startTime = pid == ::getpid() ? processStartTime(pid) : 0;
        s.open = open;
        s.sensorSignals = lights;
        writeSensorState(sensorStateFile(root() / "feed"), s);
    }
    // Timers that never fire during a test: the test refreshes by hand.
    static ScannerWindow::Intervals still() { return {1000000, 1000000, 1000000}; }

    template <typename T>
    static T* child(ScannerWindow& w, const char* name) {
        T* found = w.findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    static void clickThumbnail(ScannerWindow& w, int index) {
        auto* gallery = child<QListWidget>(w, "gallery");
        const QPoint inViewport =
            gallery->viewport()->mapFrom(&w, ScannerWindow::thumbnailCentre(index));
        QTest::mouseClick(gallery->viewport(), Qt::LeftButton, {}, inViewport);
    }

    QTemporaryDir temp;
};

}  // namespace

TEST_F(Window, ThumbnailsLieWhereTheHeaderSays) {
    makeGallery({{"Anna - right index", 3}, {"Ben - left thumb", 3}, {"Chris - right middle", 4}});
    ScannerWindow w(folders(), still());
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    EXPECT_EQ(w.size(), QSize(420, 520));
    EXPECT_EQ(w.windowTitle(), "Virtual scanner");
    EXPECT_TRUE(w.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(w.windowFlags() & Qt::WindowType_Mask, Qt::Tool);

    const QPoint documented[] = {{56, 96}, {152, 96}, {248, 96}, {344, 96}, {56, 216}};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(ScannerWindow::thumbnailCentre(i), documented[i]) << i;

    auto* gallery = child<QListWidget>(w, "gallery");
    ASSERT_EQ(gallery->count(), 10);
    for (int i = 0; i < 8; ++i) {  // the two rows in view
        SCOPED_TRACE(i);
        const QPoint centre = gallery->viewport()->mapFrom(&w, ScannerWindow::thumbnailCentre(i));
        EXPECT_EQ(gallery->indexAt(centre).row(), i);
        // The point lies on the picture, not on the caption.
        const QRect item = gallery->visualItemRect(gallery->item(i));
        EXPECT_LT(centre.y(), item.top() + ScannerWindow::kThumbnailSide + 4);
    }
    EXPECT_EQ(gallery->item(3)->text(), "Ben\nleft thumb\nimpression 1");
    for (QWidget* widget : w.findChildren<QWidget*>()) {
        if (qobject_cast<QScrollBar*>(widget) || widget->parentWidget() != &w) continue;
        EXPECT_FALSE(widget->objectName().isEmpty()) << widget->metaObject()->className();
        EXPECT_FALSE(widget->accessibleName().isEmpty()) << widget->objectName().toStdString();
    }
}

TEST_F(Window, PressesOnlyWhileTheScannerIsInUse) {
    makeGallery({{"Anna - right index", 2}, {"Ben - left thumb", 2}});
    ScannerWindow w(folders(), still());
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    auto* gallery = child<QListWidget>(w, "gallery");
    auto* poor = child<QPushButton>(w, "poorPressButton");
    auto* status = child<QLabel>(w, "statusLabel");

    // No state file: nobody holds the sensor.
    EXPECT_EQ(status->text(), "Scanner not in use");
    EXPECT_FALSE(gallery->isEnabled());
    EXPECT_FALSE(poor->isEnabled());
    clickThumbnail(w, 2);
    EXPECT_FALSE(w.pressImage(2));
    EXPECT_TRUE(feedFiles(root() / "feed").empty());

    setState(true);
    w.refreshSensor();
    EXPECT_EQ(status->text(), "Scanner in use");
    EXPECT_TRUE(gallery->isEnabled());
    EXPECT_TRUE(poor->isEnabled());       // the first image is selected
    EXPECT_EQ(w.focusWidget(), gallery);  // the keys press at once

    clickThumbnail(w, 2);  // Ben, impression 1
    auto files = feedFiles(root() / "feed");
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(readFile(files[0]), readFile(root() / "fingers" / "Ben - left thumb" / "imp1.png"));
    EXPECT_EQ(gallery->currentRow(), 2);
    EXPECT_EQ(child<QLabel>(w, "pressMessage")->text(), "Pressed Ben - left thumb, impression 1");

    // Keyboard: right arrow, Enter.
    gallery->setFocus();
    QTest::keyClick(gallery, Qt::Key_Right);
    QTest::keyClick(gallery, Qt::Key_Return);
    files = feedFiles(root() / "feed");
    ASSERT_EQ(files.size(), 2u);
    EXPECT_EQ(readFile(files[1]), readFile(root() / "fingers" / "Ben - left thumb" / "imp2.png"));

    // A poor press is a different picture of the same size.
    poor->click();
    files = feedFiles(root() / "feed");
    ASSERT_EQ(files.size(), 3u);
    EXPECT_EQ(files[2].extension(), ".png");
    EXPECT_NE(files[2].filename().string().find("-500dpi"), std::string::npos);
    const QImage smudged(QString::fromStdString(files[2].string()));
    EXPECT_EQ(smudged.size(), QSize(120, 120));

    // The program took one press, then closed its sensor: the presses it left are removed, so
    // the next program does not get them.
    fs::remove(files[0]);
    setState(false);
    w.refreshSensor();
    EXPECT_EQ(status->text(), "Scanner not in use");
    EXPECT_FALSE(gallery->isEnabled());
    EXPECT_FALSE(poor->isEnabled());
    EXPECT_TRUE(feedFiles(root() / "feed").empty());
}

TEST_F(Window, LightsFollowTheStateFile) {
    ScannerWindow w(folders(), still());
    auto* green = child<SignalLamp>(w, "greenLamp");
    auto* red = child<SignalLamp>(w, "redLamp");
    auto* beeper = child<SignalLamp>(w, "beeperLamp");
    const long dead = deadPid();
    const struct {
        const char* what;
        bool open;
        SensorSignals lights;
        long pid;
        bool inUse;
        SensorSignals shown;
    } steps[] = {
        {"green", true, {true, false, false}, ::getpid(), true, {true, false, false}},
        {"red and beeper", true, {false, true, true}, ::getpid(), true, {false, true, true}},
        {"all", true, {true, true, true}, ::getpid(), true, {true, true, true}},
        {"holder crashed", true, {true, true, true}, dead, false, {}},
        {"open again", true, {false, false, true}, ::getpid(), true, {false, false, true}},
        {"closed", false, {true, true, true}, ::getpid(), false, {}},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(s.what);
        setState(s.open, s.lights, s.pid);
        w.refreshSensor();
        EXPECT_EQ(w.scannerInUse(), s.inUse);
        EXPECT_EQ(green->isLit(), s.shown.greenLight);
        EXPECT_EQ(red->isLit(), s.shown.redLight);
        EXPECT_EQ(beeper->isLit(), s.shown.beeper);
        EXPECT_EQ(green->accessibleDescription(), s.shown.greenLight ? "on" : "off");
    }
    fs::remove(sensorStateFile(root() / "feed"));
    w.refreshSensor();
    EXPECT_FALSE(w.scannerInUse());
}

TEST_F(Window, EmptyGalleryAndShelfSayWhatToDo) {
    ScannerWindow w(folders(), still());
    w.show();
    auto* hint = child<QLabel>(w, "galleryHint");
    EXPECT_TRUE(hint->isVisible());
    EXPECT_TRUE(hint->text().contains(QString::fromStdString((root() / "fingers").string())));
    EXPECT_FALSE(child<QPushButton>(w, "putCardButton")->isEnabled());
    EXPECT_FALSE(child<QPushButton>(w, "takeCardButton")->isEnabled());
    EXPECT_TRUE(child<QPushButton>(w, "newCardButton")->isEnabled());
    EXPECT_EQ(child<QLabel>(w, "cardOnReaderLabel")->text(), "No card on the reader");

    // Images arriving later show on the next look.
    makeGallery({{"Dana - left ring", 1}});
    w.refreshGallery();
    EXPECT_FALSE(hint->isVisible());
    EXPECT_EQ(child<QListWidget>(w, "gallery")->count(), 1);
}

TEST_F(Window, CardButtonsPutTakeAndMakeCards) {
    ScannerWindow w(folders(), still());
    w.show();
    auto* shelf = child<QListWidget>(w, "cardShelf");
    auto* put = child<QPushButton>(w, "putCardButton");
    auto* take = child<QPushButton>(w, "takeCardButton");
    auto* onReader = child<QLabel>(w, "cardOnReaderLabel");

    child<QPushButton>(w, "newCardButton")->click();
    ASSERT_EQ(w.shelfCards().size(), 1u);
    const fs::path first = w.shelfCards()[0].file;
    EXPECT_TRUE(fs::exists(first));
    EXPECT_EQ(first.parent_path(), root() / "cards");
    EXPECT_EQ(shelf->currentRow(), 0);  // the new card is selected
    EXPECT_TRUE(put->isEnabled());
    EXPECT_FALSE(take->isEnabled());

    put->click();
    EXPECT_EQ(lumo::registry::readValue(lumo::registry::Root::LocalMachine,
                                        EngineSettings::kRegistryKey, "CardDump"),
              first.string());
    EXPECT_TRUE(onReader->text().startsWith("On the reader: " +
                                            QString::fromStdString(first.stem().string())));
    EXPECT_TRUE(onReader->text().contains(QString::fromStdString(uidText(*w.shelfCards()[0].uid))));
    EXPECT_FALSE(put->isEnabled());  // it lies there already
    EXPECT_TRUE(take->isEnabled());

    const fs::path second = w.newBlankCard();
    ASSERT_EQ(w.shelfCards().size(), 2u);
    EXPECT_TRUE(put->isEnabled());
    put->click();
    EXPECT_EQ(fs::path(lumo::registry::readValue(lumo::registry::Root::LocalMachine,
                                                 EngineSettings::kRegistryKey, "CardDump")
                           .value_or("")),
              second);

    take->click();
    EXPECT_EQ(lumo::registry::readValue(lumo::registry::Root::LocalMachine,
                                        EngineSettings::kRegistryKey, "CardDump"),
              std::string());
    EXPECT_EQ(onReader->text(), "No card on the reader");
    EXPECT_FALSE(take->isEnabled());

    // A card whose dump went away: the reader sees none, and the window says so.
    putCardOnReader(root() / "cards" / "gone.mfd");
    w.refreshCards();
    EXPECT_TRUE(onReader->text().contains("gone.mfd"));
    EXPECT_TRUE(take->isEnabled());
}

TEST_F(Window, RoundWithTheRealEngine) {
    const fs::path finger = root() / "fingers" / "Eve - right index";
    fs::create_directories(finger);
    for (const char* name : {"101_1.tif", "101_2.tif"}) {
        fs::copy_file(std::string(LUMO_SHARED_DATA_DIR) + "/fingerprints/fvc2002_db4_b/" + name,
                      finger / name);
    }
    EngineSettings settings;
    settings.sensorFeed = (root() / "feed").string();
    settings.scannerWindow = "off";
    FPEngine engine([&] { return settings; });
    std::vector<int> qualities;
    engine.OnFeatureInfo = [&](int quality) { qualities.push_back(quality); };

    ScannerWindow w(folders(), {50, 1000000, 1000000});
    w.show();
    EXPECT_FALSE(w.scannerInUse());
    ASSERT_EQ(engine.StartEngine(), StartOk);
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.scannerInUse(); }, 5000));

    clickThumbnail(w, 1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return qualities.size() == 1; }, 30000));
    EXPECT_EQ(qualities[0], 0);
    child<QPushButton>(w, "poorPressButton")->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return qualities.size() == 2; }, 30000));
    EXPECT_NE(qualities[1], 0);
    EXPECT_NE(qualities[1], static_cast<int>(ImageQuality::Empty));

    engine.SignalSensor(SignalRedLight, 1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return child<SignalLamp>(w, "redLamp")->isLit(); }, 5000));
    engine.StopEngine();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !w.scannerInUse(); }, 5000));
    EXPECT_FALSE(child<SignalLamp>(w, "redLamp")->isLit());
}

TEST_F(Window, EscapeAndCloseEndTheWindow) {
    ScannerWindow w(folders(), still());
    int closed = 0;
    QObject::connect(&w, &ScannerWindow::closed, [&] { ++closed; });
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    QTest::keyClick(child<QListWidget>(w, "gallery"), Qt::Key_Escape);
    EXPECT_EQ(closed, 1);
    EXPECT_FALSE(w.isVisible());
    w.show();
    w.close();
    EXPECT_EQ(closed, 2);
}
