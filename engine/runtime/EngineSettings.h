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
//   ScannerWindow  the virtual scanner window (tools/lumoscanner), a process of its own that
//               shows sample fingers to press, the sensor's lights and the simulated card:
//               "auto" (default) starts it when the virtual sensor opens on a real display
//               (not the offscreen or minimal Qt platform), "show" starts it also then,
//               "hide" or "off" never; see ScannerWindowStarter.h
//   ScannerGallery the folder of sample finger images the window shows (default: "fingers" in
//               the working folder): one subfolder per finger, named after it
//   CardShelf   the folder of card dumps (*.mfd) the window offers (default: "cards" in the
//               working folder)
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
    std::string scannerWindow = "auto";
    std::string scannerGallery;
    std::string cardShelf;

    static EngineSettings fromRegistry();

    // SensorFeed when set, else the default feed folder.
    std::filesystem::path feedFolder() const;
    // ScannerGallery and CardShelf as absolute paths (relative ones from the working folder).
    std::filesystem::path galleryFolder() const;
    std::filesystem::path cardShelfFolder() const;
};

}  // namespace lumo::engine
