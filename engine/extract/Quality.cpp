#include <algorithm>
#include <cmath>

#include "engine/extract/Stages.h"

namespace lumo::engine {

std::string describe(ImageQuality quality) {
    switch (quality) {
        case ImageQuality::Good: return "good";
        case ImageQuality::Empty: return "no finger on the image";
        case ImageQuality::TooSmall: return "print area too small";
        case ImageQuality::LowContrast: return "ridges too faint (light, dark or smudged press)";
        case ImageQuality::UnclearRidges: return "ridge flow unclear (dry, wet or moved finger)";
        case ImageQuality::TooFewMinutiae: return "too few minutiae";
    }
    return "unknown quality code";
}

ImageQuality assessQuality(const GrayImage& image, const Mask& mask, const OrientationField& orientation,
                           std::size_t minutiaCount, const QualityParams& p) {
    std::size_t area = 0, clear = 0;
    for (std::size_t i = 0; i < mask.data.size(); ++i) {
        if (!mask.data[i]) continue;
        ++area;
        clear += orientation.coherence.data[i] >= p.clearCoherence;
    }
    if (area < p.minEmptyArea) return ImageQuality::Empty;
    if (area < p.minArea) return ImageQuality::TooSmall;

    // Grey-level spread of the print, per 16 x 16 block, median over the print.
    constexpr int bs = 16;
    std::vector<float> spreads;
    for (int by = 0; by + bs <= image.height; by += bs)
        for (int bx = 0; bx + bs <= image.width; bx += bs) {
            if (!mask.at(bx + bs / 2, by + bs / 2)) continue;
            double s = 0, s2 = 0;
            for (int y = by; y < by + bs; ++y)
                for (int x = bx; x < bx + bs; ++x) {
                    const double v = image.at(x, y);
                    s += v;
                    s2 += v * v;
                }
            const double n = bs * bs, m = s / n;
            spreads.push_back(static_cast<float>(std::sqrt(std::max(0.0, s2 / n - m * m))));
        }
    if (!spreads.empty()) {
        std::nth_element(spreads.begin(), spreads.begin() + spreads.size() / 2, spreads.end());
        if (spreads[spreads.size() / 2] < p.minContrast) return ImageQuality::LowContrast;
    }
    if (static_cast<float>(clear) < p.minClearFraction * static_cast<float>(area)) return ImageQuality::UnclearRidges;
    if (static_cast<int>(minutiaCount) < p.minMinutiae) return ImageQuality::TooFewMinutiae;
    return ImageQuality::Good;
}

}  // namespace lumo::engine
