#include "platform/win/SingleInstanceLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <system_error>
#include <utility>

namespace lumo::win {

namespace {

std::filesystem::path lockPathFor(const std::string& name) {
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime != nullptr && *runtime)
        return std::filesystem::path(runtime) / name;
    std::error_code ec;
    std::filesystem::path temp = std::filesystem::temp_directory_path(ec);
    if (ec) temp = "/tmp";
    return temp / (name + "-" + std::to_string(::getuid()));
}

}  // namespace

SingleInstanceLock::SingleInstanceLock(std::string name) : m_path(lockPathFor(name)) {}

SingleInstanceLock::SingleInstanceLock(OnFile, std::filesystem::path lockFile)
    : m_path(std::move(lockFile)) {}

SingleInstanceLock SingleInstanceLock::onFile(std::filesystem::path lockFile) {
    return SingleInstanceLock(OnFile{}, std::move(lockFile));
}

SingleInstanceLock::~SingleInstanceLock() { release(); }

bool SingleInstanceLock::tryAcquire() {
    if (m_fd >= 0) return true;
    int fd = ::open(m_path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return true;
    int rc;
    do {
        rc = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) {
        bool busy = errno == EWOULDBLOCK;
        ::close(fd);
        return !busy;
    }
    m_fd = fd;
    return true;
}

void SingleInstanceLock::release() {
    // The file stays: removing it would let a newcomer lock a fresh file while an older
    // process still holds the unlinked one.
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

}  // namespace lumo::win
