// The program's start-up, shared by main() and the tests.
//
//     lumo::win::SingleInstanceLock lock("Kestrel");
//     if (refuseSecondCopy(lock)) return 1;       // "Vantor Kestrel is already running."
//     return runKestrel(app, [] { return std::make_unique<TLumoMain>(); });
//
// runKestrel sets the title, the skin, creates the main window (which runs the login), shows
// it and runs the message loop; Cancel at the login ends with 0, a database that cannot be
// opened or a control that cannot be created with 1. GUI thread only.
#pragma once

#include <QApplication>

#include "app/Main.h"
#include "platform/win/SingleInstanceLock.h"

namespace lumo::app {

inline constexpr const char* kInstanceLockName = "Kestrel";
inline constexpr const char* kAlreadyRunningMessage = "Vantor Kestrel is already running.";

// True when another copy holds the lock; the message has then been shown.
bool refuseSecondCopy(lumo::win::SingleInstanceLock& lock);
int runKestrel(QApplication& app, const TfrmMain::ControlFactory& createControl);

}  // namespace lumo::app
