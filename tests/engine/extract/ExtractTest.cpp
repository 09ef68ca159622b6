#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>

#include "engine/extract/Extractor.h"
#include "engine/extract/ImageQuality.h"
#include "engine/image/ImageLoader.h"

using namespace lumo::engine;

namespace {

std::string print(const std::string& set, const std::string& name) {
    return std::string(LUMO_SHARED_DATA_DIR) + "/fingerprints/" + set + "/" + name;
}

GrayImage flat(int w, int h, std::uint8_t value) {
    return GrayImage{w, h, 500, std::vector<std::uint8_t>(static_cast<std::size_t>(w) * h, value)};
}

}  // namespace

TEST(Extract, FindsAPlausibleNumberOfMinutiaeOnGoodPresses) {
    for (const auto& [set, name] : {std::pair{"fvc2000_db1_b", "101_1.tif"}, std::pair{"fvc2002_db4_b", "101_1.tif"}}) {
        SCOPED_TRACE(std::string(set) + "/" + name);
        const FeatureSet f = extract(loadImage(print(set, name)));
        EXPECT_EQ(f.quality, 0) << describe(static_cast<ImageQuality>(f.quality));
        EXPECT_GE(f.minutiae.size(), 15u);
        EXPECT_LE(f.minutiae.size(), 90u);
        EXPECT_EQ(f.resolution, 500);
        for (const Minutia& m : f.minutiae) {
            EXPECT_TRUE(m.x >= 0 && m.y >= 0 && m.x < f.width && m.y < f.height);
            EXPECT_TRUE(m.angle >= 0 && m.angle < 2 * 3.14159266f);
            EXPECT_TRUE(m.type == MinutiaType::Ending || m.type == MinutiaType::Bifurcation);
            EXPECT_TRUE(m.quality >= 1 && m.quality <= 100);
        }
    }
}

TEST(Extract, FlagsPoorPresses) {
    std::mt19937 random(7);
    GrayImage noise = flat(300, 300, 0);
    for (auto& p : noise.pixels) p = static_cast<std::uint8_t>(random() % 256);
    const GrayImage full = loadImage(print("fvc2000_db1_b", "101_1.tif"));
    GrayImage tiny = flat(64, 64, 0);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) tiny.pixels[static_cast<std::size_t>(y) * 64 + x] = full.at(x + 120, y + 120);
    struct Case {
        const char* name;
        GrayImage image;
    };
    const Case cases[] = {{"white", flat(300, 300, 255)}, {"black", flat(300, 300, 0)}, {"noise", noise}, {"tiny", tiny}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const FeatureSet f = extract(c.image);
        EXPECT_NE(f.quality, 0);
    }
    EXPECT_EQ(extract(flat(300, 300, 200)).quality, static_cast<int>(ImageQuality::Empty));
}

TEST(Extract, TreatsLightAndDarkPressesAlike) {
    // The same press made much lighter (low contrast) or darker must give a similar count.
    const GrayImage original = loadImage(print("fvc2002_db4_b", "101_1.tif"));
    GrayImage light = original, dark = original;
    for (std::size_t i = 0; i < original.pixels.size(); ++i) {
        light.pixels[i] = static_cast<std::uint8_t>(180 + original.pixels[i] * 70 / 255);
        dark.pixels[i] = static_cast<std::uint8_t>(std::pow(original.pixels[i] / 255.0, 3.0) * 120);
    }
    const auto n = static_cast<double>(extract(original).minutiae.size());
    for (const GrayImage* img : {&light, &dark}) {
        const FeatureSet f = extract(*img);
        EXPECT_NEAR(static_cast<double>(f.minutiae.size()), n, 0.35 * n);
    }
}

TEST(Extract, AcceptsLightCleanPressesAndFlagsTooFaintOnes) {
    // A light optical press with clean ridges (grey-level spread about 11) is usable; the same
    // kind of press with its contrast squeezed to a few grey levels is too faint.
    const GrayImage light = loadImage(print("fvc2000_db1_b", "107_1.tif"));
    GrayImage faint = light;
    for (std::size_t i = 0; i < light.pixels.size(); ++i)
        faint.pixels[i] = static_cast<std::uint8_t>(200 + (light.pixels[i] - 200) / 2);
    struct Case {
        const char* name;
        const GrayImage* image;
        ImageQuality expected;
    };
    const Case cases[] = {{"light", &light, ImageQuality::Good}, {"faint", &faint, ImageQuality::LowContrast}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const FeatureSet f = extract(*c.image);
        EXPECT_EQ(f.quality, static_cast<int>(c.expected)) << describe(static_cast<ImageQuality>(f.quality));
    }
}

TEST(Extract, ResamplesOtherResolutions) {
    GrayImage img = loadImage(print("fvc2000_db1_b", "101_1.tif"));
    const GrayImage big = loadImage(print("fvc2000_db1_b", "101_1.tif"), 400);
    EXPECT_EQ(big.width, 375);  // a 400 dpi image is enlarged to 500 dpi
    img.resolution = 1000;      // extract() resamples too
    const FeatureSet f = extract(img);
    EXPECT_EQ(f.width, 150);
}

TEST(Extract, ObserverSeesEveryStage) {
    struct Counter : ExtractObserver {
        int calls = 0;
        std::size_t detected = 0, filtered = 0;
        void onInput(const GrayImage&) override { ++calls; }
        void onNormalized(const FloatPlane&) override { ++calls; }
        void onOrientation(const OrientationField&) override { ++calls; }
        void onMask(const Mask&) override { ++calls; }
        void onPeriod(const FloatPlane&) override { ++calls; }
        void onEnhanced(const FloatPlane&) override { ++calls; }
        void onBinary(const BytePlane&) override { ++calls; }
        void onSkeleton(const BytePlane&) override { ++calls; }
        void onDetected(const std::vector<DetectedMinutia>& v) override { ++calls, detected = v.size(); }
        void onFiltered(const std::vector<DetectedMinutia>& v) override { ++calls, filtered = v.size(); }
        void onFeatures(const FeatureSet&) override { ++calls; }
    } counter;
    const FeatureSet f = extract(loadImage(print("fvc2000_db1_b", "102_1.tif")), {}, &counter);
    EXPECT_EQ(counter.calls, 11);
    EXPECT_GT(counter.detected, counter.filtered);
    EXPECT_EQ(counter.filtered, f.minutiae.size());
}

TEST(Extract, RejectsAnImageWithoutPixels) {
    EXPECT_THROW(extract(GrayImage{}), std::runtime_error);
    GrayImage broken{100, 100, 500, {}};
    EXPECT_THROW(extract(broken), std::runtime_error);
}
