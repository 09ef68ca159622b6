#include <algorithm>
#include <cmath>

#include "engine/extract/Stages.h"

namespace lumo::engine {

Mask segment(const GrayImage& image, const OrientationField& orientation, const SegmentationParams& p) {
    const int w = image.width, h = image.height, bs = p.blockSize;
    const int bw = (w + bs - 1) / bs, bh = (h + bs - 1) / bs;
    FloatPlane grey(w, h), square(w, h);
    for (std::size_t i = 0; i < image.pixels.size(); ++i) {
        grey.data[i] = image.pixels[i];
        square.data[i] = grey.data[i] * grey.data[i];
    }
    const FloatPlane mean = boxMean(grey, p.windowRadius);
    const FloatPlane meanSquare = boxMean(square, p.windowRadius);

    std::vector<float> spread(static_cast<std::size_t>(bw) * bh), coherence(spread.size());
    for (int by = 0; by < bh; ++by)
        for (int bx = 0; bx < bw; ++bx) {
            const int cx = std::min(w - 1, bx * bs + bs / 2), cy = std::min(h - 1, by * bs + bs / 2);
            const float m = mean.at(cx, cy);
            spread[by * bw + bx] = std::sqrt(std::max(0.0f, meanSquare.at(cx, cy) - m * m));
            coherence[by * bw + bx] = orientation.coherence.at(cx, cy);
        }
    std::vector<float> sorted = spread;
    std::sort(sorted.begin(), sorted.end());
    const float p90 = sorted[static_cast<std::size_t>(0.9 * (sorted.size() - 1))];
    const float threshold = std::max(p.minSpread, p.relativeSpread * p90);

    BytePlane blocks(bw, bh);
    for (std::size_t i = 0; i < blocks.data.size(); ++i)
        blocks.data[i] = spread[i] > threshold && coherence[i] > p.minCoherence;

    for (int pass = 0; pass < p.smoothingPasses; ++pass) {
        BytePlane next(bw, bh);
        for (int y = 0; y < bh; ++y)
            for (int x = 0; x < bw; ++x) {
                int votes = 0, cells = 0;
                for (int dy = -1; dy <= 1; ++dy)
                    for (int dx = -1; dx <= 1; ++dx)
                        if (blocks.contains(x + dx, y + dy)) {
                            ++cells;
                            votes += blocks.at(x + dx, y + dy);
                        }
                next.at(x, y) = 2 * votes > cells;
            }
        blocks = std::move(next);
    }

    // Closing (dilation, then erosion) with a square of closingRadius blocks.
    auto morph = [&](const BytePlane& in, bool dilate) {
        BytePlane out(bw, bh);
        const int r = p.closingRadius;
        for (int y = 0; y < bh; ++y)
            for (int x = 0; x < bw; ++x) {
                bool any = false, all = true;
                for (int dy = -r; dy <= r; ++dy)
                    for (int dx = -r; dx <= r; ++dx) {
                        // Outside the image counts as print for erosion, so edges are not eaten.
                        const bool v = in.contains(x + dx, y + dy) ? in.at(x + dx, y + dy) != 0 : !dilate;
                        any = any || v;
                        all = all && v;
                    }
                out.at(x, y) = dilate ? any : all;
            }
        return out;
    };
    if (p.closingRadius > 0) blocks = morph(morph(blocks, true), false);

    // One finger, one region: keep the largest, then fill what it encloses.
    std::vector<int> sizes;
    const std::vector<int> regions = labelRegions(blocks, 1, true, sizes);
    const int largest = sizes.empty() ? -1
                                      : static_cast<int>(std::max_element(sizes.begin(), sizes.end()) - sizes.begin());
    for (std::size_t i = 0; i < blocks.data.size(); ++i) blocks.data[i] = regions[i] == largest && largest >= 0;
    std::vector<int> holeSizes;
    const std::vector<int> holes = labelRegions(blocks, 0, false, holeSizes);
    std::vector<bool> touchesEdge(holeSizes.size(), false);
    for (int y = 0; y < bh; ++y)
        for (int x = 0; x < bw; ++x)
            if ((x == 0 || y == 0 || x == bw - 1 || y == bh - 1) && holes[y * bw + x] >= 0)
                touchesEdge[holes[y * bw + x]] = true;
    for (std::size_t i = 0; i < blocks.data.size(); ++i)
        if (holes[i] >= 0 && !touchesEdge[holes[i]]) blocks.data[i] = 1;

    Mask mask(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) mask.at(x, y) = blocks.at(x / bs, y / bs);
    return mask;
}

}  // namespace lumo::engine
