#include "engine/sensor/SensorFeed.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <regex>
#include <system_error>
#include <vector>

#include "engine/sensor/ISensor.h"

namespace fs = std::filesystem;

namespace lumo::engine {

fs::path defaultFeedFolder() {
    const char* runtimeDir = std::getenv("XDG_RUNTIME_DIR");
    if (runtimeDir && *runtimeDir) return fs::path(runtimeDir) / "lumo-sensor" / "feed";
    std::error_code ec;
    fs::path temp = fs::temp_directory_path(ec);
    if (ec) temp = "/tmp";
    return temp / ("lumo-sensor-" + std::to_string(::getuid())) / "feed";
}

void ensureFeedFolder(const fs::path& folder) {
    if (folder.empty()) throw SensorError("The sensor feed folder is not set");
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec || !fs::is_directory(folder)) {
        throw SensorError("Cannot create the sensor feed folder " + folder.string() + ": " +
                          (ec ? ec.message() : std::string("a file of that name is in the way")));
    }
}

int feedFileDpi(const std::string& fileName) {
    static const std::regex pattern(R"([-.](\d{1,5})dpi\.[^.]+$)", std::regex::icase);
    std::smatch m;
    if (!std::regex_search(fileName, m, pattern)) return 0;
    return std::stoi(m[1].str());
}

namespace {

std::vector<char> readWholeFile(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        throw SensorError("Cannot read the image file " + file.string() + ": " +
                          std::strerror(errno));
    }
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) throw SensorError("Cannot read the image file " + file.string());
    return bytes;
}

void writeAll(int fd, const std::vector<char>& bytes, const fs::path& file) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) throw SensorError("Cannot write " + file.string() + ": " + std::strerror(errno));
        done += static_cast<std::size_t>(n);
    }
}

}  // namespace

fs::path dropIntoFeed(const fs::path& folder, const fs::path& imageFile, int dpi) {
    ensureFeedFolder(folder);
    const std::vector<char> bytes = readWholeFile(imageFile);

    // Nanoseconds since the epoch, zero-padded, keep drops of one machine in order; the
    // process id and a counter keep two drops of one moment apart.
    static std::atomic<unsigned> counter{0};
    const auto now = std::chrono::duration_cast<std::chrono::nanoseconds>(
                         std::chrono::system_clock::now().time_since_epoch())
                         .count();
    char stamp[64];
    std::snprintf(stamp, sizeof stamp, "press-%020lld-%d-%u", static_cast<long long>(now),
                  static_cast<int>(::getpid()), counter++);
    std::string name = stamp;
    if (dpi > 0) name += "-" + std::to_string(dpi) + "dpi";
    std::string extension = imageFile.extension().string();
    if (extension.empty()) extension = ".img";
    name += extension;

    const fs::path finalPath = folder / name;
    const fs::path partPath = folder / ("." + name + ".part");
    int fd = ::open(partPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) {
        throw SensorError("Cannot write into the sensor feed folder " + folder.string() + ": " +
                          std::strerror(errno));
    }
    try {
        writeAll(fd, bytes, partPath);
        if (::fsync(fd) != 0) throw SensorError("Cannot write " + partPath.string());
    } catch (...) {
        ::close(fd);
        ::unlink(partPath.c_str());
        throw;
    }
    ::close(fd);
    if (::rename(partPath.c_str(), finalPath.c_str()) != 0) {
        const int err = errno;
        ::unlink(partPath.c_str());
        throw SensorError("Cannot place the press in " + folder.string() + ": " +
                          std::strerror(err));
    }
    return finalPath;
}

}  // namespace lumo::engine
