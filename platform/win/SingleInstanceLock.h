// SingleInstanceLock: tells whether another process already runs under a lock name (the
// stand-in for a named semaphore such as "Kestrel").
//
// The lock is an advisory lock (flock) on a file named after the lock in $XDG_RUNTIME_DIR, or,
// without it, "<name>-<uid>" in the temporary folder (so that users on one machine do not block
// each other, as Windows session-local names do not). The kernel releases it when the object
// is destroyed or the process ends in any way, also by a crash or kill -9. The descriptor is
// not inherited by child programs.
//
// Like CreateSemaphore with no handle, a lock file that cannot be opened at all (no folder, no
// permission) does not stop the program: tryAcquire() then reports true, and isHeld() false.
// Not copyable; one thread uses an object. Never throws.
#pragma once

#include <filesystem>
#include <string>

namespace lumo::win {

class SingleInstanceLock {
public:
    explicit SingleInstanceLock(std::string name);
    // The same lock on a file of the caller's choosing (its folder must exist).
    static SingleInstanceLock onFile(std::filesystem::path lockFile);
    ~SingleInstanceLock();
    SingleInstanceLock(const SingleInstanceLock&) = delete;
    SingleInstanceLock& operator=(const SingleInstanceLock&) = delete;

    // False only when another holder (another process, or another object in this process)
    // has the lock. Calling it again while holding the lock returns true.
    bool tryAcquire();
    bool isHeld() const { return m_fd >= 0; }
    void release();

    const std::filesystem::path& lockFilePath() const { return m_path; }

private:
    struct OnFile {};
    SingleInstanceLock(OnFile, std::filesystem::path lockFile);

    std::filesystem::path m_path;
    int m_fd = -1;
};

}  // namespace lumo::win
