// EngineSettings: the engine's settings in the registry layer, key
// HKEY_LOCAL_MACHINE\SOFTWARE\FPEngine. Every value is optional; a missing or empty one takes
// its default, so an installation needs none of them.
//
//   Sensor      "virtual" (default), "none" (no scanner), "nodriver" (driver missing),
//               "libfprint" (real scanners; not in this build: reported as a missing driver)
//   SensorFeed  the virtual sensor's feed folder (default: see defaultFeedFolder())
//   SensorSN    the serial number the virtual sensor reports
//   CardModule  "simulated" (default), "none", "pcsc" (not in this build: no module)
//   CardDump    the dump file lying on the simulated reader (empty or missing file: no card)
//
// Values are compared without regard to letter case and surrounding blanks. Reading never
// fails for a missing registry file; a registry that cannot be read throws RegistryError.
// Plain value type; any thread.
#pragma once

#include <filesystem>
#include <string>

namespace lumo::engine {

struct EngineSettings {
    static constexpr const char* kRegistryKey = "SOFTWARE\\FPEngine";

    std::string sensor = "virtual";
    std::string sensorFeed;
    std::string sensorSN;
    std::string cardModule = "simulated";
    std::string cardDump;

    static EngineSettings fromRegistry();

    // SensorFeed when set, else the default feed folder.
    std::filesystem::path feedFolder() const;
};

}  // namespace lumo::engine
