#include "engine/sensor/SensorState.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>
#include <system_error>

#include "engine/sensor/ISensor.h"

namespace fs = std::filesystem;

namespace lumo::engine {

fs::path sensorStateFile(const fs::path& feedFolder) {
    fs::path folder = feedFolder.lexically_normal();
    if (folder.has_relative_path() && folder.filename().empty()) folder = folder.parent_path();
    return folder.parent_path() / (folder.filename().string() + ".state");
}

unsigned long long processStartTime(long pid) {
    if (pid <= 0) return 0;
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    if (!in) return 0;
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    // "pid (comm) state ppid ...": comm may hold blanks and parentheses, so fields are
    // counted from the last ")". The start time is field 22, the 20th after it.
    const auto close = text.rfind(')');
    if (close == std::string::npos) return 0;
    std::istringstream fields(text.substr(close + 1));
    std::string field;
    for (int i = 3; i <= 22; ++i) {
        if (!(fields >> field)) return 0;
    }
    try {
        return std::stoull(field);
    } catch (...) {
        return 0;
    }
}

bool processAlive(long pid, unsigned long long startTime) {
    if (pid <= 0) return false;
    if (::kill(static_cast<pid_t>(pid), 0) != 0 && errno != EPERM) return false;
    if (startTime == 0) return true;
    const unsigned long long now = processStartTime(pid);
    // Without /proc the pid alone must do.
    return now == 0 || now == startTime;
}

SensorState ownSensorState(bool open, const SensorSignals& sensorSignals) {
    SensorState s;
    s.pid = static_cast<long>(::getpid());
    s.startTime = processStartTime(s.pid);
    s.open = open;
    s.sensorSignals = sensorSignals;
    return s;
}

std::string formatSensorState(const SensorState& s) {
    std::ostringstream out;
    out << "pid=" << s.pid << "\n"
        << "start=" << s.startTime << "\n"
        << "open=" << (s.open ? 1 : 0) << "\n"
        << "green=" << (s.sensorSignals.greenLight ? 1 : 0) << "\n"
        << "red=" << (s.sensorSignals.redLight ? 1 : 0) << "\n"
        << "beeper=" << (s.sensorSignals.beeper ? 1 : 0) << "\n";
    return out.str();
}

std::optional<SensorState> parseSensorState(const std::string& text) {
    SensorState s;
    bool havePid = false;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const auto eq = line.find('=');
        if (eq == std::string::npos) continue;
        const std::string key = line.substr(0, eq);
        const std::string value = line.substr(eq + 1);
        try {
            if (key == "pid") {
                s.pid = std::stol(value);
                havePid = s.pid > 0;
            } else if (key == "start") {
                s.startTime = std::stoull(value);
            } else if (key == "open") {
                s.open = value == "1";
            } else if (key == "green") {
                s.sensorSignals.greenLight = value == "1";
            } else if (key == "red") {
                s.sensorSignals.redLight = value == "1";
            } else if (key == "beeper") {
                s.sensorSignals.beeper = value == "1";
            }
        } catch (...) {
            // A garbled number: the line is skipped like any unknown line.
        }
    }
    if (!havePid) return std::nullopt;
    return s;
}

void writeSensorState(const fs::path& file, const SensorState& state) {
    std::error_code ec;
    if (!file.parent_path().empty()) fs::create_directories(file.parent_path(), ec);
    static std::atomic<unsigned> counter{0};
    const fs::path part =
        file.parent_path() / ("." + file.filename().string() + "." + std::to_string(::getpid()) +
                              "." + std::to_string(counter++) + ".part");
    const std::string text = formatSensorState(state);
    const int fd = ::open(part.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) {
        throw SensorError("Cannot write the sensor state " + file.string() + ": " +
                          std::strerror(errno));
    }
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            const int err = errno;
            ::close(fd);
            ::unlink(part.c_str());
            throw SensorError("Cannot write the sensor state " + file.string() + ": " +
                              std::strerror(err));
        }
        done += static_cast<std::size_t>(n);
    }
    ::close(fd);
    if (::rename(part.c_str(), file.c_str()) != 0) {
        const int err = errno;
        ::unlink(part.c_str());
        throw SensorError("Cannot replace the sensor state " + file.string() + ": " +
                          std::strerror(err));
    }
}

std::optional<SensorState> readSensorState(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return std::nullopt;
    std::string text;
    // The file is a few dozen bytes; anything much larger is not ours.
    char buffer[1024];
    in.read(buffer, sizeof buffer);
    text.assign(buffer, static_cast<std::size_t>(in.gcount()));
    return parseSensorState(text);
}

SensorState liveSensorState(const fs::path& file) {
    auto state = readSensorState(file);
    if (!state) return {};
    if (!processAlive(state->pid, state->startTime)) {
        SensorState closed;
        closed.pid = state->pid;
        closed.startTime = state->startTime;
        return closed;
    }
    if (!state->open) state->sensorSignals = {};
    return *state;
}

}  // namespace lumo::engine
