#include "engine/runtime/EngineSettings.h"

#include <algorithm>
#include <cctype>

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
    return s;
}

std::filesystem::path EngineSettings::feedFolder() const {
    return sensorFeed.empty() ? defaultFeedFolder() : std::filesystem::path(sensorFeed);
}

}  // namespace lumo::engine
