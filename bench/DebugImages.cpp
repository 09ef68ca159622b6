#include "DebugImages.h"

#include <QImage>
#include <QPainter>
#include <QPen>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <iostream>
#include <stdexcept>

#include "engine/extract/Extractor.h"
#include "engine/extract/ImageQuality.h"
#include "engine/image/ImageLoader.h"

namespace lumo::bench {
namespace {

using namespace lumo::engine;

class Recorder : public ExtractObserver {
public:
    GrayImage input;
    FloatPlane normalized, period, enhanced;
    OrientationField orientation;
    Mask mask;
    BytePlane binary, skeleton;
    std::vector<DetectedMinutia> detected, filtered;
    FeatureSet features;

    void onInput(const GrayImage& v) override { input = v; }
    void onNormalized(const FloatPlane& v) override { normalized = v; }
    void onOrientation(const OrientationField& v) override { orientation = v; }
    void onMask(const Mask& v) override { mask = v; }
    void onPeriod(const FloatPlane& v) override { period = v; }
    void onEnhanced(const FloatPlane& v) override { enhanced = v; }
    void onBinary(const BytePlane& v) override { binary = v; }
    void onSkeleton(const BytePlane& v) override { skeleton = v; }
    void onDetected(const std::vector<DetectedMinutia>& v) override { detected = v; }
    void onFiltered(const std::vector<DetectedMinutia>& v) override { filtered = v; }
    void onFeatures(const FeatureSet& v) override { features = v; }
};

QImage grey(int w, int h) { return QImage(w, h, QImage::Format_Grayscale8); }

QImage fromFloat(const FloatPlane& p, float lo, float hi, bool ridgesDark) {
    QImage img = grey(p.width, p.height);
    for (int y = 0; y < p.height; ++y) {
        uchar* row = img.scanLine(y);
        for (int x = 0; x < p.width; ++x) {
            float v = std::clamp((p.at(x, y) - lo) / (hi - lo), 0.0f, 1.0f);
            if (ridgesDark) v = 1.0f - v;
            row[x] = static_cast<uchar>(v * 255);
        }
    }
    return img;
}

QImage fromBytes(const BytePlane& p, bool ridgesDark) {
    QImage img = grey(p.width, p.height);
    for (int y = 0; y < p.height; ++y) {
        uchar* row = img.scanLine(y);
        for (int x = 0; x < p.width; ++x) row[x] = (p.at(x, y) != 0) != ridgesDark ? 255 : 0;
    }
    return img;
}

QImage fromGray(const GrayImage& g) {
    QImage img = grey(g.width, g.height);
    for (int y = 0; y < g.height; ++y) std::copy_n(&g.pixels[static_cast<std::size_t>(y) * g.width], g.width, img.scanLine(y));
    return img;
}

void drawMinutiae(QPainter& painter, const std::vector<DetectedMinutia>& list, bool faded) {
    for (const DetectedMinutia& m : list) {
        const QColor colour = faded ? QColor(230, 200, 0) : (m.type == MinutiaType::Ending ? QColor(230, 0, 0) : QColor(0, 90, 255));
        painter.setPen(QPen(colour, faded ? 1 : 1.5));
        painter.drawEllipse(QPointF(m.x, m.y), 3.5, 3.5);
        painter.drawLine(QPointF(m.x, m.y), QPointF(m.x + 10 * std::cos(m.direction), m.y + 10 * std::sin(m.direction)));
    }
}

void save(const QImage& img, const std::filesystem::path& dir, const char* name) {
    const std::string path = (dir / name).string();
    if (!img.save(QString::fromStdString(path), "PNG")) throw std::runtime_error("cannot write " + path);
}

}  // namespace

int writeDebugImages(const std::string& imagePath, const std::string& outDir, int dpi, const engine::ExtractParams& params) {
    std::filesystem::create_directories(outDir);
    const std::filesystem::path dir(outDir);
    Recorder r;
    extract(loadImage(imagePath, dpi), params, &r);

    save(fromGray(r.input), dir, "01-input.png");
    save(fromFloat(r.normalized, -2.5f, 2.5f, true), dir, "02-normalized.png");
    {
        QImage img = fromFloat(r.normalized, -2.5f, 2.5f, true).convertToFormat(QImage::Format_RGB32);
        QPainter painter(&img);
        for (int y = 6; y < img.height(); y += 12)
            for (int x = 6; x < img.width(); x += 12) {
                const float a = r.orientation.angle.at(x, y), c = r.orientation.coherence.at(x, y);
                painter.setPen(QPen(QColor::fromHsvF(0.0f, 1.0f, 0.4f + 0.6f * c), 1.5));
                painter.drawLine(QPointF(x - 5 * std::cos(a), y - 5 * std::sin(a)), QPointF(x + 5 * std::cos(a), y + 5 * std::sin(a)));
            }
        save(img, dir, "03-orientation.png");
    }
    {
        OrientationField& o = r.orientation;
        save(fromFloat(o.coherence, 0.0f, 1.0f, false), dir, "04-coherence.png");
    }
    save(fromBytes(r.mask, false), dir, "05-mask.png");
    save(fromFloat(r.period, 4.0f, 16.0f, false), dir, "06-period.png");
    save(fromFloat(r.enhanced, -1.5f, 1.5f, true), dir, "07-enhanced.png");
    save(fromBytes(r.binary, true), dir, "08-binary.png");
    save(fromBytes(r.skeleton, true), dir, "09-skeleton.png");
    {
        QImage img = fromBytes(r.skeleton, true).convertToFormat(QImage::Format_RGB32);
        QPainter painter(&img);
        painter.setRenderHint(QPainter::Antialiasing);
        drawMinutiae(painter, r.detected, true);
        drawMinutiae(painter, r.filtered, false);
        save(img, dir, "10-minutiae-skeleton.png");
    }
    {
        QImage img = fromGray(r.input).convertToFormat(QImage::Format_RGB32);
        QPainter painter(&img);
        painter.setRenderHint(QPainter::Antialiasing);
        drawMinutiae(painter, r.filtered, false);
        save(img, dir, "11-minutiae.png");
    }
    std::cout << imagePath << ": " << r.features.minutiae.size() << " minutiae (" << r.detected.size()
              << " before filtering), quality " << r.features.quality << " ("
              << describe(static_cast<ImageQuality>(r.features.quality)) << ")\n";
    return static_cast<int>(r.features.minutiae.size());
}

}  // namespace lumo::bench
