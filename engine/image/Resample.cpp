#include "engine/image/Resample.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "engine/image/ImageError.h"

namespace lumo::engine {
namespace {

// One target sample as a weighted sum of source samples along one axis.
struct Tap {
    int first = 0;
    std::vector<float> weights;
};

// Weights mapping srcSize samples onto dstSize samples: box (area) filter when shrinking,
// linear interpolation when enlarging. Sample centres are aligned (pixel i covers [i, i+1)).
std::vector<Tap> makeTaps(int srcSize, int dstSize) {
    std::vector<Tap> taps(static_cast<std::size_t>(dstSize));
    const double scale = static_cast<double>(srcSize) / dstSize;
    for (int i = 0; i < dstSize; ++i) {
        Tap& t = taps[static_cast<std::size_t>(i)];
        if (scale > 1.0) {
            const double a = i * scale, b = (i + 1) * scale;
            const int first = static_cast<int>(std::floor(a));
            const int last = std::min(srcSize - 1, static_cast<int>(std::ceil(b)) - 1);
            t.first = first;
            for (int s = first; s <= last; ++s) {
                const double w = std::min<double>(b, s + 1) - std::max<double>(a, s);
                t.weights.push_back(static_cast<float>(std::max(0.0, w) / scale));
            }
        } else {
            const double c = (i + 0.5) * scale - 0.5;
            int s0 = static_cast<int>(std::floor(c));
            double f = c - s0;
            if (s0 < 0) {
                s0 = 0;
                f = 0.0;
            }
            if (s0 >= srcSize - 1) {
                s0 = srcSize - 1;
                f = 0.0;
            }
            t.first = s0;
            t.weights.push_back(static_cast<float>(1.0 - f));
            if (f > 0.0) t.weights.push_back(static_cast<float>(f));
        }
    }
    return taps;
}

}  // namespace

GrayImage resample(const GrayImage& image, int dpi) {
    if (image.resolution <= 0 || dpi <= 0) throw ImageError("image resolution must be positive");
    if (image.resolution == dpi) return image;
    const double factor = static_cast<double>(dpi) / image.resolution;
    const int w = std::max(1, static_cast<int>(std::lround(image.width * factor)));
    const int h = std::max(1, static_cast<int>(std::lround(image.height * factor)));
    const auto xt = makeTaps(image.width, w);
    const auto yt = makeTaps(image.height, h);

    // Horizontal pass into floats, then vertical pass into bytes.
    std::vector<float> tmp(static_cast<std::size_t>(w) * image.height);
    for (int y = 0; y < image.height; ++y) {
        const std::uint8_t* row = image.pixels.data() + static_cast<std::size_t>(y) * image.width;
        float* out = tmp.data() + static_cast<std::size_t>(y) * w;
        for (int x = 0; x < w; ++x) {
            const Tap& t = xt[static_cast<std::size_t>(x)];
            float sum = 0.0f;
            for (std::size_t k = 0; k < t.weights.size(); ++k) sum += t.weights[k] * row[t.first + k];
            out[x] = sum;
        }
    }
    GrayImage result;
    result.width = w;
    result.height = h;
    result.resolution = dpi;
    result.pixels.resize(static_cast<std::size_t>(w) * h);
    for (int y = 0; y < h; ++y) {
        const Tap& t = yt[static_cast<std::size_t>(y)];
        for (int x = 0; x < w; ++x) {
            float sum = 0.0f;
            for (std::size_t k = 0; k < t.weights.size(); ++k)
                sum += t.weights[k] * tmp[static_cast<std::size_t>(t.first + k) * w + x];
            result.pixels[static_cast<std::size_t>(y) * w + x] =
                static_cast<std::uint8_t>(std::clamp(std::lround(sum), 0L, 255L));
        }
    }
    return result;
}

GrayImage toWorkingResolution(GrayImage image) {
    if (image.resolution == kWorkingResolution) return image;
    return resample(image, kWorkingResolution);
}

}  // namespace lumo::engine
