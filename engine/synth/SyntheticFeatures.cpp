#include "engine/synth/SyntheticFeatures.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "engine/synth/OrientationModel.h"
#include "engine/synth/SmoothNoise.h"
#include "engine/synth/SynthRandom.h"

namespace lumo::engine::synth {

namespace {

constexpr double kTurn = 2 * std::numbers::pi;
// Real minutiae are rarely closer than about a ridge period and a half.
constexpr double kMinSpacing = 12.0;

float wrapTurn(double a)
{
    a = std::fmod(a, kTurn);
    if (a < 0) a += kTurn;
    const auto f = static_cast<float>(a);
    return f >= static_cast<float>(kTurn) ? 0.0f : f;
}

}  // namespace

FeatureSet SyntheticFeatures::finger(std::uint64_t fingerSeed, int width, int height)
{
    SynthRandom random(fingerSeed);
    const OrientationModel model(random, width, height);
    FeatureSet f;
    f.width = width;
    f.height = height;
    f.resolution = 500;
    const double area = static_cast<double>(width) * height;
    // About 60 minutiae on a 400 x 500 finger, as many per area on other sizes.
    const int wanted = std::clamp(static_cast<int>(std::lround(random.normal(60, 12) * area / 200000.0)), 8, 160);
    for (int attempt = 0; attempt < wanted * 40 && static_cast<int>(f.minutiae.size()) < wanted; ++attempt) {
        const double x = random.uniform(0, width - 1);
        const double y = random.uniform(0, height - 1);
        if (model.inside(x, y) < 0.7) continue;
        const bool crowded = std::any_of(f.minutiae.begin(), f.minutiae.end(), [&](const Minutia& m) {
            return (m.x - x) * (m.x - x) + (m.y - y) * (m.y - y) < kMinSpacing * kMinSpacing;
        });
        if (crowded) continue;
        Minutia m;
        m.x = static_cast<int>(x);
        m.y = static_cast<int>(y);
        // The ridge runs along the flow; a minutia points one way or the other along it.
        const double flow = model.orientation(x, y);
        m.angle = wrapTurn(std::atan2(-std::sin(flow), std::cos(flow)) + (random.chance(0.5) ? std::numbers::pi : 0.0));
        m.type = random.chance(0.55) ? MinutiaType::Ending : MinutiaType::Bifurcation;
        m.quality = static_cast<std::uint8_t>(random.uniform(40, 100.99));
        f.minutiae.push_back(m);
    }
    return f;
}

FeatureSet SyntheticFeatures::impression(const FeatureSet& finger, std::uint64_t impressionSeed,
                                         const FeatureImpressionParameters& params)
{
    SynthRandom random(impressionSeed);
    const double rotation = random.uniform(-params.maxRotation, params.maxRotation);
    const double tx = random.uniform(-params.maxTranslation, params.maxTranslation);
    const double ty = random.uniform(-params.maxTranslation, params.maxTranslation);
    const double distortion = random.uniform(0, params.maxDistortion);
    const SmoothNoise stretchX(random, 250, 600), stretchY(random, 250, 600);
    const bool partial = random.chance(params.partialChance);
    const double cutAngle = random.uniform(0, kTurn);
    const double cutOffset = random.uniform(0.0, 0.25) * std::min(finger.width, finger.height);

    const double cx = finger.width / 2.0, cy = finger.height / 2.0;
    const double rim = 0.45 * std::min(finger.width, finger.height);
    const double c = std::cos(rotation), s = std::sin(rotation);
    FeatureSet out;
    out.width = finger.width;
    out.height = finger.height;
    out.resolution = finger.resolution;
    out.quality = 0;
    auto keep = [&](double x, double y) {
        if (x < 0 || y < 0 || x > out.width - 1 || y > out.height - 1) return false;
        if (partial && (x - cx - tx) * std::cos(cutAngle) + (y - cy - ty) * std::sin(cutAngle) > cutOffset) return false;
        return true;
    };
    for (const Minutia& m : finger.minutiae) {
        if (random.chance(params.missedShare)) continue;
        const double px = m.x - cx, py = m.y - cy;
        const double r2 = (px * px + py * py) / (rim * rim);
        const double stretch = distortion * std::min(r2, 2.0);
        // Rotation on screen with y down; minutia angles have y up, so they turn the other way.
        double x = cx + tx + c * px - s * py + stretch * stretchX.at(m.x, m.y) + random.normal(0, params.positionJitter);
        double y = cy + ty + s * px + c * py + stretch * stretchY.at(m.x, m.y) + random.normal(0, params.positionJitter);
        if (!keep(x, y)) continue;
        Minutia t = m;
        t.x = static_cast<int>(std::lround(x));
        t.y = static_cast<int>(std::lround(y));
        t.angle = wrapTurn(m.angle - rotation + random.normal(0, params.angleJitter));
        if (random.chance(params.typeFlipShare))
            t.type = t.type == MinutiaType::Ending ? MinutiaType::Bifurcation : MinutiaType::Ending;
        t.quality = static_cast<std::uint8_t>(std::clamp(m.quality + random.normal(0, 8), 0.0, 100.0));
        out.minutiae.push_back(t);
    }
    const int spurious = static_cast<int>(std::lround(params.spuriousShare * finger.minutiae.size() * random.uniform(0.5, 1.5)));
    for (int i = 0; i < spurious; ++i) {
        const double x = random.uniform(0, out.width - 1), y = random.uniform(0, out.height - 1);
        if (!keep(x, y)) continue;
        Minutia t;
        t.x = static_cast<int>(x);
        t.y = static_cast<int>(y);
        t.angle = wrapTurn(random.uniform(0, kTurn));
        t.type = random.chance(0.5) ? MinutiaType::Ending : MinutiaType::Bifurcation;
        t.quality = static_cast<std::uint8_t>(random.uniform(10, 60));
        out.minutiae.push_back(t);
    }
    // An extractor's list comes in no meaningful order; a shuffle keeps tests from relying on
    // index correspondence.
    for (std::size_t i = out.minutiae.size(); i > 1; --i)
        std::swap(out.minutiae[i - 1], out.minutiae[static_cast<std::size_t>(random.below(static_cast<int>(i)))]);
    return out;
}

}  // namespace lumo::engine::synth
