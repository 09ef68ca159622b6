#include "platform/registry/Registry.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <system_error>

#include "platform/registry/internal/Hive.h"

namespace lumo::registry {

using internal::Hive;
using internal::HiveKey;

namespace {

namespace fs = std::filesystem;

// Registry files hold a few hundred keys; anything this large is not one of ours.
constexpr std::size_t kMaxFileSize = 64 * 1024 * 1024;

std::string errnoText(const std::string& what, const fs::path& path, int error) {
    return what + " \"" + path.string() + "\": " + std::strerror(error);
}

const char* envValue(const char* name) {
    const char* value = std::getenv(name);
    return (value != nullptr && *value != '\0') ? value : nullptr;
}

fs::path rootFile(Root root) { return registryDir() / (rootName(root) + ".ini"); }

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    ~FileDescriptor() {
        if (m_fd >= 0) ::close(m_fd);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return m_fd; }
    int release() {
        int fd = m_fd;
        m_fd = -1;
        return fd;
    }

private:
    int m_fd;
};

// The file's text; empty when it does not exist. Reads need no lock: writers replace the file
// by rename, so a reader sees either the old or the new file whole.
std::string readFile(const fs::path& path) {
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0) {
        if (errno == ENOENT || errno == ENOTDIR) return {};
        throw RegistryError(errnoText("Cannot open registry file", path, errno));
    }
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode))
        throw RegistryError("Registry file is not a regular file: \"" + path.string() + "\"");
    std::string text;
    char buffer[65536];
    for (;;) {
        ssize_t r = ::read(fd.get(), buffer, sizeof buffer);
        if (r < 0) {
            if (errno == EINTR) continue;
            throw RegistryError(errnoText("Cannot read registry file", path, errno));
        }
        if (r == 0) break;
        if (text.size() + static_cast<std::size_t>(r) > kMaxFileSize)
            throw RegistryError("Registry file too large: \"" + path.string() + "\"");
        text.append(buffer, static_cast<std::size_t>(r));
    }
    return text;
}

Hive readHive(Root root) { return Hive::parse(readFile(rootFile(root))); }

void writeAll(int fd, const std::string& bytes, const fs::path& path) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t w = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (w < 0) {
            if (errno == EINTR) continue;
            throw RegistryError(errnoText("Cannot write registry file", path, errno));
        }
        done += static_cast<std::size_t>(w);
    }
}

// Replaces the file by a complete new one: a crash at any moment leaves the old or the new.
void replaceFile(const fs::path& path, const std::string& bytes) {
    std::string pattern =
        (path.parent_path() / ("." + path.filename().string() + ".XXXXXX")).string();
    FileDescriptor fd(::mkstemp(pattern.data()));
    if (fd.get() < 0) throw RegistryError(errnoText("Cannot write registry file", path, errno));
    fs::path temp = pattern;
    try {
        ::fchmod(fd.get(), 0644);
        writeAll(fd.get(), bytes, path);
        if (::fsync(fd.get()) != 0)
            throw RegistryError(errnoText("Cannot write registry file", path, errno));
        if (::close(fd.release()) != 0)
            throw RegistryError(errnoText("Cannot write registry file", path, errno));
        if (::rename(temp.c_str(), path.c_str()) != 0)
            throw RegistryError(errnoText("Cannot replace registry file", path, errno));
    } catch (...) {
        ::unlink(temp.c_str());
        throw;
    }
}

// Read, change and replace one root file while holding its lock. The lock is a separate file
// so that it survives the rename of the data file. `change` returns false when it changed
// nothing, which spares the write.
void modifyHive(Root root, const std::function<bool(Hive&)>& change) {
    const fs::path dir = registryDir();
    std::error_code ec;
    fs::create_directories(dir, ec);
    if (ec)
        throw RegistryError("Cannot create registry folder \"" + dir.string() +
                            "\": " + ec.message());
    const fs::path lockPath = dir / (rootName(root) + ".lock");
    FileDescriptor lock(::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644));
    if (lock.get() < 0)
        throw RegistryError(errnoText("Cannot open registry lock", lockPath, errno));
    while (::flock(lock.get(), LOCK_EX) != 0) {
        if (errno != EINTR) throw RegistryError(errnoText("Cannot lock registry", lockPath, errno));
    }
    // Closing the descriptor at the end of this scope releases the lock.
    const fs::path file = dir / (rootName(root) + ".ini");
    Hive hive = Hive::parse(readFile(file));
    if (change(hive)) replaceFile(file, hive.serialize());
}

}  // namespace

fs::path registryDir() {
    if (const char* dir = envValue("LUMO_REGISTRY")) return fs::path(dir);
    if (const char* config = envValue("XDG_CONFIG_HOME")) return fs::path(config) / "lumo-registry";
    const char* home = envValue("HOME");
    if (home == nullptr) {
        if (const passwd* pw = ::getpwuid(::getuid()); pw != nullptr && pw->pw_dir != nullptr)
            home = pw->pw_dir;
    }
    if (home == nullptr) throw RegistryError("No home folder for the registry");
    return fs::path(home) / ".config" / "lumo-registry";
}

std::string rootName(Root root) {
    switch (root) {
        case Root::LocalMachine:
            return "HKEY_LOCAL_MACHINE";
        case Root::ClassesRoot:
            return "HKEY_CLASSES_ROOT";
        case Root::CurrentUser:
            return "HKEY_CURRENT_USER";
    }
    throw RegistryError("Unknown registry root");
}

bool keyExists(Root root, const std::string& keyPath) {
    return readHive(root).exists(Hive::splitPath(keyPath));
}

void createKey(Root root, const std::string& keyPath) {
    auto parts = Hive::splitPath(keyPath);
    modifyHive(root, [&](Hive& hive) {
        // A key that has only subkeys in the file exists already and needs no header.
        if (hive.exists(parts)) return false;
        hive.create(parts);
        return true;
    });
}

void deleteKeyTree(Root root, const std::string& keyPath) {
    auto parts = Hive::splitPath(keyPath);
    if (parts.empty()) throw RegistryError("A root key cannot be deleted");
    if (!keyExists(root, keyPath)) return;
    modifyHive(root, [&](Hive& hive) { return hive.removeTree(parts); });
}

std::vector<std::string> subKeys(Root root, const std::string& keyPath) {
    return readHive(root).subKeys(Hive::splitPath(keyPath));
}

std::optional<std::string> readValue(Root root, const std::string& keyPath,
                                     const std::string& name) {
    Hive hive = readHive(root);
    const HiveKey* key = hive.find(Hive::splitPath(keyPath));
    if (key == nullptr) return std::nullopt;
    const auto* value = Hive::findValue(*key, name);
    if (value == nullptr) return std::nullopt;
    return value->data;
}

void writeValue(Root root, const std::string& keyPath, const std::string& name,
                const std::string& value) {
    auto parts = Hive::splitPath(keyPath);
    modifyHive(root, [&](Hive& hive) {
        HiveKey& key = hive.create(parts);
        const auto* old = Hive::findValue(key, name);
        if (old != nullptr && old->data == value) return false;
        Hive::setValue(key, name, value);
        return true;
    });
}

void deleteValue(Root root, const std::string& keyPath, const std::string& name) {
    auto parts = Hive::splitPath(keyPath);
    if (readValue(root, keyPath, name) == std::nullopt) return;
    modifyHive(root, [&](Hive& hive) {
        HiveKey* key = hive.find(parts);
        return key != nullptr && Hive::removeValue(*key, name);
    });
}

}  // namespace lumo::registry
