#include "engine/scannerwindow/Smudge.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace lumo::scanner {

namespace {

// One box pass of the given radius along rows (step 1) or columns (step width), edges clamped.
void boxPass(std::vector<float>& plane, int width, int height, int radius, bool rows) {
    const int lines = rows ? height : width;
    const int length = rows ? width : height;
    std::vector<float> line(static_cast<std::size_t>(length));
    std::vector<float> sums(static_cast<std::size_t>(length) + 1);
    for (int l = 0; l < lines; ++l) {
        auto at = [&](int k) -> float& {
            return rows ? plane[static_cast<std::size_t>(l) * width + k]
                        : plane[static_cast<std::size_t>(k) * width + l];
        };
        sums[0] = 0;
        for (int k = 0; k < length; ++k) sums[k + 1] = sums[k] + at(k);
        for (int k = 0; k < length; ++k) {
            const int lo = std::max(0, k - radius);
            const int hi = std::min(length - 1, k + radius);
            line[k] = (sums[hi + 1] - sums[lo]) / static_cast<float>(hi - lo + 1);
        }
        for (int k = 0; k < length; ++k) at(k) = line[k];
    }
}

}  // namespace

engine::GrayImage smudgeImage(const engine::GrayImage& image) {
    engine::GrayImage out = image;
    if (image.empty()) return out;
    const int w = image.width;
    const int h = image.height;
    // The radius follows the resolution, so that a 1000 dpi image is smeared as much.
    const int radius = std::max(2, static_cast<int>(std::lround(6.0 * image.resolution / 500.0)));

    std::vector<float> plane(image.pixels.begin(), image.pixels.end());
    double sum = 0;
    for (float v : plane) sum += v;
    const float mean = static_cast<float>(sum / static_cast<double>(plane.size()));
    for (int pass = 0; pass < 3; ++pass) {
        boxPass(plane, w, h, radius, true);
        boxPass(plane, w, h, radius, false);
    }

    // Fixed noise: a linear congruential generator with a fixed seed, +-14 grey levels.
    std::uint32_t state = 0x2545F491u;
    for (std::size_t i = 0; i < plane.size(); ++i) {
        state = state * 1664525u + 1013904223u;
        const float noise = static_cast<float>(static_cast<int>(state >> 24) % 29 - 14);
        // A fifth of the contrast, lifted towards white as a too light press is.
        const float v = mean + (plane[i] - mean) * 0.2f + 30.0f + noise;
        out.pixels[i] = static_cast<std::uint8_t>(std::clamp(std::lround(v), 0L, 255L));
    }
    return out;
}

}  // namespace lumo::scanner
