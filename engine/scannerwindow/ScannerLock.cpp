#include "engine/scannerwindow/ScannerLock.h"

#include <system_error>

#include "engine/sensor/SensorState.h"

namespace fs = std::filesystem;

namespace lumo::scanner {

fs::path scannerLockFile(const fs::path& feedFolder) {
    fs::path file = engine::sensorStateFile(feedFolder);
    file.replace_extension(".scanner-lock");
    return file;
}

win::SingleInstanceLock scannerLock(const fs::path& feedFolder) {
    const fs::path file = scannerLockFile(feedFolder);
    std::error_code ec;
    if (!file.parent_path().empty()) fs::create_directories(file.parent_path(), ec);
    return win::SingleInstanceLock::onFile(file);
}

}  // namespace lumo::scanner
