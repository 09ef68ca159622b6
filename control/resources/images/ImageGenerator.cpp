// lumo_imagegen: draws the capture dialogs' pictures and writes them into a folder.
//
//   lumo_imagegen OUTPUT_FOLDER
//
// Writes HAND.bmp (the hand picture, 257 x 150, 24 bit), LUMO.bmp (the fingerprint frame,
// 150 x 208, 24 bit), RegisterBG.png (617 x 425) and CheckBG.png (389 x 405). The pictures are
// committed beside this file; run the generator again only to change them, with
// QT_QPA_PLATFORM=offscreen:fontconfig so that the banner text is real text.
//
// The hand picture is computed pixel by pixel from distance functions so that every finger's
// inside stays pure white and is closed off from every other white area; the generator checks
// that with the same 4-neighbour fill the hand picture control uses and fails otherwise.
#include <QColor>
#include <QDir>
#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPointF>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <deque>
#include <vector>

namespace {

constexpr int kHandWidth = 257;
constexpr int kHandHeight = 150;

struct Vec {
    double x, y;
};
Vec operator-(Vec a, Vec b) { return {a.x - b.x, a.y - b.y}; }
Vec operator+(Vec a, Vec b) { return {a.x + b.x, a.y + b.y}; }
Vec operator*(Vec a, double s) { return {a.x * s, a.y * s}; }
double dot(Vec a, Vec b) { return a.x * b.x + a.y * b.y; }
double len(Vec a) { return std::sqrt(dot(a, a)); }

// A finger: a capsule around the segment base -> tip, cut off by a straight crease
// `crease` pixels above the base (measured along the finger).
struct Finger {
    Vec base, tip;
    double radius, crease;
};

// Left hand; the right hand is its mirror image (x -> 256 - x).
const std::array<Finger, 5> kFingers = {{
    {{89, 123}, {114, 103.5}, 7.8, 4},  // thumb
    {{85, 86}, {88, 27}, 7.3, 7},       // index
    {{66, 84}, {65.5, 15}, 7.6, 7},     // middle
    {{46, 85}, {42.5, 21}, 7.3, 7},     // ring
    {{28, 88}, {17.5, 40}, 6.6, 7},     // little
}};

// Inner polygon of the palm; the palm is everything within kPalmRound of it.
const std::vector<Vec> kPalm = {{31, 95},  {40, 92},  {82, 94},  {86, 104},
                                {83, 120}, {72, 129}, {40, 129}, {30, 117}};
constexpr double kPalmRound = 14;

double segmentDistance(Vec p, Vec a, Vec b) {
    Vec ab = b - a;
    double t = std::clamp(dot(p - a, ab) / dot(ab, ab), 0.0, 1.0);
    return len(p - (a + ab * t));
}

// Signed distance to a finger: negative inside.
double fingerDistance(const Finger& f, Vec p) {
    Vec axis = f.tip - f.base;
    Vec dir = axis * (1.0 / len(axis));
    double capsule = segmentDistance(p, f.base, f.tip) - f.radius;
    double cut = f.crease - dot(p - f.base, dir);  // > 0 below the crease
    return std::max(capsule, cut);
}

// Signed distance to a convex polygon (negative inside), vertices in either order.
double polygonDistance(const std::vector<Vec>& poly, Vec p) {
    double d = 1e9;
    bool inside = true;
    double sign = 0;
    for (size_t i = 0; i < poly.size(); ++i) {
        Vec a = poly[i], b = poly[(i + 1) % poly.size()];
        d = std::min(d, segmentDistance(p, a, b));
        double cross = (b.x - a.x) * (p.y - a.y) - (b.y - a.y) * (p.x - a.x);
        if (sign == 0) sign = cross > 0 ? 1 : -1;
        if (cross * sign < 0) inside = false;
    }
    return inside ? -d : d;
}

// Ink coverage (0..1) of a 1.5 pixel wide stroke along the zero line of a distance field.
double stroke(double distance) { return std::clamp(1.25 - std::abs(distance), 0.0, 1.0); }

// Light ink (0..1) of a fingernail: an open arc inside the tip, well away from the outline so
// the finger's inside stays one white area.
double nailInk(const Finger& f, Vec p) {
    Vec axis = f.tip - f.base;
    Vec dir = axis * (1.0 / len(axis));
    Vec centre = f.tip - dir * 2.0;
    Vec v = p - centre;
    double r = len(v);
    if (r < 1e-6 || dot(v, dir) / r < std::cos(0.95)) return 0;
    return std::clamp(0.8 - std::abs(r - (f.radius - 4.0)), 0.0, 1.0) * 0.45;
}

// Ink of the left hand at p (picture coordinates).
double handInk(Vec p) {
    double ink = 0;
    double insideFinger = 1e9;
    for (const Finger& f : kFingers) {
        double d = fingerDistance(f, p);
        insideFinger = std::min(insideFinger, d);
        ink = std::max({ink, stroke(d), nailInk(f, p)});
    }
    // The palm's outline stops where a finger lies over it.
    double palm = polygonDistance(kPalm, p) - kPalmRound;
    double mask = std::clamp(insideFinger + 0.5, 0.0, 1.0);
    ink = std::max(ink, stroke(palm) * mask);
    return ink;
}

QImage drawHand() {
    QImage image(kHandWidth, kHandHeight, QImage::Format_RGB888);
    const QColor ink(62, 68, 78);
    for (int y = 0; y < kHandHeight; ++y) {
        for (int x = 0; x < kHandWidth; ++x) {
            // Left half: the left hand; right half: its mirror image.
            Vec p = x <= kHandWidth / 2 ? Vec{double(x), double(y)}
                                        : Vec{double(kHandWidth - 1 - x), double(y)};
            double c = handInk(p);
            int r = 255, g = 255, b = 255;
            if (c > 0) {
                // Any touched pixel is off-white, so the outline stays closed for the fill.
                r = std::min(254, int(std::lround(255 + (ink.red() - 255) * c)));
                g = std::min(254, int(std::lround(255 + (ink.green() - 255) * c)));
                b = std::min(254, int(std::lround(255 + (ink.blue() - 255) * c)));
            }
            image.setPixelColor(x, y, QColor(r, g, b));
        }
    }
    // The letters in the palms.
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(22);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(QColor(0x00, 0x66, 0xCC));
    painter.drawText(QRectF(38, 96, 40, 32), Qt::AlignCenter, QStringLiteral("L"));
    painter.drawText(QRectF(kHandWidth - 1 - 78, 96, 40, 32), Qt::AlignCenter, QStringLiteral("R"));
    painter.end();
    return image;
}

// The region of a seed as the hand picture control builds it: 4 neighbours, exact colour.
std::vector<QPoint> fill(const QImage& image, QPoint seed) {
    std::vector<char> seen(size_t(image.width() * image.height()), 0);
    QRgb reference = image.pixel(seed);
    std::vector<QPoint> points{seed};
    seen[size_t(seed.y() * image.width() + seed.x())] = 1;
    for (size_t i = 0; i < points.size(); ++i) {
        QPoint p = points[i];
        const QPoint next[4] = {
            {p.x() + 1, p.y()}, {p.x() - 1, p.y()}, {p.x(), p.y() + 1}, {p.x(), p.y() - 1}};
        for (QPoint q : next) {
            if (!image.rect().contains(q)) continue;
            size_t k = size_t(q.y() * image.width() + q.x());
            if (seen[k] || image.pixel(q) != reference) continue;
            seen[k] = 1;
            points.push_back(q);
        }
    }
    return points;
}

bool checkHand(const QImage& image) {
    const QPoint seeds[10] = {{99, 113},  {88, 53},  {66, 48},  {44, 42},  {19, 48},
                              {156, 113}, {168, 55}, {191, 49}, {212, 44}, {238, 46}};
    std::vector<int> owner(size_t(image.width() * image.height()), 0);
    bool ok = true;
    for (int n = 1; n <= 10; ++n) {
        QPoint seed = seeds[n - 1];
        if (image.pixel(seed) != qRgb(255, 255, 255)) {
            std::fprintf(stderr, "finger %d: seed is not white\n", n);
            ok = false;
            continue;
        }
        std::vector<QPoint> region = fill(image, seed);
        std::printf("finger %2d: %zu pixels\n", n, region.size());
        if (region.size() < 400 || region.size() > 1500) ok = false;
        for (QPoint p : region) {
            int& o = owner[size_t(p.y() * image.width() + p.x())];
            if (o != 0) {
                std::fprintf(stderr, "finger %d overlaps finger %d\n", n, o);
                ok = false;
                break;
            }
            o = n;
        }
    }
    return ok;
}

// The frame around the fingerprint image: white inside (drawn transparent), a thin grey
// rounded outline, and near-white corners outside it so the corners stay light over any image.
QImage drawFrame() {
    QImage image(150, 208, QImage::Format_RGB888);
    image.fill(QColor(254, 254, 254));
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath outline;
    outline.addRoundedRect(QRectF(1, 1, 148, 206), 18, 18);
    painter.fillPath(outline, Qt::white);
    painter.setPen(QPen(QColor(150, 160, 172), 1.6));
    painter.drawPath(outline);
    painter.end();
    return image;
}

// Font of the given pixel size, shrunk until text fits into width.
QFont fittingFont(const QString& text, int pixelSize, int width, bool bold) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setBold(bold);
    for (;; --pixelSize) {
        font.setPixelSize(pixelSize);
        if (QFontMetrics(font).horizontalAdvance(text) <= width || pixelSize <= 8) return font;
    }
}

// The banner along the top of both dialogs: logo, product name and the dialog's purpose.
void drawBanner(QPainter& painter, int width, int height, const QString& purpose) {
    QLinearGradient gradient(0, 0, width, height);
    gradient.setColorAt(0, QColor(0x0A, 0x3F, 0x80));
    gradient.setColorAt(0.55, QColor(0x00, 0x66, 0xCC));
    gradient.setColorAt(1, QColor(0x2E, 0x8B, 0xE6));
    painter.fillRect(0, 0, width, height, gradient);

    // Faint ridges on the right, like a fingerprint seen close up.
    painter.save();
    painter.setClipRect(0, 0, width, height);
    painter.setPen(QPen(QColor(255, 255, 255, 22), 2));
    QPointF centre(width - 70, height * 0.9);
    for (int r = 12; r < 260; r += 10) painter.drawEllipse(centre, r * 1.15, r * 0.85);
    painter.restore();

    // Logo: three open rings and the short name.
    painter.setPen(QPen(Qt::white, 3, Qt::SolidLine, Qt::RoundCap));
    const QPointF ring(34, height / 2.0);
    for (int r = 7; r <= 19; r += 6)
        painter.drawArc(QRectF(ring.x() - r, ring.y() - r, 2 * r, 2 * r), 30 * 16, 300 * 16);
    QFont logoFont(QStringLiteral("DejaVu Sans"));
    logoFont.setPixelSize(22);
    logoFont.setBold(true);
    painter.setFont(logoFont);
    painter.drawText(QRectF(60, 0, 80, height), Qt::AlignVCenter | Qt::AlignLeft,
                     QStringLiteral("LUMO"));
    painter.setPen(QPen(QColor(255, 255, 255, 90), 1));
    painter.drawLine(QPointF(136.5, 14), QPointF(136.5, height - 14));

    const QString name = QStringLiteral("Lumo Fingerprint Management System");
    const int textLeft = 150;
    const int textWidth = width - textLeft - 14;
    painter.setPen(Qt::white);
    const QFont nameFont = fittingFont(name, 16, textWidth, true);
    painter.setFont(nameFont);
    painter.drawText(QRectF(textLeft, 10, textWidth, height / 2.0 - 8),
                     Qt::AlignLeft | Qt::AlignBottom, name);
    painter.setPen(QColor(0xD2, 0xE6, 0xFB));
    painter.setFont(fittingFont(purpose, std::min(12, nameFont.pixelSize()), textWidth, false));
    painter.drawText(QRectF(textLeft, height / 2.0 + 3, textWidth, height / 2.0 - 10),
                     Qt::AlignLeft | Qt::AlignTop, purpose);

    // A light edge under the banner.
    painter.fillRect(0, height, width, 2, QColor(0x8C, 0xC0, 0xF2));
    painter.fillRect(0, height + 2, width, 1, QColor(0xDD, 0xE9, 0xF6));
}

// A faint fingerprint where the image area lies: it shows through the empty frame and is
// covered by the captured image.
void drawPrintGlyph(QPainter& painter, const QRectF& area) {
    painter.save();
    QPainterPath clip;
    clip.addRoundedRect(area.adjusted(22, 30, -22, -30), 40, 40);
    painter.setClipPath(clip);
    painter.setPen(QPen(QColor(0xE2, 0xEB, 0xF6), 3, Qt::SolidLine, Qt::RoundCap));
    const QPointF core = area.center() + QPointF(0, 6);
    for (int r = 6; r < 110; r += 8) {
        // Each ridge is open at a different angle, as real ridges end and split.
        const int gap = 40 + (r * 37) % 70;
        const int start = (90 + r * 53) % 360;
        painter.drawArc(QRectF(core.x() - r * 0.8, core.y() - r, r * 1.6, r * 2.0),
                        (start + gap / 2) * 16, (360 - gap) * 16);
    }
    painter.restore();
}

QImage drawRegisterBackground() {
    QImage image(617, 425, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    drawBanner(painter, 617, 64, QStringLiteral("Fingerprint enrollment"));

    // The panel of the hand picture, with the press instruction and the lights on top.
    QPainterPath panel;
    panel.addRoundedRect(QRectF(10.5, 150.5, 344, 232), 10, 10);
    painter.fillPath(panel, QColor(0xF3, 0xF7, 0xFC));
    painter.setPen(QPen(QColor(0xC9, 0xD7, 0xE6), 1));
    painter.drawPath(panel);
    painter.setPen(QPen(QColor(0xDD, 0xE6, 0xF0), 1));
    painter.drawLine(QPointF(22, 203.5), QPointF(343, 203.5));

    drawPrintGlyph(painter, QRectF(419, 168, 150, 208));

    // The rule above the notice line.
    painter.setPen(QPen(QColor(0xE1, 0xE8, 0xF0), 1));
    painter.drawLine(QPointF(12, 410.5), QPointF(605, 410.5));
    painter.end();
    return image;
}

QImage drawCheckBackground() {
    QImage image(389, 405, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    drawBanner(painter, 389, 60, QStringLiteral("Fingerprint verification"));
    drawPrintGlyph(painter, QRectF(127, 155, 150, 208));
    painter.setPen(QPen(QColor(0xE1, 0xE8, 0xF0), 1));
    painter.drawLine(QPointF(12, 383.5), QPointF(377, 383.5));
    painter.end();
    return image;
}

bool save(const QImage& image, const QDir& dir, const QString& name) {
    if (image.save(dir.filePath(name))) return true;
    std::fprintf(stderr, "lumo_imagegen: cannot write %s\n", qPrintable(dir.filePath(name)));
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: lumo_imagegen OUTPUT_FOLDER\n");
        return 2;
    }
    QDir dir(QString::fromLocal8Bit(argv[1]));
    QImage hand = drawHand();
    if (!checkHand(hand)) {
        std::fprintf(stderr, "lumo_imagegen: the hand picture's fingers are not closed off\n");
        return 1;
    }
    bool ok = save(hand, dir, QStringLiteral("HAND.bmp")) &&
              save(drawFrame(), dir, QStringLiteral("LUMO.bmp")) &&
              save(drawRegisterBackground(), dir, QStringLiteral("RegisterBG.png")) &&
              save(drawCheckBackground(), dir, QStringLiteral("CheckBG.png"));
    return ok ? 0 : 1;
}
