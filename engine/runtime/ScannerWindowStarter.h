// ScannerWindowStarter: starts the virtual scanner window (tools/lumoscanner) beside a program
// whose engine opened its virtual sensor.
//
// The window is a process of its own, as a real scanner is a device outside the program: a
// program's modal dialogs block input to every window of their own process, and enrollment and
// verification run in modal dialogs. It takes presses through the feed folder, follows the
// sensor through its state file (SensorState.h), puts cards on the simulated reader through
// the engine setting CardDump, and ends when the program that started it ends.
//
// The engine setting ScannerWindow decides (scannerWindowWanted): "auto" (default) starts the
// window only on a real display (Qt platform other than offscreen and minimal, so never in
// tests or under lumoctl, which run offscreen), "show" always (the window then gets the
// environment without QT_QPA_PLATFORM, to reach the display), "hide" and "off" never; an unknown
// value counts as "auto". The program is looked for beside the running executable, beside the
// library holding the engine, then in PATH; a missing one is skipped without a word (the
// window is a convenience). At most one attempt is made per process, so a window the user
// closed stays closed until the program starts again.
//
// Starting goes through a replaceable starter so that tests see the request and never start a
// process; the default starter runs QProcess::startDetached. GUI thread only; never throws.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "engine/runtime/EngineSettings.h"

namespace lumo::engine {

struct ScannerWindowRequest {
    std::string program;                 // absolute path of lumoscanner
    std::vector<std::string> arguments;  // --feed DIR --gallery DIR --cards DIR --parent-pid PID
    bool dropPlatformVariable = false;   // start it without QT_QPA_PLATFORM
};

using ScannerWindowStarterFunction = std::function<bool(const ScannerWindowRequest&)>;

// The decision table: setting value (any case, blanks ignored) and Qt platform name.
bool scannerWindowWanted(const std::string& setting, const std::string& platformName);
// True for platforms that show nothing on a screen ("offscreen", "minimal", "minimalegl").
bool headlessPlatform(const std::string& platformName);

// Where lumoscanner lies (empty when nowhere).
std::filesystem::path findScannerWindowProgram();

// Installs a starter (an empty one restores the default) and forgets any earlier attempt of
// this process; answers the starter that was installed before.
ScannerWindowStarterFunction setScannerWindowStarter(ScannerWindowStarterFunction starter);

// Starts the window once per process when the settings want it on the current Qt platform;
// true when a start was requested now. program overrides the search (tests).
bool startScannerWindowOnce(const EngineSettings& settings,
                            const std::filesystem::path& program = {});

}  // namespace lumo::engine
