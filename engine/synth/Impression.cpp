#include "engine/synth/Impression.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "engine/synth/SmoothNoise.h"
#include "engine/synth/SynthRandom.h"

namespace lumo::engine::synth {

namespace {

constexpr double kDotsPerMetre = 500.0 / 0.0254;

// Where an impression pixel comes from on the master, and back.
class Placement {
public:
    Placement(SynthRandom& random, const MasterFingerprint& master, const ImpressionParameters& params,
              double rotation, double shiftX, double shiftY)
        : m_cos(std::cos(rotation)), m_sin(std::sin(rotation))
    {
        m_cx = master.model().centreX();
        m_cy = master.model().centreY();
        m_ox = m_cx + shiftX;
        m_oy = m_cy + shiftY;
        m_amount = random.uniform(0, params.maxDistortion);
        m_rim = 0.45 * std::min(master.width(), master.height());
        m_noiseX = SmoothNoise(random, 250, 600);
        m_noiseY = SmoothNoise(random, 250, 600);
    }

    // Skin stretch at an impression pixel: none at the contact centre, growing outwards.
    void stretch(double x, double y, double& dx, double& dy) const
    {
        const double r2 = ((x - m_ox) * (x - m_ox) + (y - m_oy) * (y - m_oy)) / (m_rim * m_rim);
        const double s = m_amount * std::min(r2, 2.0);
        dx = s * m_noiseX.at(x, y);
        dy = s * m_noiseY.at(x, y);
    }

    // Impression pixel -> master point. Rotation is counter-clockwise on screen (y down).
    void toMaster(double x, double y, double& mx, double& my) const
    {
        double dx, dy;
        stretch(x, y, dx, dy);
        const double px = x - m_ox, py = y - m_oy;
        mx = m_cx + m_cos * px - m_sin * py + dx;
        my = m_cy + m_sin * px + m_cos * py + dy;
    }

    // Master point -> impression pixel, by fixed-point iteration on the stretch (it changes
    // slowly, so a few rounds settle it far below a pixel).
    void fromMaster(double mx, double my, double& x, double& y) const
    {
        double dx = 0, dy = 0;
        for (int i = 0; i < 8; ++i) {
            const double qx = mx - dx - m_cx, qy = my - dy - m_cy;
            x = m_ox + m_cos * qx + m_sin * qy;
            y = m_oy - m_sin * qx + m_cos * qy;
            stretch(x, y, dx, dy);
        }
    }

    double contactX() const { return m_ox; }
    double contactY() const { return m_oy; }

private:
    double m_cos, m_sin;
    double m_cx = 0, m_cy = 0, m_ox = 0, m_oy = 0;
    double m_amount = 0, m_rim = 1;
    SmoothNoise m_noiseX, m_noiseY;
};

double smoothstep(double e0, double e1, double v)
{
    const double t = std::clamp((v - e0) / (e1 - e0), 0.0, 1.0);
    return t * t * (3 - 2 * t);
}

}  // namespace

Impression Impression::take(const MasterFingerprint& master, std::uint64_t seed, const ImpressionParameters& params)
{
    SynthRandom random(seed);
    Impression out;
    out.rotation = random.uniform(-params.maxRotation, params.maxRotation);
    out.shiftX = random.uniform(-params.maxTranslation, params.maxTranslation);
    out.shiftY = random.uniform(-params.maxTranslation, params.maxTranslation);
    out.pressure = random.uniform(params.minPressure, params.maxPressure);
    out.partial = random.chance(params.partialChance);
    const Placement placement(random, master, params, out.rotation, out.shiftX, out.shiftY);

    const int w = master.width(), h = master.height();
    // Contact area: an ellipse around the contact centre, smaller than the finger when pressed
    // lightly; a partial press also loses everything beyond a line through the print.
    const double contactRx = w * random.uniform(0.36, 0.5) * (1 + 0.15 * out.pressure);
    const double contactRy = h * random.uniform(0.40, 0.55) * (1 + 0.15 * out.pressure);
    const double cutAngle = random.uniform(0, 2 * std::numbers::pi);
    const double cutOffset = random.uniform(0.05, 0.25) * std::min(w, h);
    const double cutNx = std::cos(cutAngle), cutNy = std::sin(cutAngle);
    // Distance in pixels to the edge of the visible print (negative outside).
    auto visible = [&](double x, double y, double mx, double my) {
        const double finger = master.model().inside(mx, my) * 20.0;
        const double ex = (x - placement.contactX()) / contactRx, ey = (y - placement.contactY()) / contactRy;
        const double contact = (1.0 - std::sqrt(ex * ex + ey * ey)) * std::min(contactRx, contactRy);
        double d = std::min(finger, contact);
        if (out.partial) d = std::min(d, cutOffset - ((x - placement.contactX()) * cutNx + (y - placement.contactY()) * cutNy));
        return d;
    };

    const double background = random.uniform(205, 245);
    const double contrast = random.uniform(120, 185);
    const double noise = random.uniform(2, params.maxNoise);
    const double dryness = std::max(0.0, -out.pressure);
    // Ink edge: wet fingers print more of each ridge, dry ones less.
    const double threshold = -0.5 * out.pressure;
    const SmoothNoise patches(random, 60, 160);
    const SmoothNoise shading(random, 300, 700);

    std::vector<double> grey(static_cast<std::size_t>(w) * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            double mx, my;
            placement.toMaster(x, y, mx, my);
            const double v = master.ridgeAt(mx, my);
            const double fade = std::clamp(visible(x, y, mx, my) / 8.0, 0.0, 1.0);
            double ink = 0;
            if (fade > 0) {
                // Dry skin leaves ridges broken by pores and patches.
                const double broken = dryness * (0.5 * random.normal() + 0.6 * std::max(0.0, patches.at(mx, my)));
                ink = smoothstep(threshold - 0.3, threshold + 0.3, v - broken) * fade;
                ink *= 0.85 + 0.15 * shading.at(x, y);
            }
            grey[y * w + x] = background - contrast * ink + random.normal(0, noise);
        }

    out.image = QImage(w, h, QImage::Format_Grayscale8);
    out.image.setDotsPerMeterX(static_cast<int>(std::lround(kDotsPerMetre)));
    out.image.setDotsPerMeterY(static_cast<int>(std::lround(kDotsPerMetre)));
    for (int y = 0; y < h; ++y) {
        uchar* line = out.image.scanLine(y);
        for (int x = 0; x < w; ++x) {
            // A light 3x3 blur, as a sensor's optics give.
            double sum = 0, weight = 0;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx) {
                    const int xx = x + dx, yy = y + dy;
                    if (xx < 0 || yy < 0 || xx >= w || yy >= h) continue;
                    const double k = (dx == 0 ? 2 : 1) * (dy == 0 ? 2 : 1);
                    sum += k * grey[yy * w + xx];
                    weight += k;
                }
            line[x] = static_cast<uchar>(std::clamp(std::lround(sum / weight), 0l, 255l));
        }
    }

    out.minutiae.width = w;
    out.minutiae.height = h;
    out.minutiae.resolution = 500;
    for (const Minutia& m : master.minutiae().minutiae) {
        double x, y;
        placement.fromMaster(m.x, m.y, x, y);
        if (x < 0 || y < 0 || x > w - 1 || y > h - 1) continue;
        double mx, my;
        placement.toMaster(x, y, mx, my);
        if (visible(x, y, mx, my) < params.edgeMargin) continue;
        // Direction: carry a point a few pixels along the minutia's direction (y up) across.
        double ax, ay;
        placement.fromMaster(m.x + 6 * std::cos(m.angle), m.y - 6 * std::sin(m.angle), ax, ay);
        double angle = std::atan2(-(ay - y), ax - x);
        if (angle < 0) angle += 2 * std::numbers::pi;
        Minutia t = m;
        t.x = static_cast<int>(std::lround(x));
        t.y = static_cast<int>(std::lround(y));
        t.angle = static_cast<float>(angle);
        if (t.angle >= static_cast<float>(2 * std::numbers::pi)) t.angle = 0.0f;
        out.minutiae.minutiae.push_back(t);
    }
    return out;
}

}  // namespace lumo::engine::synth
