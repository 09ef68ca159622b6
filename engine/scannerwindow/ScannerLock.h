// One virtual scanner window per feed folder.
//
// The window holds the single-instance lock on "<feed folder>.scanner-lock", beside the feed
// folder; the kernel releases it when the window's process ends in any way, also by a crash.
#pragma once

#include <filesystem>

#include "platform/win/SingleInstanceLock.h"

namespace lumo::scanner {

std::filesystem::path scannerLockFile(const std::filesystem::path& feedFolder);

// The lock for a feed folder's window; the folder that holds the lock file is made when missing.
// As for any single-instance lock, a lock file that cannot be opened does not stop the window.
win::SingleInstanceLock scannerLock(const std::filesystem::path& feedFolder);

}  // namespace lumo::scanner
