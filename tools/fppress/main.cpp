// fppress: presses a fingerprint image on the virtual sensor of a running program.
//
//     fppress IMAGE [DPI]
//
// The image is checked (it must be a fingerprint image the engine can read) and dropped into
// the virtual sensor's feed folder, which comes from the engine setting SensorFeed in the
// registry layer or its default, the same place the running program looks. The drop is atomic:
// the program never sees half an image. A press that no program takes waits in the folder
// until a program starts its sensor. DPI (100 to 2000) overrides the image file's resolution.
//
// Exit status: 0 pressed, 1 the image or the folder failed, 2 usage error.
#include <QCoreApplication>
#include <cstdlib>
#include <iostream>
#include <string>

#include "engine/image/ImageLoader.h"
#include "engine/runtime/EngineSettings.h"
#include "engine/sensor/SensorFeed.h"

namespace {

constexpr const char* kUsage =
    "usage: fppress IMAGE [DPI]\n"
    "presses IMAGE (BMP, PNG, JPEG, TIFF or PGM) on the virtual fingerprint sensor;\n"
    "DPI (100 to 2000) overrides the resolution stored in the file\n";

bool parseDpi(const std::string& text, int& dpi) {
    if (text.empty() || text.size() > 5) return false;
    for (char c : text)
        if (c < '0' || c > '9') return false;
    dpi = std::stoi(text);
    return dpi >= 100 && dpi <= 2000;
}

void quietQt(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::cerr << "qt: " << message.toStdString() << std::endl;
}

}  // namespace

int main(int argc, char* argv[]) {
    qInstallMessageHandler(quietQt);
    QCoreApplication app(argc, argv);  // image plugins are found through it
    if (argc >= 2 && (std::string(argv[1]) == "--help" || std::string(argv[1]) == "-h")) {
        std::cout << kUsage;
        return 0;
    }
    if (argc < 2 || argc > 3) {
        std::cerr << kUsage;
        return 2;
    }
    const std::string image = argv[1];
    int dpi = 0;
    if (argc == 3 && !parseDpi(argv[2], dpi)) {
        std::cerr << "fppress: the resolution must be a number of dots per inch from 100 to "
                     "2000, not \""
                  << argv[2] << "\"\n";
        return 2;
    }
    try {
        lumo::engine::loadImage(image, dpi);  // a clear error now rather than a failed press
        const lumo::engine::EngineSettings settings = lumo::engine::EngineSettings::fromRegistry();
        if (settings.sensor != "virtual") {
            std::cerr << "fppress: warning: the engine setting Sensor is \"" << settings.sensor
                      << "\": programs do not use the virtual sensor\n";
        }
        const auto dropped = lumo::engine::dropIntoFeed(settings.feedFolder(), image, dpi);
        std::cout << "pressed " << image << " (" << dropped.string() << ")\n";
        return 0;
    } catch (const std::exception& e) {
        std::cerr << "fppress: " << e.what() << "\n";
        return 1;
    }
}
