// The extractor and the matcher on the synthetic prints that fpsynth writes and the demo shows
// (fingers of seed 1, impressions 1 and 2), against their ground truth. Every case is
// deterministic by seed; the bounds leave a margin below what the engine achieves, so they
// catch a real regression (lost or misplaced minutiae, directions turned, genuine pairs no
// longer told from impostors), not the drift of retuning.
#include <gtest/gtest.h>

#include <QImage>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>
#include <numbers>
#include <utility>
#include <vector>

#include "engine/extract/Extractor.h"
#include "engine/match/Matcher.h"
#include "engine/synth/Impression.h"
#include "engine/synth/MasterFingerprint.h"
#include "engine/synth/SynthRandom.h"

namespace lumo::engine {
namespace {

using synth::Impression;
using synth::MasterFingerprint;
using synth::SynthRandom;

// fpsynth's default seed: its finger f, impression k.
constexpr std::uint64_t kSeed = 1;

GrayImage grayOf(const QImage& image) {
    GrayImage g;
    g.width = image.width();
    g.height = image.height();
    g.resolution = 500;
    g.pixels.resize(static_cast<std::size_t>(g.width) * static_cast<std::size_t>(g.height));
    for (int y = 0; y < g.height; ++y)
        std::copy_n(image.constScanLine(y), g.width,
                    g.pixels.begin() + static_cast<std::ptrdiff_t>(y) * g.width);
    return g;
}

// Impression k of finger f: the image, its ground truth and what the extractor finds, made once
// per test process (extraction is the slow part).
struct Press {
    GrayImage image;
    FeatureSet truth, extracted;
};

const Press& press(int f, int k) {
    static std::map<std::pair<int, int>, Press> made;
    auto it = made.find({f, k});
    if (it == made.end()) {
        const MasterFingerprint master =
            MasterFingerprint::generate(SynthRandom::derive(kSeed, static_cast<std::uint64_t>(f)));
        const Impression imp =
            Impression::take(master, SynthRandom::derive(kSeed, static_cast<std::uint64_t>(f),
                                                         static_cast<std::uint64_t>(k)));
        Press p{grayOf(imp.image), imp.minutiae, {}};
        p.extracted = extract(p.image);
        it = made.emplace(std::make_pair(f, k), std::move(p)).first;
    }
    return it->second;
}

// The image turned by quarter turns, clockwise on screen.
GrayImage turned(const GrayImage& in, int quarterTurns) {
    GrayImage out = in;
    for (int t = 0; t < quarterTurns; ++t) {
        GrayImage next{out.height, out.width, out.resolution,
                       std::vector<std::uint8_t>(out.pixels.size())};
        for (int y = 0; y < out.height; ++y)
            for (int x = 0; x < out.width; ++x)
                next.pixels[static_cast<std::size_t>(x) * static_cast<std::size_t>(next.width) +
                            static_cast<std::size_t>(out.height - 1 - y)] = out.at(x, y);
        out = std::move(next);
    }
    return out;
}

double angleBetween(double a, double b) {
    const double d = std::fmod(std::fabs(a - b), 2 * std::numbers::pi);
    return std::min(d, 2 * std::numbers::pi - d);
}

// Share of `from`'s minutiae with one of `to`'s within the distance and the angle.
double shareNear(const FeatureSet& from, const FeatureSet& to, double distance, double angle) {
    if (from.minutiae.empty()) return 0;
    int near = 0;
    for (const Minutia& a : from.minutiae)
        near += std::any_of(to.minutiae.begin(), to.minutiae.end(), [&](const Minutia& b) {
            return std::hypot(a.x - b.x, a.y - b.y) <= distance &&
                   angleBetween(a.angle, b.angle) <= angle;
        });
    return static_cast<double>(near) / static_cast<double>(from.minutiae.size());
}

constexpr double kDistance = 12.0;                        // pixels
constexpr double kAngle = 30.0 * std::numbers::pi / 180;  // radians

// Measured (seed 1, fingers 1..50, first impression): 80..100 % of the true minutiae found (93 %
// on average, 88 % within 6 px and 20 degrees) and 76..97 % of the extracted ones true (88 %);
// fingers 1..4 here: 92..100 % and 85..96 %.
TEST(SyntheticPrints, ExtractorFindsTheTrueMinutiae) {
    double foundSum = 0, trueSum = 0;
    const int fingers[] = {1, 2, 3, 4};
    for (int f : fingers) {
        SCOPED_TRACE(f);
        const Press& p = press(f, 1);
        const FeatureSet& extracted = p.extracted;
        ASSERT_GE(p.truth.minutiae.size(), 20u);
        EXPECT_EQ(extracted.quality, 0);
        const double found = shareNear(p.truth, extracted, kDistance, kAngle);
        const double isTrue = shareNear(extracted, p.truth, kDistance, kAngle);
        EXPECT_GE(found, 0.70) << p.truth.minutiae.size() << " true minutiae";
        EXPECT_GE(isTrue, 0.70) << extracted.minutiae.size() << " extracted minutiae";
        foundSum += found;
        trueSum += isTrue;
    }
    EXPECT_GE(foundSum / std::size(fingers), 0.82);
    EXPECT_GE(trueSum / std::size(fingers), 0.82);
}

// Measured on fingers 1..50: genuine pairs 30..130 (impression 1 against 2); impostors (first
// impression against another finger's second) 2.0 on average, but 10 or more for 0.24 % of
// all pairs, more often than between real prints. Here each finger against the others.
TEST(SyntheticPrints, GenuinePairsScoreFarAboveTheThresholdImpostorsBelow) {
    struct Finger {
        int f;
        const FeatureSet& first;
        const FeatureSet& second;
    };
    std::vector<Finger> fingers;
    for (int f : {1, 2, 3, 4}) fingers.push_back({f, press(f, 1).extracted, press(f, 2).extracted});
    double genuineSum = 0, impostorSum = 0;
    int impostors = 0;
    for (const Finger& a : fingers) {
        SCOPED_TRACE(a.f);
        const float genuine = matchScore(a.first, a.second);
        EXPECT_GE(genuine, 2.5f * kDefaultMatchThreshold);
        genuineSum += genuine;
        for (const Finger& b : fingers) {
            if (b.f == a.f) continue;
            SCOPED_TRACE(b.f);
            const float impostor = matchScore(a.first, b.second);
            EXPECT_LT(impostor, kDefaultMatchThreshold);
            impostorSum += impostor;
            ++impostors;
        }
    }
    EXPECT_GE(genuineSum / static_cast<double>(fingers.size()), 4.0 * kDefaultMatchThreshold);
    EXPECT_LT(impostorSum / impostors, 0.4 * kDefaultMatchThreshold);
}

// The image itself turned by a quarter and a half turn still matches the upright press, as
// when a finger is laid on the sensor sideways or upside down. Measured on fingers 1..50:
// 39..150 (fingers 2 and 3 here: 39 and 94).
TEST(SyntheticPrints, TurnedImagesStillMatchTheirOriginal) {
    for (int f : {2, 3}) {
        SCOPED_TRACE(f);
        const GrayImage& image = press(f, 1).image;
        const FeatureSet& upright = press(f, 1).extracted;
        for (int quarterTurns : {1, 2}) {
            SCOPED_TRACE(quarterTurns);
            const GrayImage turnedImage = turned(image, quarterTurns);
            ASSERT_EQ(turnedImage.width, quarterTurns == 1 ? image.height : image.width);
            const FeatureSet t = extract(turnedImage);
            EXPECT_GE(matchScore(t, upright), 2.5f * kDefaultMatchThreshold);
            EXPECT_GE(matchScore(upright, t), 2.5f * kDefaultMatchThreshold);
        }
    }
}

}  // namespace
}  // namespace lumo::engine
