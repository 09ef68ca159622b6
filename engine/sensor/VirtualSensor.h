// VirtualSensor: the scanner of a machine without one. A press is an image file dropped into
// the feed folder (by fppress, a script, a file manager) or an image handed over in process
// (tests, the demo's virtual scanner window).
//
// While open, a timer of the GUI thread's event loop looks into the feed folder and takes the
// first file in name order once it has stopped changing (same size and time on two looks), one
// press per look: the file is read, removed, decoded and handed to onPress from a posted call
// (so that handlers may wait on timers of their own). Files that cannot
// be decoded still make a press, without an image, so the user sees that a press failed. While
// onPress runs (its handlers may run nested event loops) no further file is taken. The three
// signals keep their state so that the demo window can show them.
//
// The sensor publishes its state (open or closed, the three signals, this process) in the state
// file beside the feed folder (SensorState.h) on open, on close and after every signal change,
// so that the virtual scanner window, a process of its own, can follow it. Closing publishes
// "closed" only while the file still names this process: another program that opened a sensor
// on the same folder since keeps its state. A state file that cannot be written is not a fault
// of the sensor (the window is a convenience): presses still work.
//
// Owned by the engine; GUI thread only; needs a Qt application object for the timer. open()
// throws SensorError when the feed folder cannot be made.
#pragma once

#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>

#include "engine/sensor/ISensor.h"
#include "engine/sensor/SensorState.h"

class QTimer;

namespace lumo::engine {

class VirtualSensor : public ISensor {
public:
    static constexpr const char* kDefaultSerialNumber = "LUMO-VS-0001";

    struct Options {
        std::filesystem::path feedFolder;
        std::string serialNumber = kDefaultSerialNumber;
        int pollIntervalMs = 100;
    };

    explicit VirtualSensor(Options options);
    ~VirtualSensor() override;
    VirtualSensor(const VirtualSensor&) = delete;
    VirtualSensor& operator=(const VirtualSensor&) = delete;

    int open() override;
    void close() override;
    bool isOpen() const override { return m_open; }
    std::string serialNumber() const override { return m_options.serialNumber; }
    int signal(int code, bool on) override;

    // In-process press, delivered before the call returns; false (nothing delivered) when the
    // sensor is closed.
    bool press(const GrayImage& image, const std::string& source = "in-process press");
    // Reads and decodes the file (resolution dpi, or from the file when 0) and presses it;
    // a file that cannot be read makes a press without an image.
    bool pressFile(const std::filesystem::path& file, int dpi = 0);
    // Takes the first file of the feed folder now, without waiting for it to settle; true
    // when one was taken. What the timer does, for tests.
    bool takeNextFeedFile();

    const std::filesystem::path& feedFolder() const { return m_options.feedFolder; }
    // Where the state is published: sensorStateFile(feedFolder()).
    const std::filesystem::path& stateFile() const { return m_stateFile; }
    SensorSignals signalState() const { return m_signals; }
    // Called after every change of a signal.
    std::function<void(const SensorSignals&)> onSignalsChanged;

private:
    void poll();
    // The first takeable file of the feed folder; with settled, only one unchanged since the
    // previous look.
    std::filesystem::path nextFeedFile(bool settled);
    bool takeFeedFile(const std::filesystem::path& file);
    void deliver(const SensorPress& press);
    void publishState();

    std::filesystem::path m_stateFile;

    Options m_options;
    bool m_open = false;
    bool m_delivering = false;
    bool m_takeScheduled = false;
    std::unique_ptr<QTimer> m_timer;
    SensorSignals m_signals;
    // Size and modification time of each file at the previous look.
    std::map<std::string, std::pair<std::uintmax_t, long long>> m_lastLook;
    // Files that could not be removed after reading: never taken again.
    std::set<std::string> m_stuck;
};

}  // namespace lumo::engine
