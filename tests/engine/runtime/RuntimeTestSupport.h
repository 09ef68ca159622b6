// Shared pieces of the engine runtime tests: the application object, data files, a temporary
// folder, settings without the registry and an event recorder.
#pragma once

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QTemporaryDir>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/runtime/FPEngine.h"
#include "tests/support/qt/GuiApplication.h"

namespace lumo::test {

inline std::string fingerprintFile(const std::string& set, const std::string& name) {
    return std::string(LUMO_SHARED_DATA_DIR) + "/fingerprints/" + set + "/" + name + ".tif";
}

// The set most tests use: synthetic prints of FVC2002 DB4, good enough to enroll from.
inline std::string print(const std::string& name) { return fingerprintFile("fvc2002_db4_b", name); }

class TempFolder {
public:
    TempFolder() { EXPECT_TRUE(m_dir.isValid()); }
    std::filesystem::path path() const { return m_dir.path().toStdString(); }
    std::filesystem::path operator/(const std::string& name) const { return path() / name; }

private:
    QTemporaryDir m_dir;
};

// Records the engine's events as lines, with EnrollIndex and IsRegister where they matter.
struct EventLog {
    std::vector<std::string> lines;
    std::vector<std::uint8_t> lastEnrollTemplate;
    std::vector<std::uint8_t> lastCaptureTemplate;
    std::string textDuringEnroll;
    std::string textDuringCapture;

    void attach(engine::FPEngine& engine) {
        engine.OnImageReceived = [this](bool valid) {
            lines.push_back(std::string("image ") + (valid ? "valid" : "invalid"));
        };
        engine.OnFeatureInfo = [this, &engine](int quality) {
            lines.push_back("feature " + std::to_string(quality) +
                            (engine.IsRegister() ? " index " + std::to_string(engine.EnrollIndex())
                                                 : std::string()));
        };
        engine.OnEnroll = [this, &engine](bool ok, const engine::TemplateValue& t) {
            lines.push_back(std::string("enroll ") + (ok ? "ok" : "failed"));
            lastEnrollTemplate = t;
            textDuringEnroll = engine.LastTemplateAsText();
        };
        engine.OnCapture = [this, &engine](bool ok, const engine::TemplateValue& t) {
            lines.push_back(std::string("capture ") + (ok ? "ok" : "failed"));
            lastCaptureTemplate = t;
            textDuringCapture = engine.LastTemplateAsText();
        };
    }
};

// Runs the event loop until pred holds or the time is up.
template <typename Pred>
bool waitFor(Pred pred, int timeoutMs = 20000) {
    QElapsedTimer timer;
    timer.start();
    while (!pred()) {
        if (timer.elapsed() > timeoutMs) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

inline engine::EngineSettings virtualSettings(const std::filesystem::path& feed,
                                              const std::string& cardDump = {}) {
    engine::EngineSettings s;
    s.sensorFeed = feed.string();
    s.cardDump = cardDump;
    return s;
}

}  // namespace lumo::test
