#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "engine/extract/Stages.h"

using namespace lumo::engine;

namespace {

constexpr float kPi = std::numbers::pi_v<float>;

// Straight ridges at `angle` (image coordinates) with the given period; ridges dark.
GrayImage stripes(int size, float angle, float period) {
    GrayImage img{size, size, 500, std::vector<std::uint8_t>(static_cast<std::size_t>(size) * size)};
    const float nx = -std::sin(angle), ny = std::cos(angle);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            img.pixels[static_cast<std::size_t>(y) * size + x] =
                static_cast<std::uint8_t>(128 + 100 * std::cos(2 * kPi * (x * nx + y * ny) / period));
    return img;
}

float axisDistance(float a, float b) {
    float d = std::fmod(std::fabs(a - b), kPi);
    return std::min(d, kPi - d);
}

}  // namespace

TEST(Stages, OrientationAndPeriodOfStraightRidges) {
    const ExtractParams p;
    for (const float angle : {0.0f, 0.5f, 1.2f, 2.4f}) {
        for (const float period : {7.0f, 10.0f, 13.0f}) {
            SCOPED_TRACE("angle " + std::to_string(angle) + " period " + std::to_string(period));
            const GrayImage img = stripes(128, angle, period);
            const FloatPlane n = normalizeContrast(img, p.contrast);
            const OrientationField o = orientationField(n, p.orientation);
            EXPECT_LT(axisDistance(o.angle.at(64, 64), angle), 0.05f);
            EXPECT_GT(o.coherence.at(64, 64), 0.9f);
            const Mask mask = segment(img, o, p.segmentation);
            EXPECT_EQ(mask.at(64, 64), 1);
            const FloatPlane period2 = ridgePeriod(n, o, mask, p.frequency);
            EXPECT_NEAR(period2.at(64, 64), period, 0.6f);
        }
    }
}

TEST(Stages, ThinningGivesOnePixelLines) {
    BytePlane bar(40, 20);
    for (int y = 7; y < 13; ++y)
        for (int x = 5; x < 35; ++x) bar.at(x, y) = 1;
    const BytePlane skeleton = thin(bar);
    int pixels = 0;
    for (int x = 0; x < 40; ++x) {
        int column = 0;
        for (int y = 0; y < 20; ++y) column += skeleton.at(x, y);
        EXPECT_LE(column, 1) << "column " << x;
        pixels += column;
    }
    EXPECT_GE(pixels, 20);
}

TEST(Stages, StraightRidgesHaveNoMinutiaeInside) {
    const ExtractParams p;
    const GrayImage img = stripes(160, 0.7f, 9.0f);
    const FloatPlane n = normalizeContrast(img, p.contrast);
    const OrientationField o = orientationField(n, p.orientation);
    const Mask mask = segment(img, o, p.segmentation);
    const FloatPlane d = distanceToBackground(mask);
    const FloatPlane period = ridgePeriod(n, o, mask, p.frequency);
    const BytePlane skeleton = thin(binarize(enhance(n, o, period, mask, p.enhance), mask, p.binarize));
    const auto minutiae = removeFalseMinutiae(detectMinutiae(skeleton, o, d, p.minutiae), o, d, p.filter);
    EXPECT_TRUE(minutiae.empty()) << minutiae.size();
}

TEST(Stages, DistanceToBackgroundCountsTheImageEdge) {
    Mask mask(21, 21, 1);
    const FloatPlane d = distanceToBackground(mask);
    EXPECT_NEAR(d.at(10, 10), 11.0f, 0.5f);
    EXPECT_NEAR(d.at(0, 10), 1.0f, 0.1f);
}
