// scanner_screenshot OUTPUT.png: a picture of the virtual scanner window as a person sees it:
// three sample fingers, the scanner in use with the green light on, two cards on the shelf and
// one of them on the reader. Everything lies in a temporary folder (feed, gallery, cards,
// registry), so no running program is disturbed. Runs on the offscreen platform with fontconfig
// (see virtual-scanner.sh).
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>
#include <cstdlib>

#include "engine/scannerwindow/CardShelf.h"
#include "engine/scannerwindow/ScannerWindow.h"
#include "engine/sensor/SensorState.h"

namespace fs = std::filesystem;
using namespace lumo::scanner;

int main(int argc, char* argv[]) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: scanner_screenshot OUTPUT.png\n");
        return 2;
    }
    QTemporaryDir temp;
    if (!temp.isValid()) return 1;
    const fs::path root = temp.path().toStdString();
    ::setenv("LUMO_REGISTRY", (root / "registry").c_str(), 1);
    QApplication app(argc, argv);

    const QString prints = QStringLiteral(LUMO_SHARED_DATA_DIR "/fingerprints/fvc2002_db4_b/");
    const struct {
        const char* finger;
        const char* print;
        int count;
    } fingers[] = {{"Anna - right index", "101", 3},
                   {"Ben - left thumb", "102", 3},
                   {"Chris - right middle", "103", 2}};
    for (const auto& f : fingers) {
        const QString folder = QString::fromStdString((root / "fingers" / f.finger).string());
        QDir().mkpath(folder);
        for (int i = 1; i <= f.count; ++i) {
            const QString name = QStringLiteral("%1_%2.tif").arg(QLatin1String(f.print)).arg(i);
            if (!QFile::copy(prints + name, folder + "/" + name)) {
                std::fprintf(stderr, "cannot copy %s\n", qPrintable(prints + name));
                return 1;
            }
        }
    }
    const fs::path cards = root / "cards";
    createBlankCard(cards, CardUid{0x4E, 0x21, 0x9A, 0x37});
    const fs::path onReader = createBlankCard(cards, CardUid{0xC3, 0x05, 0x7B, 0xE2});
    putCardOnReader(onReader);

    const fs::path feed = root / "feed";
    lumo::engine::SensorSignals lights;
    lights.greenLight = true;
    lumo::engine::writeSensorState(lumo::engine::sensorStateFile(feed),
                                   lumo::engine::ownSensorState(true, lights));

    ScannerWindow window({feed, root / "fingers", cards});
    window.show();
    window.refreshSensor();
    window.refreshCards();
    window.pressImage(1);
    QTest::qWait(200);
    const bool ok = window.grab().save(QString::fromLocal8Bit(argv[1]));
    std::printf("%s %s\n", ok ? "wrote" : "FAILED", argv[1]);
    return ok ? 0 : 1;
}
