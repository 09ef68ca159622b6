// lumoscanner: the virtual scanner window, a stand-in for a fingerprint scanner and a card
// reader on a machine without them (see engine/scannerwindow/ScannerWindow.h).
//
//     lumoscanner [--feed DIR] [--gallery DIR] [--cards DIR] [--parent-pid PID]
//
// --feed     the virtual sensor's feed folder (default: the engine setting SensorFeed or its
//            default); the window follows the sensor state file beside it
// --gallery  sample finger images, one folder per finger (default: the engine setting
//            ScannerGallery, else "fingers" in the working folder)
// --cards    the card shelf, *.mfd dumps (default: the engine setting CardShelf, else "cards"
//            in the working folder)
// --parent-pid  the program that started the window: the window ends when that program has
//            ended and no other live program holds the virtual sensor open
//
// One window per feed folder: a second start while one runs exits at once with status 0. The
// engine starts it by itself when its virtual sensor opens on a display (the engine setting
// ScannerWindow: auto, show, hide or off). Closing the window ends it.
//
// Exit status: 0 closed, ended with its program, or another window runs; 2 usage error.
#include <QApplication>
#include <QTimer>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <string>

#include "engine/runtime/EngineSettings.h"
#include "engine/scannerwindow/ScannerLock.h"
#include "engine/scannerwindow/ScannerWindow.h"
#include "engine/sensor/SensorState.h"

namespace {

constexpr const char* kUsage =
    "usage: lumoscanner [--feed DIR] [--gallery DIR] [--cards DIR] [--parent-pid PID]\n"
    "shows the virtual fingerprint scanner and card reader of programs using the\n"
    "virtual sensor\n";

struct Arguments {
    std::string feed, gallery, cards;
    long parentPid = 0;
};

std::optional<Arguments> parse(int argc, char* argv[]) {
    Arguments a;
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        if (i + 1 >= argc) return std::nullopt;
        const std::string value = argv[++i];
        if (option == "--feed") {
            a.feed = value;
        } else if (option == "--gallery") {
            a.gallery = value;
        } else if (option == "--cards") {
            a.cards = value;
        } else if (option == "--parent-pid") {
            char* end = nullptr;
            a.parentPid = std::strtol(value.c_str(), &end, 10);
            if (value.empty() || *end != '\0' || a.parentPid <= 0) return std::nullopt;
        } else {
            return std::nullopt;
        }
    }
    return a;
}

}  // namespace

int main(int argc, char* argv[]) {
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--help" || a == "-h") {
            std::cout << kUsage;
            return 0;
        }
    }
    const auto arguments = parse(argc, argv);
    if (!arguments) {
        std::cerr << kUsage;
        return 2;
    }

    lumo::engine::EngineSettings settings;
    try {
        settings = lumo::engine::EngineSettings::fromRegistry();
    } catch (const std::exception& e) {
        std::cerr << "lumoscanner: " << e.what() << "\n";  // the defaults then
    }
    lumo::scanner::ScannerFolders folders;
    folders.feed =
        arguments->feed.empty() ? settings.feedFolder() : std::filesystem::path(arguments->feed);
    if (!arguments->gallery.empty()) settings.scannerGallery = arguments->gallery;
    if (!arguments->cards.empty()) settings.cardShelf = arguments->cards;
    folders.gallery = settings.galleryFolder();
    folders.cards = settings.cardShelfFolder();

    lumo::win::SingleInstanceLock lock = lumo::scanner::scannerLock(folders.feed);
    if (!lock.tryAcquire()) return 0;  // a window for this feed folder runs already

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("lumoscanner"));
    lumo::scanner::ScannerWindow window(folders);
    QObject::connect(&window, &lumo::scanner::ScannerWindow::closed, &app, &QApplication::quit);

    QTimer parentWatch;
    if (arguments->parentPid > 0) {
        const long parent = arguments->parentPid;
        const unsigned long long parentStart = lumo::engine::processStartTime(parent);
        const auto stateFile = lumo::engine::sensorStateFile(folders.feed);
        QObject::connect(&parentWatch, &QTimer::timeout, &app, [=, &app] {
            if (lumo::engine::processAlive(parent, parentStart)) return;
            if (lumo::engine::liveSensorState(stateFile).open) return;  // another program
            app.quit();
        });
        parentWatch.start(500);
        if (!lumo::engine::processAlive(parent, parentStart)) return 0;
    }

    window.show();
    return app.exec();
}
