// Pictures of the capture dialogs for a person to look at:
//
//   dialog_screenshots OUTPUT_FOLDER [FINGERPRINT_IMAGE]
//
// register-waiting.png    enrollment dialog as it opens, finger 2 already enrolled
// register-enrolling.png  enrollment of finger 7 after two good presses, the image in its frame
// register-poor.png       the same after a poor press (red cross)
// check-waiting.png       verification dialog waiting for a finger
// check-image.png         verification dialog with the captured image
//
// Runs on the offscreen platform with fontconfig, so no display is needed; the engine is the
// scripted test double, drawing the given fingerprint image (or a drawn one) as its image.
#include <QApplication>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QTimer>
#include <cmath>
#include <cstdio>

#include "control/dialogs/Check.h"
#include "control/dialogs/HandMap.h"
#include "control/dialogs/ImgFinger.h"
#include "control/dialogs/Register.h"
#include "control/dialogs/Sound.h"
#include "control/language/LangStr.h"
#include "platform/win/RecordingWavePlayer.h"
#include "platform/win/ScopedWavePlayer.h"
#include "tests/support/control/RecordingPresenter.h"
#include "tests/support/engine/ScriptedEngine.h"

namespace {

using namespace lumo;

// Concentric ridges, for when no fingerprint image is given or it cannot be read.
QImage drawnPrint() {
    QImage image(288, 384, QImage::Format_Grayscale8);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const double dx = (x - 144) / 1.0, dy = (y - 200) / 1.25;
            const double r = std::sqrt(dx * dx + dy * dy);
            const double ridge = 0.5 + 0.5 * std::sin(r / 3.2 + 0.4 * std::sin(x / 40.0));
            const double edge = std::clamp((150 - r) / 25.0, 0.0, 1.0);
            image.setPixel(x, y, qRgb(0, 0, 0));
            reinterpret_cast<uchar*>(image.scanLine(y))[x] =
                uchar(255 - std::lround(200 * ridge * edge));
        }
    return image;
}

class PictureEngine : public test::ScriptedEngine {
public:
    explicit PictureEngine(QImage print) : m_print(std::move(print)) {}
    void DrawImage(QPainter* painter, int x, int y, int width, int height) override {
        ScriptedEngine::DrawImage(painter, x, y, width, height);
        painter->drawImage(QRect(x, y, width, height), m_print);
    }

private:
    QImage m_print;
};

bool save(QWidget& widget, const QDir& dir, const char* name) {
    QApplication::processEvents();
    const bool ok = widget.grab().save(dir.filePath(QString::fromLatin1(name)));
    std::printf("%s %s\n", ok ? "wrote" : "FAILED",
                qPrintable(dir.filePath(QString::fromLatin1(name))));
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (qgetenv("QT_QPA_PLATFORM").isEmpty() || qgetenv("QT_QPA_PLATFORM") == "offscreen")
        qputenv("QT_QPA_PLATFORM", "offscreen:fontconfig");
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: dialog_screenshots OUTPUT_FOLDER [FINGERPRINT_IMAGE]\n");
        return 2;
    }
    QDir dir(QString::fromLocal8Bit(argv[1]));
    dir.mkpath(QStringLiteral("."));
    QImage print = argc > 2 ? QImage(QString::fromLocal8Bit(argv[2])) : QImage();
    if (print.isNull()) print = drawnPrint();

    language::loadMessages("/nonexistent/lumo.none");  // the English defaults
    auto silence = std::make_shared<win::RecordingWavePlayer>();
    win::ScopedWavePlayer soundScope(silence);
    dialogs::ScopedDelay noPauses;
    test::RecordingPresenter boxes;
    PictureEngine engine(print);
    engine.active = true;
    engine.enrollCount = 4;
    bool ok = true;

    {
        dialogs::TFMRegister dialog(nullptr, boxes);
        dialog.setEngine(&engine);
        dialog.PrepareEngine();
        dialog.ShowFingerFlags("0100000000");
        engine.isRegister = true;
        dialog.show();
        ok &= save(dialog, dir, "register-waiting.png");

        dialog.ImgFinger()->setCurFinger(7);
        dialog.ImgFinger()->setCurColor(QColor(255, 255, 255));
        dialog.ImgFingerClick();
        for (int index : {4, 3}) {
            engine.enrollIndex = index;
            engine.fireImageReceived(true);
            engine.fireFeatureInfo(0);
        }
        engine.enrollIndex = 2;
        engine.fireImageReceived(true);
        ok &= save(dialog, dir, "register-enrolling.png");
        noPauses.onDelay = [&](std::uint32_t) { ok &= save(dialog, dir, "register-poor.png"); };
        engine.fireFeatureInfo(4);
        noPauses.onDelay = nullptr;
        dialog.close();
    }
    {
        engine.isRegister = false;
        dialogs::TFMCheck dialog(nullptr, boxes);
        dialog.setEngine(&engine);
        dialog.PrepareEngine();
        dialog.VerifyMode = false;
        dialog.ConnectEvents();
        dialog.show();
        ok &= save(dialog, dir, "check-waiting.png");
        noPauses.onDelay = [&](std::uint32_t) { ok &= save(dialog, dir, "check-image.png"); };
        engine.fireImageReceived(true);
        noPauses.onDelay = nullptr;
        dialog.close();
    }
    return ok ? 0 : 1;
}
