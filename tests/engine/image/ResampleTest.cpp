#include <gtest/gtest.h>

#include <cmath>

#include "engine/image/Resample.h"

using namespace lumo::engine;

namespace {

GrayImage ramp(int w, int h, int dpi) {
    GrayImage img{w, h, dpi, std::vector<std::uint8_t>(static_cast<std::size_t>(w) * h)};
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) img.pixels[static_cast<std::size_t>(y) * w + x] = static_cast<std::uint8_t>(x);
    return img;
}

}  // namespace

TEST(Resample, ScalesSidesByTheResolutionRatio) {
    struct Case {
        int w, h, dpi, ew, eh;
    };
    for (const Case c : {Case{200, 100, 1000, 100, 50}, Case{100, 100, 250, 200, 200}, Case{300, 300, 569, 264, 264},
                         Case{120, 80, 500, 120, 80}}) {
        SCOPED_TRACE(std::to_string(c.dpi));
        const GrayImage out = resample(ramp(c.w, c.h, c.dpi), 500);
        EXPECT_EQ(out.width, c.ew);
        EXPECT_EQ(out.height, c.eh);
        EXPECT_EQ(out.resolution, 500);
        EXPECT_EQ(out.pixels.size(), static_cast<std::size_t>(c.ew) * c.eh);
    }
}

TEST(Resample, AveragesWhenShrinkingAndInterpolatesWhenEnlarging) {
    // Halving averages pixel pairs: columns 2k and 2k+1 hold 2k and 2k+1.
    const GrayImage half = resample(ramp(200, 10, 1000), 500);
    EXPECT_NEAR(half.at(10, 2), 20.5, 0.6);
    // Doubling keeps the ramp monotonic and in range.
    const GrayImage twice = resample(ramp(100, 10, 250), 500);
    for (int x = 1; x < twice.width; ++x) EXPECT_GE(twice.at(x, 3), twice.at(x - 1, 3));
    EXPECT_NEAR(twice.at(100, 3), 50, 1.0);
}

TEST(Resample, KeepsA500DpiImageAsItIs) {
    const GrayImage in = ramp(90, 70, 500);
    EXPECT_EQ(toWorkingResolution(in).pixels, in.pixels);
}
