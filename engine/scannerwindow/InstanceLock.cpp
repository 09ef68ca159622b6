#include "engine/scannerwindow/InstanceLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

#include "engine/sensor/SensorState.h"

namespace fs = std::filesystem;

namespace lumo::scanner {

fs::path scannerLockFile(const fs::path& feedFolder) {
    fs::path file = engine::sensorStateFile(feedFolder);
    file.replace_extension(".scanner-lock");
    return file;
}

InstanceLock::InstanceLock(fs::path lockFile) : m_path(std::move(lockFile)) {}

InstanceLock::~InstanceLock() {
    if (m_fd >= 0) ::close(m_fd);
}

bool InstanceLock::tryAcquire() {
    if (m_fd >= 0) return true;
    std::error_code ec;
    if (!m_path.parent_path().empty()) fs::create_directories(m_path.parent_path(), ec);
    const int fd = ::open(m_path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return true;
    int rc;
    do {
        rc = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) {
        ::close(fd);
        return false;
    }
    m_fd = fd;
    return true;
}

}  // namespace lumo::scanner
