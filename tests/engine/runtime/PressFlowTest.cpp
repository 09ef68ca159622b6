// Presses through the engine: sensor start codes, the order of events, enrollment counting
// with poor presses and presses of other fingers, captures, presses from the feed folder,
// presses from files, presses arriving while a handler runs, and the sensor's signals.
#include <QImage>
#include <algorithm>
#include <fstream>

#include "RuntimeTestSupport.h"
#include "engine/image/ImageLoader.h"
#include "engine/sensor/SensorFeed.h"
#include "engine/sensor/VirtualSensor.h"
#include "engine/template/TemplateForms.h"

using namespace lumo::engine;
using namespace lumo::test;

namespace {

GrayImage blankImage() {
    GrayImage g;
    g.width = 300;
    g.height = 300;
    g.pixels.assign(300 * 300, 255);
    return g;
}

class PressFlow : public ::testing::Test {
protected:
    void SetUp() override {
        ensureGuiApplication();
        events.attach(engine);
    }
    VirtualSensor& sensor() {
        if (!engine.Active()) EXPECT_EQ(engine.StartEngine(), 0);
        VirtualSensor* s = engine.virtualSensor();
        EXPECT_NE(s, nullptr);
        return *s;
    }
    void press(const std::string& name) { sensor().press(loadImage(print(name)), name); }

    TempFolder temp;
    EngineSettings settings = virtualSettings(temp / "feed");
    FPEngine engine{[this] { return settings; }};
    EventLog events;
};

TEST_F(PressFlow, StartCodesFollowTheSensorSetting) {
    const struct {
        const char* sensor;
        int code;
        bool active;
    } cases[] = {
        {"none", 2, false}, {"nodriver", 1, false}, {"libfprint", 1, false}, {"virtual", 0, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.sensor);
        settings.sensor = c.sensor;
        EXPECT_EQ(engine.StartEngine(), c.code);
        EXPECT_EQ(engine.Active(), c.active);
        EXPECT_EQ(engine.virtualSensor() != nullptr, c.active);
        engine.StopEngine();
        EXPECT_FALSE(engine.Active());
    }
    settings.sensor = "virtaul";
    try {
        engine.StartEngine();
        ADD_FAILURE() << "no error";
    } catch (const EngineError& e) {
        EXPECT_NE(std::string(e.what()).find("virtaul"), std::string::npos);
    }
    // A feed folder that cannot be made is a start failure with the reason.
    settings.sensor = "virtual";
    std::ofstream(temp / "file") << "x";
    settings.sensorFeed = (temp / "file" / "feed").string();
    EXPECT_THROW(engine.StartEngine(), SensorError);
    EXPECT_FALSE(engine.Active());
}

TEST_F(PressFlow, SerialNumberOfTheOpenSensor) {
    EXPECT_EQ(engine.SensorSN(), "");
    sensor();
    EXPECT_EQ(engine.SensorSN(), VirtualSensor::kDefaultSerialNumber);
    engine.StopEngine();
    settings.sensorSN = "VS-42";
    sensor();
    EXPECT_EQ(engine.SensorSN(), "VS-42");
    EXPECT_EQ(engine.StartEngine(), 0);  // already started
}

TEST_F(PressFlow, ACaptureOutsideAnEnrollment) {
    press("102_1");
    EXPECT_EQ(events.lines, (std::vector<std::string>{"image valid", "feature 0", "capture ok"}));
    EXPECT_FALSE(events.textDuringCapture.empty());
    EXPECT_EQ(events.textDuringCapture, engine.LastTemplateAsText());
    EXPECT_EQ(TemplateForms::toText(TemplateForms::decode(events.lastCaptureTemplate)),
              events.textDuringCapture);
    // A poor press makes no capture.
    events.lines.clear();
    sensor().press(blankImage());
    EXPECT_EQ(events.lines, (std::vector<std::string>{"image valid", "feature 1"}));
    EXPECT_EQ(engine.LastTemplateAsText(), events.textDuringCapture);
}

TEST_F(PressFlow, FourGoodPressesEnrollAndAPoorOneDoesNotCount) {
    engine.setEnrollCount(4);
    sensor();
    engine.StartEnrollment();
    EXPECT_TRUE(engine.IsRegister());
    EXPECT_EQ(engine.EnrollIndex(), 4);
    press("103_1");
    sensor().press(blankImage());
    press("103_2");
    press("103_3");
    EXPECT_EQ(engine.EnrollIndex(), 1);
    press("103_4");
    EXPECT_EQ(events.lines,
              (std::vector<std::string>{"image valid", "feature 0 index 4", "image valid",
                                        "feature 1 index 3", "image valid", "feature 0 index 3",
                                        "image valid", "feature 0 index 2", "image valid",
                                        "feature 0 index 1", "enroll ok"}));
    EXPECT_FALSE(engine.IsRegister());
    EXPECT_EQ(engine.EnrollIndex(), 0);
    ASSERT_FALSE(events.textDuringEnroll.empty());
    EXPECT_EQ(engine.LastTemplateAsText(), events.textDuringEnroll);
    EXPECT_EQ(engine.LastTemplateValue(), events.lastEnrollTemplate);
    // The registration knows its finger and no other.
    std::string reg = events.textDuringEnroll, verText;
    bool changed = false;
    ASSERT_TRUE(engine.VerTemplateFromImageFile(print("103_7"), 0, verText));
    EXPECT_TRUE(engine.MatchTemplateStrings(reg, verText, false, changed));
    ASSERT_TRUE(engine.VerTemplateFromImageFile(print("107_1"), 0, verText));
    EXPECT_FALSE(engine.MatchTemplateStrings(reg, verText, false, changed));
    // After the enrollment a press is a capture again.
    events.lines.clear();
    press("105_1");
    EXPECT_EQ(events.lines.back(), "capture ok");
}

TEST_F(PressFlow, PressesOfTwoFingersFailTheEnrollment) {
    engine.setEnrollCount(4);
    sensor();
    engine.StartEnrollment();
    for (const char* name : {"102_1", "102_2", "104_1", "104_2"}) press(name);
    EXPECT_EQ(events.lines.back(), "enroll failed");
    EXPECT_TRUE(events.lastEnrollTemplate.empty());
    EXPECT_EQ(engine.LastTemplateAsText(), "");
    EXPECT_FALSE(engine.IsRegister());
}

TEST_F(PressFlow, CancelAndRestartAnEnrollment) {
    engine.setEnrollCount(2);
    sensor();
    engine.StartEnrollment();
    press("103_1");
    EXPECT_EQ(engine.EnrollIndex(), 1);
    engine.CancelEnrollment();
    EXPECT_FALSE(engine.IsRegister());
    EXPECT_EQ(engine.EnrollIndex(), 0);
    engine.setIsRegister(true);  // as the control does before showing its dialog
    EXPECT_EQ(engine.EnrollIndex(), 2);
    engine.setEnrollCount(3);  // a running enrollment keeps its count
    press("103_2");
    press("103_3");
    EXPECT_EQ(events.lines.back(), "enroll ok");
}

TEST_F(PressFlow, AHandlerThatRestartsTheEnrollmentVoidsItsPress) {
    engine.setEnrollCount(2);
    sensor();
    engine.StartEnrollment();
    bool restart = true;
    engine.OnFeatureInfo = [&](int) {
        if (restart) {
            restart = false;
            engine.CancelEnrollment();
            engine.StartEnrollment();
        }
    };
    press("102_1");
    EXPECT_EQ(engine.EnrollIndex(), 2);  // the press was judged for the old enrollment
    press("102_2");
    EXPECT_EQ(engine.EnrollIndex(), 1);
}

TEST_F(PressFlow, APressDuringAHandlerWaitsForTheFirstToFinish) {
    const GrayImage second = loadImage(print("103_1"));
    bool nested = true;
    std::vector<std::string> order;
    engine.OnImageReceived = [&](bool) { order.push_back("image"); };
    engine.OnCapture = [&](bool, const TemplateValue&) { order.push_back("capture"); };
    engine.OnFeatureInfo = [&](int) {
        order.push_back("feature");
        if (nested) {
            nested = false;
            sensor().press(second);  // as if it came from a nested event loop
            order.push_back("handler done");
        }
    };
    press("102_1");
    EXPECT_EQ(order, (std::vector<std::string>{"image", "feature", "handler done", "capture",
                                               "image", "feature", "capture"}));
    // A file press cannot start inside another press: its events would interleave.
    engine.OnFeatureInfo = [&](int) { engine.AddImageFromFile(print("102_2"), 0); };
    EXPECT_THROW(engine.AddImageFromFile(print("102_1"), 0), EngineError);
    engine.OnFeatureInfo = nullptr;
    EXPECT_TRUE(engine.AddImageFromFile(print("102_1"), 0));  // the engine is not stuck
}

TEST_F(PressFlow, AddImageFromFileDeliversTheEventsBeforeItReturns) {
    engine.setEnrollCount(1);
    engine.StartEnrollment();
    engine.BeginImageInput();
    EXPECT_TRUE(engine.AddImageFromFile(print("102_1"), 500));
    EXPECT_EQ(events.lines,
              (std::vector<std::string>{"image valid", "feature 0 index 1", "enroll ok"}));
    events.lines.clear();
    EXPECT_TRUE(engine.AddImageFromFile(print("103_1"), 0));
    EXPECT_EQ(events.lines, (std::vector<std::string>{"image valid", "feature 0", "capture ok"}));
    const std::string blank = (temp / "blank.png").string();
    QImage white(300, 300, QImage::Format_Grayscale8);
    white.fill(255);
    ASSERT_TRUE(white.save(QString::fromStdString(blank)));
    EXPECT_FALSE(engine.AddImageFromFile(blank, 0));
    EXPECT_FALSE(engine.Active());  // no sensor was needed
}

TEST_F(PressFlow, PressesFromTheFeedFolder) {
    engine.setEnrollCount(4);
    VirtualSensor& s = sensor();
    ASSERT_EQ(s.feedFolder(), temp / "feed");
    engine.StartEnrollment();
    // A poor press first, then four of one finger; they are taken in the order dropped.
    const std::string blank = (temp / "blank.png").string();
    QImage white(300, 300, QImage::Format_Grayscale8);
    white.fill(255);
    ASSERT_TRUE(white.save(QString::fromStdString(blank)));
    dropIntoFeed(s.feedFolder(), blank, 0);
    for (const char* name : {"103_1", "103_2", "103_3", "103_4"}) {
        dropIntoFeed(s.feedFolder(), print(name), 500);
    }
    ASSERT_TRUE(
        waitFor([&] { return !events.lines.empty() && events.lines.back() == "enroll ok"; }));
    EXPECT_EQ(std::count(events.lines.begin(), events.lines.end(), "image valid"), 5);
    EXPECT_EQ(events.lines[1], "feature 1 index 4");
    EXPECT_TRUE(std::filesystem::is_empty(s.feedFolder()));
}

TEST_F(PressFlow, AFeedFileThatIsNoImageIsAFailedPress) {
    VirtualSensor& s = sensor();
    std::ofstream(s.feedFolder() / "broken.png") << "not an image";
    EXPECT_TRUE(s.takeNextFeedFile());
    EXPECT_EQ(events.lines, (std::vector<std::string>{"image invalid", "feature 1"}));
    EXPECT_TRUE(engine.lastImage().empty());
}

TEST_F(PressFlow, StopEngineEndsEnrollmentAndPresses) {
    sensor();
    engine.StartEnrollment();
    engine.StopEngine();
    EXPECT_FALSE(engine.IsRegister());
    EXPECT_EQ(engine.virtualSensor(), nullptr);
    EXPECT_EQ(engine.SensorSN(), "");
}

TEST_F(PressFlow, SignalsKeepTheirStateOnTheVirtualSensor) {
    EXPECT_EQ(engine.SignalSensor(SignalGreenLight, 1), 0);  // not started: nothing to signal
    VirtualSensor& s = sensor();
    int changes = 0;
    s.onSignalsChanged = [&](const SensorSignals&) { ++changes; };
    EXPECT_EQ(engine.SignalSensor(11, 1), 1);
    EXPECT_EQ(engine.SignalSensor(13, 1), 1);
    EXPECT_EQ(s.signalState(), (SensorSignals{true, false, true}));
    EXPECT_EQ(engine.SignalSensor(11, 0), 1);
    EXPECT_EQ(engine.SignalSensor(12, 5), 1);
    EXPECT_EQ(s.signalState(), (SensorSignals{false, true, true}));
    EXPECT_EQ(changes, 4);
    for (int code : {0, 10, 14}) {
        SCOPED_TRACE(code);
        EXPECT_THROW(engine.SignalSensor(code, 1), EngineError);
    }
}

}  // namespace
