#include "engine/sensor/VirtualSensor.h"

#include <QTimer>
#include <QtGlobal>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <system_error>
#include <vector>

#include "engine/IFPEngine.h"
#include "engine/image/ImageLoader.h"
#include "engine/sensor/SensorFeed.h"

namespace fs = std::filesystem;

namespace lumo::engine {

VirtualSensor::VirtualSensor(Options options) : m_options(std::move(options)) {
    if (m_options.feedFolder.empty()) m_options.feedFolder = defaultFeedFolder();
    if (m_options.serialNumber.empty()) m_options.serialNumber = kDefaultSerialNumber;
    if (m_options.pollIntervalMs <= 0) m_options.pollIntervalMs = 100;
    m_stateFile = sensorStateFile(m_options.feedFolder);
}

VirtualSensor::~VirtualSensor() {
    if (!m_open) return;
    m_open = false;
    m_signals = {};
    publishState();
}

int VirtualSensor::open() {
    if (m_open) return StartOk;
    ensureFeedFolder(m_options.feedFolder);
    if (!m_timer) {
        m_timer = std::make_unique<QTimer>();
        m_timer->setInterval(m_options.pollIntervalMs);
        QObject::connect(m_timer.get(), &QTimer::timeout, [this] { poll(); });
    }
    m_lastLook.clear();
    m_timer->start();
    m_open = true;
    publishState();
    return StartOk;
}

void VirtualSensor::close() {
    if (m_timer) m_timer->stop();
    m_takeScheduled = false;
    const bool wasOpen = m_open;
    m_open = false;
    const bool signalsChanged = m_signals != SensorSignals{};
    m_signals = {};
    if (wasOpen) publishState();
    if (signalsChanged) {
        if (auto handler = onSignalsChanged) handler(m_signals);
    }
}

int VirtualSensor::signal(int code, bool on) {
    if (!m_open) return 0;
    SensorSignals next = m_signals;
    switch (code) {
        case SignalGreenLight:
            next.greenLight = on;
            break;
        case SignalRedLight:
            next.redLight = on;
            break;
        case SignalBeeper:
            next.beeper = on;
            break;
        default:
            return 0;
    }
    if (next != m_signals) {
        m_signals = next;
        publishState();
        if (auto handler = onSignalsChanged) handler(m_signals);
    }
    return 1;
}

void VirtualSensor::publishState() {
    const SensorState state = ownSensorState(m_open, m_signals);
    if (!m_open) {
        // Someone else opened a sensor on this folder since: their state stays.
        const auto current = readSensorState(m_stateFile);
        if (current && current->pid != state.pid && current->open &&
            processAlive(current->pid, current->startTime))
            return;
    }
    try {
        writeSensorState(m_stateFile, state);
    } catch (const std::exception& e) {
        static bool warned = false;
        if (!warned) qWarning("virtual sensor: %s", e.what());
        warned = true;
    }
}

bool VirtualSensor::press(const GrayImage& image, const std::string& source) {
    if (!m_open) return false;
    SensorPress p;
    p.image = image;
    p.source = source;
    deliver(p);
    return true;
}

bool VirtualSensor::pressFile(const fs::path& file, int dpi) {
    if (!m_open) return false;
    SensorPress p;
    p.source = file.string();
    try {
        p.image = loadImage(file.string(), dpi);
    } catch (const std::exception& e) {
        p.error = e.what();
    }
    deliver(p);
    return true;
}

bool VirtualSensor::takeNextFeedFile() {
    if (!m_open || m_delivering) return false;
    const fs::path file = nextFeedFile(false);
    return !file.empty() && takeFeedFile(file);
}

void VirtualSensor::poll() {
    if (!m_open || m_delivering || m_takeScheduled) return;
    const fs::path file = nextFeedFile(true);
    if (file.empty()) return;
    // The press is delivered from a posted call, not from inside the timer's own activation:
    // Qt does not fire timers in loops nested inside a timer activation, so a handler that
    // waits on a timer of its own (a pause, a modal box) would wait for ever.
    m_takeScheduled = true;
    QMetaObject::invokeMethod(
        m_timer.get(),
        [this, file] {
            m_takeScheduled = false;
            if (m_open && !m_delivering) takeFeedFile(file);
        },
        Qt::QueuedConnection);
}

fs::path VirtualSensor::nextFeedFile(bool settled) {
    std::error_code ec;
    std::vector<fs::path> files;
    for (fs::directory_iterator it(m_options.feedFolder, ec), end; !ec && it != end;
         it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.empty() || name[0] == '.' || m_stuck.count(name)) continue;
        std::error_code typeError;
        if (!it->is_regular_file(typeError)) continue;
        files.push_back(it->path());
    }
    std::sort(files.begin(), files.end());

    std::map<std::string, std::pair<std::uintmax_t, long long>> look;
    fs::path chosen;
    for (const fs::path& file : files) {
        std::error_code statError;
        const auto size = fs::file_size(file, statError);
        const auto time = fs::last_write_time(file, statError);
        if (statError) continue;
        const auto stamp =
            std::make_pair(size, static_cast<long long>(time.time_since_epoch().count()));
        const std::string name = file.filename().string();
        look[name] = stamp;
        if (chosen.empty()) {
            auto before = m_lastLook.find(name);
            if (!settled || (before != m_lastLook.end() && before->second == stamp)) chosen = file;
            // The first file in order goes first: a later one that settled earlier waits.
            if (settled && chosen.empty()) break;
        }
    }
    m_lastLook = std::move(look);
    return chosen;
}

bool VirtualSensor::takeFeedFile(const fs::path& file) {
    SensorPress p;
    p.source = file.string();
    std::vector<std::uint8_t> bytes;
    {
        std::ifstream in(file, std::ios::binary);
        if (!in) return false;  // taken away meanwhile
        bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        if (in.bad()) {
            p.error = "Cannot read the press file " + file.string();
            bytes.clear();
        }
    }
    std::error_code ec;
    fs::remove(file, ec);
    if (ec) m_stuck.insert(file.filename().string());
    m_lastLook.erase(file.filename().string());

    if (p.error.empty()) {
        try {
            p.image = decodeImage(bytes, feedFileDpi(file.filename().string()), file.string());
        } catch (const std::exception& e) {
            p.error = e.what();
        }
    }
    deliver(p);
    return true;
}

void VirtualSensor::deliver(const SensorPress& press) {
    const bool outer = !m_delivering;
    m_delivering = true;
    try {
        if (auto handler = onPress) handler(press);
    } catch (...) {
        if (outer) m_delivering = false;
        throw;
    }
    if (outer) m_delivering = false;
}

}  // namespace lumo::engine
