// InstanceLock: one virtual scanner window per feed folder.
//
// The lock is an advisory lock (flock) on "<feed folder>.scanner-lock" beside the feed folder
// (its parent folder is made when missing). The kernel releases it when the holder ends in any
// way, also by a crash; the descriptor is not inherited by child programs. A lock file that
// cannot be opened at all does not stop the window: tryAcquire() then answers true.
//
// Not copyable; one thread uses an object. Never throws.
#pragma once

#include <filesystem>

namespace lumo::scanner {

std::filesystem::path scannerLockFile(const std::filesystem::path& feedFolder);

class InstanceLock {
public:
    explicit InstanceLock(std::filesystem::path lockFile);
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // False only when another holder has the lock.
    bool tryAcquire();
    bool isHeld() const { return m_fd >= 0; }

private:
    std::filesystem::path m_path;
    int m_fd = -1;
};

}  // namespace lumo::scanner
