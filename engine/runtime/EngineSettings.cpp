#include "engine/runtime/EngineSettings.h"

#include <algorithm>
#include <cctype>
#include <system_error>

#include "engine/sensor/SensorFeed.h"
#include "platform/registry/Registry.h"

namespace lumo::engine {

namespace {

std::string trimmed(std::string text) {
    auto blank = [](unsigned char c) { return std::isspace(c) != 0; };
    text.erase(text.begin(), std::find_if_not(text.begin(), text.end(), blank));
    text.erase(std::find_if_not(text.rbegin(), text.rend(), blank).base(), text.end());
    return text;
}

std::string lowered(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::string value(const std::string& name) {
    return trimmed(
        registry::readValue(registry::Root::LocalMachine, EngineSettings::kRegistryKey, name)
            .value_or(std::string()));
}

}  // namespace

EngineSettings EngineSettings::fromRegistry() {
    EngineSettings s;
    if (std::string v = lowered(value("Sensor")); !v.empty()) s.sensor = v;
    s.sensorFeed = value("SensorFeed");
    s.sensorSN = value("SensorSN");
    if (std::string v = lowered(value("CardModule")); !v.empty()) s.cardModule = v;
    s.cardDump = value("CardDump");
    if (std::string v = lowered(value("ScannerWindow")); !v.empty()) s.scannerWindow = v;
    s.scannerGallery = value("ScannerGallery");
    s.cardShelf = value("CardShelf");
    return s;
}

namespace {

std::filesystem::path absoluteFolder(const std::string& setting, const char* fallback) {
    const std::filesystem::path folder =
        setting.empty() ? std::filesystem::path(fallback) : std::filesystem::path(setting);
    std::error_code ec;
    const std::filesystem::path full = std::filesystem::absolute(folder, ec);
    return ec ? folder : full.lexically_normal();
}

}  // namespace

std::filesystem::path EngineSettings::galleryFolder() const {
    return absoluteFolder(scannerGallery, "fingers");
}

std::filesystem::path EngineSettings::cardShelfFolder() const {
    return absoluteFolder(cardShelf, "cards");
}

std::filesystem::path EngineSettings::feedFolder() const {
    return sensorFeed.empty() ? defaultFeedFolder() : std::filesystem::path(sensorFeed);
}

}  // namespace lumo::engine
