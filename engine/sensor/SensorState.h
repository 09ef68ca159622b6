// SensorState: what a virtual sensor shows to the outside while a program holds it, published
// as a small text file beside the feed folder so that a scanner window in another process can
// show the lights and know whether anyone takes presses.
//
// The file is "<feed folder>.state" (".../lumo-sensor/feed" has ".../lumo-sensor/feed.state"),
// written atomically (hidden temporary file in the same folder, then rename) and read whole:
//
//     pid=4711          the process holding the sensor open (or that held it last)
//     start=123456      that process's start time (field 22 of /proc/<pid>/stat), 0 if unknown
//     open=1            1 open, 0 closed
//     green=0           the signals: green light, red light, beeper
//     red=1
//     beeper=0
//
// Unknown lines are skipped, so later fields may be added. A state whose process is gone (or
// whose pid now belongs to a process started at another time) counts as closed with every
// signal off: a program that crashed leaves no scanner "in use".
//
// Free functions; any thread. writeSensorState throws SensorError; reading never throws.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace lumo::engine {

struct SensorSignals {
    bool greenLight = false;
    bool redLight = false;
    bool beeper = false;
    bool operator==(const SensorSignals&) const = default;
};

struct SensorState {
    long pid = 0;
    unsigned long long startTime = 0;
    bool open = false;
    SensorSignals sensorSignals;
    bool operator==(const SensorState&) const = default;
};

// "<feed folder>.state" beside the feed folder (a trailing "/" of the folder is ignored).
std::filesystem::path sensorStateFile(const std::filesystem::path& feedFolder);

// The start time of a running process as /proc tells it; 0 when it is not running or unknown.
unsigned long long processStartTime(long pid);
// True while a process of that id runs (and, when startTime is not 0, is the one started then).
bool processAlive(long pid, unsigned long long startTime = 0);

// The state as it would be published by this process now.
SensorState ownSensorState(bool open, const SensorSignals& sensorSignals);

// The text form above, and back; nullopt for text without a pid line.
std::string formatSensorState(const SensorState& state);
std::optional<SensorState> parseSensorState(const std::string& text);

// Replaces the file atomically; creates its folder when missing.
void writeSensorState(const std::filesystem::path& file, const SensorState& state);
// nullopt when the file is missing or holds no state.
std::optional<SensorState> readSensorState(const std::filesystem::path& file);
// The state as a watcher should show it: missing file or dead process = closed, signals off.
SensorState liveSensorState(const std::filesystem::path& file);

}  // namespace lumo::engine
